// The link against a Modbus RTU server nobody here wrote (pymodbus) on a pseudo-terminal:
// functions 3, 16 and 8 and broadcasts, on the bus and on the direct connection, and the bus
// search built on the function-8 probe.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "config/commands.h"
#include "link/frame.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "link/report_console.h"
#include "link/search.h"
#include "platform/serial/portmap.h"

namespace {

const char *const kPython = "/usr/bin/python3";

bool HavePymodbus() {
    if (access(kPython, X_OK) != 0) return false;
    std::string cmd = std::string(kPython) + " -c 'import pymodbus' >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

// The server script as a child process: its standard input is a pipe whose closing stops it.
class PymodbusServer {
  public:
    bool Start() {
        int in[2], out[2];
        if (pipe(in) != 0) return false;
        if (pipe(out) != 0) return false;
        pid_ = fork();
        if (pid_ < 0) return false;
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            close(in[1]);
            close(out[0]);
            std::string script =
                std::string(KR7M_SOURCE_DIR) + "/tests/integration/pymodbus_server.py";
            execl(kPython, kPython, script.c_str(), "17", "5", "255", static_cast<char *>(nullptr));
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        stdin_ = in[1];
        FILE *f = fdopen(out[0], "r");
        if (f == nullptr) return false;
        char line[256] = "";
        bool ok = fgets(line, sizeof line, f) != nullptr && std::strncmp(line, "READY ", 6) == 0;
        fclose(f);
        if (!ok) return false;
        path_ = line + 6;
        while (!path_.empty() && (path_.back() == '\n' || path_.back() == '\r')) path_.pop_back();
        return true;
    }
    ~PymodbusServer() {
        if (stdin_ >= 0) close(stdin_);
        if (pid_ > 0) {
            int st;
            waitpid(pid_, &st, 0);
        }
    }
    const std::string &Path() const { return path_; }

  private:
    pid_t pid_ = -1;
    int stdin_ = -1;
    std::string path_;
};

class Pymodbus : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!HavePymodbus()) return;
        server = new PymodbusServer;
        started = server->Start();
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        if (!HavePymodbus()) GTEST_SKIP() << "python3-pymodbus is not installed";
        ASSERT_TRUE(started) << "the pymodbus server did not start";
        Console_SetOutput(nullptr);
        Console_ResetCounts();
        SetComPortDevice(1, server->Path().c_str());
    }
    void TearDown() override {
        CloseInterface();
        ResetComPortDevices();
        CommType = 0;
        DeviceAddr = 247;
        Baudrate = 3;
        Parity = 0;
    }
    // Bus mode: pseudo-terminals have no parity, so no parity with one stop bit.
    void OpenBus(int address) {
        CommType = 1;
        Baudrate = 4;
        Parity = 3;
        DeviceAddr = address;
        ASSERT_EQ(InitInterface(1), 1) << Console_Report().lastErrorDetail;
    }
    static uint32_t Bits(float f) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        return u;
    }
    static PymodbusServer *server;
    static bool started;
};
PymodbusServer *Pymodbus::server = nullptr;
bool Pymodbus::started = false;

// Every holding register n of the server starts out holding n + 1.
TEST_F(Pymodbus, ReadsHoldingRegistersInOurByteOrder) {
    OpenBus(17);
    ASSERT_EQ(Read(&Lese, ReadDeviceInfo, 1), 1);
    EXPECT_EQ(Lese.Version1, 402);
    EXPECT_EQ(Lese.RatedU, 405);
    ASSERT_EQ(Read(&Lese, ReadMeasurands, 1), 1);
    EXPECT_EQ(Bits(Measurands[0]), 101u << 16 | 100u) << "low half in the first register";
    EXPECT_EQ(Bits(Measurands[32]), 165u << 16 | 164u);
    ASSERT_EQ(Read(&Lese, ReadMeters, 1), 1);
    EXPECT_EQ(Meters[0], 301u << 16 | 300u);
    ASSERT_EQ(Read(&Lese, ReadDevtype, 1), 1);
    const unsigned char devtype[6] = {0x01, 0x9A, 0x01, 0x9B, 0x01, 0x9C}; // 410, 411, 412
    EXPECT_EQ(std::memcmp(Devtype, devtype, 6), 0);
    EXPECT_EQ(Console_Report().errors, 0);
}

TEST_F(Pymodbus, WritesReadBackUnchanged) {
    OpenBus(17);
    record sent{};
    sent.PulsRate[0] = 100;
    sent.PulsRate[1] = -7;
    sent.UrPrimExp = -3;
    sent.DevAddr = 17;
    std::strcpy(sent.Descr, "Substation 4, feeder 2");
    sent.LimOn[0] = 4800;
    sent.Logger = 0x0C0F;
    ASSERT_EQ(Write(&sent, WriteConfigBlock, 1, 0), 1);
    record back{};
    ASSERT_EQ(Read(&back, ReadConfigBlock, 1), 1);
    EXPECT_EQ(std::memcmp(ConfigBlock(&back), ConfigBlock(&sent), kBlockBytes), 0);
    EXPECT_EQ(back.PulsRate[1], -7);

    for (int i = 0; i < 8; ++i) Meters[i] = 0xDEAD0000u + static_cast<uint32_t>(i);
    ASSERT_EQ(Write(&Lese, WriteMeters, 1, 0), 1);
    for (uint32_t &m : Meters) m = 0;
    ASSERT_EQ(Read(&Lese, ReadMeters, 1), 1);
    EXPECT_EQ(Meters[7], 0xDEAD0007u);
    EXPECT_EQ(Console_Report().errors, 0);
}

TEST_F(Pymodbus, ProbeAndBroadcastReachPresentUnits) {
    OpenBus(17);
    EXPECT_EQ(Diagnose(1, 17), 1);
    EXPECT_EQ(Diagnose(1, 5), 1);
    EXPECT_EQ(Diagnose(1, 18), 0);
    Lese.Display = 3;
    Lese.System = 1;
    ASSERT_EQ(Write(&Lese, WriteDisplay, 1, 1), 1);
    Lese.Display = Lese.System = 0;
    for (int unit : {17, 5}) {
        DeviceAddr = unit;
        ASSERT_EQ(Read(&Lese, ReadDisplay, 1), 1) << unit;
        EXPECT_EQ(Lese.Display, 3) << unit;
        EXPECT_EQ(Lese.System, 1) << unit;
    }
    EXPECT_EQ(Console_Report().errors, 0);
}

// pymodbus decodes our probe as "return query data" (function 8, sub-function 0) and sends it
// back byte for byte: the frame is one an independent peer understands, and the echo Diagnose
// accepts is the request itself.
TEST_F(Pymodbus, ProbeIsAnsweredWithItsOwnEcho) {
    struct Case {
        const char *name;
        int commType, address, answers;
    } cases[] = {
        {"unit on the bus", 1, 17, 1},    {"another unit on the bus", 1, 5, 1},
        {"absent unit", 1, 18, 0},        {"highest address", 1, 247, 0},
        {"direct connection", 0, 255, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CloseInterface();
        if (c.commType == 1) {
            OpenBus(c.address);
        } else {
            CommType = 0;
            ASSERT_EQ(InitInterface(1), 1);
        }
        std::memset(RecBuffer, 0, 8);
        ASSERT_EQ(Diagnose(1, c.address), c.answers);
        const unsigned char request[6] = {
            static_cast<unsigned char>(c.address), 8, 0, 0, 0xAA, 0x55};
        EXPECT_EQ(std::memcmp(SendBuffer, request, 6), 0);
        if (c.answers) {
            EXPECT_EQ(std::memcmp(RecBuffer, SendBuffer, 8), 0) << "an exact echo, CRC included";
        }
    }
    EXPECT_EQ(Console_Report().errors, 0) << "a probe reports nothing";
}

// The search over 1..32 finds exactly the server's units there (255 lies beyond), lowest first.
TEST_F(Pymodbus, BusSearchFindsExactlyTheServersUnits) {
    CommType = 1;
    Baudrate = 4;
    Parity = 3;
    for (int &slot : DevSearch) slot = 99; // what an earlier search left
    ASSERT_EQ(SearchDevices(1, 32, nullptr, nullptr), 1);
    EXPECT_EQ(CountKnownDevices(), 2);
    EXPECT_EQ(DevSearch[0], 5);
    EXPECT_EQ(DevSearch[1], 17);
    EXPECT_EQ(DevSearch[2], 0);
    EXPECT_EQ(Search_Result, 1);
    EXPECT_EQ(Console_Report().errors, 0);
}

TEST_F(Pymodbus, DirectConnectionTalksToAddress255) {
    CommType = 0; // 9600 baud even parity: the pseudo-terminal carries no parity, which is fine
    ASSERT_EQ(InitInterface(1), 1) << Console_Report().lastErrorDetail;
    ASSERT_EQ(Read(&Lese, ReadDevStatus, 1), 1);
    EXPECT_EQ(DevStatus, 400);
    DevStatus = 0x2000;
    ASSERT_EQ(Write(&Lese, WriteDevStatus, 1, 0), 1);
    DevStatus = 0;
    ASSERT_EQ(Read(&Lese, ReadDevStatus, 1), 1);
    EXPECT_EQ(DevStatus, 0x2000);
}

} // namespace

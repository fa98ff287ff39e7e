// The link and the transfer core against the project's simulated instrument, kr7m-sim, on a
// pseudo-terminal: every read command, the configuration round trip, the bus, and answers
// spoiled on purpose by the simulator's fault injection.
#include <cmath>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "config/commands.h"
#include "config/transfer.h"
#include "link/frame.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "link/report_console.h"
#include "platform/serial/portmap.h"
#include "platform/serial/rs232.h"

namespace {

// kr7m-sim as a child process with its link in a private temporary folder.
class Sim {
  public:
    explicit Sim(std::vector<std::string> options) {
        char dir[] = "/tmp/kr7m-linksim-XXXXXX";
        if (mkdtemp(dir) == nullptr) return;
        dir_ = dir;
        link_ = dir_ + "/tty";
        std::string bin = std::string(KR7M_BIN_DIR) + "/kr7m-sim";
        std::vector<std::string> args = {bin, link_};
        args.insert(args.end(), options.begin(), options.end());
        pid_ = fork();
        if (pid_ == 0) {
            std::vector<char *> argv;
            for (std::string &a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(bin.c_str(), argv.data());
            _exit(127);
        }
        for (int i = 0; i < 500 && pid_ > 0; ++i) {
            struct stat st;
            if (lstat(link_.c_str(), &st) == 0) {
                ready_ = true;
                break;
            }
            usleep(10000);
        }
    }
    ~Sim() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int st;
            waitpid(pid_, &st, 0);
        }
        unlink(link_.c_str());
        rmdir(dir_.c_str());
    }
    bool Ready() const { return ready_; }
    const std::string &Link() const { return link_; }

  private:
    pid_t pid_ = -1;
    bool ready_ = false;
    std::string dir_, link_;
};

class LinkSim : public ::testing::Test {
  protected:
    void SetUp() override {
        Console_SetOutput(nullptr);
        Console_SetAnswer(kConsoleAnswerYes);
        Console_ResetCounts();
        savedKonf = Konf;
    }
    void TearDown() override {
        CloseInterface();
        sim.reset();
        ResetComPortDevices();
        Konf = savedKonf;
        CommType = 0;
        DeviceAddr = 247;
        Baudrate = 3;
        Parity = 0;
    }
    // Starts the simulator; bus mode (no parity on a pty) when `bus` names addresses.
    void Start(std::vector<std::string> options, int busAddress = 0) {
        sim = std::make_unique<Sim>(options);
        ASSERT_TRUE(sim->Ready()) << "kr7m-sim did not start";
        SetComPortDevice(1, sim->Link().c_str());
        CommPort = 1;
        CommType = busAddress ? 1 : 0;
        DeviceAddr = busAddress ? busAddress : 247;
        Baudrate = 4;
        Parity = 3;
    }
    std::unique_ptr<Sim> sim;
    record savedKonf{};
};

TEST_F(LinkSim, EveryReadCommandIsAnswered) {
    Start({"--rated-current", "1"});
    ASSERT_EQ(InitInterface(1), 1);
    ASSERT_EQ(LeseKonfiguration(), 1);
    EXPECT_EQ(Lese.Version1, 123);
    EXPECT_EQ(Lese.Version2, 205);
    EXPECT_EQ(Lese.RatedI, 100);
    for (int block : {ReadMeasurands, ReadMinMax, ReadMeters, ReadMeterScale, ReadMeanValues,
                      ReadDevStatus, ReadLogStatus, ReadDisplay})
        EXPECT_EQ(Read(&Lese, block, 1), 1) << block;
    for (float v : Measurands) EXPECT_TRUE(std::isfinite(v));
    // The newest logger block, as the download starts it.
    Log[14] = 120;
    Log[15] = 999;
    EXPECT_EQ(Read(&Lese, ReadLoggerData, 1), 1);
    Log[14] = 0;
    EXPECT_EQ(Console_Report().errors, 0);
}

TEST_F(LinkSim, SentConfigurationIsWhatIsReadBack) {
    Start({"--bus", "9", "--rated-current", "5"}, 9);
    Konf = record{};
    Konf.UrPrim = 20000.0f;
    Konf.UrSec = 100;
    Konf.IrPrim = 400.0f;
    Konf.IrSec = 5.0f;
    Konf.RatedI = 500;
    Konf.System = 2;
    Konf.PulsRate[0] = 100;
    Konf.EnergyControl = 15;
    std::strcpy(Konf.Descr, "Transformer 2");
    ASSERT_EQ(SendConfiguration(), 1)
        << Console_Report().lastErrorTitle << "/" << Console_Report().lastErrorMessage;
    record sent = Konf;
    Konf.Module = 1;
    ASSERT_EQ(AdoptDeviceConfiguration(), 1);
    EXPECT_EQ(std::memcmp(ConfigBlock(&Konf), ConfigBlock(&sent), kBlockBytes), 0);
    EXPECT_FLOAT_EQ(Konf.UrPrim, 20000.0f);
    EXPECT_EQ(Konf.DevAddr, 9);
    EXPECT_EQ(Konf.Module, 1);
}

TEST_F(LinkSim, SpoiledAnswersAreRetriedOrReported) {
    struct Case {
        const char *fault;
        int result;
        int message; // -1: none
    } cases[] = {
        {"crc:every=2", 1, -1},
        {"short:every=2", 1, -1},
        {"late=150:first=1", 1, -1},
        {"drop", 0, 2},
        {"crc", 0, 4},
    };
    for (const Case &c : cases) {
        Console_ResetCounts();
        Start({"--fault", c.fault});
        ASSERT_EQ(InitInterface(1), 1);
        int ok = Read(&Lese, ReadDeviceInfo, 1) && Read(&Lese, ReadMeasurands, 1) &&
                 Read(&Lese, ReadDevtype, 1);
        EXPECT_EQ(ok, c.result) << c.fault;
        if (c.result) {
            EXPECT_EQ(Lese.Version1, 123) << c.fault << ": answers shifted";
            EXPECT_EQ(std::memcmp(Devtype, "KR7M", 4), 0) << c.fault << ": answers shifted";
        }
        if (c.message < 0)
            EXPECT_EQ(Console_Report().errors, 0) << c.fault;
        else
            EXPECT_EQ(Console_Report().lastErrorMessage, c.message) << c.fault;
        CloseInterface();
        sim.reset();
    }
}

} // namespace

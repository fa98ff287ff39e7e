// The serial platform on real pseudo-terminals: result codes of a failed open, exclusive use,
// reads bounded by the answer time-out, a vanishing peer, queue flushes and modem lines.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/serial/portmap.h"
#include "platform/serial/rs232.h"

namespace {

double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// The master side of a pseudo-terminal; the port layer opens the slave side by path.
struct Pty {
    int master = -1;
    std::string path;
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
        path = ptsname(master);
    }
    ~Pty() { Close(); }
    void Close() {
        if (master >= 0) close(master);
        master = -1;
    }
    void Send(const char *bytes, size_t n) { ASSERT_EQ(write(master, bytes, n), (ssize_t)n); }
};

class SerialTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(pty.path.empty());
        ASSERT_EQ(OpenComPath(1, pty.path.c_str(), 9600, kComParityNone, 8, 1), 0)
            << ComLastErrorText();
    }
    void TearDown() override {
        CloseCom(1);
        CloseCom(2);
        ResetComPortDevices();
    }
    Pty pty;
};

TEST(PortMap, KeepsThePathWhenANewOneCannotBeHeldWhole) {
    ResetComPortDevices();
    EXPECT_EQ(SetComPortDevice(2, "/dev/serial/by-id/usb-adapter"), 0);
    EXPECT_STREQ(ComPortDevice(2), "/dev/serial/by-id/usb-adapter");
    // A shortened path would name another device.
    const std::string tooLong = "/dev/" + std::string(kPortPathSize, 'x');
    EXPECT_EQ(SetComPortDevice(2, tooLong.c_str()), -1);
    EXPECT_STREQ(ComPortDevice(2), "/dev/serial/by-id/usb-adapter");
    const std::string longest = "/" + std::string(kPortPathSize - 2, 'y');
    EXPECT_EQ(SetComPortDevice(2, longest.c_str()), 0);
    EXPECT_EQ(ComPortDevice(2), longest);
    for (int port : {0, 9}) {
        EXPECT_EQ(SetComPortDevice(port, "/dev/ttyS0"), -1);
        EXPECT_EQ(ComPortDevice(port), nullptr);
    }
    ResetComPortDevices();
    EXPECT_STREQ(ComPortDevice(2), "/dev/ttyUSB1");
}

TEST(SerialOpen, FailuresMapToTheCodesTheLinkTellsApart) {
    Pty pty;
    std::string file = "/tmp/kr7m-serial-test-file";
    std::string dir = "/tmp/kr7m-serial-test-dir";
    FILE *f = fopen(file.c_str(), "w");
    ASSERT_NE(f, nullptr);
    fclose(f);
    mkdir(dir.c_str(), 0700);
    struct Case {
        int port;
        const char *path;
        int code;
        const char *mentions;
    } cases[] = {
        {0, nullptr, kComBadPort, "Port 0"},
        {9, nullptr, kComBadPort, "Port 9"},
        {3, "/dev/kr7m-no-such-tty", kComNoPort, "/dev/kr7m-no-such-tty"},
        {3, file.c_str(), kComNoPort, "not a serial device"},
        {3, dir.c_str(), kComIoError, dir.c_str()},
        {3, pty.path.c_str(), 0, nullptr},
    };
    for (const Case &c : cases) {
        if (c.path) SetComPortDevice(c.port, c.path);
        int r = OpenComConfig(c.port, "COM", 9600, kComParityNone, 8, 1, 512, 512);
        EXPECT_EQ(r, c.code) << c.port << " " << (c.path ? c.path : "");
        if (c.mentions) {
            EXPECT_NE(std::string(ComLastErrorText()).find(c.mentions), std::string::npos)
                << ComLastErrorText();
        } else {
            EXPECT_STREQ(ComLastErrorText(), "");
        }
        if (r == 0) CloseCom(c.port);
    }
    // Settings no UART takes are refused before anything is opened.
    SetComPortDevice(3, pty.path.c_str());
    EXPECT_EQ(OpenComConfig(3, "COM3", 12345, 0, 8, 1, 512, 512), kComBadSetting);
    EXPECT_EQ(OpenComConfig(3, "COM3", 9600, 0, 9, 1, 512, 512), kComBadSetting);
    EXPECT_EQ(OpenComConfig(3, "COM3", 9600, 0, 8, 3, 512, 512), kComBadSetting);
    unlink(file.c_str());
    rmdir(dir.c_str());
    ResetComPortDevices();
}

// A user outside the device's group is told which group to join.
TEST(SerialOpen, PermissionProblemNamesTheGroupToJoin) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to open the line as another user";
    Pty pty;
    ASSERT_EQ(chmod(pty.path.c_str(), 0660), 0);
    ASSERT_EQ(chown(pty.path.c_str(), 0, 5), 0);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        int r = OpenComPath(1, pty.path.c_str(), 9600, kComParityNone, 8, 1);
        const char *text = ComLastErrorText();
        if (write(fds[1], text, std::strlen(text)) < 0) _exit(3);
        _exit(r == kComCannotOpen ? 0 : 1);
    }
    close(fds[1]);
    char text[512] = "";
    ssize_t n = read(fds[0], text, sizeof text - 1);
    close(fds[0]);
    int st = 0;
    ASSERT_EQ(waitpid(child, &st, 0), child);
    ASSERT_TRUE(WIFEXITED(st));
    EXPECT_EQ(WEXITSTATUS(st), 0) << text;
    ASSERT_GT(n, 0);
    const group *g = getgrgid(5);
    std::string expected = std::string("\"") + (g ? g->gr_name : "dialout") + "\"";
    EXPECT_NE(std::string(text).find(expected), std::string::npos) << text;
    EXPECT_NE(std::string(text).find("usermod"), std::string::npos) << text;
}

TEST_F(SerialTest, SecondOpenerIsTurnedAwayUntilClose) {
    EXPECT_EQ(OpenComPath(2, pty.path.c_str(), 9600, kComParityNone, 8, 1), kComCannotOpen);
    EXPECT_NE(std::string(ComLastErrorText()).find("in use"), std::string::npos);

    // Another program.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        _exit(OpenComPath(2, pty.path.c_str(), 9600, kComParityNone, 8, 1) == kComCannotOpen ? 0
                                                                                             : 1);
    }
    int st = 0;
    ASSERT_EQ(waitpid(child, &st, 0), child);
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0);

    // The turned-away openers left the line exclusive for its holder (root may still peek).
    int fd = open(pty.path.c_str(), O_RDWR | O_NOCTTY);
    if (fd >= 0) {
        int exclusive = 0;
        EXPECT_EQ(ioctl(fd, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 1);
        close(fd);
    }

    EXPECT_EQ(CloseCom(1), 0);
    EXPECT_EQ(OpenComPath(2, pty.path.c_str(), 9600, kComParityNone, 8, 1), 0);
}

TEST_F(SerialTest, PseudoTerminalTakesEvenParityAndHasNoModemLines) {
    CloseCom(1);
    ASSERT_EQ(OpenComPath(1, pty.path.c_str(), 9600, kComParityEven, 8, 1), 0)
        << ComLastErrorText();
    EXPECT_EQ(ComIsPseudoTerminal(1), 1);
    EXPECT_EQ(ComSetEscape(1, 3), 0);
    EXPECT_EQ(ComSetEscape(1, 4), 0);
    EXPECT_EQ(ComSetEscape(1, 99), kComIoError);
}

TEST_F(SerialTest, ReadReturnsOnceTheBytesAreIn) {
    ASSERT_EQ(SetComTime(1, 5.0), 0);
    std::thread peer([this] {
        usleep(30000);
        pty.Send("abc", 3);
        usleep(30000);
        pty.Send("de", 2);
    });
    char buf[8];
    double start = Now();
    EXPECT_EQ(ComRd(1, buf, 5), 5);
    EXPECT_LT(Now() - start, 2.5) << "waited for the time-out although the answer was complete";
    peer.join();
    EXPECT_EQ(std::string(buf, 5), "abcde");
}

TEST_F(SerialTest, ReadGivesUpAfterTheTimeOutWithWhatCame) {
    ASSERT_EQ(SetComTime(1, 0.05), 0);
    pty.Send("xyz", 3);
    char buf[8];
    double start = Now();
    EXPECT_EQ(ComRd(1, buf, 8), 3);
    EXPECT_GE(Now() - start, 0.045);
    start = Now();
    EXPECT_EQ(ComRd(1, buf, 8), 0);
    EXPECT_GE(Now() - start, 0.045);
}

// A long answer arrives at the pace of the line: at 9600 baud 137 bytes need about twice the
// 0.07 s answer time-out. The peer here is a little faster than a real line.
TEST_F(SerialTest, LongAnswerAtLinePaceIsReadWhole) {
    ASSERT_EQ(SetComTime(1, 0.07), 0);
    char answer[137];
    for (size_t i = 0; i < sizeof answer; ++i) answer[i] = static_cast<char>(i);
    std::thread peer([&] {
        for (size_t sent = 0; sent < sizeof answer; sent += 14) {
            pty.Send(answer + sent, std::min<size_t>(14, sizeof answer - sent));
            usleep(12000);
        }
    });
    char buf[sizeof answer];
    EXPECT_EQ(ComRd(1, buf, sizeof buf), static_cast<int>(sizeof buf));
    peer.join();
    EXPECT_EQ(std::memcmp(buf, answer, sizeof buf), 0);
}

TEST_F(SerialTest, VanishedPeerEndsReadsAndWrites) {
    ASSERT_EQ(SetComTime(1, 5.0), 0);
    std::thread peer([this] {
        usleep(30000);
        pty.Close();
    });
    char buf[8];
    double start = Now();
    EXPECT_LT(ComRd(1, buf, 8), 0);
    EXPECT_LT(Now() - start, 2.5);
    peer.join();
    EXPECT_LT(ComWrt(1, "x", 1), 0);
    EXPECT_EQ(CloseCom(1), 0);
}

TEST_F(SerialTest, WritesDrainAndFlushDropsPendingInput) {
    EXPECT_EQ(ComWrt(1, "hello", 5), 5);
    EXPECT_EQ(ComDrain(1, 1.0), 0);
    EXPECT_EQ(GetOutQLen(1), 0);
    char buf[8];
    EXPECT_EQ(read(pty.master, buf, sizeof buf), 5);

    pty.Send("stale", 5);
    usleep(20000);
    EXPECT_EQ(FlushInQ(1), 0);
    pty.Send("new", 3);
    SetComTime(1, 0.05);
    ASSERT_EQ(ComRd(1, buf, 8), 3);
    EXPECT_EQ(std::string(buf, 3), "new");
}

} // namespace

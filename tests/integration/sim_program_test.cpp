// The kr7m-sim program itself: options, its link, serving clients that come and go, garbage on
// the line, held-back answers, the frame log and stopping.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <regex>
#include <string>
#include <termios.h>
#include <vector>

#include "link/crc.h"
#include "sim_process.h"

using simtest::RunResult;
using simtest::Sim;
using simtest::TempDir;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Frame(Bytes body) {
    body.resize(body.size() + 2);
    AppendCrc(body.data(), static_cast<int>(body.size()) - 2);
    return body;
}

// A raw client of the simulator's line.
class Client {
  public:
    explicit Client(const std::string &path) {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios t;
        if (fd_ >= 0 && tcgetattr(fd_, &t) == 0) {
            cfmakeraw(&t);
            tcsetattr(fd_, TCSANOW, &t);
        }
    }
    ~Client() {
        if (fd_ >= 0) close(fd_);
    }
    bool Ok() const { return fd_ >= 0; }
    bool Send(const Bytes &b) {
        return write(fd_, b.data(), b.size()) == static_cast<ssize_t>(b.size());
    }
    // Reads until `count` bytes are in or `seconds` have passed.
    Bytes Receive(size_t count, double seconds) {
        Bytes got;
        double end = simtest::Now() + seconds;
        while (got.size() < count && simtest::Now() < end) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 10) <= 0) continue;
            unsigned char buf[512];
            ssize_t n = read(fd_, buf, sizeof buf);
            if (n > 0) got.insert(got.end(), buf, buf + n);
        }
        return got;
    }

  private:
    int fd_ = -1;
};

// Processor time (user and system) a process has used so far.
double CpuSeconds(pid_t pid) {
    std::string stat = simtest::ReadFile("/proc/" + std::to_string(pid) + "/stat");
    size_t close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(stat.substr(close + 2));
    std::string skip;
    long utime = 0, stime = 0;
    for (int i = 0; i < 11; ++i) fields >> skip;
    fields >> utime >> stime;
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

const Bytes kIdent = Frame({255, 3, 0x01, 0x91, 0, 4}); // registers 401..404

TEST(SimProgram, OptionsAndHelp) {
    RunResult help = simtest::Run({simtest::BinPath("kr7m-sim"), "--help"});
    EXPECT_EQ(help.status, 0);
    for (const char *word : {"--bus", "--fault", "every=N", "first=N", "p=P", "late", "--log",
                             "--config", "--rated-current"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;

    TempDir dir;
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--bus", "0"},
        {"--bus", "1,1"},
        {"--rated-current", "2"},
        {"--fault", "explode"},
        {"--speed", "0"},
        {"--frobnicate"},
        {"two", "links"},
    };
    for (const auto &options : bad) {
        std::vector<std::string> args = {simtest::BinPath("kr7m-sim")};
        bool hasLink = !options.empty() && options[0] == "two";
        if (!hasLink && !options.empty()) args.push_back(dir.File("tty"));
        args.insert(args.end(), options.begin(), options.end());
        RunResult r = simtest::Run(args, "", {}, 5);
        std::string what;
        for (const std::string &o : options) what += o + " ";
        EXPECT_EQ(r.status, 2) << what;
        EXPECT_NE(r.err.find("kr7m-sim: "), std::string::npos) << what;
    }
    // Nothing was left behind by the refused runs.
    struct stat st;
    EXPECT_NE(lstat(dir.File("tty").c_str(), &st), 0);
}

TEST(SimProgram, LinkIsPlacedAndRemoved) {
    for (int sig : {SIGTERM, SIGINT}) {
        Sim sim({});
        ASSERT_TRUE(sim.Ready());
        char target[256] = {};
        ASSERT_GT(readlink(sim.Link().c_str(), target, sizeof target - 1), 0);
        EXPECT_EQ(std::string(target).rfind("/dev/pts/", 0), 0u) << target;
        EXPECT_NE(sim.Output().find(sim.Link()), std::string::npos);
        EXPECT_EQ(sim.Stop(sig), 0);
        struct stat st;
        EXPECT_NE(lstat(sim.Link().c_str(), &st), 0) << "link left after signal " << sig;
    }
    // A file that is not a symbolic link is never replaced.
    TempDir dir;
    FILE *f = std::fopen(dir.File("plain").c_str(), "w");
    ASSERT_TRUE(f);
    std::fputs("keep me", f);
    std::fclose(f);
    RunResult r = simtest::Run({simtest::BinPath("kr7m-sim"), dir.File("plain")}, "", {}, 5);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not a symbolic link"), std::string::npos) << r.err;
    EXPECT_EQ(simtest::ReadFile(dir.File("plain")), "keep me");
}

TEST(SimProgram, ServesClientsThatComeAndGo) {
    Sim sim({"--version1", "321"});
    ASSERT_TRUE(sim.Ready());
    for (int round = 0; round < 3; ++round) {
        Client c(sim.Link());
        ASSERT_TRUE(c.Ok());
        ASSERT_TRUE(c.Send(kIdent));
        Bytes a = c.Receive(13, 2.0);
        ASSERT_EQ(a.size(), 13u) << "round " << round;
        EXPECT_EQ(a[3] << 8 | a[4], 321);
        // Leave the line unattended for a while between clients.
    }
    // With nobody attached the simulator waits instead of spinning: half a second unattended
    // costs it a small fraction of that in processor time.
    double before = CpuSeconds(sim.Pid());
    usleep(500000);
    EXPECT_LT(CpuSeconds(sim.Pid()) - before, 0.1);
    Client c(sim.Link());
    ASSERT_TRUE(c.Send(kIdent));
    EXPECT_EQ(c.Receive(13, 2.0).size(), 13u);
}

TEST(SimProgram, GarbageOnTheLineIsSkipped) {
    Sim sim({});
    ASSERT_TRUE(sim.Ready());
    Client c(sim.Link());
    ASSERT_TRUE(c.Ok());
    struct Case {
        const char *name;
        Bytes before;
    };
    const Case cases[] = {
        {"damaged request", {0xFF, 0x03, 0x01, 0x91, 0x00, 0x04, 0x00, 0x00}},
        {"long claim", {0xFF, 0x10, 0x01, 0xF3, 0x00, 0x29, 0x52, 0x00}},
    };
    for (const Case &k : cases) {
        ASSERT_TRUE(c.Send(k.before));
        usleep(50000); // a silence: whatever was partial is given up
        ASSERT_TRUE(c.Send(kIdent));
        Bytes a = c.Receive(13, 2.0);
        ASSERT_EQ(a.size(), 13u) << k.name;
        EXPECT_TRUE(CrcMatches(a.data(), 13)) << k.name;
        EXPECT_TRUE(c.Receive(1, 0.1).empty()) << k.name; // nothing answers the garbage
    }
    // Requests back to back without a pause are answered one by one.
    Bytes two = kIdent;
    two.insert(two.end(), kIdent.begin(), kIdent.end());
    ASSERT_TRUE(c.Send(two));
    EXPECT_EQ(c.Receive(26, 2.0).size(), 26u);
    EXPECT_NE(sim.Log().find("RX garbage"), std::string::npos);
}

TEST(SimProgram, LateAnswersKeepTheirOrder) {
    Sim sim({"--fault", "late=300:first=1"});
    ASSERT_TRUE(sim.Ready());
    Client c(sim.Link());
    ASSERT_TRUE(c.Ok());
    Bytes display = Frame({255, 3, 0x02, 0x18, 0, 1}); // register 536
    double start = simtest::Now();
    ASSERT_TRUE(c.Send(kIdent));
    EXPECT_TRUE(c.Receive(1, 0.15).empty());
    ASSERT_TRUE(c.Send(display));
    Bytes a = c.Receive(13 + 7, 2.0);
    double took = simtest::Now() - start;
    ASSERT_EQ(a.size(), 20u);
    EXPECT_GE(took, 0.28);
    EXPECT_EQ(a[2], 8);      // the identification answer first
    EXPECT_EQ(a[13 + 2], 2); // then the display register
}

TEST(SimProgram, LogsEveryFrameWithATimeStamp) {
    Sim sim({"--fault", "crc:first=1"});
    ASSERT_TRUE(sim.Ready());
    {
        Client c(sim.Link());
        ASSERT_TRUE(c.Send(kIdent));
        EXPECT_EQ(c.Receive(13, 2.0).size(), 13u);
        ASSERT_TRUE(c.Send(kIdent));
        EXPECT_EQ(c.Receive(13, 2.0).size(), 13u);
    }
    std::istringstream in(sim.Log());
    std::string line;
    std::vector<std::string> kinds;
    const std::regex format(
        R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} (RX|TX|-- fault crc)(( [0-9A-F]{2})*)$)");
    while (std::getline(in, line)) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, format)) << line;
        kinds.push_back(m[1]);
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"RX", "-- fault crc", "TX", "RX", "TX"}));
    EXPECT_NE(sim.Log().find("RX FF 03 01 91 00 04"), std::string::npos);
}

} // namespace

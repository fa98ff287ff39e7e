// kr7m-sim read and written by an independent Modbus RTU master, Debian's mbpoll, on a bus of
// two simulated instruments (mbpoll cannot address 255). Pseudo-terminals carry no parity.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "sim_process.h"

using simtest::RunResult;
using simtest::Sim;

namespace {

const char kMbpoll[] = "/usr/bin/mbpoll";

// mbpoll once, PDU (0-based) register numbers as they travel in the frames.
RunResult Mbpoll(const Sim &sim, int address, std::vector<std::string> args) {
    std::vector<std::string> cmd = {kMbpoll, "-m",    "rtu", "-a",   std::to_string(address),
                                    "-b",    "19200", "-P",  "none", "-0",
                                    "-1",    "-o",    "0.5"};
    cmd.insert(cmd.end(), args.begin(), args.end());
    cmd.push_back(sim.Link());
    return simtest::Run(cmd, "", {}, 10);
}

RunResult MbpollWrite(const Sim &sim, int address, int reg, std::vector<std::string> values) {
    std::vector<std::string> cmd = {
        kMbpoll, "-m", "rtu", "-a", std::to_string(address), "-b",      "19200", "-P", "none", "-0",
        "-1",    "-o", "0.5", "-r", std::to_string(reg),     sim.Link()};
    cmd.insert(cmd.end(), values.begin(), values.end());
    return simtest::Run(cmd, "", {}, 10);
}

// "[reg]: value" lines of mbpoll's output.
std::map<int, std::string> Values(const std::string &out) {
    std::map<int, std::string> v;
    std::regex line(R"(\[(\d+)\]:\s+(\S+))");
    for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator();
         ++it)
        v[std::stoi((*it)[1])] = (*it)[2];
    return v;
}

class MbpollSim : public ::testing::Test {
  protected:
    void SetUp() override {
        if (access(kMbpoll, X_OK) != 0) GTEST_SKIP() << "mbpoll is not installed";
    }
};

TEST_F(MbpollSim, ReadsIdentificationAndConfiguration) {
    Sim sim({"--bus", "5,9", "--version1", "123", "--version2", "7", "--rated-current", "1"});
    ASSERT_TRUE(sim.Ready());
    RunResult r = Mbpoll(sim, 5, {"-r", "401", "-c", "4"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    std::map<int, std::string> id = Values(r.out);
    EXPECT_EQ(id[401], "123");
    EXPECT_EQ(id[402], "7");
    EXPECT_EQ(id[403], "100");
    EXPECT_EQ(id[404], "500");

    r = Mbpoll(sim, 9, {"-r", "499", "-c", "41"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    std::map<int, std::string> block = Values(r.out);
    ASSERT_EQ(block.size(), 41u);
    EXPECT_EQ(block[499], "100");                      // pulse rate 1
    EXPECT_EQ(block[501], "500");                      // primary voltage mantissa
    EXPECT_EQ(block[507], std::to_string(9 << 8 | 3)); // own address 9, 9600 baud no parity
    EXPECT_EQ(block[536], std::to_string(8 << 8 | 4)); // display 8, connection type 4
    EXPECT_EQ(block[539], std::to_string(0x0C00));     // both logger quantities
}

TEST_F(MbpollSim, ReadsMeasuredValuesAsFloats) {
    Sim sim({"--bus", "5"});
    ASSERT_TRUE(sim.Ready());
    // mbpoll's default word order for 32-bit values is the instrument's: low register first.
    RunResult r = Mbpoll(sim, 5, {"-t", "4:float", "-r", "99", "-c", "33"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    std::map<int, std::string> v = Values(r.out);
    ASSERT_EQ(v.size(), 33u);
    EXPECT_NEAR(std::stod(v[99 + 2 * 28]), 50.0, 0.1);        // frequency
    EXPECT_NEAR(std::stod(v[99 + 2 * 4]), 480.0, 480 * 0.03); // line voltage of a 500 V input
    double pf = std::stod(v[99 + 2 * 32]);
    EXPECT_GT(pf, 0.8);
    EXPECT_LE(pf, 1.0);
}

TEST_F(MbpollSim, WritesReachOnlyTheAddressedInstrument) {
    Sim sim({"--bus", "5,9"});
    ASSERT_TRUE(sim.Ready());
    RunResult w = MbpollWrite(sim, 5, 536, {"1284"}); // one register
    ASSERT_EQ(w.status, 0) << w.out << w.err;
    w = MbpollWrite(sim, 5, 532, {"100", "200"}); // several registers
    ASSERT_EQ(w.status, 0) << w.out << w.err;

    std::map<int, std::string> five = Values(Mbpoll(sim, 5, {"-r", "532", "-c", "5"}).out);
    EXPECT_EQ(five[532], "100");
    EXPECT_EQ(five[533], "200");
    EXPECT_EQ(five[536], "1284");
    std::map<int, std::string> nine = Values(Mbpoll(sim, 9, {"-r", "532", "-c", "5"}).out);
    EXPECT_EQ(nine[532], "0");
    EXPECT_EQ(nine[536], std::to_string(8 << 8 | 4));
}

TEST_F(MbpollSim, RefusalsAndSilence) {
    Sim sim({"--bus", "5"});
    ASSERT_TRUE(sim.Ready());
    struct Case {
        const char *name;
        RunResult result;
        const char *message;
    };
    const Case cases[] = {
        {"read-only register", MbpollWrite(sim, 5, 401, {"7"}), "Illegal data address"},
        {"unknown register", Mbpoll(sim, 5, {"-r", "405"}), "Illegal data address"},
        {"bad command", MbpollWrite(sim, 5, 969, {"9"}), "Illegal data value"},
        {"input registers", Mbpoll(sim, 5, {"-t", "3", "-r", "99"}), "Illegal function"},
        {"no instrument", Mbpoll(sim, 6, {"-r", "401"}), "timed out"},
    };
    for (const Case &c : cases) {
        EXPECT_NE(c.result.status, 0) << c.name;
        EXPECT_NE((c.result.out + c.result.err).find(c.message), std::string::npos)
            << c.name << ": " << c.result.err;
    }
    // The identification is unchanged after the refused write.
    EXPECT_EQ(Values(Mbpoll(sim, 5, {"-r", "401"}).out)[401], "123");
}

} // namespace

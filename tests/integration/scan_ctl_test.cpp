// kr7mctl scan against simulated buses, and the simulator's paced line: the search's output and
// what --save writes, and answers that take at least their line time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim_process.h"

namespace {

using simtest::BinPath;

struct ScanCase {
    const char *name;
    std::string bus;
    std::vector<std::string> options;
    std::vector<std::string> lines; // expected in the output, in order
};

class ScanCtl : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanCtl, PrintsEachFindAndTheTime) {
    const ScanCase &c = GetParam();
    simtest::Sim sim({"--bus", c.bus});
    ASSERT_TRUE(sim.Ready());
    std::vector<std::string> args = {BinPath("kr7mctl"), "--device", sim.Link(), "--baud", "19200"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back("scan");
    simtest::RunResult r = simtest::Run(args, "", {"KR7M_CONFIG_DIR=" + sim.Dir().Path()}, 60);
    EXPECT_EQ(r.status, 0) << r.err;
    size_t at = 0;
    for (const std::string &line : c.lines) {
        size_t found = r.out.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << " in\n" << r.out;
        at = found + line.size();
    }
    EXPECT_NE(r.out.find(" s)\n"), std::string::npos) << "the time taken";
}

INSTANTIATE_TEST_SUITE_P(
    Buses, ScanCtl,
    ::testing::Values(
        ScanCase{"Three",
                 "3,17,30",
                 {},
                 {"found 3\n", "found 17\n", "found 30\n", "3 instruments on addresses 1..32"}},
        ScanCase{"BeyondTheSmallRange", "40", {}, {"no instrument answered on addresses 1..32"}},
        ScanCase{"FullRange",
                 "40,247",
                 {"--range", "247"},
                 {"found 40\n", "found 247\n", "2 instruments on addresses 1..247"}}),
    [](const ::testing::TestParamInfo<ScanCase> &info) { return std::string(info.param.name); });

TEST(ScanCtlSave, WritesTheListAsTheDialogDoes) {
    simtest::Sim sim({"--bus", "5,9"});
    ASSERT_TRUE(sim.Ready());
    const std::string ini = sim.Dir().File("KR7M.ini");
    {
        FILE *f = std::fopen(ini.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("[Interface]\r\nCOMPort = 3\r\nCOMType = 0\r\nDevAddr = 77\r\nDevAddr1 = 1\r\n"
                   "RTSFlow = 1\r\n\r\n[Ports]\r\nCOM3 = \"/dev/ttyUSB7\"\r\n\r\n",
                   f);
        std::fclose(f);
    }
    simtest::RunResult r =
        simtest::Run({BinPath("kr7mctl"), "--port", "3", "--device", sim.Link(), "--baud", "19200",
                      "--parity", "none1", "--no-rts", "scan", "--save"},
                     "", {"KR7M_CONFIG_DIR=" + sim.Dir().Path()}, 60);
    ASSERT_EQ(r.status, 0) << r.err;
    std::string text = simtest::ReadFile(ini);
    for (const char *line :
         {"COMType = 1\r\n", "Baudrate = 4\r\n", "Parity = 3\r\n", "DevAddr1 = 5\r\n",
          "DevAddr2 = 9\r\n", "DevAddr3 = 0\r\n", "DevAddr = 77\r\n", "COMPort = 3\r\n",
          "RTSFlow = 1\r\n", "/dev/ttyUSB7"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
    EXPECT_EQ(text.find(sim.Link()), std::string::npos) << "this run's device is not kept";

    r = simtest::Run({BinPath("kr7mctl"), "--range", "247", "info"}, "",
                     {"KR7M_CONFIG_DIR=" + sim.Dir().Path()});
    EXPECT_EQ(r.status, 2) << "--range belongs to scan";
}

TEST(PacedLine, AnswersTakeAtLeastTheirLineTime) {
    // At 1200 baud 8N1 a character takes 8.3 ms: the 8-byte probe and its echo 133 ms.
    simtest::Sim sim({"--bus", "7", "--paced", "1200", "--turnaround", "20"});
    ASSERT_TRUE(sim.Ready());
    double start = simtest::Now();
    simtest::RunResult r = simtest::Run(
        {BinPath("kr7mctl"), "--device", sim.Link(), "--bus", "7", "--baud", "1200", "probe", "7"});
    double took = simtest::Now() - start;
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_GE(took, 16 * 10 / 1200.0 + 0.020);

    for (const char *bad : {"fast", "9600,7N1", "9600,8X1", "9600,8N3", "10"}) {
        r = simtest::Run({BinPath("kr7m-sim"), sim.Dir().File("other"), "--paced", bad});
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("--paced"), std::string::npos) << r.err;
    }
}

} // namespace

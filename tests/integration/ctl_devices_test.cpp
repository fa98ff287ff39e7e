// kr7mctl's meters, logger and outputs commands against kr7m-sim: what they print, what they
// put on the wire (the simulator's frame log), the export file byte for byte, and what they
// refuse before touching the instrument.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "../logger_export.h"
#include "sim_process.h"

using simtest::Lines;
using simtest::RunResult;
using simtest::Sim;
using simtest::TempDir;

namespace {

int Count(const std::string &text, const std::string &what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class CtlDevices : public ::testing::Test {
  protected:
    TempDir config;
    RunResult Ctl(const Sim &sim, std::vector<std::string> args, double seconds = 30) {
        args.insert(args.begin(), {simtest::BinPath("kr7mctl"), "--device", sim.Link()});
        return simtest::Run(args, "", {"KR7M_CONFIG_DIR=" + config.Path(), "TZ=UTC"}, seconds);
    }
};

TEST_F(CtlDevices, MetersAsTheViewShowsThemWithPresetAndReset) {
    Sim sim({"--meter-scale", "2", "--rate", "2", "--speed", "0.000001"});
    ASSERT_TRUE(sim.Ready());
    RunResult set = Ctl(sim, {"set-meter", "1", "1234.5", "--yes"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(set.out, "Meter 1 set to 1234.5 kWh\n");
    // Read first, then all eight written with the preset one in place (low register first).
    EXPECT_EQ(Count(sim.Log(), "RX FF 10 01 2B 00 10 20 30 39 00 00"), 1) << sim.Log();

    RunResult r = Ctl(sim, {"meters"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 9u) << r.out;
    EXPECT_EQ(lines[0], "Active energy, import, tariff 1\t1234.5\tkWh");
    EXPECT_EQ(lines[4].substr(lines[4].rfind('\t')), "\tkvarh");
    EXPECT_EQ(lines[8], "Active rate\t2");

    RunResult reset = Ctl(sim, {"reset-meters", "0x81", "--yes"});
    EXPECT_EQ(reset.status, 0) << reset.err;
    EXPECT_EQ(Count(sim.Log(), "RX FF 10 01 A3 00 01 02 00 81"), 1);
    EXPECT_EQ(Lines(Ctl(sim, {"meters"}).out)[0], "Active energy, import, tariff 1\t0.0\tkWh");
}

struct RefusalCase {
    const char *name;
    std::vector<std::string> args;
    int status;
    const char *error;
};

class CtlRefusals : public CtlDevices, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(CtlRefusals, NothingIsWritten) {
    const RefusalCase &c = GetParam();
    Sim sim({"--meter-scale", "2", "--digout", "3,3", "--interval", "external"});
    ASSERT_TRUE(sim.Ready());
    RunResult r = Ctl(sim, c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
    EXPECT_EQ(sim.CountRequests("10"), 0) << sim.Log();
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CtlRefusals,
    ::testing::Values(
        RefusalCase{"presetBeyondTheDigits",
                    {"set-meter", "1", "10000000", "--yes"},
                    2,
                    "set-meter needs a reading 0..9999999.9 kWh"},
        RefusalCase{"meterNumber", {"set-meter", "9", "1"}, 2, "a meter 1..8"},
        RefusalCase{"negativePreset", {"set-meter", "--", "1", "-1"}, 2, "a reading of 0 or more"},
        RefusalCase{"declinedPreset", {"set-meter", "1", "5"}, 1, "Not confirmed"},
        RefusalCase{"resetMask", {"reset-meters", "256"}, 2, "a mask 1..255"},
        RefusalCase{"declinedOutputs", {"outputs", "1=on"}, 1, "Not confirmed"},
        RefusalCase{"outputTwice", {"outputs", "1=on", "1=off"}, 2, "names output 1 twice"},
        RefusalCase{"outputWord", {"outputs", "3=on"}, 2, "1=on, 1=off, 2=on or 2=off"},
        RefusalCase{"intervalNeeded", {"logger", "download", "x.txt"}, 2, "give --interval"},
        RefusalCase{"badNewest",
                    {"logger", "download", "x.txt", "--newest", "2026-02-30 1:00:00"},
                    2,
                    "--newest needs"},
        RefusalCase{"holdElsewhere", {"meters", "--hold", "1"}, 2, "--hold belongs to outputs"},
        RefusalCase{"declinedLoggerReset", {"logger", "reset"}, 1, "Not confirmed"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(CtlDevices, LoggerDownloadWritesTheViewsExportAndPrintsItsLines) {
    Sim sim({"--logger", "active", "--logger-mode", "ask", "--logger-records", "6",
             "--logger-failed", "3"});
    ASSERT_TRUE(sim.Ready());
    std::string path = config.File("export.txt");
    RunResult asks = Ctl(sim, {"logger", "download", path});
    EXPECT_EQ(asks.status, 2);
    EXPECT_NE(asks.err.find("give --newest"), std::string::npos) << asks.err;

    RunResult r = Ctl(sim, {"logger", "download", path, "--newest", "2026-03-14 12:00:00"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(simtest::ReadFile(path), kExpectedLoggerExport);
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], " 1006:  (14.03.26  11:30:00)       0.00 [kW]    FAILED");

    RunResult status = Ctl(sim, {"logger", "status"});
    EXPECT_EQ(status.status, 0);
    EXPECT_EQ(status.out, "Mode\tMode 1 (newest record's time asked)\n"
                          "Interval\t15:00\n"
                          "Active power\tlogged\n"
                          "Reactive power\tnot logged\n"
                          "Values stored\t6\n"
                          "Records\t6\n"
                          "Time span\t00:01:30\n"
                          "Failed values\t1006\n");
}

TEST_F(CtlDevices, FailedBlockKeepsTheRecordsReadSoFar) {
    // Requests: 3 of the configuration, the status word, the logger status, block 1; block 2 and
    // its retries are lost.
    Sim sim({"--logger-records", "100", "--fault", "drop:at=7-10"});
    ASSERT_TRUE(sim.Ready());
    std::string path = config.File("partial.txt");
    RunResult r = Ctl(sim, {"logger", "download", path, "--records", "80"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Download failed: 30 records kept"), std::string::npos) << r.err;
    std::string file = simtest::ReadFile(path);
    EXPECT_EQ(Count(file, "\r\n"), 30);
    EXPECT_EQ(Lines(r.out).size(), 30u);
    EXPECT_EQ(Count(sim.Log(), "RX FF 03 04 FF 00 78"), 1)
        << "block 1 of 80 records: 120 registers from 1279";
}

TEST_F(CtlDevices, OutputsGoIntoManualModeAndBackAfterTheHold) {
    Sim sim({"--digout", "3,130"});
    ASSERT_TRUE(sim.Ready());
    RunResult r = Ctl(sim, {"outputs", "1=on", "2=off", "--hold", "0.2", "--yes"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Output 1 on\nOutput 2 off\nOutputs given back their functions\n");
    std::string log = sim.Log();
    size_t manual = log.find("RX FF 10 02 19 00 02 04 00 83 82 0F");
    size_t on = log.find("RX FF 10 01 8F 00 01 02 21 00");
    size_t off = log.find("RX FF 10 01 8F 00 01 02 02 00");
    size_t back = log.find("RX FF 10 02 19 00 02 04 00 03 82 0F");
    ASSERT_NE(manual, std::string::npos) << log;
    ASSERT_NE(back, std::string::npos) << log;
    EXPECT_LT(manual, on);
    EXPECT_LT(on, off);
    EXPECT_LT(off, back);

    // Both already in manual mode: nothing asked, nothing written but the states.
    Sim manualSim({"--digout", "128,128"});
    ASSERT_TRUE(manualSim.Ready());
    RunResult m = Ctl(manualSim, {"outputs", "2=on", "--hold", "0"});
    EXPECT_EQ(m.status, 0) << m.err;
    EXPECT_EQ(m.out, "Output 2 on\n");
    EXPECT_EQ(Count(manualSim.Log(), "RX FF 10 02 19"), 0);
    EXPECT_EQ(Count(manualSim.Log(), "RX FF 10 01 8F 00 01 02 42 00"), 1);
}

} // namespace

// kr7mctl's read-outs against kr7m-sim: one line per field the view shows for the connection
// type, the texts of the views' fields (markers included), the exit statuses, the recording.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "config/commands.h"
#include "config/record.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "platform/serial/portmap.h"
#include "sim_process.h"

using simtest::Lines;
using simtest::RunResult;
using simtest::Sim;
using simtest::TempDir;

namespace {

// The caption of each line, up to the first tab.
std::vector<std::string> Captions(const std::string &text) {
    std::vector<std::string> out;
    for (const std::string &l : Lines(text)) out.push_back(l.substr(0, l.find('\t')));
    return out;
}

class CtlReadout : public ::testing::Test {
  protected:
    TempDir config;
    RunResult Ctl(const Sim &sim, std::vector<std::string> args, double seconds = 20) {
        args.insert(args.begin(), {simtest::BinPath("kr7mctl"), "--device", sim.Link()});
        return simtest::Run(args, "", {"KR7M_CONFIG_DIR=" + config.Path()}, seconds);
    }
    // Gives the simulated instrument another connection type through its configuration block.
    static void SetConnection(const Sim &sim, int system) {
        CommType = 0;
        ASSERT_EQ(SetComPortDevice(1, sim.Link().c_str()), 0);
        ASSERT_EQ(InitInterface(1), 1);
        ASSERT_EQ(Read(&Lese, ReadConfigBlock, 1), 1);
        Lese.System = static_cast<uint8_t>(system);
        ASSERT_EQ(Write(&Lese, WriteConfigBlock, 1, 0), 1);
        CloseInterface();
    }
};

struct FieldsCase {
    const char *name;
    const char *command;
    int system;
    std::vector<std::string> captions;
};

class ReadoutFields : public CtlReadout, public ::testing::WithParamInterface<FieldsCase> {};

TEST_P(ReadoutFields, OneLinePerShownField) {
    const FieldsCase &c = GetParam();
    Sim sim({}, false);
    ASSERT_TRUE(sim.Ready());
    SetConnection(sim, c.system);
    RunResult r = Ctl(sim, {c.command});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Captions(r.out), c.captions) << r.out;
    for (const std::string &l : Lines(r.out)) {
        std::vector<std::string> cells;
        std::istringstream in(l);
        for (std::string cell; std::getline(in, cell, '\t');) cells.push_back(cell);
        ASSERT_GE(cells.size(), 2u) << l;
        EXPECT_NE(cells[1].find('.'), std::string::npos) << "a number: " << l;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Connections, ReadoutFields,
    ::testing::Values(
        FieldsCase{"values_type1", "values", 1, {"U", "I", "Iavg", "P", "Q", "S", "f", "PF"}},
        FieldsCase{"values_type3",
                   "values",
                   3,
                   {"U12", "U23", "U31", "I1", "I2", "I3", "I1avg", "I2avg", "I3avg", "P", "Q", "S",
                    "f", "PF"}},
        FieldsCase{"minmax_type1",
                   "minmax",
                   1,
                   {"Umax", "Imax", "Iavgmax", "Pmax", "Qmax", "Smax", "Umin", "PFmin", "PFmax"}},
        FieldsCase{"mean_type1",
                   "mean",
                   1,
                   {"Pint running", "Pint last", "Pint previous", "Pint highest", "Pint lowest",
                    "Qint running", "Qint last", "Qint previous", "Qint highest", "Qint lowest",
                    "Sint running", "Sint last", "Sint previous", "Sint highest", "Sint lowest"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(CtlReadout, FourWireShowsEveryPhase) {
    Sim sim({}, false);
    ASSERT_TRUE(sim.Ready());
    RunResult r = Ctl(sim, {"values"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Lines(r.out).size(), 30u) << "33 values less U, I and Iavg";
    EXPECT_EQ(Lines(r.out)[0].substr(0, 4), "U1N\t");
}

struct MarkerCase {
    const char *setting;
    const char *line;
};

TEST_F(CtlReadout, MarkersAsTheFieldsShowThem) {
    const MarkerCase cases[] = {
        {"values 28 44.2", "f\t< 45\tHz\t!"}, {"values 28 65.01", "f\t> 65\tHz\t!"},
        {"values 28 45", "f\t45.00\tHz"},     {"values 32 1.0001", "PF\t---\t\t!"},
        {"values 32 -1", "PF\t-1.000\t"},     {"values 19 ovl", "P\tOVL\tkW\t!"},
        {"values 27 nan", "S\tOVL\tkVA\t!"},  {"values 23 -2500", "Q\t-2.500\tkvar"},
    };
    for (const MarkerCase &c : cases) {
        Sim sim({"--set", c.setting}, false);
        ASSERT_TRUE(sim.Ready());
        SetConnection(sim, 1);
        RunResult r = Ctl(sim, {"values"});
        EXPECT_EQ(r.status, 0) << c.setting << r.err;
        bool found = false;
        for (const std::string &l : Lines(r.out)) found = found || l == c.line;
        EXPECT_TRUE(found) << c.setting << "\n" << r.out;
    }
}

TEST_F(CtlReadout, FailuresAndUsage) {
    Sim sim({"--fault", "drop:p=1"}, false);
    ASSERT_TRUE(sim.Ready());
    RunResult r = Ctl(sim, {"values"});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.empty()) << "the failure is told";

    Sim silent({}, false);
    ASSERT_TRUE(silent.Ready());
    const std::vector<std::vector<std::string>> usage = {
        {"values", "extra"},          {"values", "--watch", "0"}, {"info", "--csv", "x.csv"},
        {"reset-minmax", "256"},      {"reset-minmax"},           {"mean", "--yes"},
        {"minmax", "--watch", "abc"},
    };
    for (const auto &args : usage) EXPECT_EQ(Ctl(silent, args).status, 2) << args[0];
}

TEST_F(CtlReadout, WatchRecordsEveryRead) {
    Sim sim({}, false);
    ASSERT_TRUE(sim.Ready());
    std::string csv = config.File("values.csv");
    // Killed by the time limit of the run: the rows already written stay.
    Ctl(sim, {"values", "--watch", "0.3", "--csv", csv}, 2.5);
    std::vector<std::string> rows = Lines(simtest::ReadFile(csv));
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0].substr(0, 16), "Time,U1N [V],U2N");
}

TEST_F(CtlReadout, ResetAsksFirstAndSendsTheMask) {
    Sim sim({});
    ASSERT_TRUE(sim.Ready());
    RunResult declined = Ctl(sim, {"reset-minmax", "0x0A"});
    EXPECT_EQ(declined.status, 1);
    EXPECT_EQ(sim.CountRequests("10"), 0) << "nothing sent without a yes";
    RunResult r = Ctl(sim, {"reset-minmax", "10", "--yes"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(sim.Log().find("01 AD 00 01 02 00 0A"), std::string::npos) << sim.Log();
}

} // namespace

// kr7m-sim's command line without a process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/simargs.h"

namespace {

CommandLineAction Parse(const std::vector<std::string> &args, SimOptions *o, std::string *error) {
    std::vector<const char *> argv = {"kr7m-sim"};
    for (const std::string &a : args) argv.push_back(a.c_str());
    return ParseSimCommandLine(static_cast<int>(argv.size()), argv.data(), o, error);
}

TEST(SimCommandLine, GoodOptionsInBothForms) {
    SimOptions o;
    std::string error;
    ASSERT_EQ(Parse({"--bus=1,247",
                     "/tmp/link",
                     "--bus",
                     "5",
                     "--rated-current=1",
                     "--rated-voltage",
                     "400",
                     "--version1=7",
                     "--version2",
                     "0",
                     "--config",
                     "a.KR7",
                     "--log=f.log",
                     "--speed=0.5",
                     "--logger-records",
                     "0",
                     "--logger-failed=0,3",
                     "--fault",
                     "drop:first=2",
                     "--fault=crc"},
                    &o, &error),
              kRunProgram)
        << error;
    EXPECT_EQ(o.link, "/tmp/link");
    EXPECT_EQ(o.busAddresses, (std::vector<int>{1, 247, 5}));
    EXPECT_EQ(o.id.ratedI, 100);
    EXPECT_EQ(o.id.ratedU, 400);
    EXPECT_EQ(o.id.version1, 7);
    EXPECT_EQ(o.id.version2, 0);
    EXPECT_EQ(o.configPath, "a.KR7");
    EXPECT_EQ(o.logPath, "f.log");
    EXPECT_DOUBLE_EQ(o.speed, 0.5);
    EXPECT_EQ(o.loggerRecords, 0);
    EXPECT_EQ(o.failedRecords, (std::vector<int>{0, 3}));
    ASSERT_EQ(o.plan.rules.size(), 2u);
    EXPECT_EQ(o.plan.rules[0].kind, FaultKind::Drop);
    EXPECT_EQ(o.plan.rules[1].kind, FaultKind::BadCrc);
}

TEST(SimCommandLine, SeedChangesTheRandomFaults) {
    SimOptions a, b, c;
    std::string error;
    ASSERT_EQ(Parse({"x", "--seed", "1"}, &a, &error), kRunProgram);
    ASSERT_EQ(Parse({"x", "--seed=2"}, &b, &error), kRunProgram);
    ASSERT_EQ(Parse({"x", "--seed", "1"}, &c, &error), kRunProgram);
    EXPECT_NE(a.plan.rng, b.plan.rng);
    EXPECT_EQ(a.plan.rng, c.plan.rng);
    EXPECT_NE(a.plan.rng, 0u);
}

TEST(SimCommandLine, MistakesAreNamed) {
    struct Case {
        std::vector<std::string> args;
        const char *error;
    };
    const Case cases[] = {
        {{}, "LINK is missing"},
        {{"--bus", "5"}, "LINK is missing"},
        {{"a", "b"}, "only one LINK may be given, not 'b' as well"},
        {{"x", "--bus", "0"}, "--bus needs bus addresses 1..247, not '0'"},
        {{"x", "--bus=248"}, "--bus needs bus addresses 1..247, not '248'"},
        {{"x", "--bus", "1,1"}, "--bus names address 1 twice"},
        {{"x", "--bus", "3", "--bus=3"}, "--bus names address 3 twice"},
        {{"x", "--bus"}, "--bus needs bus addresses 1..247"},
        {{"x", "--rated-current", "2"},
         "--rated-current needs a rated current 1 or 5 (A), not '2'"},
        {{"x", "--rated-voltage=0"},
         "--rated-voltage needs a rated voltage in V 1..32767, not '0'"},
        {{"x", "--version1", "-1"}, "--version1 needs a version in hundredths 0..32767, not '-1'"},
        {{"x", "--fault", "explode"},
         "--fault needs fault rules, not 'explode': unknown fault \"explode\" (drop, crc, short, "
         "late)"},
        {{"x", "--speed", "0"}, "--speed needs a factor above 0, at most 1000000, not '0'"},
        {{"x", "--speed=inf"}, "--speed needs a factor above 0, at most 1000000, not 'inf'"},
        {{"x", "--logger-records", "4001"},
         "--logger-records needs a record count 0..4000, not '4001'"},
        {{"x", "--logger-failed=a"}, "--logger-failed needs record numbers 0..4000, not 'a'"},
        {{"x", "--seed", "-1"}, "--seed needs a seed 0..2147483647, not '-1'"},
        {{"x", "--config="}, "--config needs a configuration file"},
        {{"x", "--frobnicate"}, "unknown option '--frobnicate'"},
    };
    for (const Case &c : cases) {
        SimOptions o;
        std::string error, what;
        for (const std::string &a : c.args) what += a + " ";
        EXPECT_EQ(Parse(c.args, &o, &error), kBadUsage) << what;
        EXPECT_EQ(error, c.error) << what;
    }
}

TEST(SimCommandLine, HelpAndVersion) {
    SimOptions o;
    std::string error;
    EXPECT_EQ(Parse({"--help"}, &o, &error), kShowHelp);
    EXPECT_EQ(Parse({"x", "-h"}, &o, &error), kShowHelp);
    EXPECT_EQ(Parse({"--version"}, &o, &error), kShowVersion);
    std::string help = SimHelpText();
    for (const char *word : {"--bus", "--fault", "--seed", "--speed", "--version", "--seed=7"})
        EXPECT_NE(help.find(word), std::string::npos) << word;
}

} // namespace

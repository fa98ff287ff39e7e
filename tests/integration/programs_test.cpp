// The three programs' own options as a user meets them: --help and --version print and end,
// anything else is named as unknown and ends with status 2. The window never starts for them,
// so each run is given only a few seconds.
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

#include "options/options.h"
#include "sim_process.h"

using simtest::RunResult;

namespace {

bool Exists(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

TEST(Programs, HelpVersionAndUnknownOptions) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out; // beginning of standard output
        std::string err; // all of standard error
    };
    for (std::string program : {"kr7m", "kr7mctl", "kr7m-sim"}) {
        std::string path = simtest::BinPath(program.c_str());
        if (!Exists(path)) {
            ADD_FAILURE_AT(__FILE__, __LINE__) << program << " was not built";
            continue;
        }
        std::string again = "\nTry '" + program + " --help'.\n";
        const Case cases[] = {
            {{"--version"}, 0, program + " " + kPackageVersion + "\n", ""},
            {{"--help"}, 0, "Usage: " + program + " ", ""},
            {{"-h"}, 0, "Usage: " + program + " ", ""},
            {{"--frobnicate"}, 2, "", program + ": unknown option '--frobnicate'" + again},
        };
        for (const Case &c : cases) {
            std::vector<std::string> args = {path};
            args.insert(args.end(), c.args.begin(), c.args.end());
            RunResult r = simtest::Run(args, "", {}, 5);
            std::string what = program + " " + c.args[0];
            EXPECT_EQ(r.status, c.status) << what;
            if (c.status == 0 && c.out.back() == '\n') {
                EXPECT_EQ(r.out, c.out) << what;
            } else {
                EXPECT_EQ(r.out.compare(0, c.out.size(), c.out), 0) << what << ": " << r.out;
            }
            EXPECT_EQ(r.err, c.err) << what;
        }
    }
}

TEST(Programs, TheWindowTakesNoOtherArguments) {
    std::string path = simtest::BinPath("kr7m");
    if (!Exists(path)) GTEST_SKIP() << "kr7m was not built";
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"plant.KR7"}, "kr7m: unknown argument 'plant.KR7'\nTry 'kr7m --help'.\n"},
        {{"--version=2"}, "kr7m: unknown option '--version=2'\nTry 'kr7m --help'.\n"},
        {{"-platform", "offscreen"}, "kr7m: unknown option '-platform'\nTry 'kr7m --help'.\n"},
    };
    for (const Case &c : cases) {
        std::vector<std::string> args = {path};
        args.insert(args.end(), c.args.begin(), c.args.end());
        RunResult r = simtest::Run(args, "", {}, 5);
        EXPECT_EQ(r.status, 2) << c.args[0];
        EXPECT_EQ(r.out, "") << c.args[0];
        EXPECT_EQ(r.err, c.err) << c.args[0];
    }
}

} // namespace

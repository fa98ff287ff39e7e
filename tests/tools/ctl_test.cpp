// kr7mctl without a process: its command line, its command table and how it shows what the
// instrument reports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ctl/ctl.h"

namespace {

CommandLineAction Parse(const std::vector<std::string> &args, CtlOptions *o, std::string *error) {
    std::vector<const char *> argv = {"kr7mctl"};
    for (const std::string &a : args) argv.push_back(a.c_str());
    return ParseCtlCommandLine(static_cast<int>(argv.size()), argv.data(), o, error);
}

TEST(CtlCommandLine, LinkOptionsInBothFormsAndEveryRange) {
    struct Case {
        std::vector<std::string> args;
        int port, bus, baud, parity;
    };
    const Case cases[] = {
        {{"info"}, 0, 0, -1, -1},
        {{"--port", "1", "info"}, 1, 0, -1, -1},
        {{"--port=8", "info"}, 8, 0, -1, -1},
        {{"info", "--bus", "1"}, 0, 1, -1, -1},
        {{"--bus=247", "info"}, 0, 247, -1, -1},
        // Baud rates by rate and by index.
        {{"--baud", "1200", "info"}, 0, 0, 0, -1},
        {{"--baud=2400", "info"}, 0, 0, 1, -1},
        {{"--baud", "4800", "info"}, 0, 0, 2, -1},
        {{"--baud", "9600", "info"}, 0, 0, 3, -1},
        {{"--baud", "19200", "info"}, 0, 0, 4, -1},
        {{"--baud", "0", "info"}, 0, 0, 0, -1},
        {{"--baud=4", "info"}, 0, 0, 4, -1},
        // Parities by name (none has the two stop bits, none1 one) and by index.
        {{"--parity", "none", "info"}, 0, 0, -1, 0},
        {{"--parity", "none2", "info"}, 0, 0, -1, 0},
        {{"--parity=even", "info"}, 0, 0, -1, 1},
        {{"--parity", "ODD", "info"}, 0, 0, -1, 2},
        {{"--parity", "none1", "info"}, 0, 0, -1, 3},
        {{"--parity", "0", "info"}, 0, 0, -1, 0},
        {{"--parity=3", "info"}, 0, 0, -1, 3},
    };
    for (const Case &c : cases) {
        CtlOptions o;
        std::string error, what;
        for (const std::string &a : c.args) what += a + " ";
        ASSERT_EQ(Parse(c.args, &o, &error), kRunProgram) << what << ": " << error;
        EXPECT_EQ(o.port, c.port) << what;
        EXPECT_EQ(o.bus, c.bus) << what;
        EXPECT_EQ(o.baud, c.baud) << what;
        EXPECT_EQ(o.parity, c.parity) << what;
        EXPECT_STREQ(o.command->name, "info") << what;
    }
}

TEST(CtlCommandLine, CommandsAndTheirArguments) {
    CtlOptions o;
    std::string error;
    ASSERT_EQ(
        Parse({"--device=/tmp/kr7m", "send-config", "plant.KR7", "-y", "--no-rts"}, &o, &error),
        kRunProgram)
        << error;
    EXPECT_STREQ(o.command->name, "send-config");
    EXPECT_EQ(o.args, std::vector<std::string>{"plant.KR7"});
    EXPECT_EQ(o.device, "/tmp/kr7m");
    EXPECT_TRUE(o.yes);
    EXPECT_TRUE(o.noRts);

    o = CtlOptions();
    ASSERT_EQ(Parse({"probe", "247"}, &o, &error), kRunProgram) << error;
    EXPECT_EQ(o.args, std::vector<std::string>{"247"});
    // After "--" a file name may begin with a dash.
    o = CtlOptions();
    ASSERT_EQ(Parse({"read-config", "--", "-odd.KR7"}, &o, &error), kRunProgram) << error;
    EXPECT_EQ(o.args, std::vector<std::string>{"-odd.KR7"});
}

TEST(CtlCommandLine, MistakesAreNamed) {
    struct Case {
        std::vector<std::string> args;
        const char *error;
    };
    const std::string device(300, 'd');
    const Case cases[] = {
        {{}, "no command given"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"info", "extra"}, "info takes no arguments"},
        {{"read-config"}, "read-config needs FILE"},
        {{"read-config", "a", "b"}, "read-config takes only FILE"},
        {{"probe", "0"}, "probe needs a bus address 1..247, not '0'"},
        {{"probe", "248"}, "probe needs a bus address 1..247, not '248'"},
        {{"probe", "255"}, "probe needs a bus address 1..247, not '255'"},
        {{"probe", "abc"}, "probe needs a bus address 1..247, not 'abc'"},
        {{"--port", "0", "info"}, "--port needs a port number 1..8, not '0'"},
        {{"--port=9", "info"}, "--port needs a port number 1..8, not '9'"},
        {{"info", "--port"}, "--port needs a port number 1..8"},
        {{"--bus", "0", "info"}, "--bus needs a bus address 1..247, not '0'"},
        {{"--bus=248", "info"}, "--bus needs a bus address 1..247, not '248'"},
        {{"--baud", "9601", "info"},
         "--baud needs a baud rate 1200, 2400, 4800, 9600 or 19200 (or its index 0..4), not "
         "'9601'"},
        {{"--baud=5", "info"},
         "--baud needs a baud rate 1200, 2400, 4800, 9600 or 19200 (or its index 0..4), not '5'"},
        {{"--parity", "-1", "info"},
         "--parity needs a parity none, even, odd or none1 (or its index 0..3), not '-1'"},
        {{"--parity=mark", "info"},
         "--parity needs a parity none, even, odd or none1 (or its index 0..3), not 'mark'"},
        {{"--device=", "info"}, "--device needs a device path"},
        {{"--device", device, "info"}, "--device needs a path of at most 255 characters"},
        {{"--no-rts=yes", "info"}, "--no-rts takes no value"},
        {{"--yes", "info"},
         "--yes belongs to the commands that ask first (send-config, reset-minmax, reset-meters, "
         "set-meter, logger reset, outputs)"},
        {{"--colour", "info"}, "unknown option '--colour'"},
    };
    for (const Case &c : cases) {
        CtlOptions o;
        std::string error, what;
        for (const std::string &a : c.args) what += a.substr(0, 20) + " ";
        EXPECT_EQ(Parse(c.args, &o, &error), kBadUsage) << what;
        EXPECT_EQ(error, c.error) << what;
    }
}

TEST(CtlCommandLine, HelpAndVersionWinOverTheRest) {
    struct Case {
        std::vector<std::string> args;
        CommandLineAction action;
    };
    const Case cases[] = {
        {{"--help"}, kShowHelp},         {{"-h"}, kShowHelp},
        {{"info", "--help"}, kShowHelp}, {{"frobnicate", "--help"}, kShowHelp},
        {{"--version"}, kShowVersion},   {{"--port", "9", "--version"}, kBadUsage},
    };
    for (const Case &c : cases) {
        CtlOptions o;
        std::string error;
        EXPECT_EQ(Parse(c.args, &o, &error), c.action) << c.args[0];
    }
}

TEST(CtlCommandTable, EveryRowIsFoundListedAndSound) {
    std::string help = CtlHelpText();
    for (int i = 0; i < kCtlCommandCount; ++i) {
        const CtlCommand &c = kCtlCommands[i];
        EXPECT_TRUE(c.run && c.help && *c.help) << c.name;
        EXPECT_LE(c.minArgs, c.maxArgs) << c.name;
        EXPECT_EQ(*c.arguments == '\0', c.maxArgs == 0) << c.name;
        std::string line = std::string("\n  ") + c.name + (*c.arguments ? " " : "") + c.arguments;
        EXPECT_NE(help.find(line), std::string::npos) << c.name;
        EXPECT_NE(help.find(c.help), std::string::npos) << c.name;
        for (int j = 0; j < i; ++j) EXPECT_STRNE(kCtlCommands[j].name, c.name);

        // Found by its own words, with the arguments after them left over.
        std::vector<std::string> words;
        std::string name = c.name;
        for (size_t at = 0; at != std::string::npos;) {
            size_t sp = name.find(' ', at);
            words.push_back(name.substr(at, sp == std::string::npos ? sp : sp - at));
            at = sp == std::string::npos ? sp : sp + 1;
        }
        size_t used = words.size();
        words.push_back("argument");
        size_t nameWords = 99;
        EXPECT_EQ(FindCtlCommand(words, &nameWords), &c) << c.name;
        EXPECT_EQ(nameWords, used) << c.name;
    }
    size_t nameWords = 99;
    EXPECT_EQ(FindCtlCommand({"inf"}, &nameWords), nullptr);
    EXPECT_EQ(FindCtlCommand({}, &nameWords), nullptr);
    EXPECT_EQ(nameWords, 0u);
}

TEST(CtlFormat, DeviceTypeNamedThenRaw) {
    struct Case {
        unsigned char bytes[6];
        const char *text;
    };
    const Case cases[] = {
        {{'K', 'R', '7', 'M', 1, 5}, "KR7M, with option module, 5 A (4B 52 37 4D 01 05)"},
        {{'K', 'R', '7', 'M', 0, 1}, "KR7M, without option module, 1 A (4B 52 37 4D 00 01)"},
        {{'K', 'R', '7', 0, 2, 9}, "KR7, variant 2, input code 9 (4B 52 37 00 02 09)"},
        {{'K', 'R', ' ', ' ', 1, 1}, "KR, with option module, 1 A (4B 52 20 20 01 01)"},
        {{0, 0, 0, 0, 0, 0}, "not recognised (00 00 00 00 00 00)"},
        {{0xFF, 'R', '7', 'M', 1, 5}, "not recognised (FF 52 37 4D 01 05)"},
        {{'K', 0, '7', 'M', 1, 5}, "not recognised (4B 00 37 4D 01 05)"},
    };
    for (const Case &c : cases) EXPECT_EQ(DescribeDevtype(c.bytes), c.text) << c.text;
}

TEST(CtlFormat, Versions) {
    struct Case {
        int hundredths;
        const char *text;
    };
    const Case cases[] = {{123, "1.23"},   {5, "0.05"},   {0, "0.00"},
                          {-105, "-1.05"}, {-5, "-0.05"}, {32767, "327.67"}};
    for (const Case &c : cases) {
        char out[16];
        FormatVersion(c.hundredths, out, sizeof out);
        EXPECT_STREQ(out, c.text) << c.hundredths;
    }
}

} // namespace

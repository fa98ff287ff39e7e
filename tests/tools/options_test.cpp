// The option reader shared by the command-line programs: both value forms, ranges, lists,
// words, flags, and the one wording of its errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options/options.h"

namespace {

// Runs the reader over `args` (without the program name) with a small set of options, the way
// the programs use it. Returns "" or the error; `seen` lists what was read.
struct Seen {
    long number = -1;
    int word = -1;
    double real = 0;
    std::vector<int> list;
    std::string text;
    bool flag = false;
    std::vector<std::string> operands;
};

const OptionWord kColours[] = {{"red", 1}, {"green", 2}, {"0", 0}};

std::string Read(const std::vector<std::string> &args, Seen *seen) {
    std::vector<const char *> argv = {"prog"};
    for (const std::string &a : args) argv.push_back(a.c_str());
    OptionReader r(static_cast<int>(argv.size()), argv.data());
    while (r.Next()) {
        bool ok = true;
        if (!r.IsOption())
            seen->operands.push_back(r.Arg());
        else if (r.Is("--num"))
            ok = r.Number(1L, 247L, "an address", &seen->number);
        else if (r.Is("--colour"))
            ok = r.Word(kColours, 3, "a colour red or green", &seen->word);
        else if (r.Is("--factor"))
            ok = r.Real(0, 100, "a factor above 0, at most 100", &seen->real);
        else if (r.Is("--list"))
            ok = r.List(0, 10, "numbers", &seen->list);
        else if (r.Is("--file"))
            ok = r.Text("a file", &seen->text);
        else if (r.Is("--yes", "-y"))
            ok = (seen->flag = true) && r.Flag();
        else
            ok = r.Unknown();
        if (!ok) return r.Error();
    }
    return "";
}

TEST(OptionReader, GoodValuesInBothForms) {
    struct Case {
        std::vector<std::string> args;
        long number;
        int word;
        std::vector<int> list;
        std::string text;
    };
    const Case cases[] = {
        {{"--num", "1"}, 1, -1, {}, ""},
        {{"--num=247"}, 247, -1, {}, ""},
        {{"--num", "5", "--num=6"}, 6, -1, {}, ""}, // the last one counts
        {{"--colour", "RED"}, -1, 1, {}, ""},
        {{"--colour=green"}, -1, 2, {}, ""},
        {{"--colour=0"}, -1, 0, {}, ""},
        {{"--list", "0,10,3"}, -1, -1, {0, 10, 3}, ""},
        {{"--list=4", "--list", "5"}, -1, -1, {4, 5}, ""}, // lists add up
        {{"--file", "a=b"}, -1, -1, {}, "a=b"},
        {{"--file=x=y"}, -1, -1, {}, "x=y"}, // only the first '=' splits
        {{"--file", "--num"}, -1, -1, {}, "--num"},
        {{"--file", "-"}, -1, -1, {}, "-"},
    };
    for (const Case &c : cases) {
        Seen s;
        std::string what = c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : "");
        EXPECT_EQ(Read(c.args, &s), "") << what;
        EXPECT_EQ(s.number, c.number) << what;
        EXPECT_EQ(s.word, c.word) << what;
        EXPECT_EQ(s.list, c.list) << what;
        EXPECT_EQ(s.text, c.text) << what;
    }
}

TEST(OptionReader, BadValuesAreNamedWithTheirRange) {
    struct Case {
        std::vector<std::string> args;
        const char *error;
    };
    const Case cases[] = {
        {{"--num", "0"}, "--num needs an address 1..247, not '0'"},
        {{"--num=248"}, "--num needs an address 1..247, not '248'"},
        {{"--num", "-1"}, "--num needs an address 1..247, not '-1'"},
        {{"--num", "5x"}, "--num needs an address 1..247, not '5x'"},
        {{"--num", " 5"}, "--num needs an address 1..247, not ' 5'"},
        {{"--num", "+5"}, "--num needs an address 1..247, not '+5'"},
        {{"--num", "0x10"}, "--num needs an address 1..247, not '0x10'"},
        {{"--num", "99999999999999999999"},
         "--num needs an address 1..247, not '99999999999999999999'"},
        {{"--num="}, "--num needs an address 1..247, not ''"},
        {{"--num"}, "--num needs an address 1..247"},
        {{"--colour", "blue"}, "--colour needs a colour red or green, not 'blue'"},
        {{"--colour"}, "--colour needs a colour red or green"},
        {{"--factor", "0"}, "--factor needs a factor above 0, at most 100, not '0'"},
        {{"--factor", "100.5"}, "--factor needs a factor above 0, at most 100, not '100.5'"},
        {{"--factor", "nan"}, "--factor needs a factor above 0, at most 100, not 'nan'"},
        {{"--factor", "2x"}, "--factor needs a factor above 0, at most 100, not '2x'"},
        {{"--list", "1,,2"}, "--list needs numbers 0..10, not '1,,2'"},
        {{"--list", "1,"}, "--list needs numbers 0..10, not '1,'"},
        {{"--list", "11"}, "--list needs numbers 0..10, not '11'"},
        {{"--file="}, "--file needs a file"},
        {{"--file"}, "--file needs a file"},
        {{"--yes=1"}, "--yes takes no value"},
        {{"--colours", "red"}, "unknown option '--colours'"},
        {{"--nu=5"}, "unknown option '--nu'"},
        {{"-x"}, "unknown option '-x'"},
    };
    for (const Case &c : cases) {
        Seen s;
        EXPECT_EQ(Read(c.args, &s), c.error) << c.args[0];
    }
}

TEST(OptionReader, OperandsAndTheEndOfOptions) {
    Seen s;
    EXPECT_EQ(Read({"a", "--num", "3", "b", "-y", "--", "--num", "-", "-y"}, &s), "");
    EXPECT_EQ(s.number, 3);
    EXPECT_TRUE(s.flag);
    EXPECT_EQ(s.operands, (std::vector<std::string>{"a", "b", "--num", "-", "-y"}));
}

TEST(OptionReader, ListTakesAllOrNothing) {
    std::vector<int> got = {7};
    EXPECT_FALSE(ParseList("1,2,x", 0, 10, &got));
    EXPECT_EQ(got, std::vector<int>{7});
    EXPECT_TRUE(ParseList("1,2", 0, 10, &got));
    EXPECT_EQ(got, (std::vector<int>{7, 1, 2}));
}

TEST(OptionReader, MessagesForPeople) {
    EXPECT_EQ(UsageText("kr7mctl", "no command given"),
              "kr7mctl: no command given\nTry 'kr7mctl --help'.\n");
    EXPECT_EQ(VersionText("kr7m-sim"), std::string("kr7m-sim ") + kPackageVersion + "\n");
    EXPECT_STREQ(kPackageVersion, "1.00");
}

} // namespace

// The console reporter: what it prints, how it answers, what it remembers.
#include "link/messages.h"
#include "link/report.h"
#include "link/report_console.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Captures what the reporter prints.
class Capture {
  public:
    Capture() : f_(std::tmpfile()) { Console_SetOutput(f_); }
    ~Capture() {
        Console_SetOutput(stderr);
        std::fclose(f_);
    }
    std::string Text() {
        std::fflush(f_);
        std::rewind(f_);
        std::string s;
        int c;
        while ((c = std::fgetc(f_)) != EOF) s += static_cast<char>(c);
        return s;
    }

  private:
    FILE *f_;
};

// An input stream holding the given answer text.
FILE *Input(const char *text) {
    FILE *f = std::tmpfile();
    std::fputs(text, f);
    std::rewind(f);
    return f;
}

TEST(ConsoleReport, ErrorPrintsTextsAndDetailOnce) {
    Console_ResetCounts();
    Capture out;
    SetErrorDetail("/dev/ttyUSB0: Permission denied. Add yourself to the group dialout.");
    EXPECT_EQ(Error(0, 0), 1);
    EXPECT_EQ(Error(3, 6), 1);
    std::string text = out.Text();
    EXPECT_EQ(text, std::string("error 0/0: Communication error: ") + messages::ErrorMessage(0) +
                        "\n  /dev/ttyUSB0: Permission denied. Add yourself to the group "
                        "dialout.\nerror 3/6: Configuration file: The file is not a valid "
                        "configuration file.\n");
    const ConsoleReport &r = Console_Report();
    EXPECT_EQ(r.errors, 2);
    EXPECT_EQ(r.lastErrorTitle, 3);
    EXPECT_EQ(r.lastErrorMessage, 6);
    EXPECT_STREQ(r.lastErrorDetail, "");
}

TEST(ConsoleReport, UnknownNumbersStillReadable) {
    Capture out;
    Error(42, -1);
    Warnung(-3, 99);
    std::string text = out.Text();
    EXPECT_NE(text.find("error 42/-1: Error: An error occurred."), std::string::npos) << text;
    EXPECT_NE(text.find("Confirm: Continue?"), std::string::npos) << text;
}

TEST(ConsoleReport, WarnungAnswers) {
    struct {
        ConsoleAnswer mode;
        const char *input;
        int answer;
    } cases[] = {
        {kConsoleAnswerYes, "", 1},
        {kConsoleAnswerNo, "y\n", 0},
        {kConsoleAnswerAsk, "y\n", 1},
        {kConsoleAnswerAsk, "  YES \r\n", 1},
        {kConsoleAnswerAsk, "n\n", 0},
        {kConsoleAnswerAsk, "\n", 0},
        {kConsoleAnswerAsk, "yesterday\n", 0},
        {kConsoleAnswerAsk, "", 0},
    };
    for (auto &c : cases) {
        Capture out;
        FILE *in = Input(c.input);
        Console_SetInput(in);
        Console_SetAnswer(c.mode);
        Console_ResetCounts();
        EXPECT_EQ(Warnung(1, 1), c.answer) << c.mode << " '" << c.input << "'";
        EXPECT_EQ(Console_Report().warnings, 1);
        EXPECT_EQ(Console_Report().lastWarningAnswer, c.answer);
        EXPECT_NE(out.Text().find("Clear the logger?"), std::string::npos);
        Console_SetInput(stdin);
        std::fclose(in);
    }
    Console_SetAnswer(kConsoleAnswerNo);
}

TEST(ConsoleReport, AskReadsOneAnswerPerQuestion) {
    Capture out;
    FILE *in = Input(("y\nn\n" + std::string(100, 'y') + "\ny\n").c_str());
    Console_SetInput(in);
    Console_SetAnswer(kConsoleAnswerAsk);
    EXPECT_EQ(Warnung(0, 0), 1);
    EXPECT_EQ(Warnung(0, 0), 0);
    EXPECT_EQ(Warnung(1, 1), 0) << "an over-long answer is no";
    EXPECT_EQ(Warnung(2, 2), 1);
    EXPECT_EQ(Warnung(2, 2), 0) << "closed input declines";
    Console_SetInput(stdin);
    Console_SetAnswer(kConsoleAnswerNo);
    std::fclose(in);
}

TEST(ConsoleReport, ProgressOnlyWhenEnabled) {
    {
        Capture out;
        Console_ResetCounts();
        TransferWindow(0, 0, 0.0);
        TransferWindow(2, 27, 0.0);
        EXPECT_EQ(Console_Report().progressShown, 1);
        TransferWindow(1, 0, 0.0);
        EXPECT_EQ(out.Text(), "");
        EXPECT_EQ(Console_Report().progressShown, 0);
        EXPECT_EQ(Console_Report().lastProgress, 27);
    }
    Capture out;
    Console_SetProgress(1);
    TransferWindow(0, 0, 0.0);
    TransferWindow(2, 100, 0.0);
    TransferWindow(7, 5, 0.0);
    TransferWindow(1, 0, 0.0);
    Console_SetProgress(0);
    EXPECT_EQ(out.Text(), "Transferring data...\n  100 %\n");
}

} // namespace

// The console reporter: what it prints, how it answers, what it remembers.
#include "link/linksettings.h"
#include "link/messages.h"
#include "link/port.h"
#include "link/report.h"
#include "link/report_console.h"
#include "platform/serial/portmap.h"

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

TEST(ConsoleReport, ErrorPrintsDetailFirstAndOnce) {
    Console_ResetCounts();
    Capture out;
    SetErrorDetail("/tmp/plant.KR7: the line of values is missing");
    EXPECT_EQ(Error(3, 6), 1);
    EXPECT_EQ(Error(3, 6), 1);
    EXPECT_EQ(out.Text(), "/tmp/plant.KR7: the line of values is missing.\n"
                          "  The file is not a valid configuration file.\n"
                          "The file is not a valid configuration file.\n");
    const ConsoleReport &r = Console_Report();
    EXPECT_EQ(r.errors, 2);
    EXPECT_EQ(r.lastErrorTitle, 3);
    EXPECT_EQ(r.lastErrorMessage, 6);
    EXPECT_STREQ(r.lastErrorDetail, "");
}

TEST(ConsoleReport, DetailKeptForTheLastError) {
    Console_ResetCounts();
    Capture out;
    SetErrorDetail("/dev/ttyUSB0: permission denied.");
    Error(0, 0);
    EXPECT_STREQ(Console_Report().lastErrorDetail, "/dev/ttyUSB0: permission denied.");
    EXPECT_EQ(out.Text().find("error "), std::string::npos) << "no numbered prefix";
}

TEST(ConsoleReport, UnknownNumbersStillReadable) {
    Capture out;
    Error(42, -1);
    Warnung(-3, 99);
    std::string text = out.Text();
    EXPECT_NE(text.find("Error: An error occurred. (42/-1)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Confirm: Continue?"), std::string::npos) << text;
}

// The link's errors name the device path, the instrument and the line settings in force.
TEST(ConsoleReport, LinkErrorsNameDeviceInstrumentAndLine) {
    struct Case {
        const char *name;
        int commType, address, baud, parity;
        int port;           // CommPort
        int openedPort;     // 0: the port is not open
        const char *detail; // nullptr: none
        int message;        // of title 0
        const char *expected;
    };
    const Case cases[] = {
        {"bus, no answer", 1, 5, 4, 3, 3, 3, nullptr, 2,
         "No answer from the instrument at address 5 on /dev/ttyS3.\n"
         "  Check the cable, that the instrument's bus address is 5 and that it runs at 19200 "
         "baud, no parity, 1 stop bit.\n"},
        {"direct ignores the bus line", 0, 5, 0, 2, 3, 3, nullptr, 2,
         "No answer from the instrument on /dev/ttyS3 (direct connection).\n"
         "  Check the cable, and that the instrument is on the direct connection (address 255, "
         "9600 baud, even parity, 1 stop bit); an instrument on a bus is reached through its "
         "bus address.\n"},
        {"even parity index", 1, 247, 3, 1, 3, 3, nullptr, 4,
         "Faulty answer (wrong length or checksum) from the instrument at address 247 on "
         "/dev/ttyS3.\n"
         "  Check that the instrument runs at 9600 baud, even parity, 2 stop bits, that no other "
         "instrument on the bus has address 247, and the bus wiring and its termination.\n"},
        {"odd parity index", 1, 9, 0, 2, 3, 3, nullptr, 2,
         "No answer from the instrument at address 9 on /dev/ttyS3.\n"
         "  Check the cable, that the instrument's bus address is 9 and that it runs at 1200 "
         "baud, odd parity, 2 stop bits.\n"},
        {"direct, faulty", 0, 9, 0, 0, 3, 3, nullptr, 4,
         "Faulty answer (wrong length or checksum) from the instrument on /dev/ttyS3 (direct "
         "connection).\n"
         "  Check the cable and that nothing else is connected to the line (9600 baud, even "
         "parity, 1 stop bit).\n"},
        {"the open port, not the asked one", 1, 7, 3, 0, 3, 6, "The adapter is gone", 4,
         "No usable answer from the instrument at address 7 on /dev/ttyS6.\n"
         "  The adapter is gone.\n"},
        {"open failure with its cause", 1, 7, 3, 0, 4, 0, "/dev/ttyS4 is in use.", 0,
         "Cannot open serial port 4: /dev/ttyS4 is in use.\n"},
        {"open failure without cause", 1, 7, 3, 0, 4, 0, nullptr, 1,
         "Cannot open serial port 4 (/dev/ttyS4).\n"
         "  Check the device and the port's device path in the interface settings.\n"},
        {"port without a device", 0, 7, 3, 0, 9, 0, nullptr, 0,
         "Cannot open serial port 9 (port 9).\n"
         "  Check that the device exists and that no other program uses it.\n"},
    };
    for (int p = 1; p <= 8; ++p)
        ASSERT_EQ(SetComPortDevice(p, ("/dev/ttyS" + std::to_string(p)).c_str()), 0);
    for (const Case &c : cases) {
        CommType = c.commType;
        DeviceAddr = c.address;
        Baudrate = c.baud;
        Parity = c.parity;
        CommPort = c.port;
        CommPortOpen = c.openedPort != 0;
        OpenedPort = c.openedPort;
        Capture out;
        if (c.detail) SetErrorDetail(c.detail);
        Error(0, c.message);
        EXPECT_EQ(out.Text(), c.expected) << c.name;
    }
    CommPortOpen = 0;
    ResetComPortDevices();
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

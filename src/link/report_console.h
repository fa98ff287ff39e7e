// Reporting for headless front ends and tests: errors are printed, confirmations are answered
// from a setting or asked on the terminal, progress is printed when wanted. The calls are
// counted and the last pair is kept so that tests and scripts can see what was reported.
#pragma once

#include <cstdio>

// How Warnung answers.
enum ConsoleAnswer {
    kConsoleAnswerNo = 0,  // decline every confirmation (the default: nothing is overwritten
                           // unless the caller said so)
    kConsoleAnswerYes = 1, // confirm every confirmation
    kConsoleAnswerAsk = 2  // ask on the terminal; anything but y/yes, or a closed input, is no
};

// Where reports go (standard error by default); nullptr silences them. The stream stays the
// caller's.
void Console_SetOutput(FILE *out);
// Where the answers of kConsoleAnswerAsk are read from (standard input by default).
void Console_SetInput(FILE *in);
void Console_SetAnswer(ConsoleAnswer answer);
// Progress of transfers is printed only when enabled (off by default).
void Console_SetProgress(int enabled);

// What was reported since the start or the last Console_ResetCounts.
struct ConsoleReport {
    int errors;                // calls of Error
    int lastErrorTitle;        // -1 before the first
    int lastErrorMessage;      // -1 before the first
    char lastErrorDetail[512]; // detail line shown with the last error, "" when none
    int warnings;              // calls of Warnung
    int lastWarningTitle;      // -1 before the first
    int lastWarningMessage;    // -1 before the first
    int lastWarningAnswer;     // what Warnung returned last
    int progressShown;         // 1 while the transfer window would be up
    int lastProgress;          // last percentage set, -1 before the first
};
const ConsoleReport &Console_Report();
void Console_ResetCounts();

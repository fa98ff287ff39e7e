// How the core tells the user about failures and asks before consequential writes. The GUI links
// the pop-up implementation; kr7mctl and headless tests link the console one. Titles and messages
// are the numbered pairs of the error and warning texts (see messages.h).
#pragma once

// Shows error (title, message) and returns 1 once acknowledged.
int Error(int title, int message);

// Asks for confirmation of (title, message); 1 when confirmed, 0 otherwise.
int Warnung(int title, int message);

// Progress pop-up: mode 0 show, 1 remove, 2 set progress to value percent, 3 show with a Cancel
// button; waits delay s first.
void TransferWindow(int mode, int value, double delay);
// 1 once the user has pressed Cancel on the progress pop-up shown with mode 3 (until the next
// show). It looks at what the user did meanwhile, so a transfer asks between two exchanges.
int TransferCancelled();

// A detail line (for example the device path and how to fix a permission problem) that the next
// Error shows below its message; the next Error clears it. nullptr or "" clears it at once.
void SetErrorDetail(const char *detail);

// Asks what becomes of unsaved changes of the configuration `documentName` before they would be
// lost: 1 save them, 2 do not save them, 0 cancel (also closing the pop-up by its frame). The
// console keeps no document to lose: it answers 2.
int AskUnsavedChanges(const char *documentName);

// How many errors were reported since the start, and the message text of the last one (as the
// user read it), so that a front end can say afterwards what went wrong ("" before the first).
int ErrorsReported();
const char *LastErrorText();

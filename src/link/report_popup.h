// The pop-up side of the reporting seam (report.h): the error, confirmation and transfer pop-ups
// of the graphical program, loaded from the resource file.
#pragma once

// Handle of the transfer pop-up while it is shown, 0 otherwise.
extern int pHandle;

// Tells the user that the language file `file` cannot be used and why (`code`: the language
// layer's code that refused it), and that the program goes on in English; returns once
// acknowledged.
void LanguageFileError(const char *file, int code);
// The same reason in a few English words, for the terminal.
const char *LanguageFileReason(int code);

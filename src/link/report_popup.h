// The pop-up side of the reporting seam (report.h): the error, confirmation and transfer pop-ups
// of the graphical program, loaded from the resource file.
#pragma once

// Handle of the transfer pop-up while it is shown, 0 otherwise.
extern int pHandle;

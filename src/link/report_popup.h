// The pop-up side of the reporting seam (report.h): the error, confirmation and transfer pop-ups
// of the graphical program, loaded from the resource file.
#pragma once

// Resource file the pop-ups are loaded from; nullptr or "" means "MainPan.uir" in the program's
// directory. Tests point it at the built resource.
void SetPopupResourceFile(const char *path);

// Handle of the transfer pop-up while it is shown, 0 otherwise.
extern int pHandle;

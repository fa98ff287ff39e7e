// Where the program's resource file is: "MainPan.uir" in the program's directory, unless a test
// or tool points elsewhere. Every panel, pop-up and menu bar is loaded from it.
#pragma once

// Path of the resource file (never nullptr).
const char *MainResourceFile();
// Points the program at another resource file; nullptr or "" restores the default.
void SetMainResourceFile(const char *path);

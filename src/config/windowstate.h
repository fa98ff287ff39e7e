// What the program remembers of its window between runs, apart from the settings file: the
// main window's place and size and the folder of the last configuration file. It lives in
// $XDG_STATE_HOME/kr7m/window.ini (by default ~/.local/state/kr7m/window.ini), so KR7M.ini
// keeps exactly its own keys. A missing or damaged file only means nothing is remembered.
#pragma once

struct WindowState {
    int haveGeometry; // 1 when the place and size below were read or set
    int top, left, width, height;
    int maximized;
    char lastFolder[260]; // empty: none yet
};

extern WindowState gWindowState;

// Full path of the state file. Valid until the next call.
const char *WindowStatePath();

// Reads the state file into gWindowState; 1 when it was read, 0 when there is none (then
// gWindowState is cleared).
int ReadWindowState();
// Writes gWindowState as a whole new file (the folder is made where missing). 1 when written.
int WriteWindowState();

// Remembers the folder of `path` (a file) for the next file dialog, and writes the state file.
void RememberFolderOf(const char *path);
// Where a file dialog starts: the remembered folder while it exists, else the user's home.
const char *DialogStartFolder();

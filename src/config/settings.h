// The settings file "KR7M.ini": the user-interface language, the module and rated values used for
// a new configuration, the serial interface settings, the current instrument address, the list
// of addresses found on the bus, and the device path of each serial port number. The file is
// rewritten as a whole after every change; there is no separate save.
//
// Where the file lives, first match wins:
//   1. $KR7M_CONFIG_DIR/KR7M.ini when that environment variable is set and not empty (tests and
//      the run script use it to keep their own settings);
//   2. KR7M.ini in the folder of the running program, when the user may write there and the
//      program is not installed (platform/ui/programdir.h);
//   3. $XDG_CONFIG_HOME/kr7m/KR7M.ini, by default ~/.config/kr7m/KR7M.ini (an installed program);
//      the folder is created when the file is written.
#pragma once

extern int Language; // user-interface language: 0 German, 1 English

// Full path of the settings file as chosen above. Valid until the next call.
const char *SettingsFilePath();

// Puts the built-in defaults into every setting the file holds and clears all 32 known
// addresses and the port map's changes.
void LoadINIDefault();

// Loads the settings file. 1 when it was read; 0 when it cannot be opened or read (also when it
// does not exist), and then nothing changes. Keys that are missing or not integers keep their
// current values.
int ReadINIFile();

// Writes the whole settings file from the current values, replacing the old file only by a
// complete new one. 1 when written, 0 when the write failed (the old file then stays as it was).
int NewINIFile();

// Creates the folder and its parents where missing; false when one cannot be made.
bool MakeFolders(const char *folder);

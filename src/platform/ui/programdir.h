// Where the program finds its run-time files (the resource file, toolbar images, language files,
// help pages) and whether it runs from an installed layout. No toolkit: the settings file and
// the command-line tool use it too.
//
// The run-time folder is the folder of the executable when "MainPan.uir" is there (a build tree,
// or the program copied into a folder of its own). Otherwise it is the data folder of the
// installed layout, found from the executable's folder (<prefix>/bin -> <prefix>/share/kr7m), so
// a prefix that was moved as a whole still works. Failing both, the executable's folder, so that
// messages name the place a user would look first.
#pragma once

#include <string>

// Folder of the running executable (symbolic links resolved); "." when it cannot be read.
std::string ExecutableFolder();

// The run-time folder of the running program, and of an executable that sits in exeFolder.
std::string RunTimeFolder();
std::string RunTimeFolderOf(const std::string &exeFolder);

// True for an installed program: its run-time files are not beside it and the installed
// layout's data folder exists, or it sits in one of the system's program folders (/usr/bin and
// the like). An installed program writes nothing beside itself.
bool InstalledLayout();
bool InstalledLayoutOf(const std::string &exeFolder);

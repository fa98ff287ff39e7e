// Reading a file whole, for the small files the program reads at once (settings, resources).
#pragma once

#include <string>

// Reads every byte of the file at `path` into *bytes. 0, or the errno of the step that failed
// (opening or reading; a folder fails at reading), with *bytes then left as it was.
int ReadFile_Whole(const char *path, std::string *bytes);

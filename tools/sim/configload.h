// The simulator's initial configuration from a configuration file.
#pragma once

#include <string>

struct record;

// Reads a ".KR7" file into `rec`. Returns false with `error` set when it cannot.
bool LoadSimConfig(const std::string &path, record &rec, std::string &error);

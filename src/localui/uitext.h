// Internal to the language layer: reading texts of any length from the platform.
#pragma once

#include <functional>
#include <string>

// Calls get(buffer, size) with a growing buffer until the text fits (the platform reports
// UIE_BAD_VALUE for a text that does not). 0 with *out set, or the platform's code.
int ReadUIText(const std::function<int(char *, int)> &get, std::string *out);

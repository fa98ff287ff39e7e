// Whole files as strings, for tests that write files and judge what ends up on disk.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

// The bytes of the file at `path`; empty when it cannot be read.
inline std::string Slurp(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Makes the file at `path` hold exactly `text`.
inline void Spit(const std::string &path, const std::string &text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

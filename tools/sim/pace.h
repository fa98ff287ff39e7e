// Pacing of the simulator's line: character times from the rate and the line format.
#pragma once

#include <string>

// A line paced like a real one: a pseudo-terminal moves any number of bytes at once, so without
// pacing answers arrive long before a serial line could carry them.
struct LinePace {
    bool on = false;
    long baud = 9600;
    int bitsPerChar = 11;      // start bit, 8 data bits, parity and stop bits
    double turnaroundMs = 5.0; // from the end of a request to the first bit of its answer

    double CharTime() const { return static_cast<double>(bitsPerChar) / static_cast<double>(baud); }
};

// Reads a line format "RATE" or "RATE,8P S" ("9600", "9600,8E1", "19200,8N2"; P = N, E or O,
// S = 1 or 2 stop bits; without a format 8N1). False with `error` set.
bool ParseLinePace(const std::string &text, LinePace *pace, std::string &error);

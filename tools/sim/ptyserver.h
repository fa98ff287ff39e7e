// The simulator's line: a pseudo-terminal whose slave side is what clients open (through a
// symbolic link), served until a signal asks to stop.
#pragma once

#include <csignal>
#include <cstdio>
#include <string>

#include "sim/fault.h"
#include "sim/pace.h"
#include "sim/slave.h"

struct ServeSettings {
    double speed = 1.0;  // simulated seconds per real second
    int silenceMs = 15;  // quiet time after which a partial request is given up
    FILE *log = nullptr; // frame log, or nullptr
    // Control file of hand-set values (override.h), re-read whenever it changes; "" for none.
    std::string controlFile;
    LinePace pace; // off: answers leave at once
};

// Opens a pseudo-terminal pair in raw mode. Returns the master descriptor and the slave's path,
// or -1 with `error` set.
int OpenPseudoTerminal(std::string &slavePath, std::string &error);

// Points the symbolic link `link` at `target`, replacing an older symbolic link there but never
// another kind of file. Returns false with `error` set.
bool PlaceLink(const std::string &link, const std::string &target, std::string &error);

// Removes `link` if it still points at `target`.
void RemoveLink(const std::string &link, const std::string &target);

// Answers requests on `master` until `stop` becomes non-zero. Returns 0, or 1 after an
// unrecoverable error of the line (with `error` set).
int Serve(int master, SimBus &bus, FaultPlan &plan, const ServeSettings &settings,
          volatile std::sig_atomic_t *stop, std::string &error);

// Writes one log line: time stamp, direction and the bytes in hex (or a note when count < 0).
void LogFrame(FILE *log, const char *what, const unsigned char *bytes, int count);

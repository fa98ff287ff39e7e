// kr7m-sim's command line: what to simulate, where, and how to spoil answers.
#pragma once

#include <string>
#include <vector>

#include "options/options.h"
#include "sim/fault.h"
#include "sim/instrument.h"
#include "sim/pace.h"

constexpr int kNoSetting = -1000000;

struct SimOptions {
    std::string link;              // symbolic link to create for the terminal
    std::string configPath;        // initial configuration file, "" for the factory one
    std::string logPath;           // frame log, "" for none
    std::vector<int> busAddresses; // empty: one instrument on the direct connection
    std::vector<int> failedRecords;
    SimIdentity id;
    FaultPlan plan;
    double speed = 1.0;
    LinePace pace; // --paced, --turnaround
    int loggerRecords = 96;
    // Configuration set on top of the factory one (or of --config); -1 / empty: as it is.
    int meterScale = kNoSetting; // --meter-scale: fixed, no longer chosen from the ratings
    int loggerChannels = -1;     // --logger: bit 0 active, bit 1 reactive power
    int loggerMode = -1;         // --logger-mode: 1, 2, or 3 for "ask"
    int interval = -1;           // --interval: minutes 0..63, or 64 for external
    std::vector<int> digOut;     // --digout: the two output function bytes
    int rate = 0;                // --rate: 1 or 2 always; 0: tariff switching decides
    // Hand-set values (override.h): given with --set, and read from the control file (LINK.values
    // unless --values names another) whenever it changes.
    std::vector<SimOverride> overrides;
    std::string valuesPath;
};

// Reads the command line into `options`; on kBadUsage `error` says why.
CommandLineAction ParseSimCommandLine(int argc, const char *const *argv, SimOptions *options,
                                      std::string *error);

// The --help text.
const char *SimHelpText();

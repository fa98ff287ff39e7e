// kr7m-sim's command line: what to simulate, where, and how to spoil answers.
#pragma once

#include <string>
#include <vector>

#include "options/options.h"
#include "sim/fault.h"
#include "sim/instrument.h"
#include "sim/pace.h"

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

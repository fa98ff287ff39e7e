// kr7mctl: its command line, its command table and its commands. Each command opens the link
// with the settings in force, does its exchanges through the same core as the configurator's
// window, closes the link and returns the exit status.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "config/commands.h" // FormatVersion: the version pop-up and info show them alike
#include "options/options.h"

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1; // link or file failure, or a refused confirmation
constexpr int kExitUsage = kExitUsageError;

struct CtlCommand;

// What the command line asked for. Link settings left at their "not given" values come from
// the settings file.
struct CtlOptions {
    int port = 0;       // 1..8; 0: not given
    std::string device; // device path for the port; "" not given
    int bus = 0;        // bus address 1..247; 0: no --bus
    int baud = -1;      // baud-rate index 0..4; -1 not given
    int parity = -1;    // parity index 0..3; -1 not given
    bool noRts = false;
    bool yes = false;
    bool force = false;    // send-config: send a file whose values had to be brought into range
    double watch = 0;      // --watch: seconds between reads of a read-out; 0 reads once
    std::string csv;       // --csv: recording of a read-out's reads; "" none
    int range = 0;         // scan: highest address searched, 32 or 247; 0 not given (32)
    bool save = false;     // scan: write the list into the settings file
    int records = -1;      // logger download: records to read; -1 all
    long long newest = -1; // logger download: time of the newest record; -1 not given
    int interval = 0;      // logger download: seconds between records; 0 not given
    double hold = -1;      // outputs: seconds to keep the states; -1 until interrupted
    const CtlCommand *command = nullptr;
    std::vector<std::string> args; // the command's arguments
};

// Command flags.
constexpr unsigned kCtlAsks = 1;    // asks for confirmation first; --yes answers it
constexpr unsigned kCtlReadout = 2; // reads values as a view does; takes --watch and --csv

// One row of the command table: everything kr7mctl knows of a command.
struct CtlCommand {
    const char *name;      // one or more words, e.g. "info" or "logger status"
    const char *arguments; // as the help shows them, e.g. "FILE"; "" for none
    int minArgs, maxArgs;
    unsigned flags;
    // Checks the arguments before anything is opened: "" when they will do, else the usage
    // error. nullptr: any arguments will do.
    std::string (*check)(const std::vector<std::string> &args);
    int (*run)(const CtlOptions &options);
    const char *help; // one line for --help
};

extern const CtlCommand kCtlCommands[];
extern const int kCtlCommandCount;

// The command whose name words begin `words` (the longest such name); *nameWords receives how
// many words the name took. nullptr when none matches.
const CtlCommand *FindCtlCommand(const std::vector<std::string> &words, size_t *nameWords);
// The command list of --help, one line per command.
std::string CtlCommandsHelp();
// The whole --help text.
std::string CtlHelpText();

// Reads the command line into `options`; on kBadUsage `error` says why.
CommandLineAction ParseCtlCommandLine(int argc, const char *const *argv, CtlOptions *options,
                                      std::string *error);

// Baud rates and parities as the options take them: the rate in baud or the index, the parity
// by name or by index.
extern const OptionWord kBaudWords[];
extern const int kBaudWordCount;
extern const OptionWord kParityWords[];
extern const int kParityWordCount;

// The six device-type bytes as a person reads them: model, variant and rated current, then
// the bytes themselves, e.g. "KR7M, with option module, 5 A (4B 52 37 4D 01 05)".
std::string DescribeDevtype(const unsigned char *bytes);

// The program's start-up state (defaults, then the settings file, then a new configuration),
// with the command line's link settings over it. Nothing is written back.
int ApplyCtlOptions(const CtlOptions &options);

int CmdInfo(const CtlOptions &options);
int CmdReadConfig(const CtlOptions &options);
int CmdSendConfig(const CtlOptions &options);
int CmdProbe(const CtlOptions &options);
int CmdValues(const CtlOptions &options);
int CmdMinMax(const CtlOptions &options);
int CmdMean(const CtlOptions &options);
int CmdResetMinMax(const CtlOptions &options);
// A bit mask lo..hi, decimal or 0x hex; false for anything else.
bool ParseMask(const std::string &text, long lo, long hi, long *mask);
// The reset mask of reset-minmax: 0..255, decimal or 0x hex; "" when it will do.
std::string CheckResetMask(const std::vector<std::string> &args);
int CmdScan(const CtlOptions &options);

int CmdMeters(const CtlOptions &options);
int CmdResetMeters(const CtlOptions &options);
int CmdSetMeter(const CtlOptions &options);
int CmdLoggerStatus(const CtlOptions &options);
int CmdLoggerDownload(const CtlOptions &options);
int CmdLoggerReset(const CtlOptions &options);
int CmdOutputs(const CtlOptions &options);
// Argument checks of those commands: "" when the arguments will do.
std::string CheckMeterMask(const std::vector<std::string> &args);
std::string CheckSetMeter(const std::vector<std::string> &args);
std::string CheckOutputs(const std::vector<std::string> &args);
// "N=on" / "N=off" for output N (1 or 2); false for anything else.
bool ParseOutputState(const std::string &text, int *output, int *on);
// "YYYY-MM-DD HH:MM:SS" as local time, or -1; "MM:SS" as seconds above 0, or 0.
long long ParseNewest(const std::string &text);
int ParseInterval(const std::string &text);

// Ctrl-C and SIGTERM end a waiting command cleanly instead of killing it: CatchInterrupts
// installs the handlers, Interrupted tells whether one came, PauseUnlessInterrupted sleeps.
void CatchInterrupts();
bool Interrupted();
void PauseUnlessInterrupted(double seconds);

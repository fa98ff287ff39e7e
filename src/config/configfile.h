// Configuration files ("*.KR7"): a line of column captions and a line of values, both
// tab-separated, that keep one edited configuration between runs.
#pragma once

#include "config/record.h"

#include <string>

constexpr int kConfigColumns = 25;
// Longest line the reader looks at; the rest of a longer line is skipped.
constexpr int kConfigLineMax = 999;

// Captions of the header line that depend on the interface language. The GUI takes them from
// the main panel when it saves; headless callers use kEnglishCaptions. The reader never looks
// at them.
struct ConfigCaptions {
    const char *date;               // label of the date field
    const char *time;               // label of the time field
    const char *voltageTransformer; // heads the primary and secondary voltage columns
    const char *currentTransformer; // heads the primary and secondary current columns
    const char *system;             // label of the connection-type selector
    const char *output1;            // caption of output 1
    const char *output2;            // caption of output 2
    const char *limitOn;            // label of the switch-on limit field ("1"/"2" is appended)
    const char *limitOff;           // label of the switch-off limit field
    const char *pulseRate;          // label of the pulse-rate field
    const char *description;        // the three captions of the instrument group
    const char *deviceAddress;
    const char *deviceBaud;
};

extern const ConfigCaptions kEnglishCaptions;

// Date and time as they are stamped into a saved file: "dd.mm.yyyy" and "hh:mm:ss".
struct ConfigStamp {
    char date[32];
    char time[32];
};
// The local date and time now.
ConfigStamp ConfigStampNow();

// What a save takes from the panel rather than from the record: the connection type and the
// description as shown. Headless callers pass the record's own values (ConfigShownOf).
struct ConfigShown {
    int system;
    const char *description;
};
ConfigShown ConfigShownOf(const record *rec);

// The two lines of a configuration file, without their line ends. Tabs and line breaks in
// captions and in the description are written as blanks (they would shift the columns), and the
// description is cut to the 47 characters its field holds.
std::string ConfigHeaderLine(const ConfigCaptions &captions);
std::string ConfigValueLine(const record *rec, const ConfigStamp &stamp, const ConfigShown &shown);

// Writes a whole configuration file: both lines ended by CR LF, written to a temporary file in
// the target's folder and renamed over the target, so the target is either the old file or the
// complete new one. Returns 1 on success; on failure reports Error(2, 5) and returns 0.
int WriteConfigFile(const char *path, const record *rec, const ConfigCaptions &captions,
                    const ConfigStamp &stamp, const ConfigShown &shown);

// Reads a configuration file into rec. Returns 1 on success. A file that cannot be opened
// reports Error(2, 5), one that is not a valid configuration file Error(3, 6); both return 0 and
// leave rec unchanged.
int OpenConfigFile(const char *path, record *rec);

// Parses the value line into rec (all columns or nothing). 1 on success, 0 when the line is not
// a valid value line; why is written to *why when given. Reports nothing.
int ParseConfigValueLine(const std::string &line, record *rec, std::string *why);

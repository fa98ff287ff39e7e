// kr7mctl's command table: a new command is one row here and its handler in commands.cpp.
#include <algorithm>
#include <cstring>

#include "ctl/ctl.h"

namespace {

std::string CheckAddress(const std::vector<std::string> &args) {
    long address = 0;
    if (ParseNumber(args[0], kFirstBusAddress, kLastBusAddress, &address)) return "";
    return NeedsMessage("probe", RangeWhat(kBusAddressWhat, kFirstBusAddress, kLastBusAddress),
                        args[0].c_str());
}

// Words of a command name: "logger status" has two.
std::vector<std::string> NameWords(const char *name) {
    std::vector<std::string> words;
    const char *p = name;
    while (*p) {
        size_t n = std::strcspn(p, " ");
        if (n) words.emplace_back(p, n);
        p += n;
        while (*p == ' ') ++p;
    }
    return words;
}

} // namespace

const CtlCommand kCtlCommands[] = {
    {"info", "", 0, 0, 0, nullptr, CmdInfo,
     "version numbers, rated current and voltage, device type"},
    {"read-config", "FILE", 1, 1, 0, nullptr, CmdReadConfig,
     "read the instrument's configuration and save it as FILE (.KR7)"},
    {"send-config", "FILE", 1, 1, kCtlAsks, nullptr, CmdSendConfig,
     "send the configuration file FILE to the instrument"},
    {"probe", "ADDRESS", 1, 1, 0, CheckAddress, CmdProbe,
     "does the instrument at bus address ADDRESS (1..247) answer?"},
    {"values", "", 0, 0, kCtlReadout, nullptr, CmdValues,
     "instantaneous values, one line per field the view shows"},
    {"minmax", "", 0, 0, kCtlReadout, nullptr, CmdMinMax,
     "min/max values, one line per field the view shows"},
    {"mean", "", 0, 0, kCtlReadout, nullptr, CmdMean, "the 15 mean power values"},
    {"reset-minmax", "MASK", 1, 1, kCtlAsks, CheckResetMask, CmdResetMinMax,
     "reset the min/max groups of MASK (bits 0..7, e.g. 0x0A)"},
    {"scan", "", 0, 0, 0, nullptr, CmdScan, "search the bus for instruments (--range, --save)"},
    {"meters", "", 0, 0, 0, nullptr, CmdMeters,
     "the eight energy meters as the view shows them, and the active rate"},
    {"reset-meters", "MASK", 1, 1, kCtlAsks, CheckMeterMask, CmdResetMeters,
     "reset the meters of MASK to zero (bit i = meter i + 1, e.g. 0x11)"},
    {"set-meter", "N VALUE", 2, 2, kCtlAsks, CheckSetMeter, CmdSetMeter,
     "preset meter N (1..8) to VALUE in the unit the view shows"},
    {"logger status", "", 0, 0, 0, nullptr, CmdLoggerStatus,
     "what the logger logs and holds: mode, interval, records, time span"},
    {"logger download", "FILE", 1, 1, 0, nullptr, CmdLoggerDownload,
     "the newest records into FILE as the view exports them (--records, --newest, --interval)"},
    {"logger reset", "", 0, 0, kCtlAsks, nullptr, CmdLoggerReset, "clear the logger's memory"},
    {"outputs", "N=on|off...", 1, 2, kCtlAsks, CheckOutputs, CmdOutputs,
     "switch outputs by hand in manual mode (--hold), then give them back their functions"},
};
const int kCtlCommandCount = static_cast<int>(sizeof kCtlCommands / sizeof kCtlCommands[0]);

const CtlCommand *FindCtlCommand(const std::vector<std::string> &words, size_t *nameWords) {
    const CtlCommand *best = nullptr;
    size_t bestWords = 0;
    for (int i = 0; i < kCtlCommandCount; ++i) {
        std::vector<std::string> name = NameWords(kCtlCommands[i].name);
        if (name.size() <= bestWords || name.size() > words.size()) continue;
        if (std::equal(name.begin(), name.end(), words.begin())) {
            best = &kCtlCommands[i];
            bestWords = name.size();
        }
    }
    if (nameWords) *nameWords = bestWords;
    return best;
}

std::string CtlCommandsHelp() {
    size_t width = 16;
    auto left = [](const CtlCommand &c) {
        return *c.arguments ? std::string(c.name) + " " + c.arguments : std::string(c.name);
    };
    for (int i = 0; i < kCtlCommandCount; ++i)
        width = std::max(width, left(kCtlCommands[i]).size());
    std::string text;
    for (int i = 0; i < kCtlCommandCount; ++i) {
        std::string l = left(kCtlCommands[i]);
        text += "  " + l + std::string(width + 2 - l.size(), ' ') + kCtlCommands[i].help;
        if (kCtlCommands[i].flags & kCtlAsks) text += "; asks first";
        text += "\n";
    }
    return text;
}

// kr7mctl's command line: its options, its help and the checks made before anything is opened.
#include "ctl/ctl.h"
#include "platform/serial/portmap.h"

const OptionWord kBaudWords[] = {
    {"1200", 0}, {"2400", 1}, {"4800", 2}, {"9600", 3}, {"19200", 4},
    {"0", 0},    {"1", 1},    {"2", 2},    {"3", 3},    {"4", 4},
};
const int kBaudWordCount = static_cast<int>(sizeof kBaudWords / sizeof kBaudWords[0]);

// Without parity the line needs two stop bits to keep the character time of a parity
// character, so "none" is the two-stop-bit setting; "none1" is the common 8N1 line.
const OptionWord kParityWords[] = {
    {"none", 0}, {"none2", 0}, {"even", 1}, {"odd", 2}, {"none1", 3},
    {"0", 0},    {"1", 1},     {"2", 2},    {"3", 3},
};
const int kParityWordCount = static_cast<int>(sizeof kParityWords / sizeof kParityWords[0]);

namespace {

const char kBaudWhat[] = "a baud rate 1200, 2400, 4800, 9600 or 19200 (or its index 0..4)";
const char kParityWhat[] = "a parity none, even, odd or none1 (or its index 0..3)";

const char kHelpHead[] = R"(Usage: kr7mctl [options] COMMAND [arguments]

Talks to a KR7M instrument over the serial line, with the same core as the
configurator's window. Link settings come from the configurator's settings file
(KR7M.ini: the program's folder, or $KR7M_CONFIG_DIR, or ~/.config/kr7m); the
options below override them for this run only, and the settings file is never
written (except by scan --save). Options take their value as "--port 2" or as
"--port=2".

Options:
  --port N          serial port number 1..8 (its device path from the settings file)
  --device PATH     use the device PATH (for example a kr7m-sim link) as the port
  --bus ADDRESS     bus operation, talking to the instrument at ADDRESS (1..247);
                    with --port or --device but without --bus: the direct connection
  --baud RATE       bus baud rate: 1200, 2400, 4800, 9600 or 19200 (or the index 0..4)
  --parity P        bus parity and stop bits: none (no parity, 2 stop bits), even
                    (2 stop bits), odd (2 stop bits), none1 (no parity, 1 stop bit);
                    or the index 0 none, 1 even, 2 odd, 3 none1
  --no-rts          do not switch the bus line direction with RTS
  --yes, -y         confirm without asking (commands that ask first)
  --force           send-config: send a file with values out of range, as they are
                    corrected (without it such a file is refused, naming the fields)
  --watch SECONDS   read-outs: read again every SECONDS (0.2..86400) until Ctrl-C
  --csv FILE        read-outs: record every read to FILE as the views' "Record to
                    CSV..." does (time stamp, then each value in base units)
  --range 32|247    scan: search addresses 1..32 (the default) or 1..247
  --save            scan: keep the instruments found as the configurator's list,
                    as its interface dialog does (with the scan's baud rate and
                    parity and the bus connection)
  --records N       logger download: the newest N records (default: all)
  --newest "YYYY-MM-DD HH:MM:SS"
                    logger download: the time of the newest record (local time);
                    without it the clock's time rounded down to the interval, as
                    the view takes it; required in the logger mode that asks
  --interval MM:SS  logger download: the time between two records; required when
                    the instrument has none (external synchronisation, or 0)
  --hold SECONDS    outputs: keep the states SECONDS (0..86400), then give the
                    outputs their functions back; without it until Ctrl-C
  --help, -h        this text
  --version         the program's version

Commands:
)";

const char kHelpTail[] = R"(
The direct connection always runs at 9600 baud, even parity, 1 stop bit, to
address 255; --baud and --parity set the bus line. send-config sends no 1 A
configuration to a 5 A instrument, nor the reverse; on the bus the instrument
keeps the address, baud rate and parity it is reached by.

Read-outs print one line per field the view shows for the instrument's
connection type: caption, the text the field shows (markers included: OVL,
---, < 45, > 65, ----- for a failed read) and its unit, separated by tabs; a
marked field ends with a tab and "!". With --watch an empty line separates reads.
reset-minmax MASK resets the groups of bits 0..7: voltage maxima, voltage minima,
current maxima, mean current maxima, P, Q and S maxima, power-factor extremes.

Errors are written to standard error.
Exit status: 0 success, 1 link or file failure (or a confirmation declined; for
a read-out: its last read failed), 2 bad usage.
)";

std::string AskingCommands() {
    std::string names;
    for (int i = 0; i < kCtlCommandCount; ++i) {
        if (!(kCtlCommands[i].flags & kCtlAsks)) continue;
        if (!names.empty()) names += ", ";
        names += kCtlCommands[i].name;
    }
    return names;
}

// Reads one option; false with the reader's error set when it is unknown or its value wrong.
bool ReadOption(OptionReader &r, CtlOptions *o) {
    if (r.Is("--port")) return r.Number(1, kPortCount, "a port number", &o->port);
    if (r.Is("--device")) {
        if (!r.Text("a device path", &o->device)) return false;
        if (o->device.size() >= static_cast<size_t>(kPortPathSize))
            return r.Fail("--device needs a path of at most " + std::to_string(kPortPathSize - 1) +
                          " characters");
        return true;
    }
    if (r.Is("--bus")) return r.Number(kFirstBusAddress, kLastBusAddress, kBusAddressWhat, &o->bus);
    if (r.Is("--baud")) return r.Word(kBaudWords, kBaudWordCount, kBaudWhat, &o->baud);
    if (r.Is("--parity")) return r.Word(kParityWords, kParityWordCount, kParityWhat, &o->parity);
    if (r.Is("--no-rts")) {
        o->noRts = true;
        return r.Flag();
    }
    if (r.Is("--watch")) return r.Real(0.2, 86400, "seconds between reads (0.2..86400)", &o->watch);
    if (r.Is("--csv")) return r.Text("a file", &o->csv);
    if (r.Is("--yes", "-y")) {
        o->yes = true;
        return r.Flag();
    }
    if (r.Is("--force")) {
        o->force = true;
        return r.Flag();
    }
    if (r.Is("--range")) {
        long range = 0;
        if (!r.Number(32, 247, "a search range 32 or 247", &range)) return false;
        if (range != 32 && range != 247) return r.Fail("--range needs 32 or 247");
        o->range = static_cast<int>(range);
        return true;
    }
    if (r.Is("--save")) {
        o->save = true;
        return r.Flag();
    }
    if (r.Is("--records")) return r.Number(0, 65535, "a record count", &o->records);
    if (r.Is("--newest")) {
        std::string text;
        if (!r.Text("a time \"YYYY-MM-DD HH:MM:SS\"", &text)) return false;
        o->newest = ParseNewest(text);
        if (o->newest < 0)
            return r.Fail(NeedsMessage("--newest", "a time \"YYYY-MM-DD HH:MM:SS\"", text.c_str()));
        return true;
    }
    if (r.Is("--interval")) {
        std::string text;
        if (!r.Text("an interval MM:SS", &text)) return false;
        o->interval = ParseInterval(text);
        if (o->interval <= 0)
            return r.Fail(
                NeedsMessage("--interval", "an interval MM:SS above 00:00", text.c_str()));
        return true;
    }
    if (r.Is("--hold")) return r.Real(-1e-9, 86400, "seconds 0..86400", &o->hold);
    return r.Unknown();
}

std::string ArgumentCountError(const CtlCommand &c, size_t given) {
    std::string name = c.name;
    if (c.maxArgs == 0) return name + " takes no arguments";
    if (static_cast<int>(given) < c.minArgs) return name + " needs " + c.arguments;
    return name + " takes only " + c.arguments;
}

} // namespace

std::string CtlHelpText() {
    return kHelpHead + CtlCommandsHelp() + kHelpTail;
}

CommandLineAction ParseCtlCommandLine(int argc, const char *const *argv, CtlOptions *o,
                                      std::string *error) {
    OptionReader r(argc, argv);
    std::vector<std::string> words;
    while (r.Next()) {
        if (!r.IsOption()) {
            words.push_back(r.Arg());
        } else if (r.Is("--help", "-h")) {
            return kShowHelp;
        } else if (r.Is("--version")) {
            return kShowVersion;
        } else if (!ReadOption(r, o)) {
            *error = r.Error();
            return kBadUsage;
        }
    }
    if (words.empty()) {
        *error = "no command given";
        return kBadUsage;
    }
    size_t nameWords = 0;
    o->command = FindCtlCommand(words, &nameWords);
    if (!o->command) {
        *error = "unknown command '" + words[0] + "'";
        return kBadUsage;
    }
    const CtlCommand &c = *o->command;
    o->args.assign(words.begin() + static_cast<long>(nameWords), words.end());
    int n = static_cast<int>(o->args.size());
    if (n < c.minArgs || n > c.maxArgs) {
        *error = ArgumentCountError(c, o->args.size());
        return kBadUsage;
    }
    if (c.check) {
        *error = c.check(o->args);
        if (!error->empty()) return kBadUsage;
    }
    if ((o->watch > 0 || !o->csv.empty()) && !(c.flags & kCtlReadout)) {
        *error = "--watch and --csv belong to the read-outs (values, minmax, mean)";
        return kBadUsage;
    }
    if ((o->range || o->save) && c.run != CmdScan) {
        *error = std::string(o->range ? "--range" : "--save") + " belongs to scan";
        return kBadUsage;
    }
    if (o->force && c.run != CmdSendConfig) {
        *error = "--force belongs to send-config";
        return kBadUsage;
    }
    if ((o->records >= 0 || o->newest >= 0 || o->interval > 0) && c.run != CmdLoggerDownload) {
        *error = "--records, --newest and --interval belong to logger download";
        return kBadUsage;
    }
    if (o->hold >= 0 && c.run != CmdOutputs) {
        *error = "--hold belongs to outputs";
        return kBadUsage;
    }
    if (o->yes && !(c.flags & kCtlAsks)) {
        *error = "--yes belongs to the commands that ask first (" + AskingCommands() + ")";
        return kBadUsage;
    }
    return kRunProgram;
}

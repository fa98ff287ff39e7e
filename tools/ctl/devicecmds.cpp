// kr7mctl's energy meters, logger and output commands: the same core as the meters, logger and
// simulation views, with the answers printed and the questions asked on the terminal.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "config/commands.h"
#include "config/record.h"
#include "config/transfer.h"
#include "ctl/ctl.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "link/report.h"
#include "link/report_console.h"
#include "views/display.h"
#include "views/logger.h"
#include "views/meters.h"
#include "views/simulation.h"

namespace {

constexpr int kWarnMeterReset = 4; // warning pairs of the meters (title = message)
constexpr int kWarnMeterSet = 5;

bool ParseReading(const std::string &text, double *value) {
    if (text.empty()) return false;
    char *end = nullptr;
    errno = 0;
    double v = std::strtod(text.c_str(), &end);
    if (errno || *end || !(v >= 0)) return false;
    *value = v;
    return true;
}

// Opens the port and reads the meter scale; false (reported) with the port closed on failure.
bool OpenWithMeterScale(MeterScaleInfo *scale) {
    if (!InitInterface(CommPort)) return false;
    if (!ReadMeterScaleOnce()) {
        CloseInterface();
        return false;
    }
    *scale = MeterScaleOf(MeterScale);
    return true;
}

// Opens the port, reads the configuration and makes sure the logger logs something, as the
// logger view's opening does; false (reported) with the port closed otherwise.
bool OpenLogger() {
    if (!InitInterface(CommPort)) return false;
    if (!LeseKonfiguration() || !Read(&Lese, ReadDevStatus, 1)) {
        CloseInterface();
        return false;
    }
    if (!LoggerChannels(Lese.Logger)) {
        Error(6, 9);
        CloseInterface();
        return false;
    }
    return true;
}

void PrintInterval(int seconds, bool entered) {
    char text[16];
    IntervalText(seconds, text, sizeof text);
    std::printf("Interval\t%s%s\n", text, entered ? "\t(given)" : "");
}

struct CtlDownload {
    LoggerExport file;
    int lines;
};

int PrintLine(void *context, const LoggerLine &line) {
    auto *d = static_cast<CtlDownload *>(context);
    LoggerExportLine(&d->file, line.file);
    std::printf("%s\n", line.screen);
    ++d->lines;
    return 1;
}

int CtlCancelled(void *) {
    return Interrupted() ? 1 : 0;
}

const char *const kModeNames[3] = {"", "Mode 1", "Mode 2"};

} // namespace

std::string CheckMeterMask(const std::vector<std::string> &args) {
    long mask = 0;
    if (ParseMask(args[0], 1, 255, &mask)) return "";
    return NeedsMessage("reset-meters", "a mask 1..255 (decimal or 0x hex)", args[0].c_str());
}

std::string CheckSetMeter(const std::vector<std::string> &args) {
    long meter = 0;
    double value = 0;
    if (!ParseNumber(args[0], 1, kMeterCount, &meter))
        return NeedsMessage("set-meter", "a meter 1..8", args[0].c_str());
    if (!ParseReading(args[1], &value))
        return NeedsMessage("set-meter", "a reading of 0 or more", args[1].c_str());
    return "";
}

bool ParseOutputState(const std::string &text, int *output, int *on) {
    if (text.size() < 3 || text[1] != '=' || (text[0] != '1' && text[0] != '2')) return false;
    std::string state = text.substr(2);
    if (state != "on" && state != "off") return false;
    *output = text[0] - '1';
    *on = state == "on";
    return true;
}

std::string CheckOutputs(const std::vector<std::string> &args) {
    int seen = 0;
    for (const std::string &a : args) {
        int output = 0, on = 0;
        if (!ParseOutputState(a, &output, &on))
            return NeedsMessage("outputs", "1=on, 1=off, 2=on or 2=off", a.c_str());
        if (seen & (1 << output)) return "outputs names output " + a.substr(0, 1) + " twice";
        seen |= 1 << output;
    }
    return "";
}

long long ParseNewest(const std::string &text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) !=
        6)
        return -1;
    if (y < 1970) return -1;
    return LocalTime(y, mo, d, h, mi, s);
}

int ParseInterval(const std::string &text) {
    int m = 0, s = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%3d:%2d%c", &m, &s, &tail) != 2) return 0;
    if (m < 0 || s < 0 || s > 59) return 0;
    return m * 60 + s;
}

int CmdMeters(const CtlOptions &) {
    MeterScaleInfo scale{};
    if (!OpenWithMeterScale(&scale)) return kExitFailure;
    int ok = Read(&Lese, ReadMeters, 1);
    int rate = ok ? Read(&Lese, ReadDevStatus, 1) : 0;
    CloseInterface();
    if (!ok || !rate) return kExitFailure;
    for (int i = 0; i < kMeterCount; ++i) {
        char text[40];
        FormatMeterReading(Meters[i], scale, text, sizeof text);
        std::printf("%s\t%s\t%s\n", MeterCaption(i), text, MeterUnit(i, scale.prefix));
    }
    std::printf("Active rate\t%d\n", ActiveRate(DevStatus));
    return kExitOk;
}

int CmdResetMeters(const CtlOptions &o) {
    long mask = 0;
    ParseMask(o.args[0], 1, 255, &mask);
    Console_SetAnswer(o.yes ? kConsoleAnswerYes : kConsoleAnswerAsk);
    if (!Warnung(kWarnMeterReset, kWarnMeterReset)) {
        std::fprintf(stderr, "Not confirmed: nothing was reset.\n");
        return kExitFailure;
    }
    if (!InitInterface(CommPort)) return kExitFailure;
    int ok = ResetMeters(static_cast<unsigned>(mask));
    CloseInterface();
    if (!ok) return kExitFailure;
    std::printf("Meters 0x%02lX reset\n", mask);
    return kExitOk;
}

int CmdSetMeter(const CtlOptions &o) {
    long meter = 0;
    double reading = 0;
    ParseNumber(o.args[0], 1, kMeterCount, &meter);
    ParseReading(o.args[1], &reading);
    MeterScaleInfo scale{};
    if (!OpenWithMeterScale(&scale)) return kExitFailure;
    uint32_t counts[kMeterCount] = {};
    int index = static_cast<int>(meter) - 1;
    if (!PresetCount(reading, scale, &counts[index])) {
        // The view's field refuses such a value; so does this command, before asking.
        CloseInterface();
        std::fprintf(stderr,
                     "kr7mctl: set-meter needs a reading 0..%.*f %s for this instrument, "
                     "not '%s'\n",
                     scale.decimals, scale.maximum, MeterUnit(index, scale.prefix),
                     o.args[1].c_str());
        return kExitUsage;
    }
    Console_SetAnswer(o.yes ? kConsoleAnswerYes : kConsoleAnswerAsk);
    if (!Warnung(kWarnMeterSet, kWarnMeterSet)) {
        CloseInterface();
        std::fprintf(stderr, "Not confirmed: nothing was set.\n");
        return kExitFailure;
    }
    int ok = PresetMeters(1u << index, counts);
    CloseInterface();
    if (!ok) return kExitFailure;
    char text[40];
    FormatMeterReading(counts[index], scale, text, sizeof text);
    std::printf("Meter %ld set to %s %s\n", meter, text, MeterUnit(index, scale.prefix));
    return kExitOk;
}

int CmdLoggerStatus(const CtlOptions &) {
    if (!OpenLogger()) return kExitFailure;
    int ok = ReadLoggerStatus(Lese.Logger);
    CloseInterface();
    if (!ok) return kExitFailure;
    unsigned word = Lese.Logger;
    int seconds = ConfiguredInterval(Lese.EnergyControl);
    std::printf("Mode\t%s%s\n", kModeNames[LoggerModeItem(word)],
                AsksNewestTime(word) ? " (newest record's time asked)" : "");
    if (seconds)
        PrintInterval(seconds, false);
    else
        std::printf("Interval\t%s\n", (Lese.EnergyControl & 0x80) ? "external" : "none");
    std::printf("Active power\t%s\n", (word & kLoggerActive) ? "logged" : "not logged");
    std::printf("Reactive power\t%s\n", (word & kLoggerReactive) ? "logged" : "not logged");
    std::printf("Values stored\t%u\n", static_cast<unsigned>(Log[1]));
    std::printf("Records\t%u\n", static_cast<unsigned>(Log[12]));
    if (seconds) {
        char span[32];
        SpanText(seconds, Log[12], span, sizeof span);
        std::printf("Time span\t%s\n", span);
    }
    std::string failed;
    for (int k = 2; k < 12; ++k)
        if (Log[k]) failed += (failed.empty() ? "" : " ") + std::to_string(Log[k]);
    std::printf("Failed values\t%s\n", failed.empty() ? "none" : failed.c_str());
    return kExitOk;
}

int CmdLoggerDownload(const CtlOptions &o) {
    const char *path = o.args[0].c_str();
    if (!OpenLogger()) return kExitFailure;
    unsigned word = Lese.Logger;
    int seconds = o.interval > 0 ? o.interval : ConfiguredInterval(Lese.EnergyControl);
    // Where the view would ask, the command line must say.
    const char *missing = nullptr;
    if (seconds <= 0)
        missing = "the instrument has no interval of its own: give --interval MM:SS";
    else if (AsksNewestTime(word) && o.newest < 0)
        missing = "the logger mode asks for the newest record's time: give --newest "
                  "\"YYYY-MM-DD HH:MM:SS\"";
    if (missing) {
        CloseInterface();
        std::fprintf(stderr, "kr7mctl: logger download: %s\n", missing);
        return kExitUsage;
    }
    SetLoggerInterval(seconds);
    InitAnzeige();
    ReadLoggerStatus(word);
    int records = o.records >= 0 ? o.records : Log[12];
    long long newest =
        o.newest >= 0 ? o.newest
                      : RoundDownToInterval(static_cast<long long>(std::time(nullptr)), seconds);
    CtlDownload d{};
    if (!LoggerExportOpen(&d.file, path)) {
        CloseInterface();
        std::fprintf(stderr, "kr7mctl: %s\n", d.file.error);
        return kExitFailure;
    }
    CatchInterrupts();
    LoggerSink sink{&d, PrintLine, nullptr, CtlCancelled};
    int lines = 0;
    int outcome = DownloadLogger(word, records, newest, seconds, sink, &lines);
    CloseInterface();
    std::fflush(stdout);
    // What was read is kept; a download that read nothing leaves the file as it was.
    if (d.lines == 0 && outcome != LOGGER_COMPLETE) {
        LoggerExportAbandon(&d.file);
    } else if (!LoggerExportCommit(&d.file)) {
        std::fprintf(stderr, "kr7mctl: %s\n", d.file.error);
        return kExitFailure;
    }
    if (outcome == LOGGER_CANCELLED)
        std::fprintf(stderr, "Interrupted: %d records kept in %s\n", d.lines, path);
    else if (outcome == LOGGER_READ_FAILED)
        std::fprintf(stderr, "Download failed: %d records kept in %s\n", d.lines, path);
    return outcome == LOGGER_COMPLETE ? kExitOk : kExitFailure;
}

int CmdLoggerReset(const CtlOptions &o) {
    Console_SetAnswer(o.yes ? kConsoleAnswerYes : kConsoleAnswerAsk);
    if (!Warnung(1, 1)) {
        std::fprintf(stderr, "Not confirmed: the logger was not cleared.\n");
        return kExitFailure;
    }
    if (!InitInterface(CommPort)) return kExitFailure;
    int ok = ResetLoggerMemory();
    CloseInterface();
    if (!ok) return kExitFailure;
    std::printf("Logger cleared\n");
    return kExitOk;
}

int CmdOutputs(const CtlOptions &o) {
    if (!InitInterface(CommPort)) return kExitFailure;
    if (!LeseKonfiguration()) {
        CloseInterface();
        return kExitFailure;
    }
    Console_SetAnswer(o.yes ? kConsoleAnswerYes : kConsoleAnswerAsk);
    int warningsBefore = Console_Report().warnings;
    CatchInterrupts();
    if (!BeginOutputSimulation()) {
        CloseInterface();
        const ConsoleReport &rep = Console_Report();
        if (rep.warnings > warningsBefore && rep.lastWarningAnswer == 0)
            std::fprintf(stderr, "Not confirmed: the outputs were not touched.\n");
        return kExitFailure;
    }
    int ok = 1;
    for (const std::string &a : o.args) {
        int output = 0, on = 0;
        ParseOutputState(a, &output, &on);
        if (!SendOutputCommand(OutputCommandWord(output, on))) {
            ok = 0;
            break;
        }
        std::printf("Output %d %s\n", output + 1, on ? "on" : "off");
    }
    std::fflush(stdout);
    if (ok) {
        if (o.hold >= 0)
            PauseUnlessInterrupted(o.hold);
        else
            while (!Interrupted()) PauseUnlessInterrupted(3600);
    }
    bool changed = ModifiedOutputs[0] || ModifiedOutputs[1];
    int restored = EndOutputSimulation();
    CloseInterface();
    if (changed && restored) std::printf("Outputs given back their functions\n");
    return ok && restored ? kExitOk : kExitFailure;
}

// kr7mctl's read-outs of the live views, and the reset of min/max groups: the same tables,
// formatting and recordings as the views' panels.
#include <cerrno>
#include <csignal>
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
#include "views/readout.h"
#include "views/recording.h"
#include "views/viewtables.h"

namespace {

int RunReadout(const CtlOptions &o, int view) {
    if (!InitInterface(CommPort)) return kExitFailure;
    if (!LeseKonfiguration()) {
        CloseInterface();
        return kExitFailure;
    }
    InitAnzeige();
    Recording recording;
    if (!o.csv.empty() && !StartRecording(&recording, view, o.csv.c_str())) {
        std::fprintf(stderr, "kr7mctl: %s\n", recording.error);
        CloseInterface();
        return kExitFailure;
    }
    if (view == VIEW_MEAS) FlushInterfaceQueues();
    CatchInterrupts();

    int result = kExitOk;
    for (int reads = 0; !Interrupted(); ++reads) {
        if (reads > 0) std::printf("\n");
        DisplayText texts[40];
        // Unlike the views' silent periodic read, the failure is said on standard error.
        int ok = Read(&Lese, ViewTable(view).readCommand, 1);
        FormatViewValues(view, ok, texts);
        char text[4096];
        ReadoutText(view, texts, text, sizeof text);
        std::fputs(text, stdout);
        std::fflush(stdout);
        result = ok ? kExitOk : kExitFailure;
        if (RecordingActive(&recording) &&
            !RecordRead(&recording, ok, static_cast<long long>(std::time(nullptr)))) {
            std::fprintf(stderr, "kr7mctl: %s: %s\n", o.csv.c_str(), recording.error);
            result = kExitFailure;
            break;
        }
        if (o.watch <= 0) break;
        PauseUnlessInterrupted(o.watch);
    }
    StopRecording(&recording);
    CloseInterface();
    return result;
}

} // namespace

bool ParseMask(const std::string &text, long lo, long hi, long *mask) {
    if (text.empty()) return false;
    char *end = nullptr;
    errno = 0;
    long v = std::strtol(text.c_str(), &end, 0);
    if (errno || *end || v < lo || v > hi) return false;
    *mask = v;
    return true;
}

namespace {
volatile std::sig_atomic_t g_interrupted = 0;
void OnInterrupt(int) {
    g_interrupted = 1;
}
} // namespace

void CatchInterrupts() {
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

bool Interrupted() {
    return g_interrupted != 0;
}

void PauseUnlessInterrupted(double seconds) {
    timespec ts;
    ts.tv_sec = static_cast<time_t>(seconds);
    ts.tv_nsec = static_cast<long>((seconds - static_cast<double>(ts.tv_sec)) * 1e9);
    while (!g_interrupted && nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

int CmdValues(const CtlOptions &o) {
    return RunReadout(o, VIEW_MEAS);
}

int CmdMinMax(const CtlOptions &o) {
    return RunReadout(o, VIEW_MINMAX);
}

int CmdMean(const CtlOptions &o) {
    return RunReadout(o, VIEW_MEAN);
}

std::string CheckResetMask(const std::vector<std::string> &args) {
    long mask = 0;
    if (ParseMask(args[0], 0, 255, &mask)) return "";
    return NeedsMessage("reset-minmax", "a mask 0..255 (decimal or 0x hex)", args[0].c_str());
}

int CmdResetMinMax(const CtlOptions &o) {
    long mask = 0;
    ParseMask(o.args[0], 0, 255, &mask);
    Console_SetAnswer(o.yes ? kConsoleAnswerYes : kConsoleAnswerAsk);
    if (!Warnung(3, 3)) {
        std::fprintf(stderr, "Not confirmed: nothing was reset.\n");
        return kExitFailure;
    }
    if (!InitInterface(CommPort)) return kExitFailure;
    ResetMinMax = static_cast<int16_t>(mask);
    int ok = Write(&Lese, WriteResetMinMax, 1, 0);
    CloseInterface();
    if (!ok) return kExitFailure;
    std::printf("Min/max groups 0x%02lX reset\n", mask);
    return kExitOk;
}

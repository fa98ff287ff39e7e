// The console implementation of the reporting seam.
#include "link/report_console.h"

#include "link/messages.h"
#include "link/report.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>
#include <strings.h>
#include <unistd.h>

namespace {

FILE *gOut = stderr;
FILE *gIn = stdin;
ConsoleAnswer gAnswer = kConsoleAnswerNo;
int gProgress = 0;
std::string gDetail;

ConsoleReport Fresh() {
    ConsoleReport r{};
    r.lastErrorTitle = r.lastErrorMessage = -1;
    r.lastWarningTitle = r.lastWarningMessage = -1;
    r.lastProgress = -1;
    return r;
}

ConsoleReport gReport = Fresh();

void Wait(double seconds) {
    if (!(seconds > 0.0)) return;
    if (seconds > 3600.0) seconds = 3600.0;
    timespec left;
    left.tv_sec = static_cast<time_t>(seconds);
    left.tv_nsec = static_cast<long>((seconds - static_cast<double>(left.tv_sec)) * 1e9);
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

// Reads one answer line: 1 only for "y" or "yes" in any case, 0 for anything else, -1 when the
// input is closed or fails. Both decline, so an unattended run never confirms by accident.
int ReadYes(FILE *in) {
    if (in == nullptr) return -1;
    char line[64];
    if (std::fgets(line, sizeof line, in) == nullptr) return -1;
    if (std::strchr(line, '\n') == nullptr) {
        // The rest of an over-long answer must not become the answer to the next question.
        int c;
        while ((c = std::fgetc(in)) != EOF && c != '\n') {
        }
        return 0;
    }
    char *p = line;
    while (*p == ' ' || *p == '\t') p++;
    size_t n = std::strcspn(p, " \t\r\n");
    p[n] = '\0';
    return strcasecmp(p, "y") == 0 || strcasecmp(p, "yes") == 0;
}

} // namespace

void Console_SetOutput(FILE *out) {
    gOut = out;
}
void Console_SetInput(FILE *in) {
    gIn = in;
}
void Console_SetAnswer(ConsoleAnswer answer) {
    gAnswer = answer;
}
void Console_SetProgress(int enabled) {
    gProgress = enabled != 0;
}
const ConsoleReport &Console_Report() {
    return gReport;
}
void Console_ResetCounts() {
    gReport = Fresh();
}

void SetErrorDetail(const char *detail) {
    gDetail = detail != nullptr ? detail : "";
}

int Error(int title, int message) {
    gReport.errors++;
    gReport.lastErrorTitle = title;
    gReport.lastErrorMessage = message;
    std::snprintf(gReport.lastErrorDetail, sizeof gReport.lastErrorDetail, "%s", gDetail.c_str());
    if (gOut != nullptr) {
        std::fprintf(gOut, "error %d/%d: %s: %s\n", title, message, messages::ErrorTitle(title),
                     messages::ErrorMessage(message));
        if (!gDetail.empty()) std::fprintf(gOut, "  %s\n", gDetail.c_str());
        std::fflush(gOut);
    }
    gDetail.clear();
    return 1;
}

int Warnung(int title, int message) {
    int answer = 0;
    switch (gAnswer) {
    case kConsoleAnswerYes:
        answer = 1;
        break;
    case kConsoleAnswerNo:
        answer = 0;
        break;
    case kConsoleAnswerAsk: {
        // The question must be seen even when reports are silenced.
        FILE *out = gOut != nullptr ? gOut : stderr;
        std::fprintf(out, "%s: %s [y/N] ", messages::WarningTitle(title),
                     messages::WarningMessage(message));
        std::fflush(out);
        int read = ReadYes(gIn);
        answer = read > 0 ? 1 : 0;
        // A terminal echoes the typed answer; from a pipe or a closed input the prompt's line
        // would stay open, so it is ended with the answer taken.
        if (read < 0 || isatty(fileno(gIn)) != 1) std::fprintf(out, "%s\n", answer ? "yes" : "no");
        break;
    }
    }
    if (gAnswer != kConsoleAnswerAsk && gOut != nullptr) {
        std::fprintf(gOut, "%s: %s %s\n", messages::WarningTitle(title),
                     messages::WarningMessage(message), answer ? "Yes." : "No.");
        std::fflush(gOut);
    }
    gReport.warnings++;
    gReport.lastWarningTitle = title;
    gReport.lastWarningMessage = message;
    gReport.lastWarningAnswer = answer;
    return answer;
}

void TransferWindow(int mode, int value, double delay) {
    Wait(delay);
    bool print = gProgress && gOut != nullptr;
    switch (mode) {
    case 0:
        gReport.progressShown = 1;
        if (print) std::fprintf(gOut, "Transferring data...\n");
        break;
    case 1:
        gReport.progressShown = 0;
        break;
    case 2:
        gReport.lastProgress = value;
        if (print) std::fprintf(gOut, "  %3d %%\n", value);
        break;
    default:
        return;
    }
    if (print) std::fflush(gOut);
}

// The console implementation of the reporting seam.
#include "link/report_console.h"

#include "link/linksettings.h"
#include "link/messages.h"
#include "link/port.h"
#include "link/report.h"
#include "platform/serial/portmap.h"

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

// The link as a person names it: the port's device path, the instrument talked to and the line
// settings in force. An open failure happens before OpenedPort is set, so the port asked for
// is CommPort then.
struct LinkView {
    int port;
    std::string path; // "/dev/ttyUSB0", or "port 9" for a number without a device
    std::string whom; // "the instrument at address 5", "the instrument"
    std::string line; // "9600 baud, even parity, 1 stop bit"
    bool bus;
};

LinkView DescribeLink() {
    LinkView v;
    v.port = CommPortOpen ? OpenedPort : CommPort;
    const char *device = ComPortDevice(v.port);
    v.path = device != nullptr ? device : "port " + std::to_string(v.port);
    v.bus = CommType == 1;
    v.whom = v.bus ? "the instrument at address " + std::to_string(DeviceAddr) : "the instrument";
    long baud = 0;
    int parity = 0, stopBits = 0;
    LineParameters(&baud, &parity, &stopBits);
    static const char *const kParityNames[] = {"no parity", "odd parity", "even parity"};
    v.line = std::to_string(baud) + " baud, " +
             kParityNames[parity >= 0 && parity <= 2 ? parity : 0] + ", " +
             std::to_string(stopBits) + (stopBits == 1 ? " stop bit" : " stop bits");
    return v;
}

// A detail from the lower layers is a sentence, but not always a finished one.
std::string Sentence(const std::string &text) {
    if (text.empty()) return text;
    char last = text.back();
    return last == '.' || last == '!' || last == '?' ? text : text + ".";
}

// What the console shows for an error: the specific cause on the first line, what to check on
// an indented second one. The link's errors name the device, the instrument and the line
// settings; other errors put the detail their caller gave before the general text.
std::string ErrorText(int title, int message, const std::string &detail) {
    bool linkError = title == 0 && message >= 0 && message <= 4 && message != 3;
    if (!linkError) {
        bool known = title >= 0 && title < messages::Count(messages::kErrorTitles) &&
                     message >= 0 && message < messages::Count(messages::kErrorMessages);
        std::string general = messages::ErrorMessage(message);
        // Numbers no table knows stay visible, so that whoever reads the report can find its
        // origin.
        if (!known)
            general = std::string(messages::ErrorTitle(title)) + ": " + general + " (" +
                      std::to_string(title) + "/" + std::to_string(message) + ")";
        if (detail.empty()) return general + "\n";
        return Sentence(detail) + "\n  " + general + "\n";
    }

    LinkView v = DescribeLink();
    std::string port = "serial port " + std::to_string(v.port);
    if (message == 0 || message == 1) {
        if (!detail.empty()) return "Cannot open " + port + ": " + Sentence(detail) + "\n";
        return "Cannot open " + port + " (" + v.path + ").\n  " +
               (message == 0 ? "Check that the device exists and that no other program uses it."
                             : "Check the device and the port's device path in the interface "
                               "settings.") +
               "\n";
    }
    std::string where = v.whom + " on " + v.path + (v.bus ? "" : " (direct connection)");
    std::string head = message == 2 ? "No answer from " + where + "."
                       : detail.empty()
                           ? "Faulty answer (wrong length or checksum) from " + where + "."
                           : "No usable answer from " + where + ".";
    if (!detail.empty()) return head + "\n  " + Sentence(detail) + "\n";
    std::string check;
    if (message == 2 && v.bus) {
        check = "Check the cable, that the instrument's bus address is " +
                std::to_string(DeviceAddr) + " and that it runs at " + v.line + ".";
    } else if (message == 2) {
        check = "Check the cable, and that the instrument is on the direct connection "
                "(address 255, " +
                v.line + "); an instrument on a bus is reached through its bus address.";
    } else if (v.bus) {
        check = "Check that the instrument runs at " + v.line +
                ", that no other instrument on the bus has address " + std::to_string(DeviceAddr) +
                ", and the bus wiring and its termination.";
    } else {
        check = "Check the cable and that nothing else is connected to the line (" + v.line + ").";
    }
    return head + "\n  " + check + "\n";
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

int ErrorsReported() {
    return gReport.errors;
}

const char *LastErrorText() {
    return gReport.errors ? messages::ErrorMessage(gReport.lastErrorMessage) : "";
}

int Error(int title, int message) {
    gReport.errors++;
    gReport.lastErrorTitle = title;
    gReport.lastErrorMessage = message;
    std::snprintf(gReport.lastErrorDetail, sizeof gReport.lastErrorDetail, "%s", gDetail.c_str());
    if (gOut != nullptr) {
        std::fputs(ErrorText(title, message, gDetail).c_str(), gOut);
        std::fflush(gOut);
    }
    gDetail.clear();
    return 1;
}

int AskUnsavedChanges(const char *) {
    return 2;
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
    case 3:
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

int TransferCancelled() {
    // A console transfer is stopped by its program's own signal handling.
    return 0;
}

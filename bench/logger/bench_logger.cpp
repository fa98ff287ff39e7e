// A full logger download (the simulator's whole memory: 2000 records of active and reactive
// power, 8000 registers in 67 blocks) on the direct connection at 9600 baud over kr7m-sim's
// paced line, with every line listed and exported, against the wire time of the requests and
// answers with the simulator's turnaround. A ratio near 1 means the download loses no time
// beyond what the line imposes.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "../simulator.h"
#include "config/commands.h"
#include "config/record.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "link/report_console.h"
#include "platform/serial/portmap.h"
#include "views/display.h"
#include "views/logger.h"

namespace {

constexpr double kTurnaround = 0.005; // seconds, as given to the simulator
constexpr int kRecords = 2000;

struct Sink {
    LoggerExport file;
    long bytes;
};

int Take(void *context, const LoggerLine &line) {
    auto *s = static_cast<Sink *>(context);
    LoggerExportLine(&s->file, line.file);
    s->bytes += static_cast<long>(std::strlen(line.screen));
    return 1;
}

} // namespace

int main() {
    Console_SetOutput(nullptr);
    char dir[] = "/tmp/kr7m-bench-logger-XXXXXX";
    if (!mkdtemp(dir)) return 1;
    std::string link = std::string(dir) + "/direct";
    pid_t sim = StartSim(link, {"--turnaround", "5", "--paced", "9600,8E1", "--logger-records",
                                "2000", "--logger-failed", "700"});
    if (sim < 0) return 1;
    SetComPortDevice(1, link.c_str());
    CommType = 0, Baudrate = 3; // the direct connection: 9600 baud, even parity, 1 stop bit
    for (float &s : Skalierung) s = 1.0f;
    Skalierung[GROUP_ACTIVE] = Skalierung[GROUP_REACTIVE] = 1000.0f;
    std::strcpy(Einh[GROUP_ACTIVE], "[kW]");
    std::strcpy(Einh[GROUP_REACTIVE], "[kvar]");
    const unsigned word = kLoggerActive | kLoggerReactive;
    int rc = 1;
    if (InitInterface(1) && ReadLoggerStatus(word) && Log[12] == kRecords) {
        LoggerBlock blocks[100];
        int n = PlanLoggerBlocks(Log[1], kRecords, 2, blocks, 100);
        const double charTime = 11.0 / 9600.0;
        double wire = 0;
        for (int b = 0; b < n; ++b) wire += (8 + 2 * blocks[b].count + 5) * charTime + kTurnaround;
        Sink sink{};
        std::string path = std::string(dir) + "/logger.txt";
        LoggerExportOpen(&sink.file, path.c_str());
        LoggerSink to{&sink, Take, nullptr, nullptr};
        int lines = 0;
        const double start = Now();
        int outcome = DownloadLogger(word, kRecords, 1773489600, 900, to, &lines);
        int saved = LoggerExportCommit(&sink.file);
        const double took = Now() - start;
        if (outcome == LOGGER_COMPLETE && saved && lines == kRecords) {
            std::printf("logger download, %d records in %d blocks, direct 9600 baud 8E1: %.3f s, "
                        "wire time with turnaround %.3f s, ratio %.3f (target <= 1.05)\n",
                        lines, n, took, wire, took / wire);
            rc = 0;
        } else {
            std::fprintf(stderr, "bench_logger: download ended %d after %d lines\n", outcome,
                         lines);
        }
    } else {
        std::fprintf(stderr, "bench_logger: the simulator's logger status could not be read\n");
    }
    CloseInterface();
    StopSim(sim);
    std::string cmd = std::string("rm -rf '") + dir + "'";
    if (std::system(cmd.c_str()) != 0) rc = 1;
    return rc;
}

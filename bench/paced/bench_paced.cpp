// Timing against the physical limit, on kr7m-sim's paced line (real character times on a
// pseudo-terminal): the bus search of 1..247 at 9600 baud with three instruments, against the
// sum of the search's own time-outs, pauses and wire times; and one ReadMeasurands exchange on
// the direct connection, against its wire time. Ratios near 1 mean no time is lost beyond
// what the line and the protocol impose.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "config/commands.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "link/report_console.h"
#include "link/search.h"
#include "platform/serial/portmap.h"

#include "../simulator.h"

namespace {

constexpr double kTurnaround = 0.005; // seconds, as given to the simulator
constexpr int kReads = 20;

// What the line and the protocol impose on one probe. A silent address costs the turnaround
// delay before listening and the read's time-out (answer time-out plus the line time of the
// 8 bytes asked for); an answering one the request's and the echo's wire time after the
// turnaround, or the turnaround delay if that is longer. The request leaves the pseudo-terminal
// at once, so only the simulator's pacing spends its wire time.
double ProbeCost(bool answers, double charTime) {
    const double rts = RTSFlow ? RTS_Timeout[3] : 0.0;
    if (!answers) return rts + Rec_Timeout[3] + 8 * charTime;
    return std::max(rts, 8 * charTime + kTurnaround) + 8 * charTime;
}

int BenchSearch(const std::string &dir) {
    const std::vector<int> bus = {3, 17, 30};
    const std::string link = dir + "/bus";
    pid_t sim = StartSim(link, {"--turnaround", "5", "--bus", "3,17,30", "--paced", "9600,8N2"});
    if (sim < 0) return 1;
    SetComPortDevice(1, link.c_str());
    CommType = 1, Baudrate = 3, Parity = 0, RTSFlow = 1; // 9600 baud, 11 bits a character
    const double charTime = 11.0 / 9600.0;
    double reference = 0;
    for (int a = 1; a <= 247; ++a) {
        bool there = std::find(bus.begin(), bus.end(), a) != bus.end();
        reference += ProbeCost(there, charTime) + kSearchPause;
        if (a == 1 && !there) reference += ProbeCost(false, charTime);
    }
    const double start = Now();
    int ran = SearchDevices(1, 247, nullptr, nullptr);
    const double took = Now() - start;
    StopSim(sim);
    if (!ran || CountKnownDevices() != 3) {
        std::fprintf(stderr, "bench_paced: the search found %d instruments\n", CountKnownDevices());
        return 1;
    }
    std::printf("search 1..247, 9600 baud 8N2, 3 instruments: %.3f s, line and protocol %.3f s, "
                "ratio %.3f (target <= 1.02)\n",
                took, reference, took / reference);
    return 0;
}

int BenchRead(const std::string &dir) {
    const std::string link = dir + "/direct";
    pid_t sim = StartSim(link, {"--turnaround", "5", "--paced", "9600,8E1"});
    if (sim < 0) return 1;
    SetComPortDevice(1, link.c_str());
    CommType = 0, Baudrate = 3; // the direct connection: 9600 baud, even parity, 1 stop bit
    const double charTime = 11.0 / 9600.0;
    const double wire = (8 + 66 * 2 + 5) * charTime + kTurnaround;
    if (!InitInterface(1)) {
        StopSim(sim);
        return 1;
    }
    std::vector<double> times;
    int failed = 0;
    for (int i = 0; i < kReads; ++i) {
        double start = Now();
        if (!Read(&Lese, ReadMeasurands, 0)) ++failed;
        times.push_back(Now() - start);
    }
    CloseInterface();
    StopSim(sim);
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("ReadMeasurands, direct 9600 baud 8E1: median %.4f s of %d (%d failed), wire "
                "time with turnaround %.4f s, ratio %.3f (target <= 1.05)\n",
                median, kReads, failed, wire, median / wire);
    return failed ? 1 : 0;
}

} // namespace

int main() {
    Console_SetOutput(nullptr);
    char dir[] = "/tmp/kr7m-bench-paced-XXXXXX";
    if (!mkdtemp(dir)) return 1;
    int rc = BenchSearch(dir);
    if (rc == 0) rc = BenchRead(dir);
    std::string cmd = std::string("rm -rf '") + dir + "'";
    if (std::system(cmd.c_str()) != 0) rc = 1;
    return rc;
}

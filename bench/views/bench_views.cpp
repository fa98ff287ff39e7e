// The instantaneous-values view as a user runs it, on kr7m-sim's paced line (9600 baud 8E1,
// real character times, 5 ms turnaround):
// - opening: from choosing the menu command to the first field filled, against the wire time of
//   the exchanges on the way (every byte both ways at its character time, plus the
//   simulator's turnaround per answer), taken from the simulator's frame log;
// - polling: the program's own CPU time while the view reads every 2 s for 60 s
//   (KR7M_BENCH_SECONDS shortens it), as a share of one core.
// Prints ratios; asserts nothing about time.
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "MainPan.h"
#include "app/app.h"
#include "platform/ui/resourcefile.h"
#include "platform/ui/userint.h"
#include "views/panels.h"
#include "views/views.h"

#include "../simulator.h"

namespace {

constexpr double kTurnaround = 0.005;       // seconds, as given to the simulator
constexpr double kCharTime = 11.0 / 9600.0; // 8E1: start, 8 data, parity, stop
constexpr double kProgressPause = 0.1;      // after reading the configuration

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Wire time of the frames logged so far: each byte at its character time, and the turnaround
// before each answer. Counts the answers too.
double WireTime(const std::string &log, int *answers) {
    std::ifstream in(log);
    double bytes = 0;
    *answers = 0;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string date, clock, what;
        words >> date >> clock >> what;
        if (what != "RX" && what != "TX") continue;
        if (what == "TX") ++*answers;
        for (std::string hex; words >> hex;) ++bytes;
    }
    return bytes * kCharTime + *answers * kTurnaround;
}

std::string FieldText() {
    char text[64] = "";
    if (measdisp > 0) GetCtrlVal(measdisp, MEAS_U, text, sizeof text);
    return text;
}

} // namespace

int main(int argc, char **argv) {
    if (!getenv("QT_QPA_PLATFORM") && !getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    char dir[] = "/tmp/kr7m-bench-views-XXXXXX";
    if (!mkdtemp(dir)) return 1;
    const std::string link = std::string(dir) + "/sim", log = std::string(dir) + "/frames.log";
    setenv("KR7M_CONFIG_DIR", dir, 1);
    {
        std::ofstream ini(std::string(dir) + "/KR7M.ini", std::ios::binary);
        ini << "[Interface]\r\nCOMPort = 1\r\nCOMType = 0\r\nDevAddr = 1\r\n\r\n[Ports]\r\nCOM1 = "
               "\""
            << link << "\"\r\n\r\n";
    }
    double seconds = 60;
    if (const char *s = getenv("KR7M_BENCH_SECONDS"))
        seconds = std::atof(s) > 0 ? std::atof(s) : 60;
    pid_t sim = StartSim(link, {"--paced", "9600,8E1", "--turnaround", "5", "--log", log});
    int rc = 1;
    RegisterMainPanCallbacks();
    if (sim > 0 && StartProgram(argc, argv) == 0) {
        ProcessSystemEvents();
        // Only the frames of the opening count.
        if (FILE *f = std::fopen(log.c_str(), "w")) std::fclose(f);
        const double start = Now();
        UserChooseMenu(menuHandle, MENU_MEASURE_MEAS);
        while (FieldText().empty() && Now() - start < 10) {
            ProcessSystemEvents();
            usleep(200);
        }
        const double opened = Now() - start;
        int answers = 0;
        const double wire = WireTime(log, &answers);
        if (FieldText().empty()) {
            std::fprintf(stderr, "bench_views: the view showed no values\n");
        } else {
            // Reading the configuration ends with a designed pause that lets its progress
            // pop-up be seen at its last value; the second ratio leaves it out.
            std::printf("instantaneous view, direct 9600 baud 8E1: menu to first field %.3f s, "
                        "wire time of its %d exchanges %.3f s, ratio %.3f; without the progress "
                        "pop-up's pause of %.1f s %.3f (target <= 1.10)\n",
                        opened, answers, wire, opened / wire, kProgressPause,
                        (opened - kProgressPause) / wire);
            // Polling: the event loop as the user has it, the timer reading every 2 s.
            const double cpu0 = CpuSeconds(), wall0 = Now();
            QTimer::singleShot(static_cast<int>(seconds * 1000), [] { QuitUserInterface(0); });
            RunUserInterface();
            const double cpu = CpuSeconds() - cpu0, wall = Now() - wall0;
            int reads = 0;
            WireTime(log, &reads);
            reads -= answers;
            std::printf("polling for %.0f s: %d reads, CPU %.3f s, %.3f %% of one core "
                        "(target < 0.5 %%)\n",
                        wall, reads, cpu, 100.0 * cpu / wall);
            rc = reads > 0 ? 0 : 1;
            CloseMeasView();
        }
        ShutdownProgram();
    }
    StopSim(sim);
    std::string cmd = std::string("rm -rf '") + dir + "'";
    if (std::system(cmd.c_str()) != 0) rc = 1;
    return rc;
}

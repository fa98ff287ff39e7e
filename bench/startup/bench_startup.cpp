// Start-up time: from starting a process to its main window being shown, for the configurator
// and, in the same run, for a bare Qt main window with a menu bar. Prints both and the ratio.
//
// Each sample is a fresh process (this program again, in one of two roles), so loading the
// libraries and the resource file counts, as it does for a user. A child reports through a pipe
// once its event loop runs with the window shown, then exits.
#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "MainPan.h"
#include "app/app.h"
#include "platform/ui/userint.h"

namespace {

int gReportFd = -1;

// With BENCH_STARTUP_PROFILE set, a child ends right after its report, so that a profiler run
// over it sees only the start-up that is measured, not the teardown.
void Report() {
    char byte = 1;
    while (write(gReportFd, &byte, 1) < 0 && errno == EINTR) {
    }
    if (getenv("BENCH_STARTUP_PROFILE")) _exit(0);
}

long long Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// After the report: one line "name<TAB>monotonic ns" per step the child noted.
void SendSteps(const std::vector<std::pair<std::string, long long>> &steps) {
    std::string text;
    for (const auto &s : steps) text += s.first + "\t" + std::to_string(s.second) + "\n";
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(gReportFd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

void ReportAndQuit(void *) {
    UIMarkStep("window shown");
    Report();
    QuitUserInterface(0);
}

int RunConfigurator(int argc, char **argv) {
    RegisterMainPanCallbacks();
    if (StartProgram(argc, argv) != 0) return 1;
    PostDeferredCall(ReportAndQuit, nullptr);
    RunUserInterface();
    std::vector<std::pair<std::string, long long>> steps;
    for (int i = 0; i < UIStepCount(); ++i) {
        long long ns = 0;
        const char *name = UIStep(i, &ns);
        steps.emplace_back(name, ns);
    }
    SendSteps(steps);
    ShutdownProgram();
    return 0;
}

int RunBareQt(int argc, char **argv) {
    QApplication app(argc, argv);
    long long started = Now();
    QMainWindow window;
    const char *menus[] = {"&File", "&Device", "&Measurement", "&Language", "&Help"};
    for (const char *title : menus) {
        QMenu *menu = window.menuBar()->addMenu(title);
        for (int i = 0; i < 6; ++i) menu->addAction(QString("Item %1").arg(i));
    }
    window.showMaximized();
    QTimer::singleShot(0, [&] {
        Report();
        app.quit();
    });
    int code = app.exec();
    SendSteps({{"toolkit started", started}});
    return code;
}

using Steps = std::vector<std::pair<std::string, double>>; // name, ms after the start

// Starts this program in a role and returns the seconds until it reported its window, or -1.
// The steps the child noted come back in *steps.
double Sample(const char *self, const char *role, const char *configDir, Steps *steps) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    long long startNs = Now();
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    if (pid == 0) {
        close(fds[0]);
        std::string fd = std::to_string(fds[1]);
        setenv("KR7M_CONFIG_DIR", configDir, 1);
        // The toolkit's notes about the platform would bury the result.
        int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (quiet >= 0) dup2(quiet, STDERR_FILENO);
        execl(self, self, role, fd.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char byte = 0;
    ssize_t n;
    while ((n = read(fds[0], &byte, 1)) < 0 && errno == EINTR) {
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::string rest;
    char buf[512];
    ssize_t got;
    while ((got = read(fds[0], buf, sizeof buf)) != 0) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        rest.append(buf, static_cast<size_t>(got));
    }
    steps->clear();
    for (size_t pos = 0; pos < rest.size();) {
        size_t end = rest.find('\n', pos);
        if (end == std::string::npos) break;
        std::string line = rest.substr(pos, end - pos);
        size_t tab = line.find('\t');
        if (tab != std::string::npos)
            steps->emplace_back(line.substr(0, tab),
                                (std::atoll(line.c_str() + tab + 1) - startNs) / 1e6);
        pos = end + 1;
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (n != 1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return seconds;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 3 && (std::strcmp(argv[1], "--app") == 0 || std::strcmp(argv[1], "--qt") == 0)) {
        gReportFd = std::atoi(argv[2]);
        char *args[] = {argv[0], nullptr};
        int one = 1;
        return std::strcmp(argv[1], "--app") == 0 ? RunConfigurator(one, args)
                                                  : RunBareQt(one, args);
    }
    int runs = argc > 1 ? std::atoi(argv[1]) : 31;
    if (runs < 1) runs = 1;
    if (!getenv("QT_QPA_PLATFORM") && !getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    char dir[] = "/tmp/kr7m-bench-XXXXXX";
    if (!mkdtemp(dir)) {
        std::perror("mkdtemp");
        return 1;
    }
    char self[4096];
    ssize_t len = readlink("/proc/self/exe", self, sizeof self - 1);
    if (len <= 0) {
        std::perror("readlink");
        return 1;
    }
    self[len] = '\0';

    std::vector<double> app, qt, ratios, extra;
    std::vector<std::string> order;                     // step names, in the order first seen
    std::vector<std::vector<double>> appSteps, qtStart; // ms after the start, per step
    // Interleaved, so that both see the same machine load, and each first in every other run:
    // a start right after the other program's runs with caches that program left.
    for (int i = 0; i < runs; ++i) {
        Steps sa, sq;
        double a = -1, q = -1;
        if (i % 2 == 0) {
            a = Sample(self, "--app", dir, &sa);
            q = Sample(self, "--qt", dir, &sq);
        } else {
            q = Sample(self, "--qt", dir, &sq);
            a = Sample(self, "--app", dir, &sa);
        }
        if (a < 0 || q < 0) {
            std::fprintf(stderr, "bench_startup: a sample failed (run %d)\n", i + 1);
            return 1;
        }
        app.push_back(a);
        qt.push_back(q);
        ratios.push_back(a / q);
        extra.push_back(a - q);
        for (const auto &st : sa) {
            size_t k = std::find(order.begin(), order.end(), st.first) - order.begin();
            if (k == order.size()) {
                order.push_back(st.first);
                appSteps.emplace_back();
            }
            appSteps[k].push_back(st.second);
        }
        if (!sq.empty()) qtStart.push_back({sq.front().second});
    }
    std::string cleanup = std::string("rm -rf '") + dir + "'";
    if (std::system(cleanup.c_str()) != 0)
        std::fprintf(stderr, "bench_startup: cannot remove %s\n", dir);

    double ma = Median(app), mq = Median(qt);
    std::printf("start-up to main window shown, median of %d runs (platform %s)\n", runs,
                getenv("QT_QPA_PLATFORM") ? getenv("QT_QPA_PLATFORM") : "default");
    std::printf("  configurator        %8.1f ms\n", ma * 1e3);
    std::printf("  bare Qt main window %8.1f ms\n", mq * 1e3);
    // The two starts of one run share the machine's state of the moment; on a shared machine,
    // whose speed drifts over seconds, the median of the runs' own ratios follows the programs
    // and not the drift. The ratio of the medians is the same on a quiet machine.
    std::printf("  ratio configurator / bare Qt: %.2f (median of the runs' ratios; ratio of the "
                "medians %.2f)\n",
                Median(ratios), mq > 0 ? ma / mq : 0.0);
    // What the configurator itself adds: the ratio also moves with how fast the machine starts
    // processes at all, which both programs pay alike.
    std::printf("  configurator minus bare Qt: %.1f ms (median of the runs' differences)\n",
                Median(extra) * 1e3);
    // Each step's median end after the process started, and the time since the step before.
    std::vector<std::pair<double, std::string>> ends;
    for (size_t k = 0; k < order.size(); ++k) ends.emplace_back(Median(appSteps[k]), order[k]);
    std::sort(ends.begin(), ends.end());
    std::printf("configurator steps (median end after start, time of the step):\n");
    double before = 0;
    for (const auto &e : ends) {
        std::printf("  %-22s %8.1f ms %+8.1f ms%s\n", e.second.c_str(), e.first, e.first - before,
                    e.first > ma * 1e3 ? "  (after the window was reported shown)" : "");
        before = e.first;
    }
    std::vector<double> q0;
    for (const auto &v : qtStart) q0.push_back(v.front());
    if (!q0.empty()) std::printf("  bare Qt: toolkit started %.1f ms\n", Median(q0));
    return 0;
}

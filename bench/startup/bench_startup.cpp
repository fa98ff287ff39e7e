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

void Report() {
    char byte = 1;
    while (write(gReportFd, &byte, 1) < 0 && errno == EINTR) {
    }
}

void ReportAndQuit(void *) {
    Report();
    QuitUserInterface(0);
}

int RunConfigurator(int argc, char **argv) {
    RegisterMainPanCallbacks();
    if (StartProgram(argc, argv) != 0) return 1;
    PostDeferredCall(ReportAndQuit, nullptr);
    RunUserInterface();
    ShutdownProgram();
    return 0;
}

int RunBareQt(int argc, char **argv) {
    QApplication app(argc, argv);
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
    return app.exec();
}

// Starts this program in a role and returns the seconds until it reported its window, or -1.
double Sample(const char *self, const char *role, const char *configDir) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
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
    int runs = argc > 1 ? std::atoi(argv[1]) : 7;
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

    std::vector<double> app, qt;
    for (int i = 0; i < runs; ++i) { // interleaved, so both see the same machine load
        double a = Sample(self, "--app", dir);
        double q = Sample(self, "--qt", dir);
        if (a < 0 || q < 0) {
            std::fprintf(stderr, "bench_startup: a sample failed (run %d)\n", i + 1);
            return 1;
        }
        app.push_back(a);
        qt.push_back(q);
    }
    std::string cleanup = std::string("rm -rf '") + dir + "'";
    if (std::system(cleanup.c_str()) != 0)
        std::fprintf(stderr, "bench_startup: cannot remove %s\n", dir);

    double ma = Median(app), mq = Median(qt);
    std::printf("start-up to main window shown, median of %d runs (platform %s)\n", runs,
                getenv("QT_QPA_PLATFORM") ? getenv("QT_QPA_PLATFORM") : "default");
    std::printf("  configurator        %8.1f ms\n", ma * 1e3);
    std::printf("  bare Qt main window %8.1f ms\n", mq * 1e3);
    std::printf("  ratio configurator / bare Qt: %.2f\n", mq > 0 ? ma / mq : 0.0);
    return 0;
}

// kr7m-sim as the benchmarks start it: on a link in a folder of their own, its output
// discarded, and stopped the way a user stops it.
#pragma once

#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// Seconds on the monotonic clock, for timing a run.
inline double Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}

// Starts the simulator on `link` with `options`; its process id once the link exists, -1 when it
// did not come up within five seconds.
inline pid_t StartSim(const std::string &link, const std::vector<std::string> &options) {
    std::string bin = std::string(KR7M_BIN_DIR) + "/kr7m-sim";
    std::vector<std::string> args = {bin, link};
    args.insert(args.end(), options.begin(), options.end());
    pid_t pid = fork();
    if (pid == 0) {
        int fd = open("/dev/null", O_WRONLY);
        if (fd >= 0) dup2(fd, 1);
        std::vector<char *> argv;
        for (std::string &a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(bin.c_str(), argv.data());
        _exit(127);
    }
    for (int i = 0; i < 500 && pid > 0; ++i) {
        struct stat st;
        if (lstat(link.c_str(), &st) == 0) return pid;
        usleep(10000);
    }
    return -1;
}

inline void StopSim(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    int st = 0;
    waitpid(pid, &st, 0);
}

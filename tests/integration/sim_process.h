// Child processes for the integration tests: kr7m-sim on a link in a private folder, and runs of
// kr7mctl or mbpoll with their output captured. Every child has a time limit, so a fault can
// fail a test but never hang it.
#pragma once

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace simtest {

inline double Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}

// Waits for `pid` at most `seconds`, then kills it. Returns the exit status, 128 + signal for a
// child ended by a signal, or -1 when it had to be killed.
inline int WaitChild(pid_t pid, double seconds) {
    double end = Now() + seconds;
    int st = 0;
    for (;;) {
        pid_t r = waitpid(pid, &st, WNOHANG);
        if (r == pid) break;
        if (r < 0 && errno != EINTR) return -1;
        if (Now() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, &st, 0);
            return -1;
        }
        usleep(2000);
    }
    if (WIFEXITED(st)) return WEXITSTATUS(st);
    if (WIFSIGNALED(st)) return 128 + WTERMSIG(st);
    return -1;
}

struct RunResult {
    int status = -1; // exit status; -1 when the time limit ended it
    std::string out, err;
};

// Runs `args` (args[0] is the program's path) with `input` on its standard input (closed after
// it) and extra environment entries "NAME=VALUE"; killed after `seconds`.
inline RunResult Run(const std::vector<std::string> &args, const std::string &input = "",
                     const std::vector<std::string> &env = {}, double seconds = 20) {
    RunResult res;
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return res;
    pid_t pid = fork();
    if (pid < 0) return res;
    if (pid == 0) {
        dup2(in[0], 0), dup2(out[1], 1), dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
        for (const std::string &e : env) putenv(strdup(e.c_str()));
        std::vector<char *> argv;
        for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(in[0]), close(out[1]), close(err[1]);
    signal(SIGPIPE, SIG_IGN);
    if (!input.empty() && write(in[1], input.data(), input.size()) < 0) {
        // the child may not read its input at all
    }
    close(in[1]);
    double end = Now() + seconds;
    pollfd p[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    while (open > 0 && Now() < end) {
        if (poll(p, 2, 50) < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (p[i].fd < 0 || !(p[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buf[4096];
            ssize_t n = read(p[i].fd, buf, sizeof buf);
            if (n > 0) {
                (i == 0 ? res.out : res.err).append(buf, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(p[i].fd);
                p[i].fd = -1;
                --open;
            }
        }
    }
    for (auto &q : p)
        if (q.fd >= 0) close(q.fd);
    res.status = WaitChild(pid, end - Now() > 0.1 ? end - Now() : 0.1);
    return res;
}

// A temporary folder removed with everything in it (one level) at the end.
class TempDir {
  public:
    TempDir() {
        char dir[] = "/tmp/kr7m-simtest-XXXXXX";
        if (mkdtemp(dir)) path_ = dir;
    }
    ~TempDir() {
        if (path_.empty()) return;
        std::string cmd = "rm -rf '" + path_ + "'";
        if (std::system(cmd.c_str()) != 0) {
            // nothing more to do in a destructor
        }
    }
    const std::string &Path() const { return path_; }
    std::string File(const std::string &name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// The lines of a text, without their line ends.
inline std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

inline std::string ReadFile(const std::string &path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

inline std::string BinPath(const char *program) {
    return std::string(KR7M_BIN_DIR) + "/" + program;
}

// kr7m-sim as a child process; its link, log and output live in a private folder.
class Sim {
  public:
    explicit Sim(const std::vector<std::string> &options, bool withLog = true) {
        link_ = dir_.File("tty");
        log_ = withLog ? dir_.File("frames.log") : "";
        std::vector<std::string> args = {BinPath("kr7m-sim"), link_};
        if (withLog) args.push_back("--log"), args.push_back(log_);
        args.insert(args.end(), options.begin(), options.end());
        std::string outPath = dir_.File("stdout");
        pid_ = fork();
        if (pid_ == 0) {
            int fd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) dup2(fd, 1), dup2(fd, 2), close(fd);
            std::vector<char *> argv;
            for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        for (int i = 0; i < 500 && pid_ > 0; ++i) {
            struct stat st;
            if (lstat(link_.c_str(), &st) == 0) {
                ready_ = true;
                break;
            }
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                break;
            }
            usleep(10000);
        }
    }
    ~Sim() { Stop(); }
    // Stops the simulator with `sig`; returns its exit status (see WaitChild).
    int Stop(int sig = SIGTERM) {
        if (pid_ <= 0) return -1;
        kill(pid_, sig);
        int st = WaitChild(pid_, 5);
        pid_ = -1;
        return st;
    }
    bool Ready() const { return ready_; }
    pid_t Pid() const { return pid_; }
    const std::string &Link() const { return link_; }
    std::string Log() const { return ReadFile(log_); }
    std::string Output() const { return ReadFile(dir_.File("stdout")); }
    const TempDir &Dir() const { return dir_; }
    // Received frames of the log whose function code is `function` (hex, e.g. "10").
    int CountRequests(const std::string &function) const {
        std::istringstream in(Log());
        std::string line;
        int n = 0;
        while (std::getline(in, line)) {
            size_t at = line.find(" RX ");
            if (at != std::string::npos && line.compare(at + 6, 3, " " + function) == 0) ++n;
        }
        return n;
    }

  private:
    TempDir dir_;
    std::string link_, log_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

} // namespace simtest

// Serving the simulated instruments on a pseudo-terminal.
#include "sim/ptyserver.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

double Monotonic() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}

void SleepMs(int ms) {
    timespec ts{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

struct Outgoing {
    unsigned char bytes[kMaxFrame];
    int length;
    double due;      // monotonic time at which its first bit goes out
    double charTime; // seconds per character on a paced line, 0 when it leaves at once
    int sent;        // bytes already written
};

// Bytes of `o` whose last bit has left by `now`.
int BytesDue(const Outgoing &o, double now) {
    if (now < o.due) return 0;
    if (o.charTime <= 0) return o.length;
    // A small allowance, so a wake-up exactly on a byte's time does not wait for the next one.
    int n = static_cast<int>((now - o.due) / o.charTime + 1e-6);
    return n < o.length ? n : o.length;
}

double NextDue(const Outgoing &o) {
    return o.charTime <= 0 ? o.due : o.due + (o.sent + 1) * o.charTime;
}

// Sleeps until `fd` is readable or `seconds` have passed, at sub-millisecond resolution so a
// paced line keeps its character times.
int WaitReadable(int fd, double seconds, short *revents) {
    pollfd p{fd, POLLIN, 0};
    timespec ts{0, 0};
    if (seconds > 0) {
        ts.tv_sec = static_cast<time_t>(seconds);
        ts.tv_nsec = static_cast<long>((seconds - static_cast<double>(ts.tv_sec)) * 1e9);
    }
    int r = ppoll(&p, 1, &ts, nullptr);
    *revents = p.revents;
    return r;
}

// Writes all of `bytes`; a client that vanished meanwhile just loses the answer.
bool WriteAll(int fd, const unsigned char *bytes, int count, std::string &error) {
    int done = 0;
    while (done < count) {
        ssize_t n = write(fd, bytes + done, static_cast<size_t>(count - done));
        if (n > 0) {
            done += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd, POLLOUT, 0};
            if (poll(&p, 1, 200) <= 0) return true; // nobody reads: drop the rest
            continue;
        }
        if (n < 0 && errno == EIO) return true; // no client attached
        error = std::string("write to the pseudo-terminal failed: ") + std::strerror(errno);
        return false;
    }
    return true;
}

// What was last read from the control file, so it is read again only when it changed.
struct ControlState {
    bool present = false;
    timespec mtime{};
    off_t size = -1;
};

// Re-reads the control file when its time stamp or size changed (or it appeared or went), and
// gives every instrument its settings; a file that cannot be parsed keeps the old settings.
void ReloadControlFile(const ServeSettings &settings, SimBus &bus, ControlState &state) {
    if (settings.controlFile.empty()) return;
    struct stat st;
    bool present = stat(settings.controlFile.c_str(), &st) == 0;
    if (present == state.present &&
        (!present || (st.st_mtim.tv_sec == state.mtime.tv_sec &&
                      st.st_mtim.tv_nsec == state.mtime.tv_nsec && st.st_size == state.size)))
        return;
    state.present = present;
    std::vector<SimOverride> overrides;
    if (present) {
        state.mtime = st.st_mtim;
        state.size = st.st_size;
        std::ifstream in(settings.controlFile);
        std::ostringstream text;
        text << in.rdbuf();
        std::string error;
        if (!ParseOverrides(text.str(), overrides, error)) {
            std::fprintf(stderr, "kr7m-sim: %s: %s\n", settings.controlFile.c_str(), error.c_str());
            return;
        }
    }
    for (SimInstrument &u : bus.units) u.overrides = overrides;
}
} // namespace

void LogFrame(FILE *log, const char *what, const unsigned char *bytes, int count) {
    if (!log) return;
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local;
    localtime_r(&ts.tv_sec, &local);
    char stamp[40];
    strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::fprintf(log, "%s.%03ld %s", stamp, ts.tv_nsec / 1000000L, what);
    for (int i = 0; i < count; ++i) std::fprintf(log, " %02X", bytes[i]);
    std::fputc('\n', log);
    std::fflush(log);
}

int OpenPseudoTerminal(std::string &slavePath, std::string &error) {
    int fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0) {
        error = std::string("posix_openpt: ") + std::strerror(errno);
        return -1;
    }
    char name[PATH_MAX];
    termios tio;
    if (grantpt(fd) != 0 || unlockpt(fd) != 0 || ptsname_r(fd, name, sizeof name) != 0) {
        error = std::string("cannot prepare the pseudo-terminal: ") + std::strerror(errno);
        close(fd);
        return -1;
    }
    // Raw mode on the pair (set through the master, it applies to the slave side): no echo, no
    // line editing, no character translation, so every byte passes unchanged.
    if (tcgetattr(fd, &tio) != 0) {
        error = std::string("tcgetattr: ") + std::strerror(errno);
        close(fd);
        return -1;
    }
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        error = std::string("tcsetattr: ") + std::strerror(errno);
        close(fd);
        return -1;
    }
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0 ||
        fcntl(fd, F_SETFD, FD_CLOEXEC) != 0) {
        error = std::string("fcntl: ") + std::strerror(errno);
        close(fd);
        return -1;
    }
    slavePath = name;
    return fd;
}

bool PlaceLink(const std::string &link, const std::string &target, std::string &error) {
    struct stat st;
    if (lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = link + " exists and is not a symbolic link; not replacing it";
        return false;
    }
    // Make the new link under a temporary name and rename it over the old one, so a client
    // never sees the name missing or half made.
    std::string temp = link + ".tmp" + std::to_string(getpid());
    unlink(temp.c_str());
    if (symlink(target.c_str(), temp.c_str()) != 0) {
        error = "cannot create " + temp + ": " + std::strerror(errno);
        return false;
    }
    if (rename(temp.c_str(), link.c_str()) != 0) {
        error = "cannot create " + link + ": " + std::strerror(errno);
        unlink(temp.c_str());
        return false;
    }
    return true;
}

void RemoveLink(const std::string &link, const std::string &target) {
    char buf[PATH_MAX];
    ssize_t n = readlink(link.c_str(), buf, sizeof buf - 1);
    if (n < 0) return;
    buf[n] = 0;
    if (target == buf) unlink(link.c_str());
}

int Serve(int master, SimBus &bus, FaultPlan &plan, const ServeSettings &settings,
          volatile std::sig_atomic_t *stop, std::string &error) {
    RequestFramer framer;
    std::deque<Outgoing> queue;
    const double start = Monotonic();
    double lastRx = start;
    ControlState control;
    double rxStart = start;  // arrival of the first byte of what the framer holds
    double lineFree = start; // a paced line carries one character at a time, either way
    const LinePace &pace = settings.pace;
    unsigned char buf[512], frame[kMaxFrame];
    const double silence = settings.silenceMs / 1000.0;

    while (!*stop) {
        double now = Monotonic();
        // Sleep until data arrives, a partial request times out, or a held answer is due.
        double wait = 0.5;
        if (!framer.pending.empty()) wait = std::min(wait, lastRx + silence - now);
        if (!queue.empty()) wait = std::min(wait, NextDue(queue.front()) - now);
        short revents = 0;
        int r = WaitReadable(master, wait, &revents);
        if (r < 0) {
            if (errno == EINTR) continue;
            error = std::string("poll: ") + std::strerror(errno);
            return 1;
        }
        now = Monotonic();
        if (r > 0 && (revents & POLLIN)) {
            ssize_t n = read(master, buf, sizeof buf);
            if (n > 0) {
                if (framer.pending.empty()) rxStart = now;
                framer.Push(buf, static_cast<int>(n));
                lastRx = now;
            } else if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
                error =
                    std::string("read from the pseudo-terminal failed: ") + std::strerror(errno);
                return 1;
            } else if (n < 0 && errno == EIO) {
                // No client has the line open: wait for the next one.
                framer.pending.clear();
                SleepMs(10);
            }
        } else if (r > 0 && (revents & (POLLHUP | POLLERR))) {
            framer.pending.clear();
            SleepMs(10);
        }

        ReloadControlFile(settings, bus, control);
        for (SimInstrument &u : bus.units) SimAdvanceTo(u, (now - start) * settings.speed);
        bool quiet = now - lastRx >= silence;
        int len;
        while ((len = framer.Next(quiet, frame)) > 0) {
            std::vector<unsigned char> junk = framer.TakeDiscarded();
            if (!junk.empty()) LogFrame(settings.log, "RX garbage", junk.data(), (int)junk.size());
            LogFrame(settings.log, "RX", frame, len);
            Outgoing out;
            out.length = SimHandleFrame(bus, frame, len, out.bytes);
            out.due = now;
            out.charTime = 0;
            out.sent = 0;
            if (pace.on) {
                // The request took its own line time to arrive, after whatever the line carried
                // before it; the answer follows after the turnaround.
                out.charTime = pace.CharTime();
                double end = std::max(rxStart, lineFree) + len * out.charTime;
                lineFree = rxStart = end;
                out.due = end + pace.turnaroundMs / 1000.0;
            }
            if (out.length == 0) continue;
            int delayMs = 0;
            FaultKind fault = NextFault(plan, &delayMs);
            if (fault == FaultKind::Late) out.due += delayMs / 1000.0;
            out.length = ApplyFault(fault, out.bytes, out.length);
            if (pace.on) {
                out.due = std::max(out.due, lineFree);
                lineFree = out.due + out.length * out.charTime;
            }
            if (fault != FaultKind::None) {
                std::string note = std::string("-- fault ") + FaultName(fault);
                LogFrame(settings.log, note.c_str(), nullptr, 0);
            }
            if (out.length > 0) queue.push_back(out);
        }
        std::vector<unsigned char> junk = framer.TakeDiscarded();
        if (!junk.empty()) LogFrame(settings.log, "RX garbage", junk.data(), (int)junk.size());

        // Answers go out in order: one held back holds back those behind it. On a paced line
        // each byte leaves once its last bit would have.
        while (!queue.empty()) {
            Outgoing &o = queue.front();
            int due = BytesDue(o, Monotonic());
            if (due > o.sent) {
                if (o.sent == 0) LogFrame(settings.log, "TX", o.bytes, o.length);
                if (!WriteAll(master, o.bytes + o.sent, due - o.sent, error)) return 1;
                o.sent = due;
            }
            if (o.sent < o.length) break;
            queue.pop_front();
        }
    }
    return 0;
}

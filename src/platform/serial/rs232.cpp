// Serial ports on POSIX termios: exclusive open, raw 8-bit lines, reads bounded by a whole-answer
// time-out measured on the monotonic clock, RTS through the modem-control ioctls.
#include "platform/serial/rs232.h"

#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct Port {
    int fd = -1;
    int timeoutMs = 1000;
    long baud = 9600;
    int bitsPerChar = 10; // start, data, parity and stop bits of one character on the line
    bool pty = false;
    termios saved{};
};

Port gPorts[kPortCount];
char gLastError[512] = "";
ComWaitHook gWaitHook = nullptr;
bool gInHook = false;
constexpr int64_t kSliceNs = static_cast<int64_t>(kComWaitSliceMs) * 1000000;

// Unix98 pseudo-terminal slaves live on majors 136..143.
constexpr unsigned kPtySlaveMajorFirst = 136;
constexpr unsigned kPtySlaveMajorLast = 143;

void SetError(const char *fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(gLastError, sizeof gLastError, fmt, ap);
    va_end(ap);
}

Port *OpenPort(int port) {
    if (port < 1 || port > kPortCount) return nullptr;
    Port *p = &gPorts[port - 1];
    return p->fd >= 0 ? p : nullptr;
}

int64_t NowNs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

timespec ToTimespec(int64_t ns) {
    timespec ts;
    ts.tv_sec = static_cast<time_t>(ns / 1000000000);
    ts.tv_nsec = static_cast<long>(ns % 1000000000);
    return ts;
}

// The longest a wait may sleep before the hook runs again: a slice, or what is left.
int64_t SliceOf(int64_t leftNs) {
    return gWaitHook && leftNs > kSliceNs ? kSliceNs : leftNs;
}

// A hook that itself waits on a port (it should not) would run inside itself.
void RunHook() {
    if (!gWaitHook || gInHook) return;
    gInHook = true;
    gWaitHook();
    gInHook = false;
}

// Waits for `events` on fd until the absolute monotonic deadline. 1 ready, 0 timed out,
// -1 failed or hung up without the event.
int WaitFor(int fd, short events, int64_t deadlineNs) {
    for (;;) {
        int64_t left = deadlineNs - NowNs();
        // Past the deadline the device is still asked once without waiting, since the hook may
        // have taken the last moments of the wait while the answer came in.
        if (left < 0) left = 0;
        pollfd pfd{fd, events, 0};
        timespec ts = ToTimespec(SliceOf(left));
        int r = ppoll(&pfd, 1, &ts, nullptr);
        if (r < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (r == 0) {
            if (NowNs() >= deadlineNs) return 0;
            RunHook();
            continue;
        }
        // Callers wait only after the device had nothing for them, so a hang-up now means
        // the device is gone (a hung-up tty also reports itself readable).
        if (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) return -1;
        if (pfd.revents & events) return 1;
    }
}

speed_t SpeedOf(long baud) {
    switch (baud) {
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B0;
    }
}

// Describes a refused open so the user knows what to change.
void DescribeOpenFailure(const char *path, int err) {
    if (err == EACCES || err == EPERM) {
        struct stat st;
        const char *groupName = "dialout";
        if (stat(path, &st) == 0) {
            const struct group *g = getgrgid(st.st_gid);
            if (g != nullptr && g->gr_name != nullptr) groupName = g->gr_name;
        }
        SetError("%s: permission denied. Add your user to the group \"%s\" "
                 "(sudo usermod -aG %s $USER), then log out and in again.",
                 path, groupName, groupName);
    } else if (err == EBUSY || err == EWOULDBLOCK) {
        SetError("%s is in use by another program; close that program and try again.", path);
    } else if (err == ENOENT || err == ENODEV || err == ENXIO || err == EIO) {
        SetError("%s: no such serial device (%s). Check that the adapter is plugged in and that "
                 "the port's device path is right.",
                 path, std::strerror(err));
    } else {
        SetError("%s: cannot be opened (%s).", path, std::strerror(err));
    }
}

int OpenErrorCode(int err) {
    switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
    case EIO:
        return kComNoPort;
    case EBUSY:
    case EACCES:
    case EPERM:
    case EWOULDBLOCK:
        return kComCannotOpen;
    default:
        return kComIoError;
    }
}

// Closes fd after a failed open step, keeping errno for the caller.
void Abandon(int fd) {
    int saved = errno;
    ioctl(fd, TIOCNXCL);
    close(fd);
    errno = saved;
}

} // namespace

int OpenComConfig(int port, const char *deviceName, long baudRate, int parity, int dataBits,
                  int stopBits, int inputQueueSize, int outputQueueSize) {
    (void)deviceName;
    (void)inputQueueSize;
    (void)outputQueueSize;
    if (port < 1 || port > kPortCount) {
        SetError("Port %d does not exist: ports are numbered 1 to %d.", port, kPortCount);
        return kComBadPort;
    }
    if (gPorts[port - 1].fd >= 0) CloseCom(port); // reopening applies the new settings
    const char *path = ComPortDevice(port);

    speed_t speed = SpeedOf(baudRate);
    tcflag_t size = dataBits == 5   ? CS5
                    : dataBits == 6 ? CS6
                    : dataBits == 7 ? CS7
                    : dataBits == 8 ? CS8
                                    : 0;
    if (speed == B0 || size == 0 || (stopBits != 1 && stopBits != 2) || parity < 0 || parity > 2) {
        SetError("%s: unsupported line settings (%ld baud, parity %d, %d data bits, %d stop bits).",
                 path, baudRate, parity, dataBits, stopBits);
        return kComBadSetting;
    }

    int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        int err = errno;
        DescribeOpenFailure(path, err);
        return OpenErrorCode(err);
    }
    if (!isatty(fd)) {
        close(fd);
        SetError("%s is not a serial device.", path);
        return kComNoPort;
    }
    // The lock turns away every second opener, privileged ones and this program included.
    // Only its holder may then set TIOCEXCL (which keeps unprivileged programs from even opening
    // the line): the flag belongs to the tty, and a loser clearing it would unguard the winner.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        close(fd);
        DescribeOpenFailure(path, err == EWOULDBLOCK ? EBUSY : err);
        return OpenErrorCode(err);
    }
    if (ioctl(fd, TIOCEXCL) != 0) {
        int err = errno;
        Abandon(fd);
        DescribeOpenFailure(path, err);
        return OpenErrorCode(err);
    }

    Port &p = gPorts[port - 1];
    struct stat st;
    if (fstat(fd, &st) != 0) {
        int err = errno;
        Abandon(fd);
        DescribeOpenFailure(path, err);
        return kComIoError;
    }
    unsigned maj = major(st.st_rdev);
    bool pty = S_ISCHR(st.st_mode) && maj >= kPtySlaveMajorFirst && maj <= kPtySlaveMajorLast;

    termios saved;
    if (tcgetattr(fd, &saved) != 0) {
        int err = errno;
        Abandon(fd);
        DescribeOpenFailure(path, err);
        return kComIoError;
    }

    termios t = saved;
    // Raw input: no break handling, no CR/NL translation, no parity marking, no software flow.
    t.c_iflag &=
        ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    // Raw output: no post-processing.
    t.c_oflag &= ~OPOST;
    // No echo, no canonical lines, no signals from the line.
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    // Character format; the receiver is on and modem lines do not own the port.
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    t.c_cflag |= size | CREAD | CLOCAL;
    if (stopBits == 2) t.c_cflag |= CSTOPB;
    if (parity != kComParityNone) {
        t.c_cflag |= PARENB;
        if (parity == kComParityOdd) t.c_cflag |= PARODD;
        t.c_iflag |= INPCK; // drop bytes with parity errors rather than pass them on
    }
    // Reads never block in the kernel: ComRd waits with poll() against its own deadline.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0 ||
        tcsetattr(fd, TCSANOW, &t) != 0) {
        int err = errno;
        Abandon(fd);
        SetError("%s: the line settings were refused (%s).", path, std::strerror(err));
        return kComBadSetting;
    }

    // tcsetattr succeeds when any part applied: read back what the device took.
    termios got;
    if (tcgetattr(fd, &got) != 0) {
        int err = errno;
        Abandon(fd);
        DescribeOpenFailure(path, err);
        return kComIoError;
    }
    tcflag_t must = CSIZE | CSTOPB | PARENB | PARODD;
    if (pty) must = CSIZE; // a pseudo-terminal has no parity or stop bits to speak of
    if ((got.c_cflag & must) != (t.c_cflag & must) || cfgetospeed(&got) != speed) {
        tcsetattr(fd, TCSANOW, &saved);
        Abandon(fd);
        SetError("%s: the device does not support %ld baud with parity %d, %d data bits and %d "
                 "stop bits.",
                 path, baudRate, parity, dataBits, stopBits);
        return kComBadSetting;
    }

    p.fd = fd;
    p.timeoutMs = 1000;
    p.baud = baudRate;
    p.bitsPerChar = 1 + dataBits + (parity != kComParityNone ? 1 : 0) + stopBits;
    p.pty = pty;
    p.saved = saved;
    gLastError[0] = '\0';
    return 0;
}

int OpenComPath(int port, const char *path, long baudRate, int parity, int dataBits, int stopBits) {
    if (path == nullptr || SetComPortDevice(port, path) != 0) {
        SetError("Port %d does not exist: ports are numbered 1 to %d.", port, kPortCount);
        return kComBadPort;
    }
    return OpenComConfig(port, nullptr, baudRate, parity, dataBits, stopBits, 512, 512);
}

int CloseCom(int port) {
    Port *p = OpenPort(port);
    if (p == nullptr) return port < 1 || port > kPortCount ? kComBadPort : kComNotOpen;
    // The line may already be gone (adapter pulled): restoring is best effort then.
    tcsetattr(p->fd, TCSANOW, &p->saved);
    ioctl(p->fd, TIOCNXCL);
    int r = close(p->fd);
    p->fd = -1;
    return r == 0 ? 0 : kComIoError;
}

int SetComTime(int port, double seconds) {
    Port *p = OpenPort(port);
    if (p == nullptr) return kComNotOpen;
    if (!(seconds >= 0.0)) seconds = 0.0;
    if (seconds > 3600.0) seconds = 3600.0;
    p->timeoutMs = static_cast<int>(seconds * 1000.0 + 0.5);
    return 0;
}

int SetCTSMode(int port, int mode) {
    Port *p = OpenPort(port);
    if (p == nullptr) return kComNotOpen;
    termios t;
    if (tcgetattr(p->fd, &t) != 0) return kComIoError;
    if (mode)
        t.c_cflag |= CRTSCTS;
    else
        t.c_cflag &= ~CRTSCTS;
    if (tcsetattr(p->fd, TCSANOW, &t) != 0) return kComIoError;
    return 0;
}

int ComWrt(int port, const char *buffer, int count) {
    Port *p = OpenPort(port);
    if (p == nullptr) return kComNotOpen;
    if (count <= 0) return 0;
    // Generous: twice the line time of the bytes plus a second for a slow driver.
    int64_t deadline = NowNs() + 1000000000LL + 2LL * count * 11 * 1000000000LL / p->baud;
    int done = 0;
    while (done < count) {
        ssize_t n = write(p->fd, buffer + done, static_cast<size_t>(count - done));
        if (n > 0) {
            done += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return kComIoError;
        int w = WaitFor(p->fd, POLLOUT, deadline);
        if (w < 0) return kComIoError;
        if (w == 0) return done > 0 ? done : kComTimeout;
    }
    return done;
}

int GetOutQLen(int port) {
    Port *p = OpenPort(port);
    if (p == nullptr) return kComNotOpen;
    int n = 0;
    if (ioctl(p->fd, TIOCOUTQ, &n) != 0) return kComIoError;
    return n;
}

int ComDrain(int port, double maxSeconds) {
    Port *p = OpenPort(port);
    if (p == nullptr) return kComNotOpen;
    int64_t deadline = NowNs() + static_cast<int64_t>(maxSeconds * 1e9);
    int64_t lastHook = NowNs();
    for (;;) {
        int q = GetOutQLen(port);
        if (q < 0) return q;
        if (q == 0) break;
        if (NowNs() >= deadline) return kComTimeout;
        // Sleep about as long as the queue needs, in short steps so a drained queue is seen soon.
        int64_t ns = static_cast<int64_t>(q) * 11 * 1000000000LL / p->baud;
        if (ns > 2000000) ns = 2000000;
        if (ns < 200000) ns = 200000;
        timespec ts = ToTimespec(ns);
        nanosleep(&ts, nullptr);
        if (NowNs() - lastHook >= kSliceNs) {
            RunHook();
            lastHook = NowNs();
        }
    }
    // A real UART still shifts out its last byte after the queue is empty; tcdrain waits for
    // that (which matters before RTS is dropped). A pseudo-terminal has no line to drain.
    if (!p->pty) {
        while (tcdrain(p->fd) != 0) {
            if (errno != EINTR) return kComIoError;
        }
    }
    return 0;
}

int ComRd(int port, char *buffer, int count) {
    Port *p = OpenPort(port);
    if (p == nullptr) return kComNotOpen;
    if (count <= 0) return 0;
    // The time-out is how long the instrument may take to react. Its answer then needs its own
    // time on the line: a measured-value answer at 9600 baud takes twice the time-out, at
    // 1200 baud five times, so a deadline of the time-out alone would cut every long answer.
    int64_t lineNs = static_cast<int64_t>(count) * p->bitsPerChar * 1000000000LL / p->baud;
    int64_t deadline = NowNs() + static_cast<int64_t>(p->timeoutMs) * 1000000 + lineNs;
    int got = 0;
    while (got < count) {
        ssize_t n = read(p->fd, buffer + got, static_cast<size_t>(count - got));
        if (n > 0) {
            got += static_cast<int>(n);
            continue;
        }
        // With VMIN and VTIME 0 an empty queue reads as 0 bytes; a hang-up is told by poll().
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return kComIoError;
        int w = WaitFor(p->fd, POLLIN, deadline);
        if (w < 0) return kComIoError;
        if (w == 0) break;
    }
    return got;
}

int ComSetEscape(int port, int code) {
    Port *p = OpenPort(port);
    if (p == nullptr) return kComNotOpen;
    int bits;
    unsigned long request;
    switch (code) {
    case 3:
        bits = TIOCM_RTS, request = TIOCMBIS;
        break;
    case 4:
        bits = TIOCM_RTS, request = TIOCMBIC;
        break;
    case 5:
        bits = TIOCM_DTR, request = TIOCMBIS;
        break;
    case 6:
        bits = TIOCM_DTR, request = TIOCMBIC;
        break;
    default:
        return kComIoError;
    }
    if (ioctl(p->fd, request, &bits) == 0) return 0;
    // Pseudo-terminals have no modem lines and say so with ENOTTY or EINVAL.
    if (p->pty && (errno == ENOTTY || errno == EINVAL)) return 0;
    return kComIoError;
}

int FlushInQ(int port) {
    Port *p = OpenPort(port);
    if (p == nullptr) return kComNotOpen;
    return tcflush(p->fd, TCIFLUSH) == 0 ? 0 : kComIoError;
}

int FlushOutQ(int port) {
    Port *p = OpenPort(port);
    if (p == nullptr) return kComNotOpen;
    return tcflush(p->fd, TCOFLUSH) == 0 ? 0 : kComIoError;
}

int ComIsPseudoTerminal(int port) {
    Port *p = OpenPort(port);
    return p != nullptr && p->pty ? 1 : 0;
}

int Delay(double seconds) {
    if (!(seconds > 0.0)) return 0;
    const int64_t until = NowNs() + static_cast<int64_t>(seconds * 1e9);
    for (;;) {
        int64_t left = until - NowNs();
        if (left <= 0) return 0;
        // Sleep to an absolute time, so a signal or the hook never stretches the pause.
        timespec ts = ToTimespec(until - left + SliceOf(left));
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
        }
        if (NowNs() < until) RunHook();
    }
}

void SetComWaitHook(ComWaitHook hook) {
    gWaitHook = hook;
}

const char *ComLastErrorText() {
    return gLastError;
}

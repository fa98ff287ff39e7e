// The scripted instrument behind PtyPeer.
#include "pty_peer.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

#include "link/crc.h"

namespace {
constexpr int kRegisters = 2048;

void Raw(int fd) {
    termios t;
    if (tcgetattr(fd, &t) != 0) return;
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
}

int FrameLength(const std::vector<unsigned char> &b) {
    if (b.size() < 2) return 0;
    if (b[1] == 16) return b.size() < 7 ? 0 : 9 + b[6];
    return 8; // functions 3 and 8, and anything unknown
}
} // namespace

double PtyPeer::Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

PtyPeer::PtyPeer(int address) : address_(address), regs_(kRegisters) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
        throw std::runtime_error("no pseudo-terminal");
    const char *name = ptsname(master_);
    if (name == nullptr) throw std::runtime_error("no pseudo-terminal name");
    path_ = name;
    Raw(master_);
    // Holding the slave open keeps the master from reading a hang-up whenever the link closes.
    slaveHold_ = open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveHold_ >= 0) Raw(slaveHold_);
    for (int i = 0; i < kRegisters; ++i) regs_[i] = static_cast<uint16_t>(i + 1);
    thread_ = std::thread([this] { Run(); });
}

PtyPeer::~PtyPeer() {
    stop_ = true;
    thread_.join();
    if (master_ >= 0) close(master_);
    if (slaveHold_ >= 0) close(slaveHold_);
}

void PtyPeer::Script(std::vector<PeerFault> faults) {
    std::lock_guard<std::mutex> lock(mu_);
    script_ = std::move(faults);
}

uint16_t PtyPeer::Reg(int n) {
    std::lock_guard<std::mutex> lock(mu_);
    return regs_.at(n);
}

void PtyPeer::SetReg(int n, uint16_t value) {
    std::lock_guard<std::mutex> lock(mu_);
    regs_.at(n) = value;
}

void PtyPeer::SetReg32(int n, uint32_t value) {
    SetReg(n, static_cast<uint16_t>(value & 0xFFFF));
    SetReg(n + 1, static_cast<uint16_t>(value >> 16));
}

void PtyPeer::SetFloat(int n, float value) {
    uint32_t u;
    std::memcpy(&u, &value, 4);
    SetReg32(n, u);
}

std::vector<PeerRequest> PtyPeer::Requests() {
    std::lock_guard<std::mutex> lock(mu_);
    return requests_;
}

void PtyPeer::ClearRequests() {
    std::lock_guard<std::mutex> lock(mu_);
    requests_.clear();
}

void PtyPeer::Run() {
    std::vector<unsigned char> pending;
    while (!stop_) {
        if (master_ < 0) {
            usleep(10000);
            continue;
        }
        pollfd pfd{master_, POLLIN, 0};
        int r = poll(&pfd, 1, 20);
        if (r <= 0 || !(pfd.revents & POLLIN)) continue;
        unsigned char buf[512];
        ssize_t n = read(master_, buf, sizeof buf);
        if (n <= 0) continue;
        pending.insert(pending.end(), buf, buf + n);
        for (;;) {
            int len = FrameLength(pending);
            if (len == 0 || static_cast<int>(pending.size()) < len) break;
            std::vector<unsigned char> req(pending.begin(), pending.begin() + len);
            pending.erase(pending.begin(), pending.begin() + len);
            Handle(req);
            if (master_ < 0) break;
        }
    }
}

void PtyPeer::Handle(const std::vector<unsigned char> &req) {
    PeerFault fault = PeerFault::None;
    std::vector<unsigned char> answer;
    {
        std::lock_guard<std::mutex> lock(mu_);
        requests_.push_back({req, Now()});
        if (!script_.empty()) {
            fault = script_.front();
            script_.erase(script_.begin());
        }
        if (!CrcMatches(req.data(), static_cast<int>(req.size()))) return;
        int addr = req[0];
        bool broadcast = addr == 0;
        if (!broadcast && addr != address_) return;
        int fn = req[1];
        int start = req[2] << 8 | req[3];
        int count = req[4] << 8 | req[5];
        answer.push_back(req[0]);
        if (fn == 3 && start + count <= kRegisters) {
            answer.push_back(3);
            answer.push_back(static_cast<unsigned char>(2 * count));
            for (int i = 0; i < count; ++i) {
                answer.push_back(static_cast<unsigned char>(regs_[start + i] >> 8));
                answer.push_back(static_cast<unsigned char>(regs_[start + i] & 0xFF));
            }
        } else if (fn == 16 && start + count <= kRegisters && req[6] == 2 * count) {
            for (int i = 0; i < count; ++i)
                regs_[start + i] = static_cast<uint16_t>(req[7 + 2 * i] << 8 | req[8 + 2 * i]);
            answer.insert(answer.end(), req.begin() + 1, req.begin() + 6);
        } else if (fn == 8) {
            answer.insert(answer.end(), req.begin() + 1, req.begin() + 6);
        } else {
            answer.push_back(static_cast<unsigned char>(fn | 0x80));
            answer.push_back(2);
        }
        if (broadcast) return;
    }
    answer.resize(answer.size() + 2);
    AppendCrc(answer.data(), static_cast<int>(answer.size()) - 2);
    Send(std::move(answer), fault);
}

void PtyPeer::Send(std::vector<unsigned char> answer, PeerFault fault) {
    switch (fault) {
    case PeerFault::Drop:
        return;
    case PeerFault::Vanish:
        close(master_);
        master_ = -1;
        if (slaveHold_ >= 0) close(slaveHold_);
        slaveHold_ = -1;
        return;
    case PeerFault::Corrupt:
        answer.back() ^= 0x5A;
        break;
    case PeerFault::Short:
        answer.resize(answer.size() / 2);
        break;
    case PeerFault::Late:
        usleep(static_cast<useconds_t>(lateMs_) * 1000);
        break;
    case PeerFault::Exception:
        answer = {answer[0], static_cast<unsigned char>(answer[1] | 0x80), 2, 0, 0};
        AppendCrc(answer.data(), 3);
        break;
    case PeerFault::OtherAddress:
        answer[0] = static_cast<unsigned char>(answer[0] + 1);
        AppendCrc(answer.data(), static_cast<int>(answer.size()) - 2);
        break;
    case PeerFault::None:
        break;
    }
    size_t done = 0;
    while (done < answer.size()) {
        ssize_t n = write(master_, answer.data() + done, answer.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

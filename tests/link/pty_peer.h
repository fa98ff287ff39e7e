// A scripted Modbus RTU instrument on the master side of a pseudo-terminal, for tests of the
// link: it answers functions 3, 16 and 8 from a register map and can drop, damage, shorten or
// delay its answers, or vanish, request by request.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

enum class PeerFault {
    None,         // a correct answer
    Drop,         // no answer at all
    Corrupt,      // right length, damaged checksum
    Short,        // the first half of the answer only
    Late,         // the correct answer, lateMs after the request
    Exception,    // a Modbus exception answer (5 bytes)
    OtherAddress, // a correct answer carrying another address byte
    Vanish,       // close the pseudo-terminal (an unplugged adapter)
};

struct PeerRequest {
    std::vector<unsigned char> bytes;
    double at; // seconds on the monotonic clock when the request was complete
};

class PtyPeer {
  public:
    explicit PtyPeer(int address = 255);
    ~PtyPeer();
    PtyPeer(const PtyPeer &) = delete;
    PtyPeer &operator=(const PtyPeer &) = delete;

    const std::string &Path() const { return path_; }
    // Faults for the next requests, in order; requests after the list are answered correctly.
    void Script(std::vector<PeerFault> faults);
    void SetLateMs(int ms) { lateMs_ = ms; }
    void SetAddress(int address) { address_ = address; }

    uint16_t Reg(int n);
    void SetReg(int n, uint16_t value);
    // A 32-bit value as the instrument keeps it: low half in register n, high half in n + 1.
    void SetReg32(int n, uint32_t value);
    void SetFloat(int n, float value);

    std::vector<PeerRequest> Requests();
    void ClearRequests();

    static double Now();

  private:
    void Run();
    void Handle(const std::vector<unsigned char> &req);
    void Send(std::vector<unsigned char> answer, PeerFault fault);

    int master_ = -1;
    int slaveHold_ = -1;
    std::string path_;
    std::atomic<bool> stop_{false};
    std::atomic<int> lateMs_{300};
    std::atomic<int> address_;
    std::mutex mu_;
    std::vector<PeerFault> script_;
    std::vector<PeerRequest> requests_;
    std::vector<uint16_t> regs_;
    std::thread thread_;
};

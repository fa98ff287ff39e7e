// Request framing and answering for the simulated instruments.
#include "sim/slave.h"

#include <cstring>

#include "link/crc.h"

namespace {

constexpr int kMaxReadRegisters = 125;
constexpr int kMaxWriteRegisters = 123;

int Exception(const unsigned char *frame, int code, unsigned char *answer) {
    answer[0] = frame[0];
    answer[1] = static_cast<unsigned char>(frame[1] | 0x80);
    answer[2] = static_cast<unsigned char>(code);
    return AppendCrc(answer, 3);
}

int Word(const unsigned char *p) {
    return p[0] << 8 | p[1];
}

int ReadHolding(SimInstrument &inst, const unsigned char *frame, int length,
                unsigned char *answer) {
    if (length != 8) return Exception(frame, kExIllegalValue, answer);
    int start = Word(frame + 2), count = Word(frame + 4);
    if (count < 1 || count > kMaxReadRegisters) return Exception(frame, kExIllegalValue, answer);
    uint16_t regs[kMaxReadRegisters];
    int ex = SimReadRegisters(inst, start, count, regs);
    if (ex) return Exception(frame, ex, answer);
    answer[0] = frame[0];
    answer[1] = frame[1];
    answer[2] = static_cast<unsigned char>(2 * count);
    for (int i = 0; i < count; ++i) {
        answer[3 + 2 * i] = static_cast<unsigned char>(regs[i] >> 8);
        answer[4 + 2 * i] = static_cast<unsigned char>(regs[i] & 0xFF);
    }
    return AppendCrc(answer, 3 + 2 * count);
}

// Function 16 (and 6, a single register, which general Modbus masters use for one value).
int WriteHolding(SimInstrument &inst, const unsigned char *frame, int length,
                 unsigned char *answer) {
    int start = Word(frame + 2), count;
    uint16_t regs[kMaxWriteRegisters];
    if (frame[1] == 6) {
        if (length != 8) return Exception(frame, kExIllegalValue, answer);
        count = 1;
        regs[0] = static_cast<uint16_t>(Word(frame + 4));
    } else {
        count = Word(frame + 4);
        if (count < 1 || count > kMaxWriteRegisters || frame[6] != 2 * count ||
            length != 9 + 2 * count)
            return Exception(frame, kExIllegalValue, answer);
        for (int i = 0; i < count; ++i) regs[i] = static_cast<uint16_t>(Word(frame + 7 + 2 * i));
    }
    int ex = SimWriteRegisters(inst, start, count, regs);
    if (ex) return Exception(frame, ex, answer);
    std::memcpy(answer, frame, 6); // address, function, start, count (or value for 6)
    return AppendCrc(answer, 6);
}

int Diagnose(const unsigned char *frame, int length, unsigned char *answer) {
    if (Word(frame + 2) != 0) return Exception(frame, kExIllegalFunction, answer);
    std::memcpy(answer, frame, static_cast<size_t>(length)); // return query data: the echo
    return length;
}

int Answer(SimInstrument &inst, const unsigned char *frame, int length, unsigned char *answer) {
    ++inst.requests;
    switch (frame[1]) {
    case 3:
        return ReadHolding(inst, frame, length, answer);
    case 6:
    case 16:
        return WriteHolding(inst, frame, length, answer);
    case 8:
        return Diagnose(frame, length, answer);
    default:
        return Exception(frame, kExIllegalFunction, answer);
    }
}

} // namespace

SimInstrument *SimFind(SimBus &bus, int address) {
    if (bus.direct)
        return address == kDirectAddress && !bus.units.empty() ? &bus.units[0] : nullptr;
    for (SimInstrument &u : bus.units)
        if (u.address == address) return &u;
    return nullptr;
}

int SimHandleFrame(SimBus &bus, const unsigned char *frame, int length, unsigned char *answer) {
    if (length < 4) return 0;
    if (frame[0] == kBroadcastAddress) {
        // Every instrument applies a broadcast write; nobody answers, and reads make no sense.
        if (frame[1] != 6 && frame[1] != 16) return 0;
        unsigned char scratch[kMaxFrame];
        for (SimInstrument &u : bus.units) Answer(u, frame, length, scratch);
        return 0;
    }
    SimInstrument *inst = SimFind(bus, frame[0]);
    if (!inst) return 0;
    return Answer(*inst, frame, length, answer);
}

int SimRequestLength(const unsigned char *bytes, int available) {
    if (available < 2) return 0;
    switch (bytes[1]) {
    case 1: // read coils ... write single register, diagnostics with one data word
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 8:
        return 8;
    case 7: // exception status, event counter and log, report slave id
    case 11:
    case 12:
    case 17:
        return 4;
    case 15:
    case 16:
        return available < 7 ? 0 : 9 + bytes[6];
    case 22:
        return 10;
    case 23:
        return available < 11 ? 0 : 13 + bytes[10];
    default:
        return -1;
    }
}

void RequestFramer::Push(const unsigned char *bytes, int count) {
    pending.insert(pending.end(), bytes, bytes + count);
    // A flood without any valid frame must not grow without bound.
    if (pending.size() > 4 * kMaxFrame) Skip(pending.size() - kMaxFrame);
}

void RequestFramer::Skip(size_t count) {
    skipped.insert(skipped.end(), pending.begin(), pending.begin() + static_cast<long>(count));
    discarded += static_cast<long>(count);
    pending.erase(pending.begin(), pending.begin() + static_cast<long>(count));
}

std::vector<unsigned char> RequestFramer::TakeDiscarded() {
    std::vector<unsigned char> out;
    out.swap(skipped);
    return out;
}

int RequestFramer::Next(bool silence, unsigned char *frame) {
    // The request is expected at the front. Whatever cannot be one is dropped a byte at a time,
    // so the next request is found after garbage; a partial request waits for its remaining
    // bytes until the line falls silent.
    for (;;) {
        const int n = static_cast<int>(pending.size());
        const unsigned char *b = pending.data();
        if (n < 4) {
            if (silence && n > 0) Skip(static_cast<size_t>(n));
            return 0;
        }
        int len = SimRequestLength(b, n);
        if (len > kMaxFrame) {
            Skip(1);
            continue;
        }
        if (len > 0 && len <= n) {
            if (CrcMatches(b, len)) {
                std::memcpy(frame, b, static_cast<size_t>(len));
                pending.erase(pending.begin(), pending.begin() + len);
                return len;
            }
            Skip(1);
            continue;
        }
        if (len < 0) {
            // Unknown function: its length is not known, so take the shortest stretch that
            // ends in a good checksum (it is answered with an exception). The checksum runs
            // along once instead of being recomputed for every candidate length.
            unsigned crc = 0xFFFF;
            for (int l = 1; l + 2 <= n && l + 2 <= kMaxFrame; ++l) {
                crc = CRC16(crc, b[l - 1]); // now over b[0..l)
                if (l >= 2 && b[l] == (crc & 0xFF) && b[l + 1] == (crc >> 8)) {
                    std::memcpy(frame, b, static_cast<size_t>(l + 2));
                    pending.erase(pending.begin(), pending.begin() + l + 2);
                    return l + 2;
                }
            }
            // Most likely garbage: a complete request further on need not wait for silence.
            // (After a silence the byte-by-byte skipping below gets there anyway.)
            bool found = false;
            for (int at = 1; !silence && at + 4 <= n && !found; ++at) {
                int l = SimRequestLength(b + at, n - at);
                found = l > 0 && l <= kMaxFrame && at + l <= n && CrcMatches(b + at, l);
                if (found) Skip(static_cast<size_t>(at));
            }
            if (found) continue;
        }
        if (!silence) return 0; // the rest of the request may still come
        Skip(1);
    }
}

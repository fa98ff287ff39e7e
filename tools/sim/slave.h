// The Modbus RTU slave side of the simulator: finds requests in the byte stream, hands them to
// the addressed instrument(s) and builds the answers. No I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/instrument.h"

constexpr int kDirectAddress = 255;
constexpr int kBroadcastAddress = 0;
constexpr int kMaxFrame = 256; // largest RTU frame

// The instruments on the line: one at address 255 on the direct connection, or one per bus
// address.
struct SimBus {
    bool direct = true;
    std::vector<SimInstrument> units;
};

// The instrument at `address`, or nullptr when none answers there.
SimInstrument *SimFind(SimBus &bus, int address);

// Handles one complete request frame (checksum already checked). Writes the answer to `answer`
// and returns its length, or 0 when nothing is answered (another address, a broadcast).
int SimHandleFrame(SimBus &bus, const unsigned char *frame, int length, unsigned char *answer);

// Length of the request that starts at bytes[0], as far as it can be told from the bytes
// present: > 0 the whole length; 0 more bytes are needed to tell; -1 unknown function code.
int SimRequestLength(const unsigned char *bytes, int available);

// Splits a stream of bytes into request frames. Bytes that cannot start a valid frame are
// skipped, so the framer finds the next request after garbage; a partial frame is given up
// after a silence on the line.
struct RequestFramer {
    std::vector<unsigned char> pending;
    long discarded = 0; // bytes skipped as garbage, for the log

    void Push(const unsigned char *bytes, int count);
    // Takes the next complete frame into `frame` and returns its length; 0 when none is
    // complete. `silence` tells that the line has been quiet long enough that no partial frame
    // can still be completed.
    int Next(bool silence, unsigned char *frame);
    // Bytes skipped by the last calls since the previous TakeDiscarded, copied for the log.
    std::vector<unsigned char> TakeDiscarded();

  private:
    std::vector<unsigned char> skipped;
    void Skip(size_t count);
};

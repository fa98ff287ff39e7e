// The exchange mechanism shared by every command: build the request, send it, read the answer
// of the expected length, check its checksum, retry, convert.
#include "link/frame.h"

#include <cstring>

#include "link/crc.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "link/report.h"
#include "platform/serial/rs232.h"

unsigned char SendBuffer[kFrameBufferSize];
unsigned char RecBuffer[kFrameBufferSize];
int Error_Count = 0;

namespace {

constexpr double kPauseDirect = 0.6;

// Byte offsets inside the configuration block of its 16-bit fields: PulsRate[2], the four
// mantissas, LimOn[2], LimOff[2], Logger. Everything else in the block travels as bytes.
const int kConfigWordOffsets[] = {0, 2, 4, 6, 8, 10, 66, 68, 70, 72, 80};
constexpr double kPauseBus = 0.05;

bool SwitchesRts() {
    return CommType == 1 && RTSFlow;
}

void PutWord(unsigned char *at, unsigned value) {
    at[0] = static_cast<unsigned char>((value >> 8) & 0xFF);
    at[1] = static_cast<unsigned char>(value & 0xFF);
}

// Sends the request and reads up to `expected` answer bytes; returns what ComRd returned.
// Stale bytes (the tail of a late or over-long earlier answer) are dropped first: read now,
// they would be taken for this answer and shift every later exchange.
int Attempt(int port, int requestLength, int expected) {
    FlushInQ(port);
    ComWrt(port, reinterpret_cast<const char *>(SendBuffer), requestLength);
    WaitUntilSent();
    if (SwitchesRts()) {
        Delay(RTS_Timeout[BaudIndex()]);
        ComSetEscape(port, 4);
    }
    if (expected == 0) {
        if (SwitchesRts()) ComSetEscape(port, 3);
        return 0;
    }
    int got = ComRd(port, reinterpret_cast<char *>(RecBuffer), expected);
    if (SwitchesRts()) ComSetEscape(port, 3);
    return got;
}

// Runs up to four attempts; 1 when an answer of `expected` bytes with a good checksum came.
int Exchange(int requestLength, int expected, int report) {
    int got = 0;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        got = Attempt(OpenedPort, requestLength, expected);
        if (got == expected && CrcMatches(RecBuffer, expected)) return 1;
        ++Error_Count;
        if (attempt == kAttempts) break;
        // A damaged answer shows the instrument is there: try again at once. Silence or a
        // short answer gets a pause first so the instrument can finish whatever it was doing.
        if (got != expected) Delay(CommType == 0 ? kPauseDirect : kPauseBus);
    }
    if (report) {
        if (got < 0)
            SetErrorDetail("The serial port reported an error; the adapter may have been "
                           "disconnected.");
        Error(0, got == 0 ? 2 : 4);
    }
    return 0;
}

} // namespace

int RequestAddress(int broadcast) {
    if (CommType == 0) return 255;
    if (broadcast) return 0;
    return DeviceAddr & 0xFF;
}

int BuildReadFrame(unsigned char *frame, int address, unsigned start, unsigned count) {
    frame[0] = static_cast<unsigned char>(address & 0xFF);
    frame[1] = 3;
    PutWord(frame + 2, start);
    PutWord(frame + 4, count);
    return AppendCrc(frame, 6);
}

int BuildWriteFrame(unsigned char *frame, int address, unsigned start, unsigned count,
                    const unsigned char *data, int bytes) {
    frame[0] = static_cast<unsigned char>(address & 0xFF);
    frame[1] = 16;
    PutWord(frame + 2, start);
    PutWord(frame + 4, count);
    frame[6] = static_cast<unsigned char>(bytes & 0xFF);
    std::memmove(frame + 7, data, static_cast<size_t>(bytes));
    return AppendCrc(frame, 7 + bytes);
}

int BuildDiagnoseFrame(unsigned char *frame, int address) {
    frame[0] = static_cast<unsigned char>(address & 0xFF);
    frame[1] = 8;
    frame[2] = 0x00;
    frame[3] = 0x00;
    frame[4] = 0xAA;
    frame[5] = 0x55;
    return AppendCrc(frame, 6);
}

int ReadBlock(const BlockDesc &d, int report) {
    int length = BuildReadFrame(SendBuffer, RequestAddress(0), d.start, d.count);
    int expected = 2 * static_cast<int>(d.count) + 5;
    if (!Exchange(length, expected, report)) return 0;
    ConvertBlock(RecBuffer + 3, d.bytes, d.conversion);
    std::memcpy(d.data, RecBuffer + 3, static_cast<size_t>(d.bytes));
    return 1;
}

int WriteBlock(const BlockDesc &d, int report, int broadcast) {
    int bytes = 2 * static_cast<int>(d.count);
    std::memset(SendBuffer + 7, 0, static_cast<size_t>(bytes));
    std::memcpy(SendBuffer + 7, d.data, static_cast<size_t>(d.bytes));
    ConvertBlock(SendBuffer + 7, d.bytes, d.conversion);
    int length = BuildWriteFrame(SendBuffer, RequestAddress(broadcast), d.start, d.count,
                                 SendBuffer + 7, bytes);
    if (broadcast) {
        Attempt(OpenedPort, length, 0);
        return 1;
    }
    return Exchange(length, 8, report);
}

int Diagnose(int port, int address) {
    int length = BuildDiagnoseFrame(SendBuffer, address);
    if (Attempt(port, length, 8) != 8 || !CrcMatches(RecBuffer, 8)) return 0;
    // An instrument echoes the probe unchanged. A late echo of the address probed before (or
    // another instrument's answer) would otherwise be counted as an instrument here, and a
    // search would list one that does not exist.
    return std::memcmp(RecBuffer, SendBuffer, 8) == 0 ? 1 : 0;
}

void ConvertBlock(unsigned char *data, int bytes, int conversion) {
    char *p = reinterpret_cast<char *>(data);
    switch (conversion) {
    case kConvWords:
        for (int i = 0; i + 1 < bytes; i += 2) Buff(p + i, 2);
        break;
    case kConvLongs:
        for (int i = 0; i + 3 < bytes; i += 4) Buff(p + i, 4);
        break;
    case kConvConfig:
        for (int offset : kConfigWordOffsets)
            if (offset + 1 < bytes) Buff(p + offset, 2);
        break;
    default:
        break;
    }
}

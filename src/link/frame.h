// Modbus RTU exchanges with the instrument: read holding registers (3), write multiple
// registers (16) and the echo probe (8). Requests are rebuilt in SendBuffer for every call and
// re-sent unchanged by up to four attempts; answers land in RecBuffer from its first byte.
//
// The link moves blocks: a register range, a place in memory and a conversion between wire
// and memory order. Which blocks exist and where their data lives is the command table's
// business (config/commands.h); the link never sees the configuration record.
#pragma once

constexpr int kFrameBufferSize = 512;
constexpr int kAttempts = 4;

extern unsigned char SendBuffer[kFrameBufferSize];
extern unsigned char RecBuffer[kFrameBufferSize];

// Failed attempts since start-up (or since a caller reset it).
extern int Error_Count;

// How a block's bytes turn between wire order and memory order.
enum BlockConversion {
    kConvRaw,    // bytes as they travel
    kConvWords,  // 16-bit values, each swapped
    kConvLongs,  // 32-bit values (floats, counts), low half first on the wire
    kConvConfig, // the configuration block: its 16-bit fields swapped, all other bytes raw
};

struct BlockDesc {
    unsigned start;      // first register
    unsigned count;      // registers in the request
    unsigned char *data; // memory the data comes from or goes to
    int bytes;           // bytes of data moved to or from memory
    int conversion;      // BlockConversion
};

// Converts `bytes` bytes in place between wire and memory order (the conversion is its own
// inverse).
void ConvertBlock(unsigned char *data, int bytes, int conversion);

// Reads the block and stores the converted data at its place. 1 on success; 0 after four
// failed attempts, when Error(0, 2) (no answer) or Error(0, 4) (faulty answer) is shown if
// `report` is set.
int ReadBlock(const BlockDesc &block, int report);

// Writes the block. A broadcast is sent to address 0 on the bus (255 on the direct connection)
// and succeeds once sent, reading no answer.
int WriteBlock(const BlockDesc &block, int report, int broadcast);

// Probes `address` with a function-8 echo on `port`: 1 when the 8-byte echo of the request came
// back unchanged. No message, no retry.
int Diagnose(int port, int address);

// Address byte of a request under the current link settings.
int RequestAddress(int broadcast);

// Frame builders on caller buffers; each returns the frame length including the checksum.
int BuildReadFrame(unsigned char *frame, int address, unsigned start, unsigned count);
// `data` is `bytes` bytes already in wire order.
int BuildWriteFrame(unsigned char *frame, int address, unsigned start, unsigned count,
                    const unsigned char *data, int bytes);
int BuildDiagnoseFrame(unsigned char *frame, int address);

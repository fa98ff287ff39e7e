// Modbus RTU exchanges with the instrument: read holding registers (3), write multiple
// registers (16) and the echo probe (8). Requests are rebuilt in SendBuffer for every call and
// re-sent unchanged by up to four attempts; answers land in RecBuffer from its first byte.
#pragma once

#include "config/record.h"

constexpr int kFrameBufferSize = 512;
constexpr int kAttempts = 4;

extern unsigned char SendBuffer[kFrameBufferSize];
extern unsigned char RecBuffer[kFrameBufferSize];

// Failed attempts since start-up (or since a caller reset it).
extern int Error_Count;

// Reads command `block` (commands.h) and stores the converted data at its destination; blocks
// with record destinations write into `image`. 1 on success; 0 after four failed attempts, when
// Error(0, 2) (no answer) or Error(0, 4) (faulty answer) is shown if `report` is set.
int Read(record *image, int block, int report);

// Writes command `block`; record sources are read from `image`. A broadcast is sent to address 0
// on the bus (255 on the direct connection) and succeeds once sent, reading no answer.
int Write(record *image, int block, int report, int broadcast);

// Probes `address` with a function-8 echo on `port`: 1 when a well-formed 8-byte answer came.
// No message, no retry.
int Diagnose(int port, int address);

// Address byte of a request under the current link settings.
int RequestAddress(int broadcast);

// Frame builders on caller buffers; each returns the frame length including the checksum.
int BuildReadFrame(unsigned char *frame, int address, unsigned start, unsigned count);
// `data` is `bytes` bytes already in wire order.
int BuildWriteFrame(unsigned char *frame, int address, unsigned start, unsigned count,
                    const unsigned char *data, int bytes);
int BuildDiagnoseFrame(unsigned char *frame, int address);

// Serial-port operations for the link layer, on POSIX termios with poll(). Ports are numbered
// 1..8; each number opens the device path of the port map (portmap.h). Results follow one
// convention: 0 or a byte count on success, a negative code on failure.
#pragma once

#include "platform/serial/portmap.h"

// Result codes. The link layer tells -2, -6 and -7 apart from all others.
constexpr int kComIoError = -1;    // a read, write or control request failed
constexpr int kComBadPort = -2;    // port number outside 1..8
constexpr int kComNotOpen = -3;    // the port is not open
constexpr int kComBadSetting = -4; // rate, parity, data or stop bits the device refuses
constexpr int kComNoPort = -6;     // no such device
constexpr int kComCannotOpen = -7; // busy (another program has it) or permission denied
constexpr int kComTimeout = -8;    // the output queue did not drain in time

// Parity codes of OpenComConfig.
constexpr int kComParityNone = 0;
constexpr int kComParityOdd = 1;
constexpr int kComParityEven = 2;

// Opens port 1..8 at the device path of the port map, exclusively: a second opener (this or
// another program) gets kComCannotOpen. deviceName is informational ("COM1".."COM8") and may be
// null. Queue sizes are accepted for compatibility; the kernel's queues are used. Raw 8-bit line,
// no flow control, the answer time-out 1 s until SetComTime. On a pseudo-terminal, which has no
// parity, the parity request is dropped. Returns 0 or a negative code.
int OpenComConfig(int port, const char *deviceName, long baudRate, int parity, int dataBits,
                  int stopBits, int inputQueueSize, int outputQueueSize);

// Points port 1..8 at `path` for the rest of the run and opens it like OpenComConfig.
int OpenComPath(int port, const char *path, long baudRate, int parity, int dataBits, int stopBits);

// Restores the line settings found at open and releases the port. kComNotOpen if it was closed.
int CloseCom(int port);

// Answer time-out of ComRd, in seconds (millisecond resolution): how long the other side may
// take to react. A read waits this long plus the line time of the bytes it asks for.
int SetComTime(int port, double seconds);

// 0: writes are never held back by CTS; 1: hardware handshake with RTS/CTS.
int SetCTSMode(int port, int mode);

// Queues `count` bytes for sending; returns the number written or a negative code.
int ComWrt(int port, const char *buffer, int count);

// Bytes still waiting in the output queue, or a negative code.
int GetOutQLen(int port);

// Waits until the output queue is empty and the last byte has left the line, at most
// `maxSeconds`. 0 when drained, kComTimeout or another negative code otherwise.
int ComDrain(int port, double maxSeconds);

// Reads up to `count` bytes. Returns as soon as `count` bytes are in, or with fewer (possibly 0)
// once the time-out and the line time of `count` bytes at the port's rate have passed since the
// call. Negative when the device failed or vanished.
int ComRd(int port, char *buffer, int count);

// 3 asserts RTS, 4 clears it (also 5/6 for DTR). A pseudo-terminal has no modem lines: there
// the request succeeds without effect. Other codes give kComIoError.
int ComSetEscape(int port, int code);

// Discard pending input or output bytes.
int FlushInQ(int port);
int FlushOutQ(int port);

// 1 when the open port is a pseudo-terminal (no parity, no modem lines).
int ComIsPseudoTerminal(int port);

// Blocks the calling thread for `seconds` (negative or zero returns at once).
int Delay(double seconds);

// Something to do while a wait of ComRd, ComDrain or Delay goes on: the graphical program keeps
// its windows painted with it. It is called between slices of at most kComWaitSliceMs while the
// caller's own deadline is kept on the monotonic clock, so it never lengthens a time-out (a
// slow hook can only make the wait end late by its own run time). Only waits that find nothing
// to do call it: an answer that is already there is read at once. nullptr removes it.
typedef void (*ComWaitHook)(void);
constexpr int kComWaitSliceMs = 20;
void SetComWaitHook(ComWaitHook hook);

// Text of the last failure of OpenComConfig: device path, reason, and the fix where there is
// one (e.g. joining the device's group for a permission problem). Empty after a success.
const char *ComLastErrorText();

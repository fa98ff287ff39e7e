// The instrument's command table: each command is a fixed register range, a fixed place in the
// program's memory (a field of a configuration record or one of the measurement arrays below)
// and a fixed conversion between the two. Callers issue them by name through Read and Write;
// the link moves the block.
#pragma once

#include <cstdint>

#include "config/record.h"
#include "link/frame.h"

// Read commands (function 3).
enum ReadCommand {
    ReadMeasurands = 1, // 99, 66 registers -> Measurands
    ReadMinMax,         // 199, 74 -> MinMax
    ReadMeters,         // 299, 16 -> Meters
    ReadMeterScale,     // 319, 1 -> MeterScale
    ReadMeanValues,     // 349, 30 -> PowerInt
    ReadDeviceInfo,     // 401, 4 -> image Version1, Version2, RatedI, RatedU
    ReadDevtype,        // 409, 3 -> Devtype, raw
    ReadConfigBlock,    // 499, 41 -> image configuration block
    ReadDisplay,        // 536, 1 -> image Display and System, raw
    ReadDevStatus,      // 399, 1 -> DevStatus
    ReadLogStatus,      // 949, 12 -> Log words 0..11
    ReadLoggerData,     // Log word 15, Log word 14 registers (at most 120) -> LoggerData
};

// Write commands (function 16).
enum WriteCommand {
    WriteResetMinMax = 101, // 429, 1 <- ResetMinMax
    WriteResetMeter,        // 419, 1 <- ResetMeter
    WriteMeters,            // 299, 16 <- Meters
    WriteConfigBlock,       // 499, 41 <- image configuration block
    WriteDisplay,           // 536, 1 <- image Display and System, raw
    WriteDevStatus,         // 399, 1 <- DevStatus
    WriteLoggerReset,       // 969, 1 <- 0x00, 0x03
    WriteIntervalRestart,   // 969, 1 <- 0x00, 0x02
    WriteSimulation,        // 537, 2 <- image Image, DigOut[2], EnergyControl, raw
};

constexpr int kMaxLoggerRegisters = 120;

extern float Measurands[33];
extern float MinMax[37];
extern uint32_t Meters[8];
extern int16_t MeterScale;
extern float PowerInt[15];
extern int16_t DevStatus;
extern uint16_t Log[16]; // logger status; word 14 = count, word 15 = start of the next data block
extern float LoggerData[kMaxLoggerRegisters / 2];
extern int16_t ResetMinMax;
extern int16_t ResetMeter;

// Describes read command `block` with record destinations in `image`. 0 for an unknown block or
// a logger-data request of more than kMaxLoggerRegisters registers.
int DescribeReadBlock(int block, record *image, BlockDesc *desc);
// Describes write command `block` with record sources in `image`; 0 for an unknown block.
int DescribeWriteBlock(int block, record *image, BlockDesc *desc);

// Reads command `block` and stores the converted data at its destination; blocks with record
// destinations write into `image` (the instrument image Lese). 1 on success; 0 after four failed
// attempts, when Error(0, 2) (no answer) or Error(0, 4) (faulty answer) is shown if `report` is
// set. An unknown block, or a logger count the buffers cannot hold, sends nothing and fails.
int Read(record *image, int block, int report);

// Writes command `block`; record sources are read from `image`. A broadcast is sent to address 0
// on the bus (255 on the direct connection) and succeeds once sent, reading no answer.
int Write(record *image, int block, int report, int broadcast);

// A version number in hundredths as shown to the user, "%d.%02d" of the value / 100 and the
// value mod 100; a negative value gets its sign in front ("-1.05", not "-1.-5").
void FormatVersion(int hundredths, char *out, int size);

// The instrument's identification into `image`: versions and rated values (registers 401..404),
// then the device-type bytes. The progress pop-up moves to `afterInfo` once the first read
// succeeded and to `afterType` after the second; 1 when both succeeded.
int ReadIdentification(record *image, int afterInfo, int afterType);

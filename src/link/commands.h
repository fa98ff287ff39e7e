// The instrument's command table: each command is a fixed register range, a fixed place in the
// program's memory and a fixed conversion between the two. Callers issue them by name through
// Read and Write (frame.h).
#pragma once

#include <cstdint>

#include "config/record.h"

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

// Describes read command `block` with record destinations in `image`. 0 for an unknown block or
// a logger-data request of more than kMaxLoggerRegisters registers.
int DescribeReadBlock(int block, record *image, BlockDesc *desc);
// Describes write command `block` with record sources in `image`; 0 for an unknown block.
int DescribeWriteBlock(int block, record *image, BlockDesc *desc);

// Converts `bytes` bytes in place between wire and memory order (the conversion is its own
// inverse).
void ConvertBlock(unsigned char *data, int bytes, int conversion);

// The command table: register ranges, memory places and conversions of every read and write.
#include "config/commands.h"

#include <cstddef>
#include <cstdio>

#include "link/linksettings.h"
#include "link/report.h"

float Measurands[33];
float MinMax[37];
uint32_t Meters[8];
int16_t MeterScale;
float PowerInt[15];
int16_t DevStatus;
uint16_t Log[16];
float LoggerData[kMaxLoggerRegisters / 2];
int16_t ResetMinMax;
int16_t ResetMeter;

namespace {

// Command register values: restart the averaging interval, reset the logger.
unsigned char kIntervalRestartBytes[2] = {0x00, 0x02};
unsigned char kLoggerResetBytes[2] = {0x00, 0x03};

constexpr size_t kNotInRecord = static_cast<size_t>(-1);

// One named command: its registers and where its data lives, either in a global (memory) or at
// an offset inside the record the caller passes (recordOffset).
struct Command {
    int block;
    unsigned start, count;
    void *memory;
    size_t recordOffset;
    int bytes;
    int conversion;
};

const Command kReads[] = {
    {ReadMeasurands, 99, 66, Measurands, kNotInRecord, 132, kConvLongs},
    {ReadMinMax, 199, 74, MinMax, kNotInRecord, 148, kConvLongs},
    {ReadMeters, 299, 16, Meters, kNotInRecord, 32, kConvLongs},
    {ReadMeterScale, 319, 1, &MeterScale, kNotInRecord, 2, kConvWords},
    {ReadMeanValues, 349, 30, PowerInt, kNotInRecord, 60, kConvLongs},
    {ReadDeviceInfo, 401, 4, nullptr, offsetof(record, Version1), 8, kConvWords},
    {ReadDevtype, 409, 3, Devtype, kNotInRecord, 6, kConvRaw},
    {ReadConfigBlock, kBlockFirstRegister, kBlockRegisters, nullptr, kBlockOffset, kBlockBytes,
     kConvConfig},
    {ReadDisplay, 536, 1, nullptr, offsetof(record, Display), 2, kConvRaw},
    {ReadDevStatus, 399, 1, &DevStatus, kNotInRecord, 2, kConvWords},
    {ReadLogStatus, 949, 12, Log, kNotInRecord, 24, kConvWords},
};

const Command kWrites[] = {
    {WriteResetMinMax, 429, 1, &ResetMinMax, kNotInRecord, 2, kConvWords},
    {WriteResetMeter, 419, 1, &ResetMeter, kNotInRecord, 2, kConvWords},
    {WriteMeters, 299, 16, Meters, kNotInRecord, 32, kConvLongs},
    {WriteConfigBlock, kBlockFirstRegister, kBlockRegisters, nullptr, kBlockOffset, kBlockBytes,
     kConvConfig},
    {WriteDisplay, 536, 1, nullptr, offsetof(record, Display), 2, kConvRaw},
    {WriteDevStatus, 399, 1, &DevStatus, kNotInRecord, 2, kConvWords},
    {WriteLoggerReset, 969, 1, kLoggerResetBytes, kNotInRecord, 2, kConvRaw},
    {WriteIntervalRestart, 969, 1, kIntervalRestartBytes, kNotInRecord, 2, kConvRaw},
    {WriteSimulation, 537, 2, nullptr, offsetof(record, Image), 4, kConvRaw},
};

template <size_t N>
int Describe(const Command (&table)[N], int block, record *image, BlockDesc *d) {
    for (const Command &c : table) {
        if (c.block != block) continue;
        unsigned char *place = c.memory ? static_cast<unsigned char *>(c.memory)
                                        : reinterpret_cast<unsigned char *>(image) + c.recordOffset;
        *d = BlockDesc{c.start, c.count, place, c.bytes, c.conversion};
        return 1;
    }
    return 0;
}

} // namespace

int DescribeReadBlock(int block, record *image, BlockDesc *d) {
    if (block == ReadLoggerData) {
        // The logger download sets the block's start and size in the status words; a larger
        // count would overrun LoggerData and the frame buffers.
        unsigned count = Log[14];
        if (count > kMaxLoggerRegisters) return 0;
        *d = BlockDesc{Log[15], count & 0xFF, reinterpret_cast<unsigned char *>(LoggerData),
                       static_cast<int>(count / 2) * 4, kConvLongs};
        return 1;
    }
    return Describe(kReads, block, image, d);
}

int DescribeWriteBlock(int block, record *image, BlockDesc *d) {
    return Describe(kWrites, block, image, d);
}

int Read(record *image, int block, int report) {
    BlockDesc d;
    if (!DescribeReadBlock(block, image, &d)) {
        // Nothing was sent; the caller still learns that no data arrived.
        if (report) Error(0, 4);
        return 0;
    }
    return ReadBlock(d, report);
}

int Write(record *image, int block, int report, int broadcast) {
    BlockDesc d;
    if (!DescribeWriteBlock(block, image, &d)) {
        if (report) Error(0, 4);
        return 0;
    }
    return WriteBlock(d, report, broadcast);
}

void FormatVersion(int hundredths, char *out, int size) {
    int v = hundredths < 0 ? -hundredths : hundredths;
    std::snprintf(out, static_cast<size_t>(size), "%s%d.%02d", hundredths < 0 ? "-" : "", v / 100,
                  v % 100);
}

int ReadIdentification(record *image, int afterInfo, int afterType) {
    status = Read(image, ReadDeviceInfo, 1);
    if (!status) return 0;
    TransferWindow(2, afterInfo, 0.0);
    status = Read(image, ReadDevtype, 1);
    TransferWindow(2, afterType, 0.0);
    return status;
}

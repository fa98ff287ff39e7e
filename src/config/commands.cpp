// The command table: register ranges, memory places and conversions of every read and write.
#include "config/commands.h"

#include <cstddef>

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

unsigned char *Bytes(void *p) {
    return static_cast<unsigned char *>(p);
}
unsigned char *RecordBytes(record *rec, size_t offset) {
    return Bytes(rec) + offset;
}

void Set(BlockDesc *d, unsigned start, unsigned count, void *data, int bytes, int conversion) {
    d->start = start;
    d->count = count;
    d->data = Bytes(data);
    d->bytes = bytes;
    d->conversion = conversion;
}

} // namespace

int DescribeReadBlock(int block, record *image, BlockDesc *d) {
    switch (block) {
    case ReadMeasurands:
        Set(d, 99, 66, Measurands, 132, kConvLongs);
        return 1;
    case ReadMinMax:
        Set(d, 199, 74, MinMax, 148, kConvLongs);
        return 1;
    case ReadMeters:
        Set(d, 299, 16, Meters, 32, kConvLongs);
        return 1;
    case ReadMeterScale:
        Set(d, 319, 1, &MeterScale, 2, kConvWords);
        return 1;
    case ReadMeanValues:
        Set(d, 349, 30, PowerInt, 60, kConvLongs);
        return 1;
    case ReadDeviceInfo:
        Set(d, 401, 4, RecordBytes(image, offsetof(record, Version1)), 8, kConvWords);
        return 1;
    case ReadDevtype:
        Set(d, 409, 3, Devtype, 6, kConvRaw);
        return 1;
    case ReadConfigBlock:
        Set(d, kBlockFirstRegister, kBlockRegisters, ConfigBlock(image), kBlockBytes, kConvConfig);
        return 1;
    case ReadDisplay:
        Set(d, 536, 1, RecordBytes(image, offsetof(record, Display)), 2, kConvRaw);
        return 1;
    case ReadDevStatus:
        Set(d, 399, 1, &DevStatus, 2, kConvWords);
        return 1;
    case ReadLogStatus:
        Set(d, 949, 12, Log, 24, kConvWords);
        return 1;
    case ReadLoggerData: {
        unsigned count = Log[14];
        // A larger count would overrun LoggerData and the frame buffers.
        if (count > kMaxLoggerRegisters) return 0;
        Set(d, Log[15], count & 0xFF, LoggerData, static_cast<int>(count / 2) * 4, kConvLongs);
        return 1;
    }
    default:
        return 0;
    }
}

int DescribeWriteBlock(int block, record *image, BlockDesc *d) {
    switch (block) {
    case WriteResetMinMax:
        Set(d, 429, 1, &ResetMinMax, 2, kConvWords);
        return 1;
    case WriteResetMeter:
        Set(d, 419, 1, &ResetMeter, 2, kConvWords);
        return 1;
    case WriteMeters:
        Set(d, 299, 16, Meters, 32, kConvLongs);
        return 1;
    case WriteConfigBlock:
        Set(d, kBlockFirstRegister, kBlockRegisters, ConfigBlock(image), kBlockBytes, kConvConfig);
        return 1;
    case WriteDisplay:
        Set(d, 536, 1, RecordBytes(image, offsetof(record, Display)), 2, kConvRaw);
        return 1;
    case WriteDevStatus:
        Set(d, 399, 1, &DevStatus, 2, kConvWords);
        return 1;
    case WriteLoggerReset:
        Set(d, 969, 1, kLoggerResetBytes, 2, kConvRaw);
        return 1;
    case WriteIntervalRestart:
        Set(d, 969, 1, kIntervalRestartBytes, 2, kConvRaw);
        return 1;
    case WriteSimulation:
        Set(d, 537, 2, RecordBytes(image, offsetof(record, Image)), 4, kConvRaw);
        return 1;
    default:
        return 0;
    }
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

int ReadIdentification(record *image, int afterInfo, int afterType) {
    status = Read(image, ReadDeviceInfo, 1);
    if (!status) return 0;
    TransferWindow(2, afterInfo, 0.0);
    status = Read(image, ReadDevtype, 1);
    TransferWindow(2, afterType, 0.0);
    return status;
}

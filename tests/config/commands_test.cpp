// The command table: register ranges, answer lengths and memory places of every named command,
// and the configuration block's wire layout, without any I/O.
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

#include "config/commands.h"
#include "config/record.h"

namespace {

TEST(Commands, AnswerLengthsAndDestinationSizes) {
    struct Case {
        int block, start, answer, bytes;
    } cases[] = {
        {ReadMeasurands, 99, 137, 132}, {ReadMinMax, 199, 153, 148},
        {ReadMeters, 299, 37, 32},      {ReadMeterScale, 319, 7, 2},
        {ReadMeanValues, 349, 65, 60},  {ReadDeviceInfo, 401, 13, 8},
        {ReadDevtype, 409, 11, 6},      {ReadConfigBlock, 499, 87, 82},
        {ReadDisplay, 536, 7, 2},       {ReadDevStatus, 399, 7, 2},
        {ReadLogStatus, 949, 29, 24},
    };
    record image{};
    for (const Case &c : cases) {
        BlockDesc d;
        ASSERT_TRUE(DescribeReadBlock(c.block, &image, &d)) << c.block;
        EXPECT_EQ(static_cast<int>(d.start), c.start) << c.block;
        EXPECT_EQ(2 * static_cast<int>(d.count) + 5, c.answer) << c.block;
        EXPECT_EQ(d.bytes, c.bytes) << c.block;
    }
    struct WCase {
        int block, start, frame;
    } writes[] = {
        {WriteResetMinMax, 429, 9},  {WriteResetMeter, 419, 9},      {WriteMeters, 299, 39},
        {WriteConfigBlock, 499, 89}, {WriteDisplay, 536, 9},         {WriteDevStatus, 399, 9},
        {WriteLoggerReset, 969, 9},  {WriteIntervalRestart, 969, 9}, {WriteSimulation, 537, 11},
    };
    for (const WCase &c : writes) {
        BlockDesc d;
        ASSERT_TRUE(DescribeWriteBlock(c.block, &image, &d)) << c.block;
        EXPECT_EQ(static_cast<int>(d.start), c.start) << c.block;
        EXPECT_EQ(7 + 2 * static_cast<int>(d.count), c.frame) << c.block;
        EXPECT_EQ(d.bytes, 2 * static_cast<int>(d.count)) << c.block;
    }
    BlockDesc d;
    EXPECT_FALSE(DescribeReadBlock(WriteMeters, &image, &d));
    EXPECT_FALSE(DescribeWriteBlock(ReadMeters, &image, &d));
}

TEST(Commands, ConfigBlockSwapsOnlyItsWordFields) {
    record rec{};
    rec.PulsRate[0] = 100;
    rec.PulsRate[1] = 0x0102;
    rec.UrPrimMant = 0x0A0B;
    rec.UrPrimExp = 3;
    rec.UrSecExp = -2;
    rec.DevAddr = 17;
    rec.DevBaud = 0x0B;
    std::strcpy(rec.Descr, "AB");
    rec.LimOn[1] = 0x1234;
    rec.LimOff[1] = 0x5678;
    rec.Display = 7;
    rec.System = 4;
    rec.Image = 1;
    rec.DigOut[0] = 0x41;
    rec.DigOut[1] = 0x42;
    rec.EnergyControl = 0x4F;
    rec.Logger = 0x0C01;

    BlockDesc d;
    ASSERT_TRUE(DescribeWriteBlock(WriteConfigBlock, &rec, &d));
    unsigned char wire[kBlockBytes];
    std::memcpy(wire, d.data, kBlockBytes);
    ConvertBlock(wire, kBlockBytes, d.conversion);

    struct At {
        int offset;
        unsigned char hi, lo;
    } expect[] = {
        {0, 0x00, 0x64},  {2, 0x01, 0x02},  {4, 0x0A, 0x0B}, // words: high byte first
        {12, 3, 0xFE},    {16, 17, 0x0B},   {18, 'A', 'B'},  // bytes: as they lie
        {68, 0x12, 0x34}, {72, 0x56, 0x78}, {74, 7, 4},
        {76, 1, 0x41},    {78, 0x42, 0x4F}, {80, 0x0C, 0x01},
    };
    for (const At &a : expect) {
        EXPECT_EQ(wire[a.offset], a.hi) << "block byte " << a.offset;
        EXPECT_EQ(wire[a.offset + 1], a.lo) << "block byte " << a.offset + 1;
    }
    ConvertBlock(wire, kBlockBytes, d.conversion);
    EXPECT_EQ(std::memcmp(wire, ConfigBlock(&rec), kBlockBytes), 0) << "round trip";
}

TEST(Commands, LoggerBlockFollowsTheLogWords) {
    record image{};
    BlockDesc d;
    Log[14] = 120;
    Log[15] = 1119;
    ASSERT_TRUE(DescribeReadBlock(ReadLoggerData, &image, &d));
    EXPECT_EQ(d.start, 1119u);
    EXPECT_EQ(2 * static_cast<int>(d.count) + 5, 245);
    EXPECT_EQ(d.bytes, 240);
    // More than the buffers hold is refused rather than read past LoggerData.
    Log[14] = 121;
    EXPECT_FALSE(DescribeReadBlock(ReadLoggerData, &image, &d));
    Log[14] = 0xFFFF;
    EXPECT_FALSE(DescribeReadBlock(ReadLoggerData, &image, &d));
    Log[14] = 0;
}

} // namespace

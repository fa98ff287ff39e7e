// The simulated instrument's register map and what it keeps over time, driven directly.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "config/record.h"
#include "sim/instrument.h"

namespace {

SimInstrument MakeInstrument(int ratedI = 500, int address = 255) {
    SimInstrument inst;
    SimIdentity id;
    id.ratedI = ratedI;
    SimInit(inst, id, address);
    return inst;
}

std::vector<uint16_t> ReadRegs(SimInstrument &inst, int start, int count) {
    std::vector<uint16_t> regs(static_cast<size_t>(count));
    EXPECT_EQ(SimReadRegisters(inst, start, count, regs.data()), 0) << "read " << start;
    return regs;
}

float FloatAt(SimInstrument &inst, int reg) {
    std::vector<uint16_t> r = ReadRegs(inst, reg, 2);
    uint32_t u = r[0] | uint32_t(r[1]) << 16; // low half in the first register
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

uint32_t CountAt(SimInstrument &inst, int reg) {
    std::vector<uint16_t> r = ReadRegs(inst, reg, 2);
    return r[0] | uint32_t(r[1]) << 16;
}

void WriteReg(SimInstrument &inst, int reg, uint16_t value) {
    ASSERT_EQ(SimWriteRegisters(inst, reg, 1, &value), 0) << "write " << reg;
}

TEST(SimRegisterMap, ReadableAndWritableRanges) {
    SimInstrument inst = MakeInstrument();
    struct Case {
        int start, count;
        int readResult, writeResult;
    };
    const Case cases[] = {
        {99, 66, 0, kExIllegalAddress},
        {199, 74, 0, kExIllegalAddress},
        {299, 16, 0, 0},
        {319, 1, 0, kExIllegalAddress},
        {349, 30, 0, kExIllegalAddress},
        {399, 1, 0, 0},
        {401, 4, 0, kExIllegalAddress},
        {409, 3, 0, kExIllegalAddress},
        {419, 1, 0, 0},
        {429, 1, 0, 0},
        {499, 41, 0, 0},
        {949, 12, 0, kExIllegalAddress},
        {999, 120, 0, kExIllegalAddress},
        {98, 2, kExIllegalAddress, kExIllegalAddress},
        {164, 2, kExIllegalAddress, -1},
        {401, 11, kExIllegalAddress, -1},
        {539, 2, kExIllegalAddress, -1},
        {961, 1, kExIllegalAddress, -1},
        {0, 1, kExIllegalAddress, -1},
        {999 + 2 * kLoggerCapacity, 1, kExIllegalAddress, -1},
    };
    for (const Case &c : cases) {
        std::vector<uint16_t> regs(static_cast<size_t>(c.count), 0);
        EXPECT_EQ(SimReadRegisters(inst, c.start, c.count, regs.data()), c.readResult)
            << "read " << c.start << "+" << c.count;
        if (c.writeResult < 0) continue;
        // Write back what was read, so an accepted write changes nothing that matters here.
        EXPECT_EQ(SimWriteRegisters(inst, c.start, c.count, regs.data()), c.writeResult)
            << "write " << c.start << "+" << c.count;
    }
}

TEST(SimMeasurands, FollowConnectionTypeAndRatings) {
    // Rows that carry a value for each connection type; all others read 0.
    struct Case {
        unsigned system;
        std::vector<int> rows;
    };
    const Case cases[] = {
        {0, {0, 7, 11, 19, 23, 27, 28, 32}},
        {1, {0, 7, 11, 19, 23, 27, 28, 32}},
        {2, {0, 7, 11, 19, 23, 27, 28, 32}},
        {3, {4, 5, 6, 8, 9, 10, 12, 13, 14, 19, 23, 27, 28, 32}},
        {4, {1,  2,  3,  4,  5,  6,  8,  9,  10, 12, 13, 14, 15, 16, 17,
             18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32}},
    };
    for (const Case &c : cases) {
        SimInstrument inst = MakeInstrument();
        uint16_t r536 = static_cast<uint16_t>((ReadRegs(inst, 536, 1)[0] & 0xFF00) | c.system);
        WriteReg(inst, 536, r536);
        std::vector<bool> shown(33, false);
        for (int row : c.rows) shown[static_cast<size_t>(row)] = true;
        for (int row = 0; row < 33; ++row) {
            float v = FloatAt(inst, 99 + 2 * row);
            if (shown[static_cast<size_t>(row)])
                EXPECT_GT(v, 0.0f) << "system " << c.system << " row " << row;
            else
                EXPECT_EQ(v, 0.0f) << "system " << c.system << " row " << row;
        }
        float pf = FloatAt(inst, 99 + 64), f = FloatAt(inst, 99 + 56);
        EXPECT_GT(pf, 0.8f);
        EXPECT_LE(pf, 1.0f);
        EXPECT_NEAR(f, 50.0f, 0.1f);
        // Apparent power is consistent with active and reactive power.
        float p = FloatAt(inst, 99 + 38), q = FloatAt(inst, 99 + 46), s = FloatAt(inst, 99 + 54);
        EXPECT_NEAR(std::sqrt(p * p + q * q), s, s * 1e-3);
    }

    // A 20 kV / 100 V transformer puts the line voltage near 20 kV.
    SimInstrument inst = MakeInstrument();
    uint16_t mant[2] = {200, 100};
    ASSERT_EQ(SimWriteRegisters(inst, 501, 2, mant), 0);
    WriteReg(inst, 505, 0x0200); // UrPrimExp 2, UrSecExp 0
    EXPECT_NEAR(FloatAt(inst, 99 + 2 * 4), 20000.0f, 20000.0f * 0.06f);
}

TEST(SimMeters, CountResetAndPreset) {
    SimInstrument inst = MakeInstrument();
    int16_t scale = static_cast<int16_t>(ReadRegs(inst, 319, 1)[0]);
    float p = FloatAt(inst, 99 + 38);
    SimAdvanceTo(inst, 3600.0);
    // One hour at about the starting power; the load drifts by some percent.
    double expected = p / std::pow(10.0, scale);
    EXPECT_NEAR(CountAt(inst, 299), expected, expected * 0.2);
    EXPECT_GT(CountAt(inst, 299 + 8), 0u); // reactive energy, rate 1
    EXPECT_EQ(CountAt(inst, 299 + 2), 0u); // rate 2 never ran

    uint16_t preset[4] = {0x5678, 0x1234, 0xFFFF, 0xFFFF}; // meters 0 and 1, low half first
    ASSERT_EQ(SimWriteRegisters(inst, 299, 4, preset), 0);
    EXPECT_EQ(CountAt(inst, 299), 0x12345678u);
    EXPECT_EQ(CountAt(inst, 301), 0xFFFFFFFFu);

    uint32_t reactive = CountAt(inst, 299 + 8);
    WriteReg(inst, kRegResetMeter, 0x0001);
    EXPECT_EQ(CountAt(inst, 299), 0u);
    EXPECT_EQ(CountAt(inst, 301), 0xFFFFFFFFu);
    EXPECT_EQ(CountAt(inst, 299 + 8), reactive);

    // Larger transformers make a count stand for more energy; the energy itself stays.
    double wh = reactive * std::pow(10.0, scale);
    uint16_t ratings[6] = {200, 100, 150, 500, 0x0200, 0x01FE}; // 20 kV/100 V, 1500 A/5 A
    ASSERT_EQ(SimWriteRegisters(inst, 501, 6, ratings), 0);
    int16_t larger = static_cast<int16_t>(ReadRegs(inst, 319, 1)[0]);
    EXPECT_EQ(larger, 3);
    EXPECT_NEAR(CountAt(inst, 299 + 8) * std::pow(10.0, larger), wh, std::pow(10.0, larger));
}

TEST(SimExtremes, TrackAndResetByGroup) {
    SimInstrument inst = MakeInstrument();
    SimAdvanceTo(inst, 120.0);
    float u = FloatAt(inst, 99 + 2 * 1);
    float uMax = FloatAt(inst, 199 + 2 * 1), uMin = FloatAt(inst, 199 + 2 * 29);
    EXPECT_GE(uMax, u);
    EXPECT_LE(uMin, u);
    EXPECT_GT(uMax, uMin);
    float pfMin = FloatAt(inst, 199 + 70), pfMax = FloatAt(inst, 199 + 72);
    EXPECT_LE(pfMin, pfMax);

    float iMax = FloatAt(inst, 199 + 2 * 8);
    WriteReg(inst, kRegResetMinMax, 0x0001); // voltage maxima only
    EXPECT_EQ(FloatAt(inst, 199 + 2 * 1), u);
    EXPECT_EQ(FloatAt(inst, 199 + 2 * 29), uMin);
    EXPECT_EQ(FloatAt(inst, 199 + 2 * 8), iMax);
    WriteReg(inst, kRegResetMinMax, 0x00FE); // every other group
    for (int row = 0; row < kMinMaxCount; ++row) {
        int from = row < 28 ? row : (row < 35 ? row - 28 : 32);
        EXPECT_EQ(FloatAt(inst, 199 + 2 * row), FloatAt(inst, 99 + 2 * from)) << row;
    }
}

TEST(SimLogger, RecordsEachIntervalAndResets) {
    SimInstrument inst = MakeInstrument();
    SimFillLogger(inst, 0, {});
    std::vector<uint16_t> st = ReadRegs(inst, 949, 12);
    EXPECT_EQ(st[1], 0);
    // A one-minute interval; both quantities logged.
    uint16_t r538 = ReadRegs(inst, 538, 1)[0];
    WriteReg(inst, 538, static_cast<uint16_t>((r538 & 0xFF00) | 1));
    SimAdvanceTo(inst, 5 * 60.0 + 30.0);
    EXPECT_EQ(ReadRegs(inst, 950, 1)[0], 10);
    float p = FloatAt(inst, 999), q = FloatAt(inst, 1001);
    EXPECT_NEAR(p, FloatAt(inst, 349 + 2), p * 0.2f); // the interval means
    EXPECT_LT(q, p);
    EXPECT_GT(FloatAt(inst, 349 + 2), 0.0f); // last interval mean of P

    WriteReg(inst, kRegCommand, kCmdIntervalRestart);
    EXPECT_EQ(FloatAt(inst, 349), 0.0f); // running mean starts again
    WriteReg(inst, kRegCommand, kCmdLoggerReset);
    EXPECT_EQ(ReadRegs(inst, 950, 1)[0], 0);

    // Changing what is logged clears the records: they would be read with the wrong layout.
    SimAdvanceTo(inst, 9 * 60.0 + 15.0); // three intervals since the restart, not four
    EXPECT_EQ(ReadRegs(inst, 950, 1)[0], 6);
    WriteReg(inst, 539, kLogActive);
    EXPECT_EQ(ReadRegs(inst, 950, 1)[0], 0);
}

TEST(SimLogger, FailedValuesAreListedByRegisterNumber) {
    struct Case {
        unsigned loggerWord;
        std::vector<int> failedRecords;
        std::vector<uint16_t> expected;
    };
    const Case cases[] = {
        {kLogActive, {0, 29}, {1000, 1058}},
        {kLogActive | kLogReactive, {10}, {1040, 1042}},
        {kLogReactive, {}, {}},
        {kLogActive,
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, // at most ten listed
         {1000, 1002, 1004, 1006, 1008, 1010, 1012, 1014, 1016, 1018}},
    };
    for (const Case &c : cases) {
        SimInstrument inst = MakeInstrument();
        WriteReg(inst, 539, static_cast<uint16_t>(c.loggerWord));
        SimFillLogger(inst, 30, c.failedRecords);
        std::vector<uint16_t> st = ReadRegs(inst, 949, 12);
        int channels = (c.loggerWord & kLogActive ? 1 : 0) + (c.loggerWord & kLogReactive ? 1 : 0);
        EXPECT_EQ(st[1], 30 * channels);
        for (size_t k = 0; k < 10; ++k)
            EXPECT_EQ(st[2 + k], k < c.expected.size() ? c.expected[k] : 0) << k;
        for (uint16_t reg : c.expected) EXPECT_EQ(FloatAt(inst, reg - 1), 0.0f);
    }
}

TEST(SimLogger, FullMemoryDropsOldestAndShiftsFailedList) {
    SimInstrument inst = MakeInstrument();
    WriteReg(inst, 539, kLogActive);
    SimFillLogger(inst, kLoggerCapacity, {1, 2});
    EXPECT_EQ(ReadRegs(inst, 950, 1)[0], kLoggerCapacity);
    uint16_t r538 = ReadRegs(inst, 538, 1)[0];
    WriteReg(inst, 538, static_cast<uint16_t>((r538 & 0xFF00) | 1));
    // The interval change cleared the logger; fill it again and let two records arrive.
    SimFillLogger(inst, kLoggerCapacity, {1, 2});
    SimAdvanceTo(inst, 2 * 60.0 + 1);
    EXPECT_EQ(ReadRegs(inst, 950, 1)[0], kLoggerCapacity);
    std::vector<uint16_t> st = ReadRegs(inst, 949, 12);
    EXPECT_EQ(st[2], 1000); // record 2 is now record 0; record 1 has gone
    EXPECT_EQ(st[3], 0);
}

} // namespace

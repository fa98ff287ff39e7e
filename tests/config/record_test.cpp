// Derived quantities of the configuration record against worked examples.
#include "config/record.h"
#include "link/linksettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

// A configuration with the ratings of a 20 kV / 100 V, 5 A / 5 A installation on a 500 V, 5 A
// instrument, connection type 4.
record Installation20kV() {
    record r{};
    r.RatedU = 500;
    r.RatedI = 500;
    r.UrPrim = 20000.0f;
    r.UrSec = 100;
    r.IrPrim = 5.0f;
    r.IrSec = 5.0f;
    r.System = 4;
    r.DigOut[0] = r.DigOut[1] = 128;
    return r;
}

TEST(AnzahlStellen, CountsDigitsAbove832) {
    struct {
        float x;
        int n;
    } cases[] = {{0.0f, 0},   {8.32f, 0},     {8.33f, 1},     {83.3f, 2},    {500.0f, 2},
                 {832.0f, 2}, {833.0f, 3},    {100000.0f, 5}, {20000.0f, 4}, {1e20f, 12},
                 {-5.0f, 0},  {INFINITY, 12}, {NAN, 0}};
    for (auto &c : cases) EXPECT_EQ(AnzahlStellen(c.x), c.n) << c.x;
}

TEST(Messgr100, HundredPercentValuesPerMeasurand) {
    Konf = Installation20kV();
    const double sr0 = 2500.0 * 1.73205081 * 200.0; // input range, primary side
    const double sr1 = 500.0 * 1.73205081 * 200.0;  // primary rating
    struct {
        int code;
        int system;
        double range;  // fromTransformer = 0
        double rating; // fromTransformer = 1
    } cases[] = {
        {0, 4, 5.0, 5.0},
        {11, 4, 5.0, 5.0},
        {2, 4, 100000.0, 20000.0},
        {3, 4, 100000.0 / 1.73205081, 20000.0 / 1.73205081},
        {4, 4, sr0 / 3.0, sr1 / 3.0},
        {6, 3, sr0, sr1},
        {9, 4, sr0, sr1},
        {8, 0, 2500.0 / 1.73205081 * 200.0, 500.0 / 1.73205081 * 200.0}, // divides by sqrt 3
        {7, 4, 1.0, 1.0},
        {12, 4, 50.0, 50.0},
        {13, 4, 1.0, 1.0},
        {128, 4, 1.0, 1.0},
    };
    for (auto &c : cases) {
        Konf.DigOut[1] = static_cast<uint8_t>(c.code);
        Konf.System = static_cast<uint8_t>(c.system);
        EXPECT_NEAR(Messgr100(1, 0), c.range, c.range * 1e-6) << "code " << c.code;
        EXPECT_NEAR(Messgr100(1, 1), c.rating, c.rating * 1e-6) << "code " << c.code;
    }
}

TEST(LimitRange, TwentyKilovoltExample) {
    Konf = Installation20kV();
    Konf.DigOut[0] = 2;
    EXPECT_FLOAT_EQ(MaxNenn(0), 8320.0f);
    EXPECT_STREQ(GrenzwEinh(0), "kV");
    EXPECT_FLOAT_EQ(KorrEinh(0), 1000.0f);
}

TEST(LimitRange, MaxNennAndUnitsTable) {
    struct {
        const char *name;
        float urPrim;
        uint16_t urSec;
        float irPrim, irSec;
        int code;
        float maxNenn;
        const char *unit;
        float factor;
    } cases[] = {
        // No transformer: the primary rating is the input range.
        {"direct voltage", 500, 500, 5, 5, 3, 10000, "V", 1},
        {"direct current", 500, 500, 5, 5, 0, 10000, "A", 1},
        // 400 V / 100 V: range 2000 V (d = 3), rating 400 V (e = 2): one digit apart; the
        // largest limit is then exactly 832 V, still shown in volts.
        {"one digit", 400, 100, 5, 5, 2, 4160, "V", 1},
        // 110 kV / 100 V: range 550 kV and rating 110 kV have five digits each.
        {"110 kV", 110000, 100, 5, 5, 2, 10000, "kV", 1000},
        // 1000 A / 1 A on a 5 A input: range 5000 A (d = 3), rating 1000 A (e = 3).
        {"current 1000/1", 1000, 100, 1000, 1, 0, 10000, "kA", 1000},
        // 100 V / 100 V on a 500 V input: range 500 V (d = 2), rating 100 V (e = 2).
        {"secondary 100 V", 100, 100, 5, 5, 2, 10000, "V", 1},
        // 1 V / 1 V: range 500 V (d = 2), rating 1 V (e = 0): two digits apart.
        {"two digits", 1, 1, 5, 5, 2, 8.32f * 1000 / 500, "V", 1},
        {"one digit, 10 V", 10, 10, 5, 5, 2, 10 * 8.32f * 10000 / 500, "V", 1},
        {"power factor", 20000, 100, 5, 5, 7, 10000, "-", 1},
        {"frequency", 20000, 100, 5, 5, 12, 10000, "Hz", 1},
        {"no limit function", 20000, 100, 5, 5, 128, 10000, "", 1},
        {"pulse output", 20000, 100, 5, 5, 64, 10000, "", 1},
        {"big power", 400000, 100, 3000, 5, 8, 0, "GW", 1e9f},
    };
    for (auto &c : cases) {
        Konf = Installation20kV();
        Konf.UrPrim = c.urPrim;
        Konf.UrSec = c.urSec;
        Konf.IrPrim = c.irPrim;
        Konf.IrSec = c.irSec;
        Konf.DigOut[1] = static_cast<uint8_t>(c.code);
        if (c.maxNenn != 0) {
            EXPECT_NEAR(MaxNenn(1), c.maxNenn, c.maxNenn * 1e-5) << c.name;
        }
        EXPECT_STREQ(GrenzwEinh(1), c.unit) << c.name;
        EXPECT_FLOAT_EQ(KorrEinh(1), c.factor) << c.name;
    }
}

TEST(InputData, SetupMantissaAndExponent) {
    struct {
        float urPrim, irPrim, irSec;
        int urMant, urExp, irMant, irExp, irSecMant;
    } cases[] = {
        {999.6f, 5.0f, 5.0f, 1000, 0, 500, -2, 500},
        {1000.0f, 1500.0f, 1.0f, 100, 1, 150, 1, 100},
        {20000.0f, 9.99f, 0.5f, 200, 2, 999, -2, 50},
        {110000.0f, 10.0f, 5.0f, 110, 3, 100, -1, 500},
        {400.0f, 0.01f, 1.0f, 400, 0, 1, -2, 100},
    };
    for (auto &c : cases) {
        record r{};
        r.UrPrim = c.urPrim;
        r.UrSec = 100;
        r.IrPrim = c.irPrim;
        r.IrSec = c.irSec;
        SetupInputData(&r);
        EXPECT_EQ(r.UrPrimMant, c.urMant) << c.urPrim;
        EXPECT_EQ(r.UrPrimExp, c.urExp) << c.urPrim;
        EXPECT_EQ(r.UrSecMant, 100);
        EXPECT_EQ(r.UrSecExp, 0);
        EXPECT_EQ(r.IrPrimMant, c.irMant) << c.irPrim;
        EXPECT_EQ(r.IrPrimExp, c.irExp) << c.irPrim;
        EXPECT_EQ(r.IrSecMant, c.irSecMant) << c.irSec;
        EXPECT_EQ(r.IrSecExp, -2);
    }
}

TEST(InputData, RestoreFromMantissaAndExponent) {
    struct {
        int urMant, urExp, urSecMant, urSecExp, irMant, irExp, irSecMant, irSecExp;
        float urPrim;
        int urSec;
        float irPrim, irSec;
    } cases[] = {
        {400, 2, 100, 0, 150, 1, 500, -2, 40000.0f, 100, 1500.0f, 5.0f},
        {230, 0, 23, 1, 500, -2, 100, -2, 230.0f, 230, 5.0f, 1.0f},
        // Exponents below the counters' start leave the values unscaled.
        {500, -3, 100, -1, 250, -5, 100, -4, 500.0f, 100, 2.5f, 1.0f},
        // The secondary voltage scales in 16 bits, as the instrument does.
        {1, 0, 10000, 1, 1, -1, 1, -2, 1.0f, 34464, 0.1f, 0.01f},
    };
    for (auto &c : cases) {
        record r{};
        r.UrPrimMant = static_cast<int16_t>(c.urMant);
        r.UrPrimExp = static_cast<int8_t>(c.urExp);
        r.UrSecMant = static_cast<int16_t>(c.urSecMant);
        r.UrSecExp = static_cast<int8_t>(c.urSecExp);
        r.IrPrimMant = static_cast<int16_t>(c.irMant);
        r.IrPrimExp = static_cast<int8_t>(c.irExp);
        r.IrSecMant = static_cast<int16_t>(c.irSecMant);
        r.IrSecExp = static_cast<int8_t>(c.irSecExp);
        RestoreInputData(&r);
        EXPECT_FLOAT_EQ(r.UrPrim, c.urPrim);
        EXPECT_EQ(r.UrSec, c.urSec);
        EXPECT_FLOAT_EQ(r.IrPrim, c.irPrim);
        EXPECT_FLOAT_EQ(r.IrSec, c.irSec);
    }
}

TEST(InputData, UnrepresentableRatingsSaturateInsteadOfHanging) {
    record r{};
    r.UrPrim = INFINITY;
    r.UrSec = 100;
    r.IrPrim = NAN;
    r.IrSec = 1e9f; // no normalisation for the secondary current
    SetupInputData(&r);
    EXPECT_EQ(r.UrPrimExp, 127);
    EXPECT_EQ(r.IrPrimMant, 0);
    EXPECT_EQ(r.IrSecMant, 32767);
    r.IrSec = -1e9f;
    SetupInputData(&r);
    EXPECT_EQ(r.IrSecMant, -32768);
}

TEST(InitNeueDatei, NewFileStateKeepsInstrumentValues) {
    std::memset(&Konf, 0x5a, sizeof Konf);
    Konf.Module = 1;
    Konf.RatedU = 500;
    Konf.RatedI = 100;
    Baudrate = 4;
    Parity = 1;
    record expected = Konf;
    expected.UrPrim = 500.0f;
    expected.UrSec = 500;
    expected.IrPrim = expected.IrSec = 1.0f;
    expected.PulsRate[0] = expected.PulsRate[1] = 100;
    expected.DevAddr = 247;
    expected.DevBaud = 4 + 8 * 1;
    std::memset(expected.Descr, 0, sizeof expected.Descr);
    expected.LimOn[0] = expected.LimOn[1] = expected.LimOff[0] = expected.LimOff[1] = 0;
    expected.Display = 8;
    expected.System = 4;
    expected.Image = 0;
    expected.DigOut[0] = expected.DigOut[1] = 128;
    expected.EnergyControl = 15;
    expected.Logger = 0;
    InitNeueDatei();
    // Identification and mantissa fields are left alone as well.
    EXPECT_EQ(std::memcmp(&Konf, &expected, sizeof Konf), 0);
    Baudrate = 3;
    Parity = 0;
}

} // namespace

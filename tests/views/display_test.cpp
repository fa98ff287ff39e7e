// The display tables, the formatting rule and the layout tables, against worked values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "config/commands.h"
#include "config/record.h"
#include "views/display.h"
#include "views/readout.h"
#include "views/viewtables.h"

namespace {

// An instrument configuration with the given connection, rated values and transformers.
void SetLese(int system, int ratedU, int ratedI, float urPrim, unsigned urSec, float irPrim,
             float irSec) {
    std::memset(&Lese, 0, sizeof Lese);
    Lese.System = static_cast<uint8_t>(system);
    Lese.RatedU = static_cast<int16_t>(ratedU);
    Lese.RatedI = static_cast<int16_t>(ratedI);
    Lese.UrPrim = urPrim;
    Lese.UrSec = static_cast<uint16_t>(urSec);
    Lese.IrPrim = irPrim;
    Lese.IrSec = irSec;
}

struct ScalingCase {
    const char *name;
    int system, ratedU, ratedI;
    float urPrim;
    unsigned urSec;
    float irPrim, irSec;
    float rated0;
    const char *unit0;
    int decimals0;
    float rated1;
    const char *unit1;
    int decimals1;
    const char *unit2;
    int decimals2;
    float divisor2;
};

class Scaling : public ::testing::TestWithParam<ScalingCase> {};

TEST_P(Scaling, RatedValuesGiveUnitsDivisorsAndDecimals) {
    const ScalingCase &c = GetParam();
    SetLese(c.system, c.ratedU, c.ratedI, c.urPrim, c.urSec, c.irPrim, c.irSec);
    InitAnzeige();
    EXPECT_NEAR(Nennwert[0], c.rated0, c.rated0 * 1e-4);
    EXPECT_STREQ(Einh[0], c.unit0);
    EXPECT_EQ(Stellen[0], c.decimals0);
    EXPECT_NEAR(Nennwert[1], c.rated1, c.rated1 * 1e-4);
    EXPECT_STREQ(Einh[1], c.unit1);
    EXPECT_EQ(Stellen[1], c.decimals1);
    EXPECT_STREQ(Einh[2], c.unit2);
    EXPECT_EQ(Stellen[2], c.decimals2);
    EXPECT_FLOAT_EQ(Skalierung[2], c.divisor2);
    // The three powers always scale alike, so the mean values may share the active one's.
    for (int g = 3; g <= 4; ++g) {
        EXPECT_FLOAT_EQ(Skalierung[g], Skalierung[2]);
        EXPECT_EQ(Stellen[g], Stellen[2]);
    }
    EXPECT_EQ(Stellen[GROUP_FREQUENCY], 2);
    EXPECT_EQ(Stellen[GROUP_POWERFACTOR], 3);
    EXPECT_FLOAT_EQ(Skalierung[GROUP_FREQUENCY], 1.0f);
    EXPECT_EQ(anschl_ix, c.system + 1);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedValues, Scaling,
    ::testing::Values(ScalingCase{"U400_three_wire", 1, 400, 500, 400, 400, 5, 5, 400, "V", 1, 5,
                                  "A", 3, "[kW]", 3, 1000},
                      ScalingCase{"U400_single_phase", 0, 400, 500, 400, 400, 5, 5, 230.94f, "V", 1,
                                  5, "A", 3, "[kW]", 3, 1000},
                      ScalingCase{"U400_four_wire_balanced", 2, 400, 500, 400, 400, 5, 5, 230.94f,
                                  "V", 1, 5, "A", 3, "[kW]", 3, 1000},
                      ScalingCase{"U400_unbalanced", 3, 400, 500, 400, 400, 5, 5, 400, "V", 1, 5,
                                  "A", 3, "[kW]", 3, 1000},
                      ScalingCase{"I1A", 4, 100, 100, 100, 100, 1, 1, 100, "V", 1, 1, "A", 3, "[W]",
                                  1, 1},
                      ScalingCase{"I1A_CT1000", 4, 100, 100, 100, 100, 1000, 1, 100, "V", 1, 1000,
                                  "kA", 3, "[kW]", 1, 1000},
                      ScalingCase{"VT110kV_CT1000_5", 4, 100, 500, 110000, 100, 1000, 5, 110000,
                                  "kV", 1, 1000, "kA", 3, "[MW]", 1, 1e6f},
                      ScalingCase{"GW_range", 4, 100, 100, 400000, 100, 5000, 1, 400000, "kV", 1,
                                  5000, "kA", 3, "[GW]", 3, 1e9f}),
    [](const auto &info) { return std::string(info.param.name); });

struct PrefixCase {
    float rated;
    int prefix;
};

TEST(Scaling, PrefixStartsAt832TimesAPowerOfThousand) {
    const PrefixCase cases[] = {{0, 0},
                                {831.99f, 0},
                                {832, 1},
                                {831999, 1},
                                {832000, 2},
                                {831999000.0f, 2},
                                {832000000.0f, 3},
                                {1e12f, 3},
                                {std::nanf(""), 0}};
    for (const PrefixCase &c : cases) EXPECT_EQ(PrefixIndex(c.rated), c.prefix) << c.rated;
}

TEST(Scaling, DamagedTransformerRatingsDoNotBreakTheTables) {
    SetLese(4, 400, 500, 400, 0, 5, 0); // secondaries of 0: ratios infinite
    InitAnzeige();
    DisplayText d;
    FormatValue(230.0f, GROUP_VOLTAGE, 1, &d);
    EXPECT_EQ(d.marked, 0);
    EXPECT_LT(std::strlen(d.text), sizeof d.text);
}

struct FormatCase {
    const char *name;
    float x;
    int group;
    int frequencyLimits;
    const char *text;
    int marked;
};

class Formatting : public ::testing::TestWithParam<FormatCase> {
  protected:
    // 400 V, 5 A, three-wire: V with 1 decimal, A with 3, powers in k with 3.
    void SetUp() override {
        SetLese(1, 400, 500, 400, 400, 5, 5);
        InitAnzeige();
    }
};

TEST_P(Formatting, ValueBecomesTheFieldText) {
    const FormatCase &c = GetParam();
    DisplayText d{"x", -1};
    FormatValue(c.x, c.group, c.frequencyLimits, &d);
    EXPECT_STREQ(d.text, c.text);
    EXPECT_EQ(d.marked, c.marked);
}

const float kNaN = std::nanf("");

INSTANTIATE_TEST_SUITE_P(
    Markers, Formatting,
    ::testing::Values(
        FormatCase{"voltage", 230.94f, GROUP_VOLTAGE, 1, "230.9", 0},
        FormatCase{"current", 4.5678f, GROUP_CURRENT, 1, "4.568", 0},
        FormatCase{"active_power_in_kW", 3464.1f, GROUP_ACTIVE, 1, "3.464", 0},
        FormatCase{"negative_power", -1234.0f, GROUP_REACTIVE, 1, "-1.234", 0},
        FormatCase{"overflow", 1e31f, GROUP_VOLTAGE, 1, "OVL", 1},
        FormatCase{"not_a_number", kNaN, GROUP_CURRENT, 1, "OVL", 1},
        FormatCase{"power_factor_one", 1.0f, GROUP_POWERFACTOR, 1, "1.000", 0},
        FormatCase{"power_factor_above_one", 1.0001f, GROUP_POWERFACTOR, 1, "---", 1},
        FormatCase{"power_factor_minus_one", -1.0f, GROUP_POWERFACTOR, 0, "-1.000", 0},
        FormatCase{"power_factor_below_minus_one", -1.0001f, GROUP_POWERFACTOR, 0, "---", 1},
        FormatCase{"power_factor_overflow", 1e31f, GROUP_POWERFACTOR, 1, "---", 1},
        FormatCase{"power_factor_nan", kNaN, GROUP_POWERFACTOR, 1, "OVL", 1},
        FormatCase{"frequency_45", 45.0f, GROUP_FREQUENCY, 1, "45.00", 0},
        FormatCase{"frequency_65", 65.0f, GROUP_FREQUENCY, 1, "65.00", 0},
        FormatCase{"frequency_low", 44.99f, GROUP_FREQUENCY, 1, "< 45", 1},
        FormatCase{"frequency_high", 65.01f, GROUP_FREQUENCY, 1, "> 65", 1},
        FormatCase{"frequency_overflow", 1e31f, GROUP_FREQUENCY, 1, "> 65", 1},
        FormatCase{"frequency_nan", kNaN, GROUP_FREQUENCY, 1, "OVL", 1},
        FormatCase{"frequency_without_limits", 44.99f, GROUP_FREQUENCY, 0, "44.99", 0}),
    [](const auto &info) { return std::string(info.param.name); });

// The largest value that is not an overflow still fits its text whole.
TEST_F(Formatting, LargestValidValueIsNotCut) {
    Skalierung[GROUP_ACTIVE] = 1.0f;
    DisplayText d;
    FormatValue(8.99e30f, GROUP_ACTIVE, 0, &d);
    EXPECT_EQ(d.marked, 0);
    std::string text = d.text;
    EXPECT_EQ(text.size(), 35u);
    EXPECT_EQ(text.substr(text.size() - 4), ".000");
}

TEST_F(Formatting, DecimalsOtherThanTwoOrThreeShowOne) {
    for (int decimals : {0, 1, 4, 9, -2}) {
        Stellen[GROUP_VOLTAGE] = decimals;
        DisplayText d;
        FormatValue(12.345f, GROUP_VOLTAGE, 0, &d);
        EXPECT_STREQ(d.text, "12.3") << decimals;
    }
}

TEST_F(Formatting, UnitsBesideValuesLoseTheCaptionBrackets) {
    EXPECT_STREQ(DisplayUnit(GROUP_VOLTAGE), "V");
    EXPECT_STREQ(DisplayUnit(GROUP_ACTIVE), "kW");
    EXPECT_STREQ(DisplayUnit(GROUP_REACTIVE), "kvar");
    EXPECT_STREQ(DisplayUnit(GROUP_APPARENT), "kVA");
    EXPECT_STREQ(DisplayUnit(GROUP_FREQUENCY), "Hz");
    EXPECT_STREQ(DisplayUnit(GROUP_POWERFACTOR), "");
    EXPECT_STREQ(BaseUnit(GROUP_REACTIVE), "var");
}

TEST(Titles, BusTitleNamesTheAddress) {
    char out[64];
    TitleWithAddress("Instantaneous values", "Device address", 17, out, sizeof out);
    EXPECT_STREQ(out, "Instantaneous values (Device address 17)");
    char tiny[12];
    TitleWithAddress("Instantaneous values", "Device address", 17, tiny, sizeof tiny);
    EXPECT_STREQ(tiny, "Instantaneo");
}

// ---- layout tables ------------------------------------------------------------------------------

std::vector<int> ShownFor(int view, int system) {
    SetLese(system, 400, 500, 400, 400, 5, 5);
    InitAnzeige();
    int rows[40];
    int n = ShownRows(view, rows);
    return std::vector<int>(rows, rows + n);
}

std::vector<int> AllBut(int count, std::set<int> without) {
    std::vector<int> out;
    for (int i = 0; i < count; ++i)
        if (!without.count(i)) out.push_back(i);
    return out;
}

struct VisibilityCase {
    const char *name;
    int view, system;
    std::vector<int> rows;
};

class Visibility : public ::testing::TestWithParam<VisibilityCase> {};

TEST_P(Visibility, ConnectionTypeChoosesTheRows) {
    const VisibilityCase &c = GetParam();
    EXPECT_EQ(ShownFor(c.view, c.system), c.rows);
}

const std::vector<int> kMeasOnePath = {0, 7, 11, 19, 23, 27, 28, 32};
const std::vector<int> kMeasThreeWire = {4, 5, 6, 8, 9, 10, 12, 13, 14, 19, 23, 27, 28, 32};
const std::vector<int> kMinMaxOnePath = {0, 7, 11, 19, 23, 27, 28, 35, 36};
const std::vector<int> kMinMaxThreeWire = {4,  5,  6,  8,  9,  10, 12, 13, 14,
                                           19, 23, 27, 32, 33, 34, 35, 36};

INSTANTIATE_TEST_SUITE_P(
    EveryConnection, Visibility,
    ::testing::Values(VisibilityCase{"values_0", VIEW_MEAS, 0, kMeasOnePath},
                      VisibilityCase{"values_1", VIEW_MEAS, 1, kMeasOnePath},
                      VisibilityCase{"values_2", VIEW_MEAS, 2, kMeasOnePath},
                      VisibilityCase{"values_3", VIEW_MEAS, 3, kMeasThreeWire},
                      VisibilityCase{"values_4", VIEW_MEAS, 4, AllBut(33, {0, 7, 11})},
                      VisibilityCase{"minmax_0", VIEW_MINMAX, 0, kMinMaxOnePath},
                      VisibilityCase{"minmax_1", VIEW_MINMAX, 1, kMinMaxOnePath},
                      VisibilityCase{"minmax_2", VIEW_MINMAX, 2, kMinMaxOnePath},
                      VisibilityCase{"minmax_3", VIEW_MINMAX, 3, kMinMaxThreeWire},
                      VisibilityCase{"minmax_4", VIEW_MINMAX, 4, AllBut(37, {0, 7, 11, 28})},
                      VisibilityCase{"mean_0", VIEW_MEAN, 0, AllBut(15, {})},
                      VisibilityCase{"mean_3", VIEW_MEAN, 3, AllBut(15, {})},
                      VisibilityCase{"mean_4", VIEW_MEAN, 4, AllBut(15, {})},
                      VisibilityCase{"unknown_type", VIEW_MEAS, 7, {}}),
    [](const auto &info) { return std::string(info.param.name); });

// Rows that share a field are never shown together, and every field shows one row at most.
TEST(Visibility, SharedFieldsShowOneRowAtATime) {
    for (int view = 0; view < VIEW_COUNT; ++view)
        for (int system = 0; system <= 4; ++system) {
            std::set<int> fields;
            for (int row : ShownFor(view, system))
                EXPECT_TRUE(fields.insert(ViewTable(view).rows[row].control).second)
                    << "view " << view << " type " << system << " row " << row;
        }
}

// ---- read-outs ----------------------------------------------------------------------------------

TEST(Readout, LinesNameCaptionTextUnitAndMark) {
    SetLese(1, 400, 500, 400, 400, 5, 5);
    InitAnzeige();
    for (float &v : Measurands) v = 0.0f;
    Measurands[0] = 398.24f;
    Measurands[7] = 2.5f;
    Measurands[11] = 2.45f;
    Measurands[19] = 1500.0f;
    Measurands[23] = 1e31f;
    Measurands[27] = 1700.0f;
    Measurands[28] = 44.0f;
    Measurands[32] = 0.882f;
    DisplayText texts[40];
    FormatViewValues(VIEW_MEAS, 1, texts);
    char out[1024];
    ReadoutText(VIEW_MEAS, texts, out, sizeof out);
    EXPECT_STREQ(out, "U\t398.2\tV\n"
                      "I\t2.500\tA\n"
                      "Iavg\t2.450\tA\n"
                      "P\t1.500\tkW\n"
                      "Q\tOVL\tkvar\t!\n"
                      "S\t1.700\tkVA\n"
                      "f\t< 45\tHz\t!\n"
                      "PF\t0.882\t\n");
    FormatViewValues(VIEW_MEAS, 0, texts);
    ReadoutText(VIEW_MEAS, texts, out, sizeof out);
    EXPECT_EQ(std::string(out).substr(0, 12), "U\t-----\tV\t!\n");
    // A line that does not fit is left out whole.
    char small[20];
    ReadoutText(VIEW_MEAS, texts, small, sizeof small);
    EXPECT_STREQ(small, "U\t-----\tV\t!\n");
}

TEST(Readout, BaseValuesOfRecordings) {
    struct {
        float x;
        const char *text;
    } cases[] = {{230.5f, "230.5"}, {-0.25f, "-0.25"}, {1e31f, "OVL"},
                 {-1e31f, "OVL"},   {kNaN, "OVL"},     {1234567.f, "1234567"}};
    for (const auto &c : cases) {
        char out[32];
        BaseValueText(c.x, out, sizeof out);
        EXPECT_STREQ(out, c.text) << c.x;
    }
}

} // namespace

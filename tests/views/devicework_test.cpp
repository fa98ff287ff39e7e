// The meters' scale and presets, the logger's plan, time stamps, brackets, lines and export
// file, and the simulation's command words and restore rules: worked values, no instrument.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "../filetext.h"
#include "config/commands.h"
#include "config/record.h"
#include "views/display.h"
#include "views/logger.h"
#include "views/meters.h"
#include "views/simulation.h"

namespace {

// ---- meters ---------------------------------------------------------------------------------

struct ScaleCase {
    int s;
    int prefix, decimals;
    double maximum;
    const char *active, *reactive;
    uint32_t count;
    const char *shown;
};

class MeterScale : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(MeterScale, PrefixDecimalsMaximumAndReading) {
    const ScaleCase &c = GetParam();
    MeterScaleInfo m = MeterScaleOf(c.s);
    EXPECT_EQ(m.prefix, c.prefix);
    EXPECT_EQ(m.decimals, c.decimals);
    EXPECT_DOUBLE_EQ(m.maximum, c.maximum);
    EXPECT_STREQ(MeterUnit(0, m.prefix), c.active);
    EXPECT_STREQ(MeterUnit(3, m.prefix), c.active);
    EXPECT_STREQ(MeterUnit(4, m.prefix), c.reactive);
    EXPECT_STREQ(MeterUnit(7, m.prefix), c.reactive);
    char text[40];
    FormatMeterReading(c.count, m, text, sizeof text);
    EXPECT_STREQ(text, c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Scales, MeterScale,
    ::testing::Values(ScaleCase{0, 0, 0, 99999999.0, "Wh", "varh", 12345, "12345"},
                      ScaleCase{2, 1, 1, 9999999.9, "kWh", "kvarh", 12345, "1234.5"},
                      ScaleCase{-3, 0, 3, 99999.999, "Wh", "varh", 12345, "12.345"},
                      ScaleCase{-2, 0, 2, 999999.99, "Wh", "varh", 5, "0.05"},
                      ScaleCase{1, 1, 2, 999999.99, "kWh", "kvarh", 12345, "123.45"},
                      ScaleCase{3, 1, 0, 99999999.0, "kWh", "kvarh", 7, "7"},
                      ScaleCase{4, 2, 2, 999999.99, "MWh", "Mvarh", 12345, "123.45"},
                      ScaleCase{9, 3, 0, 99999999.0, "GWh", "Gvarh", 42, "42"},
                      // Beyond GWh the prefix stays and the count is multiplied.
                      ScaleCase{10, 3, 0, 99999999.0, "GWh", "Gvarh", 42, "420"},
                      // The largest count never shows negative.
                      ScaleCase{0, 0, 0, 99999999.0, "Wh", "varh", 4294967295u, "4294967295"},
                      ScaleCase{2, 1, 1, 9999999.9, "kWh", "kvarh", 4294967295u, "429496729.5"}),
    [](const auto &info) {
        return "s" + std::string(info.param.s < 0 ? "minus" : "") +
               std::to_string(std::abs(info.param.s)) + "_" + std::to_string(info.index);
    });

struct PresetCase {
    const char *name;
    int s;
    double reading;
    int accepted;
    uint32_t count;
};

class MeterPreset : public ::testing::TestWithParam<PresetCase> {};

TEST_P(MeterPreset, ReadingBecomesCountOrIsRefused) {
    const PresetCase &c = GetParam();
    uint32_t count = 0xDEADBEEF;
    EXPECT_EQ(PresetCount(c.reading, MeterScaleOf(c.s), &count), c.accepted);
    if (c.accepted)
        EXPECT_EQ(count, c.count);
    else
        EXPECT_EQ(count, 0xDEADBEEFu) << "nothing to write";
}

INSTANTIATE_TEST_SUITE_P(Presets, MeterPreset,
                         ::testing::Values(PresetCase{"factor10", 2, 1234.5, 1, 12345},
                                           PresetCase{"whole", 0, 99999999.0, 1, 99999999},
                                           PresetCase{"towardZero", 2, 1234.56, 1, 12345},
                                           PresetCase{"noFloatShortfall", 1, 2.3, 1, 230},
                                           PresetCase{"noFloatShortfall3", -3, 1.001, 1, 1001},
                                           PresetCase{"zero", 4, 0.0, 1, 0},
                                           PresetCase{"aboveMaximum", 2, 10000000.0, 0, 0},
                                           PresetCase{"negative", 0, -1.0, 0, 0},
                                           PresetCase{"notANumber", 0, std::nan(""), 0, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(MeterSession, CountsWhatTheMetersMovedOnAcrossWrapsAndResets) {
    MeterSession s;
    MeterSessionStart(&s);
    uint32_t counts[kMeterCount] = {100, 4294967290u, 50, 0, 0, 0, 0, 0};
    MeterSessionRead(&s, counts);
    EXPECT_EQ(s.since[0], 0u) << "the first read only sets the start";
    counts[0] = 130;
    counts[1] = 4; // wrapped past the largest count: 10 more
    MeterSessionRead(&s, counts);
    EXPECT_EQ(s.since[0], 30u);
    EXPECT_EQ(s.since[1], 10u);
    MeterSessionRebase(&s, 0x01 | 0x04);
    counts[0] = 0;    // reset
    counts[2] = 5000; // preset
    MeterSessionRead(&s, counts);
    EXPECT_EQ(s.since[0], 30u) << "a reset keeps what was counted";
    EXPECT_EQ(s.since[2], 0u) << "a preset is no energy";
    counts[0] = 7;
    counts[2] = 5003;
    MeterSessionRead(&s, counts);
    EXPECT_EQ(s.since[0], 37u);
    EXPECT_EQ(s.since[2], 3u);
}

TEST(MeterRate, BitTwoOfTheStatusWord) {
    const int cases[][2] = {{0x0000, 1}, {0x0004, 2}, {0x6004, 2}, {0x6003, 1}, {-1, 2}};
    for (const auto &c : cases) EXPECT_EQ(ActiveRate(c[0]), c[1]) << std::hex << c[0];
}

// ---- logger ---------------------------------------------------------------------------------

struct PlanCase {
    const char *name;
    int stored, records, channels;
    std::vector<std::pair<int, int>> blocks; // start, count
};

class LoggerPlan : public ::testing::TestWithParam<PlanCase> {};

TEST_P(LoggerPlan, BlocksFromTheEndTowardsTheStart) {
    const PlanCase &c = GetParam();
    LoggerBlock blocks[200];
    int n = PlanLoggerBlocks(c.stored, c.records, c.channels, blocks, 200);
    std::vector<std::pair<int, int>> got;
    for (int k = 0; k < n; ++k) got.emplace_back(blocks[k].start, blocks[k].count);
    EXPECT_EQ(got, c.blocks);
}

INSTANTIATE_TEST_SUITE_P(
    Plans, LoggerPlan,
    ::testing::Values(PlanCase{"twoChannels50", 100, 50, 2, {{1079, 120}, {999, 80}}},
                      PlanCase{"oneChannel30", 30, 30, 1, {{999, 60}}},
                      PlanCase{"newestTenOf30", 30, 10, 1, {{1039, 20}}},
                      PlanCase{"exactly120", 60, 60, 1, {{999, 120}}},
                      PlanCase{"oneMore", 61, 61, 1, {{1001, 120}, {999, 2}}},
                      PlanCase{"fullMemory", 4000, 2000, 2,
                               [] {
                                   std::vector<std::pair<int, int>> b;
                                   int start = 2 * 4000 + 999;
                                   for (int left = 8000; left > 0; left -= 120) {
                                       int c = left < 120 ? left : 120;
                                       start -= c;
                                       b.emplace_back(start, c);
                                   }
                                   return b;
                               }()},
                      PlanCase{"moreThanStored", 10, 20, 1, {}},
                      PlanCase{"noChannel", 100, 50, 0, {}}, PlanCase{"empty", 0, 0, 2, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(LoggerPlan, EveryRegisterReadOnceAndNoneOutsideTheRecords) {
    for (int stored : {1, 2, 59, 60, 61, 119, 120, 121, 1000, 3999, 4000})
        for (int channels : {1, 2}) {
            int records = stored / channels;
            LoggerBlock blocks[200];
            int n = PlanLoggerBlocks(stored, records, channels, blocks, 200);
            int next = 2 * stored + 999;
            for (int k = 0; k < n; ++k) {
                EXPECT_EQ(blocks[k].start + blocks[k].count, next) << stored << "/" << channels;
                EXPECT_LE(blocks[k].count, 120);
                next = blocks[k].start;
            }
            EXPECT_EQ(next, 2 * (stored - records * channels) + 999) << stored << "/" << channels;
        }
}

struct CountsCase {
    unsigned loggerWord;
    int stored, channels, records;
    int asks, modeItem;
};

TEST(LoggerStatus, ChannelsRecordsAndMode) {
    const CountsCase cases[] = {
        {0x0C00, 100, 2, 50, 0, 1}, {0x0800, 30, 1, 30, 0, 1}, {0x0400, 31, 1, 31, 0, 1},
        {0x0D00, 101, 2, 50, 1, 1}, {0x0F00, 8, 2, 4, 0, 2},   {0x0600, 8, 1, 8, 0, 2},
        {0x0000, 8, 0, 0, 0, 1},
    };
    for (const CountsCase &c : cases) {
        Log[1] = static_cast<uint16_t>(c.stored);
        UpdateLoggerCounts(c.loggerWord);
        EXPECT_EQ(Log[13], c.channels) << std::hex << c.loggerWord;
        EXPECT_EQ(Log[12], c.records) << std::hex << c.loggerWord;
        EXPECT_EQ(AsksNewestTime(c.loggerWord), c.asks) << std::hex << c.loggerWord;
        EXPECT_EQ(LoggerModeItem(c.loggerWord), c.modeItem) << std::hex << c.loggerWord;
    }
}

TEST(LoggerStatus, IntervalsAndSpans) {
    struct {
        unsigned energyControl;
        int seconds;
    } intervals[] = {{15, 900}, {0x40 | 15, 900}, {0x80 | 15, 0}, {0, 0}, {63, 3780}};
    for (const auto &c : intervals)
        EXPECT_EQ(ConfiguredInterval(c.energyControl), c.seconds) << c.energyControl;

    struct {
        int seconds, records;
        const char *interval, *span;
    } spans[] = {
        {900, 96, "15:00", "01:00:00"},    {900, 0, "15:00", "00:00:00"},
        {3780, 2000, "63:00", "87:12:00"}, {30, 10, "00:30", "00:00:05"},
        {61, 60, "01:01", "00:01:01"},     {900, 1, "15:00", "00:00:15"},
    };
    for (const auto &c : spans) {
        char text[32];
        IntervalText(c.seconds, text, sizeof text);
        EXPECT_STREQ(text, c.interval);
        SpanText(c.seconds, c.records, text, sizeof text);
        EXPECT_STREQ(text, c.span) << c.seconds << " x " << c.records;
    }
    // One second a record, entered as 0 minutes 1 second, keeps its second.
    SetLoggerInterval(1);
    EXPECT_EQ(timeoffset, 1);
    EXPECT_NEAR(Sync_Int, 1.0 / 60, 1e-7);
}

class LoggerTime : public ::testing::Test {
  protected:
    void SetUp() override {
        const char *tz = getenv("TZ");
        oldTz_ = tz ? tz : "";
        hadTz_ = tz != nullptr;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override {
        if (hadTz_)
            setenv("TZ", oldTz_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    std::string oldTz_;
    bool hadTz_ = false;
};

TEST_F(LoggerTime, StampsRoundingAndDates) {
    long long t = LocalTime(2026, 3, 14, 15, 45, 0);
    ASSERT_GT(t, 0);
    char text[40];
    TimeStampText(t, text, sizeof text);
    EXPECT_STREQ(text, "14.03.26  15:45:00");
    EXPECT_EQ(RoundDownToInterval(t + 899, 900), t);
    EXPECT_EQ(RoundDownToInterval(t + 900, 900), t + 900);
    EXPECT_EQ(RoundDownToInterval(t + 7, 0), t + 7);
    EXPECT_EQ(LocalTime(2026, 2, 31, 0, 0, 0), -1) << "no such day";
    EXPECT_EQ(LocalTime(2026, 13, 1, 0, 0, 0), -1);
    EXPECT_EQ(LocalTime(2026, 1, 1, 24, 0, 0), -1);
    TimeStampText(LocalTime(2099, 12, 31, 23, 59, 59), text, sizeof text);
    EXPECT_STREQ(text, "31.12.99  23:59:59");
}

// Display tables as InitAnzeige leaves them for a 4330 W instrument.
void KilowattTables() {
    for (float &s : Skalierung) s = 1.0f;
    Skalierung[GROUP_ACTIVE] = Skalierung[GROUP_REACTIVE] = 1000.0f;
    std::strcpy(Einh[GROUP_ACTIVE], "[kW]");
    std::strcpy(Einh[GROUP_REACTIVE], "[kvar]");
}

TEST_F(LoggerTime, OneChannelLinesNewestFirstWithRegisterNumbers) {
    KilowattTables();
    float values[60];
    for (int k = 0; k < 60; ++k) values[k] = 1000.0f * static_cast<float>(k);
    uint16_t status[16] = {};
    long long newest = LocalTime(2026, 3, 14, 15, 45, 0);
    LoggerCursor cursor{newest, 900, 0};
    LoggerLine lines[30];
    int n = ListLoggerBlock(LoggerBlock{999, 60}, values, kLoggerActive, status, &cursor, lines);
    ASSERT_EQ(n, 30);
    EXPECT_EQ(lines[0].address, 1058);
    EXPECT_EQ(lines[29].address, 1000);
    EXPECT_STREQ(lines[0].screen, " 1058:   14.03.26  15:45:00       29.00 [kW]    - OK -");
    EXPECT_STREQ(lines[0].file, " 1058\t 14.03.26  15:45:00 \t  29.00\t[kW]\t- OK -\t");
    EXPECT_STREQ(lines[1].screen, " 1056:   14.03.26  15:30:00       28.00 [kW]    - OK -");
    EXPECT_EQ(lines[29].time, newest - 29 * 900);
    EXPECT_EQ(cursor.time, newest - 30 * 900) << "the next block goes on one interval earlier";

    // The reactive channel alone is labelled and scaled as reactive power.
    LoggerCursor again{newest, 900, 0};
    n = ListLoggerBlock(LoggerBlock{999, 2}, values, kLoggerReactive, status, &again, lines);
    ASSERT_EQ(n, 1);
    EXPECT_STREQ(lines[0].screen, " 1000:   14.03.26  15:45:00        0.00 [kvar]    - OK -");
}

TEST_F(LoggerTime, FailedRecordBracketsItsStampAndEveryOlderOne) {
    KilowattTables();
    float values[60];
    for (int k = 0; k < 60; ++k) values[k] = 500.0f * static_cast<float>(k);
    uint16_t status[16] = {};
    // Two channels: record r has its active value at 1079 + 4r and its reactive value at
    // 1081 + 4r; the instrument lists the second register of a value.
    status[2] = 1079 + 4 * 20 + 3; // reactive value of record 20 failed
    long long newest = LocalTime(2026, 3, 14, 12, 0, 0);
    LoggerCursor cursor{newest, 900, 0};
    LoggerLine lines[30];
    int n = ListLoggerBlock(LoggerBlock{1079, 120}, values, kLoggerActive | kLoggerReactive, status,
                            &cursor, lines);
    ASSERT_EQ(n, 30);
    EXPECT_EQ(lines[0].address, 1079 + 4 * 29 + 1);
    EXPECT_STREQ(lines[0].screen,
                 " 1196:   14.03.26  12:00:00     29.00[kW]    29.50[kvar]    - OK -");
    EXPECT_STREQ(lines[0].file,
                 " 1196\t 14.03.26  12:00:00 \t  29.00\t[kW]\t  29.50\t[kvar]\t- OK -\t");
    for (int k = 0; k < 30; ++k) {
        int record = 29 - k;
        EXPECT_EQ(lines[k].failed, record == 20) << k;
        EXPECT_EQ(lines[k].bracketed, record <= 20) << k;
    }
    EXPECT_STREQ(lines[9].screen,
                 " 1160:  (14.03.26  09:45:00)    20.00[kW]    20.50[kvar]    FAILED");
    EXPECT_STREQ(lines[10].screen,
                 " 1156:  (14.03.26  09:30:00)    19.00[kW]    19.50[kvar]    - OK -");
    EXPECT_EQ(cursor.bracketed, 1) << "the brackets go on into the next block";

    // The active value's register counts as well.
    status[2] = 1079 + 4 * 29 + 1;
    LoggerCursor fresh{newest, 900, 0};
    ListLoggerBlock(LoggerBlock{1079, 120}, values, kLoggerActive | kLoggerReactive, status, &fresh,
                    lines);
    EXPECT_EQ(lines[0].failed, 1);
    EXPECT_EQ(std::string(lines[0].screen).substr(std::strlen(lines[0].screen) - 10), "    FAILED");
}

TEST(LoggerSeries, OldestFirstWithFailedRecordsAsGaps) {
    LoggerSeries series{};
    LoggerSeriesClear(&series, 2);
    for (int k = 0; k < 600; ++k) { // beyond the first allocation
        LoggerLine l{};
        l.time = 10000 - 60 * k; // newest first, as downloaded
        l.channels = 2;
        l.failed = k == 3;
        l.value[0] = k;
        l.value[1] = -k;
        ASSERT_EQ(LoggerSeriesAdd(&series, l), 1);
    }
    ASSERT_EQ(series.count, 600);
    EXPECT_EQ(LoggerSeriesAt(series, 0).time, 10000 - 60 * 599);
    EXPECT_EQ(LoggerSeriesAt(series, 599).time, 10000);
    EXPECT_TRUE(std::isnan(LoggerSeriesAt(series, 596).value[0]));
    EXPECT_TRUE(std::isnan(LoggerSeriesAt(series, 596).value[1]));
    double lo = 0, hi = 0;
    ASSERT_EQ(LoggerSeriesRange(series, 1, &lo, &hi), 1);
    EXPECT_DOUBLE_EQ(lo, -599);
    EXPECT_DOUBLE_EQ(hi, 0);
    LoggerSeriesClear(&series, 1);
    EXPECT_EQ(LoggerSeriesRange(series, 0, &lo, &hi), 0) << "nothing to range over";
    LoggerLine flat{};
    flat.channels = 1;
    flat.value[0] = 2.0;
    LoggerSeriesAdd(&series, flat);
    ASSERT_EQ(LoggerSeriesRange(series, 0, &lo, &hi), 1);
    EXPECT_LT(lo, 2.0) << "a flat line still has a range";
    EXPECT_GT(hi, 2.0);
    EXPECT_TRUE(std::isnan(LoggerSeriesAt(series, 0).value[1])) << "no second channel";
    LoggerSeriesFree(&series);
    EXPECT_EQ(series.points, nullptr);
}

// ---- export file ----------------------------------------------------------------------------

TEST(LoggerExport, CommitsWholeLinesAndAFailedOpenChangesNothing) {
    char pattern[] = "/tmp/kr7m-logexport-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::string dir = pattern;
    std::string path = dir + "/log.txt";
    Spit(path, "old contents\r\n");

    LoggerExport ex;
    ASSERT_EQ(LoggerExportOpen(&ex, path.c_str()), 1);
    LoggerExportLine(&ex, " 1000\t a \t");
    LoggerExportLine(&ex, "  998\t b \t");
    EXPECT_EQ(Slurp(path), "old contents\r\n") << "replaced only at the end";
    ASSERT_EQ(LoggerExportCommit(&ex), 1);
    EXPECT_EQ(Slurp(path), " 1000\t a \t\r\n  998\t b \t\r\n");

    ASSERT_EQ(LoggerExportOpen(&ex, path.c_str()), 1);
    LoggerExportLine(&ex, "half");
    LoggerExportAbandon(&ex);
    EXPECT_EQ(Slurp(path), " 1000\t a \t\r\n  998\t b \t\r\n");

    EXPECT_EQ(LoggerExportOpen(&ex, ""), 0);
    EXPECT_NE(ex.error[0], '\0');
    EXPECT_EQ(LoggerExportOpen(&ex, (dir + "/missing/log.txt").c_str()), 0);
    EXPECT_NE(std::string(ex.error).find("missing"), std::string::npos) << ex.error;
    std::string cmd = "rm -rf '" + dir + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
}

// ---- simulation -----------------------------------------------------------------------------

struct SwitchCase {
    int button, value;
    uint16_t word;
    int partner;
};

TEST(Simulation, SwitchButtonsSendOneOutputsNewState) {
    const SwitchCase cases[] = {
        {SIM_OUT1_ON, 1, 0x2100, 0},  {SIM_OUT1_ON, 0, 0x0100, 1},  {SIM_OUT1_OFF, 1, 0x0100, 0},
        {SIM_OUT1_OFF, 0, 0x2100, 1}, {SIM_OUT2_ON, 1, 0x4200, 0},  {SIM_OUT2_ON, 0, 0x0200, 1},
        {SIM_OUT2_OFF, 1, 0x0200, 0}, {SIM_OUT2_OFF, 0, 0x4200, 1},
    };
    for (const SwitchCase &c : cases) {
        int partner = -1;
        EXPECT_EQ(SwitchCommandWord(c.button, c.value, &partner), c.word)
            << c.button << "/" << c.value;
        EXPECT_EQ(partner, c.partner) << c.button << "/" << c.value;
    }
}

struct ManualCase {
    const char *name;
    uint8_t digOut[2];
    unsigned changed;
    uint8_t during[2];
};

class ManualMode : public ::testing::TestWithParam<ManualCase> {};

TEST_P(ManualMode, SetForTheOutputsLackingItAndTakenBackFromExactlyThose) {
    const ManualCase &c = GetParam();
    record r;
    std::memset(&r, 0, sizeof r);
    r.DigOut[0] = c.digOut[0];
    r.DigOut[1] = c.digOut[1];
    r.Image = 0x5A;
    r.EnergyControl = 0x4F;
    ModifiedOutputs[0] = ModifiedOutputs[1] = 1; // left from an earlier opening
    EXPECT_EQ(OutputsNotManual(&r), c.changed);
    EXPECT_EQ(SetManualMode(&r), c.changed);
    EXPECT_EQ(ModifiedOutputs[0], static_cast<int>(c.changed & 1));
    EXPECT_EQ(ModifiedOutputs[1], static_cast<int>(c.changed >> 1));
    EXPECT_EQ(r.DigOut[0], c.during[0]);
    EXPECT_EQ(r.DigOut[1], c.during[1]);
    EXPECT_EQ(ClearManualMode(&r), c.changed);
    EXPECT_EQ(r.DigOut[0], c.digOut[0]);
    EXPECT_EQ(r.DigOut[1], c.digOut[1]);
    EXPECT_EQ(r.Image, 0x5A);
    EXPECT_EQ(r.EnergyControl, 0x4F);
}

INSTANTIATE_TEST_SUITE_P(Outputs, ManualMode,
                         ::testing::Values(ManualCase{"neither", {0x03, 0x02}, 3, {0x83, 0x82}},
                                           ManualCase{"onlyOutput2", {0x80, 0x03}, 2, {0x80, 0x83}},
                                           ManualCase{"onlyOutput1", {0x43, 0xC0}, 1, {0xC3, 0xC0}},
                                           ManualCase{"both", {0x80, 0xFF}, 0, {0x80, 0xFF}}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace

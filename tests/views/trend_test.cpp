// The instantaneous view's trend history: the ring of reads and the values a trend draws.
#include <gtest/gtest.h>

#include <cmath>

#include "views/display.h"
#include "views/trend.h"
#include "views/viewtables.h"

namespace {

TEST(Trend, DrawsNumbersAndLeavesGapsForMarks) {
    struct Case {
        float x;
        int group;
        double drawn; // NAN: a gap
    } cases[] = {
        {230.5f, GROUP_VOLTAGE, 230.5},   {-1500.0f, GROUP_ACTIVE, -1500.0},
        {44.2f, GROUP_FREQUENCY, 44.2f}, // "< 45" is marked but still a measured value
        {1e31f, GROUP_CURRENT, NAN},     // overflow
        {NAN, GROUP_APPARENT, NAN},       {1.0001f, GROUP_POWERFACTOR, NAN},
        {-1.0f, GROUP_POWERFACTOR, -1.0},
    };
    for (const Case &c : cases) {
        double v = TrendValue(c.x, c.group);
        if (std::isnan(c.drawn))
            EXPECT_TRUE(std::isnan(v)) << c.x;
        else
            EXPECT_DOUBLE_EQ(v, c.drawn) << c.x;
    }
}

TEST(Trend, KeepsTheLastReadsOldestFirst) {
    static TrendHistory h;
    TrendClear(&h);
    float values[kTrendValues];
    const int rows[3] = {0, 28, -1}; // U, f, none
    double out[3];
    EXPECT_EQ(TrendRead(&h, 0, rows, 3, out, nullptr, nullptr), 0);
    const int total = kTrendReads + 7;
    for (int k = 0; k < total; ++k) {
        for (int i = 0; i < kTrendValues; ++i) values[i] = static_cast<float>(k * 100 + i);
        bool failed = k % 50 == 3;
        TrendAdd(&h, 1000 + 2 * k, !failed, failed ? nullptr : values, kTrendValues);
    }
    ASSERT_EQ(h.count, kTrendReads);
    struct Case {
        int index; // counted from the oldest kept
        int read;  // the read it is
        bool failed;
    } cases[] = {{0, 7, false}, {46, 53, true}, {kTrendReads - 1, total - 1, false}};
    for (const Case &c : cases) {
        long long when = 0;
        int ok = -1;
        ASSERT_EQ(TrendRead(&h, c.index, rows, 3, out, &when, &ok), 1);
        EXPECT_EQ(when, 1000 + 2 * c.read);
        EXPECT_EQ(ok, c.failed ? 0 : 1);
        if (c.failed) {
            EXPECT_TRUE(std::isnan(out[0]) && std::isnan(out[1]));
        } else {
            EXPECT_EQ(out[0], c.read * 100);
            EXPECT_EQ(out[1], c.read * 100 + 28);
        }
        EXPECT_TRUE(std::isnan(out[2])) << "no quantity picked";
    }
    EXPECT_EQ(TrendRead(&h, kTrendReads, rows, 3, out, nullptr, nullptr), 0);
    // A read of fewer values leaves the rest as gaps.
    TrendAdd(&h, 5000, 1, values, 10);
    const int high[1] = {28};
    ASSERT_EQ(TrendRead(&h, kTrendReads - 1, high, 1, out, nullptr, nullptr), 1);
    EXPECT_TRUE(std::isnan(out[0]));
}

} // namespace

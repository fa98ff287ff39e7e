// Values of a configuration outside what the instrument and the panel accept are brought into
// range and named; values inside are left exactly as they are.
#include "config/ranges.h"
#include "config/record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

// A 5 A, 500 V instrument with the option module, as a new configuration has it, with output 1
// a limit output on the active power (code 4) and output 2 a pulse output.
void Baseline() {
    Konf = record{};
    Konf.Module = 1;
    Konf.RatedI = 500;
    Konf.RatedU = 500;
    InitNeueDatei();
    Konf.DigOut[0] = 4;
    Konf.DigOut[1] = 64;
}

struct Case {
    const char *name;
    std::function<void()> spoil;
    const char *field; // nullptr: nothing is out of range
    double now;
};

const Case kCases[] = {
    {"a new configuration", [] {}, nullptr, 0},
    {"negative primary voltage", [] { Konf.UrPrim = -5; }, "voltage transformer primary", 500},
    {"zero primary voltage", [] { Konf.UrPrim = 0; }, "voltage transformer primary", 500},
    {"primary beyond the kV field", [] { Konf.UrPrim = 2e9f; }, "voltage transformer primary", 500},
    {"the largest primary", [] { Konf.UrPrim = 999999e3f; }, nullptr, 0},
    {"not a number", [] { Konf.IrPrim = NAN; }, "current transformer primary", 5},
    {"zero secondary voltage", [] { Konf.UrSec = 0; }, "voltage transformer secondary", 500},
    {"secondary current of 200 A", [] { Konf.IrSec = 200; }, "current transformer secondary", 5},
    {"rated current code 300", [] { Konf.RatedI = 300; }, "rated current code", 500},
    {"connection type 9", [] { Konf.System = 9; }, "connection type", 0},
    {"unknown output code", [] { Konf.DigOut[0] = 40; }, "output 1 function code", 128},
    {"pulse code past the metered quantities", [] { Konf.DigOut[1] = 100; },
     "output 2 function code", 128},
    {"zero pulse rate", [] { Konf.PulsRate[1] = 0; }, "output 2 pulse rate", 100},
    {"a pulse rate of an unused output is no matter",
     [] {
         Konf.DigOut[1] = 128;
         Konf.PulsRate[1] = 0;
     },
     nullptr, 0},
    {"address 0", [] { Konf.DevAddr = 0; }, "instrument address", 247},
    {"baud index 6", [] { Konf.DevBaud = 6; }, "instrument baud rate and parity code", -1},
    {"brightness 20", [] { Konf.Display = 20; }, "display brightness", 8},
};

TEST(Ranges, OutOfRangeFieldsAreNamedAndCorrected) {
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        Baseline();
        c.spoil();
        std::vector<RangeFix> fixes = BringIntoRange();
        if (!c.field) {
            EXPECT_TRUE(fixes.empty()) << DescribeFixes(fixes);
            continue;
        }
        ASSERT_EQ(fixes.size(), 1u) << DescribeFixes(fixes);
        EXPECT_EQ(fixes[0].field, c.field);
        if (c.now >= 0) {
            EXPECT_DOUBLE_EQ(fixes[0].now, c.now);
        }
        EXPECT_TRUE(BringIntoRange().empty()) << "corrected values are in range";
    }
}

// A limit beyond its range goes to the nearest end of it, in stored steps.
TEST(Ranges, LimitsGoToTheNearestEndOfTheirRange) {
    Baseline();
    double lo = 0, hi = 0;
    LimitRange(0, &lo, &hi);
    const double step = LimitStep(0);
    ASSERT_GT(step, 0);
    ASSERT_LT(lo, 0) << "active power flows both ways";
    Konf.LimOn[0] = 32767;
    Konf.LimOff[0] = -32768;
    std::vector<RangeFix> fixes = BringIntoRange();
    ASSERT_EQ(fixes.size(), 2u) << DescribeFixes(fixes);
    EXPECT_EQ(fixes[0].field, "output 1 switch-on limit");
    EXPECT_LE(Konf.LimOn[0] * step, hi + 1e-9);
    EXPECT_GT((Konf.LimOn[0] + 1) * step, hi);
    EXPECT_EQ(fixes[1].field, "output 1 switch-off limit");
    EXPECT_GE(Konf.LimOff[0] * step, lo - 1e-9);
    EXPECT_EQ(DescribeFixes(fixes).find("output 1 switch-on limit: "), 0u);
    EXPECT_NE(DescribeFixes(fixes).find("; output 1 switch-off limit: "), std::string::npos);
}

} // namespace

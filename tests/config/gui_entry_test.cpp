// Showing and entering values at the resolution the record holds: limits to one stored step,
// transformer primaries to the volt, and choice lists that cannot show a stored value.
#include "gui_fixture.h"

#include "config/configfile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace {

// One stored limit unit of output 1 in the unit its fields show, by the definition of the
// limit units (not by the panel's own helper).
double LimitUnitOf(int code) {
    return Messgr100(0, 0) / KorrEinh(0) / (code == 12 ? 5000.0 : 10000.0);
}

TEST_F(PanelTest, LimitsShowAndTakeEveryStoredStep) {
    struct Case {
        const char *name;
        float urPrim;
        int urSec;
        float irPrim, irSec;
        int system, code;
        int digits;          // shown after the point
        int16_t sample;      // a stored limit and
        const char *shownAs; // how it shows
    } cases[] = {
        {"100 kV primary, line-to-line voltage", 100000, 500, 5, 5, 4, 2, 2, 7488, "74.88"},
        {"range end above the primary", 20000, 100, 5, 5, 4, 2, 2, 8320, "83.20"},
        {"line-to-neutral voltage", 100000, 500, 5, 5, 4, 3, 3, 7488, "43.232"},
        {"current", 5, 5, 5, 5, 4, 0, 4, 8000, "4.0000"},
        {"current transformer 1500 A", 5, 5, 1500, 5, 4, 0, 4, 3334, "0.5001"},
        {"active power per phase", 500, 500, 1500, 5, 4, 4, 2, -2500, "-108.25"},
        {"reactive power, system", 20000, 100, 100, 5, 1, 9, 3, 4000, "6.928"},
        {"power factor", 500, 500, 5, 5, 4, 7, 4, -2900, "-0.2900"},
        {"frequency", 500, 500, 5, 5, 4, 12, 2, 4516, "45.16"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Konf.UrPrim = c.urPrim;
        Konf.UrSec = static_cast<uint16_t>(c.urSec);
        Konf.IrPrim = c.irPrim;
        Konf.IrSec = c.irSec;
        Konf.System = static_cast<uint8_t>(c.system);
        Konf.DigOut[0] = static_cast<uint8_t>(c.code);
        Konf.LimOn[0] = c.sample;
        Present();
        EXPECT_EQ(Text(PANEL_LIMON1), c.shownAs);
        int digits = -1;
        GetCtrlAttribute(MainPanel, PANEL_LIMON1, ATTR_PRECISION, &digits);
        EXPECT_EQ(digits, c.digits);

        // Every limit the field's range holds: its text, typed into the field, stores it again,
        // and committing it unchanged keeps it.
        double lo = 0, hi = 0;
        GetCtrlAttribute(MainPanel, PANEL_LIMON1, ATTR_MIN_VALUE, &lo);
        GetCtrlAttribute(MainPanel, PANEL_LIMON1, ATTR_MAX_VALUE, &hi);
        const double unit = LimitUnitOf(c.code);
        const int first = static_cast<int>(std::ceil(lo / unit - 1e-9));
        const int last = static_cast<int>(std::floor(hi / unit + 1e-9));
        std::vector<int> limits = {first, last};
        for (int k = -3; k <= 3; k++) limits.push_back(c.sample + k);
        const int stride = (last - first) / 100 + 1;
        for (int limit = first + 1; limit < last; limit += stride) limits.push_back(limit);
        int tried = 0, wrong = 0;
        for (int limit : limits) {
            if (wrong >= 5) break;
            Konf.LimOn[0] = static_cast<int16_t>(limit);
            ShowAll();
            const std::string shown = Text(PANEL_LIMON1);
            UserCommit(MainPanel, PANEL_LIMON1);
            if (Konf.LimOn[0] != limit) {
                ADD_FAILURE() << limit << " shown as " << shown << " commits as " << Konf.LimOn[0];
                wrong++;
            }
            Konf.LimOn[0] = static_cast<int16_t>(limit == first ? last : first);
            ShowAll();
            ASSERT_EQ(UserTypeText(MainPanel, PANEL_LIMON1, shown.c_str()), 0);
            if (Konf.LimOn[0] != limit) {
                ADD_FAILURE() << limit << " shown as " << shown << " typed stores "
                              << Konf.LimOn[0];
                wrong++;
            }
            tried++;
        }
        EXPECT_GT(tried, 50);
    }
}

TEST_F(PanelTest, TypedLimitsBetweenStepsAreCutToTheStepBelow) {
    struct Case {
        int code;
        const char *typed;
        int stored;
    } cases[] = {
        {12, "49.5", 4950},   {12, "45.16", 4516}, {0, "4", 8000},        {0, "0.0433", 86},
        {0, "0.0437", 87},    {7, "-0.29", -2900}, {7, "0.29", 2900},     {7, "0.9999", 9999},
        {0, "5.9991", 11998}, {0, "-0.0001", 0},   {8, "-1.0003", -2310}, {8, "1.0003", 2310},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        Konf.DigOut[0] = static_cast<uint8_t>(c.code);
        Konf.LimOff[0] = 1;
        Present();
        ASSERT_EQ(UserTypeText(MainPanel, PANEL_LIMOFF1, c.typed), 0);
        EXPECT_EQ(Konf.LimOff[0], c.stored);
    }
}

TEST_F(PanelTest, PrimariesShowWhatTheRecordHolds) {
    struct Case {
        const char *name;
        int valueCtrl, unitCtrl;
        float stored;
        const char *shown;
        int newUnit; // -1: type `typed` instead
        const char *typed;
        float after;
    } cases[] = {
        // A unit change reads the field back: it must read what the record held.
        {"12345 V in kilovolts, then volts", PANEL_UR_PRIM, PANEL_UR_UNIT, 12345, "12.345", 0, "",
         12300},
        {"12355 V", PANEL_UR_PRIM, PANEL_UR_UNIT, 12355, "12.355", 0, "", 12400},
        // Shown rounded up, but the field keeps the value itself.
        {"12349.6 V from a file", PANEL_UR_PRIM, PANEL_UR_UNIT, 12349.6f, "12.350", 0, "", 12300},
        {"999 V", PANEL_UR_PRIM, PANEL_UR_UNIT, 999, "999.000", 1, "", 999000},
        {"kilovolts typed to the volt", PANEL_UR_PRIM, PANEL_UR_UNIT, 400, "400.000", -1, "6.66",
         6660},
        {"12345 A, unit committed again", PANEL_IR_PRIM, PANEL_IR_UNIT, 12345, "12.345", 1, "",
         12300},
        {"amperes typed to the hundredth", PANEL_IR_PRIM, PANEL_IR_UNIT, 5, "5.000", -1, "2.55",
         2.55f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        (c.valueCtrl == PANEL_UR_PRIM ? Konf.UrPrim : Konf.IrPrim) = c.stored;
        Present();
        EXPECT_EQ(Text(c.valueCtrl), c.shown);
        if (c.newUnit >= 0) {
            ASSERT_EQ(SetCtrlVal(MainPanel, c.unitCtrl, c.newUnit), 0);
            UserCommit(MainPanel, c.unitCtrl);
        } else {
            ASSERT_EQ(UserTypeText(MainPanel, c.valueCtrl, c.typed), 0);
        }
        const float after = c.valueCtrl == PANEL_UR_PRIM ? Konf.UrPrim : Konf.IrPrim;
        EXPECT_FLOAT_EQ(after, c.after);
    }
}

TEST_F(PanelTest, ListsWithoutTheStoredValueShowNoEntry) {
    struct Case {
        const char *name;
        int module, system, digOut;
        int index; // selected entry of the source list, -1 for none
    } cases[] = {
        {"pulse quantity the short list lacks", 0, 4, 68, -1},
        {"the same with a unit", 0, 4, 70, -1},
        {"reactive quantity the short list lacks", 0, 4, 93, -1},
        {"pulse quantity the short list holds", 0, 4, 73, 1},
        {"the full list holds it", 1, 4, 70, 1},
        {"measurand the 3-wire list lacks", 1, 3, 4, -1},
        {"measurand the single-phase list lacks", 1, 0, 11, -1},
        {"measurand the 3-wire list holds", 1, 3, 5, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Konf.Module = static_cast<int16_t>(c.module);
        Konf.System = static_cast<uint8_t>(c.system);
        Konf.DigOut[0] = static_cast<uint8_t>(c.digOut);
        Konf.PulsRate[0] = 250;
        Present();
        int index = -2;
        GetCtrlIndex(MainPanel, PANEL_SOURCE1, &index);
        EXPECT_EQ(index, c.index);
        EXPECT_EQ(Konf.DigOut[0], c.digOut) << "the record keeps its value";
        if (c.digOut >= 64) {
            EXPECT_EQ(Int(PANEL_PULSRATE1), 250);
            EXPECT_EQ(Int(PANEL_PULSUNIT1), c.digOut % 4 + (c.digOut >= 80 ? 4 : 0));
        }
    }
    // Choosing an entry then works as always, and the pulse unit stays.
    Konf.Module = 0;
    Konf.DigOut[0] = 70;
    Present();
    Enter(PANEL_SOURCE1, 72);
    EXPECT_EQ(Konf.DigOut[0], 74);
}

TEST_F(PanelTest, SavingKeepsAConnectionTypeTheSelectorLacks) {
    char dir[] = "/tmp/kr7m-entry-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/odd.KR7";
    Konf.System = 7; // only a damaged or foreign file brings one
    Present();
    int index = -2;
    GetCtrlIndex(MainPanel, PANEL_SYSTEM, &index);
    EXPECT_EQ(index, -1);
    SetFileSelectAnswer(path.c_str());
    CmSaveToFile(0, 0, nullptr, MainPanel);
    record back = Konf;
    back.System = 0;
    ASSERT_EQ(OpenConfigFile(path.c_str(), &back), 1);
    EXPECT_EQ(back.System, 7);
    unlink(path.c_str());
    rmdir(dir);
}

} // namespace

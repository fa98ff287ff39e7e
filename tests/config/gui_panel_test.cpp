// The main panel's editors driven through the real panel: values are entered and committed as a
// user would, then the record and the controls are read back.
#include "gui_fixture.h"

#include <cmath>
#include <cstring>

#include "link/linksettings.h"

namespace {

// Commits a ring to a value even when the ring does not offer it at the moment (the editors
// must still do the right thing when the lists and the record disagree).
void EnterRingValue(int ring, int sourceList, int value) {
    int index = -1;
    if (GetIndexFromValue(MainPanel, ring, &index, value) < 0 || index < 0) {
        char label[256] = "";
        int count = 0, v = 0;
        GetNumListItems(MainPanel, sourceList, &count);
        for (int i = 0; i < count; i++) {
            GetValueFromIndex(MainPanel, sourceList, i, &v);
            if (v == value) {
                GetLabelFromIndex(MainPanel, sourceList, i, label, sizeof label);
                break;
            }
        }
        InsertListItem(MainPanel, ring, -1, label, value);
    }
    SetCtrlVal(MainPanel, ring, value);
    UserCommit(MainPanel, ring);
}

TEST_F(PanelTest, OnlyTheCommitEventActs) {
    struct Case {
        CtrlCallbackPtr fn;
        int control, value;
    } cases[] = {
        {CmSelSystem, PANEL_SYSTEM, 0},
        {CmUrPrim, PANEL_UR_PRIM, 20},
        {CmUrSec, PANEL_UR_SEC, 100},
        {CmIrPrim, PANEL_IR_PRIM, 50},
        {CmIrSec, PANEL_IR_SEC, 1},
        {CmVoltageInput, PANEL_NO_VT, 1},
        {CmCurrentInput, PANEL_NO_CT, 1},
        {CmReadDescr, PANEL_DESCR, 0},
        {CmSelDigOut, PANEL_FUNC1, 3},
        {CmSetSyncIntervall, PANEL_INTERVAL, 7},
        {CmSelSyncMode, PANEL_SYNC_MODE, 2},
        {CmSelHighLow, PANEL_TARIFF, 2},
        {CmSelLoggerMode, PANEL_LOG_MODE, 2},
        {CmSelLoggerMeas, PANEL_LOG_P, 1},
        {CmSelDeviceAddr, PANEL_DEV_ADDR, 9},
        {CmSelDevBaudrate, PANEL_DEV_BAUD, 0},
        {CmSelDevParity, PANEL_DEV_PARITY, 3},
    };
    const record before = Konf;
    for (const Case &c : cases) {
        SetCtrlVal(MainPanel, c.control, c.value);
        for (int event : {EVENT_VAL_CHANGED, EVENT_GOT_FOCUS, EVENT_LOST_FOCUS})
            EXPECT_EQ(c.fn(MainPanel, c.control, event, nullptr, 0, 0), 0);
        EXPECT_EQ(0, memcmp(&before, &Konf, sizeof Konf)) << "control " << c.control;
    }
    EXPECT_EQ(NoVoltageTransf + NoCurrentTransf, 0);
}

TEST_F(PanelTest, PrimaryRatingsAreRoundedAndShownWithTheirUnit) {
    struct Case {
        const char *name;
        int valueCtrl, unitCtrl;
        double entered;
        int unitBefore;
        float stored;
        int unitAfter;
        double shown;
    } cases[] = {
        {"20 V means 20 kV", PANEL_UR_PRIM, PANEL_UR_UNIT, 20, 0, 20000.0f, 1, 20},
        {"400 V stays volts", PANEL_UR_PRIM, PANEL_UR_UNIT, 400, 0, 400.0f, 0, 400},
        {"150 kV", PANEL_UR_PRIM, PANEL_UR_UNIT, 150, 1, 150000.0f, 1, 150},
        {"1234 V keeps three digits", PANEL_UR_PRIM, PANEL_UR_UNIT, 1234, 0, 1230.0f, 1, 1.23},
        {"1234 A becomes 1230 A", PANEL_IR_PRIM, PANEL_IR_UNIT, 1234, 0, 1230.0f, 1, 1.23},
        {"5 A", PANEL_IR_PRIM, PANEL_IR_UNIT, 5, 0, 5.0f, 0, 5},
        {"50 A below 100 stays amperes", PANEL_IR_PRIM, PANEL_IR_UNIT, 50, 0, 50.0f, 0, 50},
        {"1.5 kA", PANEL_IR_PRIM, PANEL_IR_UNIT, 1.5, 1, 1500.0f, 1, 1.5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetCtrlVal(MainPanel, c.unitCtrl, c.unitBefore);
        Enter(c.valueCtrl, c.entered);
        const float stored = c.valueCtrl == PANEL_UR_PRIM ? Konf.UrPrim : Konf.IrPrim;
        EXPECT_FLOAT_EQ(stored, c.stored);
        EXPECT_EQ(Int(c.unitCtrl), c.unitAfter);
        EXPECT_NEAR(Num(c.valueCtrl), c.shown, 1e-6);
    }
}

TEST_F(PanelTest, ShowAllSwitchesToKiloAtOneThousand) {
    struct Case {
        float urPrim, irPrim;
        double urShown, irShown;
        int urUnit, irUnit;
    } cases[] = {{999.0f, 999.0f, 999, 999, 0, 0},
                 {1000.0f, 1500.0f, 1, 1.5, 1, 1},
                 {20000.0f, 5.0f, 20, 5, 1, 0}};
    for (const Case &c : cases) {
        Konf.UrPrim = c.urPrim;
        Konf.IrPrim = c.irPrim;
        ShowAll();
        EXPECT_NEAR(Num(PANEL_UR_PRIM), c.urShown, 1e-6);
        EXPECT_EQ(Int(PANEL_UR_UNIT), c.urUnit);
        EXPECT_NEAR(Num(PANEL_IR_PRIM), c.irShown, 1e-6);
        EXPECT_EQ(Int(PANEL_IR_UNIT), c.irUnit);
    }
}

TEST_F(PanelTest, ConnectionTypeMapsTheMeasurandsOfLimitOutputs) {
    struct Case {
        int from, to, before, after;
    } cases[] = {
        {4, 3, 3, 2},  // line-to-neutral voltage does not exist in a 3-wire system
        {4, 3, 11, 0}, // neither does the neutral current
        {4, 1, 2, 3},  {4, 0, 2, 3},   {4, 2, 11, 0},    {3, 4, 2, 2},
        {4, 3, 7, 7},  {4, 3, 65, 65}, {4, 0, 128, 128}, // pulse and no function stay
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << "->" << c.to << " code " << c.before);
        Konf.System = static_cast<uint8_t>(c.from);
        Konf.DigOut[0] = static_cast<uint8_t>(c.before);
        Konf.DigOut[1] = static_cast<uint8_t>(c.before);
        Konf.LimOn[0] = 1234;
        Present();
        Enter(PANEL_SYSTEM, c.to);
        EXPECT_EQ(Konf.System, c.to);
        EXPECT_EQ(Konf.DigOut[0], c.after);
        EXPECT_EQ(Konf.DigOut[1], c.after);
        EXPECT_EQ(Konf.LimOn[0], 1234) << "limits are kept";
    }
    SetCtrlVal(MainPanel, PANEL_UR_PRIM, 77.0);
    Enter(PANEL_SYSTEM, Konf.System); // the same type again: no redraw
    EXPECT_DOUBLE_EQ(Num(PANEL_UR_PRIM), 77.0);
}

TEST_F(PanelTest, SecondaryChangeRescalesLimits) {
    struct Case {
        const char *name;
        float urPrim;
        int urSecBefore, urSecAfter;
        int limOn, limOff, expectOn, expectOff;
    } cases[] = {
        {"range end shrinks to 8320 units", 20000.0f, 500, 100, 9000, 5000, 7488, 4160},
        {"largest limit stays 10000", 400.0f, 500, 400, 9000, 5000, 9000, 5000},
        {"same value keeps the limits", 20000.0f, 100, 100, 9000, 5000, 9000, 5000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Konf.UrPrim = c.urPrim;
        Konf.UrSec = static_cast<uint16_t>(c.urSecBefore);
        Konf.DigOut[0] = 2;  // line-to-line voltage
        Konf.DigOut[1] = 65; // pulse outputs keep their values
        Konf.LimOn[0] = Konf.LimOn[1] = static_cast<int16_t>(c.limOn);
        Konf.LimOff[0] = Konf.LimOff[1] = static_cast<int16_t>(c.limOff);
        Present();
        Enter(PANEL_UR_SEC, c.urSecAfter);
        EXPECT_EQ(Konf.UrSec, c.urSecAfter);
        EXPECT_EQ(Konf.LimOn[0], c.expectOn);
        EXPECT_EQ(Konf.LimOff[0], c.expectOff);
        EXPECT_EQ(Konf.LimOn[1], c.limOn);
    }
}

TEST_F(PanelTest, FunctionChangeSetsDefaultsAndVisibility) {
    struct Case {
        int function, digOut, limOn, limOff, pulsRate;
        int pulseVisible, limitVisible, sourceDimmed;
    } cases[] = {
        {3, 0, 10000, 9000, 100, 0, 1, 0},
        {2, 65, 0, 0, 1000, 1, 0, 0},
        {0, 128, 0, 0, 100, 0, 0, 1},
    };
    for (int n = 0; n < 2; n++) {
        const int func = n ? PANEL_FUNC2 : PANEL_FUNC1;
        const int pulse = n ? PANEL_PULSRATE2 : PANEL_PULSRATE1;
        const int limit = n ? PANEL_LIMON2 : PANEL_LIMON1;
        const int unit = n ? PANEL_LIMOFF2_UNIT : PANEL_LIMOFF1_UNIT;
        const int source = n ? PANEL_SOURCE2 : PANEL_SOURCE1;
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << "output " << n + 1 << " function " << c.function);
            InitNeueDatei();
            if (c.function == 0) Konf.DigOut[n] = 0; // start from a limit output
            Present();
            Enter(func, c.function);
            EXPECT_EQ(Konf.DigOut[n], c.digOut);
            EXPECT_EQ(Konf.DigOut[1 - n], 128) << "the other output is untouched";
            EXPECT_EQ(Konf.PulsRate[n], c.pulsRate);
            if (c.function == 3) {
                EXPECT_EQ(Konf.LimOn[n], c.limOn);
                EXPECT_EQ(Konf.LimOff[n], c.limOff);
            }
            EXPECT_EQ(Visible(pulse), c.pulseVisible);
            EXPECT_EQ(Visible(limit), c.limitVisible);
            EXPECT_EQ(Visible(unit), c.limitVisible);
            EXPECT_EQ(Dimmed(source), c.sourceDimmed);
        }
    }
}

TEST_F(PanelTest, ChoosingTheSameFunctionChangesNothing) {
    Konf.DigOut[0] = 65;
    Konf.PulsRate[0] = 42;
    Present();
    Enter(PANEL_FUNC1, 2);
    EXPECT_EQ(Konf.DigOut[0], 65);
    EXPECT_EQ(Konf.PulsRate[0], 42);
}

TEST_F(PanelTest, MeasurandChoiceSetsDefaultLimitsAndTheirRange) {
    struct Case {
        int code, limOn, limOff;
        double shownOn, shownOff, min, max;
        const char *unit;
    } cases[] = {
        {7, 9000, 9500, 0.9, 0.95, -1.0, 1.0, "-"},
        {12, 4800, 5000, 48.0, 50.0, 45.0, 65.0, "Hz"},
        {0, 0, 0, 0.0, 0.0, 0.0, 1.1999 * 5.0, "A"},
        {8, 0, 0, 0.0, 0.0, -1.1999 * 4.330127, 1.1999 * 4.330127, "kW"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        Konf.DigOut[0] = 3; // a limit output on another measurand
        Konf.LimOn[0] = Konf.LimOff[0] = 1111;
        Present();
        Enter(PANEL_SOURCE1, c.code);
        EXPECT_EQ(Konf.DigOut[0], c.code);
        EXPECT_EQ(Konf.LimOn[0], c.limOn);
        EXPECT_EQ(Konf.LimOff[0], c.limOff);
        EXPECT_NEAR(Num(PANEL_LIMON1), c.shownOn, 1e-4);
        EXPECT_NEAR(Num(PANEL_LIMOFF1), c.shownOff, 1e-4);
        double min = 0, max = 0;
        GetCtrlAttribute(MainPanel, PANEL_LIMON1, ATTR_MIN_VALUE, &min);
        GetCtrlAttribute(MainPanel, PANEL_LIMON1, ATTR_MAX_VALUE, &max);
        EXPECT_NEAR(min, c.min, 1e-3);
        EXPECT_NEAR(max, c.max, 1e-3);
        EXPECT_EQ(Text(PANEL_LIMON1_UNIT), c.unit);
        EXPECT_EQ(Text(PANEL_LIMOFF1_UNIT), c.unit);
    }
}

TEST_F(PanelTest, EnteredLimitsAreStoredInLimitUnits) {
    struct Case {
        int code;
        double entered;
        int stored;
    } cases[] = {
        {12, 49.5, 4950},
        {0, 4.0, 8000},
        {7, -0.5, -5000},
        {12, 65.0, 6500},
        // Decimals that binary fractions only approximate still land on their own step.
        {12, 45.16, 4516},
        {7, 0.29, 2900},
        {7, -0.29, -2900},
        {0, 0.043, 86},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        Konf.DigOut[1] = static_cast<uint8_t>(c.code);
        Present();
        Enter(PANEL_LIMOFF2, c.entered);
        EXPECT_EQ(Konf.LimOff[1], c.stored);
        Enter(PANEL_LIMON2, c.entered);
        EXPECT_EQ(Konf.LimOn[1], c.stored);
    }
}

TEST_F(PanelTest, LimitSourceListFollowsTheConnectionType) {
    struct Case {
        int system, entries, hasCode2, hasCode3, hasCode11;
    } cases[] = {{4, 13, 1, 1, 1}, {3, 10, 1, 0, 0}, {2, 11, 0, 1, 0}, {0, 11, 0, 1, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.system);
        Konf.System = static_cast<uint8_t>(c.system);
        Konf.DigOut[0] = 0;
        Present();
        EXPECT_EQ(Items(PANEL_SOURCE1), c.entries);
        int index = -1;
        EXPECT_EQ(GetIndexFromValue(MainPanel, PANEL_SOURCE1, &index, 2) >= 0 && index >= 0,
                  c.hasCode2 != 0);
        index = -1;
        EXPECT_EQ(GetIndexFromValue(MainPanel, PANEL_SOURCE1, &index, 3) >= 0 && index >= 0,
                  c.hasCode3 != 0);
        index = -1;
        EXPECT_EQ(GetIndexFromValue(MainPanel, PANEL_SOURCE1, &index, 11) >= 0 && index >= 0,
                  c.hasCode11 != 0);
    }
}

TEST_F(PanelTest, PulseOutputsOfferMeteredQuantitiesAndUnits) {
    Konf.Module = 0;
    Konf.DigOut[0] = 72;
    Present();
    EXPECT_EQ(Items(PANEL_SOURCE1), 4) << "every second quantity without the option module";
    EXPECT_EQ(Int(PANEL_SOURCE1), 72);

    Konf.Module = 1;
    Konf.DigOut[0] = 81;
    Present();
    EXPECT_EQ(Items(PANEL_SOURCE1), 8);
    EXPECT_EQ(Int(PANEL_SOURCE1), 80);
    ASSERT_EQ(Items(PANEL_PULSUNIT1), 4);
    EXPECT_EQ(ItemLabel(PANEL_PULSUNIT1, 0), "varh");
    EXPECT_EQ(Int(PANEL_PULSUNIT1), 5);
    Enter(PANEL_PULSUNIT1, 6);
    EXPECT_EQ(Konf.DigOut[0], 82);

    Konf.PulsRate[0] = 5;
    Enter(PANEL_SOURCE1, 64); // another quantity keeps the unit and resets the rate
    EXPECT_EQ(Konf.DigOut[0], 66);
    EXPECT_EQ(Konf.PulsRate[0], 1000);
    Enter(PANEL_PULSRATE1, 250);
    EXPECT_EQ(Konf.PulsRate[0], 250);
}

TEST_F(PanelTest, EnergyControlBits) {
    struct Case {
        const char *name;
        int before, control, value, after;
    } cases[] = {
        {"interval 30 keeps the tariff bit", 0x4F, PANEL_INTERVAL, 30, 0x5E},
        {"interval 63", 0x0F, PANEL_INTERVAL, 63, 0x3F},
        {"external sync clears the tariff", 0x40, PANEL_SYNC_MODE, 1, 0x8F},
        {"no interval", 0x8F, PANEL_SYNC_MODE, 2, 0x00},
        {"internal interval from none", 0x00, PANEL_SYNC_MODE, 0, 0x0F},
        {"internal interval from external", 0x85, PANEL_SYNC_MODE, 0, 0x05},
        {"tariff switching on", 0x0F, PANEL_TARIFF, 2, 0x4F},
        {"tariff switching off", 0x4F, PANEL_TARIFF, 1, 0x0F},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Konf.EnergyControl = static_cast<uint8_t>(c.before);
        Present();
        if (c.control == PANEL_INTERVAL)
            Enter(PANEL_INTERVAL, c.value);
        else
            EnterRingValue(c.control,
                           c.control == PANEL_TARIFF ? PANEL_TARIFF_LIST : PANEL_SYNC_LIST,
                           c.value);
        EXPECT_EQ(Konf.EnergyControl, c.after);
    }
}

TEST_F(PanelTest, ListsAndDimmingFollowTheModule) {
    Konf.Module = 0;
    Konf.EnergyControl = 0xC0; // no interval bits: a module-less instrument gets 15
    Present();
    EXPECT_EQ(Konf.EnergyControl, 15);
    EXPECT_EQ(Items(PANEL_FUNC1), 3);
    EXPECT_EQ(Items(PANEL_SYNC_MODE), 1);
    EXPECT_EQ(Items(PANEL_TARIFF), 1);
    EXPECT_EQ(Items(PANEL_LOG_MODE), 1);
    EXPECT_EQ(Dimmed(PANEL_LOG_P), 1);
    EXPECT_EQ(Dimmed(PANEL_INTERVAL), 0);

    Konf.Module = 1;
    Konf.EnergyControl = 0x4F; // tariff switching: no external synchronisation on offer
    Present();
    EXPECT_EQ(Items(PANEL_SYNC_MODE), 2);
    EXPECT_EQ(Items(PANEL_TARIFF), 2);
    EXPECT_EQ(Items(PANEL_LOG_MODE), 2);
    EXPECT_EQ(Dimmed(PANEL_LOG_P), 0);
    Konf.EnergyControl = 0x8F; // external synchronisation: no tariff switching, no interval
    Present();
    EXPECT_EQ(Items(PANEL_SYNC_MODE), 3);
    EXPECT_EQ(Items(PANEL_TARIFF), 1);
    EXPECT_EQ(Dimmed(PANEL_INTERVAL), 1);
    EXPECT_EQ(Int(PANEL_SYNC_MODE), 1);
    EXPECT_EQ(Konf.EnergyControl, 0x8F);
}

TEST_F(PanelTest, LoggerEditorsChangeOnlyTheirBits) {
    struct Step {
        int module, control, value, logger;
    } steps[] = {
        {1, PANEL_LOG_MODE, 2, 0x0303},
        {1, PANEL_LOG_P, 1, 0x0B03},
        {1, PANEL_LOG_Q, 1, 0x0F03},
        {1, PANEL_LOG_P, 0, 0x0703},
        {1, PANEL_LOG_MODE, 1, 0x0503},
        {0, PANEL_LOG_MODE, 2, 0x0503}, // without the option module the mode stays
    };
    Konf.Logger = 0x0103;
    for (const Step &s : steps) {
        Konf.Module = static_cast<int16_t>(s.module);
        if (s.control == PANEL_LOG_MODE)
            EnterRingValue(PANEL_LOG_MODE, PANEL_LOGMODE_LIST, s.value);
        else
            Enter(s.control, s.value);
        EXPECT_EQ(Konf.Logger, s.logger) << "control " << s.control << " value " << s.value;
    }
}

TEST_F(PanelTest, InstrumentBusSettings) {
    Konf.DevBaud = 0x0B;
    Present();
    Enter(PANEL_DEV_BAUD, 4);
    EXPECT_EQ(Konf.DevBaud, 0x0C);
    Enter(PANEL_DEV_PARITY, 2);
    EXPECT_EQ(Konf.DevBaud, 0x14);
    Enter(PANEL_DEV_ADDR, 17);
    EXPECT_EQ(Konf.DevAddr, 17);
    EXPECT_EQ(Dimmed(PANEL_DEV_ADDR), 0);
    CommType = 1; // on the bus, sending replaces them
    Present();
    EXPECT_EQ(Dimmed(PANEL_DEV_PARITY), 1);
    CommType = 0;
}

TEST_F(PanelTest, FieldRangesKeepTheRecordSound) {
    Enter(PANEL_UR_SEC, 0);
    EXPECT_GT(Konf.UrSec, 0);
    Enter(PANEL_IR_SEC, 0.0);
    const float irSec = Konf.IrSec; // a packed field: compare a copy, never bind a reference
    EXPECT_GT(irSec, 0.0f);
    Enter(PANEL_INTERVAL, 0);
    EXPECT_EQ(Konf.EnergyControl & 0x3F, 1);
    Enter(PANEL_INTERVAL, 64);
    EXPECT_EQ(Konf.EnergyControl, 63) << "never spills into the mode bits";
    Enter(PANEL_DEV_ADDR, 0);
    EXPECT_EQ(Konf.DevAddr, 1);
    Enter(PANEL_DEV_ADDR, 300);
    EXPECT_EQ(Konf.DevAddr, 247);
}

TEST_F(PanelTest, ZeroRatingsFromADamagedRecordStillPresent) {
    Konf.UrSec = 0;
    Konf.IrSec = 0.0f;
    Konf.UrPrim = 0.0f;
    Konf.DigOut[0] = 2;
    Konf.DigOut[1] = 8;
    Konf.LimOn[0] = 1234;
    Present();
    Enter(PANEL_LIMON1, 5.0); // no limit range: the stored limit stays
    EXPECT_EQ(Konf.LimOn[0], 1234);
    Enter(PANEL_UR_SEC, 100); // a real rating makes the range come back
    EXPECT_EQ(Konf.UrSec, 100);
    double max = 0;
    GetCtrlAttribute(MainPanel, PANEL_LIMON2, ATTR_MAX_VALUE, &max);
    EXPECT_TRUE(std::isfinite(max));
}

TEST_F(PanelTest, InputsWithoutTransformer) {
    Konf.UrPrim = 20000.0f;
    Konf.UrSec = 100;
    Konf.IrPrim = 1500.0f;
    Present();
    Enter(PANEL_NO_VT, 1);
    EXPECT_EQ(NoVoltageTransf, 1);
    EXPECT_FLOAT_EQ(Konf.UrPrim, 500.0f);
    EXPECT_EQ(Konf.UrSec, 500);
    EXPECT_FLOAT_EQ(Konf.IrPrim, 1500.0f);
    EXPECT_EQ(Dimmed(PANEL_UR_PRIM), 1);
    EXPECT_EQ(Dimmed(PANEL_UR_SEC_UNIT), 1);
    EXPECT_EQ(Dimmed(PANEL_IR_PRIM), 0);
    Enter(PANEL_NO_CT, 1);
    EXPECT_FLOAT_EQ(Konf.IrPrim, 5.0f);
    EXPECT_FLOAT_EQ(Konf.IrSec, 5.0f);
    Enter(PANEL_NO_VT, 0);
    EXPECT_EQ(NoVoltageTransf, 0);
    EXPECT_FLOAT_EQ(Konf.UrPrim, 500.0f);
    EXPECT_EQ(Dimmed(PANEL_UR_PRIM), 0);
    EXPECT_EQ(Dimmed(PANEL_IR_SEC), 1);
    NoCurrentTransf = 0;
}

TEST_F(PanelTest, DescriptionFillsAtMost47Characters) {
    const std::string longText(60, 'x');
    Enter(PANEL_DESCR, "Feeder 3");
    EXPECT_STREQ(Konf.Descr, "Feeder 3");
    // Whatever the field lets through, the record keeps its terminating NUL.
    SetCtrlAttribute(MainPanel, PANEL_DESCR, ATTR_MAX_ENTRY_LENGTH, 100);
    Enter(PANEL_DESCR, longText.c_str());
    EXPECT_EQ(strlen(Konf.Descr), 47u);
    EXPECT_EQ(Text(PANEL_DESCR), std::string(47, 'x'));
    // A character that would straddle the end is left out whole.
    const std::string umlaut = std::string(46, 'x') + "\xC3\xBC" + "z";
    Enter(PANEL_DESCR, umlaut.c_str());
    EXPECT_STREQ(Konf.Descr, std::string(46, 'x').c_str());
    const std::string fits = std::string(45, 'x') + "\xC3\xBC" + "z";
    Enter(PANEL_DESCR, fits.c_str());
    EXPECT_STREQ(Konf.Descr, (std::string(45, 'x') + "\xC3\xBC").c_str());
    memset(Konf.Descr, 'y', sizeof Konf.Descr); // a record with no terminator at all
    ShowAll();
    EXPECT_EQ(Text(PANEL_DESCR), std::string(47, 'y'));
}

TEST_F(PanelTest, DeviceTypePopupStoresModuleAndRatedCurrent) {
    CmSelDevType(0, 0, nullptr, MainPanel);
    const int popup = GetActivePanel();
    ASSERT_GT(popup, 0);
    ASSERT_NE(popup, MainPanel);
    int on = -1;
    GetCtrlVal(popup, DEVTYPE_I_5A, &on);
    EXPECT_EQ(on, 1);
    SetCtrlVal(popup, DEVTYPE_I_1A, 1);
    UserCommit(popup, DEVTYPE_I_1A);
    GetCtrlVal(popup, DEVTYPE_I_5A, &on);
    EXPECT_EQ(on, 0) << "exactly one rated current";
    SetCtrlVal(popup, DEVTYPE_WITHOUT_MODULE, 1);
    UserCommit(popup, DEVTYPE_WITHOUT_MODULE);
    GetCtrlVal(popup, DEVTYPE_WITH_MODULE, &on);
    EXPECT_EQ(on, 0);
    Konf.IrPrim = 1500.0f;
    UserCommit(popup, DEVTYPE_OK);
    EXPECT_EQ(Konf.RatedI, 100);
    EXPECT_FLOAT_EQ(Konf.IrSec, 1.0f);
    EXPECT_FLOAT_EQ(Konf.IrPrim, 1500.0f);
    EXPECT_EQ(Konf.Module, 0);
    EXPECT_EQ(Items(PANEL_SYNC_MODE), 1) << "panel redrawn for the new variant";

    CmSelDevType(0, 0, nullptr, MainPanel);
    const int again = GetActivePanel();
    ASSERT_GT(again, 0);
    SetCtrlVal(again, DEVTYPE_I_5A, 1);
    UserCommit(again, DEVTYPE_I_5A);
    UserCommit(again, DEVTYPE_CANCEL);
    EXPECT_EQ(Konf.RatedI, 100) << "cancel changes nothing";
}

} // namespace

// Presenting the edited configuration on the main panel: ShowAll writes the record into the
// controls, ActivateObjects rebuilds the choice lists and decides what is dimmed or hidden.
#include "config/mainpanel.h"
#include "config/panellists.h"
#include "config/ranges.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <initializer_list>

#include "MainPan.h"
#include "config/record.h"
#include "link/linksettings.h"
#include "platform/ui/userint.h"

int MainPanel = 0;

namespace {

struct OutputControls {
    int function, source, limOn, limOnUnit, limOff, limOffUnit, pulsRate, pulsUnit;
};

const OutputControls kOutputs[2] = {
    {PANEL_FUNC1, PANEL_SOURCE1, PANEL_LIMON1, PANEL_LIMON1_UNIT, PANEL_LIMOFF1, PANEL_LIMOFF1_UNIT,
     PANEL_PULSRATE1, PANEL_PULSUNIT1},
    {PANEL_FUNC2, PANEL_SOURCE2, PANEL_LIMON2, PANEL_LIMON2_UNIT, PANEL_LIMOFF2, PANEL_LIMOFF2_UNIT,
     PANEL_PULSRATE2, PANEL_PULSUNIT2},
};

void ShowLimits(int n) {
    const OutputControls &c = kOutputs[n];
    const int code = Konf.DigOut[n];
    SetupLimitUnit(n);
    SetCtrlVal(MainPanel, c.source, code);

    double lo = 0.0, hi = 0.0;
    LimitRange(n, &lo, &hi);
    const double step = LimitStep(n);
    for (int ctrl : {c.limOn, c.limOff}) {
        SetCtrlAttribute(MainPanel, ctrl, ATTR_PRECISION, StepDecimals(step));
        SetCtrlAttribute(MainPanel, ctrl, ATTR_MIN_VALUE, lo);
        SetCtrlAttribute(MainPanel, ctrl, ATTR_MAX_VALUE, hi);
    }
    if (!std::isfinite(step)) return;
    SetCtrlVal(MainPanel, c.limOn, Konf.LimOn[n] * step);
    SetCtrlVal(MainPanel, c.limOff, Konf.LimOff[n] * step);
}

void ShowPulses(int n) {
    const OutputControls &c = kOutputs[n];
    SetupDigoutSel(n, 2);
    SetupPulsUnit(n);
    // Without the option module the source list holds every second metered quantity, so the
    // entry is found by its value rather than by its position. A quantity the list lacks shows
    // no entry, and the record keeps it until the user chooses one.
    SetCtrlVal(MainPanel, c.source, Konf.DigOut[n] - Konf.DigOut[n] % 4);
    SetCtrlVal(MainPanel, c.pulsRate, static_cast<int>(Konf.PulsRate[n]));
    SetCtrlIndex(MainPanel, c.pulsUnit, Konf.DigOut[n] % 4);
}

void SetVisible(int ctrl, int visible) {
    SetCtrlAttribute(MainPanel, ctrl, ATTR_VISIBLE, visible);
}

void Dim(int ctrl, int dimmed) {
    SetCtrlAttribute(MainPanel, ctrl, ATTR_DIMMED, dimmed);
}

} // namespace

int StepDecimals(double step) {
    step = std::fabs(step);
    if (!std::isfinite(step) || step == 0.0) return 2; // no limit range: nothing to resolve
    // The fewest digits whose last one is no bigger than a step: neighbouring steps then never
    // show the same text. The tolerance lets a step of 0.01 that the arithmetic made
    // 0.0099999... count as 0.01.
    int digits = 0;
    while (digits < 10 && std::pow(10.0, -digits) > step * (1.0 + 1e-9)) digits++;
    return digits;
}

void StampDateTime() {
    const time_t now = time(nullptr);
    struct tm t {};
    if (now == static_cast<time_t>(-1) || localtime_r(&now, &t) == nullptr) return;
    char text[32];
    snprintf(text, sizeof text, "%02u.%02u.%04u", static_cast<unsigned>(t.tm_mday),
             static_cast<unsigned>(t.tm_mon + 1), static_cast<unsigned>(t.tm_year + 1900));
    SetCtrlVal(MainPanel, PANEL_DATE, text);
    snprintf(text, sizeof text, "%02u:%02u:%02u", static_cast<unsigned>(t.tm_hour),
             static_cast<unsigned>(t.tm_min), static_cast<unsigned>(t.tm_sec));
    SetCtrlVal(MainPanel, PANEL_TIME, text);
}

void SetupLimitUnit(int output) {
    const char *unit = GrenzwEinh(output);
    SetCtrlVal(MainPanel, kOutputs[output].limOnUnit, unit ? unit : "");
    SetCtrlVal(MainPanel, kOutputs[output].limOffUnit, unit ? unit : "");
}

void ShowAll() {
    SetActivePanel(MainPanel);
    StampDateTime();

    SetCtrlVal(MainPanel, PANEL_SYSTEM, static_cast<int>(Konf.System));

    const bool urKilo = Konf.UrPrim >= 1000.0f;
    SetCtrlVal(MainPanel, PANEL_UR_PRIM, urKilo ? Konf.UrPrim / 1000.0 : Konf.UrPrim * 1.0);
    SetCtrlVal(MainPanel, PANEL_UR_UNIT, urKilo ? 1 : 0);
    SetCtrlVal(MainPanel, PANEL_UR_SEC, static_cast<int>(Konf.UrSec));

    const bool irKilo = Konf.IrPrim >= 1000.0f;
    SetCtrlVal(MainPanel, PANEL_IR_PRIM, irKilo ? Konf.IrPrim / 1000.0 : Konf.IrPrim * 1.0);
    SetCtrlVal(MainPanel, PANEL_IR_UNIT, irKilo ? 1 : 0);
    SetCtrlVal(MainPanel, PANEL_IR_SEC, Konf.IrSec * 1.0);

    const int interval = Konf.EnergyControl & 0x3F;
    SetCtrlVal(MainPanel, PANEL_SYNC_MODE,
               interval == 0 ? 2 : ((Konf.EnergyControl & 0x80) ? 1 : 0));
    SetCtrlVal(MainPanel, PANEL_INTERVAL, interval);

    SetCtrlVal(MainPanel, PANEL_LOG_MODE, Konf.Module == 0 ? 0 : ((Konf.Logger & 0x0200) ? 2 : 1));
    SetCtrlVal(MainPanel, PANEL_LOG_Q, (Konf.Logger & 0x0400) ? 1 : 0);
    SetCtrlVal(MainPanel, PANEL_LOG_P, (Konf.Logger & 0x0800) ? 1 : 0);

    SetCtrlVal(MainPanel, PANEL_TARIFF, (Konf.EnergyControl & 0xC0) == 0x40 ? 2 : 1);

    for (int n = 0; n < 2; n++) {
        const int f = DigoutFunc(n);
        SetupDigoutSel(n, f);
        SetCtrlVal(MainPanel, kOutputs[n].function, f);
        if (f == 3)
            ShowLimits(n);
        else if (f == 2)
            ShowPulses(n);
        else
            ClearListCtrl(MainPanel, kOutputs[n].source);
    }

    // The text always ends inside its field, even when a file or the instrument filled all 48.
    char descr[sizeof Konf.Descr];
    memcpy(descr, Konf.Descr, sizeof descr);
    descr[sizeof descr - 1] = '\0';
    SetCtrlVal(MainPanel, PANEL_DESCR, descr);

    SetCtrlVal(MainPanel, PANEL_DEV_ADDR, static_cast<int>(Konf.DevAddr));
    SetCtrlVal(MainPanel, PANEL_DEV_BAUD, Konf.DevBaud & 7);
    SetCtrlVal(MainPanel, PANEL_DEV_PARITY, (Konf.DevBaud & 0x18) / 8);

    SetCtrlVal(MainPanel, PANEL_NO_VT, NoVoltageTransf ? 1 : 0);
    SetCtrlVal(MainPanel, PANEL_NO_CT, NoCurrentTransf ? 1 : 0);
}

void ActivateObjects() {
    const bool module = Konf.Module != 0;

    for (int n = 0; n < 2; n++) {
        ClearListCtrl(MainPanel, kOutputs[n].function);
        for (int entry : {module ? 1 : 0, 2, 3})
            CopyListEntry(PANEL_FUNC_LIST, entry, kOutputs[n].function);
    }

    ClearListCtrl(MainPanel, PANEL_SYNC_MODE);
    ClearListCtrl(MainPanel, PANEL_TARIFF);
    ClearListCtrl(MainPanel, PANEL_LOG_MODE);
    if (!module) {
        CopyListEntry(PANEL_SYNC_LIST, 0, PANEL_SYNC_MODE);
        CopyListEntry(PANEL_TARIFF_LIST, 0, PANEL_TARIFF);
        CopyListEntry(PANEL_LOGMODE_LIST, 0, PANEL_LOG_MODE);
    } else {
        const bool tariff = (Konf.EnergyControl & 0x40) != 0;
        const bool external = (Konf.EnergyControl & 0x80) != 0;
        CopyListEntry(PANEL_SYNC_LIST, 0, PANEL_SYNC_MODE);
        if (!tariff) CopyListEntry(PANEL_SYNC_LIST, 1, PANEL_SYNC_MODE);
        CopyListEntry(PANEL_SYNC_LIST, 2, PANEL_SYNC_MODE);
        CopyListEntry(PANEL_TARIFF_LIST, 1, PANEL_TARIFF);
        if (!external) CopyListEntry(PANEL_TARIFF_LIST, 2, PANEL_TARIFF);
        CopyListEntry(PANEL_LOGMODE_LIST, 1, PANEL_LOG_MODE);
        CopyListEntry(PANEL_LOGMODE_LIST, 2, PANEL_LOG_MODE);
    }
    Dim(PANEL_LOG_P, !module);
    Dim(PANEL_LOG_Q, !module);

    for (int ctrl : {PANEL_UR_PRIM, PANEL_UR_UNIT, PANEL_UR_SEC, PANEL_UR_SEC_UNIT})
        Dim(ctrl, NoVoltageTransf != 0);
    for (int ctrl : {PANEL_IR_PRIM, PANEL_IR_UNIT, PANEL_IR_SEC, PANEL_IR_SEC_UNIT})
        Dim(ctrl, NoCurrentTransf != 0);

    for (int n = 0; n < 2; n++) {
        const OutputControls &c = kOutputs[n];
        const int f = DigoutFunc(n);
        Dim(c.source, f == 0);
        const int pulse = f == 2, limit = f == 3;
        SetVisible(c.pulsRate, pulse);
        SetVisible(c.pulsUnit, pulse);
        for (int ctrl : {c.limOn, c.limOnUnit, c.limOff, c.limOffUnit}) SetVisible(ctrl, limit);
    }

    // On the bus, sending replaces the instrument's bus settings by the program's own.
    for (int ctrl : {PANEL_DEV_ADDR, PANEL_DEV_BAUD, PANEL_DEV_PARITY}) Dim(ctrl, CommType == 1);

    const int interval = Konf.EnergyControl & 0x3F;
    const bool noInterval = module && (interval == 0 || (Konf.EnergyControl & 0x80));
    Dim(PANEL_INTERVAL, noInterval);
    Dim(PANEL_INTERVAL_UNIT, noInterval);
    if (!noInterval && interval == 0) Konf.EnergyControl = 15;
}

// ---- list builders of the outputs --------------------------------------------------------------
// Which measurands and metered quantities an output offers and which pulse units go with them.
// The entries come from hidden lists of the main panel, so their labels follow the interface
// language.

namespace {

const int kSource[2] = {PANEL_SOURCE1, PANEL_SOURCE2};
const int kPulsUnit[2] = {PANEL_PULSUNIT1, PANEL_PULSUNIT2};

int EntryValue(int list, int entry) {
    int value = -1;
    if (GetValueFromIndex(MainPanel, list, entry, &value) < 0) return -1;
    return value;
}

} // namespace

void CopyListEntry(int sourceList, int entry, int target) {
    char label[256] = "";
    int value = 0;
    if (GetLabelFromIndex(MainPanel, sourceList, entry, label, sizeof label) < 0) return;
    if (GetValueFromIndex(MainPanel, sourceList, entry, &value) < 0) return;
    InsertListItem(MainPanel, target, -1, label, value);
}

int OutputOfControl(int control) {
    switch (control) {
    case PANEL_FUNC2:
    case PANEL_SOURCE2:
    case PANEL_LIMON2:
    case PANEL_LIMOFF2:
    case PANEL_PULSRATE2:
    case PANEL_PULSUNIT2:
        return 1;
    default:
        return 0;
    }
}

void SetupDigoutSel(int output, int function) {
    const int list = kSource[output];
    const int system = Konf.System;
    if (function == 3) {
        ClearListCtrl(MainPanel, list);
        // One index runs first over the per-phase list and then on over the system list, so the
        // per-phase entries stand in for the system entries at the same positions.
        int i = 0;
        if (system == 4) {
            for (; i < 9; i++) CopyListEntry(PANEL_PHASE_LIST, i, list);
        } else if (system == 3) {
            for (; i < 5; i++)
                if (i == 0 || i == 2 || i == 3) CopyListEntry(PANEL_PHASE_LIST, i, list);
        }
        for (; i <= 12; i++) {
            const int value = EntryValue(PANEL_COMBINED_LIST, i);
            if (value == 2 && system < 3) continue;
            if (value == 11 && system < 4) continue;
            CopyListEntry(PANEL_COMBINED_LIST, i, list);
        }
    } else if (function == 2) {
        ClearListCtrl(MainPanel, list);
        const int step = Konf.Module ? 1 : 2;
        for (int i = 13; i <= 20; i += step) CopyListEntry(PANEL_COMBINED_LIST, i, list);
    }
}

void SetupPulsUnit(int output) {
    const int list = kPulsUnit[output];
    ClearListCtrl(MainPanel, list);
    const int first = Konf.DigOut[output] >= 80 ? 4 : 0;
    for (int i = first; i < first + 4; i++) CopyListEntry(PANEL_PULSUNIT_LIST, i, list);
}

// Turning tariff switching off asks nothing of the pulse outputs.
void Check_PulseOutput() {}

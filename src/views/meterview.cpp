// Callbacks of the energy-meters view: opening with the instrument's meter scale, the 5-second
// read, reset and preset of the chosen meters, print, close.
#include <cstdio>

#include "MainPan.h"
#include "config/commands.h"
#include "config/record.h"
#include "link/linksettings.h"
#include "platform/ui/userint.h"
#include "views/meters.h"
#include "views/panels.h"
#include "views/viewpanel.h"
#include "views/views.h"

int meterdisp = 0;

namespace {

ViewPanel gMeters = {-1,
                     KIND_METERS,
                     &meterdisp,
                     METERS_TIMER,
                     METERS_BUSY,
                     METERS_TITLE,
                     METERS_DATE,
                     METERS_TIME,
                     METERS_PRINT,
                     0,
                     {},
                     {},
                     0,
                     ""};

constexpr double kInterval = 5.0;
constexpr double kAfterWrite = 2.0; // the next read shows what a reset or preset did

const int kValue[kMeterCount] = {METERS_VALUE0, METERS_VALUE1, METERS_VALUE2, METERS_VALUE3,
                                 METERS_VALUE4, METERS_VALUE5, METERS_VALUE6, METERS_VALUE7};
const int kUnit[kMeterCount] = {METERS_UNIT0, METERS_UNIT1, METERS_UNIT2, METERS_UNIT3,
                                METERS_UNIT4, METERS_UNIT5, METERS_UNIT6, METERS_UNIT7};
const int kSince[kMeterCount] = {METERS_SINCE0, METERS_SINCE1, METERS_SINCE2, METERS_SINCE3,
                                 METERS_SINCE4, METERS_SINCE5, METERS_SINCE6, METERS_SINCE7};
const int kReset[kMeterCount] = {METERS_RESET0, METERS_RESET1, METERS_RESET2, METERS_RESET3,
                                 METERS_RESET4, METERS_RESET5, METERS_RESET6, METERS_RESET7};
const int kSet[kMeterCount] = {METERS_SET0, METERS_SET1, METERS_SET2, METERS_SET3,
                               METERS_SET4, METERS_SET5, METERS_SET6, METERS_SET7};

MeterScaleInfo gScale;
MeterSession gSession;

// A value field shows every count the meter can hold; while its set box is ticked it takes
// presets, and then only those the instrument's display can show.
void SetFieldRange(int meter, int presetting) {
    double top = presetting ? gScale.maximum : MeterReading(0xFFFFFFFFu, gScale);
    SetCtrlAttribute(meterdisp, kValue[meter], ATTR_MAX_VALUE, top);
}

// Reads the boxes of one kind and clears them: the mask of the ticked ones.
unsigned TakeBoxes(const int *boxes) {
    unsigned mask = 0;
    for (int i = 0; i < kMeterCount; ++i) {
        int ticked = 0;
        GetCtrlVal(meterdisp, boxes[i], &ticked);
        SetCtrlVal(meterdisp, boxes[i], 0);
        if (ticked) mask |= 1u << i;
    }
    return mask;
}

void ShowSince() {
    for (int i = 0; i < kMeterCount; ++i) {
        char text[40];
        std::snprintf(text, sizeof text, "%.*f", gScale.decimals,
                      static_cast<double>(gSession.since[i]) / gScale.anzfakt);
        SetCtrlVal(meterdisp, kSince[i], text);
    }
}

} // namespace

void CmMetersDisplay(int /*menuBar*/, int /*menuItem*/, void * /*callbackData*/, int /*panel*/) {
    if (OpenMeasurementView(&gMeters)) InitMetersDisp();
}

void InitMetersDisp() {
    ShowBusTitle(&gMeters);
    if (!ReadMeterScaleOnce()) {
        // Reported by the link; without the scale no reading can be shown.
        CloseViewPanel(&gMeters);
        return;
    }
    gScale = MeterScaleOf(MeterScale);
    for (int i = 0; i < kMeterCount; ++i) {
        SetCtrlVal(meterdisp, kUnit[i], MeterUnit(i, gScale.prefix));
        SetCtrlAttribute(meterdisp, kValue[i], ATTR_MIN_VALUE, 0.0);
        SetCtrlAttribute(meterdisp, kValue[i], ATTR_PRECISION, gScale.decimals);
        SetFieldRange(i, 0);
        SetCtrlVal(meterdisp, kSince[i], "");
    }
    MeterSessionStart(&gSession);
    InstallPanelCallback(meterdisp, PanelEvents, nullptr);
    SetCtrlAttribute(meterdisp, METERS_TIMER, ATTR_ENABLED, 1);
    SetCtrlAttribute(meterdisp, METERS_TIMER, ATTR_INTERVAL, 0.0);
    SetActiveCtrl(meterdisp, kValue[0]);
}

int CmReadMeters(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                 int /*eventData1*/, int /*eventData2*/) {
    if (event != EVENT_TIMER_TICK || meterdisp <= 0) return 0;
    SetCtrlAttribute(meterdisp, METERS_TIMER, ATTR_INTERVAL, kInterval);
    SetCtrlVal(meterdisp, METERS_BUSY, 1);
    status = Read(&Lese, ReadMeters, 0);
    if (status) {
        MeterSessionRead(&gSession, Meters);
        for (int i = 0; i < kMeterCount; ++i) {
            int presetting = 0;
            GetCtrlVal(meterdisp, kSet[i], &presetting);
            // A preset being typed is not overwritten.
            if (!presetting) SetCtrlVal(meterdisp, kValue[i], MeterReading(Meters[i], gScale));
        }
        ShowSince();
    }
    status = Read(&Lese, ReadDevStatus, 0);
    if (status) {
        int second = ActiveRate(DevStatus) == 2;
        SetCtrlVal(meterdisp, METERS_RATE2, second ? 1 : 0);
        SetCtrlVal(meterdisp, METERS_RATE1, second ? 0 : 1);
    }
    SetCtrlVal(meterdisp, METERS_BUSY, 0);
    return status;
}

int CmMeterSetBox(int /*panel*/, int control, int event, void * /*callbackData*/,
                  int /*eventData1*/, int /*eventData2*/) {
    if (event != EVENT_COMMIT) return 0;
    for (int i = 0; i < kMeterCount; ++i) {
        if (kSet[i] != control) continue;
        int presetting = 0;
        GetCtrlVal(meterdisp, control, &presetting);
        SetFieldRange(i, presetting);
        if (presetting) SetActiveCtrl(meterdisp, kValue[i]);
    }
    return 0;
}

int CmMeterReset(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                 int /*eventData1*/, int /*eventData2*/) {
    if (event != EVENT_COMMIT) return 0;
    unsigned mask = TakeBoxes(kReset);
    status = ResetMeters(mask);
    if (status) MeterSessionRebase(&gSession, mask);
    SetCtrlAttribute(meterdisp, METERS_TIMER, ATTR_INTERVAL, kAfterWrite);
    return 0;
}

int CmMeterSet(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
               int /*eventData1*/, int /*eventData2*/) {
    if (event != EVENT_COMMIT) return 0;
    uint32_t counts[kMeterCount] = {};
    unsigned mask = 0;
    for (int i = 0; i < kMeterCount; ++i) {
        int ticked = 0;
        GetCtrlVal(meterdisp, kSet[i], &ticked);
        SetCtrlVal(meterdisp, kSet[i], 0);
        if (!ticked) continue;
        double reading = 0;
        GetCtrlVal(meterdisp, kValue[i], &reading);
        SetFieldRange(i, 0);
        // The field holds only values in its range, so every ticked meter has its count.
        if (PresetCount(reading, gScale, &counts[i])) mask |= 1u << i;
    }
    if (mask) {
        status = PresetMeters(mask, counts);
        if (status) MeterSessionRebase(&gSession, mask);
    }
    SetCtrlAttribute(meterdisp, METERS_TIMER, ATTR_INTERVAL, kAfterWrite);
    return 0;
}

int CmPrintMeters(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                  int /*eventData1*/, int /*eventData2*/) {
    if (event == EVENT_COMMIT) PrintViewPanel(&gMeters);
    return 0;
}

int CmMeterDone(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                int /*eventData1*/, int /*eventData2*/) {
    if (event == EVENT_COMMIT) CloseMeterView();
    return 0;
}

void CloseMeterView() {
    CloseViewPanel(&gMeters);
}

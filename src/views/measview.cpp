// Callbacks of the instantaneous-values view: opening, the 2-second read, print, close, and the
// choice of the quantities its trend strip follows.
#include <cstdio>

#include "MainPan.h"
#include "config/commands.h"
#include "link/port.h"
#include "platform/ui/userint.h"
#include "views/panels.h"
#include "views/readout.h"
#include "views/viewpanel.h"
#include "views/views.h"
#include "views/viewtables.h"

int measdisp = 0;

namespace {

ViewPanel gMeas = {VIEW_MEAS, KIND_MEAS,  &measdisp,   MEAS_TIMER, MEAS_BUSY, MEAS_TITLE, MEAS_DATE,
                   MEAS_TIME, MEAS_PRINT, MEAS_RECORD, {},         {},        0};

constexpr double kInterval = 2.0;
const int kTrendRings[4] = {MEAS_TREND1, MEAS_TREND2, MEAS_TREND3, MEAS_TREND4};

// Each ring offers "(none)" and every shown quantity; the values are row numbers (-1 none). The
// first four default to the system's own quantities where they are shown.
void FillTrendRings() {
    int rows[40];
    int n = ShownRows(VIEW_MEAS, rows);
    static const int kDefaults[4] = {19, 23, 27, 28}; // P, Q, S, f
    for (int k = 0; k < 4; ++k) {
        ClearListCtrl(measdisp, kTrendRings[k]);
        InsertListItem(measdisp, kTrendRings[k], -1, "(none)", -1);
        for (int i = 0; i < n; ++i)
            InsertListItem(measdisp, kTrendRings[k], -1, msd[rows[i]].caption, rows[i]);
        int index = 0;
        GetIndexFromValue(measdisp, kTrendRings[k], &index, kDefaults[k]);
        SetCtrlIndex(measdisp, kTrendRings[k], index > 0 ? index : 0);
    }
}

} // namespace

void CmMeasDisplay(int /*menuBar*/, int /*menuItem*/, void * /*callbackData*/, int /*panel*/) {
    AddViewPanel(&gMeas);
    if (OpenMeasurementView(&gMeas)) InitMeasDisp();
}

void InitMeasDisp() {
    SetupViewPanel(&gMeas, kInterval);
    FillTrendRings();
    // A late answer from before the view opened must not be taken for the first reading.
    FlushInterfaceQueues();
    SetCtrlAttribute(measdisp, MEAS_TIMER, ATTR_INTERVAL, 0.0);
}

int CmReadMeas(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
               int /*eventData1*/, int /*eventData2*/) {
    if (event != EVENT_TIMER_TICK) return 0;
    return ViewTick(&gMeas, kInterval);
}

int CmPrintMeasData(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                    int /*eventData1*/, int /*eventData2*/) {
    if (event == EVENT_COMMIT) PrintViewPanel(&gMeas);
    return 0;
}

int CmCloseAcquisiton(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                      int /*eventData1*/, int /*eventData2*/) {
    if (event == EVENT_COMMIT) CloseViewPanel(&gMeas);
    return 0;
}

int CmPickTrend(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                int /*eventData1*/, int /*eventData2*/) {
    if (event != EVENT_COMMIT) return 0;
    return 0;
}

void CloseMeasView() {
    CloseViewPanel(&gMeas);
}

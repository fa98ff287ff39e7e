// Callbacks of the instantaneous-values view: opening, the 2-second read, print, close, and the
// choice of the quantities its trend strip follows.
#include <cstdio>
#include <ctime>

#include "MainPan.h"
#include "config/commands.h"
#include "link/port.h"
#include "platform/ui/userint.h"
#include "views/panels.h"
#include "views/readout.h"
#include "views/trend.h"
#include "views/viewpanel.h"
#include "views/views.h"
#include "views/viewtables.h"

int measdisp = 0;

namespace {

ViewPanel gMeas = {VIEW_MEAS, KIND_MEAS,  &measdisp,   MEAS_TIMER, MEAS_BUSY, MEAS_TITLE, MEAS_DATE,
                   MEAS_TIME, MEAS_PRINT, MEAS_RECORD, {},         {},        0,          ""};

constexpr double kInterval = 2.0;
const int kTrendRings[4] = {MEAS_TREND1, MEAS_TREND2, MEAS_TREND3, MEAS_TREND4};

// Trace colours: distinct on white and for the common kinds of colour blindness.
const int kTraceColours[4] = {0x1F77B4, 0xD62728, 0x2CA02C, 0x9467BD};

TrendHistory gTrend;

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

// The rows the four rings pick now (-1 for none).
void PickedRows(int rows[4]) {
    for (int k = 0; k < 4; ++k) {
        rows[k] = -1;
        GetCtrlVal(measdisp, kTrendRings[k], &rows[k]);
    }
}

void PlotTrendRead(int k, const int rows[4]) {
    double values[4];
    long long when = 0;
    int ok = 0;
    if (!TrendRead(&gTrend, k, rows, 4, values, &when, &ok)) return;
    PlotStripChartPoint(measdisp, MEAS_TREND, static_cast<double>(when), values, 4,
                        ok ? 0 : STRIP_POINT_FAILED);
}

// Names, units and scaling of the picked quantities as their fields show them, then the
// history they have already.
void ShowTrend() {
    int rows[4];
    PickedRows(rows);
    for (int k = 0; k < 4; ++k) {
        int trace = k + 1, row = rows[k];
        SetTraceAttribute(measdisp, MEAS_TREND, trace, ATTR_TRACE_COLOR, kTraceColours[k]);
        SetTraceAttribute(measdisp, MEAS_TREND, trace, ATTR_TRACE_VISIBLE, row >= 0);
        if (row < 0) continue;
        int group = msd[row].group;
        SetTraceAttribute(measdisp, MEAS_TREND, trace, ATTR_TRACE_NAME, msd[row].caption);
        SetTraceAttribute(measdisp, MEAS_TREND, trace, ATTR_TRACE_UNIT, DisplayUnit(group));
        SetTraceAttribute(measdisp, MEAS_TREND, trace, ATTR_TRACE_SCALE,
                          1.0 / static_cast<double>(Skalierung[group]));
    }
    ClearStripChart(measdisp, MEAS_TREND);
    for (int k = 0; k < gTrend.count; ++k) PlotTrendRead(k, rows);
}

} // namespace

void CmMeasDisplay(int /*menuBar*/, int /*menuItem*/, void * /*callbackData*/, int /*panel*/) {
    AddViewPanel(&gMeas);
    if (OpenMeasurementView(&gMeas)) InitMeasDisp();
}

void InitMeasDisp() {
    SetupViewPanel(&gMeas, kInterval);
    FillTrendRings();
    TrendClear(&gTrend);
    ShowTrend();
    // A late answer from before the view opened must not be taken for the first reading.
    FlushInterfaceQueues();
    SetCtrlAttribute(measdisp, MEAS_TIMER, ATTR_INTERVAL, 0.0);
}

int CmReadMeas(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
               int /*eventData1*/, int /*eventData2*/) {
    if (event != EVENT_TIMER_TICK) return 0;
    int ok = ViewTick(&gMeas, kInterval);
    if (measdisp <= 0) return ok; // the read's message closed the view
    // A failed read is kept too: it leaves a marked gap in every trace.
    TrendAdd(&gTrend, static_cast<long long>(std::time(nullptr)), ok, ViewTable(VIEW_MEAS).values,
             kTrendValues);
    int rows[4];
    PickedRows(rows);
    PlotTrendRead(gTrend.count - 1, rows);
    return ok;
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
    if (event == EVENT_COMMIT) ShowTrend();
    return 0;
}

void CloseMeasView() {
    CloseViewPanel(&gMeas);
}

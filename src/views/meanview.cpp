// Callbacks of the mean-values view: opening, the 5-second read, restart of the averaging
// interval, print, close.
#include "MainPan.h"
#include "config/commands.h"
#include "config/record.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "platform/ui/userint.h"
#include "views/panels.h"
#include "views/viewpanel.h"
#include "views/views.h"
#include "views/viewtables.h"

int meandisp = 0;

namespace {

ViewPanel gMean = {VIEW_MEAN, KIND_MEAN,  &meandisp,   MEAN_TIMER, MEAN_BUSY, MEAN_TITLE, MEAN_DATE,
                   MEAN_TIME, MEAN_PRINT, MEAN_RECORD, {},         {},        0,          ""};

constexpr double kInterval = 5.0;

} // namespace

void CmMeanValueDisplay(int /*menuBar*/, int /*menuItem*/, void * /*callbackData*/, int /*panel*/) {
    AddViewPanel(&gMean);
    if (OpenMeasurementView(&gMean)) InitMeanDisp();
}

void InitMeanDisp() {
    SetupViewPanel(&gMean, 0.0);
}

int CmReadAverage(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                  int /*eventData1*/, int /*eventData2*/) {
    if (event != EVENT_TIMER_TICK) return 0;
    return ViewTick(&gMean, kInterval);
}

int CmPrintMeanData(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                    int /*eventData1*/, int /*eventData2*/) {
    if (event == EVENT_COMMIT) PrintViewPanel(&gMean);
    return 0;
}

int CmMeanDone(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
               int /*eventData1*/, int /*eventData2*/) {
    if (event == EVENT_COMMIT) CloseViewPanel(&gMean);
    return 0;
}

int CmRestartInterval(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                      int /*eventData1*/, int /*eventData2*/) {
    if (event != EVENT_COMMIT) return 0;
    // A failed open has been reported by the link; there is nothing more to do. While the view
    // holds the port for its readings, this only borrows it: the close leaves it open.
    if (!InitInterface(CommPort)) return 0;
    status = Write(&Konf, WriteIntervalRestart, 1, 0);
    CloseInterface();
    return 0;
}

void CloseMeanView() {
    CloseViewPanel(&gMean);
}

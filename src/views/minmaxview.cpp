// Callbacks of the min/max view: opening, the 10-second read, print, reset of the chosen
// groups of extremes, close.
#include "MainPan.h"
#include "config/commands.h"
#include "config/record.h"
#include "link/linksettings.h"
#include "platform/ui/userint.h"
#include "views/panels.h"
#include "views/viewpanel.h"
#include "views/views.h"
#include "views/viewtables.h"

int minmaxdisp = 0;

namespace {

ViewPanel gMinMax = {
    VIEW_MINMAX, KIND_MINMAX, &minmaxdisp,  MINMAX_TIMER,  MINMAX_BUSY, MINMAX_TITLE,
    MINMAX_DATE, MINMAX_TIME, MINMAX_PRINT, MINMAX_RECORD, {},          {},
    0,           ""};

constexpr double kInterval = 10.0;
constexpr double kAfterReset = 2.0;
// The reset boxes in the order of the bits of the reset word.
const int kResetBoxes[8] = {MINMAX_RESET0, MINMAX_RESET1, MINMAX_RESET2, MINMAX_RESET3,
                            MINMAX_RESET4, MINMAX_RESET5, MINMAX_RESET6, MINMAX_RESET7};

} // namespace

void CmMinMaxDisplay(int /*menuBar*/, int /*menuItem*/, void * /*callbackData*/, int /*panel*/) {
    AddViewPanel(&gMinMax);
    if (OpenMeasurementView(&gMinMax)) InitMinMaxDisp();
}

void InitMinMaxDisp() {
    // The queues are not flushed here: the configuration has just been read over the same line.
    SetupViewPanel(&gMinMax, 0.0);
}

int CmReadMinMax(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                 int /*eventData1*/, int /*eventData2*/) {
    if (event != EVENT_TIMER_TICK) return 0;
    return ViewTick(&gMinMax, kInterval);
}

int CmPrintMinMaxData(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                      int /*eventData1*/, int /*eventData2*/) {
    if (event == EVENT_COMMIT) PrintViewPanel(&gMinMax);
    return 0;
}

int CmResetMinMax(int panel, int /*control*/, int event, void * /*callbackData*/,
                  int /*eventData1*/, int /*eventData2*/) {
    if (event != EVENT_COMMIT) return 0;
    ResetMinMax = 0;
    for (int i = 0; i < 8; ++i) {
        int ticked = 0;
        GetCtrlVal(panel, kResetBoxes[i], &ticked);
        SetCtrlVal(panel, kResetBoxes[i], 0);
        if (ticked) ResetMinMax = static_cast<int16_t>(ResetMinMax | (1 << i));
    }
    status = Write(&Lese, WriteResetMinMax, 1, 0);
    // The cleared extremes show 2 s later, then every 10 s again.
    SetCtrlAttribute(panel, MINMAX_TIMER, ATTR_INTERVAL, kAfterReset);
    return 0;
}

int CmCloseMinMax(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                  int /*eventData1*/, int /*eventData2*/) {
    if (event == EVENT_COMMIT) CloseViewPanel(&gMinMax);
    return 0;
}

void CloseMinMaxView() {
    CloseViewPanel(&gMinMax);
}

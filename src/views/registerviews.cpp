// Registers the measurement views with the panel manager.
#include "MainPan.h"
#include "views/panels.h"
#include "views/views.h"

void RegisterViews() {
    // Instantaneous and min/max values fill the main window; mean values keep their own size.
    RegisterPanelKind(KIND_MEAS, {MEAS, &measdisp, 0, 1, CloseMeasView});
    RegisterPanelKind(KIND_MINMAX, {MINMAX, &minmaxdisp, 0, 1, CloseMinMaxView});
    RegisterPanelKind(KIND_MEAN, {MEAN, &meandisp, 0, 0, CloseMeanView});
    // The logger fills the window too; meters and simulation keep their designed size.
    RegisterPanelKind(KIND_METERS, {METERS, &meterdisp, 0, 0, CloseMeterView});
    RegisterPanelKind(KIND_LOGGER, {LOGGER, &logdisp, 0, 1, CloseLoggerView});
    RegisterPanelKind(KIND_SIMULATION, {SIMULATION, &simdisp, 0, 0, CloseSimulationView});
}

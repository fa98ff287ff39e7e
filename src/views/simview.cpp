// Callbacks of the output-simulation view: opening with the outputs in manual mode, the four
// switch buttons, and the close that gives the outputs their functions back.
#include "MainPan.h"
#include "config/commands.h"
#include "config/record.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "platform/ui/userint.h"
#include "views/panels.h"
#include "views/simulation.h"
#include "views/viewpanel.h"
#include "views/views.h"

int simdisp = 0;

namespace {

ViewPanel gSim = {-1, KIND_SIMULATION, &simdisp, 0, 0, SIMULATION_TITLE, 0, 0, 0, 0, {}, {}, 0, ""};

// The buttons in switch order, and each one's partner.
const int kButtons[4] = {SIMULATION_OUT1_ON, SIMULATION_OUT1_OFF, SIMULATION_OUT2_ON,
                         SIMULATION_OUT2_OFF};

} // namespace

void CmSimulation(int /*menuBar*/, int /*menuItem*/, void * /*callbackData*/, int /*panel*/) {
    if (!OpenViewLink()) return;
    status = BeginOutputSimulation();
    if (!status) {
        CloseInterface();
        return;
    }
    if (ShowViewPanel(&gSim)) {
        InitSimulation();
    } else if (InitInterface(CommPort)) {
        // The view cannot show: the outputs go back at once.
        EndOutputSimulation();
        CloseInterface();
    }
}

void InitSimulation() {
    ShowBusTitle(&gSim);
    InstallPanelCallback(simdisp, PanelEvents, nullptr);
}

int SimDigout(int panel, int control, int event, void * /*callbackData*/, int /*eventData1*/,
              int /*eventData2*/) {
    if (event != EVENT_COMMIT) return 0;
    for (int b = 0; b < 4; ++b) {
        if (kButtons[b] != control) continue;
        int value = 0, partner = 0;
        GetCtrlVal(panel, control, &value);
        uint16_t word = SwitchCommandWord(b, value, &partner);
        SetCtrlVal(panel, kButtons[b ^ 1], partner);
        status = SendOutputCommand(word);
    }
    return 0;
}

int CmSimDone(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
              int /*eventData1*/, int /*eventData2*/) {
    if (event == EVENT_COMMIT) CloseSimulationView();
    return 0;
}

void CloseSimulationView() {
    if (simdisp <= 0) return;
    status = EndOutputSimulation();
    CloseViewPanel(&gSim);
}

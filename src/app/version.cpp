// The version pop-up: the addressed instrument's two version numbers.
#include "MainPan.h"
#include "app/interface.h"
#include "config/commands.h"
#include "config/mainpanel.h"
#include "config/record.h"
#include "link/linksettings.h"
#include "link/panelload.h"
#include "link/port.h"
#include "platform/ui/userint.h"

void CmGetVersionInfo(int, int, void *, int) {
    if (!InitInterface(CommPort)) return;
    status = Read(&Lese, ReadDeviceInfo, 1);
    CloseInterface();
    if (!status) return;
    const int parent = GetActivePanel();
    const int panel = LoadPanelInLanguage(parent > 0 ? parent : 0, VERSION);
    if (panel <= 0) return;
    if (CommType == 1) AppendBusAddressToTitle(panel);
    char text[32];
    FormatVersion(Lese.Version1, text, sizeof text);
    SetCtrlVal(panel, VERSION_V1, text);
    FormatVersion(Lese.Version2, text, sizeof text);
    SetCtrlVal(panel, VERSION_V2, text);
    SetActiveCtrl(panel, VERSION_CLOSE);
    InstallPopup(panel);
    for (;;) {
        int where = 0, control = 0;
        if (GetUserEvent(1, &where, &control) < 0) break;
        if (where == panel && control == VERSION_CLOSE) break;
    }
    RemovePopup(0);
    DiscardPanel(panel);
}

int CmVersionEvents(int panel, int event, void *, int, int) {
    // Closing the window is the close button.
    if (event == EVENT_CLOSE) UserCommit(panel, VERSION_CLOSE);
    return 0;
}

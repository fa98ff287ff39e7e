// The display pop-up: the one editor that talks to the instrument directly. It holds the port
// open while it is shown and writes every brightness change at once.
#include "config/mainpanel.h"

#include <cstdio>

#include "MainPan.h"
#include "config/commands.h"
#include "config/record.h"
#include "link/frame.h"
#include "link/linksettings.h"
#include "link/panelload.h"
#include "link/port.h"
#include "platform/ui/userint.h"

namespace {
int handle = 0; // the display pop-up while it is open
}

void CmDisplay(int, int, void *, int) {
    if (!InitInterface(CommPort)) return;
    if (!Read(&Lese, ReadDisplay, 1)) {
        CloseInterface();
        return;
    }
    const int parent = GetActivePanel();
    handle = LoadPanelInLanguage(parent > 0 ? parent : 0, DISPLAY);
    if (handle <= 0) { // without its pop-up nobody would ever close the port
        handle = 0;
        CloseInterface();
        return;
    }
    if (CommType == 1) AppendBusAddressToTitle(handle);
    // Only a bus has other instruments to reach.
    SetCtrlAttribute(handle, DISPLAY_ALL, ATTR_DIMMED, CommType == 1 ? 0 : 1);
    SetCtrlVal(handle, DISPLAY_BRIGHT, static_cast<int>(Lese.Display));
    InstallPopup(handle);
}

void AppendBusAddressToTitle(int panel) {
    char title[256] = "", caption[256] = "", text[600];
    GetPanelAttribute(panel, ATTR_TITLE, title, sizeof title);
    GetCtrlVal(MainPanel, PANEL_ADDR_CAPTION, caption, sizeof caption);
    snprintf(text, sizeof text, "%s (%s %d)", title, caption, DeviceAddr);
    SetPanelAttribute(panel, ATTR_TITLE, text);
}

int CmSelBright(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int v = 0, all = 0;
    if (GetCtrlVal(panel, control, &v) < 0) return 0;
    const uint8_t old = Lese.Display;
    Lese.Display = static_cast<uint8_t>(v);
    GetCtrlVal(panel, DISPLAY_ALL, &all);
    // The register carries the new brightness and the connection type last read.
    if (!Write(&Lese, WriteDisplay, 1, all ? 1 : 0)) {
        Lese.Display = old;
        SetCtrlVal(panel, control, static_cast<int>(old));
    }
    return 0;
}

int CmDisplayDone(int panel, int, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    CloseInterface();
    RemovePopup(0);
    DiscardPanel(panel);
    handle = 0;
    return 0;
}

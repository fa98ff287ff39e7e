// The panel manager: which panel is shown inside the main window, with or without the menu bar
// and toolbar, and the main window's own events.
#include "views/panels.h"

#include "MainPan.h"
#include "config/document.h"
#include "config/mainpanel.h"
#include "link/panelload.h"
#include "platform/ui/userint.h"

int BkgndPanel = 0;
int menuHandle = 0;
ToolbarHandle gToolbar = 0;
int BkgndTop = 0;

namespace {

PanelKindInfo gKinds[KIND_COUNT] = {
    {PANEL, &MainPanel, 1, 1, nullptr},
};

// Fits a panel into the main window's client area below the menu bar and the toolbar.
void FitIntoMainWindow(int panel) {
    int frame = 0, menuVisible = 0, menuHeight = 0, height = 0, width = 0;
    GetPanelAttribute(panel, ATTR_FRAME_THICKNESS, &frame);
    GetPanelAttribute(BkgndPanel, ATTR_MENU_BAR_VISIBLE, &menuVisible);
    GetPanelAttribute(BkgndPanel, ATTR_HEIGHT, &height);
    GetPanelAttribute(BkgndPanel, ATTR_WIDTH, &width);
    int m = -2 * frame, t = 0;
    if (menuVisible) {
        GetPanelAttribute(BkgndPanel, ATTR_MENU_HEIGHT, &menuHeight);
        m = menuHeight;
        t = gToolbar ? Toolbar_Height(gToolbar) : 0;
    }
    int status = 0; // the status bar below the client area
    GetPanelAttribute(BkgndPanel, ATTR_STATUS_BAR_HEIGHT, &status);
    int h = height - (m + t + 6 * frame) - status;
    int w = width - 2 * frame;
    if (h < 1) h = 1;
    if (w < 1) w = 1;
    SetPanelSize(panel, h, w);
    SetPanelPos(panel, BkgndTop + m + t + 2 * frame, frame);
}

} // namespace

int RegisterPanelKind(int kind, const PanelKindInfo &info) {
    if (kind <= KIND_MAIN || kind >= KIND_COUNT || info.handle == nullptr) return -1;
    gKinds[kind] = info;
    return 0;
}

int KindOfPanel(int panel) {
    if (panel <= 0) return -1;
    for (int kind = 0; kind < KIND_COUNT; ++kind)
        if (gKinds[kind].handle && *gKinds[kind].handle == panel) return kind;
    return -1;
}

void ActivateMenu(int visible) {
    SetPanelAttribute(BkgndPanel, ATTR_MENU_BAR_VISIBLE, visible ? 1 : 0);
}

int ShowPanel(int kind) {
    if (kind < 0 || kind >= KIND_COUNT || gKinds[kind].resourceId <= 0)
        return UIE_RESOURCE_NOT_FOUND;
    const PanelKindInfo &info = gKinds[kind];
    int panel = LoadPanelInLanguage(BkgndPanel, info.resourceId);
    if (panel < 0) return panel;
    *info.handle = panel;
    if (info.withMenu) {
        ActivateMenu(1);
        if (gToolbar) Toolbar_Display(gToolbar);
    } else {
        ActivateMenu(0);
        if (gToolbar) Toolbar_Hide(gToolbar);
    }
    if (info.fitted) FitIntoMainWindow(panel);
    DisplayPanel(panel);
    return panel;
}

void ShowMainPanel() {
    ActivateMenu(1);
    if (gToolbar) Toolbar_Display(gToolbar);
    if (MainPanel > 0) {
        // The window may have changed size while a view covered it.
        FitIntoMainWindow(MainPanel);
        SetActivePanel(MainPanel);
    }
}

int CloseShownView() {
    for (int kind = KIND_MAIN + 1; kind < KIND_COUNT; ++kind) {
        const PanelKindInfo &info = gKinds[kind];
        if (info.handle && *info.handle > 0 && info.close) {
            info.close();
            return 1;
        }
    }
    return 0;
}

int PanelEvents(int /*panel*/, int event, void * /*callbackData*/, int /*eventData1*/,
                int /*eventData2*/) {
    switch (event) {
    case EVENT_PANEL_SIZE: {
        int active = GetActivePanel();
        int kind = KindOfPanel(active);
        // The main panel follows the window, so it never leaves a strip uncovered or runs out;
        // the instantaneous and simulation views keep the window to themselves.
        if (MainPanel > 0 && kind != KIND_MEAS && kind != KIND_SIMULATION) {
            int visible = 0;
            GetPanelAttribute(MainPanel, ATTR_VISIBLE, &visible);
            if (active == MainPanel || visible) {
                FitIntoMainWindow(MainPanel);
                ShowAll();
            }
        }
        break;
    }
    case EVENT_CLOSE:
        if (!KeepOrDropChanges()) break; // unsaved changes: the user may keep the program open
        // An open view first releases its port and restores what it changed in the instrument.
        CloseShownView();
        QuitUserInterface(0);
        break;
    default:
        break;
    }
    return 0;
}

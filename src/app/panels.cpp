// The panel manager: which panel is shown inside the main window, with or without the menu bar
// and toolbar, and the main window's own events.
#include "MainPan.h"
#include "app/app.h"
#include "config/mainpanel.h"
#include "platform/ui/resourcefile.h"
#include "platform/ui/userint.h"

#include <cstdio>
#include <cstring>

int BkgndPanel = 0;
int MainPanel = 0;
int measdisp = 0, minmaxdisp = 0, meandisp = 0, meterdisp = 0, logdisp = 0, simdisp = 0;
int menuHandle = 0;
ToolbarHandle gToolbar = 0;
int BkgndTop = 0;

namespace {

ViewCloseFn gViewClose = nullptr;

struct KindInfo {
    int resourceId; // panel resource of the kind; 0 while the view is not part of the resource
    int *handle;
    bool withMenu; // menu bar and toolbar stay visible
    bool fitted;   // fills the main window's client area
};

// The views come with their own panels; until then their kinds have no resource.
KindInfo gKinds[KIND_COUNT] = {
    {PANEL, &MainPanel, true, true}, {0, &measdisp, false, true},  {0, &minmaxdisp, false, true},
    {0, &logdisp, false, true},      {0, &meandisp, false, false}, {0, &meterdisp, false, false},
    {0, &simdisp, false, false},
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
    int h = height - (m + t + 6 * frame);
    int w = width - 2 * frame;
    if (h < 1) h = 1;
    if (w < 1) w = 1;
    SetPanelSize(panel, h, w);
    SetPanelPos(panel, BkgndTop + m + t + 2 * frame, frame);
}

} // namespace

void ActivateMenu(int visible) {
    SetPanelAttribute(BkgndPanel, ATTR_MENU_BAR_VISIBLE, visible ? 1 : 0);
}

int ShowPanel(int kind) {
    if (kind < 0 || kind >= KIND_COUNT || gKinds[kind].resourceId <= 0)
        return UIE_RESOURCE_NOT_FOUND;
    const KindInfo &info = gKinds[kind];
    int panel = LoadPanel(BkgndPanel, MainResourceFile(), info.resourceId);
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

void SetActiveViewClose(ViewCloseFn fn) {
    gViewClose = fn;
}

int PanelEvents(int /*panel*/, int event, void * /*callbackData*/, int /*eventData1*/,
                int /*eventData2*/) {
    switch (event) {
    case EVENT_PANEL_SIZE: {
        int active = GetActivePanel();
        // The main panel follows the window, so it never leaves a strip uncovered or runs out.
        if (MainPanel > 0 && active != measdisp && active != simdisp) {
            int visible = 0;
            GetPanelAttribute(MainPanel, ATTR_VISIBLE, &visible);
            if (active == MainPanel || visible) {
                FitIntoMainWindow(MainPanel);
                ShowAll();
            }
        }
        break;
    }
    case EVENT_CLOSE: {
        // An open view first closes its port and restores what it changed in the instrument.
        ViewCloseFn close = gViewClose;
        gViewClose = nullptr;
        if (close) close();
        QuitUserInterface(0);
        break;
    }
    default:
        break;
    }
    return 0;
}

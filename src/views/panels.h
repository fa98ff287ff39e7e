// The panel manager: which panel is shown inside the main window, with or without the menu bar
// and toolbar. The main panel is known here; every measurement view registers its kind (its
// panel resource, the global that holds its handle, how it is placed, and its close routine),
// so the shell opens and closes views without knowing their insides.
#pragma once

#include "platform/toolbar/toolbar.h"

// ---- the main window ----------------------------------------------------------------------------
// Set by the shell when it builds the main window (and cleared when it discards it).
extern int BkgndPanel;         // the main window: carries the menu bar and the toolbar
extern int menuHandle;         // the main window's menu bar
extern ToolbarHandle gToolbar; // the main window's toolbar, 0 when there is none
extern int BkgndTop;           // top of the main window's content, taken once it is shown

// ---- panel kinds --------------------------------------------------------------------------------
enum PanelKind {
    KIND_MAIN = 0,
    KIND_MEAS,   // instantaneous values
    KIND_MINMAX, // min/max values
    KIND_LOGGER,
    KIND_MEAN, // mean values
    KIND_METERS,
    KIND_SIMULATION,
    KIND_COUNT
};

// What a view tells the manager about itself.
struct PanelKindInfo {
    int resourceId; // panel resource of the kind
    int *handle;    // where the handle of the shown panel is kept (0 while none is shown)
    int withMenu;   // menu bar and toolbar stay visible
    int fitted;     // fills the main window's client area; otherwise keeps its designed place
    // Closes the shown view as its close button does (timers stopped, port released, what the
    // view changed in the instrument restored, panel discarded). The manager runs it when the
    // main window closes while the view is shown.
    void (*close)();
};

// Registers (or replaces) a view kind; KIND_MAIN is the manager's own. 0 on success.
int RegisterPanelKind(int kind, const PanelKindInfo &info);

// Loads, places and shows a panel of the given kind as a child of the main window; returns its
// handle or a negative code (also for a kind nobody registered).
int ShowPanel(int kind);
// Shows the menu bar and toolbar again and makes the main panel the active one.
void ShowMainPanel();
void ActivateMenu(int visible);
// The kind whose panel has this handle, or -1.
int KindOfPanel(int panel);
// Runs the close routine of the view that is shown, if any; 1 when one ran.
int CloseShownView();

// Panel callback of the main window and the main panel: size changes refit the main panel,
// closing the window closes the shown view and ends the event loop.
int PanelEvents(int panel, int event, void *callbackData, int eventData1, int eventData2);

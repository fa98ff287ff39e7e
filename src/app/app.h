// The application shell: start-up and shutdown, the panel manager, the main window's menu and
// toolbar commands, the about panel. Everything here runs on the one user-interface thread.
#pragma once

#include "platform/toolbar/toolbar.h"

// ---- program-wide handles -----------------------------------------------------------------------
extern int BkgndPanel; // the main window: carries the menu bar and the toolbar
extern int MainPanel;  // the configuration panel inside the main window
extern int measdisp, minmaxdisp, meandisp, meterdisp, logdisp, simdisp; // the measurement views
extern int menuHandle;         // the main window's menu bar
extern ToolbarHandle gToolbar; // the main window's toolbar, 0 when there is none
extern int BkgndTop;           // top of the main window, taken once it is shown

// ---- language ----------------------------------------------------------------------------------
extern char LanguageFile[32]; // file name of the current language file (no directory)
// Builds the main window, its menu bar, the toolbar and the main panel and presents Konf on it.
// Returns 1 when the window stands, 0 when the main window or its menu bar cannot be loaded.
int ChangeLanguage(int language);
// Language number -> language file name; numbers outside the known ones give the English file.
const char *LanguageFileName(int language);

// ---- start-up and shutdown ---------------------------------------------------------------------
// Everything before the event loop. 0 when the window is up; -1 when the user-interface run-time
// cannot start; -2 when the main window cannot be built (the reason is in StartupError()).
int StartProgram(int argc, char **argv);
const char *StartupError();
// Discards the toolbar, the main panel and the main window. Writes nothing.
void ShutdownProgram();

// ---- panel manager -----------------------------------------------------------------------------
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
// Loads, places and shows a panel of the given kind; returns its handle or a negative code.
int ShowPanel(int kind);
void ShowMainPanel();
void ActivateMenu(int visible);
int PanelEvents(int panel, int event, void *callbackData, int eventData1, int eventData2);

// A measurement view registers its close routine while it is shown; closing the main window then
// runs it first, so the port is closed and simulated outputs are restored before the program ends.
// nullptr clears it (the view does so in its own close callback).
typedef void (*ViewCloseFn)();
void SetActiveViewClose(ViewCloseFn fn);

// ---- commands ----------------------------------------------------------------------------------
void Update_Time();
void CmFileNew(int menuBar, int menuItem, void *callbackData, int panel);
void ExitProgram(int menuBar, int menuItem, void *callbackData, int panel);
void CmPrint(int menuBar, int menuItem, void *callbackData, int panel);
void CmHelpAbout(int menuBar, int menuItem, void *callbackData, int panel);
int CloseHelpInfo(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);
int CmRestartInterval(int panel, int control, int event, void *callbackData, int eventData1,
                      int eventData2);
// The version shown on the about panel.
extern const char kProgramVersion[];
// Handle of the about panel while it is shown, 0 otherwise.
extern int aboutPanel;

// ---- toolbar -----------------------------------------------------------------------------------
ToolbarHandle InitToolbar(int mainWindow);
void InitToolbarDeviceAddr(ToolbarHandle toolbar);
int RingCallback(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
// Id of the device-address selector on the toolbar, 0 when there is none.
extern int gAddrRing;

// Commands that belong to the shell: new configuration, print, exit, the about panel.
#include "MainPan.h"
#include "app/app.h"
#include "config/document.h"
#include "config/mainpanel.h"
#include "config/record.h"
#include "config/settings.h"
#include "link/linksettings.h"
#include "link/panelload.h"
#include "platform/ui/userint.h"

#include <cstdio>
#include <cstring>
#include <ctime>

const char kProgramVersion[] = "1.00";
int aboutPanel = 0;

void Update_Time() {
    if (MainPanel <= 0) return;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (now == static_cast<std::time_t>(-1) || !localtime_r(&now, &local)) return;
    char date[16], clock[16];
    std::snprintf(date, sizeof date, "%02u.%02u.%04u", unsigned(local.tm_mday),
                  unsigned(local.tm_mon + 1), unsigned(local.tm_year + 1900));
    std::snprintf(clock, sizeof clock, "%02u:%02u:%02u", unsigned(local.tm_hour),
                  unsigned(local.tm_min), unsigned(local.tm_sec));
    SetCtrlVal(MainPanel, PANEL_DATE, date);
    SetCtrlVal(MainPanel, PANEL_TIME, clock);
}

void CmFileNew(int menuBar, int menuItem, void *callbackData, int panel) {
    (void)menuBar;
    (void)menuItem;
    (void)callbackData;
    (void)panel;
    if (!KeepOrDropChanges()) return;
    // The settings file holds the module and the rated values a new configuration starts from.
    ReadINIFile();
    InitNeueDatei();
    ActivateObjects();
    ShowAll();
    StartDocument("");
}

void ExitProgram(int menuBar, int menuItem, void *callbackData, int panel) {
    (void)menuBar;
    (void)menuItem;
    (void)callbackData;
    (void)panel;
    if (!KeepOrDropChanges()) return;
    QuitUserInterface(0);
}

void CmPrint(int menuBar, int menuItem, void *callbackData, int panel) {
    (void)menuBar;
    (void)menuItem;
    (void)callbackData;
    (void)panel;
    // The main window has nothing of its own to print: the configuration is on the main panel.
    int target = GetActivePanel();
    if (target <= 0 || target == BkgndPanel) target = MainPanel;
    if (target <= 0) return;
    Update_Time();
    // The print-out says what it is: the program, the configuration's file, when.
    char name[260] = "", date[16] = "", clock[16] = "", heading[600];
    DocumentName(name, sizeof name);
    GetCtrlVal(MainPanel, PANEL_DATE, date, sizeof date);
    GetCtrlVal(MainPanel, PANEL_TIME, clock, sizeof clock);
    char program[256] = "";
    GetPanelAttribute(BkgndPanel, ATTR_TITLE, program, sizeof program);
    const char *dash = std::strstr(program, " - "); // the title is "name - program"
    std::snprintf(heading, sizeof heading, "%s    %s    %s %s", dash ? dash + 3 : program, name,
                  date, clock);
    SetPrintAttribute(ATTR_PRINT_HEADING, heading);
    if (MainPanel > 0) {
        SetCtrlAttribute(MainPanel, PANEL_DATE, ATTR_VISIBLE, 1);
        SetCtrlAttribute(MainPanel, PANEL_TIME, ATTR_VISIBLE, 1);
    }
    PrintPanel(target);
    if (MainPanel > 0) {
        SetCtrlAttribute(MainPanel, PANEL_DATE, ATTR_VISIBLE, 0);
        SetCtrlAttribute(MainPanel, PANEL_TIME, ATTR_VISIBLE, 0);
    }
}

namespace {

// Closing the about window by its frame does what its close button does.
int AboutPanelEvents(int panel, int event, void *callbackData, int eventData1, int eventData2) {
    if (event == EVENT_CLOSE)
        CloseHelpInfo(panel, ABOUT_CLOSE, EVENT_COMMIT, callbackData, eventData1, eventData2);
    return 0;
}

} // namespace

void CmHelpAbout(int menuBar, int menuItem, void *callbackData, int panel) {
    (void)menuBar;
    (void)menuItem;
    (void)callbackData;
    (void)panel;
    if (aboutPanel > 0) return; // already shown
    int parent = GetActivePanel();
    if (parent < 0) parent = 0;
    int about = LoadPanelInLanguage(parent, ABOUT);
    if (about < 0) return;
    aboutPanel = about;
    InstallPanelCallback(about, AboutPanelEvents, nullptr);
    SetCtrlVal(about, ABOUT_VERSION, kProgramVersion);
    SetActiveCtrl(about, ABOUT_CLOSE);
    InstallPopup(about);
}

int CloseHelpInfo(int panel, int /*control*/, int event, void * /*callbackData*/,
                  int /*eventData1*/, int /*eventData2*/) {
    if (event != EVENT_COMMIT) return 0;
    DiscardPanel(panel);
    if (panel == aboutPanel) aboutPanel = 0;
    return 0;
}

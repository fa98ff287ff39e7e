// The application shell: start-up and shutdown, the main window's menu and toolbar commands,
// the language, the about panel. Everything here runs on the one user-interface thread.
#pragma once

#include "link/panelload.h"
#include "views/panels.h"

// ---- language ----------------------------------------------------------------------------------
// LanguageFile, the current language file's name, belongs to the language layer (localui.h);
// the file of each language number is LanguageFileName (panelload.h).
// Builds the main window, its menu bar, the toolbar and the main panel in the language and
// presents Konf on it. When the language file cannot be used, the window comes up in English
// (with the English file, or failing that with the resource's own texts): the user is told
// which file and why on standard error and, once the event loop runs, in a pop-up. Returns 1
// when the window stands, 0 when not even the resource's own texts can be loaded.
int ChangeLanguage(int language);
// Menu commands: the window is built anew in German or English around the same configuration.
void CmLangDeu(int menuBar, int menuItem, void *callbackData, int panel);
void CmLangEng(int menuBar, int menuItem, void *callbackData, int panel);
// Discards the toolbar, the main panel and the main window with its menu bar.
void DiscardMainWindow();
// Tells the user, once per file, of a language file that refused a panel since the last call
// (the panel came up in English). Runs after every callback.
void TellLanguageRefusals();
// Forgets what is still to be told and removes the file of the resource's own texts.
void ForgetLanguageFileErrors();

// ---- start-up and shutdown ---------------------------------------------------------------------
// Everything before the event loop. 0 when the window is up; -1 when the user-interface run-time
// cannot start; -2 when the main window cannot be built (the reason is in StartupError()).
int StartProgram(int argc, char **argv);
const char *StartupError();
// Discards the toolbar, the main panel and the main window. Writes nothing.
void ShutdownProgram();

// ---- the main window ---------------------------------------------------------------------------
// The title follows the document: "name - program", with a mark while it has unsaved changes.
void ShowWindowTitle();
// The status bar: the port (number and device), the connection, the last transfer's outcome.
void ShowStatusBar();
// Both of the above; runs after every callback, so they follow whatever a callback changed.
void AfterEachCallback();
// The main window's place and size: as remembered from the last run (maximised the first time),
// and remembered for the next one.
void PlaceMainWindow();
void RememberWindowPlace();

// ---- commands ----------------------------------------------------------------------------------
void Update_Time();
void CmFileNew(int menuBar, int menuItem, void *callbackData, int panel);
void ExitProgram(int menuBar, int menuItem, void *callbackData, int panel);
void CmPrint(int menuBar, int menuItem, void *callbackData, int panel);
void CmHelpAbout(int menuBar, int menuItem, void *callbackData, int panel);
int CloseHelpInfo(int panel, int control, int event, void *callbackData, int eventData1,
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

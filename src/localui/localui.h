// Loading panels and menu bars in the current language, and the trees behind it: a loaded
// object is mirrored into a tree (uitree.h), the tree is filled from the language file
// (langfile.h) and every text the file has is written back into the live object. Every panel
// and menu bar of the program is loaded through here.
//
// Results are the user-interface library's codes (userint.h): a load's own code, or for a
// language file that is bad or incomplete UIE_LANG_BAD_FILE, that does not fit the panel
// UIE_LANG_KIND_DIFFERS / UIE_LANG_COUNT_DIFFERS, that cannot be read UIE_FILE_OPEN /
// UIE_FILE_ACCESS, UIE_OUT_OF_MEMORY, and UIE_MISSING_ARGUMENT without a file name.
#pragma once

#include "localui/langfile.h"
#include "localui/uitree.h"

// File name of the current language file; a name without a directory is looked up in the
// program's directory first.
extern char LanguageFile[32];

// Loads the panel and localizes it and its menu bar. 0 with *panelHandle set, or a negative
// code with no panel left loaded and *panelHandle 0.
int LoadLocalizedPanel(int parentPanel, const char *uirFile, int panelResourceId,
                       const char *languageFile, int *panelHandle);
// Applies the language file to a loaded panel and, when it has one, to its menu bar. A file
// that does not fit leaves the panel as it was. 0 or a negative code.
int LocalizePanel(int panel, const char *languageFile);
// The same for menu bars (panel 0: a menu bar of no panel).
int LoadLocalizedMenuBar(int parentPanel, const char *uirFile, int menuBarResourceId,
                         const char *languageFile, int *menuBarHandle);
int LocalizeMenuBar(int menuBar, const char *languageFile);

// The resource's own texts, no language file read: what a load falls back on when no language
// file can be used (the English file is made from these very texts). A load's own code.
int LoadBuiltInPanel(int parentPanel, const char *uirFile, int panelResourceId, int *panelHandle);
int LoadBuiltInMenuBar(int parentPanel, const char *uirFile, int menuBarResourceId,
                       int *menuBarHandle);

// Where a language file name leads: a name without a directory in the program's directory
// when the file is there, else as given. Never null; valid until the next call.
const char *LanguageFilePath(const char *languageFile);

// Tree builders. Without texts the records get names, kinds and counts and empty slots, as a
// language file is read into; with texts the built-in slots hold the objects' own texts,
// flagged present when not empty, as they are exported. 0 or a negative code; a failed build
// leaves the tree empty.
int UIPanelToPNLAndCTRLs(int panel, PNL *tree, int withTexts);
int UIControlToCTRL(int panel, int control, PNL *owner, CTRL *ctrl, int withTexts);
int UIMenubarToMENUBARAndMENUITEMs(int menuBar, MENUBAR *tree, int withTexts);
// The entries of menu `menu` (0: the menus of the bar) into items, separators left out, each
// with its submenu. parentItem is the record of `menu` (null for the bar).
int UIMenuToMENUITEMs(int menuBar, int menu, MENUBAR *tree, MENUITEM *parentItem,
                      std::vector<std::unique_ptr<MENUITEM>> *items, int withTexts);

// Appliers: every translated text flagged present is set; absent ones leave the live text as
// it is. The first failing call ends the application with its code.
int PNLAndCTRLLocalsToPanelAndControls(const PNL &tree);
int PNLLocalStrsToUIPanel(const PNL &tree);
int CTRLLocalStrsToUIControl(int panel, const CTRL &ctrl);
int MENUBARAndMENUITEMLocalStrsToUIMenuAndMenuItems(const MENUBAR &tree);
int MENUITEMLocalStrsToUIMenu(int menuBar, const std::vector<std::unique_ptr<MENUITEM>> &items);

// Loads every panel and menu bar of a resource file, as the resource gives them, and writes
// their texts as a new language file: how the English file is made from the resource and how
// a translation is started. 0, or a load's or the export's code (mapped as above).
int ExportResourceToLangFile(const char *uirFile, const char *path);

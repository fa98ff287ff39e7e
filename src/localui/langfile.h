// Language files: the translatable texts of panels, controls and menus for one language, as an
// INI document in file order. A header section "Language Resource File" holds "Version" = 100
// and "Magic" = -1395807027 (0xACCDACCD). Every panel, control and menu entry has a section of
// its full constant name ("PANEL", "PANEL_SYSTEM", "MENU_FILE_NEW"); its "Flags" item holds one
// byte per translatable text, 'v' when the text is present and 'u' when not (data encoding), and
// a text item is written, and required, only for a 'v'. Controls start with "Type", their
// text-bearing kind, and carry the counts their texts depend on (docs/language-files.md).
#pragma once

#include "inifile/inifile.h"
#include "localui/uitree.h"

#include <vector>

// The file's own codes; the loaders turn them into the user-interface codes
// (LangFileErrorToUIError).
enum {
    LANG_ERR_MEMORY = -1,        // out of memory or an engine failure
    LANG_ERR_ARGUMENT = -2,      // missing argument (no language file given)
    LANG_ERR_NOT_LANG_FILE = -3, // header missing or wrong
    LANG_ERR_BAD_FLAGS = -4,     // malformed flags or an unreadable item
    LANG_ERR_KIND = -7,          // the control's kind in the file differs from the panel
    LANG_ERR_COUNT = -8,         // item, axis or table counts differ from the panel
    LANG_ERR_MISSING = -9,       // section or text missing, or the wrong number of flags
    LANG_ERR_FILE_IO = -10,      // the file cannot be read or written
    LANG_ERR_FILE_OPEN = -11,    // the file cannot be opened for reading
    LANG_ERR_COPY_MEMORY = -12,  // out of memory while copying texts
};

constexpr const char *LANG_HEADER_SECTION = "Language Resource File";
constexpr int LANG_FILE_VERSION = 100;
constexpr int LANG_FILE_MAGIC = static_cast<int>(0xACCDACCDu);

// -12, -65, -6000, -45, -46, -93 or -94 for a code above; 0, positive and other codes as they
// are.
int LangFileErrorToUIError(int code);

// Writes a new language file from trees built with texts: the header, then every panel with its
// controls in order, then every menu bar's menus, each followed depth-first by its submenus.
// The file is replaced only by a complete new one. 0 or a code above.
int ExportAllObjectsToLangFile(const std::vector<const PNL *> &panels,
                               const std::vector<const MENUBAR *> &menuBars, const char *path);

// Reads the texts of one panel and its controls into the tree's translated slots. The tree's
// kinds and counts must be those of the file, control by control; the first fault ends the
// read with its code, and the tree's texts must then not be applied. 0 or a code above.
int LangFileToPNLAndCTRLLocalStrs(const char *path, PNL *panelTree);
// The same for the menus and items of a menu bar.
int LangFileToMENUBARAndMENUITEMLocalStrs(const char *path, MENUBAR *menuBarTree);

// The steps of the two readers, for a document already in memory: reads the file (0 or -1,
// -10, -11) and checks the header (-3). *doc is null on failure and else the caller's.
int LangFileOpen(const char *path, IniDoc *doc);
int LangFileCheckHeader(IniDoc doc);
int LangDocToPNLAndCTRLLocalStrs(IniDoc doc, PNL *panelTree);
int LangDocToMENUBARAndMENUITEMLocalStrs(IniDoc doc, MENUBAR *menuBarTree);

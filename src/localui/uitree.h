// The in-memory mirror of loaded panels and menu bars through which a language is applied:
// constant names, text-bearing kinds, counts, and a built-in and a translated text slot for
// every translatable text. Plain data; building a tree from live objects and applying one to
// them is in localui.h, reading and writing language files in langfile.h.
#pragma once

#include <memory>
#include <string>
#include <vector>

// Record types: every record starts with one.
enum {
    LOCALUI_REC_PNL = 1,
    LOCALUI_REC_MENUBAR = 2,
    LOCALUI_REC_CTRL = 3,
    LOCALUI_REC_MENUITEM = 4
};

// Presence flags of a text, as stored in a language file's "Flags".
constexpr char LOCALUI_TEXT_PRESENT = 'v';
constexpr char LOCALUI_TEXT_ABSENT = 'u';

// Text-bearing kinds of controls.
enum {
    LOCALUI_KIND_NO_TEXT = 1,  // pictures, timers
    LOCALUI_KIND_LABEL = 2,    // label only
    LOCALUI_KIND_STRING = 3,   // label, value text
    LOCALUI_KIND_TEXT_MSG = 4, // value text
    LOCALUI_KIND_SWITCH = 5,   // label, on text, off text
    LOCALUI_KIND_GRAPH = 6,    // label, axis names (X, left Y, right Y), axis item labels
    LOCALUI_KIND_STRIP = 7,    // label, axis names (X, Y), axis item labels
    LOCALUI_KIND_LIST = 8,     // label, item labels, text item values
    LOCALUI_KIND_TABLE = 9,    // label, row labels, column labels, cells
};

// One translatable text: flag 'v' with its text, or 'u' and no text.
struct TextSlot {
    char flag = LOCALUI_TEXT_ABSENT;
    std::string text;
};

struct PNL;

// A control. counts by kind: 6 X, left Y, right Y axis items; 7 X, Y axis items; 8 items and
// text values; 9 rows and columns. The slots are in the order of the control's flag bytes:
// label first (kinds 2, 3, 5..9), then the kind's texts (CtrlTextKey names them).
struct CTRL {
    int recordType = LOCALUI_REC_CTRL;
    PNL *panel = nullptr; // owning panel record
    int id = 0;
    std::string constName; // the control's own name part, "SYSTEM" of "PANEL_SYSTEM"
    int kind = 0;
    int counts[3] = {0, 0, 0};
    std::vector<TextSlot> builtIn; // the texts the control has (filled when built with texts)
    std::vector<TextSlot> local;   // the texts of the language file
};

// A panel with its controls in the panel's control order. Records point at their panel, so a
// panel record stays where it was built.
struct PNL {
    int recordType = LOCALUI_REC_PNL;
    int handle = 0;
    std::string constName;
    TextSlot builtInTitle, localTitle;
    std::vector<CTRL> ctrls;

    PNL() = default;
    PNL(const PNL &) = delete;
    PNL &operator=(const PNL &) = delete;
};

struct MENUBAR;

// A menu (directly under the bar) or a menu item; its submenu's entries, separators left out.
struct MENUITEM {
    int recordType = LOCALUI_REC_MENUITEM;
    MENUBAR *menuBar = nullptr; // the bar it belongs to
    MENUITEM *parent = nullptr; // the item whose submenu holds it; null for a menu of the bar
    int id = 0;
    std::string constName; // own name part, "NEW" of "MENU_FILE_NEW"
    TextSlot builtInName, localName;
    std::vector<std::unique_ptr<MENUITEM>> items;
};

struct MENUBAR {
    int recordType = LOCALUI_REC_MENUBAR;
    int handle = 0;
    std::string constName;
    std::vector<std::unique_ptr<MENUITEM>> menus;

    MENUBAR() = default;
    MENUBAR(const MENUBAR &) = delete;
    MENUBAR &operator=(const MENUBAR &) = delete;
};

// Number of flag bytes of a control of that kind and those counts; -1 for a kind outside 1..9
// or a negative count.
int CtrlFlagCount(int kind, const int counts[3]);
// Sizes both slot lists of the control to its flag count, every slot absent. -1 as above.
int CtrlResetSlots(CTRL *ctrl);
// What text slot `slot` of a control stands for: its role, and for counted texts the axis
// (VAL_XAXIS 0, left Y 1, right Y 2) and item index from 0, or the row and column from 1.
enum {
    SLOT_NONE = 0, // outside the control's flag count
    SLOT_LABEL,
    SLOT_VALUE, // string, text box, text message
    SLOT_ON_TEXT,
    SLOT_OFF_TEXT,
    SLOT_X_NAME,
    SLOT_LEFT_Y_NAME,
    SLOT_RIGHT_Y_NAME,
    SLOT_AXIS_ITEM,  // axis, index
    SLOT_ITEM_LABEL, // index
    SLOT_ITEM_VALUE, // index
    SLOT_ROW_LABEL,  // row
    SLOT_COL_LABEL,  // column
    SLOT_CELL,       // row, column
};
struct SlotRole {
    int role = SLOT_NONE;
    int axis = 0;
    int index = 0; // item index, or row
    int column = 0;
};
SlotRole CtrlSlotRole(const CTRL &ctrl, int slot);

// Key of text slot `slot` of the control: "Label", "Default", "On", "Xname", "ItemLabel_3",
// "Cell(2,1)" (column first), ...; empty for a slot outside the control's flag count.
std::string CtrlTextKey(const CTRL &ctrl, int slot);

// A count a control's section stores: its key and the index into CTRL::counts.
struct CountKey {
    const char *key;
    int index;
};
// The counts of the kind in the order they are written; their number (0 for kinds without).
int CtrlCountKeys(int kind, const CountKey **keys);
// Graphs write "Flags" before their counts, every other kind after them.
bool CtrlFlagsBeforeCounts(int kind);

// The name part of a full constant name below its parent: "SYSTEM" of "PANEL_SYSTEM" under
// "PANEL". A name that does not start with the parent's name and "_" is its own part.
std::string ConstNamePart(const std::string &fullName, const std::string &parentName);

// Section names of the language file.
std::string CtrlSectionName(const PNL &panel, const CTRL &ctrl);
std::string MenuItemSectionName(const std::string &parentSection, const MENUITEM &item);

// Release everything a tree holds; the record is empty afterwards and can be built again.
void FreeDataForPNLAndCTRLs(PNL *tree);
void FreeDataForMENUBARAndMENUITEMs(MENUBAR *tree);

// User-interface platform: panels, controls, menu bars, pop-ups, timers and the event loop,
// addressed by integer handles and the control ids generated from the resource file. The
// application never sees a toolkit type; Qt lives only in this folder's .cpp files.
//
// Rules every caller relies on:
// - A value or attribute set by the program never fires the control's callback; callbacks
//   answer the user only.
// - Callbacks run on the one user-interface thread, one at a time.
// - Handles are positive; a negative result is an error code (UIE_... below).
#pragma once

#include <cstddef>

// ---- callbacks --------------------------------------------------------------------------------
typedef int (*CtrlCallbackPtr)(int panel, int control, int event, void *callbackData,
                               int eventData1, int eventData2);
typedef int (*PanelCallbackPtr)(int panel, int event, void *callbackData, int eventData1,
                                int eventData2);
typedef void (*MenuCallbackPtr)(int menuBar, int menuItem, void *callbackData, int panel);
typedef void (*DeferredCallbackPtr)(void *callbackData);

// ---- events -----------------------------------------------------------------------------------
enum {
    EVENT_NONE = 0,
    EVENT_COMMIT = 1,      // button pressed, ring/list/numeric/string committed, menu chosen
    EVENT_VAL_CHANGED = 2, // value changed while editing (not yet committed)
    EVENT_TIMER_TICK = 3,  // a timer control's interval has passed
    EVENT_CLOSE = 4,       // the user closes a panel's window
    EVENT_PANEL_SIZE = 5,  // a panel's size changed
    EVENT_GOT_FOCUS = 6,
    EVENT_LOST_FOCUS = 7,
    EVENT_DISCARD = 8,
};

// ---- control kinds (as declared in the resource file) -----------------------------------------
enum {
    CTRL_DECORATION = 1, // frame, line, group box (label: its title, so it is translated too)
    CTRL_PICTURE,        // image: no text
    CTRL_NUMERIC,        // editable or indicator number (label)
    CTRL_COMMAND_BUTTON, // (label)
    CTRL_LED,            // (label)
    CTRL_STRING,         // one-line text entry (label, value text)
    CTRL_TEXT_BOX,       // multi-line text (label, value text)
    CTRL_TEXT_MSG,       // static text (value text)
    CTRL_SWITCH,         // check box / toggle (label, on text, off text)
    CTRL_RING,           // drop-down ring of (label, value) items (label, item labels)
    CTRL_LIST,           // list box of (label, value) items (label, item labels)
    CTRL_TABLE,          // table of text cells (label, row/column labels, cells)
    CTRL_SLIDE,          // progress bar / slider (label)
    CTRL_TIMER,          // invisible timer: ATTR_INTERVAL, ATTR_ENABLED; EVENT_TIMER_TICK
    CTRL_GRAPH,          // reserved
    CTRL_STRIP_CHART,    // traces that scroll by one point per plot (label, x name, y name)
    CTRL_RADIO,          // radio button with its label; one of its group is on (label)
};

// Text-bearing kind 1..9 of a control kind, as language files use it (the kind table beside
// the builders, docs/resource-format.md); UIE_BAD_VALUE for an unknown kind.
int TextKindOfCtrlKind(int ctrlKind);

// ---- attributes -------------------------------------------------------------------------------
enum {
    // controls
    ATTR_DIMMED = 1,
    ATTR_VISIBLE,
    ATTR_CTRL_INDEX, // selected entry of a ring or list (int)
    ATTR_CTRL_VAL,   // value (int / double / text by the control's data type)
    ATTR_ENABLED,    // timer running (int)
    ATTR_INTERVAL,   // timer interval in seconds (double); 0: one tick at once, then none until
                     // the next interval is set (the callback re-arms it)
    ATTR_LABEL_TEXT, // caption (text)
    ATTR_LABEL_VISIBLE,
    ATTR_TEXT_COLOR,   // 0xRRGGBB
    ATTR_TEXT_BGCOLOR, // 0xRRGGBB
    ATTR_TEXT_BOLD,    // int 0/1
    ATTR_LABEL_COLOR,
    ATTR_LABEL_BOLD,
    ATTR_ON_TEXT,          // switch
    ATTR_OFF_TEXT,         // switch
    ATTR_MIN_VALUE,        // numeric (double)
    ATTR_MAX_VALUE,        // numeric (double)
    ATTR_PRECISION,        // numeric digits after the point (int)
    ATTR_DATA_TYPE,        // VAL_INTEGER / VAL_DOUBLE / VAL_STRING
    ATTR_MAX_ENTRY_LENGTH, // string: most characters accepted (int)
    ATTR_NUM_ITEMS,        // ring/list/table counts, read only (int); table rows
    ATTR_NUM_COLUMNS,      // table columns, read only
    ATTR_CTRL_MODE,        // VAL_HOT / VAL_INDICATOR
    ATTR_CTRL_KIND,        // CTRL_..., read only
    ATTR_CONSTANT_NAME,    // control, panel or menu item constant name (text, read only)
    ATTR_NEXT_CTRL,        // id of the next control in panel order, 0 after the last (read only)
    ATTR_TOP,
    ATTR_LEFT,
    ATTR_WIDTH,
    ATTR_HEIGHT,
    ATTR_CALLBACK_DATA, // void*
    ATTR_ACTIVE_YAXIS,  // charts: the Y axis ATTR_YNAME addresses (VAL_LEFT_YAXIS/_RIGHT_)
    // panels
    ATTR_TITLE = 100,       // text
    ATTR_PANEL_FIRST_CTRL,  // id of the first control, 0 when none (read only)
    ATTR_FRAME_THICKNESS,   // int, pixels
    ATTR_MENU_HEIGHT,       // height of the panel's menu bar, pixels
    ATTR_MENU_BAR_VISIBLE,  // int 0/1
    ATTR_MENU_BAR,          // menu bar handle of the panel, 0 when none (read only)
    ATTR_WINDOW_ZOOM,       // VAL_NO_ZOOM / VAL_MAXIMIZE
    ATTR_PANEL_PARENT,      // handle of the parent panel, 0 for top level (read only)
    ATTR_RESOURCE_ID,       // resource id the panel was loaded from (read only)
    ATTR_ACTIVE_CTRL,       // control that Enter commits
    ATTR_CLIENT_TOP,        // top of the client area below menu bar (and toolbar) (read only)
    ATTR_STATUS_BAR_HEIGHT, // height of the status bar of a main window, 0 when none (read only)
    // menu items
    ATTR_CHECKED = 200, // tick mark
    ATTR_ITEM_NAME,     // menu or item text
    ATTR_FIRST_ITEM,    // first item id of a menu/submenu (read only), 0 when none
    ATTR_NEXT_ITEM,     // next item id in the same menu (read only), 0 after the last
    ATTR_SUBMENU,       // id of the submenu an item opens, 0 when none (read only)
    ATTR_IS_SEPARATOR,  // read only
};

// Strip charts (attributes of the control; SetCtrlAttribute / GetCtrlAttribute).
enum {
    ATTR_NUM_TRACES = 400,  // traces (int 1..16); setting it clears the points
    ATTR_POINTS_PER_SCREEN, // points kept and shown per trace (int 2..100000); clears them too
    ATTR_NUM_POINTS,        // points held now (int, read only)
    ATTR_YAXIS_MIN,         // fixed y range (double), used while autoscaling is off
    ATTR_YAXIS_MAX,
    ATTR_YAXIS_AUTOSCALE, // int 0/1: the y range follows the points held
    ATTR_XNAME,           // x-axis name (text)
    ATTR_YNAME,           // y-axis name (text)
    ATTR_LEGEND_VISIBLE,  // int 0/1: names, units and latest values above the traces
    ATTR_STACKED,         // int 0/1: each trace in a band of its own with its own y axis
    ATTR_XAXIS_TIME,      // int 0/1: x values are seconds since the epoch, shown as local time
    ATTR_X_BY_VALUE,      // int 0/1: points stand at their x value, not evenly by arrival
};
// Per trace (SetTraceAttribute / GetTraceAttribute), traces counted from 1.
enum {
    ATTR_TRACE_NAME = 450, // text, shown in the legend
    ATTR_TRACE_UNIT,       // text, shown in the legend and on the trace's own axis
    ATTR_TRACE_COLOR,      // 0xRRGGBB
    ATTR_TRACE_SCALE,      // double: plotted values are multiplied by it (default 1)
    ATTR_TRACE_VISIBLE,    // int 0/1
};
// Flags of a plotted point.
enum { STRIP_POINT_FAILED = 1 }; // the point stands for a failed read: marked, its values a gap

enum { VAL_INTEGER = 1, VAL_DOUBLE = 2, VAL_STRING = 3 };
enum { VAL_HOT = 1, VAL_INDICATOR = 2 };
enum { VAL_NO_ZOOM = 0, VAL_MAXIMIZE = 1 };
enum { VAL_XAXIS = 0, VAL_LEFT_YAXIS = 1, VAL_RIGHT_YAXIS = 2 };

// ---- error codes ------------------------------------------------------------------------------
enum {
    UIE_NO_ERROR = 0,
    UIE_OUT_OF_MEMORY = -12,
    UIE_BAD_HANDLE = -4,
    UIE_BAD_CONTROL = -5,
    UIE_BAD_ATTRIBUTE = -6,
    UIE_BAD_VALUE = -7,
    UIE_RESOURCE_NOT_FOUND = -8, // no panel or menu bar of that id in the file
    UIE_FILE_NOT_FOUND = -9,     // resource file missing or unreadable
    UIE_BAD_RESOURCE_FILE = -10, // resource file damaged
    UIE_NOT_A_LIST = -11,
    UIE_INDEX_OUT_OF_RANGE = -13,
    UIE_NO_DISPLAY = -14, // the toolkit cannot start
    // Added: the user cannot reach the control or item (dimmed, hidden, behind a pop-up), so
    // UserCommit/UserChooseMenu refuse it as the real user would be refused.
    UIE_NOT_ACCESSIBLE = -15,
    // Added: a print could not be written (PDF file not writable, printer refused).
    UIE_PRINT_FAILED = -16,
    UIE_MISSING_ARGUMENT = -65,
    // Codes of the language layer for language files.
    UIE_LANG_KIND_DIFFERS = -45,  // a control's kind in the language file differs from the panel
    UIE_LANG_COUNT_DIFFERS = -46, // item, axis or table counts differ from the panel
    UIE_FILE_ACCESS = -93,        // a file cannot be read or written
    UIE_FILE_OPEN = -94,          // a file cannot be opened for reading
    UIE_LANG_BAD_FILE = -6000,    // not a language file, or one that lacks a text or section
};

// ---- run-time ---------------------------------------------------------------------------------
int InitUserInterface(int argc, char **argv); // 0 on success, negative when no display
int RunUserInterface();                       // returns the code given to QuitUserInterface
int QuitUserInterface(int code);
int ProcessSystemEvents();                                // handles pending events, returns at once
int PostDeferredCall(DeferredCallbackPtr fn, void *data); // runs fn from the event loop
// Added: for waits inside a callback (a device exchange). Paints the windows and lets the window
// system's own requests through, but runs nothing of the program: user input stays in the
// toolkit's queue, and commits, menu choices, timer ticks, panel events and deferred calls that
// come up meanwhile are held and fire, in order, at the next ordinary event processing (once
// the waiting callback has returned, or in the loop of a pop-up it shows). So callbacks still
// never overlap while the window stays drawn.
int ProcessDrawEvents();
// Added: how many events are held now (see ProcessDrawEvents).
int HeldEventCount();
// Added: runs after each outermost callback of the program (control, menu, panel, timer or
// deferred call) has returned, e.g. to make the window title follow the edited document.
typedef void (*CallbackEndHook)(void);
void SetCallbackEndHook(CallbackEndHook hook);
// Added: the reason for the last failed load, print or picture (file and line of a damaged
// resource file, for example), so that a front end can say more than an error number.
const char *UILastErrorDetail();

// ---- start-up steps ---------------------------------------------------------------------------
// Added: a record of when each step of starting up ended, so that a benchmark can show which
// step costs what. Times are of the system's monotonic clock, in nanoseconds, comparable
// between processes. The platform notes its own steps ("toolkit started", "resource parsed",
// "first paint"); the program notes the rest. At most 32 steps are kept.
void UIMarkStep(const char *name);
int UIStepCount();
// Name and time of step n (from 0), or nullptr when there is no such step.
const char *UIStep(int n, long long *monotonicNanoseconds);

// ---- panels -----------------------------------------------------------------------------------
// Geometry: a top-level panel's top/left are its position on the screen and its width/height
// the size of its content, menu bar and toolbar included. A child panel's top/left count from
// the top-left of that content; its parent's controls sit in the client area below the menu
// bar and toolbar (ATTR_CLIENT_TOP). Pop-up panels (kind="popup") are windows of their own.
int LoadPanel(int parentPanel, const char *resourceFile, int panelResourceId);
int DisplayPanel(int panel);
int HidePanel(int panel);
int DiscardPanel(int panel);
int GetActivePanel();
int SetActivePanel(int panel);
int SetPanelPos(int panel, int top, int left);
int SetPanelSize(int panel, int height, int width);
int GetPanelAttribute(int panel, int attribute, int *value);
int GetPanelAttribute(int panel, int attribute, char *text, int size);
int SetPanelAttribute(int panel, int attribute, int value);
int SetPanelAttribute(int panel, int attribute, const char *text);
int InstallPanelCallback(int panel, PanelCallbackPtr fn, void *callbackData);

// ---- pop-ups ----------------------------------------------------------------------------------
int InstallPopup(int panel);    // shows the panel modally over everything else
int RemovePopup(int removeAll); // removes the top pop-up (all with 1)
// Waits (wait 1) or looks (wait 0) for the next commit event; fills panel and control with
// where it happened and returns the event (EVENT_COMMIT, or EVENT_NONE when not waiting).
int GetUserEvent(int wait, int *panel, int *control);

// ---- controls ---------------------------------------------------------------------------------
int SetCtrlVal(int panel, int control, int value);
int SetCtrlVal(int panel, int control, unsigned value);
int SetCtrlVal(int panel, int control, double value);
int SetCtrlVal(int panel, int control, const char *value);
int GetCtrlVal(int panel, int control, int *value);
int GetCtrlVal(int panel, int control, double *value);
int GetCtrlVal(int panel, int control, float *value);
int GetCtrlVal(int panel, int control, char *value, int size);
int SetActiveCtrl(int panel, int control);
int GetActiveCtrl(int panel);
int SetCtrlAttribute(int panel, int control, int attribute, int value);
int SetCtrlAttribute(int panel, int control, int attribute, double value);
int SetCtrlAttribute(int panel, int control, int attribute, const char *text);
int SetCtrlAttribute(int panel, int control, int attribute, void *pointer);
int GetCtrlAttribute(int panel, int control, int attribute, int *value);
int GetCtrlAttribute(int panel, int control, int attribute, double *value);
int GetCtrlAttribute(int panel, int control, int attribute, char *text, int size);
int InstallCtrlCallback(int panel, int control, CtrlCallbackPtr fn, void *callbackData);

// Rings and lists: entries of (label, integer value). Index -1 appends.
int ClearListCtrl(int panel, int control);
int InsertListItem(int panel, int control, int index, const char *label, int value);
int DeleteListItem(int panel, int control, int index, int count);
int GetNumListItems(int panel, int control, int *count);
int GetLabelFromIndex(int panel, int control, int index, char *label, int size);
int ReplaceListItem(int panel, int control, int index, const char *label, int value);
int GetValueFromIndex(int panel, int control, int index, int *value);
int GetIndexFromValue(int panel, int control, int *index, int value);
int GetCtrlIndex(int panel, int control, int *index);
int SetCtrlIndex(int panel, int control, int index);

// Rings and lists whose values are texts (datatype "string"): entries of (label, text value).
// ATTR_DATA_TYPE tells them (VAL_STRING) from integer ones (VAL_INTEGER); an integer ring
// refuses text values and a text ring integer ones (UIE_BAD_VALUE). Setting a text ring's value
// selects the entry with that text, and its text value reads back.
int InsertListItem(int panel, int control, int index, const char *label, const char *value);
int ReplaceListItem(int panel, int control, int index, const char *label, const char *value);
int GetValueFromIndex(int panel, int control, int index, char *value, int size);

// Graphs and strip charts: the labelled items of an axis (VAL_XAXIS, VAL_LEFT_YAXIS,
// VAL_RIGHT_YAXIS), a label at a value. A chart without labelled items has 0 of them.
int GetNumAxisItems(int panel, int control, int axis, int *count);
int InsertAxisItem(int panel, int control, int axis, int index, const char *label, double value);
int ReplaceAxisItem(int panel, int control, int axis, int index, const char *label, double value);
int GetAxisItemLabel(int panel, int control, int axis, int index, char *label, int size);
int GetAxisItemValue(int panel, int control, int axis, int index, double *value);
int DeleteAxisItem(int panel, int control, int axis, int index, int count); // count -1: to the end

// Tables (text cells), rows and columns counted from 1.
int SetTableCellVal(int panel, int control, int row, int column, const char *text);
int GetTableCellVal(int panel, int control, int row, int column, char *text, int size);
int SetTableRowLabel(int panel, int control, int row, const char *text);
int SetTableColumnLabel(int panel, int control, int column, const char *text);
int InsertTableRows(int panel, int control, int beforeRow, int count);
// Added: the labels back, for exporting a panel's texts.
int GetTableRowLabel(int panel, int control, int row, char *text, int size);
int GetTableColumnLabel(int panel, int control, int column, char *text, int size);
int DeleteTableRows(int panel, int control, int row, int count); // count -1: to the end

// Strip charts: every trace keeps its last ATTR_POINTS_PER_SCREEN points in a ring; a new point
// enters at the right once the chart is full, the oldest leaves at the left. A value that is not
// a number (NAN) leaves a gap in its trace.
// Appends count / traces points, each one value per trace in trace order.
int PlotStripChart(int panel, int control, const double *values, int count);
// Appends one point with an x value (a time, for example) and flags (STRIP_POINT_FAILED). Traces
// beyond `count` get a gap; values may be null then.
int PlotStripChartPoint(int panel, int control, double x, const double *values, int count,
                        int flags);
int ClearStripChart(int panel, int control);
// Point `index` (0: the oldest held): its x value (NAN when plotted without one), up to `count`
// values as plotted (before the trace's scale) and its flags. Any output may be null.
int GetStripChartPoint(int panel, int control, int index, double *x, double *values, int count,
                       int *flags);
int SetTraceAttribute(int panel, int control, int trace, int attribute, int value);
int SetTraceAttribute(int panel, int control, int trace, int attribute, double value);
int SetTraceAttribute(int panel, int control, int trace, int attribute, const char *text);
int GetTraceAttribute(int panel, int control, int trace, int attribute, int *value);
int GetTraceAttribute(int panel, int control, int trace, int attribute, double *value);
int GetTraceAttribute(int panel, int control, int trace, int attribute, char *text, int size);

// ---- menu bars --------------------------------------------------------------------------------
// Item 0 stands for the menu bar: ATTR_FIRST_ITEM of item 0 is its first menu. A submenu entry
// (a <menu> inside a menu) is an item whose ATTR_SUBMENU is its own id; ATTR_FIRST_ITEM of it
// gives its first entry. Separators have ids too (ATTR_IS_SEPARATOR) but no constant name.
int LoadMenuBar(int panel, const char *resourceFile, int menuBarResourceId); // 0 panel: none
int DiscardMenuBar(int menuBar);
int GetPanelMenuBar(int panel);
int SetMenuBarAttribute(int menuBar, int item, int attribute, int value);
int SetMenuBarAttribute(int menuBar, int item, int attribute, const char *text);
int GetMenuBarAttribute(int menuBar, int item, int attribute, int *value);
int GetMenuBarAttribute(int menuBar, int item, int attribute, char *text, int size);
int InstallMenuCallback(int menuBar, int item, MenuCallbackPtr fn, void *callbackData);

// ---- files, printing, help --------------------------------------------------------------------
enum { VAL_LOAD_BUTTON = 0, VAL_SAVE_BUTTON = 1, VAL_OK_BUTTON = 2 };
enum { VAL_NO_FILE_SELECTED = 0, VAL_EXISTING_FILE_SELECTED = 1, VAL_NEW_FILE_SELECTED = 2 };
// defaultSpec is a name or a pattern like "*.KR7"; returns VAL_... above, path filled on a choice.
int FileSelectPopup(const char *defaultDirectory, const char *defaultSpec, const char *fileTypes,
                    const char *title, int buttonLabel, char *path, int size);
// The program's directory: the folder of its run-time files, beside the executable in a build
// tree and <prefix>/share/kr7m when installed.
int GetProjectDir(char *directory, int size);
int MakePathname(const char *directory, const char *file, char *path, int size);
int GetFileInfo(const char *path, long *size); // 1 when the file exists, 0 otherwise

// ATTR_PRINT_HEADING (added): a line printed above the panel (program, file, date), "" none.
enum {
    ATTR_PRINT_OUTPUT_FILE = 300,
    ATTR_PRINT_ORIENTATION,
    ATTR_PRINT_NO_DIALOG,
    ATTR_PRINT_HEADING
};
int SetPrintAttribute(int attribute, int value);
int SetPrintAttribute(int attribute, const char *text); // empty text: print to a printer
// Prints the panel, drawn as vectors on white, after the print dialog (no dialog with
// ATTR_PRINT_NO_DIALOG). 0 success, 1 cancelled, negative on failure.
int PrintPanel(int panel);

// The help viewer (SystemHelp): platform/ui/help.h.

// Added: the system clipboard as plain text (a view's values for a spreadsheet or a report).
int ClipboardPutText(const char *text);
int ClipboardGetText(char *text, int size); // UIE_BAD_VALUE when it does not fit

// ---- resource bindings ------------------------------------------------------------------------
// The generated resource header registers a name -> function table for the callbacks named in the
// resource file; LoadPanel/LoadMenuBar install them by name.
struct CallbackBinding {
    const char *name;
    CtrlCallbackPtr ctrl;
    PanelCallbackPtr panel;
    MenuCallbackPtr menu;
};
void RegisterCallbacks(const CallbackBinding *table, int count);

// ---- testing and automation -------------------------------------------------------------------
// Acts as the user would: commits the control with its current value (fires its callback and
// satisfies a waiting GetUserEvent), chooses a menu item, or closes a panel's window.
int UserCommit(int panel, int control);
// Types `text` into a numeric or string control as the user would, replacing what it shows, and
// presses Enter: the control's input checks apply to every key, and a changed value commits.
int UserTypeText(int panel, int control, const char *text);
int UserChooseMenu(int menuBar, int item);
int UserClosePanel(int panel);
// Added: commits the control the way a click that reaches the window later does: from the
// event loop, after what is queued before it.
int UserCommitLater(int panel, int control);
// Added: how many paint events the program's widgets have received since the first call.
long long PaintCount();
// Answers the next file selection pop-up without showing it (empty path: cancel).
int SetFileSelectAnswer(const char *path);
// Saves a picture of a panel as it is drawn now (PNG).
int SavePanelImage(int panel, const char *pngPath);
// Added: answers the toolkit's own modal dialog that is open now (the print or file dialog) as
// the user would: 1 accepts it, 0 cancels it. UIE_BAD_HANDLE when none is open. Tests call it
// from PostDeferredCall while the dialog waits.
int UserAnswerDialog(int accept);

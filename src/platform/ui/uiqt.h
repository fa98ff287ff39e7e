// Internal to the user-interface platform and the toolbar: the records behind the integer
// handles, and the helpers the operation files share. The only header with Qt types in it; the
// application never includes it.
#pragma once

#include "platform/ui/uirmodel.h"
#include "platform/ui/userint.h"

#include <QAction>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace uiq {

enum LabelPos { LABEL_NONE, LABEL_TOP, LABEL_LEFT, LABEL_RIGHT };

struct ListEntry {
    QString label;
    int value = 0;
    QString text; // the value of an entry of a text ring
};

struct AxisItem { // a labelled item of a chart axis
    QString label;
    double value = 0;
};

// Where and how a control's caption was last drawn; `shown` false when it is not.
struct CaptionLook {
    bool shown = false;
    QRect area; // the strip it is aligned in
    int flags = 0;
    QString text;
    bool bold = false, dimmed = false, colored = false;
    unsigned color = 0; // when `colored`: a colour of its own
    bool operator==(const CaptionLook &o) const {
        return shown == o.shown &&
               (!shown || (area == o.area && flags == o.flags && text == o.text && bold == o.bold &&
                           dimmed == o.dimmed && colored == o.colored && color == o.color));
    }
};

struct CtrlRec {
    int id = 0;
    int kind = 0;
    int panel = 0;
    std::string constName;
    QPointer<QWidget> w;     // the control itself (null for a timer)
    bool hasCaption = false; // a caption apart from the control, drawn by the panel
    CaptionLook caption;
    QPointer<QTimer> timer; // timers only
    QString labelText;
    int labelPos = LABEL_NONE;
    CtrlCallbackPtr cb = nullptr;
    void *cbData = nullptr;
    int dataType = VAL_INTEGER;
    double minVal = 0, maxVal = 0;
    int precision = 0;
    int maxLen = 0;
    int mode = VAL_HOT;
    QString onText, offText;
    double interval = 1.0;
    bool enabled = true;
    double value = 0;      // LEDs and slides keep their value here
    QString lastText;      // strings and text boxes: text at the last commit or set
    double lastNumber = 0; // numerics: value at the last commit or set
    unsigned textColor = 0, textBgColor = 0xFFFFFF, labelColor = 0;
    bool textBold = false, labelBold = false;
    bool hasTextColor = false, hasBgColor = false, hasLabelColor = false;
    bool dimmed = false, visible = true, labelVisible = true;
    bool inStatusBar = false; // placed by the main window's status bar, not by its position
    int top = 0, left = 0, width = 0, height = 0;
    bool inCallback = false;
    std::vector<ListEntry> items; // rings and lists (mirrors the widget)
    int selected = -1;            // a ring whose widget is not made yet: the entry it has selected
    QString imagePath;
    std::string radioGroup; // radio buttons: the group in which exactly one is on
    // Graphs and strip charts: labelled items of the X, left Y and right Y axes (a label at a
    // value, what a language file translates), and the Y axis that ATTR_YNAME addresses.
    std::vector<AxisItem> axisItems[3];
    int activeYAxis = VAL_LEFT_YAXIS;
};

struct PanelRec {
    int handle = 0;
    int resourceId = 0;
    std::string constName;
    int parent = 0;
    QPointer<QWidget> window;   // QMainWindow (top level), QDialog (pop-up kind) or QFrame (child)
    QPointer<QWidget> client;   // where controls are placed
    QPointer<QWidget> captions; // draws the captions of the controls, made with the first one
    QMainWindow *main = nullptr;
    bool popupKind = false;
    std::vector<std::unique_ptr<CtrlRec>> ctrls; // in resource order
    PanelCallbackPtr cb = nullptr;
    void *cbData = nullptr;
    int menuBar = 0;
    int activeCtrl = 0;
    int frame = 0;
    bool programResize = false;
    bool sizable = false;
};

struct MenuItemRec {
    int id = 0;
    std::string constName;
    QPointer<QAction> action;
    QPointer<QMenu> menu; // for menus: the menu it opens
    int parentId = 0;     // 0 for a top-level menu
    std::vector<int> children;
    bool separator = false;
    MenuCallbackPtr cb = nullptr;
    void *cbData = nullptr;
};

struct MenuBarRec {
    int handle = 0;
    int panel = 0;
    std::string constName;
    QPointer<QMenuBar> bar;
    bool visible = true; // as the program set it; the widget reports hidden until shown
    std::map<int, MenuItemRec> items;
    std::vector<int> top; // ids of the top-level menus in order
};

// Creates the application object on first use (tests may skip InitUserInterface).
bool EnsureApp();
int NewHandle();

PanelRec *FindPanel(int handle);
CtrlRec *FindCtrl(int panel, int control);
// Sets *err to UIE_BAD_HANDLE or UIE_BAD_CONTROL when the control cannot be found.
CtrlRec *LookupCtrl(int panel, int control, int *err);
MenuBarRec *FindMenuBar(int handle);
std::map<int, std::unique_ptr<PanelRec>> &Panels();
std::map<int, std::unique_ptr<MenuBarRec>> &MenuBars();

// Loads (and caches) a resource file; relative names are looked up in the program's directory
// first, then in the working directory.
uir::Resource *GetResource(const char *file, int *err);
void SetLastError(const std::string &text);

// User actions: run the callback, then let a waiting GetUserEvent see the commit.
void FireCommit(int panel, int control);
void FireMenu(int menuBar, int item);
void FireTimer(int panel, int control);
void FirePanelEvent(int panel, int event);
void NoteCommit(int panel, int control);
// A panel and all its child panels go away: drop them from pop-up and event bookkeeping.
void ForgetPanel(int panel);
void SetActive(int panel);
int ActivePanel();
std::vector<int> &Popups(); // installed pop-ups, the top one last
void ClearCommits();
const CallbackBinding *FindCallback(const std::string &name);

// The numeric control's widget. A plain QDoubleSpinBox rounds its value to the digits it shows,
// so a value the program set would read back changed (12.345 shown with two digits reads 12.35)
// and a later commit would store the rounded value. This one keeps the value exactly as set or
// entered; its precision decides only what is shown and what can be typed.
class NumericBox : public QDoubleSpinBox {
  public:
    NumericBox(QWidget *parent, double min, double max, int digits);
    // The spin box's own setters, given as many decimals first as the value, the range and the
    // number given need to come through the spin box's rounding unchanged.
    void setValue(double value);
    void setRange(double min, double max);
    void SetPrecision(int digits); // digits after the point, shown and accepted
    int Precision() const { return digits_; }
    QString textFromValue(double value) const override;
    double valueFromText(const QString &text) const override;
    QValidator::State validate(QString &text, int &pos) const override;

  private:
    bool ShowsInRange(const QString &text, double *value) const;
    void KeepExact(double number, double other = 0);
    int digits_ = 2;
};

// A static text, such as a text message. Placing a panel asks every message for its size, to
// let it grow to its text; QLabel lays the text out three times for that (for its minimum size as
// well), and again after any change of look. This one lays a plain one-line text out once and keeps
// the size until the text or the font changes. Rich or wrapped text is sized by QLabel itself.
class TextLabel : public QLabel {
  public:
    using QLabel::QLabel;
    QSize sizeHint() const override;

  private:
    mutable QString sizedText_;
    mutable QFont sizedFont_;
    mutable QSize sized_;
};

// Grows the heap by `bytes` and has the kernel fill in its pages at once, ahead of building
// windows in it. False when the heap is not the C library's own or the kernel refused; nothing
// is lost then but the head start.
bool PrepareHeap(size_t bytes);

// Widgets of a control from the resource, placed on the panel's client area.
void BuildControl(PanelRec *p, const uir::Control &def);
void PlaceControl(CtrlRec *c);
// Draws the control's caption where its state puts it, and names the control by it.
void PlaceCaption(CtrlRec *c);
void ApplyLook(CtrlRec *c);
// A ring that has had no reason yet to be made as a widget (it has never been shown).
inline bool UnbuiltRing(const CtrlRec *c) {
    return c->kind == CTRL_RING && !c->w;
}
void RefreshSwitchText(CtrlRec *c);
void FitTextMessage(CtrlRec *c);
// Radio buttons (radio.cpp): the widget, and turning one on or off by program. Turning one on
// turns the others of its group on the same panel off; no callback fires.
void BuildRadio(CtrlRec *c, const uir::Attrs &a, QWidget *client);
void SetRadio(CtrlRec *c, bool on);
bool RadioIsOn(const CtrlRec *c);
// Graphs and strip charts (axes.cpp): the labelled axis items and the active Y axis.
bool IsChart(const CtrlRec *c);
// Strip charts (stripchart.cpp): the widget, and the chart's own attributes. The attribute
// functions return UIE_BAD_ATTRIBUTE for every attribute that is not the chart's own, so that
// the common ones (position, visibility, label) take their usual way.
void BuildStripChart(CtrlRec *c, const uir::Control &def, QWidget *client);
int StripChartSetAttribute(CtrlRec *c, int attribute, double value);
int StripChartSetAttribute(CtrlRec *c, int attribute, const char *text);
int StripChartGetAttribute(CtrlRec *c, int attribute, double *value);
int StripChartGetAttribute(CtrlRec *c, int attribute, char *text, int size);
// Selects entry `index` of a ring or list without firing its callback; -1 selects none.
void SelectEntry(CtrlRec *c, int index);

// Text conversions between the C interface and Qt.
inline QString Q(const char *s) {
    return QString::fromUtf8(s ? s : "");
}
int CopyOut(const QString &s, char *buf, int size); // UIE_BAD_VALUE when it does not fit

// The program's directory: the folder of its run-time files (platform/ui/programdir.h).
std::string ProgramDir();

// The image in a file (null when it cannot be read), read once while the file stays the same.
QImage LoadImageFile(const QString &path);

} // namespace uiq

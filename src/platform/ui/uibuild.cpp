// Builds the widgets of a control from its resource entry and wires the user's actions to
// commits. Program-side changes are made with signals blocked elsewhere, so everything
// connected here runs only for the user.
#include "platform/ui/uiqt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>

#include <algorithm>
#include <cfloat>
#include <climits>

namespace uiq {
namespace {

// A round lamp; on shows its colour, off a dark grey.
class Led : public QWidget {
  public:
    explicit Led(QWidget *parent) : QWidget(parent) {}
    QColor onColor = QColor(0x20, 0xC0, 0x30);

  protected:
    void paintEvent(QPaintEvent *) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        int d = qMin(width(), height()) - 2;
        QRectF r((width() - d) / 2.0, (height() - d) / 2.0, d, d);
        QColor fill = property("on").toBool() ? onColor : QColor(0x50, 0x50, 0x50);
        if (!isEnabled()) fill = fill.lighter(160);
        p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
        p.setBrush(fill);
        p.drawEllipse(r);
    }
};

} // namespace

void PlaceControl(CtrlRec *c) {
    if (c->inStatusBar) return; // the bar's layout places it
    if (c->w) c->w->setGeometry(c->left, c->top, c->width, c->height);
    PlaceCaption(c);
}

void FitTextMessage(CtrlRec *c) {
    auto *l = qobject_cast<QLabel *>(c->w.data());
    if (!l || c->kind != CTRL_TEXT_MSG || l->wordWrap()) return;
    // A message never cuts its text (a longer translation, a longer value): a left-aligned
    // one grows to the right, a centred one both ways, a right-aligned one to the left.
    int need = l->sizeHint().width() + 2;
    if (need <= c->width) return;
    int grow = need - c->width;
    if (l->alignment() & Qt::AlignHCenter)
        c->left -= grow / 2;
    else if (l->alignment() & Qt::AlignRight)
        c->left -= grow;
    if (c->left < 0) c->left = 0;
    c->width = need;
    PlaceControl(c);
}

void RefreshSwitchText(CtrlRec *c) {
    auto *box = qobject_cast<QCheckBox *>(c->w.data());
    if (!box) return;
    // With on/off texts the box shows the state's text and the caption stands apart.
    if (!c->onText.isEmpty() || !c->offText.isEmpty())
        box->setText(box->isChecked() ? c->onText : c->offText);
    else
        box->setText(c->labelText);
}

// The combo box of a ring: its entries, the one selected, and the commit on the user's pick.
// Made late, it still takes its place in the keyboard order among the panel's controls.
void MakeRingWidget(CtrlRec *c) {
    PanelRec *p = FindPanel(c->panel);
    if (!p || !p->client) return;
    const int panel = c->panel, id = c->id;
    auto *cb = new QComboBox(p->client);
    for (const ListEntry &e : c->items) cb->addItem(e.label);
    if (cb->currentIndex() != c->selected) cb->setCurrentIndex(c->selected);
    if (c->mode == VAL_INDICATOR) cb->setAttribute(Qt::WA_TransparentForMouseEvents);
    QObject::connect(cb, &QComboBox::activated, cb, [panel, id](int) { FireCommit(panel, id); });
    c->w = cb;
    QWidget *before = nullptr, *after = nullptr;
    bool past = false;
    for (const auto &other : p->ctrls) {
        if (other.get() == c) {
            past = true;
        } else if (other->w && !past) {
            before = other->w;
        } else if (other->w && past) {
            after = other->w;
            break;
        }
    }
    if (past && before)
        QWidget::setTabOrder(before, cb);
    else if (past && after)
        QWidget::setTabOrder(cb, after);
}

// Fonts and palettes are set only where they differ from what the widget has: setting even an
// equal one costs a style pass for the widget and its children, dozens of times per panel.
void ApplyLook(CtrlRec *c) {
    if (UnbuiltRing(c) && c->visible) MakeRingWidget(c);
    if (c->w) {
        if (c->w->font().bold() != c->textBold) {
            QFont f = c->w->font();
            f.setBold(c->textBold);
            c->w->setFont(f);
        }
        if (c->hasTextColor || c->hasBgColor) {
            QPalette pal = c->w->palette();
            if (c->hasTextColor) {
                QColor col(QRgb(c->textColor));
                pal.setColor(QPalette::WindowText, col);
                pal.setColor(QPalette::Text, col);
                pal.setColor(QPalette::ButtonText, col);
            }
            if (c->hasBgColor) {
                QColor col(QRgb(c->textBgColor));
                pal.setColor(QPalette::Base, col);
                pal.setColor(QPalette::Window, col);
                pal.setColor(QPalette::Button, col);
                if (c->kind == CTRL_TEXT_MSG) c->w->setAutoFillBackground(true);
            }
            c->w->setPalette(pal);
        }
        c->w->setEnabled(!c->dimmed);
    }
    // Placed before it is shown: a widget shown with no size of its own yet is first sized to
    // its contents, which for a ring measures every entry, only to be placed anew.
    PlaceControl(c);
    if (c->w) c->w->setVisible(c->visible);
    if (c->kind == CTRL_TEXT_MSG) FitTextMessage(c);
}

namespace {

// A frame with its title; the user's clicks go through to what it frames.
void BuildDecoration(CtrlRec *c, const uir::Control &, QWidget *client) {
    auto *g = new QGroupBox(c->labelText, client);
    g->setAttribute(Qt::WA_TransparentForMouseEvents);
    c->w = g;
}

// An image from a file beside the program, at its own size unless the resource gives one.
void BuildPicture(CtrlRec *c, const uir::Control &def, QWidget *client) {
    const uir::Attrs &a = def.attrs;
    auto *l = new QLabel(client);
    std::string image = a.Str("image");
    c->imagePath = QString::fromStdString(
        image.empty() || image[0] == '/' ? image : ProgramDir() + "/" + image);
    QPixmap pix = QPixmap::fromImage(LoadImageFile(c->imagePath));
    if (!pix.isNull()) {
        if (!a.Has("width") && !a.Has("height")) {
            c->width = pix.width();
            c->height = pix.height();
        }
        l->setPixmap(
            pix.scaled(c->width, c->height, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    l->setAlignment(Qt::AlignCenter);
    c->w = l;
}

// A number field; commits when the user has settled on a number.
void BuildNumeric(CtrlRec *c, const uir::Control &def, QWidget *client) {
    const uir::Attrs &a = def.attrs;
    const int panel = c->panel, id = c->id;
    c->dataType = a.Str("datatype", "int") == "double" ? VAL_DOUBLE : VAL_INTEGER;
    c->precision = c->dataType == VAL_DOUBLE ? a.Int("precision", 2) : 0;
    c->minVal = a.Double("min", c->dataType == VAL_DOUBLE ? -1e12 : INT_MIN);
    c->maxVal = a.Double("max", c->dataType == VAL_DOUBLE ? 1e12 : INT_MAX);
    auto *s = new NumericBox(client, c->minVal, c->maxVal, c->precision);
    s->setKeyboardTracking(false);
    s->setAlignment(Qt::AlignRight);
    // Setting a value rounds it through a long decimal text, so a field that already holds its
    // start value, as the range bounds it, is left as it is.
    const double start = std::min(std::max(a.Double("value", 0), s->minimum()), s->maximum());
    if (start != s->value()) s->setValue(start);
    c->lastNumber = s->value();
    if (c->mode == VAL_INDICATOR) {
        s->setReadOnly(true);
        s->setButtonSymbols(QAbstractSpinBox::NoButtons);
        s->setFocusPolicy(Qt::NoFocus);
    }
    // Without keyboard tracking this fires on Enter, on leaving the field and on arrow
    // steps: the moments the user has settled on a number.
    QObject::connect(s, &QDoubleSpinBox::valueChanged, s, [panel, id](double v) {
        CtrlRec *cr = FindCtrl(panel, id);
        if (!cr || v == cr->lastNumber) return;
        cr->lastNumber = v;
        FireCommit(panel, id);
    });
    c->w = s;
}

// A push button; commits on each click.
void BuildButton(CtrlRec *c, const uir::Control &, QWidget *client) {
    const int panel = c->panel, id = c->id;
    auto *b = new QPushButton(c->labelText, client);
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, b, [panel, id]() { FireCommit(panel, id); });
    c->w = b;
}

// A lamp the program switches; the user cannot.
void BuildLed(CtrlRec *c, const uir::Control &def, QWidget *client) {
    const uir::Attrs &a = def.attrs;
    auto *led = new Led(client);
    if (a.Has("oncolor")) led->onColor = QColor(QRgb(a.Color("oncolor")));
    c->value = a.Bool("value", false) ? 1 : 0;
    led->setProperty("on", c->value != 0);
    c->dataType = VAL_INTEGER;
    c->w = led;
}

// A one-line text field; commits when editing ends with a changed text.
void BuildString(CtrlRec *c, const uir::Control &def, QWidget *client) {
    const uir::Attrs &a = def.attrs;
    const int panel = c->panel, id = c->id;
    auto *e = new QLineEdit(client);
    c->dataType = VAL_STRING;
    c->maxLen = a.Int("maxlength", 0);
    if (c->maxLen > 0) e->setMaxLength(c->maxLen);
    e->setText(QString::fromStdString(a.Str("value")));
    std::string align = a.Str("align", "left");
    if (align != "left") e->setAlignment(align == "center" ? Qt::AlignHCenter : Qt::AlignRight);
    c->lastText = e->text();
    if (c->mode == VAL_INDICATOR) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
    }
    QObject::connect(e, &QLineEdit::editingFinished, e, [panel, id]() {
        CtrlRec *cr = FindCtrl(panel, id);
        auto *le = cr ? qobject_cast<QLineEdit *>(cr->w.data()) : nullptr;
        if (!le || le->text() == cr->lastText) return;
        cr->lastText = le->text();
        FireCommit(panel, id);
    });
    c->w = e;
}

// A multi-line text, held to its maximum length as the user types.
void BuildTextBox(CtrlRec *c, const uir::Control &def, QWidget *client) {
    const uir::Attrs &a = def.attrs;
    const int panel = c->panel, id = c->id;
    auto *t = new QPlainTextEdit(client);
    c->dataType = VAL_STRING;
    c->maxLen = a.Int("maxlength", 0);
    t->setPlainText(QString::fromStdString(a.Str("value")));
    c->lastText = t->toPlainText();
    if (c->mode == VAL_INDICATOR) {
        t->setReadOnly(true);
        t->setFrameShape(QFrame::NoFrame);
        t->viewport()->setAutoFillBackground(false);
        t->setFocusPolicy(Qt::NoFocus);
    }
    QObject::connect(t, &QPlainTextEdit::textChanged, t, [panel, id]() {
        CtrlRec *cr = FindCtrl(panel, id);
        auto *te = cr ? qobject_cast<QPlainTextEdit *>(cr->w.data()) : nullptr;
        if (!te || cr->maxLen <= 0) return;
        QString text = te->toPlainText();
        if (text.size() > cr->maxLen) {
            QSignalBlocker block(te);
            te->setPlainText(text.left(cr->maxLen));
            te->moveCursor(QTextCursor::End);
        }
    });
    c->w = t;
}

// A static text, as wide as its text unless the resource says otherwise.
void BuildTextMessage(CtrlRec *c, const uir::Control &def, QWidget *client) {
    const uir::Attrs &a = def.attrs;
    auto *l = new TextLabel(QString::fromStdString(a.Str("value")), client);
    c->dataType = VAL_STRING;
    std::string align = a.Str("align", "left");
    l->setAlignment((align == "center"  ? Qt::AlignHCenter
                     : align == "right" ? Qt::AlignRight
                                        : Qt::AlignLeft) |
                    Qt::AlignVCenter);
    if (!a.Has("width")) c->width = qMax(l->sizeHint().width() + 4, 20);
    c->w = l;
}

// A check box; with on/off texts it shows the state's text beside a caption of its own.
void BuildSwitch(CtrlRec *c, const uir::Control &def, QWidget *client) {
    const uir::Attrs &a = def.attrs;
    const int panel = c->panel, id = c->id;
    auto *box = new QCheckBox(client);
    c->onText = QString::fromStdString(a.Str("on"));
    c->offText = QString::fromStdString(a.Str("off"));
    box->setChecked(a.Bool("value", false));
    c->dataType = VAL_INTEGER;
    if (!c->onText.isEmpty() || !c->offText.isEmpty()) c->labelPos = LABEL_LEFT;
    c->w = box;
    RefreshSwitchText(c);
    if (!a.Has("width")) c->width = box->sizeHint().width() + 8;
    if (c->mode == VAL_INDICATOR) box->setAttribute(Qt::WA_TransparentForMouseEvents);
    QObject::connect(box, &QCheckBox::toggled, box, [panel, id](bool) {
        if (CtrlRec *cr = FindCtrl(panel, id)) RefreshSwitchText(cr);
        FireCommit(panel, id);
    });
}

// A drop-down ring of (label, value) items; commits when the user picks one.
// The entries of a ring or list, with integer values or (datatype="string") text values.
void TakeEntries(CtrlRec *c, const uir::Control &def) {
    c->dataType = def.attrs.Str("datatype") == "string" ? VAL_STRING : VAL_INTEGER;
    for (const auto &it : def.items) {
        ListEntry e;
        e.label = QString::fromStdString(it.label);
        if (c->dataType == VAL_STRING)
            e.text = QString::fromStdString(it.value);
        else
            e.value = atoi(it.value.c_str());
        c->items.push_back(e);
    }
}

// The entry the resource selects by its value; -1 when none has it.
int InitialEntry(const CtrlRec *c, const std::string &value) {
    for (size_t i = 0; i < c->items.size(); ++i) {
        const ListEntry &e = c->items[i];
        if (c->dataType == VAL_STRING ? e.text == QString::fromStdString(value)
                                      : e.value == atoi(value.c_str()))
            return static_cast<int>(i);
    }
    return -1;
}

void BuildRing(CtrlRec *c, const uir::Control &def, QWidget *) {
    const uir::Attrs &a = def.attrs;
    TakeEntries(c, def);
    c->selected = c->items.empty() ? -1 : 0;
    if (a.Has("value")) {
        int i = InitialEntry(c, a.Str("value"));
        if (i >= 0) c->selected = i;
    }
    // A ring that starts hidden holds a list for the program and is, as a rule, never shown:
    // its widget is made when it is first shown (ApplyLook). One with a tip or a place in the
    // status bar is made at once, as those are set only here.
    if (!c->visible && !a.Has("tooltip") && !a.Bool("statusbar", false)) return;
    MakeRingWidget(c);
}

// A list box of (label, value) items; commits when the user selects a row.
void BuildList(CtrlRec *c, const uir::Control &def, QWidget *client) {
    const uir::Attrs &a = def.attrs;
    const int panel = c->panel, id = c->id;
    auto *lw = new QListWidget(client);
    // Lines laid out in columns by their own spaces need every character equally wide.
    if (a.Bool("monospace")) lw->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    TakeEntries(c, def);
    for (const ListEntry &e : c->items) lw->addItem(e.label);
    lw->setCurrentRow(c->items.empty() ? -1 : 0);
    if (a.Has("value")) {
        int i = InitialEntry(c, a.Str("value"));
        if (i >= 0) lw->setCurrentRow(i);
    }
    QObject::connect(lw, &QListWidget::currentRowChanged, lw, [panel, id](int row) {
        if (row >= 0) FireCommit(panel, id);
    });
    c->w = lw;
}

// A table of text cells with the resource's columns; commits on each edited cell.
void BuildTable(CtrlRec *c, const uir::Control &def, QWidget *client) {
    const uir::Attrs &a = def.attrs;
    const int panel = c->panel, id = c->id;
    int rows = a.Int("rows", 0);
    int cols = a.Int("cols", static_cast<int>(def.columns.size()));
    if (cols < static_cast<int>(def.columns.size())) cols = static_cast<int>(def.columns.size());
    auto *t = new QTableWidget(rows < 0 ? 0 : rows, cols < 0 ? 0 : cols, client);
    c->dataType = VAL_STRING;
    for (size_t i = 0; i < def.columns.size(); ++i) {
        t->setHorizontalHeaderItem(static_cast<int>(i), new QTableWidgetItem(QString::fromStdString(
                                                            def.columns[i].label)));
        if (def.columns[i].width > 0) t->setColumnWidth(static_cast<int>(i), def.columns[i].width);
    }
    t->verticalHeader()->setDefaultSectionSize(22);
    t->horizontalHeader()->setStretchLastSection(true);
    if (c->mode == VAL_INDICATOR) t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QObject::connect(t, &QTableWidget::cellChanged, t,
                     [panel, id](int, int) { FireCommit(panel, id); });
    c->w = t;
}

// A slider for the user, or a progress bar for an indicator.
void BuildSlide(CtrlRec *c, const uir::Control &def, QWidget *client) {
    const uir::Attrs &a = def.attrs;
    const int panel = c->panel, id = c->id;
    c->minVal = a.Double("min", 0);
    c->maxVal = a.Double("max", 100);
    c->value = a.Double("value", c->minVal);
    c->dataType = VAL_DOUBLE;
    if (c->mode == VAL_HOT) {
        auto *s = new QSlider(Qt::Horizontal, client);
        s->setRange(static_cast<int>(c->minVal), static_cast<int>(c->maxVal));
        s->setValue(static_cast<int>(c->value));
        // Dragging commits once, on release; keys and clicks on the groove at once.
        auto commit = [panel, id]() {
            CtrlRec *cr = FindCtrl(panel, id);
            auto *sl = cr ? qobject_cast<QSlider *>(cr->w.data()) : nullptr;
            if (!sl || sl->isSliderDown()) return;
            cr->value = sl->value();
            FireCommit(panel, id);
        };
        QObject::connect(s, &QSlider::sliderReleased, s, commit);
        QObject::connect(s, &QSlider::valueChanged, s, commit);
        c->w = s;
    } else {
        auto *bar = new QProgressBar(client);
        bar->setRange(static_cast<int>(c->minVal), static_cast<int>(c->maxVal));
        bar->setValue(static_cast<int>(c->value));
        bar->setTextVisible(true);
        // A 0..100 bar reads as per cent; any other range shows the value itself.
        bar->setFormat(c->minVal == 0 && c->maxVal == 100 ? "%p%" : "%v");
        c->w = bar;
    }
}

// An invisible timer that ticks while enabled.
void BuildTimer(CtrlRec *c, const uir::Control &def, QWidget *client) {
    const uir::Attrs &a = def.attrs;
    const int panel = c->panel, id = c->id;
    auto *t = new QTimer(client);
    c->interval = a.Double("interval", 1.0);
    if (!(c->interval >= 0.001)) c->interval = 1.0; // never a timer that spins
    c->enabled = a.Bool("enabled", true);
    t->setInterval(static_cast<int>(c->interval * 1000.0 + 0.5));
    t->setTimerType(Qt::PreciseTimer);
    QObject::connect(t, &QTimer::timeout, t, [panel, id]() { FireTimer(panel, id); });
    if (c->enabled) t->start();
    c->timer = t;
    c->labelPos = LABEL_NONE;
}

// A radio button of a group (radio.cpp).
void BuildRadioButton(CtrlRec *c, const uir::Control &def, QWidget *client) {
    BuildRadio(c, def.attrs, client);
}

// Every control kind the resource may name: how to build it, its size when the resource gives
// none, whether its caption is drawn by the control itself (or it has none), and the
// text-bearing kind 1..9 by which language files carry its texts (what texts the control
// really has: 1 none, 2 label, 3 label and value text, 4 value text, 5 label and on/off texts,
// 6 graph, 7 strip chart, 8 label and entries, 9 table). A new kind is one builder above and one
// row here; docs/resource-format.md lists the same table.
struct KindRow {
    const char *name; // as written in the resource
    int kind;         // CTRL_...
    void (*build)(CtrlRec *c, const uir::Control &def, QWidget *client);
    QSize defaultSize;
    bool captionInside;
    int textKind;
};

const KindRow kKinds[] = {
    {"decoration", CTRL_DECORATION, BuildDecoration, {200, 100}, true, 2}, // its title
    {"picture", CTRL_PICTURE, BuildPicture, {100, 100}, true, 1},
    {"numeric", CTRL_NUMERIC, BuildNumeric, {90, 26}, false, 2},
    {"button", CTRL_COMMAND_BUTTON, BuildButton, {100, 30}, true, 2},
    {"led", CTRL_LED, BuildLed, {18, 18}, false, 2},
    {"string", CTRL_STRING, BuildString, {160, 26}, false, 3},
    {"textbox", CTRL_TEXT_BOX, BuildTextBox, {240, 80}, false, 3},
    {"textmsg", CTRL_TEXT_MSG, BuildTextMessage, {0, 22}, true, 4},
    {"switch", CTRL_SWITCH, BuildSwitch, {0, 24}, true, 5},
    {"ring", CTRL_RING, BuildRing, {140, 26}, false, 8},
    {"list", CTRL_LIST, BuildList, {160, 120}, false, 8},
    {"table", CTRL_TABLE, BuildTable, {300, 160}, false, 9},
    {"slide", CTRL_SLIDE, BuildSlide, {160, 22}, false, 2},
    {"timer", CTRL_TIMER, BuildTimer, {100, 100}, true, 1},
    {"radio", CTRL_RADIO, BuildRadioButton, {0, 24}, true, 2}, // a label, no on/off texts
    {"stripchart", CTRL_STRIP_CHART, BuildStripChart, {300, 160}, false, 7},
};

const KindRow *FindKind(const std::string &name) {
    for (const KindRow &row : kKinds)
        if (name == row.name) return &row;
    return nullptr;
}

} // namespace

void BuildControl(PanelRec *p, const uir::Control &def) {
    auto rec = std::make_unique<CtrlRec>();
    CtrlRec *c = rec.get();
    c->id = def.id;
    const KindRow *row = FindKind(def.kind);
    c->kind = row ? row->kind : 0;
    c->panel = p->handle;
    c->constName = def.constName;
    const uir::Attrs &a = def.attrs;
    c->labelText = QString::fromStdString(a.Str("label"));
    c->mode = a.Str("mode") == "indicator" ? VAL_INDICATOR : VAL_HOT;
    c->dimmed = a.Bool("dimmed", false);
    c->visible = a.Bool("visible", true);
    c->textBold = a.Bool("bold", false);
    if (a.Has("color")) {
        c->hasTextColor = true;
        c->textColor = a.Color("color");
    }
    if (a.Has("bgcolor")) {
        c->hasBgColor = true;
        c->textBgColor = a.Color("bgcolor");
    }
    QSize def0 = row ? row->defaultSize : QSize(100, 100);
    c->top = a.Int("top", 0);
    c->left = a.Int("left", 0);
    c->width = a.Int("width", def0.width());
    c->height = a.Int("height", def0.height());

    std::string lp = a.Str("labelpos", c->kind == CTRL_LED ? "right" : "top");
    c->labelPos = lp == "left"    ? LABEL_LEFT
                  : lp == "right" ? LABEL_RIGHT
                  : lp == "none"  ? LABEL_NONE
                                  : LABEL_TOP;
    if (row && row->captionInside) c->labelPos = LABEL_NONE;

    if (row) row->build(c, def, p->client);

    c->hasCaption = c->labelPos != LABEL_NONE && c->kind != CTRL_TIMER;
    if (a.Has("tooltip") && c->w) c->w->setToolTip(QString::fromStdString(a.Str("tooltip")));
    if (a.Has("callback")) {
        if (const CallbackBinding *b = FindCallback(a.Str("callback"))) c->cb = b->ctrl;
    }
    ApplyLook(c);
    if (c->kind == CTRL_DECORATION && c->w) c->w->lower();
    p->ctrls.push_back(std::move(rec));
}

} // namespace uiq

int TextKindOfCtrlKind(int ctrlKind) {
    for (const uiq::KindRow &row : uiq::kKinds)
        if (row.kind == ctrlKind) return row.textKind;
    return UIE_BAD_VALUE;
}

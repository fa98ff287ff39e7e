// Control values and attributes. Every change made here runs with the widget's signals
// blocked: the program setting a value is not the user committing one.
#include "platform/ui/uiqt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>

#include <cmath>

namespace uiq {
namespace {

QString FormatNumber(double v, int precision) {
    if (std::fabs(v) < 0.5 * std::pow(10.0, -precision)) v = 0.0; // no "-0.00"
    return QString::number(v, 'f', precision);
}

int RingIndex(CtrlRec *c) {
    if (UnbuiltRing(c)) return c->selected;
    if (auto *cb = qobject_cast<QComboBox *>(c->w.data())) return cb->currentIndex();
    if (auto *lw = qobject_cast<QListWidget *>(c->w.data())) return lw->currentRow();
    return -1;
}

// Sets a numeric value: out-of-range values are brought into the range, integers rounded.
int SetNumber(CtrlRec *c, double v) {
    if (std::isnan(v)) return UIE_BAD_VALUE;
    switch (c->kind) {
    case CTRL_NUMERIC: {
        auto *s = dynamic_cast<NumericBox *>(c->w.data());
        if (!s) return UIE_BAD_CONTROL;
        if (c->dataType == VAL_INTEGER) v = std::round(v);
        QSignalBlocker block(s);
        s->setValue(v);
        c->lastNumber = s->value();
        return 0;
    }
    case CTRL_LED: {
        c->value = v != 0 ? 1 : 0;
        if (c->w) {
            c->w->setProperty("on", c->value != 0);
            // An activity lamp lit before a blocking exchange must show before it starts.
            if (c->w->isVisible())
                c->w->repaint();
            else
                c->w->update();
        }
        return 0;
    }
    case CTRL_SWITCH: {
        auto *box = qobject_cast<QCheckBox *>(c->w.data());
        if (!box) return UIE_BAD_CONTROL;
        QSignalBlocker block(box);
        box->setChecked(v != 0);
        RefreshSwitchText(c);
        return 0;
    }
    case CTRL_RADIO:
        SetRadio(c, v != 0);
        return 0;
    case CTRL_SLIDE: {
        v = std::min(std::max(v, c->minVal), c->maxVal);
        c->value = v;
        if (auto *bar = qobject_cast<QProgressBar *>(c->w.data())) {
            QSignalBlocker block(bar);
            bar->setValue(static_cast<int>(std::lround(v)));
        } else if (auto *sl = qobject_cast<QSlider *>(c->w.data())) {
            QSignalBlocker block(sl);
            sl->setValue(static_cast<int>(std::lround(v)));
        }
        return 0;
    }
    case CTRL_RING:
    case CTRL_LIST: {
        // A ring's value is the value of its selected entry: setting one selects that entry. A
        // value it does not offer leaves nothing selected: showing whatever entry was selected
        // before would pass off another value as the one set.
        if (c->dataType == VAL_STRING) return UIE_BAD_VALUE; // its values are texts
        int index = -1;
        for (size_t i = 0; i < c->items.size() && index < 0; ++i)
            if (c->items[i].value == static_cast<int>(std::lround(v))) index = static_cast<int>(i);
        SelectEntry(c, index);
        return index < 0 ? UIE_BAD_VALUE : 0;
    }
    case CTRL_STRING:
    case CTRL_TEXT_BOX:
    case CTRL_TEXT_MSG:
        return UIE_BAD_VALUE;
    default:
        return UIE_BAD_CONTROL;
    }
}

int SetText(CtrlRec *c, const char *text) {
    if (!text) return UIE_MISSING_ARGUMENT;
    QString t = Q(text);
    switch (c->kind) {
    case CTRL_STRING: {
        auto *e = qobject_cast<QLineEdit *>(c->w.data());
        if (!e) return UIE_BAD_CONTROL;
        QSignalBlocker block(e);
        e->setText(t); // the maximum length cuts it, as it would the user's typing
        c->lastText = e->text();
        return 0;
    }
    case CTRL_TEXT_BOX: {
        auto *te = qobject_cast<QPlainTextEdit *>(c->w.data());
        if (!te) return UIE_BAD_CONTROL;
        if (c->maxLen > 0) t = t.left(c->maxLen);
        QSignalBlocker block(te);
        te->setPlainText(t);
        c->lastText = t;
        return 0;
    }
    case CTRL_TEXT_MSG: {
        auto *l = qobject_cast<QLabel *>(c->w.data());
        if (!l) return UIE_BAD_CONTROL;
        l->setText(t);
        FitTextMessage(c);
        return 0;
    }
    case CTRL_RING:
    case CTRL_LIST: {
        // A text ring's value selects the entry with that text, as an integer selects one of
        // an integer ring.
        if (c->dataType != VAL_STRING) return UIE_BAD_VALUE;
        int index = -1;
        for (size_t i = 0; i < c->items.size() && index < 0; ++i)
            if (c->items[i].text == t) index = static_cast<int>(i);
        SelectEntry(c, index);
        return index < 0 ? UIE_BAD_VALUE : 0;
    }
    default:
        return UIE_BAD_VALUE;
    }
}

int GetNumber(CtrlRec *c, double *v) {
    switch (c->kind) {
    case CTRL_NUMERIC: {
        auto *s = qobject_cast<QDoubleSpinBox *>(c->w.data());
        if (!s) return UIE_BAD_CONTROL;
        *v = s->value();
        return 0;
    }
    case CTRL_LED:
    case CTRL_SLIDE:
        *v = c->value;
        return 0;
    case CTRL_SWITCH: {
        auto *box = qobject_cast<QCheckBox *>(c->w.data());
        *v = box && box->isChecked() ? 1 : 0;
        return 0;
    }
    case CTRL_RADIO:
        *v = RadioIsOn(c) ? 1 : 0;
        return 0;
    case CTRL_RING:
    case CTRL_LIST: {
        if (c->dataType == VAL_STRING) return UIE_BAD_VALUE;
        int i = RingIndex(c);
        if (i < 0 || i >= static_cast<int>(c->items.size())) return UIE_INDEX_OUT_OF_RANGE;
        *v = c->items[static_cast<size_t>(i)].value;
        return 0;
    }
    default:
        return UIE_BAD_VALUE;
    }
}

int GetText(CtrlRec *c, char *buf, int size) {
    switch (c->kind) {
    case CTRL_STRING:
        if (auto *e = qobject_cast<QLineEdit *>(c->w.data())) return CopyOut(e->text(), buf, size);
        return UIE_BAD_CONTROL;
    case CTRL_TEXT_BOX:
        if (auto *t = qobject_cast<QPlainTextEdit *>(c->w.data()))
            return CopyOut(t->toPlainText(), buf, size);
        return UIE_BAD_CONTROL;
    case CTRL_TEXT_MSG:
        if (auto *l = qobject_cast<QLabel *>(c->w.data())) return CopyOut(l->text(), buf, size);
        return UIE_BAD_CONTROL;
    case CTRL_NUMERIC: {
        double v = 0;
        int r = GetNumber(c, &v);
        return r < 0 ? r : CopyOut(FormatNumber(v, c->precision), buf, size);
    }
    case CTRL_RING:
    case CTRL_LIST: {
        int i = RingIndex(c);
        if (i < 0 || i >= static_cast<int>(c->items.size())) return UIE_INDEX_OUT_OF_RANGE;
        // The value of a text ring; an integer ring shows its entry's label as its text.
        const ListEntry &e = c->items[static_cast<size_t>(i)];
        return CopyOut(c->dataType == VAL_STRING ? e.text : e.label, buf, size);
    }
    default:
        return UIE_BAD_VALUE;
    }
}

void SetLabelText(CtrlRec *c, const QString &t) {
    c->labelText = t;
    if (auto *b = qobject_cast<QPushButton *>(c->w.data()))
        b->setText(t);
    else if (auto *g = qobject_cast<QGroupBox *>(c->w.data()))
        g->setTitle(t);
    else if (c->kind == CTRL_SWITCH)
        RefreshSwitchText(c);
    else if (auto *r = qobject_cast<QAbstractButton *>(c->w.data()))
        r->setText(t);
    ApplyLook(c);
}

} // namespace
} // namespace uiq

using namespace uiq;

int SetCtrlVal(int panel, int control, int value) {
    return SetCtrlVal(panel, control, static_cast<double>(value));
}

int SetCtrlVal(int panel, int control, unsigned value) {
    return SetCtrlVal(panel, control, static_cast<double>(value));
}

int SetCtrlVal(int panel, int control, double value) {
    int err = 0;
    CtrlRec *c = LookupCtrl(panel, control, &err);
    return c ? SetNumber(c, value) : err;
}

int SetCtrlVal(int panel, int control, const char *value) {
    int err = 0;
    CtrlRec *c = LookupCtrl(panel, control, &err);
    return c ? SetText(c, value) : err;
}

// A failed read leaves the caller's variable as it was, so a caller can preset what stands for
// "nothing shown" (a ring without a selection).
int GetCtrlVal(int panel, int control, int *value) {
    if (!value) return UIE_MISSING_ARGUMENT;
    int err = 0;
    CtrlRec *c = LookupCtrl(panel, control, &err);
    if (!c) return err;
    double v = 0;
    int r = GetNumber(c, &v);
    if (r >= 0) *value = static_cast<int>(std::lround(v));
    return r;
}

int GetCtrlVal(int panel, int control, double *value) {
    if (!value) return UIE_MISSING_ARGUMENT;
    int err = 0;
    CtrlRec *c = LookupCtrl(panel, control, &err);
    if (!c) return err;
    double v = 0;
    int r = GetNumber(c, &v);
    if (r >= 0) *value = v;
    return r;
}

int GetCtrlVal(int panel, int control, float *value) {
    if (!value) return UIE_MISSING_ARGUMENT;
    double v = 0;
    int r = GetCtrlVal(panel, control, &v);
    if (r >= 0) *value = static_cast<float>(v);
    return r;
}

int GetCtrlVal(int panel, int control, char *value, int size) {
    if (!value || size <= 0) return UIE_MISSING_ARGUMENT;
    value[0] = '\0';
    int err = 0;
    CtrlRec *c = LookupCtrl(panel, control, &err);
    return c ? GetText(c, value, size) : err;
}

int SetActiveCtrl(int panel, int control) {
    int err = 0;
    CtrlRec *c = LookupCtrl(panel, control, &err);
    if (!c) return err;
    FindPanel(panel)->activeCtrl = control;
    if (c->w) c->w->setFocus();
    return 0;
}

int GetActiveCtrl(int panel) {
    PanelRec *p = FindPanel(panel);
    if (!p) return UIE_BAD_HANDLE;
    // The control with the keyboard focus, when it is one of ours.
    if (QWidget *f = QApplication::focusWidget())
        for (auto &c : p->ctrls)
            if (c->w && (c->w == f || c->w->isAncestorOf(f))) return c->id;
    return p->activeCtrl;
}

int SetCtrlAttribute(int panel, int control, int attribute, int value) {
    int err = 0;
    CtrlRec *c = LookupCtrl(panel, control, &err);
    if (!c) return err;
    if (c->kind == CTRL_STRIP_CHART) {
        int rc = StripChartSetAttribute(c, attribute, static_cast<double>(value));
        if (rc != UIE_BAD_ATTRIBUTE) return rc;
    }
    switch (attribute) {
    case ATTR_DIMMED:
        c->dimmed = value != 0;
        break;
    case ATTR_VISIBLE:
        c->visible = value != 0;
        break;
    case ATTR_LABEL_VISIBLE:
        c->labelVisible = value != 0;
        break;
    case ATTR_CTRL_INDEX:
        return SetCtrlIndex(panel, control, value);
    case ATTR_CTRL_VAL:
        return SetNumber(c, value);
    case ATTR_ENABLED:
        if (c->kind != CTRL_TIMER || !c->timer) return UIE_BAD_ATTRIBUTE;
        c->enabled = value != 0;
        if (c->enabled)
            c->timer->start();
        else
            c->timer->stop();
        return 0;
    case ATTR_INTERVAL:
        return SetCtrlAttribute(panel, control, attribute, double(value));
    case ATTR_TEXT_COLOR:
        c->textColor = static_cast<unsigned>(value) & 0xFFFFFF;
        c->hasTextColor = true;
        break;
    case ATTR_TEXT_BGCOLOR:
        c->textBgColor = static_cast<unsigned>(value) & 0xFFFFFF;
        c->hasBgColor = true;
        break;
    case ATTR_TEXT_BOLD:
        c->textBold = value != 0;
        break;
    case ATTR_LABEL_COLOR:
        c->labelColor = static_cast<unsigned>(value) & 0xFFFFFF;
        c->hasLabelColor = true;
        break;
    case ATTR_LABEL_BOLD:
        c->labelBold = value != 0;
        break;
    case ATTR_MIN_VALUE:
    case ATTR_MAX_VALUE:
        return SetCtrlAttribute(panel, control, attribute, double(value));
    case ATTR_PRECISION: {
        auto *s = dynamic_cast<NumericBox *>(c->w.data());
        if (!s) return UIE_BAD_ATTRIBUTE;
        if (value < 0 || value > 15) return UIE_BAD_VALUE;
        c->precision = c->dataType == VAL_INTEGER ? 0 : value;
        QSignalBlocker block(s);
        s->SetPrecision(c->precision); // the value itself stays as it is
        c->lastNumber = s->value();
        return 0;
    }
    case ATTR_DATA_TYPE: {
        auto *s = dynamic_cast<NumericBox *>(c->w.data());
        if (!s || (value != VAL_INTEGER && value != VAL_DOUBLE)) return UIE_BAD_VALUE;
        c->dataType = value;
        QSignalBlocker block(s);
        if (value == VAL_INTEGER) {
            c->precision = 0;
            s->SetPrecision(0);
            s->setValue(std::round(s->value()));
        }
        c->lastNumber = s->value();
        return 0;
    }
    case ATTR_MAX_ENTRY_LENGTH: {
        if (value < 0) return UIE_BAD_VALUE;
        c->maxLen = value;
        if (auto *e = qobject_cast<QLineEdit *>(c->w.data())) {
            QSignalBlocker block(e);
            e->setMaxLength(value > 0 ? value : 32767);
            c->lastText = e->text();
        } else if (c->kind != CTRL_TEXT_BOX) {
            return UIE_BAD_ATTRIBUTE;
        }
        return 0;
    }
    case ATTR_CTRL_MODE: {
        if (value != VAL_HOT && value != VAL_INDICATOR) return UIE_BAD_VALUE;
        c->mode = value;
        bool ind = value == VAL_INDICATOR;
        if (auto *s = qobject_cast<QDoubleSpinBox *>(c->w.data())) {
            s->setReadOnly(ind);
            s->setButtonSymbols(ind ? QAbstractSpinBox::NoButtons : QAbstractSpinBox::UpDownArrows);
            s->setFocusPolicy(ind ? Qt::NoFocus : Qt::StrongFocus);
        } else if (auto *e = qobject_cast<QLineEdit *>(c->w.data())) {
            e->setReadOnly(ind);
            e->setFocusPolicy(ind ? Qt::NoFocus : Qt::StrongFocus);
        } else if (auto *t = qobject_cast<QPlainTextEdit *>(c->w.data())) {
            t->setReadOnly(ind);
        } else if (c->w) {
            c->w->setAttribute(Qt::WA_TransparentForMouseEvents, ind);
        }
        return 0;
    }
    case ATTR_TOP:
        c->top = value;
        break;
    case ATTR_LEFT:
        c->left = value;
        break;
    case ATTR_WIDTH:
        if (value < 0) return UIE_BAD_VALUE;
        c->width = value;
        break;
    case ATTR_HEIGHT:
        if (value < 0) return UIE_BAD_VALUE;
        c->height = value;
        break;
    case ATTR_ACTIVE_YAXIS:
        if (!IsChart(c)) return UIE_BAD_ATTRIBUTE;
        if (value != VAL_LEFT_YAXIS && value != VAL_RIGHT_YAXIS) return UIE_BAD_VALUE;
        c->activeYAxis = value;
        return 0;
    default:
        return UIE_BAD_ATTRIBUTE;
    }
    ApplyLook(c);
    return 0;
}

int SetCtrlAttribute(int panel, int control, int attribute, double value) {
    int err = 0;
    CtrlRec *c = LookupCtrl(panel, control, &err);
    if (!c) return err;
    if (c->kind == CTRL_STRIP_CHART) {
        int rc = StripChartSetAttribute(c, attribute, value);
        if (rc != UIE_BAD_ATTRIBUTE) return rc;
    }
    switch (attribute) {
    case ATTR_CTRL_VAL:
        return SetNumber(c, value);
    case ATTR_INTERVAL: {
        if (c->kind != CTRL_TIMER || !c->timer) return UIE_BAD_ATTRIBUTE;
        if (!(value >= 0.0) || value > 1e6) return UIE_BAD_VALUE;
        c->interval = value;
        // Interval 0 asks for one tick at once; a single shot, so the timer never spins when
        // its callback does not set a new interval.
        c->timer->setSingleShot(value < 0.001);
        c->timer->setInterval(value < 0.001 ? 0 : static_cast<int>(value * 1000.0 + 0.5));
        if (c->enabled && !c->timer->isActive()) c->timer->start();
        return 0;
    }
    case ATTR_MIN_VALUE:
    case ATTR_MAX_VALUE: {
        if (std::isnan(value)) return UIE_BAD_VALUE;
        if (attribute == ATTR_MIN_VALUE)
            c->minVal = value;
        else
            c->maxVal = value;
        if (c->minVal > c->maxVal) {
            // Keep the pair ordered; the other end follows the one just set.
            if (attribute == ATTR_MIN_VALUE)
                c->maxVal = value;
            else
                c->minVal = value;
        }
        if (auto *s = dynamic_cast<NumericBox *>(c->w.data())) {
            QSignalBlocker block(s);
            s->setRange(c->minVal, c->maxVal); // coerces the shown value into the range
            c->lastNumber = s->value();
        } else if (auto *bar = qobject_cast<QProgressBar *>(c->w.data())) {
            bar->setRange(static_cast<int>(c->minVal), static_cast<int>(c->maxVal));
        } else if (auto *sl = qobject_cast<QSlider *>(c->w.data())) {
            QSignalBlocker block(sl);
            sl->setRange(static_cast<int>(c->minVal), static_cast<int>(c->maxVal));
        } else {
            return UIE_BAD_ATTRIBUTE;
        }
        return 0;
    }
    default:
        return SetCtrlAttribute(panel, control, attribute, static_cast<int>(value));
    }
}

int SetCtrlAttribute(int panel, int control, int attribute, const char *text) {
    int err = 0;
    CtrlRec *c = LookupCtrl(panel, control, &err);
    if (!c) return err;
    if (c->kind == CTRL_STRIP_CHART && text) {
        int rc = StripChartSetAttribute(c, attribute, text);
        if (rc != UIE_BAD_ATTRIBUTE) return rc;
    }
    if (!text) return UIE_MISSING_ARGUMENT;
    switch (attribute) {
    case ATTR_LABEL_TEXT:
        SetLabelText(c, Q(text));
        return 0;
    case ATTR_CTRL_VAL:
        return SetText(c, text);
    case ATTR_ON_TEXT:
    case ATTR_OFF_TEXT:
        if (c->kind != CTRL_SWITCH) return UIE_BAD_ATTRIBUTE;
        (attribute == ATTR_ON_TEXT ? c->onText : c->offText) = Q(text);
        RefreshSwitchText(c);
        return 0;
    default:
        return UIE_BAD_ATTRIBUTE;
    }
}

int SetCtrlAttribute(int panel, int control, int attribute, void *pointer) {
    int err = 0;
    CtrlRec *c = LookupCtrl(panel, control, &err);
    if (!c) return err;
    if (attribute != ATTR_CALLBACK_DATA) return UIE_BAD_ATTRIBUTE;
    c->cbData = pointer;
    return 0;
}

int GetCtrlAttribute(int panel, int control, int attribute, int *value) {
    if (!value) return UIE_MISSING_ARGUMENT;
    int err = 0;
    CtrlRec *c = LookupCtrl(panel, control, &err);
    if (!c) return err;
    if (c->kind == CTRL_STRIP_CHART) {
        double v = 0;
        int rc = StripChartGetAttribute(c, attribute, &v);
        if (rc != UIE_BAD_ATTRIBUTE) {
            *value = static_cast<int>(v);
            return rc;
        }
    }
    PanelRec *p = FindPanel(panel);
    switch (attribute) {
    case ATTR_DIMMED:
        *value = c->dimmed;
        return 0;
    case ATTR_VISIBLE:
        *value = c->visible;
        return 0;
    case ATTR_LABEL_VISIBLE:
        *value = c->labelVisible;
        return 0;
    case ATTR_CTRL_INDEX:
        return GetCtrlIndex(panel, control, value);
    case ATTR_CTRL_VAL:
        return GetCtrlVal(panel, control, value);
    case ATTR_ENABLED:
        if (c->kind != CTRL_TIMER) return UIE_BAD_ATTRIBUTE;
        *value = c->enabled;
        return 0;
    case ATTR_TEXT_COLOR:
        *value = static_cast<int>(c->textColor);
        return 0;
    case ATTR_TEXT_BGCOLOR:
        *value = static_cast<int>(c->textBgColor);
        return 0;
    case ATTR_TEXT_BOLD:
        *value = c->textBold;
        return 0;
    case ATTR_LABEL_COLOR:
        *value = static_cast<int>(c->labelColor);
        return 0;
    case ATTR_LABEL_BOLD:
        *value = c->labelBold;
        return 0;
    case ATTR_PRECISION:
        *value = c->precision;
        return 0;
    case ATTR_DATA_TYPE:
        *value = c->dataType;
        return 0;
    case ATTR_MAX_ENTRY_LENGTH:
        *value = c->maxLen;
        return 0;
    case ATTR_NUM_ITEMS:
        if (c->kind == CTRL_RING || c->kind == CTRL_LIST)
            return GetNumListItems(panel, control, value);
        if (auto *t = qobject_cast<QTableWidget *>(c->w.data())) {
            *value = t->rowCount();
            return 0;
        }
        return UIE_NOT_A_LIST;
    case ATTR_NUM_COLUMNS:
        if (auto *t = qobject_cast<QTableWidget *>(c->w.data())) {
            *value = t->columnCount();
            return 0;
        }
        return UIE_BAD_ATTRIBUTE;
    case ATTR_CTRL_MODE:
        *value = c->mode;
        return 0;
    case ATTR_CTRL_KIND:
        *value = c->kind;
        return 0;
    case ATTR_NEXT_CTRL: {
        *value = 0;
        for (size_t i = 0; i + 1 < p->ctrls.size(); ++i)
            if (p->ctrls[i]->id == control) *value = p->ctrls[i + 1]->id;
        return 0;
    }
    case ATTR_TOP:
        *value = c->top;
        return 0;
    case ATTR_LEFT:
        *value = c->left;
        return 0;
    case ATTR_WIDTH:
        *value = c->width;
        return 0;
    case ATTR_HEIGHT:
        *value = c->height;
        return 0;
    case ATTR_MIN_VALUE:
        *value = static_cast<int>(c->minVal);
        return 0;
    case ATTR_MAX_VALUE:
        *value = static_cast<int>(c->maxVal);
        return 0;
    case ATTR_INTERVAL:
        *value = static_cast<int>(c->interval);
        return 0;
    case ATTR_ACTIVE_YAXIS:
        if (!IsChart(c)) return UIE_BAD_ATTRIBUTE;
        *value = c->activeYAxis;
        return 0;
    default:
        return UIE_BAD_ATTRIBUTE;
    }
}

int GetCtrlAttribute(int panel, int control, int attribute, double *value) {
    if (!value) return UIE_MISSING_ARGUMENT;
    int err = 0;
    CtrlRec *c = LookupCtrl(panel, control, &err);
    if (!c) return err;
    if (c->kind == CTRL_STRIP_CHART) {
        int rc = StripChartGetAttribute(c, attribute, value);
        if (rc != UIE_BAD_ATTRIBUTE) return rc;
    }
    switch (attribute) {
    case ATTR_MIN_VALUE:
        *value = c->minVal;
        return 0;
    case ATTR_MAX_VALUE:
        *value = c->maxVal;
        return 0;
    case ATTR_INTERVAL:
        if (c->kind != CTRL_TIMER) return UIE_BAD_ATTRIBUTE;
        *value = c->interval;
        return 0;
    case ATTR_CTRL_VAL:
        return GetCtrlVal(panel, control, value);
    default: {
        int v = 0;
        int r = GetCtrlAttribute(panel, control, attribute, &v);
        *value = v;
        return r;
    }
    }
}

int GetCtrlAttribute(int panel, int control, int attribute, char *text, int size) {
    if (!text || size <= 0) return UIE_MISSING_ARGUMENT;
    text[0] = '\0';
    int err = 0;
    CtrlRec *c = LookupCtrl(panel, control, &err);
    if (!c) return err;
    if (c->kind == CTRL_STRIP_CHART) {
        int rc = StripChartGetAttribute(c, attribute, text, size);
        if (rc != UIE_BAD_ATTRIBUTE) return rc;
    }
    switch (attribute) {
    case ATTR_LABEL_TEXT:
        return CopyOut(c->labelText, text, size);
    case ATTR_CONSTANT_NAME:
        return CopyOut(QString::fromStdString(c->constName), text, size);
    case ATTR_ON_TEXT:
    case ATTR_OFF_TEXT:
        if (c->kind != CTRL_SWITCH) return UIE_BAD_ATTRIBUTE;
        return CopyOut(attribute == ATTR_ON_TEXT ? c->onText : c->offText, text, size);
    case ATTR_CTRL_VAL:
        return GetText(c, text, size);
    default:
        return UIE_BAD_ATTRIBUTE;
    }
}

int InstallCtrlCallback(int panel, int control, CtrlCallbackPtr fn, void *callbackData) {
    int err = 0;
    CtrlRec *c = LookupCtrl(panel, control, &err);
    if (!c) return err;
    c->cb = fn;
    c->cbData = callbackData;
    return 0;
}

namespace {

// What the user cannot reach, the user cannot commit: a dimmed or hidden control, a timer, or
// anything outside the pop-up on top.
CtrlRec *ReachableCtrl(int panel, int control, int *err) {
    CtrlRec *c = LookupCtrl(panel, control, err);
    if (!c) return nullptr;
    *err = UIE_NOT_ACCESSIBLE;
    if (c->dimmed || !c->visible || c->kind == CTRL_TIMER) return nullptr;
    if (!Popups().empty()) {
        int top = Popups().back();
        bool inside = false;
        for (int h = panel; h && !inside;) {
            if (h == top) inside = true;
            PanelRec *p = FindPanel(h);
            h = p ? p->parent : 0;
        }
        if (!inside) return nullptr;
    }
    *err = 0;
    return c;
}

void SendKey(QWidget *w, int key, const QString &text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

} // namespace

int UserCommit(int panel, int control) {
    int err = 0;
    CtrlRec *c = ReachableCtrl(panel, control, &err);
    if (!c) return err;
    if (c->kind == CTRL_SWITCH) RefreshSwitchText(c);
    if (c->kind == CTRL_RADIO) {
        // The user's click: it turns an off button on (and the rest of its group off); on a
        // button that is on already it does nothing.
        if (RadioIsOn(c)) return 0;
        SetRadio(c, true);
    }
    FireCommit(panel, control);
    return 0;
}

int UserTypeText(int panel, int control, const char *text) {
    if (!text) return UIE_MISSING_ARGUMENT;
    int err = 0;
    CtrlRec *c = ReachableCtrl(panel, control, &err);
    if (!c) return err;
    QWidget *w = c->w.data();
    if (auto *s = qobject_cast<QAbstractSpinBox *>(w))
        s->selectAll();
    else if (auto *e = qobject_cast<QLineEdit *>(w))
        e->selectAll();
    else
        return UIE_BAD_CONTROL;
    // Key by key, so that the control's own checks refuse what they would refuse from the
    // keyboard; Enter then commits the entry as it does for the user.
    for (QChar ch : Q(text)) SendKey(w, ch.unicode() < 128 ? ch.toUpper().unicode() : 0, ch);
    SendKey(w, Qt::Key_Return, QString());
    return 0;
}

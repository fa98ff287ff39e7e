// Radio buttons: a labelled round toggle in a named group, exactly one of which the user can
// have on. The group is kept here rather than by the toolkit, so that a button turned on by
// program turns its partners off in the same way and no callback fires for either.
#include "platform/ui/uiqt.h"

#include <QRadioButton>

namespace uiq {
namespace {

QRadioButton *Button(const CtrlRec *c) {
    return qobject_cast<QRadioButton *>(c->w.data());
}

void TurnOffPartners(const CtrlRec *c) {
    PanelRec *p = FindPanel(c->panel);
    if (!p) return;
    for (auto &other : p->ctrls) {
        if (other.get() == c || other->kind != CTRL_RADIO || other->radioGroup != c->radioGroup)
            continue;
        if (QRadioButton *b = Button(other.get())) {
            QSignalBlocker block(b);
            b->setChecked(false);
        }
    }
}

} // namespace

bool RadioIsOn(const CtrlRec *c) {
    QRadioButton *b = Button(c);
    return b && b->isChecked();
}

void SetRadio(CtrlRec *c, bool on) {
    QRadioButton *b = Button(c);
    if (!b) return;
    {
        QSignalBlocker block(b);
        b->setChecked(on);
    }
    if (on) TurnOffPartners(c);
}

void BuildRadio(CtrlRec *c, const uir::Attrs &a, QWidget *client) {
    auto *b = new QRadioButton(c->labelText, client);
    // Without a group of its own a button is alone in the panel's unnamed group.
    c->radioGroup = a.Str("group");
    c->dataType = VAL_INTEGER;
    b->setAutoExclusive(false);
    b->setChecked(a.Bool("value", false));
    c->w = b;
    if (!a.Has("width")) c->width = b->sizeHint().width() + 8;
    if (c->mode == VAL_INDICATOR) b->setAttribute(Qt::WA_TransparentForMouseEvents);
    const int panel = c->panel, id = c->id;
    QObject::connect(b, &QRadioButton::clicked, b, [panel, id](bool checked) {
        CtrlRec *cr = FindCtrl(panel, id);
        if (!cr) return;
        if (!checked) {
            // A click on the button that is on keeps it on, as in any radio group.
            SetRadio(cr, true);
            return;
        }
        TurnOffPartners(cr);
        FireCommit(panel, id);
    });
}

} // namespace uiq

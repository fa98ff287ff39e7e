// The captions of a panel's controls, drawn by one transparent widget under the controls
// instead of a label each. A panel shows dozens of captions; as widgets each one was made,
// polished, measured and shown before the window could appear, and laid out once more to be
// drawn. Drawn here, a caption is laid out only when it is drawn, the way a label draws it.
#include "platform/ui/uiqt.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>

namespace uiq {
namespace {

// A caption that is not left of its control is drawn left-aligned from its corner, so it
// needs no width of its own; its strip is this wide.
constexpr int kStrip = 4000;

// The height of a caption's text in the font, as a label measures it.
int TextHeight(const QFont &f, const QString &text) {
    return QFontMetrics(f)
        .boundingRect(0, 0, 2000, 2000, Qt::AlignLeft | Qt::TextExpandTabs, text)
        .height();
}

// Letters every font for a user interface has: the line of a text made only of them is as high
// as that of any other. A text with others may take them from a fallback font of its own
// height, and is measured as a whole.
bool PlainLetters(const QString &text) {
    for (QChar ch : text)
        if (ch.unicode() < 0x20 || ch.unicode() > 0xFF || ch == QChar(0x7F)) return false;
    return true;
}

class CaptionLayer : public QWidget {
  public:
    CaptionLayer(QWidget *client, int panel) : QWidget(client), panel_(panel) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        setGeometry(client->rect());
        client->installEventFilter(this);
    }

    // The height a caption's line takes: the same for every text of plain letters in a font,
    // so it is measured once per font.
    int CaptionHeight(const QFont &f, const QString &text) {
        if (!PlainLetters(text)) return TextHeight(f, text);
        for (const Height &h : heights_)
            if (h.font == f) return h.height;
        heights_.push_back({f, TextHeight(f, "X")});
        return heights_.back().height;
    }

  protected:
    bool eventFilter(QObject *watched, QEvent *e) override {
        if (watched == parent() && e->type() == QEvent::Resize)
            setGeometry(static_cast<QWidget *>(watched)->rect());
        return false;
    }

    void paintEvent(QPaintEvent *e) override {
        PanelRec *p = FindPanel(panel_);
        if (!p) return;
        QPainter painter(this);
        for (const auto &c : p->ctrls) {
            const CaptionLook &look = c->caption;
            if (!look.shown || !look.area.intersects(e->rect())) continue;
            QPalette pal = palette(); // its colour group follows the panel's state
            if (look.colored) pal.setColor(QPalette::WindowText, QColor(QRgb(look.color)));
            const bool enabled = isEnabled() && !look.dimmed;
            if (!enabled) pal.setCurrentColorGroup(QPalette::Disabled);
            QFont f = font();
            f.setBold(look.bold);
            painter.setFont(f);
            style()->drawItemText(&painter, look.area, look.flags, pal, enabled, look.text,
                                  QPalette::WindowText);
        }
    }

  private:
    struct Height {
        QFont font;
        int height;
    };
    int panel_;
    std::vector<Height> heights_;
};

CaptionLayer *LayerOf(PanelRec *p) {
    if (p->captions) return static_cast<CaptionLayer *>(p->captions.data());
    auto *layer = new CaptionLayer(p->client, p->handle);
    // Above the frames of the panel and under everything else, as a label made after its
    // control would be over the frame it stands in.
    layer->lower();
    for (auto it = p->ctrls.rbegin(); it != p->ctrls.rend(); ++it)
        if ((*it)->kind == CTRL_DECORATION && (*it)->w) (*it)->w->lower();
    layer->show();
    p->captions = layer;
    return layer;
}

} // namespace

void PlaceCaption(CtrlRec *c) {
    if (!c->hasCaption) return;
    PanelRec *p = FindPanel(c->panel);
    if (!p || !p->client) return;
    CaptionLook look;
    look.shown = c->visible && c->labelVisible && c->labelPos != LABEL_NONE && !c->inStatusBar &&
                 !c->labelText.isEmpty();
    if (look.shown) {
        CaptionLayer *layer = LayerOf(p);
        QFont f = layer->font();
        f.setBold(c->labelBold);
        const int height = layer->CaptionHeight(f, c->labelText);
        // Where a label of the caption's size would stand, and the text aligned in it as there.
        if (c->labelPos == LABEL_TOP)
            look.area = QRect(c->left, c->top - height - 2, kStrip, height);
        else if (c->labelPos == LABEL_LEFT)
            look.area =
                QRect(c->left - 6 - kStrip, c->top + (c->height - height) / 2, kStrip, height);
        else
            look.area =
                QRect(c->left + c->width + 6, c->top + (c->height - height) / 2, kStrip, height);
        // Left and right as given, whatever the direction of the text: a label's own width
        // is the text's, so the direction it reads in never moved it.
        look.flags =
            (c->labelPos == LABEL_LEFT ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter |
            Qt::TextExpandTabs | Qt::AlignAbsolute |
            (c->labelText.isRightToLeft() ? Qt::TextForceRightToLeft : Qt::TextForceLeftToRight);
        look.text = c->labelText;
        look.bold = c->labelBold;
        look.dimmed = c->dimmed;
        look.colored = c->hasLabelColor;
        look.color = c->hasLabelColor ? c->labelColor : 0;
    }
    // What reads the screen to the user names the control by its caption.
    if (c->w && c->w->accessibleName() != c->labelText) c->w->setAccessibleName(c->labelText);
    const CaptionLook was = c->caption;
    c->caption = look;
    if (was == look || !p->captions) return;
    // Only the strips that change are drawn anew: a strip under the controls is drawn with
    // every control that stands over it.
    QRegion dirty;
    if (was.shown) dirty += was.area;
    if (look.shown) dirty += look.area;
    p->captions->update(dirty);
}

} // namespace uiq

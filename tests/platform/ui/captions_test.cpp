// Captions drawn by the panel: each one where a label of its own stood, in the label's look,
// and what is on the screen after a change is what a fresh drawing of the panel shows.
#include "platform/ui/uiqt.h"
#include "uitest.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// A caption as a label of its own used to show it: sized to its text, in its look, placed by
// the control's corner.
QLabel *LabelAsBefore(const uiq::CtrlRec *c, QWidget *client) {
    auto *l = new uiq::TextLabel(c->labelText, client);
    l->setTextFormat(Qt::PlainText);
    if (c->hasLabelColor) {
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, QColor(QRgb(c->labelColor)));
        l->setPalette(pal);
    }
    QFont f = l->font();
    f.setBold(c->labelBold);
    l->setFont(f);
    l->setEnabled(!c->dimmed);
    l->ensurePolished();
    const QSize s = l->sizeHint();
    if (c->labelPos == uiq::LABEL_TOP)
        l->setGeometry(c->left, c->top - s.height() - 2, s.width(), s.height());
    else if (c->labelPos == uiq::LABEL_LEFT)
        l->setGeometry(c->left - s.width() - 6, c->top + (c->height - s.height()) / 2, s.width(),
                       s.height());
    else
        l->setGeometry(c->left + c->width + 6, c->top + (c->height - s.height()) / 2, s.width(),
                       s.height());
    l->show();
    return l;
}

// The box of the pixels in `r` where `img` differs from `bare`.
QRect Ink(const QImage &img, const QImage &bare, const QRect &r) {
    QRect box;
    const QRect in = r.intersected(img.rect());
    for (int y = in.top(); y <= in.bottom(); ++y)
        for (int x = in.left(); x <= in.right(); ++x)
            if (img.pixel(x, y) != bare.pixel(x, y)) box |= QRect(x, y, 1, 1);
    return box;
}

// Copies the pixels of `r` from `from`.
void Restore(QImage *img, const QImage &from, const QRect &r) {
    const QRect in = r.intersected(img->rect());
    for (int y = in.top(); y <= in.bottom(); ++y)
        for (int x = in.left(); x <= in.right(); ++x) img->setPixel(x, y, from.pixel(x, y));
}
// Draws the panel with its captions, then with labels as before in their place, and compares:
// the same pixels, but for two cases. A caption left of its control is now aligned to its right
// end exactly, and so may stand up to a pixel further right. And a label cut off what of its
// letters reached beyond its box (a descender, the overhang of a 'T'), which now shows whole,
// up to two pixels beyond where the box was.
void ExpectCaptionsAsLabels(int panel, const std::string &what) {
    uiq::PanelRec *p = uiq::FindPanel(panel);
    ASSERT_NE(p, nullptr);
    QWidget *client = p->client;
    auto picture = [client]() {
        return client->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    QImage drawn = picture();
    if (p->captions) p->captions->hide();
    const QImage bare = picture();
    std::vector<QLabel *> labels;
    std::vector<QRect> boxes;
    std::vector<std::pair<QRect, int>> leftStrips; // where to look, where the control begins
    for (const auto &c : p->ctrls) {
        if (!c->caption.shown) continue;
        labels.push_back(LabelAsBefore(c.get(), client));
        if (c->labelPos == uiq::LABEL_LEFT)
            leftStrips.push_back(
                {QRect(0, labels.back()->y(), c->left, labels.back()->height()), c->left});
        else
            boxes.push_back(labels.back()->geometry());
    }
    QImage before = picture();
    for (QLabel *l : labels) delete l;
    if (p->captions) p->captions->show();
    ASSERT_EQ(drawn.size(), before.size());

    for (const auto &[strip, control] : leftStrips) {
        const QRect now = Ink(drawn, bare, strip), then = Ink(before, bare, strip);
        const std::string where = what + " caption at " + std::to_string(strip.y());
        EXPECT_EQ(now.top(), then.top()) << where;
        EXPECT_EQ(now.bottom(), then.bottom()) << where;
        // At a fraction of a pixel further right, its text may cover a column more or less.
        EXPECT_GE(now.left() - then.left(), 0) << where;
        EXPECT_LE(now.left() - then.left(), 1) << where;
        EXPECT_GE(now.right() - then.right(), 0) << where;
        EXPECT_LE(now.right() - then.right(), 1) << where;
        EXPECT_LE(now.right(), control - 6) << where;
        Restore(&drawn, bare, strip);
        Restore(&before, bare, strip);
    }
    auto inAnyBox = [&boxes](int x, int y) {
        return std::any_of(boxes.begin(), boxes.end(),
                           [x, y](const QRect &b) { return b.contains(x, y); });
    };
    for (const QRect &box : boxes) {
        const QRect margin = box.adjusted(-2, -2, 2, 2).intersected(drawn.rect());
        for (int y = margin.top(); y <= margin.bottom(); ++y)
            for (int x = margin.left(); x <= margin.right(); ++x)
                if (!inAnyBox(x, y)) drawn.setPixel(x, y, before.pixel(x, y));
    }
    int differ = 0;
    QRect where;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            if (drawn.pixel(x, y) != before.pixel(x, y)) {
                ++differ;
                where |= QRect(x, y, 1, 1);
            }
    EXPECT_EQ(differ, 0) << what << ": pixels differ in " << where.x() << "," << where.y() << " "
                         << where.width() << "x" << where.height();
}

TEST_F(UiTest, CaptionsAreDrawnWhereTheirLabelsStoodInTheirLook) {
    int p = Load(MAIN);
    ASSERT_GT(p, 0);
    ASSERT_EQ(DisplayPanel(p), 0);
    ExpectCaptionsAsLabels(p, "as loaded");
    // Dimmed, coloured, bold and renamed captions, a multi-line and a non-Latin one.
    ASSERT_EQ(SetCtrlAttribute(p, MAIN_COUNT, ATTR_DIMMED, 1), 0);
    ASSERT_EQ(SetCtrlAttribute(p, MAIN_RATIO, ATTR_LABEL_COLOR, 0xC02020), 0);
    ASSERT_EQ(SetCtrlAttribute(p, MAIN_RATIO, ATTR_LABEL_BOLD, 1), 0);
    ASSERT_EQ(SetCtrlAttribute(p, MAIN_LAMP, ATTR_LABEL_TEXT, "Läuft\tjetzt"), 0);
    ASSERT_EQ(SetCtrlAttribute(p, MAIN_NAME, ATTR_LABEL_TEXT, "Name\nand more"), 0);
    ASSERT_EQ(SetCtrlAttribute(p, MAIN_MODE, ATTR_LABEL_TEXT, "Режим ☃"), 0);
    ExpectCaptionsAsLabels(p, "changed");
    ASSERT_EQ(SetPanelAttribute(p, ATTR_DIMMED, 1), 0);
    ExpectCaptionsAsLabels(p, "panel dimmed");
}

TEST_F(UiTest, CaptionsOfEveryProgramPanelAreDrawnWhereTheirLabelsStood) {
    const std::string file = KR7M_BIN_DIR "/MainPan.uir";
    if (!GetFileInfo(file.c_str(), nullptr)) GTEST_SKIP() << "no " << file;
    for (int id = 1;; ++id) {
        int h = LoadPanel(0, file.c_str(), id);
        if (h == UIE_RESOURCE_NOT_FOUND) break;
        ASSERT_GT(h, 0) << "panel " << id << ": " << UILastErrorDetail();
        char name[64] = "";
        GetPanelAttribute(h, ATTR_CONSTANT_NAME, name, sizeof name);
        DisplayPanel(h);
        ExpectCaptionsAsLabels(h, name);
        DiscardPanel(h);
    }
}

// The window as it is on the screen, from what was drawn into it since it was shown.
QImage OnScreen(int panel) {
    ProcessDrawEvents();
    QWidget *w = uiq::FindPanel(panel)->window;
    return QGuiApplication::primaryScreen()
        ->grabWindow(w->winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

QImage DrawnAfresh(int panel) {
    return uiq::FindPanel(panel)->window->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Each change draws anew what it moves or changes, no less: the screen then shows what a
// drawing of the whole panel shows, and undoing the change gives the first picture back.
TEST_F(UiTest, ACaptionChangeRedrawsWhereItWasAndWhereItIs) {
    int p = Load(MAIN);
    ASSERT_GT(p, 0);
    ASSERT_EQ(DisplayPanel(p), 0);
    const QImage first = OnScreen(p);
    ASSERT_FALSE(first.isNull());
    ASSERT_EQ(first, DrawnAfresh(p));
    struct Step {
        const char *what;
        int control, attr, on, off;
        const char *text;
    } steps[] = {
        {"longer text", MAIN_COUNT, ATTR_LABEL_TEXT, 0, 0, "A caption much longer than before"},
        {"shorter text", MAIN_RATIO, ATTR_LABEL_TEXT, 0, 0, "R"},
        {"bold", MAIN_COUNT, ATTR_LABEL_BOLD, 1, 0, nullptr},
        {"dimmed", MAIN_RATIO, ATTR_DIMMED, 1, 0, nullptr},
        {"caption hidden", MAIN_LAMP, ATTR_LABEL_VISIBLE, 0, 1, nullptr},
        {"control hidden", MAIN_NAME, ATTR_VISIBLE, 0, 1, nullptr},
        {"moved right", MAIN_COUNT, ATTR_LEFT, 60, 20, nullptr},
        {"moved down", MAIN_RATIO, ATTR_TOP, 130, 100, nullptr},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.what);
        char was[128] = "";
        if (s.text) {
            ASSERT_EQ(GetCtrlAttribute(p, s.control, ATTR_LABEL_TEXT, was, sizeof was), 0);
            ASSERT_EQ(SetCtrlAttribute(p, s.control, ATTR_LABEL_TEXT, s.text), 0);
        } else {
            ASSERT_EQ(SetCtrlAttribute(p, s.control, s.attr, s.on), 0);
        }
        const QImage changed = OnScreen(p);
        EXPECT_NE(changed, first);
        EXPECT_EQ(changed, DrawnAfresh(p));
        if (s.text)
            ASSERT_EQ(SetCtrlAttribute(p, s.control, ATTR_LABEL_TEXT, was), 0);
        else
            ASSERT_EQ(SetCtrlAttribute(p, s.control, s.attr, s.off), 0);
        EXPECT_EQ(OnScreen(p), first);
    }
}

// The captions cover the whole panel also after it has grown.
TEST_F(UiTest, CaptionsAreDrawnAllOverAPanelThatGrew) {
    int p = Load(MAIN);
    ASSERT_GT(p, 0);
    ASSERT_EQ(DisplayPanel(p), 0);
    ASSERT_EQ(SetPanelSize(p, 700, 1000), 0);
    const QImage before = OnScreen(p);
    ASSERT_EQ(SetCtrlAttribute(p, MAIN_COUNT, ATTR_LEFT, 850), 0);
    ASSERT_EQ(SetCtrlAttribute(p, MAIN_COUNT, ATTR_TOP, 600), 0);
    const QImage moved = OnScreen(p);
    EXPECT_EQ(moved, DrawnAfresh(p));
    // Where the caption now stands, the picture shows more than the field itself.
    ASSERT_EQ(SetCtrlAttribute(p, MAIN_COUNT, ATTR_LABEL_VISIBLE, 0), 0);
    EXPECT_NE(OnScreen(p), moved);
    EXPECT_NE(moved, before);
}

// A control is named by its caption to what reads the screen, also one made late.
TEST_F(UiTest, ControlsAreNamedByTheirCaptions) {
    int p = Load(MAIN);
    ASSERT_GT(p, 0);
    uiq::PanelRec *rec = uiq::FindPanel(p);
    auto named = [&](int id) {
        for (const auto &c : rec->ctrls)
            if (c->id == id && c->w) return c->w->accessibleName().toStdString();
        return std::string("(no widget)");
    };
    EXPECT_EQ(named(MAIN_COUNT), "Count");
    EXPECT_EQ(named(MAIN_MODE), "Mode");
    ASSERT_EQ(SetCtrlAttribute(p, MAIN_MODE, ATTR_LABEL_TEXT, "Betriebsart"), 0);
    EXPECT_EQ(named(MAIN_MODE), "Betriebsart");
}

} // namespace

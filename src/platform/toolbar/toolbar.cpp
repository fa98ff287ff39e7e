// The main window's toolbar on a QToolBar docked below the menu bar: image buttons that choose
// a menu item, separators, and a ring (combo box). Items are numbered by position from 1, as
// they stand left to right.
#include "platform/toolbar/toolbar.h"

#include "platform/ui/uiqt.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// Every item is drawn at this multiple of its natural size.
constexpr double kSizeFactor = 1.2;

struct Item {
    enum Kind { Button, Separator, Ring } kind = Button;
    QPointer<QAction> action; // the item as it sits in the toolbar
    QPointer<QComboBox> combo;
    int menuBar = 0, menuItem = 0;
    int ctrl = 0;            // the item's control: fixed, whatever is inserted before it
    std::string description; // the tool tip, by which callers find the item
    CtrlCallbackPtr fn = nullptr;
    void *data = nullptr;
    bool dimmed = false;
};

struct Toolbar {
    int panel = 0;
    QPointer<QToolBar> bar;
    std::vector<Item> items; // position p is items[p - 1]
};

std::map<int, Toolbar> g_toolbars;
int g_nextToolbar = 1;
int g_nextCtrl = 1;

Toolbar *Find(ToolbarHandle tb) {
    auto it = g_toolbars.find(tb);
    // The window may be gone (discarded, its widgets not yet deleted): then so is the toolbar.
    if (it == g_toolbars.end() || !it->second.bar || !uiq::FindPanel(it->second.panel))
        return nullptr;
    return &it->second;
}

// Where a new item goes: positions count from 1; anything outside appends.
int Slot(Toolbar *t, int position) {
    int n = static_cast<int>(t->items.size());
    return (position < 1 || position > n + 1) ? n : position - 1;
}

QAction *Before(Toolbar *t, int slot) {
    return slot < static_cast<int>(t->items.size()) ? t->items[static_cast<size_t>(slot)].action
                                                    : nullptr;
}

Item *ItemAt(Toolbar *t, int position) {
    if (position < 1 || position > static_cast<int>(t->items.size())) return nullptr;
    return &t->items[static_cast<size_t>(position - 1)];
}

Item *CtrlItem(Toolbar *t, int ctrl) {
    for (auto &it : t->items)
        if (it.ctrl == ctrl) return &it;
    return nullptr;
}

Item *RingItem(Toolbar *t, int ring) {
    Item *it = CtrlItem(t, ring);
    return it && it->kind == Item::Ring ? it : nullptr;
}

// Every pixel becomes a factor x factor block: what the toolkit's fast scaling by a whole
// factor gives, without starting its painting machinery for the first image of the program
// (milliseconds at start-up). Images of other pixel formats are left to the toolkit.
QImage BlowUp(const QImage &img, int factor) {
    const QImage::Format f = img.format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
        f != QImage::Format_ARGB32_Premultiplied)
        return img.scaled(img.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QImage big(img.width() * factor, img.height() * factor, f);
    if (big.isNull()) return big;
    for (int y = 0; y < big.height(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(img.constScanLine(y / factor));
        auto *dst = reinterpret_cast<QRgb *>(big.scanLine(y));
        for (int x = 0; x < big.width(); ++x) dst[x] = src[x / factor];
    }
    return big;
}

// Scaled by a non-integer factor, a bitmap is first blown up without smoothing and then
// reduced with area averaging: edges stay sharp instead of smearing.
QIcon ScaledBitmap(const QString &file, QSize *size) {
    QImage img = uiq::LoadImageFile(file);
    if (img.isNull()) return QIcon();
    QSize target(qRound(img.width() * kSizeFactor), qRound(img.height() * kSizeFactor));
    QImage big = BlowUp(img, 5);
    *size = target;
    return QIcon(
        QPixmap::fromImage(big.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

// A vector image is drawn when the button is painted, at the pixel density of the screen it is
// painted on, so it is sharp on every one; nothing is drawn before the window is shown. Each
// drawing is kept for the next paint.
class VectorIcon : public QIconEngine {
  public:
    VectorIcon(std::shared_ptr<QSvgRenderer> svg, QSize size) : svg_(std::move(svg)), size_(size) {}
    QIconEngine *clone() const override { return new VectorIcon(*this); }
    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override {
        return Fitted(size_, size);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {size_}; }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    // `size` counts device pixels: the logical size times `scale`.
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State, qreal scale) override {
        const QSize want = Fitted(size_ * scale, size);
        for (const Drawn &d : drawn_)
            if (d.size == want && d.mode == mode) return d.pixmap;
        QImage img(want, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter painter(&img);
        svg_->render(&painter);
        painter.end();
        QPixmap pm = QPixmap::fromImage(img);
        // A dimmed or selected button shows the image as the style alters it, as for bitmaps.
        if (mode != QIcon::Normal && mode != QIcon::Active) {
            QStyleOption opt;
            opt.palette = QGuiApplication::palette();
            pm = QApplication::style()->generatedIconPixmap(mode, pm, &opt);
        }
        drawn_.push_back({want, mode, pm});
        return pm;
    }
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap pm = scaledPixmap(rect.size() * scale, mode, state, scale);
        pm.setDevicePixelRatio(scale);
        const QSize shown = pm.deviceIndependentSize().toSize();
        painter->drawPixmap(QRect(rect.topLeft() + QPoint((rect.width() - shown.width()) / 2,
                                                          (rect.height() - shown.height()) / 2),
                                  shown),
                            pm);
    }

  private:
    // The image's own size, made smaller to fit into `room` when it does not.
    static QSize Fitted(QSize own, QSize room) {
        return own.width() <= room.width() && own.height() <= room.height()
                   ? own
                   : own.scaled(room, Qt::KeepAspectRatio);
    }
    struct Drawn {
        QSize size;
        QIcon::Mode mode;
        QPixmap pixmap;
    };
    std::shared_ptr<QSvgRenderer> svg_;
    QSize size_;
    std::vector<Drawn> drawn_;
};

QIcon RenderedVector(const QString &file, QSize *size) {
    auto svg = std::make_shared<QSvgRenderer>(file);
    QSize natural = svg->defaultSize();
    if (!svg->isValid() || natural.isEmpty()) return QIcon();
    QSize target(qRound(natural.width() * kSizeFactor), qRound(natural.height() * kSizeFactor));
    *size = target;
    return QIcon(new VectorIcon(std::move(svg), target));
}

// The image a button shows: the vector file of the same name ("new.svg" for "new.bmp") when
// there is one that can be read, else the file itself. A null icon when neither can be read.
QIcon ButtonImage(const QString &file, QSize *size) {
    QFileInfo info(file);
    QString vector = info.path() + "/" + info.completeBaseName() + ".svg";
    if (info.suffix().compare("svg", Qt::CaseInsensitive) != 0 && QFileInfo::exists(vector)) {
        QIcon icon = RenderedVector(vector, size);
        if (!icon.isNull()) return icon;
    }
    if (info.suffix().compare("svg", Qt::CaseInsensitive) == 0) return RenderedVector(file, size);
    return ScaledBitmap(file, size);
}

// The button follows its menu item: a dimmed menu entry cannot be reached from the toolbar.
void SyncButton(Item *it) {
    if (!it->action) return;
    int menuDimmed = 0;
    GetMenuBarAttribute(it->menuBar, it->menuItem, ATTR_DIMMED, &menuDimmed);
    it->action->setEnabled(!it->dimmed && !menuDimmed);
}

void Dim(Item *it, bool dimmed) {
    it->dimmed = dimmed;
    if (it->kind == Item::Button)
        SyncButton(it);
    else if (it->combo)
        it->combo->setEnabled(!dimmed);
}

void FireRing(int tb, int ring) {
    Toolbar *t = Find(tb);
    Item *it = t ? RingItem(t, ring) : nullptr;
    if (!it || !it->fn) return;
    it->fn(t->panel, ring, EVENT_COMMIT, it->data, 0, 0);
}

} // namespace

ToolbarHandle Toolbar_New(int panel) {
    uiq::PanelRec *p = uiq::FindPanel(panel);
    if (!p || !p->main) return 0; // only a main window carries a toolbar
    auto *bar = new QToolBar(p->main);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    p->main->addToolBar(Qt::TopToolBarArea, bar);
    int handle = g_nextToolbar++;
    g_toolbars[handle] = Toolbar{panel, bar, {}};
    return handle;
}

int Toolbar_InsertButton(ToolbarHandle tb, int position, const char *imageFile, const char *tooltip,
                         int menuBar, int menuItem) {
    Toolbar *t = Find(tb);
    if (!t) return UIE_BAD_HANDLE;
    if (!imageFile) return UIE_MISSING_ARGUMENT;
    int checkDimmed = 0;
    if (GetMenuBarAttribute(menuBar, menuItem, ATTR_DIMMED, &checkDimmed) < 0)
        return UIE_BAD_CONTROL;
    QSize size;
    QIcon image = ButtonImage(uiq::Q(imageFile), &size);
    int slot = Slot(t, position);
    // An '&' in the text would mark a shortcut letter; the description shows as it stands.
    auto *act = new QAction(uiq::Q(tooltip).replace('&', "&&"), t->bar);
    act->setToolTip(uiq::Q(tooltip));
    if (!image.isNull()) {
        act->setIcon(image);
        QSize shown = t->bar->iconSize();
        if (shown.height() < size.height() || shown.width() < size.width())
            t->bar->setIconSize(shown.expandedTo(size));
    }
    t->bar->insertAction(Before(t, slot), act);
    // Without its image the button shows its description: it keeps its place and its command,
    // so the items after it stay where the caller counted them.
    if (image.isNull())
        if (auto *button = qobject_cast<QToolButton *>(t->bar->widgetForAction(act)))
            button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    Item it;
    it.kind = Item::Button;
    it.action = act;
    it.menuBar = menuBar;
    it.menuItem = menuItem;
    it.ctrl = g_nextCtrl++;
    it.description = tooltip ? tooltip : "";
    t->items.insert(t->items.begin() + slot, it);
    QObject::connect(act, &QAction::triggered, act,
                     [menuBar, menuItem]() { uiq::FireMenu(menuBar, menuItem); });
    if (uiq::MenuBarRec *mb = uiq::FindMenuBar(menuBar)) {
        auto m = mb->items.find(menuItem);
        if (m != mb->items.end() && m->second.action) {
            int handle = tb;
            QObject::connect(m->second.action, &QAction::changed, act, [handle, act]() {
                if (Toolbar *tt = Find(handle))
                    for (auto &i : tt->items)
                        if (i.action == act) SyncButton(&i);
            });
        }
    }
    SyncButton(&t->items[static_cast<size_t>(slot)]);
    return 0;
}

int Toolbar_InsertSeparator(ToolbarHandle tb, int position) {
    Toolbar *t = Find(tb);
    if (!t) return UIE_BAD_HANDLE;
    int slot = Slot(t, position);
    QAction *sep = t->bar->insertSeparator(Before(t, slot));
    Item it;
    it.kind = Item::Separator;
    it.action = sep;
    it.ctrl = g_nextCtrl++;
    t->items.insert(t->items.begin() + slot, it);
    return 0;
}

int Toolbar_InsertRing(ToolbarHandle tb, int position, const char *tooltip, int width,
                       CtrlCallbackPtr fn, void *callbackData) {
    Toolbar *t = Find(tb);
    if (!t) return UIE_BAD_HANDLE;
    int slot = Slot(t, position);
    auto *combo = new QComboBox(t->bar);
    combo->setToolTip(uiq::Q(tooltip));
    if (width > 0) combo->setFixedWidth(qRound(width * kSizeFactor));
    QAction *act = t->bar->insertWidget(Before(t, slot), combo);
    Item it;
    it.kind = Item::Ring;
    it.action = act;
    it.combo = combo;
    it.ctrl = g_nextCtrl++;
    it.description = tooltip ? tooltip : "";
    it.fn = fn;
    it.data = callbackData;
    t->items.insert(t->items.begin() + slot, it);
    int handle = tb, ring = it.ctrl;
    QObject::connect(combo, &QComboBox::activated, combo,
                     [handle, ring](int) { FireRing(handle, ring); });
    return ring;
}

int Toolbar_ClearRing(ToolbarHandle tb, int ring) {
    Toolbar *t = Find(tb);
    if (!t) return UIE_BAD_HANDLE;
    Item *it = RingItem(t, ring);
    if (!it || !it->combo) return UIE_BAD_CONTROL;
    QSignalBlocker block(it->combo);
    it->combo->clear();
    return 0;
}

int Toolbar_RingAppend(ToolbarHandle tb, int ring, const char *label, int value) {
    Toolbar *t = Find(tb);
    if (!t) return UIE_BAD_HANDLE;
    if (!label) return UIE_MISSING_ARGUMENT;
    Item *it = RingItem(t, ring);
    if (!it || !it->combo) return UIE_BAD_CONTROL;
    QSignalBlocker block(it->combo);
    it->combo->addItem(uiq::Q(label), value);
    return 0;
}

int Toolbar_RingSetIndex(ToolbarHandle tb, int ring, int index) {
    Toolbar *t = Find(tb);
    if (!t) return UIE_BAD_HANDLE;
    Item *it = RingItem(t, ring);
    if (!it || !it->combo) return UIE_BAD_CONTROL;
    if (index < 0 || index >= it->combo->count()) return UIE_INDEX_OUT_OF_RANGE;
    QSignalBlocker block(it->combo);
    it->combo->setCurrentIndex(index);
    return 0;
}

int Toolbar_RingGetIndex(ToolbarHandle tb, int ring, int *index) {
    if (!index) return UIE_MISSING_ARGUMENT;
    Toolbar *t = Find(tb);
    if (!t) return UIE_BAD_HANDLE;
    Item *it = RingItem(t, ring);
    if (!it || !it->combo) return UIE_BAD_CONTROL;
    *index = it->combo->currentIndex();
    return 0;
}

int Toolbar_RingGetValue(ToolbarHandle tb, int ring, int *value) {
    if (!value) return UIE_MISSING_ARGUMENT;
    Toolbar *t = Find(tb);
    if (!t) return UIE_BAD_HANDLE;
    Item *it = RingItem(t, ring);
    if (!it || !it->combo) return UIE_BAD_CONTROL;
    if (it->combo->currentIndex() < 0) {
        *value = 0;
        return UIE_INDEX_OUT_OF_RANGE;
    }
    *value = it->combo->currentData().toInt();
    return 0;
}

int Toolbar_RingCount(ToolbarHandle tb, int ring, int *count) {
    if (!count) return UIE_MISSING_ARGUMENT;
    Toolbar *t = Find(tb);
    if (!t) return UIE_BAD_HANDLE;
    Item *it = RingItem(t, ring);
    if (!it || !it->combo) return UIE_BAD_CONTROL;
    *count = it->combo->count();
    return 0;
}

int Toolbar_SetItemDimmed(ToolbarHandle tb, int position, int dimmed) {
    Toolbar *t = Find(tb);
    if (!t) return UIE_BAD_HANDLE;
    Item *it = ItemAt(t, position);
    if (!it) return UIE_INDEX_OUT_OF_RANGE;
    Dim(it, dimmed != 0);
    return 0;
}

int Toolbar_GetCtrlFromDescription(ToolbarHandle tb, const char *description, int *panel,
                                   int *control) {
    if (!description || !panel || !control) return UIE_MISSING_ARGUMENT;
    Toolbar *t = Find(tb);
    if (!t) return UIE_BAD_HANDLE;
    for (const Item &it : t->items) {
        if (it.kind == Item::Separator || it.description != description) continue;
        *panel = t->panel;
        *control = it.ctrl;
        return 0;
    }
    return UIE_BAD_CONTROL;
}

int Toolbar_SetCtrlDimmed(ToolbarHandle tb, int control, int dimmed) {
    Toolbar *t = Find(tb);
    if (!t) return UIE_BAD_HANDLE;
    Item *it = CtrlItem(t, control);
    if (!it) return UIE_BAD_CONTROL;
    Dim(it, dimmed != 0);
    return 0;
}

int Toolbar_GetCtrlDimmed(ToolbarHandle tb, int control, int *dimmed) {
    if (!dimmed) return UIE_MISSING_ARGUMENT;
    Toolbar *t = Find(tb);
    if (!t) return UIE_BAD_HANDLE;
    Item *it = CtrlItem(t, control);
    if (!it) return UIE_BAD_CONTROL;
    if (it->kind == Item::Button) {
        SyncButton(it);
        *dimmed = it->action && it->action->isEnabled() ? 0 : 1;
    } else {
        *dimmed = it->dimmed ? 1 : 0;
    }
    return 0;
}

int Toolbar_SetTooltip(ToolbarHandle tb, int position, const char *tooltip) {
    Toolbar *t = Find(tb);
    if (!t) return UIE_BAD_HANDLE;
    Item *it = ItemAt(t, position);
    if (!it) return UIE_INDEX_OUT_OF_RANGE;
    if (it->kind == Item::Separator) return UIE_BAD_CONTROL;
    it->description = tooltip ? tooltip : "";
    if (it->combo)
        it->combo->setToolTip(uiq::Q(tooltip));
    else if (it->action)
        it->action->setToolTip(uiq::Q(tooltip));
    return 0;
}

int Toolbar_Display(ToolbarHandle tb) {
    Toolbar *t = Find(tb);
    if (!t) return UIE_BAD_HANDLE;
    t->bar->show();
    return 0;
}

int Toolbar_Hide(ToolbarHandle tb) {
    Toolbar *t = Find(tb);
    if (!t) return UIE_BAD_HANDLE;
    t->bar->hide();
    return 0;
}

int Toolbar_Height(ToolbarHandle tb) {
    Toolbar *t = Find(tb);
    if (!t) return 0;
    return t->bar->sizeHint().height();
}

int Toolbar_Discard(ToolbarHandle tb) {
    auto it = g_toolbars.find(tb);
    if (it == g_toolbars.end()) return UIE_BAD_HANDLE;
    if (QToolBar *bar = it->second.bar) {
        if (auto *main = qobject_cast<QMainWindow *>(bar->parentWidget())) main->removeToolBar(bar);
        bar->hide();
        bar->deleteLater();
    }
    g_toolbars.erase(it);
    return 0;
}

int Toolbar_UserPress(ToolbarHandle tb, int position) {
    Toolbar *t = Find(tb);
    if (!t) return UIE_BAD_HANDLE;
    Item *it = ItemAt(t, position);
    if (!it || it->kind == Item::Separator) return UIE_BAD_CONTROL;
    // As for the user: a hidden toolbar or a dimmed item cannot be pressed.
    if (!t->bar->isVisibleTo(t->bar->window()) || !uiq::Popups().empty()) return UIE_NOT_ACCESSIBLE;
    if (it->kind == Item::Ring) {
        if (it->dimmed) return UIE_NOT_ACCESSIBLE;
        FireRing(tb, it->ctrl);
        return 0;
    }
    SyncButton(it);
    if (!it->action || !it->action->isEnabled()) return UIE_NOT_ACCESSIBLE;
    uiq::FireMenu(it->menuBar, it->menuItem);
    return 0;
}

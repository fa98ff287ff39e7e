// The main window's toolbar on a QToolBar docked below the menu bar: image buttons that choose
// a menu item, separators, and a ring (combo box). Items are numbered by position from 1, as
// they stand left to right.
#include "platform/toolbar/toolbar.h"

#include "platform/ui/uiqt.h"

#include <QComboBox>
#include <QImage>
#include <QToolBar>
#include <QToolButton>

#include <map>

namespace {

// Every item is drawn at this multiple of its natural size (the images are small bitmaps).
constexpr double kSizeFactor = 1.2;

struct Item {
    enum Kind { Button, Separator, Ring } kind = Button;
    QPointer<QAction> action; // the item as it sits in the toolbar
    QPointer<QComboBox> combo;
    int menuBar = 0, menuItem = 0;
    int ringId = 0;
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
int g_nextRing = 1;

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

Item *RingItem(Toolbar *t, int ring) {
    for (auto &it : t->items)
        if (it.kind == Item::Ring && it.ringId == ring) return &it;
    return nullptr;
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
QPixmap ScaledImage(const QString &file) {
    QImage img = uiq::LoadImageFile(file);
    if (img.isNull()) return QPixmap();
    QSize target(qRound(img.width() * kSizeFactor), qRound(img.height() * kSizeFactor));
    QImage big = BlowUp(img, 5);
    return QPixmap::fromImage(big.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

// The button follows its menu item: a dimmed menu entry cannot be reached from the toolbar.
void SyncButton(Item *it) {
    if (!it->action) return;
    int menuDimmed = 0;
    GetMenuBarAttribute(it->menuBar, it->menuItem, ATTR_DIMMED, &menuDimmed);
    it->action->setEnabled(!it->dimmed && !menuDimmed);
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
    QPixmap pix = ScaledImage(uiq::Q(imageFile));
    if (pix.isNull()) {
        uiq::SetLastError(std::string(imageFile) + ": cannot read the image");
        return UIE_FILE_NOT_FOUND;
    }
    int slot = Slot(t, position);
    auto *act = new QAction(QIcon(pix), uiq::Q(tooltip), t->bar);
    act->setToolTip(uiq::Q(tooltip));
    if (t->bar->iconSize().height() < pix.height() || t->bar->iconSize().width() < pix.width())
        t->bar->setIconSize(pix.size());
    t->bar->insertAction(Before(t, slot), act);
    Item it;
    it.kind = Item::Button;
    it.action = act;
    it.menuBar = menuBar;
    it.menuItem = menuItem;
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
    it.ringId = g_nextRing++;
    it.fn = fn;
    it.data = callbackData;
    t->items.insert(t->items.begin() + slot, it);
    int handle = tb, ring = it.ringId;
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
    it->dimmed = dimmed != 0;
    if (it->kind == Item::Button)
        SyncButton(it);
    else if (it->combo)
        it->combo->setEnabled(!it->dimmed);
    return 0;
}

int Toolbar_SetTooltip(ToolbarHandle tb, int position, const char *tooltip) {
    Toolbar *t = Find(tb);
    if (!t) return UIE_BAD_HANDLE;
    Item *it = ItemAt(t, position);
    if (!it) return UIE_INDEX_OUT_OF_RANGE;
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
        FireRing(tb, it->ringId);
        return 0;
    }
    SyncButton(it);
    if (!it->action || !it->action->isEnabled()) return UIE_NOT_ACCESSIBLE;
    uiq::FireMenu(it->menuBar, it->menuItem);
    return 0;
}

// Menu bars from the resource: menus, items, separators and submenus, addressed by the ids the
// generator gave them; item 0 stands for the menu bar itself.
#include "platform/ui/uiqt.h"

#include <QKeySequence>

namespace uiq {
namespace {

void AddNode(MenuBarRec *mb, QMenu *into, const uir::MenuNode &n, int parentId) {
    MenuItemRec rec;
    rec.id = n.id;
    rec.constName = n.constName;
    rec.parentId = parentId;
    rec.separator = n.separator;
    if (n.separator) {
        rec.action = into->addSeparator();
    } else if (n.isMenu) {
        QString label = QString::fromStdString(n.attrs.Str("label", n.name));
        QMenu *menu = into ? into->addMenu(label) : mb->bar->addMenu(label);
        rec.menu = menu;
        rec.action = menu->menuAction();
        rec.action->setEnabled(!n.attrs.Bool("dimmed", false));
        for (const auto &c : n.children) {
            AddNode(mb, menu, c, n.id);
            rec.children.push_back(c.id);
        }
    } else {
        QAction *act = into->addAction(QString::fromStdString(n.attrs.Str("label", n.name)));
        if (n.attrs.Has("shortcut"))
            act->setShortcut(QKeySequence(QString::fromStdString(n.attrs.Str("shortcut"))));
        if (n.attrs.Has("checked")) {
            act->setCheckable(true);
            act->setChecked(n.attrs.Bool("checked"));
        }
        act->setEnabled(!n.attrs.Bool("dimmed", false));
        if (n.attrs.Has("callback"))
            if (const CallbackBinding *b = FindCallback(n.attrs.Str("callback"))) rec.cb = b->menu;
        int bar = mb->handle, id = n.id;
        QObject::connect(act, &QAction::triggered, act, [bar, id](bool) {
            // The tick mark is the program's business (ATTR_CHECKED), not the toolkit's.
            if (MenuBarRec *m = FindMenuBar(bar)) {
                auto it = m->items.find(id);
                if (it != m->items.end() && it->second.action && it->second.action->isCheckable())
                    it->second.action->setChecked(!it->second.action->isChecked());
            }
            FireMenu(bar, id);
        });
        rec.action = act;
    }
    mb->items[n.id] = rec;
}

MenuItemRec *Item(MenuBarRec *mb, int item) {
    auto it = mb->items.find(item);
    return it == mb->items.end() ? nullptr : &it->second;
}

// Ids of the entries one level below item (0: the menus of the bar).
const std::vector<int> *ChildrenOf(MenuBarRec *mb, int item) {
    if (item == 0) return &mb->top;
    MenuItemRec *r = Item(mb, item);
    return r ? &r->children : nullptr;
}

} // namespace
} // namespace uiq

using namespace uiq;

int LoadMenuBar(int panel, const char *resourceFile, int menuBarResourceId) {
    if (!EnsureApp()) return UIE_NO_DISPLAY;
    PanelRec *p = nullptr;
    if (panel != 0) {
        p = FindPanel(panel);
        if (!p) return UIE_BAD_HANDLE;
        if (!p->main) return UIE_BAD_HANDLE; // only a top-level window carries a menu bar
    }
    int err = 0;
    const uir::Resource *res = GetResource(resourceFile, &err);
    if (!res) return err;
    const uir::MenuBar *def = res->FindMenuBar(menuBarResourceId);
    if (!def) {
        SetLastError(std::string(resourceFile) + ": no menu bar with id " +
                     std::to_string(menuBarResourceId));
        return UIE_RESOURCE_NOT_FOUND;
    }
    auto rec = std::make_unique<MenuBarRec>();
    MenuBarRec *mb = rec.get();
    mb->handle = NewHandle();
    mb->panel = panel;
    mb->constName = def->name;
    mb->bar = new QMenuBar();
    mb->bar->setNativeMenuBar(false);
    for (const auto &m : def->menus) {
        AddNode(mb, nullptr, m, 0);
        mb->top.push_back(m.id);
    }
    if (p) {
        // A panel has one menu bar: a new one replaces the old.
        if (MenuBarRec *old = FindMenuBar(p->menuBar)) MenuBars().erase(old->handle);
        p->main->setMenuBar(mb->bar);
        p->menuBar = mb->handle;
    }
    MenuBars()[mb->handle] = std::move(rec);
    return mb->handle;
}

int DiscardMenuBar(int menuBar) {
    MenuBarRec *mb = FindMenuBar(menuBar);
    if (!mb) return UIE_BAD_HANDLE;
    if (PanelRec *p = FindPanel(mb->panel); p && p->menuBar == menuBar) {
        p->menuBar = 0;
        if (p->main && p->main->menuWidget() == mb->bar) p->main->setMenuWidget(nullptr);
    }
    if (mb->bar) {
        mb->bar->hide();
        mb->bar->deleteLater();
    }
    MenuBars().erase(menuBar);
    return 0;
}

int GetPanelMenuBar(int panel) {
    PanelRec *p = FindPanel(panel);
    if (!p) return UIE_BAD_HANDLE;
    return FindMenuBar(p->menuBar) ? p->menuBar : 0;
}

int SetMenuBarAttribute(int menuBar, int item, int attribute, int value) {
    MenuBarRec *mb = FindMenuBar(menuBar);
    if (!mb) return UIE_BAD_HANDLE;
    if (item == 0) {
        if (attribute == ATTR_DIMMED)
            mb->bar->setEnabled(!value);
        else if (attribute == ATTR_VISIBLE) {
            mb->visible = value != 0;
            mb->bar->setVisible(mb->visible);
        } else
            return UIE_BAD_ATTRIBUTE;
        return 0;
    }
    MenuItemRec *r = Item(mb, item);
    if (!r || !r->action) return UIE_BAD_CONTROL;
    switch (attribute) {
    case ATTR_CHECKED:
        r->action->setCheckable(true);
        r->action->setChecked(value != 0);
        return 0;
    case ATTR_DIMMED:
        r->action->setEnabled(!value);
        return 0;
    case ATTR_VISIBLE:
        r->action->setVisible(value != 0);
        return 0;
    default:
        return UIE_BAD_ATTRIBUTE;
    }
}

int SetMenuBarAttribute(int menuBar, int item, int attribute, const char *text) {
    MenuBarRec *mb = FindMenuBar(menuBar);
    if (!mb) return UIE_BAD_HANDLE;
    if (!text) return UIE_MISSING_ARGUMENT;
    MenuItemRec *r = Item(mb, item);
    if (!r || !r->action) return UIE_BAD_CONTROL;
    if (attribute != ATTR_ITEM_NAME || r->separator) return UIE_BAD_ATTRIBUTE;
    r->action->setText(Q(text));
    return 0;
}

int GetMenuBarAttribute(int menuBar, int item, int attribute, int *value) {
    if (!value) return UIE_MISSING_ARGUMENT;
    MenuBarRec *mb = FindMenuBar(menuBar);
    if (!mb) return UIE_BAD_HANDLE;
    if (attribute == ATTR_FIRST_ITEM) {
        const std::vector<int> *kids = ChildrenOf(mb, item);
        if (!kids) return UIE_BAD_CONTROL;
        *value = kids->empty() ? 0 : kids->front();
        return 0;
    }
    if (item == 0) {
        if (attribute == ATTR_VISIBLE)
            *value = mb->visible;
        else if (attribute == ATTR_DIMMED)
            *value = mb->bar && !mb->bar->isEnabled();
        else
            return UIE_BAD_ATTRIBUTE;
        return 0;
    }
    MenuItemRec *r = Item(mb, item);
    if (!r || !r->action) return UIE_BAD_CONTROL;
    switch (attribute) {
    case ATTR_CHECKED:
        *value = r->action->isChecked();
        return 0;
    case ATTR_DIMMED:
        *value = !r->action->isEnabled();
        return 0;
    case ATTR_VISIBLE:
        *value = r->action->isVisible();
        return 0;
    case ATTR_IS_SEPARATOR:
        *value = r->separator;
        return 0;
    case ATTR_SUBMENU:
        *value = r->menu && r->parentId != 0 ? r->id : 0;
        return 0;
    case ATTR_NEXT_ITEM: {
        const std::vector<int> *siblings = ChildrenOf(mb, r->parentId);
        *value = 0;
        for (size_t i = 0; siblings && i + 1 < siblings->size(); ++i)
            if ((*siblings)[i] == item) *value = (*siblings)[i + 1];
        return 0;
    }
    default:
        return UIE_BAD_ATTRIBUTE;
    }
}

int GetMenuBarAttribute(int menuBar, int item, int attribute, char *text, int size) {
    if (!text || size <= 0) return UIE_MISSING_ARGUMENT;
    text[0] = '\0';
    MenuBarRec *mb = FindMenuBar(menuBar);
    if (!mb) return UIE_BAD_HANDLE;
    if (item == 0) {
        if (attribute != ATTR_CONSTANT_NAME) return UIE_BAD_ATTRIBUTE;
        return CopyOut(QString::fromStdString(mb->constName), text, size);
    }
    MenuItemRec *r = Item(mb, item);
    if (!r || !r->action) return UIE_BAD_CONTROL;
    switch (attribute) {
    case ATTR_ITEM_NAME:
        return CopyOut(r->separator ? QString() : r->action->text(), text, size);
    case ATTR_CONSTANT_NAME:
        return CopyOut(QString::fromStdString(r->constName), text, size);
    default:
        return UIE_BAD_ATTRIBUTE;
    }
}

int InstallMenuCallback(int menuBar, int item, MenuCallbackPtr fn, void *callbackData) {
    MenuBarRec *mb = FindMenuBar(menuBar);
    if (!mb) return UIE_BAD_HANDLE;
    MenuItemRec *r = Item(mb, item);
    if (!r || r->separator) return UIE_BAD_CONTROL;
    r->cb = fn;
    r->cbData = callbackData;
    return 0;
}

int UserChooseMenu(int menuBar, int item) {
    MenuBarRec *mb = FindMenuBar(menuBar);
    if (!mb) return UIE_BAD_HANDLE;
    MenuItemRec *r = Item(mb, item);
    if (!r || r->separator || r->menu) return UIE_BAD_CONTROL;
    // A dimmed entry, or one in a dimmed or hidden bar or menu, cannot be chosen.
    if (!r->action->isEnabled() || !r->action->isVisible()) return UIE_NOT_ACCESSIBLE;
    for (int up = r->parentId; up != 0;) {
        MenuItemRec *m = Item(mb, up);
        if (!m) break;
        if (!m->action->isEnabled() || !m->action->isVisible()) return UIE_NOT_ACCESSIBLE;
        up = m->parentId;
    }
    if (!mb->bar->isEnabled() || (mb->panel && !mb->visible)) return UIE_NOT_ACCESSIBLE;
    if (!Popups().empty()) return UIE_NOT_ACCESSIBLE; // a pop-up blocks the main window
    FireMenu(menuBar, item);
    return 0;
}

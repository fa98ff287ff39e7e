// Building trees from loaded panels and menu bars: names, text-bearing kinds and counts, and for
// an export the objects' own texts.
#include "localui/localui.h"

#include "localui/uitext.h"
#include "platform/ui/userint.h"

#include <new>

int ReadUIText(const std::function<int(char *, int)> &get, std::string *out) {
    std::vector<char> buf(256);
    for (;;) {
        buf[0] = '\0';
        int r = get(buf.data(), static_cast<int>(buf.size()));
        // Grows until it fits, up to a size no control text reaches.
        if (r == UIE_BAD_VALUE && buf.size() < (1u << 20)) {
            buf.resize(buf.size() * 4);
            continue;
        }
        if (r < 0) return r;
        *out = buf.data();
        return 0;
    }
}

namespace {

// A built-in slot from the object's text: present when it has characters.
int FillSlot(const std::function<int(char *, int)> &get, TextSlot *slot) {
    int r = ReadUIText(get, &slot->text);
    if (r < 0) return r;
    slot->flag = slot->text.empty() ? LOCALUI_TEXT_ABSENT : LOCALUI_TEXT_PRESENT;
    return 0;
}

int ListDataType(int panel, int control) {
    int type = VAL_INTEGER;
    GetCtrlAttribute(panel, control, ATTR_DATA_TYPE, &type);
    return type;
}

int Counts(int panel, int control, CTRL *c) {
    int r = 0;
    switch (c->kind) {
    case LOCALUI_KIND_GRAPH:
    case LOCALUI_KIND_STRIP: {
        const int axes = c->kind == LOCALUI_KIND_GRAPH ? 3 : 2;
        for (int axis = 0; axis < axes && r >= 0; ++axis)
            r = GetNumAxisItems(panel, control, axis, &c->counts[axis]);
        return r;
    }
    case LOCALUI_KIND_LIST:
        if ((r = GetNumListItems(panel, control, &c->counts[0])) < 0) return r;
        c->counts[1] = ListDataType(panel, control) == VAL_STRING ? c->counts[0] : 0;
        return 0;
    case LOCALUI_KIND_TABLE:
        if ((r = GetCtrlAttribute(panel, control, ATTR_NUM_ITEMS, &c->counts[0])) < 0) return r;
        return GetCtrlAttribute(panel, control, ATTR_NUM_COLUMNS, &c->counts[1]);
    default:
        return 0;
    }
}

// The Y axis name of one axis: the name belongs to the active Y axis, which is put back after.
int YAxisName(int panel, int control, int axis, char *text, int size) {
    int before = VAL_LEFT_YAXIS;
    GetCtrlAttribute(panel, control, ATTR_ACTIVE_YAXIS, &before);
    int r = SetCtrlAttribute(panel, control, ATTR_ACTIVE_YAXIS, axis);
    if (r >= 0) r = GetCtrlAttribute(panel, control, ATTR_YNAME, text, size);
    SetCtrlAttribute(panel, control, ATTR_ACTIVE_YAXIS, before);
    return r;
}

int BuiltInText(int panel, int control, const SlotRole &s, bool textValues, TextSlot *slot) {
    auto get = [&](char *t, int size) -> int {
        switch (s.role) {
        case SLOT_LABEL:
            return GetCtrlAttribute(panel, control, ATTR_LABEL_TEXT, t, size);
        case SLOT_VALUE:
            return GetCtrlVal(panel, control, t, size);
        case SLOT_ON_TEXT:
            return GetCtrlAttribute(panel, control, ATTR_ON_TEXT, t, size);
        case SLOT_OFF_TEXT:
            return GetCtrlAttribute(panel, control, ATTR_OFF_TEXT, t, size);
        case SLOT_X_NAME:
            return GetCtrlAttribute(panel, control, ATTR_XNAME, t, size);
        case SLOT_LEFT_Y_NAME:
            return YAxisName(panel, control, VAL_LEFT_YAXIS, t, size);
        case SLOT_RIGHT_Y_NAME:
            return YAxisName(panel, control, VAL_RIGHT_YAXIS, t, size);
        case SLOT_AXIS_ITEM:
            return GetAxisItemLabel(panel, control, s.axis, s.index, t, size);
        case SLOT_ITEM_LABEL:
            return GetLabelFromIndex(panel, control, s.index, t, size);
        case SLOT_ITEM_VALUE:
            return textValues ? GetValueFromIndex(panel, control, s.index, t, size) : UIE_BAD_VALUE;
        case SLOT_ROW_LABEL:
            return GetTableRowLabel(panel, control, s.index, t, size);
        case SLOT_COL_LABEL:
            return GetTableColumnLabel(panel, control, s.column, t, size);
        case SLOT_CELL:
            return GetTableCellVal(panel, control, s.index, s.column, t, size);
        default:
            return UIE_BAD_VALUE;
        }
    };
    return FillSlot(get, slot);
}

int BuildPanel(int panel, PNL *tree, int withTexts) {
    tree->handle = panel;
    int r = ReadUIText(
        [&](char *t, int size) { return GetPanelAttribute(panel, ATTR_CONSTANT_NAME, t, size); },
        &tree->constName);
    if (r < 0) return r;
    if (withTexts) {
        r = FillSlot(
            [&](char *t, int size) { return GetPanelAttribute(panel, ATTR_TITLE, t, size); },
            &tree->builtInTitle);
        if (r < 0) return r;
    }
    int control = 0;
    if ((r = GetPanelAttribute(panel, ATTR_PANEL_FIRST_CTRL, &control)) < 0) return r;
    while (control > 0) {
        tree->ctrls.emplace_back();
        if ((r = UIControlToCTRL(panel, control, tree, &tree->ctrls.back(), withTexts)) < 0)
            return r;
        if ((r = GetCtrlAttribute(panel, control, ATTR_NEXT_CTRL, &control)) < 0) return r;
    }
    return 0;
}

int BuildControl(int panel, int control, PNL *owner, CTRL *c, int withTexts) {
    *c = CTRL();
    c->panel = owner;
    c->id = control;
    std::string full;
    int r = ReadUIText(
        [&](char *t, int size) {
            return GetCtrlAttribute(panel, control, ATTR_CONSTANT_NAME, t, size);
        },
        &full);
    if (r < 0) return r;
    c->constName = ConstNamePart(full, owner ? owner->constName : std::string());
    int ctrlKind = 0;
    if ((r = GetCtrlAttribute(panel, control, ATTR_CTRL_KIND, &ctrlKind)) < 0) return r;
    if ((c->kind = TextKindOfCtrlKind(ctrlKind)) < 0) return c->kind;
    if ((r = Counts(panel, control, c)) < 0) return r;
    if (CtrlResetSlots(c) < 0) return UIE_BAD_VALUE;
    if (!withTexts) return 0;
    const bool textValues = c->counts[1] > 0 && c->kind == LOCALUI_KIND_LIST;
    for (size_t i = 0; i < c->builtIn.size(); ++i) {
        SlotRole s = CtrlSlotRole(*c, static_cast<int>(i));
        if ((r = BuiltInText(panel, control, s, textValues, &c->builtIn[i])) < 0) return r;
    }
    return 0;
}

int BuildMenus(int menuBar, int menu, MENUBAR *tree, MENUITEM *parentItem,
               std::vector<std::unique_ptr<MENUITEM>> *items, int withTexts) {
    // The full name of the menu whose entries these are: their names start with it.
    std::string parentName = tree->constName;
    int r = 0;
    if (parentItem) {
        r = ReadUIText(
            [&](char *t, int size) {
                return GetMenuBarAttribute(menuBar, menu, ATTR_CONSTANT_NAME, t, size);
            },
            &parentName);
        if (r < 0) return r;
    }
    int id = 0;
    if ((r = GetMenuBarAttribute(menuBar, menu, ATTR_FIRST_ITEM, &id)) < 0) return r;
    for (; id > 0; r = GetMenuBarAttribute(menuBar, id, ATTR_NEXT_ITEM, &id)) {
        if (r < 0) return r;
        int separator = 0;
        if ((r = GetMenuBarAttribute(menuBar, id, ATTR_IS_SEPARATOR, &separator)) < 0) return r;
        if (separator) continue; // no text, no section
        items->push_back(std::make_unique<MENUITEM>());
        MENUITEM *item = items->back().get();
        item->menuBar = tree;
        item->parent = parentItem;
        item->id = id;
        std::string full;
        r = ReadUIText(
            [&](char *t, int size) {
                return GetMenuBarAttribute(menuBar, id, ATTR_CONSTANT_NAME, t, size);
            },
            &full);
        if (r < 0) return r;
        item->constName = ConstNamePart(full, parentName);
        if (withTexts) {
            r = FillSlot(
                [&](char *t, int size) {
                    return GetMenuBarAttribute(menuBar, id, ATTR_ITEM_NAME, t, size);
                },
                &item->builtInName);
            if (r < 0) return r;
        }
        // A menu of the bar opens its entries; an item may open a submenu of its own.
        int submenu = id;
        if (parentItem && (r = GetMenuBarAttribute(menuBar, id, ATTR_SUBMENU, &submenu)) < 0)
            return r;
        if (submenu > 0 &&
            (r = BuildMenus(menuBar, submenu, tree, item, &item->items, withTexts)) < 0)
            return r;
    }
    return r < 0 ? r : 0;
}

} // namespace

int UIControlToCTRL(int panel, int control, PNL *owner, CTRL *ctrl, int withTexts) {
    if (!ctrl) return UIE_MISSING_ARGUMENT;
    try {
        int r = BuildControl(panel, control, owner, ctrl, withTexts);
        if (r < 0) *ctrl = CTRL();
        return r;
    } catch (const std::bad_alloc &) {
        *ctrl = CTRL();
        return UIE_OUT_OF_MEMORY;
    }
}

int UIPanelToPNLAndCTRLs(int panel, PNL *tree, int withTexts) {
    if (!tree) return UIE_MISSING_ARGUMENT;
    FreeDataForPNLAndCTRLs(tree);
    int r = 0;
    try {
        r = BuildPanel(panel, tree, withTexts);
    } catch (const std::bad_alloc &) {
        r = UIE_OUT_OF_MEMORY;
    }
    if (r < 0) FreeDataForPNLAndCTRLs(tree);
    return r;
}

int UIMenuToMENUITEMs(int menuBar, int menu, MENUBAR *tree, MENUITEM *parentItem,
                      std::vector<std::unique_ptr<MENUITEM>> *items, int withTexts) {
    if (!tree || !items) return UIE_MISSING_ARGUMENT;
    try {
        return BuildMenus(menuBar, menu, tree, parentItem, items, withTexts);
    } catch (const std::bad_alloc &) {
        return UIE_OUT_OF_MEMORY;
    }
}

int UIMenubarToMENUBARAndMENUITEMs(int menuBar, MENUBAR *tree, int withTexts) {
    if (!tree) return UIE_MISSING_ARGUMENT;
    FreeDataForMENUBARAndMENUITEMs(tree);
    int r = 0;
    try {
        tree->handle = menuBar;
        r = ReadUIText(
            [&](char *t, int size) {
                return GetMenuBarAttribute(menuBar, 0, ATTR_CONSTANT_NAME, t, size);
            },
            &tree->constName);
        if (r >= 0) r = UIMenuToMENUITEMs(menuBar, 0, tree, nullptr, &tree->menus, withTexts);
    } catch (const std::bad_alloc &) {
        r = UIE_OUT_OF_MEMORY;
    }
    if (r < 0) FreeDataForMENUBARAndMENUITEMs(tree);
    return r;
}

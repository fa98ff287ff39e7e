// Layout of a control's texts (flag count, key of each slot), section names, and releasing trees.
#include "localui/uitree.h"

#include <cstdio>

namespace {

// Flag bytes before the counted texts: the label and the kind's fixed texts.
int FixedSlots(int kind) {
    switch (kind) {
    case LOCALUI_KIND_NO_TEXT:
        return 0;
    case LOCALUI_KIND_LABEL:
    case LOCALUI_KIND_TEXT_MSG:
    case LOCALUI_KIND_LIST:
    case LOCALUI_KIND_TABLE:
        return 1;
    case LOCALUI_KIND_STRING:
        return 2;
    case LOCALUI_KIND_SWITCH:
    case LOCALUI_KIND_STRIP:
        return 3;
    case LOCALUI_KIND_GRAPH:
        return 4;
    default:
        return -1;
    }
}

std::string Numbered(const char *format, int n) {
    char key[48];
    std::snprintf(key, sizeof key, format, n);
    return key;
}

} // namespace

int CtrlFlagCount(int kind, const int counts[3]) {
    int fixed = FixedSlots(kind);
    if (fixed < 0) return -1;
    for (int i = 0; i < 3; ++i)
        if (counts[i] < 0) return -1;
    long long n = fixed;
    switch (kind) {
    case LOCALUI_KIND_GRAPH:
        n += static_cast<long long>(counts[0]) + counts[1] + counts[2];
        break;
    case LOCALUI_KIND_STRIP:
    case LOCALUI_KIND_LIST:
        n += static_cast<long long>(counts[0]) + counts[1];
        break;
    case LOCALUI_KIND_TABLE:
        n += static_cast<long long>(counts[0]) + counts[1] +
             static_cast<long long>(counts[0]) * counts[1];
        break;
    default:
        break;
    }
    // No control has that many texts; a count that large is a broken tree.
    return n > 0x3FFFFFFF ? -1 : static_cast<int>(n);
}

int CtrlResetSlots(CTRL *ctrl) {
    int n = CtrlFlagCount(ctrl->kind, ctrl->counts);
    if (n < 0) return -1;
    ctrl->builtIn.assign(static_cast<size_t>(n), TextSlot());
    ctrl->local.assign(static_cast<size_t>(n), TextSlot());
    return 0;
}

SlotRole CtrlSlotRole(const CTRL &ctrl, int slot) {
    SlotRole r;
    int n = CtrlFlagCount(ctrl.kind, ctrl.counts);
    if (slot < 0 || slot >= n) return r;
    const int *k = ctrl.counts;
    switch (ctrl.kind) {
    case LOCALUI_KIND_LABEL:
        r.role = SLOT_LABEL;
        break;
    case LOCALUI_KIND_STRING:
        r.role = slot == 0 ? SLOT_LABEL : SLOT_VALUE;
        break;
    case LOCALUI_KIND_TEXT_MSG:
        r.role = SLOT_VALUE;
        break;
    case LOCALUI_KIND_SWITCH: {
        static const int roles[] = {SLOT_LABEL, SLOT_ON_TEXT, SLOT_OFF_TEXT};
        r.role = roles[slot];
        break;
    }
    case LOCALUI_KIND_GRAPH:
    case LOCALUI_KIND_STRIP: {
        // Label and axis names, then the items of X, left Y and (graph) right Y in turn.
        static const int roles[] = {SLOT_LABEL, SLOT_X_NAME, SLOT_LEFT_Y_NAME, SLOT_RIGHT_Y_NAME};
        int fixed = FixedSlots(ctrl.kind);
        if (slot < fixed) {
            r.role = roles[slot];
            break;
        }
        int i = slot - fixed;
        for (int axis = 0; axis < 3 && r.role == SLOT_NONE; ++axis) {
            if (i < k[axis]) {
                r.role = SLOT_AXIS_ITEM;
                r.axis = axis;
                r.index = i;
            }
            i -= k[axis];
        }
        break;
    }
    case LOCALUI_KIND_LIST:
        if (slot == 0) {
            r.role = SLOT_LABEL;
        } else if (slot <= k[0]) {
            r.role = SLOT_ITEM_LABEL;
            r.index = slot - 1;
        } else {
            r.role = SLOT_ITEM_VALUE;
            r.index = slot - 1 - k[0];
        }
        break;
    case LOCALUI_KIND_TABLE: {
        const int rows = k[0], cols = k[1];
        if (slot == 0) {
            r.role = SLOT_LABEL;
        } else if (slot <= rows) {
            r.role = SLOT_ROW_LABEL;
            r.index = slot;
        } else if (slot <= rows + cols) {
            r.role = SLOT_COL_LABEL;
            r.column = slot - rows;
        } else {
            // Cells column by column: the cell of column c and row r is slot C + R * c + r.
            int cell = slot - 1 - rows - cols;
            r.role = SLOT_CELL;
            r.column = cell / rows + 1;
            r.index = cell % rows + 1;
        }
        break;
    }
    default:
        break;
    }
    return r;
}

std::string CtrlTextKey(const CTRL &ctrl, int slot) {
    static const char *const axisItems[] = {"Xitem_%d", "LYitem_%d", "RYitem_%d"};
    SlotRole r = CtrlSlotRole(ctrl, slot);
    switch (r.role) {
    case SLOT_LABEL:
        return "Label";
    case SLOT_VALUE:
        return "Default";
    case SLOT_ON_TEXT:
        return "On";
    case SLOT_OFF_TEXT:
        return "Off";
    case SLOT_X_NAME:
        return "Xname";
    case SLOT_LEFT_Y_NAME:
        return "LYname";
    case SLOT_RIGHT_Y_NAME:
        return "RYname";
    case SLOT_AXIS_ITEM:
        return Numbered(axisItems[r.axis], r.index);
    case SLOT_ITEM_LABEL:
        return Numbered("ItemLabel_%d", r.index);
    case SLOT_ITEM_VALUE:
        return Numbered("ItemVal_%d", r.index);
    case SLOT_ROW_LABEL:
        return Numbered("RowLabel_%d", r.index);
    case SLOT_COL_LABEL:
        return Numbered("ColLabel_%d", r.column);
    case SLOT_CELL: {
        char key[48];
        std::snprintf(key, sizeof key, "Cell(%d,%d)", r.column, r.index);
        return key;
    }
    default:
        return std::string();
    }
}

int CtrlCountKeys(int kind, const CountKey **keys) {
    static const CountKey graph[] = {{"Xitems", 0}, {"LYitems", 1}, {"RYitems", 2}};
    static const CountKey strip[] = {{"Xitems", 0}, {"LYitems", 1}};
    static const CountKey list[] = {{"NumItemLabels", 0}, {"NumItemValues", 1}};
    static const CountKey table[] = {{"Cols", 1}, {"Rows", 0}};
    switch (kind) {
    case LOCALUI_KIND_GRAPH:
        *keys = graph;
        return 3;
    case LOCALUI_KIND_STRIP:
        *keys = strip;
        return 2;
    case LOCALUI_KIND_LIST:
        *keys = list;
        return 2;
    case LOCALUI_KIND_TABLE:
        *keys = table;
        return 2;
    default:
        *keys = nullptr;
        return 0;
    }
}

bool CtrlFlagsBeforeCounts(int kind) {
    return kind == LOCALUI_KIND_GRAPH;
}

std::string ConstNamePart(const std::string &fullName, const std::string &parentName) {
    if (!parentName.empty() && fullName.size() > parentName.size() + 1 &&
        fullName.compare(0, parentName.size(), parentName) == 0 &&
        fullName[parentName.size()] == '_')
        return fullName.substr(parentName.size() + 1);
    return fullName;
}

std::string CtrlSectionName(const PNL &panel, const CTRL &ctrl) {
    return panel.constName + "_" + ctrl.constName;
}

std::string MenuItemSectionName(const std::string &parentSection, const MENUITEM &item) {
    return parentSection + "_" + item.constName;
}

void FreeDataForPNLAndCTRLs(PNL *tree) {
    if (!tree) return;
    // Swapping with empty ones gives the memory back, which clear() need not.
    std::vector<CTRL>().swap(tree->ctrls);
    std::string().swap(tree->constName);
    tree->builtInTitle = TextSlot();
    tree->localTitle = TextSlot();
    tree->handle = 0;
}

void FreeDataForMENUBARAndMENUITEMs(MENUBAR *tree) {
    if (!tree) return;
    std::vector<std::unique_ptr<MENUITEM>>().swap(tree->menus);
    std::string().swap(tree->constName);
    tree->handle = 0;
}

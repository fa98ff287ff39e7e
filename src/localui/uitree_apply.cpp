// Applying the translated texts of a tree to the live panel, its controls and menu bars. Only
// texts the language file has are set; every other text stays as the resource gave it.
#include "localui/localui.h"

#include "localui/uitext.h"
#include "platform/ui/userint.h"

namespace {

// Sets the name of one Y axis: names go to the active Y axis, which is put back after.
int SetYAxisName(int panel, int control, int axis, const char *text) {
    int before = VAL_LEFT_YAXIS;
    GetCtrlAttribute(panel, control, ATTR_ACTIVE_YAXIS, &before);
    int r = SetCtrlAttribute(panel, control, ATTR_ACTIVE_YAXIS, axis);
    if (r >= 0) r = SetCtrlAttribute(panel, control, ATTR_YNAME, text);
    SetCtrlAttribute(panel, control, ATTR_ACTIVE_YAXIS, before);
    return r;
}

// A new label for an entry, which keeps its value of whichever type.
int SetItemLabel(int panel, int control, int index, bool textValues, const char *label) {
    if (textValues) {
        std::string value;
        int r = ReadUIText(
            [&](char *t, int size) { return GetValueFromIndex(panel, control, index, t, size); },
            &value);
        return r < 0 ? r : ReplaceListItem(panel, control, index, label, value.c_str());
    }
    int value = 0;
    int r = GetValueFromIndex(panel, control, index, &value);
    return r < 0 ? r : ReplaceListItem(panel, control, index, label, value);
}

// A new text value for an entry of a text ring, which keeps its label.
int SetItemValue(int panel, int control, int index, const char *value) {
    std::string label;
    int r = ReadUIText(
        [&](char *t, int size) { return GetLabelFromIndex(panel, control, index, t, size); },
        &label);
    return r < 0 ? r : ReplaceListItem(panel, control, index, label.c_str(), value);
}

int SetAxisItemLabel(int panel, int control, int axis, int index, const char *label) {
    double value = 0;
    int r = GetAxisItemValue(panel, control, axis, index, &value);
    return r < 0 ? r : ReplaceAxisItem(panel, control, axis, index, label, value);
}

int ApplySlot(int panel, int control, const SlotRole &s, bool textValues, const char *text) {
    switch (s.role) {
    case SLOT_LABEL:
        return SetCtrlAttribute(panel, control, ATTR_LABEL_TEXT, text);
    case SLOT_VALUE:
        // Strings and text boxes take the text as their whole value, messages as their text.
        return SetCtrlVal(panel, control, text);
    case SLOT_ON_TEXT:
        return SetCtrlAttribute(panel, control, ATTR_ON_TEXT, text);
    case SLOT_OFF_TEXT:
        return SetCtrlAttribute(panel, control, ATTR_OFF_TEXT, text);
    case SLOT_X_NAME:
        return SetCtrlAttribute(panel, control, ATTR_XNAME, text);
    case SLOT_LEFT_Y_NAME:
        return SetYAxisName(panel, control, VAL_LEFT_YAXIS, text);
    case SLOT_RIGHT_Y_NAME:
        return SetYAxisName(panel, control, VAL_RIGHT_YAXIS, text);
    case SLOT_AXIS_ITEM:
        return SetAxisItemLabel(panel, control, s.axis, s.index, text);
    case SLOT_ITEM_LABEL:
        return SetItemLabel(panel, control, s.index, textValues, text);
    case SLOT_ITEM_VALUE:
        return SetItemValue(panel, control, s.index, text);
    case SLOT_ROW_LABEL:
        return SetTableRowLabel(panel, control, s.index, text);
    case SLOT_COL_LABEL:
        return SetTableColumnLabel(panel, control, s.column, text);
    case SLOT_CELL:
        return SetTableCellVal(panel, control, s.index, s.column, text);
    default:
        return UIE_BAD_VALUE;
    }
}

} // namespace

int PNLLocalStrsToUIPanel(const PNL &tree) {
    if (tree.localTitle.flag != LOCALUI_TEXT_PRESENT) return 0;
    return SetPanelAttribute(tree.handle, ATTR_TITLE, tree.localTitle.text.c_str());
}

int CTRLLocalStrsToUIControl(int panel, const CTRL &ctrl) {
    const bool textValues = ctrl.kind == LOCALUI_KIND_LIST && ctrl.counts[1] > 0;
    for (size_t i = 0; i < ctrl.local.size(); ++i) {
        const TextSlot &slot = ctrl.local[i];
        if (slot.flag != LOCALUI_TEXT_PRESENT) continue;
        SlotRole s = CtrlSlotRole(ctrl, static_cast<int>(i));
        int r = ApplySlot(panel, ctrl.id, s, textValues, slot.text.c_str());
        if (r < 0) return r;
    }
    return 0;
}

int PNLAndCTRLLocalsToPanelAndControls(const PNL &tree) {
    int r = PNLLocalStrsToUIPanel(tree);
    if (r < 0) return r;
    for (const CTRL &c : tree.ctrls)
        if ((r = CTRLLocalStrsToUIControl(tree.handle, c)) < 0) return r;
    return 0;
}

int MENUITEMLocalStrsToUIMenu(int menuBar, const std::vector<std::unique_ptr<MENUITEM>> &items) {
    for (const auto &item : items) {
        if (item->localName.flag == LOCALUI_TEXT_PRESENT) {
            int r = SetMenuBarAttribute(menuBar, item->id, ATTR_ITEM_NAME,
                                        item->localName.text.c_str());
            if (r < 0) return r;
        }
        int r = MENUITEMLocalStrsToUIMenu(menuBar, item->items);
        if (r < 0) return r;
    }
    return 0;
}

int MENUBARAndMENUITEMLocalStrsToUIMenuAndMenuItems(const MENUBAR &tree) {
    return MENUITEMLocalStrsToUIMenu(tree.handle, tree.menus);
}

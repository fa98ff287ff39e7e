// Axes of graphs and strip charts: the labelled items of each axis (a label at a value). The
// strip chart names its axes itself (stripchart.cpp); these items are what a language file
// translates beside those names, and a chart without any has none to translate.
#include "platform/ui/uiqt.h"

namespace uiq {
namespace {

CtrlRec *ChartAxis(int panel, int control, int axis, int *err) {
    CtrlRec *c = LookupCtrl(panel, control, err);
    if (!c) return nullptr;
    if (!IsChart(c)) {
        *err = UIE_BAD_CONTROL;
        return nullptr;
    }
    if (axis != VAL_XAXIS && axis != VAL_LEFT_YAXIS && axis != VAL_RIGHT_YAXIS) {
        *err = UIE_BAD_VALUE;
        return nullptr;
    }
    return c;
}

void Redraw(CtrlRec *c) {
    if (c->w) c->w->update();
}

int Count(const CtrlRec *c, int axis) {
    return static_cast<int>(c->axisItems[axis].size());
}

} // namespace

bool IsChart(const CtrlRec *c) {
    return c->kind == CTRL_GRAPH || c->kind == CTRL_STRIP_CHART;
}

} // namespace uiq

using namespace uiq;

int GetNumAxisItems(int panel, int control, int axis, int *count) {
    if (!count) return UIE_MISSING_ARGUMENT;
    int err = 0;
    CtrlRec *c = ChartAxis(panel, control, axis, &err);
    if (!c) return err;
    *count = Count(c, axis);
    return 0;
}

int InsertAxisItem(int panel, int control, int axis, int index, const char *label, double value) {
    int err = 0;
    CtrlRec *c = ChartAxis(panel, control, axis, &err);
    if (!c) return err;
    if (!label) return UIE_MISSING_ARGUMENT;
    if (index == -1) index = Count(c, axis);
    if (index < 0 || index > Count(c, axis)) return UIE_INDEX_OUT_OF_RANGE;
    c->axisItems[axis].insert(c->axisItems[axis].begin() + index, AxisItem{Q(label), value});
    Redraw(c);
    return 0;
}

int ReplaceAxisItem(int panel, int control, int axis, int index, const char *label, double value) {
    int err = 0;
    CtrlRec *c = ChartAxis(panel, control, axis, &err);
    if (!c) return err;
    if (!label) return UIE_MISSING_ARGUMENT;
    if (index < 0 || index >= Count(c, axis)) return UIE_INDEX_OUT_OF_RANGE;
    c->axisItems[axis][static_cast<size_t>(index)] = AxisItem{Q(label), value};
    Redraw(c);
    return 0;
}

int GetAxisItemLabel(int panel, int control, int axis, int index, char *label, int size) {
    if (!label || size <= 0) return UIE_MISSING_ARGUMENT;
    label[0] = '\0';
    int err = 0;
    CtrlRec *c = ChartAxis(panel, control, axis, &err);
    if (!c) return err;
    if (index < 0 || index >= Count(c, axis)) return UIE_INDEX_OUT_OF_RANGE;
    return CopyOut(c->axisItems[axis][static_cast<size_t>(index)].label, label, size);
}

int GetAxisItemValue(int panel, int control, int axis, int index, double *value) {
    if (!value) return UIE_MISSING_ARGUMENT;
    int err = 0;
    CtrlRec *c = ChartAxis(panel, control, axis, &err);
    if (!c) return err;
    if (index < 0 || index >= Count(c, axis)) return UIE_INDEX_OUT_OF_RANGE;
    *value = c->axisItems[axis][static_cast<size_t>(index)].value;
    return 0;
}

int DeleteAxisItem(int panel, int control, int axis, int index, int count) {
    int err = 0;
    CtrlRec *c = ChartAxis(panel, control, axis, &err);
    if (!c) return err;
    if (index < 0 || index >= Count(c, axis)) return UIE_INDEX_OUT_OF_RANGE;
    if (count < 0 || index + count > Count(c, axis)) count = Count(c, axis) - index;
    auto &items = c->axisItems[axis];
    items.erase(items.begin() + index, items.begin() + index + count);
    Redraw(c);
    return 0;
}

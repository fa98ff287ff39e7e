// Entries of rings and lists (label and integer value) and the cells of tables.
#include "platform/ui/uiqt.h"

#include <QComboBox>
#include <QListWidget>
#include <QTableWidget>

#include <algorithm>

namespace uiq {
namespace {

CtrlRec *ListCtrl(int panel, int control, int *err) {
    CtrlRec *c = LookupCtrl(panel, control, err);
    if (c && c->kind != CTRL_RING && c->kind != CTRL_LIST) {
        *err = UIE_NOT_A_LIST;
        return nullptr;
    }
    return c;
}

QTableWidget *TableCtrl(int panel, int control, int *err) {
    CtrlRec *c = LookupCtrl(panel, control, err);
    if (!c) return nullptr;
    auto *t = qobject_cast<QTableWidget *>(c->w.data());
    if (!t) *err = UIE_BAD_CONTROL;
    return t;
}

int Count(CtrlRec *c) {
    return static_cast<int>(c->items.size());
}

bool TextValues(const CtrlRec *c) {
    return c->dataType == VAL_STRING;
}

// A ring or list whose values are of the type asked for (text or integer).
CtrlRec *TypedListCtrl(int panel, int control, bool text, int *err) {
    CtrlRec *c = ListCtrl(panel, control, err);
    if (c && TextValues(c) != text) {
        *err = UIE_BAD_VALUE;
        return nullptr;
    }
    return c;
}

// A ring without its widget keeps its selection as the combo box would: the selected entry
// stays selected while entries come and go before it; an entry into an empty ring is selected;
// when the selected one goes, the one taking its place is, or the last.
void UnbuiltInserted(CtrlRec *c, int index) {
    if (c->selected >= 0 && index <= c->selected)
        ++c->selected;
    else if (c->selected < 0 && Count(c) == 1)
        c->selected = 0;
}

// `count` entries from `index` on are gone, Count(c) are left.
void UnbuiltRemoved(CtrlRec *c, int index, int count) {
    if (c->selected >= index + count)
        c->selected -= count;
    else if (c->selected >= index)
        c->selected = Count(c) > 0 ? std::min(Count(c) - 1, index) : -1;
}

int Insert(CtrlRec *c, int index, const ListEntry &e) {
    if (index == -1) index = Count(c);
    if (index < 0 || index > Count(c)) return UIE_INDEX_OUT_OF_RANGE;
    c->items.insert(c->items.begin() + index, e);
    if (UnbuiltRing(c)) {
        UnbuiltInserted(c, index);
    } else if (auto *cb = qobject_cast<QComboBox *>(c->w.data())) {
        QSignalBlocker block(cb);
        cb->insertItem(index, e.label);
    } else if (auto *lw = qobject_cast<QListWidget *>(c->w.data())) {
        QSignalBlocker block(lw);
        lw->insertItem(index, e.label);
        if (lw->currentRow() < 0) lw->setCurrentRow(0);
    }
    return 0;
}

int Replace(CtrlRec *c, int index, const ListEntry &e) {
    if (index < 0 || index >= Count(c)) return UIE_INDEX_OUT_OF_RANGE;
    c->items[static_cast<size_t>(index)] = e;
    if (auto *cb = qobject_cast<QComboBox *>(c->w.data())) {
        QSignalBlocker block(cb);
        cb->setItemText(index, e.label);
    } else if (auto *lw = qobject_cast<QListWidget *>(c->w.data())) {
        lw->item(index)->setText(e.label);
    }
    return 0;
}

// Inserts (or replaces) the entry at `index` of a ring or list whose values are of the entry's
// type: a text value for a text ring, an integer for any other.
int PutEntry(int panel, int control, int index, bool textValue, const char *label, const char *text,
             int value, bool replace) {
    int err = 0;
    CtrlRec *c = TypedListCtrl(panel, control, textValue, &err);
    if (!c) return err;
    if (!label || (textValue && !text)) return UIE_MISSING_ARGUMENT;
    ListEntry e;
    e.label = Q(label);
    if (textValue)
        e.text = Q(text);
    else
        e.value = value;
    return replace ? Replace(c, index, e) : Insert(c, index, e);
}

} // namespace

void SelectEntry(CtrlRec *c, int index) {
    if (UnbuiltRing(c)) {
        c->selected = index >= 0 && index < Count(c) ? index : -1;
    } else if (auto *cb = qobject_cast<QComboBox *>(c->w.data())) {
        QSignalBlocker block(cb);
        cb->setCurrentIndex(index);
    } else if (auto *lw = qobject_cast<QListWidget *>(c->w.data())) {
        QSignalBlocker block(lw);
        lw->setCurrentRow(index);
    }
}

} // namespace uiq

using namespace uiq;

int ClearListCtrl(int panel, int control) {
    int err = 0;
    CtrlRec *c = ListCtrl(panel, control, &err);
    if (!c) return err;
    c->items.clear();
    c->selected = -1;
    if (auto *cb = qobject_cast<QComboBox *>(c->w.data())) {
        QSignalBlocker block(cb);
        cb->clear();
    } else if (auto *lw = qobject_cast<QListWidget *>(c->w.data())) {
        QSignalBlocker block(lw);
        lw->clear();
    }
    return 0;
}

int InsertListItem(int panel, int control, int index, const char *label, int value) {
    return PutEntry(panel, control, index, false, label, nullptr, value, false);
}

int InsertListItem(int panel, int control, int index, const char *label, const char *value) {
    return PutEntry(panel, control, index, true, label, value, 0, false);
}

int DeleteListItem(int panel, int control, int index, int count) {
    int err = 0;
    CtrlRec *c = ListCtrl(panel, control, &err);
    if (!c) return err;
    if (index < 0 || index >= Count(c)) return UIE_INDEX_OUT_OF_RANGE;
    if (count < 0 || index + count > Count(c)) count = Count(c) - index;
    c->items.erase(c->items.begin() + index, c->items.begin() + index + count);
    if (UnbuiltRing(c)) {
        UnbuiltRemoved(c, index, count);
    } else if (auto *cb = qobject_cast<QComboBox *>(c->w.data())) {
        QSignalBlocker block(cb);
        for (int i = 0; i < count; ++i) cb->removeItem(index);
    } else if (auto *lw = qobject_cast<QListWidget *>(c->w.data())) {
        QSignalBlocker block(lw);
        for (int i = 0; i < count; ++i) delete lw->takeItem(index);
    }
    return 0;
}

int GetNumListItems(int panel, int control, int *count) {
    if (!count) return UIE_MISSING_ARGUMENT;
    int err = 0;
    CtrlRec *c = ListCtrl(panel, control, &err);
    if (!c) return err;
    *count = Count(c);
    return 0;
}

int GetLabelFromIndex(int panel, int control, int index, char *label, int size) {
    if (!label || size <= 0) return UIE_MISSING_ARGUMENT;
    label[0] = '\0';
    int err = 0;
    CtrlRec *c = ListCtrl(panel, control, &err);
    if (!c) return err;
    if (index < 0 || index >= Count(c)) return UIE_INDEX_OUT_OF_RANGE;
    return CopyOut(c->items[static_cast<size_t>(index)].label, label, size);
}

int ReplaceListItem(int panel, int control, int index, const char *label, int value) {
    return PutEntry(panel, control, index, false, label, nullptr, value, true);
}

int ReplaceListItem(int panel, int control, int index, const char *label, const char *value) {
    return PutEntry(panel, control, index, true, label, value, 0, true);
}

int GetValueFromIndex(int panel, int control, int index, char *value, int size) {
    if (!value || size <= 0) return UIE_MISSING_ARGUMENT;
    value[0] = '\0';
    int err = 0;
    CtrlRec *c = TypedListCtrl(panel, control, true, &err);
    if (!c) return err;
    if (index < 0 || index >= Count(c)) return UIE_INDEX_OUT_OF_RANGE;
    return CopyOut(c->items[static_cast<size_t>(index)].text, value, size);
}

int GetValueFromIndex(int panel, int control, int index, int *value) {
    if (!value) return UIE_MISSING_ARGUMENT;
    int err = 0;
    CtrlRec *c = TypedListCtrl(panel, control, false, &err);
    if (!c) return err;
    if (index < 0 || index >= Count(c)) return UIE_INDEX_OUT_OF_RANGE;
    *value = c->items[static_cast<size_t>(index)].value;
    return 0;
}

int GetIndexFromValue(int panel, int control, int *index, int value) {
    if (!index) return UIE_MISSING_ARGUMENT;
    int err = 0;
    CtrlRec *c = TypedListCtrl(panel, control, false, &err);
    if (!c) return err;
    *index = -1;
    for (int i = 0; i < Count(c); ++i)
        if (c->items[static_cast<size_t>(i)].value == value) {
            *index = i;
            return 0;
        }
    return UIE_BAD_VALUE;
}

int GetCtrlIndex(int panel, int control, int *index) {
    if (!index) return UIE_MISSING_ARGUMENT;
    int err = 0;
    CtrlRec *c = ListCtrl(panel, control, &err);
    if (!c) return err;
    if (UnbuiltRing(c))
        *index = c->selected;
    else if (auto *cb = qobject_cast<QComboBox *>(c->w.data()))
        *index = cb->currentIndex();
    else if (auto *lw = qobject_cast<QListWidget *>(c->w.data()))
        *index = lw->currentRow();
    else
        *index = -1;
    return 0;
}

int SetCtrlIndex(int panel, int control, int index) {
    int err = 0;
    CtrlRec *c = ListCtrl(panel, control, &err);
    if (!c) return err;
    if (index < 0 || index >= Count(c)) return UIE_INDEX_OUT_OF_RANGE;
    SelectEntry(c, index);
    return 0;
}

int SetTableCellVal(int panel, int control, int row, int column, const char *text) {
    int err = 0;
    QTableWidget *t = TableCtrl(panel, control, &err);
    if (!t) return err;
    if (!text) return UIE_MISSING_ARGUMENT;
    if (row < 1 || row > t->rowCount() || column < 1 || column > t->columnCount())
        return UIE_INDEX_OUT_OF_RANGE;
    QSignalBlocker block(t);
    QTableWidgetItem *item = t->item(row - 1, column - 1);
    if (!item)
        t->setItem(row - 1, column - 1, new QTableWidgetItem(Q(text)));
    else
        item->setText(Q(text));
    return 0;
}

int GetTableCellVal(int panel, int control, int row, int column, char *text, int size) {
    if (!text || size <= 0) return UIE_MISSING_ARGUMENT;
    text[0] = '\0';
    int err = 0;
    QTableWidget *t = TableCtrl(panel, control, &err);
    if (!t) return err;
    if (row < 1 || row > t->rowCount() || column < 1 || column > t->columnCount())
        return UIE_INDEX_OUT_OF_RANGE;
    QTableWidgetItem *item = t->item(row - 1, column - 1);
    return CopyOut(item ? item->text() : QString(), text, size);
}

int SetTableRowLabel(int panel, int control, int row, const char *text) {
    int err = 0;
    QTableWidget *t = TableCtrl(panel, control, &err);
    if (!t) return err;
    if (!text) return UIE_MISSING_ARGUMENT;
    if (row < 1 || row > t->rowCount()) return UIE_INDEX_OUT_OF_RANGE;
    t->setVerticalHeaderItem(row - 1, new QTableWidgetItem(Q(text)));
    return 0;
}

int SetTableColumnLabel(int panel, int control, int column, const char *text) {
    int err = 0;
    QTableWidget *t = TableCtrl(panel, control, &err);
    if (!t) return err;
    if (!text) return UIE_MISSING_ARGUMENT;
    if (column < 1 || column > t->columnCount()) return UIE_INDEX_OUT_OF_RANGE;
    t->setHorizontalHeaderItem(column - 1, new QTableWidgetItem(Q(text)));
    return 0;
}

int InsertTableRows(int panel, int control, int beforeRow, int count) {
    int err = 0;
    QTableWidget *t = TableCtrl(panel, control, &err);
    if (!t) return err;
    if (beforeRow == -1) beforeRow = t->rowCount() + 1;
    if (beforeRow < 1 || beforeRow > t->rowCount() + 1 || count < 0) return UIE_INDEX_OUT_OF_RANGE;
    QSignalBlocker block(t);
    for (int i = 0; i < count; ++i) t->insertRow(beforeRow - 1);
    return 0;
}

int DeleteTableRows(int panel, int control, int row, int count) {
    int err = 0;
    QTableWidget *t = TableCtrl(panel, control, &err);
    if (!t) return err;
    if (row < 1 || row > t->rowCount())
        return t->rowCount() == 0 && count == -1 ? 0 : UIE_INDEX_OUT_OF_RANGE;
    if (count < 0 || row - 1 + count > t->rowCount()) count = t->rowCount() - (row - 1);
    QSignalBlocker block(t);
    for (int i = 0; i < count; ++i) t->removeRow(row - 1);
    return 0;
}

int GetTableRowLabel(int panel, int control, int row, char *text, int size) {
    if (!text || size <= 0) return UIE_MISSING_ARGUMENT;
    text[0] = '\0';
    int err = 0;
    QTableWidget *t = TableCtrl(panel, control, &err);
    if (!t) return err;
    if (row < 1 || row > t->rowCount()) return UIE_INDEX_OUT_OF_RANGE;
    QTableWidgetItem *item = t->verticalHeaderItem(row - 1);
    return CopyOut(item ? item->text() : QString(), text, size);
}

int GetTableColumnLabel(int panel, int control, int column, char *text, int size) {
    if (!text || size <= 0) return UIE_MISSING_ARGUMENT;
    text[0] = '\0';
    int err = 0;
    QTableWidget *t = TableCtrl(panel, control, &err);
    if (!t) return err;
    if (column < 1 || column > t->columnCount()) return UIE_INDEX_OUT_OF_RANGE;
    QTableWidgetItem *item = t->horizontalHeaderItem(column - 1);
    return CopyOut(item ? item->text() : QString(), text, size);
}

// Loading panels and menu bars from a resource, values and attributes, rings, lists and tables.
#include "uitest.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <unistd.h>

std::vector<CallRecord> &Calls() {
    static std::vector<CallRecord> calls;
    return calls;
}

int OnMainPanel(int panel, int event, void *, int, int) {
    Calls().push_back({"panel", panel, 0, event});
    return 0;
}
int OnCtrl(int panel, int control, int event, void *, int, int) {
    Calls().push_back({"ctrl", panel, control, event});
    return 0;
}
int OnTick(int panel, int control, int event, void *, int, int) {
    Calls().push_back({"tick", panel, control, event});
    return 0;
}
void OnMenu(int menuBar, int item, void *, int) {
    Calls().push_back({"menu", menuBar, item, 1});
}

namespace {

TEST_F(UiTest, LoadFailuresGiveTheirCodes) {
    EXPECT_EQ(LoadPanel(0, "/nonexistent/x.uir", MAIN), UIE_FILE_NOT_FOUND);
    EXPECT_EQ(LoadPanel(0, TESTPAN, 99), UIE_RESOURCE_NOT_FOUND);
    EXPECT_EQ(LoadPanel(12345, TESTPAN, MAIN), UIE_BAD_HANDLE);
    char path[] = "/tmp/kr7m-damagedXXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "<uir><panel name='P'>\n<control", 30), 30);
    close(fd);
    EXPECT_EQ(LoadPanel(0, path, 1), UIE_BAD_RESOURCE_FILE);
    EXPECT_NE(strstr(UILastErrorDetail(), ":2:"), nullptr) << UILastErrorDetail();
    unlink(path);
}

TEST_F(UiTest, ControlsStartAsTheResourceSays) {
    int p = Load(MAIN);
    ASSERT_GT(p, 0);
    int n = 0;
    double d = 0;
    char text[64];
    EXPECT_EQ(GetCtrlVal(p, MAIN_COUNT, &n), 0);
    EXPECT_EQ(n, 5);
    EXPECT_EQ(GetCtrlVal(p, MAIN_NAME, text, sizeof text), 0);
    EXPECT_STREQ(text, "abc");
    EXPECT_EQ(GetCtrlVal(p, MAIN_UNIT, text, sizeof text), 0);
    EXPECT_STREQ(text, "kV");
    EXPECT_EQ(GetCtrlVal(p, MAIN_MODE, &n), 0);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(GetCtrlAttribute(p, MAIN_RATIO, ATTR_MAX_VALUE, &d), 0);
    EXPECT_DOUBLE_EQ(d, 1.5);
    EXPECT_EQ(GetCtrlAttribute(p, MAIN_RATIO, ATTR_PRECISION, &n), 0);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(GetCtrlAttribute(p, MAIN_COUNT, ATTR_CTRL_KIND, &n), 0);
    EXPECT_EQ(n, CTRL_NUMERIC);
    EXPECT_EQ(GetCtrlAttribute(p, MAIN_COUNT, ATTR_CONSTANT_NAME, text, sizeof text), 0);
    EXPECT_STREQ(text, "MAIN_COUNT");
    EXPECT_EQ(GetPanelAttribute(p, ATTR_TITLE, text, sizeof text), 0);
    EXPECT_STREQ(text, "Test & main");
    EXPECT_EQ(GetCtrlVal(p, 99, &n), UIE_BAD_CONTROL);
}

// Each kind the resource names is built as that kind, and a control without a size of its own
// gets its kind's.
TEST_F(UiTest, EveryKindIsBuiltAsItself) {
    int p = Load(MAIN);
    const std::pair<int, int> cases[] = {
        {MAIN_GROUP, CTRL_DECORATION}, {MAIN_COUNT, CTRL_NUMERIC},     {MAIN_NAME, CTRL_STRING},
        {MAIN_MODE, CTRL_RING},        {MAIN_GO, CTRL_COMMAND_BUTTON}, {MAIN_UNIT, CTRL_TEXT_MSG},
        {MAIN_ENABLE, CTRL_SWITCH},    {MAIN_LAMP, CTRL_LED},          {MAIN_PICKS, CTRL_LIST},
        {MAIN_CELLS, CTRL_TABLE},      {MAIN_LEVEL, CTRL_SLIDE},       {MAIN_NOTES, CTRL_TEXT_BOX},
        {MAIN_TICK, CTRL_TIMER},
    };
    for (const auto &c : cases) {
        int kind = 0;
        EXPECT_EQ(GetCtrlAttribute(p, c.first, ATTR_CTRL_KIND, &kind), 0) << c.first;
        EXPECT_EQ(kind, c.second) << c.first;
    }
    int w = 0, h = 0;
    EXPECT_EQ(GetCtrlAttribute(p, MAIN_LAMP, ATTR_WIDTH, &w), 0);
    EXPECT_EQ(GetCtrlAttribute(p, MAIN_LAMP, ATTR_HEIGHT, &h), 0);
    EXPECT_EQ(w, 18);
    EXPECT_EQ(h, 18);
}

TEST_F(UiTest, ControlOrderWalksEveryControlOnce) {
    int p = Load(MAIN);
    int id = 0, count = 0;
    ASSERT_EQ(GetPanelAttribute(p, ATTR_PANEL_FIRST_CTRL, &id), 0);
    EXPECT_EQ(id, MAIN_GROUP);
    int last = 0;
    while (id != 0 && count < 100) {
        last = id;
        ++count;
        ASSERT_EQ(GetCtrlAttribute(p, id, ATTR_NEXT_CTRL, &id), 0);
    }
    EXPECT_EQ(count, MAIN_TICK - MAIN_GROUP + 1);
    EXPECT_EQ(last, MAIN_TICK);
}

TEST_F(UiTest, NumericsCoerceIntoTheirRange) {
    int p = Load(MAIN);
    // The precision decides what is shown, not what is kept: a value reads back as it was set.
    struct Case {
        int ctrl;
        double set, expect;
        const char *shown;
    } cases[] = {
        {MAIN_COUNT, 250, 100, "100"},
        {MAIN_COUNT, -3, 0, "0"},
        {MAIN_COUNT, 7.6, 8, "8"},
        {MAIN_RATIO, 2.0, 1.5, "1.500"},
        {MAIN_RATIO, -9, -1.5, "-1.500"},
        {MAIN_RATIO, 0.12345, 0.12345, "0.123"},
        {MAIN_RATIO, 0.0006, 0.0006, "0.001"},
        {MAIN_RATIO, -0.0004, -0.0004, "0.000"},
        {MAIN_RATIO, 1.0 / 3, 1.0 / 3, "0.333"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(SetCtrlVal(p, c.ctrl, c.set), 0);
        double got = 0;
        EXPECT_EQ(GetCtrlVal(p, c.ctrl, &got), 0);
        EXPECT_DOUBLE_EQ(got, c.expect) << c.ctrl << " set " << c.set;
        char text[32] = "";
        EXPECT_EQ(GetCtrlVal(p, c.ctrl, text, sizeof text), 0);
        EXPECT_STREQ(text, c.shown) << c.ctrl << " set " << c.set;
    }
    // Neither a new precision nor a new range that holds it changes the value.
    ASSERT_EQ(SetCtrlVal(p, MAIN_RATIO, 0.12345), 0);
    EXPECT_EQ(SetCtrlAttribute(p, MAIN_RATIO, ATTR_PRECISION, 1), 0);
    EXPECT_EQ(SetCtrlAttribute(p, MAIN_RATIO, ATTR_MIN_VALUE, 0.1234), 0);
    double kept = 0;
    EXPECT_EQ(GetCtrlVal(p, MAIN_RATIO, &kept), 0);
    EXPECT_DOUBLE_EQ(kept, 0.12345);
    EXPECT_EQ(SetCtrlAttribute(p, MAIN_RATIO, ATTR_PRECISION, 3), 0);
    // A narrower range pulls the value in; a reversed range stays ordered.
    ASSERT_EQ(SetCtrlVal(p, MAIN_COUNT, 80), 0);
    EXPECT_EQ(SetCtrlAttribute(p, MAIN_COUNT, ATTR_MAX_VALUE, 50.0), 0);
    int n = 0;
    EXPECT_EQ(GetCtrlVal(p, MAIN_COUNT, &n), 0);
    EXPECT_EQ(n, 50);
    EXPECT_EQ(SetCtrlAttribute(p, MAIN_COUNT, ATTR_MIN_VALUE, 60.0), 0);
    double lo = 0, hi = 0;
    GetCtrlAttribute(p, MAIN_COUNT, ATTR_MIN_VALUE, &lo);
    GetCtrlAttribute(p, MAIN_COUNT, ATTR_MAX_VALUE, &hi);
    EXPECT_LE(lo, hi);
}

// However many decimals a number needs, it reads back as the very double that was set: as a
// value, as a range end, and as a value kept while another one needing more decimals arrives.
TEST_F(UiTest, NumbersNeedingManyDecimalsComeBackExactly) {
    int p = Load(MAIN);
    const double values[] = {
        0.1 + 0.2,           1.0 / 3, 1.23456789012345, -2.5e-15, 1e-23, 4.9406564584124654e-300,
        -1.4999999999999998, 0.0006};
    for (double v : values) {
        EXPECT_EQ(SetCtrlVal(p, MAIN_RATIO, v), 0);
        double got = 0;
        EXPECT_EQ(GetCtrlVal(p, MAIN_RATIO, &got), 0);
        EXPECT_EQ(got, v) << std::hexfloat << v;
    }
    const double low = 0.000123456789, high = 1.2345678901234567;
    ASSERT_EQ(SetCtrlVal(p, MAIN_RATIO, 1.0 / 7), 0);
    EXPECT_EQ(SetCtrlAttribute(p, MAIN_RATIO, ATTR_MIN_VALUE, low), 0);
    EXPECT_EQ(SetCtrlAttribute(p, MAIN_RATIO, ATTR_MAX_VALUE, high), 0);
    double got = 0, lo = 0, hi = 0;
    EXPECT_EQ(GetCtrlVal(p, MAIN_RATIO, &got), 0);
    EXPECT_EQ(got, 1.0 / 7);
    GetCtrlAttribute(p, MAIN_RATIO, ATTR_MIN_VALUE, &lo);
    GetCtrlAttribute(p, MAIN_RATIO, ATTR_MAX_VALUE, &hi);
    EXPECT_EQ(lo, low);
    EXPECT_EQ(hi, high);
    for (double beyond : {-1.0, 2.0}) {
        ASSERT_EQ(SetCtrlVal(p, MAIN_RATIO, beyond), 0);
        EXPECT_EQ(GetCtrlVal(p, MAIN_RATIO, &got), 0);
        EXPECT_EQ(got, beyond < 0 ? low : high);
    }
}

TEST_F(UiTest, StringsKeepTheirLengthAndReportShortBuffers) {
    int p = Load(MAIN);
    char text[64];
    EXPECT_EQ(SetCtrlVal(p, MAIN_NAME, "0123456789"), 0);
    EXPECT_EQ(GetCtrlVal(p, MAIN_NAME, text, sizeof text), 0);
    EXPECT_STREQ(text, "01234567");
    EXPECT_EQ(SetCtrlVal(p, MAIN_NAME, "Größe"), 0);
    char small[5];
    EXPECT_EQ(GetCtrlVal(p, MAIN_NAME, small, sizeof small), UIE_BAD_VALUE);
    EXPECT_STREQ(small, "Grö"); // cut at a character boundary, never inside one
    EXPECT_EQ(SetCtrlVal(p, MAIN_NOTES, "a text that is far longer than twenty"), 0);
    EXPECT_EQ(GetCtrlVal(p, MAIN_NOTES, text, sizeof text), 0);
    EXPECT_EQ(strlen(text), 20u);
    EXPECT_EQ(SetCtrlVal(p, MAIN_NAME, 5), UIE_BAD_VALUE);
}

TEST_F(UiTest, RingsSelectByValueAndIndex) {
    int p = Load(MAIN);
    int n = 0, idx = 0;
    char label[32];
    EXPECT_EQ(SetCtrlVal(p, MAIN_MODE, 9), 0);
    EXPECT_EQ(GetCtrlIndex(p, MAIN_MODE, &idx), 0);
    EXPECT_EQ(idx, 2);
    // No such entry: nothing is selected, rather than an entry that is not the value, and a
    // read fails without touching the caller's variable.
    EXPECT_EQ(SetCtrlVal(p, MAIN_MODE, 5), UIE_BAD_VALUE);
    EXPECT_EQ(GetCtrlIndex(p, MAIN_MODE, &idx), 0);
    EXPECT_EQ(idx, -1);
    n = 77;
    EXPECT_EQ(GetCtrlVal(p, MAIN_MODE, &n), UIE_INDEX_OUT_OF_RANGE);
    EXPECT_EQ(n, 77);
    double d = 7.5;
    EXPECT_EQ(GetCtrlVal(p, MAIN_MODE, &d), UIE_INDEX_OUT_OF_RANGE);
    EXPECT_EQ(d, 7.5);
    EXPECT_EQ(GetCtrlVal(p, MAIN_MODE, label, sizeof label), UIE_INDEX_OUT_OF_RANGE);
    EXPECT_EQ(SetCtrlVal(p, MAIN_PICKS, 3), UIE_BAD_VALUE);
    EXPECT_EQ(GetCtrlIndex(p, MAIN_PICKS, &idx), 0);
    EXPECT_EQ(idx, -1);
    EXPECT_EQ(SetCtrlVal(p, MAIN_PICKS, 1), 0);
    EXPECT_EQ(SetCtrlVal(p, MAIN_MODE, 9), 0);
    EXPECT_EQ(GetCtrlVal(p, MAIN_MODE, &n), 0);
    EXPECT_EQ(n, 9);
    EXPECT_EQ(SetCtrlAttribute(p, MAIN_MODE, ATTR_CTRL_INDEX, 1), 0);
    EXPECT_EQ(GetCtrlVal(p, MAIN_MODE, &n), 0);
    EXPECT_EQ(n, 4);
    EXPECT_EQ(GetCtrlVal(p, MAIN_MODE, label, sizeof label), 0);
    EXPECT_STREQ(label, "Slow");

    ASSERT_EQ(ClearListCtrl(p, MAIN_MODE), 0);
    EXPECT_EQ(GetCtrlVal(p, MAIN_MODE, &n), UIE_INDEX_OUT_OF_RANGE);
    EXPECT_EQ(InsertListItem(p, MAIN_MODE, -1, "12", 3), 0);
    EXPECT_EQ(InsertListItem(p, MAIN_MODE, -1, "40", 7), 0);
    EXPECT_EQ(InsertListItem(p, MAIN_MODE, 0, "first", 1), 0);
    EXPECT_EQ(InsertListItem(p, MAIN_MODE, 9, "far", 1), UIE_INDEX_OUT_OF_RANGE);
    EXPECT_EQ(GetNumListItems(p, MAIN_MODE, &n), 0);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(GetLabelFromIndex(p, MAIN_MODE, 2, label, sizeof label), 0);
    EXPECT_STREQ(label, "40");
    EXPECT_EQ(GetValueFromIndex(p, MAIN_MODE, 1, &n), 0);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(GetIndexFromValue(p, MAIN_MODE, &idx, 7), 0);
    EXPECT_EQ(idx, 2);
    EXPECT_EQ(ReplaceListItem(p, MAIN_MODE, 0, "zero", 0), 0);
    EXPECT_EQ(DeleteListItem(p, MAIN_MODE, 1, -1), 0);
    EXPECT_EQ(GetNumListItems(p, MAIN_MODE, &n), 0);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(InsertListItem(p, MAIN_COUNT, -1, "x", 1), UIE_NOT_A_LIST);
}

// A ring that starts hidden gets its widget only when it is shown. Until then, and after, it
// keeps its entries and its selection through every change exactly as a shown ring does.
TEST_F(UiTest, AHiddenRingSelectsAsAShownOneDoes) {
    int p = Load(RINGS);
    ASSERT_GT(p, 0);
    struct Step {
        const char *what;
        int (*apply)(int panel, int ring);
    };
    const Step steps[] = {
        {"as loaded", [](int, int) { return 0; }},
        {"entry before the selected one",
         [](int p, int r) { return InsertListItem(p, r, 0, "First", 1); }},
        {"entry after it", [](int p, int r) { return InsertListItem(p, r, -1, "Last", 2); }},
        {"entry in the selected one's place",
         [](int p, int r) { return InsertListItem(p, r, 2, "Mid", 7); }},
        {"it deleted again", [](int p, int r) { return DeleteListItem(p, r, 2, 1); }},
        {"the selected one deleted", [](int p, int r) { return DeleteListItem(p, r, 2, 1); }},
        {"one before deleted", [](int p, int r) { return DeleteListItem(p, r, 0, 1); }},
        {"relabelled", [](int p, int r) { return ReplaceListItem(p, r, 1, "Quick", 9); }},
        {"selected by value", [](int p, int r) { return SetCtrlVal(p, r, 2); }},
        {"the last one deleted while selected",
         [](int p, int r) { return DeleteListItem(p, r, 2, 1); }},
        {"a value it lacks", [](int p, int r) { return SetCtrlVal(p, r, 77); }},
        {"entry into a ring with none selected",
         [](int p, int r) { return InsertListItem(p, r, 0, "New", 3); }},
        {"selected by index", [](int p, int r) { return SetCtrlIndex(p, r, 1); }},
        {"a run over the selected one deleted",
         [](int p, int r) { return DeleteListItem(p, r, 0, 2); }},
        {"cleared", [](int p, int r) { return ClearListCtrl(p, r); }},
        {"entry into the empty ring", [](int p, int r) { return InsertListItem(p, r, 0, "A", 5); }},
        {"another before it", [](int p, int r) { return InsertListItem(p, r, 0, "B", 6); }},
    };
    auto state = [&p](int ring) {
        int index = -9, count = -9, value = -9;
        char label[32] = "";
        GetCtrlIndex(p, ring, &index);
        GetNumListItems(p, ring, &count);
        int got = GetCtrlVal(p, ring, &value);
        GetCtrlVal(p, ring, label, sizeof label);
        return std::to_string(index) + "/" + std::to_string(count) + "/" + std::to_string(got) +
               ":" + std::to_string(value) + "/" + label;
    };
    for (bool showHalfway : {false, true}) {
        SCOPED_TRACE(showHalfway ? "shown halfway" : "hidden throughout");
        ASSERT_EQ(DiscardPanel(p), 0);
        panels_.clear();
        p = Load(RINGS);
        int visible = -1;
        GetCtrlAttribute(p, RINGS_SPARE, ATTR_VISIBLE, &visible);
        EXPECT_EQ(visible, 0);
        for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
            const Step &s = steps[i];
            if (showHalfway && i == 9) {
                ASSERT_EQ(SetCtrlAttribute(p, RINGS_SPARE, ATTR_VISIBLE, 1), 0);
            }
            EXPECT_EQ(s.apply(p, RINGS_SPARE), s.apply(p, RINGS_SHOWN)) << s.what;
            EXPECT_EQ(state(RINGS_SPARE), state(RINGS_SHOWN)) << s.what;
        }
        // Shown at last, it still holds its selection, and the user can commit it.
        ASSERT_EQ(SetCtrlAttribute(p, RINGS_SPARE, ATTR_VISIBLE, 1), 0);
        EXPECT_EQ(state(RINGS_SPARE), state(RINGS_SHOWN));
        Calls().clear();
        EXPECT_EQ(UserCommit(p, RINGS_SPARE), 0);
        ASSERT_FALSE(Calls().empty());
        EXPECT_EQ(Calls().back().id, RINGS_SPARE);
    }
}

TEST_F(UiTest, ListsAndTables) {
    int p = Load(MAIN);
    int n = 0;
    EXPECT_EQ(SetCtrlVal(p, MAIN_PICKS, 2), 0);
    EXPECT_EQ(GetCtrlIndex(p, MAIN_PICKS, &n), 0);
    EXPECT_EQ(n, 1);
    char cell[32];
    EXPECT_EQ(GetCtrlAttribute(p, MAIN_CELLS, ATTR_NUM_COLUMNS, &n), 0);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(GetTableColumnLabel(p, MAIN_CELLS, 2, cell, sizeof cell), 0);
    EXPECT_STREQ(cell, "B");
    EXPECT_EQ(SetTableRowLabel(p, MAIN_CELLS, 1, "first"), 0);
    EXPECT_EQ(GetTableRowLabel(p, MAIN_CELLS, 1, cell, sizeof cell), 0);
    EXPECT_STREQ(cell, "first");
    EXPECT_EQ(SetTableCellVal(p, MAIN_CELLS, 2, 2, "x"), 0);
    EXPECT_EQ(SetTableCellVal(p, MAIN_CELLS, 3, 1, "x"), UIE_INDEX_OUT_OF_RANGE);
    EXPECT_EQ(InsertTableRows(p, MAIN_CELLS, -1, 3), 0);
    EXPECT_EQ(GetCtrlAttribute(p, MAIN_CELLS, ATTR_NUM_ITEMS, &n), 0);
    EXPECT_EQ(n, 5);
    EXPECT_EQ(InsertTableRows(p, MAIN_CELLS, 1, 1), 0); // the old row 2 moves to 3
    EXPECT_EQ(GetTableCellVal(p, MAIN_CELLS, 3, 2, cell, sizeof cell), 0);
    EXPECT_STREQ(cell, "x");
    EXPECT_EQ(DeleteTableRows(p, MAIN_CELLS, 2, -1), 0);
    EXPECT_EQ(GetCtrlAttribute(p, MAIN_CELLS, ATTR_NUM_ITEMS, &n), 0);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(Calls().size(), 0u);
}

TEST_F(UiTest, CommonAttributesRoundTrip) {
    int p = Load(MAIN);
    struct Case {
        int ctrl, attr, value;
    } cases[] = {
        {MAIN_GO, ATTR_DIMMED, 1},
        {MAIN_GO, ATTR_VISIBLE, 0},
        {MAIN_COUNT, ATTR_TEXT_BOLD, 1},
        {MAIN_COUNT, ATTR_TEXT_COLOR, 0xFF0000},
        {MAIN_UNIT, ATTR_TEXT_BGCOLOR, 0x00FF00},
        {MAIN_COUNT, ATTR_LABEL_BOLD, 1},
        {MAIN_COUNT, ATTR_TOP, 77},
        {MAIN_COUNT, ATTR_LEFT, 33},
        {MAIN_COUNT, ATTR_WIDTH, 120},
        {MAIN_NAME, ATTR_MAX_ENTRY_LENGTH, 4},
        {MAIN_COUNT, ATTR_CTRL_MODE, VAL_INDICATOR},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(SetCtrlAttribute(p, c.ctrl, c.attr, c.value), 0) << c.attr;
        int got = -1;
        EXPECT_EQ(GetCtrlAttribute(p, c.ctrl, c.attr, &got), 0) << c.attr;
        EXPECT_EQ(got, c.value) << c.attr;
    }
    char text[32];
    EXPECT_EQ(SetCtrlAttribute(p, MAIN_COUNT, ATTR_LABEL_TEXT, "Anzahl"), 0);
    EXPECT_EQ(GetCtrlAttribute(p, MAIN_COUNT, ATTR_LABEL_TEXT, text, sizeof text), 0);
    EXPECT_STREQ(text, "Anzahl");
    EXPECT_EQ(SetCtrlAttribute(p, MAIN_ENABLE, ATTR_ON_TEXT, "An"), 0);
    EXPECT_EQ(GetCtrlAttribute(p, MAIN_ENABLE, ATTR_ON_TEXT, text, sizeof text), 0);
    EXPECT_STREQ(text, "An");
    EXPECT_EQ(SetCtrlAttribute(p, MAIN_GO, 9999, 1), UIE_BAD_ATTRIBUTE);
    EXPECT_EQ(SetCtrlAttribute(p, MAIN_GO, ATTR_ON_TEXT, "x"), UIE_BAD_ATTRIBUTE);
    EXPECT_EQ(Calls().size(), 0u);
}

// What the user sees follows the attributes both ways: bold text and captions and a text colour
// change the drawn panel, and setting them back gives exactly the picture from before.
// The panel as drawn, as the bytes of a PNG file.
std::string PanelPicture(int panel) {
    char dir[] = "/tmp/kr7m-look-XXXXXX";
    if (!mkdtemp(dir)) return std::string();
    const std::string path = std::string(dir) + "/panel.png";
    EXPECT_EQ(SavePanelImage(panel, path.c_str()), 0);
    std::string bytes;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
        std::fclose(f);
    }
    std::remove(path.c_str());
    rmdir(dir);
    return bytes;
}

TEST_F(UiTest, LookChangesAreDrawnAndUndone) {
    int p = Load(MAIN);
    ASSERT_EQ(DisplayPanel(p), 0);
    auto picture = [p]() { return PanelPicture(p); };
    const std::string before = picture();
    ASSERT_FALSE(before.empty());
    struct Case {
        int attr, on, off;
    } cases[] = {
        {ATTR_TEXT_BOLD, 1, 0},
        {ATTR_LABEL_BOLD, 1, 0},
        {ATTR_TEXT_COLOR, 0xFF0000, 0x000000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.attr);
        ASSERT_EQ(SetCtrlAttribute(p, MAIN_COUNT, c.attr, c.on), 0);
        EXPECT_NE(picture(), before);
        ASSERT_EQ(SetCtrlAttribute(p, MAIN_COUNT, c.attr, c.off), 0);
        if (c.attr != ATTR_TEXT_COLOR) {
            EXPECT_EQ(picture(), before);
        }
    }
}

// Nothing of a ring that starts hidden is drawn, its caption neither, until it is shown.
TEST_F(UiTest, AHiddenRingIsDrawnOnlyWhileShown) {
    int p = Load(RINGS);
    ASSERT_EQ(DisplayPanel(p), 0);
    const std::string hidden = PanelPicture(p);
    ASSERT_FALSE(hidden.empty());
    ASSERT_EQ(SetCtrlAttribute(p, RINGS_SPARE, ATTR_VISIBLE, 1), 0);
    EXPECT_NE(PanelPicture(p), hidden);
    ASSERT_EQ(SetCtrlAttribute(p, RINGS_SPARE, ATTR_VISIBLE, 0), 0);
    EXPECT_EQ(PanelPicture(p), hidden);
}

TEST_F(UiTest, PanelGeometryAndChildPanels) {
    int p = Load(MAIN);
    int child = Load(CHILD, p);
    ASSERT_GT(child, 0);
    int v = 0;
    EXPECT_EQ(GetPanelAttribute(child, ATTR_PANEL_PARENT, &v), 0);
    EXPECT_EQ(v, p);
    EXPECT_EQ(SetPanelSize(child, 150, 250), 0);
    EXPECT_EQ(SetPanelPos(child, 30, 5), 0);
    GetPanelAttribute(child, ATTR_HEIGHT, &v);
    EXPECT_EQ(v, 150);
    GetPanelAttribute(child, ATTR_TOP, &v);
    EXPECT_EQ(v, 30);
    EXPECT_EQ(SetPanelAttribute(child, ATTR_FRAME_THICKNESS, 2), 0);
    GetPanelAttribute(child, ATTR_FRAME_THICKNESS, &v);
    EXPECT_EQ(v, 2);
    GetPanelAttribute(p, ATTR_RESOURCE_ID, &v);
    EXPECT_EQ(v, MAIN);

    // Activating a hidden panel shows it; discarding the parent takes the child with it.
    EXPECT_EQ(DisplayPanel(p), 0);
    EXPECT_EQ(SetActivePanel(child), 0);
    GetPanelAttribute(child, ATTR_VISIBLE, &v);
    EXPECT_EQ(v, 1);
    EXPECT_EQ(GetActivePanel(), child);
    EXPECT_EQ(DiscardPanel(p), 0);
    EXPECT_EQ(GetPanelAttribute(child, ATTR_VISIBLE, &v), UIE_BAD_HANDLE);
    EXPECT_EQ(SetCtrlVal(child, CHILD_VALUE, 1), UIE_BAD_HANDLE);
    panels_.clear();
}

TEST_F(UiTest, MenuBarsWalkAndTick) {
    int p = Load(MAIN);
    int mb = LoadMenuBar(p, TESTPAN, BAR);
    ASSERT_GT(mb, 0);
    EXPECT_EQ(GetPanelMenuBar(p), mb);
    int v = 0;
    char text[32];
    EXPECT_EQ(GetMenuBarAttribute(mb, 0, ATTR_FIRST_ITEM, &v), 0);
    EXPECT_EQ(v, BAR_FILE);
    EXPECT_EQ(GetMenuBarAttribute(mb, BAR_FILE, ATTR_NEXT_ITEM, &v), 0);
    EXPECT_EQ(v, BAR_LANG);
    EXPECT_EQ(GetMenuBarAttribute(mb, BAR_FILE, ATTR_FIRST_ITEM, &v), 0);
    EXPECT_EQ(v, BAR_FILE_NEW);
    EXPECT_EQ(GetMenuBarAttribute(mb, BAR_FILE_NEW, ATTR_NEXT_ITEM, &v), 0);
    int sep = v;
    EXPECT_EQ(GetMenuBarAttribute(mb, sep, ATTR_IS_SEPARATOR, &v), 0);
    EXPECT_EQ(v, 1);
    EXPECT_EQ(GetMenuBarAttribute(mb, BAR_FILE_MORE, ATTR_SUBMENU, &v), 0);
    EXPECT_EQ(v, BAR_FILE_MORE);
    EXPECT_EQ(GetMenuBarAttribute(mb, BAR_FILE_MORE, ATTR_FIRST_ITEM, &v), 0);
    EXPECT_EQ(v, BAR_FILE_MORE_DEEP);
    EXPECT_EQ(GetMenuBarAttribute(mb, BAR_FILE_NEW, ATTR_CONSTANT_NAME, text, sizeof text), 0);
    EXPECT_STREQ(text, "BAR_FILE_NEW");
    EXPECT_EQ(GetMenuBarAttribute(mb, BAR_LANG_ENG, ATTR_CHECKED, &v), 0);
    EXPECT_EQ(v, 1);
    EXPECT_EQ(SetMenuBarAttribute(mb, BAR_LANG_ENG, ATTR_CHECKED, 0), 0);
    EXPECT_EQ(GetMenuBarAttribute(mb, BAR_LANG_ENG, ATTR_CHECKED, &v), 0);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(SetMenuBarAttribute(mb, BAR_FILE_NEW, ATTR_ITEM_NAME, "Neu"), 0);
    EXPECT_EQ(GetMenuBarAttribute(mb, BAR_FILE_NEW, ATTR_ITEM_NAME, text, sizeof text), 0);
    EXPECT_STREQ(text, "Neu");

    // Menu bar height and visibility as the main window's layout needs them.
    EXPECT_EQ(GetPanelAttribute(p, ATTR_MENU_HEIGHT, &v), 0);
    EXPECT_GT(v, 10);
    int top = 0;
    EXPECT_EQ(GetPanelAttribute(p, ATTR_CLIENT_TOP, &top), 0);
    EXPECT_EQ(top, v);
    EXPECT_EQ(SetPanelAttribute(p, ATTR_MENU_BAR_VISIBLE, 0), 0);
    EXPECT_EQ(GetPanelAttribute(p, ATTR_MENU_BAR_VISIBLE, &v), 0);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(GetPanelAttribute(p, ATTR_CLIENT_TOP, &top), 0);
    EXPECT_EQ(top, 0);
}

TEST_F(UiTest, PrintToPdfWritesACompleteFile) {
    int p = Load(MAIN);
    ASSERT_EQ(DisplayPanel(p), 0);
    char dir[] = "/tmp/kr7m-printXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string pdf = std::string(dir) + "/panel.pdf";
    ASSERT_EQ(SetPrintAttribute(ATTR_PRINT_OUTPUT_FILE, pdf.c_str()), 0);
    EXPECT_EQ(PrintPanel(p), 0);
    std::ifstream in(pdf, std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(data.rfind("%PDF", 0), 0u);
    EXPECT_NE(data.find("%%EOF"), std::string::npos);
    EXPECT_FALSE(GetFileInfo((pdf + ".part").c_str(), nullptr));

    // An unwritable target fails and leaves nothing behind.
    std::string bad = std::string(dir) + "/missing/panel.pdf";
    ASSERT_EQ(SetPrintAttribute(ATTR_PRINT_OUTPUT_FILE, bad.c_str()), 0);
    EXPECT_EQ(PrintPanel(p), UIE_PRINT_FAILED);
    EXPECT_FALSE(GetFileInfo(bad.c_str(), nullptr));
    SetPrintAttribute(ATTR_PRINT_OUTPUT_FILE, "");
    // Through the print dialog: cancelling it prints nothing and says so.
    PostDeferredCall([](void *) { UserAnswerDialog(0); }, nullptr);
    EXPECT_EQ(PrintPanel(p), 1);
    EXPECT_EQ(UserAnswerDialog(0), UIE_BAD_HANDLE);
    unlink(pdf.c_str());
    rmdir(dir);
}

TEST_F(UiTest, PathsAndFileSelection) {
    char dir[512], path[512];
    ASSERT_EQ(GetProjectDir(dir, sizeof dir), 0);
    std::string bin = KR7M_BIN_DIR;
    EXPECT_EQ(std::string(dir), bin.substr(0, bin.size() - 4) + "/tests"); // test programs' folder
    EXPECT_EQ(MakePathname("/a/b", "c.txt", path, sizeof path), 0);
    EXPECT_STREQ(path, "/a/b/c.txt");
    char tiny[6];
    EXPECT_EQ(MakePathname("/a/b", "c.txt", tiny, sizeof tiny), UIE_BAD_VALUE);
    EXPECT_STREQ(tiny, "");

    SetFileSelectAnswer("/definitely/not/here.KR7");
    EXPECT_EQ(FileSelectPopup("", "*.KR7", "", "Save", VAL_SAVE_BUTTON, path, sizeof path),
              VAL_NEW_FILE_SELECTED);
    EXPECT_STREQ(path, "/definitely/not/here.KR7");
    SetFileSelectAnswer("/proc/self/exe");
    EXPECT_EQ(FileSelectPopup("", "*.KR7", "", "Open", VAL_LOAD_BUTTON, path, sizeof path),
              VAL_EXISTING_FILE_SELECTED);
    SetFileSelectAnswer("");
    EXPECT_EQ(FileSelectPopup("", "*.KR7", "", "Open", VAL_LOAD_BUTTON, path, sizeof path),
              VAL_NO_FILE_SELECTED);
    // The real dialog, cancelled.
    PostDeferredCall([](void *) { UserAnswerDialog(0); }, nullptr);
    EXPECT_EQ(FileSelectPopup("/tmp", "*.KR7", "", "Open", VAL_LOAD_BUTTON, path, sizeof path),
              VAL_NO_FILE_SELECTED);
    SetFileSelectAnswer("/a/path/too/long/for/the/buffer.KR7");
    EXPECT_EQ(FileSelectPopup("", "*.KR7", "", "Open", VAL_LOAD_BUTTON, tiny, sizeof tiny),
              UIE_BAD_VALUE);
    EXPECT_STREQ(tiny, "");
}

} // namespace

namespace {

// Pictures of the test panels: a PNG of every panel kind. With KR7M_SCREENSHOT_DIR set they
// stay there for a look; otherwise they go to a temporary folder.
// Width and height of a PNG file from its header, {0, 0} when it cannot be read.
std::pair<int, int> PngSize(const std::string &path) {
    unsigned char h[24] = {};
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return {0, 0};
    size_t n = std::fread(h, 1, sizeof h, f);
    std::fclose(f);
    if (n != sizeof h) return {0, 0};
    auto be = [&](int at) {
        return (h[at] << 24) | (h[at + 1] << 16) | (h[at + 2] << 8) | h[at + 3];
    };
    return {be(16), be(20)};
}

// A child panel made smaller than designed keeps its controls on a client of the designed size
// (the window scrolls), and a larger one gives its controls the whole area; its picture shows
// the whole client either way.
TEST_F(UiTest, ChildPanelSmallerThanDesignedScrollsInsteadOfCutting) {
    char tmp[] = "/tmp/kr7m-scrollXXXXXX";
    ASSERT_NE(mkdtemp(tmp), nullptr);
    std::string png = std::string(tmp) + "/child.png";
    int p = Load(MAIN);
    int child = Load(CHILD, p);
    DisplayPanel(p);
    DisplayPanel(child);
    struct Case {
        int height, width;           // the panel's window
        int imageWidth, imageHeight; // its whole client
    } cases[] = {
        {100, 200, 200, 100}, // as designed
        {50, 60, 200, 100},   // smaller both ways: scrolls, nothing cut
        {40, 200, 200, 100},  // as wide, but lower
        {150, 300, 300, 150}, // larger: the client fills it
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        ASSERT_EQ(SetPanelSize(child, c.height, c.width), 0);
        ProcessSystemEvents();
        int w = 0, h = 0;
        GetPanelAttribute(child, ATTR_WIDTH, &w);
        GetPanelAttribute(child, ATTR_HEIGHT, &h);
        EXPECT_EQ(w, c.width);
        EXPECT_EQ(h, c.height);
        int left = 0;
        GetCtrlAttribute(child, CHILD_VALUE, ATTR_LEFT, &left);
        EXPECT_EQ(left, 20) << "controls keep their place";
        ASSERT_EQ(SavePanelImage(child, png.c_str()), 0);
        EXPECT_EQ(PngSize(png), std::make_pair(c.imageWidth, c.imageHeight));
    }
    unlink(png.c_str());
    rmdir(tmp);
}

TEST_F(UiTest, SavePanelImageWritesPictures) {
    const char *keep = getenv("KR7M_SCREENSHOT_DIR");
    char tmp[] = "/tmp/kr7m-shotsXXXXXX";
    std::string dir = keep ? keep : mkdtemp(tmp);
    int p = Load(MAIN);
    int mb = LoadMenuBar(p, TESTPAN, BAR);
    ASSERT_GT(mb, 0);
    SetCtrlVal(p, MAIN_LAMP, 1);
    SetCtrlVal(p, MAIN_LEVEL, 7.0);
    SetTableCellVal(p, MAIN_CELLS, 1, 1, "1.5");
    SetCtrlAttribute(p, MAIN_GO, ATTR_DIMMED, 1);
    DisplayPanel(p);
    int child = Load(CHILD, p);
    SetPanelPos(child, 400, 400);
    DisplayPanel(child);
    int ask = Load(ASK, p);
    InstallPopup(ask);
    ProcessSystemEvents();
    std::string main = dir + "/test-main.png", popup = dir + "/test-popup.png";
    EXPECT_EQ(SavePanelImage(p, main.c_str()), 0);
    EXPECT_EQ(SavePanelImage(ask, popup.c_str()), 0);
    long size = 0;
    EXPECT_EQ(GetFileInfo(main.c_str(), &size), 1);
    EXPECT_GT(size, 1000);
    EXPECT_EQ(SavePanelImage(p, "/nonexistent/dir/x.png"), UIE_FILE_NOT_FOUND);
    RemovePopup(0);
    if (!keep) {
        unlink(main.c_str());
        unlink(popup.c_str());
        rmdir(dir.c_str());
    }
}

} // namespace

namespace {

// The program's own resource as the build wrote it: every panel and menu bar loads with the
// same ids the generator gave them (loader and generator cannot drift apart). With
// KR7M_SCREENSHOT_DIR set, a picture of each panel is left there.
TEST_F(UiTest, EveryPanelOfTheProgramResourceLoads) {
    const std::string file = KR7M_BIN_DIR "/MainPan.uir";
    if (!GetFileInfo(file.c_str(), nullptr)) GTEST_SKIP() << "no " << file;
    const char *keep = getenv("KR7M_SCREENSHOT_DIR");
    int panels = 0;
    for (int id = 1;; ++id) {
        int h = LoadPanel(0, file.c_str(), id);
        if (h == UIE_RESOURCE_NOT_FOUND) break;
        ASSERT_GT(h, 0) << "panel " << id << ": " << UILastErrorDetail();
        ++panels;
        char name[64];
        EXPECT_EQ(GetPanelAttribute(h, ATTR_CONSTANT_NAME, name, sizeof name), 0);
        if (keep) {
            DisplayPanel(h);
            ProcessSystemEvents();
            std::string png = std::string(keep) + "/resource-" + name + ".png";
            EXPECT_EQ(SavePanelImage(h, png.c_str()), 0);
        }
        DiscardPanel(h);
    }
    EXPECT_GT(panels, 0);
    int bars = 0;
    int window = Load(MAIN);
    for (int id = 1;; ++id) {
        int mb = LoadMenuBar(window, file.c_str(), id);
        if (mb == UIE_RESOURCE_NOT_FOUND) break;
        ASSERT_GT(mb, 0) << "menu bar " << id << ": " << UILastErrorDetail();
        ++bars;
    }
    EXPECT_GT(bars, 0);
}

} // namespace

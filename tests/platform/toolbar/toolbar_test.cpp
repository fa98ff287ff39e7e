// The toolbar on a real main window: buttons choose their menu items, the ring commits to its
// callback, program changes stay silent, and hiding or dimming keeps the user out.
#include "platform/toolbar/toolbar.h"
#include "uitest.h"

std::vector<CallRecord> &Calls() {
    static std::vector<CallRecord> calls;
    return calls;
}
int OnMainPanel(int, int, void *, int, int) {
    return 0;
}
int OnCtrl(int, int, int, void *, int, int) {
    return 0;
}
int OnTick(int, int, int, void *, int, int) {
    return 0;
}
void OnMenu(int menuBar, int item, void *, int panel) {
    Calls().push_back({"menu", menuBar, item, panel});
}

namespace {

int OnRing(int panel, int control, int event, void *, int, int) {
    Calls().push_back({"ring", panel, control, event});
    return 0;
}

class ToolbarTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        main_ = Load(MAIN);
        ASSERT_GT(main_, 0);
        bar_ = LoadMenuBar(main_, TESTPAN, BAR);
        ASSERT_GT(bar_, 0);
        tb_ = Toolbar_New(main_);
        ASSERT_NE(tb_, 0);
        std::string image = KR7M_SOURCE_DIR "/resources/new.bmp";
        // Items 1..4: button, separator, button, ring.
        ASSERT_EQ(Toolbar_InsertButton(tb_, 1, image.c_str(), "New", bar_, BAR_FILE_NEW), 0);
        ASSERT_EQ(Toolbar_InsertSeparator(tb_, 2), 0);
        ASSERT_EQ(Toolbar_InsertButton(tb_, 3, image.c_str(), "Quit", bar_, BAR_FILE_QUIT), 0);
        ring_ = Toolbar_InsertRing(tb_, 4, "Address", 45, OnRing, nullptr);
        ASSERT_GT(ring_, 0);
        Toolbar_Display(tb_);
        DisplayPanel(main_);
    }
    void TearDown() override {
        Toolbar_Discard(tb_);
        UiTest::TearDown();
    }
    int main_ = 0, bar_ = 0, ring_ = 0;
    ToolbarHandle tb_ = 0;
};

TEST_F(ToolbarTest, ButtonsChooseTheirMenuItemsUnlessDimmed) {
    ASSERT_EQ(Toolbar_UserPress(tb_, 1), 0);
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0].handle, bar_);
    EXPECT_EQ(Calls()[0].id, BAR_FILE_NEW);
    EXPECT_EQ(Calls()[0].event, main_); // the menu callback's panel argument
    // Item 3's menu entry is dimmed in the resource, and the button follows it.
    EXPECT_EQ(Toolbar_UserPress(tb_, 3), UIE_NOT_ACCESSIBLE);
    SetMenuBarAttribute(bar_, BAR_FILE_QUIT, ATTR_DIMMED, 0);
    EXPECT_EQ(Toolbar_UserPress(tb_, 3), 0);
    Toolbar_SetItemDimmed(tb_, 3, 1);
    EXPECT_EQ(Toolbar_UserPress(tb_, 3), UIE_NOT_ACCESSIBLE);
    EXPECT_EQ(Toolbar_UserPress(tb_, 2), UIE_BAD_CONTROL); // a separator
    Toolbar_Hide(tb_);
    EXPECT_EQ(Toolbar_UserPress(tb_, 1), UIE_NOT_ACCESSIBLE);
    EXPECT_EQ(Calls().size(), 2u);
}

TEST_F(ToolbarTest, RingHoldsEntriesAndCommitsOnlyForTheUser) {
    int count = -1, index = -1, value = -1;
    ASSERT_EQ(Toolbar_RingAppend(tb_, ring_, "9", 3), 0);
    ASSERT_EQ(Toolbar_RingAppend(tb_, ring_, "247", 32), 0);
    ASSERT_EQ(Toolbar_RingSetIndex(tb_, ring_, 1), 0);
    EXPECT_EQ(Toolbar_RingSetIndex(tb_, ring_, 2), UIE_INDEX_OUT_OF_RANGE);
    EXPECT_EQ(Toolbar_RingCount(tb_, ring_, &count), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(Toolbar_RingGetValue(tb_, ring_, &value), 0);
    EXPECT_EQ(value, 32);
    EXPECT_TRUE(Calls().empty());
    ASSERT_EQ(Toolbar_UserPress(tb_, 4), 0);
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0].what, "ring");
    EXPECT_EQ(Calls()[0].handle, main_);
    EXPECT_EQ(Calls()[0].id, ring_);
    EXPECT_EQ(Calls()[0].event, EVENT_COMMIT);
    Toolbar_SetItemDimmed(tb_, 4, 1);
    EXPECT_EQ(Toolbar_UserPress(tb_, 4), UIE_NOT_ACCESSIBLE);
    ASSERT_EQ(Toolbar_ClearRing(tb_, ring_), 0);
    EXPECT_EQ(Toolbar_RingGetIndex(tb_, ring_, &index), 0);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(Toolbar_RingGetValue(tb_, ring_, &value), UIE_INDEX_OUT_OF_RANGE);
}

TEST_F(ToolbarTest, HeightCountsInTheClientTopWhileShown) {
    int menu = 0, top = 0;
    int h = Toolbar_Height(tb_);
    // Images of 24 pixels are shown at 1.2 times their size.
    EXPECT_GE(h, 29);
    GetPanelAttribute(main_, ATTR_MENU_HEIGHT, &menu);
    GetPanelAttribute(main_, ATTR_CLIENT_TOP, &top);
    EXPECT_EQ(top, menu + h);
    Toolbar_Hide(tb_);
    GetPanelAttribute(main_, ATTR_CLIENT_TOP, &top);
    EXPECT_EQ(top, menu);
}

TEST_F(ToolbarTest, BadArgumentsAndDiscardedWindows) {
    EXPECT_EQ(Toolbar_New(9999), 0);
    int child = Load(CHILD, main_);
    EXPECT_EQ(Toolbar_New(child), 0); // a child panel has no toolbar
    EXPECT_EQ(Toolbar_InsertButton(tb_, -1, "/nonexistent.bmp", "x", bar_, BAR_FILE_NEW),
              UIE_FILE_NOT_FOUND);
    EXPECT_EQ(Toolbar_InsertButton(tb_, -1, KR7M_SOURCE_DIR "/resources/new.bmp", "x", bar_, 999),
              UIE_BAD_CONTROL);
    // The window goes first: the toolbar reports a bad handle instead of touching freed memory.
    DiscardPanel(main_);
    panels_.clear();
    EXPECT_EQ(Toolbar_Display(tb_), UIE_BAD_HANDLE);
    EXPECT_EQ(Toolbar_UserPress(tb_, 1), UIE_BAD_HANDLE);
    EXPECT_EQ(Toolbar_Height(tb_), 0);
}

} // namespace

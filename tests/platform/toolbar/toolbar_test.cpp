// The toolbar on a real main window: buttons choose their menu items, the ring commits to its
// callback, program changes stay silent, and hiding or dimming keeps the user out.
#include "platform/toolbar/toolbar.h"
#include "uitest.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>

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

namespace fs = std::filesystem;

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
    // Images are shown at 1.2 times their size: 24 pixels, with room around them.
    EXPECT_GE(h, 26);
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
    EXPECT_EQ(Toolbar_InsertButton(tb_, -1, KR7M_SOURCE_DIR "/resources/new.bmp", "x", bar_, 999),
              UIE_BAD_CONTROL);
    // The window goes first: the toolbar reports a bad handle instead of touching freed memory.
    DiscardPanel(main_);
    panels_.clear();
    EXPECT_EQ(Toolbar_Display(tb_), UIE_BAD_HANDLE);
    EXPECT_EQ(Toolbar_UserPress(tb_, 1), UIE_BAD_HANDLE);
    EXPECT_EQ(Toolbar_Height(tb_), 0);
}

TEST_F(ToolbarTest, ButtonWithoutItsImageKeepsItsPlaceAndCommand) {
    // Inserted in front of the ring: a missing and an unreadable image both give text buttons.
    std::string garbage = std::string(::testing::TempDir()) + "/garbage.bmp";
    FILE *f = std::fopen(garbage.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("BM not really a bitmap", f);
    std::fclose(f);
    ASSERT_EQ(Toolbar_InsertButton(tb_, 4, "/nonexistent.bmp", "Open & go", bar_, BAR_FILE_NEW), 0);
    ASSERT_EQ(Toolbar_InsertButton(tb_, 5, garbage.c_str(), "Again", bar_, BAR_FILE_NEW), 0);
    std::remove(garbage.c_str());
    ASSERT_EQ(Toolbar_UserPress(tb_, 4), 0);
    ASSERT_EQ(Toolbar_UserPress(tb_, 5), 0);
    ASSERT_EQ(Calls().size(), 2u);
    EXPECT_EQ(Calls()[0].id, BAR_FILE_NEW);
    EXPECT_EQ(Calls()[1].id, BAR_FILE_NEW);
    // The ring moved on by two and is still the ring.
    Toolbar_RingAppend(tb_, ring_, "9", 3);
    ASSERT_EQ(Toolbar_UserPress(tb_, 6), 0);
    ASSERT_EQ(Calls().size(), 3u);
    EXPECT_EQ(Calls()[2].what, "ring");
    ProcessSystemEvents();
    if (const char *dir = std::getenv("KR7M_SCREENSHOT_DIR"))
        SavePanelImage(main_, (std::string(dir) + "/toolbar_text_buttons.png").c_str());
}

struct ImageCase {
    const char *name;
    bool bitmap;        // a readable "img.bmp" (20 pixels)
    const char *vector; // text of "img.svg" beside it, nullptr for none
    int shown;          // pixels the image is shown at; 0: a text button
};
inline void PrintTo(const ImageCase &c, std::ostream *os) {
    *os << c.name;
}

const char kLargeVector[] = "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='40' "
                            "viewBox='0 0 24 24'><rect x='2' y='2' width='20' height='20'/></svg>";
const char kBrokenVector[] = "<svg xmlns='http://www.w3.org/2000/svg' width='40'";

class ButtonImage : public ToolbarTest, public ::testing::WithParamInterface<ImageCase> {
  protected:
    // Height of a toolbar holding one button with the image.
    int HeightWith(const std::string &image) {
        ToolbarHandle tb = Toolbar_New(main_);
        EXPECT_EQ(Toolbar_InsertButton(tb, 1, image.c_str(), "Img", bar_, BAR_FILE_NEW), 0);
        Toolbar_Display(tb);
        int h = Toolbar_Height(tb);
        EXPECT_EQ(Toolbar_UserPress(tb, 1), 0) << "the button works with whatever it shows";
        Toolbar_Discard(tb);
        return h;
    }
};

TEST_P(ButtonImage, VectorBesideTheBitmapIsPreferred) {
    const ImageCase &c = GetParam();
    fs::path dir = fs::path(::testing::TempDir()) / (std::string("kr7m-images-") + c.name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(KR7M_SOURCE_DIR "/resources/new.bmp", dir / "ref.bmp");
    if (c.bitmap) fs::copy_file(dir / "ref.bmp", dir / "img.bmp");
    if (c.vector) std::ofstream(dir / "img.svg") << c.vector;
    // The reference: a 20-pixel bitmap, shown at 24 pixels.
    int reference = HeightWith((dir / "ref.bmp").string());
    int height = HeightWith((dir / "img.bmp").string());
    if (c.shown > 0) {
        EXPECT_EQ(height - reference, c.shown - 24);
    }
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Cases, ButtonImage,
                         ::testing::Values(ImageCase{"BitmapOnly", true, nullptr, 24},
                                           ImageCase{"VectorBeside", true, kLargeVector, 48},
                                           ImageCase{"VectorAlone", false, kLargeVector, 48},
                                           ImageCase{"BrokenVectorFallsBack", true, kBrokenVector,
                                                     24},
                                           ImageCase{"NothingReadable", false, kBrokenVector, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

struct LookupCase {
    const char *name;
    const char *description;
    int code;     // of the lookup
    int position; // where the found item stands (0: none found)
};
inline void PrintTo(const LookupCase &c, std::ostream *os) {
    *os << c.name;
}

class DescriptionLookup : public ToolbarTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(DescriptionLookup, FindsTheItemAndDimsItByItsControl) {
    const LookupCase &c = GetParam();
    SetMenuBarAttribute(bar_, BAR_FILE_QUIT, ATTR_DIMMED, 0);
    // An item inserted first moves every other one on by one; their controls stay.
    ASSERT_EQ(Toolbar_InsertSeparator(tb_, 1), 0);
    int panel = 0, control = 0, dimmed = -1;
    ASSERT_EQ(Toolbar_GetCtrlFromDescription(tb_, c.description, &panel, &control), c.code);
    if (c.code != 0) return;
    EXPECT_EQ(panel, main_);
    ASSERT_EQ(Toolbar_GetCtrlDimmed(tb_, control, &dimmed), 0);
    EXPECT_EQ(dimmed, 0);
    ASSERT_EQ(Toolbar_SetCtrlDimmed(tb_, control, 1), 0);
    ASSERT_EQ(Toolbar_GetCtrlDimmed(tb_, control, &dimmed), 0);
    EXPECT_EQ(dimmed, 1);
    EXPECT_EQ(Toolbar_UserPress(tb_, c.position + 1), UIE_NOT_ACCESSIBLE);
    for (int position : {2, 4, 5}) {
        if (position == c.position + 1) continue;
        EXPECT_EQ(Toolbar_UserPress(tb_, position), 0) << position;
    }
    ASSERT_EQ(Toolbar_SetCtrlDimmed(tb_, control, 0), 0);
    EXPECT_EQ(Toolbar_UserPress(tb_, c.position + 1), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, DescriptionLookup,
                         ::testing::Values(LookupCase{"FirstButton", "New", 0, 1},
                                           LookupCase{"SecondButton", "Quit", 0, 3},
                                           LookupCase{"Ring", "Address", 0, 4},
                                           LookupCase{"OtherCase", "new", UIE_BAD_CONTROL, 0},
                                           LookupCase{"Unknown", "Open", UIE_BAD_CONTROL, 0},
                                           // separators have no description
                                           LookupCase{"Empty", "", UIE_BAD_CONTROL, 0},
                                           LookupCase{"Null", nullptr, UIE_MISSING_ARGUMENT, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ToolbarTest, ControlsFollowTheirItems) {
    int panel = 0, control = 0, dimmed = -1;
    // A button follows its menu entry: Quit's entry is dimmed in the resource.
    ASSERT_EQ(Toolbar_GetCtrlFromDescription(tb_, "Quit", &panel, &control), 0);
    ASSERT_EQ(Toolbar_GetCtrlDimmed(tb_, control, &dimmed), 0);
    EXPECT_EQ(dimmed, 1);
    // The ring's control is the id the ring functions take.
    ASSERT_EQ(Toolbar_GetCtrlFromDescription(tb_, "Address", &panel, &control), 0);
    EXPECT_EQ(control, ring_);
    // A new tool tip is the text the item is found by.
    ASSERT_EQ(Toolbar_SetTooltip(tb_, 4, "Instrument"), 0);
    EXPECT_EQ(Toolbar_GetCtrlFromDescription(tb_, "Address", &panel, &control), UIE_BAD_CONTROL);
    ASSERT_EQ(Toolbar_GetCtrlFromDescription(tb_, "Instrument", &panel, &control), 0);
    EXPECT_EQ(control, ring_);
    EXPECT_EQ(Toolbar_SetTooltip(tb_, 2, "x"), UIE_BAD_CONTROL); // a separator
    EXPECT_EQ(Toolbar_SetCtrlDimmed(tb_, 9999, 1), UIE_BAD_CONTROL);
    EXPECT_EQ(Toolbar_GetCtrlDimmed(tb_, ring_, nullptr), UIE_MISSING_ARGUMENT);
    EXPECT_EQ(Toolbar_GetCtrlFromDescription(9999, "Quit", &panel, &control), UIE_BAD_HANDLE);
}

} // namespace

// The running main window: closing it, the toolbar's address selector, print and about.
#include "app_fixture.h"

#include <cstring>
#include <ostream>

#include "config/mainpanel.h"
#include "config/settings.h"
#include "link/linksettings.h"

using apptest::ReadFile;

namespace {

class WindowTest : public apptest::ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_EQ(StartProgram(0, nullptr), 0) << StartupError();
    }
};

int gViewClosed = 0;
int gFakeView = 0; // handle of a registered view while it is "shown"
void FakeViewClose() {
    ++gViewClosed;
    gFakeView = 0;
}

int gClosePanel = 0;
void CloseFromLoop(void *) {
    UserClosePanel(gClosePanel);
}

struct CloseCase {
    const char *name;
    bool closeMainPanel; // else the main window
    bool viewOpen;       // a view has registered its close routine
    bool popupUp;        // the about pop-up is the active panel
};
// Cases print as their names in test listings.
inline void PrintTo(const CloseCase &c, std::ostream *os) {
    *os << c.name;
}

class CloseEndsLoop : public WindowTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseEndsLoop, WhicheverPanelIsActive) {
    const CloseCase &c = GetParam();
    gViewClosed = 0;
    if (c.viewOpen) {
        // A view hides the main panel and the menus while it is up.
        HidePanel(MainPanel);
        ActivateMenu(0);
        ASSERT_EQ(RegisterPanelKind(KIND_METERS, {ABOUT, &gFakeView, 0, 0, FakeViewClose}), 0);
        gFakeView = 1000000; // any handle: the manager only asks whether one is shown
    }
    if (c.popupUp) CmHelpAbout(menuHandle, MENU_HELP_ABOUT, nullptr, BkgndPanel);
    gClosePanel = c.closeMainPanel ? MainPanel : BkgndPanel;
    ASSERT_EQ(PostDeferredCall(CloseFromLoop, nullptr), 0);
    EXPECT_EQ(RunUserInterface(), 0);
    EXPECT_EQ(gViewClosed, c.viewOpen ? 1 : 0) << "the open view is closed first, exactly once";
    if (c.popupUp) CloseHelpInfo(aboutPanel, ABOUT_CLOSE, EVENT_COMMIT, nullptr, 0, 0);
}

INSTANTIATE_TEST_SUITE_P(Close, CloseEndsLoop,
                         ::testing::Values(CloseCase{"MainWindow", false, false, false},
                                           CloseCase{"MainPanel", true, false, false},
                                           CloseCase{"WithView", false, true, false},
                                           CloseCase{"WithAbout", false, false, true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(WindowTest, ShowMainPanelRestoresTheMainPanelAfterAView) {
    // A view hides the main panel, the menu bar and the toolbar; the window changes size meanwhile.
    HidePanel(MainPanel);
    ActivateMenu(0);
    Toolbar_Hide(gToolbar);
    SetPanelAttribute(BkgndPanel, ATTR_WINDOW_ZOOM, VAL_NO_ZOOM);
    SetPanelSize(BkgndPanel, 500, 700);
    ShowMainPanel();
    int menuVisible = 0, visible = 0, width = 0, top = 0;
    GetPanelAttribute(BkgndPanel, ATTR_MENU_BAR_VISIBLE, &menuVisible);
    GetPanelAttribute(MainPanel, ATTR_VISIBLE, &visible);
    GetPanelAttribute(MainPanel, ATTR_WIDTH, &width);
    GetPanelAttribute(MainPanel, ATTR_TOP, &top);
    EXPECT_EQ(menuVisible, 1);
    EXPECT_EQ(visible, 1);
    EXPECT_EQ(GetActivePanel(), MainPanel);
    EXPECT_EQ(width, 700) << "the main panel follows the window's new width";
    EXPECT_GE(top, Toolbar_Height(gToolbar)) << "below the menu bar and the toolbar";
}

TEST_F(WindowTest, ExitCommandEndsLoop) {
    static int bar;
    bar = menuHandle;
    ASSERT_EQ(PostDeferredCall([](void *) { UserChooseMenu(bar, MENU_FILE_EXIT); }, nullptr), 0);
    EXPECT_EQ(RunUserInterface(), 0);
}

struct SelectorCase {
    const char *name;
    int commType;
    int slots[32];
    int deviceAddr;
    int entries;  // entries after the refill (-1: left as they were)
    int selected; // selected entry (-1: none chosen explicitly)
};
// Cases print as their names in test listings.
inline void PrintTo(const SelectorCase &c, std::ostream *os) {
    *os << c.name;
}

class AddressSelector : public WindowTest, public ::testing::WithParamInterface<SelectorCase> {};

TEST_P(AddressSelector, RefillsFromFoundAddresses) {
    const SelectorCase &c = GetParam();
    // Start from a known filled selector so "left as it was" can be seen.
    CommType = 1;
    for (int i = 0; i < 32; ++i) DevSearch[i] = 0;
    DevSearch[0] = 1;
    DevSearch[1] = 2;
    DevSearch[2] = 3;
    Search_Result = 1;
    InitToolbarDeviceAddr(gToolbar);
    int count = 0;
    ASSERT_EQ(Toolbar_RingCount(gToolbar, gAddrRing, &count), 0);
    ASSERT_EQ(count, 3);

    CommType = c.commType;
    Search_Result = 0;
    for (int i = 0; i < 32; ++i) {
        DevSearch[i] = c.slots[i];
        if (c.slots[i]) Search_Result = 1;
    }
    DeviceAddr = c.deviceAddr;
    InitToolbarDeviceAddr(gToolbar);
    ASSERT_EQ(Toolbar_RingCount(gToolbar, gAddrRing, &count), 0);
    EXPECT_EQ(count, c.entries < 0 ? 3 : c.entries);
    if (c.selected >= 0) {
        int index = -1;
        ASSERT_EQ(Toolbar_RingGetIndex(gToolbar, gAddrRing, &index), 0);
        EXPECT_EQ(index, c.selected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddressSelector,
    ::testing::Values(
        // point to point: dimmed, entries stay even though addresses were found
        SelectorCase{"Direct", 0, {0, 0, 9, 0, 0, 0, 12}, 12, -1, -1},
        // bus, slots 3 and 7, the current address in slot 7: two entries, the second chosen
        SelectorCase{"BusCurrentFound", 1, {0, 0, 9, 0, 0, 0, 12}, 12, 2, 1},
        SelectorCase{"BusCurrentFirst", 1, {0, 0, 9, 0, 0, 0, 12}, 9, 2, 0},
        // bus, the current address not among them: filled, nothing chosen explicitly
        SelectorCase{"BusCurrentMissing", 1, {0, 0, 9, 0, 0, 0, 12}, 200, 2, -1},
        // bus without a search result: dimmed, left as it was
        SelectorCase{"BusNothingFound", 1, {0}, 12, -1, -1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(WindowTest, PickingAnAddressStoresAndWritesItAtOnce) {
    CommType = 1;
    for (int i = 0; i < 32; ++i) DevSearch[i] = 0;
    DevSearch[2] = 9;
    DevSearch[6] = 12;
    DevSearch[31] = 247;
    Search_Result = 1;
    DeviceAddr = 9;
    InitToolbarDeviceAddr(gToolbar);
    ASSERT_EQ(Toolbar_RingSetIndex(gToolbar, gAddrRing, 2), 0);
    // The selector is the last item: six buttons, each followed by a separator.
    ASSERT_EQ(Toolbar_UserPress(gToolbar, 13), 0);
    EXPECT_EQ(DeviceAddr, 247);
    std::string text = ReadFile(IniPath());
    EXPECT_NE(text.find("\r\nDevAddr = 247\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nCOMType = 1\r\n"), std::string::npos);
}

TEST_F(WindowTest, PrintWritesAPdfWithTheDateShownOnlyWhilePrinting) {
    std::string pdf = dir_ + "/panel.pdf";
    SetPrintAttribute(ATTR_PRINT_OUTPUT_FILE, pdf.c_str());
    CmPrint(menuHandle, MENU_FILE_PRINT, nullptr, BkgndPanel);
    SetPrintAttribute(ATTR_PRINT_OUTPUT_FILE, "");
    std::string bytes = ReadFile(pdf);
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_EQ(bytes.compare(0, 5, "%PDF-"), 0);
    // Drawn as text in fonts, not as one picture of the screen.
    EXPECT_NE(bytes.find("/Font"), std::string::npos);

    char date[32] = "";
    GetCtrlVal(MainPanel, PANEL_DATE, date, sizeof date);
    EXPECT_EQ(std::strlen(date), 10u) << date; // dd.mm.yyyy
    EXPECT_EQ(date[2], '.');
    int visible = -1;
    GetCtrlAttribute(MainPanel, PANEL_DATE, ATTR_VISIBLE, &visible);
    EXPECT_EQ(visible, 0);
    GetCtrlAttribute(MainPanel, PANEL_TIME, ATTR_VISIBLE, &visible);
    EXPECT_EQ(visible, 0);
}

TEST_F(WindowTest, AboutShowsTheVersionAndItsButtonClosesIt) {
    CmHelpAbout(menuHandle, MENU_HELP_ABOUT, nullptr, BkgndPanel);
    ASSERT_GT(aboutPanel, 0);
    int first = aboutPanel;
    CmHelpAbout(menuHandle, MENU_HELP_ABOUT, nullptr, BkgndPanel);
    EXPECT_EQ(aboutPanel, first) << "a second about command does not stack a second pop-up";
    char version[16] = "";
    GetCtrlVal(aboutPanel, ABOUT_VERSION, version, sizeof version);
    EXPECT_STREQ(version, "1.00");
    ASSERT_EQ(UserCommit(aboutPanel, ABOUT_CLOSE), 0);
    EXPECT_EQ(aboutPanel, 0);
    // Closing its window does the same.
    CmHelpAbout(menuHandle, MENU_HELP_ABOUT, nullptr, BkgndPanel);
    ASSERT_GT(aboutPanel, 0);
    UserClosePanel(aboutPanel);
    EXPECT_EQ(aboutPanel, 0);
}

} // namespace

namespace {

TEST_F(WindowTest, PicturesOfTheWindowAndAbout) {
    const char *dir = getenv("KR7M_SCREENSHOT_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "set KR7M_SCREENSHOT_DIR to write the pictures";
    std::string base = dir;
    EXPECT_EQ(SavePanelImage(BkgndPanel, (base + "/window.png").c_str()), 0);
    SetPrintAttribute(ATTR_PRINT_OUTPUT_FILE, (base + "/print.pdf").c_str());
    CmPrint(menuHandle, MENU_FILE_PRINT, nullptr, BkgndPanel);
    SetPrintAttribute(ATTR_PRINT_OUTPUT_FILE, "");
    CmHelpAbout(menuHandle, MENU_HELP_ABOUT, nullptr, BkgndPanel);
    EXPECT_EQ(SavePanelImage(aboutPanel, (base + "/about.png").c_str()), 0);
    UserCommit(aboutPanel, ABOUT_CLOSE);
}

} // namespace

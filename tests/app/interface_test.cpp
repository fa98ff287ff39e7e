// The interface dialog and the version pop-up on real panels, against buses of simulated
// instruments (kr7m-sim) on pseudo-terminals: working copies, the bus group, the search with
// its stop button, what OK and Cancel commit, the settings file and the toolbar's selector.
// With KR7M_SCREENSHOT_DIR set the tests also save pictures of the dialog.
#include "app_fixture.h"

#include <string>
#include <vector>

#include "../integration/sim_process.h"
#include "app/interface.h"
#include "config/commands.h"
#include "config/mainpanel.h"
#include "config/record.h"
#include "config/settings.h"
#include "link/linksettings.h"
#include "platform/serial/portmap.h"

namespace {

void Shot(int panel, const char *name) {
    const char *dir = std::getenv("KR7M_SCREENSHOT_DIR");
    if (dir && *dir) SavePanelImage(panel, (std::string(dir) + "/" + name).c_str());
}

std::vector<int> ListedAddresses() {
    std::vector<int> v;
    int n = 0;
    GetNumListItems(handle, INTERFACE_ADDR, &n);
    for (int i = 0; i < n; ++i) {
        char label[16] = "";
        GetLabelFromIndex(handle, INTERFACE_ADDR, i, label, sizeof label);
        v.push_back(std::atoi(label));
    }
    return v;
}

std::vector<int> ToolbarAddresses() {
    std::vector<int> v;
    int n = 0;
    Toolbar_RingCount(gToolbar, gAddrRing, &n);
    int keep = -1;
    Toolbar_RingGetIndex(gToolbar, gAddrRing, &keep);
    for (int i = 0; i < n; ++i) {
        int slot = 0;
        Toolbar_RingSetIndex(gToolbar, gAddrRing, i);
        Toolbar_RingGetValue(gToolbar, gAddrRing, &slot);
        v.push_back(slot >= 1 && slot <= 32 ? DevSearch[slot - 1] : -1);
    }
    if (keep >= 0) Toolbar_RingSetIndex(gToolbar, gAddrRing, keep);
    return v;
}

int Visible(int control) {
    int v = -1;
    GetCtrlAttribute(handle, control, ATTR_VISIBLE, &v);
    return v;
}

int Dimmed(int control) {
    int v = -1;
    GetCtrlAttribute(handle, control, ATTR_DIMMED, &v);
    return v;
}

class InterfaceTest : public apptest::ShellTest {
  protected:
    // Starts the program with the simulated bus on port 2 and the given settings lines.
    void Start(const std::vector<std::string> &simOptions, const std::string &interface) {
        sim_ = std::make_unique<simtest::Sim>(simOptions, true);
        ASSERT_TRUE(sim_->Ready());
        apptest::WriteFile(IniPath(), "[Interface]\r\n" + interface + "\r\n[Ports]\r\nCOM2 = \"" +
                                          sim_->Link() + "\"\r\n\r\n");
        ASSERT_EQ(StartProgram(0, nullptr), 0) << StartupError();
    }
    void Open() {
        ASSERT_EQ(UserChooseMenu(menuHandle, MENU_DEVICE_INTERFACE), 0);
        ASSERT_GT(handle, 0);
        ASSERT_EQ(GetActivePanel(), handle) << "the dialog is modal";
    }
    void TearDown() override {
        if (handle > 0) CmCloseCommSel(handle, INTERFACE_CANCEL, EVENT_COMMIT, nullptr, 0, 0);
        sim_.reset();
        ShellTest::TearDown();
    }
    std::string Ini() { return apptest::ReadFile(IniPath()); }
    bool IniHas(const std::string &line) { return Ini().find(line + "\r\n") != std::string::npos; }

    std::unique_ptr<simtest::Sim> sim_;
};

const char kBusSettings[] = "COMType = 1\r\nCOMPort = 2\r\nBaudrate = 4\r\nParity = 3\r\n"
                            "RTSFlow = 1\r\nDevAddr = 17\r\n";

struct Shown {
    const char *name;
    std::string settings;
    int type, portIndex, baud, parity, rts, range32;
    int busVisible, okDimmed;
};

class DialogShows : public InterfaceTest, public ::testing::WithParamInterface<Shown> {};

TEST_P(DialogShows, TheCommittedSettings) {
    const Shown &s = GetParam();
    Start({"--bus", "3"}, s.settings);
    if (s.range32 == 0) Last_Device = 247;
    Open();
    int v = -1;
    GetCtrlVal(handle, INTERFACE_TYPE, &v);
    EXPECT_EQ(v, s.type);
    GetCtrlIndex(handle, INTERFACE_PORT, &v);
    EXPECT_EQ(v, s.portIndex);
    GetCtrlIndex(handle, INTERFACE_BAUD, &v);
    EXPECT_EQ(v, s.baud);
    GetCtrlIndex(handle, INTERFACE_PARITY, &v);
    EXPECT_EQ(v, s.parity);
    GetCtrlVal(handle, INTERFACE_RTS, &v);
    EXPECT_EQ(v, s.rts);
    GetCtrlVal(handle, INTERFACE_RANGE_32, &v);
    EXPECT_EQ(v, s.range32);
    GetCtrlVal(handle, INTERFACE_RANGE_247, &v);
    EXPECT_EQ(v, 1 - s.range32);
    for (int id : {INTERFACE_BUS, INTERFACE_BAUD, INTERFACE_PARITY, INTERFACE_RTS,
                   INTERFACE_RANGE_32, INTERFACE_RANGE_247, INTERFACE_SEARCH, INTERFACE_ADDR})
        EXPECT_EQ(Visible(id), s.busVisible) << id;
    EXPECT_EQ(Visible(INTERFACE_PROGRESS), 0);
    EXPECT_EQ(Visible(INTERFACE_STOP), 0);
    EXPECT_EQ(Dimmed(INTERFACE_OK), s.okDimmed);
    EXPECT_EQ(gWork.type, s.type);
    EXPECT_EQ(gWork.port, s.portIndex + 1);
    Shot(handle, (std::string("interface-") + s.name + ".png").c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Settings, DialogShows,
    ::testing::Values(
        Shown{"direct", "COMType = 0\r\nCOMPort = 2\r\nRTSFlow = 0\r\n", 0, 1, 3, 0, 0, 1, 0, 0},
        Shown{"bus-unsearched", kBusSettings, 1, 1, 4, 3, 1, 1, 1, 1},
        Shown{"bus-known", std::string(kBusSettings) + "DevAddr1 = 3\r\n", 1, 1, 4, 3, 1, 0, 1, 0},
        Shown{"odd-port", "COMType = 1\r\nCOMPort = 8\r\nBaudrate = 0\r\nParity = 2\r\n", 1, 7, 0,
              2, 1, 1, 1, 1}),
    [](const ::testing::TestParamInfo<Shown> &info) {
        std::string n = info.param.name;
        for (char &c : n)
            if (c == '-') c = '_';
        return n;
    });

TEST_F(InterfaceTest, EveryControlEditsItsWorkingCopyAndOnlyOkCommits) {
    Start({"--bus", "3"}, "COMType = 0\r\nCOMPort = 2\r\nDevAddr1 = 3\r\nDevAddr = 3\r\n");
    Open();
    struct Edit {
        int control, value;
        int InterfaceWork::*field;
        int expected;
    };
    const Edit edits[] = {
        {INTERFACE_TYPE, 1, &InterfaceWork::type, 1},
        {INTERFACE_PORT, 4, &InterfaceWork::port, 5}, // ring index 4 is port 5
        {INTERFACE_BAUD, 1, &InterfaceWork::baud, 1},
        {INTERFACE_PARITY, 2, &InterfaceWork::par, 2},
        {INTERFACE_RTS, 0, &InterfaceWork::rts, 0},
    };
    for (const Edit &e : edits) {
        if (e.control == INTERFACE_RTS)
            SetCtrlVal(handle, e.control, e.value);
        else
            SetCtrlIndex(handle, e.control, e.value);
        ASSERT_EQ(UserCommit(handle, e.control), 0) << e.control;
        EXPECT_EQ(gWork.*e.field, e.expected) << e.control;
    }
    EXPECT_EQ(Visible(INTERFACE_BAUD), 1) << "the bus group appears with the bus";
    EXPECT_EQ(ListedAddresses(), (std::vector<int>{3}));
    EXPECT_EQ(CommType, 0) << "nothing is committed before OK";
    EXPECT_EQ(CommPort, 2);
    EXPECT_EQ(RTSFlow, 0) << "but the RTS box takes effect at once";

    ASSERT_EQ(UserCommit(handle, INTERFACE_RANGE_247), 0);
    EXPECT_EQ(Last_Device, 247);
    ASSERT_EQ(UserCommit(handle, INTERFACE_RANGE_32), 0);
    EXPECT_EQ(Last_Device, 32);

    ASSERT_EQ(UserCommit(handle, INTERFACE_OK), 0);
    EXPECT_EQ(handle, 0);
    EXPECT_EQ(CommType, 1);
    EXPECT_EQ(CommPort, 5);
    EXPECT_EQ(Baudrate, 1);
    EXPECT_EQ(Parity, 2);
    EXPECT_EQ(DeviceAddr, 3);
    EXPECT_TRUE(IniHas("COMPort = 5"));
    EXPECT_TRUE(IniHas("Parity = 2"));
    EXPECT_EQ(GetActivePanel(), MainPanel);
}

TEST_F(InterfaceTest, CancelDropsTheWorkingCopiesButKeepsTheRtsChange) {
    Start({"--bus", "3"}, kBusSettings);
    Open();
    SetCtrlIndex(handle, INTERFACE_BAUD, 0);
    UserCommit(handle, INTERFACE_BAUD);
    SetCtrlVal(handle, INTERFACE_RTS, 0);
    ASSERT_EQ(UserCommit(handle, INTERFACE_RTS), 0);
    SetCtrlVal(handle, INTERFACE_TYPE, 0);
    ASSERT_EQ(UserCommit(handle, INTERFACE_TYPE), 0);
    EXPECT_EQ(UserCommit(handle, INTERFACE_RTS), UIE_NOT_ACCESSIBLE) << "hidden off the bus";
    ASSERT_EQ(UserCommit(handle, INTERFACE_CANCEL), 0);
    EXPECT_EQ(handle, 0);
    EXPECT_EQ(CommType, 1);
    EXPECT_EQ(Baudrate, 4);
    EXPECT_EQ(RTSFlow, 0);
}

TEST_F(InterfaceTest, SearchFindsTheBusAndOkFillsTheToolbar) {
    Start({"--bus", "3,17,30"}, "COMType = 0\r\nCOMPort = 2\r\nBaudrate = 4\r\nParity = 3\r\n"
                                "DevAddr = 17\r\nDevAddr1 = 99\r\n");
    Open();
    SetCtrlVal(handle, INTERFACE_TYPE, 1);
    UserCommit(handle, INTERFACE_TYPE);
    ASSERT_EQ(UserCommit(handle, INTERFACE_SEARCH), 0);
    EXPECT_EQ(ListedAddresses(), (std::vector<int>{3, 17, 30}));
    int selected = -1;
    GetCtrlIndex(handle, INTERFACE_ADDR, &selected);
    EXPECT_EQ(selected, 1) << "the address talked to is selected";
    EXPECT_EQ(Dimmed(INTERFACE_OK), 0);
    EXPECT_EQ(Visible(INTERFACE_PROGRESS), 0);
    EXPECT_EQ(Visible(INTERFACE_SEARCH), 1);
    EXPECT_EQ(CommType, 0) << "the committed type is back after the search";
    EXPECT_EQ(DeviceAddr, 17);
    // The file was written with the dialog's connection type and the new list.
    EXPECT_TRUE(IniHas("COMType = 1"));
    EXPECT_TRUE(IniHas("DevAddr1 = 3"));
    EXPECT_TRUE(IniHas("DevAddr3 = 30"));
    EXPECT_TRUE(IniHas("DevAddr4 = 0"));
    Shot(handle, "interface-bus-after-search.png");

    SetCtrlIndex(handle, INTERFACE_ADDR, 2);
    ASSERT_EQ(UserCommit(handle, INTERFACE_OK), 0);
    EXPECT_EQ(DeviceAddr, 30);
    EXPECT_EQ(CommType, 1);
    EXPECT_EQ(ToolbarAddresses(), (std::vector<int>{3, 17, 30}));
    int index = -1;
    Toolbar_RingGetIndex(gToolbar, gAddrRing, &index);
    EXPECT_EQ(index, 2);
    EXPECT_TRUE(IniHas("DevAddr = 30"));
}

TEST_F(InterfaceTest, MoreThanThirtyTwoInstrumentsKeepTheFirstThirtyTwo) {
    std::string bus;
    for (int a = 1; a <= 40; ++a) bus += (a > 1 ? "," : "") + std::to_string(a * 5);
    Start({"--bus", bus}, kBusSettings);
    Open();
    UserCommit(handle, INTERFACE_RANGE_247);
    ASSERT_EQ(UserCommit(handle, INTERFACE_SEARCH), 0);
    std::vector<int> want;
    for (int a = 1; a <= 32; ++a) want.push_back(a * 5);
    EXPECT_EQ(ListedAddresses(), want);
}

int gErrors = 0;
void AcknowledgeErrors(void *) {
    int panel = GetActivePanel(), resource = 0;
    GetPanelAttribute(panel, ATTR_RESOURCE_ID, &resource);
    if (resource == ERROR) {
        ++gErrors;
        UserCommit(panel, ERROR_OK);
    } else {
        PostDeferredCall(AcknowledgeErrors, nullptr);
    }
}

TEST_F(InterfaceTest, SearchWithThePortMissingLeavesTheListAsItWas) {
    Start({"--bus", "3"}, std::string(kBusSettings) + "DevAddr1 = 8\r\nDevAddr2 = 9\r\n");
    Open();
    std::snprintf(gWork.paths[1], kPortPathSize, "%s", (dir_ + "/unplugged").c_str());
    gErrors = 0;
    PostDeferredCall(AcknowledgeErrors, nullptr);
    ASSERT_EQ(UserCommit(handle, INTERFACE_SEARCH), 0);
    EXPECT_EQ(gErrors, 1);
    EXPECT_EQ(ListedAddresses(), (std::vector<int>{8, 9}));
    EXPECT_EQ(DevSearch[0], 8);
    EXPECT_EQ(Search_Result, 1);
    EXPECT_EQ(Dimmed(INTERFACE_OK), 0);
    EXPECT_STREQ(ComPortDevice(2), sim_->Link().c_str()) << "the committed map is back";
}

// Runs inside the search's event processing: looks at the dialog, tries what the user might,
// and presses stop once the search has reached address 8.
struct DuringSearch {
    int okRefused = 0, closeIgnored = 0, stopped = 0;
} gDuring;

void WatchSearch(void *) {
    char text[64] = "";
    GetCtrlVal(handle, INTERFACE_PROGRESS, text, sizeof text);
    if (std::string(text).rfind("Address 8 ", 0) != 0) {
        PostDeferredCall(WatchSearch, nullptr);
        return;
    }
    Shot(handle, "interface-bus-searching.png");
    gDuring.okRefused = UserCommit(handle, INTERFACE_OK) == UIE_NOT_ACCESSIBLE;
    CmCloseCommSel(handle, INTERFACE_CANCEL, EVENT_COMMIT, nullptr, 0, 0);
    gDuring.closeIgnored = handle > 0;
    gDuring.stopped = UserCommit(handle, INTERFACE_STOP) == 0;
}

TEST_F(InterfaceTest, StopEndsTheSearchAfterTheCurrentProbeKeepingTheFinds) {
    Start({"--bus", "3,6,20"}, kBusSettings);
    Open();
    gDuring = DuringSearch{};
    PostDeferredCall(WatchSearch, nullptr);
    ASSERT_EQ(UserCommit(handle, INTERFACE_SEARCH), 0);
    EXPECT_TRUE(gDuring.okRefused) << "OK is dimmed while searching";
    EXPECT_TRUE(gDuring.closeIgnored) << "no other callback of the dialog acts meanwhile";
    EXPECT_TRUE(gDuring.stopped);
    EXPECT_EQ(ListedAddresses(), (std::vector<int>{3, 6}));
    EXPECT_EQ(Dimmed(INTERFACE_OK), 0);
    EXPECT_EQ(Visible(INTERFACE_STOP), 0);
    EXPECT_LE(sim_->CountRequests("08"), 9) << "no probes after the stop";
}

struct VersionSeen {
    std::string v1, v2, title;
} gVersion;

void ReadVersionPopup(void *) {
    int panel = GetActivePanel(), resource = 0;
    GetPanelAttribute(panel, ATTR_RESOURCE_ID, &resource);
    if (resource != VERSION) {
        PostDeferredCall(ReadVersionPopup, nullptr);
        return;
    }
    char text[256] = "";
    GetCtrlVal(panel, VERSION_V1, text, sizeof text);
    gVersion.v1 = text;
    GetCtrlVal(panel, VERSION_V2, text, sizeof text);
    gVersion.v2 = text;
    GetPanelAttribute(panel, ATTR_TITLE, text, sizeof text);
    gVersion.title = text;
    Shot(panel, "version.png");
    UserCommit(panel, VERSION_CLOSE);
}

struct VersionCase {
    const char *name;
    std::vector<std::string> sim;
    std::string settings, v1, v2, title;
};

class VersionShows : public InterfaceTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionShows, BothNumbersWithTwoDecimals) {
    const VersionCase &c = GetParam();
    Start(c.sim, c.settings);
    gVersion = VersionSeen{};
    PostDeferredCall(ReadVersionPopup, nullptr);
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_DEVICE_VERSION), 0);
    EXPECT_EQ(gVersion.v1, c.v1);
    EXPECT_EQ(gVersion.v2, c.v2);
    EXPECT_EQ(gVersion.title, c.title);
    EXPECT_EQ(GetActivePanel(), MainPanel) << "the pop-up is gone";
    EXPECT_EQ(CommPortOpen, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Instruments, VersionShows,
    ::testing::Values(VersionCase{"Direct",
                                  {"--version1", "123", "--version2", "7"},
                                  "COMType = 0\r\nCOMPort = 2\r\n",
                                  "1.23",
                                  "0.07",
                                  "Version information"},
                      VersionCase{"OnTheBus",
                                  {"--bus", "17", "--version1", "1000", "--version2", "99"},
                                  kBusSettings,
                                  "10.00",
                                  "0.99",
                                  "Version information (Device address 17)"}),
    [](const ::testing::TestParamInfo<VersionCase> &info) { return std::string(info.param.name); });

TEST_F(InterfaceTest, VersionReadThatFailsShowsTheErrorAndNoPopup) {
    Start({"--bus", "3"}, kBusSettings); // DevAddr 17 is not on this bus
    gErrors = 0;
    PostDeferredCall(AcknowledgeErrors, nullptr);
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_DEVICE_VERSION), 0);
    EXPECT_EQ(gErrors, 1);
    EXPECT_EQ(GetActivePanel(), MainPanel);
}

} // namespace

namespace {

struct ChooserSeen {
    int listed = -1;
    std::string path, title;
} gChooser;

void AnswerChooser(void *data) {
    int panel = GetActivePanel(), resource = 0;
    GetPanelAttribute(panel, ATTR_RESOURCE_ID, &resource);
    if (resource != PORTDEV) {
        PostDeferredCall(AnswerChooser, data);
        return;
    }
    GetNumListItems(panel, PORTDEV_LIST, &gChooser.listed);
    char text[512] = "";
    GetCtrlVal(panel, PORTDEV_PATH, text, sizeof text);
    gChooser.path = text;
    GetPanelAttribute(panel, ATTR_TITLE, text, sizeof text);
    gChooser.title = text;
    Shot(panel, "portdevice.png");
    SetCtrlVal(panel, PORTDEV_PATH, static_cast<const char *>(data));
    UserCommit(panel, PORTDEV_OK);
}

TEST_F(InterfaceTest, ChoosingADeviceForAPortNumberIsCommittedByOk) {
    Start({"--bus", "3"}, "COMType = 0\r\nCOMPort = 2\r\n");
    Open();
    SetCtrlIndex(handle, INTERFACE_PORT, 5);
    UserCommit(handle, INTERFACE_PORT);
    char text[512] = "";
    GetCtrlVal(handle, INTERFACE_PORT_PATH, text, sizeof text);
    EXPECT_STREQ(text, "Port 6 opens /dev/ttyS1");

    static std::string typed;
    typed = sim_->Link();
    gChooser = ChooserSeen{};
    PostDeferredCall(AnswerChooser, const_cast<char *>(typed.c_str()));
    ASSERT_EQ(UserCommit(handle, INTERFACE_DEVICE), 0);
    // The chooser is a pop-up of its own: wait for its answer.
    for (int i = 0; i < 200 && gChooser.listed < 0; ++i) ProcessSystemEvents();
    for (int i = 0; i < 20; ++i) ProcessSystemEvents();
    EXPECT_GE(gChooser.listed, 0);
    EXPECT_EQ(gChooser.path, "/dev/ttyS1") << "the chooser starts from the port's device";
    EXPECT_EQ(gChooser.title, "Serial device for port 6");
    EXPECT_STREQ(gWork.paths[5], typed.c_str());
    GetCtrlVal(handle, INTERFACE_PORT_PATH, text, sizeof text);
    EXPECT_EQ(std::string(text), "Port 6 opens " + typed);
    GetCtrlVal(handle, INTERFACE_PORT_STATE, text, sizeof text);
    EXPECT_STREQ(text, "pseudo-terminal, connected.");
    EXPECT_STREQ(ComPortDevice(6), "/dev/ttyS1") << "not before OK";

    ASSERT_EQ(UserCommit(handle, INTERFACE_OK), 0);
    EXPECT_EQ(CommPort, 6);
    EXPECT_STREQ(ComPortDevice(6), typed.c_str());
    EXPECT_TRUE(IniHas("COM6 = \"" + typed + "\"") || IniHas("COM6 = " + typed)) << Ini();
}

} // namespace

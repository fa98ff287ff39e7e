// The toolbar's transfer buttons against the simulated instrument on a pseudo-terminal: the
// whole way from a button through the menu command, the confirmation pop-up and the link.
#include "app_fixture.h"
#include "config/mainpanel.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <sys/wait.h>

#include "config/commands.h"
#include "config/record.h"
#include "link/frame.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "platform/serial/portmap.h"
#include "platform/serial/rs232.h"
#include "views/views.h"

namespace {

class DeviceTest : public apptest::ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        link_ = dir_ + "/sim";
        std::string sim = std::string(KR7M_BIN_DIR) + "/kr7m-sim";
        const char *fault = SimFault();
        pid_ = fork();
        ASSERT_GE(pid_, 0);
        if (pid_ == 0) {
            if (fault)
                execl(sim.c_str(), sim.c_str(), link_.c_str(), "--fault", fault,
                      static_cast<char *>(nullptr));
            else
                execl(sim.c_str(), sim.c_str(), link_.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
        struct stat st;
        for (int i = 0; i < 100 && lstat(link_.c_str(), &st) != 0; ++i) usleep(50000);
        ASSERT_EQ(lstat(link_.c_str(), &st), 0) << "the simulator did not come up";
        // Port 1 is the simulator's terminal; the direct connection talks to it.
        apptest::WriteFile(IniPath(), "[Interface]\r\nCOMPort = 1\r\nCOMType = 0\r\n\r\n"
                                      "[Ports]\r\nCOM1 = \"" +
                                          link_ + "\"\r\n\r\n");
        ASSERT_EQ(StartProgram(0, nullptr), 0) << StartupError();
    }
    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
        ShellTest::TearDown();
    }

    // Fault rules of the simulator (--fault), none by default.
    virtual const char *SimFault() const { return nullptr; }

    std::string link_;
    pid_t pid_ = -1;
};

// Toolbar positions: each button is followed by a separator.
constexpr int kSendButton = 7;    // download.bmp
constexpr int kReceiveButton = 9; // upload.bmp

void Confirm(void *) {
    UserCommit(GetActivePanel(), WARNING_CONFIRM);
}

TEST_F(DeviceTest, ToolbarSendsAndReadsBackTheConfiguration) {
    std::snprintf(Konf.Descr, sizeof Konf.Descr, "edited here");
    ASSERT_EQ(Toolbar_UserPress(gToolbar, kReceiveButton), 0);
    EXPECT_STREQ(Konf.Descr, "KR7M simulator") << "read back from the instrument";
    EXPECT_EQ(CommPortOpen, 0) << "the port is closed after the command";

    std::snprintf(Konf.Descr, sizeof Konf.Descr, "sent from the toolbar");
    ASSERT_EQ(PostDeferredCall(Confirm, nullptr), 0);
    ASSERT_EQ(Toolbar_UserPress(gToolbar, kSendButton), 0);
    EXPECT_EQ(CommPortOpen, 0);

    std::snprintf(Konf.Descr, sizeof Konf.Descr, "overwritten");
    ASSERT_EQ(Toolbar_UserPress(gToolbar, kReceiveButton), 0);
    EXPECT_STREQ(Konf.Descr, "sent from the toolbar");

    // No pop-up of the transfers is left behind: the exit command still ends the program.
    // The configuration read back is not saved anywhere: the exit asks first.
    static int bar;
    bar = menuHandle;
    apptest::gUnsavedAnswer = SAVEASK_DISCARD;
    apptest::gUnsavedAsked = 0;
    ASSERT_EQ(PostDeferredCall([](void *) { UserChooseMenu(bar, MENU_FILE_EXIT); }, nullptr), 0);
    ASSERT_EQ(PostDeferredCall(apptest::AnswerUnsavedChanges, nullptr), 0);
    EXPECT_EQ(RunUserInterface(), 0);
    EXPECT_EQ(apptest::gUnsavedAsked, 1);
}

int gErrorsShown = 0;
void AcknowledgeError(void *) {
    int panel = GetActivePanel();
    int resource = 0;
    GetPanelAttribute(panel, ATTR_RESOURCE_ID, &resource);
    if (resource == ERROR) {
        ++gErrorsShown;
        UserCommit(panel, ERROR_OK);
    }
}

TEST_F(DeviceTest, RestartIntervalTalksOnlyWhenThePortOpens) {
    status = 0;
    CmRestartInterval(MainPanel, 0, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(status, 1) << "the instrument took the command";
    EXPECT_EQ(CommPortOpen, 0);

    // A vanished port: one error, nothing sent, the port stays closed.
    ASSERT_EQ(SetComPortDevice(1, (dir_ + "/gone").c_str()), 0);
    gErrorsShown = 0;
    ASSERT_EQ(PostDeferredCall(AcknowledgeError, nullptr), 0);
    CmRestartInterval(MainPanel, 0, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(gErrorsShown, 1);
    EXPECT_EQ(CommPortOpen, 0);
}

// Pressed while a view holds the port open, the restart leaves it open for the view's readings.
TEST_F(DeviceTest, RestartIntervalKeepsTheViewsPortOpen) {
    ASSERT_EQ(InitInterface(CommPort), 1);
    status = 0;
    CmRestartInterval(MainPanel, 0, EVENT_COMMIT, nullptr, 0, 0);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(CommPortOpen, 1);
    EXPECT_EQ(Read(&Lese, ReadDeviceInfo, 0), 1) << "the view's next reading";
    CloseInterface();
}

} // namespace

namespace {

// An instrument that never answers: every exchange runs into its time-outs.
class SilentDeviceTest : public DeviceTest {
  protected:
    const char *SimFault() const override { return "drop"; }
};

int gDeferredRan = 0;

// Four attempts into silence: how long they take, and whether the windows were painted and the
// held events stayed held meanwhile.
struct SilentExchange {
    double seconds;
    long long paints;
    int held;
};
SilentExchange ReadIntoSilence() {
    EXPECT_EQ(InitInterface(CommPort), 1);
    long long before = PaintCount();
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Read(&Lese, ReadDeviceInfo, 0), 0);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    SilentExchange r{seconds, PaintCount() - before, HeldEventCount()};
    CloseInterface();
    return r;
}

} // namespace

TEST_F(SilentDeviceTest, AWaitingExchangeKeepsPaintingAndRunsNoCallback) {
    PaintCount();
    // The window settles first (its size events redraw the main panel from the record).
    for (auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
         std::chrono::steady_clock::now() < end;)
        ProcessSystemEvents();
    // Program changes that need painting, a deferred call and a commit of the user, all queued
    // before the exchange starts.
    SetCtrlVal(MainPanel, PANEL_DESCR, "typed while the instrument is silent");
    gDeferredRan = 0;
    ASSERT_EQ(PostDeferredCall([](void *) { ++gDeferredRan; }, nullptr), 0);
    ASSERT_EQ(UserCommitLater(MainPanel, PANEL_DESCR), 0);
    std::snprintf(Konf.Descr, sizeof Konf.Descr, "before");

    SilentExchange held = ReadIntoSilence();
    EXPECT_GT(held.paints, 0) << "the windows were painted while the exchange waited";
    EXPECT_EQ(gDeferredRan, 0) << "no deferred call ran inside the exchange";
    EXPECT_STREQ(Konf.Descr, "before") << "the user's commit did not run inside the exchange";
    EXPECT_EQ(held.held, 2);

    ProcessSystemEvents();
    EXPECT_EQ(gDeferredRan, 1);
    EXPECT_STREQ(Konf.Descr, "typed while the instrument is silent")
        << "the commit ran once the exchange was over";

    // The painting costs the time-outs nothing: the same silence without it takes as long.
    SetComWaitHook(nullptr);
    SilentExchange bare = ReadIntoSilence();
    EXPECT_EQ(bare.paints, 0);
    EXPECT_NEAR(held.seconds, bare.seconds, 0.06);
    const double expected = 4 * (Rec_Timeout[BaudIndex()] + 0.0);
    EXPECT_GE(held.seconds, expected);
}

namespace {

std::string StatusText(int control) {
    char text[2048] = "";
    GetCtrlVal(BkgndPanel, control, text, sizeof text);
    return text;
}

void Decline(void *) {
    int panel = GetActivePanel(), resource = 0;
    GetPanelAttribute(panel, ATTR_RESOURCE_ID, &resource);
    if (resource == WARNING)
        UserCommit(panel, WARNING_DECLINE);
    else
        PostDeferredCall(Decline, nullptr);
}

// Confirms the send, then acknowledges every error until none is left.
void ConfirmThenAcknowledge(void *) {
    int panel = GetActivePanel(), resource = 0;
    GetPanelAttribute(panel, ATTR_RESOURCE_ID, &resource);
    if (resource == WARNING) UserCommit(panel, WARNING_CONFIRM);
    if (resource == ERROR) {
        UserCommit(panel, ERROR_OK);
        return;
    }
    PostDeferredCall(ConfirmThenAcknowledge, nullptr);
}

} // namespace

TEST_F(DeviceTest, StatusBarTellsThePortAndTheLastTransfer) {
    EXPECT_EQ(StatusText(BKGND_STATUS_PORT), "Port 1: " + link_ + ", direct connection");
    EXPECT_EQ(StatusText(BKGND_STATUS_RESULT), "") << "nothing was sent yet";
    ASSERT_EQ(PostDeferredCall(Confirm, nullptr), 0);
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_DEVICE_SEND), 0);
    std::string result = StatusText(BKGND_STATUS_RESULT);
    EXPECT_NE(result.find("Configuration sent to address 255 on " + link_), std::string::npos)
        << result;
    EXPECT_EQ(result.size(),
              std::string("hh:mm:ss  Configuration sent to address 255 on ").size() + link_.size());
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_DEVICE_RECEIVE), 0);
    result = StatusText(BKGND_STATUS_RESULT);
    EXPECT_NE(result.find("Configuration read from address 255"), std::string::npos) << result;

    // A declined send changes nothing of what the bar says.
    ASSERT_EQ(PostDeferredCall(Decline, nullptr), 0);
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_DEVICE_SEND), 0);
    EXPECT_EQ(StatusText(BKGND_STATUS_RESULT), result);
}

TEST_F(SilentDeviceTest, StatusBarSaysWhyTheSendFailed) {
    ASSERT_EQ(PostDeferredCall(ConfirmThenAcknowledge, nullptr), 0);
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_DEVICE_SEND), 0);
    std::string result = StatusText(BKGND_STATUS_RESULT);
    EXPECT_NE(result.find("Sending failed: The instrument does not answer."), std::string::npos)
        << result;
}

// The error, confirmation and transfer pop-ups of the graphical program.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <unistd.h>

#include "MainPan.h"
#include "link/messages.h"
#include "link/report.h"
#include "link/report_popup.h"
#include "platform/ui/resourcefile.h"
#include "platform/ui/userint.h"

namespace {

std::string ResourceFile() {
    return std::string(KR7M_BIN_DIR) + "/MainPan.uir";
}

// What the simulated user does once the pop-up is up, and what it saw there.
enum Action { kConfirm, kDecline, kCloseWindow, kEnter };
Action gAction;
int gSeenPanel;
std::string gSeenHeading, gSeenText, gSeenDetail;
int gSeenDetailVisible;
int gSeenActive;

// The shown text with its line breaks undone; fails when a line is wider than the pop-up allows.
std::string Joined(const std::string &shown) {
    std::string out;
    size_t start = 0;
    for (;;) {
        size_t end = shown.find('\n', start);
        std::string line = shown.substr(start, end == std::string::npos ? end : end - start);
        EXPECT_LE(line.size(), 60u) << line;
        out += (start ? " " : "") + line;
        if (end == std::string::npos) return out;
        start = end + 1;
    }
}

void Answer(void *) {
    int panel = GetActivePanel();
    gSeenPanel = panel;
    char text[1024] = "";
    bool error = false;
    int resource = 0;
    GetPanelAttribute(panel, ATTR_RESOURCE_ID, &resource);
    error = resource == ERROR;
    GetCtrlVal(panel, error ? ERROR_HEADING : WARNING_HEADING, text, sizeof text);
    gSeenHeading = text;
    GetCtrlVal(panel, error ? ERROR_TEXT : WARNING_TEXT, text, sizeof text);
    gSeenText = Joined(text);
    gSeenActive = GetActiveCtrl(panel);
    if (error) {
        GetCtrlVal(panel, ERROR_DETAIL, text, sizeof text);
        gSeenDetail = Joined(text);
        GetCtrlAttribute(panel, ERROR_DETAIL, ATTR_VISIBLE, &gSeenDetailVisible);
    }
    switch (gAction) {
    case kConfirm:
        UserCommit(panel, error ? ERROR_OK : WARNING_CONFIRM);
        break;
    case kDecline:
        UserCommit(panel, WARNING_DECLINE);
        break;
    case kCloseWindow:
        UserClosePanel(panel);
        break;
    case kEnter:
        UserCommit(panel, GetActiveCtrl(panel));
        break;
    }
}

class PopupTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(InitUserInterface(0, nullptr), 0);
        SetMainResourceFile(ResourceFile().c_str());
        // The pop-ups are loaded in English, with the language file the program has beside it.
        ASSERT_EQ(chdir(KR7M_BIN_DIR), 0);
    }
    void SetUp() override {
        alarm(30); // a pop-up that never returns ends the test program
        gSeenPanel = 0;
        gSeenHeading.clear();
        gSeenText.clear();
        gSeenDetail.clear();
        gSeenDetailVisible = -1;
    }
    void TearDown() override { alarm(0); }

    int Ask(Action action, int title, int message) {
        gAction = action;
        EXPECT_EQ(PostDeferredCall(Answer, nullptr), 0);
        return Warnung(title, message);
    }
};

TEST_F(PopupTest, WarnungConfirmsOnlyWithTheConfirmButton) {
    struct {
        Action action;
        int expected;
    } cases[] = {{kConfirm, 1}, {kDecline, 0}, {kCloseWindow, 0}, {kEnter, 1}};
    for (const auto &c : cases) {
        EXPECT_EQ(Ask(c.action, 0, 0), c.expected) << "action " << c.action;
        EXPECT_GT(gSeenPanel, 0);
        EXPECT_EQ(gSeenActive, WARNING_CONFIRM) << "Enter confirms";
    }
}

TEST_F(PopupTest, WarnungShowsTheNumberedTexts) {
    for (int n = 0; n < messages::Count(messages::kWarningTitles); ++n) {
        Ask(kDecline, n, n);
        EXPECT_EQ(gSeenHeading, messages::WarningTitle(n));
        EXPECT_EQ(gSeenText, messages::WarningMessage(n));
    }
}

TEST_F(PopupTest, ErrorShowsTheNumberedTextsAndIsAcknowledged) {
    struct {
        int title, message;
    } pairs[] = {{0, 0}, {0, 1}, {0, 2}, {0, 4}, {2, 5}, {3, 6}, {4, 7}, {4, 8}, {6, 9}};
    for (const auto &p : pairs) {
        gAction = kConfirm;
        PostDeferredCall(Answer, nullptr);
        EXPECT_EQ(Error(p.title, p.message), 1);
        EXPECT_EQ(gSeenHeading, messages::ErrorTitle(p.title));
        EXPECT_EQ(gSeenText, messages::ErrorMessage(p.message));
        EXPECT_EQ(gSeenDetailVisible, 0);
    }
}

TEST_F(PopupTest, ErrorShowsTheDetailOnceAndClosingTheWindowAcknowledges) {
    SetErrorDetail("/dev/ttyUSB0: permission denied");
    gAction = kCloseWindow;
    PostDeferredCall(Answer, nullptr);
    EXPECT_EQ(Error(0, 1), 1);
    EXPECT_EQ(gSeenDetail, "/dev/ttyUSB0: permission denied");
    EXPECT_EQ(gSeenDetailVisible, 1);
    gAction = kConfirm;
    PostDeferredCall(Answer, nullptr);
    Error(0, 1);
    EXPECT_EQ(gSeenDetailVisible, 0) << "the detail belongs to one error only";
}

TEST_F(PopupTest, NumbersOutsideTheTablesStillGiveAReadablePopup) {
    gAction = kConfirm;
    PostDeferredCall(Answer, nullptr);
    EXPECT_EQ(Error(42, -1), 1);
    EXPECT_FALSE(gSeenHeading.empty());
    EXPECT_NE(gSeenText.find("42"), std::string::npos) << gSeenText;
    EXPECT_EQ(Ask(kConfirm, 7, 9), 1);
}

TEST_F(PopupTest, MissingResourceDeclinesAndStillAcknowledges) {
    SetMainResourceFile("/nonexistent/MainPan.uir");
    testing::internal::CaptureStderr();
    EXPECT_EQ(Warnung(0, 0), 0) << "nothing consequential happens without an answer";
    EXPECT_EQ(Error(0, 2), 1);
    std::string said = testing::internal::GetCapturedStderr();
    SetMainResourceFile(ResourceFile().c_str());
    EXPECT_NE(said.find("message 2"), std::string::npos) << said;
}

TEST_F(PopupTest, TransferWindowShowsProgressAndGoesAway) {
    TransferWindow(1, 0, 0.0); // removing nothing is harmless
    EXPECT_EQ(pHandle, 0);
    TransferWindow(0, 0, 0.0);
    ASSERT_GT(pHandle, 0);
    int first = pHandle;
    struct {
        int value, shown;
    } steps[] = {{13, 13}, {27, 27}, {100, 100}, {150, 100}, {-5, 0}};
    for (const auto &s : steps) {
        TransferWindow(2, s.value, 0.0);
        double shown = -1;
        GetCtrlVal(pHandle, TRANSFER_PROGRESS, &shown);
        EXPECT_DOUBLE_EQ(shown, s.shown) << s.value;
    }
    TransferWindow(0, 0, 0.0); // shown twice: still one pop-up
    EXPECT_GT(pHandle, 0);
    int resource = 0;
    EXPECT_LT(GetPanelAttribute(first, ATTR_RESOURCE_ID, &resource), 0)
        << "the first pop-up is gone";
    TransferWindow(1, 0, 0.0);
    EXPECT_EQ(pHandle, 0);
    TransferWindow(2, 50, 0.0); // progress without a pop-up is ignored
}

} // namespace

namespace {

// Pictures of the pop-ups for a look by eye: written to KR7M_SCREENSHOT_DIR when it is set.
std::string gPictureName;
void Picture(void *) {
    const char *dir = getenv("KR7M_SCREENSHOT_DIR");
    int panel = GetActivePanel();
    if (dir && *dir) {
        EXPECT_EQ(SavePanelImage(panel, (std::string(dir) + "/" + gPictureName).c_str()), 0);
    }
    int resource = 0;
    GetPanelAttribute(panel, ATTR_RESOURCE_ID, &resource);
    UserCommit(panel, resource == ERROR ? ERROR_OK : WARNING_DECLINE);
}

TEST_F(PopupTest, PicturesOfThePopups) {
    if (!getenv("KR7M_SCREENSHOT_DIR"))
        GTEST_SKIP() << "set KR7M_SCREENSHOT_DIR to write the pictures";
    gPictureName = "error.png";
    SetErrorDetail("/dev/ttyUSB0: permission denied. Add yourself to the group dialout.");
    PostDeferredCall(Picture, nullptr);
    Error(0, 0);
    gPictureName = "warning.png";
    PostDeferredCall(Picture, nullptr);
    Warnung(2, 2);
    TransferWindow(0, 0, 0.0);
    TransferWindow(2, 27, 0.0);
    std::string dir = getenv("KR7M_SCREENSHOT_DIR");
    EXPECT_EQ(SavePanelImage(pHandle, (dir + "/transfer.png").c_str()), 0);
    TransferWindow(1, 0, 0.0);
}

} // namespace

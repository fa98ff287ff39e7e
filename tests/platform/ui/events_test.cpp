// User actions and the event loop: callbacks answer the user only, timers tick, pop-ups wait
// for the next commit, the loop ends with QuitUserInterface.
#include "uitest.h"

#include <chrono>

namespace {

// Runs events until pred holds or about two seconds have passed.
using Clock = std::chrono::steady_clock;

template <class Pred> bool WaitFor(Pred pred, int ms = 2000) {
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (!pred() && Clock::now() < end) ProcessSystemEvents();
    return pred();
}

void RunEventsFor(int ms) {
    WaitFor([] { return false; }, ms);
}

TEST_F(UiTest, ProgramChangesFireNoCallbacks) {
    int p = Load(MAIN);
    ASSERT_EQ(DisplayPanel(p), 0);
    SetCtrlVal(p, MAIN_COUNT, 9);
    SetCtrlVal(p, MAIN_RATIO, 0.5);
    SetCtrlVal(p, MAIN_NAME, "xyz");
    SetCtrlVal(p, MAIN_MODE, 4);
    SetCtrlVal(p, MAIN_ENABLE, 1);
    SetCtrlVal(p, MAIN_PICKS, 2);
    SetCtrlIndex(p, MAIN_MODE, 0);
    ClearListCtrl(p, MAIN_PICKS);
    InsertListItem(p, MAIN_PICKS, -1, "x", 1);
    SetCtrlAttribute(p, MAIN_COUNT, ATTR_MAX_VALUE, 3.0); // coerces the value
    SetTableCellVal(p, MAIN_CELLS, 1, 1, "cell");
    ProcessSystemEvents();
    EXPECT_TRUE(Calls().empty());
}

TEST_F(UiTest, UserCommitsFireTheControlCallback) {
    int p = Load(MAIN);
    for (int ctrl : {MAIN_GO, MAIN_MODE, MAIN_COUNT, MAIN_NAME, MAIN_ENABLE, MAIN_PICKS}) {
        Calls().clear();
        ASSERT_EQ(UserCommit(p, ctrl), 0);
        ASSERT_EQ(Calls().size(), 1u) << ctrl;
        EXPECT_EQ(Calls()[0].handle, p);
        EXPECT_EQ(Calls()[0].id, ctrl);
        EXPECT_EQ(Calls()[0].event, EVENT_COMMIT);
    }
    // The user cannot reach a dimmed or hidden control.
    Calls().clear();
    SetCtrlAttribute(p, MAIN_GO, ATTR_DIMMED, 1);
    EXPECT_EQ(UserCommit(p, MAIN_GO), UIE_NOT_ACCESSIBLE);
    SetCtrlAttribute(p, MAIN_MODE, ATTR_VISIBLE, 0);
    EXPECT_EQ(UserCommit(p, MAIN_MODE), UIE_NOT_ACCESSIBLE);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(UiTest, TypedEntriesPassTheControlsChecks) {
    int p = Load(MAIN);
    struct Case {
        const char *name;
        int ctrl;
        double before; // set by the program first
        const char *typed;
        double after;
        const char *shown;
        bool commits;
    } cases[] = {
        {"three digits", MAIN_RATIO, 0.5, "0.125", 0.125, "0.125", true},
        {"a fourth digit is refused", MAIN_RATIO, 0.5, "0.1234", 0.123, "0.123", true},
        {"the shown text again keeps the value", MAIN_RATIO, 0.12345, "0.123", 0.12345, "0.123",
         false},
        {"a fourth digit cannot make it another text", MAIN_RATIO, 0.12345, "0.1230", 0.12345,
         "0.123", false},
        {"fewer digits are another value", MAIN_RATIO, 0.12345, "0.12", 0.12, "0.120", true},
        {"sign", MAIN_RATIO, 0.5, "-1.25", -1.25, "-1.250", true},
        {"letters are refused", MAIN_RATIO, 0.5, "1x", 1.0, "1.000", true},
        {"an integer takes no point", MAIN_COUNT, 5, "7.5", 75, "75", true},
        {"the same integer", MAIN_COUNT, 42, "42", 42, "42", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(SetCtrlVal(p, c.ctrl, c.before), 0);
        Calls().clear();
        ASSERT_EQ(UserTypeText(p, c.ctrl, c.typed), 0);
        double v = 0;
        EXPECT_EQ(GetCtrlVal(p, c.ctrl, &v), 0);
        EXPECT_DOUBLE_EQ(v, c.after);
        char text[32] = "";
        GetCtrlVal(p, c.ctrl, text, sizeof text);
        EXPECT_STREQ(text, c.shown);
        EXPECT_EQ(Calls().size(), c.commits ? 1u : 0u);
    }
    // A range end shows rounded: its text is accepted and stands for the end itself, while a
    // key that takes the text further out is refused.
    SetCtrlAttribute(p, MAIN_RATIO, ATTR_MAX_VALUE, 1.4996);
    SetCtrlAttribute(p, MAIN_RATIO, ATTR_MIN_VALUE, -1.4996);
    struct End {
        const char *typed;
        double after;
    } ends[] = {
        {"1.500", 1.4996}, {"1.501", 1.4996}, {"1.6", 1.0}, {"-1.500", -1.4996}, {"-1.6", -1.0}};
    for (const End &e : ends) {
        SCOPED_TRACE(e.typed);
        SetCtrlVal(p, MAIN_RATIO, 0.5);
        ASSERT_EQ(UserTypeText(p, MAIN_RATIO, e.typed), 0);
        double v = 0;
        GetCtrlVal(p, MAIN_RATIO, &v);
        EXPECT_DOUBLE_EQ(v, e.after);
    }

    // Strings too; what cannot be reached cannot be typed into.
    Calls().clear();
    ASSERT_EQ(UserTypeText(p, MAIN_NAME, "0123456789"), 0);
    char name[32] = "";
    GetCtrlVal(p, MAIN_NAME, name, sizeof name);
    EXPECT_STREQ(name, "01234567");
    EXPECT_EQ(Calls().size(), 1u);
    EXPECT_EQ(UserTypeText(p, MAIN_MODE, "1"), UIE_BAD_CONTROL);
    SetCtrlAttribute(p, MAIN_RATIO, ATTR_DIMMED, 1);
    EXPECT_EQ(UserTypeText(p, MAIN_RATIO, "1"), UIE_NOT_ACCESSIBLE);
}

TEST_F(UiTest, InstalledCallbacksReplaceTheResourceOnes) {
    static int seen = 0;
    static void *data = nullptr;
    int p = Load(MAIN);
    int token = 0;
    ASSERT_EQ(InstallCtrlCallback(
                  p, MAIN_GO,
                  [](int, int, int, void *d, int, int) {
                      ++seen;
                      data = d;
                      return 0;
                  },
                  &token),
              0);
    UserCommit(p, MAIN_GO);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(data, &token);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(UiTest, TimersTickOnlyWhileEnabled) {
    int p = Load(MAIN);
    ProcessSystemEvents();
    EXPECT_TRUE(Calls().empty());
    double interval = 0;
    EXPECT_EQ(GetCtrlAttribute(p, MAIN_TICK, ATTR_INTERVAL, &interval), 0);
    EXPECT_DOUBLE_EQ(interval, 0.02);
    ASSERT_EQ(SetCtrlAttribute(p, MAIN_TICK, ATTR_ENABLED, 1), 0);
    EXPECT_TRUE(WaitFor([] { return Calls().size() >= 3; }));
    for (const auto &c : Calls()) {
        EXPECT_EQ(c.what, "tick");
        EXPECT_EQ(c.event, EVENT_TIMER_TICK);
        EXPECT_EQ(c.id, MAIN_TICK);
    }
    ASSERT_EQ(SetCtrlAttribute(p, MAIN_TICK, ATTR_ENABLED, 0), 0);
    ProcessSystemEvents();
    Calls().clear();
    RunEventsFor(100);
    EXPECT_TRUE(Calls().empty());
    // A discarded panel's timer is gone with it.
    SetCtrlAttribute(p, MAIN_TICK, ATTR_ENABLED, 1);
    DiscardPanel(p);
    panels_.clear();
    RunEventsFor(100);
    EXPECT_TRUE(Calls().empty());
}

// Interval 0 gives one tick at once and no more until an interval is set again; a callback
// that re-arms the timer (as the measurement views do) gets its regular ticks from then on.
TEST_F(UiTest, TimerIntervalZeroTicksOnceAtOnce) {
    int p = Load(MAIN);
    ASSERT_EQ(SetCtrlAttribute(p, MAIN_TICK, ATTR_INTERVAL, 10.0), 0);
    ASSERT_EQ(SetCtrlAttribute(p, MAIN_TICK, ATTR_ENABLED, 1), 0);
    ASSERT_EQ(SetCtrlAttribute(p, MAIN_TICK, ATTR_INTERVAL, 0.0), 0);
    EXPECT_TRUE(WaitFor([] { return Calls().size() >= 1; }));
    RunEventsFor(100);
    EXPECT_EQ(Calls().size(), 1u) << "a zero interval never spins";
    Calls().clear();
    ASSERT_EQ(SetCtrlAttribute(p, MAIN_TICK, ATTR_INTERVAL, 0.02), 0);
    EXPECT_TRUE(WaitFor([] { return Calls().size() >= 3; })) << "re-armed after the single tick";
    EXPECT_EQ(SetCtrlAttribute(p, MAIN_TICK, ATTR_INTERVAL, -1.0), UIE_BAD_VALUE);
    SetCtrlAttribute(p, MAIN_TICK, ATTR_ENABLED, 0);
}

TEST_F(UiTest, ClipboardHoldsTextRoundTrip) {
    const char text[] = "U1N\t230.9\tV\nf\t< 45\tHz\t!\n";
    ASSERT_EQ(ClipboardPutText(text), 0);
    char back[64];
    ASSERT_EQ(ClipboardGetText(back, sizeof back), 0);
    EXPECT_STREQ(back, text);
    char tiny[4];
    EXPECT_EQ(ClipboardGetText(tiny, sizeof tiny), UIE_BAD_VALUE);
}

TEST_F(UiTest, MenuChoicesFireMenuCallbacks) {
    int p = Load(MAIN);
    int mb = LoadMenuBar(p, TESTPAN, BAR);
    ASSERT_EQ(UserChooseMenu(mb, BAR_FILE_MORE_DEEP), 0);
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0].what, "menu");
    EXPECT_EQ(Calls()[0].handle, mb);
    EXPECT_EQ(Calls()[0].id, BAR_FILE_MORE_DEEP);
    Calls().clear();
    EXPECT_EQ(UserChooseMenu(mb, BAR_FILE_QUIT), UIE_NOT_ACCESSIBLE); // dimmed in the resource
    SetMenuBarAttribute(mb, BAR_FILE_QUIT, ATTR_DIMMED, 0);
    EXPECT_EQ(UserChooseMenu(mb, BAR_FILE_QUIT), 0);
    SetMenuBarAttribute(mb, BAR_FILE_MORE, ATTR_DIMMED, 1); // dims the submenu's entries
    EXPECT_EQ(UserChooseMenu(mb, BAR_FILE_MORE_DEEP), UIE_NOT_ACCESSIBLE);
    SetPanelAttribute(p, ATTR_MENU_BAR_VISIBLE, 0);
    EXPECT_EQ(UserChooseMenu(mb, BAR_FILE_NEW), UIE_NOT_ACCESSIBLE);
    EXPECT_EQ(Calls().size(), 1u);
}

struct Answer {
    int panel;
    int control;
};

TEST_F(UiTest, PopupWaitsForTheCommitOfItsOwnControls) {
    int main = Load(MAIN);
    int ask = Load(ASK, main);
    ASSERT_GT(ask, 0);
    DisplayPanel(main);
    ASSERT_EQ(InstallPopup(ask), 0);
    EXPECT_EQ(GetActivePanel(), ask);
    // Behind the pop-up the main panel cannot be committed.
    EXPECT_EQ(UserCommit(main, MAIN_GO), UIE_NOT_ACCESSIBLE);

    static Answer answer;
    answer = {ask, ASK_NO};
    PostDeferredCall(
        [](void *d) {
            auto *a = static_cast<Answer *>(d);
            UserCommit(a->panel, a->control);
        },
        &answer);
    int panel = 0, control = 0;
    EXPECT_EQ(GetUserEvent(1, &panel, &control), EVENT_COMMIT);
    EXPECT_EQ(panel, ask);
    EXPECT_EQ(control, ASK_NO);
    EXPECT_EQ(GetUserEvent(0, &panel, &control), EVENT_NONE);

    ASSERT_EQ(RemovePopup(0), 0);
    EXPECT_EQ(GetActivePanel(), main);
    EXPECT_EQ(UserCommit(main, MAIN_GO), 0);
    EXPECT_EQ(Calls().size(), 1u);
}

TEST_F(UiTest, DiscardingAPanelFromItsOwnCallbackIsSafe) {
    int ask = Load(ASK);
    static int handle;
    handle = ask;
    InstallCtrlCallback(
        ask, ASK_YES,
        [](int panel, int, int event, void *, int, int) {
            if (event == EVENT_COMMIT) DiscardPanel(panel);
            return 0;
        },
        nullptr);
    InstallPopup(ask);
    PostDeferredCall([](void *) { UserCommit(handle, ASK_YES); }, nullptr);
    int panel = 0, control = 0;
    EXPECT_EQ(GetUserEvent(1, &panel, &control), EVENT_COMMIT);
    EXPECT_EQ(control, ASK_YES);
    ProcessSystemEvents();
    EXPECT_EQ(GetActivePanel() == ask, false);
    EXPECT_EQ(DisplayPanel(ask), UIE_BAD_HANDLE);
    panels_.clear();
}

TEST_F(UiTest, CloseGoesToThePanelCallbackAndQuitEndsTheLoop) {
    int p = Load(MAIN);
    DisplayPanel(p);
    PostDeferredCall([](void *d) { UserClosePanel(*static_cast<int *>(d)); }, &p);
    PostDeferredCall([](void *) { QuitUserInterface(7); }, nullptr);
    EXPECT_EQ(RunUserInterface(), 7);
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_EQ(Calls()[0].what, "panel");
    EXPECT_EQ(Calls()[0].event, EVENT_CLOSE);
    // Asked to quit before the loop runs: the loop returns at once.
    QuitUserInterface(3);
    EXPECT_EQ(RunUserInterface(), 3);
}

} // namespace

namespace {

int gDeferredRuns = 0;
void CountDeferred(void *) {
    ++gDeferredRuns;
    Calls().push_back({"deferred", 0, 0, 0});
}

// A wait inside a callback that keeps the windows drawn, as the serial waits do.
void DrawOnlyFor(int ms) {
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) ProcessDrawEvents();
}

} // namespace

// While a callback waits, the windows are painted but nothing of the program runs: a commit
// the user made, a timer tick and a deferred call are held and fire afterwards, in order, the
// ticks of one timer once.
TEST_F(UiTest, DrawOnlyWaitsPaintAndHoldEverythingElse) {
    int p = Load(MAIN);
    ASSERT_EQ(DisplayPanel(p), 0);
    ProcessSystemEvents();
    gDeferredRuns = 0;
    long long paintsBefore = PaintCount();
    SetCtrlVal(p, MAIN_NAME, "changed by the program"); // needs a repaint
    ASSERT_EQ(PostDeferredCall(CountDeferred, nullptr), 0);
    ASSERT_EQ(UserCommitLater(p, MAIN_GO), 0);
    ASSERT_EQ(SetCtrlAttribute(p, MAIN_TICK, ATTR_ENABLED, 1), 0); // every 20 ms
    DrawOnlyFor(200);
    EXPECT_GT(PaintCount(), paintsBefore) << "the window was painted during the wait";
    EXPECT_TRUE(Calls().empty()) << "no callback ran inside the wait";
    EXPECT_EQ(gDeferredRuns, 0);
    EXPECT_EQ(HeldEventCount(), 3) << "deferred call, commit, one tick";
    SetCtrlAttribute(p, MAIN_TICK, ATTR_ENABLED, 0);

    ProcessSystemEvents();
    ASSERT_EQ(Calls().size(), 3u);
    EXPECT_EQ(Calls()[0].what, "deferred");
    EXPECT_EQ(Calls()[1].what, "ctrl");
    EXPECT_EQ(Calls()[1].id, MAIN_GO);
    EXPECT_EQ(Calls()[2].what, "tick");
    EXPECT_EQ(HeldEventCount(), 0);
}

// A commit held during a wait is dropped when a pop-up has come up since: the user could not
// have reached the window behind it.
TEST_F(UiTest, HeldCommitsBehindANewPopupAreDropped) {
    int p = Load(MAIN);
    int ask = Load(ASK, p);
    ASSERT_EQ(DisplayPanel(p), 0);
    ASSERT_EQ(UserCommitLater(p, MAIN_GO), 0);
    ASSERT_EQ(UserCommitLater(ask, ASK_YES), 0);
    DrawOnlyFor(50);
    ASSERT_EQ(InstallPopup(ask), 0);
    int where = 0, control = 0;
    EXPECT_EQ(GetUserEvent(1, &where, &control), EVENT_COMMIT);
    EXPECT_EQ(where, ask);
    EXPECT_EQ(control, ASK_YES);
    RemovePopup(0);
    for (const auto &c : Calls()) EXPECT_NE(c.id, MAIN_GO) << "the main panel was behind";
}

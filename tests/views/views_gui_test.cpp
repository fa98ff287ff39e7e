// The three live views on real panels (offscreen) against kr7m-sim on a pseudo-terminal: opened
// from the menu as the user does, with the fields read back from the panel.
#include "sim_view_fixture.h"

#include <cmath>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>

#include "config/commands.h"
#include "config/mainpanel.h"
#include "config/record.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "views/display.h"
#include "views/readout.h"
#include "views/views.h"
#include "views/viewtables.h"

namespace {

using viewtest::Now;

struct ViewCase {
    const char *name;
    int view;
    int menuItem;
    int *handle;
    int timer;
    CtrlCallbackPtr tick;
    CtrlCallbackPtr close;
    int closeButton;
};

const ViewCase kViews[] = {
    {"values", VIEW_MEAS, MENU_MEASURE_MEAS, &measdisp, MEAS_TIMER, CmReadMeas, CmCloseAcquisiton,
     MEAS_CLOSE},
    {"minmax", VIEW_MINMAX, MENU_MEASURE_MINMAX, &minmaxdisp, MINMAX_TIMER, CmReadMinMax,
     CmCloseMinMax, MINMAX_CLOSE},
    {"mean", VIEW_MEAN, MENU_MEASURE_MEAN, &meandisp, MEAN_TIMER, CmReadAverage, CmMeanDone,
     MEAN_CLOSE},
};

class ViewsTest : public viewtest::SimShellTest {
  protected:
    void SetValues(const std::string &lines) { apptest::WriteFile(link_ + ".values", lines); }
    // Opens a view from its menu item and waits for its first reading (the timer's first tick
    // comes at once).
    int Open(const ViewCase &v) {
        EXPECT_EQ(UserChooseMenu(menuHandle, v.menuItem), 0);
        int panel = *v.handle;
        EXPECT_GT(panel, 0);
        if (panel <= 0) return panel;
        const ViewTables &t = ViewTable(v.view);
        int rows[40];
        ShownRows(v.view, rows);
        double end = Now() + 5;
        char text[64] = "";
        while (Now() < end) {
            ProcessSystemEvents();
            GetCtrlVal(panel, t.rows[rows[0]].control, text, sizeof text);
            if (text[0]) break;
            usleep(5000);
        }
        EXPECT_STRNE(text, "") << "no first reading";
        return panel;
    }
    void Tick(const ViewCase &v) { v.tick(*v.handle, v.timer, EVENT_TIMER_TICK, nullptr, 0, 0); }
    // Every shown field as the formatting rule gives it for the values just read, and marked
    // fields red and bold.
    void ExpectFieldsMatch(const ViewCase &v, int panel) {
        const ViewTables &t = ViewTable(v.view);
        DisplayText texts[40];
        FormatViewValues(v.view, 1, texts);
        for (int row = 0; row < t.rowCount; ++row) {
            int control = t.rows[row].control;
            if (!Shown(t.rows[row].show)) continue;
            EXPECT_EQ(Attr(panel, control, ATTR_VISIBLE), 1) << t.rows[row].caption;
            EXPECT_EQ(Text(panel, control), texts[row].text) << t.rows[row].caption;
            EXPECT_EQ(Attr(panel, control, ATTR_TEXT_COLOR), texts[row].marked ? 0xFF0000 : 0)
                << t.rows[row].caption;
            EXPECT_EQ(Attr(panel, control, ATTR_TEXT_BOLD), texts[row].marked);
        }
    }
};

class EachView : public ViewsTest, public ::testing::WithParamInterface<std::tuple<int, int>> {};

TEST_P(EachView, ShowsTheInstrumentsValuesAndReturnsToTheMainPanel) {
    const ViewCase &v = kViews[std::get<0>(GetParam())];
    int system = std::get<1>(GetParam());
    SetConnection(system);
    int panel = Open(v);
    ASSERT_GT(panel, 0);
    EXPECT_EQ(anschl_ix, system + 1);
    int menu = 1;
    GetPanelAttribute(BkgndPanel, ATTR_MENU_BAR_VISIBLE, &menu);
    EXPECT_EQ(menu, 0) << "no other command while a view is shown";
    EXPECT_EQ(CommPortOpen, 1);
    ExpectFieldsMatch(v, panel);
    // Fields of rows not shown for this connection type are hidden.
    const ViewTables &t = ViewTable(v.view);
    for (int row = 0; row < t.rowCount; ++row) {
        bool anyShown = false;
        for (int other = 0; other < t.rowCount; ++other)
            if (t.rows[other].control == t.rows[row].control && Shown(t.rows[other].show))
                anyShown = true;
        if (!anyShown) {
            EXPECT_EQ(Attr(panel, t.rows[row].control, ATTR_VISIBLE), 0) << t.rows[row].caption;
        }
    }
    Screenshot(*v.handle, std::string(v.name) + "_type" + std::to_string(system));
    ASSERT_EQ(UserCommit(panel, v.closeButton), 0);
    EXPECT_EQ(*v.handle, 0);
    ExpectBackOnMainPanel();
}

INSTANTIATE_TEST_SUITE_P(Types, EachView,
                         ::testing::Combine(::testing::Values(0, 1, 2),
                                            ::testing::Values(0, 1, 3, 4)),
                         [](const auto &info) {
                             return std::string(kViews[std::get<0>(info.param)].name) + "_type" +
                                    std::to_string(std::get<1>(info.param));
                         });

TEST_F(ViewsTest, CaptionsAndUnitsFollowTheConnectionAndRatings) {
    SetConnection(4);
    int panel = Open(kViews[0]);
    char label[32];
    GetCtrlAttribute(panel, MEAS_U, ATTR_LABEL_TEXT, label, sizeof label);
    EXPECT_STREQ(label, "U1N");
    GetCtrlAttribute(panel, MEAS_IAVG, ATTR_LABEL_TEXT, label, sizeof label);
    EXPECT_STREQ(label, "I1avg");
    // 500 V and 5 A: 4330 W at the end of the ranges.
    EXPECT_EQ(Text(panel, MEAS_P_CAPTION), "P [kW]");
    EXPECT_EQ(Text(panel, MEAS_S_CAPTION), "S [kVA]");
    EXPECT_EQ(Text(panel, MEAS_U_UNIT), "V");
    EXPECT_EQ(Text(panel, MEAS_I_UNIT), "A");
    UserCommit(panel, MEAS_CLOSE);

    SetConnection(1);
    panel = Open(kViews[1]);
    EXPECT_EQ(Text(panel, MINMAX_U_CAPTION), "U");
    GetCtrlAttribute(panel, MINMAX_IMAX, ATTR_LABEL_TEXT, label, sizeof label);
    EXPECT_STREQ(label, "Imax");
    EXPECT_EQ(Text(panel, MINMAX_P_CAPTION), "Pmax [kW]");
    UserCommit(panel, MINMAX_CLOSE);

    panel = Open(kViews[2]);
    EXPECT_EQ(Text(panel, MEAN_Q_CAPTION), "Qint [kvar]");
    UserCommit(panel, MEAN_CLOSE);
}

TEST_F(ViewsTest, MarkersShowInRedAndClearOnTheNextGoodRead) {
    SetConnection(4);
    SetValues("values 28 44.2\nvalues 32 1.0001\nvalues 1 ovl\nvalues 29 nan\nvalues 30 -1\n");
    usleep(50000);
    const ViewCase &v = kViews[0];
    int panel = Open(v);
    Tick(v);
    EXPECT_EQ(Text(panel, MEAS_FREQ), "< 45");
    EXPECT_EQ(Text(panel, MEAS_PF), "---");
    EXPECT_EQ(Text(panel, MEAS_U), "OVL");
    EXPECT_EQ(Text(panel, MEAS_PF1), "OVL");
    EXPECT_EQ(Text(panel, MEAS_PF2), "-1.000");
    EXPECT_EQ(Attr(panel, MEAS_FREQ, ATTR_TEXT_COLOR), 0xFF0000);
    EXPECT_EQ(Attr(panel, MEAS_FREQ, ATTR_TEXT_BOLD), 1);
    EXPECT_EQ(Attr(panel, MEAS_PF2, ATTR_TEXT_COLOR), 0);
    Screenshot(panel, "values_markers");
    SetValues("values 28 65.5\n");
    usleep(50000);
    Tick(v);
    EXPECT_EQ(Text(panel, MEAS_FREQ), "> 65");
    SetValues("");
    usleep(50000);
    Tick(v);
    ExpectFieldsMatch(v, panel);
    EXPECT_EQ(Attr(panel, MEAS_U, ATTR_TEXT_COLOR), 0);
    EXPECT_EQ(Attr(panel, MEAS_U, ATTR_TEXT_BOLD), 0);
    UserCommit(panel, MEAS_CLOSE);
}

TEST_F(ViewsTest, SilentInstrumentShowsFailureMarksAndRecovers) {
    const ViewCase &v = kViews[0];
    int panel = Open(v);
    kill(pid_, SIGSTOP);
    double start = Now();
    Tick(v);
    double took = Now() - start;
    int rows[40];
    int n = ShownRows(VIEW_MEAS, rows);
    for (int k = 0; k < n; ++k) {
        int control = msd[rows[k]].control;
        EXPECT_EQ(Text(panel, control), "-----");
        EXPECT_EQ(Attr(panel, control, ATTR_TEXT_COLOR), 0xFF0000);
        EXPECT_EQ(Attr(panel, control, ATTR_TEXT_BOLD), 1);
    }
    // Four attempts, each waiting its answer time-out, with the direct connection's pause of
    // 0.6 s between them; no pop-up.
    double lineTime = (5 + 2 * 66) * 11.0 / 9600.0;
    EXPECT_LT(took, 4 * (Rec_Timeout[BaudIndex()] + lineTime + 0.1) + 3 * 0.6 + 0.5);
    EXPECT_EQ(GetActivePanel() == panel || GetActivePanel() == MainPanel ||
                  GetActivePanel() == BkgndPanel,
              true);
    Screenshot(panel, "values_failed");
    kill(pid_, SIGCONT);
    usleep(100000);
    Tick(v);
    ExpectFieldsMatch(v, panel);
    // Closing works while reads fail.
    kill(pid_, SIGSTOP);
    Tick(v);
    ASSERT_EQ(UserCommit(panel, MEAS_CLOSE), 0);
    ExpectBackOnMainPanel();
    kill(pid_, SIGCONT);
}

int gErrors = 0;
void AcknowledgeErrors(void *) {
    int panel = GetActivePanel();
    int resource = 0;
    GetPanelAttribute(panel, ATTR_RESOURCE_ID, &resource);
    if (resource == ERROR) {
        ++gErrors;
        UserCommit(panel, ERROR_OK);
    } else {
        PostDeferredCall(AcknowledgeErrors, nullptr);
    }
}

TEST_F(ViewsTest, VanishedAdapterLeavesTheViewClosableAndTheNextCommandSaysSo) {
    const ViewCase &v = kViews[0];
    int panel = Open(v);
    StopSim(); // the link disappears as a pulled adapter's device does
    Tick(v);
    EXPECT_EQ(Text(panel, MEAS_P), "-----");
    ASSERT_EQ(UserCommit(panel, MEAS_CLOSE), 0);
    ExpectBackOnMainPanel();
    gErrors = 0;
    ASSERT_EQ(PostDeferredCall(AcknowledgeErrors, nullptr), 0);
    EXPECT_EQ(UserChooseMenu(menuHandle, MENU_MEASURE_MEAS), 0);
    EXPECT_EQ(gErrors, 1) << "the missing port is reported once";
    EXPECT_EQ(measdisp, 0);
    ExpectBackOnMainPanel();
}

TEST_F(ViewsTest, ResetSendsTheMaskOfTheTickedBoxes) {
    const ViewCase &v = kViews[1];
    int panel = Open(v);
    SetCtrlVal(panel, MINMAX_RESET1, 1);
    SetCtrlVal(panel, MINMAX_RESET3, 1);
    ResetMinMax = 0;
    ASSERT_EQ(UserCommit(panel, MINMAX_RESET), 0);
    EXPECT_EQ(ResetMinMax, 0x000A);
    EXPECT_EQ(status, 1);
    for (int box : {MINMAX_RESET0, MINMAX_RESET1, MINMAX_RESET2, MINMAX_RESET3})
        EXPECT_EQ(Attr(panel, box, ATTR_CTRL_VAL), 0);
    double interval = 0;
    GetCtrlAttribute(panel, MINMAX_TIMER, ATTR_INTERVAL, &interval);
    EXPECT_DOUBLE_EQ(interval, 2.0);
    Tick(v);
    GetCtrlAttribute(panel, MINMAX_TIMER, ATTR_INTERVAL, &interval);
    EXPECT_DOUBLE_EQ(interval, 10.0);
    UserCommit(panel, MINMAX_CLOSE);
}

TEST_F(ViewsTest, RecordsEveryReadAndCopiesTheValues) {
    const ViewCase &v = kViews[0];
    int panel = Open(v);
    std::string csv = dir_ + "/values.csv";
    ASSERT_EQ(SetFileSelectAnswer(csv.c_str()), 0);
    ASSERT_EQ(UserCommit(panel, MEAS_RECORD), 0);
    char label[32];
    GetCtrlAttribute(panel, MEAS_RECORD, ATTR_LABEL_TEXT, label, sizeof label);
    EXPECT_STREQ(label, "Stop recording");
    Tick(v);
    kill(pid_, SIGSTOP);
    Tick(v);
    kill(pid_, SIGCONT);
    std::string text = apptest::ReadFile(csv);
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u) << text; // header, the shown read, two ticks
    EXPECT_EQ(lines[0].substr(0, 25), "Time,U1N [V],U2N [V],U3N ");
    EXPECT_EQ(lines[3].find(",,,"), 25u) << "a failed read leaves its cells empty";

    usleep(100000);
    Tick(v);
    ASSERT_EQ(UserCommit(panel, MEAS_COPY), 0);
    char clip[4096];
    ASSERT_EQ(ClipboardGetText(clip, sizeof clip), 0);
    DisplayText texts[40];
    FormatViewValues(VIEW_MEAS, 1, texts);
    char expected[4096];
    ReadoutText(VIEW_MEAS, texts, expected, sizeof expected);
    EXPECT_STREQ(clip, expected);
    std::string before = apptest::ReadFile(csv);
    UserCommit(panel, MEAS_CLOSE);
    EXPECT_EQ(apptest::ReadFile(csv), before) << "closing ends the recording";
}

// The trend follows the picked quantities read by read, leaves marked gaps for failed reads,
// and a quantity picked later shows the reads it already has.
TEST_F(ViewsTest, TrendFollowsThePickedQuantities) {
    SetConnection(4);
    const ViewCase &v = kViews[0];
    int panel = Open(v);
    ASSERT_GT(panel, 0);
    const ViewTables &t = ViewTable(VIEW_MEAS);
    Tick(v);
    kill(pid_, SIGSTOP);
    Tick(v);
    kill(pid_, SIGCONT);
    usleep(100000);
    Tick(v);
    // The opening read and three ticks, the second one failed.
    double held = 0;
    GetCtrlAttribute(panel, MEAS_TREND, ATTR_NUM_POINTS, &held);
    ASSERT_EQ(held, 4);
    double last[4];
    int flags = -1;
    double x = 0;
    ASSERT_EQ(GetStripChartPoint(panel, MEAS_TREND, 3, &x, last, 4, &flags), 0);
    EXPECT_EQ(flags, 0);
    EXPECT_NEAR(x, static_cast<double>(time(nullptr)), 5);
    const int defaults[4] = {19, 23, 27, 28};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(last[k], t.values[defaults[k]]) << msd[defaults[k]].caption;
    double failed[4];
    ASSERT_EQ(GetStripChartPoint(panel, MEAS_TREND, 2, nullptr, failed, 4, &flags), 0);
    EXPECT_EQ(flags, STRIP_POINT_FAILED);
    for (double f : failed) EXPECT_TRUE(std::isnan(f)) << "a failed read leaves a gap";

    // Names, units and scaling as the fields show them (500 V, 5 A, star: kW).
    struct TraceCase {
        int trace;
        const char *name, *unit;
        double scale;
    } traces[] = {
        {1, "P", "kW", 1e-3}, {2, "Q", "kvar", 1e-3}, {3, "S", "kVA", 1e-3}, {4, "f", "Hz", 1}};
    for (const TraceCase &c : traces) {
        char text[32];
        GetTraceAttribute(panel, MEAS_TREND, c.trace, ATTR_TRACE_NAME, text, sizeof text);
        EXPECT_STREQ(text, c.name);
        GetTraceAttribute(panel, MEAS_TREND, c.trace, ATTR_TRACE_UNIT, text, sizeof text);
        EXPECT_STREQ(text, c.unit);
        double scale = 0;
        GetTraceAttribute(panel, MEAS_TREND, c.trace, ATTR_TRACE_SCALE, &scale);
        EXPECT_DOUBLE_EQ(scale, c.scale);
    }
    Screenshot(panel, "values_trend");

    // Picking U12 for the first trace and none for the fourth: U12's past is there at once.
    int index = 0;
    ASSERT_EQ(GetIndexFromValue(panel, MEAS_TREND1, &index, 3), 0);
    SetCtrlIndex(panel, MEAS_TREND1, index);
    ASSERT_EQ(UserCommit(panel, MEAS_TREND1), 0);
    SetCtrlIndex(panel, MEAS_TREND4, 0);
    ASSERT_EQ(UserCommit(panel, MEAS_TREND4), 0);
    GetCtrlAttribute(panel, MEAS_TREND, ATTR_NUM_POINTS, &held);
    EXPECT_EQ(held, 4);
    ASSERT_EQ(GetStripChartPoint(panel, MEAS_TREND, 3, nullptr, last, 4, nullptr), 0);
    EXPECT_EQ(last[0], t.values[3]);
    EXPECT_TRUE(std::isnan(last[3]));
    int visible = 1;
    GetTraceAttribute(panel, MEAS_TREND, 4, ATTR_TRACE_VISIBLE, &visible);
    EXPECT_EQ(visible, 0);
    char text[32];
    GetTraceAttribute(panel, MEAS_TREND, 1, ATTR_TRACE_UNIT, text, sizeof text);
    EXPECT_STREQ(text, "V");
    // Reopened, the view starts a new trend.
    UserCommit(panel, MEAS_CLOSE);
    panel = Open(v);
    GetCtrlAttribute(panel, MEAS_TREND, ATTR_NUM_POINTS, &held);
    EXPECT_EQ(held, 1);
    UserCommit(panel, MEAS_CLOSE);
}

// Each fitted view, shown in a window of a small screen's size, needs no more room than that:
// every control it shows lies inside its designed area, and that area fits the screen.
TEST_F(ViewsTest, EveryViewFitsASmallScreen) {
    for (int type : {0, 4}) {
        SetConnection(type);
        for (const ViewCase &v : kViews) {
            SCOPED_TRACE(std::string(v.name) + " type " + std::to_string(type));
            int panel = Open(v);
            ASSERT_GT(panel, 0);
            int resource = 0;
            GetPanelAttribute(panel, ATTR_RESOURCE_ID, &resource);
            int designed = LoadPanel(0, MainResourceFile(), resource);
            ASSERT_GT(designed, 0);
            int width = 0, height = 0;
            GetPanelAttribute(designed, ATTR_WIDTH, &width);
            GetPanelAttribute(designed, ATTR_HEIGHT, &height);
            DiscardPanel(designed);
            // 1024 x 640, less a window title and a desktop's panel.
            EXPECT_LE(width, 1020);
            EXPECT_LE(height, 560);
            int c = 0;
            GetPanelAttribute(panel, ATTR_PANEL_FIRST_CTRL, &c);
            for (; c > 0; GetCtrlAttribute(panel, c, ATTR_NEXT_CTRL, &c)) {
                int kind = 0, visible = 0, top = 0, left = 0, w = 0, h = 0;
                GetCtrlAttribute(panel, c, ATTR_CTRL_KIND, &kind);
                GetCtrlAttribute(panel, c, ATTR_VISIBLE, &visible);
                if (kind == CTRL_TIMER || !visible) continue;
                GetCtrlAttribute(panel, c, ATTR_TOP, &top);
                GetCtrlAttribute(panel, c, ATTR_LEFT, &left);
                GetCtrlAttribute(panel, c, ATTR_WIDTH, &w);
                GetCtrlAttribute(panel, c, ATTR_HEIGHT, &h);
                char name[64] = "";
                GetCtrlAttribute(panel, c, ATTR_CONSTANT_NAME, name, sizeof name);
                EXPECT_LE(left + w, width) << name;
                EXPECT_LE(top + h, height) << name;
                EXPECT_GE(left, 0) << name;
                EXPECT_GE(top, 0) << name;
            }
            UserCommit(panel, v.closeButton);
        }
    }
}

class BusViewsTest : public ViewsTest {
  protected:
    void SetUp() override {
        apptest::ShellTest::SetUp();
        StartSim({"--bus", "5"});
        StartProgramOn(1, 5);
    }
};

TEST_F(BusViewsTest, TitleNamesTheDeviceAddress) {
    int panel = Open(kViews[0]);
    char title[128];
    GetPanelAttribute(panel, ATTR_TITLE, title, sizeof title);
    EXPECT_STREQ(title, "Instantaneous values (Device address 5)");
    EXPECT_EQ(Text(panel, MEAS_TITLE), title);
    UserCommit(panel, MEAS_CLOSE);
}

} // namespace

// The energy meters, logger and output simulation views on real panels (offscreen) against
// kr7m-sim: opened from the menu, driven as the user does, with the wire checked in the
// simulator's frame log and the export compared byte for byte.
#include "sim_view_fixture.h"

#include "../logger_export.h"

#include <cmath>
#include <cstring>
#include <sstream>

#include "link/report_popup.h"
#include "views/logger.h"
#include "views/simulation.h"
#include "views/views.h"

namespace {

using viewtest::Now;

// Answers the pop-ups the program raises, in order, from the event loop. Each step waits for
// a pop-up of its resource to be active, then acts on it.
struct PopupStep {
    int resource;
    void (*act)(int panel);
};
std::vector<PopupStep> gSteps;
size_t gStep = 0;
std::vector<int> gSeen; // resources of the pop-ups met

void RunSteps(void *) {
    if (gStep >= gSteps.size()) return;
    int panel = GetActivePanel();
    int resource = 0;
    GetPanelAttribute(panel, ATTR_RESOURCE_ID, &resource);
    if (resource == gSteps[gStep].resource) {
        gSeen.push_back(resource);
        gSteps[gStep++].act(panel);
    }
    if (gStep < gSteps.size()) PostDeferredCall(RunSteps, nullptr);
}

void Answer(std::vector<PopupStep> steps) {
    gSteps = std::move(steps);
    gStep = 0;
    gSeen.clear();
    PostDeferredCall(RunSteps, nullptr);
}

// A picture of a pop-up while it waits, where the run asks for pictures.
void ShotPopup(int panel, const char *name) {
    const char *dir = getenv("KR7M_SCREENSHOT_DIR");
    if (!dir || !*dir) return;
    ProcessSystemEvents();
    SavePanelImage(panel, (std::string(dir) + "/" + name + ".png").c_str());
}

void AcknowledgeError(int panel) {
    UserCommit(panel, ERROR_OK);
}
void Confirm(int panel) {
    UserCommit(panel, WARNING_CONFIRM);
}
void Decline(int panel) {
    UserCommit(panel, WARNING_DECLINE);
}

class DevViewsTest : public viewtest::SimShellTest {
  protected:
    void SetUp() override {
        apptest::ShellTest::SetUp();
        oldTz_ = getenv("TZ") ? getenv("TZ") : "";
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override {
        gSteps.clear();
        viewtest::SimShellTest::TearDown();
        setenv("TZ", oldTz_.c_str(), 1);
        tzset();
    }
    void Start(const std::vector<std::string> &simOptions) {
        StartSim(simOptions);
        StartProgramOn(0, 1);
    }
    // Requests of the frame log (hex after "RX "), in order.
    std::vector<std::string> Requests() {
        std::vector<std::string> out;
        std::istringstream in(Frames());
        for (std::string line; std::getline(in, line);) {
            size_t at = line.find(" RX ");
            if (at != std::string::npos && line.find("garbage") == std::string::npos)
                out.push_back(line.substr(at + 4));
        }
        return out;
    }
    int CountRequests(const std::string &prefix) {
        int n = 0;
        for (const std::string &r : Requests())
            if (r.compare(0, prefix.size(), prefix) == 0) ++n;
        return n;
    }
    // Waits until the view's first timer tick has run (the meters show a reading).
    void WaitForFirstRead(int panel, int control) {
        double end = Now() + 5;
        while (Now() < end) {
            ProcessSystemEvents();
            if (Attr(panel, METERS_RATE1, ATTR_CTRL_VAL) ||
                Attr(panel, METERS_RATE2, ATTR_CTRL_VAL))
                break;
            usleep(5000);
        }
        (void)control;
    }
    double Number(int panel, int control) {
        double v = -1;
        GetCtrlVal(panel, control, &v);
        return v;
    }
    std::vector<std::string> ListLines(int panel) {
        int n = 0;
        GetNumListItems(panel, LOGGER_LIST, &n);
        std::vector<std::string> out;
        for (int i = 0; i < n; ++i) {
            char label[200] = "";
            GetLabelFromIndex(panel, LOGGER_LIST, i, label, sizeof label);
            out.push_back(label);
        }
        return out;
    }
    void WriteCounts(const uint32_t *counts) {
        ASSERT_EQ(InitInterface(CommPort), 1);
        for (int i = 0; i < 8; ++i) Meters[i] = counts[i];
        ASSERT_EQ(Write(&Lese, WriteMeters, 1, 0), 1);
        CloseInterface();
    }
    uint32_t ReadCount(int meter) {
        EXPECT_EQ(InitInterface(CommPort), 1);
        EXPECT_EQ(Read(&Lese, ReadMeters, 1), 1);
        CloseInterface();
        return Meters[meter];
    }

    std::string oldTz_;
};

// ---- energy meters --------------------------------------------------------------------------

TEST_F(DevViewsTest, MetersShowTheScaleTheRateAndTakeResetsAndPresets) {
    Start({"--meter-scale", "2", "--rate", "2", "--speed", "0.000001"});
    const uint32_t counts[8] = {12345, 4294967295u, 7, 8, 9, 10, 11, 12};
    WriteCounts(counts);
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_MEASURE_METERS), 0);
    int panel = meterdisp;
    ASSERT_GT(panel, 0);
    WaitForFirstRead(panel, METERS_VALUE0);
    EXPECT_EQ(CommPortOpen, 1);
    EXPECT_DOUBLE_EQ(Number(panel, METERS_VALUE0), 1234.5);
    EXPECT_DOUBLE_EQ(Number(panel, METERS_VALUE1), 429496729.5) << "never negative";
    EXPECT_EQ(Text(panel, METERS_UNIT0), "kWh");
    EXPECT_EQ(Text(panel, METERS_UNIT4), "kvarh");
    EXPECT_EQ(Attr(panel, METERS_VALUE0, ATTR_PRECISION), 1);
    EXPECT_EQ(Attr(panel, METERS_RATE2, ATTR_CTRL_VAL), 1);
    EXPECT_EQ(Attr(panel, METERS_RATE1, ATTR_CTRL_VAL), 0);
    EXPECT_EQ(Text(panel, METERS_SINCE0), "0.0");
    Screenshot(panel, "meters");

    // A preset: the ticked meter's field takes the typed value and keeps it over a read.
    SetCtrlVal(panel, METERS_SET2, 1);
    UserCommit(panel, METERS_SET2);
    UserTypeText(panel, METERS_VALUE2, "10000000");
    EXPECT_DOUBLE_EQ(Number(panel, METERS_VALUE2), 1000000.0) << "the ninth digit is refused";
    ASSERT_EQ(UserTypeText(panel, METERS_VALUE2, "1234.5"), 0);
    CmReadMeters(panel, METERS_TIMER, EVENT_TIMER_TICK, nullptr, 0, 0);
    EXPECT_DOUBLE_EQ(Number(panel, METERS_VALUE2), 1234.5) << "not overwritten while ticked";
    ASSERT_EQ(UserCommit(panel, METERS_SET), 0);
    EXPECT_EQ(Attr(panel, METERS_SET2, ATTR_CTRL_VAL), 0);
    EXPECT_EQ(ReadCount(2), 12345u);
    EXPECT_EQ(ReadCount(0), 12345u) << "the others keep their counts";
    double interval = 0;
    GetCtrlAttribute(panel, METERS_TIMER, ATTR_INTERVAL, &interval);
    EXPECT_DOUBLE_EQ(interval, 2.0);

    // A reset of meters 1 and 8.
    SetCtrlVal(panel, METERS_RESET0, 1);
    SetCtrlVal(panel, METERS_RESET7, 1);
    ASSERT_EQ(UserCommit(panel, METERS_RESET), 0);
    EXPECT_EQ(Attr(panel, METERS_RESET0, ATTR_CTRL_VAL), 0);
    EXPECT_EQ(CountRequests("FF 10 01 A3 00 01 02 00 81"), 1) << Frames();
    EXPECT_EQ(ReadCount(0), 0u);
    EXPECT_EQ(ReadCount(7), 0u);
    CmReadMeters(panel, METERS_TIMER, EVENT_TIMER_TICK, nullptr, 0, 0);
    EXPECT_DOUBLE_EQ(Number(panel, METERS_VALUE0), 0.0);
    GetCtrlAttribute(panel, METERS_TIMER, ATTR_INTERVAL, &interval);
    EXPECT_DOUBLE_EQ(interval, 5.0);

    ASSERT_EQ(UserCommit(panel, METERS_CLOSE), 0);
    EXPECT_EQ(meterdisp, 0);
    ExpectBackOnMainPanel();
}

TEST_F(DevViewsTest, MetersCountTheEnergySinceTheViewOpened) {
    Start({"--meter-scale", "-1", "--speed", "3600"});
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_MEASURE_METERS), 0);
    int panel = meterdisp;
    WaitForFirstRead(panel, METERS_VALUE0);
    double first = Number(panel, METERS_VALUE0);
    usleep(300000);
    CmReadMeters(panel, METERS_TIMER, EVENT_TIMER_TICK, nullptr, 0, 0);
    double since = std::atof(Text(panel, METERS_SINCE0).c_str());
    double moved = Number(panel, METERS_VALUE0) - first;
    EXPECT_GT(since, 0.0);
    EXPECT_NEAR(since, moved, 0.11);
    UserCommit(panel, METERS_CLOSE);
}

// ---- logger ---------------------------------------------------------------------------------

void AnswerNewestTime(int panel) {
    // 14.03.26 12:00:00
    SetCtrlVal(panel, LOGTIME_DAY, 14);
    SetCtrlVal(panel, LOGTIME_MONTH, 3);
    SetCtrlVal(panel, LOGTIME_YEAR, 26);
    SetCtrlVal(panel, LOGTIME_HOUR, 12);
    SetCtrlVal(panel, LOGTIME_MINUTE, 0);
    SetCtrlVal(panel, LOGTIME_SECOND, 0);
    ShotPopup(panel, "logger_newest_time");
    UserCommit(panel, LOGTIME_OK);
}

TEST_F(DevViewsTest, LoggerDownloadsNewestFirstAndExportsTheLines) {
    Start({"--logger", "active", "--logger-mode", "ask", "--logger-records", "6", "--logger-failed",
           "3"});
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_MEASURE_LOGGER), 0);
    int panel = logdisp;
    ASSERT_GT(panel, 0);
    EXPECT_EQ(Text(panel, LOGGER_MODE), "Mode 1");
    EXPECT_EQ(Text(panel, LOGGER_INTERVAL), "15:00");
    EXPECT_EQ(Attr(panel, LOGGER_MANUAL, ATTR_CTRL_VAL), 0);
    EXPECT_EQ(Attr(panel, LOGGER_ACTIVE, ATTR_CTRL_VAL), 1);
    EXPECT_EQ(Attr(panel, LOGGER_REACTIVE, ATTR_CTRL_VAL), 0);
    EXPECT_EQ(Number(panel, LOGGER_P_RECORDS), 6);
    EXPECT_EQ(Number(panel, LOGGER_RECORDS), 6);
    EXPECT_EQ(Text(panel, LOGGER_SPAN), "00:01:30");

    std::string path = dir_ + "/export.txt";
    apptest::WriteFile(path, "an older export\r\n");
    SetCtrlVal(panel, LOGGER_RECORDS, 80); // more than there are: cut to what the logger holds
    SetCtrlVal(panel, LOGGER_SAVE, 1);
    ASSERT_EQ(SetFileSelectAnswer(path.c_str()), 0);
    Answer({{LOGTIME, AnswerNewestTime}});
    ASSERT_EQ(UserCommit(panel, LOGGER_GET), 0);
    EXPECT_EQ(gSeen.size(), 1u) << "the newest record's time was asked";
    EXPECT_EQ(Number(panel, LOGGER_RECORDS), 6);
    EXPECT_EQ(apptest::ReadFile(path), kExpectedLoggerExport);
    std::vector<std::string> lines = ListLines(panel);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], " 1010:   14.03.26  12:00:00        1.88 [kW]    - OK -");
    EXPECT_EQ(lines[2], " 1006:  (14.03.26  11:30:00)       0.00 [kW]    FAILED");
    EXPECT_EQ(Text(panel, LOGGER_LINES), "6");
    EXPECT_EQ(CountRequests("FF 03 03 E7 00 0C"), 1) << "one block of 12 registers from 999";
    EXPECT_STREQ(logfile, path.c_str());
    EXPECT_EQ(Attr(panel, LOGGER_TIMER, ATTR_ENABLED), 1);
    // The chart runs oldest first over the time stamps; the failed record is a gap.
    EXPECT_EQ(Attr(panel, LOGGER_CHART, ATTR_NUM_POINTS), 6);
    EXPECT_EQ(Attr(panel, LOGGER_CHART, ATTR_NUM_TRACES), 1) << "one channel";
    double x[6], y[6];
    int flags[6];
    for (int k = 0; k < 6; ++k)
        ASSERT_EQ(GetStripChartPoint(panel, LOGGER_CHART, k, &x[k], &y[k], 1, &flags[k]), 0);
    EXPECT_DOUBLE_EQ(x[5], static_cast<double>(LocalTime(2026, 3, 14, 12, 0, 0)));
    EXPECT_DOUBLE_EQ(x[5] - x[0], 5 * 900.0);
    EXPECT_NEAR(y[5], 1.88, 0.005);
    EXPECT_NEAR(y[0], 2.31, 0.005);
    EXPECT_TRUE(std::isnan(y[3])) << "record 3 failed";
    EXPECT_EQ(flags[3], STRIP_POINT_FAILED);
    EXPECT_EQ(flags[2], 0);
    char unit[16] = "";
    GetTraceAttribute(panel, LOGGER_CHART, 1, ATTR_TRACE_UNIT, unit, sizeof unit);
    EXPECT_STREQ(unit, "kW");
    Screenshot(panel, "logger");

    ASSERT_EQ(UserCommit(panel, LOGGER_CLOSE), 0);
    EXPECT_EQ(logdisp, 0);
    ExpectBackOnMainPanel();
}

void AnswerInterval(int panel) {
    static int tries = 0;
    if (tries++ == 0) {
        // 0:00 is no interval: asked again.
        SetCtrlVal(panel, LOGINTERVAL_MINUTES, 0);
        SetCtrlVal(panel, LOGINTERVAL_SECONDS, 0);
        UserCommit(panel, LOGINTERVAL_OK);
        gStep--; // the same pop-up again
        return;
    }
    SetCtrlVal(panel, LOGINTERVAL_MINUTES, 0);
    SetCtrlVal(panel, LOGINTERVAL_SECONDS, 30);
    ShotPopup(panel, "logger_interval_popup");
    UserCommit(panel, LOGINTERVAL_OK);
}

TEST_F(DevViewsTest, AFailedBlockKeepsTheLinesReadSoFarInAWholeFile) {
    // Requests: 3 of the configuration, the status word, the logger status at opening and at
    // the download, block 1; block 2 and its three retries are lost.
    Start({"--interval", "external", "--logger-records", "100", "--fault", "drop:at=8-11"});
    Answer({{LOGINTERVAL, AnswerInterval}});
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_MEASURE_LOGGER), 0);
    int panel = logdisp;
    ASSERT_GT(panel, 0);
    EXPECT_EQ(gSeen.size(), 2u) << "0:00 was refused and asked again";
    EXPECT_EQ(Text(panel, LOGGER_INTERVAL), "00:30");
    EXPECT_EQ(Attr(panel, LOGGER_MANUAL, ATTR_CTRL_VAL), 1);
    EXPECT_EQ(Number(panel, LOGGER_P_RECORDS), 100);
    EXPECT_EQ(Number(panel, LOGGER_Q_RECORDS), 100);
    EXPECT_EQ(Text(panel, LOGGER_SPAN), "00:00:50");
    Screenshot(panel, "logger_interval");

    std::string path = dir_ + "/partial.txt";
    apptest::WriteFile(path, "an older export\r\n");
    std::strcpy(logfile, path.c_str());
    SetCtrlVal(panel, LOGGER_SAVE, 1);
    Answer({{ERROR, AcknowledgeError}});
    double start = Now();
    ASSERT_EQ(UserCommit(panel, LOGGER_GET), 0);
    EXPECT_LT(Now() - start, 10.0);
    EXPECT_EQ(gSeen.size(), 1u) << "the lost block was reported";
    std::vector<std::string> lines = ListLines(panel);
    ASSERT_EQ(lines.size(), 30u) << "the first block's records stay";
    std::string file = apptest::ReadFile(path);
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 30);
    EXPECT_EQ(file.substr(file.size() - 2), "\r\n") << "whole lines only";
    // Newest first, 30 s apart, two channels from register 1079 on.
    EXPECT_EQ(lines[0].substr(0, 6), " 1396:");
    EXPECT_EQ(lines[29].substr(0, 6), " 1280:");
    auto seconds = [](const std::string &line) {
        int h = 0, m = 0, sec = 0;
        std::sscanf(line.c_str() + 19, "%d:%d:%d", &h, &m, &sec);
        return h * 3600 + m * 60 + sec;
    };
    EXPECT_EQ((seconds(lines[0]) - seconds(lines[1]) + 86400) % 86400, 30)
        << "30 s apart: " << lines[0] << " / " << lines[1];
    EXPECT_EQ(seconds(lines[0]) % 30, 0) << "the clock's time rounded down to the interval";
    EXPECT_EQ(CountRequests("FF 03 04 FF 00 78"), 1) << "block 1: 120 registers from 1279";
    EXPECT_EQ(CountRequests("FF 03 04 87 00 78"), 4) << "block 2 from 1159, four attempts";
    EXPECT_EQ(Attr(panel, LOGGER_TIMER, ATTR_ENABLED), 1);
    UserCommit(panel, LOGGER_CLOSE);
}

void CancelTransfer(int) {
    UserCommit(pHandle, TRANSFER_CANCEL);
}

TEST_F(DevViewsTest, CancellingTheDownloadKeepsWhatWasRead) {
    Start({"--logger-records", "200"});
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_MEASURE_LOGGER), 0);
    int panel = logdisp;
    ASSERT_GT(panel, 0);
    // The cancel is pressed as soon as the progress pop-up shows.
    Answer({{TRANSFER, CancelTransfer}});
    ASSERT_EQ(UserCommit(panel, LOGGER_GET), 0);
    EXPECT_EQ(gSeen.size(), 1u);
    std::vector<std::string> lines = ListLines(panel);
    EXPECT_GE(lines.size(), 30u);
    EXPECT_LT(lines.size(), 200u) << "stopped before the end";
    EXPECT_EQ(lines.size() % 30, 0u) << "whole blocks";
    EXPECT_EQ(Attr(panel, LOGGER_CHART, ATTR_NUM_POINTS), static_cast<int>(lines.size()));
    EXPECT_EQ(Attr(panel, LOGGER_CHART, ATTR_NUM_TRACES), 2) << "both channels drawn";
    EXPECT_EQ(pHandle, 0) << "the progress pop-up is gone";
    UserCommit(panel, LOGGER_CLOSE);
    ExpectBackOnMainPanel();
}

TEST_F(DevViewsTest, LoggerThatLogsNothingSaysSoAndStaysClosed) {
    Start({"--logger", "none"});
    Answer({{ERROR, AcknowledgeError}});
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_MEASURE_LOGGER), 0);
    EXPECT_EQ(gSeen.size(), 1u);
    EXPECT_EQ(logdisp, 0);
    ExpectBackOnMainPanel();
}

TEST_F(DevViewsTest, LoggerResetAsksAndClearsFromTheViewAndTheMainPanel) {
    Start({"--logger-records", "40"});
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_MEASURE_LOGGER), 0);
    int panel = logdisp;
    Answer({{WARNING, Decline}});
    UserCommit(panel, LOGGER_RESET);
    EXPECT_EQ(Number(panel, LOGGER_P_RECORDS), 40) << "declined: nothing cleared";
    Answer({{WARNING, Confirm}});
    UserCommit(panel, LOGGER_RESET);
    EXPECT_EQ(Number(panel, LOGGER_P_RECORDS), 0);
    EXPECT_EQ(CountRequests("FF 10 03 C9 00 01 02 00 03"), 1);
    UserCommit(panel, LOGGER_CLOSE);

    Answer({{WARNING, Confirm}});
    ASSERT_EQ(UserCommit(MainPanel, PANEL_LOG_RESET), 0);
    EXPECT_EQ(CountRequests("FF 10 03 C9 00 01 02 00 03"), 2);
    EXPECT_EQ(CommPortOpen, 0);
}

// ---- simulation -----------------------------------------------------------------------------

const char kManualOn1[] = "FF 10 02 19 00 02 04 00 83 82 0F";  // output 1 put into manual mode
const char kManualOff1[] = "FF 10 02 19 00 02 04 00 03 82 0F"; // and given back its function

TEST_F(DevViewsTest, SimulationSwitchesOutputsAndRestoresExactlyTheChangedOne) {
    Start({"--digout", "3,130"});
    Answer({{WARNING, Confirm}});
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_MEASURE_SIMULATION), 0);
    int panel = simdisp;
    ASSERT_GT(panel, 0);
    EXPECT_EQ(gSeen.size(), 1u) << "asked, since output 1 was not in manual mode";
    EXPECT_EQ(CountRequests(kManualOn1), 1) << Frames();
    EXPECT_EQ(ModifiedOutputs[0], 1);
    EXPECT_EQ(ModifiedOutputs[1], 0);
    Screenshot(panel, "simulation");

    struct Press {
        int button, value;
        const char *request;
        int partner, partnerValue;
    } presses[] = {
        {SIMULATION_OUT1_ON, 1, "FF 10 01 8F 00 01 02 21 00", SIMULATION_OUT1_OFF, 0},
        {SIMULATION_OUT1_ON, 0, "FF 10 01 8F 00 01 02 01 00", SIMULATION_OUT1_OFF, 1},
        {SIMULATION_OUT2_ON, 1, "FF 10 01 8F 00 01 02 42 00", SIMULATION_OUT2_OFF, 0},
        {SIMULATION_OUT2_OFF, 1, "FF 10 01 8F 00 01 02 02 00", SIMULATION_OUT2_ON, 0},
    };
    for (const Press &p : presses) {
        int before = CountRequests(p.request);
        SetCtrlVal(panel, p.button, p.value);
        ASSERT_EQ(UserCommit(panel, p.button), 0);
        EXPECT_EQ(CountRequests(p.request), before + 1) << p.request;
        EXPECT_EQ(Attr(panel, p.partner, ATTR_CTRL_VAL), p.partnerValue) << p.request;
    }
    ASSERT_EQ(UserCommit(panel, SIMULATION_DONE), 0);
    EXPECT_EQ(CountRequests(kManualOff1), 1) << "only output 1's bit is cleared";
    EXPECT_EQ(simdisp, 0);
    ExpectBackOnMainPanel();

    // Declined: nothing is written and the view does not open.
    int writes = CountRequests("FF 10 02 19");
    Answer({{WARNING, Decline}});
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_MEASURE_SIMULATION), 0);
    EXPECT_EQ(simdisp, 0);
    EXPECT_EQ(CountRequests("FF 10 02 19"), writes);
    ExpectBackOnMainPanel();
}

TEST_F(DevViewsTest, SimulationWithBothOutputsManualAsksAndWritesNothing) {
    Start({"--digout", "128,255"});
    ModifiedOutputs[0] = ModifiedOutputs[1] = 1; // as an earlier opening may have left them
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_MEASURE_SIMULATION), 0);
    ASSERT_GT(simdisp, 0);
    UserCommit(simdisp, SIMULATION_DONE);
    EXPECT_EQ(CountRequests("FF 10 02 19"), 0);
    ExpectBackOnMainPanel();
}

TEST_F(DevViewsTest, ClosingTheMainWindowRestoresTheOutputsFirst) {
    Start({"--digout", "3,3"});
    Answer({{WARNING, Confirm}});
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_MEASURE_SIMULATION), 0);
    ASSERT_GT(simdisp, 0);
    EXPECT_EQ(CountRequests("FF 10 02 19 00 02 04 00 83 83 0F"), 1) << Frames();
    ASSERT_EQ(UserClosePanel(BkgndPanel), 0);
    EXPECT_EQ(CountRequests("FF 10 02 19 00 02 04 00 03 03 0F"), 1) << Frames();
    EXPECT_EQ(simdisp, 0);
    EXPECT_EQ(CommPortOpen, 0);
}

TEST_F(DevViewsTest, ClosingTheMainWindowSaysWhenTheOutputsCannotBeRestored) {
    Start({"--digout", "3,3"});
    Answer({{WARNING, Confirm}});
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_MEASURE_SIMULATION), 0);
    ASSERT_GT(simdisp, 0);
    kill(pid_, SIGSTOP);
    Answer({{ERROR, [](int panel) {
                 char detail[256] = "";
                 GetCtrlVal(panel, ERROR_DETAIL, detail, sizeof detail);
                 EXPECT_NE(std::strstr(detail, "Outputs 1 and 2"), nullptr) << detail;
                 EXPECT_NE(std::strstr(detail, "manual mode"), nullptr) << detail;
                 UserCommit(panel, ERROR_OK);
             }}});
    ASSERT_EQ(UserClosePanel(BkgndPanel), 0);
    EXPECT_EQ(gSeen.size(), 1u) << "the failed restore was reported";
    EXPECT_EQ(simdisp, 0);
    EXPECT_EQ(CommPortOpen, 0);
    kill(pid_, SIGCONT);
}

} // namespace

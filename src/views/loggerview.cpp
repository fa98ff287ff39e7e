// Callbacks of the logger view: opening (with the interval asked when the instrument has none),
// the status every 10 s, the download into the list and the export file, the file choice, the
// time of the newest record, the reset from the view and from the main panel, print, close.
#include <cstdio>
#include <ctime>

#include "MainPan.h"
#include "config/commands.h"
#include "config/mainpanel.h"
#include "config/record.h"
#include "link/frame.h"
#include "link/linksettings.h"
#include "link/panelload.h"
#include "link/port.h"
#include "link/report.h"
#include "platform/ui/userint.h"
#include "views/display.h"
#include "views/logger.h"
#include "views/panels.h"
#include "views/viewpanel.h"
#include "views/views.h"

int logdisp = 0;
int savelog = 0;

namespace {

ViewPanel gLogger = {-1,
                     KIND_LOGGER,
                     &logdisp,
                     LOGGER_TIMER,
                     LOGGER_BUSY,
                     LOGGER_TITLE,
                     LOGGER_DATE,
                     LOGGER_TIME,
                     LOGGER_PRINT,
                     0,
                     {},
                     {},
                     0,
                     ""};

constexpr double kStatusInterval = 10.0;
constexpr int kLoggerFileCaption = 2; // entry of the main panel's file-dialog titles

// The logger word of the instrument as read when the view opened.
unsigned LoggerWord() {
    return Lese.Logger;
}

// Waits for OK on a pop-up; other commits (a field's Enter) go on waiting.
void WaitForOk(int popup, int ok) {
    for (;;) {
        int panel = 0, control = 0;
        if (GetUserEvent(1, &panel, &control) != EVENT_COMMIT) continue;
        if (panel == popup && control == ok) return;
    }
}

// Asks the interval for an instrument that has none of its own; never 0:00.
int AskInterval() {
    int popup = LoadPanelInLanguage(0, LOGINTERVAL);
    if (popup < 0) return 15 * 60;
    InstallPopup(popup);
    SetActiveCtrl(popup, LOGINTERVAL_OK);
    int minutes = 0, seconds = 0;
    do {
        WaitForOk(popup, LOGINTERVAL_OK);
        GetCtrlVal(popup, LOGINTERVAL_MINUTES, &minutes);
        GetCtrlVal(popup, LOGINTERVAL_SECONDS, &seconds);
    } while (minutes <= 0 && seconds <= 0);
    RemovePopup(0);
    DiscardPanel(popup);
    return minutes * 60 + seconds;
}

struct DownloadState {
    LoggerExport file;
    int saving;
    int lines;
};

LoggerSeries gSeries;

int ListLine(void *context, const LoggerLine &line) {
    auto *d = static_cast<DownloadState *>(context);
    InsertListItem(logdisp, LOGGER_LIST, -1, line.screen, line.address);
    if (d->saving) LoggerExportLine(&d->file, line.file);
    LoggerSeriesAdd(&gSeries, line);
    ++d->lines;
    return 1;
}

// The records listed, drawn over their time stamps: active power (or the one channel), then
// reactive power, each on the strip chart's x axis by its own time, a failed record marked.
void DrawLoggerChart(unsigned word) {
    int n = gSeries.count, channels = gSeries.channels;
    if (channels < 1) return;
    // Setting the trace count and the points kept clears the chart.
    SetCtrlAttribute(logdisp, LOGGER_CHART, ATTR_NUM_TRACES, channels);
    SetCtrlAttribute(logdisp, LOGGER_CHART, ATTR_POINTS_PER_SCREEN, n < 2 ? 2 : n);
    int groups[2] = {GROUP_ACTIVE, GROUP_REACTIVE};
    if (channels == 1 && !(word & kLoggerActive)) groups[0] = GROUP_REACTIVE;
    static const unsigned kColors[2] = {0x1F5FBF, 0xC07000};
    for (int c = 0; c < channels; ++c) {
        bool active = groups[c] == GROUP_ACTIVE;
        SetTraceAttribute(logdisp, LOGGER_CHART, c + 1, ATTR_TRACE_NAME, active ? "P" : "Q");
        SetTraceAttribute(logdisp, LOGGER_CHART, c + 1, ATTR_TRACE_UNIT, DisplayUnit(groups[c]));
        SetTraceAttribute(logdisp, LOGGER_CHART, c + 1, ATTR_TRACE_COLOR,
                          static_cast<int>(kColors[active ? 0 : 1]));
    }
    for (int k = 0; k < n; ++k) {
        const LoggerPoint &p = LoggerSeriesAt(gSeries, k);
        PlotStripChartPoint(logdisp, LOGGER_CHART, static_cast<double>(p.time), p.value, channels,
                            p.failed ? STRIP_POINT_FAILED : 0);
    }
}

void ShowProgress(void *, int percent) {
    TransferWindow(2, percent, 0.0);
}

int UserCancelled(void *) {
    return TransferCancelled();
}

// Lets `seconds` pass with the window kept painted; the status timer is held meanwhile so that
// it does not read in between.
void PausePainted(double seconds) {
    SetCtrlAttribute(logdisp, LOGGER_TIMER, ATTR_ENABLED, 0);
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        ProcessSystemEvents();
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        double passed = static_cast<double>(now.tv_sec - start.tv_sec) +
                        static_cast<double>(now.tv_nsec - start.tv_nsec) / 1e9;
        if (passed >= seconds) break;
        timespec step{0, 20 * 1000 * 1000};
        nanosleep(&step, nullptr);
    }
    SetCtrlAttribute(logdisp, LOGGER_TIMER, ATTR_ENABLED, 1);
}

// The newest record's time when the logger mode leaves it to the clock.
long long ClockNewest() {
    return RoundDownToInterval(static_cast<long long>(std::time(nullptr)), timeoffset);
}

} // namespace

void CmLoggerAcquisition(int /*menuBar*/, int /*menuItem*/, void * /*callbackData*/,
                         int /*panel*/) {
    if (!OpenViewLink()) return;
    status = Read(&Lese, ReadDevStatus, 1);
    if (!status) {
        CloseInterface();
        return;
    }
    if (!(Lese.Logger & (kLoggerActive | kLoggerReactive))) {
        // Nothing is logged, so there is nothing to show.
        Error(6, 9);
        CloseInterface();
        return;
    }
    if (ShowViewPanel(&gLogger)) InitLogger();
}

void InitLogger() {
    ShowBusTitle(&gLogger);
    InitAnzeige();
    unsigned word = LoggerWord();
    char mode[120] = "";
    if (MainPanel > 0)
        GetLabelFromIndex(MainPanel, PANEL_LOGMODE_LIST, LoggerModeItem(word), mode, sizeof mode);
    SetCtrlVal(logdisp, LOGGER_MODE, mode);

    int seconds = ConfiguredInterval(Lese.EnergyControl);
    int entered = seconds == 0;
    if (entered) seconds = AskInterval();
    SetLoggerInterval(seconds);
    char interval[16];
    IntervalText(seconds, interval, sizeof interval);
    SetCtrlVal(logdisp, LOGGER_MANUAL, entered);
    SetCtrlVal(logdisp, LOGGER_INTERVAL, interval);

    SetCtrlVal(logdisp, LOGGER_REACTIVE, (word & kLoggerReactive) ? 1 : 0);
    SetCtrlVal(logdisp, LOGGER_ACTIVE, (word & kLoggerActive) ? 1 : 0);
    SetCtrlAttribute(logdisp, LOGGER_P_RECORDS, ATTR_DIMMED, (word & kLoggerActive) ? 0 : 1);
    SetCtrlAttribute(logdisp, LOGGER_Q_RECORDS, ATTR_DIMMED, (word & kLoggerReactive) ? 0 : 1);
    SetCtrlVal(logdisp, LOGGER_FILENAME, logfile);
    SetCtrlVal(logdisp, LOGGER_LINES, "");
    InstallPanelCallback(logdisp, PanelEvents, nullptr);
    ShowLoggerStatus();
    SetCtrlVal(logdisp, LOGGER_RECORDS, static_cast<int>(Log[12]));
    SetCtrlAttribute(logdisp, LOGGER_TIMER, ATTR_INTERVAL, kStatusInterval);
    SetCtrlAttribute(logdisp, LOGGER_TIMER, ATTR_ENABLED, 1);
}

void ShowLoggerStatus() {
    if (logdisp <= 0) return;
    SetCtrlVal(logdisp, LOGGER_BUSY, 1);
    unsigned word = LoggerWord();
    ReadLoggerStatus(word);
    if (word & kLoggerReactive) SetCtrlVal(logdisp, LOGGER_Q_RECORDS, static_cast<int>(Log[12]));
    if (word & kLoggerActive) SetCtrlVal(logdisp, LOGGER_P_RECORDS, static_cast<int>(Log[12]));
    char span[32];
    SpanText(timeoffset, Log[12], span, sizeof span);
    SetCtrlVal(logdisp, LOGGER_SPAN, span);
    SetCtrlVal(logdisp, LOGGER_BUSY, 0);
}

int CmReadLogStatus(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                    int /*eventData1*/, int /*eventData2*/) {
    if (event == EVENT_TIMER_TICK) ShowLoggerStatus();
    return 0;
}

int SelectLoggerFile() {
    char title[120] = "";
    if (MainPanel > 0)
        GetLabelFromIndex(MainPanel, PANEL_FILE_CAPTIONS, kLoggerFileCaption, title, sizeof title);
    char path[sizeof logfile] = "";
    int chosen = FileSelectPopup("", logfile[0] ? logfile : "*.txt", "*.txt", title,
                                 VAL_SAVE_BUTTON, path, sizeof path);
    if (chosen > VAL_NO_FILE_SELECTED && path[0]) {
        std::snprintf(logfile, sizeof logfile, "%s", path);
    } else {
        chosen = VAL_NO_FILE_SELECTED;
        if (logdisp > 0) SetCtrlVal(logdisp, LOGGER_SAVE, 0);
    }
    if (logdisp > 0) SetCtrlVal(logdisp, LOGGER_FILENAME, logfile);
    return chosen;
}

int CmSelLoggerFile(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                    int /*eventData1*/, int /*eventData2*/) {
    if (event == EVENT_COMMIT && SelectLoggerFile() > VAL_NO_FILE_SELECTED)
        SetCtrlVal(logdisp, LOGGER_SAVE, 1);
    return 0;
}

long long AskLastLogTime() {
    long long newest = ClockNewest();
    int popup = LoadPanelInLanguage(0, LOGTIME);
    if (popup < 0) return newest;
    std::time_t t = static_cast<std::time_t>(newest);
    std::tm ymd{};
    localtime_r(&t, &ymd);
    SetCtrlVal(popup, LOGTIME_DAY, ymd.tm_mday);
    SetCtrlVal(popup, LOGTIME_MONTH, ymd.tm_mon + 1);
    SetCtrlVal(popup, LOGTIME_YEAR, (ymd.tm_year + 1900) % 100);
    SetCtrlVal(popup, LOGTIME_HOUR, ymd.tm_hour);
    SetCtrlVal(popup, LOGTIME_MINUTE, ymd.tm_min);
    SetCtrlVal(popup, LOGTIME_SECOND, ymd.tm_sec);
    InstallPopup(popup);
    SetActiveCtrl(popup, LOGTIME_OK);
    for (;;) {
        WaitForOk(popup, LOGTIME_OK);
        int f[6] = {};
        const int fields[6] = {LOGTIME_DAY,  LOGTIME_MONTH,  LOGTIME_YEAR,
                               LOGTIME_HOUR, LOGTIME_MINUTE, LOGTIME_SECOND};
        for (int k = 0; k < 6; ++k) GetCtrlVal(popup, fields[k], &f[k]);
        long long chosen = LocalTime(2000 + f[2], f[1], f[0], f[3], f[4], f[5]);
        // A day the month does not have (31 April) is asked again.
        if (chosen >= 0) {
            newest = chosen;
            break;
        }
    }
    RemovePopup(0);
    DiscardPanel(popup);
    return newest;
}

int CmGetLoggerData(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                    int /*eventData1*/, int /*eventData2*/) {
    if (event != EVENT_COMMIT || logdisp <= 0) return 0;
    DownloadState d{};
    GetCtrlVal(logdisp, LOGGER_SAVE, &savelog);
    // A file dialog cancelled here cancels the download: the user did not say where to.
    if (savelog && !logfile[0] && SelectLoggerFile() <= VAL_NO_FILE_SELECTED) return 0;
    d.saving = savelog;
    if (d.saving && !LoggerExportOpen(&d.file, logfile)) {
        SetErrorDetail(d.file.error);
        Error(2, 5);
        return 0;
    }
    Error_Count = 0;
    ShowLoggerStatus();
    SetCtrlAttribute(logdisp, LOGGER_TIMER, ATTR_ENABLED, 0);

    int records = 0;
    GetCtrlVal(logdisp, LOGGER_RECORDS, &records);
    if (records > Log[12]) {
        records = Log[12];
        SetCtrlVal(logdisp, LOGGER_RECORDS, records);
    }
    ClearListCtrl(logdisp, LOGGER_LIST);
    SetCtrlVal(logdisp, LOGGER_LINES, "");
    unsigned word = LoggerWord();
    LoggerSeriesClear(&gSeries, LoggerChannels(word));
    long long newest = AsksNewestTime(word) ? AskLastLogTime() : ClockNewest();

    TransferWindow(3, 0, 0.0);
    LoggerSink sink{&d, ListLine, ShowProgress, UserCancelled};
    int lines = 0;
    DownloadLogger(word, records, newest, timeoffset, sink, &lines);
    TransferWindow(1, 0, 0.0);
    if (d.saving) {
        // What was read stays, also after a failed block or a cancel; a download that read
        // nothing leaves the last export as it was.
        if (d.lines == 0) {
            LoggerExportAbandon(&d.file);
        } else if (!LoggerExportCommit(&d.file)) {
            SetErrorDetail(d.file.error);
            Error(2, 5);
        }
    }
    DrawLoggerChart(word);
    char listed[24];
    std::snprintf(listed, sizeof listed, "%d", d.lines);
    SetCtrlVal(logdisp, LOGGER_LINES, listed);
    SetCtrlAttribute(logdisp, LOGGER_TIMER, ATTR_ENABLED, 1);
    return 0;
}

int ResetLogger(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                int /*eventData1*/, int /*eventData2*/) {
    if (event != EVENT_COMMIT) return 0;
    if (!Warnung(1, 1)) return 0;
    status = ResetLoggerMemory();
    // The instrument needs a moment before its status shows the empty memory.
    PausePainted(1.0);
    ShowLoggerStatus();
    return 0;
}

int ResetLoggerKonf(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                    int /*eventData1*/, int /*eventData2*/) {
    if (event != EVENT_COMMIT) return 0;
    if (!Warnung(1, 1)) return 0;
    if (!InitInterface(CommPort)) return 0;
    status = ResetLoggerMemory();
    CloseInterface();
    return 0;
}

int CmPrintLogger(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                  int /*eventData1*/, int /*eventData2*/) {
    if (event == EVENT_COMMIT) PrintViewPanel(&gLogger);
    return 0;
}

int CmCloseLogger(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                  int /*eventData1*/, int /*eventData2*/) {
    if (event == EVENT_COMMIT) CloseLoggerView();
    return 0;
}

void CloseLoggerView() {
    LoggerSeriesFree(&gSeries);
    CloseViewPanel(&gLogger);
}

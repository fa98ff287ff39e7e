// The steps every live measurement view shares: opening, set-up from the layout tables, the
// periodic read, print, close, copy and CSV recording.
#include "views/viewpanel.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "MainPan.h"
#include "config/mainpanel.h"
#include "config/record.h"
#include "config/transfer.h"
#include "link/linksettings.h"
#include "link/panelload.h"
#include "link/port.h"
#include "link/report.h"
#include "platform/ui/userint.h"
#include "views/panels.h"
#include "views/readout.h"
#include "views/views.h"
#include "views/viewtables.h"

namespace {

constexpr unsigned kRed = 0xFF0000;
constexpr unsigned kBlack = 0x000000;
constexpr int kRecordingFailed = 10; // error message of a recording that could not be written

ViewPanel *gViews[8];
int gViewCount = 0;

// Which controls carry rows of the view (a shared field appears once per row).
void SetFieldVisibility(ViewPanel *vp) {
    const ViewTables &t = ViewTable(vp->view);
    int panel = *vp->handle;
    for (int row = 0; row < t.rowCount; ++row)
        SetCtrlAttribute(panel, t.rows[row].control, ATTR_VISIBLE, 0);
    for (int row = 0; row < t.rowCount; ++row) {
        if (!Shown(t.rows[row].show)) continue;
        SetCtrlAttribute(panel, t.rows[row].control, ATTR_VISIBLE, 1);
        SetCtrlVal(panel, t.rows[row].control, "");
    }
}

void SetRecordButton(ViewPanel *vp) {
    if (vp->record <= 0 || *vp->handle <= 0) return;
    // The button's own label starts a recording; the main window holds the one that stops it.
    const std::string stop = TextOfRing(BkgndPanel, BKGND_VIEW_TEXTS, 0, {});
    SetCtrlAttribute(*vp->handle, vp->record, ATTR_LABEL_TEXT,
                     RecordingActive(&vp->recording) ? stop.c_str() : vp->recordLabel);
}

} // namespace

void AddViewPanel(ViewPanel *vp) {
    for (int k = 0; k < gViewCount; ++k)
        if (gViews[k] == vp) return;
    if (gViewCount < static_cast<int>(sizeof gViews / sizeof gViews[0])) gViews[gViewCount++] = vp;
}

ViewPanel *ViewOfPanel(int panel) {
    if (panel <= 0) return nullptr;
    for (int k = 0; k < gViewCount; ++k)
        if (*gViews[k]->handle == panel) return gViews[k];
    return nullptr;
}

int OpenViewLink() {
    // A failed open or read has shown its message; the main panel stays as it is.
    if (!InitInterface(CommPort)) return 0;
    status = LeseKonfiguration();
    if (!status) {
        CloseInterface();
        return 0;
    }
    return 1;
}

int ShowViewPanel(ViewPanel *vp) {
    AddViewPanel(vp);
    if (MainPanel > 0) HidePanel(MainPanel);
    if (ShowPanel(vp->kind) < 0) {
        CloseInterface();
        ShowMainPanel();
        return 0;
    }
    return 1;
}

int OpenMeasurementView(ViewPanel *vp) {
    if (!OpenViewLink() || !ShowViewPanel(vp)) return 0;
    RestoreInputData(&Lese);
    return 1;
}

void ShowBusTitle(ViewPanel *vp) {
    if (CommType != 1) return;
    // On the bus the title says which instrument the values come from.
    int panel = *vp->handle;
    char title[160] = "", caption[80] = "", extended[260];
    GetPanelAttribute(panel, ATTR_TITLE, title, sizeof title);
    if (MainPanel > 0) GetCtrlVal(MainPanel, PANEL_ADDR_CAPTION, caption, sizeof caption);
    TitleWithAddress(title, caption, DeviceAddr, extended, sizeof extended);
    SetPanelAttribute(panel, ATTR_TITLE, extended);
    if (vp->title > 0) SetCtrlVal(panel, vp->title, extended);
}

void SetupViewPanel(ViewPanel *vp, double firstInterval) {
    const ViewTables &t = ViewTable(vp->view);
    int panel = *vp->handle;
    ShowBusTitle(vp);
    InitAnzeige();
    for (int k = 0; k < 3; ++k) {
        char caption[40];
        std::snprintf(caption, sizeof caption, "%s%s", t.powerWord[k], Einh[GROUP_ACTIVE + k]);
        SetCtrlVal(panel, t.powerCaption[k], caption);
    }
    InstallPanelCallback(panel, PanelEvents, nullptr);
    SetCtrlAttribute(panel, vp->timer, ATTR_ENABLED, 1);
    SetFieldVisibility(vp);
    for (int k = 0; k < t.elementCount; ++k) {
        const ElementRow &e = t.elements[k];
        int shown = Shown(e.show);
        SetCtrlAttribute(panel, e.control, ATTR_VISIBLE, shown);
        if (shown && e.unit == UNIT_VOLTAGE) SetCtrlVal(panel, e.control, Einh[GROUP_VOLTAGE]);
        if (shown && e.unit == UNIT_CURRENT) SetCtrlVal(panel, e.control, Einh[GROUP_CURRENT]);
    }
    for (int k = 0; k < t.captionCount; ++k) {
        const SharedCaption &c = t.captions[k];
        const char *text = Lese.System <= 2 ? c.few : c.many;
        if (c.isLabel)
            SetCtrlAttribute(panel, c.control, ATTR_LABEL_TEXT, text);
        else
            SetCtrlVal(panel, c.control, text);
    }
    for (DisplayText &d : vp->texts) d = DisplayText{"", 0};
    vp->lastStatus = 0;
    vp->recordLabel[0] = '\0';
    if (vp->record > 0)
        GetCtrlAttribute(panel, vp->record, ATTR_LABEL_TEXT, vp->recordLabel,
                         sizeof vp->recordLabel);
    SetRecordButton(vp);
    SetCtrlAttribute(panel, vp->timer, ATTR_INTERVAL, firstInterval);
}

void ShowViewTexts(ViewPanel *vp) {
    const ViewTables &t = ViewTable(vp->view);
    int panel = *vp->handle;
    for (int row = 0; row < t.rowCount; ++row) {
        if (!Shown(t.rows[row].show)) continue;
        const DisplayText &d = vp->texts[row];
        int control = t.rows[row].control;
        unsigned colour = d.marked ? kRed : kBlack;
        SetCtrlAttribute(panel, control, ATTR_TEXT_COLOR, static_cast<int>(colour));
        SetCtrlAttribute(panel, control, ATTR_LABEL_COLOR, static_cast<int>(colour));
        SetCtrlAttribute(panel, control, ATTR_TEXT_BOLD, d.marked);
        SetCtrlVal(panel, control, d.text);
    }
}

int ViewTick(ViewPanel *vp, double interval) {
    int panel = *vp->handle;
    SetCtrlAttribute(panel, vp->timer, ATTR_INTERVAL, interval);
    if (vp->busy > 0) SetCtrlVal(panel, vp->busy, 1);
    status = ReadViewValues(vp->view, vp->texts);
    vp->lastStatus = status;
    ShowViewTexts(vp);
    if (RecordingActive(&vp->recording) &&
        !RecordRead(&vp->recording, status, static_cast<long long>(std::time(nullptr)))) {
        // Told once; the view goes on reading.
        SetRecordButton(vp);
        SetErrorDetail(vp->recording.error);
        Error(2, kRecordingFailed);
    }
    if (vp->busy > 0) SetCtrlVal(panel, vp->busy, 0);
    return status;
}

void DateTimeTexts(char *date, int dateSize, char *clock, int clockSize) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (now == static_cast<std::time_t>(-1) || !localtime_r(&now, &local)) local = std::tm{};
    std::snprintf(date, static_cast<size_t>(dateSize), "%02u.%02u.%04u", unsigned(local.tm_mday),
                  unsigned(local.tm_mon + 1), unsigned(local.tm_year + 1900));
    std::snprintf(clock, static_cast<size_t>(clockSize), "%02u:%02u:%02u", unsigned(local.tm_hour),
                  unsigned(local.tm_min), unsigned(local.tm_sec));
}

void PrintViewPanel(ViewPanel *vp) {
    int panel = GetActivePanel();
    if (panel <= 0 || !ViewOfPanel(panel)) panel = *vp->handle;
    char date[16], clock[16];
    DateTimeTexts(date, sizeof date, clock, sizeof clock);
    SetCtrlVal(panel, vp->date, date);
    SetCtrlVal(panel, vp->time, clock);
    SetCtrlAttribute(panel, vp->date, ATTR_VISIBLE, 1);
    SetCtrlAttribute(panel, vp->time, ATTR_VISIBLE, 1);
    SetCtrlAttribute(panel, vp->print, ATTR_VISIBLE, 0);
    PrintPanel(panel); // scaled to the page, after the print dialog

    SetCtrlAttribute(panel, vp->date, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panel, vp->time, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panel, vp->print, ATTR_VISIBLE, 1);
}

void CloseViewPanel(ViewPanel *vp) {
    int panel = *vp->handle;
    if (panel <= 0) return;
    if (vp->timer > 0) SetCtrlAttribute(panel, vp->timer, ATTR_ENABLED, 0);
    StopRecording(&vp->recording);
    CloseInterface();
    *vp->handle = 0;
    DiscardPanel(panel);
    ShowMainPanel();
}

int CmCopyViewValues(int panel, int /*control*/, int event, void * /*callbackData*/,
                     int /*eventData1*/, int /*eventData2*/) {
    if (event != EVENT_COMMIT) return 0;
    ViewPanel *vp = ViewOfPanel(panel);
    if (!vp) return 0;
    char text[4096];
    ReadoutText(vp->view, vp->texts, text, sizeof text);
    ClipboardPutText(text);
    return 0;
}

int CmRecordView(int panel, int /*control*/, int event, void * /*callbackData*/, int /*eventData1*/,
                 int /*eventData2*/) {
    if (event != EVENT_COMMIT) return 0;
    ViewPanel *vp = ViewOfPanel(panel);
    if (!vp) return 0;
    if (RecordingActive(&vp->recording)) {
        StopRecording(&vp->recording);
        SetRecordButton(vp);
        return 0;
    }
    char path[512] = "";
    int chosen = FileSelectPopup("", "*.csv", "*.csv",
                                 TextOfRing(BkgndPanel, BKGND_VIEW_TEXTS, 1, {}).c_str(),
                                 VAL_SAVE_BUTTON, path, sizeof path);
    if (chosen <= VAL_NO_FILE_SELECTED || path[0] == '\0') return 0;
    if (!StartRecording(&vp->recording, vp->view, path)) {
        SetErrorDetail(vp->recording.error);
        Error(2, 5);
        return 0;
    }
    // The read shown now is the recording's first row.
    if (vp->lastStatus) RecordRead(&vp->recording, 1, static_cast<long long>(std::time(nullptr)));
    SetRecordButton(vp);
    return 0;
}

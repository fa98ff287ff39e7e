// The main panel's menu commands: sending the edited configuration to the instrument, adopting
// the instrument's configuration, saving it to a "*.KR7" file and opening one. The header
// captions of a file come from the main panel, so a file saved in another language carries that
// language's captions.
#include "config/mainpanel.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "MainPan.h"
#include "config/configfile.h"
#include "config/document.h"
#include "config/ranges.h"
#include "config/record.h"
#include "config/settings.h"
#include "config/transfer.h"
#include "config/windowstate.h"
#include "link/linksettings.h"
#include "link/report.h"
#include "platform/serial/portmap.h"
#include "platform/ui/userint.h"

char filename[260] = "";

namespace {

struct Caption {
    char text[256];
};

// Text of a caption control (a text message) or the label of a field.
void ValueText(int control, Caption *c) {
    c->text[0] = '\0';
    GetCtrlVal(MainPanel, control, c->text, sizeof c->text);
}
void LabelText(int control, Caption *c) {
    c->text[0] = '\0';
    GetCtrlAttribute(MainPanel, control, ATTR_LABEL_TEXT, c->text, sizeof c->text);
}

void DialogTitle(int entry, char *title, int size) {
    title[0] = '\0';
    GetLabelFromIndex(MainPanel, PANEL_FILE_CAPTIONS, entry, title, size);
}

// A file was chosen but the dialog could not hand it over (a path longer than the program
// keeps): say so, rather than end as quietly as a cancel and let the user believe it was saved.
bool DialogFailed(int chosen) {
    if (chosen >= 0) return false;
    if (chosen == UIE_BAD_VALUE)
        SetErrorDetail(
            "The chosen path is longer than the program can keep; choose a shorter one.");
    Error(2, 5);
    return true;
}

// Writes Konf to `path` with the captions of the panel. 1 when written.
int WriteToFile(const char *path) {
    StampDateTime();
    Caption date, time, vt, ct, systemLabel, out1, out2, limOn, limOff, pulse, descr, addr, baud;
    LabelText(PANEL_DATE, &date);
    // The reader skips the first character of the header before counting its tabs, so a header
    // that began with a tab could never be opened again: the first caption must not be empty.
    if (date.text[0] == '\0') snprintf(date.text, sizeof date.text, "Date");
    LabelText(PANEL_TIME, &time);
    ValueText(PANEL_VT_CAPTION, &vt);
    ValueText(PANEL_CT_CAPTION, &ct);
    LabelText(PANEL_SYSTEM, &systemLabel);
    ValueText(PANEL_OUT1_CAPTION, &out1);
    ValueText(PANEL_OUT2_CAPTION, &out2);
    LabelText(PANEL_LIMON1, &limOn);
    LabelText(PANEL_LIMOFF1, &limOff);
    LabelText(PANEL_PULSRATE1, &pulse);
    ValueText(PANEL_DESCR_CAPTION, &descr);
    ValueText(PANEL_ADDR_CAPTION, &addr);
    ValueText(PANEL_BAUD_CAPTION, &baud);
    const ConfigCaptions captions = {
        date.text,  time.text,   vt.text,    ct.text,    systemLabel.text, out1.text, out2.text,
        limOn.text, limOff.text, pulse.text, descr.text, addr.text,        baud.text};

    ConfigStamp stamp{};
    GetCtrlVal(MainPanel, PANEL_DATE, stamp.date, sizeof stamp.date);
    GetCtrlVal(MainPanel, PANEL_TIME, stamp.time, sizeof stamp.time);

    // The connection type and the description are taken as the panel shows them.
    int shownSystem = Konf.System;
    GetCtrlVal(MainPanel, PANEL_SYSTEM, &shownSystem);
    char description[256] = "";
    GetCtrlVal(MainPanel, PANEL_DESCR, description, sizeof description);
    description[DescriptionLength(description)] = '\0'; // what the record's field would hold
    const ConfigShown shown = {shownSystem, description};

    return WriteConfigFile(path, &Konf, captions, stamp, shown);
}

} // namespace

int SaveDocument(int choose) {
    if (!choose && DocumentPath[0]) {
        if (!WriteToFile(DocumentPath)) return 0;
        StartDocument(DocumentPath);
        return 1;
    }
    char title[256], path[260] = "";
    DialogTitle(0, title, sizeof title);
    const char *defaultFile = filename[0] ? filename : "*.KR7";
    const int chosen = FileSelectPopup(DialogStartFolder(), defaultFile, "*.KR7", title,
                                       VAL_SAVE_BUTTON, path, sizeof path);
    if (DialogFailed(chosen) || chosen == VAL_NO_FILE_SELECTED || path[0] == '\0') return 0;
    snprintf(filename, sizeof filename, "%s", path);
    RememberFolderOf(filename);
    if (!WriteToFile(filename)) return 0;
    StartDocument(filename);
    return 1;
}

void CmSaveToFile(int, int, void *, int) {
    SaveDocument(0);
}

void CmSaveAs(int, int, void *, int) {
    SaveDocument(1);
}

void CmFileOpen(int, int, void *, int) {
    if (!KeepOrDropChanges()) return;
    char title[256], path[260] = "";
    DialogTitle(1, title, sizeof title);
    const int chosen = FileSelectPopup(DialogStartFolder(), "*.KR7", "*.KR7", title,
                                       VAL_LOAD_BUTTON, path, sizeof path);
    if (DialogFailed(chosen) || chosen == VAL_NO_FILE_SELECTED || path[0] == '\0') return;
    snprintf(filename, sizeof filename, "%s", path);
    RememberFolderOf(filename);

    if (!OpenConfigFile(filename, &Konf)) return;
    // Values the panel would clamp without a word, or the instrument refuse, are brought into
    // range here and named, so the user knows what the file really held.
    const std::vector<RangeFix> fixes = BringIntoRange();
    NewINIFile(); // the settings file takes the file's module and rated values
    ActivateObjects();
    ShowAll();
    StartDocument(filename);
    if (!fixes.empty()) {
        MarkDocumentChanged(); // what the panel shows is not what the file holds
        SetErrorDetail(DescribeFixes(fixes).c_str());
        Error(3, 11);
    }
}

namespace {

// Keeps what a transfer came to: done, or failed with the error the user saw. A transfer that
// ended without an error and without success was declined by the user: nothing to tell.
void NoteTransfer(int kind, int done, int errorsBefore) {
    if (!done && ErrorsReported() == errorsBefore) return;
    TransferOutcome &t = gLastTransfer;
    t.kind = kind;
    t.ok = done ? 1 : 0;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local)) std::strftime(t.time, sizeof t.time, "%H:%M:%S", &local);
    t.address = CommType == 1 ? DeviceAddr : 255;
    snprintf(t.device, sizeof t.device, "%s", ComPortDevice(CommPort));
    snprintf(t.reason, sizeof t.reason, "%s", done ? "" : LastErrorText());
}

} // namespace

TransferOutcome gLastTransfer = {};

void CmSendConfig(int, int, void *, int) {
    const int errors = ErrorsReported();
    // A rated-current mismatch leaves the panel exactly as it was; every other outcome redraws,
    // since the send preparation has rounded the ratings and taken the display byte.
    const int sent = SendConfiguration();
    NoteTransfer(1, sent == 1, errors);
    if (sent != -1) ShowAll();
}

void CmRecFromDev(int, int, void *, int) {
    const int errors = ErrorsReported();
    const int adopted = AdoptDeviceConfiguration();
    NoteTransfer(2, adopted, errors);
    if (!adopted) return;
    NewINIFile(); // the settings file takes the instrument's module and rated values
    ActivateObjects();
    ShowAll();
}

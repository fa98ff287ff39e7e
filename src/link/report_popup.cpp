// The graphical program's side of the reporting seam: modal error and confirmation pop-ups whose
// texts are entries of rings in the resource file, and the transfer progress pop-up.
#include "link/report_popup.h"

#include "MainPan.h"
#include "link/panelload.h"
#include "link/report.h"
#include "platform/ui/resourcefile.h"
#include "platform/ui/userint.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>

int pHandle = 0;

namespace {

int gCancelled = 0;

char gDetail[512] = "";
int gErrorsShown = 0;
char gLastError[1024] = "";

// Controls of one kind of question pop-up.
struct PopupLayout {
    int resourceId;
    int titleRing, messageRing;
    int heading, text;
    int confirm;
    int dismiss; // what closing the window by its frame stands for
    const char *fallbackHeading;
};

const PopupLayout kErrorLayout = {ERROR,      ERROR_TITLE, ERROR_MESSAGE, ERROR_HEADING,
                                  ERROR_TEXT, ERROR_OK,    ERROR_OK,      "Error"};
const PopupLayout kWarningLayout = {WARNING,         WARNING_TITLE,   WARNING_MESSAGE,
                                    WARNING_HEADING, WARNING_TEXT,    WARNING_CONFIRM,
                                    WARNING_DECLINE, "Please confirm"};
const PopupLayout kSaveLayout = {SAVEASK,      SAVEASK_TITLE, SAVEASK_MESSAGE, SAVEASK_HEADING,
                                 SAVEASK_TEXT, SAVEASK_SAVE,  SAVEASK_CANCEL,  "Unsaved changes"};
const PopupLayout kLanguageLayout = {LANGERR,      LANGERR_TITLE, LANGERR_MESSAGE, LANGERR_HEADING,
                                     LANGERR_TEXT, LANGERR_OK,    LANGERR_OK,      "Language file"};

// Why the language layer refused a language file: the entry of the language pop-up's message
// ring that says it, and the same in a few words for the terminal.
struct LanguageReason {
    int code;
    int message;
    const char *words;
};
const LanguageReason kLanguageReasons[] = {
    {UIE_FILE_OPEN, 0, "missing or cannot be opened"},
    {UIE_MISSING_ARGUMENT, 0, "no file named"},
    {UIE_FILE_ACCESS, 1, "cannot be read"},
    {UIE_LANG_BAD_FILE, 2, "not a language file of this program, or texts are missing in it"},
    {UIE_LANG_KIND_DIFFERS, 3, "made for another version of the program (a control differs)"},
    {UIE_LANG_COUNT_DIFFERS, 3,
     "made for another version of the program (a list or table differs in length)"},
};
const LanguageReason kOtherLanguageReason = {0, 1, "cannot be read"};

const LanguageReason &LanguageReasonOf(int code) {
    for (const LanguageReason &r : kLanguageReasons)
        if (r.code == code) return r;
    return kOtherLanguageReason;
}

// The message with its one "%s" replaced by `argument` (the text is a translation, so it is
// never used as a format).
std::string WithArgument(const char *text, const char *argument) {
    std::string out = text;
    if (!argument) return out;
    size_t at = out.find("%s");
    if (at != std::string::npos) out.replace(at, 2, argument);
    return out;
}

// Closing the pop-up's window answers as its dismissing button would, so the wait for the
// answer always ends.
int PopupPanelEvents(int panel, int event, void *callbackData, int, int) {
    if (event == EVENT_CLOSE && callbackData)
        UserCommit(panel, static_cast<const PopupLayout *>(callbackData)->dismiss);
    return 0;
}

// Breaks text into lines of at most `columns` characters at blanks, so that a message of any
// length fits the width of its pop-up. A word longer than a line stands on a line of its own.
std::string BreakLines(const std::string &text, int columns) {
    std::string out, word;
    int line = 0, wordLength = 0;
    auto flushWord = [&]() {
        if (word.empty()) return;
        if (line > 0 && line + 1 + wordLength > columns) {
            out += '\n';
            line = 0;
        } else if (line > 0) {
            out += ' ';
            ++line;
        }
        out += word;
        line += wordLength;
        word.clear();
        wordLength = 0;
    };
    for (char ch : text) {
        if (ch == ' ' || ch == '\n' || ch == '\t') {
            flushWord();
            if (ch == '\n') {
                out += '\n';
                line = 0;
            }
            continue;
        }
        word += ch;
        if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80) // count characters, not bytes
            ++wordLength;
    }
    flushWord();
    return out;
}

constexpr int kTextColumns = 54; // what the text field beside the icon holds

// Fills text with the label of entry index of the ring; false when the ring has no such entry.
bool RingEntry(int panel, int ring, int index, char *text, int size) {
    int count = 0;
    if (index < 0 || GetNumListItems(panel, ring, &count) < 0 || index >= count) return false;
    if (SetCtrlIndex(panel, ring, index) < 0) return false;
    return GetLabelFromIndex(panel, ring, index, text, size) >= 0;
}

// Shows the pop-up, waits for the answer and removes it. Returns the control that answered, or 0
// when the pop-up could not be shown or the wait ended without an answer.
int AskPopup(const PopupLayout &layout, int title, int message, const char *detail,
             const char *argument = nullptr) {
    int parent = GetActivePanel();
    if (parent < 0) parent = 0;
    int panel = LoadPanelInLanguage(parent, layout.resourceId);
    if (panel < 0) {
        // Without the pop-up the user would never learn why the action stopped.
        std::fprintf(stderr,
                     "kr7m: %s (title %d, message %d); the pop-up cannot be loaded from %s "
                     "(code %d)\n",
                     layout.fallbackHeading, title, message, MainResourceFile(), panel);
        if (detail && detail[0]) std::fprintf(stderr, "kr7m: %s\n", detail);
        return 0;
    }

    char heading[512], text[1024];
    if (!RingEntry(panel, layout.titleRing, title, heading, sizeof heading))
        std::snprintf(heading, sizeof heading, "%s", layout.fallbackHeading);
    if (!RingEntry(panel, layout.messageRing, message, text, sizeof text))
        std::snprintf(text, sizeof text, "Unexpected message (title %d, message %d).", title,
                      message);
    if (layout.resourceId == ERROR) {
        ++gErrorsShown;
        std::snprintf(gLastError, sizeof gLastError, "%s", text);
    }
    SetCtrlVal(panel, layout.heading, heading);
    SetCtrlVal(panel, layout.text, BreakLines(WithArgument(text, argument), kTextColumns).c_str());
    if (layout.resourceId == ERROR) {
        bool hasDetail = detail && detail[0];
        SetCtrlVal(panel, ERROR_DETAIL, hasDetail ? BreakLines(detail, kTextColumns).c_str() : "");
        SetCtrlAttribute(panel, ERROR_DETAIL, ATTR_VISIBLE, hasDetail ? 1 : 0);
    }

    InstallPanelCallback(panel, PopupPanelEvents, const_cast<PopupLayout *>(&layout));
    SetActiveCtrl(panel, layout.confirm);
    InstallPopup(panel);

    int answer = 0;
    for (;;) {
        int where = 0, control = 0;
        int event = GetUserEvent(1, &where, &control);
        if (event != EVENT_COMMIT) break; // the event loop is going away: nobody is left to answer
        if (where == panel) {
            answer = control;
            break;
        }
    }
    RemovePopup(0);
    DiscardPanel(panel);
    return answer;
}

void Wait(double seconds) {
    if (!(seconds > 0.0)) return;
    struct timespec rest;
    rest.tv_sec = static_cast<time_t>(seconds);
    rest.tv_nsec = static_cast<long>((seconds - static_cast<double>(rest.tv_sec)) * 1e9);
    while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
}

} // namespace

int ErrorsReported() {
    return gErrorsShown;
}

const char *LastErrorText() {
    return gLastError;
}

void SetErrorDetail(const char *detail) {
    std::snprintf(gDetail, sizeof gDetail, "%s", detail ? detail : "");
}

int Error(int title, int message) {
    char detail[sizeof gDetail];
    std::snprintf(detail, sizeof detail, "%s", gDetail);
    gDetail[0] = '\0';
    AskPopup(kErrorLayout, title, message, detail);
    return 1;
}

int Warnung(int title, int message) {
    return AskPopup(kWarningLayout, title, message, nullptr) == WARNING_CONFIRM ? 1 : 0;
}

int AskUnsavedChanges(const char *documentName) {
    int answer = AskPopup(kSaveLayout, 0, 0, nullptr, documentName ? documentName : "");
    if (answer == SAVEASK_SAVE) return 1;
    if (answer == SAVEASK_DISCARD) return 2;
    return 0;
}

const char *LanguageFileReason(int code) {
    return LanguageReasonOf(code).words;
}

void LanguageFileError(const char *file, int code) {
    AskPopup(kLanguageLayout, 0, LanguageReasonOf(code).message, nullptr, file ? file : "");
}

void TransferWindow(int mode, int value, double delay) {
    Wait(delay);
    switch (mode) {
    case 0:
    case 3: {
        if (pHandle > 0) { // a second show replaces the first instead of stacking pop-ups
            RemovePopup(0);
            DiscardPanel(pHandle);
            pHandle = 0;
        }
        int parent = GetActivePanel();
        if (parent < 0) parent = 0;
        int panel = LoadPanelInLanguage(parent, TRANSFER);
        if (panel < 0) return; // the transfer itself goes on; only its progress stays unseen
        pHandle = panel;
        gCancelled = 0;
        SetCtrlVal(panel, TRANSFER_PROGRESS, 0);
        if (mode == 3) {
            // The bar makes room for the button.
            int left = 0, width = 0;
            GetCtrlAttribute(panel, TRANSFER_CANCEL, ATTR_LEFT, &left);
            GetCtrlAttribute(panel, TRANSFER_PROGRESS, ATTR_LEFT, &width);
            SetCtrlAttribute(panel, TRANSFER_PROGRESS, ATTR_WIDTH, left - 10 - width);
            SetCtrlAttribute(panel, TRANSFER_CANCEL, ATTR_VISIBLE, 1);
        }
        InstallPopup(panel);
        ProcessDrawEvents(); // drawn at once, before the first exchange waits
        break;
    }
    case 1:
        if (pHandle > 0) {
            RemovePopup(0);
            DiscardPanel(pHandle);
            pHandle = 0;
        }
        break;
    case 2:
        if (pHandle > 0) {
            SetCtrlVal(pHandle, TRANSFER_PROGRESS, value < 0 ? 0 : value > 100 ? 100 : value);
            // Drawn now, not only while the next exchange waits; nothing else runs meanwhile.
            ProcessDrawEvents();
        }
        break;
    default:
        break;
    }
}

int TransferCancelled() {
    if (pHandle <= 0) return gCancelled;
    int panel = 0, control = 0;
    while (GetUserEvent(0, &panel, &control) == EVENT_COMMIT)
        if (panel == pHandle && control == TRANSFER_CANCEL) gCancelled = 1;
    return gCancelled;
}

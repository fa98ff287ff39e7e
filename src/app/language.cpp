// Building the main window in the current language: main window, menu bar, toolbar and main
// panel, loaded from the resource file and filled with the configuration being edited.
#include "MainPan.h"
#include "app/app.h"
#include "config/document.h"
#include "config/mainpanel.h"
#include "config/settings.h"
#include "config/windowstate.h"
#include "link/linksettings.h"
#include "link/panelload.h"
#include "link/report_popup.h"
#include "platform/serial/portmap.h"
#include "platform/ui/resourcefile.h"
#include "platform/ui/userint.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <set>
#include <string>

namespace {

char gStartupError[512] = "";
char gProgramTitle[256] = ""; // the main window's title in the resource, in this language
char gShownTitle[600] = "";
std::string gShownPort, gShownResult; // what the status bar shows

// The language file the user is still to be told about (its path and the code that refused
// it), and the files told about since the language was last chosen.
std::string gTellFile;
int gTellCode = 0;
std::set<std::string> gToldFiles;

const char kGoingOnInEnglish[] = "going on in English";
const char kGoingOnBuiltIn[] = "going on with the English texts built into the program";

// Where a language file is, or would be looked for: a name that is found nowhere is named in
// the program's directory, where it belongs.
std::string ShownPath(const char *languageFile) {
    std::string path = LanguageFilePath(languageFile);
    char dir[1024] = "", full[1280] = "";
    if (path.find('/') == std::string::npos && GetProjectDir(dir, sizeof dir) >= 0 &&
        MakePathname(dir, path.c_str(), full, sizeof full) >= 0)
        path = full;
    return path;
}

void SetStartupError(const char *what, int code) {
    if (IsLanguageFileError(code)) {
        std::snprintf(gStartupError, sizeof gStartupError,
                      "%s with the language file %s: %s (code %d)", what,
                      ShownPath(LanguageFile).c_str(), LanguageFileReason(code), code);
        return;
    }
    // The platform knows the file and line of a damaged resource; that says more than a code.
    const char *detail = UILastErrorDetail();
    if (detail && detail[0])
        std::snprintf(gStartupError, sizeof gStartupError, "%s: %s", what, detail);
    else
        std::snprintf(gStartupError, sizeof gStartupError, "%s (%s, code %d)", what,
                      MainResourceFile(), code);
}

void ShowLanguageFileError(void *) {
    if (gTellCode == 0) return; // told already, or the window went away meanwhile
    std::string file = gTellFile;
    int code = gTellCode;
    gTellCode = 0;
    LanguageFileError(file.c_str(), code);
}

// Says on standard error, and in a pop-up once the event loop runs, that the language file
// `path` was refused and what the program shows instead. The pop-up tells of the first file
// only: a second one refused after it was the fallback.
void TellRefused(const std::string &path, int code, const char *instead) {
    std::fprintf(stderr, "kr7m: the language file %s cannot be used: %s (code %d); %s\n",
                 path.c_str(), LanguageFileReason(code), code, instead);
    if (gTellCode != 0) return;
    gTellFile = path;
    gTellCode = code;
    PostDeferredCall(ShowLanguageFileError, nullptr);
}

// Builds the main window, its menu bar, the toolbar and the main panel with the texts of
// LanguageFile. 0, or the code of the load that failed with nothing of the window left.
int BuildMainWindow() {
    int panel = 0;
    int r = LoadPanelWith(0, BKGND, LanguageFile, &panel);
    if (r < 0) {
        SetStartupError("cannot load the main window", r);
        return r;
    }
    BkgndPanel = panel;
    GetPanelAttribute(BkgndPanel, ATTR_TITLE, gProgramTitle, sizeof gProgramTitle);
    gShownTitle[0] = '\0';
    UIMarkStep("main window built");
    int menu = 0;
    r = LoadMenuBarWith(BkgndPanel, MENU, LanguageFile, &menu);
    if (r < 0) {
        SetStartupError("cannot load the menu bar", r);
        DiscardMainWindow();
        return r;
    }
    menuHandle = menu;
    UIMarkStep("menu bar built");

    PlaceMainWindow();
    gToolbar = InitToolbar(BkgndPanel);
    UIMarkStep("toolbar built");
    DisplayPanel(BkgndPanel);
    // Child panels count their position from the top of the main window's own content, so the
    // views are placed from 0 down past the menu bar and the toolbar.
    BkgndTop = 0;
    InstallPanelCallback(BkgndPanel, PanelEvents, nullptr);

    SetMenuBarAttribute(menuHandle, MENU_LANGUAGE_DEU, ATTR_CHECKED, 0);
    SetMenuBarAttribute(menuHandle, MENU_LANGUAGE_ENG, ATTR_CHECKED, 0);
    SetMenuBarAttribute(menuHandle, Language == 0 ? MENU_LANGUAGE_DEU : MENU_LANGUAGE_ENG,
                        ATTR_CHECKED, 1);

    // A window without its main panel would offer commands that have nothing to act on; one
    // whose main panel the language file refused would stand in two languages.
    ClearLanguageRefusal();
    int mainPanel = ShowPanel(KIND_MAIN);
    int refused = FirstLanguageRefusal().code;
    if (mainPanel < 0 || refused != 0) {
        SetStartupError("cannot load the main panel", mainPanel < 0 ? mainPanel : refused);
        DiscardMainWindow();
        return mainPanel < 0 ? mainPanel : refused;
    }
    InstallPanelCallback(MainPanel, PanelEvents, nullptr);
    UIMarkStep("main panel built");
    return 0;
}

// Switches the language from the menu: the window is built anew around the same configuration
// and in the same place.
void SwitchLanguage(int language) {
    RememberWindowPlace();
    DiscardMainWindow();
    if (!ChangeLanguage(language)) {
        // Not even the resource's own texts could be loaded: nothing is left to show.
        std::fprintf(stderr, "kr7m: %s\n", StartupError());
        QuitUserInterface(1);
    }
}

} // namespace

const char *StartupError() {
    return gStartupError;
}

int ChangeLanguage(int language) {
    // Only German and English exist; every other number is English. A negative number cannot
    // come from the program itself, only from a hand-edited settings file: English too.
    if (language != 0) language = kEnglish;
    gToldFiles.clear();
    gTellCode = 0;

    // The language asked for; when its file cannot be used, English; when the English file
    // cannot be used either, the resource's own texts. Only a refusing language file moves on.
    const char *wanted = LanguageFileName(language);
    const char *english = LanguageFileName(kEnglish);
    const bool wantedIsEnglish = std::strcmp(wanted, english) == 0;
    const char *const kInstead[] = {wantedIsEnglish ? kGoingOnBuiltIn : kGoingOnInEnglish,
                                    kGoingOnBuiltIn, "no window can be built"};
    int r = -1;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const char *file = attempt == 0 ? wanted : attempt == 1 ? english : BuiltInLanguageFile();
        if (attempt == 1 && wantedIsEnglish) continue;
        Language = attempt == 0 ? language : kEnglish;
        std::snprintf(LanguageFile, sizeof LanguageFile, "%s", file);
        r = BuildMainWindow();
        if (r >= 0 || !IsLanguageFileError(r)) break;
        TellRefused(ShownPath(file), r, kInstead[attempt]);
    }
    if (r < 0) return 0;

    ActivateObjects();
    ShowAll();
    gShownPort.clear();
    gShownResult.clear();
    AfterEachCallback();
    UIMarkStep("main panel filled");
    NewINIFile();
    UIMarkStep("settings written");
    return 1;
}

void DiscardMainWindow() {
    if (gToolbar) Toolbar_Discard(gToolbar);
    gToolbar = 0;
    gAddrRing = 0;
    if (MainPanel > 0) DiscardPanel(MainPanel);
    MainPanel = 0;
    if (BkgndPanel > 0) DiscardPanel(BkgndPanel); // its menu bar goes with it
    BkgndPanel = 0;
    menuHandle = 0;
}

void ForgetLanguageFileErrors() {
    gTellCode = 0;
    gToldFiles.clear();
}

void TellLanguageRefusals() {
    const LanguageRefusal &refusal = FirstLanguageRefusal();
    if (refusal.code == 0) return;
    std::string path = ShownPath(refusal.file);
    int code = refusal.code;
    ClearLanguageRefusal();
    if (!gToldFiles.insert(path).second) return;
    TellRefused(path, code, "this window comes up in English");
}

void CmLangDeu(int, int, void *, int) {
    SwitchLanguage(0);
}

void CmLangEng(int, int, void *, int) {
    SwitchLanguage(kEnglish);
}

void ShowWindowTitle() {
    if (BkgndPanel <= 0) return;
    char name[260], title[sizeof gShownTitle];
    DocumentName(name, sizeof name);
    std::snprintf(title, sizeof title, "%s%s - %s", DocumentModified() ? "*" : "", name,
                  gProgramTitle);
    // Most callbacks change nothing of it; the window manager is told only of real changes.
    if (std::strcmp(title, gShownTitle) == 0) return;
    std::snprintf(gShownTitle, sizeof gShownTitle, "%s", title);
    SetPanelAttribute(BkgndPanel, ATTR_TITLE, title);
}

void PlaceMainWindow() {
    const WindowState &s = gWindowState;
    if (!s.haveGeometry) {
        SetPanelAttribute(BkgndPanel, ATTR_WINDOW_ZOOM, VAL_MAXIMIZE);
        return;
    }
    SetPanelSize(BkgndPanel, s.height, s.width);
    SetPanelPos(BkgndPanel, s.top, s.left);
    if (s.maximized) SetPanelAttribute(BkgndPanel, ATTR_WINDOW_ZOOM, VAL_MAXIMIZE);
}

void RememberWindowPlace() {
    WindowState &s = gWindowState;
    int zoom = 0;
    GetPanelAttribute(BkgndPanel, ATTR_WINDOW_ZOOM, &zoom);
    // A maximised window keeps the place it had before, so un-maximising next time restores it.
    if (!zoom || !s.haveGeometry) {
        GetPanelAttribute(BkgndPanel, ATTR_TOP, &s.top);
        GetPanelAttribute(BkgndPanel, ATTR_LEFT, &s.left);
        GetPanelAttribute(BkgndPanel, ATTR_HEIGHT, &s.height);
        GetPanelAttribute(BkgndPanel, ATTR_WIDTH, &s.width);
        s.haveGeometry = s.width > 0 && s.height > 0;
    }
    s.maximized = zoom ? 1 : 0;
    WriteWindowState();
}

namespace {

std::string StatusText(int entry, std::initializer_list<std::string> values) {
    return TextOfRing(BkgndPanel, BKGND_STATUS_TEXTS, entry, values);
}

} // namespace

void ShowStatusBar() {
    if (BkgndPanel <= 0) return;
    std::string port = StatusText(0, {std::to_string(CommPort), ComPortDevice(CommPort)});
    port +=
        ", " + (CommType == 1 ? StatusText(2, {std::to_string(DeviceAddr)}) : StatusText(1, {}));
    if (port != gShownPort) {
        gShownPort = port;
        SetCtrlVal(BkgndPanel, BKGND_STATUS_PORT, port.c_str());
    }
    const TransferOutcome &t = gLastTransfer;
    std::string result;
    if (t.kind != 0 && t.ok)
        result = StatusText(t.kind == 1 ? 3 : 4, {t.time, std::to_string(t.address), t.device});
    else if (t.kind != 0)
        result = StatusText(t.kind == 1 ? 5 : 6, {t.time, t.reason});
    if (result != gShownResult) {
        gShownResult = result;
        SetCtrlVal(BkgndPanel, BKGND_STATUS_RESULT, result.c_str());
    }
}

void AfterEachCallback() {
    ShowWindowTitle();
    ShowStatusBar();
    TellLanguageRefusals();
}

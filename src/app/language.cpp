// Building the main window in the current language: main window, menu bar, toolbar and main
// panel, loaded from the resource file and filled with the configuration being edited.
#include "MainPan.h"
#include "app/app.h"
#include "config/document.h"
#include "config/mainpanel.h"
#include "config/settings.h"
#include "config/windowstate.h"
#include "link/linksettings.h"
#include "platform/serial/portmap.h"
#include "platform/ui/resourcefile.h"
#include "platform/ui/userint.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

namespace {

// Three-letter language code after the product prefix; the index is the language number.
const char *const kLanguageFiles[] = {
    "kr7mdeu.lwl", "kr7meng.lwl", "kr7mfra.lwl", "kr7mned.lwl", "kr7mita.lwl",
    "kr7mesp.lwl", "kr7mpor.lwl", "kr7mdan.lwl", "kr7msuo.lwl",
};
constexpr int kLanguageCount = sizeof kLanguageFiles / sizeof kLanguageFiles[0];

char gStartupError[512] = "";
char gProgramTitle[256] = ""; // the main window's title in the resource, in this language
char gShownTitle[600] = "";
std::string gShownPort, gShownResult; // what the status bar shows

void SetStartupError(const char *what, int code) {
    // The platform knows the file and line of a damaged resource; that says more than a code.
    const char *detail = UILastErrorDetail();
    if (detail && detail[0])
        std::snprintf(gStartupError, sizeof gStartupError, "%s: %s", what, detail);
    else
        std::snprintf(gStartupError, sizeof gStartupError, "%s (%s, code %d)", what,
                      MainResourceFile(), code);
}

} // namespace

const char *StartupError() {
    return gStartupError;
}

const char *LanguageFileName(int language) {
    if (language < 0 || language >= kLanguageCount) return "kr7meng.lwl";
    return kLanguageFiles[language];
}

int ChangeLanguage(int language) {
    // Only German and English exist; every other number is English. A negative number cannot
    // come from the program itself, only from a hand-edited settings file: English too.
    if (language != 0) language = 1;
    Language = language;
    std::snprintf(LanguageFile, sizeof LanguageFile, "%s", LanguageFileName(language));

    // The texts come from the resource file: they are the English ones until the language
    // files exist, whatever the language number says.
    int panel = LoadPanel(0, MainResourceFile(), BKGND);
    if (panel < 0) {
        SetStartupError("cannot load the main window from the resource file", panel);
        return 0;
    }
    BkgndPanel = panel;
    GetPanelAttribute(BkgndPanel, ATTR_TITLE, gProgramTitle, sizeof gProgramTitle);
    gShownTitle[0] = '\0';
    UIMarkStep("main window built");
    int menu = LoadMenuBar(BkgndPanel, MainResourceFile(), MENU);
    if (menu < 0) {
        SetStartupError("cannot load the menu bar from the resource file", menu);
        DiscardPanel(BkgndPanel);
        BkgndPanel = 0;
        return 0;
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

    // A window without its main panel would offer commands that have nothing to act on.
    int mainPanel = ShowPanel(KIND_MAIN);
    if (mainPanel < 0) {
        SetStartupError("cannot load the main panel from the resource file", mainPanel);
        if (gToolbar) Toolbar_Discard(gToolbar);
        gToolbar = 0;
        DiscardPanel(BkgndPanel);
        BkgndPanel = 0;
        menuHandle = 0;
        MainPanel = 0;
        return 0;
    }
    InstallPanelCallback(MainPanel, PanelEvents, nullptr);
    UIMarkStep("main panel built");

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

// The status text `entry` with each "%s" replaced, in order, by the next of `values` (the texts
// are translations, so they are never used as formats).
std::string StatusText(int entry, std::initializer_list<std::string> values) {
    char pattern[512] = "";
    GetLabelFromIndex(BkgndPanel, BKGND_STATUS_TEXTS, entry, pattern, sizeof pattern);
    std::string out = pattern;
    size_t from = 0;
    for (const std::string &v : values) {
        size_t at = out.find("%s", from);
        if (at == std::string::npos) break;
        out.replace(at, 2, v);
        from = at + v.size();
    }
    return out;
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
}

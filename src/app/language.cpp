// Building the main window in the current language: main window, menu bar, toolbar and main
// panel, loaded from the resource file and filled with the configuration being edited.
#include "MainPan.h"
#include "app/app.h"
#include "config/mainpanel.h"
#include "config/settings.h"
#include "platform/ui/resourcefile.h"
#include "platform/ui/userint.h"

#include <cstdio>

namespace {

// Three-letter language code after the product prefix; the index is the language number.
const char *const kLanguageFiles[] = {
    "kr7mdeu.lwl", "kr7meng.lwl", "kr7mfra.lwl", "kr7mned.lwl", "kr7mita.lwl",
    "kr7mesp.lwl", "kr7mpor.lwl", "kr7mdan.lwl", "kr7msuo.lwl",
};
constexpr int kLanguageCount = sizeof kLanguageFiles / sizeof kLanguageFiles[0];

char gStartupError[512] = "";

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

    SetPanelAttribute(BkgndPanel, ATTR_WINDOW_ZOOM, VAL_MAXIMIZE);
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
    UIMarkStep("main panel filled");
    NewINIFile();
    UIMarkStep("settings written");
    return 1;
}

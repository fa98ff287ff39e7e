// Switching the language at run time with a configuration being edited, against kr7m-sim for
// a view: every text of the window, its menus, a view and a pop-up in the language chosen, the
// configuration kept and shown, the choice in the settings file.
#include "lang_fixture.h"
#include "sim_view_fixture.h"

#include <cstring>
#include <set>

#include "config/document.h"
#include "config/mainpanel.h"
#include "config/record.h"
#include "config/settings.h"
#include "config/windowstate.h"
#include "views/views.h"

namespace {

using apptest::kTranslated;
using langtest::Texts;

// The texts of a panel as the resource gives them, before the program writes any.
Texts ResourceTexts(int resourceId) {
    int panel = 0;
    EXPECT_EQ(LoadPanelWith(0, resourceId, "kr7meng.lwl", &panel), 0);
    Texts texts = langtest::PanelTexts(panel);
    DiscardPanel(panel);
    return texts;
}

// A view's units: the program writes them from the instrument's settings, in every language.
bool IsUnit(const std::string &key) {
    const std::string unit = "_UNIT.Default";
    return key.size() > unit.size() &&
           key.compare(key.size() - unit.size(), unit.size(), unit) == 0;
}

// Every text of `resource` that the program left as it is in English (`english`) is shown
// translated, and a text the object has not got stays absent. Texts the program writes itself
// (readings, captions built from the instrument's settings, the window's title and status bar,
// the entries of lists it fills, and the units even where they equal the resource's) are its
// own business.
void ExpectTranslated(const Texts &resource, const Texts &english, const Texts &shown,
                      const std::string &what) {
    int translated = 0;
    for (const auto &[key, text] : resource) {
        auto it = shown.find(key), was = english.find(key);
        if (was == english.end() || was->second != text || IsUnit(key)) continue;
        ASSERT_NE(it, shown.end()) << what << " " << key;
        if (text.first == 'u') {
            EXPECT_EQ(it->second.first, 'u') << what << " " << key << ": " << it->second.second;
            continue;
        }
        EXPECT_EQ(it->second.second, text.second + kTranslated) << what << " " << key;
        ++translated;
    }
    EXPECT_GT(translated, 0) << what;
}

int Checked(int item) {
    int on = -1;
    GetMenuBarAttribute(menuHandle, item, ATTR_CHECKED, &on);
    return on;
}

std::string Title() {
    char title[600] = "";
    GetPanelAttribute(BkgndPanel, ATTR_TITLE, title, sizeof title);
    return title;
}

class LanguageTest : public viewtest::SimShellTest {
  protected:
    void SetUp() override {
        apptest::ShellTest::SetUp();
        apptest::WriteTranslatedLanguageFile(dir_, "kr7mdeu.lwl");
        StartSim();
        StartProgramOn(0, 1);
    }
    std::string LanguageLine() {
        std::string ini = apptest::ReadFile(IniPath());
        size_t at = ini.find("Language = ");
        return at == std::string::npos ? "" : ini.substr(at, ini.find('\r', at) - at);
    }
    // Opens the instantaneous values view, takes its texts once the first reading is in, and
    // closes it again.
    Texts ViewTexts() {
        EXPECT_EQ(UserChooseMenu(menuHandle, MENU_MEASURE_MEAS), 0);
        Texts texts;
        if (measdisp <= 0) return texts;
        double end = viewtest::Now() + 5;
        while (viewtest::Now() < end && Text(measdisp, MEAS_U).empty()) {
            ProcessSystemEvents();
            usleep(5000);
        }
        texts = langtest::PanelTexts(measdisp);
        Screenshot(measdisp, "language_view_" + std::to_string(Language));
        EXPECT_EQ(UserCommit(measdisp, MEAS_CLOSE), 0);
        return texts;
    }
    Texts AboutTexts() {
        CmHelpAbout(menuHandle, MENU_HELP_ABOUT, nullptr, BkgndPanel);
        Texts texts;
        if (aboutPanel <= 0) return texts;
        EXPECT_EQ(Text(aboutPanel, ABOUT_VERSION), "1.00") << "in either language";
        texts = langtest::PanelTexts(aboutPanel);
        Screenshot(aboutPanel, "language_about_" + std::to_string(Language));
        EXPECT_EQ(UserCommit(aboutPanel, ABOUT_CLOSE), 0);
        return texts;
    }
};

TEST_F(LanguageTest, SwitchesToGermanAndBackKeepingTheEditedConfiguration) {
    // An edit of the configuration, not saved; and the window somewhere of the user's choosing.
    ASSERT_EQ(UserTypeText(MainPanel, PANEL_DESCR, "Feeder 4"), 0);
    ASSERT_EQ(DocumentModified(), 1);
    const Texts window = langtest::PanelTexts(BkgndPanel), main = langtest::PanelTexts(MainPanel),
                menus = langtest::MenuTexts(menuHandle), view = ViewTexts(), about = AboutTexts();
    ASSERT_FALSE(view.empty());
    ASSERT_FALSE(about.empty());
    const record edited = Konf;
    SetPanelAttribute(BkgndPanel, ATTR_WINDOW_ZOOM, VAL_NO_ZOOM);
    SetPanelSize(BkgndPanel, 700, 1100);
    SetPanelPos(BkgndPanel, 40, 30);
    ProcessSystemEvents();
    int place[4];
    const int kPlace[4] = {ATTR_TOP, ATTR_LEFT, ATTR_HEIGHT, ATTR_WIDTH};
    for (int i = 0; i < 4; ++i) GetPanelAttribute(BkgndPanel, kPlace[i], &place[i]);

    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_LANGUAGE_DEU), 0);
    ProcessSystemEvents();
    EXPECT_EQ(Language, 0);
    EXPECT_STREQ(LanguageFile, "kr7mdeu.lwl");
    EXPECT_EQ(LanguageLine(), "Language = 0");
    EXPECT_EQ(Checked(MENU_LANGUAGE_DEU), 1);
    EXPECT_EQ(Checked(MENU_LANGUAGE_ENG), 0);
    ExpectTranslated(ResourceTexts(BKGND), window, langtest::PanelTexts(BkgndPanel), "window");
    ExpectTranslated(menus, menus, langtest::MenuTexts(menuHandle), "menu bar");
    ExpectTranslated(ResourceTexts(PANEL), main, langtest::PanelTexts(MainPanel), "main panel");
    // The edited configuration is the one shown, still unsaved, under the window's new title.
    EXPECT_EQ(std::memcmp(&Konf, &edited, sizeof Konf), 0);
    EXPECT_EQ(Text(MainPanel, PANEL_DESCR), "Feeder 4");
    EXPECT_EQ(DocumentModified(), 1);
    EXPECT_EQ(Title(), "*Untitled" + kTranslated + " - KR7M Configurator" + kTranslated);
    for (int i = 0; i < 4; ++i) {
        int now = -1;
        GetPanelAttribute(BkgndPanel, kPlace[i], &now);
        EXPECT_EQ(now, place[i]) << "the window stays where it was (attribute " << kPlace[i] << ")";
    }
    Screenshot(BkgndPanel, "language_window_0");
    // The next view and pop-up come up in German too.
    ExpectTranslated(ResourceTexts(MEAS), view, ViewTexts(), "view");
    ExpectTranslated(ResourceTexts(ABOUT), about, AboutTexts(), "about");

    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_LANGUAGE_ENG), 0);
    ProcessSystemEvents();
    EXPECT_EQ(Language, 1);
    EXPECT_EQ(LanguageLine(), "Language = 1");
    EXPECT_EQ(Checked(MENU_LANGUAGE_DEU), 0);
    EXPECT_EQ(Checked(MENU_LANGUAGE_ENG), 1);
    EXPECT_EQ(langtest::PanelTexts(BkgndPanel), window);
    EXPECT_EQ(langtest::MenuTexts(menuHandle), menus);
    EXPECT_EQ(langtest::PanelTexts(MainPanel), main);
    EXPECT_EQ(std::memcmp(&Konf, &edited, sizeof Konf), 0);
    EXPECT_EQ(DocumentModified(), 1);
    EXPECT_EQ(Title(), "*Untitled - KR7M Configurator");
    EXPECT_EQ(AboutTexts(), about);
}

} // namespace

// Switching the language at run time with a configuration being edited, against kr7m-sim for
// a view: every text of the window, its menus, a view and a pop-up in the language chosen, the
// configuration kept and shown, the choice in the settings file.
#include "lang_fixture.h"
#include "sim_view_fixture.h"

#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <ostream>
#include <set>
#include <sys/stat.h>

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

// The main panel's texts but for the date and time it shows, which move on.
Texts WithoutClock(Texts texts) {
    texts.erase("PANEL_DATE.Default");
    texts.erase("PANEL_TIME.Default");
    return texts;
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
    EXPECT_EQ(WithoutClock(langtest::PanelTexts(MainPanel)), WithoutClock(main));
    EXPECT_EQ(std::memcmp(&Konf, &edited, sizeof Konf), 0);
    EXPECT_EQ(DocumentModified(), 1);
    EXPECT_EQ(Title(), "*Untitled - KR7M Configurator");
    EXPECT_EQ(AboutTexts(), about);
}

// ---- a language file that cannot be used ------------------------------------------------------

// What the program writes on standard error meanwhile.
class StderrCapture {
  public:
    explicit StderrCapture(const std::string &path) : path_(path) {
        std::fflush(stderr);
        saved_ = dup(2);
        int fd = open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
        if (fd >= 0) {
            dup2(fd, 2);
            close(fd);
        }
    }
    std::string Stop() {
        if (saved_ >= 0) {
            std::fflush(stderr);
            dup2(saved_, 2);
            close(saved_);
            saved_ = -1;
        }
        return apptest::ReadFile(path_);
    }
    ~StderrCapture() { Stop(); }

  private:
    std::string path_;
    int saved_ = -1;
};

// The language pop-ups the simulated user has seen (heading, text, detail) and acknowledged.
// The user waits for one through a number of turns of the event loop, then gives up; a new
// wait ends the one before.
std::vector<std::string> gLanguageBoxes;
int gTurnsLeft = 0;
std::intptr_t gWaiting = 0;
void AcknowledgeLanguageBox(void *data) {
    if (reinterpret_cast<std::intptr_t>(data) != gWaiting) return;
    int panel = GetActivePanel(), resource = 0;
    GetPanelAttribute(panel, ATTR_RESOURCE_ID, &resource);
    if (resource != LANGERR) {
        if (--gTurnsLeft > 0) PostDeferredCall(AcknowledgeLanguageBox, data);
        return;
    }
    char heading[256] = "", text[1024] = "", detail[256] = "";
    GetCtrlVal(panel, LANGERR_HEADING, heading, sizeof heading);
    GetCtrlVal(panel, LANGERR_TEXT, text, sizeof text);
    GetCtrlVal(panel, LANGERR_DETAIL, detail, sizeof detail);
    std::string seen = std::string(heading) + "|" + text + "|" + detail;
    for (char &c : seen)
        if (c == '\n') c = ' '; // the text is broken into lines to fit
    gLanguageBoxes.push_back(seen);
    ++gWaiting; // one answer per wait
    UserCommit(panel, LANGERR_OK);
}
void AwaitLanguageBox() {
    gTurnsLeft = 1000;
    ASSERT_EQ(PostDeferredCall(AcknowledgeLanguageBox, reinterpret_cast<void *>(++gWaiting)), 0);
}
// Exits as the user would, once no pop-up is in the way.
void ExitFromLoop(void *) {
    if (UserChooseMenu(menuHandle, MENU_FILE_EXIT) == UIE_NOT_ACCESSIBLE)
        PostDeferredCall(ExitFromLoop, nullptr);
}

struct BadFileCase {
    const char *name;
    int language;                                   // in the settings file
    std::function<void(const std::string &)> spoil; // does it to the folder of language files
    const char *file;                               // the file named first
    const char *reason;                             // what is said of it
    int code;
    bool builtIn; // even the English file fails: the resource's own texts
};
inline void PrintTo(const BadFileCase &c, std::ostream *os) {
    *os << c.name;
}

void Remove(const std::string &path) {
    EXPECT_EQ(unlink(path.c_str()), 0) << path;
}
void Damage(const std::string &path) {
    apptest::WriteFile(path, "\x01\x02 this is no language file\n[\n");
}

const BadFileCase kBadFiles[] = {
    {"GermanMissing", 0, [](const std::string &) {}, "kr7mdeu.lwl", "missing or cannot be opened",
     UIE_FILE_OPEN, false},
    {"GermanDamaged", 0, [](const std::string &d) { Damage(d + "/kr7mdeu.lwl"); }, "kr7mdeu.lwl",
     "not a language file", UIE_LANG_BAD_FILE, false},
    {"GermanOfAnotherVersion", 0,
     [](const std::string &d) {
         apptest::WriteTranslatedLanguageFile(d, "kr7mdeu.lwl");
         langtest::EditLangFile(d + "/kr7mdeu.lwl", [](IniDoc doc) {
             Ini_PutInt(doc, LANG_HEADER_SECTION, "Version", 101);
         });
     },
     "kr7mdeu.lwl", "not a language file", UIE_LANG_BAD_FILE, false},
    {"GermanMainPanelDiffers", 0,
     [](const std::string &d) {
         // The window and menus fit; a ring of the main panel has another length.
         apptest::WriteTranslatedLanguageFile(d, "kr7mdeu.lwl");
         langtest::EditLangFile(d + "/kr7mdeu.lwl", [](IniDoc doc) {
             int n = 0;
             Ini_GetInt(doc, "PANEL_UR_UNIT", "NumItemLabels", &n);
             Ini_PutInt(doc, "PANEL_UR_UNIT", "NumItemLabels", n + 1);
         });
     },
     "kr7mdeu.lwl", "another version", UIE_LANG_COUNT_DIFFERS, false},
    {"GermanIsAFolder", 0, [](const std::string &d) { mkdir((d + "/kr7mdeu.lwl").c_str(), 0700); },
     "kr7mdeu.lwl", "cannot be read", UIE_FILE_ACCESS, false},
    {"EnglishMissing", 1, [](const std::string &d) { Remove(d + "/kr7meng.lwl"); }, "kr7meng.lwl",
     "missing or cannot be opened", UIE_FILE_OPEN, true},
    {"BothDamaged", 0,
     [](const std::string &d) {
         Damage(d + "/kr7mdeu.lwl");
         Damage(d + "/kr7meng.lwl");
     },
     "kr7mdeu.lwl", "not a language file", UIE_LANG_BAD_FILE, true},
};

class BadLanguageFile : public apptest::ShellTest,
                        public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(BadLanguageFile, StartsInEnglishAndSaysWhichFileAndWhy) {
    const BadFileCase &c = GetParam();
    c.spoil(dir_);
    apptest::WriteFile(IniPath(),
                       "[Options]\r\nLanguage = " + std::to_string(c.language) + "\r\n\r\n");
    StderrCapture capture(dir_ + "/stderr.txt");
    ASSERT_EQ(StartProgram(0, nullptr), 0) << StartupError();
    const std::string err = capture.Stop();

    // Said on standard error: the file, the reason, what the program does instead.
    const std::string code = "(code " + std::to_string(c.code) + ")";
    EXPECT_NE(err.find(std::string("kr7m: the language file ")), std::string::npos) << err;
    EXPECT_NE(err.find(std::string("/") + c.file + " cannot be used: "), std::string::npos) << err;
    EXPECT_NE(err.find(c.reason), std::string::npos) << err;
    EXPECT_NE(err.find(code), std::string::npos) << err;
    EXPECT_NE(err.find(c.builtIn ? "texts built into the program" : "going on in English"),
              std::string::npos)
        << err;

    // The window stands, in English, and English is what is ticked and kept.
    ASSERT_GT(BkgndPanel, 0);
    ASSERT_GT(MainPanel, 0);
    char label[64] = "";
    GetMenuBarAttribute(menuHandle, MENU_FILE, ATTR_ITEM_NAME, label, sizeof label);
    EXPECT_STREQ(label, "&File");
    EXPECT_EQ(Language, 1);
    EXPECT_EQ(Checked(MENU_LANGUAGE_DEU), 0);
    EXPECT_EQ(Checked(MENU_LANGUAGE_ENG), 1);
    EXPECT_NE(apptest::ReadFile(IniPath()).find("Language = 1\r\n"), std::string::npos);
    EXPECT_EQ(Title(), "Untitled - KR7M Configurator");
    if (c.builtIn) {
        EXPECT_TRUE(IsBuiltInLanguageFile(LanguageFile)) << LanguageFile;
    } else {
        EXPECT_STREQ(LanguageFile, "kr7meng.lwl");
    }

    // Once the loop runs, the pop-up says it too, in the resource's texts; the program then
    // ends as usual.
    gLanguageBoxes.clear();
    AwaitLanguageBox();
    ASSERT_EQ(PostDeferredCall(ExitFromLoop, nullptr), 0);
    EXPECT_EQ(RunUserInterface(), 0);
    ASSERT_EQ(gLanguageBoxes.size(), 1u);
    const std::string &box = gLanguageBoxes[0];
    EXPECT_EQ(box.rfind("The language file cannot be used|", 0), 0u) << box;
    EXPECT_NE(box.find(std::string("/") + c.file), std::string::npos) << box;
    EXPECT_NE(box.find("|The program goes on in English."), std::string::npos) << box;
}

INSTANTIATE_TEST_SUITE_P(Files, BadLanguageFile, ::testing::ValuesIn(kBadFiles),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(LanguageTest, ASwitchToADamagedFileLeavesTheWindowInEnglish) {
    ASSERT_EQ(UserTypeText(MainPanel, PANEL_DESCR, "Feeder 5"), 0);
    const record edited = Konf;
    Damage(dir_ + "/kr7mdeu.lwl");
    gLanguageBoxes.clear();
    AwaitLanguageBox();
    StderrCapture capture(dir_ + "/stderr.txt");
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_LANGUAGE_DEU), 0);
    ProcessSystemEvents();
    const std::string err = capture.Stop();
    EXPECT_NE(err.find("/kr7mdeu.lwl cannot be used: not a language file"), std::string::npos)
        << err;
    ASSERT_EQ(gLanguageBoxes.size(), 1u);
    EXPECT_NE(gLanguageBoxes[0].find("/kr7mdeu.lwl is not a language file"), std::string::npos)
        << gLanguageBoxes[0];
    ASSERT_GT(MainPanel, 0);
    EXPECT_EQ(Language, 1);
    EXPECT_EQ(Checked(MENU_LANGUAGE_ENG), 1);
    EXPECT_EQ(LanguageLine(), "Language = 1");
    EXPECT_EQ(Title(), "*Untitled - KR7M Configurator");
    EXPECT_EQ(std::memcmp(&Konf, &edited, sizeof Konf), 0);
    EXPECT_EQ(Text(MainPanel, PANEL_DESCR), "Feeder 5");
}

TEST_F(LanguageTest, APanelTheFileDoesNotFitComesUpInEnglishAndIsToldOnce) {
    // The German file lacks a text of the about panel, as one of an older version would.
    langtest::EditLangFile(dir_ + "/kr7mdeu.lwl",
                           [](IniDoc doc) { Ini_RemoveItem(doc, "ABOUT_PURPOSE", "Default"); });
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_LANGUAGE_DEU), 0);
    ASSERT_EQ(Language, 0) << "the window itself fits";
    gLanguageBoxes.clear();
    for (int round = 0; round < 2; ++round) {
        AwaitLanguageBox();
        StderrCapture capture(dir_ + "/stderr.txt");
        ASSERT_EQ(UserChooseMenu(menuHandle, MENU_HELP_ABOUT), 0);
        ASSERT_GT(aboutPanel, 0);
        EXPECT_EQ(Text(aboutPanel, ABOUT_PURPOSE),
                  "Configures and reads out the KR7M measuring instrument");
        EXPECT_EQ(Text(aboutPanel, ABOUT_VERSION), "1.00");
        EXPECT_EQ(UserCommit(aboutPanel, ABOUT_CLOSE), 0);
        ProcessSystemEvents();
        const std::string err = capture.Stop();
        EXPECT_EQ(err.find("/kr7mdeu.lwl cannot be used") != std::string::npos, round == 0) << err;
    }
    EXPECT_EQ(gLanguageBoxes.size(), 1u) << "told once, not at every pop-up";
    EXPECT_EQ(Language, 0);
}

} // namespace

// The help command and the help pages the program ships: the page of the language with the
// English one standing in, the window through a rebuild of the main window, and pages whose
// links all lead somewhere, whose two languages have the same sections, and which name only
// menu commands, windows and options that exist.
#include "app_fixture.h"

#include <cstdio>
#include <cstring>
#include <regex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "config/settings.h"
#include "localui/localui.h"
#include "platform/ui/help.h"

// Bound by name through the resource's callback table.
void CmHelpContents(int menuBar, int menuItem, void *callbackData, int panel);

using apptest::ReadFile;
using apptest::WriteFile;

namespace {

const char kEnglish[] = "KR7M_ENG.html";
const char kGerman[] = "KR7M_DEU.html";

std::string BinFile(const std::string &name) {
    return std::string(KR7M_BIN_DIR) + "/" + name;
}

int gDialogAnswer = 1; // 0 once a message was there to answer
void AnswerDialog(void *) {
    gDialogAnswer = UserAnswerDialog(1);
}

// The shown page's file name, "(none)" without a help window.
std::string ShownPage() {
    char page[1024];
    if (GetHelpWindowPage(page, sizeof page, nullptr, 0) != 1) return "(none)";
    const char *slash = std::strrchr(page, '/');
    return slash ? slash + 1 : page;
}

std::vector<std::string> Lines(const char *text) {
    std::vector<std::string> out;
    std::string line;
    for (const char *p = text;; ++p) {
        if (*p == '\n' || *p == '\0') {
            if (!line.empty()) out.push_back(line);
            line.clear();
            if (*p == '\0') break;
        } else {
            line += *p;
        }
    }
    return out;
}

std::vector<std::string> PageNames(int which) {
    static char names[256 * 1024];
    EXPECT_EQ(GetHelpPageNames(which, names, sizeof names), 0);
    return Lines(names);
}

bool ValidUtf8(const std::string &s) {
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const int extra = c < 0x80         ? 0
                          : (c >> 5) == 6  ? 1
                          : (c >> 4) == 14 ? 2
                          : (c >> 3) == 30 ? 3
                                           : -1;
        if (extra < 0 || i + extra >= s.size() + (extra == 0 ? 1 : 0)) return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

// "--word" options named in a text.
std::set<std::string> Options(const std::string &text) {
    static const std::regex option("--[a-z][a-z0-9-]*");
    std::set<std::string> out;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option);
         it != std::sregex_iterator(); ++it)
        out.insert(it->str());
    return out;
}

std::string Output(const std::string &command) {
    std::string out;
    if (FILE *p = popen(command.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        pclose(p);
    }
    return out;
}

// A menu or item text as the help names it: without the accelerator mark and the dots that
// say a dialog follows.
std::string Plain(std::string text) {
    std::string out;
    for (char c : text)
        if (c != '&') out += c;
    while (!out.empty() && out.back() == '.') out.pop_back();
    return out;
}

class HelpCommandTest : public apptest::ShellTest {
  protected:
    void TearDown() override {
        CloseHelpWindow();
        SetMainResourceFile(apptest::ResourceFile().c_str());
        ShellTest::TearDown();
    }
};

TEST_F(HelpCommandTest, OpensThePageOfTheLanguageWithEnglishStandingIn) {
    struct Case {
        const char *name;
        bool german, english;
        int language;
        const char *shown; // "(none)": the viewer says which file is missing
    } cases[] = {
        {"German", true, true, 0, kGerman},
        {"English", true, true, 1, kEnglish},
        {"another language reads English", true, true, 4, kEnglish},
        {"German page missing", false, true, 0, kEnglish},
        {"English page missing, German chosen", true, false, 0, kGerman},
        {"English page missing", true, false, 1, "(none)"},
        {"both missing", false, false, 0, "(none)"},
    };
    for (const Case &c : cases) {
        const std::string folder = dir_ + "/" + std::to_string(&c - cases);
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
        if (c.german) WriteFile(folder + "/" + kGerman, "<html lang=\"de\"><p>Hilfe</p></html>");
        if (c.english) WriteFile(folder + "/" + kEnglish, "<html lang=\"en\"><p>Help</p></html>");
        SetMainResourceFile((folder + "/MainPan.uir").c_str());
        Language = c.language;
        CloseHelpWindow();
        gDialogAnswer = 1;
        PostDeferredCall(AnswerDialog, nullptr);
        CmHelpContents(0, 0, nullptr, 0);
        ProcessSystemEvents();
        EXPECT_EQ(ShownPage(), c.shown) << c.name;
        const bool missing = std::string(c.shown) == "(none)";
        EXPECT_EQ(gDialogAnswer, missing ? 0 : UIE_BAD_HANDLE) << c.name;
        if (missing) {
            EXPECT_NE(std::string(UILastErrorDetail()).find(folder + "/" + kEnglish),
                      std::string::npos)
                << c.name << ": " << UILastErrorDetail();
        }
    }
}

TEST_F(HelpCommandTest, TheMenuOpensItAndItStaysThroughARebuildOfTheWindow) {
    Language = 1;
    ASSERT_EQ(StartProgram(0, nullptr), 0) << StartupError();
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_HELP_CONTENTS), 0);
    const int made = HelpWindowsMade();
    EXPECT_EQ(ShownPage(), kEnglish);
    EXPECT_EQ(UserFollowHelpLink("#interface"), HELP_LINK_SHOWN);
    // The language files are looked for beside the program, then in the current folder.
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    for (const char *lang : {"kr7mdeu.lwl", "kr7meng.lwl"})
        WriteFile(dir_ + "/" + lang, ReadFile(BinFile(lang)));
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    // The main window goes and comes back in German, as a change of language rebuilds it.
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_LANGUAGE_DEU), 0);
    ProcessSystemEvents();
    ASSERT_EQ(chdir(here), 0);
    EXPECT_EQ(Language, 0);
    EXPECT_EQ(ShownPage(), kEnglish);
    ASSERT_EQ(UserChooseMenu(menuHandle, MENU_HELP_CONTENTS), 0);
    EXPECT_EQ(ShownPage(), kGerman);
    char anchor[64];
    GetHelpWindowPage(nullptr, 0, anchor, sizeof anchor);
    EXPECT_STREQ(anchor, "") << "another page starts at its top";
    EXPECT_EQ(HelpWindowsMade(), made) << "one help window throughout";
}

TEST_F(HelpCommandTest, ShippedPagesAreWholeAndTheirLinksLeadSomewhere) {
    std::set<std::string> anchorsOf[2], jumpsOf[2];
    const char *const pages[2] = {kEnglish, kGerman};
    const char *const langs[2] = {"en", "de"};
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(pages[k]);
        const std::string raw = ReadFile(BinFile(pages[k]));
        ASSERT_FALSE(raw.empty()) << "not beside the program";
        EXPECT_EQ(raw.rfind("<!DOCTYPE html>", 0), 0u);
        EXPECT_NE(raw.find("<meta charset=\"utf-8\">"), std::string::npos);
        EXPECT_NE(raw.find(std::string("<html lang=\"") + langs[k] + "\">"), std::string::npos);
        EXPECT_TRUE(ValidUtf8(raw));
        EXPECT_NE(raw.find("<link rel=\"stylesheet\" type=\"text/css\" href=\"help.css\">"),
                  std::string::npos);
        EXPECT_TRUE(GetFileInfo(BinFile("help.css").c_str(), nullptr)) << "no style beside it";
        EXPECT_EQ(raw, ReadFile(std::string(KR7M_SOURCE_DIR) + "/resources/help/" + pages[k]))
            << "the copy beside the program is not the page of the sources";

        ASSERT_EQ(SystemHelp(BinFile(pages[k]).c_str(), HELP_CONTENTS, 0), 0);
        for (const std::string &a : PageNames(HELP_PAGE_ANCHORS)) anchorsOf[k].insert(a);
        EXPECT_GT(anchorsOf[k].size(), 20u);
        for (const std::string &link : PageNames(HELP_PAGE_LINKS)) {
            if (link[0] == '#') {
                jumpsOf[k].insert(link);
                EXPECT_TRUE(anchorsOf[k].count(link.substr(1))) << link << " leads nowhere";
                continue;
            }
            EXPECT_NE(UserFollowHelpLink(link.c_str()), HELP_LINK_REFUSED) << link;
            ASSERT_EQ(SystemHelp(BinFile(pages[k]).c_str(), HELP_CONTENTS, 0), 0);
        }
    }
    EXPECT_EQ(anchorsOf[0], anchorsOf[1]) << "both languages have the same sections";
    EXPECT_EQ(jumpsOf[0], jumpsOf[1]);
}

TEST_F(HelpCommandTest, ShippedPagesNameOnlyOptionsTheProgramsHave) {
    // Options of other programs the pages name (udevadm).
    std::set<std::string> known = {"--reload-rules"};
    for (const char *program : {"kr7m", "kr7m-sim", "kr7mctl"})
        for (const std::string &o : Options(Output(BinFile(program) + " --help"))) known.insert(o);
    ASSERT_TRUE(known.count("--bus") && known.count("--device")) << "no --help output";
    for (const char *page : {kEnglish, kGerman})
        for (const std::string &o : Options(ReadFile(BinFile(page))))
            EXPECT_TRUE(known.count(o)) << page << " names " << o << ", which no program has";
}

// Every menu command and every window of the program is explained under the name it carries
// in that language. The German check runs once the German language file is beside the
// program.
TEST_F(HelpCommandTest, ShippedPagesExplainEveryMenuCommandAndWindowByItsName) {
    struct Lang {
        const char *page, *languageFile;
    } langs[] = {{kEnglish, "kr7meng.lwl"}, {kGerman, "kr7mdeu.lwl"}};
    const int windows[] = {MEAS,    MINMAX,  MEAN,    METERS,  LOGGER, SIMULATION,  INTERFACE,
                           PORTDEV, DEVTYPE, DISPLAY, VERSION, ABOUT,  LOGINTERVAL, LOGTIME};
    for (const Lang &l : langs) {
        SCOPED_TRACE(l.page);
        const std::string file = BinFile(l.languageFile);
        if (!GetFileInfo(file.c_str(), nullptr)) continue;
        ASSERT_EQ(SystemHelp(BinFile(l.page).c_str(), HELP_CONTENTS, 0), 0);
        int bar = 0;
        ASSERT_EQ(LoadLocalizedMenuBar(0, MainResourceFile(), MENU, file.c_str(), &bar), 0);
        int menu = 0;
        GetMenuBarAttribute(bar, 0, ATTR_FIRST_ITEM, &menu);
        for (; menu > 0; GetMenuBarAttribute(bar, menu, ATTR_NEXT_ITEM, &menu)) {
            int item = 0;
            GetMenuBarAttribute(bar, menu, ATTR_FIRST_ITEM, &item);
            for (; item > 0; GetMenuBarAttribute(bar, item, ATTR_NEXT_ITEM, &item)) {
                int separator = 0;
                GetMenuBarAttribute(bar, item, ATTR_IS_SEPARATOR, &separator);
                if (separator) continue;
                char name[256] = "";
                GetMenuBarAttribute(bar, item, ATTR_ITEM_NAME, name, sizeof name);
                EXPECT_EQ(UserFindInHelp(Plain(name).c_str(), 0), 1) << "menu entry " << name;
            }
        }
        DiscardMenuBar(bar);
        for (int id : windows) {
            int panel = 0;
            ASSERT_EQ(LoadLocalizedPanel(0, MainResourceFile(), id, file.c_str(), &panel), 0);
            char title[256] = "";
            GetPanelAttribute(panel, ATTR_TITLE, title, sizeof title);
            EXPECT_EQ(UserFindInHelp(title, 0), 1) << "window " << title;
            DiscardPanel(panel);
        }
    }
}

} // namespace

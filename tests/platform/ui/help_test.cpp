// The help window: one window for every call, the pages and anchors it shows, where links may
// lead, back/forward/home, the search, and what it says about a file it cannot show.
#include "platform/ui/help.h"
#include "uitest.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A page long enough that its anchors lie out of sight of each other.
std::string Page(const std::string &title, const std::string &lang, const std::string &body) {
    std::string filler;
    for (int i = 0; i < 80; ++i) filler += "<p>Filler line " + std::to_string(i) + ".</p>\n";
    return "<!DOCTYPE html>\n<html lang=\"" + lang + "\"><head><meta charset=\"utf-8\"><title>" +
           title + "</title></head><body>\n" + body + "\n" + filler +
           "<h2><a name=\"s2\"></a>Second</h2>\n" + filler + "<h2 id=\"s3\">Third</h2>\n" + filler +
           "</body></html>\n";
}

const char kBody[] = "<h1>Top</h1><p><a href=\"#s2\">to two</a> <a href=\"#s3\">to three</a> "
                     "<a href=\"other.html\">other page</a> Needle here.</p>"
                     "<p>Zählerstand und Spannungswandler, Needle again.</p>";

int gDialogAnswer = 1; // what the deferred answer got: 0 when a dialog was there to answer
void AnswerDialog(void *) {
    gDialogAnswer = UserAnswerDialog(1);
}

class HelpTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        char pattern[] = "/tmp/kr7m-help-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        ASSERT_EQ(mkdir((dir_ + "/pages").c_str(), 0755), 0);
        Write("pages/help.html", Page("Test help", "en", kBody));
        Write("pages/other.html", Page("Other page", "de", "<p>Andere Seite</p>"));
        Write("pages/notes.txt", "not a page");
        Write("outside.html", Page("Outside", "en", "<p>outside</p>"));
        ASSERT_EQ(symlink((dir_ + "/outside.html").c_str(), (dir_ + "/pages/link.html").c_str()),
                  0);
    }
    void TearDown() override {
        CloseHelpWindow();
        std::string cmd = "chmod -R u+rwx '" + dir_ + "' && rm -rf '" + dir_ + "'";
        if (std::system(cmd.c_str()) != 0) ADD_FAILURE() << "cannot remove " << dir_;
        UiTest::TearDown();
    }
    void Write(const std::string &name, const std::string &text) {
        std::ofstream(dir_ + "/" + name, std::ios::binary) << text;
    }
    std::string Path(const std::string &name) const { return dir_ + "/" + name; }
    // The shown page's file name within the pages folder, and its anchor, as "name#anchor".
    std::string Shown() const {
        char page[1024], anchor[256];
        if (GetHelpWindowPage(page, sizeof page, anchor, sizeof anchor) != 1) return "(none)";
        std::string p = page, folder = dir_ + "/pages/";
        if (p.rfind(folder, 0) == 0) p = p.substr(folder.size());
        return p + "#" + anchor;
    }
    std::string dir_;
};

TEST_F(HelpTest, OneWindowShowsThePageAskedForAndKeepsTheReadersPlace) {
    const int before = HelpWindowsMade();
    ASSERT_EQ(SystemHelp(Path("pages/help.html").c_str(), HELP_CONTENTS, 0), 0);
    EXPECT_EQ(Shown(), "help.html#");
    EXPECT_EQ(UserFollowHelpLink("#s3"), HELP_LINK_SHOWN);
    EXPECT_EQ(Shown(), "help.html#s3");
    // Asked again for the same page: the window comes up where the reader was.
    ASSERT_EQ(SystemHelp(Path("pages/help.html").c_str(), HELP_CONTENTS, 0), 0);
    EXPECT_EQ(Shown(), "help.html#s3");
    // Another page (the other language) replaces it from the top, with a history of its own.
    ASSERT_EQ(SystemHelp(Path("pages/other.html").c_str(), HELP_CONTENTS, 0), 0);
    EXPECT_EQ(Shown(), "other.html#");
    EXPECT_EQ(UserHelpNavigate(HELP_BACK), 0);
    EXPECT_EQ(HelpWindowsMade(), before + 1);
    // Closed by the user and asked for again: from the top.
    EXPECT_EQ(UserFollowHelpLink("#s2"), HELP_LINK_SHOWN);
    EXPECT_EQ(CloseHelpWindow(), 0);
    EXPECT_EQ(Shown(), "(none)");
    EXPECT_EQ(CloseHelpWindow(), UIE_BAD_HANDLE);
    ASSERT_EQ(SystemHelp(Path("pages/other.html").c_str(), HELP_CONTENTS, 0), 0);
    EXPECT_EQ(Shown(), "other.html#");
    EXPECT_EQ(HelpWindowsMade(), before + 1);
}

TEST_F(HelpTest, OutlivesTheWindowItWasOpenedFrom) {
    int main = LoadPanel(0, TESTPAN, MAIN);
    ASSERT_GT(main, 0);
    DisplayPanel(main);
    ASSERT_EQ(SystemHelp(Path("pages/help.html").c_str(), HELP_CONTENTS, 0), 0);
    EXPECT_EQ(UserFollowHelpLink("#s2"), HELP_LINK_SHOWN);
    // The main window is discarded and built again, as a change of language does.
    DiscardPanel(main);
    ProcessSystemEvents();
    EXPECT_EQ(Shown(), "help.html#s2");
    main = Load(MAIN);
    ASSERT_GT(main, 0);
    DisplayPanel(main);
    ProcessSystemEvents();
    EXPECT_EQ(Shown(), "help.html#s2");
}

TEST_F(HelpTest, LinksOpenOnlyPagesOfTheHelpAndHandWebLinksOut) {
    struct Case {
        const char *href;
        int result;
        const char *shownAfter;
    } cases[] = {
        {"#s2", HELP_LINK_SHOWN, "help.html#s2"},
        {"#s3", HELP_LINK_SHOWN, "help.html#s3"},
        {"other.html", HELP_LINK_SHOWN, "other.html#"},
        {"help.html#s2", HELP_LINK_SHOWN, "help.html#s2"},
        {"http://example.com/", HELP_LINK_EXTERNAL, "help.html#s2"},
        {"https://example.com/kr7m", HELP_LINK_EXTERNAL, "help.html#s2"},
        {"mailto:service@example.com", HELP_LINK_EXTERNAL, "help.html#s2"},
        {"../outside.html", HELP_LINK_REFUSED, "help.html#s2"},
        {"link.html", HELP_LINK_REFUSED, "help.html#s2"}, // a symbolic link out of the folder
        {"notes.txt", HELP_LINK_REFUSED, "help.html#s2"},
        {"missing.html", HELP_LINK_REFUSED, "help.html#s2"},
        {"file:///etc/passwd", HELP_LINK_REFUSED, "help.html#s2"},
        {"/etc/hostname", HELP_LINK_REFUSED, "help.html#s2"},
        {"javascript:alert(1)", HELP_LINK_REFUSED, "help.html#s2"},
        {"ftp://example.com/x.html", HELP_LINK_REFUSED, "help.html#s2"},
        {"kr7m-sim", HELP_LINK_REFUSED, "help.html#s2"},
    };
    ASSERT_EQ(SystemHelp(Path("pages/help.html").c_str(), HELP_CONTENTS, 0), 0);
    for (const Case &c : cases) {
        EXPECT_EQ(UserFollowHelpLink(c.href), c.result) << c.href;
        EXPECT_EQ(Shown(), c.shownAfter) << c.href;
    }
}

TEST_F(HelpTest, BackForwardAndHomeWalkTheHistory) {
    ASSERT_EQ(SystemHelp(Path("pages/help.html").c_str(), HELP_CONTENTS, 0), 0);
    ASSERT_EQ(UserFollowHelpLink("#s2"), HELP_LINK_SHOWN);
    ASSERT_EQ(UserFollowHelpLink("other.html"), HELP_LINK_SHOWN);
    ASSERT_EQ(UserFollowHelpLink("#s3"), HELP_LINK_SHOWN);
    struct Step {
        int where;
        int moved;
        const char *shown;
    } steps[] = {
        {HELP_FORWARD, 0, "other.html#s3"}, {HELP_BACK, 1, "other.html#"},
        {HELP_BACK, 1, "help.html#s2"},     {HELP_BACK, 1, "help.html#"},
        {HELP_BACK, 0, "help.html#"},       {HELP_FORWARD, 1, "help.html#s2"},
        {HELP_FORWARD, 1, "other.html#"},   {HELP_FORWARD, 1, "other.html#s3"},
        {HELP_HOME, 1, "other.html#"},      {HELP_BACK, 1, "other.html#s3"},
    };
    for (const Step &s : steps) {
        EXPECT_EQ(UserHelpNavigate(s.where), s.moved) << s.where << " to " << s.shown;
        EXPECT_EQ(Shown(), s.shown) << s.where;
    }
    EXPECT_EQ(UserHelpNavigate(7), UIE_BAD_VALUE);
}

TEST_F(HelpTest, AnchorsAndLinksOfThePageAsTheViewerReadsThem) {
    ASSERT_EQ(SystemHelp(Path("pages/help.html").c_str(), HELP_CONTENTS, 0), 0);
    char names[4096];
    ASSERT_EQ(GetHelpPageNames(HELP_PAGE_ANCHORS, names, sizeof names), 0);
    EXPECT_EQ(std::string(names), "s2\ns3"); // <a name> and id on a heading alike
    ASSERT_EQ(GetHelpPageNames(HELP_PAGE_LINKS, names, sizeof names), 0);
    EXPECT_EQ(std::string(names), "#s2\n#s3\nother.html");
    char tiny[4];
    EXPECT_EQ(GetHelpPageNames(HELP_PAGE_LINKS, tiny, sizeof tiny), UIE_BAD_VALUE);
    EXPECT_EQ(GetHelpPageNames(9, names, sizeof names), UIE_BAD_VALUE);
}

TEST_F(HelpTest, SearchFindsTextOfThePageInItsOwnEncodingAndGoesRound) {
    ASSERT_EQ(SystemHelp(Path("pages/help.html").c_str(), HELP_CONTENTS, 0), 0);
    struct Find {
        const char *text;
        int backwards;
        int found;
    } finds[] = {
        {"Needle", 0, 1}, {"Needle", 0, 1},         {"Needle", 0, 1}, // round again
        {"Needle", 1, 1}, {"Zählerstand", 0, 1},    {"Spannungswandler", 1, 1}, {"Haystack", 0, 0},
        {"", 0, 0},       {"Filler line 79", 0, 1},
    };
    for (const Find &f : finds) EXPECT_EQ(UserFindInHelp(f.text, f.backwards), f.found) << f.text;
}

TEST_F(HelpTest, AFileItCannotShowIsNamedInAMessageAndTheWindowStaysAsItWas) {
    ASSERT_EQ(mkdir(Path("pages/folder.html").c_str(), 0755), 0);
    Write("pages/locked.html", Page("Locked", "en", ""));
    ASSERT_EQ(chmod(Path("pages/locked.html").c_str(), 0), 0);
    { std::ofstream(Path("pages/huge.html")); }
    ASSERT_EQ(truncate(Path("pages/huge.html").c_str(), 17LL * 1024 * 1024), 0);
    struct Case {
        const char *name;
        int code;
    } cases[] = {
        {"pages/missing.html", UIE_FILE_NOT_FOUND},
        {"nowhere/KR7M_ENG.html", UIE_FILE_NOT_FOUND},
        {"pages/folder.html", UIE_FILE_NOT_FOUND},
        {"pages/locked.html", UIE_FILE_ACCESS}, // unless root, who reads it anyway
        {"pages/huge.html", UIE_FILE_ACCESS},
    };
    ASSERT_EQ(SystemHelp(Path("pages/help.html").c_str(), HELP_CONTENTS, 0), 0);
    ASSERT_EQ(UserFollowHelpLink("#s3"), HELP_LINK_SHOWN);
    for (const Case &c : cases) {
        if (geteuid() == 0 && c.code == UIE_FILE_ACCESS && std::string(c.name) != "pages/huge.html")
            continue;
        gDialogAnswer = 1;
        PostDeferredCall(AnswerDialog, nullptr);
        EXPECT_EQ(SystemHelp(Path(c.name).c_str(), HELP_CONTENTS, 0), c.code) << c.name;
        ProcessSystemEvents();
        EXPECT_EQ(gDialogAnswer, 0) << c.name << ": no message was shown";
        EXPECT_NE(std::string(UILastErrorDetail()).find(Path(c.name)), std::string::npos)
            << UILastErrorDetail();
        EXPECT_EQ(Shown(), "help.html#s3") << c.name;
    }
}

TEST_F(HelpTest, CallsItCannotServeAreRefusedWithoutAMessage) {
    struct Case {
        const char *file;
        int command, topic, code;
    } cases[] = {
        {nullptr, HELP_CONTENTS, 0, UIE_MISSING_ARGUMENT},
        {"", HELP_CONTENTS, 0, UIE_MISSING_ARGUMENT},
        {"help.html", 0, 0, UIE_BAD_VALUE},
        {"help.html", 2, 0, UIE_BAD_VALUE},
        {"help.html", HELP_CONTENTS, 5, UIE_BAD_VALUE},
    };
    for (const Case &c : cases) {
        gDialogAnswer = 1;
        PostDeferredCall(AnswerDialog, nullptr);
        const std::string file = c.file && *c.file ? Path("pages/") + c.file : "";
        EXPECT_EQ(SystemHelp(c.file ? file.c_str() : nullptr, c.command, c.topic), c.code);
        ProcessSystemEvents();
        EXPECT_EQ(gDialogAnswer, UIE_BAD_HANDLE) << "a message was shown";
    }
    EXPECT_EQ(Shown(), "(none)");
    EXPECT_EQ(UserFollowHelpLink("#s2"), UIE_BAD_HANDLE);
    EXPECT_EQ(UserFindInHelp("x", 0), UIE_BAD_HANDLE);
}

} // namespace

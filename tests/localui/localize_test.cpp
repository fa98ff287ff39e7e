// Localizing real panels and menu bars of a test resource: trees of every control kind, exports,
// translations that change exactly the texts they have, and files that do not fit.
#include "../filetext.h"
#include "LangTest.h"
#include "langtexts.h"
#include "localui/localui.h"
#include "platform/ui/userint.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace langtest;

class LocalizeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(InitUserInterface(0, nullptr), 0);
        char pattern[] = "/tmp/localize_testXXXXXX";
        dir_ = mkdtemp(pattern);
        english_ = dir_ + "/eng.lwl";
        german_ = dir_ + "/deu.lwl";
        ASSERT_EQ(ExportResourceToLangFile(LANGTEST, english_.c_str()), 0);
        Spit(german_, Slurp(english_));
        Translate(german_);
    }
    void TearDown() override {
        for (int m : menuBars_) DiscardMenuBar(m);
        for (int p : panels_) DiscardPanel(p);
        ProcessSystemEvents();
        std::system(("rm -rf '" + dir_ + "'").c_str());
    }
    int Load(int id) {
        int h = LoadPanel(0, LANGTEST, id);
        EXPECT_GT(h, 0);
        panels_.push_back(h);
        return h;
    }
    int LoadLocalized(int id, const std::string &lang) {
        int h = -1;
        int r = LoadLocalizedPanel(0, LANGTEST, id, lang.c_str(), &h);
        EXPECT_EQ(r, 0) << "panel " << id;
        if (h > 0) panels_.push_back(h);
        return h;
    }
    std::string dir_, english_, german_;
    std::vector<int> panels_, menuBars_;
};

TEST_F(LocalizeTest, TreeOfEveryKind) {
    int p = Load(KINDS);
    PNL tree;
    ASSERT_EQ(UIPanelToPNLAndCTRLs(p, &tree, 0), 0);
    EXPECT_EQ(tree.constName, "KINDS");
    EXPECT_EQ(tree.handle, p);
    const struct {
        const char *name;
        int kind;
        int counts[2];
    } expected[] = {
        {"DECORATION", 2, {0, 0}}, {"PICTURE", 1, {0, 0}}, {"NUMERIC", 2, {0, 0}},
        {"BUTTON", 2, {0, 0}},     {"LED", 2, {0, 0}},     {"STRING", 3, {0, 0}},
        {"TEXTBOX", 3, {0, 0}},    {"TEXTMSG", 4, {0, 0}}, {"SWITCH", 5, {0, 0}},
        {"RADIO", 2, {0, 0}},      {"RING", 8, {3, 0}},    {"LIST", 8, {2, 2}},
        {"TABLE", 9, {2, 3}},      {"SLIDE", 2, {0, 0}},   {"TIMER", 1, {0, 0}},
        {"STRIPCHART", 7, {0, 0}},
    };
    ASSERT_EQ(tree.ctrls.size(), sizeof expected / sizeof expected[0]);
    for (size_t i = 0; i < tree.ctrls.size(); ++i) {
        const CTRL &c = tree.ctrls[i];
        EXPECT_EQ(c.constName, expected[i].name);
        EXPECT_EQ(c.kind, expected[i].kind) << c.constName;
        EXPECT_EQ(c.counts[0], expected[i].counts[0]) << c.constName;
        EXPECT_EQ(c.counts[1], expected[i].counts[1]) << c.constName;
        EXPECT_EQ(c.panel, &tree);
        for (const TextSlot &s : c.builtIn) EXPECT_EQ(s.flag, LOCALUI_TEXT_ABSENT) << "no texts";
    }
}

TEST_F(LocalizeTest, TreeWithTextsHoldsWhatTheControlsShow) {
    Texts t = PanelTexts(Load(KINDS));
    const struct {
        const char *key;
        const char *text; // "" for an absent text
    } cases[] = {
        {"TITLE", "Every kind"},
        {"KINDS_DECORATION.Label", "Frame title"},
        {"KINDS_STRING.Default", "abc"},
        {"KINDS_TEXTBOX.Default", "first line"},
        {"KINDS_TEXTMSG.Default", "kV"},
        {"KINDS_SWITCH.On", "On"},
        {"KINDS_SWITCH.Off", "Off"},
        {"KINDS_RADIO.Label", "Small"},
        {"KINDS_RING.ItemLabel_2", "Fast"},
        {"KINDS_LIST.ItemVal_1", "kV"},
        {"KINDS_TABLE.ColLabel_3", "C"},
        {"KINDS_TABLE.RowLabel_1", ""},
        {"KINDS_TABLE.Cell(2,1)", ""},
        {"KINDS_STRIPCHART.Label", "Trend"},
        {"KINDS_STRIPCHART.Xname", "Time"},
        {"KINDS_STRIPCHART.LYname", "Power"},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(t.count(c.key)) << c.key;
        EXPECT_EQ(t[c.key].second, c.text) << c.key;
        EXPECT_EQ(t[c.key].first, *c.text ? LOCALUI_TEXT_PRESENT : LOCALUI_TEXT_ABSENT) << c.key;
    }
}

TEST_F(LocalizeTest, OwnExportLoadsEveryPanelUnchanged) {
    for (int id : {KINDS, BARE, WINDOW}) {
        Texts before = PanelTexts(Load(id));
        EXPECT_EQ(PanelTexts(LoadLocalized(id, english_)), before) << "panel " << id;
    }
}

TEST_F(LocalizeTest, TranslationChangesExactlyTheFlaggedTexts) {
    for (int id : {KINDS, BARE, WINDOW}) {
        Texts before = PanelTexts(Load(id));
        Texts after = PanelTexts(LoadLocalized(id, german_));
        ASSERT_EQ(after.size(), before.size());
        for (const auto &kv : before) {
            const auto &[flag, text] = kv.second;
            std::string want = flag == LOCALUI_TEXT_PRESENT ? text + " (de)" : text;
            EXPECT_EQ(after[kv.first].second, want) << kv.first;
        }
    }
}

TEST_F(LocalizeTest, TranslatedEntriesKeepTheirValues) {
    int p = LoadLocalized(KINDS, german_);
    int value = 0;
    ASSERT_EQ(GetCtrlVal(p, KINDS_RING, &value), 0);
    EXPECT_EQ(value, 4) << "the selection stays";
    ASSERT_EQ(GetValueFromIndex(p, KINDS_RING, 2, &value), 0);
    EXPECT_EQ(value, 9);
    char text[64];
    ASSERT_EQ(GetLabelFromIndex(p, KINDS_RING, 2, text, sizeof text), 0);
    EXPECT_STREQ(text, "Fast (de)");
    // A text list's values are texts and are translated too; each keeps its label's change.
    ASSERT_EQ(GetValueFromIndex(p, KINDS_LIST, 1, text, sizeof text), 0);
    EXPECT_STREQ(text, "kV (de)");
    ASSERT_EQ(GetLabelFromIndex(p, KINDS_LIST, 1, text, sizeof text), 0);
    EXPECT_STREQ(text, "Kilovolt (de)");
    ASSERT_EQ(GetCtrlVal(p, KINDS_SWITCH, &value), 0);
    EXPECT_EQ(value, 0);
}

TEST_F(LocalizeTest, StripChartAxisItemsAreTranslatedWhenTheChartHasThem) {
    // The program labels a chart's axis; a file made from the labelled chart translates the
    // labels and keeps their values, and does not fit the chart without them.
    auto label = [](int p) {
        EXPECT_EQ(InsertAxisItem(p, KINDS_STRIPCHART, VAL_XAXIS, -1, "start", 0.0), 0);
        EXPECT_EQ(InsertAxisItem(p, KINDS_STRIPCHART, VAL_XAXIS, -1, "end", 300.0), 0);
        EXPECT_EQ(InsertAxisItem(p, KINDS_STRIPCHART, VAL_LEFT_YAXIS, -1, "rated", 1.0), 0);
    };
    int labelled = Load(KINDS);
    label(labelled);
    PNL tree;
    ASSERT_EQ(UIPanelToPNLAndCTRLs(labelled, &tree, 1), 0);
    const std::string path = dir_ + "/axes.lwl";
    ASSERT_EQ(ExportAllObjectsToLangFile({&tree}, {}, path.c_str()), 0);
    const std::string file = Slurp(path);
    EXPECT_NE(file.find("[KINDS_STRIPCHART]\r\nType = 7\r\nXitems = 2\r\nLYitems = 1\r\n"),
              std::string::npos);
    EXPECT_NE(file.find("Xitem_1 = \"end\"\r\nLYitem_0 = \"rated\"\r\n"), std::string::npos);
    Translate(path);

    int p = Load(KINDS);
    label(p);
    ASSERT_EQ(LocalizePanel(p, path.c_str()), 0);
    char text[64];
    double value = -1;
    ASSERT_EQ(GetAxisItemLabel(p, KINDS_STRIPCHART, VAL_XAXIS, 1, text, sizeof text), 0);
    EXPECT_STREQ(text, "end (de)");
    ASSERT_EQ(GetAxisItemValue(p, KINDS_STRIPCHART, VAL_XAXIS, 1, &value), 0);
    EXPECT_EQ(value, 300.0);
    ASSERT_EQ(GetAxisItemLabel(p, KINDS_STRIPCHART, VAL_LEFT_YAXIS, 0, text, sizeof text), 0);
    EXPECT_STREQ(text, "rated (de)");
    ASSERT_EQ(GetCtrlAttribute(p, KINDS_STRIPCHART, ATTR_YNAME, text, sizeof text), 0);
    EXPECT_STREQ(text, "Power (de)");

    int bare = Load(KINDS);
    EXPECT_EQ(LocalizePanel(bare, path.c_str()), UIE_LANG_COUNT_DIFFERS);
    ASSERT_EQ(GetCtrlAttribute(bare, KINDS_STRIPCHART, ATTR_XNAME, text, sizeof text), 0);
    EXPECT_STREQ(text, "Time");
}

TEST_F(LocalizeTest, EmptyTextsCannotBeGivenOne) {
    // The file offers texts for controls that have none: they are flagged 'u' and stay unread.
    EditLangFile(german_, [](IniDoc doc) {
        Ini_PutString(doc, "BARE_NOLABEL", "Label", "Zahl");
        Ini_PutString(doc, "BARE_NOONOFF", "On", "an");
        Ini_PutString(doc, "BARE", "Title", "Leer");
    });
    Texts before = PanelTexts(Load(BARE));
    Texts after = PanelTexts(LoadLocalized(BARE, german_));
    EXPECT_EQ(after["BARE_NOLABEL.Label"], before["BARE_NOLABEL.Label"]);
    EXPECT_EQ(after["BARE_NOONOFF.On"].second, "");
    EXPECT_EQ(after["TITLE"].second, "");
    EXPECT_EQ(after["BARE_NOONOFF.Label"].second, "Only a label (de)");
    EXPECT_EQ(after["BARE_BLANKRING.ItemLabel_1"].second, "One (de)");
}

TEST_F(LocalizeTest, RingThatGainedAnItemKeepsItsPanelsTexts) {
    int p = Load(KINDS);
    ASSERT_EQ(InsertListItem(p, KINDS_RING, -1, "Turbo", 12), 0);
    Texts before = PanelTexts(p);
    EXPECT_EQ(LocalizePanel(p, german_.c_str()), UIE_LANG_COUNT_DIFFERS);
    EXPECT_EQ(PanelTexts(p), before) << "nothing of the file is applied";
}

TEST_F(LocalizeTest, FilesThatDoNotFitLeaveNoPanel) {
    struct Case {
        const char *name;
        void (*edit)(IniDoc);
        int code;
    };
    const Case cases[] = {
        {"flagged label missing", [](IniDoc d) { Ini_RemoveItem(d, "KINDS_NUMERIC", "Label"); },
         UIE_LANG_BAD_FILE},
        {"control section missing", [](IniDoc d) { Ini_RemoveSection(d, "KINDS_TIMER"); },
         UIE_LANG_BAD_FILE},
        {"version 101", [](IniDoc d) { Ini_PutInt(d, "Language Resource File", "Version", 101); },
         UIE_LANG_BAD_FILE},
        {"another kind", [](IniDoc d) { Ini_PutInt(d, "KINDS_BUTTON", "Type", 5); },
         UIE_LANG_KIND_DIFFERS},
        {"table of another shape", [](IniDoc d) { Ini_PutInt(d, "KINDS_TABLE", "Rows", 3); },
         UIE_LANG_COUNT_DIFFERS},
    };
    for (const Case &c : cases) {
        const std::string path = dir_ + "/case.lwl";
        Spit(path, Slurp(german_));
        EditLangFile(path, c.edit);
        // Handles are numbered upwards: the panel the failed load made had the next one.
        int probe = LoadPanel(0, LANGTEST, WINDOW);
        ASSERT_GT(probe, 0);
        DiscardPanel(probe);
        int handle = -1;
        EXPECT_EQ(LoadLocalizedPanel(0, LANGTEST, KINDS, path.c_str(), &handle), c.code) << c.name;
        EXPECT_EQ(handle, 0) << c.name;
        EXPECT_EQ(DiscardPanel(probe + 1), UIE_BAD_HANDLE) << c.name << ": the panel is gone";
    }
}

TEST_F(LocalizeTest, LoadFailuresAndArguments) {
    const std::string missing = dir_ + "/none.lwl";
    struct Case {
        const char *name;
        const char *uir;
        int id;
        const char *lang;
        int code;
    };
    const Case cases[] = {
        {"no language file given", LANGTEST, KINDS, nullptr, UIE_MISSING_ARGUMENT},
        {"empty language file name", LANGTEST, KINDS, "", UIE_MISSING_ARGUMENT},
        {"no resource file given", nullptr, KINDS, german_.c_str(), UIE_MISSING_ARGUMENT},
        {"language file missing", LANGTEST, KINDS, missing.c_str(), UIE_FILE_OPEN},
        {"language file a folder", LANGTEST, KINDS, dir_.c_str(), UIE_FILE_ACCESS},
        {"no such panel", LANGTEST, 99, german_.c_str(), UIE_RESOURCE_NOT_FOUND},
        {"resource file missing", "/nonexistent.uir", KINDS, german_.c_str(), UIE_FILE_NOT_FOUND},
    };
    for (const Case &c : cases) {
        int handle = -1;
        EXPECT_EQ(LoadLocalizedPanel(0, c.uir, c.id, c.lang, &handle), c.code) << c.name;
        EXPECT_EQ(handle, 0) << c.name;
        int bar = -1;
        int want = c.id == 99 ? UIE_RESOURCE_NOT_FOUND : c.code;
        EXPECT_EQ(LoadLocalizedMenuBar(0, c.uir, c.id == 99 ? 99 : BAR, c.lang, &bar), want)
            << c.name;
        EXPECT_EQ(bar, 0) << c.name;
    }
    EXPECT_EQ(LoadLocalizedPanel(0, LANGTEST, KINDS, german_.c_str(), nullptr),
              UIE_MISSING_ARGUMENT);
    EXPECT_EQ(LoadLocalizedMenuBar(0, LANGTEST, BAR, german_.c_str(), nullptr),
              UIE_MISSING_ARGUMENT);
}

TEST_F(LocalizeTest, MenuSeparatorsHaveNoSectionAndAreSkipped) {
    const std::string file = Slurp(english_);
    std::vector<std::string> sections;
    std::regex header(R"(\[(BAR_[A-Z_]*)\])");
    for (auto it = std::sregex_iterator(file.begin(), file.end(), header);
         it != std::sregex_iterator(); ++it)
        sections.push_back((*it)[1]);
    EXPECT_EQ(sections, (std::vector<std::string>{"BAR_FILE", "BAR_FILE_NEW", "BAR_FILE_MORE",
                                                  "BAR_FILE_MORE_DEEP", "BAR_FILE_MORE_DEEPER",
                                                  "BAR_FILE_QUIT", "BAR_HELP", "BAR_HELP_ABOUT"}));

    int plain = LoadMenuBar(0, LANGTEST, BAR);
    ASSERT_GT(plain, 0);
    menuBars_.push_back(plain);
    Texts before = MenuTexts(plain);
    int bar = 0;
    ASSERT_EQ(LoadLocalizedMenuBar(0, LANGTEST, BAR, german_.c_str(), &bar), 0);
    menuBars_.push_back(bar);
    Texts after = MenuTexts(bar);
    ASSERT_EQ(after.size(), 8u);
    for (const auto &kv : before)
        EXPECT_EQ(after[kv.first].second, kv.second.second + " (de)") << kv.first;
    char name[64] = "?";
    // The separator between NEW and MORE: its id lies between theirs and it has no text.
    ASSERT_EQ(GetMenuBarAttribute(bar, BAR_FILE_NEW + 1, ATTR_ITEM_NAME, name, sizeof name), 0);
    EXPECT_STREQ(name, "");
    ASSERT_EQ(GetMenuBarAttribute(bar, BAR_FILE_MORE_DEEPER, ATTR_ITEM_NAME, name, sizeof name), 0);
    EXPECT_STREQ(name, "Deeper (de)");
}

TEST_F(LocalizeTest, PanelBringsItsMenuBar) {
    int window = Load(WINDOW);
    int bar = LoadMenuBar(window, LANGTEST, BAR);
    ASSERT_GT(bar, 0);
    ASSERT_EQ(LocalizePanel(window, german_.c_str()), 0);
    char text[64];
    ASSERT_EQ(GetPanelAttribute(window, ATTR_TITLE, text, sizeof text), 0);
    EXPECT_STREQ(text, "Window (de)");
    ASSERT_EQ(GetMenuBarAttribute(bar, BAR_HELP, ATTR_ITEM_NAME, text, sizeof text), 0);
    EXPECT_STREQ(text, "Help (de)");
    // A menu bar whose file lacks a flagged name fails the panel too.
    EditLangFile(german_, [](IniDoc d) { Ini_RemoveItem(d, "BAR_HELP_ABOUT", "Name"); });
    EXPECT_EQ(LocalizePanel(window, german_.c_str()), UIE_LANG_BAD_FILE);
}

TEST_F(LocalizeTest, ChangedFileIsReadAgain) {
    // The language layer keeps the file it read last; a new file of the same name counts.
    int p = LoadLocalized(WINDOW, german_);
    char text[64];
    GetPanelAttribute(p, ATTR_TITLE, text, sizeof text);
    EXPECT_STREQ(text, "Window (de)");
    EditLangFile(german_, [](IniDoc d) { Ini_PutString(d, "WINDOW", "Title", "Fenster"); });
    p = LoadLocalized(WINDOW, german_);
    GetPanelAttribute(p, ATTR_TITLE, text, sizeof text);
    EXPECT_STREQ(text, "Fenster");
    Spit(german_, "[Language Resource File]\r\nVersion = 101\r\n");
    int h = -1;
    EXPECT_EQ(LoadLocalizedPanel(0, LANGTEST, WINDOW, german_.c_str(), &h), UIE_LANG_BAD_FILE);
}

TEST_F(LocalizeTest, LanguageFileNamesLeadToTheProgramsDirectory) {
    char dir[1024];
    ASSERT_EQ(GetProjectDir(dir, sizeof dir), 0);
    const std::string name = "kr7mzzz_test.lwl";
    const std::string inProgramDir = std::string(dir) + "/" + name;
    EXPECT_STREQ(LanguageFilePath(name.c_str()), name.c_str()) << "not there: as given";
    Spit(inProgramDir, Slurp(german_));
    EXPECT_EQ(LanguageFilePath(name.c_str()), inProgramDir);
    EXPECT_EQ(LanguageFilePath(german_.c_str()), german_) << "a path stays a path";
    int h = LoadLocalized(WINDOW, name);
    char text[64];
    GetPanelAttribute(h, ATTR_TITLE, text, sizeof text);
    EXPECT_STREQ(text, "Window (de)");
    unlink(inProgramDir.c_str());
    EXPECT_STREQ(LanguageFile, "kr7meng.lwl") << "English until the program chooses";
}

TEST_F(LocalizeTest, TextKindsAreTheDocumentedOnes) {
    // docs/resource-format.md lists the text kind of every control kind; the test panel has a
    // control of each kind, named after it.
    std::ifstream doc(KR7M_SOURCE_DIR "/docs/resource-format.md");
    ASSERT_TRUE(doc) << "docs/resource-format.md";
    std::regex row(R"(^\| `([a-z]+)` \| .* \| ([0-9]) \|$)");
    int p = Load(KINDS);
    int rows = 0;
    for (std::string line; std::getline(doc, line);) {
        std::smatch m;
        if (!std::regex_match(line, m, row)) continue;
        ++rows;
        std::string name = m[1];
        for (char &ch : name) ch = static_cast<char>(toupper(ch));
        int control = 0, found = 0;
        GetPanelAttribute(p, ATTR_PANEL_FIRST_CTRL, &control);
        for (; control > 0 && !found; GetCtrlAttribute(p, control, ATTR_NEXT_CTRL, &control)) {
            char constName[64];
            GetCtrlAttribute(p, control, ATTR_CONSTANT_NAME, constName, sizeof constName);
            if ("KINDS_" + name == constName) found = control;
        }
        ASSERT_GT(found, 0) << "add a control of kind " << m[1] << " to langtest.uir";
        int kind = 0;
        GetCtrlAttribute(p, found, ATTR_CTRL_KIND, &kind);
        EXPECT_EQ(TextKindOfCtrlKind(kind), std::stoi(m[2])) << m[1];
    }
    EXPECT_GE(rows, 15);
}

} // namespace

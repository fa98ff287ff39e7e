// Language files without any panel: trees built by hand are written, read back, and judged by
// the exact text on disk; damaged and mismatched files give their codes.
#include "../filetext.h"
#include "localui/langfile.h"
#include "platform/ui/userint.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class TempDir {
  public:
    TempDir() {
        char pattern[] = "/tmp/langfile_testXXXXXX";
        dir_ = mkdtemp(pattern);
    }
    ~TempDir() { std::system(("rm -rf '" + dir_ + "'").c_str()); }
    std::string File(const std::string &name) const { return dir_ + "/" + name; }

  private:
    std::string dir_;
};

// A control record of a kind with counts and its built-in texts ("" is an absent text).
CTRL Ctrl(PNL *panel, const char *name, int kind, std::vector<int> counts,
          std::vector<std::string> texts) {
    CTRL c;
    c.panel = panel;
    c.constName = name;
    c.kind = kind;
    for (size_t i = 0; i < counts.size() && i < 3; ++i) c.counts[i] = counts[i];
    EXPECT_EQ(CtrlResetSlots(&c), 0) << name;
    EXPECT_EQ(c.builtIn.size(), texts.size()) << name << ": texts for every flag";
    for (size_t i = 0; i < texts.size() && i < c.builtIn.size(); ++i) {
        c.builtIn[i].text = texts[i];
        c.builtIn[i].flag = texts[i].empty() ? LOCALUI_TEXT_ABSENT : LOCALUI_TEXT_PRESENT;
    }
    return c;
}

// The lines of one section as written, without the header and the empty line after it.
std::vector<std::string> SectionLines(const std::string &file, const std::string &section) {
    std::vector<std::string> out;
    size_t at = file.find("[" + section + "]\r\n");
    if (at == std::string::npos) return out;
    at += section.size() + 4;
    for (;;) {
        size_t end = file.find("\r\n", at);
        if (end == std::string::npos || end == at) break;
        out.push_back(file.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

int ExportPanel(const PNL &panel, const std::string &path) {
    return ExportAllObjectsToLangFile({&panel}, {}, path.c_str());
}

TEST(LangFileWrite, EveryKindIsWrittenWithItsKeysInOrder) {
    struct Case {
        const char *name;
        int kind;
        std::vector<int> counts;
        std::vector<std::string> texts;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"PICTURE", 1, {}, {}, {"Type = 1"}},
        {"COUNT", 2, {}, {"Count"}, {"Type = 2", "Flags = \"@f\"", "Label = \"Count\""}},
        {"NOLABEL", 2, {}, {""}, {"Type = 2", "Flags = \"@e\""}},
        {"NAME",
         3,
         {},
         {"Name", "abc"},
         {"Type = 3", "Flags = \"Dff\"", "Label = \"Name\"", "Default = \"abc\""}},
        {"UNIT", 4, {}, {"kV"}, {"Type = 4", "Flags = \"@f\"", "Default = \"kV\""}},
        // Three flags 'v' take four characters.
        {"ENABLE",
         5,
         {},
         {"Enable", "On", "Off"},
         {"Type = 5", "Flags = \"Efff\"", "Label = \"Enable\"", "On = \"On\"", "Off = \"Off\""}},
        {"HALF", 5, {}, {"", "On", ""}, {"Type = 5", "Flags = \"Eefe\"", "On = \"On\""}},
        {"GRAPH",
         6,
         {1, 1, 1},
         {"G", "t", "U", "", "0 s", "0 V", "0 A"},
         {"Type = 6", "Flags = \"EfffEeff@f\"", "Xitems = 1", "LYitems = 1", "RYitems = 1",
          "Label = \"G\"", "Xname = \"t\"", "LYname = \"U\"", "Xitem_0 = \"0 s\"",
          "LYitem_0 = \"0 V\"", "RYitem_0 = \"0 A\""}},
        {"STRIP",
         7,
         {2, 0},
         {"S", "time", "", "a", "b"},
         {"Type = 7", "Xitems = 2", "LYitems = 0", "Flags = \"EffeDff\"", "Label = \"S\"",
          "Xname = \"time\"", "Xitem_0 = \"a\"", "Xitem_1 = \"b\""}},
        {"RING",
         8,
         {2, 0},
         {"Mode", "Off", "On"},
         {"Type = 8", "NumItemLabels = 2", "NumItemValues = 0", "Flags = \"Efff\"",
          "Label = \"Mode\"", "ItemLabel_0 = \"Off\"", "ItemLabel_1 = \"On\""}},
        {"UNITS",
         8,
         {2, 2},
         {"", "Volt", "", "V", "kV"},
         {"Type = 8", "NumItemLabels = 2", "NumItemValues = 2", "Flags = \"EefeDff\"",
          "ItemLabel_0 = \"Volt\"", "ItemVal_0 = \"V\"", "ItemVal_1 = \"kV\""}},
        // Rows 2, columns 3: cells column by column, "Cell(column,row)".
        {"TABLE",
         9,
         {2, 3},
         {"T", "r1", "", "A", "", "C", "a1", "a2", "", "b2", "c1", ""},
         {"Type = 9", "Cols = 3", "Rows = 2", "Flags = \"EffeEfefEffeEffe\"", "Label = \"T\"",
          "RowLabel_1 = \"r1\"", "ColLabel_1 = \"A\"", "ColLabel_3 = \"C\"", "Cell(1,1) = \"a1\"",
          "Cell(1,2) = \"a2\"", "Cell(2,2) = \"b2\"", "Cell(3,1) = \"c1\""}},
        {"QUOTED",
         2,
         {},
         {"say \"hi\"\tand\\or\nnot"},
         {"Type = 2", "Flags = \"@f\"", "Label = \"say \\\"hi\\\"\\tand\\\\or\\nnot\""}},
    };
    TempDir dir;
    for (const Case &c : cases) {
        PNL panel;
        panel.constName = "P";
        panel.ctrls.push_back(Ctrl(&panel, c.name, c.kind, c.counts, c.texts));
        const std::string path = dir.File("out.lwl");
        ASSERT_EQ(ExportPanel(panel, path), 0) << c.name;
        EXPECT_EQ(SectionLines(Slurp(path), std::string("P_") + c.name), c.lines) << c.name;
    }
}

TEST(LangFileWrite, HeaderPanelsAndMenusInOrder) {
    PNL first, second;
    first.constName = "FIRST";
    first.builtInTitle = {LOCALUI_TEXT_PRESENT, "Main window"};
    first.ctrls.push_back(Ctrl(&first, "OK", 2, {}, {"OK"}));
    second.constName = "SECOND"; // an empty title is never translated
    MENUBAR bar;
    bar.constName = "BAR";
    auto file = std::make_unique<MENUITEM>();
    file->constName = "FILE";
    file->builtInName = {LOCALUI_TEXT_PRESENT, "&File"};
    auto more = std::make_unique<MENUITEM>();
    more->constName = "MORE";
    more->builtInName = {LOCALUI_TEXT_PRESENT, "More"};
    auto deep = std::make_unique<MENUITEM>();
    deep->constName = "DEEP";
    more->items.push_back(std::move(deep));
    file->items.push_back(std::move(more));
    bar.menus.push_back(std::move(file));

    TempDir dir;
    const std::string path = dir.File("all.lwl");
    ASSERT_EQ(ExportAllObjectsToLangFile({&first, &second}, {&bar}, path.c_str()), 0);
    EXPECT_EQ(Slurp(path),
              "[Language Resource File]\r\nVersion = 100\r\nMagic = -1395807027\r\n\r\n"
              "[FIRST]\r\nFlags = \"@f\"\r\nTitle = \"Main window\"\r\n\r\n"
              "[FIRST_OK]\r\nType = 2\r\nFlags = \"@f\"\r\nLabel = \"OK\"\r\n\r\n"
              "[SECOND]\r\nFlags = \"@e\"\r\n\r\n"
              "[BAR_FILE]\r\nFlags = \"@f\"\r\nName = \"&File\"\r\n\r\n"
              "[BAR_FILE_MORE]\r\nFlags = \"@f\"\r\nName = \"More\"\r\n\r\n"
              "[BAR_FILE_MORE_DEEP]\r\nFlags = \"@e\"\r\n\r\n");
}

TEST(LangFileWrite, FlagsFollowTheTextsNotTheCaller) {
    // A slot flagged present with an empty text would ask every translation for a text that
    // no one can see: it is written as absent.
    PNL panel;
    panel.constName = "P";
    panel.builtInTitle = {LOCALUI_TEXT_PRESENT, ""};
    panel.ctrls.push_back(Ctrl(&panel, "C", 2, {}, {""}));
    panel.ctrls[0].builtIn[0].flag = LOCALUI_TEXT_PRESENT;
    TempDir dir;
    const std::string path = dir.File("f.lwl");
    ASSERT_EQ(ExportPanel(panel, path), 0);
    EXPECT_EQ(SectionLines(Slurp(path), "P"), std::vector<std::string>{"Flags = \"@e\""});
    EXPECT_EQ(SectionLines(Slurp(path), "P_C"),
              (std::vector<std::string>{"Type = 2", "Flags = \"@e\""}));
}

TEST(LangFileWrite, Failures) {
    PNL panel;
    panel.constName = "P";
    EXPECT_EQ(ExportAllObjectsToLangFile({&panel}, {}, nullptr), LANG_ERR_ARGUMENT);
    EXPECT_EQ(ExportAllObjectsToLangFile({&panel}, {}, "/nonexistent/dir/x.lwl"), LANG_ERR_FILE_IO);
    // A record whose slots do not match its kind and counts is refused, not written wrongly.
    panel.ctrls.push_back(Ctrl(&panel, "RING", 8, {2, 0}, {"L", "a", "b"}));
    panel.ctrls[0].counts[0] = 3;
    TempDir dir;
    EXPECT_EQ(ExportPanel(panel, dir.File("bad.lwl")), LANG_ERR_MEMORY);
    EXPECT_TRUE(Slurp(dir.File("bad.lwl")).empty()) << "no file from a failed export";
}

// A panel of every kind with awkward texts, as the reader's tree expects it.
void FillPanel(PNL *p) {
    p->constName = "ALL";
    p->builtInTitle = {LOCALUI_TEXT_PRESENT, "Übersicht \"alle\""};
    const std::string longText(200, 'x');
    p->ctrls.push_back(Ctrl(p, "PIC", 1, {}, {}));
    p->ctrls.push_back(Ctrl(p, "NUM", 2, {}, {"Zähler"}));
    p->ctrls.push_back(Ctrl(p, "STR", 3, {}, {"", longText + "\n" + longText}));
    p->ctrls.push_back(Ctrl(p, "MSG", 4, {}, {"kV"}));
    p->ctrls.push_back(Ctrl(p, "SW", 5, {}, {"An/Aus", "an", "aus"}));
    p->ctrls.push_back(Ctrl(p, "GR", 6, {2, 1, 0}, {"g", "x", "", "ry", "0", "", "1"}));
    p->ctrls.push_back(Ctrl(p, "SC", 7, {0, 2}, {"s", "", "y", "lo", "hi"}));
    p->ctrls.push_back(Ctrl(p, "RG", 8, {3, 3}, {"r", "a", "b", "", "1", "", "3"}));
    p->ctrls.push_back(Ctrl(p, "TB", 9, {1, 2}, {"t", "row", "c1", "", "x", "y"}));
}

// The same panel without texts: names, kinds and counts only, as a panel is localized.
void FillShape(const PNL &from, PNL *to) {
    to->constName = from.constName;
    for (const CTRL &c : from.ctrls) {
        CTRL shape = c;
        shape.panel = to;
        CtrlResetSlots(&shape);
        to->ctrls.push_back(shape);
    }
}

TEST(LangFileRoundTrip, EveryTextComesBackWithItsFlag) {
    PNL written;
    FillPanel(&written);
    TempDir dir;
    const std::string path = dir.File("round.lwl");
    ASSERT_EQ(ExportPanel(written, path), 0);
    PNL read;
    FillShape(written, &read);
    ASSERT_EQ(LangFileToPNLAndCTRLLocalStrs(path.c_str(), &read), 0);
    EXPECT_EQ(read.localTitle.flag, LOCALUI_TEXT_PRESENT);
    EXPECT_EQ(read.localTitle.text, written.builtInTitle.text);
    ASSERT_EQ(read.ctrls.size(), written.ctrls.size());
    for (size_t i = 0; i < read.ctrls.size(); ++i) {
        const CTRL &w = written.ctrls[i], &r = read.ctrls[i];
        ASSERT_EQ(r.local.size(), w.builtIn.size()) << w.constName;
        for (size_t s = 0; s < r.local.size(); ++s) {
            EXPECT_EQ(r.local[s].flag, w.builtIn[s].flag)
                << w.constName << " " << CtrlTextKey(w, int(s));
            EXPECT_EQ(r.local[s].text, w.builtIn[s].text)
                << w.constName << " " << CtrlTextKey(w, int(s));
        }
    }
}

TEST(LangFileRoundTrip, MenuNamesComeBackDepthFirst) {
    MENUBAR written;
    written.constName = "MENU";
    const char *const names[] = {"FILE", "EDIT"};
    for (const char *n : names) {
        auto m = std::make_unique<MENUITEM>();
        m->constName = n;
        m->builtInName = {LOCALUI_TEXT_PRESENT, std::string("&") + n};
        for (int k = 0; k < 2; ++k) {
            auto item = std::make_unique<MENUITEM>();
            item->constName = "I" + std::to_string(k);
            if (k == 0) item->builtInName = {LOCALUI_TEXT_PRESENT, "item"};
            m->items.push_back(std::move(item));
        }
        written.menus.push_back(std::move(m));
    }
    TempDir dir;
    const std::string path = dir.File("menu.lwl");
    ASSERT_EQ(ExportAllObjectsToLangFile({}, {&written}, path.c_str()), 0);
    EXPECT_NE(Slurp(path).find("[MENU_EDIT_I1]\r\nFlags = \"@e\"\r\n\r\n"), std::string::npos);
    for (auto &m : written.menus) m->localName = TextSlot();
    ASSERT_EQ(LangFileToMENUBARAndMENUITEMLocalStrs(path.c_str(), &written), 0);
    EXPECT_EQ(written.menus[1]->localName.text, "&EDIT");
    EXPECT_EQ(written.menus[1]->items[0]->localName.text, "item");
    EXPECT_EQ(written.menus[1]->items[1]->localName.flag, LOCALUI_TEXT_ABSENT);
}

// Replaces the first occurrence of `from` in the file; the test fails when it is not there.
std::string Edited(std::string text, const std::string &from, const std::string &to) {
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST(LangFileRead, FaultsGiveTheirCodes) {
    PNL source;
    FillPanel(&source);
    TempDir dir;
    const std::string good = dir.File("good.lwl");
    ASSERT_EQ(ExportPanel(source, good), 0);
    const std::string text = Slurp(good);
    struct Case {
        const char *name;
        std::string file; // contents; empty: use the path as it is
        const char *path;
        int code;
    };
    const Case cases[] = {
        {"intact", text, nullptr, 0},
        {"missing file", "", "/nonexistent/kr7mxxx.lwl", LANG_ERR_FILE_OPEN},
        {"a folder, not a file", "", "/tmp", LANG_ERR_FILE_IO},
        {"no language file given", "", "", LANG_ERR_ARGUMENT},
        {"version 101", Edited(text, "Version = 100", "Version = 101"), nullptr,
         LANG_ERR_NOT_LANG_FILE},
        {"version not a number", Edited(text, "Version = 100", "Version = one"), nullptr,
         LANG_ERR_NOT_LANG_FILE},
        {"wrong magic", Edited(text, "-1395807027", "-1395807026"), nullptr,
         LANG_ERR_NOT_LANG_FILE},
        {"magic as unsigned", Edited(text, "-1395807027", "2899160269"), nullptr, 0},
        {"no header", Edited(text, "[Language Resource File]", "[Something Else]"), nullptr,
         LANG_ERR_NOT_LANG_FILE},
        {"empty file", "\r\n", nullptr, LANG_ERR_NOT_LANG_FILE},
        {"panel section missing", Edited(text, "[ALL]", "[ALL2]"), nullptr, LANG_ERR_BAD_FLAGS},
        {"panel with two flags",
         Edited(text, "[ALL]\r\nFlags = \"@f\"", "[ALL]\r\nFlags = \"Dff\""), nullptr,
         LANG_ERR_BAD_FLAGS},
        {"panel flag neither v nor u",
         Edited(text, "[ALL]\r\nFlags = \"@f\"", "[ALL]\r\nFlags = \"@g\""), nullptr,
         LANG_ERR_BAD_FLAGS},
        {"flagged title missing", Edited(text, "Title =", "Titel ="), nullptr, LANG_ERR_MISSING},
        {"control section missing", Edited(text, "[ALL_SW]", "[ALL_SWX]"), nullptr,
         LANG_ERR_MISSING},
        {"control without a type", Edited(text, "[ALL_NUM]\r\nType = 2", "[ALL_NUM]\r\nTyp = 2"),
         nullptr, LANG_ERR_MISSING},
        {"type not a number", Edited(text, "[ALL_NUM]\r\nType = 2", "[ALL_NUM]\r\nType = two"),
         nullptr, LANG_ERR_BAD_FLAGS},
        {"another kind", Edited(text, "[ALL_NUM]\r\nType = 2", "[ALL_NUM]\r\nType = 3"), nullptr,
         LANG_ERR_KIND},
        {"a kind without texts", Edited(text, "[ALL_PIC]\r\nType = 1", "[ALL_PIC]\r\nType = 2"),
         nullptr, LANG_ERR_KIND},
        {"ring with one item more", Edited(text, "NumItemLabels = 3", "NumItemLabels = 4"), nullptr,
         LANG_ERR_COUNT},
        {"ring count missing", Edited(text, "NumItemValues = 3", "Values = 3"), nullptr,
         LANG_ERR_MISSING},
        {"table with another shape", Edited(text, "Rows = 1", "Rows = 2"), nullptr, LANG_ERR_COUNT},
        {"graph axis count", Edited(text, "RYitems = 0", "RYitems = 1"), nullptr, LANG_ERR_COUNT},
        {"strip chart axis count",
         Edited(text, "[ALL_SC]\r\nType = 7\r\nXitems = 0", "[ALL_SC]\r\nType = 7\r\nXitems = 1"),
         nullptr, LANG_ERR_COUNT},
        {"one flag too few",
         Edited(text, "[ALL_SW]\r\nType = 5\r\nFlags = \"Efff\"",
                "[ALL_SW]\r\nType = 5\r\nFlags = \"Dff\""),
         nullptr, LANG_ERR_MISSING},
        {"flags missing",
         Edited(text, "[ALL_SW]\r\nType = 5\r\nFlags", "[ALL_SW]\r\nType = 5\r\nFlaggen"), nullptr,
         LANG_ERR_MISSING},
        {"flags not in the data encoding",
         Edited(text, "[ALL_SW]\r\nType = 5\r\nFlags = \"Efff\"",
                "[ALL_SW]\r\nType = 5\r\nFlags = \"Efff@\""),
         nullptr, LANG_ERR_BAD_FLAGS},
        {"flagged label missing", Edited(text, "Label = \"Zähler\"", "Labels = \"Zähler\""),
         nullptr, LANG_ERR_MISSING},
        {"flagged cell missing", Edited(text, "Cell(2,1)", "Cell(1,2)"), nullptr, LANG_ERR_MISSING},
    };
    for (const Case &c : cases) {
        std::string path = c.path ? c.path : dir.File("case.lwl");
        if (!c.path) Spit(path, c.file);
        PNL tree;
        FillShape(source, &tree);
        EXPECT_EQ(LangFileToPNLAndCTRLLocalStrs(path.c_str(), &tree), c.code) << c.name;
    }
    PNL tree;
    EXPECT_EQ(LangFileToPNLAndCTRLLocalStrs(good.c_str(), nullptr), LANG_ERR_ARGUMENT);
    EXPECT_EQ(LangFileToPNLAndCTRLLocalStrs(nullptr, &tree), LANG_ERR_ARGUMENT);
}

TEST(LangFileRead, OnlyFlaggedTextsAreTaken) {
    // A text key beside a 'u' flag is not part of the translation: it stays unread.
    PNL source;
    source.constName = "P";
    source.ctrls.push_back(Ctrl(&source, "SW", 5, {}, {"L", "", "off"}));
    TempDir dir;
    const std::string path = dir.File("u.lwl");
    ASSERT_EQ(ExportPanel(source, path), 0);
    Spit(path, Edited(Slurp(path), "Off = \"off\"", "Off = \"off\"\r\nOn = \"sneaked in\""));
    PNL tree;
    FillShape(source, &tree);
    ASSERT_EQ(LangFileToPNLAndCTRLLocalStrs(path.c_str(), &tree), 0);
    EXPECT_EQ(tree.ctrls[0].local[1].flag, LOCALUI_TEXT_ABSENT);
    EXPECT_EQ(tree.ctrls[0].local[1].text, "");
    EXPECT_EQ(tree.ctrls[0].local[2].text, "off");
}

TEST(LangFileRead, MenuFaults) {
    MENUBAR bar;
    bar.constName = "M";
    auto menu = std::make_unique<MENUITEM>();
    menu->constName = "FILE";
    menu->builtInName = {LOCALUI_TEXT_PRESENT, "File"};
    auto item = std::make_unique<MENUITEM>();
    item->constName = "NEW";
    item->builtInName = {LOCALUI_TEXT_PRESENT, "New"};
    menu->items.push_back(std::move(item));
    bar.menus.push_back(std::move(menu));
    TempDir dir;
    const std::string path = dir.File("m.lwl");
    ASSERT_EQ(ExportAllObjectsToLangFile({}, {&bar}, path.c_str()), 0);
    const std::string text = Slurp(path);
    struct Case {
        const char *name;
        std::string file;
        int code;
    };
    const Case cases[] = {
        {"intact", text, 0},
        {"submenu item without a section", Edited(text, "[M_FILE_NEW]", "[M_FILE_OLD]"),
         LANG_ERR_BAD_FLAGS},
        {"two flags", Edited(text, "[M_FILE]\r\nFlags = \"@f\"", "[M_FILE]\r\nFlags = \"Dff\""),
         LANG_ERR_BAD_FLAGS},
        {"flagged name missing", Edited(text, "Name = \"New\"", "Nome = \"New\""),
         LANG_ERR_MISSING},
        {"version 101", Edited(text, "Version = 100", "Version = 101"), LANG_ERR_NOT_LANG_FILE},
    };
    for (const Case &c : cases) {
        Spit(path, c.file);
        EXPECT_EQ(LangFileToMENUBARAndMENUITEMLocalStrs(path.c_str(), &bar), c.code) << c.name;
    }
}

TEST(LangFileCodes, EachCodeHasItsUserInterfaceCode) {
    const struct {
        int code, ui;
    } cases[] = {
        {LANG_ERR_MEMORY, -12},
        {LANG_ERR_ARGUMENT, -65},
        {LANG_ERR_NOT_LANG_FILE, -6000},
        {LANG_ERR_BAD_FLAGS, -6000},
        {LANG_ERR_KIND, -45},
        {LANG_ERR_COUNT, -46},
        {LANG_ERR_MISSING, -6000},
        {LANG_ERR_FILE_IO, -93},
        {LANG_ERR_FILE_OPEN, -94},
        {LANG_ERR_COPY_MEMORY, -12},
        {0, 0},
        {3, 3},
        {UIE_BAD_CONTROL, UIE_BAD_CONTROL},
    };
    for (const auto &c : cases) EXPECT_EQ(LangFileErrorToUIError(c.code), c.ui) << c.code;
    EXPECT_EQ(UIE_LANG_BAD_FILE, -6000);
    EXPECT_EQ(UIE_LANG_KIND_DIFFERS, -45);
    EXPECT_EQ(UIE_LANG_COUNT_DIFFERS, -46);
    EXPECT_EQ(UIE_FILE_ACCESS, -93);
    EXPECT_EQ(UIE_FILE_OPEN, -94);
}

TEST(LangFileNames, SectionNamesAndNameParts) {
    const struct {
        const char *full, *parent, *part;
    } cases[] = {
        {"PANEL_SYSTEM", "PANEL", "SYSTEM"}, {"MENU_FILE_NEW", "MENU_FILE", "NEW"},
        {"PANELX_A", "PANEL", "PANELX_A"}, // not below that parent: its own part
        {"PANEL_", "PANEL", "PANEL_"},       {"A_B_C", "A", "B_C"},
    };
    for (const auto &c : cases) EXPECT_EQ(ConstNamePart(c.full, c.parent), c.part) << c.full;
}

TEST(LangFileSlots, CountsAndKeys) {
    const struct {
        int kind;
        int counts[3];
        int flags;
        const char *lastKey;
    } cases[] = {
        {1, {0, 0, 0}, 0, ""},
        {4, {0, 0, 0}, 1, "Default"},
        {6, {1, 2, 3}, 10, "RYitem_2"},
        {7, {3, 1, 0}, 7, "LYitem_0"},
        {8, {4, 0, 0}, 5, "ItemLabel_3"},
        {8, {4, 4, 0}, 9, "ItemVal_3"},
        {9, {3, 2, 0}, 12, "Cell(2,3)"},
        {9, {0, 2, 0}, 3, "ColLabel_2"},
        {0, {0, 0, 0}, -1, ""},
        {10, {0, 0, 0}, -1, ""},
        {8, {-1, 0, 0}, -1, ""},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(CtrlFlagCount(c.kind, c.counts), c.flags) << c.kind;
        CTRL ctrl;
        ctrl.kind = c.kind;
        for (int i = 0; i < 3; ++i) ctrl.counts[i] = c.counts[i];
        EXPECT_EQ(CtrlTextKey(ctrl, c.flags - 1), c.lastKey) << c.kind;
        EXPECT_EQ(CtrlTextKey(ctrl, c.flags < 0 ? 0 : c.flags), "") << c.kind;
    }
}

} // namespace

// The German language file against the program's resource: it fits every panel and menu bar as
// the resource is now, it translates every text that German writes differently, its formats
// take the same values in the same order, its menus keep one accelerator per letter, and its
// umlauts reach the panels intact.
#include "mainpan.h"

#include "MainPan.h"
#include "inifile/inifile.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace langtest;

// A language file as the engine reads it: sections in file order, each with its items (long
// values joined) in file order.
struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> items; // name, value with escapes resolved
};

std::vector<Section> ReadSections(const std::string &path) {
    std::vector<Section> out;
    IniDoc doc = Ini_New(0);
    EXPECT_EQ(Ini_ReadFromFile(doc, path.c_str()), 0) << path;
    for (int s = 1; s <= Ini_NumberOfSections(doc); ++s) {
        const char *name = nullptr;
        Ini_NthSectionName(doc, s, &name);
        Section sec{name, {}};
        for (int i = 1; i <= Ini_NumberOfItems(doc, sec.name.c_str()); ++i) {
            const char *item = nullptr, *value = nullptr;
            Ini_NthItemName(doc, sec.name.c_str(), i, &item);
            std::string key = item;
            Ini_GetPointerToString(doc, sec.name.c_str(), key.c_str(), &value);
            sec.items.push_back({key, value ? value : ""});
        }
        out.push_back(std::move(sec));
    }
    Ini_Dispose(doc);
    return out;
}

// Every text of a file: "SECTION.Key" -> text.
std::map<std::string, std::string> TextsOf(const std::vector<Section> &file) {
    std::map<std::string, std::string> out;
    for (const Section &s : file)
        for (const auto &[key, value] : s.items)
            if (IsTextKey(key)) out[s.name + "." + key] = value;
    return out;
}

// What a section is made of apart from its texts: kinds, counts, flags, and which text keys
// it has. Two files of the same resource must agree on it section by section.
std::string ShapeOf(const Section &s) {
    std::string shape;
    for (const auto &[key, value] : s.items)
        shape += IsTextKey(key) ? key + ";" : key + "=" + value + ";";
    return shape;
}

// Texts that read the same in German: formula symbols, units, numbers, names and the few
// words both languages share.
bool SameInGerman(const std::string &text) {
    static const std::regex symbol("(U|I|P|Q|S|PF|f)(1N|2N|3N|12|23|31|1|2|3|N)?(avg)?(max|min)?");
    static const std::regex unitCaption("(P|Q|S)(max|int)? \\[(W|var|VA)\\]");
    static const std::regex number("[0-9]+( A| V)?");
    static const std::set<std::string> same = {
        "V",      "kV",      "A",         "kA",        "Hz",          "min",      "max",
        "Wh",     "kWh",     "MWh",       "GWh",       "varh",        "kvarh",    "Mvarh",
        "Gvarh",  "L1",      "L2",        "L3",        "OK",          "Bus",      "Bus (RS-485)",
        "Minute", "Version", "Version 1", "Version 2", "Port %s: %s", "&Deutsch", "&English"};
    static const std::regex port("Port [1-8]");
    return same.count(text) || std::regex_match(text, symbol) ||
           std::regex_match(text, unitCaption) || std::regex_match(text, number) ||
           std::regex_match(text, port);
}

// The conversions of a text used as a format, in order ("%s", "%d", ...; "%%" is none).
std::vector<std::string> Conversions(const std::string &text) {
    std::vector<std::string> out;
    static const std::regex conv("%[-+ #0]*[0-9]*(\\.[0-9]+)?[hlLqjzt]*[diouxXeEfFgGaAcspn%]");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), conv);
         it != std::sregex_iterator(); ++it)
        if (it->str() != "%%") out.push_back(it->str());
    return out;
}

// The accelerator letter of a menu text ("Ö&ffnen..." -> "f"), lower case; empty without one.
std::string Accelerator(const std::string &text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(text[i + 1]);
        if (c < 0x80) return std::string(1, static_cast<char>(std::tolower(c)));
        return text.substr(i + 1, 2); // a letter outside ASCII: its UTF-8 bytes
    }
    return "";
}

class GermanFileTest : public MainPanFixture {
  protected:
    // A fresh export of the resource the build wrote: what the German file must fit.
    std::string FreshExport() {
        const std::string fresh = dir_ + "/fresh.lwl";
        EXPECT_EQ(ExportResourceToLangFile(kResource, fresh.c_str()), 0) << UILastErrorDetail();
        return fresh;
    }
};

TEST_F(GermanFileTest, EveryPanelAndMenuBarLoadsWithTheGermanFile) {
    // The shipped file and the copy the build put beside the program (and that is installed).
    for (const std::string &lang :
         {std::string(kShippedGerman), std::string(KR7M_BIN_DIR "/kr7mdeu.lwl")}) {
        ASSERT_TRUE(Slurp(lang) == Slurp(kShippedGerman)) << lang << " is not the shipped file";
        std::vector<Pair> all = LoadAll(lang);
        EXPECT_EQ(all.size(), PanelIds().size() + MenuBarIds().size()) << lang;
        const std::map<std::string, std::string> texts = TextsOf(ReadSections(lang));
        size_t applied = 0;
        for (const Pair &p : all)
            for (const auto &[key, slot] : p.localized)
                applied += slot.first == LOCALUI_TEXT_PRESENT && slot != p.plain.at(key);
        EXPECT_GT(applied, texts.size() / 2) << "German texts reached the panels";
    }
}

TEST_F(GermanFileTest, HasTheSectionsKindsCountsAndFlagsOfAFreshExport) {
    const std::vector<Section> english = ReadSections(FreshExport());
    const std::vector<Section> german = ReadSections(kShippedGerman);
    ASSERT_GT(english.size(), 100u);
    std::map<std::string, const Section *> byName;
    for (const Section &s : german) byName[s.name] = &s;
    std::vector<std::string> missing, differing, extra;
    std::set<std::string> known;
    for (const Section &s : english) {
        known.insert(s.name);
        auto it = byName.find(s.name);
        if (it == byName.end())
            missing.push_back(s.name);
        else if (ShapeOf(*it->second) != ShapeOf(s))
            differing.push_back(s.name);
    }
    for (const Section &s : german)
        if (!known.count(s.name)) extra.push_back(s.name);
    auto list = [](const std::vector<std::string> &names) {
        std::string out;
        for (const std::string &n : names) out += " " + n;
        return out;
    };
    // After a change of the resource: carry the changed sections of the new kr7meng.lwl over.
    EXPECT_TRUE(missing.empty()) << "kr7mdeu.lwl lacks sections of the resource:" << list(missing);
    EXPECT_TRUE(extra.empty()) << "kr7mdeu.lwl has sections the resource lacks:" << list(extra);
    EXPECT_TRUE(differing.empty())
        << "kind, counts, flags or text keys differ from the resource in:" << list(differing);
    if (missing.empty() && extra.empty()) {
        for (size_t i = 0; i < english.size(); ++i)
            EXPECT_EQ(german[i].name, english[i].name) << "section " << i << " out of order";
    }
}

TEST_F(GermanFileTest, EveryTextIsGermanWithTheSameFormats) {
    const std::map<std::string, std::string> english = TextsOf(ReadSections(kShipped));
    const std::map<std::string, std::string> german = TextsOf(ReadSections(kShippedGerman));
    ASSERT_EQ(german.size(), english.size());
    size_t kept = 0;
    for (const auto &[key, en] : english) {
        auto it = german.find(key);
        ASSERT_NE(it, german.end()) << key;
        const std::string &de = it->second;
        EXPECT_FALSE(de.empty()) << key;
        if (de == en) {
            ++kept;
            EXPECT_TRUE(SameInGerman(en)) << key << " is still English: \"" << en << "\"";
        }
        // The status line and the pop-ups fill the conversions in order.
        EXPECT_EQ(Conversions(de), Conversions(en)) << key << ": \"" << de << "\"";
        // A menu text keeps its accelerator.
        EXPECT_EQ(Accelerator(de).empty(), Accelerator(en).empty()) << key << ": \"" << de << "\"";
        EXPECT_EQ(de.find('\t'), std::string::npos) << key << " would split the file header";
    }
    EXPECT_LT(kept, english.size() / 3) << "most texts of the program are words";
}

TEST(SameInGermanTest, KeepsSymbolsAndUnitsAndCatchesWords) {
    struct Case {
        const char *text;
        bool same;
    } cases[] = {{"U2N", true},      {"I3avgmax", true}, {"PFmin", true},  {"Qmax [var]", true},
                 {"kvarh", true},    {"500 V", true},    {"19200", true},  {"Port 8", true},
                 {"OK", true},       {"Print", false},   {"Reset", false}, {"Imax now", false},
                 {"Port 9", false},  {"Records", false}, {"Total", false}, {"Voltage U", false},
                 {"P [kW]x", false}, {"Status", false}};
    for (const Case &c : cases) EXPECT_EQ(SameInGerman(c.text), c.same) << c.text;
}

TEST(ConversionsTest, FindsTheFormatsInOrder) {
    struct Case {
        const char *text;
        std::vector<std::string> want;
    } cases[] = {{"Port %s: %s", {"%s", "%s"}},
                 {"%s  Konfiguration an Adresse %s über %s gesendet", {"%s", "%s", "%s"}},
                 {"100 %% of %5.2f and %ld", {"%5.2f", "%ld"}},
                 {"no formats", {}}};
    for (const Case &c : cases) EXPECT_EQ(Conversions(c.text), c.want) << c.text;
}

TEST_F(GermanFileTest, MenusHaveOneAcceleratorPerLetter) {
    for (const std::string &lang : {std::string(kShipped), std::string(kShippedGerman)}) {
        for (const Pair &p : LoadAll(lang)) {
            if (!p.menuBar) continue;
            MENUBAR tree;
            ASSERT_EQ(UIMenubarToMENUBARAndMENUITEMs(p.handle, &tree, 1), 0);
            // The menus of the bar share the Alt letters, and so do the items of one menu.
            std::function<void(const std::vector<std::unique_ptr<MENUITEM>> &)> check =
                [&](const std::vector<std::unique_ptr<MENUITEM>> &items) {
                    std::map<std::string, std::string> used;
                    for (const auto &item : items) {
                        const std::string &name = item->builtInName.text;
                        const std::string a = Accelerator(name);
                        EXPECT_FALSE(a.empty()) << lang << ": \"" << name << "\" has none";
                        if (!a.empty() && used.count(a))
                            ADD_FAILURE() << lang << ": \"" << name << "\" and \"" << used[a]
                                          << "\" share the accelerator " << a;
                        used[a] = name;
                        check(item->items);
                    }
                };
            check(tree.menus);
        }
    }
}

TEST_F(GermanFileTest, UmlautsReachThePanelsAndMenus) {
    int panel = -1, devtype = -1, menuBar = -1;
    ASSERT_EQ(LoadLocalizedPanel(0, kResource, PANEL, kShippedGerman, &panel), 0);
    Keep(panel, &panels_);
    ASSERT_EQ(LoadLocalizedPanel(0, kResource, DEVTYPE, kShippedGerman, &devtype), 0);
    Keep(devtype, &panels_);
    ASSERT_EQ(LoadLocalizedMenuBar(0, kResource, MENU, kShippedGerman, &menuBar), 0);
    Keep(menuBar, &menuBars_);
    auto label = [](int p, int c) {
        char text[256] = "";
        GetCtrlAttribute(p, c, ATTR_LABEL_TEXT, text, sizeof text);
        return std::string(text);
    };
    auto value = [](int p, int c) {
        char text[256] = "";
        GetCtrlVal(p, c, text, sizeof text);
        return std::string(text);
    };
    auto entry = [](int p, int c, int i) {
        char text[256] = "";
        GetLabelFromIndex(p, c, i, text, sizeof text);
        return std::string(text);
    };
    auto item = [menuBar](int i) {
        char text[256] = "";
        GetMenuBarAttribute(menuBar, i, ATTR_ITEM_NAME, text, sizeof text);
        return std::string(text);
    };
    auto title = [](int p) {
        char text[256] = "";
        GetPanelAttribute(p, ATTR_TITLE, text, sizeof text);
        return std::string(text);
    };
    struct Case {
        const char *where;
        std::string got, want;
    } cases[] = {
        {"label", label(panel, PANEL_UR_PRIM), "Primärspannung"},
        {"label", label(panel, PANEL_SOURCE1), "Messgröße / Zählgröße"},
        {"caption", value(panel, PANEL_INST_CAPTION), "Gerät am Bus"},
        {"ring entry", entry(panel, PANEL_FILE_CAPTIONS, 1), "Konfigurationsdatei öffnen"},
        {"ring entry", entry(panel, PANEL_PHASE_LIST, 0), "Ströme I1, I2, I3"},
        {"title", title(devtype), "Gerätetyp und Nennwerte"},
        {"button", label(devtype, DEVTYPE_CANCEL), "Abbrechen"},
        {"menu item", item(MENU_FILE_OPEN), "Ö&ffnen..."},
        {"menu", item(MENU_DEVICE), "&Gerät"},
        {"menu item", item(MENU_MEASURE_METERS), "&Energiezähler"},
    };
    for (const Case &c : cases) EXPECT_EQ(c.got, c.want) << c.where;
}

TEST_F(GermanFileTest, IsWrittenAsTheEngineWritesIt) {
    // Read and written again by the INI engine, the file comes back byte for byte: its layout,
    // quotes, long-value pieces and CR LF line ends are the engine's own, so an edit by hand
    // that broke one of them shows up here, not as a text the program reads otherwise.
    IniDoc doc = Ini_New(0);
    ASSERT_EQ(Ini_ReadFromFile(doc, kShippedGerman), 0);
    const std::string again = dir_ + "/again.lwl";
    ASSERT_EQ(Ini_WriteToFile(doc, again.c_str()), 0);
    Ini_Dispose(doc);
    const std::string shipped = Slurp(kShippedGerman);
    EXPECT_TRUE(Slurp(again) == shipped) << "kr7mdeu.lwl is not in the engine's form";
    size_t lf = std::count(shipped.begin(), shipped.end(), '\n');
    EXPECT_EQ(lf, static_cast<size_t>(std::count(shipped.begin(), shipped.end(), '\r')));
    EXPECT_GT(lf, 2000u);
}

} // namespace

// ---- pictures ----------------------------------------------------------------------------------

// The entry of `list` with the longest label, put into `ring` and chosen: how the ring looks
// at its widest once the program has filled it.
void ShowLongestEntry(int panel, int list, int ring) {
    int n = 0;
    GetNumListItems(panel, list, &n);
    std::string longest;
    for (int i = 0; i < n; ++i) {
        char label[256] = "";
        GetLabelFromIndex(panel, list, i, label, sizeof label);
        if (std::string(label).size() > longest.size()) longest = label;
    }
    ClearListCtrl(panel, ring);
    InsertListItem(panel, ring, -1, longest.c_str(), 0);
    SetCtrlIndex(panel, ring, 0);
}

// The main panel as the program shows it: rings filled, and the outputs either as limit or
// as pulse outputs (the program never shows both).
void ShowMainPanelAs(int panel, bool limits) {
    const int function[] = {PANEL_FUNC1, PANEL_FUNC2};
    const int source[] = {PANEL_SOURCE1, PANEL_SOURCE2};
    const int pulseUnit[] = {PANEL_PULSUNIT1, PANEL_PULSUNIT2};
    const int limitCtrls[2][4] = {
        {PANEL_LIMON1, PANEL_LIMON1_UNIT, PANEL_LIMOFF1, PANEL_LIMOFF1_UNIT},
        {PANEL_LIMON2, PANEL_LIMON2_UNIT, PANEL_LIMOFF2, PANEL_LIMOFF2_UNIT}};
    const int pulseCtrls[2][2] = {{PANEL_PULSRATE1, PANEL_PULSUNIT1},
                                  {PANEL_PULSRATE2, PANEL_PULSUNIT2}};
    for (int out = 0; out < 2; ++out) {
        ShowLongestEntry(panel, PANEL_FUNC_LIST, function[out]);
        ShowLongestEntry(panel, PANEL_COMBINED_LIST, source[out]);
        ShowLongestEntry(panel, PANEL_PULSUNIT_LIST, pulseUnit[out]);
        for (int c : limitCtrls[out]) SetCtrlAttribute(panel, c, ATTR_VISIBLE, limits ? 1 : 0);
        for (int c : pulseCtrls[out]) SetCtrlAttribute(panel, c, ATTR_VISIBLE, limits ? 0 : 1);
        SetCtrlVal(panel, limitCtrls[out][1], "Mvar");
        SetCtrlVal(panel, limitCtrls[out][3], "Mvar");
    }
    ShowLongestEntry(panel, PANEL_SYNC_LIST, PANEL_SYNC_MODE);
    ShowLongestEntry(panel, PANEL_TARIFF_LIST, PANEL_TARIFF);
    ShowLongestEntry(panel, PANEL_LOGMODE_LIST, PANEL_LOG_MODE);
    SetCtrlIndex(panel, PANEL_SYSTEM, 4);
    SetCtrlIndex(panel, PANEL_DEV_PARITY, 2);
}

// A pop-up showing its longest heading and message, broken into lines of 54 characters as
// the pop-ups break them.
void ShowLongestMessage(int panel, int titles, int messages, int heading, int text) {
    ShowLongestEntry(panel, titles, titles);
    ShowLongestEntry(panel, messages, messages);
    char longest[1024] = "";
    GetLabelFromIndex(panel, titles, 0, longest, sizeof longest);
    SetCtrlVal(panel, heading, longest);
    GetLabelFromIndex(panel, messages, 0, longest, sizeof longest);
    std::string broken, line;
    std::istringstream words(longest);
    for (std::string word; words >> word;) {
        const auto length = [](const std::string &s) { // characters, not bytes
            return std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; });
        };
        if (!line.empty() && length(line) + 1 + length(word) > 54) {
            broken += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    SetCtrlVal(panel, text, (broken + line).c_str());
}

// Fills what the program fills before a panel is shown, where the longest text matters.
void ShowAsTheProgramDoes(int id, int panel) {
    if (id == ERROR)
        ShowLongestMessage(panel, ERROR_TITLE, ERROR_MESSAGE, ERROR_HEADING, ERROR_TEXT);
    if (id == WARNING)
        ShowLongestMessage(panel, WARNING_TITLE, WARNING_MESSAGE, WARNING_HEADING, WARNING_TEXT);
    if (id == SAVEASK)
        ShowLongestMessage(panel, SAVEASK_TITLE, SAVEASK_MESSAGE, SAVEASK_HEADING, SAVEASK_TEXT);
}

TEST_F(GermanFileTest, PicturesInGermanAndEnglish) {
    // For a look at whether the German texts fit where the English ones do: every panel in
    // both languages, the main panel once with limit and once with pulse outputs.
    const char *keep = getenv("KR7M_SCREENSHOT_DIR");
    if (!keep) GTEST_SKIP() << "set KR7M_SCREENSHOT_DIR for pictures";
    struct Language {
        const char *prefix, *file;
    } languages[] = {{"de", kShippedGerman}, {"en", kShipped}};
    for (const Language &lang : languages) {
        for (int id : PanelIds()) {
            for (int variant = 0; variant < (id == PANEL ? 2 : 1); ++variant) {
                int h = -1;
                ASSERT_EQ(LoadLocalizedPanel(0, kResource, id, lang.file, &h), 0);
                Keep(h, &panels_);
                char name[64];
                GetPanelAttribute(h, ATTR_CONSTANT_NAME, name, sizeof name);
                std::string file = std::string(keep) + "/" + lang.prefix + "-" + name;
                if (id == PANEL) {
                    ShowMainPanelAs(h, variant == 0);
                    file += variant == 0 ? "-limits" : "-pulses";
                }
                ShowAsTheProgramDoes(id, h);
                DisplayPanel(h);
                ProcessSystemEvents();
                EXPECT_EQ(SavePanelImage(h, (file + ".png").c_str()), 0) << file;
                HidePanel(h);
            }
        }
        // The main window at 1024 x 640 with its menu bar and the main panel in it (the
        // toolbar, which the program adds, takes the place left above the panel).
        int window = -1, menuBar = -1, panel = -1;
        ASSERT_EQ(LoadLocalizedPanel(0, kResource, BKGND, lang.file, &window), 0);
        Keep(window, &panels_);
        ASSERT_EQ(LoadLocalizedMenuBar(window, kResource, MENU, lang.file, &menuBar), 0);
        ASSERT_EQ(LoadLocalizedPanel(window, kResource, PANEL, lang.file, &panel), 0);
        Keep(panel, &panels_);
        ShowMainPanelAs(panel, true);
        SetPanelSize(window, 640, 1024);
        SetPanelPos(panel, 40, 0);
        DisplayPanel(window);
        DisplayPanel(panel);
        ProcessSystemEvents();
        const std::string file = std::string(keep) + "/" + lang.prefix + "-window-1024x640.png";
        EXPECT_EQ(SavePanelImage(window, file.c_str()), 0) << file;
        DiscardPanel(window); // with its menu bar and the main panel
        panels_.erase(std::remove(panels_.begin(), panels_.end(), window), panels_.end());
        panels_.erase(std::remove(panels_.begin(), panels_.end(), panel), panels_.end());
    }
}

// Helpers of the language tests: every text of a loaded panel or menu bar as its tree sees it,
// and editing a language file through the INI engine (a translation that changes all it can).
#pragma once

#include "localui/localui.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace langtest {

// Every text of a panel (or menu bar) as its tree sees it: key -> (flag, text).
typedef std::map<std::string, std::pair<char, std::string>> Texts;

inline Texts PanelTexts(int panel) {
    Texts out;
    PNL tree;
    EXPECT_EQ(UIPanelToPNLAndCTRLs(panel, &tree, 1), 0);
    out["TITLE"] = {tree.builtInTitle.flag, tree.builtInTitle.text};
    for (const CTRL &c : tree.ctrls)
        for (size_t i = 0; i < c.builtIn.size(); ++i)
            out[CtrlSectionName(tree, c) + "." + CtrlTextKey(c, int(i))] = {c.builtIn[i].flag,
                                                                            c.builtIn[i].text};
    return out;
}

inline void AddMenuTexts(const std::string &parent,
                         const std::vector<std::unique_ptr<MENUITEM>> &items, Texts *out) {
    for (const auto &item : items) {
        std::string section = MenuItemSectionName(parent, *item);
        (*out)[section] = {item->builtInName.flag, item->builtInName.text};
        AddMenuTexts(section, item->items, out);
    }
}

inline Texts MenuTexts(int menuBar) {
    Texts out;
    MENUBAR tree;
    EXPECT_EQ(UIMenubarToMENUBARAndMENUITEMs(menuBar, &tree, 1), 0);
    AddMenuTexts(tree.constName, tree.menus, &out);
    return out;
}

// Keys of a language file that hold counts, kinds and flags rather than texts.
inline bool IsTextKey(const std::string &key) {
    static const char *const notTexts[] = {"Type",          "Flags",   "Xitems", "LYitems",
                                           "RYitems",       "Rows",    "Cols",   "NumItemLabels",
                                           "NumItemValues", "Version", "Magic"};
    for (const char *n : notTexts)
        if (key == n) return false;
    return true;
}

// Edits a language file through the INI engine and writes it back.
template <typename Edit> void EditLangFile(const std::string &path, Edit edit) {
    IniDoc doc = Ini_New(0);
    ASSERT_EQ(Ini_ReadFromFile(doc, path.c_str()), 0);
    edit(doc);
    ASSERT_EQ(Ini_WriteToFile(doc, path.c_str()), 0);
    Ini_Dispose(doc);
}

// Every text of the file gets " (de)" appended: a translation that changes all it can.
inline void Translate(const std::string &path) {
    EditLangFile(path, [](IniDoc doc) {
        for (int s = 1; s <= Ini_NumberOfSections(doc); ++s) {
            const char *name = nullptr;
            Ini_NthSectionName(doc, s, &name);
            const std::string section = name;
            std::vector<std::string> keys;
            for (int i = 1; i <= Ini_NumberOfItems(doc, section.c_str()); ++i) {
                Ini_NthItemName(doc, section.c_str(), i, &name);
                keys.push_back(name);
            }
            for (const std::string &key : keys) {
                if (!IsTextKey(key)) continue;
                const char *value = nullptr;
                Ini_GetPointerToString(doc, section.c_str(), key.c_str(), &value);
                std::string translated = std::string(value) + " (de)";
                Ini_PutString(doc, section.c_str(), key.c_str(), translated.c_str());
            }
        }
    });
}

} // namespace langtest

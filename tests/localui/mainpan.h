// The fixture of the tests that hold the program's own resource against its language files:
// the resource the build wrote, the shipped files, every panel and menu bar loaded plainly and
// with a language file.
#pragma once

#include "../filetext.h"
#include "langtexts.h"
#include "localui/localui.h"
#include "platform/ui/userint.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace langtest {

const char *const kResource = KR7M_BIN_DIR "/MainPan.uir";
const char *const kShipped = KR7M_SOURCE_DIR "/resources/kr7meng.lwl";
const char *const kShippedGerman = KR7M_SOURCE_DIR "/resources/kr7mdeu.lwl";

class MainPanFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(InitUserInterface(0, nullptr), 0);
        char pattern[] = "/tmp/mainpan_langXXXXXX";
        dir_ = mkdtemp(pattern);
    }
    void TearDown() override {
        for (int m : menuBars_) DiscardMenuBar(m);
        for (int p : panels_) DiscardPanel(p);
        ProcessSystemEvents();
        std::system(("rm -rf '" + dir_ + "'").c_str());
    }
    // Ids 1, 2, ... of the resource's panels or menu bars, as the loader finds them.
    template <typename Load> std::vector<int> Ids(Load load) {
        std::vector<int> ids;
        for (int id = 1;; ++id) {
            int h = load(id);
            if (h == UIE_RESOURCE_NOT_FOUND) break;
            EXPECT_GT(h, 0) << "resource id " << id;
            if (h <= 0) break;
            ids.push_back(id);
            load(-h); // discard
        }
        return ids;
    }
    std::vector<int> PanelIds() {
        return Ids([](int id) {
            if (id < 0) return DiscardPanel(-id);
            return LoadPanel(0, kResource, id);
        });
    }
    std::vector<int> MenuBarIds() {
        return Ids([](int id) {
            if (id < 0) return DiscardMenuBar(-id);
            return LoadMenuBar(0, kResource, id);
        });
    }
    int Keep(int handle, std::vector<int> *list) {
        if (handle > 0) list->push_back(handle);
        return handle;
    }
    // Loads every panel and menu bar plainly and with `lang`; the texts of each pair, with the
    // object's name for messages. Localized handles are kept for the test in `localized`.
    struct Pair {
        std::string what;
        Texts plain, localized;
        int handle;
        bool menuBar;
    };
    std::vector<Pair> LoadAll(const std::string &lang) {
        std::vector<Pair> out;
        for (int id : PanelIds()) {
            int plain = Keep(LoadPanel(0, kResource, id), &panels_);
            int h = -1;
            EXPECT_EQ(LoadLocalizedPanel(0, kResource, id, lang.c_str(), &h), 0) << "panel " << id;
            Keep(h, &panels_);
            if (plain <= 0 || h <= 0) continue;
            out.push_back(
                {"panel " + std::to_string(id), PanelTexts(plain), PanelTexts(h), h, false});
        }
        for (int id : MenuBarIds()) {
            int plain = Keep(LoadMenuBar(0, kResource, id), &menuBars_);
            int h = -1;
            EXPECT_EQ(LoadLocalizedMenuBar(0, kResource, id, lang.c_str(), &h), 0)
                << "menu bar " << id;
            Keep(h, &menuBars_);
            if (plain <= 0 || h <= 0) continue;
            out.push_back(
                {"menu bar " + std::to_string(id), MenuTexts(plain), MenuTexts(h), h, true});
        }
        return out;
    }
    std::string dir_;
    std::vector<int> panels_, menuBars_;
};

} // namespace langtest

// The program's own resource against its language files: the shipped English file is exactly
// what the export makes of the resource the build wrote, every panel and menu bar loads with it
// unchanged, and a translation of every text reaches every panel and menu bar.
#include "../filetext.h"
#include "langtexts.h"
#include "localui/localui.h"
#include "platform/ui/userint.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace langtest;

const char *const kResource = KR7M_BIN_DIR "/MainPan.uir";
const char *const kShipped = KR7M_SOURCE_DIR "/resources/kr7meng.lwl";

class MainPanLangTest : public ::testing::Test {
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
    // object's name for messages.
    struct Pair {
        std::string what;
        Texts plain, localized;
    };
    std::vector<Pair> LoadAll(const std::string &lang) {
        std::vector<Pair> out;
        for (int id : PanelIds()) {
            int plain = Keep(LoadPanel(0, kResource, id), &panels_);
            int h = -1;
            EXPECT_EQ(LoadLocalizedPanel(0, kResource, id, lang.c_str(), &h), 0) << "panel " << id;
            Keep(h, &panels_);
            if (plain <= 0 || h <= 0) continue;
            out.push_back({"panel " + std::to_string(id), PanelTexts(plain), PanelTexts(h)});
        }
        for (int id : MenuBarIds()) {
            int plain = Keep(LoadMenuBar(0, kResource, id), &menuBars_);
            int h = -1;
            EXPECT_EQ(LoadLocalizedMenuBar(0, kResource, id, lang.c_str(), &h), 0)
                << "menu bar " << id;
            Keep(h, &menuBars_);
            if (plain <= 0 || h <= 0) continue;
            out.push_back({"menu bar " + std::to_string(id), MenuTexts(plain), MenuTexts(h)});
        }
        return out;
    }
    std::string dir_;
    std::vector<int> panels_, menuBars_;
};

TEST_F(MainPanLangTest, ShippedEnglishFileIsAFreshExportOfTheResource) {
    const std::string fresh = dir_ + "/kr7meng.lwl";
    ASSERT_EQ(ExportResourceToLangFile(kResource, fresh.c_str()), 0) << UILastErrorDetail();
    const std::string shipped = Slurp(kShipped);
    ASSERT_FALSE(shipped.empty()) << kShipped;
    // Regenerate with: cmake --build build --target kr7meng_lwl
    EXPECT_TRUE(Slurp(fresh) == shipped)
        << "resources/kr7meng.lwl differs from an export of " << kResource
        << "; regenerate it with the kr7meng_lwl target";
}

TEST_F(MainPanLangTest, EveryPanelAndMenuBarLoadsWithTheEnglishFileUnchanged) {
    // The shipped file and the copy the build put beside the program.
    for (const std::string &lang :
         {std::string(kShipped), std::string(KR7M_BIN_DIR "/kr7meng.lwl")}) {
        std::vector<Pair> all = LoadAll(lang);
        EXPECT_GE(all.size(), 10u) << lang;
        for (const Pair &p : all) EXPECT_EQ(p.localized, p.plain) << p.what << " with " << lang;
    }
}

TEST_F(MainPanLangTest, TranslationReachesEveryFlaggedTextAndNoOther) {
    const std::string german = dir_ + "/kr7mtst.lwl";
    Spit(german, Slurp(kShipped));
    Translate(german);
    size_t changed = 0;
    for (const Pair &p : LoadAll(german)) {
        ASSERT_EQ(p.localized.size(), p.plain.size()) << p.what;
        for (const auto &kv : p.plain) {
            const auto &[flag, text] = kv.second;
            const bool flagged = flag == LOCALUI_TEXT_PRESENT;
            changed += flagged;
            auto it = p.localized.find(kv.first);
            ASSERT_NE(it, p.localized.end()) << p.what << " " << kv.first;
            EXPECT_EQ(it->second.second, flagged ? text + " (de)" : text)
                << p.what << " " << kv.first;
        }
    }
    EXPECT_GT(changed, 100u) << "the program has texts on every panel";
}

TEST_F(MainPanLangTest, PicturesOfTranslatedPanels) {
    // For a look at how longer texts sit: every panel with every text lengthened.
    const char *keep = getenv("KR7M_SCREENSHOT_DIR");
    if (!keep) GTEST_SKIP() << "set KR7M_SCREENSHOT_DIR for pictures";
    const std::string longer = dir_ + "/kr7mtst.lwl";
    Spit(longer, Slurp(kShipped));
    Translate(longer);
    for (int id : PanelIds()) {
        int h = -1;
        ASSERT_EQ(LoadLocalizedPanel(0, kResource, id, longer.c_str(), &h), 0);
        Keep(h, &panels_);
        char name[64];
        GetPanelAttribute(h, ATTR_CONSTANT_NAME, name, sizeof name);
        DisplayPanel(h);
        ProcessSystemEvents();
        EXPECT_EQ(SavePanelImage(h, (std::string(keep) + "/lang-" + name + ".png").c_str()), 0);
    }
}

TEST_F(MainPanLangTest, AFileForAnOlderResourceIsRefusedPanelByPanel) {
    // A control that gained an entry since the file was made: that panel alone is refused
    // with the count code, its neighbours still load.
    const std::string path = dir_ + "/old.lwl";
    Spit(path, Slurp(kShipped));
    std::string victim;
    EditLangFile(path, [&](IniDoc doc) {
        for (int s = 1; s <= Ini_NumberOfSections(doc) && victim.empty(); ++s) {
            const char *name = nullptr;
            Ini_NthSectionName(doc, s, &name);
            int n = 0;
            if (Ini_GetInt(doc, name, "NumItemLabels", &n) == 1 && n > 1) {
                victim = name;
                Ini_PutInt(doc, name, "NumItemLabels", n - 1);
            }
        }
    });
    ASSERT_FALSE(victim.empty()) << "the resource has rings";
    int refused = 0, loaded = 0;
    for (int id : PanelIds()) {
        int h = -1;
        int r = LoadLocalizedPanel(0, kResource, id, path.c_str(), &h);
        Keep(h, &panels_);
        if (r == UIE_LANG_COUNT_DIFFERS) {
            ++refused;
            EXPECT_EQ(h, 0);
        } else {
            EXPECT_EQ(r, 0) << "panel " << id;
            ++loaded;
        }
    }
    EXPECT_EQ(refused, 1) << victim;
    EXPECT_GT(loaded, 0);
}

} // namespace

// The program's own resource against its language files: the shipped English file is exactly
// what the export makes of the resource the build wrote, every panel and menu bar loads with it
// unchanged, and a translation of every text reaches every panel and menu bar.
#include "mainpan.h"

#include <cstdlib>
#include <string>

namespace {

using namespace langtest;

using MainPanLangTest = MainPanFixture;

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

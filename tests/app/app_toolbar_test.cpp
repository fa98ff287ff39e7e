// The main window's toolbar when its images are not all there: every command keeps its place and
// the address selector is still found, dimmed on the direct connection and usable on the bus.
#include "app_fixture.h"

#include <filesystem>
#include <ostream>

#include "link/linksettings.h"

namespace fs = std::filesystem;

namespace {

// The toolbar's descriptions are entries 0..6 of this ring on the main window.
std::string Description(int entry) {
    char text[256] = "";
    GetLabelFromIndex(BkgndPanel, BKGND_TOOLTIPS, entry, text, sizeof text);
    return text;
}

struct MissingCase {
    const char *name;
    const char *missing; // stem of the image taken away ("" for none)
};
inline void PrintTo(const MissingCase &c, std::ostream *os) {
    *os << c.name;
}

// The program's run-time files in a folder of their own, less the images of one button.
class MissingImage : public apptest::ShellTest, public ::testing::WithParamInterface<MissingCase> {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        fs::path files = fs::path(dir_) / "files";
        fs::create_directory(files);
        std::string missing = GetParam().missing;
        for (const auto &entry :
             fs::directory_iterator(fs::path(apptest::ResourceFile()).parent_path())) {
            const fs::path &p = entry.path();
            std::string ext = p.extension().string();
            bool runtime = p.filename() == "MainPan.uir" || ext == ".bmp" || ext == ".svg" ||
                           ext == ".png" || ext == ".lwl" || ext == ".html";
            if (!runtime || (!missing.empty() && p.stem() == missing)) continue;
            fs::copy_file(p, files / p.filename());
        }
        resource_ = (files / "MainPan.uir").string();
        SetMainResourceFile(resource_.c_str());
        ASSERT_EQ(StartProgram(0, nullptr), 0) << StartupError();
    }
    void TearDown() override {
        ShellTest::TearDown();
        SetMainResourceFile(apptest::ResourceFile().c_str());
    }
    int SelectorDimmed() {
        int panel = 0, control = 0, dimmed = -1;
        EXPECT_EQ(
            Toolbar_GetCtrlFromDescription(gToolbar, Description(6).c_str(), &panel, &control), 0);
        EXPECT_EQ(control, gAddrRing) << "the selector the program fills is the one it dims";
        EXPECT_EQ(Toolbar_GetCtrlDimmed(gToolbar, control, &dimmed), 0);
        return dimmed;
    }
    std::string resource_;
};

TEST_P(MissingImage, SelectorFollowsTheConnection) {
    CommType = 0;
    for (int &slot : DevSearch) slot = 0;
    DevSearch[4] = 17;
    Search_Result = 1;
    InitToolbarDeviceAddr(gToolbar);
    EXPECT_EQ(SelectorDimmed(), 1) << "dimmed on the direct connection";

    CommType = 1;
    DeviceAddr = 17;
    InitToolbarDeviceAddr(gToolbar);
    EXPECT_EQ(SelectorDimmed(), 0) << "usable on the bus after a search found an instrument";
    int count = 0, index = -1;
    ASSERT_EQ(Toolbar_RingCount(gToolbar, gAddrRing, &count), 0);
    EXPECT_EQ(count, 1);
    ASSERT_EQ(Toolbar_RingGetIndex(gToolbar, gAddrRing, &index), 0);
    EXPECT_EQ(index, 0);
}

TEST_P(MissingImage, EveryCommandKeepsItsPlace) {
    // Six buttons, each followed by a separator, then the selector: a button without its image
    // stands where its image would have.
    for (int entry = 0; entry < 7; ++entry) {
        int panel = 0, control = 0;
        ASSERT_EQ(
            Toolbar_GetCtrlFromDescription(gToolbar, Description(entry).c_str(), &panel, &control),
            0)
            << "entry " << entry;
        EXPECT_EQ(panel, BkgndPanel);
    }
    CommType = 1;
    for (int &slot : DevSearch) slot = 0;
    DevSearch[4] = 17;
    Search_Result = 1;
    DeviceAddr = 5;
    InitToolbarDeviceAddr(gToolbar);
    ASSERT_EQ(Toolbar_UserPress(gToolbar, 13), 0) << "the selector is item 13";
    EXPECT_EQ(DeviceAddr, 17);
}

INSTANTIATE_TEST_SUITE_P(Images, MissingImage,
                         ::testing::Values(MissingCase{"AllThere", ""}, MissingCase{"New", "new"},
                                           MissingCase{"Save", "save"},
                                           MissingCase{"Print", "print"}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace

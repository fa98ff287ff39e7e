// Where the program looks for its run-time files and whether it counts as installed, for the
// layouts a user ends up with: a build tree, an installed prefix, a moved prefix, a copied
// folder, a half-removed installation.
#include "platform/ui/programdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct LayoutCase {
    const char *name;
    const char *exeFolder;  // below the test's root
    bool resourceBeside;    // MainPan.uir beside the executable
    bool dataFolder;        // the installed data folder exists
    bool resourceInData;    // ... and holds MainPan.uir
    bool resourceIsAFolder; // the name beside the executable is a folder, not a file
    bool expectData;        // the run-time folder is the data folder (else the executable's)
    bool expectInstalled;
};
inline void PrintTo(const LayoutCase &c, std::ostream *os) {
    *os << c.name;
}

class Layout : public ::testing::TestWithParam<LayoutCase> {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kr7m-layout-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
    }
    void TearDown() override { fs::remove_all(root_); }
    static void Touch(const fs::path &file) { std::ofstream(file) << "<uir/>\n"; }
    fs::path root_;
};

TEST_P(Layout, RunTimeFolderAndInstalled) {
    const LayoutCase &c = GetParam();
    std::string exe = (root_ / c.exeFolder).string();
    fs::create_directories(exe);
    fs::path data = (fs::path(exe) / KR7M_DATA_FROM_BIN).lexically_normal();
    if (c.resourceBeside) Touch(fs::path(exe) / "MainPan.uir");
    if (c.resourceIsAFolder) fs::create_directories(fs::path(exe) / "MainPan.uir");
    if (c.dataFolder) fs::create_directories(data);
    if (c.resourceInData) Touch(data / "MainPan.uir");

    std::string expected = c.expectData ? data.string() : exe;
    while (expected.size() > 1 && expected.back() == '/') expected.pop_back();
    std::string got = RunTimeFolderOf(exe);
    while (!c.expectData && got.size() > 1 && got.back() == '/') got.pop_back();
    EXPECT_EQ(got, expected);
    EXPECT_EQ(got.find(".."), std::string::npos) << "written without '..': " << got;
    EXPECT_EQ(InstalledLayoutOf(exe), c.expectInstalled);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Layout,
    ::testing::Values(
        LayoutCase{"BuildTree", "build/bin", true, false, false, false, false, false},
        LayoutCase{"Installed", "usr/bin", false, true, true, false, true, true},
        LayoutCase{"MovedPrefix", "opt/tools/kr7m/bin", false, true, true, false, true, true},
        LayoutCase{"TrailingSlash", "usr/bin/", false, true, true, false, true, true},
        // a folder of its own wins over an installation beside it
        LayoutCase{"CopiedFolder", "usr/bin", true, true, true, false, false, false},
        // the installation lost its resource: still installed, nothing is written beside it
        LayoutCase{"DataFolderEmptied", "usr/bin", false, true, false, false, false, true},
        LayoutCase{"NothingAnywhere", "loose", false, false, false, false, false, false},
        LayoutCase{"ResourceNameIsAFolder", "build/bin", false, false, false, true, false, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SystemFolders, CountAsInstalledWithoutData) {
    // Nothing of this program is in them, yet a settings file must never land there.
    for (const char *folder : {"/usr/bin", "/usr/local/bin/", "/bin"})
        EXPECT_TRUE(InstalledLayoutOf(folder)) << folder;
    EXPECT_FALSE(InstalledLayoutOf("/usr/bin/kr7m-not-a-folder"));
}

TEST(RunningProgram, IsTheTestItself) {
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    ASSERT_GT(n, 0);
    exe[n] = '\0';
    std::string folder = fs::path(exe).parent_path().string();
    EXPECT_EQ(ExecutableFolder(), folder);
    EXPECT_EQ(RunTimeFolder(), RunTimeFolderOf(folder));
    EXPECT_EQ(InstalledLayout(), InstalledLayoutOf(folder));
}

} // namespace

// Start-up, the settings file it writes, the language it starts in, and how the loop ends.
#include "lang_fixture.h"

#include <algorithm>
#include <cstring>
#include <ostream>
#include <sys/inotify.h>
#include <vector>

#include "config/mainpanel.h"
#include "config/record.h"
#include "config/settings.h"
#include "link/linksettings.h"
#include "platform/serial/portmap.h"

using apptest::AnswerUnsavedChanges;
using apptest::gUnsavedAnswer;
using apptest::ReadFile;
using apptest::WriteFile;

namespace {

// The settings file a first start writes: sorted sections and keys, " = ", CR LF, an empty line
// after each section.
std::string DefaultSettingsText(int language) {
    std::vector<std::string> slots;
    for (int i = 1; i <= 32; ++i) slots.push_back("DevAddr" + std::to_string(i));
    std::sort(slots.begin(), slots.end()); // DevAddr1, DevAddr10, ..., DevAddr2, DevAddr20, ...
    std::string text = "[Interface]\r\nBaudrate = 3\r\nCOMPort = 1\r\nCOMType = 0\r\n"
                       "DevAddr = 247\r\n";
    for (const auto &key : slots) text += key + " = 0\r\n";
    text += "Parity = 0\r\nRTSFlow = 1\r\n\r\n";
    text += "[Options]\r\nLanguage = " + std::to_string(language) +
            "\r\nModule = 1\r\nRatedI = 500\r\nRatedU = 500\r\n\r\n";
    text += "[Ports]\r\n";
    for (int port = 1; port <= kPortCount; ++port)
        text += "COM" + std::to_string(port) + " = \"" + DefaultComPortDevice(port) + "\"\r\n";
    text += "\r\n";
    return text;
}

// Counts the times a complete new settings file was renamed into place.
class WriteCounter {
  public:
    explicit WriteCounter(const std::string &dir) {
        fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ >= 0) // The kernel folds identical events queued back to back; watching the
                      // creation of the
            // temporary file between two renames keeps each rename its own event.
            inotify_add_watch(fd_, dir.c_str(), IN_MOVED_TO | IN_CREATE);
    }
    ~WriteCounter() {
        if (fd_ >= 0) close(fd_);
    }
    int Count() {
        alignas(struct inotify_event) char buffer[8192];
        for (;;) {
            ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n <= 0) break;
            for (char *p = buffer; p < buffer + n;) {
                auto *ev = reinterpret_cast<struct inotify_event *>(p);
                if ((ev->mask & IN_MOVED_TO) && ev->len && std::strcmp(ev->name, "KR7M.ini") == 0)
                    ++count_;
                p += sizeof(struct inotify_event) + ev->len;
            }
        }
        return count_;
    }
    bool ok() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
    int count_ = 0;
};

class StartupTest : public apptest::ShellTest {};

TEST_F(StartupTest, FirstStartWritesTheDefaultsThenRewritesThemWithTheWindow) {
    WriteCounter writes(dir_);
    ASSERT_TRUE(writes.ok());
    ASSERT_EQ(StartProgram(0, nullptr), 0) << StartupError();
    EXPECT_EQ(ReadFile(IniPath()), DefaultSettingsText(1));
    EXPECT_EQ(writes.Count(), 2) << "created from the defaults, then rewritten by the window";
    EXPECT_GT(BkgndPanel, 0);
    EXPECT_GT(MainPanel, 0);
    EXPECT_GT(menuHandle, 0);
    EXPECT_NE(gToolbar, 0);
}

struct LanguageCase {
    const char *name;
    const char *fileLanguage;
    int expected; // language number in force and written back
};
// Cases print as their names in test listings.
inline void PrintTo(const LanguageCase &c, std::ostream *os) {
    *os << c.name;
}

class StartupLanguage : public apptest::ShellTest,
                        public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(StartupLanguage, StartsInTheLanguageInForceAndTicksIt) {
    const LanguageCase &c = GetParam();
    // A Dutch file beside the others must not be taken: only German and English are chosen.
    apptest::WriteTranslatedLanguageFile(dir_, "kr7mdeu.lwl");
    apptest::WriteTranslatedLanguageFile(dir_, "kr7mned.lwl");
    WriteFile(IniPath(), std::string("[Options]\r\nLanguage = ") + c.fileLanguage +
                             "\r\n; added by hand\r\n\r\n");
    WriteCounter writes(dir_);
    ASSERT_EQ(StartProgram(0, nullptr), 0) << StartupError();
    EXPECT_EQ(Language, c.expected);
    EXPECT_EQ(writes.Count(), 1) << "an existing file is only rewritten when the window is up";
    // Everything not in the file keeps its default; the hand-written comment is gone.
    EXPECT_EQ(ReadFile(IniPath()), DefaultSettingsText(c.expected));

    int deu = -1, eng = -1;
    GetMenuBarAttribute(menuHandle, MENU_LANGUAGE_DEU, ATTR_CHECKED, &deu);
    GetMenuBarAttribute(menuHandle, MENU_LANGUAGE_ENG, ATTR_CHECKED, &eng);
    EXPECT_EQ(deu, c.expected == 0 ? 1 : 0);
    EXPECT_EQ(eng, c.expected == 0 ? 0 : 1);
    char label[64] = "";
    GetMenuBarAttribute(menuHandle, MENU_FILE, ATTR_ITEM_NAME, label, sizeof label);
    EXPECT_EQ(label, c.expected == 0 ? "&File" + apptest::kTranslated : "&File");
    EXPECT_STREQ(LanguageFile, c.expected == 0 ? "kr7mdeu.lwl" : "kr7meng.lwl");
}

INSTANTIATE_TEST_SUITE_P(Languages, StartupLanguage,
                         ::testing::Values(LanguageCase{"German", "0", 0},
                                           LanguageCase{"English", "1", 1},
                                           LanguageCase{"Dutch", "3", 1},
                                           LanguageCase{"Negative", "-4", 1}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(StartupTest, MissingResourceEndsWithAReasonAndNoWindow) {
    SetMainResourceFile((dir_ + "/missing/MainPan.uir").c_str());
    EXPECT_EQ(StartProgram(0, nullptr), -2);
    EXPECT_NE(std::strstr(StartupError(), "main window"), nullptr) << StartupError();
    EXPECT_EQ(BkgndPanel, 0);
    EXPECT_EQ(MainPanel, 0);
}

TEST_F(StartupTest, FoundAddressesSetTheSearchFlag) {
    struct {
        const char *lines;
        int flag;
    } cases[] = {
        {"", 0},
        {"DevAddr1 = 0\r\nDevAddr32 = 0\r\n", 0},
        {"DevAddr32 = 17\r\n", 1},
        {"DevAddr1 = 5\r\n", 1},
    };
    for (const auto &c : cases) {
        WriteFile(IniPath(), std::string("[Interface]\r\n") + c.lines + "\r\n");
        ASSERT_EQ(StartProgram(0, nullptr), 0) << StartupError();
        EXPECT_EQ(Search_Result, c.flag) << c.lines;
        EXPECT_EQ(Last_Device, 32);
        ShutdownProgram();
    }
}

TEST_F(StartupTest, NewFileTakesTheRatedValuesFromTheSettingsFile) {
    ASSERT_EQ(StartProgram(0, nullptr), 0) << StartupError();
    Konf.UrPrim = 20000.0f;
    // The rated current changed in the settings file since start-up.
    std::string text = ReadFile(IniPath());
    auto at = text.find("RatedI = 500");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 12, "RatedI = 100");
    WriteFile(IniPath(), text);
    gUnsavedAnswer = SAVEASK_DISCARD;
    PostDeferredCall(AnswerUnsavedChanges, nullptr);
    CmFileNew(menuHandle, MENU_FILE_NEW, nullptr, BkgndPanel);
    EXPECT_EQ(Konf.RatedI, 100);
    EXPECT_FLOAT_EQ(Konf.IrPrim, 1.0f);
    EXPECT_FLOAT_EQ(Konf.IrSec, 1.0f);
    EXPECT_FLOAT_EQ(Konf.UrPrim, 500.0f);
}

} // namespace

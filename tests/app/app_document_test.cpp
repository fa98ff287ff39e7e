// The configuration as a document on the running window: its title and mark, the question
// before unsaved changes are lost, Save against Save as, and what the window remembers.
#include "app_fixture.h"

#include <string>
#include <sys/stat.h>

#include "config/configfile.h"
#include "config/document.h"
#include "config/mainpanel.h"
#include "config/record.h"
#include "config/windowstate.h"

using apptest::AnswerUnsavedChanges;
using apptest::gUnsavedAnswer;
using apptest::gUnsavedAsked;
using apptest::ReadFile;

namespace {

class DocumentTest : public apptest::ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_EQ(StartProgram(0, nullptr), 0) << StartupError();
        gUnsavedAsked = 0;
    }
    std::string Title() {
        char title[600] = "";
        GetPanelAttribute(BkgndPanel, ATTR_TITLE, title, sizeof title);
        return title;
    }
    // Edits the description as the user does (the title follows after the callback).
    void TypeDescription(const char *text) {
        ASSERT_EQ(UserTypeText(MainPanel, PANEL_DESCR, text), 0);
    }
    void Choose(int item) { ASSERT_EQ(UserChooseMenu(menuHandle, item), 0); }
    bool Exists(const std::string &path) {
        struct stat st;
        return stat(path.c_str(), &st) == 0;
    }
};

void QuitWithFive(void *) {
    QuitUserInterface(5);
}

// Whether the exit command (or closing the window) ended the program: the event loop then
// returns at once with 0; otherwise it runs until a later quit with 5.
bool EndedTheProgram() {
    PostDeferredCall(QuitWithFive, nullptr);
    int code = RunUserInterface();
    if (code == 0) {
        ProcessSystemEvents(); // the later quit, so that it does not end the next loop
        RunUserInterface();
    }
    return code == 0;
}

TEST_F(DocumentTest, TitleNamesTheFileAndMarksUnsavedChanges) {
    EXPECT_EQ(Title(), "Untitled - KR7M Configurator");
    TypeDescription("feeder 7");
    EXPECT_EQ(Title(), "*Untitled - KR7M Configurator");
    TypeDescription("feeder 8");
    EXPECT_EQ(Title(), "*Untitled - KR7M Configurator");
    // Back to what the new configuration held (typing cannot empty a field; the record can).
    Konf.Descr[0] = '\0';
    ShowWindowTitle();
    EXPECT_EQ(Title(), "Untitled - KR7M Configurator") << "an undone edit is no change";

    TypeDescription("feeder 7");
    const std::string path = dir_ + "/feeder7.KR7";
    ASSERT_EQ(SetFileSelectAnswer(path.c_str()), 0);
    Choose(MENU_FILE_SAVE);
    EXPECT_TRUE(Exists(path));
    EXPECT_EQ(Title(), "feeder7.KR7 - KR7M Configurator");
    EXPECT_EQ(DocumentModified(), 0);
}

TEST_F(DocumentTest, SaveWritesTheOwnFileAndSaveAsAsks) {
    const std::string first = dir_ + "/first.KR7", second = dir_ + "/second.KR7";
    ASSERT_EQ(SetFileSelectAnswer(first.c_str()), 0);
    Choose(MENU_FILE_SAVE); // no file yet: Save asks
    ASSERT_TRUE(Exists(first));

    TypeDescription("changed once");
    ASSERT_EQ(SetFileSelectAnswer(second.c_str()), 0); // would be taken if Save asked
    Choose(MENU_FILE_SAVE);
    EXPECT_NE(ReadFile(first).find("changed once"), std::string::npos) << "Save wrote its file";
    EXPECT_FALSE(Exists(second)) << "Save did not ask";

    TypeDescription("changed twice");
    Choose(MENU_FILE_SAVEAS); // takes the answer still waiting
    EXPECT_NE(ReadFile(second).find("changed twice"), std::string::npos);
    EXPECT_EQ(ReadFile(first).find("changed twice"), std::string::npos);
    EXPECT_EQ(Title(), "second.KR7 - KR7M Configurator");

    // A cancelled Save as leaves the document and its file as they were.
    TypeDescription("changed thrice");
    ASSERT_EQ(SetFileSelectAnswer(""), 0);
    Choose(MENU_FILE_SAVEAS);
    EXPECT_STREQ(DocumentPath, second.c_str());
    EXPECT_EQ(DocumentModified(), 1);
}

// Every command that would lose the edited configuration asks first, and does what the answer
// says: save (then go on), do not save (go on), cancel (stop, the edits stay).
struct LossCase {
    const char *name;
    int command; // 0 new, 1 open, 2 exit, 3 closing the window
    int answer;
    bool goesOn;
    bool saved;
};
const LossCase kLossCases[] = {
    {"new, save", 0, SAVEASK_SAVE, true, true},
    {"new, don't save", 0, SAVEASK_DISCARD, true, false},
    {"new, cancel", 0, SAVEASK_CANCEL, false, false},
    {"open, don't save", 1, SAVEASK_DISCARD, true, false},
    {"open, cancel", 1, SAVEASK_CANCEL, false, false},
    {"exit, save", 2, SAVEASK_SAVE, true, true},
    {"exit, don't save", 2, SAVEASK_DISCARD, true, false},
    {"exit, cancel", 2, SAVEASK_CANCEL, false, false},
    {"close, don't save", 3, SAVEASK_DISCARD, true, false},
    {"close, cancel", 3, SAVEASK_CANCEL, false, false},
};

TEST_F(DocumentTest, UnsavedChangesAreAskedAboutBeforeTheyAreLost) {
    const std::string other = dir_ + "/other.KR7";
    for (const LossCase &c : kLossCases) {
        SCOPED_TRACE(c.name);
        // A file to open, and a document with its own file and an unsaved edit.
        const std::string own = dir_ + "/own.KR7";
        ASSERT_EQ(SetFileSelectAnswer(own.c_str()), 0);
        Choose(MENU_FILE_SAVEAS);
        ASSERT_EQ(SetFileSelectAnswer(other.c_str()), 0);
        TypeDescription("the other file");
        Choose(MENU_FILE_SAVEAS);
        ASSERT_EQ(SetFileSelectAnswer(own.c_str()), 0);
        TypeDescription("own file");
        Choose(MENU_FILE_SAVEAS);
        TypeDescription("unsaved edit");
        ASSERT_EQ(DocumentModified(), 1);

        gUnsavedAnswer = c.answer;
        gUnsavedAsked = 0;
        PostDeferredCall(AnswerUnsavedChanges, nullptr);
        bool wentOn = false;
        if (c.command == 0) {
            Choose(MENU_FILE_NEW);
            wentOn = Konf.Descr[0] == '\0';
        } else if (c.command == 1) {
            ASSERT_EQ(SetFileSelectAnswer(other.c_str()), 0);
            Choose(MENU_FILE_OPEN);
            wentOn = std::string(Konf.Descr) == "the other file";
        } else {
            if (c.command == 2)
                Choose(MENU_FILE_EXIT);
            else
                ASSERT_EQ(UserClosePanel(BkgndPanel), 0);
            wentOn = EndedTheProgram();
        }
        EXPECT_EQ(gUnsavedAsked, 1);
        EXPECT_EQ(wentOn, c.goesOn);
        EXPECT_EQ(ReadFile(own).find("unsaved edit") != std::string::npos, c.saved);
        if (!c.goesOn) {
            EXPECT_STREQ(Konf.Descr, "unsaved edit") << "cancel keeps the edits";
        }
        // Reset: nothing unsaved for the next case.
        StartDocument("");
    }
    // Without unsaved changes nothing is asked.
    gUnsavedAsked = 0;
    Choose(MENU_FILE_NEW);
    Choose(MENU_FILE_EXIT);
    EXPECT_TRUE(EndedTheProgram());
    EXPECT_EQ(gUnsavedAsked, 0);
}

TEST_F(DocumentTest, WindowStateIsKeptApartFromTheSettings) {
    const std::string settingsBefore = ReadFile(IniPath());
    const std::string folder = dir_ + "/configs";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(SetFileSelectAnswer((folder + "/a.KR7").c_str()), 0);
    Choose(MENU_FILE_SAVE);
    EXPECT_STREQ(DialogStartFolder(), folder.c_str()) << "the next dialog starts there";
    SetPanelAttribute(BkgndPanel, ATTR_WINDOW_ZOOM, VAL_NO_ZOOM);
    SetPanelSize(BkgndPanel, 560, 800);
    SetPanelPos(BkgndPanel, 40, 30);
    ShutdownProgram();

    const std::string state = ReadFile(dir_ + "/kr7m/window.ini");
    EXPECT_NE(state.find("LastFolder = \"" + folder + "\""), std::string::npos) << state;
    EXPECT_NE(state.find("Width = 800"), std::string::npos) << state;
    EXPECT_NE(state.find("Height = 560"), std::string::npos) << state;
    EXPECT_EQ(ReadFile(IniPath()), settingsBefore) << "KR7M.ini keeps exactly its keys";

    // The next run starts where this one ended.
    ASSERT_EQ(StartProgram(0, nullptr), 0) << StartupError();
    int width = 0, height = 0;
    GetPanelAttribute(BkgndPanel, ATTR_WIDTH, &width);
    GetPanelAttribute(BkgndPanel, ATTR_HEIGHT, &height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 560);
    EXPECT_STREQ(DialogStartFolder(), folder.c_str());

    // A folder that has gone sends the dialog to the user's home, never the program's folder.
    ASSERT_EQ(rmdir(folder.c_str()), -1); // it holds a.KR7
    ASSERT_EQ(unlink((folder + "/a.KR7").c_str()), 0);
    ASSERT_EQ(rmdir(folder.c_str()), 0);
    EXPECT_STREQ(DialogStartFolder(), dir_.c_str());
}

std::string gErrorDetail;
void ReadAndAcknowledgeError(void *) {
    int panel = GetActivePanel(), resource = 0;
    GetPanelAttribute(panel, ATTR_RESOURCE_ID, &resource);
    if (resource != ERROR) {
        PostDeferredCall(ReadAndAcknowledgeError, nullptr);
        return;
    }
    char text[2048] = "";
    GetCtrlVal(panel, ERROR_DETAIL, text, sizeof text);
    gErrorDetail = text;
    for (char &ch : gErrorDetail)
        if (ch == '\n') ch = ' '; // broken into lines to fit the pop-up
    UserCommit(panel, ERROR_OK);
}

TEST_F(DocumentTest, OpeningAFileOutOfRangeSaysWhatChanged) {
    record spoiled = Konf;
    spoiled.UrSec = 0;
    spoiled.Display = 40;
    const std::string path = dir_ + "/spoiled.KR7";
    ASSERT_EQ(WriteConfigFile(path.c_str(), &spoiled, kEnglishCaptions, ConfigStampNow(),
                              ConfigShownOf(&spoiled)),
              1);
    gErrorDetail.clear();
    ASSERT_EQ(SetFileSelectAnswer(path.c_str()), 0);
    PostDeferredCall(ReadAndAcknowledgeError, nullptr);
    Choose(MENU_FILE_OPEN);
    EXPECT_NE(gErrorDetail.find("voltage transformer secondary: 0 -> 500"), std::string::npos)
        << gErrorDetail;
    EXPECT_NE(gErrorDetail.find("display brightness: 40 -> 8"), std::string::npos) << gErrorDetail;
    EXPECT_EQ(Konf.UrSec, 500);
    EXPECT_EQ(Title(), "*spoiled.KR7 - KR7M Configurator") << "the panel is not the file";
}

} // namespace

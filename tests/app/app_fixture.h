// Shared set-up of the shell tests: the built resource file, a private settings folder, and a
// watchdog so that a loop that never ends fails the test instead of hanging the run.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "MainPan.h"
#include "app/app.h"
#include "link/report_popup.h"
#include "platform/ui/resourcefile.h"
#include "platform/ui/userint.h"

namespace apptest {

inline std::string ResourceFile() {
    return std::string(KR7M_BIN_DIR) + "/MainPan.uir";
}

inline std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteFile(const std::string &path, const std::string &text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// Makes `dir` the current folder with a copy of the built English language file in it. The
// program looks for a language file in its own folder first and then in the current one, and
// the test programs' folder holds none: so each test has language files of its own.
inline void UseLanguageFolder(const std::string &dir) {
    WriteFile(dir + "/kr7meng.lwl", ReadFile(std::string(KR7M_BIN_DIR) + "/kr7meng.lwl"));
    ASSERT_EQ(chdir(dir.c_str()), 0) << dir;
}

// Answers the unsaved-changes question with `control` (SAVEASK_SAVE, _DISCARD or _CANCEL) once
// it is up: post it before the command that asks. Counts the questions answered.
inline int gUnsavedAsked = 0;
inline int gUnsavedAnswer = SAVEASK_DISCARD;
inline void AnswerUnsavedChanges(void *) {
    int panel = GetActivePanel(), resource = 0;
    GetPanelAttribute(panel, ATTR_RESOURCE_ID, &resource);
    if (resource != SAVEASK) {
        PostDeferredCall(AnswerUnsavedChanges, nullptr);
        return;
    }
    ++gUnsavedAsked;
    UserCommit(panel, gUnsavedAnswer);
}

// A fresh settings folder per test, named through the variable the settings file honours.
class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kr7m-app-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        setenv("KR7M_CONFIG_DIR", dir_.c_str(), 1);
        setenv("XDG_STATE_HOME", dir_.c_str(), 1); // the window state file too
        setenv("HOME", dir_.c_str(), 1);           // where file dialogs start
        SetMainResourceFile(ResourceFile().c_str());
        RegisterMainPanCallbacks();
        UseLanguageFolder(dir_);
        alarm(60); // a pop-up or loop that never returns ends the test program
    }
    void TearDown() override {
        alarm(0);
        ShutdownProgram();
        if (chdir("/") != 0) ADD_FAILURE() << "cannot leave " << dir_;
        std::string cmd = "rm -rf '" + dir_ + "'";
        if (std::system(cmd.c_str()) != 0) ADD_FAILURE() << "cannot remove " << dir_;
    }
    std::string IniPath() const { return dir_ + "/KR7M.ini"; }

    std::string dir_;
};

} // namespace apptest

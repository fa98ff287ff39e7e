// Shared set-up of the view tests on real panels: kr7m-sim on a pseudo-terminal, the program
// started against it, and helpers that read a panel back as the user sees it.
#pragma once

#include "app_fixture.h"

#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <vector>

#include "config/commands.h"
#include "config/mainpanel.h"
#include "config/record.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "views/panels.h"

namespace viewtest {

inline double Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}

class SimShellTest : public apptest::ShellTest {
  protected:
    // Starts kr7m-sim with the extra options; the frame log goes to LogPath().
    void StartSim(const std::vector<std::string> &extra = {}) {
        link_ = dir_ + "/sim";
        std::string sim = std::string(KR7M_BIN_DIR) + "/kr7m-sim";
        std::string log = LogPath();
        pid_ = fork();
        ASSERT_GE(pid_, 0);
        if (pid_ == 0) {
            std::vector<char *> argv{const_cast<char *>(sim.c_str()),
                                     const_cast<char *>(link_.c_str())};
            std::string logOption = "--log=" + log;
            argv.push_back(const_cast<char *>(logOption.c_str()));
            for (const std::string &a : extra) argv.push_back(const_cast<char *>(a.c_str()));
            argv.push_back(nullptr);
            int devnull = open("/dev/null", O_WRONLY);
            if (devnull >= 0) dup2(devnull, 1);
            execv(sim.c_str(), argv.data());
            _exit(127);
        }
        struct stat st;
        for (int i = 0; i < 100 && lstat(link_.c_str(), &st) != 0; ++i) usleep(50000);
        ASSERT_EQ(lstat(link_.c_str(), &st), 0) << "the simulator did not come up";
    }
    std::string LogPath() const { return dir_ + "/frames.log"; }
    void StartProgramOn(int commType, int address) {
        apptest::WriteFile(IniPath(),
                           "[Interface]\r\nCOMPort = 1\r\nCOMType = " + std::to_string(commType) +
                               "\r\nDevAddr = " + std::to_string(address) +
                               "\r\n\r\n[Ports]\r\nCOM1 = \"" + link_ + "\"\r\n\r\n");
        ASSERT_EQ(StartProgram(0, nullptr), 0) << StartupError();
    }
    void SetUp() override {
        ShellTest::SetUp();
        StartSim();
        StartProgramOn(0, 1);
    }
    void TearDown() override {
        StopSim();
        ShellTest::TearDown();
    }
    void StopSim() {
        if (pid_ > 0) {
            kill(pid_, SIGCONT);
            kill(pid_, SIGTERM);
            int st = 0;
            waitpid(pid_, &st, 0);
            pid_ = -1;
        }
    }
    // Gives the instrument another configuration block, changed by `change`.
    template <typename F> void ChangeConfig(F change) {
        ASSERT_EQ(InitInterface(CommPort), 1);
        ASSERT_EQ(Read(&Lese, ReadConfigBlock, 1), 1);
        change(Lese);
        ASSERT_EQ(Write(&Lese, WriteConfigBlock, 1, 0), 1);
        CloseInterface();
    }
    // Gives the instrument another connection type through its configuration block.
    void SetConnection(int system) {
        ChangeConfig([system](record &r) { r.System = static_cast<uint8_t>(system); });
    }
    std::string Text(int panel, int control) {
        char text[256] = "";
        GetCtrlVal(panel, control, text, sizeof text);
        return text;
    }
    int Attr(int panel, int control, int attribute) {
        int value = -1;
        GetCtrlAttribute(panel, control, attribute, &value);
        return value;
    }
    void ExpectBackOnMainPanel() {
        int menu = 0;
        GetPanelAttribute(BkgndPanel, ATTR_MENU_BAR_VISIBLE, &menu);
        EXPECT_EQ(menu, 1);
        int visible = 0;
        GetPanelAttribute(MainPanel, ATTR_VISIBLE, &visible);
        EXPECT_EQ(visible, 1);
        EXPECT_EQ(GetActivePanel(), MainPanel);
        EXPECT_EQ(CommPortOpen, 0) << "the view gave its port back";
    }
    void Screenshot(int panel, const std::string &name) {
        const char *dir = getenv("KR7M_SCREENSHOT_DIR");
        if (!dir || !*dir) return;
        ProcessSystemEvents();
        EXPECT_GE(SavePanelImage(panel, (std::string(dir) + "/" + name + ".png").c_str()), 0);
    }

    std::string link_;
    pid_t pid_ = -1;
};

} // namespace viewtest

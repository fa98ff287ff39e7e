// Shared set-up of the view tests on real panels: kr7m-sim on a pseudo-terminal, the program
// started against it, and helpers that read a panel back as the user sees it.
#pragma once

#include "app_fixture.h"

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "sim_process.h"

#include "config/commands.h"
#include "config/mainpanel.h"
#include "config/record.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "views/panels.h"

namespace viewtest {

using simtest::Now;

class SimShellTest : public apptest::ShellTest {
  protected:
    // Starts kr7m-sim with the extra options and its frame log.
    void StartSim(const std::vector<std::string> &extra = {}) {
        sim_ = std::make_unique<simtest::Sim>(extra);
        ASSERT_TRUE(sim_->Ready()) << "the simulator did not come up: " << sim_->Output();
        link_ = sim_->Link();
        pid_ = sim_->Pid();
    }
    // Every frame the simulator received and sent so far.
    std::string Frames() const { return sim_ ? sim_->Log() : ""; }
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
        if (!sim_) return;
        kill(pid_, SIGCONT); // a test may have stopped it
        sim_->Stop();
        sim_.reset();
        pid_ = -1;
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

    std::unique_ptr<simtest::Sim> sim_;
    std::string link_;
    pid_t pid_ = -1;
};

} // namespace viewtest

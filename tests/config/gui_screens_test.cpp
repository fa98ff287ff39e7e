// Pictures of the main panel in each output function, with and without the option module, for
// a human look (set KR7M_SCREENSHOT_DIR to keep them). Only that the pictures exist is checked.
// Output 1 without the option module holds a quantity its short list lacks: nothing selected.
#include "gui_fixture.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace {

TEST_F(PanelTest, ScreenshotsOfEveryOutputFunction) {
    const char *dir = getenv("KR7M_SCREENSHOT_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "KR7M_SCREENSHOT_DIR not set";
    struct Shot {
        const char *name;
        int module, out1, out2, system, energy;
    } shots[] = {
        {"none", 1, 128, 128, 4, 15},          {"limit-pulse", 1, 2, 81, 4, 0x4F},
        {"pulse-limit", 0, 72, 12, 3, 15},     {"limit-limit", 1, 7, 9, 0, 0x8F},
        {"nomodule-none", 0, 128, 128, 4, 15}, {"nomodule-pulse", 0, 69, 88, 2, 30},
    };
    SetPanelSize(MainPanel, 640, 1024);
    DisplayPanel(MainPanel);
    for (const Shot &s : shots) {
        InitNeueDatei();
        Konf.Module = static_cast<int16_t>(s.module);
        Konf.DigOut[0] = static_cast<uint8_t>(s.out1);
        Konf.DigOut[1] = static_cast<uint8_t>(s.out2);
        Konf.System = static_cast<uint8_t>(s.system);
        Konf.EnergyControl = static_cast<uint8_t>(s.energy);
        Konf.UrPrim = 20000.0f;
        Konf.UrSec = 100;
        Konf.IrPrim = 400.0f;
        Konf.LimOn[0] = Konf.LimOn[1] = 9000;
        Konf.LimOff[0] = Konf.LimOff[1] = 8500;
        Konf.Logger = 0x0C00;
        snprintf(Konf.Descr, sizeof Konf.Descr, "Feeder 7, transformer T2 (%s)", s.name);
        Present();
        ProcessSystemEvents();
        const std::string path = std::string(dir) + "/mainpanel-" + s.name + ".png";
        ASSERT_GE(SavePanelImage(MainPanel, path.c_str()), 0);
        struct stat st {};
        EXPECT_EQ(stat(path.c_str(), &st), 0);
    }

    // The two pop-ups of the panel, as they open.
    CmSelDevType(0, 0, nullptr, MainPanel);
    const int devtype = GetActivePanel();
    ASSERT_GT(devtype, 0);
    EXPECT_GE(SavePanelImage(devtype, (std::string(dir) + "/devtype.png").c_str()), 0);
    UserCommit(devtype, DEVTYPE_CANCEL);
    const int display = LoadPanel(0, MainResourceFile(), DISPLAY);
    ASSERT_GT(display, 0);
    DisplayPanel(display);
    ProcessSystemEvents();
    EXPECT_GE(SavePanelImage(display, (std::string(dir) + "/display.png").c_str()), 0);
    DiscardPanel(display);
}

} // namespace

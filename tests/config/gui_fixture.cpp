#include "gui_fixture.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "link/linksettings.h"
#include "link/report_console.h"

namespace {

const CallbackBinding kBindings[] = {
    {"CmSelSystem", CmSelSystem, nullptr, nullptr},
    {"CmUrPrim", CmUrPrim, nullptr, nullptr},
    {"CmUrSec", CmUrSec, nullptr, nullptr},
    {"CmIrPrim", CmIrPrim, nullptr, nullptr},
    {"CmIrSec", CmIrSec, nullptr, nullptr},
    {"CmVoltageInput", CmVoltageInput, nullptr, nullptr},
    {"CmCurrentInput", CmCurrentInput, nullptr, nullptr},
    {"CmReadDescr", CmReadDescr, nullptr, nullptr},
    {"CmSelI", CmSelI, nullptr, nullptr},
    {"CmSelU", CmSelU, nullptr, nullptr},
    {"CmSelInterf", CmSelInterf, nullptr, nullptr},
    {"CmSaveType", CmSaveType, nullptr, nullptr},
    {"CmAbortType", CmAbortType, nullptr, nullptr},
    {"CmSelDigOut", CmSelDigOut, nullptr, nullptr},
    {"CmDigOutMeas", CmDigOutMeas, nullptr, nullptr},
    {"CmDigOutLimOn", CmDigOutLimOn, nullptr, nullptr},
    {"CmDigOutLimOff", CmDigOutLimOff, nullptr, nullptr},
    {"CmDigOutPuls", CmDigOutPuls, nullptr, nullptr},
    {"CmSelPulsUnit", CmSelPulsUnit, nullptr, nullptr},
    {"CmSetSyncIntervall", CmSetSyncIntervall, nullptr, nullptr},
    {"CmSelSyncMode", CmSelSyncMode, nullptr, nullptr},
    {"CmSelHighLow", CmSelHighLow, nullptr, nullptr},
    {"CmSelLoggerMode", CmSelLoggerMode, nullptr, nullptr},
    {"CmSelLoggerMeas", CmSelLoggerMeas, nullptr, nullptr},
    {"CmSelDeviceAddr", CmSelDeviceAddr, nullptr, nullptr},
    {"CmSelDevBaudrate", CmSelDevBaudrate, nullptr, nullptr},
    {"CmSelDevParity", CmSelDevParity, nullptr, nullptr},
    {"CmSelBright", CmSelBright, nullptr, nullptr},
    {"CmDisplayDone", CmDisplayDone, nullptr, nullptr},
};

} // namespace

void StartPanelRuntime() {
    static bool started = false;
    if (started) return;
    started = true;
    // Settings written by the editors go to a folder of their own.
    char dir[] = "/tmp/kr7m-panel-XXXXXX";
    if (mkdtemp(dir)) setenv("KR7M_CONFIG_DIR", dir, 1);
    // The pop-ups are loaded in English, with the language file the program has beside it.
    ASSERT_EQ(chdir(KR7M_BIN_DIR), 0);
    SetMainResourceFile(KR7M_BIN_DIR "/MainPan.uir");
    static char arg0[] = "panel_tests";
    static char *argv[] = {arg0, nullptr};
    ASSERT_GE(InitUserInterface(1, argv), 0);
    RegisterCallbacks(kBindings, static_cast<int>(sizeof kBindings / sizeof kBindings[0]));
    Console_SetOutput(nullptr);
}

void PanelTest::SetUp() {
    StartPanelRuntime();
    MainPanel = LoadPanel(0, MainResourceFile(), PANEL);
    ASSERT_GT(MainPanel, 0);
    CommType = 0;
    Baudrate = 3;
    Parity = 1;
    Konf = record{};
    Konf.RatedU = 500;
    Konf.RatedI = 500;
    Konf.Module = 1;
    NoVoltageTransf = NoCurrentTransf = 0;
    InitNeueDatei();
    Present();
}

void PanelTest::TearDown() {
    if (MainPanel > 0) DiscardPanel(MainPanel);
    MainPanel = 0;
}

void PanelTest::Present() {
    ActivateObjects();
    ShowAll();
}

void PanelTest::Enter(int control, int value) {
    ASSERT_GE(SetCtrlVal(MainPanel, control, value), 0) << "control " << control;
    UserCommit(MainPanel, control);
}
void PanelTest::Enter(int control, double value) {
    ASSERT_GE(SetCtrlVal(MainPanel, control, value), 0) << "control " << control;
    UserCommit(MainPanel, control);
}
void PanelTest::Enter(int control, const char *text) {
    ASSERT_GE(SetCtrlVal(MainPanel, control, text), 0) << "control " << control;
    UserCommit(MainPanel, control);
}

int PanelTest::Int(int control) {
    int v = -12345;
    GetCtrlVal(MainPanel, control, &v);
    return v;
}
double PanelTest::Num(int control) {
    double v = -12345.0;
    GetCtrlVal(MainPanel, control, &v);
    return v;
}
std::string PanelTest::Text(int control) {
    char text[512] = "";
    GetCtrlVal(MainPanel, control, text, sizeof text);
    return text;
}
int PanelTest::Visible(int control) {
    int v = -1;
    GetCtrlAttribute(MainPanel, control, ATTR_VISIBLE, &v);
    return v;
}
int PanelTest::Dimmed(int control) {
    int v = -1;
    GetCtrlAttribute(MainPanel, control, ATTR_DIMMED, &v);
    return v;
}
int PanelTest::Items(int control) {
    int n = -1;
    GetNumListItems(MainPanel, control, &n);
    return n;
}
std::string PanelTest::ItemLabel(int control, int index) {
    char text[256] = "";
    GetLabelFromIndex(MainPanel, control, index, text, sizeof text);
    return text;
}

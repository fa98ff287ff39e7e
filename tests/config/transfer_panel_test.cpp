// The main panel against the simulated instrument on a pseudo-terminal: edit, send, read back,
// save and open, as an engineer would.
#include "gui_fixture.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "config/document.h"
#include "config/mainpanel.h"
#include "config/settings.h"
#include "config/transfer.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "link/report_console.h"
#include "platform/serial/portmap.h"

namespace {

std::string TempDir() {
    char dir[] = "/tmp/kr7m-transfer-XXXXXX";
    return mkdtemp(dir) ? dir : "/tmp";
}

// A kr7m-sim child process serving one pseudo-terminal link.
class Simulator {
  public:
    explicit Simulator(const std::string &dir, std::vector<std::string> options = {}) {
        link_ = dir + "/sim.link";
        std::vector<std::string> args = {std::string(KR7M_BIN_DIR) + "/kr7m-sim", link_};
        args.insert(args.end(), options.begin(), options.end());
        pid_ = fork();
        if (pid_ == 0) {
            std::vector<char *> argv;
            for (auto &a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        for (int i = 0; i < 200 && !Ready(); i++) usleep(20000);
    }
    ~Simulator() { Stop(); }
    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            for (int i = 0; i < 100; i++) {
                if (waitpid(pid_, &status, WNOHANG) == pid_) {
                    pid_ = -1;
                    return;
                }
                usleep(20000);
            }
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
        }
        pid_ = -1;
    }
    bool Ready() const {
        struct stat st {};
        return pid_ > 0 && lstat(link_.c_str(), &st) == 0;
    }
    const std::string &Link() const { return link_; }

  private:
    std::string link_;
    pid_t pid_ = -1;
};

// What the instrument holds now, read over the link without touching Konf.
bool ReadInstrument(record *out) {
    if (!InitInterface(CommPort)) return false;
    const int ok = LeseKonfiguration();
    CloseInterface();
    *out = Lese;
    return ok == 1;
}

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string &path, const std::string &text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

class TransferPanelTest : public PanelTest {
  protected:
    void SetUp() override {
        PanelTest::SetUp();
        dir_ = TempDir();
        // The file dialogs remember their folder in the window state file: the test's own.
        setenv("XDG_STATE_HOME", dir_.c_str(), 1);
        // No file of an earlier test is the current one: Save would write there unasked.
        filename[0] = '\0';
        StartDocument("");
        Console_ResetCounts();
        Console_SetAnswer(kConsoleAnswerYes);
    }
    void Attach(const Simulator &sim) {
        ASSERT_TRUE(sim.Ready()) << "kr7m-sim did not come up";
        SetComPortDevice(1, sim.Link().c_str());
        CommPort = 1;
        CommType = 0;
    }
    // The edits of a typical substation feeder, made on the panel.
    void EditFeeder() {
        Enter(PANEL_UR_PRIM, 20.0);
        Enter(PANEL_UR_SEC, 100);
        Enter(PANEL_IR_PRIM, 400.0);
        Enter(PANEL_FUNC1, 3);
        Enter(PANEL_SOURCE1, 2);
        Enter(PANEL_LIMON1, 21.5);
        Enter(PANEL_LIMOFF1, 20.5);
        Enter(PANEL_FUNC2, 2);
        Enter(PANEL_SOURCE2, 80);
        Enter(PANEL_PULSRATE2, 500);
        Enter(PANEL_INTERVAL, 30);
        Enter(PANEL_DESCR, "Feeder 7, transformer T2");
        Enter(PANEL_DEV_ADDR, 12);
        Enter(PANEL_DEV_BAUD, 4);
        SetCtrlVal(MainPanel, PANEL_LOG_P, 1);
        UserCommit(MainPanel, PANEL_LOG_P);
    }
    std::string dir_;
};

TEST_F(TransferPanelTest, SentConfigurationIsWhatTheInstrumentHolds) {
    Simulator sim(dir_);
    Attach(sim);
    EditFeeder();
    ASSERT_EQ(Konf.DevAddr, 12);
    CmSendConfig(0, 0, nullptr, MainPanel);
    EXPECT_EQ(Console_Report().errors, 0);
    EXPECT_EQ(Console_Report().warnings, 1) << "sending asks first";

    record held{};
    ASSERT_TRUE(ReadInstrument(&held));
    EXPECT_EQ(0, memcmp(ConfigBlock(&held), ConfigBlock(&Konf), kBlockBytes));
    EXPECT_EQ(held.Image, 0);
    EXPECT_FLOAT_EQ(held.UrPrim, 20000.0f);
    EXPECT_EQ(held.UrSec, 100);
    EXPECT_FLOAT_EQ(held.IrPrim, 400.0f);
    EXPECT_STREQ(held.Descr, "Feeder 7, transformer T2");
    EXPECT_EQ(held.DigOut[0], 2);
    EXPECT_EQ(held.DigOut[1], 81);
    EXPECT_EQ(held.PulsRate[1], 500);
    EXPECT_EQ(held.EnergyControl, 30);
    EXPECT_EQ(held.Logger, 0x0800);
    EXPECT_EQ(held.DevAddr, 12);
    EXPECT_EQ(held.DevBaud & 7, 4);

    // Reading back shows exactly what was sent, with the edited module flag kept.
    const record sent = Konf;
    InitNeueDatei();
    Konf.Module = 0;
    NoVoltageTransf = 1;
    Present();
    CmRecFromDev(0, 0, nullptr, MainPanel);
    EXPECT_EQ(0, memcmp(ConfigBlock(&Konf), ConfigBlock(&sent), kBlockBytes));
    EXPECT_EQ(Konf.Module, 0);
    EXPECT_EQ(NoVoltageTransf, 0);
    EXPECT_EQ(Text(PANEL_DESCR), "Feeder 7, transformer T2");
    EXPECT_NEAR(Num(PANEL_UR_PRIM), 20.0, 1e-6);
    EXPECT_EQ(Int(PANEL_UR_UNIT), 1);
    EXPECT_NEAR(Num(PANEL_LIMON1), 21.5, 0.01);
    EXPECT_EQ(Int(PANEL_NO_VT), 0);
    NoVoltageTransf = 0;
}

TEST_F(TransferPanelTest, BusModeSendsTheProgramsOwnBusSettings) {
    Simulator sim(dir_, {"--bus", "7"});
    ASSERT_TRUE(sim.Ready());
    SetComPortDevice(1, sim.Link().c_str());
    CommPort = 1;
    CommType = 1;
    DeviceAddr = 7;
    Baudrate = 2;
    Parity = 3;
    Konf.DevAddr = 200;
    Konf.DevBaud = 0;
    Present();
    EXPECT_EQ(Dimmed(PANEL_DEV_ADDR), 1);
    CmSendConfig(0, 0, nullptr, MainPanel);
    EXPECT_EQ(Console_Report().errors, 0);
    EXPECT_EQ(Konf.DevAddr, 7);
    EXPECT_EQ(Konf.DevBaud, 2 + 8 * 3);
    EXPECT_EQ(Int(PANEL_DEV_ADDR), 7) << "redrawn after sending";
    CommType = 0;
    Baudrate = 3;
    Parity = 1;
}

TEST_F(TransferPanelTest, RatedCurrentMismatchWritesNothing) {
    struct Case {
        const char *instrument;
        int konfRatedI, message;
    } cases[] = {{"1", 500, 8}, {"5", 100, 7}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        Simulator sim(dir_, {"--rated-current", c.instrument});
        Attach(sim);
        record before{};
        ASSERT_TRUE(ReadInstrument(&before));
        Console_ResetCounts();
        InitNeueDatei();
        Konf.RatedI = static_cast<int16_t>(c.konfRatedI);
        Konf.DigOut[0] = 65;
        strcpy(Konf.Descr, "must not arrive");
        Present();
        SetCtrlVal(MainPanel, PANEL_UR_PRIM, 77.0); // would be overwritten by a redraw
        CmSendConfig(0, 0, nullptr, MainPanel);
        EXPECT_EQ(Console_Report().errors, 1);
        EXPECT_EQ(Console_Report().lastErrorTitle, 4);
        EXPECT_EQ(Console_Report().lastErrorMessage, c.message);
        EXPECT_DOUBLE_EQ(Num(PANEL_UR_PRIM), 77.0) << "the panel is left as it was";
        record after{};
        ASSERT_TRUE(ReadInstrument(&after));
        EXPECT_EQ(0, memcmp(ConfigBlock(&before), ConfigBlock(&after), kBlockBytes));
    }
}

TEST_F(TransferPanelTest, DeclinedSendWritesNothingAndRedraws) {
    Simulator sim(dir_);
    Attach(sim);
    record before{};
    ASSERT_TRUE(ReadInstrument(&before));
    Console_SetAnswer(kConsoleAnswerNo);
    strcpy(Konf.Descr, "declined");
    Present();
    SetCtrlVal(MainPanel, PANEL_UR_PRIM, 77.0);
    CmSendConfig(0, 0, nullptr, MainPanel);
    EXPECT_DOUBLE_EQ(Num(PANEL_UR_PRIM), 500.0);
    record after{};
    ASSERT_TRUE(ReadInstrument(&after));
    EXPECT_EQ(0, memcmp(ConfigBlock(&before), ConfigBlock(&after), kBlockBytes));
}

TEST_F(TransferPanelTest, ReadBackFromAMissingInstrumentKeepsKonf) {
    SetComPortDevice(1, (dir_ + "/nothing-here").c_str());
    CommPort = 1;
    strcpy(Konf.Descr, "kept");
    const record before = Konf;
    CmRecFromDev(0, 0, nullptr, MainPanel);
    EXPECT_GE(Console_Report().errors, 1);
    EXPECT_EQ(0, memcmp(&before, &Konf, sizeof Konf));
}

TEST_F(TransferPanelTest, SaveThenOpenRestoresTheRecord) {
    EditFeeder();
    SetupInputData(&Konf);
    const std::string path = dir_ + "/feeder.KR7";
    SetFileSelectAnswer(path.c_str());
    CmSaveToFile(0, 0, nullptr, MainPanel);
    EXPECT_STREQ(filename, path.c_str());
    const std::string text = ReadFile(path);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.find("Voltage transformer\t\t"), std::string::npos) << text;
    EXPECT_NE(text.find("Feeder 7, transformer T2\t"), std::string::npos);

    const record saved = Konf;
    InitNeueDatei();
    Konf.Module = 0;
    Konf.RatedI = 100;
    NoCurrentTransf = 1;
    Present();
    SetFileSelectAnswer(path.c_str());
    CmFileOpen(0, 0, nullptr, MainPanel);
    EXPECT_EQ(NoCurrentTransf, 1) << "opening a file leaves the switches alone";
    NoCurrentTransf = 0;
    EXPECT_EQ(Konf.Module, saved.Module);
    EXPECT_EQ(Konf.RatedI, saved.RatedI);
    EXPECT_FLOAT_EQ(Konf.UrPrim, saved.UrPrim);
    EXPECT_EQ(Konf.UrSec, saved.UrSec);
    EXPECT_FLOAT_EQ(Konf.IrPrim, saved.IrPrim);
    EXPECT_EQ(0, memcmp(Konf.DigOut, saved.DigOut, sizeof Konf.DigOut));
    EXPECT_EQ(0, memcmp(Konf.LimOn, saved.LimOn, sizeof Konf.LimOn));
    EXPECT_EQ(0, memcmp(Konf.LimOff, saved.LimOff, sizeof Konf.LimOff));
    EXPECT_EQ(0, memcmp(Konf.PulsRate, saved.PulsRate, sizeof Konf.PulsRate));
    EXPECT_EQ(Konf.EnergyControl, saved.EnergyControl);
    EXPECT_EQ(Konf.Logger, saved.Logger);
    EXPECT_EQ(Konf.DevAddr, saved.DevAddr);
    EXPECT_EQ(Konf.DevBaud, saved.DevBaud);
    EXPECT_STREQ(Konf.Descr, saved.Descr);
    EXPECT_EQ(Text(PANEL_DESCR), "Feeder 7, transformer T2") << "redrawn";
    EXPECT_EQ(Int(PANEL_FUNC2), 2);

    // Cancelling either dialog changes nothing. Save on an open document does not ask (and
    // stamps a new time), so the save dialog is the one of Save As.
    const record opened = Konf;
    SetFileSelectAnswer("");
    CmFileOpen(0, 0, nullptr, MainPanel);
    SetFileSelectAnswer("");
    CmSaveAs(0, 0, nullptr, MainPanel);
    EXPECT_EQ(0, memcmp(&opened, &Konf, sizeof Konf));
    EXPECT_STREQ(filename, path.c_str());
    EXPECT_EQ(ReadFile(path), text);
}

TEST_F(TransferPanelTest, FileSavedWithoutADateCaptionOpensAgain) {
    // A language may leave the hidden date field without a label; the file must still open.
    SetCtrlAttribute(MainPanel, PANEL_DATE, ATTR_LABEL_TEXT, "");
    strcpy(Konf.Descr, "no date caption");
    Konf.LimOn[0] = 4321;
    Present();
    const std::string path = dir_ + "/nodate.KR7";
    SetFileSelectAnswer(path.c_str());
    CmSaveToFile(0, 0, nullptr, MainPanel);
    ASSERT_NE(ReadFile(path)[0], '\t');

    InitNeueDatei();
    Present();
    Console_ResetCounts();
    SetFileSelectAnswer(path.c_str());
    CmFileOpen(0, 0, nullptr, MainPanel);
    EXPECT_EQ(Console_Report().errors, 0);
    EXPECT_STREQ(Konf.Descr, "no date caption");
    EXPECT_EQ(Konf.LimOn[0], 4321);
}

TEST_F(TransferPanelTest, UncommittedLongDescriptionIsSavedWholeCharactersOnly) {
    // The text box holds more than the record takes and was never committed: the save keeps
    // what the record would, ending on a whole character.
    SetCtrlAttribute(MainPanel, PANEL_DESCR, ATTR_MAX_ENTRY_LENGTH, 100);
    SetCtrlVal(MainPanel, PANEL_DESCR, (std::string(46, 'x') + "\xC3\xBC" + "tail").c_str());
    const std::string path = dir_ + "/umlaut.KR7";
    SetFileSelectAnswer(path.c_str());
    CmSaveToFile(0, 0, nullptr, MainPanel);
    EXPECT_NE(ReadFile(path).find("\t" + std::string(46, 'x') + "\t"), std::string::npos);
    SetFileSelectAnswer(path.c_str());
    CmFileOpen(0, 0, nullptr, MainPanel);
    EXPECT_STREQ(Konf.Descr, std::string(46, 'x').c_str());
}

TEST_F(TransferPanelTest, PathTooLongToKeepIsReportedNotIgnored) {
    const std::string kept = dir_ + "/kept.KR7";
    snprintf(filename, sizeof filename, "%s", kept.c_str());
    const std::string path = dir_ + "/" + std::string(300, 'n') + ".KR7";
    const record before = Konf;
    for (bool save : {true, false}) {
        SCOPED_TRACE(save ? "save" : "open");
        Console_ResetCounts();
        SetFileSelectAnswer(path.c_str());
        if (save)
            CmSaveToFile(0, 0, nullptr, MainPanel);
        else
            CmFileOpen(0, 0, nullptr, MainPanel);
        EXPECT_EQ(Console_Report().errors, 1);
        EXPECT_EQ(Console_Report().lastErrorTitle, 2);
        EXPECT_EQ(Console_Report().lastErrorMessage, 5);
        EXPECT_STREQ(filename, kept.c_str());
        EXPECT_EQ(0, memcmp(&before, &Konf, sizeof Konf));
    }
    filename[0] = '\0';
}

TEST_F(TransferPanelTest, DamagedFilesAreRejectedAndKonfStays) {
    const std::string header =
        "Date\tTime\tInterface\tMAX U\tMAX I\tVT\t\tCT\t\tSystem\tEnergyControl\tO1\tO2\t"
        "On1\tOn2\tOff1\tOff2\tP1\tP2\tD\tA\tB\tDisplay\tImage\tLogger\t";
    struct Case {
        const char *name;
        std::string content;
    } cases[] = {
        {"fewer tabs", "Date\tTime\tInterface\r\n1\t2\t3\t\r\n"},
        {"header starting with a tab", "\t" + header.substr(0, header.size() - 1) + "\r\n"},
        {"fewer fields", header + "\r\n01.01.2026\t10:00:00\t1\t500\t500\t\r\n"},
        {"binary garbage", std::string("\x00\x01\xff\xfe\t\t\x80garbage\x00\t", 14)},
        {"empty", ""},
    };
    strcpy(Konf.Descr, "the edited one");
    Present();
    const record before = Konf;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir_ + "/damaged.KR7";
        WriteFile(path, c.content);
        Console_ResetCounts();
        SetFileSelectAnswer(path.c_str());
        CmFileOpen(0, 0, nullptr, MainPanel);
        EXPECT_EQ(Console_Report().errors, 1);
        EXPECT_EQ(Console_Report().lastErrorTitle, 3);
        EXPECT_EQ(Console_Report().lastErrorMessage, 6);
        EXPECT_EQ(0, memcmp(&before, &Konf, sizeof Konf));
        EXPECT_EQ(Text(PANEL_DESCR), "the edited one");
    }
    Console_ResetCounts();
    SetFileSelectAnswer((dir_ + "/missing.KR7").c_str());
    CmFileOpen(0, 0, nullptr, MainPanel);
    EXPECT_EQ(Console_Report().lastErrorTitle, 2);
    EXPECT_EQ(Console_Report().lastErrorMessage, 5);
    EXPECT_EQ(0, memcmp(&before, &Konf, sizeof Konf));
}

int DisplayOf(int address) {
    DeviceAddr = address;
    record held{};
    return ReadInstrument(&held) ? held.Display : -1;
}

TEST_F(TransferPanelTest, DisplayPopupWritesEveryBrightnessChangeAtOnce) {
    Simulator sim(dir_);
    Attach(sim);
    CmDisplay(0, 0, nullptr, MainPanel);
    const int popup = GetActivePanel();
    ASSERT_GT(popup, 0);
    ASSERT_NE(popup, MainPanel);
    int shown = -1;
    GetCtrlVal(popup, DISPLAY_BRIGHT, &shown);
    EXPECT_EQ(shown, 8) << "the instrument's own setting";
    SetCtrlVal(popup, DISPLAY_BRIGHT, 3);
    UserCommit(popup, DISPLAY_BRIGHT);
    EXPECT_EQ(Console_Report().errors, 0);
    EXPECT_EQ(Lese.Display, 3);

    // The instrument vanishes: the old value comes back and the pop-up stays.
    sim.Stop();
    SetCtrlVal(popup, DISPLAY_BRIGHT, 12);
    UserCommit(popup, DISPLAY_BRIGHT);
    EXPECT_GE(Console_Report().errors, 1);
    GetCtrlVal(popup, DISPLAY_BRIGHT, &shown);
    EXPECT_EQ(shown, 3);
    EXPECT_EQ(Lese.Display, 3);
    EXPECT_EQ(GetActivePanel(), popup);
    UserCommit(popup, DISPLAY_CLOSE);
    EXPECT_EQ(CommPortOpen, 0) << "closing the pop-up closes the port";
    EXPECT_NE(GetActivePanel(), popup);
}

TEST_F(TransferPanelTest, DisplayPopupBroadcastsToAllInstruments) {
    Simulator sim(dir_, {"--bus", "3,4"});
    ASSERT_TRUE(sim.Ready());
    SetComPortDevice(1, sim.Link().c_str());
    CommPort = 1;
    CommType = 1;
    DeviceAddr = 3;
    CmDisplay(0, 0, nullptr, MainPanel);
    const int popup = GetActivePanel();
    ASSERT_GT(popup, 0);
    char title[256] = "";
    GetPanelAttribute(popup, ATTR_TITLE, title, sizeof title);
    EXPECT_STREQ(title, "Display (Device address 3)");
    SetCtrlVal(popup, DISPLAY_ALL, 1);
    SetCtrlVal(popup, DISPLAY_BRIGHT, 5);
    UserCommit(popup, DISPLAY_BRIGHT);
    UserCommit(popup, DISPLAY_CLOSE);
    EXPECT_EQ(Console_Report().errors, 0);
    EXPECT_EQ(DisplayOf(3), 5);
    EXPECT_EQ(DisplayOf(4), 5);

    // Without the box only the addressed instrument changes.
    DeviceAddr = 4;
    CmDisplay(0, 0, nullptr, MainPanel);
    const int again = GetActivePanel();
    ASSERT_GT(again, 0);
    SetCtrlVal(again, DISPLAY_BRIGHT, 9);
    UserCommit(again, DISPLAY_BRIGHT);
    UserCommit(again, DISPLAY_CLOSE);
    EXPECT_EQ(DisplayOf(3), 5);
    EXPECT_EQ(DisplayOf(4), 9);
    CommType = 0;
}

// The column values of a configuration file, without the date and time columns.
std::string ValuesWithoutStamp(const std::string &text) {
    const size_t lineEnd = text.find('\n');
    std::string values = lineEnd == std::string::npos ? "" : text.substr(lineEnd + 1);
    for (int skip = 0; skip < 2; skip++) {
        const size_t tab = values.find('\t');
        values = tab == std::string::npos ? "" : values.substr(tab + 1);
    }
    return values;
}
std::string Header(const std::string &text) {
    return text.substr(0, text.find('\n'));
}

TEST_F(TransferPanelTest, CommandLineAndPanelSaveTheSameFile) {
    Simulator sim(dir_, {"--bus", "1"});
    ASSERT_TRUE(sim.Ready());
    SetComPortDevice(1, sim.Link().c_str());
    CommPort = 1;
    CommType = 1;
    DeviceAddr = 1;
    EditFeeder();
    CmSendConfig(0, 0, nullptr, MainPanel);
    ASSERT_EQ(Console_Report().errors, 0);

    NewINIFile(); // kr7mctl takes the module flag from the same settings file
    const std::string ctlFile = dir_ + "/ctl.KR7";
    const std::string cmd = std::string(KR7M_BIN_DIR) + "/kr7mctl --device " + sim.Link() +
                            " --bus 1 read-config " + ctlFile + " >/dev/null 2>&1";
    ASSERT_EQ(system(cmd.c_str()), 0) << cmd;

    InitNeueDatei();
    Present();
    CmRecFromDev(0, 0, nullptr, MainPanel);
    const std::string guiFile = dir_ + "/gui.KR7";
    SetFileSelectAnswer(guiFile.c_str());
    CmSaveToFile(0, 0, nullptr, MainPanel);

    const std::string a = ReadFile(ctlFile), b = ReadFile(guiFile);
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    EXPECT_EQ(Header(a), Header(b)) << "English captions on both";
    EXPECT_EQ(ValuesWithoutStamp(a), ValuesWithoutStamp(b));
    CommType = 0;
}

} // namespace

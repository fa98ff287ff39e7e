// The settings file KR7M.ini: exact text, loading rules, the port map, where the file lives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "config/record.h"
#include "config/settings.h"
#include "link/linksettings.h"
#include "platform/serial/portmap.h"

namespace {

const char kDefaultFile[] = "[Interface]\r\n"
                            "Baudrate = 3\r\n"
                            "COMPort = 1\r\n"
                            "COMType = 0\r\n"
                            "DevAddr = 247\r\n"
                            "DevAddr1 = 0\r\n"
                            "DevAddr10 = 0\r\n"
                            "DevAddr11 = 0\r\n"
                            "DevAddr12 = 0\r\n"
                            "DevAddr13 = 0\r\n"
                            "DevAddr14 = 0\r\n"
                            "DevAddr15 = 0\r\n"
                            "DevAddr16 = 0\r\n"
                            "DevAddr17 = 0\r\n"
                            "DevAddr18 = 0\r\n"
                            "DevAddr19 = 0\r\n"
                            "DevAddr2 = 0\r\n"
                            "DevAddr20 = 0\r\n"
                            "DevAddr21 = 0\r\n"
                            "DevAddr22 = 0\r\n"
                            "DevAddr23 = 0\r\n"
                            "DevAddr24 = 0\r\n"
                            "DevAddr25 = 0\r\n"
                            "DevAddr26 = 0\r\n"
                            "DevAddr27 = 0\r\n"
                            "DevAddr28 = 0\r\n"
                            "DevAddr29 = 0\r\n"
                            "DevAddr3 = 0\r\n"
                            "DevAddr30 = 0\r\n"
                            "DevAddr31 = 0\r\n"
                            "DevAddr32 = 0\r\n"
                            "DevAddr4 = 0\r\n"
                            "DevAddr5 = 0\r\n"
                            "DevAddr6 = 0\r\n"
                            "DevAddr7 = 0\r\n"
                            "DevAddr8 = 0\r\n"
                            "DevAddr9 = 0\r\n"
                            "Parity = 0\r\n"
                            "RTSFlow = 1\r\n"
                            "\r\n"
                            "[Options]\r\n"
                            "Language = 1\r\n"
                            "Module = 1\r\n"
                            "RatedI = 500\r\n"
                            "RatedU = 500\r\n"
                            "\r\n"
                            "[Ports]\r\n"
                            "COM1 = \"/dev/ttyUSB0\"\r\n"
                            "COM2 = \"/dev/ttyUSB1\"\r\n"
                            "COM3 = \"/dev/ttyACM0\"\r\n"
                            "COM4 = \"/dev/ttyACM1\"\r\n"
                            "COM5 = \"/dev/ttyS0\"\r\n"
                            "COM6 = \"/dev/ttyS1\"\r\n"
                            "COM7 = \"/dev/ttyUSB2\"\r\n"
                            "COM8 = \"/dev/ttyUSB3\"\r\n"
                            "\r\n";

std::string Slurp(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void Spit(const std::string &path, const std::string &text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

class Settings : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kr7m-settings-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        ASSERT_EQ(setenv("KR7M_CONFIG_DIR", dir.c_str(), 1), 0);
        file = dir + "/KR7M.ini";
        LoadINIDefault();
    }
    void TearDown() override {
        unsetenv("KR7M_CONFIG_DIR");
        chmod(dir.c_str(), 0755);
        EXPECT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
        LoadINIDefault();
    }
    std::string dir, file;
};

TEST_F(Settings, DefaultFileByteForByte) {
    EXPECT_EQ(std::string(SettingsFilePath()), file);
    EXPECT_EQ(ReadINIFile(), 0); // no file yet
    ASSERT_EQ(NewINIFile(), 1);
    EXPECT_EQ(Slurp(file), kDefaultFile);
}

TEST_F(Settings, ValuesRoundTrip) {
    int *ints[] = {&Language,   &CommPort, &CommType,     &Baudrate,     &Parity,
                   &DeviceAddr, &RTSFlow,  &DevSearch[0], &DevSearch[31]};
    const int values[] = {0, 3, 1, 4, 2, 17, 0, 17, 200};
    for (int i = 0; i < 9; ++i) *ints[i] = values[i];
    Konf.Module = 0;
    Konf.RatedI = 100;
    Konf.RatedU = 400;
    const char *odd = "/dev/serial/by-id/usb-FTDI \"quoted\" name";
    SetComPortDevice(8, odd);
    ASSERT_EQ(NewINIFile(), 1);
    LoadINIDefault();
    EXPECT_EQ(Language, 1);
    EXPECT_STREQ(ComPortDevice(8), "/dev/ttyUSB3");
    ASSERT_EQ(ReadINIFile(), 1);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(*ints[i], values[i]) << i;
    EXPECT_EQ(DevSearch[1], 0);
    EXPECT_EQ(Konf.Module, 0);
    EXPECT_EQ(Konf.RatedI, 100);
    EXPECT_EQ(Konf.RatedU, 400);
    EXPECT_STREQ(ComPortDevice(8), odd);
    EXPECT_STREQ(ComPortDevice(1), "/dev/ttyUSB0");
}

TEST_F(Settings, PartialAndDamagedFiles) {
    struct Case {
        const char *name;
        std::string text;
        int language, ratedI, commPort, devAddr5;
        const char *com1;
    };
    // Before each read: Language 1, RatedI 250 (a value from before), COMPort 2, DevAddr5 9.
    const Case cases[] = {
        {"only options", "[Options]\r\nLanguage = 0\r\n", 0, 250, 2, 9, "/dev/ttyUSB0"},
        {"language out of range is kept", "[Options]\nLanguage = 5\n", 5, 250, 2, 9,
         "/dev/ttyUSB0"},
        {"bad values keep the old ones",
         "[Options]\nLanguage = x\nRatedI = 1.5\n[Interface]\nCOMPort = \nDevAddr5 = 7 7\n", 1, 250,
         2, 9, "/dev/ttyUSB0"},
        {"hand-edited", "; mine\n[interface]\n comport=4 \n devaddr5 = 3\n[ports]\nCOM1=/dev/x\n",
         1, 250, 4, 3, "/dev/x"},
        {"empty port entry keeps the device", "[Ports]\nCOM1 = \"\"\n", 1, 250, 2, 9,
         "/dev/ttyUSB0"},
        {"garbage", std::string("\x00\xff\xfe[[[\n=\n\r\r", 11), 1, 250, 2, 9, "/dev/ttyUSB0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LoadINIDefault();
        Konf.RatedI = 250;
        CommPort = 2;
        DevSearch[4] = 9;
        Spit(file, c.text);
        ASSERT_EQ(ReadINIFile(), 1);
        EXPECT_EQ(Language, c.language);
        EXPECT_EQ(Konf.RatedI, c.ratedI);
        EXPECT_EQ(CommPort, c.commPort);
        EXPECT_EQ(DevSearch[4], c.devAddr5);
        EXPECT_STREQ(ComPortDevice(1), c.com1);
    }
}

TEST_F(Settings, RewriteDropsHandEditsAndKeepsEverythingElse) {
    Spit(file, "; my note\r\n[Options]\r\nLanguage = 0\r\nExtra = 1\r\n[Mine]\r\nA = 1\r\n");
    ASSERT_EQ(ReadINIFile(), 1);
    Language = 1;
    ASSERT_EQ(NewINIFile(), 1);
    EXPECT_EQ(Slurp(file), kDefaultFile);
}

ino_t Inode(const std::string &path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// A rewrite that would give the file back the bytes it held when it was read leaves that file
// alone; in every other state the file is replaced by a new one with the current values.
TEST_F(Settings, RewriteLeavesAFileAloneOnlyWhenItWouldGetItsOwnBytesBack) {
    struct Case {
        const char *name;
        std::string before; // the file's text before the read
        bool read;          // whether ReadINIFile ran
        int steps;          // 0: rewrite at once; 1: a value changed; 2: changed, written, back
        std::string editedAfterRead; // when not empty, someone else's text written after the read
        bool leftAlone;
    };
    const Case cases[] = {
        {"values as read", kDefaultFile, true, 0, "", true},
        {"a value changed", kDefaultFile, true, 1, "", false},
        {"written with another value, then the read one again", kDefaultFile, true, 2, "", false},
        {"edited by hand since the read", kDefaultFile, true, 0, "[Options]\r\nLanguage = 1\r\n",
         false},
        {"read with a comment of its own", std::string("; mine\r\n") + kDefaultFile, true, 0, "",
         false},
        {"not read in this run", kDefaultFile, false, 0, "", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LoadINIDefault();
        Spit(file, c.before);
        if (c.read) {
            ASSERT_EQ(ReadINIFile(), 1);
        }
        if (!c.editedAfterRead.empty()) Spit(file, c.editedAfterRead);
        if (c.steps >= 1) DeviceAddr = 5;
        if (c.steps == 2) {
            ASSERT_EQ(NewINIFile(), 1);
            DeviceAddr = 247;
        }
        const ino_t inode = Inode(file);
        ASSERT_EQ(NewINIFile(), 1);
        std::string expected = kDefaultFile;
        if (c.steps == 1) expected.replace(expected.find("DevAddr = 247"), 13, "DevAddr = 5");
        EXPECT_EQ(Slurp(file), expected);
        EXPECT_EQ(Inode(file) == inode, c.leftAlone);
    }
}

TEST_F(Settings, FailedWriteIsReportedAndKeepsTheOldFile) {
    Spit(file, "[Options]\r\nLanguage = 0\r\n");
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    EXPECT_EQ(NewINIFile(), 0);
    EXPECT_EQ(Slurp(file), "[Options]\r\nLanguage = 0\r\n");
    // An unreadable file is like a missing one: nothing changes.
    ASSERT_EQ(chmod(file.c_str(), 0644), 0);
    ASSERT_EQ(unlink(file.c_str()), 0);
    ASSERT_EQ(mkdir(file.c_str(), 0755), 0); // a folder where the file should be
    Language = 0;
    EXPECT_EQ(ReadINIFile(), 0);
    EXPECT_EQ(Language, 0);
    EXPECT_EQ(NewINIFile(), 0);
}

TEST_F(Settings, WhereTheFileLives) {
    std::string nested = dir + "/a/b";
    ASSERT_EQ(setenv("KR7M_CONFIG_DIR", nested.c_str(), 1), 0);
    EXPECT_EQ(std::string(SettingsFilePath()), nested + "/KR7M.ini");
    ASSERT_EQ(NewINIFile(), 1); // creates the folders
    EXPECT_EQ(Slurp(nested + "/KR7M.ini"), kDefaultFile);
    // Without the variable (or with it empty) the file sits beside the running program, whose
    // folder is writable here.
    ASSERT_EQ(setenv("KR7M_CONFIG_DIR", "", 1), 0);
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    ASSERT_GT(n, 0);
    exe[n] = '\0';
    std::string program(exe);
    program = program.substr(0, program.rfind('/'));
    EXPECT_EQ(std::string(SettingsFilePath()), program + "/KR7M.ini");
}

TEST_F(Settings, InstalledProgramKeepsItsFileInTheUserFolder) {
    // The program's folder is not writable for an ordinary user: run as one, in a child.
    if (geteuid() != 0) GTEST_SKIP() << "needs to switch to an unprivileged user";
    ASSERT_EQ(chmod(dir.c_str(), 0777), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        unsetenv("KR7M_CONFIG_DIR");
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        bool ok = SettingsFilePath() == dir + "/kr7m/KR7M.ini" && NewINIFile() == 1;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(Slurp(dir + "/kr7m/KR7M.ini"), kDefaultFile);
}

} // namespace

// Configuration files: the exact bytes written, round trips, and damaged or unusual files.
#include "config/configfile.h"
#include "link/report_console.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

class ConfigFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kr7m-configfile-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        Console_SetOutput(nullptr);
        Console_ResetCounts();
    }
    void TearDown() override {
        std::string cmd = "chmod -R u+w '" + dir_ + "' && rm -rf '" + dir_ + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        Console_SetOutput(stderr);
    }
    std::string Path(const char *name) const { return dir_ + "/" + name; }
    void Put(const std::string &path, const std::string &content) const {
        std::ofstream(path, std::ios::binary) << content;
    }
    std::string Get(const std::string &path) const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        DIR *d = opendir(dir_.c_str());
        if (d == nullptr) return names;
        while (dirent *e = readdir(d)) {
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) {
                names.push_back(e->d_name);
            }
        }
        closedir(d);
        return names;
    }
    std::string dir_;
};

record Sample() {
    record r{};
    r.Module = 1;
    r.RatedU = 500;
    r.RatedI = 500;
    r.UrPrim = 20000.0f;
    r.UrSec = 100;
    r.IrPrim = 1500.0f;
    r.IrSec = 5.0f;
    r.System = 3;
    r.EnergyControl = 0x8f;
    r.DigOut[0] = 2;
    r.DigOut[1] = 81;
    r.LimOn[0] = 8000;
    r.LimOn[1] = -5;
    r.LimOff[0] = 7500;
    r.LimOff[1] = 0;
    r.PulsRate[0] = 100;
    r.PulsRate[1] = 2500;
    std::strcpy(r.Descr, "Feeder 3, busbar B");
    r.DevAddr = 17;
    r.DevBaud = 12;
    r.Display = 8;
    r.Image = 0;
    r.Logger = 0x0e01;
    return r;
}

const ConfigStamp kStamp = {"08.12.2026", "14:05:09"};

const char kSampleFile[] =
    "Date\tTime\tInterface\tMAX U\tMAX I\tVoltage transformer\t\tCurrent transformer\t\t"
    "Connection\tEnergyControl\tOutput 1\tOutput 2\tSwitch-on limit1\tSwitch-on limit2\t"
    "Switch-off limit1\tSwitch-off limit2\tPulse rate1\tPulse rate2\tDescription\t"
    "Device address\tBaud rate\tDisplay\tImage\tLogger\t\r\n"
    "08.12.2026\t14:05:09\t1\t500\t500\t20000.000000\t100\t1500.000000\t5.000000\t3\t143\t2\t81\t"
    "8000\t-5\t7500\t0\t100\t2500\tFeeder 3, busbar B\t17\t12\t8\t0\t3585\t\r\n";

bool SameRecord(const record &a, const record &b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST_F(ConfigFileTest, WritesTheExactBytes) {
    record r = Sample();
    std::string path = Path("sample.KR7");
    ASSERT_EQ(WriteConfigFile(path.c_str(), &r, kEnglishCaptions, kStamp, ConfigShownOf(&r)), 1);
    EXPECT_EQ(Get(path), kSampleFile);
    EXPECT_EQ(Console_Report().errors, 0);
    EXPECT_EQ(Entries().size(), 1u) << "no temporary file is left behind";
}

TEST_F(ConfigFileTest, HeaderHasTwentyFiveTabsWhateverTheCaptions) {
    ConfigCaptions german = {"Datum",         "Zeit",       "Spannungswandler", "Stromwandler",
                             "Anschluss",     "Ausgang 1",  "Ausgang 2",        "Einschaltwert",
                             "Ausschaltwert", "Impulsrate", "Beschreibung",     "Adresse",
                             "Baudrate"};
    ConfigCaptions hostile = german;
    hostile.output1 = "Out\tput\r\n1"; // would shift the columns if written as is
    hostile.date = nullptr;
    for (const ConfigCaptions &c : {kEnglishCaptions, german, hostile}) {
        std::string line = ConfigHeaderLine(c);
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 25) << line;
        EXPECT_EQ(line.back(), '\t');
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    }
}

TEST_F(ConfigFileTest, RoundTripRestoresEveryColumn) {
    // Values at the ends of their fields; floats that six decimals hold exactly. Fields the
    // file does not hold are zero in all three, so the records compare whole.
    record b = Sample();
    b.Module = 0;
    b.RatedI = 100;
    b.UrPrim = 0.5f;
    b.IrPrim = 123456.75f;
    b.UrSec = 65535;
    b.LimOn[1] = -32768;
    b.LimOff[1] = 32767;
    b.Logger = 0xffff;
    b.Image = 0xff;
    b.DigOut[1] = 255;
    std::memset(b.Descr, 'x', 47);
    for (const record &in : {Sample(), b, record{}}) {
        std::string path = Path("rt.KR7");
        ASSERT_EQ(WriteConfigFile(path.c_str(), &in, kEnglishCaptions, kStamp, ConfigShownOf(&in)),
                  1);
        record out{};
        out.Module = 1; // the file's 0 must clear it
        ASSERT_EQ(OpenConfigFile(path.c_str(), &out), 1) << Console_Report().lastErrorDetail;
        EXPECT_TRUE(SameRecord(out, in));
    }
}

TEST_F(ConfigFileTest, DescriptionIsCutAndKeptInItsColumn) {
    record r = Sample();
    std::string longText(60, 'd');
    struct {
        const char *shown;
        std::string expected;
    } cases[] = {
        {"two\twords", "two words"},
        {"line\r\nbreak", "line  break"},
        {longText.c_str(), std::string(47, 'd')},
        {"", ""},
        {nullptr, ""},
    };
    for (auto &c : cases) {
        std::string path = Path("descr.KR7");
        ASSERT_EQ(WriteConfigFile(path.c_str(), &r, kEnglishCaptions, kStamp, {3, c.shown}), 1);
        record out = Sample();
        ASSERT_EQ(OpenConfigFile(path.c_str(), &out), 1) << Console_Report().lastErrorDetail;
        EXPECT_EQ(std::string(out.Descr), c.expected);
        EXPECT_EQ(out.Logger, r.Logger) << "the later columns did not shift";
    }
    // A record whose description fills all 48 bytes without a terminator.
    std::memset(r.Descr, 'z', sizeof r.Descr);
    std::string line = ConfigValueLine(&r, kStamp, ConfigShownOf(&r));
    EXPECT_NE(line.find(std::string(47, 'z') + "\t17\t"), std::string::npos);
}

TEST_F(ConfigFileTest, ConnectionTypeAndDescriptionComeFromThePanel) {
    record r = Sample();
    std::string line = ConfigValueLine(&r, kStamp, {1, "shown text"});
    EXPECT_NE(line.find("\t5.000000\t1\t143\t"), std::string::npos) << line;
    EXPECT_NE(line.find("\tshown text\t"), std::string::npos) << line;
}

// A valid header and value line, with one column replaced.
std::string WithColumn(int col, const std::string &value, const char *eol = "\r\n") {
    std::string file = kSampleFile;
    size_t lineStart = file.find("\r\n") + 2;
    std::string header = file.substr(0, lineStart - 2);
    std::string values = file.substr(lineStart, file.size() - lineStart - 2);
    size_t start = 0;
    for (int n = 0; n < col; n++) start = values.find('\t', start) + 1;
    size_t end = values.find('\t', start);
    values.replace(start, end - start, value);
    return header + eol + values + eol;
}

// The first n columns of the sample's value line, each with its tab.
std::string FirstColumns(int n) {
    std::string file = kSampleFile;
    std::string values = file.substr(file.find('\n') + 1);
    size_t end = 0;
    for (int k = 0; k < n; k++) end = values.find('\t', end) + 1;
    return values.substr(0, end);
}

TEST_F(ConfigFileTest, AcceptsWhatOtherWritersProduce) {
    struct {
        const char *name;
        std::string content;
        int module;
        int logger;
        std::string descr;
    } cases[] = {
        {"LF line ends", WithColumn(2, "1", "\n"), 1, 3585, "Feeder 3, busbar B"},
        {"module 2", WithColumn(2, "2"), 1, 3585, "Feeder 3, busbar B"},
        {"module -1", WithColumn(2, "-1"), 1, 3585, "Feeder 3, busbar B"},
        {"signed logger word", WithColumn(24, "-1"), 1, 65535, "Feeder 3, busbar B"},
        {"blanks and plus", WithColumn(24, " +12 "), 1, 12, "Feeder 3, busbar B"},
        {"lone CR kept inside the description", WithColumn(19, "a\rb"), 1, 3585, "a\rb"},
        {"long description", WithColumn(19, std::string(300, 'L')), 1, 3585, std::string(47, 'L')},
        {"trailing lines", std::string(kSampleFile) + "junk\tjunk\r\nmore\r\n", 1, 3585,
         "Feeder 3, busbar B"},
        {"no final line end", std::string(kSampleFile, sizeof kSampleFile - 3), 1, 3585,
         "Feeder 3, busbar B"},
        {"long caption after the tabs",
         std::string(kSampleFile)
             .insert(std::string(kSampleFile).find('\r'), std::string(2000, 'h')),
         1, 3585, "Feeder 3, busbar B"},
    };
    for (auto &c : cases) {
        std::string path = Path("in.KR7");
        Put(path, c.content);
        record r{};
        Console_ResetCounts();
        EXPECT_EQ(OpenConfigFile(path.c_str(), &r), 1)
            << c.name << ": " << Console_Report().lastErrorDetail;
        EXPECT_EQ(r.Module, c.module) << c.name;
        EXPECT_EQ(r.Logger, c.logger) << c.name;
        EXPECT_EQ(std::string(r.Descr), c.descr) << c.name;
        EXPECT_EQ(r.PulsRate[1], 2500) << c.name;
        EXPECT_EQ(Console_Report().errors, 0) << c.name;
    }
}

TEST_F(ConfigFileTest, RejectsDamagedFilesAndKeepsTheRecord) {
    std::string header =
        std::string(kSampleFile).substr(0, std::string(kSampleFile).find('\n') + 1);
    std::string binary;
    for (int n = 0; n < 4096; n++) binary += static_cast<char>((n * 131 + 7) & 0xff);
    std::string nul = WithColumn(5, std::string("20\0"
                                                "00",
                                                5));
    struct {
        const char *name;
        std::string content;
    } cases[] = {
        {"empty file", ""},
        {"single line break", "\r\n"},
        {"24 tabs in the header", std::string(24, '\t') + "x\r\n" + WithColumn(0, "x")},
        {"header starting with a tab", "\t" + std::string(24, '\t') + "\r\n" + WithColumn(0, "x")},
        {"no value line", header},
        {"value line with 24 columns", header + FirstColumns(24) + "\r\n"},
        {"value line with 24 columns and text", header + FirstColumns(24) + "Logger\r\n"},
        {"empty value line", header + "\r\n"},
        {"binary garbage", binary},
        {"header tabs beyond the line limit", std::string(2000, 'h') + kSampleFile},
        {"value line beyond the line limit", WithColumn(19, std::string(1000, 'L'))},
        {"a line of megabytes", std::string(3 << 20, '\t') + kSampleFile},
        {"text in a number column", WithColumn(3, "five hundred")},
        {"empty number column", WithColumn(11, "")},
        {"output byte out of range", WithColumn(12, "256")},
        {"limit out of range", WithColumn(13, "70000")},
        {"huge module flag", WithColumn(2, "99999999999999999999")},
        {"float not a number", WithColumn(5, "nan")},
        {"float too large", WithColumn(7, "1e39")},
        {"float with comma", WithColumn(8, "5,000000")},
        {"number with trailing text", WithColumn(6, "100V")},
        {"NUL inside a number", nul},
    };
    for (auto &c : cases) {
        std::string path = Path("bad.KR7");
        Put(path, c.content);
        record r = Sample();
        record before = r;
        Console_ResetCounts();
        EXPECT_EQ(OpenConfigFile(path.c_str(), &r), 0) << c.name;
        EXPECT_EQ(Console_Report().errors, 1) << c.name;
        EXPECT_EQ(Console_Report().lastErrorTitle, 3) << c.name;
        EXPECT_EQ(Console_Report().lastErrorMessage, 6) << c.name;
        EXPECT_NE(Console_Report().lastErrorDetail[0], '\0') << c.name;
        EXPECT_TRUE(SameRecord(r, before)) << c.name;
    }
}

TEST_F(ConfigFileTest, FilesThatCannotBeOpened) {
    std::string fifo = Path("fifo.KR7");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string locked = Path("locked.KR7");
    Put(locked, kSampleFile);
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    bool root = geteuid() == 0; // root reads it anyway
    struct {
        std::string path;
    } cases[] = {{Path("missing.KR7")}, {dir_}, {fifo}, {""}, {root ? "" : locked}};
    for (auto &c : cases) {
        record r = Sample();
        record before = r;
        Console_ResetCounts();
        EXPECT_EQ(OpenConfigFile(c.path.c_str(), &r), 0) << c.path;
        EXPECT_EQ(Console_Report().lastErrorTitle, 2) << c.path;
        EXPECT_EQ(Console_Report().lastErrorMessage, 5) << c.path;
        EXPECT_TRUE(SameRecord(r, before)) << c.path;
    }
    record r{};
    EXPECT_EQ(OpenConfigFile(nullptr, &r), 0);
}

TEST_F(ConfigFileTest, FailedSaveLeavesTheOldFile) {
    record r = Sample();
    std::string path = Path("keep.KR7");
    Put(path, "old contents");
    std::string sub = Path("sub");
    ASSERT_EQ(mkdir(sub.c_str(), 0755), 0);

    // A folder in place of the file.
    Console_ResetCounts();
    EXPECT_EQ(WriteConfigFile(sub.c_str(), &r, kEnglishCaptions, kStamp, ConfigShownOf(&r)), 0);
    EXPECT_EQ(Console_Report().lastErrorTitle, 2);
    EXPECT_EQ(Console_Report().lastErrorMessage, 5);
    // A folder that does not exist.
    std::string nowhere = Path("nowhere/x.KR7");
    EXPECT_EQ(WriteConfigFile(nowhere.c_str(), &r, kEnglishCaptions, kStamp, ConfigShownOf(&r)), 0);
    EXPECT_EQ(WriteConfigFile("", &r, kEnglishCaptions, kStamp, ConfigShownOf(&r)), 0);
    EXPECT_EQ(Console_Report().errors, 3);

    // Read-only by the mode bits: refused to the super-user as well.
    for (const char *what : {"folder", "file"}) {
        SCOPED_TRACE(what);
        const std::string locked = what[1] == 'o' ? dir_ : path;
        ASSERT_EQ(chmod(locked.c_str(), 0555), 0);
        Console_ResetCounts();
        EXPECT_EQ(WriteConfigFile(path.c_str(), &r, kEnglishCaptions, kStamp, ConfigShownOf(&r)),
                  0);
        EXPECT_EQ(Console_Report().lastErrorMessage, 5);
        EXPECT_NE(std::string(Console_Report().lastErrorDetail).find("read-only"),
                  std::string::npos)
            << Console_Report().lastErrorDetail;
        ASSERT_EQ(chmod(locked.c_str(), 0755), 0);
        EXPECT_EQ(Get(path), "old contents");
    }
    EXPECT_EQ(Entries().size(), 2u) << "no temporary file is left behind";
}

TEST_F(ConfigFileTest, SaveReplacesKeepingPermissionsAndLinks) {
    record r = Sample();
    std::string path = Path("perm.KR7");
    Put(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    std::string link = Path("link.KR7");
    ASSERT_EQ(symlink("perm.KR7", link.c_str()), 0);
    ASSERT_EQ(WriteConfigFile(link.c_str(), &r, kEnglishCaptions, kStamp, ConfigShownOf(&r)), 1);
    struct stat st;
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(Get(path), kSampleFile);
}

} // namespace

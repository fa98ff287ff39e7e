// CSV recordings: header, rows, time stamps, and the file that replaces its target whole.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "config/commands.h"
#include "config/record.h"
#include "views/display.h"
#include "views/recording.h"
#include "views/viewtables.h"

namespace {

std::string Slurp(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class RecordingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kr7m-rec-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        setenv("TZ", "UTC0", 1);
        tzset();
        std::memset(&Lese, 0, sizeof Lese);
        Lese.System = 1;
        Lese.RatedU = 400;
        Lese.RatedI = 500;
        Lese.UrPrim = 400;
        Lese.UrSec = 400;
        Lese.IrPrim = 5;
        Lese.IrSec = 5;
        InitAnzeige();
    }
    void TearDown() override {
        std::string cmd = "rm -rf '" + dir_ + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
    }
    int FilesInDir() const {
        int n = 0;
        if (DIR *d = opendir(dir_.c_str())) {
            while (dirent *e = readdir(d))
                if (e->d_name[0] != '.') ++n;
            closedir(d);
        }
        return n;
    }
    std::string dir_;
};

struct StampCase {
    const char *zone;
    long long when;
    const char *text;
};

TEST_F(RecordingTest, TimeStampsAreLocalIso8601WithOffset) {
    const StampCase cases[] = {{"UTC0", 0, "1970-01-01T00:00:00+00:00"},
                               {"CET-1", 86400 + 3600, "1970-01-02T02:00:00+01:00"},
                               {"IST-5:30", 0, "1970-01-01T05:30:00+05:30"},
                               {"EST5", 0, "1969-12-31T19:00:00-05:00"}};
    for (const StampCase &c : cases) {
        setenv("TZ", c.zone, 1);
        tzset();
        char out[40];
        IsoLocalTime(c.when, out, sizeof out);
        EXPECT_STREQ(out, c.text) << c.zone;
    }
}

TEST_F(RecordingTest, HeaderAndRowsFollowTheShownFields) {
    char line[1024];
    RecordingHeader(VIEW_MEAS, line, sizeof line);
    EXPECT_STREQ(line, "Time,U [V],I [A],Iavg [A],P [W],Q [var],S [VA],f [Hz],PF");
    RecordingHeader(VIEW_MEAN, line, sizeof line);
    EXPECT_EQ(std::string(line).substr(0, 38), "Time,Pint running [W],Pint last [W],Pi");

    for (float &v : Measurands) v = 0;
    Measurands[0] = 398.25f;
    Measurands[19] = 1500.5f; // base units, not the shown kW
    Measurands[23] = 1e31f;
    Measurands[32] = -0.5f;
    RecordingRow(VIEW_MEAS, 1, 60, line, sizeof line);
    EXPECT_STREQ(line, "1970-01-01T00:01:00+00:00,398.25,0,0,1500.5,OVL,0,0,-0.5");
    RecordingRow(VIEW_MEAS, 0, 62, line, sizeof line);
    EXPECT_STREQ(line, "1970-01-01T00:01:02+00:00,,,,,,,,");
}

TEST_F(RecordingTest, RecordingReplacesTheTargetAndFlushesEveryRow) {
    std::string path = dir_ + "/values.csv";
    {
        std::ofstream old(path);
        old << "an older file\n";
    }
    Recording r;
    ASSERT_EQ(StartRecording(&r, VIEW_MEAS, path.c_str()), 1) << r.error;
    EXPECT_EQ(Slurp(path), "Time,U [V],I [A],Iavg [A],P [W],Q [var],S [VA],f [Hz],PF\n");
    for (float &v : Measurands) v = 1;
    ASSERT_EQ(RecordRead(&r, 1, 0), 1);
    ASSERT_EQ(RecordRead(&r, 0, 2), 1);
    // On the disk before the recording ends.
    EXPECT_EQ(Slurp(path), "Time,U [V],I [A],Iavg [A],P [W],Q [var],S [VA],f [Hz],PF\n"
                           "1970-01-01T00:00:00+00:00,1,1,1,1,1,1,1,1\n"
                           "1970-01-01T00:00:02+00:00,,,,,,,,\n");
    EXPECT_EQ(r.rows, 2);
    StopRecording(&r);
    EXPECT_EQ(RecordingActive(&r), 0);
    EXPECT_EQ(RecordRead(&r, 1, 4), 0) << "nothing is written after the stop";
    EXPECT_EQ(FilesInDir(), 1) << "no temporary file is left beside it";
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(RecordingTest, UnwritablePlaceFailsWithAReasonAndKeepsNothing) {
    Recording r;
    EXPECT_EQ(StartRecording(&r, VIEW_MEAS, (dir_ + "/missing/values.csv").c_str()), 0);
    EXPECT_NE(std::strstr(r.error, "No such file"), nullptr) << r.error;
    EXPECT_EQ(RecordingActive(&r), 0);
    EXPECT_EQ(StartRecording(&r, VIEW_MEAS, ""), 0);
    // A folder in the target's place is not replaced.
    std::string folder = dir_ + "/taken";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    EXPECT_EQ(StartRecording(&r, VIEW_MEAS, folder.c_str()), 0);
    EXPECT_EQ(FilesInDir(), 1);
}

} // namespace

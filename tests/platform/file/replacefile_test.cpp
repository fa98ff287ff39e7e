// Replacing a file whole: every kind of target, refused and failing writes, streaming writers,
// temporary names, and full disks. After every case the folder holds no temporary file.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sched.h>
#include <sstream>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/file/replacefile.h"

#include "../../filetext.h"

namespace {

const std::string kOld = "old contents\r\n";
const std::string kNew = "new contents\r\nsecond line\r\n";

std::vector<std::string> Entries(const std::string &dir) {
    std::vector<std::string> names;
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

mode_t ModeOf(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class ReplaceFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kr7m-replace-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        oldMask = umask(022);
    }
    void TearDown() override {
        umask(oldMask);
        std::string cmd = "chmod -R u+rwx '" + dir + "' && rm -rf '" + dir + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
    }
    std::string Path(const std::string &name) const { return dir + "/" + name; }
    std::string dir;
    mode_t oldMask = 0;
};

TEST_F(ReplaceFileTest, Targets) {
    enum After { kNewFile, kOldFile, kAbsent, kUntouched };
    struct Case {
        const char *name;
        std::function<void(const std::string &dir)> prepare;
        const char *target; // relative to the test folder
        int result;
        const char *checked; // the file whose contents the case judges
        After after;
        mode_t mode; // of `checked` afterwards, 0: not judged
    };
    const Case cases[] = {
        {"regular file keeps its mode",
         [](const std::string &d) {
             Spit(d + "/a.KR7", kOld);
             chmod((d + "/a.KR7").c_str(), 0640);
         },
         "a.KR7", REPLACE_OK, "a.KR7", kNewFile, 0640},
        {"new file in an existing folder", [](const std::string &) {}, "b.KR7", REPLACE_OK, "b.KR7",
         kNewFile, 0644},
        {"missing folder", [](const std::string &) {}, "no/such/c.KR7", REPLACE_NO_FOLDER, "no",
         kAbsent, 0},
        {"a file where the folder should be", [](const std::string &d) { Spit(d + "/f", kOld); },
         "f/c.KR7", REPLACE_NO_FOLDER, "f", kOldFile, 0},
        {"folder", [](const std::string &d) { mkdir((d + "/sub").c_str(), 0755); }, "sub",
         REPLACE_NOT_A_FILE, "sub", kUntouched, 0},
        {"folder named with a slash",
         [](const std::string &d) { mkdir((d + "/sub").c_str(), 0755); }, "sub/",
         REPLACE_NOT_A_FILE, "sub", kUntouched, 0},
        // Opening a FIFO without a reader would block: it must not even be opened.
        {"FIFO", [](const std::string &d) { mkfifo((d + "/pipe.KR7").c_str(), 0644); }, "pipe.KR7",
         REPLACE_NOT_A_FILE, "pipe.KR7", kUntouched, 0},
        {"link to a device",
         [](const std::string &d) { symlink("/dev/null", (d + "/null.KR7").c_str()); }, "null.KR7",
         REPLACE_NOT_A_FILE, "null.KR7", kUntouched, 0},
        // Judged by the mode bits, so these hold for the super-user as well.
        {"read-only file",
         [](const std::string &d) {
             Spit(d + "/ro.KR7", kOld);
             chmod((d + "/ro.KR7").c_str(), 0444);
         },
         "ro.KR7", REPLACE_ACCESS_DENIED, "ro.KR7", kOldFile, 0444},
        {"file in a read-only folder",
         [](const std::string &d) {
             mkdir((d + "/rodir").c_str(), 0755);
             Spit(d + "/rodir/x.KR7", kOld);
             chmod((d + "/rodir").c_str(), 0555);
         },
         "rodir/x.KR7", REPLACE_ACCESS_DENIED, "rodir/x.KR7", kOldFile, 0644},
        {"new file in a read-only folder",
         [](const std::string &d) { mkdir((d + "/rodir").c_str(), 0555); }, "rodir/new.KR7",
         REPLACE_ACCESS_DENIED, "rodir/new.KR7", kAbsent, 0},
        {"link: the file it points to is replaced",
         [](const std::string &d) {
             Spit(d + "/real.KR7", kOld);
             chmod((d + "/real.KR7").c_str(), 0600);
             symlink("real.KR7", (d + "/link.KR7").c_str());
         },
         "link.KR7", REPLACE_OK, "real.KR7", kNewFile, 0600},
        {"link into another folder, relative",
         [](const std::string &d) {
             mkdir((d + "/sub").c_str(), 0755);
             Spit(d + "/real.KR7", kOld);
             symlink("../real.KR7", (d + "/sub/link.KR7").c_str());
         },
         "sub/link.KR7", REPLACE_OK, "real.KR7", kNewFile, 0644},
        {"link to a file not there yet",
         [](const std::string &d) { symlink("later.KR7", (d + "/dangling.KR7").c_str()); },
         "dangling.KR7", REPLACE_OK, "later.KR7", kNewFile, 0644},
        {"chain of links",
         [](const std::string &d) {
             Spit(d + "/end.KR7", kOld);
             symlink("end.KR7", (d + "/l1").c_str());
             symlink("l1", (d + "/l2").c_str());
         },
         "l2", REPLACE_OK, "end.KR7", kNewFile, 0644},
        {"links in a loop",
         [](const std::string &d) {
             symlink("loop2", (d + "/loop1").c_str());
             symlink("loop1", (d + "/loop2").c_str());
         },
         "loop1", REPLACE_ACCESS_DENIED, "loop2", kUntouched, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(std::system(("chmod -R u+rwx '" + dir + "' && rm -rf '" + dir + "'/*").c_str()),
                  0);
        c.prepare(dir);
        const std::vector<std::string> before = Entries(dir);
        const std::string checked = Path(c.checked);
        struct stat was {};
        lstat(checked.c_str(), &was);

        EXPECT_EQ(ReplaceFile_WithBuffer(Path(c.target).c_str(), kNew.data(), kNew.size(), nullptr),
                  c.result);
        const std::string why = ReplaceFile_LastErrorText();
        EXPECT_EQ(why.empty(), c.result == REPLACE_OK) << why;

        struct stat now {};
        const bool exists = lstat(checked.c_str(), &now) == 0;
        switch (c.after) {
        case kNewFile:
            EXPECT_EQ(Slurp(checked), kNew);
            break;
        case kOldFile:
            EXPECT_TRUE(exists);
            if (S_ISREG(now.st_mode)) {
                EXPECT_EQ(Slurp(checked), kOld);
            }
            break;
        case kAbsent:
            EXPECT_FALSE(exists);
            break;
        case kUntouched:
            EXPECT_TRUE(exists);
            EXPECT_EQ(now.st_mode, was.st_mode);
            EXPECT_EQ(now.st_ino, was.st_ino);
            break;
        }
        if (c.mode != 0) {
            EXPECT_EQ(ModeOf(checked), c.mode);
        }
        // Nothing but the file the case made (or the new one) is in the folder.
        std::vector<std::string> after = Entries(dir);
        if (c.after == kNewFile && after != before) {
            std::vector<std::string> expected = before;
            expected.push_back(c.checked);
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(after, expected);
        } else {
            EXPECT_EQ(after, before);
        }
        chmod(Path("rodir").c_str(), 0755);
        EXPECT_TRUE(Entries(Path("rodir")).size() <= 1) << "no temporary file in the folder";
    }
}

TEST_F(ReplaceFileTest, ArgumentsAndUmask) {
    EXPECT_EQ(ReplaceFile_WithBuffer(nullptr, "x", 1, nullptr), REPLACE_BAD_ARGUMENT);
    EXPECT_EQ(ReplaceFile_WithBuffer("", "x", 1, nullptr), REPLACE_BAD_ARGUMENT);
    EXPECT_EQ(ReplaceFile_WithBuffer(Path("x").c_str(), nullptr, 1, nullptr), REPLACE_BAD_ARGUMENT);
    EXPECT_EQ(ReplaceFile_Write(nullptr, "x", 1), REPLACE_BAD_ARGUMENT);
    EXPECT_EQ(ReplaceFile_Commit(nullptr), REPLACE_BAD_ARGUMENT);
    ReplaceFile_Abandon(nullptr);
    EXPECT_TRUE(Entries(dir).empty());

    struct Case {
        mode_t mask, mode;
    } masks[] = {{022, 0644}, {077, 0600}, {0, 0644}, {027, 0640}};
    for (const Case &c : masks) {
        umask(c.mask);
        const std::string path = Path("mask" + std::to_string(c.mask));
        EXPECT_EQ(ReplaceFile_WithBuffer(path.c_str(), "", 0, nullptr), REPLACE_OK);
        EXPECT_EQ(ModeOf(path), c.mode) << "umask " << c.mask;
        EXPECT_EQ(Slurp(path), "");
    }
    umask(022);
    // An empty buffer still replaces: the result is an empty file, not the old one.
    Spit(Path("emptied"), kOld);
    EXPECT_EQ(ReplaceFile_WithBuffer(Path("emptied").c_str(), nullptr, 0, nullptr), REPLACE_OK);
    EXPECT_EQ(Slurp(Path("emptied")), "");
}

TEST_F(ReplaceFileTest, StreamingWriterCommitsOrAbandons) {
    const std::string path = Path("log.txt");
    Spit(path, kOld);
    std::string expected;
    for (int i = 0; i < 20000; i++) expected += "record " + std::to_string(i) + "\t1.5\t2.5\r\n";

    struct Case {
        const char *name;
        bool commit;
        size_t chunk; // bytes per write; big chunks bypass the buffer
    } cases[] = {
        {"abandon after many lines", false, 23},
        {"commit line by line", true, 23},
        {"commit in chunks larger than the buffer", true, 100000},
        {"abandon before any write", false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Spit(path, kOld);
        int rc = 1;
        ReplaceFile rf = ReplaceFile_Open(path.c_str(), nullptr, &rc);
        ASSERT_NE(rf, nullptr);
        EXPECT_EQ(rc, REPLACE_OK);
        for (size_t at = 0; c.chunk > 0 && at < expected.size(); at += c.chunk) {
            ASSERT_EQ(ReplaceFile_Write(rf, expected.data() + at,
                                        std::min(c.chunk, expected.size() - at)),
                      REPLACE_OK);
            // Until the commit the target is the old file, whatever has been written.
            if (at == 0) {
                EXPECT_EQ(Slurp(path), kOld);
            }
        }
        if (c.commit) {
            EXPECT_EQ(ReplaceFile_Commit(rf), REPLACE_OK);
            EXPECT_EQ(Slurp(path), expected);
        } else {
            ReplaceFile_Abandon(rf);
            EXPECT_EQ(Slurp(path), kOld);
        }
        EXPECT_EQ(Entries(dir), std::vector<std::string>{"log.txt"});
    }
}

TEST_F(ReplaceFileTest, TargetChangedWhileWriting) {
    const std::string path = Path("rec.csv");
    Spit(path, kOld);
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);

    // A mode changed meanwhile is the one the new file gets.
    ReplaceFile rf = ReplaceFile_Open(path.c_str(), nullptr, nullptr);
    ASSERT_NE(rf, nullptr);
    ReplaceFile_WriteText(rf, kNew.c_str());
    ASSERT_EQ(chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(ReplaceFile_Commit(rf), REPLACE_OK);
    EXPECT_EQ(ModeOf(path), 0600u);

    // Neither a FIFO nor a folder put in its place is ever replaced.
    for (bool folder : {false, true}) {
        SCOPED_TRACE(folder ? "folder" : "FIFO");
        rf = ReplaceFile_Open(path.c_str(), nullptr, nullptr);
        ASSERT_NE(rf, nullptr);
        ReplaceFile_WriteText(rf, kNew.c_str());
        ASSERT_EQ(unlink(path.c_str()), 0);
        ASSERT_EQ(folder ? mkdir(path.c_str(), 0755) : mkfifo(path.c_str(), 0644), 0);
        EXPECT_EQ(ReplaceFile_Commit(rf), REPLACE_NOT_A_FILE);
        struct stat st;
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        EXPECT_TRUE(folder ? S_ISDIR(st.st_mode) : S_ISFIFO(st.st_mode));
        EXPECT_EQ(Entries(dir), std::vector<std::string>{"rec.csv"});
        ASSERT_EQ(folder ? rmdir(path.c_str()) : unlink(path.c_str()), 0);
        Spit(path, kOld);
    }
}

TEST_F(ReplaceFileTest, OwnerIsKept) {
    if (geteuid() != 0) GTEST_SKIP() << "only the super-user can hand a file to someone else";
    const std::string path = Path("owned.ini");
    Spit(path, kOld);
    ASSERT_EQ(chown(path.c_str(), 4321, 4322), 0);
    ASSERT_EQ(chmod(path.c_str(), 0664), 0);
    ASSERT_EQ(ReplaceFile_WithBuffer(path.c_str(), kNew.data(), kNew.size(), nullptr), 0);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
}

TEST_F(ReplaceFileTest, TemporaryNames) {
    const std::string path = Path("KR7M.ini");
    Spit(path, kOld);
    const ReplaceOptions ini = {"ini$$", ".TMP", 1000};
    // A temporary file left by an earlier crash is skipped, not overwritten.
    Spit(Path("ini$$0.TMP"), "leftover");
    ASSERT_EQ(ReplaceFile_WithBuffer(path.c_str(), kNew.data(), kNew.size(), &ini), REPLACE_OK);
    EXPECT_EQ(Slurp(Path("ini$$0.TMP")), "leftover");
    EXPECT_EQ(Slurp(path), kNew);

    // The name is free until the commit; the default names follow the target's name.
    ReplaceFile rf = ReplaceFile_Open(path.c_str(), nullptr, nullptr);
    ASSERT_NE(rf, nullptr);
    EXPECT_EQ(Entries(dir),
              (std::vector<std::string>{".KR7M.ini.0.tmp", "KR7M.ini", "ini$$0.TMP"}));
    ReplaceFile_Abandon(rf);

    for (int i = 1; i < 1000; ++i) Spit(Path("ini$$" + std::to_string(i) + ".TMP"), "");
    EXPECT_EQ(ReplaceFile_WithBuffer(path.c_str(), kOld.data(), kOld.size(), &ini),
              REPLACE_NO_TEMP_NAME);
    EXPECT_EQ(Slurp(path), kNew);
    EXPECT_EQ(Entries(dir).size(), 1001u);

    // A target name too long to fit a temporary name still gets one.
    const std::string longName = Path(std::string(250, 'n'));
    EXPECT_EQ(ReplaceFile_WithBuffer(longName.c_str(), kNew.data(), kNew.size(), nullptr),
              REPLACE_OK);
    EXPECT_EQ(Slurp(longName), kNew);
}

// Runs `body` in a child process, so that limits and mounts stay there; returns its exit code.
int InChild(const std::function<int()> &body) {
    pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

TEST_F(ReplaceFileTest, FullDiskLeavesTheOldFile) {
    std::string big(300000, 'x');
    struct Case {
        const char *name;
        int expected; // exit code of the child: the result negated; 99 = cannot simulate
    } cases[] = {
        // A file-size limit makes the write fail part-way (EFBIG: a general write failure).
        {"file size limit", -REPLACE_IO},
        // A small file system of its own, in a mount namespace of the child: a real ENOSPC.
        {"full file system", -REPLACE_DISK_FULL},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string sub = Path("disk");
        mkdir(sub.c_str(), 0755);
        const std::string path = sub + "/full.KR7";
        const bool tmpfs = c.expected == -REPLACE_DISK_FULL;
        int code = InChild([&] {
            if (tmpfs) {
                if (unshare(CLONE_NEWNS) != 0 ||
                    mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                    mount("tmpfs", sub.c_str(), "tmpfs", 0, "size=64k") != 0)
                    return 99;
                Spit(path, kOld);
            } else {
                Spit(path, kOld);
                signal(SIGXFSZ, SIG_IGN);
                struct rlimit lim = {100000, 100000};
                setrlimit(RLIMIT_FSIZE, &lim);
            }
            ReplaceFile rf = ReplaceFile_Open(path.c_str(), nullptr, nullptr);
            if (rf == nullptr) return 98;
            int first = 0;
            for (int i = 0; i < 4; i++) {
                int rc = ReplaceFile_Write(rf, big.data(), big.size());
                if (first == 0) first = rc;
                if (rc != first) return 97; // a failure sticks
            }
            int rc = ReplaceFile_Commit(rf);
            if (rc != first) return 96;
            if (Slurp(path) != kOld || Entries(sub).size() != 1) return 95;
            return -rc;
        });
        if (code == 99) {
            std::printf("[  SKIPPED ] %s: no private mount here\n", c.name);
            continue;
        }
        EXPECT_EQ(code, c.expected);
        std::system(("rm -rf '" + sub + "'").c_str());
    }
}

TEST_F(ReplaceFileTest, KilledWriterLeavesOldOrNewFile) {
    const std::string path = Path("killed.txt");
    const std::string a(200000, 'a'), b(300000, 'b');
    ASSERT_EQ(ReplaceFile_WithBuffer(path.c_str(), a.data(), a.size(), nullptr), REPLACE_OK);
    unsigned seed = 4711;
    for (int round = 0; round < 15; ++round) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int i = 0;; ++i) {
                const std::string &s = i % 2 ? a : b;
                ReplaceFile_WithBuffer(path.c_str(), s.data(), s.size(), nullptr);
            }
        }
        usleep(2000 + rand_r(&seed) % 20000);
        ASSERT_EQ(kill(pid, SIGKILL), 0);
        ASSERT_EQ(waitpid(pid, nullptr, 0), pid);
        const std::string now = Slurp(path);
        ASSERT_TRUE(now == a || now == b) << "round " << round << ": " << now.size();
    }
}

// A growing file (a recording): placed over the target with its first line, then every flushed
// line is in the target at once, whatever ends the writer.
TEST_F(ReplaceFileTest, PlacedFileGrowsInTheTarget) {
    const std::string path = Path("rec.csv");
    struct Case {
        const char *name;
        bool existed;
        int rows;
        bool commit; // false: abandoned after the rows
    } cases[] = {
        {"new file, committed", false, 5, true},
        {"older file replaced at once, committed", true, 3, true},
        {"abandoned after the rows keeps them", true, 4, false},
        {"placed with the header only", false, 0, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        unlink(path.c_str());
        if (c.existed) Spit(path, kOld);
        ReplaceFile rf = ReplaceFile_Open(path.c_str(), nullptr, nullptr);
        ASSERT_NE(rf, nullptr);
        std::string expected = "Time,P [W]\n";
        ASSERT_EQ(ReplaceFile_WriteText(rf, expected.c_str()), REPLACE_OK);
        EXPECT_EQ(Slurp(path), c.existed ? kOld : "") << "nothing changes before the place";
        ASSERT_EQ(ReplaceFile_Place(rf), REPLACE_OK);
        EXPECT_EQ(ReplaceFile_Place(rf), REPLACE_OK) << "a second place does nothing";
        EXPECT_EQ(Slurp(path), expected);
        EXPECT_EQ(Entries(dir), std::vector<std::string>{"rec.csv"}) << "no temporary file";
        for (int i = 0; i < c.rows; i++) {
            std::string row = "2024-05-03T14:02:1" + std::to_string(i) + ",1500.5\n";
            ASSERT_EQ(ReplaceFile_WriteText(rf, row.c_str()), REPLACE_OK);
            expected += row;
            ASSERT_EQ(ReplaceFile_Flush(rf), REPLACE_OK);
            EXPECT_EQ(Slurp(path), expected) << "row " << i << " is in the target once flushed";
        }
        if (c.commit)
            EXPECT_EQ(ReplaceFile_Commit(rf), REPLACE_OK);
        else
            ReplaceFile_Abandon(rf);
        EXPECT_EQ(Slurp(path), expected);
        EXPECT_EQ(ModeOf(path), 0644u);
        EXPECT_EQ(Entries(dir), std::vector<std::string>{"rec.csv"});
    }
    EXPECT_EQ(ReplaceFile_Place(nullptr), REPLACE_BAD_ARGUMENT);
    EXPECT_EQ(ReplaceFile_Flush(nullptr), REPLACE_BAD_ARGUMENT);
}

TEST_F(ReplaceFileTest, GrowingFileSurvivesItsWriter) {
    struct Case {
        const char *name;
        bool tmpfs; // a small file system that fills up; otherwise the writer is killed
    } cases[] = {
        {"killed writer keeps every flushed row", false},
        {"full disk keeps whole rows only", true},
    };
    const std::string row(100, 'r');
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string sub = Path("grow");
        mkdir(sub.c_str(), 0755);
        const std::string path = sub + "/rec.csv";
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(ready[0]);
            if (c.tmpfs && (unshare(CLONE_NEWNS) != 0 ||
                            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                            mount("tmpfs", sub.c_str(), "tmpfs", 0, "size=64k") != 0))
                _exit(99);
            ReplaceFile rf = ReplaceFile_Open(path.c_str(), nullptr, nullptr);
            if (rf == nullptr || ReplaceFile_WriteText(rf, "head\n") != 0 ||
                ReplaceFile_Place(rf) != 0)
                _exit(98);
            int rows = 0;
            for (;; rows++) {
                ReplaceFile_WriteText(rf, (row + "\n").c_str());
                int rc = ReplaceFile_Flush(rf);
                if (rc != 0) {
                    if (rc != REPLACE_DISK_FULL) _exit(97);
                    if (ReplaceFile_Flush(rf) != rc) _exit(96); // the failure sticks
                    break;
                }
                if (!c.tmpfs && rows == 50) {
                    static_cast<void>(write(ready[1], "x", 1));
                    pause(); // killed here, the file never committed
                }
            }
            // Seen from inside the namespace: only whole rows, every flushed one.
            const std::string now = Slurp(path);
            if (now.size() != 5 + rows * (row.size() + 1)) _exit(95);
            ReplaceFile_Abandon(rf);
            _exit(0);
        }
        close(ready[1]);
        if (!c.tmpfs) {
            char x;
            ASSERT_EQ(read(ready[0], &x, 1), 1);
            ASSERT_EQ(kill(pid, SIGKILL), 0);
        }
        close(ready[0]);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        if (c.tmpfs) {
            ASSERT_TRUE(WIFEXITED(status));
            if (WEXITSTATUS(status) == 99) {
                std::printf("[  SKIPPED ] %s: no private mount here\n", c.name);
                continue;
            }
            EXPECT_EQ(WEXITSTATUS(status), 0);
        } else {
            std::string expected = "head\n";
            for (int i = 0; i <= 50; i++) expected += row + "\n";
            EXPECT_EQ(Slurp(path), expected);
            EXPECT_EQ(Entries(sub), std::vector<std::string>{"rec.csv"});
        }
        std::system(("rm -rf '" + sub + "'").c_str());
    }
}

} // namespace

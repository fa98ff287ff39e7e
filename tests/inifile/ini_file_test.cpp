// INI files on disk: CR LF text, the replace-only-when-complete write, refused and failing writes.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "inifile/inifile.h"

#include "../filetext.h"

namespace {

int CountTempFiles(const std::string &dir) {
    int n = 0;
    for (int i = 0; i < 1000; ++i)
        if (access((dir + "/ini$$" + std::to_string(i) + ".TMP").c_str(), F_OK) == 0) ++n;
    return n;
}

class IniFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kr7m-ini-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        path = dir + "/test.ini";
    }
    void TearDown() override {
        chmod(dir.c_str(), 0755);
        std::string cmd = "rm -rf '" + dir + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
    }
    // A sorted document of n items, values tagged so two versions differ throughout.
    static IniDoc Document(int n, const char *tag) {
        IniDoc ini = Ini_New(1);
        for (int i = 0; i < n; ++i) {
            std::string sec = "Section" + std::to_string(i % 10);
            std::string key = "Key" + std::to_string(i);
            Ini_PutString(ini, sec.c_str(), key.c_str(), (std::string(tag) + "-" + key).c_str());
        }
        return ini;
    }
    std::string dir, path;
};

// A large file (lines across every block edge, values long enough to be cut into many pieces,
// mixed line ends) reads alike from the file, from memory and through a line source, in both
// orders; edits of what was read and copies that outlive the document stay sound.
TEST_F(IniFile, LargeFilesReadAlikeFromEverySource) {
    std::string text, longValue;
    for (int i = 0; i < 40000; ++i) longValue += char('a' + i % 26);
    const char *ends[] = {"\r\n", "\n", "\r", "\n\r"};
    for (int s = 0; s < 60; ++s) {
        text += "[Sec" + std::to_string(59 - s) + "]" + ends[s % 4];
        for (int i = 0; i < 120; ++i)
            text += "Key" + std::to_string(119 - i) + " = v" + std::to_string(s * 1000 + i) +
                    std::string(size_t(i % 40), '.') + ends[i % 4];
        if (s == 7) {
            IniDoc one = Ini_New(0);
            ASSERT_EQ(Ini_PutRawString(one, "X", "Long", longValue.c_str()), 0);
            std::string piece;
            Ini_WriteGeneric(
                one,
                [](void *d, const char *line) {
                    std::string l = line;
                    if (l.rfind("Long", 0) == 0) *static_cast<std::string *>(d) += l + "\r\n";
                    return 0;
                },
                &piece);
            Ini_Dispose(one);
            text += piece;
        }
    }
    Spit(path, text);
    for (int sorted : {0, 1}) {
        SCOPED_TRACE(sorted ? "sorted" : "as read");
        IniDoc fromFile = Ini_New(sorted), fromMemory = Ini_New(sorted), generic = Ini_New(sorted);
        ASSERT_EQ(Ini_ReadFromFile(fromFile, path.c_str()), 0);
        ASSERT_EQ(Ini_ReadFromMemory(fromMemory, text.data(), text.size()), 0);
        FILE *f = std::fopen(path.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        LineFile lf = LineFile_New(nullptr, f);
        ASSERT_EQ(Ini_ReadGeneric(generic, Ini_LineFileSource, lf), 0);
        LineFile_Dispose(lf);
        std::fclose(f);

        std::string out[3];
        IniDoc docs[3] = {fromFile, fromMemory, generic};
        for (int d = 0; d < 3; ++d)
            Ini_WriteGeneric(
                docs[d],
                [](void *o, const char *line) {
                    *static_cast<std::string *>(o) += std::string(line) + "\n";
                    return 0;
                },
                &out[d]);
        EXPECT_EQ(out[0], out[1]);
        EXPECT_EQ(out[0], out[2]);
        EXPECT_EQ(Ini_NumberOfSections(fromFile), 60);
        EXPECT_EQ(Ini_NumberOfItems(fromFile, "Sec52"), 121);
        const char *v = nullptr;
        ASSERT_EQ(Ini_GetPointerToRawString(fromFile, "sec52", "LONG", &v), 1);
        EXPECT_EQ(std::string(v), longValue);
        ASSERT_EQ(Ini_GetPointerToRawString(fromFile, "Sec0", "Key3", &v), 1);
        EXPECT_EQ(std::string(v), "v59116" + std::string(36, '.'));
        const char *name = nullptr;
        ASSERT_EQ(Ini_NthItemName(fromFile, "Sec0", 1, &name), 1);
        EXPECT_STREQ(name, sorted ? "Key0" : "Key119");

        // Replace, remove and copy items that came from the file, then drop the document.
        ASSERT_EQ(Ini_PutInt(fromFile, "Sec0", "Key3", 7), 0);
        EXPECT_EQ(Ini_RemoveItem(fromFile, "Sec0", "Key4"), 1);
        EXPECT_EQ(Ini_RemoveSection(fromFile, "Sec1"), 1);
        IniDoc copy = Ini_New(0);
        ASSERT_EQ(Ini_CopySection(fromFile, nullptr, copy, 1), 0);
        for (IniDoc d : docs) Ini_Dispose(d);
        int k = 0;
        EXPECT_EQ(Ini_GetInt(copy, "Sec0", "Key3", &k), 1);
        EXPECT_EQ(k, 7);
        EXPECT_EQ(Ini_ItemExists(copy, "Sec0", "Key4"), 0);
        EXPECT_EQ(Ini_SectionExists(copy, "Sec1"), 0);
        EXPECT_EQ(Ini_NumberOfItems(copy, "Sec0"), 119);
        ASSERT_EQ(Ini_GetPointerToRawString(copy, "Sec52", "Long", &v), 1);
        EXPECT_EQ(std::string(v), longValue);
        Ini_Dispose(copy);
    }
}

TEST_F(IniFile, WritesCrLfAndReadsBack) {
    IniDoc ini = Ini_New(1);
    Ini_PutInt(ini, "Options", "Language", 1);
    Ini_PutInt(ini, "Interface", "COMPort", 1);
    Ini_PutInt(ini, "Interface", "Baudrate", 3);
    ASSERT_EQ(Ini_WriteToFile(ini, path.c_str()), 0);
    EXPECT_EQ(Slurp(path), "[Interface]\r\nBaudrate = 3\r\nCOMPort = 1\r\n\r\n"
                           "[Options]\r\nLanguage = 1\r\n\r\n");
    IniDoc back = Ini_New(0);
    ASSERT_EQ(Ini_ReadFromFile(back, path.c_str()), 0);
    int v = 0;
    EXPECT_EQ(Ini_GetInt(back, "options", "language", &v), 1);
    EXPECT_EQ(v, 1);
    EXPECT_EQ(Ini_LineOfLastAccess(back), 6);
    // Reading again appends the file's sections.
    ASSERT_EQ(Ini_ReadFromFile(back, path.c_str()), 0);
    EXPECT_EQ(Ini_NumberOfSections(back), 4);
    EXPECT_EQ(CountTempFiles(dir), 0);
    EXPECT_EQ(Ini_ReadFromFile(back, (dir + "/missing.ini").c_str()), INI_ERR_OPEN_READ);
    EXPECT_EQ(Ini_ReadFromFile(back, dir.c_str()), INI_ERR_READ);
    EXPECT_EQ(Ini_NumberOfSections(back), 4);
    Ini_Dispose(back);
    Ini_Dispose(ini);
}

TEST_F(IniFile, RefusedWritesLeaveTheTargetAlone) {
    IniDoc ini = Document(5, "new");
    struct Case {
        const char *name;
        mode_t fileMode; // 0: no file
        mode_t dirMode;
        int rc;
    };
    // Judged by the mode bits, so these hold for the super-user as well.
    const Case cases[] = {
        {"read-only file", 0444, 0755, INI_ERR_ACCESS_DENIED},
        {"read-only file, writable folder", 0400, 0777, INI_ERR_ACCESS_DENIED},
        {"new file in a read-only folder", 0, 0555, INI_ERR_ACCESS_DENIED},
        {"writable file in a read-only folder", 0644, 0555, INI_ERR_ACCESS_DENIED},
        {"writable", 0640, 0755, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
        unlink(path.c_str());
        if (c.fileMode != 0) {
            Spit(path, "old contents\r\n");
            ASSERT_EQ(chmod(path.c_str(), c.fileMode), 0);
        }
        ASSERT_EQ(chmod(dir.c_str(), c.dirMode), 0);
        EXPECT_EQ(Ini_WriteToFile(ini, path.c_str()), c.rc);
        ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
        struct stat st;
        if (c.rc == 0) {
            ASSERT_EQ(stat(path.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, c.fileMode); // the new file keeps the old mode
            EXPECT_NE(Slurp(path).find("Key1 = \"new-Key1\""), std::string::npos);
        } else if (c.fileMode != 0) {
            EXPECT_EQ(Slurp(path), "old contents\r\n");
        } else {
            EXPECT_NE(stat(path.c_str(), &st), 0);
        }
        EXPECT_EQ(CountTempFiles(dir), 0);
    }
    // Targets that cannot be written for other reasons than permissions; a named pipe (like a
    // device) must not even be opened, which could block.
    std::string sub = dir + "/sub", fifo = dir + "/pipe.ini";
    ASSERT_EQ(mkdir(sub.c_str(), 0755), 0);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    for (const std::string &target : {dir + "/no/such/folder.ini", sub, fifo}) {
        SCOPED_TRACE(target);
        EXPECT_EQ(Ini_WriteToFile(ini, target.c_str()), INI_ERR_ACCESS_DENIED);
        EXPECT_EQ(CountTempFiles(dir), 0);
    }
    struct stat st;
    ASSERT_EQ(stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    Ini_Dispose(ini);
}

TEST_F(IniFile, TemporaryNames) {
    IniDoc ini = Document(3, "x");
    // A temporary file left by an earlier crash is skipped, not overwritten.
    Spit(dir + "/ini$$0.TMP", "leftover");
    ASSERT_EQ(Ini_WriteToFile(ini, path.c_str()), 0);
    EXPECT_EQ(Slurp(dir + "/ini$$0.TMP"), "leftover");
    for (int i = 1; i < 1000; ++i) Spit(dir + "/ini$$" + std::to_string(i) + ".TMP", "");
    std::string before = Slurp(path);
    EXPECT_EQ(Ini_WriteToFile(ini, path.c_str()), INI_ERR_NO_TEMP_NAME);
    EXPECT_EQ(Slurp(path), before);
    Ini_Dispose(ini);
}

TEST_F(IniFile, SymbolicLinkKeepsPointingAtTheNewFile) {
    std::string real = dir + "/real.ini";
    Spit(real, "[A]\r\n");
    ASSERT_EQ(symlink(real.c_str(), path.c_str()), 0);
    IniDoc ini = Document(2, "v");
    ASSERT_EQ(Ini_WriteToFile(ini, path.c_str()), 0);
    struct stat st;
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_NE(Slurp(real).find("v-Key1"), std::string::npos);
    Ini_Dispose(ini);
}

TEST_F(IniFile, FullDiskLeavesTheOldFile) {
    IniDoc small = Document(3, "old");
    ASSERT_EQ(Ini_WriteToFile(small, path.c_str()), 0);
    std::string before = Slurp(path);
    IniDoc big = Document(20000, "new");
    // A file-size limit makes the write fail part-way, as a full disk does. In a child, so the
    // limit does not reach the rest of the tests.
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit lim = {100000, 100000};
        setrlimit(RLIMIT_FSIZE, &lim);
        _exit(-Ini_WriteToFile(big, path.c_str()) % 256);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), -INI_ERR_IO % 256); // EFBIG: a general write error
    EXPECT_EQ(Slurp(path), before);
    EXPECT_EQ(CountTempFiles(dir), 0);
    Ini_Dispose(big);
    Ini_Dispose(small);
}

TEST_F(IniFile, KilledWriterLeavesOldOrNewFile) {
    IniDoc a = Document(4000, "aaaa");
    IniDoc b = Document(4000, "bbbbbbbb");
    ASSERT_EQ(Ini_WriteToFile(a, path.c_str()), 0);
    const std::string textA = Slurp(path);
    ASSERT_EQ(Ini_WriteToFile(b, path.c_str()), 0);
    const std::string textB = Slurp(path);
    ASSERT_NE(textA, textB);
    unsigned seed = 12345;
    int sawA = 0, sawB = 0;
    for (int round = 0; round < 25; ++round) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int i = 0;; ++i) Ini_WriteToFile(i % 2 ? a : b, path.c_str());
        }
        usleep(2000 + rand_r(&seed) % 30000);
        ASSERT_EQ(kill(pid, SIGKILL), 0);
        ASSERT_EQ(waitpid(pid, nullptr, 0), pid);
        std::string now = Slurp(path);
        ASSERT_TRUE(now == textA || now == textB) << "round " << round << ": " << now.size();
        (now == textA ? sawA : sawB)++;
    }
    EXPECT_GT(sawA + sawB, 0);
    Ini_Dispose(a);
    Ini_Dispose(b);
}

} // namespace

// Line reader: line ends, long lines, counters, and sources that fail or deliver little.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inifile/linefile.h"

namespace {

struct Source {
    std::string bytes;
    size_t pos = 0;
    size_t chunk = 1 << 20; // largest delivery per call
    long failAt = -1;       // byte position at which the source reports an error
};

int ReadSource(void *data, int maxBytes, int *bytesRead, char *buffer) {
    auto *s = static_cast<Source *>(data);
    *bytesRead = 0;
    if (s->failAt >= 0 && s->pos >= static_cast<size_t>(s->failAt)) return INI_ERR_READ;
    size_t n = std::min({s->bytes.size() - s->pos, static_cast<size_t>(maxBytes), s->chunk});
    if (s->failAt >= 0) n = std::min(n, static_cast<size_t>(s->failAt) - s->pos);
    s->bytes.copy(buffer, n, s->pos);
    s->pos += n;
    *bytesRead = static_cast<int>(n);
    return 0;
}

std::vector<std::string> AllLines(const std::string &bytes, bool nonEmpty, size_t chunk,
                                  int maxChars = 255) {
    Source src{bytes};
    src.chunk = chunk;
    LineFile lf = LineFile_New(ReadSource, &src);
    std::vector<std::string> lines;
    std::vector<char> buf(static_cast<size_t>(maxChars) + 1);
    for (int guard = 0; guard < 10000; ++guard) {
        int eof = 0, n = -1;
        int rc = nonEmpty ? LineFile_ReadNonEmpty(lf, buf.data(), maxChars, &n, &eof)
                          : LineFile_Read(lf, buf.data(), maxChars, &n, &eof);
        EXPECT_EQ(rc, 0);
        if (eof) {
            EXPECT_EQ(n, 0);
            break;
        }
        EXPECT_EQ(static_cast<size_t>(n), std::string(buf.data()).size());
        lines.push_back(buf.data());
    }
    LineFile_Dispose(lf);
    return lines;
}

using Lines = std::vector<std::string>;

TEST(LineFile, LineEndsAndBlankLines) {
    struct Case {
        const char *name;
        std::string bytes;
        Lines all;      // LineFile_Read
        Lines nonEmpty; // LineFile_ReadNonEmpty
    };
    const Case cases[] = {
        {"crlf", "ab\r\ncd\r\n", {"ab", "cd"}, {"ab", "cd"}},
        {"lfcr", "ab\n\rcd\n\r", {"ab", "cd"}, {"ab", "cd"}},
        {"cr", "ab\rcd\r", {"ab", "cd"}, {"ab", "cd"}},
        {"lf", "ab\ncd\n", {"ab", "cd"}, {"ab", "cd"}},
        {"lf lf gives an empty line", "ab\n\ncd", {"ab", "", "cd"}, {"ab", "cd"}},
        {"cr cr gives an empty line", "ab\r\rcd", {"ab", "", "cd"}, {"ab", "cd"}},
        {"crlf crlf", "ab\r\n\r\ncd", {"ab", "", "cd"}, {"ab", "cd"}},
        {"leading lf skipped", "\nab", {"ab"}, {"ab"}},
        {"leading cr skipped", "\r\nab", {"", "ab"}, {"ab"}},
        {"nul ends a line", std::string("ab\0cd", 5), {"ab", "cd"}, {"ab", "cd"}},
        {"no final line end", "ab\ncd", {"ab", "cd"}, {"ab", "cd"}},
        {"blank lines", "a\n \t \n\nb\n", {"a", " \t ", "", "b"}, {"a", "b"}},
        {"empty", "", {}, {}},
        {"only line ends", "\n\n\n", {"", ""}, {}},
    };
    for (const Case &c : cases) {
        for (size_t chunk : {size_t(1), size_t(3), size_t(4096)}) {
            SCOPED_TRACE(std::string(c.name) + " chunk " + std::to_string(chunk));
            EXPECT_EQ(AllLines(c.bytes, false, chunk), c.all);
            EXPECT_EQ(AllLines(c.bytes, true, chunk), c.nonEmpty);
        }
    }
}

TEST(LineFile, LongLineIsCutAndConsumed) {
    std::string bytes = std::string(300, 'x') + "\nnext\n";
    Lines lines = AllLines(bytes, false, 7);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(255, 'x'));
    EXPECT_EQ(lines[1], "next");
    // Lines longer than the 2048-byte block still come out whole up to the limit.
    bytes = std::string(5000, 'y') + "\r\nz";
    lines = AllLines(bytes, false, 4096, 4999);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(4999, 'y'));
    EXPECT_EQ(lines[1], "z");
}

TEST(LineFile, Counters) {
    Source src{"ab\r\ncd\n\n \nef"};
    LineFile lf = LineFile_New(ReadSource, &src);
    char buf[256];
    int eof = 0;
    EXPECT_EQ(LineFile_OffsetOfLastLine(lf), -1);
    ASSERT_EQ(LineFile_Read(lf, buf, 255, nullptr, &eof), 0);
    EXPECT_STREQ(buf, "ab");
    EXPECT_EQ(LineFile_OffsetOfLastLine(lf), 0);
    ASSERT_EQ(LineFile_Read(lf, buf, 255, nullptr, &eof), 0);
    EXPECT_STREQ(buf, "cd");
    EXPECT_EQ(LineFile_OffsetOfLastLine(lf), 4);
    EXPECT_EQ(LineFile_NumExtraLineTermChars(lf), 1);
    EXPECT_EQ(LineFile_NumLinesRead(lf), 2);
    // "\n" (empty line) and " \n" are skipped: 0 + 1 and 1 + 1 characters.
    ASSERT_EQ(LineFile_ReadNonEmpty(lf, buf, 255, nullptr, &eof), 0);
    EXPECT_STREQ(buf, "ef");
    EXPECT_EQ(LineFile_NumCharsInEmptyLines(lf), 3);
    EXPECT_EQ(LineFile_OffsetOfLastLine(lf), 10);
    EXPECT_EQ(LineFile_NumLinesRead(lf), 5); // the last line counts without a line end
    ASSERT_EQ(LineFile_Read(lf, buf, 255, nullptr, &eof), 0);
    EXPECT_EQ(eof, 1);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(LineFile_NumLinesRead(lf), 5);
    LineFile_Dispose(lf);
}

TEST(LineFile, SourceErrorsAndBadArguments) {
    Source src{"first\nsecond line\n"};
    src.failAt = 9; // inside "second"
    src.chunk = 4;
    LineFile lf = LineFile_New(ReadSource, &src);
    char buf[256];
    int eof = 0;
    ASSERT_EQ(LineFile_Read(lf, buf, 255, nullptr, &eof), 0);
    EXPECT_STREQ(buf, "first");
    EXPECT_EQ(LineFile_Read(lf, buf, 255, nullptr, &eof), INI_ERR_READ);
    EXPECT_STREQ(buf, "sec"); // what came before the failure, terminated
    EXPECT_EQ(LineFile_ReadNonEmpty(lf, buf, 255, nullptr, &eof), INI_ERR_READ);

    EXPECT_EQ(LineFile_Read(lf, buf, 255, nullptr, nullptr), INI_ERR_NULL_ARGUMENT);
    EXPECT_EQ(LineFile_Read(nullptr, buf, 255, nullptr, &eof), INI_ERR_NULL_ARGUMENT);
    EXPECT_EQ(LineFile_ReadNonEmpty(nullptr, buf, 255, nullptr, &eof), INI_ERR_NULL_ARGUMENT);
    LineFile_Dispose(lf);
}

TEST(LineFile, ReadsFromAStdioStream) {
    FILE *f = tmpfile();
    ASSERT_NE(f, nullptr);
    std::string text;
    for (int i = 0; i < 1000; ++i) text += "line " + std::to_string(i) + "\r\n";
    ASSERT_EQ(fwrite(text.data(), 1, text.size(), f), text.size());
    rewind(f);
    LineFile lf = LineFile_New(nullptr, f);
    char buf[256];
    int eof = 0, count = 0;
    while (LineFile_Read(lf, buf, 255, nullptr, &eof) == 0 && !eof) {
        ASSERT_EQ(std::string(buf), "line " + std::to_string(count));
        ++count;
    }
    EXPECT_EQ(count, 1000);
    LineFile_Dispose(lf);
    fclose(f);
}

} // namespace

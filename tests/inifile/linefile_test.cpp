// Line reader: line ends, long lines, counters, and a source that fails part-way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inifile/linefile.h"

namespace {

struct Source {
    std::string bytes;
    size_t pos = 0;
    size_t chunk = 1 << 20; // largest delivery per call: lines must span block refills
    size_t failAt = std::string::npos;
};

int ReadSource(void *data, int maxBytes, int *bytesRead, char *buffer) {
    auto *s = static_cast<Source *>(data);
    *bytesRead = 0;
    if (s->pos >= s->failAt) return INI_ERR_READ;
    size_t n = std::min({s->bytes.size() - s->pos, size_t(maxBytes), s->chunk, s->failAt - s->pos});
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
    std::vector<char> buf(size_t(maxChars) + 1);
    for (int eof = 0, n = 0; lines.size() < 100;) {
        int rc = nonEmpty ? LineFile_ReadNonEmpty(lf, buf.data(), maxChars, &n, &eof)
                          : LineFile_Read(lf, buf.data(), maxChars, &n, &eof);
        EXPECT_EQ(rc, 0);
        if (eof) break;
        EXPECT_EQ(size_t(n), std::string(buf.data()).size());
        lines.push_back(buf.data());
    }
    LineFile_Dispose(lf);
    return lines;
}

using Lines = std::vector<std::string>;

TEST(LineFile, LineEndsAndBlankLines) {
    struct Case {
        std::string bytes;
        Lines all, nonEmpty; // from LineFile_Read and from LineFile_ReadNonEmpty
    };
    const Case cases[] = {
        {"ab\r\ncd\r\n", {"ab", "cd"}, {"ab", "cd"}},
        {"ab\n\rcd\n\r", {"ab", "cd"}, {"ab", "cd"}},
        {"ab\rcd\r", {"ab", "cd"}, {"ab", "cd"}},
        {"ab\ncd", {"ab", "cd"}, {"ab", "cd"}}, // last line without a line end
        {"ab\n\ncd", {"ab", "", "cd"}, {"ab", "cd"}},
        {"ab\r\rcd", {"ab", "", "cd"}, {"ab", "cd"}},
        {"ab\r\n\r\ncd", {"ab", "", "cd"}, {"ab", "cd"}},
        {"\nab", {"ab"}, {"ab"}}, // a leading line end is the second half of a pair
        {"\r\nab", {"", "ab"}, {"ab"}},
        {std::string("ab\0cd", 5), {"ab", "cd"}, {"ab", "cd"}},
        {"a\n \t \n\nb\n", {"a", " \t ", "", "b"}, {"a", "b"}},
        {"\n\n\n", {"", ""}, {}},
        {"", {}, {}},
    };
    for (const Case &c : cases) {
        for (size_t chunk : {size_t(1), size_t(3), size_t(4096)}) {
            SCOPED_TRACE(::testing::PrintToString(c.bytes) + " chunk " + std::to_string(chunk));
            EXPECT_EQ(AllLines(c.bytes, false, chunk), c.all);
            EXPECT_EQ(AllLines(c.bytes, true, chunk), c.nonEmpty);
        }
    }
}

TEST(LineFile, LongLineIsCutAndConsumed) {
    EXPECT_EQ(AllLines(std::string(300, 'x') + "\nnext\n", false, 7),
              Lines({std::string(255, 'x'), "next"}));
    // Longer than the 2048-byte block.
    EXPECT_EQ(AllLines(std::string(5000, 'y') + "\r\nz", false, 4096, 4999),
              Lines({std::string(4999, 'y'), "z"}));
}

// Lines, line-end pairs and NUL ends that fall on the reader's block edges, whatever the block
// size: the offsets of the lines after them must still count every byte once.
TEST(LineFile, LineEndsOnBlockEdges) {
    for (size_t edge : {size_t(2048), size_t(4096), size_t(32768), size_t(65536)}) {
        for (size_t k = edge - 3; k <= edge + 1; ++k) {
            SCOPED_TRACE("line of " + std::to_string(k));
            Source src{std::string(k, 'a') + "\r\n" + "b\n\rc" + std::string(1, '\0') + "d"};
            LineFile lf = LineFile_New(ReadSource, &src);
            char buf[256];
            int eof = 0, n = 0;
            struct Want {
                std::string text;
                long offset;
                int extra;
            };
            const Want want[] = {{std::string(255, 'a'), 0, 0},
                                 {"b", long(k) + 2, 1},
                                 {"c", long(k) + 5, 1},
                                 {"d", long(k) + 7, 0}};
            for (const Want &w : want) {
                ASSERT_EQ(LineFile_Read(lf, buf, 255, &n, &eof), 0);
                ASSERT_EQ(eof, 0);
                EXPECT_EQ(std::string(buf), w.text);
                EXPECT_EQ(n, int(w.text.size()));
                EXPECT_EQ(LineFile_OffsetOfLastLine(lf), w.offset);
                EXPECT_EQ(LineFile_NumExtraLineTermChars(lf), w.extra);
            }
            ASSERT_EQ(LineFile_Read(lf, buf, 255, &n, &eof), 0);
            EXPECT_EQ(eof, 1);
            EXPECT_EQ(LineFile_NumLinesRead(lf), 4);
            LineFile_Dispose(lf);
        }
    }
}

// The in-place reader hands out the same lines as the copying one, whether a line lies in one
// block or spans refills, and whether it is cut or not.
TEST(LineFile, InPlaceLinesMatchCopiedLines) {
    const std::string bytes = "ab\r\n\r\n  \ncd ef\n" + std::string(70000, 'q') + "\n\rgh\n" +
                              std::string(40, 'w') + "\r" + std::string(1, '\0') + "end";
    for (int maxChars : {0, 5, 255, 80000}) {
        for (size_t chunk : {size_t(1), size_t(7), size_t(4096), size_t(1) << 20}) {
            SCOPED_TRACE("max " + std::to_string(maxChars) + " chunk " + std::to_string(chunk));
            // Blank lines are skipped after the cut, so with no room at all every line is.
            Lines expected, got;
            for (const std::string &l :
                 {std::string("ab"), std::string("cd ef"), std::string(70000, 'q'),
                  std::string("gh"), std::string(40, 'w'), std::string("end")})
                if (maxChars > 0) expected.push_back(l.substr(0, size_t(maxChars)));
            Source src{bytes};
            src.chunk = chunk;
            LineFile lf = LineFile_New(ReadSource, &src);
            std::vector<char> spill(size_t(maxChars) + 1);
            for (int eof = 0; got.size() < 100;) {
                const char *line = nullptr;
                int n = -1;
                ASSERT_EQ(LineFile_ReadNonEmptyInPlace(lf, spill.data(), maxChars, &line, &n, &eof),
                          0);
                if (eof) break;
                ASSERT_NE(line, nullptr);
                got.emplace_back(line, size_t(n));
            }
            EXPECT_EQ(got, expected);
            LineFile_Dispose(lf);
        }
    }
    char spill[8];
    const char *line = nullptr;
    int n = 0, eof = 0;
    EXPECT_EQ(LineFile_ReadNonEmptyInPlace(nullptr, spill, 7, &line, &n, &eof),
              INI_ERR_NULL_ARGUMENT);
}

TEST(LineFile, Counters) {
    Source src{"ab\r\ncd\n\n \nef"};
    LineFile lf = LineFile_New(ReadSource, &src);
    char buf[256];
    int eof = 0;
    EXPECT_EQ(LineFile_OffsetOfLastLine(lf), -1);
    ASSERT_EQ(LineFile_Read(lf, buf, 255, nullptr, &eof), 0);
    ASSERT_EQ(LineFile_Read(lf, buf, 255, nullptr, &eof), 0);
    EXPECT_STREQ(buf, "cd");
    EXPECT_EQ(LineFile_OffsetOfLastLine(lf), 4);
    EXPECT_EQ(LineFile_NumExtraLineTermChars(lf), 1);
    // Skipped: "" and " ", each with its line end.
    ASSERT_EQ(LineFile_ReadNonEmpty(lf, buf, 255, nullptr, &eof), 0);
    EXPECT_STREQ(buf, "ef");
    EXPECT_EQ(LineFile_NumCharsInEmptyLines(lf), 3);
    EXPECT_EQ(LineFile_OffsetOfLastLine(lf), 10);
    EXPECT_EQ(LineFile_NumLinesRead(lf), 5);
    ASSERT_EQ(LineFile_Read(lf, buf, 255, nullptr, &eof), 0);
    EXPECT_EQ(eof, 1);
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
    EXPECT_EQ(LineFile_Read(lf, buf, 255, nullptr, &eof), INI_ERR_READ);
    EXPECT_STREQ(buf, "sec"); // what came before the failure, terminated
    EXPECT_EQ(LineFile_Read(lf, buf, 255, nullptr, nullptr), INI_ERR_NULL_ARGUMENT);
    EXPECT_EQ(LineFile_ReadNonEmpty(nullptr, buf, 255, nullptr, &eof), INI_ERR_NULL_ARGUMENT);
    LineFile_Dispose(lf);
}

} // namespace

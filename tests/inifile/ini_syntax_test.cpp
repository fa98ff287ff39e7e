// INI text both ways, ordering, duplicates, lookup and structural edits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inifile/inifile.h"

namespace {

int Collect(void *data, const char *line) {
    *static_cast<std::string *>(data) += std::string(line) + "\n";
    return 0;
}

std::string Text(IniDoc ini) {
    std::string out;
    EXPECT_EQ(Ini_WriteGeneric(ini, Collect, &out), 0);
    return out;
}

IniDoc Parse(const std::string &text, int sorted = 0) {
    IniDoc ini = Ini_New(sorted);
    EXPECT_EQ(Ini_ReadFromMemory(ini, text.data(), text.size()), 0);
    return ini;
}

std::string Raw(IniDoc ini, const char *sec, const char *item) {
    const char *v = nullptr;
    int rc = Ini_GetPointerToRawString(ini, sec, item, &v);
    return rc == 1 ? std::string(v) : "<" + std::to_string(rc) + ">";
}

// Each input, read into an unsorted document, is written back as the expected text.
TEST(IniSyntax, ReadsWhatTheSyntaxAllows) {
    const std::pair<std::string, std::string> cases[] = {
        {"[S]\nA=1\nB = two words \n", "[S]\nA = 1\nB = two words\n\n"},
        {"  [ S ]  \n  A   =  1\n", "[S]\nA = 1\n\n"},
        {"[S]\nA = \"x y\"\nB = \"\"\nC = \"\n", "[S]\nA = \"x y\"\nB = \"\"\nC = \"\n\n"},
        {"[S]\nA =\n= 1\njust text\nB = 1\n", "[S]\nB = 1\n\n"},
        {"[S]\nA = b = c\nB = 1 ; no comment\n", "[S]\nA = b = c\nB = 1 ; no comment\n\n"},
        {"; c\nA = 0\n[S]\n  ; A = 1\nB = 2\n", "[S]\nB = 2\n\n"},
        // Not headers: text after the end, no name, no end. Items stay in the section before.
        {"[S]\nA = 1\n[T] ; x\n[ ]\n[U\nB = 2\n", "[S]\nA = 1\nB = 2\n\n"},
        {"[a]b]\nA = 1\n", "[a]b]\nA = 1\n\n"},
        {"[S]\nA = 1\n[s]\nA = 2\na = 3\n[T]\n", "[S]\nA = 1\n\n[s]\nA = 2\na = 3\n\n[T]\n\n"},
        {"\r\n[S]\r\n\r\n  \r\nA = 1\r\n", "[S]\nA = 1\n\n"},
        // Pieces of long values are joined; a run starts at Line1 and keeps to one base name.
        {"[S]\nA Line1 = \"x\"\nA  Line0002 = y\nB = z\n", "[S]\nA = \"xy\"\nB = z\n\n"},
        {"[S]\nA Line1 = x\nA Line1 = y\nA Line2 = z\n", "[S]\nA = x\nA = yz\n\n"},
        {"[S]\nA Line1 = x\nB Line2 = y\nC = 1\nA Line2 = z\nD Line2 = w\n",
         "[S]\nA = x\nB Line2 = y\nC = 1\nA Line2 = z\nD Line2 = w\n\n"},
        {"[S]\nALine1 = x\nA Line = y\n", "[S]\nALine1 = x\nA Line = y\n\n"},
        {"[S]\nA = " + std::string(300, 'x') + "\nB = 1\n", // the reader stops at 255
         "[S]\nA Line0001 = " + std::string(80, 'x') + "\nA Line0002 = " + std::string(80, 'x') +
             "\nA Line0003 = " + std::string(80, 'x') + "\nA Line0004 = xxxxxxxxxxx\nB = 1\n\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.first);
        IniDoc ini = Parse(c.first);
        EXPECT_EQ(Text(ini), c.second);
        Ini_Dispose(ini);
    }
}

TEST(IniSyntax, LongValuesRoundTrip) {
    const std::string u = "\xc3\xa4"; // two bytes of one UTF-8 letter
    const std::pair<std::string, int> cases[] = {
        {std::string(80, 'a'), 1},
        {std::string(80, 'a') + "b", 2},
        {std::string(161, 'c'), 3},
        {std::string(79, 'd') + "\\\\" + std::string(10, 'e'), 2}, // an escape split in two
        {std::string(79, 'f') + u + "g", 2},
        {std::string(1000, 'h'), 13},
    };
    for (const auto &[value, pieces] : cases) {
        SCOPED_TRACE(value);
        IniDoc ini = Ini_New(0);
        ASSERT_EQ(Ini_PutRawString(ini, "S", "Item", value.c_str()), 0);
        std::string text = Text(ini);
        char last[32];
        snprintf(last, sizeof last, "\nItem Line%04d = \"", pieces);
        EXPECT_EQ(text.find(last) != std::string::npos, pieces > 1) << text;
        EXPECT_EQ(text.find("\xc3\""), std::string::npos); // never cut inside a letter
        IniDoc back = Parse(text);
        EXPECT_EQ(Raw(back, "S", "Item"), value);
        Ini_Dispose(back);
        Ini_Dispose(ini);
    }
    // Unquoted pieces must not end or begin with a blank, which the reader would trim away.
    // Nor, stepping back from a blank, inside a letter.
    for (const std::string &value :
         {std::string(79, 'a') + " " + std::string(10, 'b') + "  " + "c",
          std::string(77, 'a') + u + " " + std::string(20, 'b'),
          "0=" + std::string(78, '\xa2') + " " + std::string(10, 'x')}) { // no UTF-8: blank first
        SCOPED_TRACE(value);
        IniDoc ini = Parse("[S]\nV Line1 = " + value.substr(0, 85) +
                           "\nV Line2 = " + value.substr(85) + "\n");
        std::string text = Text(ini);
        EXPECT_EQ(text.find("\xc3\n"), std::string::npos) << text;
        IniDoc back = Parse(text);
        EXPECT_EQ(Raw(back, "S", "V"), value);
        Ini_Dispose(back);
        Ini_Dispose(ini);
    }
}

TEST(IniSyntax, SortedOrderIsCaseInsensitive) {
    IniDoc ini = Ini_New(1);
    for (const char *key :
         {"DevAddr2", "DevAddr10", "devaddr", "DevAddr1", "COMType", "Baudrate", "COMPort", "_x"})
        ASSERT_EQ(Ini_PutInt(ini, "Interface", key, 0), 0);
    ASSERT_EQ(Ini_PutInt(ini, "Options", "Language", 1), 0);
    ASSERT_EQ(Ini_PutInt(ini, "b", "x", 1), 0);
    EXPECT_EQ(Text(ini), "[b]\nx = 1\n\n"
                         "[Interface]\n_x = 0\nBaudrate = 0\nCOMPort = 0\nCOMType = 0\n"
                         "devaddr = 0\nDevAddr1 = 0\nDevAddr10 = 0\nDevAddr2 = 0\n\n"
                         "[Options]\nLanguage = 1\n\n");
    IniDoc read = Parse("[Z]\nb = 1\na = 2\n[A]\nc = 3\n", 1);
    EXPECT_EQ(Text(read), "[A]\nc = 3\n\n[Z]\na = 2\nb = 1\n\n");
    EXPECT_EQ(Raw(read, " z ", " B "), "1");
    Ini_Dispose(read);
    Ini_Dispose(ini);
}

// A document that keeps itself sorted sorts what it reads: sections and items out of order,
// equal names in file order, and an order that only joining pieces breaks.
TEST(IniSyntax, ReadingIntoASortedDocumentSorts) {
    const std::pair<std::string, std::string> cases[] = {
        {"[S]\na = 1\nb = 2\nc = 3\n", "[S]\na = 1\nb = 2\nc = 3\n\n"},
        {"[S]\na = 1\nb = 2\nA = 3\n", "[S]\na = 1\nA = 3\nb = 2\n\n"},
        {"[S]\nb = 1\nB = 2\na = 3\n", "[S]\na = 3\nb = 1\nB = 2\n\n"},
        {"[T]\nx = 1\n[S]\ny = 2\nx = 3\n[U]\n", "[S]\nx = 3\ny = 2\n\n[T]\nx = 1\n\n[U]\n\n"},
        // "Z Line0" starts no run; the run after it joins into "Z", which sorts before it.
        {"[S]\nZ Line0 = a\nZ Line1 = b\nZ Line2 = c\n", "[S]\nZ = bc\nZ Line0 = a\n\n"},
        // Sorted pieces of a long value stay one item.
        {"[S]\nA Line1 = x\nA Line2 = y\nB = 1\n", "[S]\nA = xy\nB = 1\n\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.first);
        IniDoc ini = Parse(c.first, 1);
        EXPECT_EQ(Text(ini), c.second);
        Ini_Dispose(ini);
    }
    // A second read into the same document: the sections read first are kept in order too.
    IniDoc ini = Parse("[B]\nb = 1\na = 2\n", 1);
    const std::string more = "[A]\nz = 1\ny = 2\n";
    ASSERT_EQ(Ini_ReadFromMemory(ini, more.data(), more.size()), 0);
    EXPECT_EQ(Text(ini), "[A]\ny = 2\nz = 1\n\n[B]\na = 2\nb = 1\n\n");
    Ini_Dispose(ini);
}

TEST(IniSyntax, PutReplacesInPlaceOrAppends) {
    struct Case {
        int sorted, duplicateChecking, internalIndex;
        const char *written;
    };
    const Case cases[] = {
        {0, 1, 0, "[S]\nA = 1\nb = 9\nC = 3\n\n"},
        {0, 1, 1, "[S]\nA = 1\nb = 9\nC = 3\n\n"},
        {1, 1, 0, "[S]\nA = 1\nb = 9\nC = 3\n\n"},
        {1, 1, 1, "[S]\nA = 1\nb = 9\nC = 3\n\n"},
        {0, 0, 0, "[S]\nA = 1\nB = 2\nC = 3\nb = 9\n\n"},
        {1, 0, 1, "[S]\nA = 1\nB = 2\nb = 9\nC = 3\n\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.written);
        IniDoc ini = Parse("[S]\nA = 1\nB = 2\nC = 3\n", c.sorted);
        if (c.internalIndex) {
            ASSERT_EQ(Ini_SortInternally(ini), 0);
        }
        EXPECT_EQ(Ini_SetDuplicateChecking(ini, c.duplicateChecking), 1);
        ASSERT_EQ(Ini_PutInt(ini, "S", "b", 9), 0);
        EXPECT_EQ(Text(ini), c.written);
        EXPECT_EQ(Raw(ini, "S", "B"), c.duplicateChecking ? "9" : "2"); // the first one wins
        Ini_Dispose(ini);
    }
}

TEST(IniSyntax, SortingModesIndexesAndEdits) {
    IniDoc ini = Parse("[b]\nz = 1\ny = 2\ny = 3\n[a]\nx = 3\n");
    ASSERT_EQ(Ini_SortInternally(ini), 0);
    ASSERT_EQ(Ini_PutInt(ini, "c", "w", 4), 0);
    ASSERT_EQ(Ini_PutInt(ini, "b", "a", 5), 0);
    EXPECT_EQ(Raw(ini, "C", "W"), "4");
    EXPECT_EQ(Text(ini), "[b]\nz = 1\ny = 2\ny = 3\na = 5\n\n[a]\nx = 3\n\n[c]\nw = 4\n\n");
    EXPECT_EQ(Ini_RemoveItem(ini, "b", "Y"), 1); // every item of the name
    EXPECT_EQ(Ini_RemoveItem(ini, "b", "Y"), 0);
    EXPECT_EQ(Raw(ini, "b", "y"), "<0>");
    ASSERT_EQ(Ini_Sort(ini), 0);
    EXPECT_EQ(Text(ini), "[a]\nx = 3\n\n[b]\na = 5\nz = 1\n\n[c]\nw = 4\n\n");
    ASSERT_EQ(Ini_DisableSorting(ini), 0);
    ASSERT_EQ(Ini_DisableInternalSorting(ini), 0);
    ASSERT_EQ(Ini_PutInt(ini, "0", "k", 7), 0);
    EXPECT_EQ(Raw(ini, "c", "w"), "4"); // fills the section cache
    EXPECT_EQ(Ini_RemoveSection(ini, "C"), 1);
    EXPECT_EQ(Ini_SectionExists(ini, "c"), 0);
    EXPECT_EQ(Text(ini), "[a]\nx = 3\n\n[b]\na = 5\nz = 1\n\n[0]\nk = 7\n\n");
    const char *name = nullptr;
    EXPECT_EQ(Ini_NumberOfSections(ini), 3);
    EXPECT_EQ(Ini_NthSectionName(ini, 3, &name), 1);
    EXPECT_STREQ(name, "0");
    EXPECT_EQ(Ini_NthSectionName(ini, 4, &name), 0);
    EXPECT_EQ(Ini_NthItemName(ini, "B", 2, &name), 1);
    EXPECT_STREQ(name, "z");
    EXPECT_EQ(Ini_NumberOfItems(ini, "none"), 0);
    Ini_Dispose(ini);
}

TEST(IniSyntax, TokensFilterAndLineOfLastAccess) {
    IniDoc ini = Ini_New(0);
    ASSERT_EQ(Ini_SetTokens(ini, '<', '>', ":=", "#"), 0);
    ASSERT_EQ(Ini_SetTokens(ini, '\0', '\0', "", nullptr), 0); // leaves all as they are
    auto skip = [](IniDoc, void *, const char *name) {
        return std::string(name) != "skip" ? 1 : 0;
    };
    ASSERT_EQ(Ini_SetSectionFilter(ini, skip, nullptr), 0);
    std::string text = "<a>\nk := v = w\n\n# x := 1\n; y := 2\n<skip>\nz := 3\n[b]\nq := 4\n";
    ASSERT_EQ(Ini_ReadFromMemory(ini, text.data(), text.size()), 0);
    // "[b]" is no header with these tokens, so "q" stays in the rejected section.
    EXPECT_EQ(Text(ini), "<a>\nk := v = w\n; y := 2\n\n");
    EXPECT_EQ(Ini_LineOfLastAccess(ini), -1);
    EXPECT_EQ(Raw(ini, "a", "; y"), "2");
    EXPECT_EQ(Ini_LineOfLastAccess(ini), 5);
    int v = 0;
    EXPECT_EQ(Ini_GetInt(ini, "a", "k", &v), INI_ERR_INVALID_INT); // a failure leaves it
    EXPECT_EQ(Ini_LineOfLastAccess(ini), 5);
    ASSERT_EQ(Ini_PutInt(ini, "a", "n", 1), 0);
    EXPECT_EQ(Ini_GetInt(ini, "a", "n", &v), 1);
    EXPECT_EQ(Ini_LineOfLastAccess(ini), 0);
    Ini_Dispose(ini);
}

TEST(IniSyntax, CopySection) {
    IniDoc src = Parse("[A]\nx = 1\ny = \"q\"\n[B]\nz = 2\n[E]\n");
    IniDoc dst = Parse("[A]\nold = 0\n");
    ASSERT_EQ(Ini_CopySection(src, "a", dst, 0), 0);
    EXPECT_EQ(Text(dst), "[A]\nold = 0\nx = \"1\"\ny = \"q\"\n\n");
    ASSERT_EQ(Ini_CopySection(src, nullptr, dst, 1), 0);
    EXPECT_EQ(Text(dst), "[A]\nx = \"1\"\ny = \"q\"\n\n[B]\nz = \"2\"\n\n[E]\n\n");
    EXPECT_EQ(Ini_CopySection(src, "missing", dst, 1), 0);
    std::string before = Text(src);
    EXPECT_EQ(Ini_CopySection(src, nullptr, src, 1), 0);
    EXPECT_EQ(Text(src), before);
    Ini_Dispose(src);
    Ini_Dispose(dst);
}

TEST(IniSyntax, NamesAndValuesThatWouldNotReadBackAreRefused) {
    IniDoc ini = Ini_New(0);
    const std::string longest(INI_MAX_LINE_CHARS - 9 - 3 - 82, 'n');
    const std::pair<const char *, std::string> bad[] = {
        {"S", ""},   {"S", "  "},   {"", "x"},     {"S", "a=b"},         {"S", "[x"},
        {"S", ";x"}, {"S", "a\nb"}, {"a\rb", "x"}, {"S", longest + "n"},
    };
    for (const auto &[section, item] : bad)
        EXPECT_EQ(Ini_PutInt(ini, section, item.c_str(), 1), INI_ERR_BAD_NAME) << item;
    EXPECT_EQ(Ini_PutRawString(ini, "S", "R", "a\nB = injected"), INI_ERR_BAD_VALUE);
    EXPECT_EQ(Ini_PutInt(ini, nullptr, "x", 1), INI_ERR_NULL_ARGUMENT);
    // The longest name with a long value still comes back whole.
    ASSERT_EQ(Ini_PutRawString(ini, "S", longest.c_str(), std::string(200, 'v').c_str()), 0);
    IniDoc back = Parse(Text(ini));
    EXPECT_EQ(Raw(back, "S", longest.c_str()), std::string(200, 'v'));
    EXPECT_EQ(Ini_NumberOfItems(back, "S"), 1);
    Ini_Dispose(back);
    Ini_Dispose(ini);
}

} // namespace

namespace {

// Reads text through a line source: every item is made while reading.
int ReadLineByLine(IniDoc ini, const std::string &text) {
    LineFile_Memory src{text.data(), text.size()};
    LineFile lf = LineFile_New(LineFile_ReadFromMemory, &src);
    int rc = Ini_ReadGeneric(ini, Ini_LineFileSource, lf);
    LineFile_Dispose(lf);
    return rc;
}

// Every item with its value and the line it was read from, section by section as asked.
std::string Inventory(IniDoc ini, const std::vector<std::string> &order) {
    std::string out;
    for (const std::string &sec : order) {
        int n = Ini_NumberOfItems(ini, sec.c_str());
        out += "[" + sec + "] " + std::to_string(n) + ":";
        for (int i = 1; i <= n; ++i) {
            const char *name = nullptr;
            Ini_NthItemName(ini, sec.c_str(), i, &name);
            std::string item = name;
            out += " " + item + "=" + Raw(ini, sec.c_str(), item.c_str()) + "@" +
                   std::to_string(Ini_LineOfLastAccess(ini));
        }
        out += "\n";
    }
    return out;
}

int KeepAllButDropped(IniDoc, void *, const char *name) {
    return std::string(name) != "Dropped";
}

// A filter that looks at the section read before the one it is asked about.
int LookBack(IniDoc ini, void *, const char *) {
    int n = Ini_NumberOfSections(ini);
    const char *last = nullptr;
    if (n > 0 && Ini_NthSectionName(ini, n, &last) == 1) {
        std::string name = last;
        Ini_NumberOfItems(ini, name.c_str());
    }
    return 1;
}

} // namespace

// A file's items are made when their section is first asked for. Whatever happens to the
// document in between, and whatever the line ends around the headers, the items, their values
// and their line numbers are the ones a read that makes every item at once gives.
TEST(IniSyntax, SectionsAskedForLaterReadAsIfReadAtOnce) {
    static const char kNulEnds[] = "[B]\0z = 1\0\0[A]\0y = 2";
    const std::string texts[] = {
        "[B]\r\nz = 1\r\ny = 2\r\n\r\n[A]\r\nk = \"q\"\r\n",
        "[B]\nz = 1\n\n[A]\n\nk = 2\n[B]\nx = 3",
        "[B]\r\rz = 1\n\r[A]\n\ry = 2\r\n\n[C]\r",  // pairs and empty lines
        std::string(kNulEnds, sizeof kNulEnds - 1), // NUL ends lines too
        "x = before any header\n[B]\n[T] junk\ny = 1\n;[C]\n[C]\n  ; c = 0\nc = 1\n",
        "[B]\nA Line1 = x\nA Line2 = y\n[Dropped]\nd = 1\n[A]\nv Line0001 = \"p\"\n",
        "[" + std::string(300, 'L') + "]\nz = 1\n[A]\ny = 2\n", // header cut at 255
        "[B]\nz = " + std::string(300, 'v') + "\n[A]\ny = 2\n",
        "<B>\nz : 1\n# [A]\n[A]\ny : 2\n<A>\nw : 3\n", // other tokens
    };
    std::vector<std::string> all = {"A", "B", "C", "Dropped", std::string(253, 'L')};
    struct Mode {
        const char *name;
        int sorted;
        bool index;
        bool tokens;
        Ini_SectionFilterFunc filter;
        void (*between)(IniDoc); // done after the read, before any section is asked for
    };
    const Mode modes[] = {
        {"as read", 0, false, false, nullptr, nullptr},
        {"sorted", 1, false, false, nullptr, nullptr},
        {"indexed", 0, true, false, nullptr, nullptr},
        {"filtered", 1, true, false, KeepAllButDropped, nullptr},
        {"filter looks back", 0, false, false, LookBack, nullptr},
        {"other tokens", 0, false, true, nullptr, nullptr},
        {"sorting off after", 1, false, false, nullptr, [](IniDoc d) { Ini_DisableSorting(d); }},
        {"index after", 0, false, false, nullptr, [](IniDoc d) { Ini_SortInternally(d); }},
        {"index dropped after", 1, true, false, nullptr,
         [](IniDoc d) { Ini_DisableInternalSorting(d); }},
        {"tokens after", 0, false, false, nullptr,
         [](IniDoc d) { Ini_SetTokens(d, '<', '>', ":", "#"); }},
        {"section removed", 0, false, false, nullptr, [](IniDoc d) { Ini_RemoveSection(d, "B"); }},
        {"put into one", 1, false, false, nullptr, [](IniDoc d) { Ini_PutInt(d, "A", "new", 5); }},
    };
    for (const std::string &text : texts)
        for (const Mode &m : modes) {
            SCOPED_TRACE(m.name + std::string(" / ") + text.substr(0, 40));
            IniDoc doc[2];
            for (int k = 0; k < 2; ++k) {
                doc[k] = Ini_New(m.sorted);
                if (m.index) Ini_SortInternally(doc[k]);
                if (m.tokens) Ini_SetTokens(doc[k], '<', '>', ":", "#");
                if (m.filter) Ini_SetSectionFilter(doc[k], m.filter, nullptr);
            }
            ASSERT_EQ(Ini_ReadFromMemory(doc[0], text.data(), text.size()), 0);
            ASSERT_EQ(ReadLineByLine(doc[1], text), 0);
            for (IniDoc d : doc)
                if (m.between) m.between(d);
            // Asked in another order than read, so that later sections are made first.
            EXPECT_EQ(Inventory(doc[0], all), Inventory(doc[1], all));
            EXPECT_EQ(Text(doc[0]), Text(doc[1]));
            for (IniDoc d : doc) Ini_Dispose(d);
        }
}

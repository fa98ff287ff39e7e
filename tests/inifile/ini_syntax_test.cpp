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

TEST(IniSyntax, ReadsWhatTheSyntaxAllows) {
    struct Case {
        const char *name;
        std::string input;
        std::string written; // the document as written back (LF shown for CR LF)
    };
    const Case cases[] = {
        {"plain", "[S]\nA=1\nB = two words \n", "[S]\nA = 1\nB = two words\n\n"},
        {"white space around names", "  [ S ]  \n  A   =  1\n", "[S]\nA = 1\n\n"},
        {"quoted value", "[S]\nA = \"x y\"\n", "[S]\nA = \"x y\"\n\n"},
        {"two quotes are an empty value", "[S]\nA = \"\"\n", "[S]\nA = \"\"\n\n"},
        {"one quote stays", "[S]\nA = \"\n", "[S]\nA = \"\n\n"},
        {"nothing after separator", "[S]\nA =\nB = 1\n", "[S]\nB = 1\n\n"},
        {"no name", "[S]\n= 1\n", "[S]\n\n"},
        {"no separator", "[S]\njust text\n", "[S]\n\n"},
        {"first separator splits", "[S]\nA = b = c\n", "[S]\nA = b = c\n\n"},
        {"no end-of-line comment", "[S]\nA = 1 ; note\n", "[S]\nA = 1 ; note\n\n"},
        {"comment lines", "; c\n[S]\n  ; A = 1\nB = 2\n", "[S]\nB = 2\n\n"},
        {"items before a header are dropped", "A = 1\n[S]\nB = 2\n", "[S]\nB = 2\n\n"},
        {"header with a comment is no header", "[S]\nA = 1\n[T] ; x\nB = 2\n",
         "[S]\nA = 1\nB = 2\n\n"},
        {"last end character closes", "[a]b]\nA = 1\n", "[a]b]\nA = 1\n\n"},
        {"empty header", "[S]\n[ ]\nA = 1\n", "[S]\nA = 1\n\n"},
        {"header without end", "[S]\n[T\nA = 1\n", "[S]\nA = 1\n\n"},
        {"repeated header makes a second section", "[S]\nA = 1\n[s]\nA = 2\n",
         "[S]\nA = 1\n\n[s]\nA = 2\n\n"},
        {"duplicates kept while reading", "[S]\nA = 1\na = 2\n", "[S]\nA = 1\na = 2\n\n"},
        {"section without items", "[S]\n[T]\n", "[S]\n\n[T]\n\n"},
        {"CR LF and blank lines", "\r\n[S]\r\n\r\n  \r\nA = 1\r\n", "[S]\nA = 1\n\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        IniDoc ini = Parse(c.input);
        EXPECT_EQ(Text(ini), c.written);
        Ini_Dispose(ini);
    }
}

TEST(IniSyntax, LookupIgnoresCaseAndBlanksAndFirstWins) {
    IniDoc ini = Parse("[Options]\nLanguage = 1\n[options]\nlanguage = 2\n[X]\nk = a\nK = b\n");
    EXPECT_EQ(Raw(ini, " options ", " language "), "1");
    EXPECT_EQ(Raw(ini, "X", "k"), "a");
    EXPECT_EQ(Ini_ItemExists(ini, "OPTIONS", "LANGUAGE"), 1);
    EXPECT_EQ(Ini_ItemOrMultiLineItemExists(ini, "OPTIONS", "LANGUAGE"), 1);
    EXPECT_EQ(Ini_ItemExists(ini, "Options", "Lang"), 0);
    EXPECT_EQ(Ini_SectionExists(ini, "Nope"), 0);
    EXPECT_EQ(Raw(ini, "Nope", "x"), "<0>");
    // The same answers with lookup indexes.
    ASSERT_EQ(Ini_SortInternally(ini), 0);
    EXPECT_EQ(Raw(ini, " options ", " language "), "1");
    EXPECT_EQ(Raw(ini, "X", "k"), "a");
    EXPECT_EQ(Ini_NumberOfSections(ini), 3);
    Ini_Dispose(ini);
}

TEST(IniSyntax, LongValuesArePiecesOfEighty) {
    struct Case {
        const char *name;
        std::string value;
        int pieces;
    };
    const std::string u = "\xc3\xa4"; // a two-byte UTF-8 letter
    const Case cases[] = {
        {"80", std::string(80, 'a'), 1},
        {"81", std::string(80, 'a') + "b", 2},
        {"160", std::string(160, 'c'), 2},
        {"161", std::string(161, 'c'), 3},
        {"escape split", std::string(79, 'd') + "\\\\" + std::string(10, 'e'), 2},
        {"multibyte kept whole", std::string(79, 'f') + u + std::string(5, 'g'), 2},
        {"long", std::string(1000, 'h'), 13},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        IniDoc ini = Ini_New(0);
        ASSERT_EQ(Ini_PutRawString(ini, "S", "Item", c.value.c_str()), 0);
        std::string text = Text(ini);
        int lines = 0;
        for (char ch : text) lines += ch == '\n';
        EXPECT_EQ(lines, c.pieces + 2);
        if (c.pieces > 1) {
            EXPECT_NE(text.find("Item Line0001 = \""), std::string::npos);
            EXPECT_NE(text.find("Item Line" + std::string(c.pieces < 10 ? "000" : "00") +
                                std::to_string(c.pieces) + " = \""),
                      std::string::npos);
        }
        if (std::string(c.name) == "multibyte kept whole") {
            EXPECT_NE(text.find(u + std::string(5, 'g')), std::string::npos);
        }
        if (std::string(c.name) == "81") {
            EXPECT_NE(text.find("Item Line0002 = \"b\""), std::string::npos);
        }
        IniDoc back = Parse(text);
        EXPECT_EQ(Raw(back, "S", "Item"), c.value);
        EXPECT_EQ(Ini_NumberOfItems(back, "S"), 1);
        Ini_Dispose(back);
        Ini_Dispose(ini);
    }
}

TEST(IniSyntax, UnquotedLongValueKeepsItsBlanks) {
    // A value read without quotes is written without them; a piece must then not end or begin
    // with a blank, which the reader would trim away.
    std::string value =
        std::string(79, 'a') + " " + std::string(10, 'b') + "  " + std::string(75, 'c');
    IniDoc ini = Parse("[S]\nV Line0001 = " + value.substr(0, 100) +
                       "\nV Line0002 = " + value.substr(100) + "\n");
    ASSERT_EQ(Raw(ini, "S", "V"), value);
    IniDoc back = Parse(Text(ini));
    EXPECT_EQ(Raw(back, "S", "V"), value);
    Ini_Dispose(back);
    Ini_Dispose(ini);
}

TEST(IniSyntax, JoiningPieces) {
    struct Case {
        const char *name;
        std::string input;
        std::string written;
    };
    const Case cases[] = {
        {"joined", "[S]\nA Line1 = x\nA Line2 = y\nB = z\n", "[S]\nA = xy\nB = z\n\n"},
        {"first quoted flag applies", "[S]\nA Line0001 = \"x\"\nA Line0002 = y\n",
         "[S]\nA = \"xy\"\n\n"},
        {"a new run at Line1", "[S]\nA Line1 = x\nA Line1 = y\n", "[S]\nA = x\nA = y\n\n"},
        {"other base name ends the run", "[S]\nA Line1 = x\nB Line2 = y\n",
         "[S]\nA = x\nB Line2 = y\n\n"},
        {"no run without Line1", "[S]\nA Line2 = x\n", "[S]\nA Line2 = x\n\n"},
        {"interrupted run", "[S]\nA Line1 = x\nC = 1\nA Line2 = y\n",
         "[S]\nA = x\nC = 1\nA Line2 = y\n\n"},
        {"blanks before Line", "[S]\nA  Line1 = x\nA Line2 = y\n", "[S]\nA = xy\n\n"},
        {"not a piece name", "[S]\nALine1 = x\nA Line = y\n", "[S]\nALine1 = x\nA Line = y\n\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        IniDoc ini = Parse(c.input);
        EXPECT_EQ(Text(ini), c.written);
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
    // A read into a sorted document sorts what it adds.
    IniDoc read = Parse("[Z]\nb = 1\na = 2\n[A]\nc = 3\n", 1);
    EXPECT_EQ(Text(read), "[A]\nc = 3\n\n[Z]\na = 2\nb = 1\n\n");
    Ini_Dispose(read);
    Ini_Dispose(ini);
}

TEST(IniSyntax, PutReplacesInPlaceOrAppends) {
    struct Case {
        const char *name;
        int sorted;
        int duplicateChecking;
        int internalIndex;
        std::string written;
    };
    const Case cases[] = {
        {"replace in place", 0, 1, 0, "[S]\nA = 1\nb = 9\nC = 3\n\n"},
        {"replace with index", 0, 1, 1, "[S]\nA = 1\nb = 9\nC = 3\n\n"},
        {"sorted replace", 1, 1, 0, "[S]\nA = 1\nb = 9\nC = 3\n\n"},
        {"sorted replace with index", 1, 1, 1, "[S]\nA = 1\nb = 9\nC = 3\n\n"},
        {"append duplicate", 0, 0, 0, "[S]\nA = 1\nB = 2\nC = 3\nb = 9\n\n"},
        {"sorted duplicate after its twin", 1, 0, 0, "[S]\nA = 1\nB = 2\nb = 9\nC = 3\n\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        IniDoc ini = Parse("[S]\nA = 1\nB = 2\nC = 3\n", c.sorted);
        if (c.internalIndex) {
            ASSERT_EQ(Ini_SortInternally(ini), 0);
        }
        EXPECT_EQ(Ini_SetDuplicateChecking(ini, c.duplicateChecking), 1);
        ASSERT_EQ(Ini_PutInt(ini, "S", "b", 9), 0);
        EXPECT_EQ(Text(ini), c.written);
        int v = 0;
        EXPECT_EQ(Ini_GetInt(ini, "S", "B", &v), 1);
        EXPECT_EQ(v, c.duplicateChecking ? 9 : 2);
        Ini_Dispose(ini);
    }
}

TEST(IniSyntax, SortingModesAndIndexes) {
    IniDoc ini = Parse("[b]\nz = 1\ny = 2\n[a]\nx = 3\n");
    ASSERT_EQ(Ini_SortInternally(ini), 0);
    EXPECT_EQ(Text(ini), "[b]\nz = 1\ny = 2\n\n[a]\nx = 3\n\n"); // visible order untouched
    ASSERT_EQ(Ini_PutInt(ini, "c", "w", 4), 0);                  // new section, index kept
    ASSERT_EQ(Ini_PutInt(ini, "b", "a", 5), 0);
    int v = 0;
    EXPECT_EQ(Ini_GetInt(ini, "C", "W", &v), 1);
    EXPECT_EQ(Ini_GetInt(ini, "B", "A", &v), 1);
    EXPECT_EQ(v, 5);
    EXPECT_EQ(Ini_RemoveItem(ini, "b", "Y"), 1);
    EXPECT_EQ(Ini_ItemExists(ini, "b", "y"), 0);
    ASSERT_EQ(Ini_Sort(ini), 0);
    EXPECT_EQ(Text(ini), "[a]\nx = 3\n\n[b]\na = 5\nz = 1\n\n[c]\nw = 4\n\n");
    ASSERT_EQ(Ini_DisableSorting(ini), 0);
    ASSERT_EQ(Ini_DisableInternalSorting(ini), 0);
    ASSERT_EQ(Ini_PutInt(ini, "b", "0", 6), 0);
    ASSERT_EQ(Ini_PutInt(ini, "0", "k", 7), 0);
    EXPECT_EQ(Text(ini), "[a]\nx = 3\n\n[b]\na = 5\nz = 1\n0 = 6\n\n[c]\nw = 4\n\n[0]\nk = 7\n\n");
    Ini_Dispose(ini);
}

TEST(IniSyntax, TokensAndFilter) {
    IniDoc ini = Ini_New(0);
    ASSERT_EQ(Ini_SetTokens(ini, '<', '>', ":=", "#"), 0);
    ASSERT_EQ(Ini_SetTokens(ini, '\0', '\0', "", nullptr), 0); // leaves all as they are
    auto keepAllButSkip = [](IniDoc, void *count, const char *name) {
        ++*static_cast<int *>(count);
        return std::string(name) != "skip" ? 1 : 0;
    };
    int calls = 0;
    ASSERT_EQ(Ini_SetSectionFilter(ini, keepAllButSkip, &calls), 0);
    std::string text = "<a>\nk := v = w\n# x := 1\n; y := 2\n<skip>\nz := 3\n[b]\nq := 4\n";
    ASSERT_EQ(Ini_ReadFromMemory(ini, text.data(), text.size()), 0);
    EXPECT_EQ(calls, 2);
    // "[b]" is no header with these tokens, so "q" still belongs to the rejected section.
    EXPECT_EQ(Text(ini), "<a>\nk := v = w\n; y := 2\n\n");
    Ini_Dispose(ini);
}

TEST(IniSyntax, QueriesAndEdits) {
    IniDoc ini = Parse("[A]\nx = 1\ny = 2\nx = 3\n[B]\nz = 4\n");
    const char *name = nullptr;
    EXPECT_EQ(Ini_NthSectionName(ini, 2, &name), 1);
    EXPECT_STREQ(name, "B");
    EXPECT_EQ(Ini_NthSectionName(ini, 3, &name), 0);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(Ini_NthSectionName(ini, 0, &name), 0);
    EXPECT_EQ(Ini_NumberOfItems(ini, "a"), 3);
    EXPECT_EQ(Ini_NumberOfItems(ini, "none"), 0);
    EXPECT_EQ(Ini_NthItemName(ini, "a", 2, &name), 1);
    EXPECT_STREQ(name, "y");
    EXPECT_EQ(Ini_NthItemName(ini, "none", 1, &name), 0);
    EXPECT_EQ(Ini_RemoveItem(ini, "A", "X"), 1); // both of them
    EXPECT_EQ(Ini_RemoveItem(ini, "A", "X"), 0);
    EXPECT_EQ(Ini_NumberOfItems(ini, "a"), 1);
    EXPECT_EQ(Ini_RemoveSection(ini, "b"), 1);
    EXPECT_EQ(Ini_RemoveSection(ini, "b"), 0);
    EXPECT_EQ(Ini_SectionExists(ini, "B"), 0); // the cache forgot it
    EXPECT_EQ(Text(ini), "[A]\ny = 2\n\n");
    Ini_Dispose(ini);
}

TEST(IniSyntax, LineOfLastAccess) {
    IniDoc ini = Parse("; head\n\n[S]\nA = 1\n\nB = x\n");
    int v = 0;
    EXPECT_EQ(Ini_LineOfLastAccess(ini), -1);
    EXPECT_EQ(Ini_GetInt(ini, "S", "A", &v), 1);
    EXPECT_EQ(Ini_LineOfLastAccess(ini), 4);
    EXPECT_EQ(Ini_GetInt(ini, "S", "B", &v), INI_ERR_INVALID_INT); // failed: line unchanged
    EXPECT_EQ(Ini_LineOfLastAccess(ini), 4);
    const char *s = nullptr;
    EXPECT_EQ(Ini_GetPointerToRawString(ini, "S", "B", &s), 1);
    EXPECT_EQ(Ini_LineOfLastAccess(ini), 6);
    ASSERT_EQ(Ini_PutInt(ini, "S", "C", 1), 0);
    EXPECT_EQ(Ini_GetInt(ini, "S", "C", &v), 1);
    EXPECT_EQ(Ini_LineOfLastAccess(ini), 0);
    Ini_Dispose(ini);
}

TEST(IniSyntax, CopySection) {
    IniDoc src = Parse("[A]\nx = 1\ny = \"q\"\n[B]\nz = 2\n[E]\n");
    IniDoc dst = Parse("[A]\nold = 0\n");
    ASSERT_EQ(Ini_CopySection(src, "a", dst, 0), 0);
    EXPECT_EQ(Text(dst), "[A]\nold = 0\nx = \"1\"\ny = \"q\"\n\n");
    ASSERT_EQ(Ini_CopySection(src, "A", dst, 1), 0);
    EXPECT_EQ(Text(dst), "[A]\nx = \"1\"\ny = \"q\"\n\n");
    ASSERT_EQ(Ini_CopySection(src, nullptr, dst, 1), 0);
    EXPECT_EQ(Text(dst), "[A]\nx = \"1\"\ny = \"q\"\n\n[B]\nz = \"2\"\n\n[E]\n\n");
    EXPECT_EQ(Ini_CopySection(src, "missing", dst, 1), 0);
    std::string before = Text(src);
    EXPECT_EQ(Ini_CopySection(src, nullptr, src, 1), 0);
    EXPECT_EQ(Text(src), before);
    Ini_Dispose(src);
    Ini_Dispose(dst);
}

TEST(IniSyntax, NamesThatWouldNotReadBackAreRefused) {
    IniDoc ini = Ini_New(0);
    const std::string longest(INI_MAX_LINE_CHARS - 9 - 3 - 82, 'n');
    EXPECT_EQ(Ini_PutInt(ini, "S", longest.c_str(), 1), 0);
    struct Case {
        const char *section;
        std::string item;
    };
    const Case bad[] = {
        {"S", ""},   {"S", "   "},  {"", "x"},     {"S", "a=b"},         {"S", "[x"},
        {"S", ";x"}, {"S", "a\nb"}, {"a\nb", "x"}, {"S", longest + "n"},
    };
    for (const Case &c : bad) {
        SCOPED_TRACE(c.item);
        EXPECT_EQ(Ini_PutInt(ini, c.section, c.item.c_str(), 1), INI_ERR_BAD_NAME);
    }
    EXPECT_EQ(Ini_PutInt(ini, nullptr, "x", 1), INI_ERR_NULL_ARGUMENT);
    EXPECT_EQ(Ini_PutInt(nullptr, "S", "x", 1), INI_ERR_NULL_ARGUMENT);
    // The longest name and a long value still come back whole.
    ASSERT_EQ(Ini_PutRawString(ini, "S", longest.c_str(), std::string(200, 'v').c_str()), 0);
    IniDoc back = Parse(Text(ini));
    EXPECT_EQ(Raw(back, "S", longest.c_str()), std::string(200, 'v'));
    Ini_Dispose(back);
    Ini_Dispose(ini);
}

TEST(IniSyntax, LineOver255CharactersIsCut) {
    IniDoc ini = Parse("[S]\nA = " + std::string(300, 'x') + "\nB = 1\n");
    EXPECT_EQ(Raw(ini, "S", "A"), std::string(251, 'x'));
    EXPECT_EQ(Raw(ini, "S", "B"), "1");
    Ini_Dispose(ini);
}

TEST(IniSyntax, WriterStopsAtFirstRefusal) {
    IniDoc ini = Parse("[A]\nx = 1\n[B]\ny = 2\n");
    int calls = 0;
    auto refuseThird = [](void *n, const char *) { return ++*static_cast<int *>(n) == 3 ? -7 : 0; };
    EXPECT_EQ(Ini_WriteGeneric(ini, refuseThird, &calls), -7);
    EXPECT_EQ(calls, 3);
    Ini_Dispose(ini);
}

} // namespace

// Typed values: number and Boolean texts, escape codes, data encoding, string outputs.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>

#include "inifile/inifile.h"

namespace {

IniDoc WithStoredValue(const std::string &raw) {
    IniDoc ini = Ini_New(0);
    EXPECT_EQ(Ini_PutRawString(ini, "S", "V", raw.c_str()), 0);
    return ini;
}

std::string WrittenAndReadBack(IniDoc ini) {
    std::string text;
    auto collect = [](void *d, const char *line) {
        *static_cast<std::string *>(d) += std::string(line) + "\r\n";
        return 0;
    };
    EXPECT_EQ(Ini_WriteGeneric(ini, collect, &text), 0);
    return text;
}

// For each stored text: the result of Ini_GetInt, Ini_GetUInt (1: the value; 0 and errors
// leave the old value 77).
TEST(IniValues, Integers) {
    struct Case {
        const char *stored;
        int intRc;
        int intValue;
        int uintRc;
        unsigned uintValue;
    };
    const int eI = INI_ERR_INVALID_INT, eU = INI_ERR_INVALID_UINT;
    const Case cases[] = {
        {"0", 1, 0, 1, 0},
        {"  -2147483648  ", 1, INT32_MIN, eU, 77},
        {"2147483647", 1, INT32_MAX, 1, 2147483647u},
        {"4294967295", eI, 77, 1, 4294967295u},
        {"+12 ", 1, 12, 1, 12},
        {"-0", 1, 0, eU, 77},
        {"007", 1, 7, 1, 7},
        {"2147483648", eI, 77, 1, 2147483648u},
        {"-2147483649", eI, 77, eU, 77},
        {"4294967296", eI, 77, eU, 77},
        {"99999999999999999999", eI, 77, eU, 77},
        {"12abc", eI, 77, eU, 77},
        {"1 2", eI, 77, eU, 77},
        {"+", eI, 77, eU, 77},
        {"--1", eI, 77, eU, 77},
        {"0x10", eI, 77, eU, 77},
        {"", 0, 77, 0, 77},
        {" \t ", 0, 77, 0, 77},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("\"") + c.stored + "\"");
        IniDoc ini = WithStoredValue(c.stored);
        int i = 77;
        unsigned u = 77;
        EXPECT_EQ(Ini_GetInt(ini, "S", "V", &i), c.intRc);
        EXPECT_EQ(i, c.intValue);
        EXPECT_EQ(Ini_GetUInt(ini, "S", "V", &u), c.uintRc);
        EXPECT_EQ(u, c.uintValue);
        Ini_Dispose(ini);
    }
}

TEST(IniValues, DoublesAndBooleans) {
    // A user locale with a decimal comma must change neither reading nor writing.
    const bool german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    const std::pair<const char *, double> good[] = {{"1.5", 1.5},
                                                    {" -2e3 ", -2000},
                                                    {"Inf", HUGE_VAL},
                                                    {"+inf", HUGE_VAL},
                                                    {"-INF", -HUGE_VAL}};
    for (const auto &[text, expected] : good) {
        IniDoc ini = WithStoredValue(text);
        double v = 0;
        EXPECT_EQ(Ini_GetDouble(ini, "S", "V", &v), 1) << text;
        EXPECT_EQ(v, expected) << text;
        Ini_Dispose(ini);
    }
    for (const char *text : {"1e400", "1.5x", "", "1,5"}) {
        IniDoc ini = WithStoredValue(text);
        double v = 7;
        EXPECT_EQ(Ini_GetDouble(ini, "S", "V", &v), INI_ERR_INVALID_DOUBLE) << text;
        EXPECT_EQ(v, 7);
        Ini_Dispose(ini);
    }
    for (double d : {0.1, -1.0 / 3, 6.02214076e23, 5e-324, HUGE_VAL, -HUGE_VAL}) {
        IniDoc ini = Ini_New(0);
        ASSERT_EQ(Ini_PutDouble(ini, "S", "D", d), 0);
        double back = 0;
        ASSERT_EQ(Ini_GetDouble(ini, "S", "D", &back), 1);
        EXPECT_TRUE(back == d || std::fabs(back - d) <= std::fabs(d) * 1e-15) << back; // 16 digits
        Ini_Dispose(ini);
    }
    if (german) std::setlocale(LC_NUMERIC, "C");

    const std::pair<const char *, int> bools[] = {{"True", 1},
                                                  {"true", 1},
                                                  {"FALSE", 0},
                                                  {"1", INI_ERR_INVALID_BOOL},
                                                  {"", INI_ERR_INVALID_BOOL}};
    for (const auto &[text, expected] : bools) {
        IniDoc ini = WithStoredValue(text);
        int v = 9;
        int rc = Ini_GetBoolean(ini, "S", "V", &v);
        EXPECT_EQ(rc == 1 ? v : rc, expected) << text;
        Ini_Dispose(ini);
    }
}

TEST(IniValues, PutWritesTheTextForms) {
    IniDoc ini = Ini_New(0);
    ASSERT_EQ(Ini_PutInt(ini, "S", "i", -5), 0);
    ASSERT_EQ(Ini_PutUInt(ini, "S", "u", 4294967295u), 0);
    ASSERT_EQ(Ini_PutDouble(ini, "S", "d", 0.1), 0);
    ASSERT_EQ(Ini_PutDouble(ini, "S", "e", 1e20), 0);
    ASSERT_EQ(Ini_PutBoolean(ini, "S", "b", 7), 0);
    ASSERT_EQ(Ini_PutBoolean(ini, "S", "f", 0), 0);
    ASSERT_EQ(Ini_PutString(ini, "S", "s", nullptr), 0);
    ASSERT_EQ(Ini_PutDouble(ini, "S", "n", -HUGE_VAL), 0);
    EXPECT_EQ(WrittenAndReadBack(ini), "[S]\r\ni = -5\r\nu = 4294967295\r\nd = 0.1\r\ne = 1e+20\r\n"
                                       "b = True\r\nf = False\r\ns = \"\"\r\nn = -Inf\r\n\r\n");
    Ini_Dispose(ini);
}

TEST(IniValues, EscapeCodes) {
    const std::pair<std::string, std::string> cases[] = {
        {"say \"hi\"", "say \\\"hi\\\""},
        {"C:\\dir\\", "C:\\\\dir\\\\"},
        {"a\tb\nc\rd", "a\\tb\\nc\\rd"},
        {std::string("\x01\x1f\x7f", 3), "\\x01\\x1f\\x7f"},
        {"\xc3\xa4\xe2\x82\xac", "\xc3\xa4\xe2\x82\xac"}, // UTF-8 bytes copied
    };
    for (const auto &[text, stored] : cases) {
        SCOPED_TRACE(stored);
        IniDoc ini = Ini_New(0);
        ASSERT_EQ(Ini_PutString(ini, "S", "V", text.c_str()), 0);
        IniDoc back = Ini_New(0);
        std::string written = WrittenAndReadBack(ini);
        ASSERT_EQ(Ini_ReadFromMemory(back, written.data(), written.size()), 0);
        const char *p = nullptr;
        ASSERT_EQ(Ini_GetPointerToRawString(back, "S", "V", &p), 1);
        EXPECT_EQ(std::string(p), stored);
        ASSERT_EQ(Ini_GetPointerToString(back, "S", "V", &p), 1);
        EXPECT_EQ(std::string(p), text);
        Ini_Dispose(back);
        Ini_Dispose(ini);
    }
    // Resolving what a hand-written file may hold.
    const std::pair<std::string, std::string> resolving[] = {
        {"AK", "\\x41\\x4B"}, {"q", "\\q"}, {"end", "end\\"}, {"xg1", "\\xg1"}, {"x4", "\\x4"}};
    for (const auto &[text, stored] : resolving) {
        IniDoc ini = WithStoredValue(stored);
        char *copy = nullptr;
        ASSERT_EQ(Ini_GetStringCopy(ini, "S", "V", &copy), 1);
        EXPECT_EQ(std::string(copy), text);
        std::free(copy);
        Ini_Dispose(ini);
    }
}

TEST(IniValues, StringOutputs) {
    IniDoc ini = WithStoredValue("a\\tbcdef");
    char buf[5] = "zzzz";
    EXPECT_EQ(Ini_GetStringIntoBuffer(ini, "S", "V", buf, sizeof buf), 1);
    EXPECT_STREQ(buf, "a\tbc");
    EXPECT_EQ(Ini_GetRawStringIntoBuffer(ini, "S", "V", buf, sizeof buf), 1);
    EXPECT_STREQ(buf, "a\\tb");
    EXPECT_EQ(Ini_GetStringIntoBuffer(ini, "S", "missing", buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");
    char *copy = buf;
    EXPECT_EQ(Ini_GetRawStringCopy(ini, "S", "missing", &copy), 0);
    EXPECT_EQ(copy, nullptr);
    const char *p = "old";
    EXPECT_EQ(Ini_GetPointerToString(ini, "missing", "V", &p), 0);
    EXPECT_EQ(p, nullptr);
    int i = 0;
    EXPECT_EQ(Ini_GetInt(nullptr, "S", "V", &i), INI_ERR_NULL_ARGUMENT);
    EXPECT_EQ(Ini_GetInt(ini, "S", "V", nullptr), INI_ERR_NULL_ARGUMENT);
    Ini_Dispose(ini);
}

TEST(IniValues, DataEncoding) {
    const unsigned char bytes[] = {0x00, 0xff, 0x80, 0x7f, 0x3f, 0xc0, 0x41};
    const char *encoded[] = {"",       "00",      "<0o",      ">0o0",
                             ">0o0@o", ">0o0@oo", ">0o0Coo0", ">0o0Coo0@1"};
    for (size_t n = 0; n <= 7; ++n) {
        SCOPED_TRACE(n);
        IniDoc ini = Ini_New(0);
        ASSERT_EQ(Ini_PutData(ini, "S", "D", bytes, n), 0);
        const char *raw = nullptr;
        ASSERT_EQ(Ini_GetPointerToRawString(ini, "S", "D", &raw), 1);
        EXPECT_STREQ(raw, encoded[n]);
        unsigned char *data = nullptr;
        size_t size = 99;
        ASSERT_EQ(Ini_GetData(ini, "S", "D", &data, &size), 1);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(std::string((char *)data, size), std::string((const char *)bytes, n));
        std::free(data);
        Ini_Dispose(ini);
    }
    for (const char *text : {"0", "00000", "0 00", "p0"}) {
        IniDoc ini = WithStoredValue(text);
        unsigned char *data = nullptr;
        size_t size = 0;
        EXPECT_EQ(Ini_GetData(ini, "S", "V", &data, &size), INI_ERR_BAD_DATA) << text;
        EXPECT_EQ(data, nullptr);
        Ini_Dispose(ini);
    }
}

TEST(IniValues, EveryCodeHasATextOfItsOwn) {
    const int codes[] = {INI_ERR_OPEN_READ,      INI_ERR_READ,         INI_ERR_NO_TEMP_NAME,
                         INI_ERR_CREATE_TEMP,    INI_ERR_INVALID_INT,  INI_ERR_INVALID_UINT,
                         INI_ERR_INVALID_DOUBLE, INI_ERR_INVALID_BOOL, INI_ERR_OUT_OF_MEMORY,
                         INI_ERR_NULL_ARGUMENT,  INI_ERR_NOT_FOUND,    INI_ERR_ACCESS_DENIED,
                         INI_ERR_DISK_FULL,      INI_ERR_IO,           INI_ERR_BAD_DATA,
                         INI_ERR_BAD_NAME,       INI_ERR_BAD_VALUE};
    std::set<std::string> texts;
    for (int code : codes) {
        std::string text = Ini_ErrorText(code);
        EXPECT_FALSE(text.empty()) << code;
        EXPECT_TRUE(texts.insert(text).second) << code << " " << text;
    }
    EXPECT_STREQ(Ini_ErrorText(INI_ERR_READ), "Error Reading From File");
    EXPECT_STREQ(Ini_ErrorText(0), "");
}

} // namespace

// Typed values: number and Boolean texts, escape codes, data encoding, string outputs.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

#include "inifile/inifile.h"

namespace {

// A document with one item S/V holding the given value as read from a file.
IniDoc WithValue(const std::string &value) {
    IniDoc ini = Ini_New(0);
    std::string text = "[S]\nV = " + value + "\n";
    EXPECT_EQ(Ini_ReadFromMemory(ini, text.data(), text.size()), 0);
    return ini;
}

IniDoc WithStoredValue(const std::string &raw) {
    IniDoc ini = Ini_New(0);
    EXPECT_EQ(Ini_PutRawString(ini, "S", "V", raw.c_str()), 0);
    return ini;
}

TEST(IniValues, Integers) {
    struct Case {
        std::string stored;
        int rc;
        int value; // expected when rc == 1; the old value 77 stays otherwise
    };
    const Case cases[] = {
        {"0", 1, 0},
        {"  -2147483648  ", 1, INT32_MIN},
        {"2147483647", 1, INT32_MAX},
        {"+12", 1, 12},
        {"-0", 1, 0},
        {"007", 1, 7},
        {"12 ", 1, 12},
        {"2147483648", INI_ERR_INVALID_INT, 77},
        {"-2147483649", INI_ERR_INVALID_INT, 77},
        {"4294967296", INI_ERR_INVALID_INT, 77},
        {"99999999999999999999", INI_ERR_INVALID_INT, 77},
        {"12abc", INI_ERR_INVALID_INT, 77},
        {"1 2", INI_ERR_INVALID_INT, 77},
        {"+", INI_ERR_INVALID_INT, 77},
        {"--1", INI_ERR_INVALID_INT, 77},
        {"0x10", INI_ERR_INVALID_INT, 77},
        {"1.5", INI_ERR_INVALID_INT, 77},
        {"", 0, 77},
        {"   ", 0, 77},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("\"" + c.stored + "\"");
        IniDoc ini = WithStoredValue(c.stored);
        int v = 77;
        EXPECT_EQ(Ini_GetInt(ini, "S", "V", &v), c.rc);
        EXPECT_EQ(v, c.rc == 1 ? c.value : 77);
        Ini_Dispose(ini);
    }
}

TEST(IniValues, UnsignedIntegers) {
    struct Case {
        std::string stored;
        int rc;
        unsigned value;
    };
    const Case cases[] = {
        {"4294967295", 1, 4294967295u},
        {"+1", 1, 1},
        {"0", 1, 0},
        {"-0", INI_ERR_INVALID_UINT, 5},
        {"-1", INI_ERR_INVALID_UINT, 5},
        {"4294967296", INI_ERR_INVALID_UINT, 5},
        {"x", INI_ERR_INVALID_UINT, 5},
        {" ", 0, 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored);
        IniDoc ini = WithStoredValue(c.stored);
        unsigned v = 5;
        EXPECT_EQ(Ini_GetUInt(ini, "S", "V", &v), c.rc);
        EXPECT_EQ(v, c.value);
        Ini_Dispose(ini);
    }
}

TEST(IniValues, DoublesAndBooleans) {
    struct DoubleCase {
        std::string stored;
        int rc;
        double value;
    };
    const DoubleCase doubles[] = {
        {"1.5", 1, 1.5},
        {"-2e3", 1, -2000},
        {"Inf", 1, HUGE_VAL},
        {"+inf", 1, HUGE_VAL},
        {"-INF", 1, -HUGE_VAL},
        {"1e400", INI_ERR_INVALID_DOUBLE, 0},
        {"1.5x", INI_ERR_INVALID_DOUBLE, 0},
        {"", INI_ERR_INVALID_DOUBLE, 0},
        {"1,5", INI_ERR_INVALID_DOUBLE, 0},
    };
    // A user locale with a decimal comma must not change the text form.
    const char *old = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    for (const DoubleCase &c : doubles) {
        SCOPED_TRACE(c.stored);
        IniDoc ini = WithStoredValue(c.stored);
        double v = 0;
        EXPECT_EQ(Ini_GetDouble(ini, "S", "V", &v), c.rc);
        if (c.rc == 1) {
            EXPECT_EQ(v, c.value);
        }
        Ini_Dispose(ini);
    }
    // Round trips through the written text.
    for (double d : {0.1, -1.0 / 3, 6.02214076e23, 5e-324, HUGE_VAL, -HUGE_VAL, 100.0}) {
        IniDoc ini = Ini_New(0);
        ASSERT_EQ(Ini_PutDouble(ini, "S", "D", d), 0);
        const char *raw = nullptr;
        ASSERT_EQ(Ini_GetPointerToRawString(ini, "S", "D", &raw), 1);
        EXPECT_EQ(std::string(raw).find(','), std::string::npos) << raw;
        double back = 0;
        ASSERT_EQ(Ini_GetDouble(ini, "S", "D", &back), 1) << raw;
        // "%.16g" keeps 16 significant digits: exact for these, within 1e-16 relative otherwise.
        if (std::isinf(d) || d == 100.0 || d == 5e-324)
            EXPECT_EQ(back, d) << raw;
        else
            EXPECT_NEAR(back, d, std::fabs(d) * 1e-15) << raw;
        Ini_Dispose(ini);
    }
    if (old != nullptr) std::setlocale(LC_NUMERIC, "C");

    struct BoolCase {
        std::string stored;
        int rc;
        int value;
    };
    const BoolCase bools[] = {{"True", 1, 1},
                              {"true", 1, 1},
                              {"FALSE", 1, 0},
                              {"1", INI_ERR_INVALID_BOOL, 9},
                              {"yes", INI_ERR_INVALID_BOOL, 9},
                              {"", INI_ERR_INVALID_BOOL, 9}};
    for (const BoolCase &c : bools) {
        SCOPED_TRACE(c.stored);
        IniDoc ini = WithStoredValue(c.stored);
        int v = 9;
        EXPECT_EQ(Ini_GetBoolean(ini, "S", "V", &v), c.rc);
        EXPECT_EQ(v, c.value);
        Ini_Dispose(ini);
    }
}

TEST(IniValues, PutWritesTheTextForms) {
    IniDoc ini = Ini_New(0);
    ASSERT_EQ(Ini_PutInt(ini, "S", "i", -5), 0);
    ASSERT_EQ(Ini_PutUInt(ini, "S", "u", 4294967295u), 0);
    ASSERT_EQ(Ini_PutDouble(ini, "S", "d", 0.1), 0);
    ASSERT_EQ(Ini_PutBoolean(ini, "S", "b", 7), 0);
    ASSERT_EQ(Ini_PutBoolean(ini, "S", "f", 0), 0);
    ASSERT_EQ(Ini_PutString(ini, "S", "s", nullptr), 0);
    ASSERT_EQ(Ini_PutRawString(ini, "S", "r", "a\\tb"), 0);
    std::string out;
    auto collect = [](void *d, const char *line) {
        *static_cast<std::string *>(d) += std::string(line) + "|";
        return 0;
    };
    ASSERT_EQ(Ini_WriteGeneric(ini, collect, &out), 0);
    EXPECT_EQ(out, "[S]|i = -5|u = 4294967295|d = 0.1|b = True|f = False|"
                   "s = \"\"|r = \"a\\tb\"||");
    Ini_Dispose(ini);
}

TEST(IniValues, EscapeCodes) {
    struct Case {
        std::string text;
        std::string stored;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"say \"hi\"", "say \\\"hi\\\""},
        {"C:\\dir\\", "C:\\\\dir\\\\"},
        {"a\tb\nc\rd", "a\\tb\\nc\\rd"},
        {std::string("\x01\x1f\x7f", 3), "\\x01\\x1f\\x7f"},
        {"\xc3\xa4\xe2\x82\xac", "\xc3\xa4\xe2\x82\xac"}, // UTF-8 bytes copied
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored);
        IniDoc ini = Ini_New(0);
        ASSERT_EQ(Ini_PutString(ini, "S", "V", c.text.c_str()), 0);
        const char *p = nullptr;
        ASSERT_EQ(Ini_GetPointerToRawString(ini, "S", "V", &p), 1);
        EXPECT_EQ(std::string(p), c.stored);
        ASSERT_EQ(Ini_GetPointerToString(ini, "S", "V", &p), 1);
        EXPECT_EQ(std::string(p), c.text);
        Ini_Dispose(ini);
    }
    // Resolving what a hand-written file may hold.
    const Case resolving[] = {
        {"A\x4b", "\\x41\\x4B"}, {"q", "\\q"},   {"end", "end\\"},
        {"xg1", "\\xg1"},        {"x4", "\\x4"}, {"\\", "\\\\"},
    };
    for (const Case &c : resolving) {
        SCOPED_TRACE(c.stored);
        IniDoc ini = WithStoredValue(c.stored);
        char *copy = nullptr;
        ASSERT_EQ(Ini_GetStringCopy(ini, "S", "V", &copy), 1);
        EXPECT_EQ(std::string(copy), c.text);
        std::free(copy);
        Ini_Dispose(ini);
    }
}

TEST(IniValues, StringOutputs) {
    IniDoc ini = WithValue("\"a\\tbcdef\"");
    char buf[5] = "zzzz";
    EXPECT_EQ(Ini_GetStringIntoBuffer(ini, "S", "V", buf, sizeof buf), 1);
    EXPECT_STREQ(buf, "a\tbc");
    EXPECT_EQ(Ini_GetRawStringIntoBuffer(ini, "S", "V", buf, sizeof buf), 1);
    EXPECT_STREQ(buf, "a\\tb");
    EXPECT_EQ(Ini_GetStringIntoBuffer(ini, "S", "missing", buf, sizeof buf), 0);
    EXPECT_STREQ(buf, ""); // emptied first
    char *copy = reinterpret_cast<char *>(1);
    EXPECT_EQ(Ini_GetRawStringCopy(ini, "S", "missing", &copy), 0);
    EXPECT_EQ(copy, nullptr);
    EXPECT_EQ(Ini_GetRawStringCopy(ini, "S", "V", &copy), 1);
    EXPECT_STREQ(copy, "a\\tbcdef");
    std::free(copy);
    const char *p = "old";
    EXPECT_EQ(Ini_GetPointerToString(ini, "S", "missing", &p), 0);
    EXPECT_EQ(p, nullptr);
    Ini_Dispose(ini);
}

TEST(IniValues, DataEncodingRoundTrips) {
    const unsigned char bytes[] = {0x00, 0xff, 0x80, 0x7f, 0x3f, 0xc0, 0x41};
    const char *expected[] = {"",       "00",      "<0o",      ">0o0",
                              ">0o0@o", ">0o0@oo", ">0o0Coo0", ">0o0Coo0@1"};
    for (size_t n = 0; n <= 7; ++n) {
        SCOPED_TRACE(n);
        IniDoc ini = Ini_New(0);
        ASSERT_EQ(Ini_PutData(ini, "S", "D", bytes, n), 0);
        const char *raw = nullptr;
        ASSERT_EQ(Ini_GetPointerToRawString(ini, "S", "D", &raw), 1);
        EXPECT_STREQ(raw, expected[n]);
        // Through the written text and back.
        std::string text;
        auto collect = [](void *d, const char *line) {
            *static_cast<std::string *>(d) += std::string(line) + "\n";
            return 0;
        };
        ASSERT_EQ(Ini_WriteGeneric(ini, collect, &text), 0);
        IniDoc back = Ini_New(0);
        ASSERT_EQ(Ini_ReadFromMemory(back, text.data(), text.size()), 0);
        unsigned char *data = nullptr;
        size_t size = 99;
        ASSERT_EQ(Ini_GetData(back, "S", "D", &data, &size), 1);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(size, n);
        EXPECT_EQ(std::string(reinterpret_cast<char *>(data), size),
                  std::string(reinterpret_cast<const char *>(bytes), n));
        std::free(data);
        Ini_Dispose(back);
        Ini_Dispose(ini);
    }
    // 1000 bytes come back whole through "Line" pieces.
    std::string big;
    for (int i = 0; i < 1000; ++i) big += static_cast<char>(i * 37);
    IniDoc ini = Ini_New(0);
    ASSERT_EQ(Ini_PutData(ini, "S", "D", big.data(), big.size()), 0);
    unsigned char *data = nullptr;
    size_t size = 0;
    ASSERT_EQ(Ini_GetData(ini, "S", "D", &data, &size), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(data), size), big);
    std::free(data);
    Ini_Dispose(ini);
}

TEST(IniValues, MalformedDataIsAnError) {
    for (const char *text : {"0", "00000", "0 00", "p0", "00\x7f"}) {
        SCOPED_TRACE(text);
        IniDoc ini = WithStoredValue(text);
        unsigned char *data = reinterpret_cast<unsigned char *>(1);
        size_t size = 5;
        EXPECT_EQ(Ini_GetData(ini, "S", "V", &data, &size), INI_ERR_BAD_DATA);
        EXPECT_EQ(data, nullptr);
        Ini_Dispose(ini);
    }
}

TEST(IniValues, NullArguments) {
    IniDoc ini = WithValue("1");
    int i = 0;
    EXPECT_EQ(Ini_GetInt(nullptr, "S", "V", &i), INI_ERR_NULL_ARGUMENT);
    EXPECT_EQ(Ini_GetInt(ini, "S", "V", nullptr), INI_ERR_NULL_ARGUMENT);
    EXPECT_EQ(Ini_GetInt(ini, nullptr, "V", &i), 0);
    EXPECT_EQ(Ini_PutData(ini, "S", "D", nullptr, 3), INI_ERR_NULL_ARGUMENT);
    EXPECT_EQ(Ini_PutData(ini, "S", "D", nullptr, 0), 0);
    EXPECT_EQ(Ini_PutRawString(ini, "S", "R", "a\nB = injected"), INI_ERR_BAD_VALUE);
    EXPECT_EQ(Ini_PutRawString(ini, "S", "R", "a\r"), INI_ERR_BAD_VALUE);
    EXPECT_EQ(Ini_ItemExists(ini, "S", "R"), 0);
    EXPECT_STREQ(Ini_ErrorText(INI_ERR_INVALID_UINT), "Invalid Unsigned Integer Number");
    EXPECT_STREQ(Ini_ErrorText(12345), "");
    Ini_Dispose(ini);
}

} // namespace

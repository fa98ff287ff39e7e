// Typed values of an INI document: number and Boolean texts, escape codes, the 6-bit data
// encoding, and the Put and Get operations built on them.
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>

#include "inifile/inifile_impl.h"

using namespace ini;

namespace {

// ---- escape codes ------------------------------------------------------------------------------

std::string Escape(const char *text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    if (text == nullptr) return out;
    out.reserve(std::strlen(text) + 8);
    for (const char *p = text; *p != '\0'; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (c < 0x20 || c == 0x7f) {
                out += "\\x";
                out += kHex[c >> 4];
                out += kHex[c & 15];
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A backslash and "x" without two hex digits after it reads as a plain "x", like any other
// escaped character; the engine itself never writes that.
void Unescape(std::string_view in, std::string &out) {
    out.clear();
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        char c = in[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= in.size()) break; // a lone backslash at the end is dropped
        char e = in[i];
        if (e == 'n')
            out += '\n';
        else if (e == 'r')
            out += '\r';
        else if (e == 't')
            out += '\t';
        else if (e == 'x' && i + 2 < in.size() && HexDigit(in[i + 1]) >= 0 &&
                 HexDigit(in[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(in[i + 1]) * 16 + HexDigit(in[i + 2]));
            i += 2;
        } else
            out += e;
    }
}

// ---- data encoding -----------------------------------------------------------------------------

std::string EncodeData(const unsigned char *b, size_t n) {
    std::string out;
    out.reserve(n / 3 * 4 + 3);
    auto put = [&out](int v) { out += static_cast<char>('0' + v); };
    size_t i = 0;
    for (; i + 3 <= n; i += 3) {
        put(((b[i] >> 6) << 4) | ((b[i + 1] >> 6) << 2) | (b[i + 2] >> 6));
        put(b[i] & 63);
        put(b[i + 1] & 63);
        put(b[i + 2] & 63);
    }
    if (n - i == 1) {
        put((b[i] >> 6) << 4);
        put(b[i] & 63);
    } else if (n - i == 2) {
        put(((b[i] >> 6) << 4) | ((b[i + 1] >> 6) << 2));
        put(b[i] & 63);
        put(b[i + 1] & 63);
    }
    return out;
}

// Decodes into out (which holds at least the decoded size); false for a text no encoder writes:
// a length leaving 1 over a multiple of 4, or a character outside "0".."o".
bool DecodeData(std::string_view text, unsigned char *out, size_t *size) {
    size_t len = text.size();
    if (len % 4 == 1) return false;
    for (char c : text)
        if (c < '0' || c > 'o') return false;
    auto v = [&text](size_t k) { return static_cast<unsigned>(text[k] - '0'); };
    size_t o = 0, i = 0;
    for (; i + 4 <= len; i += 4) {
        unsigned top = v(i);
        out[o++] = static_cast<unsigned char>(((top >> 4) & 3) << 6 | v(i + 1));
        out[o++] = static_cast<unsigned char>(((top >> 2) & 3) << 6 | v(i + 2));
        out[o++] = static_cast<unsigned char>((top & 3) << 6 | v(i + 3));
    }
    size_t rest = len - i;
    if (rest >= 2) {
        unsigned top = v(i);
        out[o++] = static_cast<unsigned char>(((top >> 4) & 3) << 6 | v(i + 1));
        if (rest == 3) out[o++] = static_cast<unsigned char>(((top >> 2) & 3) << 6 | v(i + 2));
    }
    *size = o;
    return true;
}

// ---- numbers -----------------------------------------------------------------------------------

bool IsBlankText(std::string_view s) {
    for (char c : s)
        if (!IsBlank(c)) return false;
    return true;
}

// Decimal integer with at most one sign and optional surrounding white space; the magnitude must
// fit 32 unsigned bits. false for anything else.
bool ParseInteger(std::string_view s, bool *negative, bool *signed_, unsigned long *magnitude) {
    size_t i = 0, n = s.size();
    while (i < n && IsBlank(s[i])) ++i;
    *negative = false;
    *signed_ = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        *signed_ = true;
        *negative = s[i] == '-';
        ++i;
    }
    size_t digits = 0;
    unsigned long v = 0;
    for (; i < n && s[i] >= '0' && s[i] <= '9'; ++i, ++digits) {
        v = v * 10 + static_cast<unsigned long>(s[i] - '0');
        if (v > 4294967295UL) return false;
    }
    if (digits == 0) return false;
    while (i < n && IsBlank(s[i])) ++i;
    if (i != n) return false;
    *magnitude = v;
    return true;
}

bool EqualsIgnoringCase(std::string_view a, const char *b) {
    return CompareNames(a, b) == 0;
}

// strtod in the "C" locale: a graphical front end switches LC_NUMERIC to the user's locale,
// which would otherwise make "1.5" unreadable where the decimal sign is a comma.
double StrtodC(const char *s, char **end) {
    static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    if (c == nullptr) return std::strtod(s, end);
    return strtod_l(s, end, c);
}

int Found(IniDoc ini, const IniItem *it) {
    ini->lastLine = it->line;
    return 1;
}

int CopyInto(std::string_view s, char *buffer, size_t bufferSize) {
    if (bufferSize == 0) return 1;
    size_t n = std::min(s.size(), bufferSize - 1);
    std::memcpy(buffer, s.data(), n);
    buffer[n] = '\0';
    return 1;
}

char *Duplicate(std::string_view s) {
    char *p = static_cast<char *>(std::malloc(s.size() + 1));
    if (p == nullptr) return nullptr;
    if (!s.empty()) std::memcpy(p, s.data(), s.size());
    p[s.size()] = '\0';
    return p;
}

} // namespace

// ---- Put ---------------------------------------------------------------------------------------

int Ini_PutInt(IniDoc ini, const char *section, const char *item, int value) {
    return Guarded([&] { return AddItem(ini, section, item, std::to_string(value), false); });
}

int Ini_PutUInt(IniDoc ini, const char *section, const char *item, unsigned int value) {
    return Guarded([&] { return AddItem(ini, section, item, std::to_string(value), false); });
}

int Ini_PutDouble(IniDoc ini, const char *section, const char *item, double value) {
    return Guarded([&] {
        // Infinities are written in the form the reader accepts, so they survive a round trip.
        if (std::isinf(value))
            return AddItem(ini, section, item, value > 0 ? "+Inf" : "-Inf", false);
        char text[40];
        auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 16);
        return AddItem(ini, section, item, std::string(text, r.ptr), false);
    });
}

int Ini_PutBoolean(IniDoc ini, const char *section, const char *item, int value) {
    return Guarded([&] { return AddItem(ini, section, item, value ? "True" : "False", false); });
}

int Ini_PutString(IniDoc ini, const char *section, const char *item, const char *value) {
    return Guarded([&] { return AddItem(ini, section, item, Escape(value), true); });
}

int Ini_PutRawString(IniDoc ini, const char *section, const char *item, const char *value) {
    // A line end would end the item's line early and turn the rest into a line of its own.
    if (value != nullptr && std::strpbrk(value, "\r\n") != nullptr) return INI_ERR_BAD_VALUE;
    return Guarded(
        [&] { return AddItem(ini, section, item, value != nullptr ? value : "", true); });
}

int Ini_PutData(IniDoc ini, const char *section, const char *item, const void *data,
                size_t dataSize) {
    if (data == nullptr && dataSize > 0) return INI_ERR_NULL_ARGUMENT;
    return Guarded([&] {
        return AddItem(ini, section, item,
                       EncodeData(static_cast<const unsigned char *>(data), dataSize), true);
    });
}

// ---- Get ---------------------------------------------------------------------------------------

int Ini_GetInt(IniDoc ini, const char *section, const char *item, int *value) {
    if (ini == nullptr || value == nullptr) return INI_ERR_NULL_ARGUMENT;
    const IniItem *it = LookupItem(ini, section, item);
    if (it == nullptr || IsBlankText(it->Value())) return 0;
    bool neg, sign;
    unsigned long mag;
    if (!ParseInteger(it->Value(), &neg, &sign, &mag)) return INI_ERR_INVALID_INT;
    if (neg ? mag > 2147483648UL : mag > 2147483647UL) return INI_ERR_INVALID_INT;
    *value = neg ? static_cast<int>(-static_cast<long long>(mag)) : static_cast<int>(mag);
    return Found(ini, it);
}

int Ini_GetUInt(IniDoc ini, const char *section, const char *item, unsigned int *value) {
    if (ini == nullptr || value == nullptr) return INI_ERR_NULL_ARGUMENT;
    const IniItem *it = LookupItem(ini, section, item);
    if (it == nullptr || IsBlankText(it->Value())) return 0;
    bool neg, sign;
    unsigned long mag;
    if (!ParseInteger(it->Value(), &neg, &sign, &mag) || neg) return INI_ERR_INVALID_UINT;
    *value = static_cast<unsigned int>(mag);
    return Found(ini, it);
}

int Ini_GetDouble(IniDoc ini, const char *section, const char *item, double *value) {
    if (ini == nullptr || value == nullptr) return INI_ERR_NULL_ARGUMENT;
    const IniItem *it = LookupItem(ini, section, item);
    if (it == nullptr) return 0;
    std::string_view t = Trim(it->Value());
    if (EqualsIgnoringCase(t, "Inf") || EqualsIgnoringCase(t, "+Inf")) {
        *value = HUGE_VAL;
        return Found(ini, it);
    }
    if (EqualsIgnoringCase(t, "-Inf")) {
        *value = -HUGE_VAL;
        return Found(ini, it);
    }
    std::string text(t);
    if (text.empty()) return INI_ERR_INVALID_DOUBLE;
    char *end = nullptr;
    errno = 0;
    double d = StrtodC(text.c_str(), &end);
    if (end != text.c_str() + text.size()) return INI_ERR_INVALID_DOUBLE;
    if (errno == ERANGE && std::isinf(d)) return INI_ERR_INVALID_DOUBLE;
    *value = d;
    return Found(ini, it);
}

int Ini_GetBoolean(IniDoc ini, const char *section, const char *item, int *value) {
    if (ini == nullptr || value == nullptr) return INI_ERR_NULL_ARGUMENT;
    const IniItem *it = LookupItem(ini, section, item);
    if (it == nullptr) return 0;
    std::string_view t = Trim(it->Value());
    if (EqualsIgnoringCase(t, "True"))
        *value = 1;
    else if (EqualsIgnoringCase(t, "False"))
        *value = 0;
    else
        return INI_ERR_INVALID_BOOL;
    return Found(ini, it);
}

int Ini_GetPointerToString(IniDoc ini, const char *section, const char *item, const char **value) {
    if (value != nullptr) *value = nullptr;
    if (ini == nullptr || value == nullptr) return INI_ERR_NULL_ARGUMENT;
    const IniItem *it = LookupItem(ini, section, item);
    if (it == nullptr) return 0;
    return Guarded([&] {
        Unescape(it->Value(), ini->stringBuffer);
        *value = ini->stringBuffer.c_str();
        return Found(ini, it);
    });
}

int Ini_GetPointerToRawString(IniDoc ini, const char *section, const char *item,
                              const char **value) {
    if (ini == nullptr || value == nullptr) return INI_ERR_NULL_ARGUMENT;
    const IniItem *it = LookupItem(ini, section, item);
    if (it == nullptr) return 0;
    *value = it->Value().data();
    return Found(ini, it);
}

int Ini_GetStringCopy(IniDoc ini, const char *section, const char *item, char **value) {
    if (value != nullptr) *value = nullptr;
    if (ini == nullptr || value == nullptr) return INI_ERR_NULL_ARGUMENT;
    const IniItem *it = LookupItem(ini, section, item);
    if (it == nullptr) return 0;
    return Guarded([&] {
        std::string s;
        Unescape(it->Value(), s);
        *value = Duplicate(s);
        return *value != nullptr ? Found(ini, it) : INI_ERR_OUT_OF_MEMORY;
    });
}

int Ini_GetRawStringCopy(IniDoc ini, const char *section, const char *item, char **value) {
    if (value != nullptr) *value = nullptr;
    if (ini == nullptr || value == nullptr) return INI_ERR_NULL_ARGUMENT;
    const IniItem *it = LookupItem(ini, section, item);
    if (it == nullptr) return 0;
    *value = Duplicate(it->Value());
    return *value != nullptr ? Found(ini, it) : INI_ERR_OUT_OF_MEMORY;
}

int Ini_GetStringIntoBuffer(IniDoc ini, const char *section, const char *item, char *buffer,
                            size_t bufferSize) {
    if (buffer != nullptr && bufferSize > 0) buffer[0] = '\0';
    if (ini == nullptr || buffer == nullptr) return INI_ERR_NULL_ARGUMENT;
    const IniItem *it = LookupItem(ini, section, item);
    if (it == nullptr) return 0;
    return Guarded([&] {
        std::string s;
        Unescape(it->Value(), s);
        CopyInto(s, buffer, bufferSize);
        return Found(ini, it);
    });
}

int Ini_GetRawStringIntoBuffer(IniDoc ini, const char *section, const char *item, char *buffer,
                               size_t bufferSize) {
    if (buffer != nullptr && bufferSize > 0) buffer[0] = '\0';
    if (ini == nullptr || buffer == nullptr) return INI_ERR_NULL_ARGUMENT;
    const IniItem *it = LookupItem(ini, section, item);
    if (it == nullptr) return 0;
    CopyInto(it->Value(), buffer, bufferSize);
    return Found(ini, it);
}

int Ini_GetData(IniDoc ini, const char *section, const char *item, unsigned char **data,
                size_t *dataSize) {
    if (data != nullptr) *data = nullptr;
    if (ini == nullptr || data == nullptr || dataSize == nullptr) return INI_ERR_NULL_ARGUMENT;
    const IniItem *it = LookupItem(ini, section, item);
    if (it == nullptr) return 0;
    // One byte more than the largest decoded size, so that empty data still gets a block.
    auto *out = static_cast<unsigned char *>(std::malloc(it->Value().size() / 4 * 3 + 3));
    if (out == nullptr) return INI_ERR_OUT_OF_MEMORY;
    size_t n = 0;
    if (!DecodeData(it->Value(), out, &n)) {
        std::free(out);
        return INI_ERR_BAD_DATA;
    }
    *data = out;
    *dataSize = n;
    return Found(ini, it);
}

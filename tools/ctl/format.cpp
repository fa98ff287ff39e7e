// How kr7mctl shows what the instrument reports.
#include <cstdio>

#include "ctl/ctl.h"

// The device-type bytes are not documented beyond being the instrument's identification. What
// KR7M instruments answer is the model name in the first four bytes ("KR7M"), then the variant
// (0 without, 1 with the option module) and the rated input current in amperes (1 or 5). A
// byte outside those meanings is named by its value, and the bytes always follow, so nothing
// the instrument said is hidden behind the reading of it.
std::string DescribeDevtype(const unsigned char *bytes) {
    std::string model;
    bool printable = true;
    int end = 4;
    while (end > 0 && (bytes[end - 1] == 0 || bytes[end - 1] == ' ')) --end;
    for (int i = 0; i < end; ++i) {
        if (bytes[i] < 0x20 || bytes[i] > 0x7E) printable = false;
        model += static_cast<char>(bytes[i]);
    }
    std::string raw = "(";
    for (int i = 0; i < 6; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", bytes[i]);
        raw += byte;
    }
    raw += ")";
    if (!printable || model.empty()) return "not recognised " + raw;

    char buf[64];
    std::string text = model;
    if (bytes[4] == 0) {
        text += ", without option module";
    } else if (bytes[4] == 1) {
        text += ", with option module";
    } else {
        std::snprintf(buf, sizeof buf, ", variant %u", bytes[4]);
        text += buf;
    }
    if (bytes[5] == 1 || bytes[5] == 5) {
        std::snprintf(buf, sizeof buf, ", %u A", bytes[5]);
    } else {
        std::snprintf(buf, sizeof buf, ", input code %u", bytes[5]);
    }
    return text + buf + " " + raw;
}

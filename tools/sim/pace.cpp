// Line formats of the paced line.
#include "sim/pace.h"

#include <cctype>
#include <cstdlib>

bool ParseLinePace(const std::string &text, LinePace *pace, std::string &error) {
    size_t comma = text.find(',');
    std::string rate = text.substr(0, comma);
    std::string format = comma == std::string::npos ? "8N1" : text.substr(comma + 1);
    char *end = nullptr;
    long baud = std::strtol(rate.c_str(), &end, 10);
    if (rate.empty() || *end || baud < 50 || baud > 4000000) {
        error = "the line rate must be 50..4000000 baud, not \"" + rate + "\"";
        return false;
    }
    if (format.size() != 3 || format[0] != '8' ||
        std::string("NEO").find(static_cast<char>(std::toupper(format[1]))) == std::string::npos ||
        (format[2] != '1' && format[2] != '2')) {
        error = "the line format must be like 8N1, 8E1 or 8N2, not \"" + format + "\"";
        return false;
    }
    pace->on = true;
    pace->baud = baud;
    pace->bitsPerChar = 1 + 8 + (std::toupper(format[1]) == 'N' ? 0 : 1) + (format[2] - '0');
    return true;
}

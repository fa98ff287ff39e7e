// Reading the initial configuration: the configuration-file reader joins here once the build
// has it; until then the option says so instead of pretending.
#include "sim/configload.h"

#include <cstring>

#include "config/record.h"

bool LoadSimConfig(const std::string &path, record &rec, std::string &error) {
    std::memset(&rec, 0, sizeof rec);
    error = "--config " + path + ": configuration files are not supported by this build";
    return false;
}

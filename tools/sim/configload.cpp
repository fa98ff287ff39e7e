// Reading the initial configuration with the program's own configuration-file reader, so the
// simulator starts from exactly what the configurator would send.
#include "sim/configload.h"

#include <cstring>

#include "config/configfile.h"
#include "config/record.h"

bool LoadSimConfig(const std::string &path, record &rec, std::string &error) {
    std::memset(&rec, 0, sizeof rec);
    if (!OpenConfigFile(path.c_str(), &rec)) {
        error = "cannot use " + path + " as the initial configuration";
        return false;
    }
    return true;
}

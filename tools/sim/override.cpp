// Parsing and looking up the hand-set values of the simulated instrument.
#include "sim/override.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "sim/instrument.h"

namespace {

bool ParseValue(const std::string &word, float *value) {
    if (word == "nan" || word == "NaN") {
        *value = std::nanf("");
        return true;
    }
    if (word == "ovl" || word == "overflow") {
        *value = 1e31f;
        return true;
    }
    char *end = nullptr;
    errno = 0;
    double v = std::strtod(word.c_str(), &end);
    if (errno || end == word.c_str() || *end || !std::isfinite(v) || std::fabs(v) > 3.4e38)
        return false;
    *value = static_cast<float>(v);
    return true;
}

} // namespace

bool ParseOverrides(const std::string &text, std::vector<SimOverride> &out, std::string &error) {
    std::vector<SimOverride> parsed;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string block, index, value, extra;
        if (!(words >> block)) continue; // empty or comment
        words >> index >> value;
        int limit = block == "values"   ? kMeasurandCount
                    : block == "minmax" ? kMinMaxCount
                    : block == "mean"   ? kMeanCount
                                        : 0;
        char *end = nullptr;
        long i = std::strtol(index.c_str(), &end, 10);
        SimOverride o{block == "values"   ? SIM_VALUES
                      : block == "minmax" ? SIM_MINMAX
                                          : SIM_MEAN,
                      static_cast<int>(i), 0.0f};
        if (limit == 0 || index.empty() || *end || i < 0 || i >= limit ||
            !ParseValue(value, &o.value) || (words >> extra)) {
            error = "line " + std::to_string(number) +
                    ": expected 'values|minmax|mean INDEX VALUE' (VALUE a number, nan or ovl; "
                    "INDEX below " +
                    std::to_string(limit ? limit : kMinMaxCount) + ")";
            return false;
        }
        parsed.push_back(o);
    }
    out = parsed;
    return true;
}

bool FindOverride(const SimInstrument &inst, int block, int index, float *value) {
    // The last setting of a value wins, as in the file.
    for (auto it = inst.overrides.rbegin(); it != inst.overrides.rend(); ++it)
        if (it->block == block && it->index == index) {
            *value = it->value;
            return true;
        }
    return false;
}

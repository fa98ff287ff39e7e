// Values set by hand: a measured, extreme or mean value that the simulated instrument reports
// as given (a number, an overflow, not a number) instead of what it measures, so that every
// marker of the views can be seen on demand. Read from a control file, one setting a line:
//
//   values 28 44.2      # instantaneous value 28 (the frequency) reads 44.2
//   minmax 35 -1.0001   # extreme 35 (lowest power factor)
//   mean 0 ovl          # mean value 0 reads 1e31, an overflow
//   values 32 nan       # not a number
//
// Indices count from 0 in register order. Each reading of the file replaces all settings.
#pragma once

#include <string>
#include <vector>

struct SimInstrument;

enum SimBlock { SIM_VALUES = 0, SIM_MINMAX, SIM_MEAN };

struct SimOverride {
    int block;
    int index;
    float value;
};

// Parses the control file's text. False with `error` naming the line that is wrong; nothing
// is returned then.
bool ParseOverrides(const std::string &text, std::vector<SimOverride> &out, std::string &error);
// The value a setting gives `block`[index], if one does.
bool FindOverride(const SimInstrument &inst, int block, int index, float *value);

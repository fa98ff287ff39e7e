// What the instrument and the main panel accept of a configuration, and bringing a record that
// came from outside (a file) into it, saying which fields changed and to what. A file saved by
// this program always lies inside; a hand-edited or damaged one may not, and its values would
// otherwise be clamped silently by the panel or sent as they are.
#pragma once

#include <string>
#include <vector>

// One field brought into range: its name as the user knows it, and its value before and after.
struct RangeFix {
    std::string field;
    double was;
    double now;
};

// The limit fields of output n (0, 1) of Konf in the panel's unit: one stored step, and the
// lowest and highest shown value. A record without a usable rating has no range (0, 0).
double LimitStep(int output);
void LimitRange(int output, double *lo, double *hi);

// Brings every field of Konf into range: a rating or ratio outside the panel's field becomes the
// new-file value, an unknown code the code of "nothing" (no output function, the first
// connection type), a limit the nearest end of its range. Returns what changed, in field order.
std::vector<RangeFix> BringIntoRange();

// "name: was -> now" for each fix, separated by "; ".
std::string DescribeFixes(const std::vector<RangeFix> &fixes);

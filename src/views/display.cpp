// The display tables and the formatting rule shared by the measurement views.
#include "views/display.h"

#include <cmath>
#include <cstdio>

#include "config/record.h"

float Nennwert[5];
float Skalierung[7];
int Stellen[7];
char Einh[5][10];
int anschl_ix = 1;

namespace {

// Unit texts per group (rows) and prefix (columns). Voltage and current label unit captions;
// the power units follow a quantity word ("P [kW]"), so they carry their brackets.
const char *const kUnits[5][4] = {
    {"V", "kV", "MV", "GV"},
    {"A", "kA", "MA", "GA"},
    {"[W]", "[kW]", "[MW]", "[GW]"},
    {"[var]", "[kvar]", "[Mvar]", "[Gvar]"},
    {"[VA]", "[kVA]", "[MVA]", "[GVA]"},
};

// The same without brackets, for read-outs and recordings.
const char *const kBareUnits[5][4] = {
    {"V", "kV", "MV", "GV"},         {"A", "kA", "MA", "GA"},     {"W", "kW", "MW", "GW"},
    {"var", "kvar", "Mvar", "Gvar"}, {"VA", "kVA", "MVA", "GVA"},
};
int gPrefix[5];

const char *const kBaseUnits[GROUP_COUNT] = {"V", "A", "W", "var", "VA", "Hz", ""};

constexpr float kSqrt3 = 1.73205081f;

} // namespace

int PrefixIndex(float rated) {
    if (rated >= 832000000.0f) return 3;
    if (rated >= 832000.0f) return 2;
    if (rated >= 832.0f) return 1;
    return 0;
}

void InitAnzeige() {
    // Ratios in single precision, as the instrument computes them.
    float rU = Lese.UrPrim / static_cast<float>(Lese.UrSec);
    float rI = Lese.IrPrim / Lese.IrSec;
    float rP = rU * rI;

    Nennwert[0] = static_cast<float>(Lese.RatedU) * rU;
    // Single-phase and balanced four-wire connections show phase-to-neutral voltages.
    if (Lese.System == 0 || Lese.System == 2) Nennwert[0] = Nennwert[0] / kSqrt3;
    Nennwert[1] = static_cast<float>(Lese.RatedI) / 100.0f * rI;
    Nennwert[2] = BerechneSr(&Lese, 0) * rP;
    Nennwert[3] = Nennwert[2];
    Nennwert[4] = Nennwert[2];

    for (int g = 0; g < 5; ++g) {
        float v = Nennwert[g];
        int j = PrefixIndex(v);
        gPrefix[g] = j;
        std::snprintf(Einh[g], sizeof Einh[g], "%s", kUnits[g][j]);
        Stellen[g] = 3 - AnzahlStellen(v) + 3 * j;
        float divisor = 1.0f;
        for (int k = 0; k < j; ++k) divisor *= 1000.0f;
        Skalierung[g] = divisor;
    }
    Skalierung[GROUP_FREQUENCY] = Skalierung[GROUP_POWERFACTOR] = 1.0f;
    Stellen[GROUP_FREQUENCY] = 2;
    Stellen[GROUP_POWERFACTOR] = 3;
    anschl_ix = Lese.System + 1;
}

void FormatValue(float x, int group, int frequencyLimits, DisplayText *out) {
    // "Not less or equal" also catches a NaN, which compares with nothing.
    bool overflow = !(x <= kOverflow);
    const char *marker = nullptr;
    // An overflowed power factor or frequency compares as too large; a NaN fails both tests
    // and stays an overflow.
    if (group == GROUP_POWERFACTOR && (x < -1.0f || x > 1.0f)) {
        marker = "---";
    } else if (frequencyLimits && group == GROUP_FREQUENCY && (x < 45.0f || x > 65.0f)) {
        marker = x < 45.0f ? "< 45" : "> 65";
    } else if (overflow) {
        marker = "OVL";
    }
    if (marker) {
        std::snprintf(out->text, sizeof out->text, "%s", marker);
        out->marked = 1;
        return;
    }
    int g = group >= 0 && group < GROUP_COUNT ? group : GROUP_VOLTAGE;
    float shown = x / Skalierung[g];
    int decimals = Stellen[g] == 2 || Stellen[g] == 3 ? Stellen[g] : 1;
    std::snprintf(out->text, sizeof out->text, "%.*f", decimals, static_cast<double>(shown));
    out->marked = 0;
}

void FailedRead(DisplayText *out) {
    std::snprintf(out->text, sizeof out->text, "%s", kFailedRead);
    out->marked = 1;
}

const char *DisplayUnit(int group) {
    if (group == GROUP_FREQUENCY) return "Hz";
    if (group < 0 || group >= GROUP_FREQUENCY) return "";
    return kBareUnits[group][gPrefix[group]];
}

const char *BaseUnit(int group) {
    return group >= 0 && group < GROUP_COUNT ? kBaseUnits[group] : "";
}

void TitleWithAddress(const char *title, const char *caption, int address, char *out, int size) {
    if (size <= 0) return;
    std::snprintf(out, static_cast<size_t>(size), "%s (%s %d)", title ? title : "",
                  caption ? caption : "", address);
}

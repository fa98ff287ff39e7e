// Measurand codes of a limit output: their kind, unit names per prefix step and how their 100 %
// value is formed. Shared by the limit editor, the configuration presentation and the views.
#pragma once

// Codes 0..12 are the only ones a limit output uses.
constexpr int kMeasurandCount = 13;

// How the 100 % value of a measurand follows from the ratings.
enum MeasurandBase {
    kBaseCurrent,     // I x rI
    kBaseVoltageLL,   // U x rU
    kBaseVoltageLN,   // U x rU / sqrt(3)
    kBasePhasePower,  // rated apparent power x rU x rI, a third of it with connection type 4
    kBaseSystemPower, // rated apparent power x rU x rI
    kBasePowerFactor, // fixed 1.0
    kBaseFrequency    // fixed 50.0 Hz
};

struct MeasurandInfo {
    int code;
    const char *kind; // plain English, for logs and tools
    MeasurandBase base;
    const char *units[4]; // unit name at prefix step 0 (1), 1 (k), 2 (M), 3 (G)
};

// The entry of a measurand code, or nullptr for a code outside 0..12.
const MeasurandInfo *MeasurandByCode(int code);

// Unit name of a measurand at a prefix step 0..3; "" for an unknown code or step, so that a
// label never shows garbage for an output that has no limit function.
const char *MeasurandUnit(int code, int step);

// Factor of a prefix step: 1, 1e3, 1e6, 1e9 (1 outside 0..3).
float PrefixFactor(int step);

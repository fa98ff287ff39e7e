// The table of limit-output measurands.
#include "config/measurands.h"

namespace {

const MeasurandInfo kMeasurands[kMeasurandCount] = {
    {0, "current", kBaseCurrent, {"A", "kA", "MA", "GA"}},
    {1, "current", kBaseCurrent, {"A", "kA", "MA", "GA"}},
    {2, "voltage line-to-line", kBaseVoltageLL, {"V", "kV", "MV", "GV"}},
    {3, "voltage line-to-neutral", kBaseVoltageLN, {"V", "kV", "MV", "GV"}},
    {4, "active power per phase", kBasePhasePower, {"W", "kW", "MW", "GW"}},
    {5, "reactive power per phase", kBasePhasePower, {"var", "kvar", "Mvar", "Gvar"}},
    {6, "apparent power per phase", kBasePhasePower, {"VA", "kVA", "MVA", "GVA"}},
    {7, "power factor", kBasePowerFactor, {"-", "-", "-", "-"}},
    {8, "active power", kBaseSystemPower, {"W", "kW", "MW", "GW"}},
    {9, "reactive power", kBaseSystemPower, {"var", "kvar", "Mvar", "Gvar"}},
    {10, "apparent power", kBaseSystemPower, {"VA", "kVA", "MVA", "GVA"}},
    {11, "current", kBaseCurrent, {"A", "kA", "MA", "GA"}},
    {12, "frequency", kBaseFrequency, {"Hz", "Hz", "Hz", "Hz"}},
};

} // namespace

const MeasurandInfo *MeasurandByCode(int code) {
    if (code < 0 || code >= kMeasurandCount) return nullptr;
    return &kMeasurands[code];
}

const char *MeasurandUnit(int code, int step) {
    const MeasurandInfo *m = MeasurandByCode(code);
    if (m == nullptr || step < 0 || step > 3) return "";
    return m->units[step];
}

float PrefixFactor(int step) {
    switch (step) {
    case 1:
        return 1000.0f;
    case 2:
        return 1000000.0f;
    case 3:
        return 1000000000.0f;
    default:
        return 1.0f;
    }
}

// The two configuration records and the quantities derived from a configuration: digits,
// rated apparent power, 100 % values, limit ranges and units, and the mantissa/exponent form
// of the transformer ratings that the instrument stores; the limit measurands; the new-file
// state.
#include "config/record.h"

#include "config/measurands.h"

#include <cmath>
#include <cstring>

#include "link/linksettings.h"

record Konf;
record Lese;

int NoVoltageTransf = 0;
int NoCurrentTransf = 0;
unsigned char Devtype[8];

namespace {

constexpr double kSqrt3 = 1.73205081;

// Largest exponent a rating can carry in its signed byte. Also stops the normalising loop on a
// value that never falls below 1000 (infinity).
constexpr int kMaxExp = 127;

// A rounded mantissa that fits the 16-bit register; out-of-range and NaN values saturate
// rather than wrapping into a different rating (float-to-int overflow is undefined).
int16_t MantissaOf(double x) {
    double t = std::trunc(x);
    if (std::isnan(t)) return 0;
    if (t > 32767.0) return 32767;
    if (t < -32768.0) return -32768;
    return static_cast<int16_t>(t);
}

// U and I of the rating that the 100 % values refer to: the instrument's input range, or the
// secondary side of the transformers.
void RatingOf(const record *rec, int fromTransformer, float *u, float *i) {
    if (fromTransformer == 0) {
        *u = static_cast<float>(rec->RatedU);
        *i = static_cast<float>(rec->RatedI) / 100.0f;
    } else {
        *u = static_cast<float>(rec->UrSec);
        *i = rec->IrSec;
    }
}

bool ValidOutput(int output) {
    return output == 0 || output == 1;
}

} // namespace

int AnzahlStellen(float x) {
    int n = 0;
    while (x > 8.32 && n < 12) {
        x = x / 10;
        n++;
    }
    return n;
}

float BerechneSr(const record *rec, int fromTransformer) {
    float u, i;
    RatingOf(rec, fromTransformer, &u, &i);
    float s = u * i;
    if (rec->System == 0) return static_cast<float>(s / kSqrt3);
    return static_cast<float>(s * kSqrt3);
}

float Messgr100(int output, int fromTransformer) {
    if (!ValidOutput(output)) return 1.0f;
    float rU = Konf.UrPrim / static_cast<float>(Konf.UrSec);
    float rI = Konf.IrPrim / Konf.IrSec;
    float g = rU * rI;
    float u, i;
    RatingOf(&Konf, fromTransformer, &u, &i);

    const MeasurandInfo *m = MeasurandByCode(Konf.DigOut[output]);
    if (m == nullptr) return 1.0f;
    switch (m->base) {
    case kBaseCurrent:
        return i * rI;
    case kBaseVoltageLL:
        return u * rU;
    case kBaseVoltageLN:
        return static_cast<float>(u * rU / kSqrt3);
    case kBasePhasePower: {
        float p = BerechneSr(&Konf, fromTransformer) * g;
        if (Konf.System == 4) p = static_cast<float>(p / 3.0);
        return p;
    }
    case kBaseSystemPower:
        return BerechneSr(&Konf, fromTransformer) * g;
    case kBasePowerFactor:
        return 1.0f;
    case kBaseFrequency:
        return 50.0f;
    }
    return 1.0f;
}

float MaxNenn(int output) {
    float a = Messgr100(output, 0);
    float c = Messgr100(output, 1);
    int d = AnzahlStellen(a);
    int e = AnzahlStellen(c);
    if (e >= d) return 10000.0f;
    // The primary rating has fewer digits than the end of the input range: the limit range is
    // cut to 8.32 x 10^e, with one digit less of resolution when the gap is two digits or more.
    double scale = (d == e + 1) ? 10000.0 : 1000.0;
    return static_cast<float>(std::pow(10.0, e) * 8.32 * scale / a);
}

namespace {

// Prefix step of the largest displayable limit of an output.
int LimitStep(int output) {
    double v = static_cast<double>(Messgr100(output, 0)) * MaxNenn(output) / 10000.0;
    if (v > 832000000.0) return 3;
    if (v > 832000.0) return 2;
    if (v > 832.0) return 1;
    return 0;
}

} // namespace

const char *GrenzwEinh(int output) {
    if (!ValidOutput(output)) return "";
    return MeasurandUnit(Konf.DigOut[output], LimitStep(output));
}

float KorrEinh(int output) {
    if (!ValidOutput(output)) return 1.0f;
    return PrefixFactor(LimitStep(output));
}

int DigoutFunc(int output) {
    if (!ValidOutput(output)) return 0;
    unsigned b = Konf.DigOut[output];
    if (b < 64) return 3;
    if (b >= 128) return 0;
    return 2;
}

void SetupInputData(record *rec) {
    int exp = 0;
    float x = rec->UrPrim;
    while (x >= 1000.0 && exp < kMaxExp) {
        x = x / 10;
        exp++;
    }
    rec->UrPrimExp = static_cast<int8_t>(exp);
    rec->UrPrimMant = MantissaOf(x + 0.5);

    rec->UrSecExp = 0;
    rec->UrSecMant = static_cast<int16_t>(rec->UrSec);

    exp = -2;
    x = 100.0f * rec->IrPrim;
    while (x >= 1000.0 && exp < kMaxExp) {
        x = x / 10;
        exp++;
    }
    rec->IrPrimExp = static_cast<int8_t>(exp);
    rec->IrPrimMant = MantissaOf(x + 0.5);

    rec->IrSecExp = -2;
    rec->IrSecMant = MantissaOf(100.0f * rec->IrSec + 0.5);
}

void RestoreInputData(record *rec) {
    float v = rec->UrPrimMant;
    for (int n = 0; n < rec->UrPrimExp; n++) v = v * 10;
    rec->UrPrim = v;

    // The secondary voltage is a 16-bit count on the instrument too; scaling wraps with it.
    uint16_t u = static_cast<uint16_t>(rec->UrSecMant);
    for (int n = 0; n < rec->UrSecExp; n++) u = static_cast<uint16_t>(u * 10u);
    rec->UrSec = u;

    v = static_cast<float>(rec->IrPrimMant / 100.0);
    for (int n = -2; n < rec->IrPrimExp; n++) v = v * 10;
    rec->IrPrim = v;

    v = static_cast<float>(rec->IrSecMant / 100.0);
    for (int n = -2; n < rec->IrSecExp; n++) v = v * 10;
    rec->IrSec = v;
}

// ---- limit measurands ---------------------------------------------------------------------------
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

// ---- new-file state
// ------------------------------------------------------------------------------
void InitNeueDatei() {
    // Module, RatedI and RatedU belong to the instrument chosen in the settings, not to the
    // configuration, so a new configuration starts from them.
    Konf.UrPrim = static_cast<float>(Konf.RatedU);
    Konf.UrSec = static_cast<uint16_t>(Konf.RatedU);
    Konf.IrPrim = static_cast<float>(Konf.RatedI) / 100.0f;
    Konf.IrSec = static_cast<float>(Konf.RatedI) / 100.0f;
    Konf.PulsRate[0] = 100;
    Konf.PulsRate[1] = 100;
    Konf.DevAddr = 247;
    Konf.DevBaud = static_cast<uint8_t>(Baudrate + 8 * Parity);
    std::memset(Konf.Descr, 0, sizeof Konf.Descr);
    Konf.LimOn[0] = Konf.LimOn[1] = 0;
    Konf.LimOff[0] = Konf.LimOff[1] = 0;
    Konf.Display = 8;
    Konf.System = 4;
    Konf.Image = 0;
    Konf.DigOut[0] = Konf.DigOut[1] = 128;
    Konf.EnergyControl = 15;
    Konf.Logger = 0;
}

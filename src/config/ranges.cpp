// Range checks of the configuration record against the instrument's codes and the panel's fields.
#include "config/ranges.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "config/record.h"
#include "link/linksettings.h"

namespace {

// The panel's fields (mainpanel.uir): a primary shown in kV up to 999999 kV.
constexpr double kPrimaryVoltageMin = 0.1, kPrimaryVoltageMax = 999999e3;
constexpr double kPrimaryCurrentMin = 0.01, kPrimaryCurrentMax = 999999e3;
constexpr double kSecondaryVoltageMin = 1, kSecondaryVoltageMax = 9999;
constexpr double kSecondaryCurrentMin = 0.01, kSecondaryCurrentMax = 100;
constexpr int kPulseRateMin = 1, kPulseRateMax = 32767;
constexpr int kLastSystem = 4;
constexpr int kLastLimitCode = 12; // measurand codes of a limit output
constexpr int kLastPulseCode = 95; // 64 + 4 x 8 metered quantities - 1
constexpr int kNoFunction = 128;
constexpr int kLastBaudIndex = 4, kLastParityIndex = 3;
constexpr int kLastBrightness = 15;
constexpr int kFirstAddress = 1, kLastAddress = 247;

bool Inside(double v, double lo, double hi) {
    return std::isfinite(v) && v >= lo && v <= hi;
}

class Fixer {
  public:
    std::vector<RangeFix> fixes;

    // The record is packed as the instrument stores it, so a field may sit at any address:
    // it is read and written byte-wise.
    template <class T> void Check(const char *field, T *value, double lo, double hi, T fallback) {
        T v;
        std::memcpy(&v, value, sizeof v);
        if (Inside(static_cast<double>(v), lo, hi)) return;
        fixes.push_back({field, static_cast<double>(v), static_cast<double>(fallback)});
        std::memcpy(value, &fallback, sizeof fallback);
    }
};

const char *const kOutputNames[2] = {"output 1", "output 2"};

} // namespace

double LimitStep(int output) {
    const double a = Messgr100(output, 0) / KorrEinh(output);
    return a / (Konf.DigOut[output] == 12 ? 5000.0 : 10000.0);
}

void LimitRange(int n, double *lo, double *hi) {
    const double a = Messgr100(n, 0) / KorrEinh(n);
    const double N = MaxNenn(n);
    *lo = 0.0;
    *hi = 1.1999 * a * N / 10000.0;
    switch (Konf.DigOut[n]) {
    case 4:
    case 5:
    case 8:
    case 9: // active and reactive powers can flow both ways
        *lo = -*hi;
        break;
    case 7:
        *hi = a;
        *lo = -a;
        break;
    case 12:
        *lo = 45.0;
        *hi = 65.0;
        break;
    default:
        break;
    }
    // A record with a zero rating (only a damaged file brings one) has no limit range.
    if (!std::isfinite(a) || !std::isfinite(*hi)) *lo = *hi = 0.0;
}

std::vector<RangeFix> BringIntoRange() {
    Fixer f;
    record &k = Konf;
    // The ratings first: the limit ranges below depend on them.
    if (k.RatedI != 100 && k.RatedI != 500) {
        f.fixes.push_back({"rated current code", static_cast<double>(k.RatedI), 500});
        k.RatedI = 500;
    }
    f.Check("rated voltage", &k.RatedU, 1, 32767, static_cast<int16_t>(500));
    f.Check("voltage transformer primary", &k.UrPrim, kPrimaryVoltageMin, kPrimaryVoltageMax,
            static_cast<float>(k.RatedU));
    f.Check("voltage transformer secondary", &k.UrSec, kSecondaryVoltageMin, kSecondaryVoltageMax,
            static_cast<uint16_t>(k.RatedU));
    f.Check("current transformer primary", &k.IrPrim, kPrimaryCurrentMin, kPrimaryCurrentMax,
            k.RatedI / 100.0f);
    f.Check("current transformer secondary", &k.IrSec, kSecondaryCurrentMin, kSecondaryCurrentMax,
            k.RatedI / 100.0f);
    f.Check("connection type", &k.System, 0, kLastSystem, static_cast<uint8_t>(0));
    for (int n = 0; n < 2; ++n) {
        std::string name = kOutputNames[n];
        const unsigned code = k.DigOut[n];
        const bool known =
            code <= kLastLimitCode || (code >= 64 && code <= kLastPulseCode) || code == kNoFunction;
        if (!known) {
            // Bit 7 alone means "no function"; anything else with it set is just as unused.
            f.fixes.push_back({name + " function code", double(code), kNoFunction});
            k.DigOut[n] = kNoFunction;
        }
        const int function = DigoutFunc(n);
        if (function == 2)
            f.Check((name + " pulse rate").c_str(), &k.PulsRate[n], kPulseRateMin, kPulseRateMax,
                    static_cast<int16_t>(100));
        if (function != 3) continue;
        double lo = 0, hi = 0;
        LimitRange(n, &lo, &hi);
        const double step = LimitStep(n);
        if (!(std::isfinite(step) && step > 0)) continue;
        // In stored steps, and inside what the 16-bit field holds.
        const double rawLo = std::fmax(std::ceil(lo / step - 1e-9), -32768.0);
        const double rawHi = std::fmin(std::floor(hi / step + 1e-9), 32767.0);
        for (int16_t *limit : {&k.LimOn[n], &k.LimOff[n]}) {
            const char *which = limit == &k.LimOn[n] ? " switch-on limit" : " switch-off limit";
            const double v = *limit;
            if (v >= rawLo && v <= rawHi) continue;
            const int16_t to = static_cast<int16_t>(v < rawLo ? rawLo : rawHi);
            f.fixes.push_back({name + which, v * step, to * step});
            *limit = to;
        }
    }
    f.Check("instrument address", &k.DevAddr, kFirstAddress, kLastAddress,
            static_cast<uint8_t>(247));
    if ((k.DevBaud & 7) > kLastBaudIndex || ((k.DevBaud >> 3) & 3) > kLastParityIndex ||
        k.DevBaud > 31) {
        const uint8_t to = static_cast<uint8_t>(Baudrate + 8 * Parity);
        f.fixes.push_back({"instrument baud rate and parity code", double(k.DevBaud), double(to)});
        k.DevBaud = to;
    }
    f.Check("display brightness", &k.Display, 0, kLastBrightness, static_cast<uint8_t>(8));
    return f.fixes;
}

std::string DescribeFixes(const std::vector<RangeFix> &fixes) {
    std::string out;
    for (const RangeFix &x : fixes) {
        char line[256];
        std::snprintf(line, sizeof line, "%s: %g -> %g", x.field.c_str(), x.was, x.now);
        if (!out.empty()) out += "; ";
        out += line;
    }
    return out;
}

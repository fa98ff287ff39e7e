// The energy meters' scale, readings, presets and the energy counted while a view is open.
#include "views/meters.h"

#include <cmath>
#include <cstdio>

#include "config/commands.h"
#include "config/record.h"

namespace {

const char *const kActiveUnits[4] = {"Wh", "kWh", "MWh", "GWh"};
const char *const kReactiveUnits[4] = {"varh", "kvarh", "Mvarh", "Gvarh"};

const char *const kCaptions[kMeterCount] = {
    "Active energy, import, tariff 1",       "Active energy, import, tariff 2",
    "Active energy, export, tariff 1",       "Active energy, export, tariff 2",
    "Reactive energy, inductive, tariff 1",  "Reactive energy, inductive, tariff 2",
    "Reactive energy, capacitive, tariff 1", "Reactive energy, capacitive, tariff 2",
};

// Readings keep 8 digits in all, whatever their decimals.
constexpr double kDigits = 99999999.0;
// More decimals than this say nothing a count could hold.
constexpr int kMostDecimals = 12;

} // namespace

MeterScaleInfo MeterScaleOf(int s) {
    int e = s, k = 0;
    while (e >= 1 && k < 3) {
        ++k;
        e -= 3;
    }
    MeterScaleInfo info{};
    info.prefix = k;
    if (e > 0) {
        // Above GWh: a count is 10^e GWh.
        info.decimals = 0;
        info.anzfakt = std::pow(10.0, -e);
        info.maximum = kDigits;
        return info;
    }
    int d = -e > kMostDecimals ? kMostDecimals : -e;
    info.decimals = d;
    info.anzfakt = std::pow(10.0, d);
    info.maximum = kDigits / info.anzfakt;
    return info;
}

const char *MeterUnit(int meter, int prefix) {
    if (prefix < 0) prefix = 0;
    if (prefix > 3) prefix = 3;
    return meter < 4 ? kActiveUnits[prefix] : kReactiveUnits[prefix];
}

const char *MeterCaption(int meter) {
    return meter >= 0 && meter < kMeterCount ? kCaptions[meter] : "";
}

double MeterReading(uint32_t count, const MeterScaleInfo &scale) {
    return static_cast<double>(count) / scale.anzfakt;
}

void FormatMeterReading(uint32_t count, const MeterScaleInfo &scale, char *out, int size) {
    std::snprintf(out, static_cast<size_t>(size), "%.*f", scale.decimals,
                  MeterReading(count, scale));
}

int PresetCount(double reading, const MeterScaleInfo &scale, uint32_t *count) {
    if (!(reading >= 0) || reading > scale.maximum * (1 + 1e-12)) return 0;
    double x = reading * scale.anzfakt;
    double nearest = std::floor(x + 0.5);
    double whole = std::fabs(x - nearest) <= 1e-6 ? nearest : std::trunc(x);
    if (whole > 4294967295.0) return 0;
    *count = static_cast<uint32_t>(whole);
    return 1;
}

void MeterSessionStart(MeterSession *session) {
    *session = MeterSession{};
}

void MeterSessionRead(MeterSession *session, const uint32_t *counts) {
    for (int i = 0; i < kMeterCount; ++i) {
        if (session->started && !session->rebase[i])
            // Unsigned difference: a meter that wraps past its largest count goes on counting.
            session->since[i] += static_cast<uint32_t>(counts[i] - session->last[i]);
        session->last[i] = counts[i];
        session->rebase[i] = 0;
    }
    session->started = 1;
}

void MeterSessionRebase(MeterSession *session, unsigned mask) {
    for (int i = 0; i < kMeterCount; ++i)
        if (mask & (1u << i)) session->rebase[i] = 1;
}

int ReadMeterScaleOnce() {
    return Read(&Lese, ReadMeterScale, 1);
}

int ResetMeters(unsigned mask) {
    ResetMeter = static_cast<int16_t>(mask & 0xFFFF);
    return Write(&Lese, WriteResetMeter, 1, 0);
}

int PresetMeters(unsigned mask, const uint32_t *counts) {
    // The meters left alone are written back with what they hold now. Counts from an earlier
    // read would take back what they counted since, so without a fresh read nothing is written.
    if (!Read(&Lese, ReadMeters, 0) && !Read(&Lese, ReadMeters, 1)) return 0;
    for (int i = 0; i < kMeterCount; ++i)
        if (mask & (1u << i)) Meters[i] = counts[i];
    return Write(&Lese, WriteMeters, 1, 0);
}

int ActiveRate(int devStatus) {
    return (devStatus & 0x0004) ? 2 : 1;
}

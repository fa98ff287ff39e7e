// The energy meters without panel work: how the instrument's meter scale turns a count into a
// reading with a unit prefix and decimals, presets back into counts, the energy counted since a
// view opened, and the resets and presets on the wire. The meters view and kr7mctl share it.
#pragma once

#include <cstdint>

constexpr int kMeterCount = 8; // meters 0..3 active energy, 4..7 reactive energy

// How the meters are shown for one meter scale s (one count = 10^s Wh or varh).
struct MeterScaleInfo {
    int prefix;     // unit prefix index 0..3: Wh, kWh, MWh, GWh (varh ...)
    int decimals;   // digits after the point
    double anzfakt; // a count divided by this is the reading in the shown unit
    double maximum; // largest reading a preset field accepts (8 digits in all)
};

// The display scale of meter scale s: the prefix grows while the exponent left is 1 or more,
// in steps of 3, and what is left below 1 becomes decimals. s = 2 shows kWh with 1 decimal.
// Beyond GWh the prefix stays at G and the reading is multiplied instead.
MeterScaleInfo MeterScaleOf(int s);

// Unit of meter `meter` (0..7) for a prefix index (0..3): "Wh" .. "GWh", "varh" .. "Gvarh".
const char *MeterUnit(int meter, int prefix);
// Caption of a meter as kr7mctl prints it ("Active energy, import, tariff 1", ...).
const char *MeterCaption(int meter);

// The reading of a count: unsigned, so the largest count never shows negative.
double MeterReading(uint32_t count, const MeterScaleInfo &scale);
// The reading as the view's field shows it, with the scale's decimals.
void FormatMeterReading(uint32_t count, const MeterScaleInfo &scale, char *out, int size);

// The count a preset reading stands for: reading x anzfakt, toward zero. A product that lies
// within a millionth of a whole count is that count, so 2.3 with factor 100 is 230, not 229.
// 0 when the reading is negative, not a number, or above the scale's maximum (nothing to
// write); 1 with *count set otherwise.
int PresetCount(double reading, const MeterScaleInfo &scale, uint32_t *count);

// Energy counted since a view opened, per meter, in counts. The first good read sets the
// start; every later read adds what the meter moved on. A meter that was reset or preset in
// between starts again from its new count, so its sum keeps what had been counted before.
struct MeterSession {
    int started;
    uint32_t last[kMeterCount];
    uint64_t since[kMeterCount];
    int rebase[kMeterCount]; // the next read sets the meter's count without adding
};
void MeterSessionStart(MeterSession *session);
void MeterSessionRead(MeterSession *session, const uint32_t *counts);
// Marks the meters of `mask` (bit i = meter i) as changed by a reset or preset.
void MeterSessionRebase(MeterSession *session, unsigned mask);

// Reads the meter scale (errors reported) into MeterScale; 1 on success. Port open.
int ReadMeterScaleOnce();
// Resets the meters of `mask` (bit i = meter i) through WriteResetMeter (errors reported).
int ResetMeters(unsigned mask);
// Presets the meters of `mask` to counts[i]: reads the meters first so that the others keep
// their counts, then writes all eight (errors of the write reported). 1 on success.
int PresetMeters(unsigned mask, const uint32_t *counts);
// The active rate from the device status word: 2 when bit 2 is set, else 1.
int ActiveRate(int devStatus);

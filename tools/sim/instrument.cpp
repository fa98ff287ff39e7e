// The register map of a simulated instrument: which registers exist, what reading them returns
// and what writing them changes.
#include "sim/instrument.h"

#include <cmath>
#include <cstring>

#include "config/record.h"

namespace {

// Registers of the configuration block that hold one 16-bit field (little-endian in a record,
// high byte first on the wire); the others hold two byte fields or text, in record order.
bool IsWordRegister(int k) {
    return k <= 5 || (k >= 33 && k <= 36) || k == 40;
}

uint16_t LowHalf(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return static_cast<uint16_t>(u & 0xFFFF);
}
uint16_t HighHalf(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return static_cast<uint16_t>(u >> 16);
}
uint16_t FloatHalf(float f, int half) {
    return half ? HighHalf(f) : LowHalf(f);
}

// A rating as mantissa and decimal exponent: at most three digits of mantissa from `minExp` up,
// rounded half up, the way the configuration program encodes them.
void EncodeRating(double value, int minExp, bool normalise, int16_t *mant, int8_t *exp) {
    double x = value * std::pow(10.0, -minExp);
    int e = minExp;
    while (normalise && x >= 1000.0 && e < 100) x /= 10.0, ++e;
    double m = std::floor(x + 0.5);
    if (m > 32767) m = 32767;
    if (m < -32768) m = -32768;
    *mant = static_cast<int16_t>(m);
    *exp = static_cast<int8_t>(e);
}

double DecodeRating(int16_t mant, int8_t exp) {
    int e = exp < -20 ? -20 : (exp > 20 ? 20 : exp);
    return mant * std::pow(10.0, e);
}

uint16_t ConfigRegister(const SimInstrument &inst, int reg) {
    return inst.config[reg - kRegConfig];
}

bool Readable(int r) {
    return (r >= kRegMeasurands && r < kRegMeasurands + 2 * kMeasurandCount) ||
           (r >= kRegMinMax && r < kRegMinMax + 2 * kMinMaxCount) ||
           (r >= kRegMeters && r < kRegMeters + 2 * kMeterCount) || r == kRegMeterScale ||
           (r >= kRegMean && r < kRegMean + 2 * kMeanCount) || r == kRegStatus ||
           (r >= kRegIdent && r < kRegIdent + 4) || (r >= kRegDevtype && r < kRegDevtype + 3) ||
           r == kRegResetMeter || r == kRegResetMinMax ||
           (r >= kRegConfig && r < kRegConfig + kConfigRegisters) ||
           (r >= kRegLogStatus && r < kRegLogStatus + kLogStatusWords) || r == kRegCommand ||
           (r >= kRegLogData && r < kRegLogData + 2 * kLoggerCapacity);
}

bool Writable(int r) {
    return (r >= kRegMeters && r < kRegMeters + 2 * kMeterCount) || r == kRegStatus ||
           r == kRegResetMeter || r == kRegResetMinMax ||
           (r >= kRegConfig && r < kRegConfig + kConfigRegisters) || r == kRegCommand;
}

uint16_t RegisterValue(const SimInstrument &inst, int r) {
    float set;
    if (r >= kRegMeasurands && r < kRegMeasurands + 2 * kMeasurandCount) {
        int i = (r - kRegMeasurands) / 2;
        return FloatHalf(FindOverride(inst, SIM_VALUES, i, &set) ? set : inst.meas[i],
                         (r - kRegMeasurands) % 2);
    }
    if (r >= kRegMinMax && r < kRegMinMax + 2 * kMinMaxCount) {
        int i = (r - kRegMinMax) / 2;
        return FloatHalf(FindOverride(inst, SIM_MINMAX, i, &set) ? set : inst.minmax[i],
                         (r - kRegMinMax) % 2);
    }
    if (r >= kRegMeters && r < kRegMeters + 2 * kMeterCount) {
        uint32_t c = inst.meters[(r - kRegMeters) / 2];
        return static_cast<uint16_t>((r - kRegMeters) % 2 ? c >> 16 : c & 0xFFFF);
    }
    if (r == kRegMeterScale) return static_cast<uint16_t>(inst.meterScale);
    if (r >= kRegMean && r < kRegMean + 2 * kMeanCount) {
        int i = (r - kRegMean) / 2;
        return FloatHalf(FindOverride(inst, SIM_MEAN, i, &set) ? set : inst.mean[i],
                         (r - kRegMean) % 2);
    }
    if (r == kRegStatus) return static_cast<uint16_t>(SimStatusWord(inst));
    if (r == kRegIdent) return static_cast<uint16_t>(inst.id.version1);
    if (r == kRegIdent + 1) return static_cast<uint16_t>(inst.id.version2);
    if (r == kRegIdent + 2) return static_cast<uint16_t>(inst.id.ratedI);
    if (r == kRegIdent + 3) return static_cast<uint16_t>(inst.id.ratedU);
    if (r >= kRegDevtype && r < kRegDevtype + 3) {
        int k = 2 * (r - kRegDevtype);
        return static_cast<uint16_t>(inst.devtype[k] << 8 | inst.devtype[k + 1]);
    }
    if (r >= kRegConfig && r < kRegConfig + kConfigRegisters) return ConfigRegister(inst, r);
    if (r == kRegLogStatus) return static_cast<uint16_t>(kLoggerCapacity);
    if (r == kRegLogStatus + 1) return static_cast<uint16_t>(inst.logger.size());
    if (r >= kRegLogStatus + 2 && r < kRegLogStatus + kLogStatusWords) {
        size_t k = static_cast<size_t>(r - kRegLogStatus - 2);
        return k < inst.failed.size() ? inst.failed[k] : 0;
    }
    if (r >= kRegLogData) {
        size_t k = static_cast<size_t>(r - kRegLogData) / 2;
        float v = k < inst.logger.size() ? inst.logger[k] : 0.0f;
        return FloatHalf(v, (r - kRegLogData) % 2);
    }
    return 0; // reset words and the command register read as 0
}

// One count stands for 10^s Wh, s chosen from the rated power so the meters run for years
// before they wrap. When the ratings change the counts are converted to the new unit.
void UpdateMeterScale(SimInstrument &inst) {
    if (inst.meterScaleFixed) return;
    double up, us, ip, is;
    SimRatings(inst, &up, &us, &ip, &is);
    double sr = 1.7320508 * up * ip;
    int s = std::isfinite(sr) && sr > 1 ? static_cast<int>(std::floor(std::log10(sr))) - 4 : 0;
    s = s < -2 ? -2 : (s > 6 ? 6 : s);
    if (s == inst.meterScale) return;
    double factor = std::pow(10.0, inst.meterScale - s);
    for (int m = 0; m < kMeterCount; ++m) {
        double c = (inst.meters[m] + inst.meterFrac[m]) * factor;
        double whole = std::floor(c);
        inst.meters[m] = static_cast<uint32_t>(std::fmod(whole, 4294967296.0));
        inst.meterFrac[m] = c - whole;
    }
    inst.meterScale = static_cast<int16_t>(s);
}

void ResetLogger(SimInstrument &inst) {
    inst.logger.clear();
    inst.failed.clear();
    inst.lastLog = inst.now;
}

void RestartInterval(SimInstrument &inst) {
    inst.intervalStart = inst.now;
    inst.intervalSum[0] = inst.intervalSum[1] = inst.intervalSum[2] = 0;
    inst.mean[0] = inst.mean[5] = inst.mean[10] = 0; // the running means start again
}

// Bit i of the mask resets group i of the extremes to the present values.
void ResetMinMaxGroups(SimInstrument &inst, unsigned mask) {
    struct Group {
        int first, last, from; // extreme rows first..last start again from measurands from..
    };
    static const Group groups[] = {
        {0, 6, 0},    {28, 34, 0},  {7, 10, 7},   {11, 15, 11},
        {16, 19, 16}, {20, 23, 20}, {24, 27, 24}, {35, 36, 32},
    };
    for (int g = 0; g < 8; ++g) {
        if (!(mask & (1u << g))) continue;
        for (int row = groups[g].first; row <= groups[g].last; ++row)
            // Both power-factor extremes (rows 35, 36) start from the one system power factor.
            inst.minmax[row] = inst.meas[g == 7 ? 32 : groups[g].from + row - groups[g].first];
    }
}

} // namespace

unsigned SimSystem(const SimInstrument &inst) {
    return ConfigRegister(inst, kRegDisplay) & 0xFF;
}
unsigned SimLoggerWord(const SimInstrument &inst) {
    return ConfigRegister(inst, 539);
}
unsigned SimEnergyControl(const SimInstrument &inst) {
    return ConfigRegister(inst, 538) & 0xFF;
}
unsigned SimDigOut(const SimInstrument &inst, int output) {
    return output == 0 ? ConfigRegister(inst, 537) & 0xFF : ConfigRegister(inst, 538) >> 8;
}

unsigned SimStatusWord(const SimInstrument &inst) {
    unsigned w = inst.outputs;
    if (inst.fixedRate) return w | (inst.fixedRate == 2 ? kStatusRate2 : 0u);
    // With tariff switching selected the instrument changes rate every minute.
    if ((SimEnergyControl(inst) & 0x40) && static_cast<long>(inst.now / 60.0) % 2 == 1)
        w |= kStatusRate2;
    return w;
}

void SimRatings(const SimInstrument &inst, double *urPrim, double *urSec, double *irPrim,
                double *irSec) {
    auto mant = [&](int r) { return static_cast<int16_t>(ConfigRegister(inst, r)); };
    auto hi = [&](int r) { return static_cast<int8_t>(ConfigRegister(inst, r) >> 8); };
    auto lo = [&](int r) { return static_cast<int8_t>(ConfigRegister(inst, r) & 0xFF); };
    *urPrim = DecodeRating(mant(501), hi(505));
    *urSec = DecodeRating(mant(502), lo(505));
    *irPrim = DecodeRating(mant(503), hi(506));
    *irSec = DecodeRating(mant(504), lo(506));
}

double SimIntervalSeconds(const SimInstrument &inst) {
    unsigned ec = SimEnergyControl(inst);
    if ((ec & 0x80) || (ec & 0x3F) == 0) return 0;
    return 60.0 * (ec & 0x3F);
}

int SimLoggerChannels(const SimInstrument &inst) {
    unsigned w = SimLoggerWord(inst);
    return ((w & kLogActive) ? 1 : 0) + ((w & kLogReactive) ? 1 : 0);
}

void SimLoadConfig(SimInstrument &inst, const record &rec) {
    record r = rec;
    EncodeRating(r.UrPrim, 0, true, &r.UrPrimMant, &r.UrPrimExp);
    EncodeRating(r.UrSec, 0, false, &r.UrSecMant, &r.UrSecExp);
    EncodeRating(r.IrPrim, -2, true, &r.IrPrimMant, &r.IrPrimExp);
    EncodeRating(r.IrSec, -2, false, &r.IrSecMant, &r.IrSecExp);
    r.Descr[sizeof r.Descr - 1] = 0;
    if (inst.address != 255) r.DevAddr = static_cast<uint8_t>(inst.address);
    const unsigned char *b = ConfigBlock(&r);
    for (int k = 0; k < kConfigRegisters; ++k)
        inst.config[k] = IsWordRegister(k) ? static_cast<uint16_t>(b[2 * k] | b[2 * k + 1] << 8)
                                           : static_cast<uint16_t>(b[2 * k] << 8 | b[2 * k + 1]);
    RestartInterval(inst);
    UpdateMeterScale(inst);
}

void SimInit(SimInstrument &inst, const SimIdentity &id, int address) {
    inst = SimInstrument();
    inst.id = id;
    inst.address = address;
    inst.seed = static_cast<uint32_t>(address) * 2654435761u;
    inst.devtype[4] = 0x01;
    inst.devtype[5] = static_cast<unsigned char>(id.ratedI == 100 ? 0x01 : 0x05);

    record r;
    std::memset(&r, 0, sizeof r);
    r.UrPrim = static_cast<float>(id.ratedU);
    r.UrSec = static_cast<uint16_t>(id.ratedU);
    r.IrPrim = r.IrSec = static_cast<float>(id.ratedI) / 100.0f;
    r.PulsRate[0] = r.PulsRate[1] = 100;
    r.DevAddr = 247;
    r.DevBaud = 3; // 9600 baud, no parity
    std::strncpy(r.Descr, "KR7M simulator", sizeof r.Descr - 1);
    r.Display = 8;
    r.System = 4;
    r.DigOut[0] = r.DigOut[1] = 128;
    r.EnergyControl = 15;
    r.Logger = kLogActive | kLogReactive;
    SimLoadConfig(inst, r);

    SimAdvanceTo(inst, 0);
}

void SimApplySettings(SimInstrument &inst, const SimSettings &set) {
    uint16_t &logger = inst.config[539 - kRegConfig];
    uint16_t &r537 = inst.config[537 - kRegConfig];
    uint16_t &r538 = inst.config[538 - kRegConfig];
    if (set.loggerChannels >= 0) {
        logger = static_cast<uint16_t>(logger & ~(kLogActive | kLogReactive));
        if (set.loggerChannels & 1) logger |= kLogActive;
        if (set.loggerChannels & 2) logger |= kLogReactive;
    }
    if (set.loggerMode >= 0) {
        logger = static_cast<uint16_t>(logger & ~0x0300u);
        if (set.loggerMode == 2) logger |= 0x0200;
        if (set.loggerMode == 3) logger |= 0x0100;
    }
    if (set.interval >= 0) {
        unsigned ec = r538 & 0x40; // the tariff bit stays
        ec |= set.interval >= 64 ? 0x80u | 15u : static_cast<unsigned>(set.interval);
        r538 = static_cast<uint16_t>((r538 & 0xFF00) | ec);
    }
    if (set.digOut[0] >= 0) r537 = static_cast<uint16_t>((r537 & 0xFF00) | (set.digOut[0] & 0xFF));
    if (set.digOut[1] >= 0)
        r538 = static_cast<uint16_t>((r538 & 0x00FF) | (set.digOut[1] & 0xFF) << 8);
    if (set.rate == 1 || set.rate == 2) inst.fixedRate = set.rate;
    if (set.fixMeterScale) {
        inst.meterScale = static_cast<int16_t>(set.meterScale);
        inst.meterScaleFixed = true;
    }
    RestartInterval(inst);
}

int SimReadRegisters(SimInstrument &inst, int start, int count, uint16_t *out) {
    for (int i = 0; i < count; ++i)
        if (!Readable(start + i)) return kExIllegalAddress;
    for (int i = 0; i < count; ++i) out[i] = RegisterValue(inst, start + i);
    return 0;
}

int SimWriteRegisters(SimInstrument &inst, int start, int count, const uint16_t *values) {
    for (int i = 0; i < count; ++i) {
        if (!Writable(start + i)) return kExIllegalAddress;
        if (start + i == kRegCommand && values[i] != kCmdIntervalRestart &&
            values[i] != kCmdLoggerReset)
            return kExIllegalValue;
    }
    unsigned oldChannels = SimLoggerWord(inst) & (kLogActive | kLogReactive);
    unsigned oldInterval = SimEnergyControl(inst) & 0xBF;
    bool configChanged = false;
    for (int i = 0; i < count; ++i) {
        int r = start + i;
        uint16_t v = values[i];
        if (r >= kRegMeters && r < kRegMeters + 2 * kMeterCount) {
            int m = (r - kRegMeters) / 2;
            inst.meters[m] = (r - kRegMeters) % 2 ? (inst.meters[m] & 0xFFFF) | uint32_t(v) << 16
                                                  : (inst.meters[m] & 0xFFFF0000u) | v;
            inst.meterFrac[m] = 0;
        } else if (r == kRegStatus) {
            // Output commands act only on outputs in manual mode (function byte bit 7).
            if ((v & 0x0100) && (SimDigOut(inst, 0) & 0x80))
                inst.outputs = (inst.outputs & ~kStatusOut1) | (v & kStatusOut1);
            if ((v & 0x0200) && (SimDigOut(inst, 1) & 0x80))
                inst.outputs = (inst.outputs & ~kStatusOut2) | (v & kStatusOut2);
        } else if (r == kRegResetMeter) {
            for (int m = 0; m < kMeterCount; ++m)
                if (v & (1u << m)) inst.meters[m] = 0, inst.meterFrac[m] = 0;
        } else if (r == kRegResetMinMax) {
            ResetMinMaxGroups(inst, v);
        } else if (r >= kRegConfig && r < kRegConfig + kConfigRegisters) {
            inst.config[r - kRegConfig] = v;
            configChanged = true;
        } else if (r == kRegCommand) {
            if (v == kCmdLoggerReset)
                ResetLogger(inst);
            else
                RestartInterval(inst);
        }
    }
    if (configChanged) {
        // A different choice of logged quantities makes the stored records meaningless.
        if ((SimLoggerWord(inst) & (kLogActive | kLogReactive)) != oldChannels) ResetLogger(inst);
        if ((SimEnergyControl(inst) & 0xBF) != oldInterval)
            RestartInterval(inst), ResetLogger(inst);
        // Outputs that leave manual mode are driven by their function again: switch them off.
        if (!(SimDigOut(inst, 0) & 0x80)) inst.outputs &= ~kStatusOut1;
        if (!(SimDigOut(inst, 1) & 0x80)) inst.outputs &= ~kStatusOut2;
        UpdateMeterScale(inst);
        SimAdvanceTo(inst, inst.now); // measured values follow the new ratings at once
    }
    return 0;
}

// What the simulated instrument measures: a three-phase load that drifts slowly around a working
// point derived from the transformer ratings, and everything kept from it over time (meters,
// extremes, mean values, logger records).
#include <cmath>

#include "sim/instrument.h"

namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kSqrt3 = 1.7320508075688772;

// Slow, smooth variation around 1.0 with the given relative amplitude and period.
double Drift(double t, double amplitude, double period, double phase) {
    return 1.0 + amplitude * std::sin(2 * kPi * t / period + phase);
}

struct Sample {
    double p, q, s; // system powers
};

// Measured values at simulated time t, following the connection type and the ratings.
Sample ComputeMeasurands(SimInstrument &inst, double t) {
    double up, us, ip, is;
    SimRatings(inst, &up, &us, &ip, &is);
    if (!(up > 0) || !std::isfinite(up)) up = inst.id.ratedU;
    if (!(ip > 0) || !std::isfinite(ip)) ip = inst.id.ratedI / 100.0;
    double ph = (inst.seed % 1000) / 159.0; // phase offset: instruments of a bus differ

    double uLine = up * 0.96 * Drift(t, 0.01, 47, ph);
    double load = 0.55 * Drift(t, 0.15, 131, ph);
    double cosPhi = 0.92 * Drift(t, 0.03, 73, ph);
    if (cosPhi > 0.999) cosPhi = 0.999;
    double freq = 50.0 * Drift(t, 0.0008, 29, ph);

    float *m = inst.meas;
    for (int i = 0; i < kMeasurandCount; ++i) m[i] = 0.0f;
    m[28] = static_cast<float>(freq);
    unsigned sys = SimSystem(inst);
    Sample total{0, 0, 0};
    if (sys >= 3) {
        double uPh[3], uLL[3], cur[3], pf[3];
        for (int k = 0; k < 3; ++k) {
            uLL[k] = uLine * (1.0 + 0.003 * k);
            uPh[k] = uLine / kSqrt3 * (1.0 - 0.004 * k);
            cur[k] = ip * load * (1.0 + 0.03 * k);
            pf[k] = cosPhi - 0.01 * k;
        }
        for (int k = 0; k < 3; ++k) {
            m[4 + k] = static_cast<float>(uLL[k]);
            m[8 + k] = static_cast<float>(cur[k]);
            m[12 + k] = static_cast<float>(cur[k] * 0.98); // thermal (bimetal) mean currents
        }
        if (sys == 4) {
            for (int k = 0; k < 3; ++k) {
                double s = uPh[k] * cur[k], p = s * pf[k], q = s * std::sqrt(1 - pf[k] * pf[k]);
                m[1 + k] = static_cast<float>(uPh[k]);
                m[16 + k] = static_cast<float>(p);
                m[20 + k] = static_cast<float>(q);
                m[24 + k] = static_cast<float>(s);
                m[29 + k] = static_cast<float>(pf[k]);
                total.p += p, total.q += q, total.s += s;
            }
            m[15] = static_cast<float>(0.04 * ip * load); // small neutral current
        } else {
            double iAvg = (cur[0] + cur[1] + cur[2]) / 3;
            total.s = kSqrt3 * uLine * iAvg;
            total.p = total.s * cosPhi;
            total.q = total.s * std::sqrt(1 - cosPhi * cosPhi);
        }
    } else {
        // One current path: single phase (0), balanced three-wire (1) or four-wire (2).
        double u = sys == 1 ? uLine : uLine / kSqrt3;
        double i = ip * load;
        m[0] = static_cast<float>(u);
        m[7] = static_cast<float>(i);
        m[11] = static_cast<float>(i * 0.98);
        total.s = u * i * (sys == 0 ? 1.0 : (sys == 1 ? kSqrt3 : 3.0));
        total.p = total.s * cosPhi;
        total.q = total.s * std::sqrt(1 - cosPhi * cosPhi);
    }
    m[19] = static_cast<float>(total.p);
    m[23] = static_cast<float>(total.q);
    m[27] = static_cast<float>(total.s);
    m[32] = static_cast<float>(total.s > 0 ? total.p / total.s : 1.0);
    return total;
}

void UpdateExtremes(SimInstrument &inst) {
    const float *m = inst.meas;
    float *x = inst.minmax;
    if (!inst.minmaxValid) {
        for (int r = 0; r < 28; ++r) x[r] = m[r];
        for (int r = 0; r < 7; ++r) x[28 + r] = m[r];
        x[35] = x[36] = m[32];
        inst.minmaxValid = true;
        return;
    }
    for (int r = 0; r < 28; ++r) x[r] = std::fmax(x[r], m[r]);
    for (int r = 0; r < 7; ++r) x[28 + r] = std::fmin(x[28 + r], m[r]);
    x[35] = std::fmin(x[35], m[32]);
    x[36] = std::fmax(x[36], m[32]);
}

void CountEnergy(SimInstrument &inst, const Sample &s, double dt) {
    double unit = std::pow(10.0, inst.meterScale); // Wh per count
    int rate = (SimStatusWord(inst) & kStatusRate2) ? 1 : 0;
    double e[2] = {s.p * dt / 3600.0, s.q * dt / 3600.0};
    for (int kind = 0; kind < 2; ++kind) {
        // Meters per kind: import rate 1, import rate 2, export rate 1, export rate 2.
        int meter = kind * 4 + (e[kind] < 0 ? 2 : 0) + rate;
        inst.meterFrac[meter] += std::fabs(e[kind]) / unit;
        double whole = std::floor(inst.meterFrac[meter]);
        inst.meterFrac[meter] -= whole;
        inst.meters[meter] += static_cast<uint32_t>(whole); // wraps like the instrument's own
    }
}

void LogRecord(SimInstrument &inst, float p, float q) {
    int channels = SimLoggerChannels(inst);
    if (channels == 0) return;
    unsigned w = SimLoggerWord(inst);
    if (static_cast<int>(inst.logger.size()) + channels > kLoggerCapacity) {
        // Full: the oldest record gives way, and the failed-value list follows the shift.
        inst.logger.erase(inst.logger.begin(), inst.logger.begin() + channels);
        std::vector<uint16_t> kept;
        for (uint16_t reg : inst.failed)
            if (reg >= kRegLogData + 1 + 2 * channels) kept.push_back(reg - 2 * channels);
        inst.failed = kept;
    }
    if (w & kLogActive) inst.logger.push_back(p);
    if (w & kLogReactive) inst.logger.push_back(q);
}

void EndInterval(SimInstrument &inst, double length) {
    float avg[3];
    for (int k = 0; k < 3; ++k) avg[k] = static_cast<float>(inst.intervalSum[k] / length);
    // Per quantity: running, last, previous, highest and lowest interval mean.
    for (int k = 0; k < 3; ++k) {
        float *v = inst.mean + 5 * k;
        v[2] = v[1];
        v[1] = avg[k];
        v[3] = inst.haveInterval ? std::fmax(v[3], avg[k]) : avg[k];
        v[4] = inst.haveInterval ? std::fmin(v[4], avg[k]) : avg[k];
    }
    inst.haveInterval = true;
    LogRecord(inst, avg[0], avg[1]);
    inst.intervalSum[0] = inst.intervalSum[1] = inst.intervalSum[2] = 0;
}

} // namespace

void SimAdvanceTo(SimInstrument &inst, double t) {
    if (t < inst.now) t = inst.now;
    Sample s = ComputeMeasurands(inst, inst.now);
    UpdateExtremes(inst);
    // Integrate in steps of at most one second so interval ends fall where they belong.
    while (inst.now < t) {
        double interval = SimIntervalSeconds(inst);
        double step = t - inst.now < 1.0 ? t - inst.now : 1.0;
        double intervalEnd = interval > 0 ? inst.intervalStart + interval : 0;
        if (interval > 0 && inst.now + step > intervalEnd) step = intervalEnd - inst.now;
        if (step < 0) step = 0;
        CountEnergy(inst, s, step);
        inst.intervalSum[0] += s.p * step;
        inst.intervalSum[1] += s.q * step;
        inst.intervalSum[2] += s.s * step;
        inst.now += step;
        if (interval > 0 && inst.now >= intervalEnd - 1e-9) {
            EndInterval(inst, interval);
            inst.intervalStart = intervalEnd;
            inst.lastLog = inst.now;
        }
        s = ComputeMeasurands(inst, inst.now);
        UpdateExtremes(inst);
    }
    double running = inst.now - inst.intervalStart;
    for (int k = 0; k < 3; ++k)
        inst.mean[5 * k] = static_cast<float>(running > 0 ? inst.intervalSum[k] / running : 0.0);
}

void SimFillLogger(SimInstrument &inst, int records, const std::vector<int> &failedRecords) {
    int channels = SimLoggerChannels(inst);
    if (channels == 0 || records <= 0) return;
    inst.logger.clear();
    inst.failed.clear();
    if (records * channels > kLoggerCapacity) records = kLoggerCapacity / channels;
    double interval = SimIntervalSeconds(inst) > 0 ? SimIntervalSeconds(inst) : 900.0;
    SimInstrument probe = inst;
    for (int k = 0; k < records; ++k) {
        Sample s = ComputeMeasurands(probe, inst.now - (records - k) * interval);
        LogRecord(inst, static_cast<float>(s.p), static_cast<float>(s.q));
    }
    for (int k : failedRecords) {
        if (k < 0 || k >= records) continue;
        for (int c = 0; c < channels; ++c) {
            size_t value = static_cast<size_t>(k * channels + c);
            inst.logger[value] = 0.0f;
            if (inst.failed.size() < static_cast<size_t>(kMaxFailed))
                inst.failed.push_back(static_cast<uint16_t>(kRegLogData + 1 + 2 * value));
        }
    }
    ComputeMeasurands(inst, inst.now);
}

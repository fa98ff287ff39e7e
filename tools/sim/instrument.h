// One simulated KR7M: its register map, the values it measures and what it keeps (extremes,
// mean values, meters, logger). No I/O: the protocol layer and the tests drive it through
// register reads and writes, and time moves only when AdvanceTo is called.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/override.h"

struct record;

// Modbus exception codes the instrument answers with.
constexpr int kExIllegalFunction = 1;
constexpr int kExIllegalAddress = 2;
constexpr int kExIllegalValue = 3;

// Register map.
constexpr int kRegMeasurands = 99; // 33 floats
constexpr int kMeasurandCount = 33;
constexpr int kRegMinMax = 199; // 37 floats
constexpr int kMinMaxCount = 37;
constexpr int kRegMeters = 299; // 8 unsigned 32-bit counts
constexpr int kMeterCount = 8;
constexpr int kRegMeterScale = 319;
constexpr int kRegMean = 349; // 15 floats
constexpr int kMeanCount = 15;
constexpr int kRegStatus = 399;
constexpr int kRegIdent = 401;   // 401..404
constexpr int kRegDevtype = 409; // 409..411
constexpr int kRegResetMeter = 419;
constexpr int kRegResetMinMax = 429;
constexpr int kRegConfig = 499; // 499..539
constexpr int kConfigRegisters = 41;
constexpr int kRegDisplay = 536;
constexpr int kRegLogStatus = 949; // 949..960
constexpr int kLogStatusWords = 12;
constexpr int kRegCommand = 969;
constexpr int kRegLogData = 999;
constexpr int kLoggerCapacity = 4000; // values (floats) the logger memory holds
constexpr int kMaxFailed = 10;        // failed-value register numbers the status can list

// Status word bits.
constexpr unsigned kStatusRate2 = 0x0004; // second rate active
constexpr unsigned kStatusOut1 = 0x2000;  // output 1 on
constexpr unsigned kStatusOut2 = 0x4000;  // output 2 on

// Commands of register 969.
constexpr unsigned kCmdIntervalRestart = 2;
constexpr unsigned kCmdLoggerReset = 3;

// Logger word bits.
constexpr unsigned kLogReactive = 0x0400;
constexpr unsigned kLogActive = 0x0800;

struct SimIdentity {
    int version1 = 123; // hundredths
    int version2 = 205;
    int ratedI = 500; // hundredths of an ampere: 100 or 500
    int ratedU = 500; // volts
};

struct SimInstrument {
    int address = 255; // 255 on the direct connection, the bus address otherwise
    SimIdentity id;
    unsigned char devtype[6] = {'K', 'R', '7', 'M', 0, 0};
    uint16_t config[kConfigRegisters] = {}; // registers 499..539 as they travel

    double now = 0;    // simulated seconds since start
    uint32_t seed = 1; // makes instruments of one bus differ a little
    float meas[kMeasurandCount] = {};
    float minmax[kMinMaxCount] = {};
    bool minmaxValid = false;
    float mean[kMeanCount] = {};
    double intervalStart = 0;   // simulated time the running interval began
    double intervalSum[3] = {}; // integrals of P, Q, S over the running interval
    bool haveInterval = false;  // a completed interval exists
    uint32_t meters[kMeterCount] = {};
    double meterFrac[kMeterCount] = {}; // parts of a count not yet counted
    int16_t meterScale = 0;
    bool meterScaleFixed = false; // set by hand: the ratings no longer choose it
    int fixedRate = 0;            // 1 or 2 set by hand; 0: the tariff switching decides
    unsigned outputs = 0;         // kStatusOut1 | kStatusOut2 as commanded

    std::vector<float> logger;    // values, oldest first
    std::vector<uint16_t> failed; // register numbers of failed values
    double lastLog = 0;           // simulated time of the last logger record

    std::vector<SimOverride> overrides; // values set by hand (override.h)

    // Counters for tests and the log.
    long requests = 0;
};

// A new instrument with the factory configuration that suits its rated current and voltage.
void SimInit(SimInstrument &inst, const SimIdentity &id, int address);
// Replaces the configuration block by that of a record (transformer ratings already in their
// mantissa/exponent fields); keeps the instrument's own address on a bus.
void SimLoadConfig(SimInstrument &inst, const record &rec);
// Settings of the configuration made by hand (the simulator's options); a negative value
// leaves a setting as it is.
struct SimSettings {
    int loggerChannels = -1;  // bit 0 active, bit 1 reactive power
    int loggerMode = -1;      // 1, 2, or 3: mode 1 with the newest record's time asked
    int interval = -1;        // minutes 0..63, 64: external synchronisation
    int digOut[2] = {-1, -1}; // output function bytes
    bool fixMeterScale = false;
    int meterScale = 0;
    int rate = 0; // 1 or 2: that rate always
};
void SimApplySettings(SimInstrument &inst, const SimSettings &settings);
// Fills the logger with `records` records, one interval apart, ending now; `failedRecords` are
// indices (0 = oldest) of records whose values are marked failed.
void SimFillLogger(SimInstrument &inst, int records, const std::vector<int> &failedRecords);

// Moves the simulated clock forward to `t` seconds: meters count, extremes and mean values
// follow, the logger records at each interval end.
void SimAdvanceTo(SimInstrument &inst, double t);

// Register access. Both return 0 or a Modbus exception code; nothing changes on an exception.
int SimReadRegisters(SimInstrument &inst, int start, int count, uint16_t *out);
int SimWriteRegisters(SimInstrument &inst, int start, int count, const uint16_t *values);

// Decoded pieces of the configuration block.
unsigned SimSystem(const SimInstrument &inst);
unsigned SimLoggerWord(const SimInstrument &inst);
unsigned SimEnergyControl(const SimInstrument &inst);
unsigned SimDigOut(const SimInstrument &inst, int output);
unsigned SimStatusWord(const SimInstrument &inst);
// Transformer ratings from their mantissa/exponent registers (primary voltage, secondary
// voltage, primary current, secondary current).
void SimRatings(const SimInstrument &inst, double *urPrim, double *urSec, double *irPrim,
                double *irSec);
// Logging interval in seconds (0 when the instrument logs on external synchronisation).
double SimIntervalSeconds(const SimInstrument &inst);
// Values per logger record: 0, 1 or 2.
int SimLoggerChannels(const SimInstrument &inst);

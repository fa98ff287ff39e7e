// The configuration record: one instrument configuration in memory. The stretch from PulsRate to
// Logger is the byte image of the instrument's registers 499..539 and is copied to and from the
// wire as a block, so the layout is packed and checked below.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct record {
    float UrPrim;     // rated primary voltage, V
    uint16_t UrSec;   // rated secondary voltage, V
    float IrPrim;     // rated primary current, A
    float IrSec;      // rated secondary current, A
    int16_t Module;   // 1 = instrument with the option module (host only)
    int16_t Version1; // register 401, hundredths
    int16_t Version2; // register 402, hundredths
    int16_t RatedI;   // register 403, hundredths of an ampere (100 or 500)
    int16_t RatedU;   // register 404, volts
    // --- registers 499..539 from here on ---
    int16_t PulsRate[2];   // 499, 500
    int16_t UrPrimMant;    // 501
    int16_t UrSecMant;     // 502
    int16_t IrPrimMant;    // 503
    int16_t IrSecMant;     // 504
    int8_t UrPrimExp;      // 505 hi
    int8_t UrSecExp;       // 505 lo
    int8_t IrPrimExp;      // 506 hi
    int8_t IrSecExp;       // 506 lo
    uint8_t DevAddr;       // 507 hi: the instrument's own bus address
    uint8_t DevBaud;       // 507 lo: bits 0-2 baud index, bits 3-4 parity index
    char Descr[48];        // 508..531, NUL-terminated
    int16_t LimOn[2];      // 532, 533
    int16_t LimOff[2];     // 534, 535
    uint8_t Display;       // 536 hi: brightness
    uint8_t System;        // 536 lo: connection type 0..4
    uint8_t Image;         // 537 hi
    uint8_t DigOut[2];     // 537 lo, 538 hi: output function bytes
    uint8_t EnergyControl; // 538 lo: interval bits 0-5, tariff bit 6, external sync bit 7
    uint16_t Logger;       // 539
};
#pragma pack(pop)

// Offsets of the configuration block inside the record and of its fields inside the block.
constexpr size_t kBlockOffset = offsetof(record, PulsRate);
constexpr size_t kBlockBytes = 82;
constexpr int kBlockFirstRegister = 499;
constexpr int kBlockRegisters = 41;

static_assert(sizeof(record) == kBlockOffset + kBlockBytes, "block must end the record");
static_assert(offsetof(record, UrPrimExp) - kBlockOffset == 12, "exponents at block byte 12");
static_assert(offsetof(record, DevAddr) - kBlockOffset == 16, "bus address: register 507");
static_assert(offsetof(record, Descr) - kBlockOffset == 18, "description: register 508");
static_assert(offsetof(record, LimOn) - kBlockOffset == 66, "LimOn: register 532");
static_assert(offsetof(record, LimOff) - kBlockOffset == 70, "LimOff: register 534");
static_assert(offsetof(record, Display) - kBlockOffset == 74, "Display: register 536");
static_assert(offsetof(record, System) - kBlockOffset == 75, "System: register 536 low byte");
static_assert(offsetof(record, Image) - kBlockOffset == 76, "Image: register 537");
static_assert(offsetof(record, EnergyControl) - kBlockOffset == 79, "EnergyControl: 538 lo");
static_assert(offsetof(record, Logger) - kBlockOffset == 80, "Logger: register 539");

// Pointer to the first byte of the configuration block of a record.
inline unsigned char *ConfigBlock(record *rec) {
    return reinterpret_cast<unsigned char *>(rec) + kBlockOffset;
}
inline const unsigned char *ConfigBlock(const record *rec) {
    return reinterpret_cast<const unsigned char *>(rec) + kBlockOffset;
}

extern record Konf; // the configuration being edited, saved and sent
extern record Lese; // what was last read from the instrument

extern int NoVoltageTransf;      // input without voltage transformer selected
extern int NoCurrentTransf;      // input without current transformer selected
extern unsigned char Devtype[8]; // identification bytes of registers 409..411, first six used

// Derived quantities. "output" is 0 for output 1, 1 for output 2. All read Konf unless a record
// is passed.
int AnzahlStellen(float x);
float BerechneSr(const record *rec, int fromTransformer);
float Messgr100(int output, int fromTransformer);
float MaxNenn(int output);
const char *GrenzwEinh(int output);
float KorrEinh(int output);
int DigoutFunc(int output);
void SetupInputData(record *rec);
void RestoreInputData(record *rec);

// New-file state of Konf (Module, RatedI and RatedU are kept).
void InitNeueDatei();

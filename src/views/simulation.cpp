// Manual mode of the outputs, their command words, and the opening and close of a simulation.
#include "views/simulation.h"

#include <cstdio>

#include "config/commands.h"
#include "config/record.h"
#include "link/report.h"

int ModifiedOutputs[2];

unsigned OutputsNotManual(const record *image) {
    unsigned mask = 0;
    for (int i = 0; i < 2; ++i)
        if (!(image->DigOut[i] & kManualMode)) mask |= 1u << i;
    return mask;
}

unsigned SetManualMode(record *image) {
    unsigned mask = OutputsNotManual(image);
    for (int i = 0; i < 2; ++i) {
        ModifiedOutputs[i] = (mask >> i) & 1;
        if (ModifiedOutputs[i])
            image->DigOut[i] = static_cast<uint8_t>(image->DigOut[i] | kManualMode);
    }
    return mask;
}

unsigned ClearManualMode(record *image) {
    unsigned mask = 0;
    for (int i = 0; i < 2; ++i) {
        if (!ModifiedOutputs[i]) continue;
        image->DigOut[i] = static_cast<uint8_t>(image->DigOut[i] & ~kManualMode);
        mask |= 1u << i;
    }
    return mask;
}

uint16_t OutputCommandWord(int output, int on) {
    uint16_t word = output == 0 ? 0x0100 : 0x0200;
    if (on) word |= output == 0 ? 0x2000 : 0x4000;
    return word;
}

uint16_t SwitchCommandWord(int button, int value, int *partner) {
    int output = button >= SIM_OUT2_ON ? 1 : 0;
    bool onButton = button == SIM_OUT1_ON || button == SIM_OUT2_ON;
    int on = onButton ? (value != 0) : (value == 0);
    *partner = value ? 0 : 1;
    return OutputCommandWord(output, on);
}

int SendOutputCommand(uint16_t word) {
    DevStatus = static_cast<int16_t>(word);
    return Write(&Lese, WriteDevStatus, 1, 0);
}

int BeginOutputSimulation() {
    ModifiedOutputs[0] = ModifiedOutputs[1] = 0;
    if (OutputsNotManual(&Lese)) {
        if (!Warnung(2, 2)) return 0;
        SetManualMode(&Lese);
        if (!Write(&Lese, WriteSimulation, 1, 0)) {
            ModifiedOutputs[0] = ModifiedOutputs[1] = 0;
            return 0;
        }
    }
    if (!Read(&Lese, ReadDevStatus, 1)) {
        // Manual mode is set by now: take it back rather than leave the outputs switched off
        // from their functions with no view open.
        EndOutputSimulation();
        return 0;
    }
    return 1;
}

int EndOutputSimulation() {
    unsigned mask = ClearManualMode(&Lese);
    ModifiedOutputs[0] = ModifiedOutputs[1] = 0;
    if (!mask) return 1;
    char detail[160];
    std::snprintf(detail, sizeof detail,
                  "%s could not be given back %s function and %s in manual mode.",
                  mask == 3 ? "Outputs 1 and 2" : (mask == 1 ? "Output 1" : "Output 2"),
                  mask == 3 ? "their" : "its", mask == 3 ? "stay" : "stays");
    SetErrorDetail(detail);
    int ok = Write(&Lese, WriteSimulation, 1, 0);
    SetErrorDetail(nullptr);
    return ok;
}

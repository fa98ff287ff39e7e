// The new-file state of the edited configuration.
#include "config/record.h"
#include "link/linksettings.h"

#include <cstring>

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

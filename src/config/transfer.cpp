// Reading, sending and adopting the instrument's configuration.
#include "config/transfer.h"

#include "config/commands.h"
#include "config/record.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "link/report.h"
#include "platform/serial/rs232.h"

namespace {
constexpr int kRatedOneAmp = 100;
constexpr int kRatedFiveAmps = 500;

// Closes the port, lets the progress bar be seen at its last value, removes it.
void EndTransfer() {
    CloseInterface();
    Delay(0.1);
    TransferWindow(1, 0, 0.0);
}
} // namespace

int LeseKonfiguration() {
    TransferWindow(0, 0, 0.0);
    if (ReadIdentification(&Lese, 14, 28)) {
        status = Read(&Lese, ReadConfigBlock, 1);
        TransferWindow(2, 100, 0.0);
    }
    Delay(0.1);
    TransferWindow(1, 0, 0.0);
    if (!status) return 0;
    RestoreInputData(&Lese);
    return 1;
}

int SendConfiguration() {
    SetupInputData(&Konf);
    if (!Warnung(0, 0)) return 0;
    if (!InitInterface(CommPort)) return 0;

    TransferWindow(0, 0, 0.0);
    int written = 0;
    if (ReadIdentification(&Lese, 13, 27)) {
        int mismatch = 0;
        if (Konf.RatedI == kRatedFiveAmps && Lese.RatedI == kRatedOneAmp)
            mismatch = 8;
        else if (Konf.RatedI == kRatedOneAmp && Lese.RatedI == kRatedFiveAmps)
            mismatch = 7;
        if (mismatch) {
            Error(4, mismatch);
            CloseInterface();
            TransferWindow(1, 0, 0.0);
            return -1;
        }
        status = Read(&Lese, ReadDisplay, 1);
        TransferWindow(2, 32, 0.0);
        if (status) {
            // Sending never changes the instrument's brightness or starts a simulation.
            Konf.Image = 0;
            Konf.Display = Lese.Display;
            if (CommType == 1) {
                // On the bus the instrument keeps the address and line settings it is reached by.
                Konf.DevAddr = static_cast<uint8_t>(DeviceAddr);
                Konf.DevBaud = static_cast<uint8_t>(Baudrate + 8 * Parity);
            }
            status = Write(&Konf, WriteConfigBlock, 1, 0);
            if (status) {
                TransferWindow(2, 100, 0.0);
                written = 1;
            }
        }
    }
    EndTransfer();
    return written;
}

int AdoptDeviceConfiguration() {
    if (!InitInterface(CommPort)) return 0;
    int r = LeseKonfiguration();
    CloseInterface();
    if (!r) return 0;
    Lese.Module = Konf.Module;
    Konf = Lese;
    NoVoltageTransf = 0;
    NoCurrentTransf = 0;
    return 1;
}

// Sending the edited configuration to the instrument and adopting the instrument's configuration
// as the edited one: the panel work around the transfer core.
#include "config/mainpanel.h"

#include "config/transfer.h"
#include "inifile/settings.h"

void CmSendConfig(int, int, void *, int) {
    // A rated-current mismatch leaves the panel exactly as it was; every other outcome redraws,
    // since the send preparation has rounded the ratings and taken the display byte.
    if (SendConfiguration() != -1) ShowAll();
}

void CmRecFromDev(int, int, void *, int) {
    if (!AdoptDeviceConfiguration()) return;
    NewINIFile(); // the settings file takes the instrument's module and rated values
    ActivateObjects();
    ShowAll();
}

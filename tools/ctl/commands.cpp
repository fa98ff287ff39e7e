// The commands of kr7mctl over the headless core.
#include <cstdio>
#include <cstdlib>

#include "config/commands.h"
#include "config/configfile.h"
#include "config/record.h"
#include "config/transfer.h"
#include "ctl/ctl.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "link/report_console.h"

int CmdInfo() {
    if (!InitInterface(CommPort)) return kExitFailure;
    ReadIdentification(&Lese, 0, 0);
    CloseInterface();
    if (!status) return kExitFailure;

    char v1[16], v2[16];
    FormatVersion(Lese.Version1, v1, sizeof v1);
    FormatVersion(Lese.Version2, v2, sizeof v2);
    std::printf("Version 1:      %s\n", v1);
    std::printf("Version 2:      %s\n", v2);
    std::printf("Rated current:  %d.%02d A (%d)\n", Lese.RatedI / 100, std::abs(Lese.RatedI % 100),
                Lese.RatedI);
    std::printf("Rated voltage:  %d V\n", Lese.RatedU);
    std::printf("Device type:   ");
    for (int i = 0; i < 6; ++i) std::printf(" %02X", Devtype[i]);
    std::printf("\n");
    return kExitOk;
}

int CmdReadConfig(const char *path) {
    // Exactly what the window's "receive from instrument" does to the edited configuration,
    // then what its save does with it.
    if (!AdoptDeviceConfiguration()) return kExitFailure;
    if (!WriteConfigFile(path, &Konf, kEnglishCaptions, ConfigStampNow(), ConfigShownOf(&Konf)))
        return kExitFailure;
    std::printf("Configuration read and saved to %s\n", path);
    return kExitOk;
}

int CmdSendConfig(const char *path, bool yes) {
    if (!OpenConfigFile(path, &Konf)) return kExitFailure;
    Console_SetAnswer(yes ? kConsoleAnswerYes : kConsoleAnswerAsk);
    int warningsBefore = Console_Report().warnings;
    int r = SendConfiguration();
    if (r == 1) {
        std::printf("Configuration from %s sent\n", path);
        return kExitOk;
    }
    const ConsoleReport &rep = Console_Report();
    if (r == 0 && rep.warnings > warningsBefore && rep.lastWarningAnswer == 0)
        std::fprintf(stderr, "Not confirmed: nothing was sent.\n");
    return kExitFailure;
}

int CmdProbe(int address) {
    if (!InitInterface(CommPort)) return kExitFailure;
    int answered = Diagnose(CommPort, address);
    CloseInterface();
    std::printf("Address %d %s\n", address, answered ? "answered" : "did not answer");
    return answered ? kExitOk : kExitFailure;
}

// The commands of kr7mctl over the headless core.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "config/commands.h"
#include "config/configfile.h"
#include "config/ranges.h"
#include "config/record.h"
#include "config/settings.h"
#include "config/transfer.h"
#include "ctl/ctl.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "link/report_console.h"
#include "platform/serial/portmap.h"

int ApplyCtlOptions(const CtlOptions &o) {
    LoadINIDefault();
    ReadINIFile();
    InitNeueDatei();

    if (o.port) CommPort = o.port;
    if (!o.device.empty() && SetComPortDevice(CommPort, o.device.c_str()) != 0) {
        std::fprintf(stderr, "kr7mctl: port %d cannot take the device path %s\n", CommPort,
                     o.device.c_str());
        return kExitUsage;
    }
    if (o.bus) {
        CommType = 1;
        DeviceAddr = o.bus;
    } else if (o.port || !o.device.empty()) {
        CommType = 0;
    }
    if (o.baud >= 0) Baudrate = o.baud;
    if (o.parity >= 0) Parity = o.parity;
    if (o.noRts) RTSFlow = 0;
    return kExitOk;
}

int CmdInfo(const CtlOptions &) {
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
    std::printf("Device type:    %s\n", DescribeDevtype(Devtype).c_str());
    return kExitOk;
}

int CmdReadConfig(const CtlOptions &o) {
    // Exactly what the window's "receive from instrument" does to the edited configuration,
    // then what its save does with it.
    const char *path = o.args[0].c_str();
    if (!AdoptDeviceConfiguration()) return kExitFailure;
    if (!WriteConfigFile(path, &Konf, kEnglishCaptions, ConfigStampNow(), ConfigShownOf(&Konf)))
        return kExitFailure;
    std::printf("Configuration read and saved to %s\n", path);
    return kExitOk;
}

int CmdSendConfig(const CtlOptions &o) {
    const char *path = o.args[0].c_str();
    if (!OpenConfigFile(path, &Konf)) return kExitFailure;
    // A value out of range is never sent unnoticed: named and refused, or with --force sent
    // as it was corrected.
    const std::vector<RangeFix> fixes = BringIntoRange();
    if (!fixes.empty()) {
        std::fprintf(stderr, "kr7mctl: %s: values out of range: %s\n", path,
                     DescribeFixes(fixes).c_str());
        if (!o.force) {
            std::fprintf(stderr, "Nothing was sent; --force sends the corrected values.\n");
            return kExitFailure;
        }
        std::fprintf(stderr, "Sending the corrected values (--force).\n");
    }
    Console_SetAnswer(o.yes ? kConsoleAnswerYes : kConsoleAnswerAsk);
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

int CmdProbe(const CtlOptions &o) {
    long address = 0;
    ParseNumber(o.args[0], kFirstBusAddress, kLastBusAddress, &address);
    // An address means something only on the bus: the probe talks on the bus line whatever
    // connection the settings name, as the interface dialog's search does.
    CommType = 1;
    if (!InitInterface(CommPort)) return kExitFailure;
    int answered = Diagnose(CommPort, static_cast<int>(address));
    CloseInterface();
    std::printf("Address %ld %s\n", address, answered ? "answered" : "did not answer");
    return answered ? kExitOk : kExitFailure;
}

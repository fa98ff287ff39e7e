// kr7mctl scan: the bus search of the interface dialog, from the command line.
#include <cstdio>
#include <ctime>

#include "config/settings.h"
#include "ctl/ctl.h"
#include "link/linksettings.h"
#include "link/search.h"

namespace {

double Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}

int gPrinted = 0;

// Prints each find as soon as the search moves past it, so a long search shows its progress.
int PrintNewFinds(int, void *) {
    int known = CountKnownDevices();
    for (; gPrinted < known; ++gPrinted) std::printf("found %d\n", DevSearch[gPrinted]);
    std::fflush(stdout);
    return 0;
}

} // namespace

int CmdScan(const CtlOptions &o) {
    const int last = o.range ? o.range : 32;
    CommType = 1; // a search only makes sense on the bus
    const int baud = Baudrate, parity = Parity;
    gPrinted = 0;
    const double start = Now();
    if (!SearchDevices(CommPort, last, PrintNewFinds, nullptr)) return kExitFailure;
    PrintNewFinds(0, nullptr);
    const double took = Now() - start;
    const int found = CountKnownDevices();
    if (found == 0)
        std::printf("no instrument answered on addresses 1..%d (%.2f s)\n", last, took);
    else
        std::printf("%d instrument%s on addresses 1..%d (%.2f s)\n", found, found == 1 ? "" : "s",
                    last, took);
    if (!o.save) return kExitOk;

    // What the dialog's search writes: the settings file as it was, with the bus connection,
    // the line the search ran on and the new list; the port, its device and the address talked
    // to stay those of the file, whatever this run's options said.
    int list[32];
    for (int i = 0; i < 32; ++i) list[i] = DevSearch[i];
    LoadINIDefault();
    ReadINIFile();
    CommType = 1;
    Baudrate = baud;
    Parity = parity;
    for (int i = 0; i < 32; ++i) DevSearch[i] = list[i];
    Search_Result = found > 0 ? 1 : 0;
    if (!NewINIFile()) {
        std::fprintf(stderr, "kr7mctl: cannot write the settings file %s\n", SettingsFilePath());
        return kExitFailure;
    }
    std::printf("saved to %s\n", SettingsFilePath());
    return kExitOk;
}

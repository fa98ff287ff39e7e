// kr7m-sim: a simulated KR7M (or a bus of them) on a pseudo-terminal, for developers, tests and
// users without an instrument at hand.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "config/record.h"
#include "sim/configload.h"
#include "sim/fault.h"
#include "sim/ptyserver.h"
#include "sim/simargs.h"
#include "sim/slave.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

} // namespace

int main(int argc, char **argv) {
    SimOptions o;
    std::string error;
    switch (ParseSimCommandLine(argc, argv, &o, &error)) {
    case kShowHelp:
        std::fputs(SimHelpText(), stdout);
        return 0;
    case kShowVersion:
        std::fputs(VersionText("kr7m-sim").c_str(), stdout);
        return 0;
    case kBadUsage:
        std::fputs(UsageText("kr7m-sim", error).c_str(), stderr);
        return kExitUsageError;
    case kRunProgram:
        break;
    }
    std::vector<int> busAddresses = o.busAddresses;
    ServeSettings settings;
    settings.speed = o.speed;
    settings.pace = o.pace;

    record initial;
    bool haveConfig = false;
    if (!o.configPath.empty()) {
        if (!LoadSimConfig(o.configPath, initial, error)) {
            std::fprintf(stderr, "kr7m-sim: %s\n", error.c_str());
            return 1;
        }
        haveConfig = true;
    }

    SimBus bus;
    bus.direct = busAddresses.empty();
    if (bus.direct) busAddresses.push_back(kDirectAddress);
    for (int address : busAddresses) {
        SimInstrument inst;
        SimInit(inst, o.id, address);
        if (haveConfig) SimLoadConfig(inst, initial);
        SimSettings set;
        set.loggerChannels = o.loggerChannels;
        set.loggerMode = o.loggerMode;
        set.interval = o.interval;
        if (o.digOut.size() == 2) set.digOut[0] = o.digOut[0], set.digOut[1] = o.digOut[1];
        set.fixMeterScale = o.meterScale != kNoSetting;
        set.meterScale = o.meterScale;
        set.rate = o.rate;
        SimApplySettings(inst, set);
        SimFillLogger(inst, o.loggerRecords, o.failedRecords);
        inst.overrides = o.overrides;
        bus.units.push_back(inst);
    }

    if (!o.logPath.empty()) {
        settings.log = std::fopen(o.logPath.c_str(), "a");
        if (!settings.log) {
            std::fprintf(stderr, "kr7m-sim: cannot open %s: %s\n", o.logPath.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }

    // Hand-set values come also from a control file, read whenever it changes.
    settings.controlFile = o.valuesPath.empty() ? o.link + ".values" : o.valuesPath;

    std::string slavePath;
    int master = OpenPseudoTerminal(slavePath, error);
    if (master < 0) {
        std::fprintf(stderr, "kr7m-sim: %s\n", error.c_str());
        return 1;
    }
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    if (sigaction(SIGINT, &sa, nullptr) != 0 || sigaction(SIGTERM, &sa, nullptr) != 0 ||
        sigaction(SIGHUP, &sa, nullptr) != 0) {
        std::fprintf(stderr, "kr7m-sim: sigaction: %s\n", std::strerror(errno));
        return 1;
    }
    if (!PlaceLink(o.link, slavePath, error)) {
        std::fprintf(stderr, "kr7m-sim: %s\n", error.c_str());
        close(master);
        return 1;
    }
    if (bus.direct) {
        std::printf("kr7m-sim: %s -> %s, direct connection (address 255)\n", o.link.c_str(),
                    slavePath.c_str());
    } else {
        std::printf("kr7m-sim: %s -> %s, bus addresses", o.link.c_str(), slavePath.c_str());
        for (const SimInstrument &u : bus.units) std::printf(" %d", u.address);
        std::printf("\n");
    }
    std::fflush(stdout);

    int rc = Serve(master, bus, o.plan, settings, &g_stop, error);
    RemoveLink(o.link, slavePath);
    close(master);
    if (settings.log) std::fclose(settings.log);
    if (rc != 0) {
        std::fprintf(stderr, "kr7m-sim: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

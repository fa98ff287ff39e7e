// Exchange rate of the link against libmodbus: both read the 66 measurand registers from the same
// kr7m-sim over the same pseudo-terminal, in alternating rounds, and the ratio is printed.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <modbus.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "config/commands.h"
#include "link/frame.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "link/report_console.h"
#include "platform/serial/portmap.h"

#include "../simulator.h"

namespace {

constexpr int kExchanges = 2000;
constexpr int kRounds = 40;
constexpr int kAddress = 1;

struct Tally {
    double seconds = 0;
    int done = 0, failed = 0;
};

void RunOurs(int count, Tally &t) {
    double start = Now();
    for (int i = 0; i < count; ++i) {
        if (Read(&Lese, ReadMeasurands, 0))
            ++t.done;
        else
            ++t.failed;
    }
    t.seconds += Now() - start;
}

void RunLibmodbus(modbus_t *ctx, int count, Tally &t) {
    uint16_t regs[66];
    double start = Now();
    for (int i = 0; i < count; ++i) {
        if (modbus_read_registers(ctx, 99, 66, regs) == 66)
            ++t.done;
        else
            ++t.failed;
    }
    t.seconds += Now() - start;
}

} // namespace

int main() {
    char dir[] = "/tmp/kr7m-bench-XXXXXX";
    if (!mkdtemp(dir)) {
        std::perror("mkdtemp");
        return 1;
    }
    std::string link = std::string(dir) + "/tty";
    pid_t sim = StartSim(link, {"--bus", "1"});
    if (sim < 0) {
        std::fprintf(stderr, "bench_exchange: kr7m-sim did not start\n");
        return 1;
    }

    // The link as the configurator would use it on a bus at 19200 baud, without RTS switching
    // (libmodbus switches none either).
    Console_SetOutput(stderr);
    CommType = 1;
    DeviceAddr = kAddress;
    Baudrate = 4;
    Parity = 0;
    RTSFlow = 0;
    CommPort = 1;
    SetComPortDevice(CommPort, link.c_str());

    modbus_t *ctx = modbus_new_rtu(link.c_str(), 19200, 'N', 8, 1);
    int rc = 1;
    if (!ctx || modbus_set_slave(ctx, kAddress) != 0) {
        std::fprintf(stderr, "bench_exchange: libmodbus: %s\n", modbus_strerror(errno));
    } else {
        modbus_set_response_timeout(ctx, 0, 500000);
        Tally ours, theirs;
        // Alternate rounds so that neither side profits from a quieter moment of the machine.
        for (int round = 0; round < kRounds; ++round) {
            if (!InitInterface(CommPort)) break;
            RunOurs(kExchanges / kRounds, ours);
            CloseInterface();
            if (modbus_connect(ctx) != 0) {
                std::fprintf(stderr, "bench_exchange: libmodbus connect: %s\n",
                             modbus_strerror(errno));
                break;
            }
            RunLibmodbus(ctx, kExchanges / kRounds, theirs);
            modbus_close(ctx);
        }
        if (ours.done + ours.failed == kExchanges && theirs.done + theirs.failed == kExchanges) {
            double rOurs = ours.done / ours.seconds, rTheirs = theirs.done / theirs.seconds;
            std::printf("exchange: %d reads of 66 registers from kr7m-sim over a pseudo-terminal\n",
                        kExchanges);
            std::printf("  link      %8.1f exchanges/s  (%d failed)\n", rOurs, ours.failed);
            std::printf("  libmodbus %8.1f exchanges/s  (%d failed)\n", rTheirs, theirs.failed);
            std::printf("  ratio link/libmodbus %.2f\n", rOurs / rTheirs);
            rc = ours.failed || theirs.failed ? 1 : 0;
        }
        modbus_free(ctx);
    }
    StopSim(sim);
    unlink(link.c_str());
    rmdir(dir);
    return rc;
}

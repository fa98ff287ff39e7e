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
#include "sim/slave.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

const char kHelp[] = R"(Usage: kr7m-sim LINK [options]

Simulates a KR7M measuring instrument (or several on a bus) answering Modbus RTU on a
pseudo-terminal. LINK becomes a symbolic link to the terminal's device; point the
configurator at it (kr7mctl --device LINK, or the port map of the settings file).
The simulator runs until SIGINT (Ctrl-C) or SIGTERM, then removes LINK.

Options:
  --bus ADDR[,ADDR...]   one instrument per bus address (1..247); without it, one
                         instrument on the direct connection (address 255).
                         Broadcast writes (address 0) reach every instrument and
                         are never answered.
  --rated-current 1|5    rated input current in A (register 403: 100 or 500); default 5
  --rated-voltage V      rated input voltage in V (register 404); default 500
  --version1 N           first version number in hundredths (register 401); default 123
  --version2 N           second version number in hundredths (register 402); default 205
  --config FILE.KR7      initial configuration from a configuration file
  --log FILE             append every frame received and sent to FILE, in hex with a
                         time stamp (RX, TX, "RX garbage" for skipped bytes, "-- fault")
  --fault RULES          spoil answers on purpose (may be given more than once)
  --seed N               seed of the random faults (default 1)
  --speed F              simulated seconds per real second (default 1): meters, mean
                         values and the logger run F times faster
  --logger-records N     records in the logger at start (default 96)
  --logger-failed LIST   record numbers (0 = oldest) whose values are marked failed
  --help                 this text

Values set by hand: while it runs, the simulator reads LINK.values whenever that
file changes; each line "values|minmax|mean INDEX VALUE" makes that value (index
from 0 in register order) read as VALUE: a number, nan, or ovl (1e31, an
overflow). Removing a line or the file gives the measured value back. Example:
  echo "values 28 44.2" > /tmp/kr7m.values   # the frequency reads 44.2 Hz

Fault rules: one or more rules separated by commas,
  KIND[:WHEN]
  KIND  drop       no answer at all
        crc        answer with a damaged checksum
        short      only the first half of the answer
        late[=MS]  the answer after MS milliseconds (default 500); answers to
                   later requests wait behind it
  WHEN  every=N    every N-th answered request (the default is every one)
        first=N    the first N answered requests
        p=P        each answered request with probability P (0..1)
Answered requests are counted from 1 across all instruments; the first rule that
fires decides. Examples: --fault drop:every=3   --fault crc:first=2,late=300:p=0.1

What the instrument serves (register numbers as they travel in the frames):
  99..164   33 instantaneous values (float, low register first), following the
            connection type and transformer ratings of the configuration
  199..272  37 extreme values; 429 (write) resets groups of them, bit 0..7
  299..314  8 energy meters (unsigned 32-bit, writable); 319 meter scale (10^s Wh);
            419 (write) resets meters, bit i = meter i
  349..378  15 mean values (P, Q, S: running, last, previous, highest, lowest)
  399       status: bit 2 second rate (changes every minute with tariff switching),
            bits 13/14 outputs; writing it switches outputs in manual mode
  401..404  versions, rated current, rated voltage; 409..411 device type
  499..539  configuration block (536 display, 537..538 simulation bytes)
  949..960  logger status; 969 command (2 = restart interval, 3 = clear logger)
  999..     logger data, 2 registers per value
Function 3 reads, 16 (and 6) write, 8 sub-function 0 echoes; anything else is
answered with a Modbus exception (function | 0x80; code 1, 2 or 3).

Exit status: 0 after a signal, 1 when the line fails, 2 for bad options.
)";

int Usage(const std::string &message) {
    std::fprintf(stderr, "kr7m-sim: %s\nTry 'kr7m-sim --help'.\n", message.c_str());
    return 2;
}

bool ParseInt(const char *text, long lo, long hi, long *out) {
    if (!text || !*text) return false;
    char *end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno || *end || v < lo || v > hi) return false;
    *out = v;
    return true;
}

bool ParseList(const char *text, long lo, long hi, std::vector<int> &out) {
    std::string s = text ? text : "";
    if (s.empty()) return false;
    size_t from = 0;
    for (;;) {
        size_t at = s.find(',', from);
        std::string item = s.substr(from, at == std::string::npos ? std::string::npos : at - from);
        long v;
        if (!ParseInt(item.c_str(), lo, hi, &v)) return false;
        out.push_back(static_cast<int>(v));
        if (at == std::string::npos) return true;
        from = at + 1;
    }
}

} // namespace

int main(int argc, char **argv) {
    std::string link, configPath, logPath;
    std::vector<int> busAddresses, failedRecords;
    SimIdentity id;
    FaultPlan plan;
    ServeSettings settings;
    long loggerRecords = 96;

    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        const char *v = i + 1 < argc ? argv[i + 1] : nullptr;
        long n;
        if (a == "--help" || a == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (a == "--bus") {
            if (!ParseList(v, 1, 247, busAddresses)) return Usage("--bus needs addresses 1..247");
            ++i;
        } else if (a == "--rated-current") {
            if (!ParseInt(v, 1, 5, &n) || (n != 1 && n != 5))
                return Usage("--rated-current must be 1 or 5");
            id.ratedI = static_cast<int>(n * 100);
            ++i;
        } else if (a == "--rated-voltage") {
            if (!ParseInt(v, 1, 32767, &n)) return Usage("--rated-voltage needs 1..32767");
            id.ratedU = static_cast<int>(n);
            ++i;
        } else if (a == "--version1" || a == "--version2") {
            if (!ParseInt(v, 0, 32767, &n)) return Usage(a + " needs 0..32767 (hundredths)");
            (a == "--version1" ? id.version1 : id.version2) = static_cast<int>(n);
            ++i;
        } else if (a == "--config") {
            if (!v) return Usage("--config needs a file");
            configPath = v, ++i;
        } else if (a == "--log") {
            if (!v) return Usage("--log needs a file");
            logPath = v, ++i;
        } else if (a == "--fault") {
            std::string error;
            if (!v || !ParseFaultRules(v, plan, error)) return Usage("--fault: " + error);
            ++i;
        } else if (a == "--seed") {
            if (!ParseInt(v, 0, 0x7FFFFFFF, &n)) return Usage("--seed needs a number");
            plan.rng = 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(n) * 0x100000001B3ull;
            if (plan.rng == 0) plan.rng = 1;
            ++i;
        } else if (a == "--speed") {
            char *end = nullptr;
            double f = v ? std::strtod(v, &end) : 0;
            if (!v || *end || !(f > 0 && f <= 1e6)) return Usage("--speed needs a factor > 0");
            settings.speed = f, ++i;
        } else if (a == "--logger-records") {
            if (!ParseInt(v, 0, kLoggerCapacity, &n)) return Usage("--logger-records: 0..4000");
            loggerRecords = n, ++i;
        } else if (a == "--logger-failed") {
            if (!ParseList(v, 0, kLoggerCapacity, failedRecords))
                return Usage("--logger-failed needs record numbers");
            ++i;
        } else if (!a.empty() && a[0] == '-') {
            return Usage("unknown option " + a);
        } else if (link.empty()) {
            link = a;
        } else {
            return Usage("only one LINK may be given");
        }
    }
    if (link.empty()) return Usage("LINK is missing");
    for (size_t i = 0; i < busAddresses.size(); ++i)
        for (size_t j = i + 1; j < busAddresses.size(); ++j)
            if (busAddresses[i] == busAddresses[j])
                return Usage("address " + std::to_string(busAddresses[i]) + " given twice");

    record initial;
    bool haveConfig = false;
    if (!configPath.empty()) {
        std::string error;
        if (!LoadSimConfig(configPath, initial, error)) {
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
        SimInit(inst, id, address);
        if (haveConfig) SimLoadConfig(inst, initial);
        SimFillLogger(inst, static_cast<int>(loggerRecords), failedRecords);
        bus.units.push_back(inst);
    }

    if (!logPath.empty()) {
        settings.log = std::fopen(logPath.c_str(), "a");
        if (!settings.log) {
            std::fprintf(stderr, "kr7m-sim: cannot open %s: %s\n", logPath.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }

    // Hand-set values come from a control file beside the link, read whenever it changes.
    settings.controlFile = link + ".values";

    std::string slavePath, error;
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
    if (!PlaceLink(link, slavePath, error)) {
        std::fprintf(stderr, "kr7m-sim: %s\n", error.c_str());
        close(master);
        return 1;
    }
    if (bus.direct) {
        std::printf("kr7m-sim: %s -> %s, direct connection (address 255)\n", link.c_str(),
                    slavePath.c_str());
    } else {
        std::printf("kr7m-sim: %s -> %s, bus addresses", link.c_str(), slavePath.c_str());
        for (const SimInstrument &u : bus.units) std::printf(" %d", u.address);
        std::printf("\n");
    }
    std::fflush(stdout);

    int rc = Serve(master, bus, plan, settings, &g_stop, error);
    RemoveLink(link, slavePath);
    close(master);
    if (settings.log) std::fclose(settings.log);
    if (rc != 0) {
        std::fprintf(stderr, "kr7m-sim: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

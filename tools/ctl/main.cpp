// kr7mctl: the configurator's instrument functions from the command line, for engineers who
// script commissioning, and for tests.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "config/record.h"
#include "config/settings.h"
#include "ctl/ctl.h"
#include "link/linksettings.h"
#include "link/report_console.h"
#include "platform/serial/portmap.h"

namespace {

const char kHelp[] = R"(Usage: kr7mctl [options] COMMAND [arguments]

Talks to a KR7M instrument over the serial line, with the same core as the
configurator's window. Link settings come from the configurator's settings file
(KR7M.ini: the program's folder, or $KR7M_CONFIG_DIR, or ~/.config/kr7m); the
options below override them for this run only, and the settings file is never
written.

Options:
  --port N          serial port number 1..8 (its device path from the settings file)
  --device PATH     use the device PATH (for example a kr7m-sim link) as the port
  --bus ADDRESS     bus operation, talking to the instrument at ADDRESS (1..247);
                    with --port or --device but without --bus: the direct connection
  --baud INDEX      bus baud rate: 0 1200, 1 2400, 2 4800, 3 9600, 4 19200
  --parity INDEX    bus parity: 0 none/2 stop bits, 1 even/2, 2 odd/2, 3 none/1
  --no-rts          do not switch the bus line direction with RTS
  --yes             confirm send-config without asking
  --help            this text

Commands:
  info              version numbers, rated current and voltage, device type bytes
  read-config FILE  read the instrument's configuration and save it as FILE (.KR7)
  send-config FILE  send the configuration file FILE to the instrument; asks for
                    confirmation on the terminal unless --yes is given. A 1 A
                    configuration is not sent to a 5 A instrument, nor the reverse.
                    On the bus the instrument keeps the address, baud rate and
                    parity it is reached by.
  probe ADDRESS     function 8 echo to ADDRESS (1..247, 255 direct); tells whether
                    it answered

Errors are written to standard error.
Exit status: 0 success, 1 link or file failure (or send-config not confirmed),
2 bad usage.
)";

int Usage(const std::string &message) {
    std::fprintf(stderr, "kr7mctl: %s\nTry 'kr7mctl --help'.\n", message.c_str());
    return kExitUsage;
}

bool ParseInt(const char *text, long lo, long hi, int *out) {
    if (!text || !*text) return false;
    char *end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno || *end || v < lo || v > hi) return false;
    *out = static_cast<int>(v);
    return true;
}

} // namespace

int main(int argc, char **argv) {
    int port = 0, bus = 0, baud = -1, parity = -1;
    bool noRts = false, yes = false;
    const char *device = nullptr;
    std::vector<std::string> words;

    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        const char *v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--help" || a == "-h") {
            std::fputs(kHelp, stdout);
            return kExitOk;
        } else if (a == "--port") {
            if (!ParseInt(v, 1, kPortCount, &port)) return Usage("--port needs 1..8");
            ++i;
        } else if (a == "--device") {
            if (!v || !*v) return Usage("--device needs a path");
            if (std::strlen(v) >= static_cast<size_t>(kPortPathSize))
                return Usage("--device path is too long");
            device = v, ++i;
        } else if (a == "--bus") {
            if (!ParseInt(v, 1, 247, &bus)) return Usage("--bus needs an address 1..247");
            ++i;
        } else if (a == "--baud") {
            if (!ParseInt(v, 0, 4, &baud)) return Usage("--baud needs an index 0..4");
            ++i;
        } else if (a == "--parity") {
            if (!ParseInt(v, 0, 3, &parity)) return Usage("--parity needs an index 0..3");
            ++i;
        } else if (a == "--no-rts") {
            noRts = true;
        } else if (a == "--yes" || a == "-y") {
            yes = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return Usage("unknown option " + a);
        } else {
            words.push_back(a);
        }
    }
    if (words.empty()) return Usage("no command given");
    const std::string &command = words[0];
    size_t wanted = command == "info" ? 1 : 2;
    if (command != "info" && command != "read-config" && command != "send-config" &&
        command != "probe")
        return Usage("unknown command " + command);
    if (words.size() != wanted)
        return Usage(command + (wanted == 1 ? " takes no argument" : " needs one argument"));
    if (yes && command != "send-config") return Usage("--yes belongs to send-config");
    int probeAddress = 0;
    if (command == "probe" && !ParseInt(words[1].c_str(), 1, 255, &probeAddress))
        return Usage("probe needs an address 1..255");

    // The program's start-up state: defaults, then the settings file if there is one, then a
    // new configuration on the module and rated values the settings name.
    LoadINIDefault();
    ReadINIFile();
    InitNeueDatei();

    if (port) CommPort = port;
    if (device && SetComPortDevice(CommPort, device) != 0) return Usage("bad port number");
    if (bus) {
        CommType = 1;
        DeviceAddr = bus;
    } else if (port || device) {
        CommType = 0;
    }
    if (baud >= 0) Baudrate = baud;
    if (parity >= 0) Parity = parity;
    if (noRts) RTSFlow = 0;

    Console_SetOutput(stderr);
    if (command == "info") return CmdInfo();
    if (command == "read-config") return CmdReadConfig(words[1].c_str());
    if (command == "send-config") return CmdSendConfig(words[1].c_str(), yes);
    return CmdProbe(probeAddress);
}

// kr7m-sim's command line.
#include "sim/simargs.h"

namespace {

const char kHelp[] = R"(Usage: kr7m-sim LINK [options]

Simulates a KR7M measuring instrument (or several on a bus) answering Modbus RTU on a
pseudo-terminal. LINK becomes a symbolic link to the terminal's device; point the
configurator at it (kr7mctl --device LINK, or the port map of the settings file).
The simulator runs until SIGINT (Ctrl-C) or SIGTERM, then removes LINK.
Options take their value as "--seed 7" or as "--seed=7".

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
  --paced RATE[,8PS]     deliver answers at the line's real rate: each character
                         takes its time from RATE baud and the format (8N1, 8E1,
                         8O1, 8N2, ...; default 8N1), requests take their line
                         time too, and an answer starts after the turnaround
  --turnaround MS        paced line: milliseconds from the end of a request to its
                         answer (default 5)
  --logger-records N     records in the logger at start (default 96)
  --logger-failed LIST   record numbers (0 = oldest) whose values are marked failed
  --logger WHAT          logged quantities: active, reactive, both or none
                         (default both)
  --logger-mode M        logger mode 1, 2, or ask (mode 1 with the newest record's
                         time asked at a download)
  --interval MIN         synchronisation interval 0..63 minutes, or external
                         (default 15); 0 and external leave the logger's interval
                         to the user, and the filled records 15 minutes apart
  --meter-scale S        meter scale -9..9 (one count = 10^S Wh), fixed; without it
                         the rated power chooses it
  --rate 1|2             the active rate (status bit 2) is always that one; without
                         it the rate changes every minute with tariff switching
  --digout B1,B2         output function bytes (0..255; 128 and more: manual mode);
                         default 128,128
  --set "WHAT INDEX VALUE"
                         report a value as given instead of the measured one (may
                         be given more than once): WHAT is values, minmax or mean,
                         INDEX counts from 0 in register order, VALUE is a number,
                         nan, or ovl (1e31, an overflow). Example: --set "values 28
                         44.2" makes the frequency read 44.2 Hz
  --values FILE          control file of such lines, one a line, read again whenever
                         it changes (default LINK.values); its lines replace those of
                         --set, and removing the file gives the measured values back
  --help, -h             this text
  --version              the program's version

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
        at=N[-M]   the N-th answered request (up to the M-th)
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

const OptionWord kRatedCurrents[] = {{"1", 100}, {"5", 500}};
const OptionWord kLoggerWhat[] = {{"none", 0}, {"active", 1}, {"reactive", 2}, {"both", 3}};
const OptionWord kLoggerModes[] = {{"1", 1}, {"2", 2}, {"ask", 3}};

bool ReadOption(OptionReader &r, SimOptions *o) {
    long n = 0;
    std::string text;
    if (r.Is("--bus")) {
        if (!r.List(kFirstBusAddress, kLastBusAddress, "bus addresses", &o->busAddresses))
            return false;
        for (size_t i = 0; i < o->busAddresses.size(); ++i)
            for (size_t j = i + 1; j < o->busAddresses.size(); ++j)
                if (o->busAddresses[i] == o->busAddresses[j])
                    return r.Fail("--bus names address " + std::to_string(o->busAddresses[i]) +
                                  " twice");
        return true;
    }
    if (r.Is("--rated-current"))
        return r.Word(kRatedCurrents, 2, "a rated current 1 or 5 (A)", &o->id.ratedI);
    if (r.Is("--rated-voltage")) return r.Number(1, 32767, "a rated voltage in V", &o->id.ratedU);
    if (r.Is("--version1")) return r.Number(0, 32767, "a version in hundredths", &o->id.version1);
    if (r.Is("--version2")) return r.Number(0, 32767, "a version in hundredths", &o->id.version2);
    if (r.Is("--config")) return r.Text("a configuration file", &o->configPath);
    if (r.Is("--log")) return r.Text("a file", &o->logPath);
    if (r.Is("--fault")) {
        std::string error;
        if (!r.Text("fault rules", &text)) return false;
        if (!ParseFaultRules(text, o->plan, error))
            return r.Fail(NeedsMessage("--fault", "fault rules", text.c_str()) + ": " + error);
        return true;
    }
    if (r.Is("--seed")) {
        if (!r.Number(0, 0x7FFFFFFF, "a seed", &n)) return false;
        o->plan.rng = 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(n) * 0x100000001B3ull;
        if (o->plan.rng == 0) o->plan.rng = 1;
        return true;
    }
    if (r.Is("--paced")) {
        std::string line;
        if (!r.Text("a line like 9600 or 9600,8E1", &line)) return false;
        std::string error;
        if (!ParseLinePace(line, &o->pace, error)) return r.Fail("--paced: " + error);
        return true;
    }
    if (r.Is("--turnaround"))
        return r.Real(-1e-9, 10000, "milliseconds 0..10000", &o->pace.turnaroundMs);
    if (r.Is("--speed")) return r.Real(0, 1e6, "a factor above 0, at most 1000000", &o->speed);
    if (r.Is("--logger-records"))
        return r.Number(0, kLoggerCapacity, "a record count", &o->loggerRecords);
    if (r.Is("--set")) {
        std::vector<SimOverride> more;
        std::string error;
        if (!r.Text("a setting WHAT INDEX VALUE", &text)) return false;
        if (!ParseOverrides(text, more, error) || more.size() != 1)
            return r.Fail(NeedsMessage("--set", "WHAT INDEX VALUE", text.c_str()) +
                          (error.empty() ? "" : ": " + error.substr(error.find(':') + 2)));
        o->overrides.push_back(more[0]);
        return true;
    }
    if (r.Is("--values")) return r.Text("a control file", &o->valuesPath);
    if (r.Is("--logger"))
        return r.Word(kLoggerWhat, 4, "active, reactive, both or none", &o->loggerChannels);
    if (r.Is("--logger-mode"))
        return r.Word(kLoggerModes, 3, "a logger mode 1, 2 or ask", &o->loggerMode);
    if (r.Is("--interval")) {
        if (!r.Text("minutes 0..63 or external", &text)) return false;
        long minutes = 0;
        if (text == "external") {
            o->interval = 64;
        } else if (ParseNumber(text, 0, 63, &minutes)) {
            o->interval = static_cast<int>(minutes);
        } else {
            return r.Fail(NeedsMessage("--interval", "minutes 0..63 or external", text.c_str()));
        }
        return true;
    }
    if (r.Is("--rate")) return r.Number(1, 2, "a rate", &o->rate);
    if (r.Is("--meter-scale")) return r.Number(-9, 9, "a meter scale", &o->meterScale);
    if (r.Is("--digout")) {
        o->digOut.clear();
        if (!r.List(0, 255, "output function bytes", &o->digOut)) return false;
        if (o->digOut.size() != 2) return r.Fail("--digout needs two output function bytes");
        return true;
    }
    if (r.Is("--logger-failed"))
        return r.List(0, kLoggerCapacity, "record numbers", &o->failedRecords);
    return r.Unknown();
}

} // namespace

const char *SimHelpText() {
    return kHelp;
}

CommandLineAction ParseSimCommandLine(int argc, const char *const *argv, SimOptions *o,
                                      std::string *error) {
    OptionReader r(argc, argv);
    while (r.Next()) {
        if (r.IsOption()) {
            if (r.Is("--help", "-h")) return kShowHelp;
            if (r.Is("--version")) return kShowVersion;
            if (ReadOption(r, o)) continue;
            *error = r.Error();
            return kBadUsage;
        }
        if (!o->link.empty()) {
            *error = "only one LINK may be given, not '" + r.Arg() + "' as well";
            return kBadUsage;
        }
        o->link = r.Arg();
    }
    if (o->link.empty()) {
        *error = "LINK is missing";
        return kBadUsage;
    }
    return kRunProgram;
}

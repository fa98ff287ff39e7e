// kr7mctl against kr7m-sim over pseudo-terminals: what a user sees (output, messages, exit
// status) and what reaches the instrument (the simulator's frame log).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/configfile.h"
#include "config/record.h"
#include "config/settings.h"
#include "link/linksettings.h"
#include "link/report_console.h"
#include "platform/serial/portmap.h"
#include "sim_process.h"

using simtest::RunResult;
using simtest::Sim;
using simtest::TempDir;

namespace {

class CtlSim : public ::testing::Test {
  protected:
    TempDir config; // private settings folder: no settings file of the developer's interferes

    // Baud-rate index 0 gives the longest answer time-out (0.25 s; the direct connection runs
    // at 9600 baud whatever the index), so a busy machine does not turn a slow answer into a
    // retry that the request counts below would see. Tests that set --baud themselves win.
    RunResult Ctl(std::vector<std::string> args, const std::string &input = "",
                  bool longTimeout = true) {
        if (longTimeout) args.insert(args.begin(), {"--baud", "0"});
        args.insert(args.begin(), simtest::BinPath("kr7mctl"));
        return simtest::Run(args, input, {"KR7M_CONFIG_DIR=" + config.Path()});
    }

    // A configuration unlike the factory one in every column that reaches the instrument.
    static record Sample(int ratedI) {
        record r;
        std::memset(&r, 0, sizeof r);
        r.Module = 1;
        r.RatedI = static_cast<int16_t>(ratedI);
        r.RatedU = 500;
        r.UrPrim = 20000.0f;
        r.UrSec = 100;
        r.IrPrim = 1500.0f;
        r.IrSec = ratedI / 100.0f;
        r.System = 3;
        r.EnergyControl = 0x4A;
        r.DigOut[0] = 2;
        r.DigOut[1] = 0x45;
        r.LimOn[0] = 9000;
        r.LimOn[1] = -5;
        r.LimOff[0] = 8500;
        r.LimOff[1] = 7;
        r.PulsRate[0] = 250;
        r.PulsRate[1] = 1000;
        std::strcpy(r.Descr, "Substation 4, feeder 2");
        r.DevAddr = 17;
        r.DevBaud = 2;
        r.Display = 3;
        r.Image = 0;
        r.Logger = 0x0C00;
        return r;
    }

    std::string WriteSample(const record &r, const std::string &name) {
        std::string path = config.File(name);
        Console_SetOutput(nullptr);
        EXPECT_EQ(WriteConfigFile(path.c_str(), &r, kEnglishCaptions, ConfigStampNow(),
                                  ConfigShownOf(&r)),
                  1);
        return path;
    }

    static record Load(const std::string &path) {
        record r;
        std::memset(&r, 0, sizeof r);
        Console_SetOutput(nullptr);
        EXPECT_EQ(OpenConfigFile(path.c_str(), &r), 1) << path;
        return r;
    }
};

// The columns of a configuration that travel to the instrument and back.
void ExpectSameSettings(const record &a, const record &b) {
    EXPECT_FLOAT_EQ(a.UrPrim, b.UrPrim);
    EXPECT_EQ(a.UrSec, b.UrSec);
    EXPECT_FLOAT_EQ(a.IrPrim, b.IrPrim);
    EXPECT_FLOAT_EQ(a.IrSec, b.IrSec);
    EXPECT_EQ(a.System, b.System);
    EXPECT_EQ(a.EnergyControl, b.EnergyControl);
    EXPECT_EQ(a.DigOut[0], b.DigOut[0]);
    EXPECT_EQ(a.DigOut[1], b.DigOut[1]);
    EXPECT_EQ(a.LimOn[0], b.LimOn[0]);
    EXPECT_EQ(a.LimOn[1], b.LimOn[1]);
    EXPECT_EQ(a.LimOff[0], b.LimOff[0]);
    EXPECT_EQ(a.LimOff[1], b.LimOff[1]);
    EXPECT_EQ(a.PulsRate[0], b.PulsRate[0]);
    EXPECT_EQ(a.PulsRate[1], b.PulsRate[1]);
    EXPECT_STREQ(a.Descr, b.Descr);
    EXPECT_EQ(a.Logger, b.Logger);
}

TEST_F(CtlSim, InfoShowsVersionsRatingsAndDeviceType) {
    Sim sim({"--version1", "307", "--version2", "5", "--rated-current", "1"});
    ASSERT_TRUE(sim.Ready());
    RunResult r = Ctl({"--device", sim.Link(), "info"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Version 1:      3.07\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Version 2:      0.05\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Rated current:  1.00 A (100)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Rated voltage:  500 V"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Device type:    KR7M, with option module, 1 A (4B 52 37 4D 01 01)\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(sim.CountRequests("10"), 0); // reading writes nothing
}

// A configuration file sent to one instrument and read back from it, and the same file as the
// simulator's initial configuration, all give the file's settings back.
TEST_F(CtlSim, SendAndReadBackRoundTrip) {
    record sample = Sample(500);
    std::string file = WriteSample(sample, "sample.KR7");
    {
        Sim sim({});
        ASSERT_TRUE(sim.Ready());
        RunResult s = Ctl({"--device", sim.Link(), "send-config", file, "--yes"});
        EXPECT_EQ(s.status, 0) << s.err;
        EXPECT_EQ(sim.CountRequests("10"), 1);
        std::string back = config.File("back.KR7");
        RunResult r = Ctl({"--device", sim.Link(), "read-config", back});
        ASSERT_EQ(r.status, 0) << r.err;
        record got = Load(back);
        ExpectSameSettings(sample, got);
        EXPECT_EQ(got.Display, 8);  // sending never changes the brightness
        EXPECT_EQ(got.DevAddr, 17); // the direct connection sends the file's bus settings
        EXPECT_EQ(got.DevBaud, 2);
        EXPECT_EQ(got.RatedI, 500); // the instrument's own values
    }
    {
        Sim sim({"--config", file});
        ASSERT_TRUE(sim.Ready());
        std::string back = config.File("initial.KR7");
        RunResult r = Ctl({"--device", sim.Link(), "read-config", back});
        ASSERT_EQ(r.status, 0) << r.err;
        ExpectSameSettings(sample, Load(back));
    }
}

TEST_F(CtlSim, RatedCurrentMismatchWritesNothing) {
    struct Case {
        int fileRatedI;
        const char *simRated;
        const char *message;
    };
    const Case cases[] = {{100, "5", "is for a 1 A instrument, but the instrument is a 5 A"},
                          {500, "1", "is for a 5 A instrument, but the instrument is a 1 A"}};
    for (const Case &c : cases) {
        std::string file = WriteSample(Sample(c.fileRatedI), "mismatch.KR7");
        Sim sim({"--rated-current", c.simRated});
        ASSERT_TRUE(sim.Ready());
        RunResult r = Ctl({"--device", sim.Link(), "send-config", file, "--yes"});
        EXPECT_EQ(r.status, 1) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(sim.CountRequests("10"), 0) << c.message;
        EXPECT_EQ(sim.CountRequests("03"), 2) << c.message; // identification and device type
    }
}

TEST_F(CtlSim, ConfirmationOnTheTerminal) {
    std::string file = WriteSample(Sample(500), "ask.KR7");
    struct Case {
        const char *input;
        int status;
        int writes;
    };
    const Case cases[] = {{"n\n", 1, 0}, {"", 1, 0}, {"yes\n", 0, 1}, {"y\n", 0, 1}};
    for (const Case &c : cases) {
        Sim sim({});
        ASSERT_TRUE(sim.Ready());
        RunResult r = Ctl({"--device", sim.Link(), "send-config", file}, c.input);
        EXPECT_EQ(r.status, c.status) << "input " << c.input << r.err;
        EXPECT_EQ(sim.CountRequests("10"), c.writes) << "input " << c.input;
        // A refusal does not even open the line.
        if (c.writes == 0) {
            EXPECT_EQ(sim.CountRequests("03"), 0);
        }
    }
}

TEST_F(CtlSim, BusOperationSendsTheLinksAddressAndLineSettings) {
    std::string file = WriteSample(Sample(500), "bus.KR7");
    Sim sim({"--bus", "5,9"});
    ASSERT_TRUE(sim.Ready());
    // The same line settings by index, by rate and name, and in the "--opt=value" form; what
    // reaches the instrument's bus settings shows which index each became.
    struct Case {
        std::vector<std::string> line;
        int devBaud;
    };
    const Case cases[] = {
        {{"--baud", "4", "--parity", "3"}, 4 + 8 * 3},
        {{"--baud", "19200", "--parity", "none1"}, 4 + 8 * 3},
        {{"--baud=2400", "--parity=odd"}, 1 + 8 * 2},
        {{"--baud", "4800", "--parity", "even"}, 2 + 8 * 1},
        {{"--baud=9600", "--parity=none"}, 3 + 8 * 0},
    };
    for (const Case &c : cases) {
        std::string what = c.line[0] + " " + c.line[1];
        std::vector<std::string> link = {"--device", sim.Link(), "--bus=9", "--no-rts"};
        link.insert(link.end(), c.line.begin(), c.line.end());
        std::vector<std::string> send = link, read = link;
        send.insert(send.end(), {"send-config", file, "--yes"});
        RunResult s = Ctl(send, "", false);
        ASSERT_EQ(s.status, 0) << what << s.err;
        std::string back = config.File("bus-back.KR7");
        read.insert(read.end(), {"read-config", back});
        ASSERT_EQ(Ctl(read, "", false).status, 0) << what;
        record got = Load(back);
        EXPECT_EQ(got.DevAddr, 9) << what;
        EXPECT_EQ(got.DevBaud, c.devBaud) << what;
        ExpectSameSettings(Sample(500), got);
    }
    // The other instrument on the bus was not touched.
    std::vector<std::string> other = {
        "--device", sim.Link(), "--bus", "5", "--no-rts", "read-config", config.File("other.KR7")};
    ASSERT_EQ(Ctl(other).status, 0);
    EXPECT_EQ(Load(config.File("other.KR7")).System, 4);
}

TEST_F(CtlSim, Probe) {
    Sim sim({"--bus", "5,200"});
    ASSERT_TRUE(sim.Ready());
    struct Case {
        const char *address;
        int status;
        const char *text;
    };
    const Case cases[] = {{"5", 0, "Address 5 answered\n"},
                          {"200", 0, "Address 200 answered\n"},
                          {"6", 1, "Address 6 did not answer\n"}};
    for (const Case &c : cases) {
        RunResult r = Ctl({"--device", sim.Link(), "--bus", "5", "--no-rts", "probe", c.address});
        EXPECT_EQ(r.status, c.status) << c.address;
        EXPECT_EQ(r.out, c.text);
    }
    // An address is a bus address: without --bus the probe still talks on the bus line.
    RunResult r = Ctl({"--device", sim.Link(), "--no-rts", "probe", "200"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Address 200 answered\n");
}

TEST_F(CtlSim, LinkFailuresAndRetries) {
    struct Case {
        std::vector<std::string> simOptions;
        int status;
        const char *message; // in standard error, "" for none
        int requests;        // identification requests that reached the simulator
    };
    const Case cases[] = {
        {{"--fault", "drop"}, 1, "No answer from the instrument on ", 4},
        {{"--fault", "crc"},
         1,
         "Faulty answer (wrong length or checksum) from the instrument on ",
         4},
        {{"--fault", "short"},
         1,
         "Faulty answer (wrong length or checksum) from the instrument on ",
         4},
        {{"--fault", "crc:first=3"}, 0, "", 4},
        {{"--fault", "drop:first=2"}, 0, "", 3},
        // The late answer arrives while the link pauses before its next attempt; it must not
        // be taken for the answer to a later request.
        {{"--fault", "late=400:first=1"}, 0, "", 2},
    };
    for (const Case &c : cases) {
        Sim sim(c.simOptions);
        ASSERT_TRUE(sim.Ready());
        RunResult r = Ctl({"--device", sim.Link(), "info"});
        std::string what = c.simOptions[1];
        EXPECT_EQ(r.status, c.status) << what << r.err;
        if (*c.message) {
            // The cause first, with the device it happened on; nothing before it.
            EXPECT_EQ(r.err.find(std::string(c.message) + sim.Link() + " (direct connection)."), 0u)
                << what << r.err;
        } else {
            EXPECT_EQ(r.err, "") << what;
        }
        if (c.status == 0) {
            EXPECT_NE(r.out.find("Version 1:      1.23"), std::string::npos) << what << r.out;
            EXPECT_NE(
                r.out.find("Device type:    KR7M, with option module, 5 A (4B 52 37 4D 01 05)"),
                std::string::npos)
                << what;
        }
        std::string log = sim.Log();
        int ident = 0;
        for (size_t at = log.find("RX FF 03 01 91"); at != std::string::npos;
             at = log.find("RX FF 03 01 91", at + 1))
            ++ident;
        EXPECT_EQ(ident, c.requests) << what;
    }

    // A bus address nobody has: the message names it and the line it was asked on.
    {
        Sim sim({"--bus", "5"});
        ASSERT_TRUE(sim.Ready());
        RunResult r =
            Ctl({"--device", sim.Link(), "--bus", "6", "--no-rts", "--parity", "even", "info"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "No answer from the instrument at address 6 on " + sim.Link() +
                             ".\n  Check the cable, that the instrument's bus address is 6 and "
                             "that it runs at 1200 baud, even parity, 2 stop bits.\n");
    }

    // No instrument at all: a path that does not exist.
    RunResult r = Ctl({"--device", config.File("no-such-tty"), "info"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.find("Cannot open serial port 1: " + config.File("no-such-tty") + ": no such"),
              0u)
        << r.err;
}

TEST_F(CtlSim, FileFailuresKeepFilesWhole) {
    Sim sim({});
    ASSERT_TRUE(sim.Ready());
    // A damaged configuration file is refused before anything is sent.
    std::string bad = config.File("bad.KR7");
    FILE *f = std::fopen(bad.c_str(), "w");
    ASSERT_TRUE(f);
    std::fputs("only\tfour\ttabs\there\n1\t2\n", f);
    std::fclose(f);
    RunResult r = Ctl({"--device", sim.Link(), "send-config", bad, "--yes"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, bad + ": the caption line has 3 column separators, 25 expected.\n"
                           "  The file is not a valid configuration file.\n");
    EXPECT_EQ(sim.CountRequests("03") + sim.CountRequests("10"), 0);

    // An existing file is replaced only when the read succeeded.
    std::string keep = WriteSample(Sample(500), "keep.KR7");
    std::string before = simtest::ReadFile(keep);
    sim.Stop();
    r = Ctl({"--device", sim.Link(), "read-config", keep});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(simtest::ReadFile(keep), before);
}

TEST_F(CtlSim, UsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"info", "extra"},
        {"read-config"},
        {"probe", "abc"},
        {"--port", "9", "info"},
        {"--bus", "248", "info"},
        {"--parity", "-1", "info"},
        {"--parity", "mark", "info"},
        {"--baud", "9601", "info"},
        {"--baud=5", "info"},
        {"probe", "255"},
        {"probe", "0"},
        {"--bus=0", "info"},
        {"--yes", "info"},
        {"--colour", "info"},
    };
    for (const auto &args : cases) {
        RunResult r = Ctl(args, "", false);
        std::string what;
        for (const std::string &a : args) what += a + " ";
        EXPECT_EQ(r.status, 2) << what;
        EXPECT_NE(r.err.find("kr7mctl: "), std::string::npos) << what;
        EXPECT_EQ(r.out, "") << what;
    }
    RunResult probe = Ctl({"probe", "255"}, "", false);
    EXPECT_EQ(probe.err, "kr7mctl: probe needs a bus address 1..247, not '255'\n"
                         "Try 'kr7mctl --help'.\n");
    RunResult help = Ctl({"--help"}, "", false);
    EXPECT_EQ(help.status, 0);
    for (const char *word : {"info", "read-config", "send-config", "probe", "--device", "--bus"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
}

// Without link options the settings file decides, as in the configurator; options never
// write it.
TEST_F(CtlSim, UsesTheSettingsFileAndNeverWritesIt) {
    Sim sim({"--bus", "42"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(setenv("KR7M_CONFIG_DIR", config.Path().c_str(), 1), 0);
    LoadINIDefault();
    CommPort = 3;
    CommType = 1;
    DeviceAddr = 42;
    RTSFlow = 0;
    Baudrate = 0; // the longest answer time-out, as the other tests use
    ASSERT_EQ(SetComPortDevice(3, sim.Link().c_str()), 0);
    ASSERT_EQ(NewINIFile(), 1);
    std::string ini = SettingsFilePath();
    std::string before = simtest::ReadFile(ini);
    ASSERT_FALSE(before.empty());

    RunResult r = Ctl({"info"}, "", false);
    EXPECT_EQ(r.status, 0) << r.err;
    r = Ctl({"read-config", config.File("viaini.KR7")}, "", false);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Load(config.File("viaini.KR7")).DevAddr, 42);
    // --device alone means the direct connection, which this bus instrument does not answer.
    r = Ctl({"--device", sim.Link(), "info"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(simtest::ReadFile(ini), before);
}

} // namespace

// A file with values out of range is refused, naming them, unless --force sends it corrected.
TEST_F(CtlSim, SendConfigRefusesValuesOutOfRangeWithoutForce) {
    Sim sim({});
    ASSERT_TRUE(sim.Ready());
    record spoiled = Sample(500);
    spoiled.IrSec = 0.0f;
    spoiled.DevAddr = 0;
    std::string file = WriteSample(spoiled, "spoiled.KR7");
    struct Case {
        bool force;
        int status;
        const char *says;
        bool sends;
    } cases[] = {
        {false, 1, "Nothing was sent; --force sends the corrected values.", false},
        {true, 0, "Sending the corrected values (--force).", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.force ? "--force" : "without --force");
        std::vector<std::string> args = {"--device", sim.Link(), "send-config", file, "--yes"};
        if (c.force) args.push_back("--force");
        int writesBefore = sim.CountRequests("10");
        RunResult r = Ctl(args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(file + ": values out of range: current transformer secondary: 0 -> 5; "
                                    "instrument address: 0 -> 247\n"),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(sim.CountRequests("10") > writesBefore, c.sends);
    }
    RunResult misuse = Ctl({"--device", sim.Link(), "info", "--force"});
    EXPECT_EQ(misuse.status, 2);
    EXPECT_NE(misuse.err.find("--force belongs to send-config"), std::string::npos) << misuse.err;
}

// Exchanges against a scripted instrument on a pseudo-terminal: data and byte order, retries
// and their pauses, broadcasts, stale input, a vanishing device, and opening the port.
#include <cstring>
#include <ostream>
#include <sys/stat.h>

#include "config/commands.h"
#include "link/frame.h"
#include "link_fixture.h"

namespace {

using F = PeerFault;

TEST_F(LinkTest, ReadsConvertIntoTheirDestinations) {
    Open();
    peer->SetFloat(99, 230.5f);
    peer->SetFloat(99 + 64, -1.25f); // the last of the 33 values
    peer->SetReg32(299 + 14, 4000000000u);
    peer->SetReg(401, 123);
    peer->SetReg(402, 5);
    peer->SetReg(403, 500);
    peer->SetReg(536, 0x0704);
    ASSERT_EQ(Read(&Lese, ReadMeasurands, 1), 1);
    EXPECT_FLOAT_EQ(Measurands[0], 230.5f);
    EXPECT_FLOAT_EQ(Measurands[32], -1.25f);
    ASSERT_EQ(Read(&Lese, ReadMeters, 1), 1);
    EXPECT_EQ(Meters[7], 4000000000u);
    ASSERT_EQ(Read(&Lese, ReadDeviceInfo, 1), 1);
    EXPECT_EQ(Lese.Version1, 123);
    EXPECT_EQ(Lese.Version2, 5);
    EXPECT_EQ(Lese.RatedI, 500);
    ASSERT_EQ(Read(&Lese, ReadDisplay, 1), 1);
    EXPECT_EQ(Lese.Display, 7);
    EXPECT_EQ(Lese.System, 4);
    EXPECT_EQ(Console_Report().errors, 0);
}

TEST_F(LinkTest, LoggerDataOfOneHundredTwentyRegisters) {
    Open();
    for (int i = 0; i < 60; ++i) peer->SetFloat(1000 + 2 * i, static_cast<float>(i) + 0.5f);
    Log[14] = 120;
    Log[15] = 1000;
    ASSERT_EQ(Read(&Lese, ReadLoggerData, 1), 1);
    EXPECT_FLOAT_EQ(LoggerData[0], 0.5f);
    EXPECT_FLOAT_EQ(LoggerData[59], 59.5f);
    auto req = peer->Requests();
    ASSERT_EQ(req.size(), 1u);
    EXPECT_EQ(req[0].bytes[2] << 8 | req[0].bytes[3], 1000);
    EXPECT_EQ(req[0].bytes[5], 120);
    Log[14] = 0;
}

TEST_F(LinkTest, ConfigBlockWritesWordsHighByteFirst) {
    Open();
    record rec{};
    rec.PulsRate[0] = 100;
    std::strcpy(rec.Descr, "Feeder 3");
    ASSERT_EQ(Write(&rec, WriteConfigBlock, 1, 0), 1);
    auto req = peer->Requests();
    ASSERT_EQ(req.size(), 1u);
    ASSERT_EQ(req[0].bytes.size(), 91u);
    EXPECT_EQ(req[0].bytes[7], 0x00);
    EXPECT_EQ(req[0].bytes[8], 0x64);
    EXPECT_EQ(req[0].bytes[7 + 18], 'F');
    EXPECT_EQ(peer->Reg(499), 100);
    // What was written reads back unchanged.
    record back{};
    ASSERT_EQ(Read(&back, ReadConfigBlock, 1), 1);
    EXPECT_EQ(std::memcmp(ConfigBlock(&back), ConfigBlock(&rec), kBlockBytes), 0);
}

struct RetryCase {
    const char *name;
    std::vector<PeerFault> script;
    int result;
    size_t requests;
    int errorMessage; // -1: no error shown
};

// Cases print as their names in test listings.
void PrintTo(const RetryCase &c, std::ostream *os) {
    *os << c.name;
}

class Retries : public LinkTest, public ::testing::WithParamInterface<RetryCase> {};

TEST_P(Retries, AttemptsAndMessages) {
    const RetryCase &c = GetParam();
    Open();
    peer->Script(c.script);
    int before = Error_Count;
    EXPECT_EQ(Read(&Lese, ReadDevStatus, 1), c.result);
    EXPECT_EQ(peer->Requests().size(), c.requests);
    if (c.errorMessage < 0) {
        EXPECT_EQ(Console_Report().errors, 0);
    } else {
        EXPECT_EQ(Console_Report().errors, 1);
        EXPECT_EQ(Console_Report().lastErrorTitle, 0);
        EXPECT_EQ(Console_Report().lastErrorMessage, c.errorMessage);
    }
    int failed = 0;
    for (size_t i = 0; i < c.script.size() && i < kAttempts; ++i)
        failed += c.script[i] != F::None && c.script[i] != F::OtherAddress;
    EXPECT_EQ(Error_Count - before, failed);
}

INSTANTIATE_TEST_SUITE_P(
    Link, Retries,
    ::testing::Values(
        RetryCase{"first_answer", {}, 1, 1, -1},
        RetryCase{"other_address_accepted", {F::OtherAddress}, 1, 1, -1},
        RetryCase{"three_crc_errors", {F::Corrupt, F::Corrupt, F::Corrupt}, 1, 4, -1},
        RetryCase{"mixed_then_good", {F::Drop, F::Short, F::Exception}, 1, 4, -1},
        RetryCase{"silence", {F::Drop, F::Drop, F::Drop, F::Drop}, 0, 4, 2},
        RetryCase{"short", {F::Short, F::Short, F::Short, F::Short}, 0, 4, 4},
        RetryCase{"crc", {F::Corrupt, F::Corrupt, F::Corrupt, F::Corrupt}, 0, 4, 4},
        RetryCase{"exception", {F::Exception, F::Exception, F::Exception, F::Exception}, 0, 4, 4},
        RetryCase{"last_silent", {F::Corrupt, F::Corrupt, F::Corrupt, F::Drop}, 0, 4, 2}),
    [](const ::testing::TestParamInfo<RetryCase> &info) { return std::string(info.param.name); });

TEST_F(LinkTest, UnreportedFailureShowsNothing) {
    Open();
    peer->Script({F::Drop, F::Drop, F::Drop, F::Drop});
    EXPECT_EQ(Read(&Lese, ReadMeasurands, 0), 0);
    EXPECT_EQ(Console_Report().errors, 0);
}

TEST_F(LinkTest, WriteRetriesLikeRead) {
    Open();
    peer->Script({F::Corrupt, F::Drop});
    DevStatus = 0x2000;
    EXPECT_EQ(Write(&Lese, WriteDevStatus, 1, 0), 1);
    EXPECT_EQ(peer->Requests().size(), 3u);
    EXPECT_EQ(peer->Reg(399), 0x2000);
}

// On the direct connection silence or a short answer is followed by a 0.6 s pause, a damaged
// checksum by an immediate retry.
TEST_F(LinkTest, PausesOnlyAfterSilenceOrShortAnswers) {
    Open(0);
    peer->Script({F::Drop, F::Corrupt, F::Short});
    EXPECT_EQ(Read(&Lese, ReadDevStatus, 1), 1);
    auto req = peer->Requests();
    ASSERT_EQ(req.size(), 4u);
    EXPECT_GE(Gap(req, 1), 0.6);
    EXPECT_LT(Gap(req, 2), 0.4);
    EXPECT_GE(Gap(req, 3), 0.6);
    EXPECT_EQ(req[0].bytes[0], 255);
}

TEST_F(LinkTest, BroadcastsReadNoAnswer) {
    struct Case {
        int commType;
        int address;
    } cases[] = {{1, 0}, {0, 255}};
    for (const Case &c : cases) {
        Open(c.commType);
        Lese.Display = 9;
        Lese.System = 2;
        EXPECT_EQ(Write(&Lese, WriteDisplay, 1, 1), 1);
        // The broadcast reached the instrument; the next exchange is not confused by it.
        EXPECT_EQ(Read(&Lese, ReadDisplay, 1), 1);
        EXPECT_EQ(peer->Reg(536), 0x0902);
        // On the direct connection the instrument answers its own address even so; that late
        // echo may cost the next exchange one attempt, never its result.
        auto req = peer->Requests();
        ASSERT_GE(req.size(), 2u);
        EXPECT_EQ(req[0].bytes[0], c.address);
        EXPECT_EQ(req[0].bytes[1], 16);
        EXPECT_EQ(Console_Report().errors, 0);
        CloseInterface();
    }
}

// A late answer arrives during the pause before the next attempt. Read as that attempt's
// answer it would leave the real one in the queue, to be taken for the next command's answer.
TEST_F(LinkTest, LateAnswersDoNotShiftLaterExchanges) {
    Open(0);
    peer->SetLateMs(250);
    peer->SetReg(399, 0x1234);
    peer->Script({F::Late});
    ASSERT_EQ(Read(&Lese, ReadDeviceInfo, 1), 1);
    EXPECT_EQ(Lese.Version1, 402);
    ASSERT_EQ(Read(&Lese, ReadDevStatus, 1), 1);
    EXPECT_EQ(DevStatus, 0x1234);
    EXPECT_EQ(peer->Requests().size(), 3u);
}

TEST_F(LinkTest, VanishedDeviceFailsWithoutHanging) {
    Open(0);
    peer->Script({F::Vanish});
    double start = PtyPeer::Now();
    EXPECT_EQ(Read(&Lese, ReadMeasurands, 1), 0);
    EXPECT_LT(PtyPeer::Now() - start, 10.0);
    EXPECT_EQ(Console_Report().lastErrorMessage, 4);
    EXPECT_STRNE(Console_Report().lastErrorDetail, "");
    start = PtyPeer::Now();
    EXPECT_EQ(Write(&Lese, WriteDisplay, 1, 0), 0);
    EXPECT_LT(PtyPeer::Now() - start, 10.0);
}

TEST_F(LinkTest, ProbeAnswersOnlyForAPresentAddress) {
    Open(1, 17);
    EXPECT_EQ(Diagnose(1, 17), 1);
    EXPECT_EQ(Diagnose(1, 18), 0);
    auto req = peer->Requests();
    ASSERT_EQ(req.size(), 2u);
    EXPECT_EQ(req[1].bytes[0], 18);
    EXPECT_EQ(req[1].bytes[1], 8);
    EXPECT_EQ(Console_Report().errors, 0);
}

// Only the echo of this probe counts: a late echo of the address probed before, or an answer
// with another address byte, would make a search list an instrument that is not there.
TEST_F(LinkTest, ProbeCountsOnlyTheEchoOfItsOwnRequest) {
    Open(1, 17);
    peer->Script({PeerFault::OtherAddress});
    EXPECT_EQ(Diagnose(1, 17), 0) << "an answer carrying another address";
    EXPECT_EQ(Diagnose(1, 17), 1);

    peer->SetLateMs(120); // after the answer time-out, but within the next probe's read
    peer->Script({PeerFault::Late});
    EXPECT_EQ(Diagnose(1, 17), 0) << "too late for its own probe";
    EXPECT_EQ(Diagnose(1, 18), 0) << "the late echo of 17 is not an instrument at 18";
    EXPECT_EQ(Diagnose(1, 17), 1);
}

TEST_F(LinkTest, OpenFailuresAreReportedAndLeaveThePortClosed) {
    mkdir("/tmp/kr7m-link-test-dir", 0700);
    struct Case {
        int port;
        const char *path;
        int message;
    } cases[] = {
        {1, "/dev/kr7m-no-such-device", 0},
        {9, nullptr, 0},
        {0, nullptr, 0},
        {1, "/tmp/kr7m-link-test-dir", 1},
    };
    for (const Case &c : cases) {
        Console_ResetCounts();
        if (c.path) SetComPortDevice(c.port, c.path);
        status = 1;
        EXPECT_EQ(InitInterface(c.port), 0) << c.port;
        EXPECT_EQ(CommPortOpen, 0);
        EXPECT_EQ(status, 0) << "a failed open is a failure in status too";
        EXPECT_EQ(Console_Report().errors, 1);
        EXPECT_EQ(Console_Report().lastErrorTitle, 0);
        EXPECT_EQ(Console_Report().lastErrorMessage, c.message) << c.port;
        EXPECT_STRNE(Console_Report().lastErrorDetail, "");
    }
    rmdir("/tmp/kr7m-link-test-dir");
}

// Nested users of the port (a pop-up or a one-shot command inside a view) each open and close
// around their own work; the port stays open until the outermost user closes it.
TEST_F(LinkTest, NestedHoldsKeepThePortOpenUntilTheLastCloses) {
    Open(1, 17);
    EXPECT_EQ(InterfaceHolds(), 1);
    ASSERT_EQ(InitInterface(1), 1);
    EXPECT_EQ(status, 1) << "status keeps non-zero for success";
    ASSERT_EQ(InitInterface(5), 1) << "an open port is reused whichever number is asked";
    EXPECT_EQ(InterfaceHolds(), 3);
    CloseInterface();
    CloseInterface();
    EXPECT_EQ(CommPortOpen, 1);
    EXPECT_EQ(Diagnose(1, 17), 1) << "the outer user still talks";
    CloseInterface();
    EXPECT_EQ(CommPortOpen, 0);
    EXPECT_EQ(InterfaceHolds(), 0);
    CloseInterface(); // one close too many is harmless
    EXPECT_EQ(InterfaceHolds(), 0);
    ASSERT_EQ(InitInterface(1), 1) << "and the port opens again afterwards";
    EXPECT_EQ(InterfaceHolds(), 1);
}

TEST(LineParameters, FollowTheConnectionType) {
    struct Case {
        int commType, baud, parity;
        long rate;
        int parityCode, stopBits;
    } cases[] = {
        {0, 0, 3, 9600, 2, 1}, {0, 4, 0, 9600, 2, 1}, // direct: fixed
        {1, 0, 0, 1200, 0, 2}, {1, 1, 1, 2400, 2, 2}, // bus: from the indices
        {1, 2, 2, 4800, 1, 2}, {1, 4, 3, 19200, 0, 1},
        {1, 7, 9, 9600, 0, 2}, // damaged settings read as the defaults
    };
    for (const Case &c : cases) {
        CommType = c.commType;
        Baudrate = c.baud;
        Parity = c.parity;
        long rate;
        int parity, stop;
        LineParameters(&rate, &parity, &stop);
        EXPECT_EQ(rate, c.rate) << c.commType << "/" << c.baud << "/" << c.parity;
        EXPECT_EQ(parity, c.parityCode) << c.commType << "/" << c.baud << "/" << c.parity;
        EXPECT_EQ(stop, c.stopBits) << c.commType << "/" << c.baud << "/" << c.parity;
    }
    CommType = 0;
    Baudrate = 3;
    Parity = 0;
}

} // namespace

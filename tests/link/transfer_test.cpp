// Reading, sending and adopting the configuration against a scripted instrument on a pty.
#include <cstring>
#include <vector>

#include "config/commands.h"
#include "config/transfer.h"
#include "link_fixture.h"

namespace {

using F = PeerFault;

class Transfer : public LinkTest {
  protected:
    // An instrument on the bus at 17 (or direct), rated `ratedI`, brightness 9; the port is
    // closed again so the transfer functions open it themselves.
    void Instrument(int commType, int ratedI) {
        Open(commType);
        CloseInterface();
        peer->SetReg(401, 123);
        peer->SetReg(403, static_cast<uint16_t>(ratedI));
        peer->SetReg(536, 0x0902);
        CommPort = 1;
        savedKonf = Konf;
        Konf = record{};
        Konf.UrPrim = 400.0f;
        Konf.UrSec = 400;
        Konf.IrPrim = 5.0f;
        Konf.IrSec = 5.0f;
        Konf.RatedI = 500;
        Konf.DevAddr = 3;
        Konf.DevBaud = 1;
        Konf.Image = 5;
        Konf.Display = 1;
        std::strcpy(Konf.Descr, "Main feeder");
    }
    void TearDown() override {
        Konf = savedKonf;
        LinkTest::TearDown();
    }
    size_t Writes() {
        size_t n = 0;
        for (const PeerRequest &r : peer->Requests()) n += r.bytes[1] == 16;
        return n;
    }
    record savedKonf{};
};

TEST_F(Transfer, DeclinedSendTouchesNothing) {
    Instrument(1, 500);
    Console_SetAnswer(kConsoleAnswerNo);
    EXPECT_EQ(SendConfiguration(), 0);
    EXPECT_EQ(Console_Report().warnings, 1);
    EXPECT_EQ(peer->Requests().size(), 0u);
    EXPECT_EQ(CommPortOpen, 0);
}

TEST_F(Transfer, RatedCurrentMustMatchTheInstrument) {
    struct Case {
        int konf, device, result, message;
    } cases[] = {
        {500, 100, -1, 8}, {100, 500, -1, 7}, // 5 A onto 1 A and 1 A onto 5 A refused
        {500, 500, 1, -1}, {100, 100, 1, -1}, {0, 500, 1, -1}, {500, 0, 1, -1},
    };
    for (const Case &c : cases) {
        Console_ResetCounts();
        Instrument(1, c.device);
        Konf.RatedI = static_cast<int16_t>(c.konf);
        EXPECT_EQ(SendConfiguration(), c.result) << c.konf << " onto " << c.device;
        EXPECT_EQ(Writes(), c.result == 1 ? 1u : 0u) << c.konf << " onto " << c.device;
        if (c.message >= 0) {
            EXPECT_EQ(Console_Report().lastErrorTitle, 4);
            EXPECT_EQ(Console_Report().lastErrorMessage, c.message);
        } else {
            EXPECT_EQ(Console_Report().errors, 0);
        }
        EXPECT_EQ(CommPortOpen, 0);
        EXPECT_EQ(Console_Report().progressShown, 0) << "progress pop-up left up";
        Konf = savedKonf;
    }
}

TEST_F(Transfer, BusSendCarriesTheProgramsLinkSettingsAndTheInstrumentsDisplay) {
    Instrument(1, 500);
    Baudrate = 4;
    Parity = 3;
    ASSERT_EQ(SendConfiguration(), 1);
    EXPECT_EQ(peer->Reg(507), 17 << 8 | (4 + 8 * 3));
    EXPECT_EQ(peer->Reg(536) >> 8, 9) << "brightness kept";
    EXPECT_EQ(peer->Reg(537) >> 8, 0) << "no simulation image";
    EXPECT_EQ(Konf.DevAddr, 17);
    EXPECT_EQ(Konf.DevBaud, 28);
    EXPECT_EQ(Konf.Display, 9);
    EXPECT_EQ(Konf.Image, 0);
    EXPECT_EQ(Console_Report().lastProgress, 100);
    EXPECT_EQ(CommPortOpen, 0);
}

TEST_F(Transfer, DirectSendKeepsTheConfigurationsBusSettings) {
    Instrument(0, 500);
    ASSERT_EQ(SendConfiguration(), 1);
    EXPECT_EQ(peer->Reg(507), 3 << 8 | 1);
    EXPECT_EQ(peer->Requests()[0].bytes[0], 255);
}

TEST_F(Transfer, FailedReadStopsBeforeWriting) {
    Instrument(1, 500);
    peer->Script({F::None, F::Drop, F::Drop, F::Drop, F::Drop}); // device type never answers
    EXPECT_EQ(SendConfiguration(), 0);
    EXPECT_EQ(Writes(), 0u);
    EXPECT_EQ(Console_Report().lastErrorMessage, 2);
    EXPECT_EQ(CommPortOpen, 0);
    EXPECT_EQ(Console_Report().progressShown, 0);
}

// The bar stands where the send stopped: each read moves it on whether or not it succeeded.
TEST_F(Transfer, SendProgressStopsWhereTheSendStopped) {
    const std::vector<F> drop4 = {F::Drop, F::Drop, F::Drop, F::Drop};
    struct Case {
        const char *name;
        size_t goodAnswers; // answers before the instrument falls silent
        int progress;
    } cases[] = {
        {"device info fails", 0, -1},
        {"device type fails", 1, 27},
        {"display fails", 2, 32},
        {"write fails", 3, 32},
    };
    for (const Case &c : cases) {
        Console_ResetCounts();
        Instrument(1, 500);
        std::vector<F> script(c.goodAnswers, F::None);
        script.insert(script.end(), drop4.begin(), drop4.end());
        peer->Script(script);
        EXPECT_EQ(SendConfiguration(), 0) << c.name;
        EXPECT_EQ(Console_Report().lastProgress, c.progress) << c.name;
        EXPECT_EQ(Console_Report().progressShown, 0) << c.name;
        Konf = savedKonf;
    }
}

TEST_F(Transfer, AdoptKeepsModuleAndClearsTheTransformerSwitches) {
    Instrument(1, 100);
    peer->SetReg(501, 20);     // UrPrim mantissa
    peer->SetReg(505, 3 << 8); // UrPrim exponent 3: 20 kV
    peer->SetReg(508, 'K' << 8 | '7');
    peer->SetReg(509, 0);
    Konf.Module = 1;
    NoVoltageTransf = NoCurrentTransf = 1;
    ASSERT_EQ(AdoptDeviceConfiguration(), 1);
    EXPECT_EQ(Konf.Module, 1);
    EXPECT_EQ(Konf.RatedI, 100);
    EXPECT_FLOAT_EQ(Konf.UrPrim, 20000.0f);
    EXPECT_STREQ(Konf.Descr, "K7");
    EXPECT_EQ(NoVoltageTransf, 0);
    EXPECT_EQ(NoCurrentTransf, 0);
    EXPECT_EQ(CommPortOpen, 0);
}

TEST_F(Transfer, FailedAdoptLeavesTheConfigurationAlone) {
    Instrument(1, 100);
    peer->Script({F::None, F::None, F::Corrupt, F::Corrupt, F::Corrupt, F::Corrupt});
    NoVoltageTransf = 1;
    record before = Konf;
    EXPECT_EQ(AdoptDeviceConfiguration(), 0);
    EXPECT_EQ(std::memcmp(&Konf, &before, sizeof before), 0);
    EXPECT_EQ(NoVoltageTransf, 1);
    EXPECT_EQ(Console_Report().lastErrorMessage, 4);
    EXPECT_EQ(Console_Report().progressShown, 0);
    NoVoltageTransf = 0;
}

} // namespace

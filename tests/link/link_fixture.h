// A link opened on port 1 against a PtyPeer, with the console reporting silenced and its counts
// cleared; restores the link settings afterwards.
#pragma once

#include <gtest/gtest.h>
#include <memory>

#include "link/linksettings.h"
#include "link/port.h"
#include "link/report_console.h"
#include "platform/serial/portmap.h"
#include "pty_peer.h"

class LinkTest : public ::testing::Test {
  protected:
    // Opens the link on the bus (address 17, 9600 baud, no parity) unless told otherwise.
    void Open(int commType = 1, int peerAddress = 17) {
        CommType = commType;
        DeviceAddr = 17;
        Baudrate = 3;
        Parity = 3;
        RTSFlow = 1;
        peer = std::make_unique<PtyPeer>(commType == 0 ? 255 : peerAddress);
        SetComPortDevice(1, peer->Path().c_str());
        ASSERT_EQ(InitInterface(1), 1) << Console_Report().lastErrorDetail;
    }
    void SetUp() override {
        Console_SetOutput(nullptr);
        Console_SetAnswer(kConsoleAnswerYes);
        Console_ResetCounts();
    }
    void TearDown() override {
        CloseInterface();
        peer.reset();
        ResetComPortDevices();
        CommType = 0;
        DeviceAddr = 247;
        Baudrate = 3;
        Parity = 0;
        RTSFlow = 1;
    }
    static double Gap(const std::vector<PeerRequest> &r, size_t i) { return r[i].at - r[i - 1].at; }

    std::unique_ptr<PtyPeer> peer;
};

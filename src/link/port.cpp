// Port handling: line parameters per connection type, open with error reporting, close, and the
// wait for the output queue.
#include "link/port.h"

#include "link/linksettings.h"
#include "link/report.h"
#include "platform/serial/rs232.h"

int OpenedPort = 0;

namespace {
// Device names of the ports, for the serial layer's messages.
const char *const kPortNames[8] = {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"};
long gLineBaud = 9600;
int gHolds = 0; // successful InitInterface calls not yet given back
} // namespace

int BaudIndex() {
    return Baudrate >= 0 && Baudrate <= 4 ? Baudrate : 3;
}

void LineParameters(long *baud, int *parity, int *stopBits) {
    if (CommType == 0) {
        // The direct connection always runs at 9600 baud, even parity, one stop bit.
        *baud = 9600;
        *parity = 2;
        *stopBits = 1;
        return;
    }
    *baud = BaudRates[BaudIndex()];
    switch (Parity) {
    case 1:
        *parity = 2, *stopBits = 2;
        break; // even
    case 2:
        *parity = 1, *stopBits = 2;
        break; // odd
    case 3:
        *parity = 0, *stopBits = 1;
        break;
    default:
        *parity = 0, *stopBits = 2;
        break;
    }
}

int InitInterface(int port) {
    long baud;
    int parity, stopBits;
    LineParameters(&baud, &parity, &stopBits);
    if (CommPortOpen) {
        ++gHolds;
        status = 1;
        return 1;
    }

    const char *name = port >= 1 && port <= 8 ? kPortNames[port - 1] : "";
    const int opened = OpenComConfig(port, name, baud, parity, 8, stopBits, 512, 512);
    if (opened != 0) {
        status = 0;
        SetErrorDetail(ComLastErrorText());
        if (opened == kComBadPort || opened == kComNoPort || opened == kComCannotOpen)
            Error(0, 0);
        else
            Error(0, 1);
        return 0;
    }
    // The answer time-out follows Baudrate even on the direct connection.
    SetComTime(port, Rec_Timeout[BaudIndex()]);
    SetCTSMode(port, 0);
    CommPortOpen = 1;
    gHolds = 1;
    status = 1;
    OpenedPort = port;
    gLineBaud = baud;
    return 1;
}

void CloseInterface() {
    if (gHolds > 1) {
        --gHolds;
        return;
    }
    gHolds = 0;
    CommPortOpen = 0;
    // Also when nothing is held: a port opened behind the counter's back (a test setting
    // CommPortOpen by hand) is still released.
    CloseCom(OpenedPort);
}

int InterfaceHolds() {
    return gHolds;
}

void WaitUntilSent() {
    int queued = GetOutQLen(OpenedPort);
    if (queued < 0) return;
    // Three times the line time of what is queued, plus slack for the driver: a stuck or
    // vanished device ends the wait instead of hanging the program.
    double bound = 0.25 + 3.0 * queued * 11.0 / static_cast<double>(gLineBaud);
    ComDrain(OpenedPort, bound);
}

void FlushInterfaceQueues() {
    if (!CommPortOpen) return;
    FlushOutQ(OpenedPort);
    FlushInQ(OpenedPort);
}

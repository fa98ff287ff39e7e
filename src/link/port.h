// Opening and closing the serial port with the line parameters of the selected connection type.
// Every action that talks to the instrument brackets its exchanges with InitInterface and
// CloseInterface.
//
// The pairs nest: each successful InitInterface is one hold on the port, each CloseInterface
// gives one back, and the port is closed when the last hold is returned. A view that keeps the
// port open for its readings, a pop-up inside it and a one-shot command run from it each open
// and close around their own work without knowing who else holds the port.
#pragma once

// 1 when the port is open (also when it was open already: settings changed since then take
// effect after the next close and open); 0 when it cannot be opened, after Error(0, 0) for a
// missing, invalid or busy port or Error(0, 1) for any other failure. status is set to the
// result (1 or 0).
int InitInterface(int port);

// Returns one hold; closes the port when it was the last. Harmless when nothing is open.
void CloseInterface();

// Holds on the open port (0 when it is closed).
int InterfaceHolds();

// Returns once the open port's output queue has drained, or when the port failed or the queue
// did not drain in several times the time its bytes need on the line.
void WaitUntilSent();

// Drops whatever waits in the open port's output and input queues (a late answer to an earlier
// request, noise), so the next exchange starts clean. Harmless when nothing is open.
void FlushInterfaceQueues();

// The port number the last successful InitInterface opened (0 before the first).
extern int OpenedPort;

// Line parameters InitInterface uses for the current link settings: rate in baud, parity code of
// the serial layer (0 none, 1 odd, 2 even) and stop bits. Out-of-range Baudrate or Parity values
// are read as their defaults (9600 baud, no parity with 2 stop bits).
void LineParameters(long *baud, int *parity, int *stopBits);

// Index into the per-rate tables for the current Baudrate (out-of-range values read as 9600).
int BaudIndex();

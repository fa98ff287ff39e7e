// Opening and closing the serial port with the line parameters of the selected connection type.
// Every action that talks to the instrument brackets its exchanges with InitInterface and
// CloseInterface.
#pragma once

// 1 when the port is open (also when it was open already: settings changed since then take
// effect after the next close and open); 0 when it cannot be opened, after Error(0, 0) for a
// missing, invalid or busy port or Error(0, 1) for any other failure.
int InitInterface(int port);

// Closes the open port; harmless when nothing is open.
void CloseInterface();

// Returns once the open port's output queue has drained, or when the port failed or the queue
// did not drain in several times the time its bytes need on the line.
void WaitUntilSent();

// The port number the last successful InitInterface opened (0 before the first).
extern int OpenedPort;

// Line parameters InitInterface uses for the current link settings: rate in baud, parity code of
// the serial layer (0 none, 1 odd, 2 even) and stop bits. Out-of-range Baudrate or Parity values
// are read as their defaults (9600 baud, no parity with 2 stop bits).
void LineParameters(long *baud, int *parity, int *stopBits);

// Index into the per-rate tables for the current Baudrate (out-of-range values read as 9600).
int BaudIndex();

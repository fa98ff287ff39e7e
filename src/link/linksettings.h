// Process-wide link settings and link state. Persisted by the settings file, edited by the
// interface dialog, used by every exchange.
#pragma once

extern int CommPort;   // serial port number 1..8
extern int CommType;   // 0 direct connection, 1 bus
extern int Baudrate;   // index 0..4: 1200, 2400, 4800, 9600, 19200 baud
extern int Parity;     // index 0..3: none/2 stop, even/2 stop, odd/2 stop, none/1 stop
extern int RTSFlow;    // 1: switch the bus line direction with RTS
extern int DeviceAddr; // bus address of the instrument talked to, 1..247

extern int CommPortOpen; // 1 while the port is open
extern int status;       // result of the last compound operation (non-zero = success)

extern int DevSearch[32]; // known bus addresses, 0 = empty slot
extern int Search_Result; // 1 when any DevSearch slot is non-zero
extern int Last_Device;   // upper end of the bus search

// Per-baud-rate tables, seconds.
extern const int BaudRates[5];
extern const float Rec_Timeout[5];
extern const float RTS_Timeout[5];

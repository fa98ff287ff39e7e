// Definitions of the link settings with their built-in defaults.
#include "link/linksettings.h"

int CommPort = 1;
int CommType = 0;
int Baudrate = 3;
int Parity = 0;
int RTSFlow = 1;
int DeviceAddr = 247;

int CommPortOpen = 0;
int status = 0;

int DevSearch[32] = {0};
int Search_Result = 0;
int Last_Device = 32;

const int BaudRates[5] = {1200, 2400, 4800, 9600, 19200};
const float Rec_Timeout[5] = {0.25f, 0.15f, 0.10f, 0.07f, 0.05f};
const float RTS_Timeout[5] = {0.10f, 0.05f, 0.02f, 0.01f, 0.01f};

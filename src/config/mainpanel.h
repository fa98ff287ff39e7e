// The main panel's editors: presenting Konf on the panel, the callbacks that change it, and the
// commands that send, read back, save and open the configuration. Everything here runs on the
// user-interface thread inside callbacks of the event loop.
#pragma once

#include <cstddef>

extern int MainPanel; // handle of the main panel (the panel manager loads it)

// Path of the configuration file last chosen in the save or open dialog; the default of the next
// save dialog. A new configuration does not clear it.
extern char filename[260];

// ---- presentation -----------------------------------------------------------------------------
void ShowAll();         // writes every value of Konf into the main panel
void ActivateObjects(); // rebuilds the choice lists and dims or hides what does not apply
void SetupLimitUnit(int output);
void SetupDigoutSel(int output, int function);
void SetupPulsUnit(int output);
void Check_PulseOutput();
// Writes the current date and time into the panel's (normally hidden) date and time fields.
void StampDateTime();

// ---- input side: connection type, transformers, description, device type pop-up --------------
int CmSelSystem(int panel, int control, int event, void *callbackData, int eventData1,
                int eventData2);
int CmUrPrim(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CmUrSec(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CmIrPrim(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CmIrSec(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CmVoltageInput(int panel, int control, int event, void *callbackData, int eventData1,
                   int eventData2);
int CmCurrentInput(int panel, int control, int event, void *callbackData, int eventData1,
                   int eventData2);
int CmReadDescr(int panel, int control, int event, void *callbackData, int eventData1,
                int eventData2);
// How many bytes of `text` the record's description takes: at most 47, ending on a character.
size_t DescriptionLength(const char *text);
void CmSelDevType(int menuBar, int menuItem, void *callbackData, int panel);
int CmSelI(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CmSelU(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int CmSelInterf(int panel, int control, int event, void *callbackData, int eventData1,
                int eventData2);
int CmSaveType(int panel, int control, int event, void *callbackData, int eventData1,
               int eventData2);
int CmAbortType(int panel, int control, int event, void *callbackData, int eventData1,
                int eventData2);

// ---- outputs ----------------------------------------------------------------------------------
int CmSelDigOut(int panel, int control, int event, void *callbackData, int eventData1,
                int eventData2);
int CmDigOutMeas(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
int CmDigOutLimOn(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);
int CmDigOutLimOff(int panel, int control, int event, void *callbackData, int eventData1,
                   int eventData2);
int CmDigOutPuls(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
int CmSelPulsUnit(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);

// ---- energy metering, logger settings, the instrument's bus settings --------------------------
int CmSetSyncIntervall(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2);
int CmSelSyncMode(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);
int CmSelHighLow(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
int CmSelLoggerMode(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2);
int CmSelLoggerMeas(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2);
int CmSelDeviceAddr(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2);
int CmSelDevBaudrate(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2);
int CmSelDevParity(int panel, int control, int event, void *callbackData, int eventData1,
                   int eventData2);

// ---- display pop-up (talks to the instrument at once) -----------------------------------------
void CmDisplay(int menuBar, int menuItem, void *callbackData, int panel);
// A pop-up about the addressed instrument on the bus names it in its title: "Title (caption of
// the main panel's device address N)".
void AppendBusAddressToTitle(int panel);
int CmSelBright(int panel, int control, int event, void *callbackData, int eventData1,
                int eventData2);
int CmDisplayDone(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);

// ---- transfer and files -----------------------------------------------------------------------
// The outcome of the last send or read-back, for the status bar: what, whether it worked, when,
// with which instrument on which device, and why not.
struct TransferOutcome {
    int kind; // 0 none yet, 1 sent, 2 read back
    int ok;
    char time[16]; // "hh:mm:ss"
    int address;   // 255 on the direct connection
    char device[256];
    char reason[1024]; // the error's text when it failed
};
extern TransferOutcome gLastTransfer;
void CmSendConfig(int menuBar, int menuItem, void *callbackData, int panel);
void CmRecFromDev(int menuBar, int menuItem, void *callbackData, int panel);
// Save writes to the configuration's own file (asking for one only when it has none); Save as
// always asks.
void CmSaveToFile(int menuBar, int menuItem, void *callbackData, int panel);
void CmSaveAs(int menuBar, int menuItem, void *callbackData, int panel);
void CmFileOpen(int menuBar, int menuItem, void *callbackData, int panel);

// The interface dialog: how the PC reaches the instruments (port, connection type, bus line
// settings), the bus search with its list of known instruments, the chooser of the device a
// port number opens, and the version pop-up. The dialog edits working copies; OK commits them.
//
// These callbacks live in the shell rather than beside the search in the link: closing the
// dialog refreshes the main panel (config) and rebuilds the toolbar's address selector (app).
#pragma once

#include "platform/serial/portmap.h"

// ---- the dialog ------------------------------------------------------------------------------
void CmSelInterface(int menuBar, int menuItem, void *callbackData, int panel);
void EnableInterfaceSelection();
int CmSelCommType(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);
int CmSelCommPort(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);
int CmSelBaudrate(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);
int CmSelParity(int panel, int control, int event, void *callbackData, int eventData1,
                int eventData2);
int CmSelRTSFlow(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
int SelDevRange(int panel, int control, int event, void *callbackData, int eventData1,
                int eventData2);
int CmSearchAddr(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
int CmStopSearch(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
int CmCloseCommSel(int panel, int control, int event, void *callbackData, int eventData1,
                   int eventData2);
int CmInterfaceEvents(int panel, int event, void *callbackData, int eventData1, int eventData2);

// Handle of the dialog while it is shown, 0 otherwise.
extern int handle;

// Working copies of the dialog, from opening to closing.
struct InterfaceWork {
    int type, port, baud, par, rts;
    char paths[kPortCount][kPortPathSize]; // the device each port number opens
};
extern InterfaceWork gWork;

// 1 while a search runs: every callback of the dialog but the stop button's then does nothing.
extern int gSearching;

// Shows which device the working port number opens and whether it is there and usable.
void ShowPortDevice();

// ---- the device chooser ----------------------------------------------------------------------
int CmChoosePortDevice(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2);
int CmSelPortDevice(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2);
int CmClosePortDevice(int panel, int control, int event, void *callbackData, int eventData1,
                      int eventData2);
int CmPortDeviceEvents(int panel, int event, void *callbackData, int eventData1, int eventData2);

// ---- version information ---------------------------------------------------------------------
void CmGetVersionInfo(int menuBar, int menuItem, void *callbackData, int panel);
int CmVersionEvents(int panel, int event, void *callbackData, int eventData1, int eventData2);

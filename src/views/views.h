// The measurement views the shell opens from its menu. The shell calls RegisterViews once at
// start-up and knows nothing else of them; the callbacks are bound by name from the resource.
#pragma once

extern int measdisp;   // instantaneous values, 0 while not shown
extern int minmaxdisp; // min/max values
extern int meandisp;   // mean values
extern int meterdisp;  // energy meters
extern int logdisp;    // logger
extern int simdisp;    // output simulation
extern int savelog;    // the logger view's save-to-file box at the last download

// Registers the panel kinds of every view with the panel manager.
void RegisterViews();

// Close a shown view as its close button does (the manager runs these when the main window
// closes while the view is shown).
void CloseMeasView();
void CloseMinMaxView();
void CloseMeanView();
void CloseMeterView();
void CloseLoggerView();
// Gives the outputs their functions back first (saying so when the instrument does not answer).
void CloseSimulationView();

// ---- menu commands ------------------------------------------------------------------------------
void CmMeasDisplay(int menuBar, int menuItem, void *callbackData, int panel);
void CmMinMaxDisplay(int menuBar, int menuItem, void *callbackData, int panel);
void CmMeanValueDisplay(int menuBar, int menuItem, void *callbackData, int panel);
void CmMetersDisplay(int menuBar, int menuItem, void *callbackData, int panel);
// Opens the logger view; Error(6, 9) when the instrument logs nothing.
void CmLoggerAcquisition(int menuBar, int menuItem, void *callbackData, int panel);
// Puts the outputs into manual mode (asking first when that changes one) and opens the view.
void CmSimulation(int menuBar, int menuItem, void *callbackData, int panel);

// ---- instantaneous values -----------------------------------------------------------------------
void InitMeasDisp();
int CmReadMeas(int panel, int control, int event, void *callbackData, int eventData1,
               int eventData2);
int CmPrintMeasData(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2);
int CmCloseAcquisiton(int panel, int control, int event, void *callbackData, int eventData1,
                      int eventData2);
int CmPickTrend(int panel, int control, int event, void *callbackData, int eventData1,
                int eventData2);

// ---- min/max values -----------------------------------------------------------------------------
void InitMinMaxDisp();
int CmReadMinMax(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
int CmPrintMinMaxData(int panel, int control, int event, void *callbackData, int eventData1,
                      int eventData2);
int CmResetMinMax(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);
int CmCloseMinMax(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);

// ---- mean values --------------------------------------------------------------------------------
void InitMeanDisp();
int CmReadAverage(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);
int CmPrintMeanData(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2);
int CmMeanDone(int panel, int control, int event, void *callbackData, int eventData1,
               int eventData2);
int CmRestartInterval(int panel, int control, int event, void *callbackData, int eventData1,
                      int eventData2);

// ---- shared by every live view ------------------------------------------------------------------
// Copies the view's current values to the clipboard as tab-separated lines.
int CmCopyViewValues(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2);
// Starts a CSV recording of the view's reads (asks for the file), or stops the running one.
int CmRecordView(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);

// ---- energy meters ------------------------------------------------------------------------------
void InitMetersDisp();
int CmReadMeters(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
// A meter's set box: while ticked, its field takes presets (within the display's digits).
int CmMeterSetBox(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);
int CmMeterReset(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
int CmMeterSet(int panel, int control, int event, void *callbackData, int eventData1,
               int eventData2);
int CmPrintMeters(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);
int CmMeterDone(int panel, int control, int event, void *callbackData, int eventData1,
                int eventData2);

// ---- logger -------------------------------------------------------------------------------------
void InitLogger();
void ShowLoggerStatus();
int CmReadLogStatus(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2);
int CmGetLoggerData(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2);
int CmSelLoggerFile(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2);
// The file dialog of the export; a cancel clears the save-to-file box. Returns its result.
int SelectLoggerFile();
// The time of the newest record, asked with the clock's time rounded down to the interval.
long long AskLastLogTime();
int ResetLogger(int panel, int control, int event, void *callbackData, int eventData1,
                int eventData2);
// The reset offered on the main panel: confirmation, then its own port hold.
int ResetLoggerKonf(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2);
int CmPrintLogger(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);
int CmCloseLogger(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);

// ---- output simulation --------------------------------------------------------------------------
void InitSimulation();
int SimDigout(int panel, int control, int event, void *callbackData, int eventData1,
              int eventData2);
int CmSimDone(int panel, int control, int event, void *callbackData, int eventData1,
              int eventData2);

// The measurement views the shell opens from its menu. The shell calls RegisterViews once at
// start-up and knows nothing else of them; the callbacks are bound by name from the resource.
#pragma once

extern int measdisp;   // instantaneous values, 0 while not shown
extern int minmaxdisp; // min/max values
extern int meandisp;   // mean values

// Registers the panel kinds of every view with the panel manager.
void RegisterViews();

// Close a shown view as its close button does (the manager runs these when the main window
// closes while the view is shown).
void CloseMeasView();
void CloseMinMaxView();
void CloseMeanView();

// ---- menu commands ------------------------------------------------------------------------------
void CmMeasDisplay(int menuBar, int menuItem, void *callbackData, int panel);
void CmMinMaxDisplay(int menuBar, int menuItem, void *callbackData, int panel);
void CmMeanValueDisplay(int menuBar, int menuItem, void *callbackData, int panel);

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

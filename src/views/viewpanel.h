// What every live measurement view does alike: the opening command's common steps, setting up
// the fields from the layout tables, one timer tick (read, show, record), print with date and
// time, closing, copy and recording. Each view's callbacks file holds only what is its own.
#pragma once

#include "views/display.h"
#include "views/recording.h"

// The controls of a view panel that the shared steps use (0 where a view has none).
struct ViewPanel {
    int view;    // ViewId of its tables; -1 for a view without them (meters, logger, simulation)
    int kind;    // panel kind of the panel manager
    int *handle; // the global that holds its panel
    int timer, busy, title, date, time, print, record;
    DisplayText texts[40]; // what its fields show now
    Recording recording;
    int lastStatus;
    char recordLabel[80]; // the record button's label as loaded, in the panel's language
};

// The view whose panel this is, or nullptr.
ViewPanel *ViewOfPanel(int panel);
void AddViewPanel(ViewPanel *vp);

// The opening command's first steps: open the port and read the instrument's configuration
// into Lese. 1 when the port is held; 0 after the step's message, with the port released.
int OpenViewLink();
// Hides the main panel and shows the view's panel (the view is registered for ViewOfPanel). 1
// when it stands; 0 with the port released and the main panel shown again.
int ShowViewPanel(ViewPanel *vp);
// On the bus, extends the panel title (and the title field) with the device address.
void ShowBusTitle(ViewPanel *vp);

// The opening command's common steps: open the port, read the instrument's configuration into
// Lese, hide the main panel, show the view's panel and restore the ratings of Lese. 1 when the
// view stands (the port stays held for it); 0 when a step failed, after its message, with the
// port released and the main panel shown.
int OpenMeasurementView(ViewPanel *vp);

// Opening set-up from the layout tables: the bus title, InitAnzeige, power captions, the
// window events, the shown fields cleared, the elements shown by connection type with their
// units, the shared captions. The timer is enabled with the given first interval.
void SetupViewPanel(ViewPanel *vp, double firstInterval);

// One timer tick: re-arms the timer with `interval`, lights the activity indicator, reads,
// shows every field (marked or normal), appends the recording row. Returns the read status.
int ViewTick(ViewPanel *vp, double interval);
// Writes texts into the shown fields with their marking.
void ShowViewTexts(ViewPanel *vp);

// Prints the panel with the date and time shown and the print button hidden.
void PrintViewPanel(ViewPanel *vp);

// Stops the timer and a recording, releases the port, discards the panel, shows the main
// panel again.
void CloseViewPanel(ViewPanel *vp);

// The current date and time as the print-outs show them ("%02u.%02u.%04u", "%02u:%02u:%02u").
void DateTimeTexts(char *date, int dateSize, char *clock, int clockSize);

// The layout tables of the instantaneous, min/max and mean-value views: which received value
// goes into which field, for which connection types a field and each further panel element is
// shown, and the captions the program sets. kr7mctl reads the same tables, so it prints exactly
// the fields a view shows.
#pragma once

enum ViewId { VIEW_MEAS = 0, VIEW_MINMAX, VIEW_MEAN, VIEW_COUNT };

// One element of a view's received value array, in array order.
struct MeasurandRow {
    int control;           // display field; rows of one field are shown for disjoint codes
    unsigned char show[5]; // shown for connection types 0..4 (column anschl_ix - 1)
    int group;             // scale group (display.h)
    const char *caption;   // the quantity's name, as read-outs and recordings head it
};

// Whether an element takes a unit text when the view opens.
enum ElementUnit { UNIT_NONE = 0, UNIT_VOLTAGE, UNIT_CURRENT };

// A further panel element (caption, unit label, frame) shown by connection type.
struct ElementRow {
    int control;
    unsigned char show[5];
    int unit;
};

// A caption that depends on the connection type: `few` for types 0..2 (one current path),
// `many` for types 3 and 4. Set as the control's label, or as its text for a caption element.
struct SharedCaption {
    int control;
    int isLabel;
    const char *few;
    const char *many;
};

struct ViewTables {
    const char *name; // "values", "minmax", "mean"
    const MeasurandRow *rows;
    int rowCount;
    const ElementRow *elements;
    int elementCount;
    const SharedCaption *captions;
    int captionCount;
    int readCommand;     // the named read command of the view's values
    float *values;       // where that command puts them
    int frequencyLimits; // "< 45" and "> 65" for the frequency
    double interval;     // seconds between two reads
    int powerCaption[3]; // caption elements of the P, Q and S columns
    const char *powerWord[3];
};

const ViewTables &ViewTable(int view);
// Whether a row (or element) is shown for the connection type anschl_ix.
int Shown(const unsigned char show[5]);

extern const MeasurandRow msd[33];  // instantaneous values
extern const ElementRow obj[];      // their further elements
extern const MeasurandRow mdsp[37]; // min/max values
extern const ElementRow mobj[];
extern const MeasurandRow adsp[15]; // mean values

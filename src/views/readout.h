// One read of a view's values and what its fields show, without panel work: the views' timer
// callbacks, kr7mctl's read-outs, the copy command and the recordings all go through here.
#pragma once

#include "views/display.h"

// Reads the view's values once (errors not reported, as on every periodic read) and formats
// each row shown for the connection type into texts[row]; after a failed read every shown row
// gets "-----" marked. Returns the transfer status (1 or 0). The port must be open and the
// display tables set (InitAnzeige).
int ReadViewValues(int view, DisplayText *texts);
// The formatting part alone, from the values already in the view's array (ok 0: a failed read).
void FormatViewValues(int view, int ok, DisplayText *texts);

// Rows of the view shown for the connection type, in row order; `rows` must hold 40.
int ShownRows(int view, int *rows);

// The shown fields as lines "caption<TAB>text<TAB>unit", with "<TAB>!" after a marked text,
// each ending in "\n". Returns the length written (cut to fit `size`).
int ReadoutText(int view, const DisplayText *texts, char *out, int size);

// A received value in base units as recordings hold it: the number, or "OVL" for an overflow
// or a value that is not a number.
void BaseValueText(float x, char *out, int size);

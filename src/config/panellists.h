// Helpers shared by the main panel's callback files.
#pragma once

// Appends entry `entry` (label and value) of a hidden source list of the main panel to `target`.
void CopyListEntry(int sourceList, int entry, int target);

// Which output (0 or 1) a control of the output groups belongs to.
int OutputOfControl(int control);

#include "config/ranges.h" // LimitStep: one stored limit step in the unit the fields show

// Digits after the point that a field needs to show every step of that size apart.
int StepDecimals(double step);

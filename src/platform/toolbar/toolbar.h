// The main window's toolbar: image buttons with tool tips that fire a menu command, and an
// embedded ring (the device-address selector). Lives just below the menu bar of its panel.
#pragma once

#include "platform/ui/userint.h"

typedef int ToolbarHandle; // 0 = none

// Creates an empty toolbar docked at the top of the panel's client area. Returns 0 on failure.
ToolbarHandle Toolbar_New(int panel);
// Adds a button showing the image file (a path) that, when pressed, chooses the menu item.
int Toolbar_InsertButton(ToolbarHandle tb, int position, const char *imageFile, const char *tooltip,
                         int menuBar, int menuItem);
int Toolbar_InsertSeparator(ToolbarHandle tb, int position);
// Adds a ring of (label, value) items; commits call fn(panel=toolbar's panel, control=id, ...).
// Returns the ring's id, usable with the ring functions below.
int Toolbar_InsertRing(ToolbarHandle tb, int position, const char *tooltip, int width,
                       CtrlCallbackPtr fn, void *callbackData);
int Toolbar_ClearRing(ToolbarHandle tb, int ring);
int Toolbar_RingAppend(ToolbarHandle tb, int ring, const char *label, int value);
int Toolbar_RingSetIndex(ToolbarHandle tb, int ring, int index);
int Toolbar_RingGetIndex(ToolbarHandle tb, int ring, int *index);
int Toolbar_RingGetValue(ToolbarHandle tb, int ring, int *value);
int Toolbar_RingCount(ToolbarHandle tb, int ring, int *count);
int Toolbar_SetItemDimmed(ToolbarHandle tb, int position, int dimmed);
int Toolbar_SetTooltip(ToolbarHandle tb, int position, const char *tooltip);
int Toolbar_Display(ToolbarHandle tb);
int Toolbar_Hide(ToolbarHandle tb);
int Toolbar_Height(ToolbarHandle tb);
int Toolbar_Discard(ToolbarHandle tb);
// Presses a button or commits the ring as a user would (tests).
int Toolbar_UserPress(ToolbarHandle tb, int position);

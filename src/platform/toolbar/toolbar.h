// The main window's toolbar: image buttons with tool tips that fire a menu command, and an
// embedded ring (the device-address selector). Lives just below the menu bar of its panel.
#pragma once

#include "platform/ui/userint.h"

typedef int ToolbarHandle; // 0 = none

// Creates an empty toolbar docked at the top of the panel's client area. Returns 0 on failure.
ToolbarHandle Toolbar_New(int panel);
// Adds a button showing the image file (a path) that, when pressed, chooses the menu item. An
// image that cannot be read gives a button showing the description (tooltip) instead.
int Toolbar_InsertButton(ToolbarHandle tb, int position, const char *imageFile, const char *tooltip,
                         int menuBar, int menuItem);
int Toolbar_InsertSeparator(ToolbarHandle tb, int position);
// Adds a ring of (label, value) items; commits call fn(panel=toolbar's panel, control=id, ...).
// Returns the ring's id (its control), usable with the ring functions below.
int Toolbar_InsertRing(ToolbarHandle tb, int position, const char *tooltip, int width,
                       CtrlCallbackPtr fn, void *callbackData);
int Toolbar_ClearRing(ToolbarHandle tb, int ring);
int Toolbar_RingAppend(ToolbarHandle tb, int ring, const char *label, int value);
int Toolbar_RingSetIndex(ToolbarHandle tb, int ring, int index);
int Toolbar_RingGetIndex(ToolbarHandle tb, int ring, int *index);
int Toolbar_RingGetValue(ToolbarHandle tb, int ring, int *value);
int Toolbar_RingCount(ToolbarHandle tb, int ring, int *count);
int Toolbar_SetItemDimmed(ToolbarHandle tb, int position, int dimmed);
// Sets an item's description (its tool tip), the text it is found by.
int Toolbar_SetTooltip(ToolbarHandle tb, int position, const char *tooltip);
// Finds the first item whose description is the text: the panel the toolbar sits on and the
// item's control. Items move when others are inserted, their controls never do, so callers keep
// or look up the control rather than a position. UIE_BAD_CONTROL when no item has the text.
int Toolbar_GetCtrlFromDescription(ToolbarHandle tb, const char *description, int *panel,
                                   int *control);
// Dims or enables the item with the control; dimmed tells whether the user can reach it now (a
// button whose menu entry is dimmed is dimmed too).
int Toolbar_SetCtrlDimmed(ToolbarHandle tb, int control, int dimmed);
int Toolbar_GetCtrlDimmed(ToolbarHandle tb, int control, int *dimmed);
int Toolbar_Display(ToolbarHandle tb);
int Toolbar_Hide(ToolbarHandle tb);
int Toolbar_Height(ToolbarHandle tb);
int Toolbar_Discard(ToolbarHandle tb);
// Presses a button or commits the ring as a user would (tests).
int Toolbar_UserPress(ToolbarHandle tb, int position);

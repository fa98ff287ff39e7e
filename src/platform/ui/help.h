// The help viewer: an HTML page in a help window of its own. The window is not a child of any
// panel, so it stays open while the main window is discarded and built again (a change of
// language), and it never blocks the program: the user may keep reading while working.
//
// Inside the window, links to places on the page and to other pages in the page's own folder
// open there (with back, forward and home); web and mail links go to the desktop's browser or
// mail program; any other link (a file elsewhere, a program) opens nothing. Ctrl+F searches the
// page.
#pragma once

#include "platform/ui/userint.h" // the error codes

// Commands of SystemHelp.
enum {
    HELP_CONTENTS = 1, // the page from its start (topic 0)
};

// Shows `helpFile` in the help window. A second call raises the open window; it loads the page
// only when it is another file than the one shown, so a reader keeps the place on the page.
// 0 on success. When the file is missing or cannot be read, the viewer says so itself in a
// message box that names the file, and returns UIE_FILE_NOT_FOUND or UIE_FILE_ACCESS; an open
// help window then stays as it was. UIE_BAD_VALUE for an unknown command or topic.
int SystemHelp(const char *helpFile, int command, int topic);

// Hides the help window (it is kept for the next call). 0, or UIE_BAD_HANDLE when none is open.
int CloseHelpWindow();

// ---- testing and automation -------------------------------------------------------------------
// What the help window shows: 1 while it is shown, with the page's absolute path and the anchor
// it was last taken to ("" for none); 0 when it is not shown. Either output may be null.
int GetHelpWindowPage(char *page, int pageSize, char *anchor, int anchorSize);

// How many help windows were made: one, however often help is asked for.
int HelpWindowsMade();

// Names found on the shown page, one per line: the anchors it defines, or the targets of its
// links as written.
enum { HELP_PAGE_ANCHORS = 1, HELP_PAGE_LINKS = 2 };
int GetHelpPageNames(int which, char *names, int size);

// Follows a link as a click on it would, relative to the shown page. A web or mail link is only
// judged here, never handed to the desktop.
enum { HELP_LINK_REFUSED = 0, HELP_LINK_SHOWN = 1, HELP_LINK_EXTERNAL = 2 };
int UserFollowHelpLink(const char *href);

// The window's back, forward and home buttons: 1 when it moved, 0 when there was nowhere to go.
enum { HELP_BACK = 1, HELP_FORWARD = 2, HELP_HOME = 3 };
int UserHelpNavigate(int where);

// The window's search, from the place last found on: 1 when found (and selected), 0 when the
// text is not on the page.
int UserFindInHelp(const char *text, int backwards);

// The main window's toolbar: six command buttons that choose menu items, and the device-address
// selector that picks one of the instruments a bus search has found.
#include "MainPan.h"
#include "app/app.h"
#include "config/settings.h"
#include "link/linksettings.h"
#include "platform/ui/resourcefile.h"
#include "platform/ui/userint.h"

#include <cstdio>
#include <cstring>

int gAddrRing = 0;

namespace {

struct ButtonInfo {
    int menuItem;
    const char *image;
    const char *fallback; // description when the resource's ring lacks the entry
};

// Toolbar order; the descriptions are entries 0..5 of the main window's description ring.
const ButtonInfo kButtons[] = {
    {MENU_FILE_NEW, "new.bmp", "New configuration"},
    {MENU_FILE_OPEN, "open.bmp", "Open configuration file"},
    {MENU_FILE_SAVE, "save.bmp", "Save configuration file"},
    {MENU_DEVICE_SEND, "download.bmp", "Send configuration to the instrument"},
    {MENU_DEVICE_RECEIVE, "upload.bmp", "Read configuration from the instrument"},
    {MENU_FILE_PRINT, "print.bmp", "Print"},
};
constexpr int kButtonCount = sizeof kButtons / sizeof kButtons[0];
constexpr int kSelectorDescription = 6;
const char kSelectorFallback[] = "Device address";
constexpr int kSelectorWidth = 45;

// The window the toolbar was built on: its description ring names the items.
int gToolbarWindow = 0;
// Address shown by each selector entry, in entry order: what the entry's label says.
int gEntryAddress[32];
int gEntryCount = 0;

// Images live beside the resource file, in the program's directory.
void ImagePath(const char *image, char *path, int size) {
    char dir[1024];
    std::snprintf(dir, sizeof dir, "%s", MainResourceFile());
    char *slash = std::strrchr(dir, '/');
    if (slash) {
        *slash = '\0';
        MakePathname(dir, image, path, size);
    } else {
        std::snprintf(path, size, "%s", image);
    }
}

// The toolbar finds its items by these texts, so none may be empty.
void Description(int mainWindow, int entry, const char *fallback, char *text, int size) {
    if (GetLabelFromIndex(mainWindow, BKGND_TOOLTIPS, entry, text, size) < 0 || text[0] == '\0')
        std::snprintf(text, size, "%s", fallback);
}

} // namespace

ToolbarHandle InitToolbar(int mainWindow) {
    ToolbarHandle tb = Toolbar_New(mainWindow);
    if (!tb) return 0;
    gToolbarWindow = mainWindow;
    int position = 0;
    char text[256], path[1024];
    for (int k = 0; k < kButtonCount; ++k) {
        Description(mainWindow, k, kButtons[k].fallback, text, sizeof text);
        ImagePath(kButtons[k].image, path, sizeof path);
        Toolbar_InsertButton(tb, ++position, path, text, menuHandle, kButtons[k].menuItem);
        Toolbar_InsertSeparator(tb, ++position);
    }
    Description(mainWindow, kSelectorDescription, kSelectorFallback, text, sizeof text);
    gAddrRing = Toolbar_InsertRing(tb, ++position, text, kSelectorWidth, RingCallback, nullptr);
    gEntryCount = 0;
    InitToolbarDeviceAddr(tb);
    Toolbar_Display(tb);
    return tb;
}

void InitToolbarDeviceAddr(ToolbarHandle toolbar) {
    if (!toolbar) return;
    // Found by its description, not by counting items: the count is off when an item is not
    // where the caller expects it.
    char text[256];
    int panel = 0, selector = 0;
    Description(gToolbarWindow, kSelectorDescription, kSelectorFallback, text, sizeof text);
    if (Toolbar_GetCtrlFromDescription(toolbar, text, &panel, &selector) < 0) return;
    gAddrRing = selector;
    if (CommType == 1 && Search_Result) {
        Toolbar_ClearRing(toolbar, gAddrRing);
        gEntryCount = 0;
        int selected = -1;
        for (int slot = 0; slot < 32; ++slot) {
            if (DevSearch[slot] == 0) continue;
            char label[16];
            std::snprintf(label, sizeof label, "%d", DevSearch[slot]);
            Toolbar_RingAppend(toolbar, gAddrRing, label, slot + 1);
            if (DevSearch[slot] == DeviceAddr && selected < 0) selected = gEntryCount;
            gEntryAddress[gEntryCount++] = DevSearch[slot];
        }
        if (selected >= 0) Toolbar_RingSetIndex(toolbar, gAddrRing, selected);
        Toolbar_SetCtrlDimmed(toolbar, gAddrRing, 0);
    } else {
        Toolbar_SetCtrlDimmed(toolbar, gAddrRing, 1);
    }
}

int RingCallback(int /*panel*/, int /*control*/, int event, void * /*callbackData*/,
                 int /*eventData1*/, int /*eventData2*/) {
    if (event != EVENT_COMMIT || !gToolbar) return 0;
    int index = -1;
    if (Toolbar_RingGetIndex(gToolbar, gAddrRing, &index) < 0 || index < 0 || index >= gEntryCount)
        return 0;
    DeviceAddr = gEntryAddress[index];
    NewINIFile();
    return 0;
}

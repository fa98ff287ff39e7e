// Callbacks of the device chooser: which device the dialog's port number opens. The list is
// read afresh each time the chooser opens, so an adapter plugged in meanwhile is there; a path
// can also be typed by hand.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "MainPan.h"
#include "app/interface.h"
#include "link/panelload.h"
#include "platform/serial/discover.h"
#include "platform/ui/userint.h"

namespace {

int gChooser = 0;
std::vector<SerialDevice> gFound;

const char *ShortName(const char *device) {
    const char *slash = std::strrchr(device, '/');
    return slash ? slash + 1 : device;
}

void ShowDetail(const SerialDevice &d) {
    const std::string text = d.present
                                 ? TextOfRing(gChooser, PORTDEV_TEXTS, 1, {d.product, d.device})
                                 : TextOfRing(gChooser, PORTDEV_TEXTS, 2, {d.path});
    SetCtrlVal(gChooser, PORTDEV_DETAIL, text.c_str());
    const bool usable = d.present && d.mayOpen;
    const std::string ready = TextOfRing(gChooser, PORTDEV_TEXTS, 3, {});
    SetCtrlVal(gChooser, PORTDEV_REASON, usable ? ready.c_str() : d.present ? d.reason : "");
    SetCtrlAttribute(gChooser, PORTDEV_REASON, ATTR_TEXT_COLOR, usable ? 0x206020 : 0xB02020);
}

void Close() {
    RemovePopup(0);
    DiscardPanel(gChooser);
    gChooser = 0;
    gFound.clear();
}

} // namespace

int CmChoosePortDevice(int, int, int event, void *, int, int) {
    if (event != EVENT_COMMIT || gSearching || handle <= 0 || gChooser > 0) return 0;
    gChooser = LoadPanelInLanguage(handle, PORTDEV);
    if (gChooser <= 0) {
        gChooser = 0;
        return 0;
    }
    const std::string title = TextOfRing(gChooser, PORTDEV_TEXTS, 0, {std::to_string(gWork.port)});
    SetPanelAttribute(gChooser, ATTR_TITLE, title.c_str());

    SerialDevice room[64];
    int n = ListSerialDevices(room, 64);
    gFound.assign(room, room + (n < 64 ? n : 64));
    const char *current = gWork.paths[gWork.port - 1];
    int selected = -1;
    for (size_t i = 0; i < gFound.size(); ++i) {
        const SerialDevice &d = gFound[i];
        char label[2 * kPortPathSize + kSerialTextSize + 64];
        std::snprintf(label, sizeof label, "%s  (%s)%s  -  %s", d.product, ShortName(d.device),
                      d.mayOpen ? "" : "  no permission", d.path);
        InsertListItem(gChooser, PORTDEV_LIST, -1, label, static_cast<int>(i));
        if (std::strcmp(d.path, current) == 0 || std::strcmp(d.device, current) == 0)
            selected = static_cast<int>(i);
    }
    SetCtrlVal(gChooser, PORTDEV_PATH, current);
    if (selected >= 0) {
        SetCtrlIndex(gChooser, PORTDEV_LIST, selected);
        ShowDetail(gFound[static_cast<size_t>(selected)]);
    } else {
        // The port's device is not among those found: say what it is now.
        SerialDevice d;
        DescribeSerialDevice(current, &d);
        ShowDetail(d);
    }
    if (gFound.empty())
        SetCtrlVal(gChooser, PORTDEV_REASON,
                   "No serial device found. Plug in the adapter and open this list again, or "
                   "type the device path below.");
    InstallPopup(gChooser);
    return 0;
}

int CmSelPortDevice(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT || panel != gChooser) return 0;
    int index = -1;
    if (GetCtrlIndex(panel, control, &index) < 0 || index < 0 ||
        index >= static_cast<int>(gFound.size()))
        return 0;
    SetCtrlVal(panel, PORTDEV_PATH, gFound[static_cast<size_t>(index)].path);
    ShowDetail(gFound[static_cast<size_t>(index)]);
    return 0;
}

int CmClosePortDevice(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT || panel != gChooser) return 0;
    if (control == PORTDEV_OK) {
        char path[kPortPathSize + 1] = "";
        // Too long for the port map, or empty: keep the old device rather than a wrong one.
        if (GetCtrlVal(panel, PORTDEV_PATH, path, sizeof path) >= 0 && path[0] != '\0' &&
            std::strlen(path) < static_cast<size_t>(kPortPathSize))
            std::snprintf(gWork.paths[gWork.port - 1], kPortPathSize, "%s", path);
    }
    Close();
    ShowPortDevice();
    return 0;
}

int CmPortDeviceEvents(int panel, int event, void *, int, int) {
    if (event == EVENT_CLOSE && panel == gChooser) {
        Close();
        ShowPortDevice();
    }
    return 0;
}

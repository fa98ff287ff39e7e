// Callbacks of the interface dialog: working copies of the link settings, the bus group, the
// search with its progress and stop button, and OK and Cancel.
#include "app/interface.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "MainPan.h"
#include "app/app.h"
#include "config/mainpanel.h"
#include "config/settings.h"
#include "link/linksettings.h"
#include "link/panelload.h"
#include "link/search.h"
#include "platform/serial/discover.h"
#include "platform/ui/userint.h"

int handle = 0;
InterfaceWork gWork;
int gSearching = 0;

namespace {

int gStopRequested = 0;

// The bus group: shown only on the bus.
const int kBusControls[] = {INTERFACE_BUS,    INTERFACE_BAUD,     INTERFACE_PARITY,
                            INTERFACE_RTS,    INTERFACE_RANGE_32, INTERFACE_RANGE_247,
                            INTERFACE_SEARCH, INTERFACE_ADDR};
// What the user could change while a search runs: dimmed until it ends.
const int kLockedDuringSearch[] = {INTERFACE_TYPE,     INTERFACE_PORT,      INTERFACE_DEVICE,
                                   INTERFACE_BAUD,     INTERFACE_PARITY,    INTERFACE_RTS,
                                   INTERFACE_RANGE_32, INTERFACE_RANGE_247, INTERFACE_ADDR,
                                   INTERFACE_OK,       INTERFACE_CANCEL};

// Top of OK and Cancel below the bus group, and without it.
constexpr int kBusButtonsTop = 426;
constexpr int kDirectButtonsTop = 186;

void ShowRange() {
    SetCtrlVal(handle, INTERFACE_RANGE_32, Last_Device == 32 ? 1 : 0);
    SetCtrlVal(handle, INTERFACE_RANGE_247, Last_Device == 32 ? 0 : 1);
}

int ShowProgress(int address, void *) {
    // The port is open: the old list goes, as the search replaces it whatever it finds.
    if (address == 1) ClearListCtrl(handle, INTERFACE_ADDR);
    const std::string text = TextOfRing(handle, INTERFACE_TEXTS, 0,
                                        {std::to_string(address), std::to_string(Last_Device)});
    SetCtrlVal(handle, INTERFACE_PROGRESS, text.c_str());
    // Keeps the window drawn and lets the stop button through; the other callbacks of the
    // dialog see gSearching and do nothing, and the main window is behind the modal dialog.
    ProcessSystemEvents();
    return gStopRequested;
}

void LockForSearch(int searching) {
    for (int id : kLockedDuringSearch) SetCtrlAttribute(handle, id, ATTR_DIMMED, searching);
    SetCtrlAttribute(handle, INTERFACE_SEARCH, ATTR_VISIBLE, !searching);
    SetCtrlAttribute(handle, INTERFACE_STOP, ATTR_VISIBLE, searching);
    SetCtrlAttribute(handle, INTERFACE_PROGRESS, ATTR_VISIBLE, searching);
}

} // namespace

void CmSelInterface(int, int, void *, int) {
    if (handle > 0) return;
    const int parent = GetActivePanel();
    handle = LoadPanelInLanguage(parent > 0 ? parent : 0, INTERFACE);
    if (handle <= 0) {
        handle = 0;
        return;
    }
    gWork.type = CommType;
    gWork.port = CommPort >= 1 && CommPort <= kPortCount ? CommPort : 1;
    gWork.baud = Baudrate;
    gWork.par = Parity;
    gWork.rts = RTSFlow;
    for (int p = 1; p <= kPortCount; ++p)
        std::snprintf(gWork.paths[p - 1], kPortPathSize, "%s", ComPortDevice(p));
    SetCtrlVal(handle, INTERFACE_TYPE, CommType);
    SetCtrlIndex(handle, INTERFACE_PORT, gWork.port - 1);
    SetCtrlIndex(handle, INTERFACE_BAUD, Baudrate >= 0 && Baudrate <= 4 ? Baudrate : 3);
    SetCtrlIndex(handle, INTERFACE_PARITY, Parity >= 0 && Parity <= 3 ? Parity : 0);
    SetCtrlVal(handle, INTERFACE_RTS, RTSFlow ? 1 : 0);
    ShowRange();
    EnableInterfaceSelection();
    ShowPortDevice();
    SetActiveCtrl(handle, INTERFACE_OK);
    InstallPopup(handle);
}

void EnableInterfaceSelection() {
    if (handle <= 0) return;
    for (int id : kBusControls) SetCtrlAttribute(handle, id, ATTR_VISIBLE, gWork.type == 1);
    // Without the bus group the buttons move up and the dialog shrinks around them.
    const int buttonsTop = gWork.type == 1 ? kBusButtonsTop : kDirectButtonsTop;
    SetCtrlAttribute(handle, INTERFACE_OK, ATTR_TOP, buttonsTop);
    SetCtrlAttribute(handle, INTERFACE_CANCEL, ATTR_TOP, buttonsTop);
    int width = 0;
    GetPanelAttribute(handle, ATTR_WIDTH, &width);
    SetPanelSize(handle, buttonsTop + 44, width);
    if (gWork.type == 0 || Search_Result) {
        ClearListCtrl(handle, INTERFACE_ADDR);
        int entry = 0;
        for (int slot : DevSearch) {
            if (slot == 0) continue;
            char label[16];
            std::snprintf(label, sizeof label, "%d", slot);
            InsertListItem(handle, INTERFACE_ADDR, -1, label, entry);
            if (Search_Result && slot == DeviceAddr) SetCtrlIndex(handle, INTERFACE_ADDR, entry);
            ++entry;
        }
        SetCtrlAttribute(handle, INTERFACE_OK, ATTR_DIMMED, 0);
    } else {
        // On the bus the dialog is confirmed only once an instrument is known.
        SetCtrlAttribute(handle, INTERFACE_OK, ATTR_DIMMED, 1);
    }
}

void ShowPortDevice() {
    if (handle <= 0) return;
    const char *path = gWork.paths[gWork.port - 1];
    SerialDevice d;
    DescribeSerialDevice(path, &d);
    const std::string text =
        TextOfRing(handle, INTERFACE_TEXTS, 1, {std::to_string(gWork.port), path});
    SetCtrlVal(handle, INTERFACE_PORT_PATH, text.c_str());
    // Without a product name the device's own path stands for it.
    const std::string what = d.product[0] ? d.product : path;
    std::string state;
    if (!d.present)
        state = TextOfRing(handle, INTERFACE_TEXTS, 2, {});
    else if (!d.mayOpen && d.group[0])
        state = TextOfRing(handle, INTERFACE_TEXTS, 3, {what, d.group});
    else if (!d.mayOpen)
        state = TextOfRing(handle, INTERFACE_TEXTS, 4, {what});
    else
        state = TextOfRing(handle, INTERFACE_TEXTS, 5, {what});
    SetCtrlVal(handle, INTERFACE_PORT_STATE, state.c_str());
    SetCtrlAttribute(handle, INTERFACE_PORT_STATE, ATTR_TEXT_COLOR,
                     d.present && d.mayOpen ? 0x206020 : 0xB02020);
}

int CmSelCommType(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT || gSearching) return 0;
    GetCtrlVal(panel, control, &gWork.type);
    EnableInterfaceSelection();
    return 0;
}

int CmSelCommPort(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT || gSearching) return 0;
    int index = 0;
    if (GetCtrlIndex(panel, control, &index) < 0 || index < 0 || index >= kPortCount) return 0;
    gWork.port = index + 1;
    ShowPortDevice();
    return 0;
}

int CmSelBaudrate(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT || gSearching) return 0;
    GetCtrlIndex(panel, control, &gWork.baud);
    return 0;
}

int CmSelParity(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT || gSearching) return 0;
    GetCtrlIndex(panel, control, &gWork.par);
    return 0;
}

int CmSelRTSFlow(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT || gSearching) return 0;
    GetCtrlVal(panel, control, &gWork.rts);
    // Takes effect at once: Cancel keeps it.
    RTSFlow = gWork.rts;
    return 0;
}

int SelDevRange(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT || gSearching) return 0;
    int on = 0;
    GetCtrlVal(panel, control, &on);
    const bool small = (control == INTERFACE_RANGE_32) == (on != 0);
    Last_Device = small ? 32 : 247;
    ShowRange();
    return 0;
}

int CmSearchAddr(int, int, int event, void *, int, int) {
    if (event != EVENT_COMMIT || gSearching || handle <= 0) return 0;
    const int savedType = CommType, savedBaud = Baudrate, savedParity = Parity;
    char savedPath[kPortPathSize];
    std::snprintf(savedPath, sizeof savedPath, "%s", ComPortDevice(gWork.port));
    // The search talks with the dialog's settings, including the device chosen for the port.
    CommType = gWork.type;
    Baudrate = gWork.baud;
    Parity = gWork.par;
    SetComPortDevice(gWork.port, gWork.paths[gWork.port - 1]);

    gSearching = 1;
    gStopRequested = 0;
    LockForSearch(1);
    const int ran = SearchDevices(gWork.port, Last_Device, ShowProgress, nullptr);
    gSearching = 0;
    if (handle > 0) {
        LockForSearch(0);
        if (ran) EnableInterfaceSelection();
    }
    // Written while the dialog's line settings are in force, so the file records them with
    // the new list.
    if (ran) NewINIFile();
    CommType = savedType;
    Baudrate = savedBaud;
    Parity = savedParity;
    SetComPortDevice(gWork.port, savedPath);
    return 0;
}

int CmStopSearch(int, int, int event, void *, int, int) {
    if (event == EVENT_COMMIT && gSearching) gStopRequested = 1;
    return 0;
}

int CmCloseCommSel(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT || gSearching) return 0;
    const bool ok = control == INTERFACE_OK;
    if (ok) {
        CommType = gWork.type;
        CommPort = gWork.port;
        Baudrate = gWork.baud;
        Parity = gWork.par;
        RTSFlow = gWork.rts;
        for (int p = 1; p <= kPortCount; ++p) SetComPortDevice(p, gWork.paths[p - 1]);
        // With an empty list (the direct connection before any search) the address stays as
        // it was: there is nothing better to put in its place.
        int index = -1, count = 0;
        GetNumListItems(panel, INTERFACE_ADDR, &count);
        if (count > 0 && GetCtrlIndex(panel, INTERFACE_ADDR, &index) >= 0 && index >= 0) {
            char label[16] = "";
            GetLabelFromIndex(panel, INTERFACE_ADDR, index, label, sizeof label);
            DeviceAddr = std::atoi(label);
        }
        NewINIFile();
    }
    RemovePopup(0);
    DiscardPanel(panel);
    handle = 0;
    ActivateObjects();
    ShowAll();
    if (ok) InitToolbarDeviceAddr(gToolbar);
    return 0;
}

int CmInterfaceEvents(int panel, int event, void *, int, int) {
    if (event != EVENT_CLOSE) return 0;
    // Closing the window stops a search; otherwise it is Cancel.
    if (gSearching)
        gStopRequested = 1;
    else
        CmCloseCommSel(panel, INTERFACE_CANCEL, EVENT_COMMIT, nullptr, 0, 0);
    return 0;
}

// Editors of the energy-metering byte (synchronisation interval and mode, tariff switching), the
// logger settings and the instrument's own bus settings. They change Konf only; the instrument
// sees them with the next send.
#include "config/mainpanel.h"

#include "MainPan.h"
#include "config/record.h"
#include "platform/ui/userint.h"

int CmSetSyncIntervall(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int v = 0;
    if (GetCtrlVal(panel, control, &v) < 0) return 0;
    v &= 0xFF;
    if (v == 0) {
        v = 1;
        SetCtrlVal(panel, control, 1);
    }
    // Above 63 the interval would run into the mode bits; the field stops at 63 anyway.
    if (v > 0x3F) v = 0x3F;
    Konf.EnergyControl = static_cast<uint8_t>((Konf.EnergyControl & 0xC0) + v);
    ShowAll();
    return 0;
}

int CmSelSyncMode(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int m = 0;
    if (GetCtrlVal(panel, control, &m) < 0) return 0;
    uint8_t &ec = Konf.EnergyControl;
    if (m == 1) { // external synchronisation: never together with tariff switching
        ec &= 0x3F;
        if (ec == 0) ec = 15;
        ec |= 0x80;
        for (int n = 0; n < 2; n++)
            if (DigoutFunc(n) == 2) SetupDigoutSel(n, 2);
        ActivateObjects();
        ShowAll();
    } else if (m == 2) { // no interval
        if (ec & 0x3F) {
            ec &= 0x40;
            ActivateObjects();
            ShowAll();
        }
    } else if (m == 0) { // internal interval
        if ((ec & 0x3F) == 0 || (ec & 0x80)) {
            if ((ec & 0x3F) == 0) ec |= 0x0F;
            ec &= static_cast<uint8_t>(~0x80);
            ActivateObjects();
            ShowAll();
        }
    }
    SetCtrlVal(panel, control, m);
    return 0;
}

int CmSelHighLow(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int t = 0;
    if (GetCtrlVal(panel, control, &t) < 0) return 0;
    if (t == 2) {
        Konf.EnergyControl |= 0x40;
        ActivateObjects();
        ShowAll();
    } else if (t == 1) {
        Konf.EnergyControl &= static_cast<uint8_t>(~0x40);
        Check_PulseOutput();
        ActivateObjects();
        ShowAll();
    }
    SetCtrlVal(panel, control, t);
    return 0;
}

int CmSelLoggerMode(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT || Konf.Module != 1) return 0;
    int v = 0;
    if (GetCtrlVal(panel, control, &v) < 0) return 0;
    if (v == 1)
        Konf.Logger &= static_cast<uint16_t>(~0x0200);
    else
        Konf.Logger |= 0x0200;
    return 0;
}

int CmSelLoggerMeas(int panel, int, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int active = 0, reactive = 0;
    GetCtrlVal(panel, PANEL_LOG_P, &active);
    GetCtrlVal(panel, PANEL_LOG_Q, &reactive);
    uint16_t logger = Konf.Logger & static_cast<uint16_t>(~0x0C00);
    if (active) logger |= 0x0800;
    if (reactive) logger |= 0x0400;
    Konf.Logger = logger;
    return 0;
}

int CmSelDeviceAddr(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int v = 0;
    if (GetCtrlVal(panel, control, &v) < 0) return 0;
    Konf.DevAddr = static_cast<uint8_t>(v & 0xFF);
    return 0;
}

int CmSelDevBaudrate(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int v = 0;
    if (GetCtrlVal(panel, control, &v) < 0) return 0;
    Konf.DevBaud = static_cast<uint8_t>((Konf.DevBaud & 0xF8) + (v & 7));
    return 0;
}

int CmSelDevParity(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int v = 0;
    if (GetCtrlVal(panel, control, &v) < 0) return 0;
    Konf.DevBaud = static_cast<uint8_t>((Konf.DevBaud & 0xE7) + 8 * (v & 3));
    return 0;
}

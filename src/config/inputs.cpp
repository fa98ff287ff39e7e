// Editors of the input side: connection type, voltage and current transformer ratings, the
// switches for inputs without transformer, the description, and the device type pop-up.
#include "config/mainpanel.h"

#include <cmath>
#include <cstring>

#include "MainPan.h"
#include "config/record.h"
#include "config/settings.h"
#include "link/panelload.h"
#include "platform/ui/userint.h"

namespace {

int handle = 0; // the device type pop-up while it is open

// Rescales the stored limits of every limit output to the limit range of the new rating.
void RescaleLimits() {
    for (int n = 0; n < 2; n++) {
        if (DigoutFunc(n) != 3) continue;
        const float N = MaxNenn(n);
        if (!std::isfinite(N)) continue; // a zero rating left from a damaged file
        Konf.LimOn[n] = static_cast<int16_t>(static_cast<int>(Konf.LimOn[n] * N / 10000.0f));
        Konf.LimOff[n] = static_cast<int16_t>(static_cast<int>(Konf.LimOff[n] * N / 10000.0f));
    }
}

// Rounds the ratings to what the instrument stores: three significant digits and a decimal
// exponent for the primaries, hundredths of an ampere for the currents.
void RoundRatings() {
    SetupInputData(&Konf);
    RestoreInputData(&Konf);
}

} // namespace

int CmSelSystem(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int s = 0;
    if (GetCtrlVal(panel, control, &s) < 0 || s == Konf.System) return 0;
    Konf.System = static_cast<uint8_t>(s);
    for (int n = 0; n < 2; n++) {
        uint8_t &c = Konf.DigOut[n];
        if (c == 11 && s != 4)
            c = 0;
        else if (c == 2 && s <= 2)
            c = 3;
        else if (c == 3 && s == 3)
            c = 2;
    }
    ActivateObjects();
    ShowAll();
    return 0;
}

int CmUrPrim(int panel, int, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    double v = 0.0;
    int unit = 0;
    GetCtrlVal(panel, PANEL_UR_PRIM, &v);
    GetCtrlVal(panel, PANEL_UR_UNIT, &unit);
    Konf.UrPrim = static_cast<float>(v);
    if (v < 100.0) { // a primary voltage below 100 can only mean kilovolts
        SetCtrlVal(panel, PANEL_UR_UNIT, 1);
        unit = 1;
    }
    if (unit == 1) Konf.UrPrim *= 1000.0f;
    RoundRatings();
    ShowAll();
    return 0;
}

int CmIrPrim(int panel, int, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    double v = 0.0;
    int unit = 0;
    GetCtrlVal(panel, PANEL_IR_PRIM, &v);
    GetCtrlVal(panel, PANEL_IR_UNIT, &unit);
    Konf.IrPrim = static_cast<float>(v);
    if (unit == 1) Konf.IrPrim *= 1000.0f;
    RoundRatings();
    ShowAll();
    return 0;
}

int CmUrSec(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int v = 0;
    if (GetCtrlVal(panel, control, &v) < 0) return 0;
    const uint16_t sec = static_cast<uint16_t>(v);
    if (sec != Konf.UrSec) {
        Konf.UrSec = sec;
        RescaleLimits();
    }
    RoundRatings();
    ShowAll();
    return 0;
}

int CmIrSec(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    float v = 0.0f;
    if (GetCtrlVal(panel, control, &v) < 0) return 0;
    if (v != Konf.IrSec) {
        Konf.IrSec = v;
        RescaleLimits();
    }
    Konf.IrSec = v;
    RoundRatings();
    ShowAll();
    return 0;
}

int CmVoltageInput(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int on = 0;
    GetCtrlVal(panel, control, &on);
    NoVoltageTransf = on ? 1 : 0;
    if (NoVoltageTransf) {
        Konf.UrPrim = Konf.RatedU;
        Konf.UrSec = static_cast<uint16_t>(Konf.RatedU);
    }
    ActivateObjects();
    ShowAll();
    return 0;
}

int CmCurrentInput(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int on = 0;
    GetCtrlVal(panel, control, &on);
    NoCurrentTransf = on ? 1 : 0;
    if (NoCurrentTransf) {
        Konf.IrPrim = Konf.RatedI / 100.0f;
        Konf.IrSec = Konf.RatedI / 100.0f;
    }
    ActivateObjects();
    ShowAll();
    return 0;
}

size_t DescriptionLength(const char *text) {
    // 47 bytes and the terminating NUL fill the instrument's field. The cut falls between
    // characters, never inside one: half a character would leave the instrument and every
    // saved file with a byte sequence that is no text.
    size_t n = strnlen(text, sizeof Konf.Descr - 1);
    if (text[n] != '\0')
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) n--;
    return n;
}

int CmReadDescr(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    char text[256] = "";
    GetCtrlVal(panel, control, text, sizeof text);
    memset(Konf.Descr, 0, sizeof Konf.Descr);
    memcpy(Konf.Descr, text, DescriptionLength(text));
    SetCtrlVal(panel, control, Konf.Descr);
    return 0;
}

// ---- device type pop-up -----------------------------------------------------------------------

void CmSelDevType(int, int, void *, int) {
    int parent = GetActivePanel();
    handle = LoadPanelInLanguage(parent > 0 ? parent : 0, DEVTYPE);
    if (handle <= 0) {
        handle = 0;
        return;
    }
    SetCtrlVal(handle, DEVTYPE_WITHOUT_MODULE, Konf.Module == 0 ? 1 : 0);
    SetCtrlVal(handle, DEVTYPE_WITH_MODULE, Konf.Module != 0 ? 1 : 0);
    SetCtrlVal(handle, DEVTYPE_I_1A, Konf.RatedI != 500 ? 1 : 0);
    SetCtrlVal(handle, DEVTYPE_I_5A, Konf.RatedI == 500 ? 1 : 0);
    SetCtrlVal(handle, DEVTYPE_U_1, 1);
    SetCtrlVal(handle, DEVTYPE_U_2, 0);
    InstallPopup(handle);
}

int CmSelI(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int on = 0;
    GetCtrlVal(panel, control, &on);
    SetCtrlVal(panel, control == DEVTYPE_I_1A ? DEVTYPE_I_5A : DEVTYPE_I_1A, on ? 0 : 1);
    return 0;
}

// The instrument's voltage range is fixed; its boxes only show it.
int CmSelU(int, int, int, void *, int, int) {
    return 0;
}

int CmSelInterf(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int on = 0;
    GetCtrlVal(panel, control, &on);
    SetCtrlVal(panel, control == DEVTYPE_WITH_MODULE ? DEVTYPE_WITHOUT_MODULE : DEVTYPE_WITH_MODULE,
               on ? 0 : 1);
    return 0;
}

int CmSaveType(int panel, int, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    int oneAmp = 0, without = 0;
    GetCtrlVal(panel, DEVTYPE_I_1A, &oneAmp);
    GetCtrlVal(panel, DEVTYPE_WITHOUT_MODULE, &without);
    Konf.RatedI = oneAmp ? 100 : 500;
    Konf.IrSec = Konf.RatedI / 100.0f;
    Konf.Module = without ? 0 : 1;
    NewINIFile();
    RemovePopup(0);
    DiscardPanel(panel);
    handle = 0;
    ActivateObjects();
    ShowAll();
    return 0;
}

int CmAbortType(int panel, int, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    RemovePopup(0);
    DiscardPanel(panel);
    handle = 0;
    return 0;
}

// Editors of the two digital outputs: function, measurand or metered quantity, limits, pulse
// rate and pulse unit. Output 1 is n = 0, output 2 is n = 1, told apart by the control.
#include "config/mainpanel.h"
#include "config/panellists.h"

#include <cmath>

#include "MainPan.h"
#include "config/record.h"
#include "platform/ui/userint.h"

namespace {

// A limit entered in the unit of the label, as the instrument's limit units. The field's range
// keeps x within the limit range; the guards only keep a damaged record (a zero rating read
// from a file) from producing a value outside the 16-bit field.
bool LimitUnits(int n, double x, int16_t *out) {
    const double step = LimitStep(n);
    if (!(std::fabs(step) > 0.0) || !std::isfinite(step)) return false;
    // The field shows a step rounded to its digits, up to half a digit below or above the step
    // itself, and what it shows must enter as that same step again. So an entry counts as the
    // step whose shown text it matches, and the truncation drops only what lies between two
    // shown steps. The slack is below half a step, since a digit is never bigger than a step.
    const double slack = 0.5 * std::pow(10.0, -StepDecimals(step)) / std::fabs(step);
    const double exact = x / step;
    const double units = std::trunc(exact + std::copysign(slack, exact));
    if (!std::isfinite(units) || units < -32768.0 || units > 32767.0) return false;
    *out = static_cast<int16_t>(units);
    return true;
}

} // namespace

int CmSelDigOut(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const int n = OutputOfControl(control);
    int f = 0;
    if (GetCtrlVal(panel, control, &f) < 0 || f == DigoutFunc(n)) return 0;
    if (f == 3) {
        Konf.DigOut[n] = 0;
        float N = MaxNenn(n);
        if (!std::isfinite(N)) N = 10000.0f; // a zero rating left from a damaged file
        Konf.LimOn[n] = static_cast<int16_t>(static_cast<int>(N + 0.5f));
        Konf.LimOff[n] = static_cast<int16_t>(static_cast<int>(0.9f * N + 0.5f));
    } else if (f == 2) {
        Konf.DigOut[n] = 65;
        Konf.PulsRate[n] = 1000;
    } else {
        Konf.DigOut[n] = 128;
    }
    ActivateObjects();
    ShowAll();
    return 0;
}

int CmDigOutMeas(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const int n = OutputOfControl(control);
    int v = 0;
    if (GetCtrlVal(panel, control, &v) < 0) return 0;
    const int f = DigoutFunc(n);
    if (f == 3 && v != Konf.DigOut[n]) {
        Konf.DigOut[n] = static_cast<uint8_t>(v);
        if (v == 7) { // power factor: 0.90 and 0.95
            Konf.LimOn[n] = 9000;
            Konf.LimOff[n] = 9500;
        } else if (v == 12) { // frequency: 48 Hz and 50 Hz
            Konf.LimOn[n] = 4800;
            Konf.LimOff[n] = 5000;
        } else if (v >= 0 && v <= 12) {
            Konf.LimOn[n] = 0;
            Konf.LimOff[n] = 0;
        }
        ShowAll();
    } else if (f == 2) {
        const int u = Konf.DigOut[n] % 4; // the pulse unit stays
        if (v + u != Konf.DigOut[n]) {
            Konf.DigOut[n] = static_cast<uint8_t>(v + u);
            Konf.PulsRate[n] = 1000;
            ShowAll();
        }
    }
    return 0;
}

int CmDigOutLimOn(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const int n = OutputOfControl(control);
    double x = 0.0;
    if (GetCtrlVal(panel, control, &x) < 0) return 0;
    LimitUnits(n, x, &Konf.LimOn[n]);
    return 0;
}

int CmDigOutLimOff(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const int n = OutputOfControl(control);
    double x = 0.0;
    if (GetCtrlVal(panel, control, &x) < 0) return 0;
    LimitUnits(n, x, &Konf.LimOff[n]);
    return 0;
}

int CmDigOutPuls(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const int n = OutputOfControl(control);
    int v = 0;
    if (GetCtrlVal(panel, control, &v) < 0) return 0;
    Konf.PulsRate[n] = static_cast<int16_t>(v);
    return 0;
}

int CmSelPulsUnit(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT) return 0;
    const int n = OutputOfControl(control);
    int v = 0;
    if (GetCtrlVal(panel, control, &v) < 0) return 0;
    if (Konf.DigOut[n] >= 80) v -= 4; // second unit set
    const int u = Konf.DigOut[n] % 4;
    if (u != v) Konf.DigOut[n] = static_cast<uint8_t>(Konf.DigOut[n] - u + v);
    return 0;
}

// The list builders of the outputs: which measurands and metered quantities an output offers and
// which pulse units go with them. The entries come from hidden lists of the main panel, so their
// labels follow the interface language.
#include "config/mainpanel.h"
#include "config/panellists.h"

#include "MainPan.h"
#include "config/record.h"
#include "platform/ui/userint.h"

namespace {

const int kSource[2] = {PANEL_SOURCE1, PANEL_SOURCE2};
const int kPulsUnit[2] = {PANEL_PULSUNIT1, PANEL_PULSUNIT2};

int EntryValue(int list, int entry) {
    int value = -1;
    if (GetValueFromIndex(MainPanel, list, entry, &value) < 0) return -1;
    return value;
}

} // namespace

void CopyListEntry(int sourceList, int entry, int target) {
    char label[256] = "";
    int value = 0;
    if (GetLabelFromIndex(MainPanel, sourceList, entry, label, sizeof label) < 0) return;
    if (GetValueFromIndex(MainPanel, sourceList, entry, &value) < 0) return;
    InsertListItem(MainPanel, target, -1, label, value);
}

int OutputOfControl(int control) {
    switch (control) {
    case PANEL_FUNC2:
    case PANEL_SOURCE2:
    case PANEL_LIMON2:
    case PANEL_LIMOFF2:
    case PANEL_PULSRATE2:
    case PANEL_PULSUNIT2:
        return 1;
    default:
        return 0;
    }
}

void SetupDigoutSel(int output, int function) {
    const int list = kSource[output];
    const int system = Konf.System;
    if (function == 3) {
        ClearListCtrl(MainPanel, list);
        // One index runs first over the per-phase list and then on over the system list, so the
        // per-phase entries stand in for the system entries at the same positions.
        int i = 0;
        if (system == 4) {
            for (; i < 9; i++) CopyListEntry(PANEL_PHASE_LIST, i, list);
        } else if (system == 3) {
            for (; i < 5; i++)
                if (i == 0 || i == 2 || i == 3) CopyListEntry(PANEL_PHASE_LIST, i, list);
        }
        for (; i <= 12; i++) {
            const int value = EntryValue(PANEL_COMBINED_LIST, i);
            if (value == 2 && system < 3) continue;
            if (value == 11 && system < 4) continue;
            CopyListEntry(PANEL_COMBINED_LIST, i, list);
        }
    } else if (function == 2) {
        ClearListCtrl(MainPanel, list);
        const int step = Konf.Module ? 1 : 2;
        for (int i = 13; i <= 20; i += step) CopyListEntry(PANEL_COMBINED_LIST, i, list);
    }
}

void SetupPulsUnit(int output) {
    const int list = kPulsUnit[output];
    ClearListCtrl(MainPanel, list);
    const int first = Konf.DigOut[output] >= 80 ? 4 : 0;
    for (int i = first; i < first + 4; i++) CopyListEntry(PANEL_PULSUNIT_LIST, i, list);
}

// Turning tariff switching off asks nothing of the pulse outputs.
void Check_PulseOutput() {}

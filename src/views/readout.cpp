// One read of a view's values, formatted as its fields show them.
#include "views/readout.h"

#include <cstdio>

#include "config/commands.h"
#include "config/record.h"
#include "views/viewtables.h"

void FormatViewValues(int view, int ok, DisplayText *texts) {
    const ViewTables &t = ViewTable(view);
    for (int row = 0; row < t.rowCount; ++row) {
        if (!Shown(t.rows[row].show)) continue;
        if (ok)
            FormatValue(t.values[row], t.rows[row].group, t.frequencyLimits, &texts[row]);
        else
            FailedRead(&texts[row]);
    }
}

int ReadViewValues(int view, DisplayText *texts) {
    int ok = Read(&Lese, ViewTable(view).readCommand, 0);
    FormatViewValues(view, ok, texts);
    return ok;
}

int ShownRows(int view, int *rows) {
    const ViewTables &t = ViewTable(view);
    int n = 0;
    for (int row = 0; row < t.rowCount; ++row)
        if (Shown(t.rows[row].show)) rows[n++] = row;
    return n;
}

int ReadoutText(int view, const DisplayText *texts, char *out, int size) {
    if (size <= 0) return 0;
    const ViewTables &t = ViewTable(view);
    int rows[40];
    int n = ShownRows(view, rows), used = 0;
    out[0] = '\0';
    for (int k = 0; k < n; ++k) {
        const MeasurandRow &r = t.rows[rows[k]];
        const DisplayText &d = texts[rows[k]];
        int w = std::snprintf(out + used, static_cast<size_t>(size - used), "%s\t%s\t%s%s\n",
                              r.caption, d.text, DisplayUnit(r.group), d.marked ? "\t!" : "");
        if (w < 0 || w >= size - used) {
            out[used] = '\0'; // a line that does not fit is left out whole
            break;
        }
        used += w;
    }
    return used;
}

void BaseValueText(float x, char *out, int size) {
    if (size <= 0) return;
    if (!(x <= kOverflow) || !(x >= -kOverflow))
        std::snprintf(out, static_cast<size_t>(size), "OVL");
    else
        std::snprintf(out, static_cast<size_t>(size), "%.7g", static_cast<double>(x));
}

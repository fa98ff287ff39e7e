// History of the instantaneous view's reads for its trend strip.
#include "views/trend.h"

#include <cmath>
#include <cstring>

#include "views/display.h"
#include "views/viewtables.h"

void TrendClear(TrendHistory *h) {
    h->first = h->count = 0;
}

void TrendAdd(TrendHistory *h, long long when, int ok, const float *values, int n) {
    int slot = (h->first + h->count) % kTrendReads;
    if (h->count == kTrendReads)
        h->first = (h->first + 1) % kTrendReads;
    else
        ++h->count;
    h->when[slot] = when;
    h->ok[slot] = ok && values;
    for (int i = 0; i < kTrendValues; ++i)
        h->values[slot][i] = h->ok[slot] && i < n ? values[i] : NAN;
}

int TrendRead(const TrendHistory *h, int k, const int *rows, int n, double *out, long long *when,
              int *ok) {
    if (k < 0 || k >= h->count) return 0;
    int slot = (h->first + k) % kTrendReads;
    if (when) *when = h->when[slot];
    if (ok) *ok = h->ok[slot];
    for (int i = 0; i < n; ++i) {
        int row = rows[i];
        bool usable = h->ok[slot] && row >= 0 && row < kTrendValues;
        out[i] = usable ? TrendValue(h->values[slot][row], msd[row].group) : NAN;
    }
    return 1;
}

double TrendValue(float x, int group) {
    if (!(x <= kOverflow)) return NAN; // also NaN itself
    if (group == GROUP_POWERFACTOR && (x < -1.0f || x > 1.0f)) return NAN;
    return x;
}

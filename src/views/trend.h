// The instantaneous view's trend: the last reads of every value it receives, so that a quantity
// picked for the strip chart later shows its past at once, not only what comes after the pick.
// No panel work.
#pragma once

constexpr int kTrendReads = 300; // ten minutes of reads every two seconds
constexpr int kTrendValues = 33; // values of one read of the instantaneous view

struct TrendHistory {
    long long when[kTrendReads]; // seconds since the epoch
    int ok[kTrendReads];         // 0: the read failed
    float values[kTrendReads][kTrendValues];
    int first = 0, count = 0;
};

void TrendClear(TrendHistory *h);
// Keeps one read (the oldest goes once the history is full); `values` may be null for a
// failed read.
void TrendAdd(TrendHistory *h, long long when, int ok, const float *values, int n);
// Read k (0: the oldest kept): its time, whether it succeeded, and in out[i] the value drawn
// for row rows[i] of the read (TrendValue; a gap for a failed read or a row of -1).
// 0 when there is no read k.
int TrendRead(const TrendHistory *h, int k, const int *rows, int n, double *out, long long *when,
              int *ok);

// The value a trend draws for received value x of scale group `group`, in base units: a gap
// (NAN) for an overflow and for a power factor outside -1..1, which a field shows as a mark.
double TrendValue(float x, int group);

// Layout tables of the instantaneous, min/max and mean-value views.
#include "views/viewtables.h"

#include "MainPan.h"
#include "config/commands.h"
#include "views/display.h"

// Instantaneous values: 33 rows in the order of Measurands. Single-phase and balanced
// connections (types 0..2) have one voltage and one current path; the three-wire unbalanced
// connection (3) has line voltages and three currents; four-wire unbalanced (4) everything per
// phase.
const MeasurandRow msd[33] = {
    {MEAS_U, {1, 1, 1, 0, 0}, GROUP_VOLTAGE, "U"},
    {MEAS_U, {0, 0, 0, 0, 1}, GROUP_VOLTAGE, "U1N"},
    {MEAS_U2N, {0, 0, 0, 0, 1}, GROUP_VOLTAGE, "U2N"},
    {MEAS_U3N, {0, 0, 0, 0, 1}, GROUP_VOLTAGE, "U3N"},
    {MEAS_U12, {0, 0, 0, 1, 1}, GROUP_VOLTAGE, "U12"},
    {MEAS_U23, {0, 0, 0, 1, 1}, GROUP_VOLTAGE, "U23"},
    {MEAS_U31, {0, 0, 0, 1, 1}, GROUP_VOLTAGE, "U31"},
    {MEAS_I, {1, 1, 1, 0, 0}, GROUP_CURRENT, "I"},
    {MEAS_I, {0, 0, 0, 1, 1}, GROUP_CURRENT, "I1"},
    {MEAS_I2, {0, 0, 0, 1, 1}, GROUP_CURRENT, "I2"},
    {MEAS_I3, {0, 0, 0, 1, 1}, GROUP_CURRENT, "I3"},
    {MEAS_IAVG, {1, 1, 1, 0, 0}, GROUP_CURRENT, "Iavg"},
    {MEAS_IAVG, {0, 0, 0, 1, 1}, GROUP_CURRENT, "I1avg"},
    {MEAS_I2AVG, {0, 0, 0, 1, 1}, GROUP_CURRENT, "I2avg"},
    {MEAS_I3AVG, {0, 0, 0, 1, 1}, GROUP_CURRENT, "I3avg"},
    {MEAS_IN, {0, 0, 0, 0, 1}, GROUP_CURRENT, "IN"},
    {MEAS_P1, {0, 0, 0, 0, 1}, GROUP_ACTIVE, "P1"},
    {MEAS_P2, {0, 0, 0, 0, 1}, GROUP_ACTIVE, "P2"},
    {MEAS_P3, {0, 0, 0, 0, 1}, GROUP_ACTIVE, "P3"},
    {MEAS_P, {1, 1, 1, 1, 1}, GROUP_ACTIVE, "P"},
    {MEAS_Q1, {0, 0, 0, 0, 1}, GROUP_REACTIVE, "Q1"},
    {MEAS_Q2, {0, 0, 0, 0, 1}, GROUP_REACTIVE, "Q2"},
    {MEAS_Q3, {0, 0, 0, 0, 1}, GROUP_REACTIVE, "Q3"},
    {MEAS_Q, {1, 1, 1, 1, 1}, GROUP_REACTIVE, "Q"},
    {MEAS_S1, {0, 0, 0, 0, 1}, GROUP_APPARENT, "S1"},
    {MEAS_S2, {0, 0, 0, 0, 1}, GROUP_APPARENT, "S2"},
    {MEAS_S3, {0, 0, 0, 0, 1}, GROUP_APPARENT, "S3"},
    {MEAS_S, {1, 1, 1, 1, 1}, GROUP_APPARENT, "S"},
    {MEAS_FREQ, {1, 1, 1, 1, 1}, GROUP_FREQUENCY, "f"},
    {MEAS_PF1, {0, 0, 0, 0, 1}, GROUP_POWERFACTOR, "PF1"},
    {MEAS_PF2, {0, 0, 0, 0, 1}, GROUP_POWERFACTOR, "PF2"},
    {MEAS_PF3, {0, 0, 0, 0, 1}, GROUP_POWERFACTOR, "PF3"},
    {MEAS_PF, {1, 1, 1, 1, 1}, GROUP_POWERFACTOR, "PF"},
};

// Unit captions and the captions of the phase rows of the power block; frames, column captions
// and buttons are always shown.
const ElementRow obj[] = {
    {MEAS_U_UNIT, {1, 1, 1, 0, 1}, UNIT_VOLTAGE},
    {MEAS_U2N_UNIT, {0, 0, 0, 0, 1}, UNIT_VOLTAGE},
    {MEAS_U3N_UNIT, {0, 0, 0, 0, 1}, UNIT_VOLTAGE},
    {MEAS_U12_UNIT, {0, 0, 0, 1, 1}, UNIT_VOLTAGE},
    {MEAS_U23_UNIT, {0, 0, 0, 1, 1}, UNIT_VOLTAGE},
    {MEAS_U31_UNIT, {0, 0, 0, 1, 1}, UNIT_VOLTAGE},
    {MEAS_I_UNIT, {1, 1, 1, 1, 1}, UNIT_CURRENT},
    {MEAS_I2_UNIT, {0, 0, 0, 1, 1}, UNIT_CURRENT},
    {MEAS_I3_UNIT, {0, 0, 0, 1, 1}, UNIT_CURRENT},
    {MEAS_IN_UNIT, {0, 0, 0, 0, 1}, UNIT_CURRENT},
    {MEAS_ROW1_CAPTION, {0, 0, 0, 0, 1}, UNIT_NONE},
    {MEAS_ROW2_CAPTION, {0, 0, 0, 0, 1}, UNIT_NONE},
    {MEAS_ROW3_CAPTION, {0, 0, 0, 0, 1}, UNIT_NONE},
};

// Min/max values: 37 rows in the order of MinMax. Rows 0..27 are the maxima laid out like the
// instantaneous values 0..27, rows 28..34 the voltage minima, 35 and 36 the power-factor extremes.
const MeasurandRow mdsp[37] = {
    {MINMAX_UMAX, {1, 1, 1, 0, 0}, GROUP_VOLTAGE, "Umax"},
    {MINMAX_UMAX, {0, 0, 0, 0, 1}, GROUP_VOLTAGE, "U1Nmax"},
    {MINMAX_U2NMAX, {0, 0, 0, 0, 1}, GROUP_VOLTAGE, "U2Nmax"},
    {MINMAX_U3NMAX, {0, 0, 0, 0, 1}, GROUP_VOLTAGE, "U3Nmax"},
    {MINMAX_U12MAX, {0, 0, 0, 1, 1}, GROUP_VOLTAGE, "U12max"},
    {MINMAX_U23MAX, {0, 0, 0, 1, 1}, GROUP_VOLTAGE, "U23max"},
    {MINMAX_U31MAX, {0, 0, 0, 1, 1}, GROUP_VOLTAGE, "U31max"},
    {MINMAX_IMAX, {1, 1, 1, 0, 0}, GROUP_CURRENT, "Imax"},
    {MINMAX_IMAX, {0, 0, 0, 1, 1}, GROUP_CURRENT, "I1max"},
    {MINMAX_I2MAX, {0, 0, 0, 1, 1}, GROUP_CURRENT, "I2max"},
    {MINMAX_I3MAX, {0, 0, 0, 1, 1}, GROUP_CURRENT, "I3max"},
    {MINMAX_IAVGMAX, {1, 1, 1, 0, 0}, GROUP_CURRENT, "Iavgmax"},
    {MINMAX_IAVGMAX, {0, 0, 0, 1, 1}, GROUP_CURRENT, "I1avgmax"},
    {MINMAX_I2AVGMAX, {0, 0, 0, 1, 1}, GROUP_CURRENT, "I2avgmax"},
    {MINMAX_I3AVGMAX, {0, 0, 0, 1, 1}, GROUP_CURRENT, "I3avgmax"},
    {MINMAX_INMAX, {0, 0, 0, 0, 1}, GROUP_CURRENT, "INmax"},
    {MINMAX_P1MAX, {0, 0, 0, 0, 1}, GROUP_ACTIVE, "P1max"},
    {MINMAX_P2MAX, {0, 0, 0, 0, 1}, GROUP_ACTIVE, "P2max"},
    {MINMAX_P3MAX, {0, 0, 0, 0, 1}, GROUP_ACTIVE, "P3max"},
    {MINMAX_PMAX, {1, 1, 1, 1, 1}, GROUP_ACTIVE, "Pmax"},
    {MINMAX_Q1MAX, {0, 0, 0, 0, 1}, GROUP_REACTIVE, "Q1max"},
    {MINMAX_Q2MAX, {0, 0, 0, 0, 1}, GROUP_REACTIVE, "Q2max"},
    {MINMAX_Q3MAX, {0, 0, 0, 0, 1}, GROUP_REACTIVE, "Q3max"},
    {MINMAX_QMAX, {1, 1, 1, 1, 1}, GROUP_REACTIVE, "Qmax"},
    {MINMAX_S1MAX, {0, 0, 0, 0, 1}, GROUP_APPARENT, "S1max"},
    {MINMAX_S2MAX, {0, 0, 0, 0, 1}, GROUP_APPARENT, "S2max"},
    {MINMAX_S3MAX, {0, 0, 0, 0, 1}, GROUP_APPARENT, "S3max"},
    {MINMAX_SMAX, {1, 1, 1, 1, 1}, GROUP_APPARENT, "Smax"},
    {MINMAX_UMIN, {1, 1, 1, 0, 0}, GROUP_VOLTAGE, "Umin"},
    {MINMAX_UMIN, {0, 0, 0, 0, 1}, GROUP_VOLTAGE, "U1Nmin"},
    {MINMAX_U2NMIN, {0, 0, 0, 0, 1}, GROUP_VOLTAGE, "U2Nmin"},
    {MINMAX_U3NMIN, {0, 0, 0, 0, 1}, GROUP_VOLTAGE, "U3Nmin"},
    {MINMAX_U12MIN, {0, 0, 0, 1, 1}, GROUP_VOLTAGE, "U12min"},
    {MINMAX_U23MIN, {0, 0, 0, 1, 1}, GROUP_VOLTAGE, "U23min"},
    {MINMAX_U31MIN, {0, 0, 0, 1, 1}, GROUP_VOLTAGE, "U31min"},
    {MINMAX_PFMIN, {1, 1, 1, 1, 1}, GROUP_POWERFACTOR, "PFmin"},
    {MINMAX_PFMAX, {1, 1, 1, 1, 1}, GROUP_POWERFACTOR, "PFmax"},
};

const ElementRow mobj[] = {
    {MINMAX_U_CAPTION, {1, 1, 1, 0, 1}, UNIT_NONE},
    {MINMAX_U2N_CAPTION, {0, 0, 0, 0, 1}, UNIT_NONE},
    {MINMAX_U3N_CAPTION, {0, 0, 0, 0, 1}, UNIT_NONE},
    {MINMAX_U12_CAPTION, {0, 0, 0, 1, 1}, UNIT_NONE},
    {MINMAX_U23_CAPTION, {0, 0, 0, 1, 1}, UNIT_NONE},
    {MINMAX_U31_CAPTION, {0, 0, 0, 1, 1}, UNIT_NONE},
    {MINMAX_U_UNIT, {1, 1, 1, 0, 1}, UNIT_VOLTAGE},
    {MINMAX_U2N_UNIT, {0, 0, 0, 0, 1}, UNIT_VOLTAGE},
    {MINMAX_U3N_UNIT, {0, 0, 0, 0, 1}, UNIT_VOLTAGE},
    {MINMAX_U12_UNIT, {0, 0, 0, 1, 1}, UNIT_VOLTAGE},
    {MINMAX_U23_UNIT, {0, 0, 0, 1, 1}, UNIT_VOLTAGE},
    {MINMAX_U31_UNIT, {0, 0, 0, 1, 1}, UNIT_VOLTAGE},
    {MINMAX_I_UNIT, {1, 1, 1, 1, 1}, UNIT_CURRENT},
    {MINMAX_I2_UNIT, {0, 0, 0, 1, 1}, UNIT_CURRENT},
    {MINMAX_I3_UNIT, {0, 0, 0, 1, 1}, UNIT_CURRENT},
    {MINMAX_IN_UNIT, {0, 0, 0, 0, 1}, UNIT_CURRENT},
    {MINMAX_ROW1_CAPTION, {0, 0, 0, 0, 1}, UNIT_NONE},
    {MINMAX_ROW2_CAPTION, {0, 0, 0, 0, 1}, UNIT_NONE},
    {MINMAX_ROW3_CAPTION, {0, 0, 0, 0, 1}, UNIT_NONE},
};

// Mean values: P, Q and S each running, last, previous, highest and lowest interval. They are
// shown for every connection type and all scale like the active power: groups 2, 3 and 4 carry
// the same divisor and decimals, and their own units.
const MeasurandRow adsp[15] = {
    {MEAN_P_RUNNING, {1, 1, 1, 1, 1}, GROUP_ACTIVE, "Pint running"},
    {MEAN_P_LAST, {1, 1, 1, 1, 1}, GROUP_ACTIVE, "Pint last"},
    {MEAN_P_PREVIOUS, {1, 1, 1, 1, 1}, GROUP_ACTIVE, "Pint previous"},
    {MEAN_P_HIGHEST, {1, 1, 1, 1, 1}, GROUP_ACTIVE, "Pint highest"},
    {MEAN_P_LOWEST, {1, 1, 1, 1, 1}, GROUP_ACTIVE, "Pint lowest"},
    {MEAN_Q_RUNNING, {1, 1, 1, 1, 1}, GROUP_REACTIVE, "Qint running"},
    {MEAN_Q_LAST, {1, 1, 1, 1, 1}, GROUP_REACTIVE, "Qint last"},
    {MEAN_Q_PREVIOUS, {1, 1, 1, 1, 1}, GROUP_REACTIVE, "Qint previous"},
    {MEAN_Q_HIGHEST, {1, 1, 1, 1, 1}, GROUP_REACTIVE, "Qint highest"},
    {MEAN_Q_LOWEST, {1, 1, 1, 1, 1}, GROUP_REACTIVE, "Qint lowest"},
    {MEAN_S_RUNNING, {1, 1, 1, 1, 1}, GROUP_APPARENT, "Sint running"},
    {MEAN_S_LAST, {1, 1, 1, 1, 1}, GROUP_APPARENT, "Sint last"},
    {MEAN_S_PREVIOUS, {1, 1, 1, 1, 1}, GROUP_APPARENT, "Sint previous"},
    {MEAN_S_HIGHEST, {1, 1, 1, 1, 1}, GROUP_APPARENT, "Sint highest"},
    {MEAN_S_LOWEST, {1, 1, 1, 1, 1}, GROUP_APPARENT, "Sint lowest"},
};

namespace {

const SharedCaption kMeasCaptions[] = {
    {MEAS_U, 1, "U", "U1N"},
    {MEAS_I, 1, "I", "I1"},
    {MEAS_IAVG, 1, "Iavg", "I1avg"},
};

const SharedCaption kMinMaxCaptions[] = {
    {MINMAX_U_CAPTION, 0, "U", "U1N"},
    {MINMAX_IMAX, 1, "Imax", "I1max"},
    {MINMAX_IAVGMAX, 1, "Iavgmax", "I1avgmax"},
};

template <typename T, int N> constexpr int Count(const T (&)[N]) {
    return N;
}

const ViewTables kViews[VIEW_COUNT] = {
    {"values",
     msd,
     Count(msd),
     obj,
     Count(obj),
     kMeasCaptions,
     Count(kMeasCaptions),
     ReadMeasurands,
     Measurands,
     1,
     2.0,
     {MEAS_P_CAPTION, MEAS_Q_CAPTION, MEAS_S_CAPTION},
     {"P ", "Q ", "S "}},
    {"minmax",
     mdsp,
     Count(mdsp),
     mobj,
     Count(mobj),
     kMinMaxCaptions,
     Count(kMinMaxCaptions),
     ReadMinMax,
     MinMax,
     0,
     10.0,
     {MINMAX_P_CAPTION, MINMAX_Q_CAPTION, MINMAX_S_CAPTION},
     {"Pmax ", "Qmax ", "Smax "}},
    {"mean",
     adsp,
     Count(adsp),
     nullptr,
     0,
     nullptr,
     0,
     ReadMeanValues,
     PowerInt,
     0,
     5.0,
     {MEAN_P_CAPTION, MEAN_Q_CAPTION, MEAN_S_CAPTION},
     {"Pint ", "Qint ", "Sint "}},
};

static_assert(sizeof msd / sizeof msd[0] == sizeof Measurands / sizeof Measurands[0],
              "one row per instantaneous value");
static_assert(sizeof mdsp / sizeof mdsp[0] == sizeof MinMax / sizeof MinMax[0],
              "one row per extreme value");
static_assert(sizeof adsp / sizeof adsp[0] == sizeof PowerInt / sizeof PowerInt[0],
              "one row per mean value");

} // namespace

const ViewTables &ViewTable(int view) {
    return kViews[view >= 0 && view < VIEW_COUNT ? view : VIEW_MEAS];
}

int Shown(const unsigned char show[5]) {
    return anschl_ix >= 1 && anschl_ix <= 5 && show[anschl_ix - 1];
}

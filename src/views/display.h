// How measured values are shown: the display tables every view scales and labels its values
// with, and the one rule that turns a received value into the text of a field. No panel work:
// kr7mctl prints what a view's field would show through the same functions.
#pragma once

// Scale groups: the index into Skalierung and Stellen; 0..4 also index Nennwert and Einh.
enum ScaleGroup {
    GROUP_VOLTAGE = 0,
    GROUP_CURRENT,
    GROUP_ACTIVE,
    GROUP_REACTIVE,
    GROUP_APPARENT,
    GROUP_FREQUENCY,
    GROUP_POWERFACTOR,
    GROUP_COUNT
};

extern float Nennwert[5];   // rated primary values in base units (V, A, W, var, VA)
extern float Skalierung[7]; // divisor of a received value before display: 1, 1e3, 1e6, 1e9
extern int Stellen[7];      // decimals per scale group
extern char Einh[5][10];    // unit texts of groups 0..4 ("kV", "[MW]", ...)
extern int anschl_ix;       // connection type of Lese plus 1 (1..5)

// Fills the tables from the instrument's configuration in Lese (read by LeseKonfiguration),
// and anschl_ix from its connection type.
void InitAnzeige();

// Unit prefix index 0..3 (none, k, M, G) of a rated value: the prefix starts at 832 x 1000^j,
// so the rated value always shows with four significant digits.
int PrefixIndex(float rated);

// A field's text and whether it is marked (red and bold) or normal.
struct DisplayText {
    char text[48]; // the widest: 9e30 with 3 decimals
    int marked;
};

// Received values above this (and values that do not compare, NaN) stand for an overflow.
constexpr float kOverflow = 9e30f;
constexpr char kFailedRead[] = "-----";

// Formats value x of scale group `group` as a view's field shows it: "OVL" for an overflow,
// "---" for a power factor outside -1..1, with `frequencyLimits` "< 45" and "> 65" for a
// frequency outside 45..65 Hz (all marked); otherwise x / Skalierung[group] with Stellen[group]
// decimals (2 or 3; any other count shows 1).
void FormatValue(float x, int group, int frequencyLimits, DisplayText *out);
// What every shown field of a view shows when its read failed: "-----", marked.
void FailedRead(DisplayText *out);

// Unit text of a group as shown beside a value, without the brackets the power captions carry:
// "kV", "A", "kW", "Mvar", "Hz", "" for the power factor.
const char *DisplayUnit(int group);
// Base unit of a group, the unit of recorded values: "V", "A", "W", "var", "VA", "Hz", "".
const char *BaseUnit(int group);

// Appends " (caption address)" to a panel title, as views on the bus show which instrument
// they read; the result is cut to fit `size` bytes.
void TitleWithAddress(const char *title, const char *caption, int address, char *out, int size);

// The numeric control's widget: the value as set, shown and typed at the control's precision.
#include "platform/ui/uiqt.h"

#include <QLineEdit>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace uiq {
namespace {

// The decimals that `x` needs to be written in fixed notation and read back as the same double:
// those of its shortest exact form ("0.12345" needs 5, "1e-23" needs 23, "1250" none).
int DecimalsOf(double x) {
    if (x == 0 || !std::isfinite(x)) return 0;
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, x, std::chars_format::scientific);
    if (written.ec != std::errc()) return DBL_MAX_10_EXP + DBL_DIG;
    const char *point = std::find(text, written.ptr, '.');
    const char *e = std::find(text, written.ptr, 'e');
    const int fraction = point < e ? static_cast<int>(e - point - 1) : 0;
    const int exponent = std::atoi(e + 1);
    return std::max(0, fraction - exponent);
}

} // namespace

NumericBox::NumericBox(QWidget *parent, double min, double max, int digits)
    : QDoubleSpinBox(parent), digits_(digits) {
    setRange(min, max);
}

// The spin box rounds every value and range end it is given to its decimals, through a decimal
// text of that many digits. Enough of them keep every number as it is; no more than needed, as
// each rounding with many digits is a long multi-precision print and parse, which cost
// milliseconds when a panel with a dozen fields is built. The decimals only ever grow, and
// they count the value held as well, so that no rounding they bring changes it. They are never
// fewer than the digits shown, so that the spin box's own check of a typed text never refuses
// digits that the precision allows.
void NumericBox::KeepExact(double number, double other) {
    const int need = std::max({digits_, DecimalsOf(number), DecimalsOf(other), DecimalsOf(value()),
                               DecimalsOf(minimum()), DecimalsOf(maximum())});
    if (need > decimals()) setDecimals(need);
}

void NumericBox::setValue(double value) {
    KeepExact(value);
    QDoubleSpinBox::setValue(value);
}

void NumericBox::setRange(double min, double max) {
    KeepExact(min, max);
    QDoubleSpinBox::setRange(min, max);
}

void NumericBox::SetPrecision(int digits) {
    digits_ = digits;
    KeepExact(0);
    // Setting the prefix again is the one public way to have the shown text made anew.
    setPrefix(prefix());
    updateGeometry();
}

QString NumericBox::textFromValue(double value) const {
    // A value that shows as zero shows without a sign.
    if (std::fabs(value) < 0.5 * std::pow(10.0, -digits_)) value = 0.0;
    QString text = locale().toString(value, 'f', digits_);
    if (!isGroupSeparatorShown()) text.remove(locale().groupSeparator());
    return text;
}

// A range end shows rounded like any value, so its text may lie up to half a digit beyond it.
// That text is still the end as the user sees it: it is accepted and taken as the end itself.
bool NumericBox::ShowsInRange(const QString &text, double *value) const {
    bool ok = false;
    const double v = locale().toDouble(text, &ok);
    const double half = 0.5 * std::pow(10.0, -digits_);
    if (!ok || !(v >= minimum() - half && v <= maximum() + half)) return false;
    *value = std::min(std::max(v, minimum()), maximum());
    return true;
}

double NumericBox::valueFromText(const QString &text) const {
    // The text shown for the value stands for the value itself: committing an unchanged field
    // must not replace the value by its rounded picture.
    if (text == textFromValue(value())) return value();
    double v = 0;
    if (ShowsInRange(text, &v)) return v;
    return QDoubleSpinBox::valueFromText(text);
}

QValidator::State NumericBox::validate(QString &text, int &pos) const {
    const QString point = locale().decimalPoint();
    const int at = text.indexOf(point);
    if (at >= 0) {
        if (digits_ == 0) return QValidator::Invalid;
        int typed = 0;
        for (int i = at + static_cast<int>(point.size()); i < text.size() && text[i].isDigit(); ++i)
            ++typed;
        if (typed > digits_) return QValidator::Invalid;
    }
    // The spin box refuses a number beyond its maximum outright, also the maximum's own text.
    double v = 0;
    if (ShowsInRange(text, &v)) return QValidator::Acceptable;
    return QDoubleSpinBox::validate(text, pos);
}

} // namespace uiq

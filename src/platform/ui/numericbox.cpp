// The numeric control's widget: the value as set, shown and typed at the control's precision.
#include "platform/ui/uiqt.h"

#include <QLineEdit>

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace uiq {
namespace {

// The spin box rounds every value it is given to this many decimals. Forty give back unchanged
// every double from 1e-23 up, far below the finest step of any field; the spin box's own
// maximum (about 320) would do the same for the rest but makes each rounding a long
// multi-precision print and parse, which cost milliseconds when a panel with a dozen fields
// is built.
constexpr int kExactDigits = 40;

} // namespace

NumericBox::NumericBox(QWidget *parent, double min, double max, int digits)
    : QDoubleSpinBox(parent), digits_(digits) {
    // The range while the box still rounds to its default two decimals, which is quick; the
    // exact decimals then round the range as given once, instead of a default range first.
    setRange(min, max);
    setDecimals(kExactDigits);
}

void NumericBox::SetPrecision(int digits) {
    digits_ = digits;
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

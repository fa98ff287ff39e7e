// Strip charts: a ring of points per chart, drawn as traces that scroll left by one point per
// plot, with gaps for values that are not numbers and marks for failed points. One shared y
// axis, or one band with its own axis per trace (quantities of different units side by side).
#include "platform/ui/uiqt.h"

#include <QDateTime>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>

namespace uiq {
namespace {

constexpr int kMaxTraces = 16;
constexpr int kMinPoints = 2, kMaxPoints = 100000;
constexpr double kGap = std::numeric_limits<double>::quiet_NaN();

// Distinct on white and for the common kinds of colour blindness, in this order.
const QRgb kPalette[] = {0x1F77B4, 0xD62728, 0x2CA02C, 0x9467BD, 0xFF7F0E,
                         0x8C564B, 0x17BECF, 0x7F7F7F, 0xBCBD22, 0xE377C2};

struct TraceInfo {
    QString name, unit;
    QRgb color = 0;
    double scale = 1.0;
    bool visible = true;
};

// Tick positions for a range: steps of 1, 2 or 5 times a power of ten, about `want` of them.
struct Axis {
    double lo = 0, hi = 1, step = 0.25;
};

Axis NiceAxis(double lo, double hi, int want) {
    if (!(lo <= hi)) std::swap(lo, hi);
    if (hi - lo < 1e-12 * std::max(1.0, std::fabs(hi))) {
        double pad = lo == 0 ? 1.0 : std::fabs(lo) * 0.1;
        lo -= pad;
        hi += pad;
    }
    double raw = (hi - lo) / std::max(1, want);
    double mag = std::pow(10.0, std::floor(std::log10(raw)));
    double step = mag;
    for (double f : {1.0, 2.0, 5.0, 10.0})
        if (f * mag >= raw) {
            step = f * mag;
            break;
        }
    return {std::floor(lo / step) * step, std::ceil(hi / step) * step, step};
}

QString Number(double v, double step) {
    if (std::fabs(v) < step * 1e-6) v = 0; // no "-0" or 1e-17 at the zero tick
    int decimals = step >= 1 ? 0 : std::min(6, static_cast<int>(std::ceil(-std::log10(step))));
    return QString::number(v, 'f', decimals);
}

// Four significant digits, as a legend shows the latest value.
QString Latest(double v) {
    if (!std::isfinite(v)) return QStringLiteral("---");
    double a = std::fabs(v);
    int decimals = a >= 1000 ? 0 : a >= 100 ? 1 : a >= 10 ? 2 : 3;
    return QString::number(v, 'f', decimals);
}

class StripChart : public QWidget {
  public:
    StripChart(QWidget *parent, int traces, int points) : QWidget(parent) {
        Reshape(traces, points);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    // Counts change: the ring starts empty, the traces keep their looks where they exist.
    void Reshape(int traces, int points) {
        traces_ = traces;
        points_ = points;
        info_.resize(static_cast<size_t>(traces));
        for (int t = 0; t < traces; ++t)
            if (info_[t].color == 0) info_[t].color = kPalette[t % std::size(kPalette)];
        Clear();
    }
    void Clear() {
        x_.assign(static_cast<size_t>(points_), kGap);
        flags_.assign(static_cast<size_t>(points_), 0);
        values_.assign(static_cast<size_t>(points_) * traces_, kGap);
        first_ = count_ = 0;
        update();
    }
    void Add(double x, const double *values, int n, int flags) {
        int slot = (first_ + count_) % points_;
        if (count_ == points_)
            first_ = (first_ + 1) % points_;
        else
            ++count_;
        x_[slot] = x;
        flags_[slot] = flags;
        for (int t = 0; t < traces_; ++t)
            values_[static_cast<size_t>(slot) * traces_ + t] =
                values && t < n && !(flags & STRIP_POINT_FAILED) ? values[t] : kGap;
        update();
    }
    // Point k counted from the oldest held.
    int Slot(int k) const { return (first_ + k) % points_; }
    double X(int k) const { return x_[Slot(k)]; }
    int Flags(int k) const { return flags_[Slot(k)]; }
    double Value(int k, int t) const { return values_[static_cast<size_t>(Slot(k)) * traces_ + t]; }

    int traces_ = 1, points_ = 100, count_ = 0;
    std::vector<TraceInfo> info_;
    QString xName, yName;
    double yMin = 0, yMax = 100;
    bool yAuto = true, legend = true, stacked = false, xTime = false, xByValue = false;

  protected:
    void paintEvent(QPaintEvent *) override;

  private:
    double Plotted(int k, int t) const { return Value(k, t) * info_[t].scale; }
    // The y range of some traces over the points held (fixed when autoscaling is off).
    Axis YAxisOf(const std::vector<int> &traces, int want) const;
    double XOf(int k, const QRectF &plot, double xLo, double xHi) const;
    void DrawTrace(QPainter &p, int t, const QRectF &band, const Axis &y, double xLo,
                   double xHi) const;
    void DrawYTicks(QPainter &p, const QRectF &band, const Axis &y, int leftMargin) const;
    QString XLabel(double x, double span) const;

    int first_ = 0;
    std::vector<double> x_;
    std::vector<int> flags_;
    std::vector<double> values_;
};

Axis StripChart::YAxisOf(const std::vector<int> &traces, int want) const {
    if (!yAuto) return {yMin, yMax, NiceAxis(yMin, yMax, want).step};
    double lo = HUGE_VAL, hi = -HUGE_VAL;
    for (int t : traces)
        for (int k = 0; k < count_; ++k) {
            double v = Plotted(k, t);
            if (!std::isfinite(v)) continue;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    if (lo > hi) return NiceAxis(0, 1, want);
    return NiceAxis(lo, hi, want);
}

double StripChart::XOf(int k, const QRectF &plot, double xLo, double xHi) const {
    // By arrival the newest point stands at the right edge from the first plot on, and the
    // older ones move left with every new one, as on a paper strip.
    double f = xByValue && xHi > xLo ? (X(k) - xLo) / (xHi - xLo)
                                     : static_cast<double>(points_ - count_ + k) / (points_ - 1);
    return plot.left() + f * plot.width();
}

void StripChart::DrawTrace(QPainter &p, int t, const QRectF &band, const Axis &y, double xLo,
                           double xHi) const {
    auto yOf = [&](double v) { return band.bottom() - (v - y.lo) / (y.hi - y.lo) * band.height(); };
    QPainterPath path;
    bool open = false;
    for (int k = 0; k < count_; ++k) {
        double v = Plotted(k, t);
        if (!std::isfinite(v) || (xByValue && !std::isfinite(X(k)))) {
            open = false; // a gap breaks the line
            continue;
        }
        QPointF at(XOf(k, band, xLo, xHi), yOf(v));
        if (open) {
            path.lineTo(at);
        } else {
            path.moveTo(at);
            // A point between two gaps would draw nothing as a line: show it as a dot.
            bool alone = k + 1 >= count_ || !std::isfinite(Plotted(k + 1, t));
            if (alone) path.addEllipse(at, 1.5, 1.5);
            path.moveTo(at);
            open = true;
        }
    }
    p.setPen(QPen(QColor(info_[t].color), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void StripChart::DrawYTicks(QPainter &p, const QRectF &band, const Axis &y, int leftMargin) const {
    QFontMetrics fm = p.fontMetrics();
    int rows = static_cast<int>(std::lround((y.hi - y.lo) / y.step));
    // A low band shows fewer labels, so that they never overlap.
    int every = 1;
    while (rows / every > 1 && band.height() / (rows / every) < fm.height() + 2) ++every;
    for (int i = 0; i <= rows; i += every) {
        double v = y.lo + i * y.step;
        double py = band.bottom() - (v - y.lo) / (y.hi - y.lo) * band.height();
        p.setPen(QColor(0xE4, 0xE4, 0xE4));
        p.drawLine(QPointF(band.left(), py), QPointF(band.right(), py));
        p.setPen(palette().color(QPalette::WindowText));
        QRectF r(0, py - fm.height() / 2.0, leftMargin - 4, fm.height());
        p.drawText(r, Qt::AlignRight | Qt::AlignVCenter, Number(v, y.step));
    }
}

QString StripChart::XLabel(double x, double span) const {
    if (!xTime) return Number(x, span / 4);
    QDateTime t = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(x * 1000.0));
    if (span >= 20 * 3600) return t.toString("dd.MM. HH:mm");
    return t.toString(span >= 3 * 3600 ? "HH:mm" : "HH:mm:ss");
}

void StripChart::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), palette().color(QPalette::Base));
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    QFontMetrics fm = p.fontMetrics();

    std::vector<int> shown;
    for (int t = 0; t < traces_; ++t)
        if (info_[t].visible) shown.push_back(t);

    // Legend: a swatch, the name, the unit and the latest value of each shown trace.
    int top = 4;
    if (legend && !shown.empty()) {
        int x = 8, line = fm.height() + 2;
        for (int t : shown) {
            double last = count_ > 0 ? Plotted(count_ - 1, t) : kGap;
            QString text = info_[t].name.isEmpty() ? QString("%1").arg(t + 1) : info_[t].name;
            if (!info_[t].unit.isEmpty()) text += " [" + info_[t].unit + "]";
            text += "  " + Latest(last);
            int w = 14 + fm.horizontalAdvance(text) + 14;
            if (x > 8 && x + w > width() - 4) { // wraps onto a further line
                x = 8;
                top += line;
            }
            p.fillRect(QRectF(x, top + fm.height() / 2.0 - 4, 10, 8), QColor(info_[t].color));
            p.setPen(palette().color(QPalette::WindowText));
            p.drawText(QPointF(x + 14, top + fm.ascent()), text);
            x += w;
        }
        top += line + 2;
    }
    if (!yName.isEmpty() && !stacked) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(QPointF(6, top + fm.ascent()), yName);
        top += fm.height() + 2;
    }

    int leftMargin = fm.horizontalAdvance("-00000.0") + 8;
    int bottomMargin = fm.height() + 8 + (xName.isEmpty() ? 0 : fm.height());
    QRectF plot(leftMargin, top + fm.height() / 2.0, width() - leftMargin - 10,
                height() - top - fm.height() / 2.0 - bottomMargin);
    if (plot.width() < 10 || plot.height() < 10) return;

    double xLo = HUGE_VAL, xHi = -HUGE_VAL;
    for (int k = 0; k < count_; ++k)
        if (std::isfinite(X(k))) {
            xLo = std::min(xLo, X(k));
            xHi = std::max(xHi, X(k));
        }

    // Failed points: a pale band across the plot and a red mark at its foot.
    for (int k = 0; k < count_; ++k) {
        if (!(Flags(k) & STRIP_POINT_FAILED)) continue;
        double px = XOf(k, plot, xLo, xHi);
        double w = std::max(3.0, plot.width() / (points_ - 1));
        p.fillRect(QRectF(px - w / 2, plot.top(), w, plot.height()), QColor(0xFF, 0xDD, 0xDD));
        p.fillRect(QRectF(px - w / 2, plot.bottom() - 4, w, 4), QColor(0xD0, 0x20, 0x20));
    }

    p.save();
    if (stacked && shown.size() > 1) {
        double bandH = plot.height() / static_cast<double>(shown.size());
        for (size_t i = 0; i < shown.size(); ++i) {
            int t = shown[i];
            // Half a line free above and below each band, so that the labels of two bands
            // never meet.
            double half = fm.height() / 2.0 + 1;
            QRectF band(plot.left(), plot.top() + i * bandH + half, plot.width(), bandH - 2 * half);
            Axis y = YAxisOf({t}, band.height() > 4 * fm.height() ? 3 : 1);
            DrawYTicks(p, band, y, leftMargin);
            p.setClipRect(band.adjusted(-2, -2, 2, 2));
            DrawTrace(p, t, band, y, xLo, xHi);
            p.setClipping(false);
            // The unit in the band's corner, on a patch of its own so that the trace under it
            // leaves it legible.
            if (!info_[t].unit.isEmpty()) {
                QRectF tag(band.left() + 2, band.top() + 1, fm.horizontalAdvance(info_[t].unit) + 4,
                           fm.height());
                p.fillRect(tag, palette().color(QPalette::Base));
                p.setPen(QColor(info_[t].color));
                p.drawText(tag, Qt::AlignCenter, info_[t].unit);
            }
            if (i > 0) {
                p.setPen(palette().color(QPalette::Mid));
                p.drawLine(QPointF(plot.left(), plot.top() + i * bandH),
                           QPointF(plot.right(), plot.top() + i * bandH));
            }
        }
    } else {
        Axis y = YAxisOf(shown, std::max(2, static_cast<int>(plot.height() / (2.5 * fm.height()))));
        DrawYTicks(p, plot, y, leftMargin);
        p.setClipRect(plot.adjusted(-2, -2, 2, 2));
        for (int t : shown) DrawTrace(p, t, plot, y, xLo, xHi);
        p.setClipping(false);
    }
    p.restore();
    p.setPen(palette().color(QPalette::Mid));
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot);

    // X labels under the first, middle and last held points, when the points carry x values.
    p.setPen(palette().color(QPalette::WindowText));
    double labelY = plot.bottom() + 4;
    if (xLo <= xHi && count_ > 0) {
        double span = std::max(xHi - xLo, 1e-9);
        int picks[3] = {0, (count_ - 1) / 2, count_ - 1};
        double lastRight = -HUGE_VAL;
        for (int k : picks) {
            if (!std::isfinite(X(k))) continue;
            QString text = XLabel(X(k), span);
            double w = fm.horizontalAdvance(text);
            double cx =
                std::clamp(XOf(k, plot, xLo, xHi), plot.left() + w / 2, plot.right() - w / 2);
            if (cx - w / 2 < lastRight + 6) continue;
            p.drawText(QRectF(cx - w / 2, labelY, w, fm.height()), Qt::AlignCenter, text);
            lastRight = cx + w / 2;
        }
    }
    if (!xName.isEmpty())
        p.drawText(QRectF(plot.left(), labelY + fm.height(), plot.width(), fm.height()),
                   Qt::AlignHCenter, xName);
}

StripChart *ChartOf(CtrlRec *c) {
    return c && c->kind == CTRL_STRIP_CHART ? dynamic_cast<StripChart *>(c->w.data()) : nullptr;
}

StripChart *LookupChart(int panel, int control, int *err) {
    CtrlRec *c = LookupCtrl(panel, control, err);
    if (!c) return nullptr;
    StripChart *chart = ChartOf(c);
    if (!chart) *err = UIE_BAD_CONTROL;
    return chart;
}

TraceInfo *LookupTrace(int panel, int control, int trace, int *err) {
    StripChart *chart = LookupChart(panel, control, err);
    if (!chart) return nullptr;
    if (trace < 1 || trace > chart->traces_) {
        *err = UIE_INDEX_OUT_OF_RANGE;
        return nullptr;
    }
    return &chart->info_[static_cast<size_t>(trace - 1)];
}

} // namespace

void BuildStripChart(CtrlRec *c, const uir::Control &def, QWidget *client) {
    const uir::Attrs &a = def.attrs;
    int traces = a.Int("traces", def.traces.empty() ? 1 : static_cast<int>(def.traces.size()));
    auto *chart = new StripChart(client, std::clamp(traces, 1, kMaxTraces),
                                 std::clamp(a.Int("points", 100), kMinPoints, kMaxPoints));
    for (size_t t = 0; t < def.traces.size() && t < chart->info_.size(); ++t) {
        TraceInfo &info = chart->info_[t];
        info.name = QString::fromStdString(def.traces[t].label);
        info.unit = QString::fromStdString(def.traces[t].unit);
        if (!def.traces[t].color.empty())
            info.color = static_cast<QRgb>(std::stoul(def.traces[t].color.substr(1), nullptr, 16));
    }
    chart->yMin = a.Double("ymin", 0);
    chart->yMax = a.Double("ymax", 100);
    // A chart given a range keeps it unless told to follow its points.
    chart->yAuto = a.Bool("yauto", !(a.Has("ymin") || a.Has("ymax")));
    chart->xName = QString::fromStdString(a.Str("xname"));
    chart->yName = QString::fromStdString(a.Str("yname"));
    chart->legend = a.Bool("legend", true);
    chart->stacked = a.Bool("stacked", false);
    chart->xTime = a.Bool("xtime", false);
    chart->xByValue = a.Bool("xbyvalue", false);
    c->dataType = VAL_DOUBLE;
    c->w = chart;
}

int StripChartSetAttribute(CtrlRec *c, int attribute, double value) {
    StripChart *chart = ChartOf(c);
    if (!chart) return UIE_BAD_ATTRIBUTE;
    switch (attribute) {
    case ATTR_NUM_TRACES:
        if (value < 1 || value > kMaxTraces) return UIE_BAD_VALUE;
        chart->Reshape(static_cast<int>(value), chart->points_);
        return 0;
    case ATTR_POINTS_PER_SCREEN:
        if (value < kMinPoints || value > kMaxPoints) return UIE_BAD_VALUE;
        chart->Reshape(chart->traces_, static_cast<int>(value));
        return 0;
    case ATTR_YAXIS_MIN:
    case ATTR_YAXIS_MAX: {
        if (!std::isfinite(value)) return UIE_BAD_VALUE;
        double lo = attribute == ATTR_YAXIS_MIN ? value : chart->yMin;
        double hi = attribute == ATTR_YAXIS_MAX ? value : chart->yMax;
        if (!(lo < hi)) return UIE_BAD_VALUE;
        chart->yMin = lo;
        chart->yMax = hi;
        break;
    }
    case ATTR_YAXIS_AUTOSCALE:
        chart->yAuto = value != 0;
        break;
    case ATTR_LEGEND_VISIBLE:
        chart->legend = value != 0;
        break;
    case ATTR_STACKED:
        chart->stacked = value != 0;
        break;
    case ATTR_XAXIS_TIME:
        chart->xTime = value != 0;
        break;
    case ATTR_X_BY_VALUE:
        chart->xByValue = value != 0;
        break;
    default:
        return UIE_BAD_ATTRIBUTE;
    }
    chart->update();
    return 0;
}

int StripChartSetAttribute(CtrlRec *c, int attribute, const char *text) {
    StripChart *chart = ChartOf(c);
    if (!chart) return UIE_BAD_ATTRIBUTE;
    if (attribute != ATTR_XNAME && attribute != ATTR_YNAME) return UIE_BAD_ATTRIBUTE;
    (attribute == ATTR_XNAME ? chart->xName : chart->yName) = Q(text);
    chart->update();
    return 0;
}

int StripChartGetAttribute(CtrlRec *c, int attribute, double *value) {
    StripChart *chart = ChartOf(c);
    if (!chart) return UIE_BAD_ATTRIBUTE;
    switch (attribute) {
    case ATTR_NUM_TRACES:
        *value = chart->traces_;
        return 0;
    case ATTR_POINTS_PER_SCREEN:
        *value = chart->points_;
        return 0;
    case ATTR_NUM_POINTS:
        *value = chart->count_;
        return 0;
    case ATTR_YAXIS_MIN:
        *value = chart->yMin;
        return 0;
    case ATTR_YAXIS_MAX:
        *value = chart->yMax;
        return 0;
    case ATTR_YAXIS_AUTOSCALE:
        *value = chart->yAuto;
        return 0;
    case ATTR_LEGEND_VISIBLE:
        *value = chart->legend;
        return 0;
    case ATTR_STACKED:
        *value = chart->stacked;
        return 0;
    case ATTR_XAXIS_TIME:
        *value = chart->xTime;
        return 0;
    case ATTR_X_BY_VALUE:
        *value = chart->xByValue;
        return 0;
    default:
        return UIE_BAD_ATTRIBUTE;
    }
}

int StripChartGetAttribute(CtrlRec *c, int attribute, char *text, int size) {
    StripChart *chart = ChartOf(c);
    if (!chart) return UIE_BAD_ATTRIBUTE;
    if (attribute != ATTR_XNAME && attribute != ATTR_YNAME) return UIE_BAD_ATTRIBUTE;
    return CopyOut(attribute == ATTR_XNAME ? chart->xName : chart->yName, text, size);
}

} // namespace uiq

using namespace uiq;

int PlotStripChart(int panel, int control, const double *values, int count) {
    int err = 0;
    StripChart *chart = LookupChart(panel, control, &err);
    if (!chart) return err;
    if (!values) return UIE_MISSING_ARGUMENT;
    if (count <= 0 || count % chart->traces_ != 0) return UIE_BAD_VALUE;
    for (int at = 0; at < count; at += chart->traces_)
        chart->Add(kGap, values + at, chart->traces_, 0);
    return 0;
}

int PlotStripChartPoint(int panel, int control, double x, const double *values, int count,
                        int flags) {
    int err = 0;
    StripChart *chart = LookupChart(panel, control, &err);
    if (!chart) return err;
    if (count < 0 || count > chart->traces_ || (count > 0 && !values)) return UIE_BAD_VALUE;
    chart->Add(x, values, count, flags & STRIP_POINT_FAILED);
    return 0;
}

int ClearStripChart(int panel, int control) {
    int err = 0;
    StripChart *chart = LookupChart(panel, control, &err);
    if (!chart) return err;
    chart->Clear();
    return 0;
}

int GetStripChartPoint(int panel, int control, int index, double *x, double *values, int count,
                       int *flags) {
    int err = 0;
    StripChart *chart = LookupChart(panel, control, &err);
    if (!chart) return err;
    if (index < 0 || index >= chart->count_) return UIE_INDEX_OUT_OF_RANGE;
    if (x) *x = chart->X(index);
    if (flags) *flags = chart->Flags(index);
    for (int t = 0; values && t < count; ++t)
        values[t] = t < chart->traces_ ? chart->Value(index, t) : kGap;
    return 0;
}

int SetTraceAttribute(int panel, int control, int trace, int attribute, int value) {
    int err = 0;
    TraceInfo *info = LookupTrace(panel, control, trace, &err);
    if (!info) return err;
    switch (attribute) {
    case ATTR_TRACE_COLOR:
        if (value < 0 || value > 0xFFFFFF) return UIE_BAD_VALUE;
        info->color = static_cast<QRgb>(value);
        break;
    case ATTR_TRACE_VISIBLE:
        info->visible = value != 0;
        break;
    case ATTR_TRACE_SCALE:
        return SetTraceAttribute(panel, control, trace, attribute, static_cast<double>(value));
    default:
        return UIE_BAD_ATTRIBUTE;
    }
    LookupChart(panel, control, &err)->update();
    return 0;
}

int SetTraceAttribute(int panel, int control, int trace, int attribute, double value) {
    if (attribute != ATTR_TRACE_SCALE)
        return SetTraceAttribute(panel, control, trace, attribute, static_cast<int>(value));
    int err = 0;
    TraceInfo *info = LookupTrace(panel, control, trace, &err);
    if (!info) return err;
    if (!std::isfinite(value) || value == 0) return UIE_BAD_VALUE;
    info->scale = value;
    LookupChart(panel, control, &err)->update();
    return 0;
}

int SetTraceAttribute(int panel, int control, int trace, int attribute, const char *text) {
    int err = 0;
    TraceInfo *info = LookupTrace(panel, control, trace, &err);
    if (!info) return err;
    if (!text) return UIE_MISSING_ARGUMENT;
    if (attribute != ATTR_TRACE_NAME && attribute != ATTR_TRACE_UNIT) return UIE_BAD_ATTRIBUTE;
    (attribute == ATTR_TRACE_NAME ? info->name : info->unit) = Q(text);
    LookupChart(panel, control, &err)->update();
    return 0;
}

int GetTraceAttribute(int panel, int control, int trace, int attribute, int *value) {
    if (!value) return UIE_MISSING_ARGUMENT;
    int err = 0;
    TraceInfo *info = LookupTrace(panel, control, trace, &err);
    if (!info) return err;
    switch (attribute) {
    case ATTR_TRACE_COLOR:
        *value = static_cast<int>(info->color & 0xFFFFFF);
        return 0;
    case ATTR_TRACE_VISIBLE:
        *value = info->visible;
        return 0;
    default:
        return UIE_BAD_ATTRIBUTE;
    }
}

int GetTraceAttribute(int panel, int control, int trace, int attribute, double *value) {
    if (!value) return UIE_MISSING_ARGUMENT;
    if (attribute != ATTR_TRACE_SCALE) {
        int v = 0;
        int rc = GetTraceAttribute(panel, control, trace, attribute, &v);
        *value = v;
        return rc;
    }
    int err = 0;
    TraceInfo *info = LookupTrace(panel, control, trace, &err);
    if (!info) return err;
    *value = info->scale;
    return 0;
}

int GetTraceAttribute(int panel, int control, int trace, int attribute, char *text, int size) {
    if (!text || size <= 0) return UIE_MISSING_ARGUMENT;
    text[0] = '\0';
    int err = 0;
    TraceInfo *info = LookupTrace(panel, control, trace, &err);
    if (!info) return err;
    if (attribute != ATTR_TRACE_NAME && attribute != ATTR_TRACE_UNIT) return UIE_BAD_ATTRIBUTE;
    return CopyOut(attribute == ATTR_TRACE_NAME ? info->name : info->unit, text, size);
}

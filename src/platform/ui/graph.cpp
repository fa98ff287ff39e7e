// The graph control: x/y plots of data held whole (a download, a series read at once), drawn
// with their axes, a legend, gaps where a value is missing and a red mark below each gap.
#include <QDateTime>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

#include <cmath>
#include <vector>

#include "platform/ui/uiqt.h"

namespace uiq {
namespace {

constexpr int kMostPlots = 4;

struct Plot {
    std::vector<double> x, y;
    QColor color;
    QString name;
};

class GraphWidget : public QWidget {
  public:
    GraphWidget(QWidget *parent, bool timeAxis) : QWidget(parent), timeAxis_(timeAxis) {
        setAutoFillBackground(true);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, Qt::white);
        setPalette(pal);
    }
    Plot plots[kMostPlots];

  protected:
    void paintEvent(QPaintEvent *) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, true);
        const QFontMetrics fm(font());
        double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
        bool any = Ranges(&x0, &x1, &y0, &y1);
        const int left = fm.horizontalAdvance("-00000.0") + 8, right = 12;
        const int top = fm.height() + 8, bottom = 2 * fm.height() + 10;
        QRect area(left, top, width() - left - right, height() - top - bottom);
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.drawRect(area);
        if (!any || area.width() < 10 || area.height() < 10) return;
        auto px = [&](double x) { return area.left() + (x - x0) / (x1 - x0) * area.width(); };
        auto py = [&](double y) { return area.bottom() - (y - y0) / (y1 - y0) * area.height(); };

        // Grid and tick labels: five steps on each axis.
        for (int k = 0; k <= 5; ++k) {
            double y = y0 + (y1 - y0) * k / 5, x = x0 + (x1 - x0) * k / 5;
            p.setPen(QColor(0xE0, 0xE0, 0xE0));
            p.drawLine(QPointF(area.left(), py(y)), QPointF(area.right(), py(y)));
            p.drawLine(QPointF(px(x), area.top()), QPointF(px(x), area.bottom()));
            p.setPen(Qt::black);
            QString yl = QString::number(y, 'f', std::fabs(y1 - y0) < 10 ? 2 : 1);
            p.drawText(QRectF(0, py(y) - fm.height() / 2.0, left - 4, fm.height()),
                       Qt::AlignRight | Qt::AlignVCenter, yl);
            QString xl = XLabel(x, x1 - x0);
            double w = fm.horizontalAdvance(xl);
            double at = std::min(std::max(px(x) - w / 2, 0.0), width() - w);
            p.drawText(QPointF(at, area.bottom() + fm.height() + 2), xl);
        }

        double legendX = area.left();
        for (const Plot &pl : plots) {
            if (pl.x.empty()) continue;
            QPainterPath path;
            bool open = false;
            for (size_t i = 0; i < pl.x.size(); ++i) {
                if (!std::isfinite(pl.y[i])) {
                    open = false;
                    continue;
                }
                QPointF pt(px(pl.x[i]), py(pl.y[i]));
                if (open)
                    path.lineTo(pt);
                else
                    path.moveTo(pt);
                open = true;
            }
            p.setPen(QPen(pl.color, 1.5));
            p.setBrush(Qt::NoBrush);
            p.drawPath(path);
            if (pl.x.size() == 1 && std::isfinite(pl.y[0]))
                p.drawEllipse(QPointF(px(pl.x[0]), py(pl.y[0])), 2, 2);
            // A missing value is marked where it belongs on the x axis.
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xD0, 0x00, 0x00));
            for (size_t i = 0; i < pl.x.size(); ++i) {
                if (std::isfinite(pl.y[i])) continue;
                double x = px(pl.x[i]);
                QPointF tri[3] = {{x, area.bottom() - 8.0},
                                  {x - 4, area.bottom() - 1.0},
                                  {x + 4, area.bottom() - 1.0}};
                p.drawPolygon(tri, 3);
            }
            p.setPen(pl.color);
            p.drawText(QPointF(legendX, fm.ascent() + 2), pl.name);
            legendX += fm.horizontalAdvance(pl.name) + 20;
        }
    }

  private:
    bool Ranges(double *x0, double *x1, double *y0, double *y1) const {
        bool anyX = false, anyY = false;
        for (const Plot &pl : plots)
            for (size_t i = 0; i < pl.x.size(); ++i) {
                if (!anyX || pl.x[i] < *x0) *x0 = pl.x[i];
                if (!anyX || pl.x[i] > *x1) *x1 = pl.x[i];
                anyX = true;
                if (!std::isfinite(pl.y[i])) continue;
                if (!anyY || pl.y[i] < *y0) *y0 = pl.y[i];
                if (!anyY || pl.y[i] > *y1) *y1 = pl.y[i];
                anyY = true;
            }
        if (!anyX) return false;
        if (!anyY) *y0 = 0, *y1 = 1;
        if (*x1 - *x0 <= 0) *x0 -= 1, *x1 += 1;
        double pad = (*y1 - *y0) * 0.05;
        if (pad <= 0) pad = std::fabs(*y1) > 1 ? std::fabs(*y1) * 0.05 : 0.5;
        *y0 -= pad;
        *y1 += pad;
        return true;
    }
    QString XLabel(double x, double span) const {
        if (!timeAxis_) return QString::number(x, 'g', 6);
        QDateTime t = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::llround(x)));
        return t.toString(span > 2 * 86400 ? "dd.MM. hh:mm" : "hh:mm:ss");
    }
    bool timeAxis_;
};

GraphWidget *GraphOf(int panel, int control, int *err) {
    CtrlRec *c = LookupCtrl(panel, control, err);
    if (!c) return nullptr;
    auto *g = dynamic_cast<GraphWidget *>(c->w.data());
    if (!g) *err = UIE_BAD_CONTROL;
    return g;
}

} // namespace

void BuildGraph(CtrlRec *c, const uir::Control &def, QWidget *client) {
    c->w = new GraphWidget(client, def.attrs.Bool("xtime", false));
}

} // namespace uiq

using namespace uiq;

int PlotGraph(int panel, int control, int plot, const double *x, const double *y, int count,
              unsigned color, const char *name) {
    int err = 0;
    GraphWidget *g = GraphOf(panel, control, &err);
    if (!g) return err;
    if (plot < 1 || plot > kMostPlots || count < 0 || (count > 0 && (!x || !y)))
        return UIE_BAD_VALUE;
    Plot &pl = g->plots[plot - 1];
    pl.x.assign(x, x + count);
    pl.y.assign(y, y + count);
    pl.color = QColor::fromRgb(color);
    pl.name = Q(name);
    g->update();
    return 0;
}

int ClearGraph(int panel, int control) {
    int err = 0;
    GraphWidget *g = GraphOf(panel, control, &err);
    if (!g) return err;
    for (Plot &pl : g->plots) pl = Plot{};
    g->update();
    return 0;
}

int GetGraphPlot(int panel, int control, int plot, double *x, double *y, int size) {
    int err = 0;
    GraphWidget *g = GraphOf(panel, control, &err);
    if (!g) return err;
    if (plot < 1 || plot > kMostPlots) return UIE_BAD_VALUE;
    const Plot &pl = g->plots[plot - 1];
    int n = static_cast<int>(pl.x.size());
    for (int i = 0; i < n && i < size; ++i) {
        if (x) x[i] = pl.x[static_cast<size_t>(i)];
        if (y) y[i] = pl.y[static_cast<size_t>(i)];
    }
    return n;
}

// Strip charts: what the resource declares, the ring of points (oldest out first), gaps, x
// values and failure marks, the chart's and the traces' attributes, and the picture.
#include "uitest.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

class ChartTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        panel = Load(CHARTS);
        ASSERT_GT(panel, 0);
    }
    double Num(int control, int attribute) {
        double v = -1;
        EXPECT_EQ(GetCtrlAttribute(panel, control, attribute, &v), 0) << attribute;
        return v;
    }
    std::string TraceText(int control, int trace, int attribute) {
        char text[64] = "?";
        EXPECT_EQ(GetTraceAttribute(panel, control, trace, attribute, text, sizeof text), 0);
        return text;
    }
    int Held(int control) { return static_cast<int>(Num(control, ATTR_NUM_POINTS)); }
    // The first value of point k, NAN for a gap.
    double First(int control, int k) {
        double v[16];
        EXPECT_EQ(GetStripChartPoint(panel, control, k, nullptr, v, 16, nullptr), 0);
        return v[0];
    }
    int panel = 0;
};

TEST_F(ChartTest, ResourceDeclaresTracesPointsAndAxes) {
    struct Case {
        int control;
        int traces, points, autoscale, legend, stacked;
        double ymin, ymax;
    } cases[] = {
        {CHARTS_TREND, 2, 5, 1, 1, 1, 0, 100},   // traces from its <trace> elements
        {CHARTS_FIXED, 3, 200, 0, 0, 0, -1, 1},  // a given range is kept
        {CHARTS_SPARE, 1, 100, 1, 1, 0, 0, 100}, // defaults
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.control);
        EXPECT_EQ(Num(c.control, ATTR_CTRL_KIND), CTRL_STRIP_CHART);
        EXPECT_EQ(Num(c.control, ATTR_NUM_TRACES), c.traces);
        EXPECT_EQ(Num(c.control, ATTR_POINTS_PER_SCREEN), c.points);
        EXPECT_EQ(Num(c.control, ATTR_YAXIS_AUTOSCALE), c.autoscale);
        EXPECT_EQ(Num(c.control, ATTR_LEGEND_VISIBLE), c.legend);
        EXPECT_EQ(Num(c.control, ATTR_STACKED), c.stacked);
        EXPECT_EQ(Num(c.control, ATTR_YAXIS_MIN), c.ymin);
        EXPECT_EQ(Num(c.control, ATTR_YAXIS_MAX), c.ymax);
        EXPECT_EQ(Held(c.control), 0);
    }
    EXPECT_EQ(TraceText(CHARTS_TREND, 1, ATTR_TRACE_NAME), "P");
    EXPECT_EQ(TraceText(CHARTS_TREND, 1, ATTR_TRACE_UNIT), "kW");
    EXPECT_EQ(TraceText(CHARTS_TREND, 2, ATTR_TRACE_UNIT), "Hz");
    int colour = 0;
    GetTraceAttribute(panel, CHARTS_TREND, 1, ATTR_TRACE_COLOR, &colour);
    EXPECT_EQ(colour, 0xC00000);
    // Traces without a colour get distinct ones.
    int a = 0, b = 0;
    GetTraceAttribute(panel, CHARTS_FIXED, 1, ATTR_TRACE_COLOR, &a);
    GetTraceAttribute(panel, CHARTS_FIXED, 2, ATTR_TRACE_COLOR, &b);
    EXPECT_NE(a, b);
    char text[32];
    GetCtrlAttribute(panel, CHARTS_TREND, ATTR_XNAME, text, sizeof text);
    EXPECT_STREQ(text, "time");
    GetCtrlAttribute(panel, CHARTS_FIXED, ATTR_YNAME, text, sizeof text);
    EXPECT_STREQ(text, "PF");
    GetCtrlAttribute(panel, CHARTS_TREND, ATTR_LABEL_TEXT, text, sizeof text);
    EXPECT_STREQ(text, "Trend");
    // Language files carry a chart's label and axis names as text kind 7.
    EXPECT_EQ(TextKindOfCtrlKind(CTRL_STRIP_CHART), 7);
}

TEST_F(ChartTest, RingKeepsTheLastPointsOldestFirst) {
    struct Case {
        const char *name;
        int plotted;   // points plotted one by one into the five-point chart
        int held;      // points it holds then
        double oldest; // first value of the oldest
    } cases[] = {
        {"empty", 0, 0, NAN},
        {"filling", 3, 3, 0},
        {"just full", 5, 5, 0},
        {"scrolled by two", 7, 5, 2},
        {"scrolled past a whole ring", 13, 5, 8},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(ClearStripChart(panel, CHARTS_TREND), 0);
        for (int k = 0; k < c.plotted; ++k) {
            double v[2] = {static_cast<double>(k), 50.0 + k};
            ASSERT_EQ(PlotStripChart(panel, CHARTS_TREND, v, 2), 0);
        }
        ASSERT_EQ(Held(CHARTS_TREND), c.held);
        if (c.held == 0) {
            EXPECT_EQ(GetStripChartPoint(panel, CHARTS_TREND, 0, nullptr, nullptr, 0, nullptr),
                      UIE_INDEX_OUT_OF_RANGE);
            continue;
        }
        for (int k = 0; k < c.held; ++k) {
            double v[2], x = 0;
            int flags = -1;
            ASSERT_EQ(GetStripChartPoint(panel, CHARTS_TREND, k, &x, v, 2, &flags), 0);
            EXPECT_EQ(v[0], c.oldest + k);
            EXPECT_EQ(v[1], 50.0 + c.oldest + k);
            EXPECT_TRUE(std::isnan(x)) << "plotted without an x value";
            EXPECT_EQ(flags, 0);
        }
        EXPECT_EQ(GetStripChartPoint(panel, CHARTS_TREND, c.held, nullptr, nullptr, 0, nullptr),
                  UIE_INDEX_OUT_OF_RANGE);
    }
    // Several points at once, trace values in order; a NAN is kept as the gap it stands for.
    ClearStripChart(panel, CHARTS_TREND);
    const double three[6] = {1, 10, NAN, 20, 3, NAN};
    ASSERT_EQ(PlotStripChart(panel, CHARTS_TREND, three, 6), 0);
    EXPECT_EQ(Held(CHARTS_TREND), 3);
    EXPECT_EQ(First(CHARTS_TREND, 0), 1);
    EXPECT_TRUE(std::isnan(First(CHARTS_TREND, 1)));
    EXPECT_EQ(First(CHARTS_TREND, 2), 3);
    double v[2];
    GetStripChartPoint(panel, CHARTS_TREND, 2, nullptr, v, 2, nullptr);
    EXPECT_TRUE(std::isnan(v[1]));
}

TEST_F(ChartTest, PointsCarryXValuesAndFailureMarks) {
    struct Case {
        const char *name;
        double x;
        int count;
        double values[2];
        int flags;
        double expect[2]; // NAN: a gap
    } cases[] = {
        {"whole point", 1000, 2, {1.5, 49.9}, 0, {1.5, 49.9}},
        {"fewer values than traces", 1002, 1, {2.5, 0}, 0, {2.5, NAN}},
        {"failed read: values given are not drawn",
         1004,
         2,
         {9, 9},
         STRIP_POINT_FAILED,
         {NAN, NAN}},
        {"failed read without values", 1006, 0, {0, 0}, STRIP_POINT_FAILED, {NAN, NAN}},
        {"unknown flag bits are dropped", 1008, 2, {3, 50}, 0x80, {3, 50}},
    };
    int k = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(PlotStripChartPoint(panel, CHARTS_TREND, c.x, c.count ? c.values : nullptr,
                                      c.count, c.flags),
                  0);
        double x = 0, v[2];
        int flags = 0;
        ASSERT_EQ(GetStripChartPoint(panel, CHARTS_TREND, k++, &x, v, 2, &flags), 0);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(flags, c.flags & STRIP_POINT_FAILED);
        for (int t = 0; t < 2; ++t) {
            if (std::isnan(c.expect[t]))
                EXPECT_TRUE(std::isnan(v[t])) << t;
            else
                EXPECT_EQ(v[t], c.expect[t]) << t;
        }
    }
    EXPECT_EQ(Held(CHARTS_TREND), 5);
}

TEST_F(ChartTest, RefusesWhatItCannotHold) {
    const double v[4] = {1, 2, 3, 4};
    struct Case {
        const char *name;
        int rc, expect;
    } cases[] = {
        {"count not a multiple of the traces", PlotStripChart(panel, CHARTS_TREND, v, 3),
         UIE_BAD_VALUE},
        {"no values", PlotStripChart(panel, CHARTS_TREND, nullptr, 2), UIE_MISSING_ARGUMENT},
        {"nothing to plot", PlotStripChart(panel, CHARTS_TREND, v, 0), UIE_BAD_VALUE},
        {"point with more values than traces", PlotStripChartPoint(panel, CHARTS_TREND, 0, v, 3, 0),
         UIE_BAD_VALUE},
        {"point with a count but no values",
         PlotStripChartPoint(panel, CHARTS_TREND, 0, nullptr, 1, 0), UIE_BAD_VALUE},
        {"not a chart", PlotStripChart(panel, CHARTS_NOTE, v, 1), UIE_BAD_CONTROL},
        {"clear of not a chart", ClearStripChart(panel, CHARTS_NOTE), UIE_BAD_CONTROL},
        {"no such panel", PlotStripChart(9999, CHARTS_TREND, v, 2), UIE_BAD_HANDLE},
        {"no traces", SetCtrlAttribute(panel, CHARTS_TREND, ATTR_NUM_TRACES, 0), UIE_BAD_VALUE},
        {"too many traces", SetCtrlAttribute(panel, CHARTS_TREND, ATTR_NUM_TRACES, 17),
         UIE_BAD_VALUE},
        {"one point", SetCtrlAttribute(panel, CHARTS_TREND, ATTR_POINTS_PER_SCREEN, 1),
         UIE_BAD_VALUE},
        {"minimum above maximum", SetCtrlAttribute(panel, CHARTS_FIXED, ATTR_YAXIS_MIN, 2.0),
         UIE_BAD_VALUE},
        {"maximum not a number", SetCtrlAttribute(panel, CHARTS_FIXED, ATTR_YAXIS_MAX, NAN),
         UIE_BAD_VALUE},
        {"trace 0", SetTraceAttribute(panel, CHARTS_TREND, 0, ATTR_TRACE_NAME, "x"),
         UIE_INDEX_OUT_OF_RANGE},
        {"trace beyond the last", SetTraceAttribute(panel, CHARTS_TREND, 3, ATTR_TRACE_VISIBLE, 1),
         UIE_INDEX_OUT_OF_RANGE},
        {"colour out of range", SetTraceAttribute(panel, CHARTS_TREND, 1, ATTR_TRACE_COLOR, -1),
         UIE_BAD_VALUE},
        {"scale of zero", SetTraceAttribute(panel, CHARTS_TREND, 1, ATTR_TRACE_SCALE, 0.0),
         UIE_BAD_VALUE},
        {"trace attribute on a text",
         SetTraceAttribute(panel, CHARTS_NOTE, 1, ATTR_TRACE_NAME, "x"), UIE_BAD_CONTROL},
        {"chart attribute on a text", SetCtrlAttribute(panel, CHARTS_NOTE, ATTR_STACKED, 1),
         UIE_BAD_ATTRIBUTE},
        {"a text's attribute on a chart", SetCtrlAttribute(panel, CHARTS_TREND, ATTR_ON_TEXT, "x"),
         UIE_BAD_ATTRIBUTE},
    };
    for (const Case &c : cases) EXPECT_EQ(c.rc, c.expect) << c.name;
    // The refused changes left the chart as it was.
    EXPECT_EQ(Num(CHARTS_TREND, ATTR_NUM_TRACES), 2);
    EXPECT_EQ(Num(CHARTS_FIXED, ATTR_YAXIS_MIN), -1);
    EXPECT_EQ(Num(CHARTS_FIXED, ATTR_YAXIS_MAX), 1);
    EXPECT_EQ(Held(CHARTS_TREND), 0);
}

TEST_F(ChartTest, AttributesRoundTripAndReshapingClears) {
    const double v[2] = {1, 2};
    PlotStripChart(panel, CHARTS_TREND, v, 2);
    struct Case {
        int attribute;
        double value;
        bool clears;
    } cases[] = {
        {ATTR_YAXIS_AUTOSCALE, 0, false}, {ATTR_YAXIS_MIN, -5, false},
        {ATTR_YAXIS_MAX, 7.5, false},     {ATTR_LEGEND_VISIBLE, 0, false},
        {ATTR_STACKED, 0, false},         {ATTR_XAXIS_TIME, 1, false},
        {ATTR_X_BY_VALUE, 1, false},      {ATTR_POINTS_PER_SCREEN, 300, true},
        {ATTR_NUM_TRACES, 4, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.attribute);
        if (Held(CHARTS_TREND) == 0) PlotStripChart(panel, CHARTS_TREND, v, 2);
        ASSERT_EQ(SetCtrlAttribute(panel, CHARTS_TREND, c.attribute, c.value), 0);
        EXPECT_EQ(Num(CHARTS_TREND, c.attribute), c.value);
        EXPECT_EQ(Held(CHARTS_TREND), c.clears ? 0 : 1);
    }
    // More traces keep the looks of the ones there were.
    EXPECT_EQ(TraceText(CHARTS_TREND, 1, ATTR_TRACE_NAME), "P");
    EXPECT_EQ(TraceText(CHARTS_TREND, 4, ATTR_TRACE_NAME), "");
    ASSERT_EQ(SetTraceAttribute(panel, CHARTS_TREND, 4, ATTR_TRACE_NAME, "Q3"), 0);
    ASSERT_EQ(SetTraceAttribute(panel, CHARTS_TREND, 4, ATTR_TRACE_UNIT, "kvar"), 0);
    ASSERT_EQ(SetTraceAttribute(panel, CHARTS_TREND, 4, ATTR_TRACE_SCALE, 0.001), 0);
    ASSERT_EQ(SetTraceAttribute(panel, CHARTS_TREND, 4, ATTR_TRACE_VISIBLE, 0), 0);
    EXPECT_EQ(TraceText(CHARTS_TREND, 4, ATTR_TRACE_NAME), "Q3");
    EXPECT_EQ(TraceText(CHARTS_TREND, 4, ATTR_TRACE_UNIT), "kvar");
    double scale = 0;
    GetTraceAttribute(panel, CHARTS_TREND, 4, ATTR_TRACE_SCALE, &scale);
    EXPECT_EQ(scale, 0.001);
    int visible = 1;
    GetTraceAttribute(panel, CHARTS_TREND, 4, ATTR_TRACE_VISIBLE, &visible);
    EXPECT_EQ(visible, 0);
    // The scale changes what is drawn, not what is held.
    const double four[4] = {1, 2, 3, 4000};
    PlotStripChart(panel, CHARTS_TREND, four, 4);
    double back[4];
    GetStripChartPoint(panel, CHARTS_TREND, 0, nullptr, back, 4, nullptr);
    EXPECT_EQ(back[3], 4000);
    // Common attributes take their usual way.
    EXPECT_EQ(SetCtrlAttribute(panel, CHARTS_TREND, ATTR_VISIBLE, 0), 0);
    EXPECT_EQ(Num(CHARTS_TREND, ATTR_VISIBLE), 0);
    EXPECT_EQ(SetCtrlAttribute(panel, CHARTS_TREND, ATTR_WIDTH, 500), 0);
    EXPECT_EQ(Num(CHARTS_TREND, ATTR_WIDTH), 500);
    EXPECT_EQ(SetCtrlAttribute(panel, CHARTS_TREND, ATTR_XNAME, "s"), 0);
    char text[8];
    GetCtrlAttribute(panel, CHARTS_TREND, ATTR_XNAME, text, sizeof text);
    EXPECT_STREQ(text, "s");
}

// Every way of drawing: bands per trace with gaps and failed points, one shared axis with x
// values as times, a fixed range with values outside it, an empty chart. With
// KR7M_SCREENSHOT_DIR set the picture stays there.
TEST_F(ChartTest, DrawsEveryKindOfPoint) {
    SetCtrlAttribute(panel, CHARTS_TREND, ATTR_POINTS_PER_SCREEN, 60);
    SetCtrlAttribute(panel, CHARTS_TREND, ATTR_XAXIS_TIME, 1);
    SetCtrlAttribute(panel, CHARTS_SPARE, ATTR_NUM_TRACES, 2);
    SetCtrlAttribute(panel, CHARTS_SPARE, ATTR_XAXIS_TIME, 1);
    SetCtrlAttribute(panel, CHARTS_SPARE, ATTR_X_BY_VALUE, 1);
    SetTraceAttribute(panel, CHARTS_SPARE, 1, ATTR_TRACE_NAME, "P");
    SetTraceAttribute(panel, CHARTS_SPARE, 2, ATTR_TRACE_NAME, "Q");
    SetTraceAttribute(panel, CHARTS_SPARE, 1, ATTR_TRACE_UNIT, "kW");
    SetTraceAttribute(panel, CHARTS_SPARE, 2, ATTR_TRACE_UNIT, "kvar");
    const double t0 = 1714737600; // a whole hour
    for (int k = 0; k < 80; ++k) {
        double v[2] = {1.8 + 0.3 * std::sin(k / 6.0), 49.95 + 0.05 * std::cos(k / 4.0)};
        bool failed = k >= 40 && k < 44;
        PlotStripChartPoint(panel, CHARTS_TREND, t0 + 2 * k, failed ? nullptr : v, failed ? 0 : 2,
                            failed ? STRIP_POINT_FAILED : 0);
        double pf[3] = {0.9 + 0.2 * std::sin(k / 5.0), -0.5, k % 10 == 5 ? NAN : 0.2};
        PlotStripChart(panel, CHARTS_FIXED, pf, 3);
        double pq[2] = {2.0 + k / 40.0, 0.9 - k / 80.0};
        PlotStripChartPoint(panel, CHARTS_SPARE, t0 + 900 * k + (k > 50 ? 3600 : 0), pq, 2,
                            k == 30 ? STRIP_POINT_FAILED : 0);
    }
    DisplayPanel(panel);
    ProcessSystemEvents();
    const char *keep = getenv("KR7M_SCREENSHOT_DIR");
    std::string path =
        std::string(keep ? keep : "/tmp") + "/stripcharts-" + std::to_string(getpid()) + ".png";
    if (keep) path = std::string(keep) + "/stripcharts.png";
    ASSERT_EQ(SavePanelImage(panel, path.c_str()), 0);
    long size = 0;
    EXPECT_EQ(GetFileInfo(path.c_str(), &size), 1);
    EXPECT_GT(size, 5000);
    if (!keep) unlink(path.c_str());
    // A chart too small to draw in still takes points.
    SetCtrlAttribute(panel, CHARTS_TREND, ATTR_HEIGHT, 8);
    const double v[2] = {1, 2};
    EXPECT_EQ(PlotStripChart(panel, CHARTS_TREND, v, 2), 0);
    ProcessSystemEvents();
    EXPECT_EQ(SavePanelImage(panel, "/nonexistent/x.png"), UIE_FILE_NOT_FOUND);
}

} // namespace

// Arithmetic of the instruments, checked without any window.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "controls/CompassModel.h"
#include "controls/GSensorModel.h"
#include "controls/SliderModel.h"
#include "controls/SpeedModel.h"
#include "controls/StatusBoardModel.h"

namespace {

// Image indices of the eight-image compass: 1 N, 2 NW, 3 W, 4 SW, 5 S, 6 SE, 7 E, 8 NE.
enum { N = 1, NW, W, SW, S, SE, E, NE };

TEST(CompassModel, HeadingSectorsAndBoundaries) {
  EXPECT_EQ(HeadingToImageIndex(0, 8), N);
  EXPECT_EQ(HeadingToImageIndex(360, 8), N);
  EXPECT_EQ(HeadingToImageIndex(22, 8), N);
  EXPECT_EQ(HeadingToImageIndex(23, 8), NE);
  EXPECT_EQ(HeadingToImageIndex(67, 8), NE);
  EXPECT_EQ(HeadingToImageIndex(68, 8), E);
  EXPECT_EQ(HeadingToImageIndex(112, 8), E);
  EXPECT_EQ(HeadingToImageIndex(113, 8), SE);
  EXPECT_EQ(HeadingToImageIndex(180, 8), S);
  EXPECT_EQ(HeadingToImageIndex(203, 8), SW);
  EXPECT_EQ(HeadingToImageIndex(270, 8), W);
  EXPECT_EQ(HeadingToImageIndex(337, 8), NW);
  EXPECT_EQ(HeadingToImageIndex(338, 8), N);
  EXPECT_EQ(HeadingToImageIndex(-45, 8), NW);
  EXPECT_EQ(HeadingToImageIndex(720 + 90, 8), E);
  // The heading byte of a fix is in units of two degrees: 255 -> 510 deg.
  EXPECT_EQ(HeadingToImageIndex(510, 8), SE);
}

TEST(CompassModel, OtherImageCountsWrapAndEmptyListIsSafe) {
  // 225 deg clockwise is 135 deg counter-clockwise: sector 3; wraps mod 5 -> 4.
  EXPECT_EQ(HeadingToImageIndex(225, 5), 4u);
  // 90 deg clockwise is sector 6 counter-clockwise, 6 mod 5 = 1 -> image 2.
  EXPECT_EQ(HeadingToImageIndex(90, 5), 2u);
  EXPECT_EQ(HeadingToImageIndex(90, 1), 1u);
  EXPECT_EQ(HeadingToImageIndex(90, 0), 0u);
}

TEST(SpeedModel, TextsInBothUnits) {
  EXPECT_EQ(MakeSpeedText(100, true).number, "100");
  EXPECT_EQ(MakeSpeedText(100, true).unit, "Km/h");
  EXPECT_EQ(MakeSpeedText(100, false).number, " 62");
  EXPECT_EQ(MakeSpeedText(100, false).unit, "MPH");
  EXPECT_EQ(MakeSpeedText(1, false).number, "  0");
  EXPECT_EQ(MakeSpeedText(5, true).number, "  5");
  // Large speeds widen the field instead of being cut.
  EXPECT_EQ(MakeSpeedText(65535, true).number, "65535");
  EXPECT_EQ(MakeSpeedText(65535, false).number, "40959");
}

TEST(SliderModel, ClickPositionsClampAndZeroWidth) {
  const SliderChannel ch{8, 208};
  EXPECT_EQ(PositionFromPoint(108, 0, 1000, ch), 500);
  EXPECT_EQ(PositionFromPoint(8, 0, 1000, ch), 0);
  EXPECT_EQ(PositionFromPoint(4, 0, 1000, ch), 0);
  EXPECT_EQ(PositionFromPoint(208, 0, 1000, ch), 1000);
  EXPECT_EQ(PositionFromPoint(5000, 0, 1000, ch), 1000);
  EXPECT_EQ(PositionFromPoint(9, 0, 1000, ch), 5);  // truncated, not rounded
  EXPECT_EQ(PositionFromPoint(58, 0, 100, ch), 25);
  // A range that does not start at 0 is measured from its minimum.
  EXPECT_EQ(PositionFromPoint(108, 100, 200, ch), 150);
  // Degenerate channels and ranges never divide by zero.
  EXPECT_EQ(PositionFromPoint(50, 0, 1000, SliderChannel{6, 6}), 0);
  EXPECT_EQ(PositionFromPoint(50, 0, 1000, SliderChannel{6, 2}), 0);
  EXPECT_EQ(PositionFromPoint(50, 10, 10, ch), 10);
  EXPECT_EQ(ThumbCentre(5, 10, 10, ch), 8);
  EXPECT_EQ(ThumbCentre(500, 0, 1000, ch), 108);
  EXPECT_EQ(ThumbCentre(2000, 0, 1000, ch), 208);
}

TEST(StatusBoardModel, ShareTextAndWidth) {
  EXPECT_EQ(StatusBoardShare(150), 49);
  EXPECT_EQ(StatusBoardText(150), "150 %");
  EXPECT_EQ(StatusBoardShare(100), 100);
  EXPECT_EQ(StatusBoardShare(101), 0);
  EXPECT_EQ(StatusBoardShare(-7), 0);
  EXPECT_EQ(StatusBoardText(42), "42 %");
  EXPECT_EQ(StatusBoardFilledWidth(300, 100), 300);
  EXPECT_EQ(StatusBoardFilledWidth(300, 49), 147);
  EXPECT_EQ(StatusBoardFilledWidth(0, 50), 0);
}

// --- G-sensor chart ---------------------------------------------------------

GSensorModel LoadedModel(std::size_t count, double samplesPerMs, int plotWidth) {
  GSensorModel m;
  std::vector<GSensorSample> s(count);
  m.SetRange(2.0, 2.0);
  m.ClearSamples();
  m.SetSamples(s.data(), s.size(), {});
  m.SetPlotWidth(plotWidth);
  m.UpdateSpan();
  m.SetSampleRate(samplesPerMs);
  m.SetTimeScale(0.01);
  m.SetSpanMode(2);
  return m;
}

TEST(GSensorModel, ViewWindowFollowsTheCursor) {
  // 120 s at 10 samples per second, 500 px at 100 ms per pixel.
  GSensorModel m = LoadedModel(1200, 0.01, 500);
  m.SetPosition(10000);
  EXPECT_DOUBLE_EQ(m.SpanMs(), 50000);
  EXPECT_DOUBLE_EQ(m.DurationMs(), 120000);
  EXPECT_DOUBLE_EQ(m.ViewStartMs(), 0);
  m.SetPosition(60000);
  EXPECT_DOUBLE_EQ(m.ViewStartMs(), 35000);
  m.SetPosition(119000);
  EXPECT_DOUBLE_EQ(m.ViewStartMs(), 70000);
  // Beyond the end the cursor is clamped to the end.
  m.SetPosition(500000);
  EXPECT_DOUBLE_EQ(m.PositionMs(), 120000);
  EXPECT_DOUBLE_EQ(m.ViewStartMs(), 70000);
  m.SetPosition(-5);
  EXPECT_DOUBLE_EQ(m.PositionMs(), 0);
  EXPECT_DOUBLE_EQ(m.ViewStartMs(), 0);

  // The cursor stands in the middle of the plot while the view scrolls.
  m.SetPosition(60000);
  const GSensorModel::Rect plot{24, 20, 524, 132};
  EXPECT_EQ(m.CursorX(plot, m.PaintSpanMs(plot.Width())), 24 + 250);
  EXPECT_DOUBLE_EQ(m.ColumnTime(0, 500, 50000), 35000);
  EXPECT_EQ(m.SampleIndexAt(m.ColumnTime(499, 500, 50000)), 849);
}

TEST(GSensorModel, TheCurveSpansThePlotWhateverItsWidth) {
  // Samples at 10 per second; 100 ms per pixel would give a one-minute
  // recording only 600 columns.
  const struct {
    std::size_t samples;
    int plotWidth;
  } cases[] = {{600, 1500}, {600, 600}, {30, 1900}, {1200, 500}, {36000, 3800}};
  for (const auto& c : cases) {
    GSensorModel m = LoadedModel(c.samples, 0.01, c.plotWidth);
    m.SetPosition(static_cast<int>(c.samples * 100 - 1));
    const double span = m.PaintSpanMs(c.plotWidth);
    EXPECT_DOUBLE_EQ(m.SpanMs(), span) << c.samples << " on " << c.plotWidth;
    EXPECT_LE(span, m.DurationMs()) << c.samples << " on " << c.plotWidth;
    // The last column shows one of the last samples, so the curve reaches
    // the right edge.
    const long long last = m.SampleIndexAt(m.ColumnTime(c.plotWidth - 1, c.plotWidth, span));
    EXPECT_GE(last, static_cast<long long>(c.samples) - 1 - static_cast<long long>(c.samples) / c.plotWidth - 1)
        << c.samples << " on " << c.plotWidth;
    const GSensorModel::Rect plot{24, 20, 24 + c.plotWidth, 120};
    EXPECT_LE(m.CursorX(plot, span), plot.right) << c.samples << " on " << c.plotWidth;
  }
}

TEST(GSensorModel, ShortRecordingInAutoMode) {
  GSensorModel m = LoadedModel(5, 0.01, 500);  // 500 ms of samples
  m.SetSpanMode(0);
  m.UpdateSpan();
  EXPECT_DOUBLE_EQ(m.SpanMs(), 1000);   // clamped for the view window
  EXPECT_DOUBLE_EQ(m.PaintSpanMs(500), 500);  // the paint uses the real length
  m.SetPosition(400);
  EXPECT_DOUBLE_EQ(m.ViewStartMs(), 0);
  // Fixed span mode.
  m.SetSpanMode(1);
  m.UpdateSpan();
  EXPECT_DOUBLE_EQ(m.SpanMs(), 60000);
}

TEST(GSensorModel, ScalingClampingAndLegendValues) {
  GSensorModel m;
  const GSensorSample raw[2] = {{-128, 64, 127}, {0, 0, 0}};
  m.SetSamples(raw, 2, {});
  m.SetSampleRate(0.01);
  m.SetPosition(0);
  const GSensorModel::Rect plot{24, 20, 524, 132};  // height 112, zero line at 76
  EXPECT_EQ(GSensorModel::ZeroY(plot), 76);
  EXPECT_DOUBLE_EQ(m.ToG(-128), -2.0);
  EXPECT_EQ(m.ValueToY(-2.0, plot), 132);  // bottom edge
  EXPECT_EQ(m.ValueToY(2.0, plot), 20);    // top edge
  m.SetRange(4.0, 1.0);
  // -4 G is drawn on the edge of a +-1 G chart, the legend keeps the value.
  EXPECT_EQ(m.ValueToY(m.ToG(-128), plot), 132);
  const auto v = m.ValuesAtCursor();
  EXPECT_DOUBLE_EQ(v[0], -4.0);
  EXPECT_DOUBLE_EQ(v[1], 2.0);
  EXPECT_EQ(GSensorModel::LegendText(0, v[0]), "X: -4.0000 G    ");
  EXPECT_EQ(m.ScaleLabel(0), " 1G");
  EXPECT_EQ(m.ScaleLabel(1), " 0G");
  EXPECT_EQ(m.ScaleLabel(2), "-1G");
  // Past the last sample the legends read 0.
  m.SetPosition(1000000);
  EXPECT_EQ(m.ValuesAtCursor()[0], 0.0);
}

TEST(GSensorModel, ZeroRangeMeansEightG) {
  GSensorModel m;
  m.SetRange(0, 0);
  EXPECT_DOUBLE_EQ(m.SensorRange(), 8.0);
  EXPECT_DOUBLE_EQ(m.DisplayRange(), 8.0);
  EXPECT_EQ(m.ScaleLabel(0), " 8G");
  m.SetRange(std::nan(""), -3);
  EXPECT_DOUBLE_EQ(m.SensorRange(), 8.0);
  EXPECT_DOUBLE_EQ(m.DisplayRange(), 8.0);
}

TEST(GSensorModel, UnusableRatesAndScalesNeverDivideByZero) {
  const double bad[] = {0.0, -1.0, std::numeric_limits<double>::infinity(), std::nan("")};
  for (double rate : bad) {
    GSensorModel m = LoadedModel(100, rate, 500);
    m.SetPosition(5000);
    EXPECT_EQ(m.DurationMs(), 0) << rate;
    EXPECT_EQ(m.PositionMs(), 0) << rate;
    EXPECT_EQ(m.SampleIndexAt(0), -1) << rate;
    EXPECT_TRUE(std::isfinite(m.SpanMs())) << rate;
    m.SetSpanMode(0);
    EXPECT_DOUBLE_EQ(m.PaintSpanMs(500), 20000) << rate;
  }
  for (double scale : bad) {
    GSensorModel m = LoadedModel(100, 0.01, 500);
    m.SetTimeScale(scale);
    EXPECT_TRUE(std::isfinite(m.SpanMs()) && m.SpanMs() > 0) << scale;
    EXPECT_DOUBLE_EQ(m.PaintSpanMs(500), 20000) << scale;
  }
  // A plot of zero width or height.
  GSensorModel m = LoadedModel(100, 0.01, 0);
  const auto plot = GSensorModel::PlotRect(10, 10);
  EXPECT_EQ(plot.Width(), 0);
  EXPECT_EQ(plot.Height(), 0);
  m.SetPosition(100);
  EXPECT_EQ(m.CursorX(plot, m.PaintSpanMs(0)), plot.left);
  EXPECT_EQ(GSensorModel::TickX(plot, 3, 0), plot.left);
  EXPECT_EQ(GSensorModel::TickCount(std::numeric_limits<double>::infinity()), 0);
}

TEST(GSensorModel, TicksEvery200Ms) {
  const GSensorModel::Rect plot{24, 20, 524, 132};
  EXPECT_EQ(GSensorModel::TickCount(50000), 250);
  EXPECT_EQ(GSensorModel::TickCount(50100), 251);
  EXPECT_EQ(GSensorModel::TickX(plot, 0, 50000), 24);
  EXPECT_EQ(GSensorModel::TickX(plot, 125, 50000), 274);
  EXPECT_EQ(GSensorModel::TickLength(0), 6);
  EXPECT_EQ(GSensorModel::TickLength(5), 4);
  EXPECT_EQ(GSensorModel::TickLength(7), 2);
  EXPECT_EQ(GSensorModel::TickLength(20), 6);
}

TEST(GSensorModel, WideSamplesScaleDoesNotLeakIntoNextRecording) {
  GSensorModel m;
  // The whole 32-bit value counts, not its low byte (0x40): 0x140 is five
  // counts of the three-byte form.
  std::vector<GSensorWideSample> wide{{0x140, -64, 0x7F}};
  EXPECT_EQ(m.SetSamples(nullptr, 0, wide), 0);  // count 0 changes nothing
  EXPECT_EQ(m.SampleCount(), 0u);
  EXPECT_EQ(m.SetSamples(nullptr, 1, wide), 1);
  ASSERT_EQ(m.SampleCount(), 1u);
  EXPECT_EQ(m.Sample(0).x, 0x140);
  EXPECT_EQ(m.Sample(0).y, -64);
  EXPECT_DOUBLE_EQ(m.ExtraScale(), 1.0 / 64);
  EXPECT_DOUBLE_EQ(m.ToG(64), 1.0 / 64);
  m.SetSampleRate(0.01);
  m.SetPosition(0);
  EXPECT_DOUBLE_EQ(m.ValuesAtCursor()[0], 320 * 2.0 / 128 / 64);

  // The next file brings raw samples: full scale again.
  m.ClearSamples();
  const GSensorSample raw{64, 0, 0};
  m.SetSamples(&raw, 1, {});
  EXPECT_DOUBLE_EQ(m.ExtraScale(), 1.0);
  EXPECT_DOUBLE_EQ(m.ToG(64), 1.0);
}

TEST(GSensorModel, LegendClicksToggleOneAxis) {
  GSensorModel m = LoadedModel(100, 0.01, 500);
  m.SetPosition(0);
  m.SetLegendRect(0, {40, 2, 140, 18});
  m.SetLegendRect(1, {148, 2, 248, 18});
  m.SetLegendRect(2, {256, 2, 356, 18});
  EXPECT_EQ(m.ClickLegend(150, 10), 1);
  EXPECT_FALSE(m.AxisEnabled(1));
  EXPECT_TRUE(m.LegendDimmed(1));
  EXPECT_FALSE(m.CurvesVisible(1));
  EXPECT_TRUE(m.CurvesVisible(0));
  EXPECT_EQ(m.ClickLegend(150, 10), 1);
  EXPECT_TRUE(m.AxisEnabled(1));
  EXPECT_EQ(m.ClickLegend(144, 10), -1);  // between two legends
  EXPECT_EQ(m.ClickLegend(150, 30), -1);
  EXPECT_TRUE(m.AxisEnabled(0) && m.AxisEnabled(1) && m.AxisEnabled(2));

  m.SetInactive(true);
  for (int a = 0; a < 3; ++a) {
    EXPECT_TRUE(m.LegendDimmed(a));
    EXPECT_FALSE(m.CurvesVisible(a));
    EXPECT_TRUE(m.AxisEnabled(a));
  }
  // Without samples the legends are dimmed as well.
  GSensorModel empty;
  EXPECT_TRUE(empty.LegendDimmed(0));
}

}  // namespace

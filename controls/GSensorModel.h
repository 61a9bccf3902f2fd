#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "telemetry/TelemetryTypes.h"

// The arithmetic of the G-sensor strip chart, kept apart from the widget so
// that it can be checked without a window. Times are milliseconds from the
// first sample; sample k lies at k / samplesPerMs. Whatever the plot's
// width, the view never spans more than the recording, so the curves reach
// the plot's right edge.
class GSensorModel {
 public:
  enum Axis { kAxisX = 0, kAxisY = 1, kAxisZ = 2, kAxisCount = 3 };

  // A rectangle in client coordinates; right and bottom are exclusive.
  struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
  };

  static constexpr int kTickMs = 200;
  static constexpr double kMinAutoSpanMs = 1000.0;
  static constexpr double kMaxAutoSpanMs = 3600000.0;
  static constexpr double kFallbackSpanMs = 20000.0;
  static constexpr double kDefaultRange = 8.0;
  static constexpr double kWideScale = 1.0 / GSensorWideSample::kStepsPerCount;

  GSensorModel();

  // Appends samples: `count` raw records from `raw`, or one per record of
  // `wide` when it is not empty (then only `count` != 0 matters), whole
  // 32-bit components at kWideScale. Returns 0 and changes nothing when
  // count is 0, else 1.
  int SetSamples(const GSensorSample* raw, std::size_t count, std::vector<GSensorWideSample> wide);
  // Drops every sample, puts the cursor back to 0 and forgets the extra
  // scale of wide samples so it cannot leak into the next recording.
  void ClearSamples();
  void SetRange(double sensorRange, double displayRange);
  void SetSampleRate(double samplesPerMs);
  void SetTimeScale(double pixelsPerMs);
  bool SetSpanMode(int mode);
  void SetPlotWidth(int width) { m_plotWidth = width; }
  void UpdateSpan();
  // Moves the cursor (clamped into the recording) and the view window.
  void SetPosition(int ms);
  void SetInactive(bool flag) { m_inactive = flag; }

  // Acceleration in G of one signed count.
  double ToG(std::int32_t count) const;
  // Index of the sample at time t (ms), or -1 when there is none.
  long long SampleIndexAt(double t) const;
  // The span the paint uses (may differ from SpanMs() in mode 0).
  double PaintSpanMs(int plotWidth) const;

  static Rect PlotRect(int clientWidth, int clientHeight);
  static int ZeroY(const Rect& plot) { return plot.top + plot.Height() / 2; }
  // Number of tick marks across `spanMs` (capped so a huge span stays cheap).
  static long long TickCount(double spanMs);
  static int TickX(const Rect& plot, long long i, double spanMs);
  static int TickLength(long long i);
  // y of a value in G: clamped to the display range.
  int ValueToY(double g, const Rect& plot) const;
  // Time (ms) at a plot column.
  double ColumnTime(int column, int plotWidth, double spanMs) const;
  int CursorX(const Rect& plot, double spanMs) const;
  // Driving events of the recording (ms), drawn as markers; they belong to
  // the recording, not to its samples, so ClearSamples keeps them.
  void SetEventMarks(std::vector<double> ms) { m_eventMarks = std::move(ms); }
  const std::vector<double>& EventMarks() const { return m_eventMarks; }
  // Columns of the event markers inside the view window.
  std::vector<int> EventMarkXs(const Rect& plot, double spanMs) const;
  // G values at the cursor, unclamped; zeros past the end.
  std::array<double, 3> ValuesAtCursor() const;

  static std::string LegendText(int axis, double value);
  std::string ScaleLabel(int which) const;  // 0 top, 1 zero, 2 bottom

  // Legend hit test: toggles the first axis whose rectangle holds the point.
  // Returns the axis toggled, or -1.
  int ClickLegend(int x, int y);
  void SetLegendRect(int axis, const Rect& r) { m_legendRects[axis] = r; }
  const Rect& LegendRect(int axis) const { return m_legendRects[axis]; }
  bool LegendDimmed(int axis) const;
  bool CurvesVisible(int axis) const { return !m_inactive && m_axisEnabled[axis]; }

  bool AxisEnabled(int axis) const { return m_axisEnabled[axis]; }
  void SetAxisEnabled(int axis, bool on) { m_axisEnabled[axis] = on; }

  std::size_t SampleCount() const { return m_samples.size(); }
  // Raw samples are kept widened to the same type, without the extra scale.
  const GSensorWideSample& Sample(std::size_t k) const { return m_samples[k]; }
  std::int32_t Component(std::size_t k, int axis) const;
  double ExtraScale() const { return m_extraScale; }
  double SensorRange() const { return m_sensorRange; }
  double DisplayRange() const { return m_displayRange; }
  double SpanMs() const { return m_spanMs; }
  double DurationMs() const { return m_durationMs; }
  double ViewStartMs() const { return m_viewStartMs; }
  double PositionMs() const { return m_positionMs; }

 private:
  bool RateUsable() const;
  double Duration() const;
  // A span from the time scale, shortened to the recording when that is
  // shorter: a short recording is stretched over the whole plot instead of
  // filling only its left part.
  double FitToRecording(double spanMs) const;

  std::vector<GSensorWideSample> m_samples;
  double m_extraScale = 1.0;
  double m_sensorRange = 2.0;
  double m_displayRange = 2.0;
  double m_samplesPerMs = 0.016;
  double m_pixelsPerMs = 0.025;
  double m_fixedSpanMs = 60000.0;
  int m_spanMode = 0;
  double m_spanMs = 0;
  double m_durationMs = 0;
  double m_viewStartMs = 0;
  double m_positionMs = 0;
  int m_plotWidth = 0;
  bool m_inactive = false;
  std::array<bool, 3> m_axisEnabled{true, true, true};
  std::array<Rect, 3> m_legendRects{};
  std::vector<double> m_eventMarks;
};

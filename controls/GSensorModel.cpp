#include "controls/GSensorModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Integer conversion that never overflows or sees NaN.
long long Truncate(double v) {
  if (!std::isfinite(v)) return 0;
  if (v >= 9.0e18) return 9000000000000000000LL;
  if (v <= -9.0e18) return -9000000000000000000LL;
  return static_cast<long long>(v);
}

int ClampToInt(long long v) {
  return static_cast<int>(std::clamp<long long>(v, -1000000000LL, 1000000000LL));
}

}  // namespace

GSensorModel::GSensorModel() { UpdateSpan(); }

int GSensorModel::SetSamples(const GSensorSample* raw, std::size_t count,
                             std::vector<GSensorWideSample> wide) {
  if (count == 0) return 0;
  if (!wide.empty()) {
    m_extraScale = kWideScale;
    m_samples.reserve(m_samples.size() + wide.size());
    m_samples.insert(m_samples.end(), wide.begin(), wide.end());
    return 1;
  }
  if (!raw) return 0;
  // Raw counts carry no extra scale; a list that starts with them must not
  // inherit the factor of an earlier wide-sample recording.
  if (m_samples.empty()) m_extraScale = 1.0;
  for (std::size_t k = 0; k < count; ++k) m_samples.push_back({raw[k].x, raw[k].y, raw[k].z});
  return 1;
}

void GSensorModel::ClearSamples() {
  m_samples.clear();
  m_positionMs = 0;
  m_durationMs = 0;
  m_extraScale = 1.0;
}

void GSensorModel::SetRange(double sensorRange, double displayRange) {
  // A zero (or unusable) range means the sensor's default full scale.
  if (sensorRange == 0 || !std::isfinite(sensorRange)) sensorRange = kDefaultRange;
  if (displayRange <= 0 || !std::isfinite(displayRange)) displayRange = kDefaultRange;
  m_sensorRange = sensorRange;
  m_displayRange = displayRange;
}

void GSensorModel::SetSampleRate(double samplesPerMs) {
  m_samplesPerMs = samplesPerMs;
  UpdateSpan();
}

void GSensorModel::SetTimeScale(double pixelsPerMs) {
  m_pixelsPerMs = pixelsPerMs;
  UpdateSpan();
}

bool GSensorModel::SetSpanMode(int mode) {
  m_spanMode = mode;
  return true;
}

bool GSensorModel::RateUsable() const {
  return std::isfinite(m_samplesPerMs) && m_samplesPerMs > 0;
}

double GSensorModel::Duration() const {
  // Without a usable rate the samples cannot be placed in time.
  if (!RateUsable()) return 0;
  const double d = static_cast<double>(m_samples.size()) / m_samplesPerMs;
  return std::isfinite(d) ? d : 0;
}

double GSensorModel::FitToRecording(double spanMs) const {
  const double duration = Duration();
  return duration > 0 && spanMs > duration ? duration : spanMs;
}

void GSensorModel::UpdateSpan() {
  m_durationMs = Duration();
  switch (m_spanMode) {
    case 0:
      m_spanMs = std::clamp(m_durationMs, kMinAutoSpanMs, kMaxAutoSpanMs);
      break;
    case 1:
      m_spanMs = m_fixedSpanMs;
      break;
    case 2: {
      const double s = (std::isfinite(m_pixelsPerMs) && m_pixelsPerMs > 0)
                           ? FitToRecording(m_plotWidth / m_pixelsPerMs)
                           : kFallbackSpanMs;
      m_spanMs = std::isfinite(s) ? s : kFallbackSpanMs;
      break;
    }
    default:
      break;
  }
}

void GSensorModel::SetPosition(int ms) {
  m_positionMs = ms;
  UpdateSpan();
  m_positionMs = std::clamp(m_positionMs, 0.0, m_durationMs);
  m_durationMs = Duration();
  if (m_spanMs / 2 > m_positionMs || m_spanMs > m_durationMs) {
    m_viewStartMs = 0;
  } else if (m_durationMs > m_positionMs + m_spanMs / 2) {
    m_viewStartMs = m_positionMs - m_spanMs / 2;  // cursor in the middle
  } else {
    m_viewStartMs = m_durationMs - m_spanMs;  // pinned to the end
  }
}

double GSensorModel::ToG(std::int32_t count) const {
  return count * m_sensorRange / 128.0 * m_extraScale;
}

long long GSensorModel::SampleIndexAt(double t) const {
  if (!RateUsable() || !std::isfinite(t) || t < 0) return -1;
  const long long k = Truncate(static_cast<double>(Truncate(t)) * m_samplesPerMs);
  if (k < 0 || static_cast<std::size_t>(k) >= m_samples.size()) return -1;
  return k;
}

double GSensorModel::PaintSpanMs(int plotWidth) const {
  double span = 0;
  if (m_spanMode == 0) {
    span = RateUsable() ? static_cast<double>(Truncate(m_samples.size() / m_samplesPerMs))
                        : kFallbackSpanMs;
  } else if (m_spanMode == 1) {
    span = m_fixedSpanMs;
  } else if (std::isfinite(m_pixelsPerMs) && m_pixelsPerMs > 0) {
    span = FitToRecording(static_cast<double>(Truncate(plotWidth / m_pixelsPerMs)));
  }
  if (!std::isfinite(span) || span <= 0) span = kFallbackSpanMs;
  return span;
}

GSensorModel::Rect GSensorModel::PlotRect(int clientWidth, int clientHeight) {
  Rect r{24, 20, clientWidth - 2, clientHeight - 8};
  // A window smaller than the margins gets an empty plot, never a negative one.
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

long long GSensorModel::TickCount(double spanMs) {
  const double n = std::ceil(spanMs / kTickMs);
  if (!std::isfinite(n) || n <= 0) return 0;
  return std::min<long long>(Truncate(n), 100000);
}

int GSensorModel::TickX(const Rect& plot, long long i, double spanMs) {
  const double perTick = spanMs / kTickMs;
  if (!(perTick > 0)) return plot.left;
  return plot.left + ClampToInt(Truncate(static_cast<double>(i) * plot.Width() / perTick));
}

int GSensorModel::TickLength(long long i) {
  if (i % 10 == 0) return 6;
  if (i % 10 == 5) return 4;
  return 2;
}

int GSensorModel::ValueToY(double g, const Rect& plot) const {
  if (!std::isfinite(g)) g = 0;
  const double v = std::clamp(g, -m_displayRange, m_displayRange);
  const double scale = plot.Height() / (2 * m_displayRange);
  return ZeroY(plot) - ClampToInt(Truncate(scale * v));
}

double GSensorModel::ColumnTime(int column, int plotWidth, double spanMs) const {
  if (plotWidth <= 0) return m_viewStartMs;
  return column * spanMs / plotWidth + m_viewStartMs;
}

int GSensorModel::CursorX(const Rect& plot, double spanMs) const {
  if (!(spanMs > 0)) return plot.left;
  return plot.left + ClampToInt(Truncate(plot.Width() * (m_positionMs - m_viewStartMs) / spanMs));
}

std::vector<int> GSensorModel::EventMarkXs(const Rect& plot, double spanMs) const {
  std::vector<int> xs;
  if (!(spanMs > 0)) return xs;
  for (double ms : m_eventMarks) {
    const double offset = ms - m_viewStartMs;
    if (offset < 0 || offset >= spanMs) continue;
    xs.push_back(plot.left + ClampToInt(Truncate(plot.Width() * offset / spanMs)));
  }
  return xs;
}

std::int32_t GSensorModel::Component(std::size_t k, int axis) const {
  const GSensorWideSample& s = m_samples[k];
  return axis == kAxisX ? s.x : axis == kAxisY ? s.y : s.z;
}

std::array<double, 3> GSensorModel::ValuesAtCursor() const {
  const long long k = SampleIndexAt(m_positionMs);
  if (k < 0) return {0, 0, 0};
  const auto i = static_cast<std::size_t>(k);
  return {ToG(Component(i, 0)), ToG(Component(i, 1)), ToG(Component(i, 2))};
}

std::string GSensorModel::LegendText(int axis, double value) {
  static const char* const kNames[] = {"X", "Y", "Z"};
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s: %0.4f G    ", kNames[std::clamp(axis, 0, 2)], value);
  return buf;
}

std::string GSensorModel::ScaleLabel(int which) const {
  char buf[48];
  if (which == 0) {
    std::snprintf(buf, sizeof buf, " %1.0fG", m_displayRange);
  } else if (which == 1) {
    std::snprintf(buf, sizeof buf, " %0.0fG", 0.0);
  } else {
    std::snprintf(buf, sizeof buf, "-%1.0fG", m_displayRange);
  }
  return buf;
}

int GSensorModel::ClickLegend(int x, int y) {
  for (int axis = 0; axis < kAxisCount; ++axis) {
    if (m_legendRects[axis].Contains(x, y)) {
      m_axisEnabled[axis] = !m_axisEnabled[axis];
      return axis;
    }
  }
  return -1;
}

bool GSensorModel::LegendDimmed(int axis) const {
  return m_inactive || !m_axisEnabled[axis] || m_durationMs == 0;
}

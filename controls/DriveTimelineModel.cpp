#include "controls/DriveTimelineModel.h"

#include <algorithm>
#include <cstdio>

#include "catalog/CatalogRows.h"

void DriveTimelineModel::SetLayout(const DriveLayout& layout) {
  m_layout = layout;
  m_position = 0;
  m_events.clear();
  m_in = m_out = kNoMark;
}

void DriveTimelineModel::SetEvents(std::vector<std::int64_t> driveMs) {
  std::sort(driveMs.begin(), driveMs.end());
  m_events = std::move(driveMs);
}

std::vector<int> DriveTimelineModel::EventColumns(int width) const {
  std::vector<int> columns;
  for (std::int64_t ms : m_events) columns.push_back(XOf(ms, width));
  return columns;
}

namespace {
// A jump lands on the lead point; "next" must move past the lead point it
// sits on, "previous" past one it left a moment ago.
constexpr std::int64_t kNextSlackMs = 500;
constexpr std::int64_t kPreviousSlackMs = 1500;
}  // namespace

std::int64_t DriveTimelineModel::NextEventTarget(std::int64_t fromMs) const {
  for (std::int64_t ms : m_events) {
    const std::int64_t target = std::max<std::int64_t>(ms - kEventLeadMs, 0);
    if (target > fromMs + kNextSlackMs) return target;
  }
  return kNoMark;
}

std::int64_t DriveTimelineModel::PreviousEventTarget(std::int64_t fromMs) const {
  for (auto it = m_events.rbegin(); it != m_events.rend(); ++it) {
    const std::int64_t target = std::max<std::int64_t>(*it - kEventLeadMs, 0);
    if (target < fromMs - kPreviousSlackMs) return target;
  }
  return kNoMark;
}

void DriveTimelineModel::SetInMark(std::int64_t driveMs) {
  m_in = std::clamp<std::int64_t>(driveMs, 0, m_layout.LengthMs());
  if (m_out != kNoMark && m_out <= m_in) m_out = kNoMark;
}

void DriveTimelineModel::SetOutMark(std::int64_t driveMs) {
  m_out = std::clamp<std::int64_t>(driveMs, 0, m_layout.LengthMs());
  if (m_in != kNoMark && m_in >= m_out) m_in = kNoMark;
}

void DriveTimelineModel::SetPosition(std::int64_t driveMs) {
  m_position = std::clamp<std::int64_t>(driveMs, 0, m_layout.LengthMs());
}

int DriveTimelineModel::XOf(std::int64_t driveMs, int width) const {
  const std::int64_t length = m_layout.LengthMs();
  if (length <= 0 || width <= 1) return 0;
  const std::int64_t ms = std::clamp<std::int64_t>(driveMs, 0, length);
  return static_cast<int>(ms * (width - 1) / length);
}

std::int64_t DriveTimelineModel::MsAt(int x, int width) const {
  const std::int64_t length = m_layout.LengthMs();
  if (length <= 0 || width <= 1) return 0;
  const int column = std::clamp(x, 0, width - 1);
  return static_cast<std::int64_t>(column) * length / (width - 1);
}

std::vector<int> DriveTimelineModel::BoundaryColumns(int width) const {
  std::vector<int> columns;
  for (std::size_t i = 1; i < m_layout.pieces.size(); ++i)
    columns.push_back(XOf(m_layout.pieces[i].startMs, width));
  return columns;
}

std::string DriveTimelineModel::DurationText(std::int64_t ms) {
  const std::int64_t total = std::max<std::int64_t>(ms, 0) / 1000;
  const long long h = total / 3600, m = total / 60 % 60, s = total % 60;
  char text[32];
  if (h > 0)
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", h, m, s);
  else
    std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, s);
  return text;
}

std::string DriveTimelineModel::ElapsedText() const {
  return DurationText(m_position) + " / " + DurationText(m_layout.LengthMs());
}

std::string DriveTimelineModel::ClockText(std::int64_t driveMs) const {
  const std::int64_t t = m_layout.ClockAt(driveMs);
  if (t == 0) return {};
  return FormatLocalTime(t, "%H:%M:%S");
}

// What the window benchmarks share: millisecond clocks, waiting with the
// event loop running, and the median of a series.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double MsSince(Clock::time_point t0, Clock::time_point t1) {
  return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

// Runs the event loop until `done` or the time is up; false on time-out.
// `pauseUs` between rounds leaves the processor to the players' threads.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs, unsigned long pauseUs = 0) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (pauseUs) QThread::usleep(pauseUs);
  }
  return true;
}

// The median; `none` for an empty series.
inline double Median(std::vector<double> v, double none) {
  if (v.empty()) return none;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace bench

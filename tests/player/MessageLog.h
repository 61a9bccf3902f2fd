#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/qt/WindowMessage.h"

// Receiver standing in for the main window: records every custom message it
// gets and the thread it got it on.
class MessageLog : public QObject {
 public:
  struct Entry {
    unsigned message;
    std::intptr_t wParam;
    bool onOwnThread;
  };

  bool event(QEvent* e) override {
    if (!WindowMessage::IsWindowMessage(e)) return QObject::event(e);
    const auto* m = static_cast<WindowMessage*>(e);
    entries.push_back({m->Message(), m->WParam(), QThread::currentThread() == thread()});
    return true;
  }

  std::vector<std::intptr_t> Params(unsigned message) const {
    std::vector<std::intptr_t> out;
    for (const auto& e : entries)
      if (e.message == message) out.push_back(e.wParam);
    return out;
  }
  bool Has(unsigned message) const { return !Params(message).empty(); }
  bool Has(unsigned message, std::intptr_t wParam) const {
    for (const auto& e : entries)
      if (e.message == message && e.wParam == wParam) return true;
    return false;
  }

  std::vector<Entry> entries;
};

// Runs the event loop until the condition holds or the limit passes; the
// limit is generous and only guards against a hang.
inline bool WaitUntil(const std::function<bool()>& condition, int limitMs = 15000) {
  QDeadlineTimer deadline(limitMs);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

#pragma once

#include <QEvent>
#include <QObject>
#include <cstdint>

#include "platform/WindowMessageIds.h"

// A custom window message as a Qt event: the QEvent type is the message
// number itself (0xC01..0xC0E lie inside Qt's user range) and the event
// carries the two parameters unchanged.
class CWindowMessage : public QEvent {
 public:
  CWindowMessage(unsigned message, std::intptr_t wParam, std::intptr_t lParam = 0)
      : QEvent(static_cast<QEvent::Type>(message)), m_wParam(wParam), m_lParam(lParam) {}

  unsigned Message() const { return static_cast<unsigned>(type()); }
  std::intptr_t WParam() const { return m_wParam; }
  std::intptr_t LParam() const { return m_lParam; }

  // True when the event is one of the main window's custom messages.
  static bool IsWindowMessage(const QEvent* e);

 private:
  std::intptr_t m_wParam;
  std::intptr_t m_lParam;
};

// Queues the message for the receiver's thread; safe from any thread,
// including the media-player library's callback threads.
void PostWindowMessage(QObject* receiver, unsigned message, std::intptr_t wParam,
                       std::intptr_t lParam = 0);

// Delivers the message at once on the calling (main) thread and returns
// whether the receiver accepted it.
bool SendWindowMessage(QObject* receiver, unsigned message, std::intptr_t wParam,
                       std::intptr_t lParam = 0);

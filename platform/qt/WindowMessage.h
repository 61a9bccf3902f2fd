#pragma once

#include <QEvent>
#include <QObject>
#include <cstdint>

#include "platform/WindowMessageIds.h"

// A player message as a Qt event: the QEvent type is the message number
// itself (0xC01..0xC0E lie inside Qt's user range) and the event carries
// the parameter unchanged.
class WindowMessage : public QEvent {
 public:
  WindowMessage(unsigned message, std::intptr_t wParam)
      : QEvent(static_cast<QEvent::Type>(message)), m_wParam(wParam) {}

  unsigned Message() const { return static_cast<unsigned>(type()); }
  std::intptr_t WParam() const { return m_wParam; }

  // True when the event is one of the messages of WindowMessageIds.h.
  static bool IsWindowMessage(const QEvent* e);

 private:
  std::intptr_t m_wParam;
};

// Queues the message for the receiver's thread; safe from any thread,
// including the media-player library's callback threads.
void PostWindowMessage(QObject* receiver, unsigned message, std::intptr_t wParam);

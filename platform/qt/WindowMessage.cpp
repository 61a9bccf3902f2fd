#include "platform/qt/WindowMessage.h"

#include <QCoreApplication>

bool WindowMessage::IsWindowMessage(const QEvent* e) {
  switch (static_cast<unsigned>(e->type())) {
    case WM_PLAYER_ERROR:
    case WM_PLAYER_STATE:
    case WM_PLAYER_TIME:
    case WM_PLAYER_END:
    case WM_SECOND_END:
      return true;
    default:
      return false;
  }
}

void PostWindowMessage(QObject* receiver, unsigned message, std::intptr_t wParam) {
  if (!receiver) return;
  QCoreApplication::postEvent(receiver, new WindowMessage(message, wParam));
}

#include "platform/qt/WindowMessage.h"

#include <QCoreApplication>

bool CWindowMessage::IsWindowMessage(const QEvent* e) {
  const auto t = static_cast<unsigned>(e->type());
  return t >= WM_PLAYER_ERROR && t <= WM_SECOND_END && t != 0xC03 && t != 0xC05;
}

void PostWindowMessage(QObject* receiver, unsigned message, std::intptr_t wParam,
                       std::intptr_t lParam) {
  if (!receiver) return;
  QCoreApplication::postEvent(receiver, new CWindowMessage(message, wParam, lParam));
}

bool SendWindowMessage(QObject* receiver, unsigned message, std::intptr_t wParam,
                       std::intptr_t lParam) {
  if (!receiver) return false;
  CWindowMessage msg(message, wParam, lParam);
  return QCoreApplication::sendEvent(receiver, &msg) && msg.isAccepted();
}

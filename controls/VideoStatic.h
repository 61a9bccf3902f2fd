// CVideoStatic: a video surface, a QWidget holding the native window libVLC draws into.
#pragma once

#include <QBackingStore>
#include <memory>
#include <QWidget>
#include <QWindow>

class CVideoStatic;

// The native window the media player renders into. Its mouse input is
// forwarded to the owning surface so that double-clicks over the video
// still reach the application.
class NativeVideoWindow : public QWindow {
  Q_OBJECT
 public:
  explicit NativeVideoWindow(CVideoStatic* owner);

 protected:
  void exposeEvent(QExposeEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;

 private:
  void Fill();

  CVideoStatic* m_owner;  // owns this window (through its container)
  std::unique_ptr<QBackingStore> m_store;
};

// A video surface: near-black between playbacks, with an optional large
// running count (shown during a media scan). A double-click emits
// fullScreenRequested. The picture itself goes into a native child window
// whose id VideoWindowId() hands to the media player
// (libvlc_media_player_set_xwindow on X11); it is hidden while the count is
// shown.
class CVideoStatic : public QWidget {
  Q_OBJECT
 public:
  explicit CVideoStatic(QWidget* parent = nullptr);
  ~CVideoStatic() override;

  // Native window id for the media player; creates the window on first use.
  WId VideoWindowId();
  QWindow* VideoWindow() const { return m_window; }
  QWidget* VideoContainer() const { return m_container; }

  void SetCountVisible(bool flag);
  void SetCount(int n);
  bool CountVisible() const { return m_countVisible; }
  int Count() const { return m_count; }
  static QString CountText(int n);

  // Called for a press / double-click anywhere on the surface.
  void OnPress();
  void OnDoubleClick();

 signals:
  void fullScreenRequested();

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;

 private:
  void UpdateContainer();

  NativeVideoWindow* m_window = nullptr;
  QWidget* m_container = nullptr;
  bool m_countVisible = false;
  int m_count = 0;
};

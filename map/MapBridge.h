// CMapBridge: the one object the map page reaches through Qt WebChannel.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

// A page may come from a web server (UI/MAP_URL), so it is remote content:
// the bridge offers it exactly two calls, both taking a point index of the
// drive shown, and hands out nothing but the clock time and speed there.
// It has no properties, signals or slots of its own; the handlers are
// plain members, out of the page's reach.
class CMapBridge : public QObject {
  Q_OBJECT
 public:
  using SeekHandler = std::function<void(int)>;
  using InfoHandler = std::function<QString(int)>;
  CMapBridge(SeekHandler seek, InfoHandler info, QObject* parent = nullptr);

  // The user clicked the route at drive point `index`.
  Q_INVOKABLE void seekToPoint(int index);
  // The text shown while hovering over drive point `index`; empty for an
  // index outside the drive.
  Q_INVOKABLE QString pointInfo(int index);

 private:
  SeekHandler m_seek;
  InfoHandler m_info;
};

#include "map/MapBridge.h"

#include <utility>

CMapBridge::CMapBridge(SeekHandler seek, InfoHandler info, QObject* parent)
    : QObject(parent), m_seek(std::move(seek)), m_info(std::move(info)) {}

void CMapBridge::seekToPoint(int index) {
  if (m_seek) m_seek(index);
}

QString CMapBridge::pointInfo(int index) { return m_info ? m_info(index) : QString(); }

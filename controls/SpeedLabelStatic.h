// CSpeedLabelStatic: the speed display, a QWidget.
#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

// Speed display: a three-digit number and its unit, km/h or mph; a click
// switches the unit (not kept in the settings).
class CSpeedLabelStatic : public QWidget {
  Q_OBJECT
 public:
  explicit CSpeedLabelStatic(QWidget* parent = nullptr);

  int SetSpeed(std::uint16_t kmh, bool valid);
  void SetKmh(bool kmh);
  void ToggleUnit();

  bool IsKmh() const { return m_kmh; }
  bool IsValid() const { return m_valid; }
  std::uint16_t Speed() const { return m_speed; }
  const QString& Text() const { return m_text; }
  const QString& Unit() const { return m_unit; }

 signals:
  void UnitChanged(bool kmh);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;

 private:
  void RebuildTexts();

  std::uint16_t m_speed = 0;
  bool m_kmh = true;
  bool m_valid = false;  // nothing is shown until a fix arrives
  bool m_pressed = false;
  QString m_text;
  QString m_unit;
};

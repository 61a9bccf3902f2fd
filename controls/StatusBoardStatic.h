// CStatusBoardStatic: the progress bar of file operations, a QWidget.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// Horizontal percentage bar with the percentage centred on it; shown by the
// first SetPercent, hidden by its caller.
class CStatusBoardStatic : public QWidget {
  Q_OBJECT
 public:
  explicit CStatusBoardStatic(QWidget* parent = nullptr);

  // Shows the bar; the filled share is percent modulo 101, the text shows
  // percent as passed. Repaints at once.
  void SetPercent(int percent);
  // Numbered tile image for the filled part; 0 = solid bar colour.
  void SetPattern(int bitmapId);

  int Percent() const { return m_percent; }
  const QString& Text() const { return m_text; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  int m_percent = 0;
  QString m_text;
  QColor m_restColor{5, 5, 5};
  QColor m_textColor{5, 5, 5};
  QColor m_barColor{5, 5, 5};
  int m_patternId = 0;
  QImage m_pattern;
};

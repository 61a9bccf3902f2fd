// CQorToolTipCtrl: the main window's tooltips, a QObject filtering tooltip events.
#pragma once

#include <QFrame>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QLabel;
class QWidget;

// The tip window: an optional 32 x 32 icon left of the tool text, with an
// optional description line under the text.
class ToolTipWindow : public QFrame {
  Q_OBJECT
 public:
  static constexpr int kIconSize = 32;
  explicit ToolTipWindow(QWidget* parent = nullptr);
  // Icon id 0 (or an image that cannot be loaded) shows no icon.
  void SetContent(const QString& text, const QString& description, int iconId);
  QString Text() const;
  QString Description() const;
  bool HasIcon() const;

 private:
  QLabel* m_icon;
  QLabel* m_text;
  QLabel* m_description;
};

// The main window's tooltip control. Each tool is a widget with a text and
// a control id; icon items attach a description string and an icon to the
// control id. The tip appears on the widget's tooltip request.
class CQorToolTipCtrl : public QObject {
  Q_OBJECT
 public:
  struct IconItem {
    int controlId = 0;
    int descriptionId = 0;  // 0: no description
    int iconId = 0;         // 0: no icon
  };

  explicit CQorToolTipCtrl(QObject* parent = nullptr);
  ~CQorToolTipCtrl() override;

  // Creates the tip window (a top-level tooltip window owned by this
  // object) and activates or deactivates the control. Returns true.
  bool CreateThemed(QWidget* parent, int style, bool activate);
  void Activate(bool on);
  bool IsActive() const { return m_active; }

  // Adds a tool for `window` (or replaces its text and id). The rectangle is
  // accepted for compatibility; the whole widget is the tool area.
  int AddControlTool(QWidget* window, const QString& text, const QRect& rect, int id);
  void RemoveAllControlTools();
  void AddIconItem(int controlId, int descriptionId, int iconId);

  // Resolves description string ids in the current language.
  void SetStringLoader(std::function<QString(int)> loader) { m_loader = std::move(loader); }

  // Shows the tip of `window` at global position `pos`; false when the
  // control is inactive or the window has no tool.
  bool ShowTipFor(QWidget* window, const QPoint& pos);
  void HideTip();
  ToolTipWindow* TipWindow() const { return m_tip; }
  std::size_t ToolCount() const { return m_tools.size(); }
  QString ToolText(QWidget* window) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Tool {
    QPointer<QWidget> window;
    QString text;
    int id = 0;
  };
  const Tool* FindTool(const QObject* window) const;
  const IconItem* FindIconItem(int controlId) const;

  std::vector<Tool> m_tools;
  std::vector<IconItem> m_iconItems;
  std::function<QString(int)> m_loader;
  ToolTipWindow* m_tip = nullptr;
  bool m_active = false;
  int m_showingId = 0;
};

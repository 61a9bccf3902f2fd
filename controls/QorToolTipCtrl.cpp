#include "controls/QorToolTipCtrl.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

#include "controls/GdiPlusBitmapResource.h"

ToolTipWindow::ToolTipWindow(QWidget* parent)
    : QFrame(parent, Qt::ToolTip | Qt::FramelessWindowHint),
      m_icon(new QLabel(this)),
      m_text(new QLabel(this)),
      m_description(new QLabel(this)) {
  setObjectName(QStringLiteral("QorToolTip"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setStyleSheet(QStringLiteral(
      "#QorToolTip { background: #26292d; border: 1px solid #f0a030; }"
      "QLabel { color: #e8e8e8; background: transparent; }"));
  m_icon->setFixedSize(kIconSize, kIconSize);
  m_icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QFont bold = m_text->font();
  bold.setBold(true);
  m_text->setFont(bold);
  m_description->setStyleSheet(QStringLiteral("color: #b0b0b0;"));

  auto* texts = new QVBoxLayout;
  texts->setSpacing(2);
  texts->addWidget(m_text);
  texts->addWidget(m_description);
  texts->addStretch(1);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(6, 5, 8, 5);
  row->setSpacing(8);
  row->addWidget(m_icon, 0, Qt::AlignTop);
  row->addLayout(texts, 1);
}

void ToolTipWindow::SetContent(const QString& text, const QString& description, int iconId) {
  m_text->setText(text);
  m_description->setText(description);
  m_description->setVisible(!description.isEmpty());
  CGdiPlusBitmapResource icon;
  if (iconId != 0 && icon.LoadResourceImage(iconId)) {
    // Scaled in device pixels, so that an image for a high-density screen
    // stays sharp at the icon's logical size.
    const qreal ratio = icon.Image().devicePixelRatio();
    QImage scaled = icon.Image().scaled(QSize(kIconSize, kIconSize) * ratio, Qt::KeepAspectRatio,
                                        Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(ratio);
    m_icon->setPixmap(QPixmap::fromImage(scaled));
    m_icon->show();
  } else {
    m_icon->clear();
    m_icon->hide();
  }
  if (layout()) layout()->activate();
  resize(sizeHint());
}

QString ToolTipWindow::Text() const { return m_text->text(); }
QString ToolTipWindow::Description() const { return m_description->text(); }
bool ToolTipWindow::HasIcon() const { return !m_icon->isHidden(); }

CQorToolTipCtrl::CQorToolTipCtrl(QObject* parent) : QObject(parent) {}

CQorToolTipCtrl::~CQorToolTipCtrl() {
  RemoveAllControlTools();
  delete m_tip;
}

bool CQorToolTipCtrl::CreateThemed(QWidget*, int, bool activate) {
  if (!m_tip) m_tip = new ToolTipWindow;
  Activate(activate);
  return true;
}

void CQorToolTipCtrl::Activate(bool on) {
  m_active = on;
  if (!on) HideTip();
}

int CQorToolTipCtrl::AddControlTool(QWidget* window, const QString& text, const QRect&, int id) {
  if (!window) return 0;
  for (auto& t : m_tools) {
    if (t.window == window) {
      t.text = text;
      t.id = id;
      return 1;
    }
  }
  m_tools.push_back({window, text, id});
  window->installEventFilter(this);
  return 1;
}

void CQorToolTipCtrl::RemoveAllControlTools() {
  for (auto& t : m_tools) {
    if (t.window) t.window->removeEventFilter(this);
  }
  m_tools.clear();
  HideTip();
}

void CQorToolTipCtrl::AddIconItem(int controlId, int descriptionId, int iconId) {
  m_iconItems.push_back({controlId, descriptionId, iconId});
}

const CQorToolTipCtrl::Tool* CQorToolTipCtrl::FindTool(const QObject* window) const {
  for (const auto& t : m_tools) {
    if (t.window == window) return &t;
  }
  return nullptr;
}

const CQorToolTipCtrl::IconItem* CQorToolTipCtrl::FindIconItem(int controlId) const {
  for (const auto& item : m_iconItems) {
    if (item.controlId == controlId) return &item;
  }
  return nullptr;
}

QString CQorToolTipCtrl::ToolText(QWidget* window) const {
  const Tool* t = FindTool(window);
  return t ? t->text : QString();
}

bool CQorToolTipCtrl::ShowTipFor(QWidget* window, const QPoint& pos) {
  const Tool* tool = FindTool(window);
  if (!m_active || !tool || tool->text.isEmpty()) return false;
  if (!m_tip) m_tip = new ToolTipWindow;
  const IconItem* item = FindIconItem(tool->id);
  QString description;
  if (item && item->descriptionId != 0 && m_loader) description = m_loader(item->descriptionId);
  m_tip->SetContent(tool->text, description, item ? item->iconId : 0);

  // Below-right of the pointer, kept on the pointer's screen.
  QPoint at = pos + QPoint(12, 18);
  if (const QScreen* screen = window->screen()) {
    const QRect avail = screen->availableGeometry();
    at.setX(std::min(at.x(), avail.right() - m_tip->width()));
    at.setY(std::min(at.y(), avail.bottom() - m_tip->height()));
    at.setX(std::max(at.x(), avail.left()));
    at.setY(std::max(at.y(), avail.top()));
  }
  m_tip->move(at);
  m_tip->show();
  m_showingId = tool->id;
  return true;
}

void CQorToolTipCtrl::HideTip() {
  if (m_tip) m_tip->hide();
  m_showingId = 0;
}

bool CQorToolTipCtrl::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ToolTip: {
      auto* widget = qobject_cast<QWidget*>(watched);
      auto* help = static_cast<QHelpEvent*>(event);
      if (widget && ShowTipFor(widget, help->globalPos())) return true;
      break;
    }
    case QEvent::Leave:
    case QEvent::Hide:
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
      HideTip();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

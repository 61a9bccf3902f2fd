#include "dialogs/AboutDlg.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppSettings.h"
#include "app/StringIds.h"
#include "app/StringTable.h"
#include "controls/ImageResources.h"
#include "dialogs/WindowTitle.h"
#include "platform/Version.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(WindowTitle(kStrAboutMenu));
  auto* icon = new QLabel(this);
  icon->setPixmap(QIcon(ImageResourcePath(kIconApp)).pixmap(32, 32));
  m_version = new QLabel(this);
  m_version->setObjectName(QString::number(kIdVersion));
  m_version->setText(QStringLiteral("%1, Version %2")
                         .arg(QLatin1String(vantrel::kProductName),
                              QLatin1String(vantrel::kProductVersion)));
  // Which settings file is in use: the working directory's or, started from
  // the desktop menu, the one in the user's configuration folder.
  auto* settingsFile = new QLabel(QString::fromStdString(GetSettings().GetIniPath()), this);
  settingsFile->setObjectName(QStringLiteral("settingsFile"));
  settingsFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* ok = new QPushButton(QString::fromStdString(LoadLocalizedString(kStrOk)), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  auto* text = new QVBoxLayout;
  text->addWidget(m_version);
  text->addWidget(settingsFile);
  top->addLayout(text, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(buttons);
}

QString CAboutDlg::VersionText() const { return m_version->text(); }

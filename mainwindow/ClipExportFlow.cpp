#include "mainwindow/ClipExportFlow.h"

#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include "app/StringIds.h"
#include "app/StringTable.h"
#include "telemetry/TelemetryUtil.h"
#include "controls/DriveTimeline.h"
#include "dialogs/ExportDlg.h"
#include "mainwindow/ZELDlg.h"
#include "mainwindow/core/ClipSpan.h"

namespace {

QString Localized(int id) { return QString::fromStdString(LoadLocalizedString(id)); }

bool RunExportDialog(QWidget* parent, ExportRequest& request, const QString& spanText, bool hasRear) {
  const QString stamp = QString::fromStdString(FormatLocalTime(request.start, "%Y%m%d-%H%M%S"));
  const QString path = QDir::home().filePath(QStringLiteral("VANTREL-%1.mp4").arg(stamp));
  ExportDlg dialog(spanText, path, hasRear, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  const ExportChoice c = dialog.Choice();
  request.layout = c.layout;
  request.overlay = c.overlay;
  request.copy = c.copy;
  request.outPath = c.path.toStdString();
  return true;
}

bool DriveHasRear(const MediaCatalog& catalog, const DriveLayout& layout) {
  for (const DrivePiece& p : layout.pieces)
    if (catalog.CompanionOf(p.entry) >= 0) return true;
  return false;
}

}  // namespace

ClipExportFlow::ClipExportFlow(CZELDlg& window) : QObject(&window), m_window(window) {
  m_choose = [this](ExportRequest& request, const QString& spanText, bool hasRear) {
    return RunExportDialog(&m_window, request, spanText, hasRear);
  };
  m_tell = [this](const QString& text) {
    auto* box = new QMessageBox(QMessageBox::NoIcon, Localized(kStrExportTitle), text, QMessageBox::Ok, &m_window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
  };
}

ClipExportFlow::~ClipExportFlow() {
  if (!m_thread) return;
  m_cancel = true;
  m_thread->wait();
  delete m_thread;
}

bool ClipExportFlow::Open() {
  if (Running()) return false;
  const DriveTimelineModel& marks = m_window.Timeline()->Model();
  ExportRequest request;
  if (!marks.HasSpan() ||
      !FillExportSpan(m_window.Catalog(), marks.Layout(), marks.InMark(), marks.OutMark(), request)) {
    m_tell(Localized(kStrExportNeedsMarks));
    return false;
  }
  const QString spanText = QString::fromStdString(FormatLocalDateTime(request.start) + "  -  " +
                                                  FormatLocalDateTime(request.end));
  const bool wasPlaying = m_window.Playback().HoldForDialog();
  const bool chosen = m_choose(request, spanText, DriveHasRear(m_window.Catalog(), marks.Layout()));
  m_window.Playback().ResumeAfterHold(wasPlaying);
  if (!chosen) return false;
  Start(request);
  return true;
}

void ClipExportFlow::Start(const ExportRequest& request) {
  m_request = request;
  m_result = {};
  m_cancel = false;
  m_percent = -1;
  m_thread = QThread::create([this] {
    m_result = ExportClip(m_request, [this](double fraction) {
      // Only a new whole percent crosses to the window thread.
      const int percent = static_cast<int>(fraction * 100);
      if (m_percent.exchange(percent) != percent)
        QMetaObject::invokeMethod(this, [this, percent] { OnProgress(percent); }, Qt::QueuedConnection);
      return !m_cancel.load();
    });
  });
  connect(m_thread, &QThread::finished, this, &ClipExportFlow::OnFinished);
  if (!m_cancelButton) {
    m_cancelButton = new QPushButton(Localized(kStrCancel), &m_window);
    connect(m_cancelButton, &QPushButton::clicked, this, &ClipExportFlow::Cancel);
  }
  OnProgress(0);
  m_thread->start();
}

void ClipExportFlow::OnProgress(int percent) {
  if (!m_thread) return;
  m_window.ShowProgress(percent, true);
  // The button sits at the right end of the bar.
  if (QWidget* bar = m_window.Control(kIdProgress)) {
    const QRect g = bar->geometry();
    m_cancelButton->setGeometry(g.right() + 4, g.top(), 80, std::max(g.height(), 22));
  }
  m_cancelButton->show();
  m_cancelButton->raise();
}

void ClipExportFlow::OnFinished() {
  m_thread->deleteLater();
  m_thread = nullptr;
  m_window.ShowProgress(0, false);
  m_cancelButton->hide();
  if (m_result.cancelled) {
    m_tell(Localized(kStrExportCancelled));
  } else if (!m_result.ok) {
    m_tell(Localized(kStrExportFailed).replace(QLatin1String("%1"), QString::fromStdString(m_result.error)));
  } else {
    QString text = Localized(kStrExportDone).replace(QLatin1String("%1"), QString::fromStdString(m_result.videoPath));
    for (const std::string& notice : m_result.notices) text += "\n" + QString::fromStdString(notice);
    m_tell(text);
  }
  emit finished();
}

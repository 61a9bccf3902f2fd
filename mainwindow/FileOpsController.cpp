#include "mainwindow/FileOpsController.h"

#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QWidget>

#include "app/AppSettings.h"
#include "app/StringIds.h"
#include "app/StringTable.h"
#include "dialogs/FolderDialog.h"
#include "dialogs/MediaOpenDialog.h"
#include "player/CVlcPlayer.h"
#include "catalog/MediaCatalog.h"

namespace {

QString Localized(int id) { return QString::fromStdString(LoadLocalizedString(id)); }

// A text the tables may not carry yet; English until they do.
QString LocalizedOr(int id, const char* english) {
  const std::string text = LoadLocalizedString(id);
  return text.empty() ? QString::fromUtf8(english) : QString::fromStdString(text);
}

QString WithPath(QString text, const QString& path) {
  return text.replace(QLatin1String("%s"), path);
}

int TotalTicked(const MediaCatalog& catalog) {
  int total = 0;
  for (const MediaGroup& g : catalog.Groups())
    if (g.checked) total += g.memberCount;
  return total;
}

}  // namespace

FileOpsController::FileOpsController(QWidget* owner, MediaCatalog& catalog, CVlcPlayer* channel1,
                                       FileOpsHooks hooks)
    : m_owner(owner), m_catalog(catalog), m_channel1(channel1), m_hooks(std::move(hooks)),
      m_ops(catalog) {
  m_messageBox = [this](QMessageBox::Icon icon, const QString& caption, const QString& text,
                        QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, caption, text, buttons, m_owner);
    return static_cast<QMessageBox::StandardButton>(box.exec());
  };
  m_notice = [this](QMessageBox::Icon icon, const QString& caption, const QString& text,
                    QMessageBox::StandardButtons buttons) {
    auto* box = new QMessageBox(icon, caption, text, buttons, m_owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);  // the window stays usable behind it
    box->show();
    return QMessageBox::Ok;
  };
  m_chooseMedia = [this](int& kind, QString& path) {
    CMediaOpenDialog dialog(m_owner);
    if (dialog.DoModal() != 1) return false;
    kind = dialog.GetSourceKind();
    path = kind == CMediaOpenDialog::kSourceDisk     ? dialog.GetDrive()
           : kind == CMediaOpenDialog::kSourceFolder ? dialog.GetFolderPath()
                                                     : dialog.GetFilePath();
    return true;
  };
  m_chooseFolder = [this] {
    CFolderDialog dialog(Localized(kStrSelectFolder), QString(), m_owner,
                         CFolderDialog::kFolderBrowseFlags);
    return dialog.DoModal() == 1 ? dialog.GetFolderPath() : QString();
  };
  m_chooseSnapshot = [] {
    QFileDialog dialog(nullptr);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({QStringLiteral("Jpeg File(*.jpg)"), QStringLiteral("Png File(*.png)")});
    dialog.setDefaultSuffix(QStringLiteral("jpg"));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
      dialog.setDefaultSuffix(f.contains(QLatin1String("png")) ? QStringLiteral("png")
                                                                : QStringLiteral("jpg"));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().first();
  };
  m_ops.SetOverwriteQuestion([this](const std::string& target) {
    const QString text = WithPath(Localized(kStrOverwriteQuestion), QString::fromStdString(target));
    return Ask(QMessageBox::NoIcon, kStrOverwriteTitle, text,
               QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
  });
  m_ops.SetProgressDisplay([this](int percent, bool visible) {
    if (m_hooks.showProgress) m_hooks.showProgress(percent, visible);
  });
}

QMessageBox::StandardButton FileOpsController::Ask(QMessageBox::Icon icon, StringId caption,
                                                    const QString& text,
                                                    QMessageBox::StandardButtons buttons) {
  return m_messageBox(icon, Localized(caption), text, buttons);
}

void FileOpsController::Tell(StringId caption, StringId text) {
  Ask(QMessageBox::NoIcon, caption, Localized(text), QMessageBox::Ok);
}

bool FileOpsController::RefuseEmptyCatalogue() {
  if (!m_catalog.Empty()) return false;
  Tell(kStrNoRecordingTitle, kStrNoRecording);
  return true;
}

// ------------------------------------------------------------------- open

// A folder or file that is not there must not cost the user the list that
// is open now: the catalogue is only replaced for a source that exists.
bool FileOpsController::IsUsableSource(int kind, const QString& path) const {
  if (path.isEmpty()) return false;
  const QFileInfo info(path);
  if (kind == CMediaOpenDialog::kSourceFile) return info.exists() && !info.isDir();
  return info.isDir();
}

bool FileOpsController::Hold() { return m_hooks.holdPlayback && m_hooks.holdPlayback(); }

void FileOpsController::Resume(bool wasPlaying) {
  if (m_hooks.resumePlayback) m_hooks.resumePlayback(wasPlaying);
}

int FileOpsController::OnOpen() {
  if (!m_catalog.Empty() && m_hooks.isBusy && m_hooks.isBusy()) return 0;
  // Playback only pauses while the user chooses: a Cancel leaves it as it was.
  const bool wasPlaying = Hold();
  int kind = CMediaOpenDialog::kSourceFile;
  QString path;
  const bool chosen = m_chooseMedia && m_chooseMedia(kind, path);
  // No disk to choose: nothing happens, as with an empty drive list.
  if (!chosen || (kind == CMediaOpenDialog::kSourceDisk && path.isEmpty())) {
    Resume(wasPlaying);
    return 0;
  }
  if (!IsUsableSource(kind, path)) {
    ReportMissing(true);
    Resume(wasPlaying);
    return 0;
  }
  if (m_hooks.prepareOpen) m_hooks.prepareOpen();
  const int opened = m_hooks.openMedia ? m_hooks.openMedia(kind, path) : 0;
  ReportLoad(true);
  return opened;
}

void FileOpsController::ReportMissing(bool waits) {
  (waits ? m_messageBox : m_notice)(QMessageBox::Warning, Localized(kStrWarning),
                                    Localized(kStrFolderMissing), QMessageBox::Ok);
}

// Files that are not recordings stay listed as unreadable; a card of only
// such files has nothing to play, which is said first.
void FileOpsController::ReportLoad(bool waits) {
  const int unreadable = m_catalog.UnreadableCount();
  QStringList lines;
  if (m_catalog.EntryCount() == unreadable) lines << Localized(kStrNoRecording);
  if (unreadable > 0)
    lines << Localized(kStrUnreadableFiles).arg(unreadable);
  if (lines.isEmpty()) return;
  (waits ? m_messageBox : m_notice)(QMessageBox::Warning, Localized(kStrWarning),
                                    lines.join(QLatin1Char('\n')), QMessageBox::Ok);
}

// ------------------------------------------------------------ bulk commands

int FileOpsController::OnDelete() {
  if (RefuseEmptyCatalogue()) return 0;
  const bool wasPlaying = Hold();
  if (Ask(QMessageBox::NoIcon, kStrDeleteTitle, Localized(kStrDeleteQuestion),
          QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok) {
    Resume(wasPlaying);
    return 0;
  }
  if (!m_ops.DeleteTicked()) {
    Tell(kStrSelectionTitle, kStrNothingTicked);
    Resume(wasPlaying);
    return 0;
  }
  // A channel must not keep a file that is gone, nor offer it to Play;
  // the deletion of other drives leaves playback as it was.
  const bool gone = m_ops.LastCounts().done > 0 &&
                    (!m_hooks.playingFilesGone || m_hooks.playingFilesGone());
  if (!gone) {
    Resume(wasPlaying);
    return 1;
  }
  if (m_hooks.stopChannels) m_hooks.stopChannels();
  if (m_hooks.hidePictures) m_hooks.hidePictures();
  if (m_hooks.closeChannels) m_hooks.closeChannels();
  return 1;
}

int FileOpsController::OnUnlock() {
  if (RefuseEmptyCatalogue()) return 0;
  if (!m_ops.UnlockTicked()) {
    Tell(kStrSelectionTitle, kStrNothingTicked);
    return 0;
  }
  return 1;
}

int FileOpsController::OnSaveAs() {
  if (RefuseEmptyCatalogue()) return 0;
  // Copies read the recordings while they play; playback only pauses for
  // the questions and the progress.
  const bool wasPlaying = Hold();
  int result = 0;
  const QString folder = m_chooseFolder ? m_chooseFolder() : QString();
  if (!folder.isEmpty()) {
    if (QFileInfo(folder).isDir()) {
      if (m_ops.CopyTicked(folder.toStdString())) {
        ReportCopyFailures();
        result = 1;
      } else {
        Tell(kStrSelectionTitle, kStrNothingTicked);
      }
    } else {
      Ask(QMessageBox::Warning, kStrWarning, Localized(kStrFolderMissing), QMessageBox::Ok);
    }
  }
  Resume(wasPlaying);
  return result;
}

// A full or read-only destination must not look like a finished backup.
void FileOpsController::ReportCopyFailures() {
  const FileOpCounts& counts = m_ops.LastCounts();
  if (counts.failed == 0) return;
  const QString text = LocalizedOr(kStrCopyFailed, "%1 of %2 files could not be copied.")
                           .arg(counts.failed)
                           .arg(TotalTicked(m_catalog));
  Ask(QMessageBox::Warning, kStrWarning, text, QMessageBox::Ok);
}

// ------------------------------------------------------------------ exports

int FileOpsController::OnKml() {
  if (RefuseEmptyCatalogue()) return 0;
  std::string folder;
  if (m_hooks.kmlFolder)
    m_hooks.kmlFolder(folder);
  else
    GetSettings().GetKmlFolder(folder);
  std::string name;
  const bool ok = m_catalog.ExportKml(folder, name);
  const QString text =
      WithPath(Localized(ok ? kStrKmlSaved : kStrKmlFailed), QString::fromStdString(name));
  Ask(QMessageBox::NoIcon, kStrSaveKmlTitle, text, QMessageBox::Ok);
  return ok ? 1 : 0;
}

int FileOpsController::OnSnapshot() {
  if (RefuseEmptyCatalogue()) return 0;
  // Both cameras pause together and resume together, so they stay in step.
  bool wasPlaying = false;
  if (m_hooks.holdPlayback) {
    wasPlaying = Hold();
  } else if (m_channel1 && m_channel1->IsPlaying()) {
    wasPlaying = true;
    m_channel1->Pause();
  }
  const QString path = m_chooseSnapshot ? m_chooseSnapshot() : QString();
  if (!path.isEmpty()) SnapshotTo(path);
  if (m_hooks.resumePlayback)
    Resume(wasPlaying);
  else if (wasPlaying)
    m_channel1->Play();
  return path.isEmpty() ? 0 : 1;
}

int FileOpsController::SnapshotTo(const QString& path) {
  if (path.isEmpty() || !m_channel1) return 0;
  // Output 0 at the video's own size. The library writes a PNG whatever
  // the name says and has written it when the call returns.
  if (m_channel1->TakeSnapshot(path.toStdString(), 0) != 0) return 0;
  return path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) ? 1 : ConvertToJpeg(path);
}

int FileOpsController::ConvertToJpeg(const QString& path) {
  // A name other than .png gets a JPEG, as the snapshot dialog offers. The
  // picture is converted beside the file and replaces it only when whole.
  QImage picture;
  if (!picture.load(path, "PNG")) return QImage(path).isNull() ? 0 : 1;
  const QString temporary = path + QStringLiteral(".part");
  if (!picture.save(temporary, "JPG", 92)) {
    QFile::remove(temporary);
    return 0;
  }
  QFile::remove(path);
  return QFile::rename(temporary, path) ? 1 : 0;
}

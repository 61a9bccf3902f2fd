#include "mainwindow/FileOpsController.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QWidget>
#include <filesystem>
#include <system_error>

#include "app/AppSettings.h"
#include "app/StringIds.h"
#include "app/StringTable.h"
#include "dialogs/FolderDialog.h"
#include "dialogs/MediaOpenDialog.h"
#include "player/CVlcPlayer.h"
#include "catalog/MediaCatalog.h"
#include "platform/PrivateProfile.h"

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

// Whether the last snapshot with a rear picture shown took both cameras.
constexpr const char* kSnapBothKey = "SNAP_BOTH";

bool RememberedBoth() {
  return GetPrivateProfileInt("UI", kSnapBothKey, 0, GetSettings().GetIniPath()) != 0;
}

void RememberBoth(bool both) {
  if (both != RememberedBoth()) GetSettings().WriteInt("UI", kSnapBothKey, both ? 1 : 0);
}

// The save dialog of a snapshot, JPEG or PNG. The check box for both
// cameras needs Qt's own dialog: a native one has no room for it.
QString RunSnapshotDialog(bool offerBoth, bool& both) {
  QFileDialog dialog(nullptr);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters({QStringLiteral("Jpeg File(*.jpg)"), QStringLiteral("Png File(*.png)")});
  dialog.setDefaultSuffix(QStringLiteral("jpg"));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
    dialog.setDefaultSuffix(f.contains(QLatin1String("png")) ? QStringLiteral("png")
                                                              : QStringLiteral("jpg"));
  });
  QCheckBox* bothBox = nullptr;
  if (offerBoth) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
      bothBox = new QCheckBox(Localized(kStrSnapshotBothCameras), &dialog);
      bothBox->setChecked(both);
      grid->addWidget(bothBox, grid->rowCount(), 0, 1, grid->columnCount());
    }
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  if (bothBox) both = bothBox->isChecked();
  return dialog.selectedFiles().first();
}

// A channel's picture at the video's own size (output 0). The library
// writes a PNG whatever the name says and has written it when the call
// returns.
QImage TakePicture(CVlcPlayer& channel, const QString& file) {
  if (channel.TakeSnapshot(QFile::encodeName(file).toStdString(), 0) != 0) return QImage();
  return QImage(file);
}

// The rear picture scaled to the front's height, to the right of it.
QImage SideBySide(const QImage& front, const QImage& rear) {
  if (rear.isNull()) return front;
  const QImage scaled = rear.scaledToHeight(front.height(), Qt::SmoothTransformation);
  QImage both(front.width() + scaled.width(), front.height(), QImage::Format_RGB32);
  both.fill(Qt::black);
  QPainter painter(&both);
  painter.drawImage(0, 0, front);
  painter.drawImage(front.width(), 0, scaled);
  return both;
}

// PNG for a .png name, else JPEG, as the snapshot dialog offers. Written
// beside the target and renamed over it only when whole.
int WriteWhole(const QImage& picture, const QString& path) {
  const bool png = path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
  const QString temporary = path + QStringLiteral(".part");
  if (!picture.save(temporary, png ? "PNG" : "JPG", png ? -1 : 92)) {
    QFile::remove(temporary);
    return 0;
  }
  std::error_code ec;
  std::filesystem::rename(QFile::encodeName(temporary).toStdString(),
                          QFile::encodeName(path).toStdString(), ec);
  if (!ec) return 1;
  QFile::remove(temporary);
  return 0;
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
  m_chooseSnapshot = RunSnapshotDialog;
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
  if (opened == FileOpsHooks::kOpenScanning) return 1;
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

void FileOpsController::SetSnapshotChooser(PathChooser fn) {
  m_chooseSnapshot = [fn = std::move(fn)](bool, bool& both) {
    both = false;
    return fn ? fn() : QString();
  };
}

CVlcPlayer* FileOpsController::RearChannel() const {
  CVlcPlayer* rear = m_hooks.rearChannel ? m_hooks.rearChannel() : nullptr;
  return rear && rear->HasMedia() ? rear : nullptr;
}

int FileOpsController::OnSnapshot() {
  if (RefuseEmptyCatalogue()) return 0;
  // Both cameras pause together and resume together, so they stay in step
  // and their pictures show the same moment.
  bool wasPlaying = false;
  if (m_hooks.holdPlayback) {
    wasPlaying = Hold();
  } else if (m_channel1 && m_channel1->IsPlaying()) {
    wasPlaying = true;
    m_channel1->Pause();
  }
  const bool offerBoth = RearChannel() != nullptr;
  bool both = offerBoth && RememberedBoth();
  const QString path = m_chooseSnapshot ? m_chooseSnapshot(offerBoth, both) : QString();
  if (!path.isEmpty()) {
    if (offerBoth) RememberBoth(both);
    SnapshotTo(path, offerBoth && both);
  }
  if (m_hooks.resumePlayback)
    Resume(wasPlaying);
  else if (wasPlaying)
    m_channel1->Play();
  return path.isEmpty() ? 0 : 1;
}

int FileOpsController::SnapshotTo(const QString& path, bool both) {
  if (path.isEmpty() || !m_channel1) return 0;
  // The library's pictures go to a folder of their own, removed with
  // whatever is in it; the named file appears only when whole.
  const QTemporaryDir frames;
  if (!frames.isValid()) return 0;
  const QImage front = TakePicture(*m_channel1, frames.filePath(QStringLiteral("front.png")));
  if (front.isNull()) return 0;
  CVlcPlayer* rear = both ? RearChannel() : nullptr;
  // A rear picture the library cannot give leaves the front alone.
  const QImage rearPicture =
      rear ? TakePicture(*rear, frames.filePath(QStringLiteral("rear.png"))) : QImage();
  return WriteWhole(SideBySide(front, rearPicture), path);
}

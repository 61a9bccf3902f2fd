#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <string>

#include "app/StringIds.h"
#include "mainwindow/core/FileOperations.h"

class CVlcPlayer;
class MediaCatalog;
class QWidget;

// What the file commands need of the main window, as small callbacks; any
// of them may be left empty.
struct FileOpsHooks {
  std::function<bool()> isBusy;       // a freshly opened card is still starting
  std::function<void()> prepareOpen;  // pending seek cleared, channels stopped, normal rate
  std::function<int(int kind, const QString& path)> openMedia;  // kinds as CMediaOpenDialog
  // What openMedia returns when a folder scan goes on in the background:
  // the window reports the load itself when the scan ends.
  static constexpr int kOpenScanning = 2;
  std::function<void()> stopChannels;
  std::function<void()> closeChannels;  // both channels drop their media
  // Panels that do not show their logo show the dark variant and their
  // video surfaces are hidden.
  std::function<void()> hidePictures;
  std::function<void(int percent, bool visible)> showProgress;
  // Pauses both channels around a question or a dialog: true when they
  // were playing, which resumePlayback then restarts.
  std::function<bool()> holdPlayback;
  std::function<void(bool wasPlaying)> resumePlayback;
  // True when a recording the channels hold is no longer on disk.
  std::function<bool()> playingFilesGone;
  std::function<bool(std::string& folder)> kmlFolder;  // empty: the settings' KML folder
  // Channel 2 while it shows the rear camera's picture, else null.
  std::function<CVlcPlayer*()> rearChannel;
};

// The main window's file commands, each button's whole flow: open media,
// delete, unlock, save as, KML and snapshot, with their questions, message
// boxes and progress. Everything the user is asked goes through replaceable
// functions, so the flows run without a window and without modal loops.
class FileOpsController {
 public:
  // A message box: icon, caption, text, buttons; returns the button pressed.
  using MessageBoxFn = std::function<QMessageBox::StandardButton(
      QMessageBox::Icon, const QString& caption, const QString& text, QMessageBox::StandardButtons)>;
  // The open-media dialog: false when cancelled, else the kind and its path.
  using MediaChooser = std::function<bool(int& kind, QString& path)>;
  // The folder for Save as, and the file for a snapshot; empty = cancelled.
  using PathChooser = std::function<QString()>;
  // The snapshot's file, empty = cancelled. With a rear picture shown the
  // dialog also offers both cameras in one picture: `both` comes in as the
  // remembered choice and goes out as the user's.
  using SnapshotChooser = std::function<QString(bool offerBoth, bool& both)>;

  FileOpsController(QWidget* owner, MediaCatalog& catalog, CVlcPlayer* channel1,
                     FileOpsHooks hooks);
  // Its callbacks refer to the object itself: it stays where it was made.
  FileOpsController(const FileOpsController&) = delete;
  FileOpsController& operator=(const FileOpsController&) = delete;

  void SetMessageBox(MessageBoxFn fn) { m_messageBox = std::move(fn); }
  // The message for opens no dialog asked for (command line, drops, the
  // bus): shown without waiting; its return value is not used.
  void SetNotice(MessageBoxFn fn) { m_notice = std::move(fn); }
  void SetMediaChooser(MediaChooser fn) { m_chooseMedia = std::move(fn); }
  void SetFolderChooser(PathChooser fn) { m_chooseFolder = std::move(fn); }
  void SetSnapshotChooser(SnapshotChooser fn) { m_chooseSnapshot = std::move(fn); }
  // A chooser that never picks both cameras.
  void SetSnapshotChooser(PathChooser fn);
  FileOperations& Operations() { return m_ops; }

  // The buttons. Each returns 1 when it went through to its end, else 0.
  int OnOpen();
  int OnDelete();
  int OnUnlock();
  int OnSaveAs();
  int OnKml();
  int OnSnapshot();

  // After a load: says that nothing playable was found, or how many files
  // could not be read, in one message; silent when all went well. `waits`
  // picks the message box over the notice.
  void ReportLoad(bool waits);
  // Says that the folder or file to open is not there.
  void ReportMissing(bool waits);

  // Writes channel 1's picture to `path` at the video's own size, PNG for
  // a .png name, else JPEG; with `both` and a rear picture shown, the rear
  // camera's picture at the same height to its right. 1 when written.
  int SnapshotTo(const QString& path, bool both = false);

 private:
  bool Hold();
  void Resume(bool wasPlaying);
  QMessageBox::StandardButton Ask(QMessageBox::Icon icon, StringId caption, const QString& text,
                                  QMessageBox::StandardButtons buttons);
  void Tell(StringId caption, StringId text);
  bool RefuseEmptyCatalogue();
  bool IsUsableSource(int kind, const QString& path) const;
  void ReportCopyFailures();
  CVlcPlayer* RearChannel() const;

  QWidget* m_owner;
  MediaCatalog& m_catalog;
  CVlcPlayer* m_channel1;
  FileOpsHooks m_hooks;
  FileOperations m_ops;
  MessageBoxFn m_messageBox;
  MessageBoxFn m_notice;
  MediaChooser m_chooseMedia;
  PathChooser m_chooseFolder;
  SnapshotChooser m_chooseSnapshot;
};

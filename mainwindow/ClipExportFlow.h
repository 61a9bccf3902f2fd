#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>

#include "export/ClipExport.h"

class CZELDlg;
class QPushButton;
class QThread;

// The player's clip export: the span between the drive timeline's in and
// out marks, the Export dialog, then ExportClip on a worker thread while
// the window stays responsive, the window's progress bar with a Cancel
// button beside it, and a final message with the file's path.
class ClipExportFlow : public QObject {
  Q_OBJECT
 public:
  // The dialog: fills the request's layout, overlay, copy and outPath;
  // false when cancelled. Replaceable, so the flow runs without a modal loop.
  using Chooser = std::function<bool(ExportRequest& request, const QString& spanText, bool hasRear)>;
  // The messages: the text for the user.
  using Teller = std::function<void(const QString& text)>;

  explicit ClipExportFlow(CZELDlg& window);
  // Cancels a running export and waits for its thread.
  ~ClipExportFlow() override;

  void SetChooser(Chooser fn) { m_choose = std::move(fn); }
  void SetTeller(Teller fn) { m_tell = std::move(fn); }

  // The E key: asks and starts; false when nothing was started.
  bool Open();
  void Cancel() { m_cancel = true; }
  bool Running() const { return m_thread != nullptr; }
  const ExportResult& LastResult() const { return m_result; }
  QPushButton* CancelButton() const { return m_cancelButton; }

 signals:
  void finished();

 private:
  void Start(const ExportRequest& request);
  void OnProgress(int percent);
  void OnFinished();

  CZELDlg& m_window;
  Chooser m_choose;
  Teller m_tell;
  QThread* m_thread = nullptr;
  QPushButton* m_cancelButton = nullptr;
  ExportRequest m_request;
  ExportResult m_result;
  std::atomic<bool> m_cancel{false};
  std::atomic<int> m_percent{-1};
};

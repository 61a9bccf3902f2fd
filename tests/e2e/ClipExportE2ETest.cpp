// A clip exported as a user makes one: the in and out marks set with I and
// O on a playing two-camera drive, E and the real Export dialog, the export
// on its worker thread, and the file it leaves.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "PlayerTestSupport.h"
#include "controls/DriveTimeline.h"
#include "controls/GSensorCtrl.h"
#include "dialogs/ExportDlg.h"
#include "mainwindow/ClipExportFlow.h"
#include "mainwindow/ZELDlg.h"

namespace fs = std::filesystem;

namespace {

fs::path g_work;

using e2e::WaitFor;

bool MakeRecording(const fs::path& file, const std::string& start, const char* events) {
  return e2e::MakeRecording(file, start,
                            {QStringLiteral("--size"), QStringLiteral("320x180"),
                             QStringLiteral("--events"), QString::fromLatin1(events)});
}

// Presses a shortcut key. Shortcuts reach only the active window, and with
// no window manager on the test display the window can lose that when the
// video library opens the next recording's picture, so it is asked back
// first (up to 20 s: a loaded machine is slow to hand it over).
bool PressKey(QWidget& window, Qt::Key key) {
  window.activateWindow();
  if (!QTest::qWaitForWindowActive(&window, 20000)) return false;
  QTest::keyClick(&window, key);
  return true;
}

// Accepts the Export dialog once it shows, with the given choices.
void AcceptExportDialog(const fs::path& out, bool original, int layoutRow) {
  QTimer::singleShot(300, [=] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* d = qobject_cast<ExportDlg*>(w);
      if (!d || !d->isVisible()) continue;
      d->OriginalBox()->setChecked(original);
      d->LayoutBox()->setCurrentIndex(layoutRow);
      d->PathEdit()->setText(QString::fromStdString(out.string()));
      d->accept();
    }
  });
}

// The drive: two minutes of 7 s, front and rear, a braking 4 s into the
// second front recording (11 s on the drive's line).
TEST(ClipExportE2E, EventKeysMarksAndTheDialogExportAcrossABoundary) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "needs an X display";
  const fs::path card = g_work / "card";
  ASSERT_TRUE(MakeRecording(card / "20240601_083000_F.MOV", "2024-06-01 08:30:00", "none"));
  ASSERT_TRUE(MakeRecording(card / "20240601_083000_R.MOV", "2024-06-01 08:30:00", "none"));
  ASSERT_TRUE(MakeRecording(card / "20240601_083007_F.MOV", "2024-06-01 08:30:07", "brake@4"));
  ASSERT_TRUE(MakeRecording(card / "20240601_083007_R.MOV", "2024-06-01 08:30:07", "none"));

  CZELDlg dlg;
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  ASSERT_TRUE(dlg.Channel(1).IsAvailable());
  // Shortcuts reach only the active window; a loaded machine can take
  // longer than the default five seconds to hand over the focus.
  dlg.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg, 20000));
  ASSERT_EQ(dlg.OpenMediaPath(QString::fromStdString(card.string())), 1);
  ASSERT_TRUE(WaitFor([&] { return dlg.Playback().IsPlaying(); }, 10000));
  const DriveTimelineModel& marks = dlg.Timeline()->Model();
  ASSERT_EQ(marks.Events().size(), 1u);
  EXPECT_NEAR(marks.Events()[0], 11000, 1500);

  // N: 3 s before the braking, in the second recording, whose chart marks it.
  ASSERT_TRUE(PressKey(dlg, Qt::Key_N));
  EXPECT_TRUE(WaitFor([&] {
    return std::llabs(dlg.Playback().DrivePositionMs() - (marks.Events()[0] - 3000)) < 1500;
  }, 10000)) << dlg.Playback().DrivePositionMs();
  auto* chart = static_cast<CGSensorCtrl*>(dlg.Control(kIdGSensor));
  ASSERT_TRUE(WaitFor([&] { return chart->Model().EventMarks().size() == 1; }, 3000));
  EXPECT_NEAR(chart->Model().EventMarks()[0], marks.Events()[0] - 7000, 1);
  dlg.Playback().SeekDrive(0);

  // I at 1.5 s, O at 10 s: the span crosses the boundary at 7 s.
  ASSERT_TRUE(WaitFor([&] {
    const std::int64_t at = dlg.Playback().DrivePositionMs();
    return at >= 1500 && at < 5000;
  }, 10000));
  ASSERT_TRUE(PressKey(dlg, Qt::Key_I));
  ASSERT_NE(marks.InMark(), DriveTimelineModel::kNoMark) << "active: " << dlg.isActiveWindow();
  dlg.Playback().SeekDrive(10000);
  ASSERT_TRUE(WaitFor([&] { return dlg.Playback().DrivePositionMs() >= 10000; }, 10000));
  ASSERT_TRUE(PressKey(dlg, Qt::Key_O));
  ASSERT_TRUE(marks.HasSpan()) << "in " << marks.InMark() << ", out " << marks.OutMark() << ", at "
                               << dlg.Playback().DrivePositionMs();
  EXPECT_GT(marks.OutMark() - marks.InMark(), 7000);

  // The real dialog: original quality to a file of the test's own.
  const fs::path out = g_work / "clip.mp4";
  QString told;
  dlg.ClipExport().SetTeller([&](const QString& text) { told = text; });
  AcceptExportDialog(out, true, 0);
  ASSERT_TRUE(PressKey(dlg, Qt::Key_E));
  ASSERT_TRUE(WaitFor([&] { return !dlg.ClipExport().Running() && !told.isEmpty(); }, 60000)) << "no export";
  const ExportResult& result = dlg.ClipExport().LastResult();
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_TRUE(told.contains(QString::fromStdString(out.string()))) << told.toStdString();
  EXPECT_TRUE(fs::is_regular_file(out));
  EXPECT_GT(fs::file_size(out), 1000u);
  EXPECT_NEAR(result.seconds, (marks.OutMark() - marks.InMark()) / 1000.0, 2.0);
  EXPECT_FALSE(dlg.ClipExport().CancelButton()->isVisible());

  // Composed side by side, cancelled at once: nothing under the name.
  const fs::path cancelled = g_work / "cancelled.mp4";
  told.clear();
  AcceptExportDialog(cancelled, false, 2);
  ASSERT_TRUE(PressKey(dlg, Qt::Key_E));  // back from the dialog: no window manager hands it back
  ASSERT_TRUE(dlg.ClipExport().Running()) << told.toStdString();
  EXPECT_TRUE(dlg.ClipExport().CancelButton()->isVisible());
  QTest::mouseClick(dlg.ClipExport().CancelButton(), Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return !dlg.ClipExport().Running() && !told.isEmpty(); }, 60000));
  EXPECT_TRUE(dlg.ClipExport().LastResult().cancelled);
  EXPECT_FALSE(fs::exists(cancelled));
}

}  // namespace

int main(int argc, char** argv) { return e2e::RunPlayerTests(argc, argv, "clip-e2e", g_work); }

// The player as a whole, under X: the real media-player library, the real
// browser engine and a generated two-camera card.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QJsonObject>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <filesystem>
#include <functional>

#include "app/AppSettings.h"
#include "app/Languages.h"
#include "app/StringIds.h"
#include "app/StringTable.h"
#include "catalog/DrivingEvents.h"
#include "program/ZELApp.h"
#include "controls/GSensorCtrl.h"
#include "controls/GdipButton.h"
#include "controls/PngCompassStatic.h"
#include "controls/PngStatic.h"
#include "controls/QorToolTipCtrl.h"
#include "controls/SpeedLabelStatic.h"
#include "controls/VideoSlider.h"
#include "controls/VideoStatic.h"
#include "controls/VideoStaticBg.h"
#include "dialogs/ZelFileListCtrl.h"
#include "dialogs/ZelGroupListCtrl.h"
#include "map/CefBrowserApp.h"
#include "map/HtmlMapDlg.h"
#include "mainwindow/EventCountFlow.h"
#include "mainwindow/FileOpsController.h"
#include "mainwindow/ZELDlg.h"
#include "platform/qt/WindowMessage.h"
#include "tools/recgen/RecordingGenerator.h"

namespace fs = std::filesystem;

namespace {

fs::path g_workDir;
fs::path g_card;

bool WaitFor(const std::function<bool()>& done, int timeoutMs = 20000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(10);
  }
  return true;
}

// The map page's own account of what it was sent.
QVariantMap MapState(CHtmlMapDlg* map) {
  QVariantMap state;
  bool ready = false;
  if (!map || !map->BrowserView()) return state;
  map->BrowserView()->page()->runJavaScript(
      "window.__vantrel_state ? window.__vantrel_state() : null", [&](const QVariant& v) {
        state = v.toMap();
        ready = true;
      });
  WaitFor([&] { return ready; }, 5000);
  return state;
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

void SaveScreenshot(QWidget& window, const QString& name) {
  const QString dir = QStringLiteral(VANTREL_BINARY_DIR "/screenshots");
  QDir().mkpath(dir);
  // The screen's own pixels: the video surfaces are the library's windows.
  QScreen* screen = window.screen();
  const QRect g = window.frameGeometry();
  const QPixmap shot = screen->grabWindow(0, g.x(), g.y(), g.width(), g.height());
  EXPECT_TRUE(shot.save(dir + "/" + name));
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
      GTEST_SKIP() << "needs an X display";
    if (g_card.empty()) GTEST_SKIP() << "the test card could not be made";
  }
};

TEST_F(MainWindowTest, PlaysATwoCameraCardInStep) {
  QElapsedTimer clock;
  clock.start();
  CZELDlg dlg;
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  std::printf("window up after %lld ms\n", static_cast<long long>(clock.restart()));
  ASSERT_TRUE(dlg.Channel(1).IsAvailable()) << "the media-player library did not load";

  // Opening the folder lists every recording and starts entry 0 on both
  // channels after the countdown.
  ASSERT_EQ(dlg.OpenMediaPath(QString::fromStdString(g_card.string())), 1);
  ASSERT_TRUE(WaitFor([&] { return !dlg.IsScanning(); }));
  EXPECT_EQ(dlg.Catalog().EntryCount(), 4);
  EXPECT_EQ(dlg.FileList()->RowCount(), 4);
  EXPECT_EQ(dlg.GroupList()->RowCount(), 1);  // two minutes of both cameras: one drive
  EXPECT_TRUE(dlg.Playback().IsBusy());
  // The scan counted the recordings on video surface 1 as it found them.
  EXPECT_EQ(dlg.VideoSurface(1)->Count(), 4);
  EXPECT_FALSE(dlg.VideoSurface(1)->CountVisible());
  ASSERT_TRUE(WaitFor([&] { return dlg.Channel(1).HasMedia(); }));
  EXPECT_TRUE(EndsWith(dlg.Channel(1).Path(), "F/MOV_0001F.MOV")) << dlg.Channel(1).Path();
  EXPECT_TRUE(EndsWith(dlg.Channel(2).Path(), "R/MOV_0001R.MOV")) << dlg.Channel(2).Path();
  EXPECT_TRUE(dlg.FileList()->IsRowMarked(0));

  // Time events move the slider, the compass, the speed and the marker.
  ASSERT_TRUE(WaitFor([&] { return dlg.SeekSlider()->value() > 0; }));
  // For the record, not a limit: open to moving picture, countdown included.
  std::printf("folder open to first time event: %lld ms\n",
              static_cast<long long>(clock.elapsed()));
  ASSERT_TRUE(WaitFor([&] { return dlg.SpeedDisplay()->Speed() > 0; }));
  EXPECT_TRUE(dlg.SpeedDisplay()->IsValid());
  EXPECT_TRUE(dlg.GpsIndicator()->IsActive());
  EXPECT_NE(dlg.Compass()->ImageIndex(), 0u);
  EXPECT_FALSE(dlg.Playback().IsBusy());
  QVariantMap state;
  ASSERT_TRUE(WaitFor([&] {
    state = MapState(dlg.MapView());
    return state.value("route").toInt() > 0 && !state.value("shownLat").isNull();
  }));
  EXPECT_NEAR(state.value("markerLat").toDouble(), 22.54, 0.2);
  // Give the page a moment to draw the marker before the picture is taken.
  QTest::qWait(1000);
  SaveScreenshot(dlg, "player.png");

  // A seek redraws the driven part of the route at the next seek tick.
  dlg.SeekSlider()->setValue(700);
  emit dlg.SeekSlider()->seekRequested(dlg.SeekSlider()->value());
  EXPECT_GE(dlg.Playback().PendingSeek(), 0);
  ASSERT_TRUE(WaitFor([&] { return MapState(dlg.MapView()).value("driven").toInt() > 0; }));
  EXPECT_EQ(dlg.Playback().PendingSeek(), PlaybackShared::kNoSeek);

  // The drive plays through: its second minute's front on channel 1 and
  // its rear beside it; the end of the drive returns to its start, waiting
  // paused on the first picture.
  for (int i = 0; i < 5; ++i) dlg.Playback().Faster();
  EXPECT_EQ(dlg.Playback().MarqueeText(), "2.0 X");
  ASSERT_TRUE(WaitFor([&] { return dlg.Catalog().CurrentIndex() == 2; }, 40000));
  EXPECT_TRUE(EndsWith(dlg.Channel(1).Path(), "F/MOV_0002F.MOV")) << dlg.Channel(1).Path();
  EXPECT_TRUE(EndsWith(dlg.Channel(2).Path(), "R/MOV_0002R.MOV")) << dlg.Channel(2).Path();
  ASSERT_TRUE(WaitFor([&] { return dlg.Catalog().CurrentIndex() == 0; }, 40000));
  EXPECT_TRUE(EndsWith(dlg.Channel(1).Path(), "F/MOV_0001F.MOV"));
  ASSERT_TRUE(WaitFor([&] { return dlg.Channel(1).IsPaused() != 0; }, 20000));
  EXPECT_EQ(dlg.SeekSlider()->value(), 0);
  dlg.close();
}

TEST_F(MainWindowTest, ShellKeepsItsStateAndFollowsTheSettings) {
  CZELDlg dlg;
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  EXPECT_GE(dlg.width(), 800);
  EXPECT_GE(dlg.height(), 560);

  // Escape neither closes nor cancels.
  QTest::keyClick(&dlg, Qt::Key_Escape);
  QCoreApplication::processEvents();
  EXPECT_TRUE(dlg.isVisible());

  // The map switch lays out the column again and is remembered.
  const bool mapWasOn = dlg.IsMapShown();
  static_cast<QAbstractButton*>(dlg.Control(kIdMap))->click();
  EXPECT_NE(dlg.IsMapShown(), mapWasOn);
  EXPECT_EQ(GetSettings().IsMapEnabled(), dlg.IsMapShown());
  if (!dlg.IsMapShown()) {
    EXPECT_EQ(dlg.FileList()->geometry().top(), 48);
  }
  static_cast<QAbstractButton*>(dlg.Control(kIdMap))->click();
  EXPECT_EQ(dlg.IsMapShown(), mapWasOn);

  // A language change re-titles the list columns.
  const QString english = dlg.GroupList()->headerItem()->text(0);
  const int german = FindLanguage("GER");
  ASSERT_GE(german, 0);
  ASSERT_TRUE(GetSettings().SetLanguage(german));
  dlg.OnLanguageChanged();
  EXPECT_EQ(dlg.GroupList()->headerItem()->text(0), QString::fromStdString(LoadLocalizedString(kStrColumnGroup)));
  EXPECT_NE(dlg.GroupList()->headerItem()->text(0), english);
  // ... and rebuilds the tooltips in the new language.
  EXPECT_EQ(dlg.ToolTips()->ToolText(dlg.Control(kIdPlay)),
            QString::fromStdString(LoadLocalizedString(kStrTipPlayPause)));
  EXPECT_EQ(dlg.ToolTips()->ToolText(dlg.Control(kIdVolume)),
            QString::fromStdString(LoadLocalizedString(kStrTipVolume)));
  GetSettings().SetLanguage(FindLanguage("ENG"));
  dlg.OnLanguageChanged();

  // A provider chosen in the settings reaches the map view.
  ASSERT_TRUE(GetSettings().SetMapProvider(2));
  dlg.OnMapProviderChanged(2);
  EXPECT_EQ(dlg.MapView()->Provider(), 2);
  GetSettings().SetMapProvider(0);
  dlg.OnMapProviderChanged(0);
  EXPECT_EQ(dlg.MapView()->Provider(), 0);

  // A player error is reported without stopping the window's event loop.
  PostWindowMessage(&dlg, WM_PLAYER_ERROR, 1);
  QMessageBox* box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = dlg.findChild<QMessageBox*>()) != nullptr; }, 5000));
  EXPECT_EQ(box->text().toStdString(), LoadLocalizedString(kStrPlayerError));
  box->close();

  // Small size, then the window position is saved on close.
  static_cast<QAbstractButton*>(dlg.Control(kIdSizeSmall))->click();
  EXPECT_EQ(dlg.size(), QSize(800, 560));
  const QRect placed = dlg.geometry();
  // Maximised is a mode: the normal rectangle is what gets saved.
  static_cast<QAbstractButton*>(dlg.Control(kIdMaximize))->click();
  EXPECT_TRUE(dlg.IsMaximizedMode());
  EXPECT_EQ(dlg.geometry(), dlg.screen()->geometry());
  dlg.close();
  const WindowRect saved = GetSettings().LoadWindowPos();
  EXPECT_EQ(saved.Width(), placed.width());
  EXPECT_EQ(saved.Height(), placed.height());
  EXPECT_EQ(saved.left, placed.left());
}

TEST_F(MainWindowTest, SplitterAndGripPressesResizeWithoutMovingTheWindow) {
  CZELDlg dlg;
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  static_cast<QAbstractButton*>(dlg.Control(kIdSizeSmall))->click();
  const QPoint origin = dlg.pos();
  const int listLeft = dlg.FileList()->geometry().left();

  // The column splitter: the gap left of the file list.
  const QPoint split(listLeft - 2, 300);
  QTest::mousePress(&dlg, Qt::LeftButton, Qt::NoModifier, split);
  QTest::mouseMove(&dlg, split - QPoint(50, 0));
  QTest::mouseRelease(&dlg, Qt::LeftButton, Qt::NoModifier, split - QPoint(50, 0));
  // The column's left edge follows the pointer, 5 pixels right of it.
  EXPECT_EQ(dlg.FileList()->geometry().left(), split.x() - 50 + 5);
  EXPECT_EQ(dlg.pos(), origin);

  // The grip grows the window from its bottom-right corner.
  const QPoint grip(dlg.width() - 5, dlg.height() - 5);
  QTest::mousePress(&dlg, Qt::LeftButton, Qt::NoModifier, grip);
  QTest::mouseMove(&dlg, grip + QPoint(60, 40));
  QTest::mouseRelease(&dlg, Qt::LeftButton, Qt::NoModifier, grip + QPoint(60, 40));
  EXPECT_EQ(dlg.size(), QSize(800 + 55, 560 + 35));
  EXPECT_EQ(dlg.pos(), origin);
  dlg.close();
}

TEST_F(MainWindowTest, SplittersAreKeptForTheNextWindowAndTheChartFillsItsWidth) {
  SplitterShares moved;
  QRect fileList, chart;
  {
    CZELDlg dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    static_cast<QAbstractButton*>(dlg.Control(kIdSizeMedium))->click();
    const auto drag = [&](QPoint from, QPoint to) {
      QTest::mousePress(&dlg, Qt::LeftButton, Qt::NoModifier, from);
      QTest::mouseMove(&dlg, to);
      QTest::mouseRelease(&dlg, Qt::LeftButton, Qt::NoModifier, to);
    };
    // The map splitter is the gap above the file list, the column splitter
    // the gap left of it, the chart's the strip above the chart.
    const QRect list = dlg.FileList()->geometry();
    const QPoint mapGap(list.center().x(), list.top() - 3);
    drag(mapGap, mapGap + QPoint(0, 40));
    EXPECT_EQ(dlg.FileList()->geometry().top(), mapGap.y() + 40 + 5);
    const QPoint columnGap(list.left() - 2, 300);
    drag(columnGap, columnGap - QPoint(60, 0));
    EXPECT_EQ(dlg.FileList()->geometry().left(), columnGap.x() - 60 + 5);
    const QRect before = dlg.GSensorChart()->geometry();
    const QPoint chartGap(before.center().x(), before.top() - 2);
    drag(chartGap, chartGap - QPoint(0, 30));
    EXPECT_GT(dlg.GSensorChart()->height(), before.height() + 20);

    moved = dlg.Splitters();
    EXPECT_NE(moved, SplitterShares{});
    const SplitterPositions stored = GetSettings().LoadSplitters();
    EXPECT_EQ(SanitizeShares({stored.column, stored.map, stored.list, stored.chart}), moved);
    fileList = dlg.FileList()->geometry();
    chart = dlg.GSensorChart()->geometry();
    dlg.close();
  }

  CZELDlg dlg;
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  static_cast<QAbstractButton*>(dlg.Control(kIdSizeMedium))->click();
  EXPECT_EQ(dlg.Splitters(), moved);
  EXPECT_EQ(dlg.FileList()->geometry(), fileList);
  EXPECT_EQ(dlg.GSensorChart()->geometry(), chart);
  GetSettings().SaveSplitters({});  // the other tests start from the defaults

  // A three-second recording still draws its curves up to the chart's
  // right edge.
  ASSERT_EQ(dlg.OpenMediaPath(QString::fromStdString(g_card.string())), 1);
  CGSensorCtrl* curve = dlg.GSensorChart();
  ASSERT_TRUE(WaitFor([&] { return curve->Model().SampleCount() > 0 && curve->Model().CurvesVisible(0); }));
  const QImage img = curve->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const auto plot = GSensorModel::PlotRect(curve->width(), curve->height());
  const auto curveAt = [&](int x) {
    for (int y = plot.top; y <= plot.bottom; ++y) {
      for (int axis = 0; axis < GSensorModel::kAxisCount; ++axis)
        if (img.pixel(x, y) == CGSensorCtrl::AxisColor(axis).rgb()) return true;
    }
    return false;
  };
  EXPECT_TRUE(curveAt(plot.right - 1)) << "plot " << plot.left << ".." << plot.right;
  dlg.Playback().Stop();
  dlg.close();
}

TEST_F(MainWindowTest, ADroppedFilePlaysAtOnceAndFullScreenTogglesOnTheSurface) {
  CZELDlg dlg;
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  const fs::path file = g_card / "DCIM/Movie/F/MOV_0002F.MOV";
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(file.string()))});
  // A drop follows the drag that entered the window.
  QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&dlg, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&dlg, &drop);
  EXPECT_TRUE(drop.isAccepted());
  ASSERT_TRUE(WaitFor([&] { return dlg.Catalog().EntryCount() == 1; }));
  EXPECT_TRUE(EndsWith(dlg.Channel(1).Path(), "F/MOV_0002F.MOV"));
  EXPECT_TRUE(EndsWith(dlg.Channel(2).Path(), "R/MOV_0002R.MOV"));
  EXPECT_FALSE(dlg.Playback().IsBusy());
  ASSERT_TRUE(WaitFor([&] { return dlg.SeekSlider()->value() > 0; }));

  // A still picture of channel 1 at the video's own size.
  const QString still = QString::fromStdString((g_workDir / "still.png").string());
  EXPECT_EQ(dlg.FileCommands().SnapshotTo(still), 1);
  QImage picture;
  ASSERT_TRUE(WaitFor([&] { return picture.load(still); }, 10000));
  EXPECT_EQ(picture.size(), QSize(320, 180));
  // Both cameras in one picture: the rear channel's picture of the same
  // minute to the right, at the same height.
  const QString both = QString::fromStdString((g_workDir / "both.jpg").string());
  EXPECT_TRUE(WaitFor([&] {
    return dlg.FileCommands().SnapshotTo(both, true) == 1 && QImage(both).size() == QSize(640, 180);
  }, 10000));

  // The arrow keys ask for a seek.
  // Shortcuts reach only the active window; a loaded machine can take
  // longer than the default five seconds to hand over the focus.
  dlg.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg, 20000));
  QTest::keyClick(&dlg, Qt::Key_Right);
  EXPECT_GE(dlg.Playback().PendingSeek(), 0);

  // A double click that lands between the surfaces picks the first one.
  const QPoint between = dlg.SeekSlider()->mapToGlobal(QPoint(5, 5));
  dlg.ToggleFullScreen(between);
  EXPECT_TRUE(dlg.IsFullScreenMode());
  EXPECT_FALSE(dlg.SeekSlider()->isVisible());
  EXPECT_TRUE(dlg.VideoSurface(1)->isVisible());
  EXPECT_FALSE(dlg.VideoSurface(2)->isVisible());
  EXPECT_EQ(dlg.VideoPanel(1)->geometry().size(), dlg.screen()->geometry().size());
  QTest::keyClick(&dlg, Qt::Key_Escape);
  EXPECT_FALSE(dlg.IsFullScreenMode());
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_TRUE(dlg.SeekSlider()->isVisible());
  EXPECT_TRUE(dlg.VideoSurface(2)->isVisible());

  // Stop puts both logos back and hides the pictures.
  static_cast<QAbstractButton*>(dlg.Control(kIdStop))->click();
  EXPECT_EQ(dlg.VideoPanel(1)->GetVariant(), 1);
  EXPECT_EQ(dlg.VideoPanel(2)->GetVariant(), 1);
  EXPECT_FALSE(dlg.VideoSurface(1)->isVisible());
  EXPECT_EQ(dlg.Channel(1).IsPlaying(), 0);
  EXPECT_EQ(dlg.Channel(2).IsPlaying(), 0);
  dlg.close();
}

// The card is read in the background: its rows are listed while it is
// read, and Stop, another open and closing the window each end the scan
// and leave nothing of it behind.
TEST_F(MainWindowTest, TheWindowKeepsRunningWhileALargeCardIsScanned) {
  recgen::CardRecipe big;
  big.count = 1500;
  big.rear = true;
  big.nested = true;
  big.containers = {recgen::Container::kMov, recgen::Container::kAvi};
  const fs::path folder = g_workDir / "big";
  ASSERT_EQ(recgen::WriteCard(big, folder), 1);
  recgen::CardRecipe small;
  small.count = 3;
  small.containers = {recgen::Container::kAvi};
  const fs::path other = g_workDir / "other";
  ASSERT_EQ(recgen::WriteCard(small, other), 1);

  CZELDlg dlg;
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  const QString bigPath = QString::fromStdString(folder.string());
  // Starts the big card (also while the last one is still starting) and
  // waits for its first rows; false when the scan ended before any row.
  const auto openBig = [&] {
    if (dlg.OpenMedia(CZELDlg::kOpenFolder, bigPath) != FileOpsHooks::kOpenScanning) return false;
    return WaitFor([&] { return dlg.FileList()->RowCount() > 0 || !dlg.IsScanning(); }) &&
           dlg.IsScanning();
  };
  // As openBig; where the card is read too fast for that, a scan just
  // started: it cannot end before the window handles events.
  const auto scanBig = [&] {
    return openBig() ||
           dlg.OpenMedia(CZELDlg::kOpenFolder, bigPath) == FileOpsHooks::kOpenScanning;
  };
  const auto nothingLeft = [&] {
    return !dlg.IsScanning() && dlg.Catalog().Empty() && dlg.FileList()->RowCount() == 0 &&
           dlg.GroupList()->RowCount() == 0;
  };

  // The window settles first (its map page loads on start). A warm card
  // can still be read before the first count is due (40 ms): then it is
  // opened again, a few times at most.
  WaitFor([&] { return dlg.MapView() && dlg.MapView()->IsPageReady(); }, 30000);
  bool listedEarly = false;
  for (int attempt = 0; attempt < 5 && !listedEarly; ++attempt) {
    QElapsedTimer clock;
    clock.start();
    listedEarly = openBig();
    const int early = dlg.FileList()->RowCount();
    ASSERT_TRUE(WaitFor([&] { return !dlg.IsScanning(); }));
    std::printf("scan of 3000 recordings in the window: %lld ms, rows while scanning: %d\n",
                static_cast<long long>(clock.elapsed()), listedEarly ? early : 0);
  }
  EXPECT_TRUE(listedEarly) << "rows are listed only at the end of the scan";
  EXPECT_EQ(dlg.Catalog().EntryCount(), 3000);
  EXPECT_EQ(dlg.FileList()->RowCount(), 3000);
  EXPECT_EQ(dlg.VideoSurface(1)->Count(), 3000);
  EXPECT_FALSE(dlg.VideoSurface(1)->CountVisible());
  dlg.Playback().Stop();

  ASSERT_TRUE(scanBig());
  static_cast<QAbstractButton*>(dlg.Control(kIdStop))->click();
  EXPECT_TRUE(nothingLeft());
  WaitFor([] { return false; }, 300);  // nothing of the scan comes back later
  EXPECT_TRUE(nothingLeft());
  EXPECT_FALSE(dlg.Playback().IsBusy());

  // A second open replaces the scan: only its own rows, once each.
  ASSERT_TRUE(scanBig());
  ASSERT_EQ(dlg.OpenMediaPath(QString::fromStdString(other.string())), 1);
  ASSERT_TRUE(WaitFor([&] { return !dlg.IsScanning(); }));
  EXPECT_EQ(dlg.Catalog().EntryCount(), 3);
  EXPECT_EQ(dlg.FileList()->RowCount(), 3);
  for (const MediaEntry& e : dlg.Catalog().Entries())
    EXPECT_EQ(e.root, other.string() + "/") << e.FullPath();
  dlg.Playback().Stop();

  ASSERT_TRUE(scanBig());
  dlg.close();
  EXPECT_TRUE(nothingLeft());
  EXPECT_FALSE(dlg.isVisible());
  // A drop during a scan replaces it as well.
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  ASSERT_TRUE(scanBig());
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(other.string()))});
  QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&dlg, &enter);
  QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&dlg, &drop);
  ASSERT_TRUE(WaitFor([&] { return dlg.Catalog().EntryCount() == 3 && !dlg.IsScanning(); }));
  EXPECT_EQ(dlg.FileList()->RowCount(), 3);
  dlg.Playback().Stop();

  // What a folder lacked is said once its scan has ended, not before.
  QStringList notices;
  dlg.FileCommands().SetNotice([&](QMessageBox::Icon, const QString&, const QString& text,
                                   QMessageBox::StandardButtons) {
    notices << text;
    return QMessageBox::Ok;
  });
  const fs::path empty = g_workDir / "empty";
  fs::create_directories(empty);
  ASSERT_TRUE(scanBig());
  ASSERT_EQ(dlg.OpenMediaPath(QString::fromStdString(empty.string())), 1);
  EXPECT_TRUE(notices.isEmpty());
  ASSERT_TRUE(WaitFor([&] { return !dlg.IsScanning(); }));
  EXPECT_EQ(notices, QStringList{QString::fromStdString(LoadLocalizedString(kStrNoRecording))});
  EXPECT_TRUE(dlg.Catalog().Empty());
  dlg.close();
}

// The lists as the window shows them at its usual sizes, in English and in
// Russian: the name and start time of every recording are whole at
// 1100 x 720; at 800 x 560 the start time is whole and the name still shows
// its number. The event counts arrive after the scan.
TEST_F(MainWindowTest, ListsShowNamesTimesAndEventCounts) {
  CZELDlg dlg;
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  QSignalSpy counted(&dlg.EventCounts(), &EventCountFlow::finished);
  ASSERT_EQ(dlg.OpenMediaPath(QString::fromStdString(g_card.string())), 1);
  ASSERT_TRUE(WaitFor([&] { return counted.count() > 0; }));
  QCoreApplication::processEvents();

  const MediaCatalog& catalog = dlg.Catalog();
  CZelFileListCtrl* files = dlg.FileList();
  ASSERT_EQ(files->RowCount(), catalog.EntryCount());
  int driveEvents = 0;
  for (int i = 0; i < catalog.EntryCount(); ++i) {
    const MediaEntry& e = catalog.Entries()[static_cast<std::size_t>(i)];
    const auto events = ReadDrivingEvents(e.FullPath(), e.info);
    ASSERT_TRUE(events) << e.name;
    EXPECT_EQ(files->CellText(i, files->EventsColumn()), QString::number(events->size())) << e.name;
    if (catalog.PlaysOnFirstChannel(i)) driveEvents += static_cast<int>(events->size());
  }
  EXPECT_EQ(dlg.GroupList()->CellText(0, dlg.GroupList()->EventsColumn()), QString::number(driveEvents));

  QFont bold = files->font();
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  for (const char* language : {"ENG", "RUS"}) {
    ASSERT_TRUE(GetSettings().SetLanguage(FindLanguage(language)));
    dlg.OnLanguageChanged();
    for (const QSize size : {QSize(1100, 720), QSize(800, 560)}) {
      SCOPED_TRACE(std::string(language) + " " + std::to_string(size.width()));
      dlg.resize(size);
      QCoreApplication::processEvents();
      for (int row = 0; row < files->RowCount(); ++row) {
        const QRect name = files->visualRect(files->model()->index(row, 0));
        const QRect start = files->visualRect(files->model()->index(row, 1));
        const QString text = files->CellText(row, 0);
        const int nameRoom = name.width() - files->iconSize().width();
        if (size.width() >= 1100) EXPECT_LT(metrics.horizontalAdvance(text), nameRoom) << row;
        EXPECT_TRUE(metrics.elidedText(text, Qt::ElideRight, nameRoom - 8).startsWith(text.left(8))) << row;
        EXPECT_LT(metrics.horizontalAdvance(files->CellText(row, 1)), start.width()) << row;
        EXPECT_LE(start.right(), files->viewport()->width()) << row;
      }
    }
  }
  GetSettings().SetLanguage(FindLanguage("ENG"));
  dlg.OnLanguageChanged();
}

bool MakeCard() {
  recgen::CardRecipe card;
  card.count = 2;
  card.rear = true;
  card.containers = {recgen::Container::kMov};
  card.secondsPerFile = 3;
  card.realVideo = true;
  card.width = 320;
  card.height = 180;
  std::string error;
  if (!recgen::WriteCard(card, g_card, nullptr, &error)) {
    std::fprintf(stderr, "card: %s\n", error.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  setenv("VANTREL_VLC_ARGS", "--aout=dummy", 0);
  g_workDir = fs::temp_directory_path() / ("vantrel-mainwindow-" + std::to_string(::getpid()));
  fs::create_directories(g_workDir);
  // The settings file lives in the current directory.
  fs::current_path(g_workDir);
  g_card = g_workDir / "card";
  if (!MakeCard()) g_card.clear();

  CZELApp::PrepareProcess();
  QApplication app(argc, argv);
  CZELApp::InstallCoreSeams();
  const int result = RUN_ALL_TESTS();
  std::error_code ec;
  fs::current_path(fs::temp_directory_path(), ec);
  fs::remove_all(g_workDir, ec);
  return result;
}

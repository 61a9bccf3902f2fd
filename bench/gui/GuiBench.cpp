// The player's two interactive waits, measured in the real main window
// under X with the real media-player library and browser engine:
//
//  1. a double-click on a file in the file list until its first picture is
//     on the screen (the video surface's pixels, grabbed from the screen,
//     turn into the colourful test picture), and until the library reports
//     its video output;
//  2. a one-hour route sent to the map page (LoadTelemetry with the main
//     window's map) until the page holds every point, and until the next
//     frame after that is drawn.
//
// Prints one line per figure. Needs the xcb platform (xvfb-run).
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <QTreeWidget>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "program/ZELApp.h"
#include "controls/VideoStatic.h"
#include "dialogs/ZelFileListCtrl.h"
#include "map/HtmlMapDlg.h"
#include "mainwindow/PlaybackAdapters.h"
#include "mainwindow/ZELDlg.h"
#include "player/CVlcPlayer.h"
#include "player/VlcBinding.h"
#include "catalog/MediaCatalog.h"
#include "telemetry/TelemetryUtil.h"
#include "tools/recgen/RecordingGenerator.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 5;
constexpr int kVlcVoutEvent = 274;  // libvlc_MediaPlayerVout

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0, Clock::time_point t1) {
  return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::usleep(500);
  }
  return true;
}

double Median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// ------------------------------------------------------------------ data

fs::path DataDir() { return fs::path(VANTREL_BENCH_DATA); }

// Two ten-second 1280 x 720 recordings with real video, made once.
fs::path PictureCard() {
  const fs::path card = DataDir() / "picture-card";
  if (fs::exists(card / ".complete")) return card;
  fs::remove_all(card);
  recgen::CardSpec recipe;
  recipe.count = 2;
  recipe.containers = {recgen::Container::kMov};
  recipe.secondsPerFile = 10;
  recipe.realVideo = true;
  recipe.width = 1280;
  recipe.height = 720;
  std::string error;
  if (!recgen::WriteCard(recipe, card, nullptr, &error)) {
    std::fprintf(stderr, "card: %s\n", error.c_str());
    return {};
  }
  std::FILE* f = std::fopen((card / ".complete").c_str(), "w");
  if (f) std::fclose(f);
  return card;
}

// A MOV recording with an hour of fixes at `rate` a second.
fs::path HourRecording(int rate) {
  const fs::path dir = DataDir() / "routes";
  const fs::path path = dir / ("MOV_60" + std::to_string(rate) + "0F.MOV");
  if (fs::exists(path)) return path;
  fs::create_directories(dir);
  recgen::RecordingSpec recipe;
  recipe.durationMs = 3600000;
  recipe.gpsRate = static_cast<std::uint8_t>(rate);
  recgen::RouteProfile route;
  route.count = 3600 * rate;
  route.rate = rate;
  route.turnDegPerSecond = 0.2;
  recipe.route = recgen::MakeRoute(route);
  recipe.gsensor = recgen::MakeGSensorSeries(3600, 10, 8);
  std::string error;
  if (!recgen::WriteRecording(recipe, path, nullptr, &error)) {
    std::fprintf(stderr, "route recording: %s\n", error.c_str());
    return {};
  }
  return path;
}

// --------------------------------------------------------- first picture

std::atomic<long long> g_voutAtNs{0};

void OnVout(const libvlc_event_t*, void*) {
  g_voutAtNs.store(Clock::now().time_since_epoch().count());
}

bool WatchVideoOutput(CVlcPlayer& channel) {
  using ManagerFn = libvlc_event_manager_t*(libvlc_media_player_t*);
  using AttachFn = int(libvlc_event_manager_t*, int, VlcEventCallback, void*);
  VlcBinding& b = channel.Binding();
  auto* manager = b.Lookup<ManagerFn>("libvlc_media_player_event_manager");
  auto* attach = b.Lookup<AttachFn>("libvlc_event_attach");
  if (!manager || !attach || !channel.Handle()) return false;
  return attach(manager(channel.Handle()), kVlcVoutEvent, OnVout, nullptr) == 0;
}

QImage GrabSurface(QWidget* surface) {
  const QPoint at = surface->mapToGlobal(QPoint(0, 0));
  return surface->screen()
      ->grabWindow(0, at.x(), at.y(), surface->width(), surface->height())
      .toImage();
}

// Share of sampled pixels that differ clearly between two grabs. A stopped
// player keeps its last picture; the first picture of the next file (the
// moving test picture at its start) differs from it in a good part.
double ChangedShare(const QImage& before, const QImage& now) {
  if (before.size() != now.size() || now.isNull()) return 0;
  int changed = 0, samples = 0;
  const int stepY = std::max(1, now.height() / 40), stepX = std::max(1, now.width() / 40);
  for (int y = stepY / 2; y < now.height(); y += stepY) {
    for (int x = stepX / 2; x < now.width(); x += stepX) {
      const QColor a = before.pixelColor(x, y), b = now.pixelColor(x, y);
      ++samples;
      if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
              std::abs(a.blue() - b.blue()) > 60)
        ++changed;
    }
  }
  return samples ? static_cast<double>(changed) / samples : 0;
}

QPoint RowCentre(QTreeWidget* list, int row) {
  return list->visualItemRect(list->topLevelItem(row)).center();
}

void MeasureFirstPicture(CZELDlg& dlg) {
  const fs::path card = PictureCard();
  if (card.empty()) return;
  if (!dlg.Channel(1).IsAvailable()) {
    std::printf("first picture: the media-player library did not load\n");
    return;
  }
  if (dlg.OpenMediaPath(QString::fromStdString(card.string())) != 1 ||
      !WaitFor([&] { return dlg.Channel(1).HasMedia() && !dlg.Playback().IsBusy(); }, 30000)) {
    std::printf("first picture: the card did not start\n");
    return;
  }
  if (!WatchVideoOutput(dlg.Channel(1))) std::printf("first picture: no video-output events\n");
  CZelFileListCtrl* list = dlg.FileList();
  QWidget* surface = dlg.VideoSurface(1);
  std::vector<double> vout, picture, firstTime;
  for (int run = 0; run < kRuns; ++run) {
    // From a stopped player, whose surface keeps its last picture.
    dlg.Channel(1).Stop();
    dlg.Channel(2).Stop();
    WaitFor([] { return false; }, 800);
    const QImage before = GrabSurface(surface);
    g_voutAtNs.store(0);
    const int row = run % 2;
    const auto t0 = Clock::now();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, RowCentre(list, row));
    const bool shown = WaitFor([&] { return ChangedShare(before, GrabSurface(surface)) > 0.05; },
                               10000);
    const auto t1 = Clock::now();
    // The player stays busy until the library's first time event.
    const bool timed = WaitFor([&] { return !dlg.Playback().IsBusy(); }, 10000);
    const auto t2 = Clock::now();
    if (!shown) {
      std::printf("first picture: run %d showed no picture\n", run);
      continue;
    }
    picture.push_back(MsSince(t0, t1));
    if (timed) firstTime.push_back(MsSince(t0, t2));
    const long long voutNs = g_voutAtNs.load();
    if (voutNs) vout.push_back(MsSince(t0, Clock::time_point(Clock::duration(voutNs))));
    WaitFor([] { return false; }, 1500);  // let it play a little
  }
  std::printf("first_picture_ms median=%.0f runs=%zu", Median(picture), picture.size());
  for (double v : picture) std::printf(" %.0f", v);
  std::printf("\nfirst_time_event_ms median=%.0f runs=%zu\n", Median(firstTime), firstTime.size());
  if (!vout.empty()) std::printf("video_output_ms median=%.0f runs=%zu\n", Median(vout), vout.size());
  dlg.Channel(1).Stop();
  dlg.Channel(2).Stop();
}

// ------------------------------------------------------------ route drawn

// The answer may come after the wait gave up, so it lands in shared state.
// The page is asked through the map view each time, which first sends the
// calls it has gathered.
QVariant Evaluate(CHtmlMapDlg* map, const QString& script) {
  QWebEnginePage* page = map->BrowserView()->page();
  struct Answer {
    QVariant value;
    bool done = false;
  };
  auto answer = std::make_shared<Answer>();
  page->runJavaScript(script, [answer](const QVariant& v) {
    answer->value = v;
    answer->done = true;
  });
  WaitFor([&] { return answer->done; }, 120000);
  return answer->value;
}

// The page's own cost: every point in one script, no call per point.
double PageOnlyMs(CHtmlMapDlg* map, const std::vector<GpsFix>& fixes) {
  QString script = QStringLiteral("path_delete();");
  for (const GpsFix& f : fixes) {
    double latitude = f.latitude, longitude = f.longitude;
    if (!NormalizeFixPair(latitude, longitude)) continue;
    script += QStringLiteral("path_plot(%1,%2);")
                  .arg(DdmmToDegrees(latitude), 0, 'f', 6)
                  .arg(DdmmToDegrees(longitude), 0, 'f', 6);
  }
  script += QStringLiteral("__vantrel_state().route");
  const auto t0 = Clock::now();
  Evaluate(map, script);
  return MsSince(t0, Clock::now());
}

void MeasureRoute(CZELDlg& dlg, int rate) {
  const fs::path file = HourRecording(rate);
  CHtmlMapDlg* map = dlg.MapView();
  if (file.empty() || !map || !map->BrowserView()) return;
  if (!WaitFor([&] { return map->IsPageReady(); }, 30000)) {
    std::printf("route: the map page did not load\n");
    return;
  }
  MapSinkAdapter sink;
  sink.SetMap(map);
  MediaCatalog catalog;
  catalog.Attach(nullptr, nullptr, nullptr, &sink, nullptr);
  if (catalog.Load(file.parent_path().string() + "/", file.filename().string()) != 1) return;
  const int fixes = 3600 * rate;
  std::vector<double> sent, held, drawn;
  for (int run = 0; run < 3; ++run) {
    Evaluate(map, "path_delete()");
    const auto t0 = Clock::now();
    catalog.LoadTelemetry(0);
    map->InitMap(0, 0);
    const auto t1 = Clock::now();
    // Scripts run in order, so this answer comes after the last point.
    const int count = Evaluate(map, "__vantrel_state().route").toInt();
    const auto t2 = Clock::now();
    Evaluate(map,
             "window.__bench_drawn = false;"
             "requestAnimationFrame(function () { requestAnimationFrame(function () {"
             "  window.__bench_drawn = true; }); }); 0");
    WaitFor([&] { return Evaluate(map, "window.__bench_drawn").toBool(); }, 60000);
    const auto t3 = Clock::now();
    if (count != fixes) std::printf("route: the page holds %d of %d points\n", count, fixes);
    sent.push_back(MsSince(t0, t1));
    held.push_back(MsSince(t0, t2));
    drawn.push_back(MsSince(t0, t3));
  }
  std::printf("route_%dfps_points=%d load_telemetry_ms=%.0f page_holds_route_ms=%.0f "
              "route_drawn_ms=%.0f one_script_ms=%.0f\n",
              rate, fixes, Median(sent), Median(held), Median(drawn),
              PageOnlyMs(map, catalog.LoadedFixes()));
}

}  // namespace

int main(int argc, char** argv) {
  setenv("VANTREL_VLC_ARGS", "--aout=dummy", 0);
  setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  const fs::path work = fs::temp_directory_path() / ("vantrel-bench-gui-" + std::to_string(::getpid()));
  fs::create_directories(work);
  fs::current_path(work);  // the settings file lives in the current directory

  CZELApp::PrepareProcess();
  QApplication app(argc, argv);
  CZELApp::InstallCoreSeams();
  int status = 0;
  if (QGuiApplication::platformName() != QLatin1String("xcb")) {
    std::fprintf(stderr, "bench_gui needs an X display (run it under xvfb-run)\n");
    status = 1;
  } else {
    CZELDlg dlg;
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg)) {
      status = 1;
    } else {
      MeasureRoute(dlg, 1);
      MeasureRoute(dlg, 10);
      MeasureFirstPicture(dlg);
    }
  }
  std::error_code ec;
  fs::current_path(fs::temp_directory_path(), ec);
  fs::remove_all(work, ec);
  return status;
}

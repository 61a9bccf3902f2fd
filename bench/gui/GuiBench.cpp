// The player's two interactive waits, measured in the real main window
// under X with the real media-player library and browser engine:
//
//  1. a double-click on a file in the file list until its first picture is
//     on the screen (the video surface's pixels, grabbed from the screen,
//     turn into the colourful test picture), and until the library reports
//     its video output;
//  2. a one-hour route sent to the map page (LoadTelemetry with the main
//     window's map) until the page holds every point, and until the next
//     frame after that is drawn;
//  3. a two-camera drive played through its boundaries: how long the last
//     picture of one recording stays before the first picture of the next
//     (front and rear surfaces, watched from the screen), and the rear
//     channel's drift from the front, sampled every 50 ms.
//
// Prints one line per figure; "bench_gui drive" runs only the drive.
// Needs the xcb platform (xvfb-run).
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <QTimer>
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
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/gui/BenchTiming.h"
#include "program/ZELApp.h"
#include "controls/VideoStatic.h"
#include "dialogs/ZelFileListCtrl.h"
#include "map/HtmlMapDlg.h"
#include "mainwindow/PlaybackAdapters.h"
#include "mainwindow/ZELDlg.h"
#include "mainwindow/core/PlaybackController.h"
#include "player/CVlcPlayer.h"
#include "player/VlcBinding.h"
#include "catalog/MediaCatalog.h"
#include "telemetry/TelemetryUtil.h"
#include "tools/recgen/RecordingGenerator.h"

// Last: Xlib's macros would clash with the names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef None
#undef Bool
#undef Status

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 5;
constexpr int kVlcVoutEvent = 274;  // libvlc_MediaPlayerVout
constexpr int kVlcEndEvent = 265;   // libvlc_MediaPlayerEndReached

using bench::Clock;
using bench::MsSince;

bool WaitFor(const std::function<bool()>& done, int timeoutMs) { return bench::WaitFor(done, timeoutMs, 500); }
double Median(const std::vector<double>& v) { return bench::Median(v, -1); }

// The value below which `share` of `v` lies (nearest rank).
double Percentile(std::vector<double> v, double share) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  const auto rank = static_cast<std::size_t>(share * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(rank, v.size() - 1)];
}

// ------------------------------------------------------------------ data

fs::path DataDir() { return fs::path(VANTREL_BENCH_DATA); }

// The card `name` below the data folder, written from `recipe` on the first
// run and kept (a marker file says it was written whole).
fs::path CachedCard(const char* name, const recgen::CardRecipe& recipe) {
  const fs::path card = DataDir() / name;
  if (fs::exists(card / ".complete")) return card;
  fs::remove_all(card);
  std::string error;
  if (!recgen::WriteCard(recipe, card, nullptr, &error)) {
    std::fprintf(stderr, "%s: %s\n", name, error.c_str());
    return {};
  }
  std::FILE* f = std::fopen((card / ".complete").c_str(), "w");
  if (f) std::fclose(f);
  return card;
}

// Two ten-second 1280 x 720 recordings with real video, made once.
fs::path PictureCard() {
  recgen::CardRecipe recipe;
  recipe.count = 2;
  recipe.containers = {recgen::Container::kMov};
  recipe.secondsPerFile = 10;
  recipe.realVideo = true;
  recipe.width = 1280;
  recipe.height = 720;
  return CachedCard("picture-card", recipe);
}

// A MOV recording with an hour of fixes at `rate` a second.
fs::path HourRecording(int rate) {
  const fs::path dir = DataDir() / "routes";
  const fs::path path = dir / ("MOV_60" + std::to_string(rate) + "0F.MOV");
  if (fs::exists(path)) return path;
  fs::create_directories(dir);
  recgen::RecordingRecipe recipe;
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


// ------------------------------------------------------ drive boundaries

constexpr int kDriveRecordings = 5;
constexpr int kDriveSeconds = 8;

// One drive of five eight-second recordings, front and rear, with real
// video (15 pictures a second), made once.
fs::path DriveCard() {
  recgen::CardRecipe recipe;
  recipe.count = kDriveRecordings;
  recipe.rear = true;
  recipe.containers = {recgen::Container::kMov};
  recipe.secondsPerFile = kDriveSeconds;
  recipe.realVideo = true;
  recipe.width = 640;
  recipe.height = 360;
  return CachedCard("drive-card", recipe);
}

// Watches screen rectangles from a thread with its own X connection and
// notes the moments a new picture appears in each: a grab that differs from
// the one before; a plain (black) rectangle is no picture.
class PictureWatch {
 public:
  struct Area {
    int x = 0, y = 0, width = 0, height = 0;
  };
  explicit PictureWatch(std::vector<Area> areas) : m_areas(std::move(areas)), m_changes(m_areas.size()) {}
  ~PictureWatch() { Stop(); }

  bool Start(Clock::time_point t0) {
    m_t0 = t0;
    m_display = XOpenDisplay(nullptr);
    if (!m_display) return false;
    m_thread = std::thread([this] { Run(); });
    return true;
  }
  void Stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    if (m_display) XCloseDisplay(m_display);
    m_display = nullptr;
  }
  // Moments (ms from t0) a new picture appeared in area `i`.
  std::vector<double> Changes(std::size_t i) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_changes[i];
  }
  int Grabs() const { return m_grabs; }

 private:
  using Pixels = std::vector<unsigned long>;

  bool Grab(const Area& a, Pixels& out) {
    XImage* image = XGetImage(m_display, DefaultRootWindow(m_display), a.x, a.y,
                              static_cast<unsigned>(a.width), static_cast<unsigned>(a.height),
                              AllPlanes, ZPixmap);
    if (!image) return false;
    out.clear();
    for (int y = 1; y < a.height; y += 3)
      for (int x = 1; x < a.width; x += 3) out.push_back(XGetPixel(image, x, y));
    XDestroyImage(image);
    return true;
  }
  static int Channel(unsigned long p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }
  static int Distance(unsigned long a, unsigned long b) {
    return std::abs(Channel(a, 16) - Channel(b, 16)) + std::abs(Channel(a, 8) - Channel(b, 8)) +
           std::abs(Channel(a, 0) - Channel(b, 0));
  }
  static bool Plain(const Pixels& p) {
    if (p.empty()) return true;
    return std::all_of(p.begin(), p.end(), [&](unsigned long v) { return Distance(v, p[0]) < 30; });
  }
  // The screen changes there only when the player draws, so a few slightly
  // changed pixels (the gradient band scrolls by a pixel a picture) are a
  // new picture.
  static bool NewPicture(const Pixels& before, const Pixels& now) {
    if (before.size() != now.size() || Plain(now)) return false;
    int changed = 0;
    for (std::size_t i = 0; i < now.size(); ++i)
      if (Distance(before[i], now[i]) > 6 && ++changed >= 3) return true;
    return false;
  }

  void Run() {
    std::vector<Pixels> last(m_areas.size()), now(m_areas.size());
    while (!m_stop) {
      for (std::size_t i = 0; i < m_areas.size(); ++i) {
        if (!Grab(m_areas[i], now[i])) continue;
        const double at = MsSince(m_t0, Clock::now());
        if (NewPicture(last[i], now[i])) {
          std::lock_guard<std::mutex> lock(m_mutex);
          m_changes[i].push_back(at);
        }
        last[i].swap(now[i]);
      }
      ++m_grabs;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  std::vector<Area> m_areas;
  std::vector<std::vector<double>> m_changes;
  Clock::time_point m_t0;
  Display* m_display = nullptr;
  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_grabs{0};
  std::mutex m_mutex;
};

PictureWatch::Area AreaOf(QWidget* surface) {
  const QPoint at = surface->mapToGlobal(QPoint(0, 0));
  return {at.x(), at.y(), surface->width(), surface->height()};
}

std::mutex g_endMutex;
std::vector<Clock::time_point> g_frontEnds;

void OnFrontEnd(const libvlc_event_t*, void*) {
  std::lock_guard<std::mutex> lock(g_endMutex);
  g_frontEnds.push_back(Clock::now());
}

bool WatchEnds(CVlcPlayer& channel) {
  using ManagerFn = libvlc_event_manager_t*(libvlc_media_player_t*);
  using AttachFn = int(libvlc_event_manager_t*, int, VlcEventCallback, void*);
  VlcBinding& b = channel.Binding();
  auto* manager = b.Lookup<ManagerFn>("libvlc_media_player_event_manager");
  auto* attach = b.Lookup<AttachFn>("libvlc_event_attach");
  if (!manager || !attach || !channel.Handle()) return false;
  return attach(manager(channel.Handle()), kVlcEndEvent, OnFrontEnd, nullptr) == 0;
}

// The longest wait for a new picture around a boundary: from the last
// picture before to the first after, within [endMs - 1500, endMs + 3000].
double GapAround(const std::vector<double>& changes, double endMs) {
  double longest = -1, previous = -1;
  for (double t : changes) {
    if (t < endMs - 1500) {
      previous = t;
      continue;
    }
    if (t > endMs + 3000) break;
    if (previous >= 0) longest = std::max(longest, t - previous);
    previous = t;
  }
  return longest;
}

// Typical time between two pictures, well inside the recordings.
double FrameInterval(const std::vector<double>& changes) {
  std::vector<double> steps;
  for (std::size_t i = 1; i < changes.size(); ++i) steps.push_back(changes[i] - changes[i - 1]);
  return Median(steps);
}

void PrintGaps(const char* name, const std::vector<double>& gaps, double interval) {
  std::printf("%s_gap_ms max=%.0f", name, gaps.empty() ? -1.0 : *std::max_element(gaps.begin(), gaps.end()));
  for (double g : gaps) std::printf(" %.0f", g);
  std::printf(" (picture interval %.0f)\n", interval);
}

void MeasureDrive(CZELDlg& dlg) {
  const fs::path card = DriveCard();
  if (card.empty()) return;
  if (!dlg.Channel(1).IsAvailable()) {
    std::printf("drive: the media-player library did not load\n");
    return;
  }
  WatchEnds(dlg.Channel(1));
  if (dlg.OpenMediaPath(QString::fromStdString(card.string())) != 1 ||
      !WaitFor([&] { return dlg.Playback().IsPlaying() && dlg.Playback().PositionMs() > 0; }, 30000)) {
    std::printf("drive: the card did not start\n");
    return;
  }
  const auto t0 = Clock::now();
  PictureWatch watch({AreaOf(dlg.VideoSurface(1)), AreaOf(dlg.VideoSurface(2))});
  if (!watch.Start(t0)) {
    std::printf("drive: no X connection for the picture watch\n");
    return;
  }
  // The rear's drift from the front while both play their paired recordings
  // (not while one waits at an end or on a first picture).
  std::vector<double> drift;
  QTimer sampler;
  QObject::connect(&sampler, &QTimer::timeout, [&] {
    PlaybackController& pc = dlg.Playback();
    if (!pc.IsPlaying() || pc.CompanionPath().empty() || pc.FirstPicturePending(2) ||
        !dlg.Channel(2).IsPlaying())
      return;
    const std::int64_t front = pc.PositionMs(), rear = pc.CompanionPositionMs();
    if (front > 0 && rear > 0) drift.push_back(static_cast<double>(std::llabs(rear - front)));
  });
  sampler.start(50);
  const int boundaries = kDriveRecordings - 1;
  WaitFor([&] {
    std::lock_guard<std::mutex> lock(g_endMutex);
    return static_cast<int>(g_frontEnds.size()) >= boundaries;
  }, kDriveRecordings * kDriveSeconds * 1000 + 30000);
  WaitFor([] { return false; }, 3500);  // the last boundary's aftermath
  sampler.stop();
  watch.Stop();
  dlg.Channel(1).Stop();
  dlg.Channel(2).Stop();

  std::vector<double> ends;
  {
    std::lock_guard<std::mutex> lock(g_endMutex);
    for (const auto& e : g_frontEnds) ends.push_back(MsSince(t0, e));
  }
  if (ends.size() > static_cast<std::size_t>(boundaries)) ends.resize(boundaries);
  const std::vector<double> front = watch.Changes(0), rear = watch.Changes(1);
  std::vector<double> frontGaps, rearGaps;
  for (double end : ends) {
    frontGaps.push_back(GapAround(front, end));
    rearGaps.push_back(GapAround(rear, end));
  }
  std::printf("drive_boundaries=%zu grabs=%d\n", ends.size(), watch.Grabs());
  // Where a front gap goes: last picture to the library's end event, end
  // event to the next recording's first picture.
  std::printf("front_split_ms");
  for (double end : ends) {
    const auto after = std::upper_bound(front.begin(), front.end(), end);
    if (after == front.begin() || after == front.end()) continue;
    std::printf(" %.0f+%.0f", end - *(after - 1), *after - end);
  }
  std::printf("\n");
  PrintGaps("front", frontGaps, FrameInterval(front));
  PrintGaps("rear", rearGaps, FrameInterval(rear));
  std::printf("rear_drift_ms samples=%zu p50=%.0f p90=%.0f max=%.0f\n", drift.size(),
              Percentile(drift, 0.5), Percentile(drift, 0.9), Percentile(drift, 1.0));
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
      const bool driveOnly = argc > 1 && std::string(argv[1]) == "drive";
      if (!driveOnly) {
        MeasureRoute(dlg, 1);
        MeasureRoute(dlg, 10);
        MeasureFirstPicture(dlg);
      }
      MeasureDrive(dlg);
    }
  }
  std::error_code ec;
  fs::current_path(fs::temp_directory_path(), ec);
  fs::remove_all(work, ec);
  return status;
}

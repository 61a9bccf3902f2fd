// How the main window answers while a large card is scanned, measured in
// the real window under X:
//
//  1. a card of 3000 recordings opened: time to its first listed rows, to
//     the end of the scan, the longest the window's thread went without
//     handling events meanwhile, and the cost of the final sorted and
//     grouped lists;
//  2. Stop clicked at several moments of the scan: time from the click
//     being posted (from another thread, as input arrives) until the scan
//     has ended and the catalogue is empty.
//
// Prints one line per figure. Needs the xcb platform (xvfb-run).
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "bench/gui/BenchTiming.h"
#include "dialogs/ZelFileListCtrl.h"
#include "mainwindow/FileOpsController.h"
#include "mainwindow/ZELDlg.h"
#include "program/ZELApp.h"
#include "tools/recgen/RecordingGenerator.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRecordings = 3000;
using bench::Clock;
using bench::MsSince;
using bench::WaitFor;

double Median(const std::vector<double>& v) { return bench::Median(v, 0); }

bool StartScan(CZELDlg& dlg, const fs::path& card) {
  return dlg.OpenMedia(CZELDlg::kOpenFolder, QString::fromStdString(card.string())) ==
         FileOpsHooks::kOpenScanning;
}

void MeasureScan(CZELDlg& dlg, const fs::path& card) {
  // A timer that ticks whenever the window's thread handles events.
  Clock::time_point lastTick = Clock::now();
  double longestStall = 0;
  QTimer heartbeat;
  QObject::connect(&heartbeat, &QTimer::timeout, [&] {
    const Clock::time_point now = Clock::now();
    longestStall = std::max(longestStall, MsSince(lastTick, now));
    lastTick = now;
  });
  const Clock::time_point t0 = Clock::now();
  if (!StartScan(dlg, card)) return;
  lastTick = Clock::now();
  heartbeat.start(5);
  double firstRows = -1;
  WaitFor([&] {
    if (firstRows < 0 && dlg.FileList()->RowCount() > 0) firstRows = MsSince(t0, Clock::now());
    return !dlg.IsScanning();
  }, 120000);
  const double total = MsSince(t0, Clock::now());
  heartbeat.stop();
  // The end of the scan lists the whole card afresh, sorted and grouped.
  const Clock::time_point t1 = Clock::now();
  dlg.Catalog().AddScanned({});
  std::printf("scan_%d_recordings first_rows_ms=%.0f scan_ms=%.0f longest_stall_ms=%.0f "
              "final_lists_ms=%.0f entries=%d\n",
              kRecordings, firstRows, total, longestStall, MsSince(t1, Clock::now()),
              dlg.Catalog().EntryCount());
  dlg.Playback().Stop();
}

void MeasureStop(CZELDlg& dlg, const fs::path& card) {
  auto* stop = qobject_cast<QAbstractButton*>(dlg.Control(kIdStop));
  if (!stop) return;
  std::vector<double> answers, handled;
  Clock::time_point pressed, ended;
  QObject::connect(stop, &QAbstractButton::pressed, [&] { pressed = Clock::now(); });
  QObject::connect(&dlg, &CZELDlg::ScanEnded, [&] { ended = Clock::now(); });
  for (int delayMs : {20, 50, 80, 110, 140, 170, 200, 230, 260, 290}) {
    if (!StartScan(dlg, card)) return;
    Clock::time_point posted;
    std::thread clicker([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
      posted = Clock::now();
      QMetaObject::invokeMethod(stop, "click", Qt::QueuedConnection);
    });
    WaitFor([&] { return !dlg.IsScanning(); }, 120000);
    clicker.join();
    // A scan that ended by itself before the click is no answer to Stop.
    if (ended < posted || !dlg.Catalog().Empty()) continue;
    answers.push_back(MsSince(posted, ended));
    handled.push_back(MsSince(pressed, ended));
    WaitFor([] { return false; }, 50);
  }
  std::printf("stop_during_scan_ms median=%.1f max=%.1f runs=%zu",
              Median(answers), answers.empty() ? 0 : *std::max_element(answers.begin(), answers.end()),
              answers.size());
  for (double v : answers) std::printf(" %.1f", v);
  std::printf(" (of which the Stop handler:");
  for (double v : handled) std::printf(" %.1f", v);
  std::printf(")\n");
}

}  // namespace

int main(int argc, char** argv) {
  setenv("VANTREL_VLC_ARGS", "--aout=dummy", 0);
  setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  const fs::path work = fs::temp_directory_path() / ("vantrel-bench-scan-" + std::to_string(::getpid()));
  fs::create_directories(work);
  fs::current_path(work);  // the settings file lives in the current directory

  recgen::CardRecipe recipe;
  recipe.count = kRecordings;
  recipe.nested = true;
  recipe.containers = {recgen::Container::kMov, recgen::Container::kAvi};
  const fs::path card = work / "card";
  CZELApp::PrepareProcess();
  QApplication app(argc, argv);
  CZELApp::InstallCoreSeams();
  int status = 0;
  if (QGuiApplication::platformName() != QLatin1String("xcb")) {
    std::fprintf(stderr, "bench_scan needs an X display (run it under xvfb-run)\n");
    status = 1;
  } else if (!recgen::WriteCard(recipe, card)) {
    std::fprintf(stderr, "bench_scan: the card could not be made\n");
    status = 1;
  } else {
    CZELDlg dlg;
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg)) {
      status = 1;
    } else {
      MeasureScan(dlg, card);
      MeasureStop(dlg, card);
    }
  }
  std::error_code ec;
  fs::current_path(fs::temp_directory_path(), ec);
  fs::remove_all(work, ec);
  return status;
}

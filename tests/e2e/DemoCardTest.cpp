// The whole player on the demo card, as a user meets it: the card made by
// tools/make-demo-card.sh, opened through the same entry point as Open and
// `vantrel PATH`, played by the real media-player library into X windows,
// the route drawn by the browser engine on the built-in map page, the KML
// button's document checked against vantrel-cli, and unlock and copy of one
// drive on a copy of the card.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "PlayerTestSupport.h"
#include "program/ZELApp.h"
#include "controls/PngCompassStatic.h"
#include "controls/SpeedLabelStatic.h"
#include "controls/VideoSlider.h"
#include "dialogs/ZelFileListCtrl.h"
#include "dialogs/ZelGroupListCtrl.h"
#include "mainwindow/FileOpsController.h"
#include "mainwindow/ZELDlg.h"
#include "map/HtmlMapDlg.h"
#include "platform/Environment.h"
#include "catalog/MediaEntry.h"

namespace fs = std::filesystem;

namespace {

fs::path g_work;      // temporary working folder (settings file, documents)
fs::path g_card;      // the demo card, as the script made it
std::string g_cardError;

constexpr int kLockedFlags = static_cast<int>(kEntryGMark | kEntryReadOnly);

using e2e::WaitFor;

// The map page's own account of what it was sent and what it shows.
QVariantMap MapState(CHtmlMapDlg* map) {
  QVariantMap state;
  if (!map || !map->BrowserView()) return state;
  bool ready = false;
  map->BrowserView()->page()->runJavaScript(
      QStringLiteral("window.__vantrel_state ? window.__vantrel_state() : null"),
      [&](const QVariant& v) {
        state = v.toMap();
        ready = true;
      });
  WaitFor([&] { return ready; }, 5000);
  return state;
}

std::string ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool OwnerWritable(const fs::path& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) != 0;
}

std::vector<fs::path> FilesBelow(const fs::path& dir) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file()) files.push_back(it->path());
  std::sort(files.begin(), files.end());
  return files;
}

// The first line where two texts differ, both versions, for a failure message.
std::string FirstDifference(const std::string& a, const std::string& b) {
  std::size_t start = 0;
  for (int line = 1;; ++line) {
    const std::size_t endA = a.find('\n', start);
    const std::size_t endB = b.find('\n', start);
    const std::string la = a.substr(start, endA == std::string::npos ? std::string::npos : endA - start);
    const std::string lb = b.substr(start, endB == std::string::npos ? std::string::npos : endB - start);
    if (la != lb || endA != endB)
      return "line " + std::to_string(line) + ":\n  " + la + "\n  " + lb;
    if (endA == std::string::npos) return "no difference";
    start = endA + 1;
  }
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Runs a program to its end; its exit code, or -1 when it did not run.
int RunProgram(const QString& program, const QStringList& args, QString* output,
               int timeoutMs = 240000) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("VANTREL_BUILD_DIR"), QStringLiteral(VANTREL_BINARY_DIR));
  process.setProcessEnvironment(env);
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, args);
  if (!process.waitForStarted(10000)) return -1;
  if (!process.waitForFinished(timeoutMs)) {
    process.kill();
    process.waitForFinished(5000);
    return -1;
  }
  if (output) *output = QString::fromUtf8(process.readAll());
  return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// Answers the message boxes a button opens modally: each box found is
// closed with its default button and its text kept.
class ModalCloser {
 public:
  ModalCloser() {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box || !box->isVisible()) continue;
        m_texts << box->text();
        box->accept();
      }
    });
    m_timer.start(100);
  }
  const QStringList& Texts() const { return m_texts; }

 private:
  QTimer m_timer;
  QStringList m_texts;
};

// Rows of the window's lists checked against the catalogue they show.
void ExpectListsShowCatalogue(CZELDlg& dlg) {
  const MediaCatalog& catalog = dlg.Catalog();
  ASSERT_EQ(dlg.FileList()->RowCount(), catalog.EntryCount());
  ASSERT_EQ(dlg.GroupList()->RowCount(), static_cast<int>(catalog.Groups().size()));
  for (int i = 0; i < catalog.EntryCount(); ++i)
    EXPECT_EQ(dlg.FileList()->RowIcon(i), static_cast<int>(catalog.Entries()[i].flags))
        << catalog.Entries()[i].name;
  for (std::size_t g = 0; g < catalog.Groups().size(); ++g)
    EXPECT_EQ(dlg.GroupList()->RowIcon(static_cast<int>(g)), catalog.Groups()[g].flags) << g;
}

// The group holding the entry whose name is `name`; -1 when none.
int GroupOf(const MediaCatalog& catalog, const std::string& name) {
  for (const GroupMember& m : catalog.Members())
    if (catalog.Entries()[m.entryIndex].name == name) return m.group;
  return -1;
}

// Presses the KML button, answers its message, and returns the one
// document written below the KML folder (empty when there is none).
std::string PressKml(CZELDlg& dlg) {
  const fs::path folder = g_work / "Documents" / "ZEL" / "KML";
  std::error_code ec;
  fs::remove_all(folder, ec);
  QStringList texts;
  {
    ModalCloser closer;
    static_cast<QAbstractButton*>(dlg.Control(kIdKml))->click();
    WaitFor([&] { return !closer.Texts().isEmpty(); }, 5000);
    texts = closer.Texts();
  }
  const std::vector<fs::path> written = FilesBelow(folder);
  EXPECT_EQ(written.size(), 1u) << "documents written below " << folder;
  if (written.size() != 1) return std::string();
  // The message names the document.
  EXPECT_TRUE(texts.size() == 1 && texts[0].contains(QString::fromStdString(written[0].filename().string())))
      << texts.join('\n').toStdString();
  return ReadBytes(written[0]);
}

// The document vantrel-cli writes for `file` (empty when it failed).
std::string CliKml(const std::string& file) {
  const fs::path out = g_work / "cli-kml";
  std::error_code ec;
  fs::remove_all(out, ec);
  QString output;
  const int rc = RunProgram(QStringLiteral(VANTREL_BINARY_DIR "/cli/vantrel-cli"),
                            {QStringLiteral("kml"), QString::fromStdString(file),
                             QStringLiteral("--out"), QString::fromStdString(out.string())},
                            &output, 60000);
  EXPECT_EQ(rc, 0) << output.toStdString();
  const std::vector<fs::path> written = FilesBelow(out);
  EXPECT_EQ(written.size(), 1u) << output.toStdString();
  return written.size() == 1 ? ReadBytes(written[0]) : std::string();
}

class DemoCardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
      GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    ASSERT_TRUE(g_cardError.empty()) << g_cardError;
    ASSERT_FALSE(g_card.empty());
  }
};

TEST_F(DemoCardTest, PlaysTheCardWithMapInstrumentsAndKml) {
  CZELDlg dlg;
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  ASSERT_TRUE(dlg.Channel(1).IsAvailable()) << "the media-player library did not load";
  ASSERT_TRUE(dlg.IsMapShown());
  const unsigned compassBefore = dlg.Compass()->ImageIndex();

  // Opened as Open and the command line open a card.
  ASSERT_EQ(dlg.OpenMediaPath(QString::fromStdString(g_card.string())), 1);
  ASSERT_TRUE(WaitFor([&] { return !dlg.IsScanning(); }, 20000));
  const MediaCatalog& catalog = dlg.Catalog();
  ASSERT_EQ(catalog.EntryCount(), 14);
  {
    SCOPED_TRACE("lists");
    ExpectListsShowCatalogue(dlg);
  }

  // The drives in catalogue order: each minute's front recording followed
  // by its rear, the minutes chained by their lengths.
  const std::vector<std::vector<std::string>> groups = {
      {"AVI_0001F.AVI", "AVI_0001R.AVI", "AVI_0002F.AVI", "AVI_0002R.AVI", "AVIG0003F.AVI",
       "AVIG0003R.AVI", "AVI_0004F.AVI", "AVI_0004R.AVI", "AVI_0005F.AVI", "AVI_0005R.AVI"},
      {"MOV_0006F.MOV", "MOV_0006R.MOV", "VIDG0007F.mp4", "VIDG0007R.mp4"}};
  ASSERT_EQ(catalog.Groups().size(), groups.size());
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const MediaGroup& group = catalog.Groups()[g];
    ASSERT_EQ(group.memberCount, static_cast<int>(groups[g].size())) << "group " << g;
    std::uint32_t flags = 0;
    for (int k = 0; k < group.memberCount; ++k) {
      const MediaEntry& e = catalog.Entries()[group.firstEntry + k];
      EXPECT_EQ(e.name, groups[g][k]) << "group " << g;
      // The locked recordings lie in DCIM/Event with the G mark, read-only.
      const bool locked = e.subPath.find("Event/") != std::string::npos;
      EXPECT_EQ(e.flags, locked ? static_cast<std::uint32_t>(kLockedFlags) : 0u) << e.FullPath();
      EXPECT_EQ(OwnerWritable(e.FullPath()), !locked) << e.FullPath();
      flags |= e.flags;
    }
    EXPECT_EQ(group.flags, flags) << "group " << g;
  }
  EXPECT_EQ(catalog.Groups()[0].flags, kLockedFlags);
  EXPECT_EQ(catalog.Groups()[1].flags, kLockedFlags);

  // Entry 0 plays on channel 1, its rear companion on channel 2.
  ASSERT_TRUE(WaitFor([&] { return dlg.Channel(1).HasMedia() && dlg.Channel(2).HasMedia(); }));
  const std::string first = catalog.Entries()[0].name;
  EXPECT_TRUE(EndsWith(dlg.Channel(1).Path(), "DCIM/Movie/F/" + first)) << dlg.Channel(1).Path();
  std::string rear = first;
  rear[rear.size() - 5] = 'R';
  EXPECT_TRUE(EndsWith(dlg.Channel(2).Path(), "DCIM/Movie/R/" + rear)) << dlg.Channel(2).Path();
  EXPECT_TRUE(dlg.FileList()->IsRowMarked(0));
  ASSERT_TRUE(WaitFor([&] { return dlg.Channel(1).IsPlaying() && dlg.Channel(2).IsPlaying(); }));

  // The time events move the slider and the instruments, and the map
  // follows the car through Paris.
  ASSERT_TRUE(WaitFor([&] { return dlg.SeekSlider()->value() > 0; }));
  ASSERT_TRUE(WaitFor([&] { return dlg.SpeedDisplay()->Speed() > 0; }));
  EXPECT_TRUE(dlg.SpeedDisplay()->IsValid());
  EXPECT_TRUE(WaitFor([&] { return dlg.Compass()->ImageIndex() != compassBefore; }))
      << "the compass stayed at " << compassBefore;
  QVariantMap state;
  ASSERT_TRUE(WaitFor([&] {
    state = MapState(dlg.MapView());
    return state.value("route").toInt() > 0 && !state.value("shownLat").isNull();
  })) << "the map page shows no route or marker";
  const double lat0 = state.value("markerLat").toDouble();
  const double lng0 = state.value("markerLng").toDouble();
  // Near the Concorde, where the first drive sets off.
  EXPECT_NEAR(lat0, 48.866, 0.015);
  EXPECT_NEAR(lng0, 2.320, 0.015);
  ASSERT_TRUE(WaitFor([&] {
    state = MapState(dlg.MapView());
    return state.value("markerLat").toDouble() != lat0 || state.value("markerLng").toDouble() != lng0;
  })) << "the map marker did not move";

  // A seek redraws the driven part of the route at the next seek tick.
  const int drivenBefore = MapState(dlg.MapView()).value("driven").toInt();
  dlg.SeekSlider()->setValue(600);
  emit dlg.SeekSlider()->seekRequested(dlg.SeekSlider()->value());
  ASSERT_TRUE(WaitFor([&] {
    const int driven = MapState(dlg.MapView()).value("driven").toInt();
    return driven > 0 && driven != drivenBefore;
  })) << "the driven route was not redrawn";
  ASSERT_TRUE(WaitFor([&] { return dlg.Playback().PendingSeek() == PlaybackShared::kNoSeek; }));
  EXPECT_EQ(dlg.Catalog().CurrentIndex(), 0);
  // Both pictures went on from 60 % of the minute.
  EXPECT_TRUE(WaitFor([&] { return dlg.Channel(1).GetTime() > 30000; }));
  EXPECT_TRUE(WaitFor([&] { return dlg.Channel(2).GetTime() > 30000; }));

  // Let the page draw the driven route, then keep pictures of the window.
  // Other tests' windows may share the display: this one goes on top.
  dlg.raise();
  QTest::qWait(1500);
  const QString shots = QStringLiteral(VANTREL_BINARY_DIR "/screenshots");
  QDir().mkpath(shots);
  // The video surfaces are the library's own X windows: only the screen
  // shows their pictures; the widget grab shows the rest as the window draws it.
  const QRect frame = dlg.frameGeometry();
  const QPixmap screen = dlg.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
  EXPECT_TRUE(screen.save(shots + "/e2e-player.png"));
  EXPECT_TRUE(dlg.grab().save(shots + "/e2e-player-widgets.png"));

  // The KML button writes the document vantrel-cli writes for the file,
  // except that a recording found on a card is described by its sub-folder.
  const MediaEntry& entry0 = catalog.Entries()[0];
  const std::string fromCard = PressKml(dlg);
  std::string expected = CliKml(entry0.FullPath());
  ASSERT_FALSE(fromCard.empty());
  ASSERT_FALSE(expected.empty());
  const std::string bare = "\"/" + entry0.name + "\"";
  ASSERT_NE(expected.find(bare), std::string::npos);
  expected.replace(expected.find(bare), bare.size(), "\"" + entry0.subPath + "/" + entry0.name + "\"");
  EXPECT_TRUE(fromCard == expected) << "the KML documents differ at "
                                    << FirstDifference(fromCard, expected);

  // Opened on its own, as a drop or `vantrel FILE` opens it, a recording
  // exports byte for byte what vantrel-cli writes: here the MOV file of the
  // drive through the underpass, whose fixes in the tunnel are left out.
  const fs::path mov = g_card / "DCIM/Movie/F/MOV_0006F.MOV";
  ASSERT_EQ(dlg.OpenMediaPath(QString::fromStdString(mov.string())), 1);
  ASSERT_EQ(catalog.EntryCount(), 1);
  ASSERT_TRUE(WaitFor([&] { return EndsWith(dlg.Channel(1).Path(), "MOV_0006F.MOV"); }));
  EXPECT_TRUE(EndsWith(dlg.Channel(2).Path(), "DCIM/Movie/R/MOV_0006R.MOV")) << dlg.Channel(2).Path();
  const std::string single = PressKml(dlg);
  const std::string cli = CliKml(mov.string());
  ASSERT_FALSE(single.empty());
  EXPECT_TRUE(single == cli) << "the KML documents differ at " << FirstDifference(single, cli);
  dlg.close();
}

TEST_F(DemoCardTest, UnlocksAndCopiesOneDriveOfACopyOfTheCard) {
  const fs::path card = g_work / "card-copy";
  const fs::path backup = g_work / "backup";
  fs::remove_all(card);
  fs::remove_all(backup);
  fs::create_directories(backup);
  fs::copy(g_card, card, fs::copy_options::recursive);

  CZELDlg dlg;
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  ASSERT_EQ(dlg.OpenMediaPath(QString::fromStdString(card.string())), 1);
  ASSERT_TRUE(WaitFor([&] { return !dlg.IsScanning(); }, 20000));
  MediaCatalog& catalog = dlg.Catalog();
  ASSERT_EQ(catalog.EntryCount(), 14);
  // The second drive (MOV and locked data-track minutes) is one group.
  const int group = GroupOf(catalog, "VIDG0007F.mp4");
  ASSERT_GE(group, 0);
  const MediaGroup ticked = catalog.Groups()[group];
  std::vector<std::string> lockedNames;
  for (int k = 0; k < ticked.memberCount; ++k)
    lockedNames.push_back(catalog.Entries()[ticked.firstEntry + k].name);
  const std::vector<fs::path> before = FilesBelow(card);
  auto pressUnlock = [&dlg] {
    ModalCloser closer;
    // The button's message boxes run modally inside the click.
    static_cast<QAbstractButton*>(dlg.Control(kIdLock))->click();
    return closer.Texts();
  };

  // The Unlock button with nothing ticked tells the user and changes nothing.
  EXPECT_EQ(pressUnlock().size(), 1);
  EXPECT_EQ(FilesBelow(card), before);

  // Ticked, the drive's files lose the G mark from their names and their
  // read-only state; nothing is asked.
  dlg.GroupList()->SetRowChecked(group, true);
  EXPECT_TRUE(pressUnlock().isEmpty());
  int renamed = 0;
  for (int k = 0; k < ticked.memberCount; ++k) {
    const MediaEntry& e = catalog.Entries()[ticked.firstEntry + k];
    const std::string& oldName = lockedNames[static_cast<std::size_t>(k)];
    const std::string newName = oldName.substr(0, 3) + "_" + oldName.substr(4);
    if (oldName[3] == 'G') ++renamed;
    EXPECT_EQ(e.name, newName);
    EXPECT_EQ(e.flags, 0u) << e.name;
    if (newName != oldName) EXPECT_FALSE(fs::exists(e.Folder() + oldName)) << oldName;
    ASSERT_TRUE(fs::exists(e.Folder() + newName)) << newName;
    EXPECT_TRUE(OwnerWritable(e.Folder() + newName)) << newName;
  }
  EXPECT_EQ(renamed, 2);  // the data-track pair
  EXPECT_EQ(catalog.Groups()[group].flags, 0);
  {
    SCOPED_TRACE("lists after unlock");
    ExpectListsShowCatalogue(dlg);
  }
  // The other drive keeps its locks.
  for (const MediaEntry& e : catalog.Entries())
    if (EndsWith(e.name, ".AVI") && e.subPath.find("Event/") != std::string::npos) {
      EXPECT_EQ(static_cast<int>(e.flags), kLockedFlags) << e.name;
      EXPECT_FALSE(OwnerWritable(e.FullPath())) << e.name;
    }

  // Save as through the controller the button runs, with the window's
  // channels and progress bar; the folder and every question are answered
  // here, OK each time.
  FileOpsHooks hooks;
  hooks.stopChannels = [&dlg] {
    dlg.Channel(1).Stop();
    dlg.Channel(2).Stop();
  };
  std::vector<std::pair<int, bool>> progress;
  hooks.showProgress = [&](int percent, bool visible) {
    progress.emplace_back(percent, visible);
    dlg.ShowProgress(percent, visible);
  };
  FileOpsController ops(&dlg, catalog, &dlg.Channel(1), hooks);
  QStringList asked;
  ops.SetMessageBox([&](QMessageBox::Icon, const QString&, const QString& text,
                        QMessageBox::StandardButtons) {
    asked << text;
    return QMessageBox::Ok;
  });
  ops.SetFolderChooser([&] { return QString::fromStdString(backup.string()); });

  // The unlock refilled the lists; the tick is set again for the copy.
  dlg.GroupList()->SetRowChecked(group, true);
  asked.clear();
  ASSERT_EQ(ops.OnSaveAs(), 1) << asked.join('\n').toStdString();
  EXPECT_TRUE(asked.isEmpty()) << asked.join('\n').toStdString();
  EXPECT_EQ(ops.Operations().LastCounts().done, ticked.memberCount);
  EXPECT_EQ(ops.Operations().LastCounts().failed, 0);
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), std::make_pair(0, false));
  EXPECT_FALSE(dlg.Control(kIdProgress)->isVisible());
  // Exactly the ticked drive's files, below the same folders, byte for byte.
  const std::vector<fs::path> copies = FilesBelow(backup);
  ASSERT_EQ(copies.size(), static_cast<std::size_t>(ticked.memberCount));
  for (int k = 0; k < ticked.memberCount; ++k) {
    const MediaEntry& e = catalog.Entries()[ticked.firstEntry + k];
    const fs::path copy = backup / e.subPath / e.name;
    ASSERT_TRUE(fs::exists(copy)) << copy;
    EXPECT_TRUE(ReadBytes(copy) == ReadBytes(e.FullPath())) << copy;
  }

  // A second copy asks before each existing file is replaced.
  dlg.GroupList()->SetRowChecked(group, true);
  asked.clear();
  ASSERT_EQ(ops.OnSaveAs(), 1);
  EXPECT_EQ(asked.size(), ticked.memberCount);
  EXPECT_EQ(FilesBelow(backup), copies);
  dlg.close();
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  setenv("VANTREL_VLC_ARGS", "--aout=dummy", 0);
  // The video surfaces are X windows the media-player library draws into.
  if (std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "xcb", 1);
  g_work = fs::temp_directory_path() / ("vantrel-e2e-" + std::to_string(::getpid()));
  fs::create_directories(g_work / "Documents");
  // The settings file lives in the current folder.
  fs::current_path(g_work);
  g_card = g_work / "card";
  if (!e2e::MakeDemoCard(g_card, g_cardError)) std::fprintf(stderr, "%s\n", g_cardError.c_str());

  CZELApp::PrepareProcess();
  QApplication app(argc, argv);
  CZELApp::InstallCoreSeams();
  // KML documents go below a private documents folder.
  const std::string documents = (g_work / "Documents").string();
  SetDocumentsFolderProvider([documents] { return documents; });
  const int result = RUN_ALL_TESTS();

  std::error_code ec;
  fs::current_path(fs::temp_directory_path(), ec);
  // Read-only files and folders left by the card must not stop the clean-up.
  for (fs::recursive_directory_iterator it(g_work, ec), end; !ec && it != end; it.increment(ec))
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(g_work, ec);
  return result;
}

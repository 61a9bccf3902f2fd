// The file commands' flows as the buttons run them: questions and message
// boxes answered by the test, real files, and a real snapshot from the
// media-player library under X.
#include "mainwindow/FileOpsController.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <deque>
#include <memory>

#include "FileOpsFixture.h"
#include "app/AppSettings.h"
#include "app/Languages.h"
#include "dialogs/MediaOpenDialog.h"
#include "player/CVlcPlayer.h"
#include "tools/recgen/RecordingGenerator.h"

namespace fs = std::filesystem;

namespace {

QTemporaryDir* g_work = nullptr;

bool WaitUntil(const std::function<bool()>& condition, int limitMs = 15000) {
  QDeadlineTimer deadline(limitMs);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

struct Box {
  QMessageBox::Icon icon;
  QString caption;
  QString text;
};

class FlowTest : public CardFixture {
 protected:
  void SetUp() override {
    CardFixture::SetUp();
    FileOpsHooks hooks;
    hooks.isBusy = [this] { return busy; };
    hooks.prepareOpen = [this] { log.push_back("prepare"); };
    hooks.openMedia = [this](int kind, const QString& path) {
      log.push_back("open " + std::to_string(kind) + " " + path.toStdString());
      return 1;
    };
    hooks.stopChannels = [this] { log.push_back("stop"); };
    hooks.closeChannels = [this] { log.push_back("close"); };
    hooks.hidePictures = [this] { log.push_back("hide"); };
    hooks.holdPlayback = [this] {
      log.push_back("hold");
      const bool playing = channel && channel->IsPlaying();
      if (playing) channel->Pause();
      return playing;
    };
    hooks.resumePlayback = [this](bool wasPlaying) {
      log.push_back("resume");
      if (wasPlaying) channel->Play();
    };
    hooks.playingFilesGone = [this] { return playingGone; };
    hooks.rearChannel = [this] { return rearChannel; };
    hooks.showProgress = [this](int p, bool v) { progress.emplace_back(p, v); };
    hooks.kmlFolder = [this](std::string& folder) {
      folder = kmlFolder;
      return true;
    };
    controller = std::make_unique<FileOpsController>(nullptr, catalog, channel, hooks);
    controller->SetMessageBox([this](QMessageBox::Icon icon, const QString& caption,
                                     const QString& text, QMessageBox::StandardButtons) {
      boxes.push_back({icon, caption, text});
      if (answers.empty()) return QMessageBox::Ok;
      const auto a = answers.front();
      answers.pop_front();
      return a;
    });
    controller->SetMediaChooser([this](int& kind, QString& path) {
      log.push_back("media dialog");
      if (!mediaChoice) return false;
      kind = mediaKind;
      path = mediaPath;
      return true;
    });
    controller->SetFolderChooser([this] {
      log.push_back("folder dialog");
      return chosenFolder;
    });
    controller->SetSnapshotChooser([this] {
      log.push_back("snapshot dialog");
      return snapshotPath;
    });
  }

  std::vector<std::string> Captions() const {
    std::vector<std::string> out;
    for (const Box& b : boxes) out.push_back(b.caption.toStdString() + ": " + b.text.toStdString());
    return out;
  }

  CVlcPlayer* channel = nullptr;
  CVlcPlayer* rearChannel = nullptr;
  std::unique_ptr<FileOpsController> controller;
  std::vector<Box> boxes;
  std::deque<QMessageBox::StandardButton> answers;
  std::vector<std::string> log;
  std::vector<std::pair<int, bool>> progress;
  bool busy = false;
  bool playingGone = true;
  bool mediaChoice = true;
  int mediaKind = 2;
  QString mediaPath;
  QString chosenFolder;
  QString snapshotPath;
  std::string kmlFolder;
};

const std::vector<CardFile> kThree = {
    {"", "ABC_0001F.MP4"}, {"DCIM/", "ABCG0002F.MP4", true, true}, {"DCIM/", "ABC_0003F.MP4"}};

TEST_F(FlowTest, EmptyCatalogueOnlyTellsSo) {
  for (auto command : {&FileOpsController::OnDelete, &FileOpsController::OnUnlock,
                        &FileOpsController::OnSaveAs, &FileOpsController::OnKml,
                        &FileOpsController::OnSnapshot}) {
    boxes.clear();
    EXPECT_EQ((controller.get()->*command)(), 0);
    EXPECT_EQ(Captions(), std::vector<std::string>{"OK: No files in list."});
  }
  EXPECT_TRUE(log.empty());
}

TEST_F(FlowTest, DeleteAsksFirstThenSaysNothingIsTicked) {
  MakeCard(kThree);
  EXPECT_EQ(controller->OnDelete(), 0);
  EXPECT_EQ(Captions(), (std::vector<std::string>{
                            "Delete Files: Are you sure to delete the checked files?",
                            "Confirm file selection: No seletected files. Please select some "
                            "files and try this operation again."}));
  EXPECT_EQ(log, (std::vector<std::string>{"hold", "resume"}));
}

TEST_F(FlowTest, DeleteCancelledKeepsFilesConfirmedClosesTheChannels) {
  MakeCard(kThree);
  list.checked = {1};
  answers = {QMessageBox::Cancel};
  EXPECT_EQ(controller->OnDelete(), 0);
  EXPECT_TRUE(fs::exists(root + "DCIM/ABCG0002F.MP4"));
  EXPECT_EQ(catalog.EntryCount(), 3);

  log.clear();
  EXPECT_EQ(controller->OnDelete(), 1);
  EXPECT_FALSE(fs::exists(root + "DCIM/ABCG0002F.MP4"));
  EXPECT_FALSE(fs::exists(root + "DCIM/ABC_0003F.MP4"));
  EXPECT_EQ(catalog.EntryCount(), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"hold", "stop", "hide", "close"}));

  // Deleting a drive that is not playing leaves playback as it was.
  list.checked = {0};
  playingGone = false;
  log.clear();
  EXPECT_EQ(controller->OnDelete(), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"hold", "resume"}));
}

TEST_F(FlowTest, UnlockLeavesPlaybackAlone) {
  MakeCard(kThree);
  EXPECT_EQ(controller->OnUnlock(), 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, QStringLiteral("Confirm file selection"));
  boxes.clear();
  list.checked = {1};
  EXPECT_EQ(controller->OnUnlock(), 1);
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(fs::exists(root + "DCIM/ABC_0002F.MP4"));
  EXPECT_EQ(list.groupRows[1].flags, 0u);
}

TEST_F(FlowTest, SaveAsCancelledOrToNowhere) {
  MakeCard(kThree);
  list.checked = {0};
  EXPECT_EQ(controller->OnSaveAs(), 0);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(log, (std::vector<std::string>{"hold", "folder dialog", "resume"}));

  chosenFolder = QString::fromStdString((base / "missing").string());
  EXPECT_EQ(controller->OnSaveAs(), 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].icon, QMessageBox::Warning);
  EXPECT_EQ(Captions()[0], "Warning: Folder is not exist.");
  EXPECT_FALSE(fs::exists(base / "missing"));
  EXPECT_TRUE(progress.empty());
}

TEST_F(FlowTest, SaveAsAsksBeforeOverwritingAndShowsProgress) {
  MakeCard(kThree);
  list.checked = {0, 1};
  const fs::path dest = base / "backup";
  WriteText(dest / "DCIM/ABCG0002F.MP4", "older");
  chosenFolder = QString::fromStdString(dest.string());
  answers = {QMessageBox::Cancel};
  EXPECT_EQ(controller->OnSaveAs(), 1);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, QStringLiteral("Confirm to overwrite the file."));
  EXPECT_EQ(boxes[0].text, QStringLiteral("File \"%1\" is already exist. Are you sure to overwrite it?")
                               .arg(QString::fromStdString((dest / "DCIM/ABCG0002F.MP4").string())));
  EXPECT_EQ(ReadText(dest / "DCIM/ABCG0002F.MP4"), "older");
  EXPECT_EQ(ReadText(dest / "DCIM/ABC_0003F.MP4"), "data of ABC_0003F.MP4");
  EXPECT_EQ(progress, (std::vector<std::pair<int, bool>>{{0, true}, {33, true}, {66, true}, {100, true}, {0, false}}));
  EXPECT_EQ(log.back(), "resume");  // a copy leaves playback as it was
}

TEST_F(FlowTest, SaveAsReportsFilesThatFailed) {
  MakeCard(kThree);
  list.checked = {0, 1};
  const fs::path dest = base / "backup";
  WriteText(dest / "DCIM", "a file where the folder should be");
  chosenFolder = QString::fromStdString(dest.string());
  EXPECT_EQ(controller->OnSaveAs(), 1);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].icon, QMessageBox::Warning);
  EXPECT_EQ(boxes[0].text, QStringLiteral("2 of 3 files could not be copied."));
  EXPECT_TRUE(fs::exists(dest / "ABC_0001F.MP4"));
}

TEST_F(FlowTest, OpenNeedsASourceThatExists) {
  MakeCard(kThree);
  mediaKind = 2;
  mediaPath = QString::fromStdString(root + "ABC_9999F.MP4");
  EXPECT_EQ(controller->OnOpen(), 0);
  mediaPath.clear();
  EXPECT_EQ(controller->OnOpen(), 0);
  mediaKind = 1;
  mediaPath = QString::fromStdString(root + "nowhere");
  EXPECT_EQ(controller->OnOpen(), 0);
  EXPECT_EQ(Captions(), std::vector<std::string>(3, "Warning: Folder is not exist."));
  EXPECT_EQ(catalog.EntryCount(), 3);
  for (const std::string& entry : log) EXPECT_EQ(entry.rfind("open", 0), std::string::npos) << entry;

  // No disk to pick: quietly nothing.
  boxes.clear();
  mediaKind = 0;
  mediaPath.clear();
  EXPECT_EQ(controller->OnOpen(), 0);
  EXPECT_TRUE(boxes.empty());

  log.clear();
  mediaKind = 1;
  mediaPath = QString::fromStdString(root + "DCIM");
  EXPECT_EQ(controller->OnOpen(), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"hold", "media dialog", "prepare", "open 1 " + root + "DCIM"}));
  log.clear();
  mediaKind = 2;
  mediaPath = QString::fromStdString(root + "ABC_0001F.MP4");
  EXPECT_EQ(controller->OnOpen(), 1);
  EXPECT_EQ(log.back(), "open 2 " + root + "ABC_0001F.MP4");
}

// An open that loads for real says what the folder held: nothing, only
// files that are not recordings, or some of those beside a recording. The
// window's own opens say the same without waiting.
TEST_F(FlowTest, OpenSaysWhatTheFolderLacked) {
  controller.reset();
  FileOpsHooks hooks;
  hooks.openMedia = [this](int, const QString& path) {
    catalog.Clear();
    catalog.Load(path.toStdString() + "/", std::string());
    return catalog.EntryCount() > catalog.UnreadableCount() ? 1 : 0;
  };
  controller = std::make_unique<FileOpsController>(nullptr, catalog, nullptr, hooks);
  std::vector<std::string> shown;
  auto record = [&shown](QMessageBox::Icon icon, const QString& caption, const QString& text,
                         QMessageBox::StandardButtons) {
    EXPECT_EQ(icon, QMessageBox::Warning);
    shown.push_back(caption.toStdString() + ": " + text.toStdString());
    return QMessageBox::Ok;
  };
  controller->SetMessageBox(record);
  std::vector<std::string> noticed;
  controller->SetNotice([&noticed](QMessageBox::Icon, const QString&, const QString& text,
                                   QMessageBox::StandardButtons) {
    noticed.push_back(text.toStdString());
    return QMessageBox::Ok;
  });
  controller->SetMediaChooser([this](int& kind, QString& path) {
    kind = CMediaOpenDialog::kSourceFolder;
    path = QString::fromStdString(root + "DCIM");
    return true;
  });

  recgen::RecordingRecipe recipe;
  recipe.container = recgen::Container::kAvi;
  const struct {
    std::vector<std::string> junk;
    bool recording;
    std::vector<std::string> expected;
  } cases[] = {
      {{}, false, {"Warning: No files in list."}},
      {{"FILE0001.AVI", "FILE0002.AVI"}, false,
       {"Warning: No files in list.\nFiles that could not be read: 2"}},
      {{"FILE0002.AVI"}, true, {"Warning: Files that could not be read: 1"}},
      {{}, true, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected.empty() ? "clean" : c.expected.front());
    const fs::path dir = root + "DCIM";
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const std::string& name : c.junk) WriteText(dir / name, "not a recording");
    if (c.recording) {
      ASSERT_EQ(recgen::WriteRecording(recipe, (dir / "FILE0001.AVI").string()), 1);
    }
    shown.clear();
    noticed.clear();
    EXPECT_EQ(controller->OnOpen(), c.recording ? 1 : 0);
    EXPECT_EQ(shown, c.expected);
    controller->ReportLoad(false);
    EXPECT_EQ(noticed.size(), c.expected.size());
    EXPECT_EQ(shown.size(), c.expected.size());
  }
}

TEST_F(FlowTest, OpenIsIgnoredWhileACardIsStarting) {
  MakeCard(kThree);
  busy = true;
  EXPECT_EQ(controller->OnOpen(), 0);
  EXPECT_TRUE(log.empty());
  mediaChoice = false;
  busy = false;
  EXPECT_EQ(controller->OnOpen(), 0);
  // Cancel leaves playback as it was.
  EXPECT_EQ(log, (std::vector<std::string>{"hold", "media dialog", "resume"}));
}

TEST_F(FlowTest, KmlReportsTheFileOrTheFailure) {
  MakeCard(kThree);
  catalog.Select(0);
  kmlFolder = (base / "kml").string() + "/";
  fs::create_directories(kmlFolder);
  EXPECT_EQ(controller->OnKml(), 1);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, QStringLiteral("Save KML"));
  ASSERT_TRUE(boxes[0].text.startsWith(QStringLiteral("Save KML file: ")));
  ASSERT_TRUE(boxes[0].text.endsWith(QStringLiteral(" OK.")));
  const QString written = boxes[0].text.mid(15).chopped(4);
  EXPECT_TRUE(written.startsWith(QString::fromStdString(kmlFolder) + QStringLiteral("ABC_0001F_")));
  EXPECT_TRUE(fs::exists(written.toStdString()));

  kmlFolder = (base / "no/such/folder/").string();
  EXPECT_EQ(controller->OnKml(), 0);
  EXPECT_EQ(boxes.back().text, QStringLiteral("Save KML file: Failed."));
}

TEST_F(FlowTest, MessagesFollowTheLanguage) {
  ASSERT_TRUE(GetSettings().SetLanguage(FindLanguage("GER")));
  controller->OnDelete();
  GetSettings().SetLanguage(kEnglishIndex);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text, QStringLiteral("No files in list."));
  EXPECT_FALSE(boxes[0].text.isEmpty());
}

// ----------------------------------------------------------------- snapshot

class SnapshotTest : public FlowTest {
 protected:
  static void SetUpTestSuite() {
    clip = new std::string(g_work->filePath(QStringLiteral("ABC_0001F.MP4")).toStdString());
    const std::string cmd =
        "ffmpeg -v error -y -f lavfi -i testsrc2=size=320x240:rate=25 -t 4 -c:v libx264 "
        "-pix_fmt yuv420p -an '" + *clip + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    // The rear camera: smaller, of another shape, all red.
    rearClip = new std::string(g_work->filePath(QStringLiteral("ABC_0001R.MP4")).toStdString());
    const std::string rearCmd =
        "ffmpeg -v error -y -f lavfi -i color=c=red:size=160x90:rate=25 -t 4 -c:v libx264 "
        "-pix_fmt yuv420p -an '" + *rearClip + "'";
    ASSERT_EQ(std::system(rearCmd.c_str()), 0);
  }
  static void TearDownTestSuite() {
    delete clip;
    clip = nullptr;
    delete rearClip;
    rearClip = nullptr;
  }

  void SetUp() override {
    channel = &player;
    FlowTest::SetUp();
    ASSERT_TRUE(player.IsAvailable());
    surface.resize(320, 240);
    surface.show();
    player.SetWindow(surface.winId());
    MediaEntry e;
    e.root = fs::path(*clip).parent_path().string() + "/";
    e.name = fs::path(*clip).filename().string();
    catalog.Entries().push_back(e);
    catalog.BuildGroups();
    player.Open(*clip);
    player.Play();
    ASSERT_TRUE(WaitUntil([&] { return player.GetTime() > 300; }));
    controller->SetSnapshotChooser([this] {
      playingWhileAsked = player.IsPlaying() != 0;
      log.push_back("snapshot dialog");
      return snapshotPath;
    });
  }
  void TearDown() override {
    player.Stop();
    rearPlayer.Stop();
  }

  // The rear camera's recording playing in a second channel, shown.
  void StartRear() {
    rearSurface.resize(160, 90);
    rearSurface.show();
    rearPlayer.SetWindow(rearSurface.winId());
    rearPlayer.Open(*rearClip);
    rearPlayer.Play();
    ASSERT_TRUE(WaitUntil([&] { return rearPlayer.GetTime() > 300; }));
    rearChannel = &rearPlayer;
  }

  static std::string* clip;
  static std::string* rearClip;
  QWindow surface;
  CVlcPlayer player;
  QWindow rearSurface;
  CVlcPlayer rearPlayer;
  bool playingWhileAsked = true;
};

std::string* SnapshotTest::clip = nullptr;
std::string* SnapshotTest::rearClip = nullptr;

TEST_F(SnapshotTest, PlayingChannelPausesForTheDialogAndResumes) {
  snapshotPath = g_work->filePath(QStringLiteral("still.jpg"));
  EXPECT_EQ(controller->OnSnapshot(), 1);
  EXPECT_FALSE(playingWhileAsked);
  EXPECT_EQ(player.IsPlaying(), 1);
  ASSERT_TRUE(WaitUntil([&] { return !QImage(snapshotPath).isNull(); }));
  EXPECT_EQ(QImage(snapshotPath).size(), QSize(320, 240));
  // A .jpg name holds a JPEG, though the player writes PNG.
  QFile file(snapshotPath);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.read(2) == QByteArray("\xFF\xD8", 2));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(SnapshotTest, PausedChannelStaysPausedAndCancelWritesNothing) {
  player.Pause();
  snapshotPath = g_work->filePath(QStringLiteral("paused.png"));
  EXPECT_EQ(controller->OnSnapshot(), 1);
  EXPECT_EQ(player.IsPlaying(), 0);
  EXPECT_EQ(player.IsPaused(), 1);
  ASSERT_TRUE(WaitUntil([&] { return !QImage(snapshotPath).isNull(); }));

  player.Play();
  snapshotPath.clear();
  EXPECT_EQ(controller->OnSnapshot(), 0);
  EXPECT_FALSE(playingWhileAsked);
  EXPECT_EQ(player.IsPlaying(), 1);
}

// With the rear picture shown the dialog offers both cameras: the rear,
// scaled to the front's height, goes to the right of the front in one
// file; the library's frames and the partial file are gone afterwards, and
// the next dialog starts from the last choice.
TEST_F(SnapshotTest, BothCamerasMakeOnePictureAndLeaveNoTemporaryFiles) {
  ASSERT_NO_FATAL_FAILURE(StartRear());
  QTemporaryDir frames(g_work->filePath(QStringLiteral("frames-XXXXXX")));
  const QByteArray oldTmp = qgetenv("TMPDIR");
  qputenv("TMPDIR", frames.path().toLocal8Bit());
  const QDir out(g_work->filePath(QStringLiteral("both")));
  ASSERT_TRUE(out.mkpath(QStringLiteral(".")));

  struct Case {
    const char* name;
    bool both;
    int width;
  } cases[] = {
      {"both.png", true, 320 + 160 * 240 / 90},
      {"both.jpg", true, 320 + 160 * 240 / 90},
      {"front.png", false, 320},
  };
  bool offered = false, cameIn = false;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    snapshotPath = out.filePath(QString::fromLatin1(c.name));
    controller->SetSnapshotChooser([&](bool offerBoth, bool& both) {
      offered = offerBoth;
      cameIn = both;
      both = c.both;
      return snapshotPath;
    });
    ASSERT_EQ(controller->OnSnapshot(), 1);
    EXPECT_TRUE(offered);
    const QImage picture(snapshotPath);
    EXPECT_EQ(picture.height(), 240);
    EXPECT_NEAR(picture.width(), c.width, 1);
    const QRgb right = picture.pixel(picture.width() - 10, 120);
    EXPECT_EQ(qRed(right) > 200 && qGreen(right) < 60, c.both);
  }
  EXPECT_TRUE(cameIn);  // the choice of the snapshot before
  EXPECT_EQ(out.entryList(QDir::Files | QDir::Hidden).size(), 3);
  EXPECT_TRUE(QDir(frames.path()).isEmpty());
  qputenv("TMPDIR", oldTmp);
}

// The real save dialog: the check box only while a rear picture is shown,
// ticked as last chosen; accepting writes the chosen picture.
TEST_F(SnapshotTest, TheSaveDialogOffersBothCamerasOnlyWithARearPicture) {
  FileOpsHooks hooks;
  hooks.rearChannel = [this] { return rearChannel; };
  FileOpsController real(nullptr, catalog, channel, hooks);
  for (const bool withRear : {false, true}) {
    SCOPED_TRACE(withRear ? "with a rear picture" : "front only");
    if (withRear) ASSERT_NO_FATAL_FAILURE(StartRear());
    ASSERT_TRUE(GetSettings().WriteInt("UI", "SNAP_BOTH", 1));
    snapshotPath = g_work->filePath(withRear ? QStringLiteral("dialog-both.png")
                                             : QStringLiteral("dialog-front.png"));
    QCheckBox* box = nullptr;
    bool ticked = false;
    QTimer::singleShot(0, [&] {
      const auto modal = [] {
        return qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      };
      ASSERT_TRUE(WaitUntil([&] { return modal() != nullptr; }));
      QFileDialog* dialog = modal();
      box = dialog->findChild<QCheckBox*>();
      ticked = box && box->isChecked();
      dialog->selectFile(snapshotPath);
      static_cast<QDialog*>(dialog)->accept();  // as the Save button does
    });
    ASSERT_EQ(real.OnSnapshot(), 1);
    EXPECT_EQ(box != nullptr, withRear);
    EXPECT_EQ(ticked, withRear);
    EXPECT_NEAR(QImage(snapshotPath).width(), withRear ? 320 + 160 * 240 / 90 : 320, 1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  VlcBinding::Shared().AddArgument("--aout=dummy");
  QTemporaryDir work;
  g_work = &work;
  std::filesystem::current_path(work.path().toStdString());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

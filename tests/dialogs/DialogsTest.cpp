// The open-media, configuration, folder and about dialogs and the monitor
// lookup, on real widgets; settings in a private working folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <vector>

#include "app/AppSettings.h"
#include "app/Languages.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/DriveList.h"
#include "dialogs/ExportDlg.h"
#include "dialogs/FolderDialog.h"
#include "dialogs/MediaOpenDialog.h"
#include "dialogs/Monitor.h"
#include "dialogs/QorConfigDlg.h"
#include "dialogs/QtTranslations.h"
#include "dialogs/WindowTitle.h"

namespace {

QTemporaryDir* g_work = nullptr;

// Stands in for the main window: keeps every notification of the
// configuration dialogs it listens to, in order.
enum Notification { kMapProvider, kLanguage };
class Recorder : public QWidget {
 public:
  std::vector<std::pair<Notification, int>> messages;
  void Listen(CQorConfigDlg& dialog) {
    connect(&dialog, &CQorConfigDlg::mapProviderChanged, this,
            [this](int i) { messages.emplace_back(kMapProvider, i); });
    connect(&dialog, &CQorConfigDlg::languageChanged, this,
            [this](int i) { messages.emplace_back(kLanguage, i); });
  }
};

template <typename T>
T* Child(QWidget* dialog, int id) {
  QWidget* w = nullptr;
  if (auto* open = qobject_cast<CMediaOpenDialog*>(dialog)) w = open->Control(id);
  if (auto* config = qobject_cast<CQorConfigDlg*>(dialog)) w = config->Control(id);
  return qobject_cast<T*>(w);
}

std::vector<VolumeItem> SomeVolumes() {
  return {
      {"/", "", "ext4", false, true},
      {"/proc", "", "proc", false, true},
      {"/media/user/CARD", "NO NAME", "vfat", true, true},
      {"/home", "Data", "ext4", false, true},
      {"/mnt/share", "", "nfs4", false, true},
      {"/media/user/EMPTY", "", "vfat", true, false},
  };
}

class LanguageGuard : public ::testing::Test {
 protected:
  void TearDown() override {
    GetSettings().SetLanguage(kEnglishIndex);
    QtTranslations::Follow(kEnglishIndex);
    GetSettings().SetMapProvider(0);
  }
};

// ---------------------------------------------------------------- open media

TEST(DriveListTest, PseudoNetworkAndAbsentVolumesAreLeftOutCardsComeLast) {
  const std::vector<VolumeItem> items = DriveItems(SomeVolumes());
  std::vector<std::string> texts;
  for (const VolumeItem& v : items) texts.push_back(DriveItemText(v));
  EXPECT_EQ(texts, (std::vector<std::string>{"/", "/home/    [Data]", "/media/user/CARD/    [NO NAME]"}));

  // This machine: the root volume is offered, kernel views are not.
  bool hasRoot = false;
  for (const VolumeItem& v : DriveItems(MountedVolumes())) {
    hasRoot = hasRoot || v.root == "/";
    EXPECT_NE(v.fsType, "proc");
  }
  EXPECT_TRUE(hasRoot);
}

class MediaOpenTest : public LanguageGuard {};

TEST_F(MediaOpenTest, OkAtOnceGivesAFileWithAnEmptyPath) {
  CMediaOpenDialog dialog(nullptr, SomeVolumes);
  auto* drives = Child<QComboBox>(&dialog, CMediaOpenDialog::kIdDriveList);
  ASSERT_EQ(drives->count(), 3);
  EXPECT_EQ(drives->currentIndex(), 2);  // the card
  EXPECT_TRUE(Child<QRadioButton>(&dialog, CMediaOpenDialog::kIdFileRadio)->isChecked());
  Child<QPushButton>(&dialog, CMediaOpenDialog::kIdOk)->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.GetSourceKind(), CMediaOpenDialog::kSourceFile);
  EXPECT_TRUE(dialog.GetFilePath().isEmpty());
}

TEST_F(MediaOpenTest, DiskGivesTheMountRootNeverTheLabel) {
  CMediaOpenDialog dialog(nullptr, SomeVolumes);
  Child<QRadioButton>(&dialog, CMediaOpenDialog::kIdDiskRadio)->click();
  Child<QPushButton>(&dialog, CMediaOpenDialog::kIdOk)->click();
  EXPECT_EQ(dialog.GetSourceKind(), CMediaOpenDialog::kSourceDisk);
  EXPECT_EQ(dialog.GetDrive(), QStringLiteral("/media/user/CARD/"));
}

TEST_F(MediaOpenTest, BrowsingChecksTheRadioAndAFolderIsStoredEvenOnCancel) {
  const QString folder = g_work->filePath(QStringLiteral("recordings"));
  ASSERT_TRUE(QDir().mkpath(folder));
  {
    CMediaOpenDialog dialog(nullptr, SomeVolumes);
    dialog.SetFileChooser([](QWidget*) { return QStringLiteral("/cards/ABC_0001F.MP4"); });
    QString start = QStringLiteral("unset");
    dialog.SetFolderChooser([&](QWidget*, const QString& s) {
      start = s;
      return folder;
    });
    Child<QPushButton>(&dialog, CMediaOpenDialog::kIdFolderBrowse)->click();
    EXPECT_TRUE(Child<QRadioButton>(&dialog, CMediaOpenDialog::kIdFolderRadio)->isChecked());
    EXPECT_EQ(Child<QLineEdit>(&dialog, CMediaOpenDialog::kIdFolderEdit)->text(), folder);
    EXPECT_EQ(dialog.GetSourceKind(), CMediaOpenDialog::kSourceFolder);

    Child<QPushButton>(&dialog, CMediaOpenDialog::kIdFileBrowse)->click();
    EXPECT_TRUE(Child<QRadioButton>(&dialog, CMediaOpenDialog::kIdFileRadio)->isChecked());
    EXPECT_EQ(dialog.GetFilePath(), QStringLiteral("/cards/ABC_0001F.MP4"));
    Child<QPushButton>(&dialog, CMediaOpenDialog::kIdCancel)->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
  EXPECT_EQ(QString::fromStdString(GetSettings().GetMediaFolder()), folder);
  CMediaOpenDialog next(nullptr, SomeVolumes);
  EXPECT_EQ(Child<QLineEdit>(&next, CMediaOpenDialog::kIdFolderEdit)->text(), folder);
  next.SetFolderChooser([](QWidget*, const QString&) { return QString(); });  // cancelled
  Child<QPushButton>(&next, CMediaOpenDialog::kIdFolderBrowse)->click();
  EXPECT_TRUE(Child<QRadioButton>(&next, CMediaOpenDialog::kIdFileRadio)->isChecked());
  Child<QRadioButton>(&next, CMediaOpenDialog::kIdFolderRadio)->click();
  Child<QPushButton>(&next, CMediaOpenDialog::kIdOk)->click();
  EXPECT_EQ(next.GetSourceKind(), CMediaOpenDialog::kSourceFolder);
  EXPECT_EQ(next.GetFolderPath(), folder);
}

TEST_F(MediaOpenTest, TextsFollowTheLanguage) {
  CMediaOpenDialog english(nullptr, SomeVolumes);
  EXPECT_EQ(english.windowTitle(), QStringLiteral("Select a media"));
  EXPECT_EQ(Child<QRadioButton>(&english, CMediaOpenDialog::kIdFolderRadio)->text(), QStringLiteral("Folder"));
  ASSERT_TRUE(GetSettings().SetLanguage(FindLanguage("GER")));
  CMediaOpenDialog german(nullptr, SomeVolumes);
  EXPECT_EQ(german.windowTitle(), QStringLiteral("Medium auswählen"));
  EXPECT_EQ(Child<QPushButton>(&german, CMediaOpenDialog::kIdCancel)->text(), QStringLiteral("Abbrechen"));
}

// -------------------------------------------------------------- configuration

class ConfigTest : public LanguageGuard {
 protected:
  Recorder owner;
};

TEST_F(ConfigTest, OpensWithTheStoredChoices) {
  GetSettings().SetMapProvider(2);
  ASSERT_TRUE(GetSettings().SetLanguage(FindLanguage("FRA")));
  CQorConfigDlg dialog(&owner);
  owner.Listen(dialog);
  auto* maps = Child<QComboBox>(&dialog, CQorConfigDlg::kIdMapList);
  ASSERT_EQ(maps->count(), 3);
  EXPECT_EQ(maps->currentIndex(), 2);
  EXPECT_EQ(dialog.GetMapChoice(), 2);
  auto* languages = Child<QComboBox>(&dialog, CQorConfigDlg::kIdLanguageList);
  EXPECT_EQ(languages->count(), kLanguageCount);
  EXPECT_EQ(languages->currentIndex(), FindLanguage("FRA"));
  EXPECT_EQ(languages->itemText(FindLanguage("GER")), QString::fromUtf8(g_languages[FindLanguage("GER")].nativeName));
}

TEST_F(ConfigTest, ApplyLanguageRetitlesTheDialogButNotTheMapItems) {
  CQorConfigDlg dialog(&owner);
  owner.Listen(dialog);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Config"));
  auto* maps = Child<QComboBox>(&dialog, CQorConfigDlg::kIdMapList);
  maps->setCurrentIndex(1);
  const int german = FindLanguage("GER");
  Child<QComboBox>(&dialog, CQorConfigDlg::kIdLanguageList)->setCurrentIndex(german);
  Child<QPushButton>(&dialog, CQorConfigDlg::kIdLanguageApply)->click();
  EXPECT_EQ(GetSettings().GetLanguageIndex(), german);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Einstellungen"));
  EXPECT_EQ(Child<QPushButton>(&dialog, CQorConfigDlg::kIdMapApply)->text(), QStringLiteral("Übernehmen"));
  EXPECT_EQ(Child<QPushButton>(&dialog, CQorConfigDlg::kIdCancel)->text(), QStringLiteral("Abbrechen"));
  // Qt's own file dialog follows.
  EXPECT_EQ(QFileDialog::tr("Look in:"), QStringLiteral("Suchen in:"));
  EXPECT_NE(Child<QGroupBox>(&dialog, CQorConfigDlg::kIdMapGroup)->title(), QStringLiteral("Select map"));
  // Map items stay in the opening language, and the choice is kept.
  EXPECT_EQ(maps->itemText(0), QStringLiteral("Google Map"));
  EXPECT_EQ(maps->currentIndex(), 1);
  ASSERT_EQ(owner.messages.size(), 1u);
  EXPECT_EQ(owner.messages[0], std::make_pair(kLanguage, german));
  // Cancel keeps what was applied.
  Child<QPushButton>(&dialog, CQorConfigDlg::kIdCancel)->click();
  EXPECT_EQ(GetSettings().GetLanguageIndex(), german);
}

TEST_F(ConfigTest, ApplyMapStoresAndNotifies) {
  CQorConfigDlg dialog(&owner);
  owner.Listen(dialog);
  Child<QComboBox>(&dialog, CQorConfigDlg::kIdMapList)->setCurrentIndex(2);
  Child<QPushButton>(&dialog, CQorConfigDlg::kIdMapApply)->click();
  EXPECT_EQ(dialog.GetMapChoice(), 2);
  EXPECT_EQ(GetSettings().GetMapProvider(), 2);
  ASSERT_EQ(owner.messages.size(), 1u);
  EXPECT_EQ(owner.messages[0], std::make_pair(kMapProvider, 2));
  // No selection at all counts as the first provider.
  Child<QComboBox>(&dialog, CQorConfigDlg::kIdMapList)->setCurrentIndex(-1);
  dialog.ApplyMap();
  EXPECT_EQ(dialog.GetMapChoice(), 0);
  EXPECT_EQ(GetSettings().GetMapProvider(), 0);
}

TEST_F(ConfigTest, OkUntouchedRewritesBothAndPostsBoth) {
  GetSettings().SetMapProvider(1);
  CQorConfigDlg dialog(&owner);
  owner.Listen(dialog);
  std::filesystem::remove(GetSettings().GetIniPath());
  Child<QPushButton>(&dialog, CQorConfigDlg::kIdOk)->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.GetMapChoice(), 1);
  EXPECT_EQ(GetSettings().GetMapProvider(), 1);
  EXPECT_TRUE(std::filesystem::exists(GetSettings().GetIniPath()));
  ASSERT_EQ(owner.messages.size(), 2u);
  EXPECT_EQ(owner.messages[0], std::make_pair(kMapProvider, 1));
  EXPECT_EQ(owner.messages[1], std::make_pair(kLanguage, kEnglishIndex));
}

// --------------------------------------------------------------- folder, about

// Runs `act` on the modal dialog once it is up, while DoModal waits.
void WhenModal(std::function<void(QFileDialog*)> act) {
  auto* poll = new QTimer;
  poll->setInterval(20);
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    act(dialog);
  });
  poll->start();
}

// Types `name` into the chooser's edit box as a user would. selectFile()
// would not do: it leaves the box alone while the box has the focus, which
// it gains whenever the window manager activates the chooser in time, and an
// empty box accepts the folder being shown.
void TypeName(QFileDialog* d, const QString& name) {
  auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(edit, nullptr);
  edit->setText(name);
}

TEST(FolderDialogTest, ValidationKeepsTheChooserOpenUntilAFolderIsGiven) {
  const QString start = g_work->path();
  const QString target = g_work->filePath(QStringLiteral("chosen"));
  ASSERT_TRUE(QDir().mkpath(target));
  bool stayedOpen = false;
  QString shownStart;
  WhenModal([&](QFileDialog* d) {
    shownStart = d->directory().absolutePath();
    TypeName(d, QStringLiteral("no such folder"));
    static_cast<QDialog*>(d)->accept();
    stayedOpen = d->isVisible();
    TypeName(d, target);
    static_cast<QDialog*>(d)->accept();
  });
  CFolderDialog dialog(QStringLiteral("Select a folder"), start, nullptr);
  EXPECT_EQ(dialog.DoModal(), 1);
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(shownStart, QDir(start).absolutePath());
  EXPECT_EQ(dialog.GetFolderPath(), target);

  WhenModal([](QFileDialog* d) { d->reject(); });
  CFolderDialog cancelled(QStringLiteral("Select a folder"), QString(), nullptr);
  EXPECT_EQ(cancelled.DoModal(), 2);
  EXPECT_TRUE(cancelled.GetFolderPath().isEmpty());
}

TEST(AboutTest, CaptionAndVersion) {
  CAboutDlg about;
  EXPECT_EQ(about.windowTitle(), QStringLiteral("About ZEL..."));
  EXPECT_EQ(about.VersionText(), QStringLiteral("VANTREL, Version 3.0"));
}

// ------------------------------------------------------------ every language

TEST(WindowTitleTest, MnemonicMarkersGoLiteralAmpersandsStay) {
  const std::pair<const char*, const char*> cases[] = {
      {"&About ZEL...", "About ZEL..."},
      {"Ü&ber ZEL...", "Über ZEL..."},
      {"ZEL のバージョン情報(&A)...", "ZEL のバージョン情報..."},
      {"Save && close", "Save & close"},
      {"(&&)", "(&)"},
      {"trailing &", "trailing "},
      {"", ""},
  };
  for (const auto& [in, out] : cases)
    EXPECT_EQ(StripMnemonic(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

class EveryLanguageTest : public LanguageGuard {};

// In each language: the about box's title has no mnemonic marker, Qt's
// texts load where Qt has a catalogue, and the language list's names are
// drawn with real glyphs (no empty boxes), whatever font supplies them.
TEST_F(EveryLanguageTest, TitlesQtTextsAndLanguageNames) {
  const char* const withoutQtCatalogue[] = {"ENG", "ROM"};
  for (int i = 0; i < kLanguageCount; ++i) {
    const char* code = g_languages[i].code;
    GetSettings().SetLanguage(i);
    EXPECT_FALSE(CAboutDlg().windowTitle().contains(u'&')) << code;
    const bool expectQt = std::none_of(std::begin(withoutQtCatalogue), std::end(withoutQtCatalogue),
                                       [code](const char* c) { return std::string_view(c) == code; });
    EXPECT_EQ(QtTranslations::Follow(i), expectQt) << code;
  }
  CQorConfigDlg dialog;
  auto* list = Child<QComboBox>(&dialog, CQorConfigDlg::kIdLanguageList);
  ASSERT_EQ(list->count(), kLanguageCount);
  for (int i = 0; i < list->count(); ++i) {
    QTextLayout layout(list->itemText(i), list->font());
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    int boxes = 0;
    for (const QGlyphRun& run : layout.glyphRuns())
      boxes += static_cast<int>(run.glyphIndexes().count(0u));
    EXPECT_EQ(boxes, 0) << g_languages[i].code << " has characters no installed font draws";
  }
}

TEST(MonitorTest, MostOfTheWindowDecidesElseTheNearest) {
  const std::vector<QRect> monitors = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
  EXPECT_EQ(CMonitor::PickMonitor(QRect(1800, 100, 400, 300), monitors), 1);
  EXPECT_EQ(CMonitor::PickMonitor(QRect(1700, 100, 400, 300), monitors), 0);
  EXPECT_EQ(CMonitor::PickMonitor(QRect(3300, 2000, 100, 100), monitors), 1);
  EXPECT_EQ(CMonitor::PickMonitor(QRect(-500, -500, 100, 100), monitors), 0);
  EXPECT_EQ(CMonitor::PickMonitor(QRect(0, 0, 10, 10), {}), -1);

  QWidget window;
  window.setGeometry(100, 100, 300, 200);
  QRect full;
  CMonitor::MonitorOfWindow(&window).GetFullRect(full);
  EXPECT_EQ(full, QGuiApplication::primaryScreen()->geometry());
  QRect none(1, 2, 3, 4);
  CMonitor().GetFullRect(none);
  EXPECT_TRUE(none.isNull());
}

// Original quality copies one camera: no composed layouts, no overlay; a
// drive without a rear camera offers only the front; no file, no OK.
TEST(ExportDlgTest, ChoicesFollowTheCamerasAndTheQuality) {
  ExportDlg dialog(QStringLiteral("span"), QStringLiteral("/tmp/clip.mp4"), true);
  dialog.LayoutBox()->setCurrentIndex(3);
  dialog.OverlayBox()->setChecked(true);
  ExportChoice c = dialog.Choice();
  EXPECT_EQ(c.layout, ExportLayout::kPictureInPicture);
  EXPECT_TRUE(c.overlay);
  EXPECT_FALSE(c.copy);
  EXPECT_EQ(c.path, QStringLiteral("/tmp/clip.mp4"));

  dialog.OriginalBox()->setChecked(true);
  c = dialog.Choice();
  EXPECT_EQ(c.layout, ExportLayout::kFront);
  EXPECT_TRUE(c.copy);
  EXPECT_FALSE(c.overlay);
  EXPECT_FALSE(dialog.OverlayBox()->isEnabled());
  dialog.LayoutBox()->setCurrentIndex(1);
  EXPECT_EQ(dialog.Choice().layout, ExportLayout::kRear);

  dialog.PathEdit()->clear();
  EXPECT_FALSE(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled());

  ExportDlg frontOnly(QStringLiteral("span"), QStringLiteral("/tmp/a.mp4"), false);
  const QModelIndex rear = frontOnly.LayoutBox()->model()->index(1, 0);
  const QModelIndex pip = frontOnly.LayoutBox()->model()->index(3, 0);
  EXPECT_FALSE(rear.flags() & Qt::ItemIsEnabled);
  EXPECT_FALSE(pip.flags() & Qt::ItemIsEnabled);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QTemporaryDir work;
  g_work = &work;
  // The settings file lives in the working folder.
  std::filesystem::current_path(work.path().toStdString());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

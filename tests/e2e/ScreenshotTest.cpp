// Pictures of the player on the demo card in several languages and window
// sizes, saved under the build's screenshots folder for a person to look
// at; the checks catch what a picture would show wrong: a window that did
// not reach its size, controls cut off by the window's edge or lying over
// each other, mnemonic markers in titles, blurred skin images on a
// high-density screen.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <filesystem>
#include <functional>
#include <string>

#include "app/AppSettings.h"
#include "app/Languages.h"
#include "controls/GdipButton.h"
#include "controls/ImageResources.h"
#include "controls/VideoSlider.h"
#include "controls/VideoStatic.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/QtTranslations.h"
#include "PlayerTestSupport.h"
#include "mainwindow/ZELDlg.h"
#include "platform/Environment.h"
#include "program/ZELApp.h"

namespace fs = std::filesystem;

namespace {

fs::path g_work;  // temporary working folder (settings file)
fs::path g_card;
std::string g_cardError;

using e2e::WaitFor;

// The card is kept in the build folder between runs (making it takes about
// a minute) and made anew when the script or the generator is newer.
bool MakeCurrentCard(const fs::path& out) {
  const fs::path script = VANTREL_SOURCE_DIR "/tools/make-demo-card.sh";
  const fs::path generator = VANTREL_BINARY_DIR "/tools/recgen/vantrel-gen";
  std::error_code ec;
  const auto made = fs::last_write_time(out, ec);
  if (!ec && made > fs::last_write_time(script, ec) && made > fs::last_write_time(generator, ec)) return true;
  return e2e::MakeDemoCard(out, g_cardError);
}

// The screen's picture of the window (the video surfaces are the media
// library's own X windows) and the window's own drawing of its widgets.
void Save(CZELDlg& dlg, const QString& name) {
  const QString shots = QStringLiteral(VANTREL_BINARY_DIR "/screenshots");
  QDir().mkpath(shots);
  const QRect frame = dlg.frameGeometry();
  const QPixmap screen = dlg.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
  EXPECT_TRUE(screen.save(shots + "/" + name + ".png")) << name.toStdString();
  EXPECT_TRUE(dlg.grab().save(shots + "/" + name + "-widgets.png")) << name.toStdString();
}

// True when no pixel of a coarse grid is brighter than near black.
bool LooksBlank(const QImage& image) {
  for (int y = 0; y < image.height(); y += 16)
    for (int x = 0; x < image.width(); x += 16)
      if (qGray(image.pixel(x, y)) > 40) return false;
  return true;
}

// Every visible control lies inside the window, and no two skin buttons
// cover each other.
void ExpectNothingCutOrOverlapping(CZELDlg& dlg) {
  const QRect window = dlg.rect();
  std::vector<QWidget*> buttons;
  for (QWidget* w : dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (w->isWindow() || !w->isVisible()) continue;
    EXPECT_TRUE(window.contains(w->geometry()))
        << w->metaObject()->className() << " " << w->objectName().toStdString() << " at "
        << w->x() << "," << w->y() << " " << w->width() << "x" << w->height() << " leaves the "
        << window.width() << "x" << window.height() << " window";
    if (qobject_cast<CGdipButton*>(w)) buttons.push_back(w);
  }
  for (std::size_t a = 0; a < buttons.size(); ++a)
    for (std::size_t b = a + 1; b < buttons.size(); ++b)
      EXPECT_FALSE(buttons[a]->geometry().intersects(buttons[b]->geometry()))
          << "buttons at " << buttons[a]->x() << "," << buttons[a]->y() << " and " << buttons[b]->x()
          << "," << buttons[b]->y() << " overlap";
}

class Screenshots : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    g_card = VANTREL_BINARY_DIR "/tests/e2e/screenshot-card";
    MakeCurrentCard(g_card);
  }
  void SetUp() override {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
      GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    ASSERT_TRUE(g_cardError.empty()) << g_cardError;
  }
  void TearDown() override {
    GetSettings().SetLanguage(kEnglishIndex);
    QtTranslations::Follow(kEnglishIndex);
  }
};

// The player playing the card, per language at two window sizes and in its
// own full-screen mode. On a high-density screen English alone.
TEST_F(Screenshots, LanguagesAndSizes) {
  const qreal ratio = qGuiApp->devicePixelRatio();
  const QStringList languages = ratio > 1 ? QStringList{"ENG"} : QStringList{"ENG", "GER", "RUS", "JPN"};
  const QString suffix = ratio > 1 ? QStringLiteral("@%1x").arg(ratio) : QString();
  const QSize sizes[] = {{800, 560}, {1600, 1000}};
  for (const QString& code : languages) {
    SCOPED_TRACE(code.toStdString());
    const int language = FindLanguage(code.toStdString());
    ASSERT_GE(language, 0);
    GetSettings().SetLanguage(language);
    QtTranslations::Follow(language);
    EXPECT_FALSE(CAboutDlg().windowTitle().contains(u'&'));

    CZELDlg dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_FALSE(dlg.windowTitle().contains(u'&'));
    ASSERT_EQ(dlg.OpenMediaPath(QString::fromStdString(g_card.string())), 1);
    ASSERT_TRUE(WaitFor([&] { return dlg.Channel(1).IsPlaying() && dlg.SeekSlider()->value() > 0; }, 60000))
        << "playing " << dlg.Channel(1).IsPlaying() << ", media " << dlg.Channel(1).HasMedia() << ", slider "
        << dlg.SeekSlider()->value() << ", entries " << dlg.Catalog().EntryCount();

    for (const QSize& size : sizes) {
      const QString name = QStringLiteral("player-%1-%2x%3%4")
                               .arg(code.toLower())
                               .arg(size.width())
                               .arg(size.height())
                               .arg(suffix);
      SCOPED_TRACE(name.toStdString());
      dlg.move(0, 0);
      dlg.resize(size);
      ASSERT_TRUE(WaitFor([&] { return dlg.size() == size; }, 5000))
          << "the window stayed at " << dlg.width() << "x" << dlg.height();
      dlg.raise();
      QTest::qWait(700);
      ExpectNothingCutOrOverlapping(dlg);
      Save(dlg, name);
    }

    // The player's own full-screen mode, from a double click on the video.
    dlg.ToggleFullScreen(dlg.VideoSurface(1)->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(dlg.IsFullScreenMode());
    const QRect screen = dlg.screen()->geometry();
    EXPECT_TRUE(WaitFor([&] { return dlg.frameGeometry() == screen; }, 5000))
        << "full screen covers " << dlg.width() << "x" << dlg.height() << " of " << screen.width() << "x"
        << screen.height();
    // The video fills the screen; its picture comes back once the library
    // redraws into the larger surface (a picture without it is still kept).
    EXPECT_TRUE(WaitFor([&] { return dlg.VideoSurface(1)->width() == screen.width(); }, 5000))
        << "the video is " << dlg.VideoSurface(1)->width() << " wide";
    QTest::qWait(1000);
    WaitFor([&] { return !LooksBlank(dlg.screen()->grabWindow(0).toImage()); }, 3000);
    Save(dlg, QStringLiteral("player-%1-full%2").arg(code.toLower(), suffix));
    dlg.ToggleFullScreen(QPoint(-1, -1));
    dlg.close();
  }
}

// On a screen of device pixel ratio 2 the skin draws from its images at
// twice the size, so that nothing is blown up from the small ones.
TEST_F(Screenshots, HighDensitySkinImages) {
  if (qGuiApp->devicePixelRatio() < 2) GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";
  CZELDlg dlg;
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  auto* play = qobject_cast<CGdipButton*>(dlg.Control(kIdPlay));
  ASSERT_NE(play, nullptr);
  const QPixmap& face = play->FacePixmap(CGdipButton::kFaceNormal);
  EXPECT_EQ(face.devicePixelRatio(), 2);
  EXPECT_EQ(face.size(), play->size() * 2);
  CGdiPlusBitmapResource image;
  ASSERT_TRUE(image.LoadResourceImage(kPngCompassN));
  EXPECT_EQ(image.Image().devicePixelRatio(), 2);
  EXPECT_EQ(image.Image().deviceIndependentSize().toSize(), QSize(48, 48));
}

}  // namespace

int main(int argc, char** argv) { return e2e::RunPlayerTests(argc, argv, "shots", g_work); }

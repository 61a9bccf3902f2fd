// The controls as widgets: rendered offscreen (or under Xvfb), driven with
// synthetic mouse input, checked by the signals they emit and by a few
// pixel colours.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <vector>

#include "controls/GSensorCtrl.h"
#include "controls/GdipButton.h"
#include "controls/ImageResources.h"
#include "controls/MySliderControl.h"
#include "controls/PngCompassStatic.h"
#include "controls/PngStatic.h"
#include "controls/QorToolTipCtrl.h"
#include "controls/SpeedLabelStatic.h"
#include "controls/StatusBoardStatic.h"
#include "controls/StyledText.h"
#include "controls/VideoSlider.h"
#include "controls/VideoStatic.h"
#include "controls/VideoStaticBg.h"

namespace {

QImage Grab(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

int CountColour(const QImage& img, QRgb colour) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) n += (img.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
  }
  return n;
}

bool IsGreyish(QRgb c) {
  return std::abs(qRed(c) - qGreen(c)) < 12 && std::abs(qGreen(c) - qBlue(c)) < 12;
}

// A real double-click as the window system delivers it.
void DoubleClick(QWidget* w, QPoint pos) {
  QTest::mouseClick(w, Qt::LeftButton, {}, pos);
  QTest::mouseDClick(w, Qt::LeftButton, {}, pos);
  QTest::mouseRelease(w, Qt::LeftButton, {}, pos);
}

// --- G-sensor chart ---------------------------------------------------------

class GSensorCtrlTest : public ::testing::Test {
 protected:
  void Load(CGSensorCtrl& c, GSensorSample s, std::size_t count) {
    std::vector<GSensorSample> v(count, s);
    c.resize(560, 140);
    c.SetRange(2.0, 2.0);
    c.ClearSamples();
    c.SetSamples(v.data(), v.size());
    c.UpdateSpan();
    c.SetSampleRate(0.01);
    c.SetTimeScale(0.01);
    c.SetSpanMode(2);
    c.SetPosition(30000);
  }
  const QRgb kYellow = qRgb(255, 255, 0);
  const QRgb kGreen = qRgb(60, 255, 60);
  const QRgb kRed = qRgb(255, 60, 60);
  const QRgb kBlue = qRgb(0, 0, 255);
};

TEST_F(GSensorCtrlTest, EmptyChartShowsFrameCursorAndDimmedLegends) {
  CGSensorCtrl c;
  c.resize(560, 140);
  const QImage img = Grab(c);
  const auto plot = GSensorModel::PlotRect(560, 140);
  const int zeroY = GSensorModel::ZeroY(plot);
  EXPECT_EQ(img.pixel(300, zeroY), qRgb(255, 255, 255));
  EXPECT_EQ(img.pixel(300, zeroY - 20), qRgb(0, 0, 0));
  EXPECT_EQ(img.pixel(plot.left, plot.top + 10), kBlue);  // cursor at the left edge
  EXPECT_EQ(CountColour(img, kYellow), 0);
  EXPECT_EQ(CountColour(img, kGreen), 0);
  EXPECT_EQ(CountColour(img, kRed), 0);
  EXPECT_EQ(c.Model().ValuesAtCursor()[0], 0.0);
}

TEST_F(GSensorCtrlTest, CurvesLegendTogglesAndInactiveState) {
  CGSensorCtrl c;
  Load(c, GSensorSample{64, -64, 127}, 1200);
  const auto plot = GSensorModel::PlotRect(560, 140);
  QImage img = Grab(c);
  // X at +1 G, Y at -1 G: a quarter of the plot height off the zero line.
  EXPECT_EQ(img.pixel(plot.left + 100, c.Model().ValueToY(1.0, plot)), kYellow);
  EXPECT_EQ(img.pixel(plot.left + 100, c.Model().ValueToY(-1.0, plot)), kGreen);
  EXPECT_GT(CountColour(img, kRed), 0);

  c.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&c));
  const auto& r = c.Model().LegendRect(GSensorModel::kAxisY);
  ASSERT_FALSE(r.IsEmpty());
  const QPoint yLegend((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  QTest::mouseClick(&c, Qt::LeftButton, {}, yLegend);
  EXPECT_FALSE(c.Model().AxisEnabled(GSensorModel::kAxisY));
  img = Grab(c);
  EXPECT_EQ(CountColour(img, kGreen), 0);  // curve gone, legend dimmed
  EXPECT_GT(CountColour(img, kYellow), 0);
  QTest::mouseClick(&c, Qt::LeftButton, {}, yLegend);
  EXPECT_TRUE(c.Model().AxisEnabled(GSensorModel::kAxisY));
  QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(300, 100));  // outside the legends
  EXPECT_TRUE(c.Model().AxisEnabled(0) && c.Model().AxisEnabled(1) && c.Model().AxisEnabled(2));

  c.SetInactive(true);
  img = Grab(c);
  EXPECT_EQ(CountColour(img, kYellow), 0);
  EXPECT_EQ(CountColour(img, kGreen), 0);
  EXPECT_EQ(CountColour(img, kRed), 0);
  EXPECT_GT(CountColour(img, kBlue), 0);  // the cursor stays
}

TEST_F(GSensorCtrlTest, BottomValueSitsOnThePlotEdge) {
  CGSensorCtrl c;
  Load(c, GSensorSample{-128, 0, 0}, 1200);
  const auto plot = GSensorModel::PlotRect(560, 140);
  const QImage img = Grab(c);
  EXPECT_EQ(img.pixel(plot.left + 100, plot.bottom), kYellow);
  EXPECT_DOUBLE_EQ(c.Model().ValuesAtCursor()[0], -2.0);
}

TEST_F(GSensorCtrlTest, AShortRecordingFillsAWideChart) {
  CGSensorCtrl c;
  Load(c, GSensorSample{64, 0, 0}, 300);  // 30 s: 300 columns at 100 ms each
  for (int width : {560, 1400}) {
    c.resize(width, 140);
    c.SetPosition(0);
    const auto plot = GSensorModel::PlotRect(width, 140);
    const QImage img = Grab(c);
    EXPECT_EQ(img.pixel(plot.right - 1, c.Model().ValueToY(1.0, plot)), kYellow) << width;
  }
}

TEST_F(GSensorCtrlTest, ZeroSampleRatePaintsWithoutCurves) {
  CGSensorCtrl c;
  Load(c, GSensorSample{64, 0, 0}, 100);
  c.SetSampleRate(0);
  c.SetPosition(1000);
  const QImage img = Grab(c);
  EXPECT_EQ(CountColour(img, kYellow), 0);
}

// --- compass, speed, progress -----------------------------------------------

TEST(CompassStatic, ImagesHeadingsAndGreyNoFix) {
  CPngCompassStatic compass;
  compass.resize(48, 48);
  EXPECT_EQ(compass.SetHeading(90), 0);  // no images: nothing changes
  EXPECT_EQ(compass.ImageIndex(), 0u);
  for (int id = kPngCompassN; id <= kPngCompassNE; ++id) ASSERT_EQ(compass.AddImage(id), 1);
  EXPECT_EQ(compass.AddImage(99999), 0);
  EXPECT_EQ(compass.ImageCount(), 8u);

  EXPECT_EQ(compass.SetHeading(90), 1);
  EXPECT_EQ(compass.ImageIndex(), 7u);  // E
  EXPECT_EQ(compass.SetImage(9), 0);
  EXPECT_EQ(compass.ImageIndex(), 7u);

  // The north needle is amber in colour and grey without a fix.
  compass.SetImage(1);
  const QRgb colour = Grab(compass).pixel(24, 6);
  EXPECT_GT(qRed(colour), qBlue(colour) + 80);
  compass.SetImage(0);
  EXPECT_TRUE(IsGreyish(Grab(compass).pixel(24, 6)));
}

TEST(SpeedLabel, UnitSwitchByClickAndInvalidFix) {
  CSpeedLabelStatic speed;
  speed.resize(80, 40);
  speed.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&speed));
  EXPECT_FALSE(speed.IsValid());  // no "0 Km/h" before anything is loaded
  speed.SetSpeed(100, true);
  EXPECT_EQ(speed.Text(), QStringLiteral("100"));
  EXPECT_EQ(speed.Unit(), QStringLiteral("Km/h"));
  QTest::mouseClick(&speed, Qt::LeftButton, {}, QPoint(40, 20));
  EXPECT_FALSE(speed.IsKmh());
  EXPECT_EQ(speed.Text(), QStringLiteral(" 62"));
  EXPECT_EQ(speed.Unit(), QStringLiteral("MPH"));
  // A double-click ends with the unit switched once.
  DoubleClick(&speed, QPoint(40, 20));
  EXPECT_TRUE(speed.IsKmh());
  DoubleClick(&speed, QPoint(40, 20));
  EXPECT_FALSE(speed.IsKmh());
  // A release outside the display does not switch.
  QTest::mousePress(&speed, Qt::LeftButton, {}, QPoint(40, 20));
  QTest::mouseRelease(&speed, Qt::LeftButton, {}, QPoint(200, 20));
  EXPECT_FALSE(speed.IsKmh());

  const QImage shown = Grab(speed);
  EXPECT_GT(CountColour(shown, qRgb(5, 5, 5)), 0);
  EXPECT_LT(CountColour(shown, qRgb(5, 5, 5)), 80 * 40);  // digits drawn
  speed.SetSpeed(0, false);
  EXPECT_EQ(CountColour(Grab(speed), qRgb(5, 5, 5)), 80 * 40);  // background only
}

TEST(StatusBoard, ModuloShareTextAndPattern) {
  QWidget parent;
  CStatusBoardStatic board(&parent);
  board.setGeometry(0, 0, 300, 30);
  EXPECT_TRUE(board.isHidden());
  board.SetPattern(kBmpProgressPattern);
  board.SetPercent(150);
  EXPECT_FALSE(board.isHidden());
  EXPECT_EQ(board.Percent(), 49);
  EXPECT_EQ(board.Text(), QStringLiteral("150 %"));
  QImage img = Grab(board);
  EXPECT_GT(qBlue(img.pixel(60, 6)), 200);  // light blue tile in the filled part
  EXPECT_EQ(img.pixel(240, 6), qRgb(5, 5, 5));
  board.SetPercent(100);
  img = Grab(board);
  EXPECT_GT(qBlue(img.pixel(294, 6)), 200);
}

// --- sliders ----------------------------------------------------------------

void Wheel(QWidget& w, int angle) {
  const QPointF at(w.width() / 2, w.height() / 2);
  QWheelEvent e(at, w.mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, Qt::NoModifier,
                Qt::NoScrollPhase, false);
  QApplication::sendEvent(&w, &e);
}

TEST(Sliders, SeekSliderJumpsAndReports) {
  CVideoSlider slider;
  QSignalSpy seeks(&slider, &CVideoSlider::seekRequested);
  slider.resize(212, 20);  // channel from x 6 to 206
  slider.setRange(0, 1000);
  slider.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&slider));

  QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(106, 10));
  EXPECT_EQ(slider.value(), 500);
  EXPECT_TRUE(seeks.isEmpty());  // a press alone reports nothing
  EXPECT_EQ(Grab(slider).pixel(106, 10), qRgb(240, 0, 180));  // pressed thumb
  QTest::mouseMove(&slider, QPoint(400, 10));
  EXPECT_EQ(slider.value(), 1000);
  QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(400, 10));
  EXPECT_EQ(slider.value(), 1000);
  ASSERT_EQ(seeks.count(), 2);
  EXPECT_EQ(seeks.at(1).at(0).toInt(), 1000);

  QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(2, 10));
  EXPECT_EQ(slider.value(), 0);
  ASSERT_EQ(seeks.count(), 3);
  EXPECT_EQ(seeks.at(2).at(0).toInt(), 0);
  const QImage img = Grab(slider);
  EXPECT_EQ(img.pixel(6, 10), qRgb(100, 250, 100));  // thumb at the start
  EXPECT_EQ(img.pixel(150, 10), qRgb(0, 0, 0));      // black channel

  // With nothing to seek in, a click, a drag, the wheel and the keys leave
  // the dot where it is and report nothing.
  bool seekable = false;
  slider.SetInputGate([&seekable] { return seekable; });
  QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(106, 10));
  QTest::mouseMove(&slider, QPoint(150, 10));
  QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(150, 10));
  Wheel(slider, 120);
  QTest::keyClick(&slider, Qt::Key_Right);
  EXPECT_EQ(slider.value(), 0);
  EXPECT_EQ(seeks.count(), 3);
  seekable = true;
  QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(106, 10));
  EXPECT_EQ(slider.value(), 500);

  // A slider without width keeps working.
  slider.resize(0, 20);
  EXPECT_EQ(slider.PositionFromPoint(50), 0);
}

TEST(Sliders, VolumeSliderReportsTheNewVolume) {
  QWidget owner;
  CMySliderControl volume(&owner);
  QSignalSpy changes(&volume, &CMySliderControl::volumeChanged);
  volume.setGeometry(0, 0, 112, 20);  // channel from 6 to 106
  volume.setRange(0, 100);
  owner.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
  QTest::mousePress(&volume, Qt::LeftButton, {}, QPoint(56, 10));
  EXPECT_EQ(volume.value(), 50);
  QTest::mouseMove(&volume, QPoint(31, 10));
  EXPECT_EQ(volume.value(), 25);
  QTest::mouseRelease(&volume, Qt::LeftButton, {}, QPoint(31, 10));
  ASSERT_EQ(changes.count(), 2);
  EXPECT_EQ(changes.at(1).at(0).toInt(), 25);
  EXPECT_EQ(Grab(volume).pixel(31, 10), qRgb(255, 0, 0));
}

// Wheel and arrow-key steps move the value and report it through the same
// signal as a drag; a step against a bound reports nothing.
void ExpectStepsReported(SkinSlider& s, QSignalSpy& spy, int max) {
  s.resize(112, 20);
  s.setRange(0, max);
  s.setValue(max / 2);

  Wheel(s, 120);
  ASSERT_EQ(spy.count(), 1);
  EXPECT_GT(s.value(), max / 2);
  EXPECT_EQ(spy.at(0).at(0).toInt(), s.value());

  Wheel(s, -240);
  ASSERT_EQ(spy.count(), 2);
  EXPECT_LT(s.value(), max / 2);
  EXPECT_EQ(spy.at(1).at(0).toInt(), s.value());

  const int before = s.value();
  QTest::keyClick(&s, Qt::Key_Right);
  ASSERT_EQ(spy.count(), 3);
  EXPECT_EQ(spy.at(2).at(0).toInt(), before + 1);

  s.setValue(0);
  Wheel(s, -120);
  EXPECT_EQ(s.value(), 0);
  EXPECT_EQ(spy.count(), 3);
}

TEST(Sliders, WheelAndKeyStepsReportTheNewValue) {
  CVideoSlider seek;
  QSignalSpy seeks(&seek, &CVideoSlider::seekRequested);
  ExpectStepsReported(seek, seeks, 1000);
  CMySliderControl volume;
  QSignalSpy volumes(&volume, &CMySliderControl::volumeChanged);
  ExpectStepsReported(volume, volumes, 100);
}

// --- skin toolkit -----------------------------------------------------------

TEST(ImageButton, ToggleOncePerClickAndFaces) {
  CGdipButton plain;
  plain.resize(48, 48);
  ASSERT_TRUE(plain.LoadNormalImage(kPngStop));
  plain.SetToggleMode(true);  // no alternate: ignored
  EXPECT_FALSE(plain.ToggleMode());
  plain.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&plain));
  QTest::mouseClick(&plain, Qt::LeftButton, {}, QPoint(24, 24));
  EXPECT_FALSE(plain.IsAlternate());

  CGdipButton play;
  play.resize(48, 48);
  ASSERT_TRUE(play.LoadNormalImage(kPngPlay));
  ASSERT_TRUE(play.LoadAlternateImage(kPngPause));
  play.SetToggleMode(true);
  std::vector<bool> seen;
  QObject::connect(&play, &QAbstractButton::clicked, [&] { seen.push_back(play.IsAlternate()); });
  play.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&play));
  QTest::mouseClick(&play, Qt::LeftButton, {}, QPoint(24, 24));
  EXPECT_TRUE(play.IsAlternate());
  for (int i = 0; i < 3; ++i) play.repaint();  // repaints never flip
  EXPECT_TRUE(play.IsAlternate());
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(seen[0]);  // receivers of clicked() see the new state
  DoubleClick(&play, QPoint(24, 24));  // two presses, two flips
  EXPECT_TRUE(play.IsAlternate());
  EXPECT_EQ(seen.size(), 3u);

  // The play glyph is amber; the grey face shows it grey, whatever the mouse does.
  play.SetImageType(CGdipButton::kNormal);
  const QPoint glyph(24, 22);
  EXPECT_GT(qRed(Grab(play).pixel(glyph)), qBlue(Grab(play).pixel(glyph)) + 80);
  play.SetImageType(CGdipButton::kDisabled);
  QTest::mousePress(&play, Qt::LeftButton, {}, QPoint(24, 24));
  EXPECT_EQ(play.CurrentFace(), CGdipButton::kFaceGrey);
  EXPECT_TRUE(IsGreyish(Grab(play).pixel(glyph)));
  QTest::mouseRelease(&play, Qt::LeftButton, {}, QPoint(24, 24));
  EXPECT_EQ(play.ImageType(), CGdipButton::kDisabled);  // no flip while grey
  play.SetImageType(CGdipButton::kNormal);
  EXPECT_NE(play.CurrentFace(), CGdipButton::kFaceGrey);
  EXPECT_FALSE(play.IsAlternate());
}

TEST(ImageStatic, ColourWhenActiveGreyOtherwise) {
  CPngStatic gps;
  gps.resize(36, 32);
  ASSERT_TRUE(gps.LoadPng(kPngGps));
  gps.SetActive(true);
  const QRgb on = Grab(gps).pixel(12, 20);
  EXPECT_GT(qGreen(on), qRed(on) + 60);
  gps.SetActive(false);
  EXPECT_TRUE(IsGreyish(Grab(gps).pixel(12, 20)));

  // Without a fix the compass and the GPS indicator are drawn faint.
  CPngCompassStatic compass;
  compass.resize(48, 48);
  compass.AddImage(kPngCompassN);
  auto brightest = [](QWidget& w) {
    QImage img(w.size(), QImage::Format_RGB32);
    img.fill(Qt::black);
    w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    int most = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) most = std::max(most, qGray(img.pixel(x, y)));
    return most;
  };
  const std::pair<QWidget*, std::function<void(bool)>> instruments[] = {
      {&gps, [&gps](bool live) { gps.SetActive(live); }},
      {&compass, [&compass](bool live) { compass.SetImage(live ? 1 : 0); }},
  };
  for (const auto& [widget, setLive] : instruments) {
    setLive(true);
    const int live = brightest(*widget);
    setLive(false);
    EXPECT_LT(brightest(*widget), live * 0.6) << widget->metaObject()->className();
  }

  CPngStatic empty;
  EXPECT_FALSE(empty.LoadPng(4242));
  EXPECT_FALSE(empty.HasImage());
}

TEST(SkinImages, EveryNumberedImageLoadsAtItsSize) {
  const struct {
    int id, w, h;
  } table[] = {
      {kPngPlay, 64, 64},      {kPngPause, 64, 64},      {kPngStop, 64, 64},
      {kPngFast, 64, 64},      {kPngSlow, 64, 64},       {kPngConf, 64, 48},
      {kPngOpen, 64, 48},      {kPngSnap, 64, 48},       {kPngSave, 64, 48},
      {kPngDelete, 64, 48},    {kPngLoop, 32, 32},       {kPngLoopOff, 32, 32},
      {kPngKml, 32, 32},       {kPngMap, 32, 32},        {kPngGsr, 32, 32},
      {kPngLock, 32, 32},      {kPngClose, 32, 33},      {kPngMaximise, 32, 33},
      {kPngMinimise, 32, 33},  {kPngAbout, 32, 33},      {kPngVolume, 24, 44},
      {kPngVolumeMuted, 24, 44}, {kPngSizeSmall, 16, 16}, {kPngSizeMedium, 16, 16},
      {kPngSizeLarge, 16, 16}, {kPngGps, 36, 32},        {kBmpLockIcons, 96, 24},
      {kBmpCheckMark, 32, 32}, {kBmpProgressPattern, 30, 30}, {kBmpLogo, 733, 459},
      {kBmpBlack, 320, 240},   {kIconApp, 256, 256},
  };
  for (const auto& t : table) {
    CGdiPlusBitmapResource img;
    ASSERT_TRUE(img.LoadResourceImage(t.id)) << t.id;
    EXPECT_EQ(img.Width(), t.w) << t.id;
    EXPECT_EQ(img.Height(), t.h) << t.id;
    // Each has a rendering at twice the size for high-density screens.
    qreal ratio = 0;
    ASSERT_TRUE(img.LoadImageFile(ImageResourcePath(t.id, 2, &ratio))) << t.id;
    EXPECT_EQ(ratio, 2) << t.id;
    EXPECT_EQ(img.Image().size(), QSize(t.w, t.h) * 2) << t.id;
  }
  for (int id = kPngCompassN; id <= kPngCompassNE; ++id) {
    CGdiPlusBitmapResource img;
    ASSERT_TRUE(img.LoadResourceImage(id)) << id;
    EXPECT_EQ(img.Width(), 48);
  }
  CGdiPlusBitmapResource img;
  EXPECT_FALSE(img.LoadResourceImage(kPngPlay, "BMP"));
  EXPECT_FALSE(img.LoadResourceImage(1));
  EXPECT_TRUE(img.IsEmpty());
}

TEST(StyledText, GradientsAreAnchoredToThePainterNotTheText) {
  auto render = [](double y) {
    QImage img(200, 300, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    DrawWarmText(p, QStringLiteral("MMMMMM"), 10, y, 12);
    p.end();
    return img.copy(0, static_cast<int>(y) - 6, 200, 26);
  };
  auto mean = [](const QImage& img) {
    long r = 0, g = 0, n = 0;
    for (int y = 0; y < img.height(); ++y) {
      for (int x = 0; x < img.width(); ++x) {
        const QRgb c = img.pixel(x, y);
        if (qRed(c) + qGreen(c) < 250) continue;  // fill only, not the glow
        r += qRed(c);
        g += qGreen(c);
        ++n;
      }
    }
    return std::make_tuple(n, n ? r / n : 0, n ? g / n : 0);
  };
  // Small text covers less than one period of the repeating gradients, so
  // moving it by half a period changes its colour.
  const auto [n1, r1, g1] = mean(render(10));
  const auto [n2, r2, g2] = mean(render(25));
  ASSERT_GT(n1, 50);
  ASSERT_GT(n2, 50);
  EXPECT_GT(std::abs(r1 - r2) + std::abs(g1 - g2), 20);
}

TEST(ToolTip, IconItemsAndDescriptions) {
  QWidget window;
  QWidget play(&window), speed(&window);
  CQorToolTipCtrl tips;
  tips.SetStringLoader([](int id) { return id == 7 ? QStringLiteral("described") : QString(); });
  ASSERT_TRUE(tips.CreateThemed(&window, 0, true));
  EXPECT_EQ(tips.AddControlTool(&play, QStringLiteral("Play/Pause video"), {}, 1015), 1);
  EXPECT_EQ(tips.AddControlTool(&speed, QStringLiteral("Change Speed Unit KPH/MPH."), {}, 1056), 1);
  tips.AddIconItem(1015, 0, kBmpCheckMark);
  tips.AddIconItem(1056, 7, 0);

  ASSERT_TRUE(tips.ShowTipFor(&play, QPoint(10, 10)));
  EXPECT_EQ(tips.TipWindow()->Text(), QStringLiteral("Play/Pause video"));
  EXPECT_TRUE(tips.TipWindow()->Description().isEmpty());
  EXPECT_TRUE(tips.TipWindow()->HasIcon());
  ASSERT_TRUE(tips.ShowTipFor(&speed, QPoint(10, 10)));
  EXPECT_EQ(tips.TipWindow()->Description(), QStringLiteral("described"));
  EXPECT_FALSE(tips.TipWindow()->HasIcon());

  // Re-adding a tool (language change) replaces its text.
  tips.AddControlTool(&play, QStringLiteral("Lecture"), {}, 1015);
  EXPECT_EQ(tips.ToolCount(), 2u);
  EXPECT_EQ(tips.ToolText(&play), QStringLiteral("Lecture"));
  tips.Activate(false);
  EXPECT_FALSE(tips.ShowTipFor(&play, QPoint(10, 10)));
  tips.RemoveAllControlTools();
  EXPECT_EQ(tips.ToolCount(), 0u);
}

// --- video surfaces -----------------------------------------------------------

TEST(VideoSurface, DoubleClicksAskForFullScreenOnce) {
  QWidget parent;
  parent.resize(420, 280);
  CVideoStatic surface(&parent);
  surface.setGeometry(10, 10, 400, 260);
  CVideoStaticBg panel(&parent);
  QSignalSpy fromSurface(&surface, &CVideoStatic::fullScreenRequested);
  QSignalSpy fromPanel(&panel, &CVideoStaticBg::fullScreenRequested);
  panel.setGeometry(10, 10, 400, 260);
  panel.lower();
  parent.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));

  DoubleClick(&panel, QPoint(50, 50));
  EXPECT_EQ(fromPanel.count(), 1);
  DoubleClick(&surface, QPoint(50, 50));
  EXPECT_EQ(fromSurface.count(), 1);

  // Over the native video window the double-click still arrives.
  EXPECT_NE(surface.VideoWindowId(), WId(0));
  QWindow* video = surface.VideoWindow();
  ASSERT_NE(video, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(video));
  QTest::mouseDClick(video, Qt::LeftButton, {}, QPoint(30, 30));
  EXPECT_EQ(fromSurface.count(), 2);
  EXPECT_EQ(fromPanel.count(), 1);
}

TEST(VideoSurface, CountOverlayAndPanels) {
  CVideoStatic surface;
  surface.resize(300, 200);
  surface.VideoWindowId();
  EXPECT_EQ(CVideoStatic::CountText(42), QStringLiteral("42\n"));
  EXPECT_EQ(CountColour(Grab(surface), qRgb(5, 5, 5)), 300 * 200);
  surface.SetCountVisible(true);
  surface.SetCount(42);
  EXPECT_TRUE(surface.VideoContainer()->isHidden());
  EXPECT_LT(CountColour(Grab(surface), qRgb(5, 5, 5)), 300 * 200 - 500);
  surface.SetCountVisible(false);
  EXPECT_FALSE(surface.VideoContainer()->isHidden());

  CVideoStaticBg panel;
  panel.resize(367, 230);
  EXPECT_EQ(panel.GetVariant(), 1);
  const QImage logo = Grab(panel);
  int bright = 0;
  for (int y = 0; y < logo.height(); ++y) {
    for (int x = 0; x < logo.width(); ++x) bright += qGray(logo.pixel(x, y)) > 60;
  }
  EXPECT_GT(bright, 200);
  panel.SetVariant(0);
  EXPECT_EQ(CountColour(Grab(panel), qRgb(0, 0, 0)), 367 * 230);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

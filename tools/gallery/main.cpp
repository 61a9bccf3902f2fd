// vantrel-gallery OUTDIR
//
// Renders the instruments and the skin in representative states to PNG
// files in OUTDIR, without a display (the offscreen platform is used unless
// QT_QPA_PLATFORM says otherwise), so the look can be reviewed without
// running the player.

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <cmath>
#include <cstdio>
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

const QColor kWindowColor(5, 5, 5);

class Gallery {
 public:
  explicit Gallery(const QString& dir) : m_dir(dir) {}

  bool Save(const QString& name, const QImage& img) {
    const QString path = m_dir.filePath(name + QStringLiteral(".png"));
    const bool ok = !img.isNull() && img.save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    m_ok = m_ok && ok;
    return ok;
  }
  bool Save(const QString& name, QWidget& w) { return Save(name, w.grab().toImage()); }
  bool Ok() const { return m_ok; }

 private:
  QDir m_dir;
  bool m_ok = true;
};

// A dark parent so that controls drawn over their parent look as in the
// main window.
struct Backdrop {
  explicit Backdrop(QSize size) {
    widget.resize(size);
    QPalette pal = widget.palette();
    pal.setColor(QPalette::Window, kWindowColor);
    widget.setPalette(pal);
    widget.setAutoFillBackground(true);
  }
  QWidget widget;
};

std::vector<GSensorSample> DemoSamples(int count) {
  std::vector<GSensorSample> s(count);
  for (int i = 0; i < count; ++i) {
    const double t = i / 10.0;
    s[i].x = static_cast<std::int8_t>(std::lround(40 * std::sin(t * 0.9)));
    s[i].y = static_cast<std::int8_t>(std::lround(25 * std::sin(t * 2.3) + 10 * std::cos(t * 0.4)));
    s[i].z = static_cast<std::int8_t>(std::lround(64 + 8 * std::sin(t * 5.1)));
  }
  return s;
}

void RenderCurves(Gallery& g) {
  CGSensorCtrl empty;
  empty.resize(560, 140);
  g.Save(QStringLiteral("gsensor_empty"), empty);

  const auto samples = DemoSamples(1200);  // 120 s at 10 samples per second
  auto loaded = [&](CGSensorCtrl& c) {
    c.resize(560, 140);
    c.SetRange(2.0, 2.0);
    c.ClearSamples();
    c.SetSamples(samples.data(), samples.size());
    c.UpdateSpan();
    c.SetSampleRate(0.01);
    c.SetTimeScale(0.01);
    c.SetSpanMode(2);
    c.SetPosition(60000);
  };
  CGSensorCtrl curve;
  loaded(curve);
  g.Save(QStringLiteral("gsensor_playing"), curve);

  CGSensorCtrl hidden;
  loaded(hidden);
  hidden.Model().SetAxisEnabled(GSensorModel::kAxisY, false);
  g.Save(QStringLiteral("gsensor_y_hidden"), hidden);

  CGSensorCtrl inactive;
  loaded(inactive);
  inactive.SetPosition(0);
  inactive.SetInactive(true);
  g.Save(QStringLiteral("gsensor_stopped"), inactive);
}

void RenderCompass(Gallery& g) {
  static const char* const kNames[] = {"n", "nw", "w", "sw", "s", "se", "e", "ne"};
  const QSize cell(48, 48);
  QImage sheet(cell.width() * 9 + 10 * 4, cell.height() + 8, QImage::Format_RGB32);
  sheet.fill(kWindowColor);
  QPainter sp(&sheet);
  for (unsigned index = 0; index <= 8; ++index) {
    Backdrop back(QSize(32, 32));
    CPngCompassStatic compass(&back.widget);
    compass.resize(32, 32);
    for (int id = kPngCompassN; id <= kPngCompassNE; ++id) compass.AddImage(id);
    compass.SetImage(index);
    const QImage img = back.widget.grab().toImage();
    const QString name = index == 0 ? QStringLiteral("compass_no_fix")
                                    : QStringLiteral("compass_") + QLatin1String(kNames[index - 1]);
    g.Save(name, img);
    sp.drawImage(QRect(4 + index * (cell.width() + 4), 4, cell.width(), cell.height()), img);
  }
  sp.end();
  g.Save(QStringLiteral("compass_all"), sheet);
}

void RenderSpeed(Gallery& g) {
  CSpeedLabelStatic speed;
  speed.resize(80, 40);
  speed.SetSpeed(100, true);
  g.Save(QStringLiteral("speed_100_kmh"), speed);
  speed.SetKmh(false);
  g.Save(QStringLiteral("speed_100_mph"), speed);
  speed.SetKmh(true);
  speed.SetSpeed(5, true);
  g.Save(QStringLiteral("speed_5_kmh"), speed);
  speed.SetSpeed(0, false);
  g.Save(QStringLiteral("speed_no_fix"), speed);
}

void RenderStatus(Gallery& g) {
  CStatusBoardStatic board;
  board.resize(300, 30);
  board.SetPattern(kBmpProgressPattern);
  board.SetPercent(42);
  g.Save(QStringLiteral("status_42"), board);
  board.SetPercent(100);
  g.Save(QStringLiteral("status_100"), board);
}

void RenderSliders(Gallery& g) {
  CVideoSlider seek;
  seek.resize(400, 20);
  seek.setRange(0, 1000);
  seek.setValue(350);
  g.Save(QStringLiteral("slider_seek"), seek);

  Backdrop back(QSize(80, 20));
  CMySliderControl volume(&back.widget);
  volume.setGeometry(0, 0, 80, 20);
  volume.setRange(0, 100);
  volume.setValue(70);
  g.Save(QStringLiteral("slider_volume"), back.widget);
}

void RenderButtons(Gallery& g) {
  struct Entry {
    const char* name;
    int normal;
    int alternate;
    QSize size;
  };
  const Entry entries[] = {
      {"play", kPngPlay, kPngPause, {48, 48}},  {"stop", kPngStop, 0, {40, 40}},
      {"fast", kPngFast, 0, {40, 40}},          {"slow", kPngSlow, 0, {40, 40}},
      {"open", kPngOpen, 0, {48, 36}},          {"snap", kPngSnap, 0, {48, 36}},
      {"save", kPngSave, 0, {48, 36}},          {"delete", kPngDelete, 0, {48, 36}},
      {"conf", kPngConf, 0, {48, 36}},          {"loop", kPngLoop, kPngLoopOff, {48, 48}},
      {"kml", kPngKml, 0, {48, 48}},            {"map", kPngMap, 0, {48, 48}},
      {"gsr", kPngGsr, 0, {48, 48}},            {"lock", kPngLock, 0, {48, 48}},
      {"volume", kPngVolume, kPngVolumeMuted, {12, 24}},
      {"close", kPngClose, 0, {25, 25}},        {"maximise", kPngMaximise, 0, {25, 25}},
      {"minimise", kPngMinimise, 0, {25, 25}},  {"about", kPngAbout, 0, {25, 25}},
      {"size_s", kPngSizeSmall, 0, {16, 16}},   {"size_m", kPngSizeMedium, 0, {16, 16}},
      {"size_l", kPngSizeLarge, 0, {16, 16}},
  };
  const CGdipButton::Face faces[] = {
      CGdipButton::kFaceNormal,    CGdipButton::kFaceNormalHot,    CGdipButton::kFaceNormalPressed,
      CGdipButton::kFaceAlternate, CGdipButton::kFaceAlternateHot, CGdipButton::kFaceAlternatePressed,
      CGdipButton::kFaceGrey};
  const int cell = 56;
  const int count = static_cast<int>(std::size(entries));
  QImage sheet(cell * 7 + 8, cell * count + 8, QImage::Format_RGB32);
  sheet.fill(kWindowColor);
  QPainter sp(&sheet);
  for (int row = 0; row < count; ++row) {
    const Entry& e = entries[row];
    CGdipButton button;
    button.resize(e.size);
    button.LoadNormalImage(e.normal);
    if (e.alternate) button.LoadAlternateImage(e.alternate);
    QImage strip(e.size.width() * 7 + 6 * 4, e.size.height(), QImage::Format_RGB32);
    strip.fill(kWindowColor);
    QPainter p(&strip);
    for (int col = 0; col < 7; ++col) {
      const QPixmap& face = button.FacePixmap(faces[col]);
      if (face.isNull()) continue;
      p.drawPixmap(col * (e.size.width() + 4), 0, face);
      sp.drawPixmap(4 + col * cell + (cell - e.size.width()) / 2,
                    4 + row * cell + (cell - e.size.height()) / 2, face);
    }
    p.end();
    g.Save(QStringLiteral("button_") + QLatin1String(e.name), strip);
  }
  sp.end();
  g.Save(QStringLiteral("buttons_all"), sheet);
}

void RenderStatics(Gallery& g) {
  Backdrop back(QSize(90, 40));
  CPngStatic gps(&back.widget);
  gps.LoadPng(kPngGps);
  gps.setGeometry(4, 4, 36, 32);
  gps.SetActive(true);
  CPngStatic gpsOff(&back.widget);
  gpsOff.LoadPng(kPngGps);
  gpsOff.setGeometry(48, 4, 36, 32);
  gpsOff.SetActive(false);
  g.Save(QStringLiteral("gps_indicator_on_off"), back.widget);

  CVideoStaticBg logo;
  logo.resize(400, 260);
  logo.SetVariant(1);
  g.Save(QStringLiteral("panel_logo"), logo);
  logo.SetVariant(0);
  g.Save(QStringLiteral("panel_black"), logo);

  CVideoStatic surface;
  surface.resize(400, 260);
  surface.SetCountVisible(true);
  surface.SetCount(137);
  g.Save(QStringLiteral("video_scan_count"), surface);
}

void RenderTextAndTips(Gallery& g) {
  QImage text(420, 130, QImage::Format_RGB32);
  text.fill(kWindowColor);
  {
    QPainter p(&text);
    DrawTitleText(p, QStringLiteral("VANTREL"), 8, 8, 16);
    DrawWarmText(p, QStringLiteral("123"), 8, 40, 20);
    DrawWarmText(p, QStringLiteral("Km/h"), 48, 48, 12);
    DrawCoolText(p, QStringLiteral("42\n"), 160, 20, 72);
  }
  g.Save(QStringLiteral("styled_text"), text);

  ToolTipWindow tip;
  tip.SetContent(QStringLiteral("Play/Pause video"), QString(), kBmpCheckMark);
  g.Save(QStringLiteral("tooltip"), tip);
  tip.SetContent(QStringLiteral("Change Speed Unit KPH/MPH."), QStringLiteral("Click the display"), 0);
  g.Save(QStringLiteral("tooltip_no_icon"), tip);

  QImage icons(8 + 96 * 2 + 8 + 64, 8 + 64, QImage::Format_RGB32);
  icons.fill(QColor(230, 230, 230));
  {
    QPainter p(&icons);
    p.drawImage(QRect(4, 4, 192, 48), QImage(ImageResourcePath(kBmpLockIcons)));
    p.drawImage(QRect(8 + 192 + 4, 4, 64, 64), QImage(ImageResourcePath(kIconApp)));
  }
  g.Save(QStringLiteral("icons_lock_and_app"), icons);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: vantrel-gallery OUTDIR\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(out)) {
    std::fprintf(stderr, "cannot create %s\n", argv[1]);
    return 1;
  }
  Gallery g(out);
  RenderCurves(g);
  RenderCompass(g);
  RenderSpeed(g);
  RenderStatus(g);
  RenderSliders(g);
  RenderButtons(g);
  RenderStatics(g);
  RenderTextAndTips(g);
  return g.Ok() ? 0 : 1;
}

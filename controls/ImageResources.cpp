#include "controls/ImageResources.h"

#include <QFile>
#include <utility>

namespace {

struct NamedImage {
  int id;
  const char* name;
};

constexpr NamedImage kImages[] = {
    {kIconApp, "app_icon"},
    {kPngPlay, "btn_play"},
    {kPngPause, "btn_pause"},
    {kPngStop, "btn_stop"},
    {kPngFast, "btn_fast"},
    {kPngSlow, "btn_slow"},
    {kPngConf, "btn_conf"},
    {kPngOpen, "btn_open"},
    {kPngSnap, "btn_snap"},
    {kPngSave, "btn_save"},
    {kPngDelete, "btn_delete"},
    {kPngLoop, "btn_loop"},
    {kPngLoopOff, "btn_loop_off"},
    {kPngKml, "btn_kml"},
    {kPngMap, "btn_map"},
    {kPngGsr, "btn_gsr"},
    {kPngLock, "btn_lock"},
    {kPngGps, "gps_indicator"},
    {kPngClose, "btn_close"},
    {kPngMaximise, "btn_maximise"},
    {kPngMinimise, "btn_minimise"},
    {kPngAbout, "btn_about"},
    {kPngVolumeMuted, "btn_volume_muted"},
    {kPngVolume, "btn_volume"},
    {kBmpLockIcons, "lock_icons"},
    {kBmpCheckMark, "tip_check"},
    {kPngCompassN, "compass_n"},
    {kPngCompassNW, "compass_nw"},
    {kPngCompassW, "compass_w"},
    {kPngCompassSW, "compass_sw"},
    {kPngCompassS, "compass_s"},
    {kPngCompassSE, "compass_se"},
    {kPngCompassE, "compass_e"},
    {kPngCompassNE, "compass_ne"},
    {kPngSizeSmall, "btn_size_s"},
    {kPngSizeMedium, "btn_size_m"},
    {kPngSizeLarge, "btn_size_l"},
    {kBmpProgressPattern, "progress_tile"},
    {kBmpLogo, "logo_panel"},
    {kBmpBlack, "black_panel"},
};

}  // namespace

QString ImageResourcePath(int id) {
  for (const auto& img : kImages) {
    if (img.id == id) {
      return QStringLiteral(":/images/png/") + QLatin1String(img.name) + QStringLiteral(".png");
    }
  }
  return {};
}

QString ImageResourcePath(int id, qreal devicePixelRatio, qreal* ratio) {
  QString path = ImageResourcePath(id);
  *ratio = 1;
  if (path.isEmpty() || devicePixelRatio <= 1) return path;
  QString doubled = path;
  doubled.insert(doubled.size() - 4, QStringLiteral("@2x"));
  if (!QFile::exists(doubled)) return path;
  *ratio = 2;
  return doubled;
}

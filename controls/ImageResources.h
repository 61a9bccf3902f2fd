#pragma once

#include <QString>

// Numbered images of the player's skin. Every image is a PNG in the Qt
// resource system under ":/images/png/"; resources/images/README.md lists
// which number is which file.
enum ImageResourceId : int {
  kIconApp = 128,
  kPngPlay = 129,
  kPngPause = 132,
  kPngStop = 133,
  kPngFast = 136,
  kPngSlow = 137,
  kPngConf = 138,
  kPngOpen = 139,
  kPngSnap = 140,
  kPngSave = 141,
  kPngDelete = 142,
  kPngLoop = 143,
  kPngLoopOff = 176,
  kPngKml = 145,
  kPngMap = 146,
  kPngGsr = 147,
  kPngLock = 148,
  kPngGps = 150,
  kPngClose = 151,
  kPngMaximise = 152,
  kPngMinimise = 153,
  kPngAbout = 154,
  kPngVolumeMuted = 155,
  kPngVolume = 156,
  kBmpLockIcons = 158,  // 96 x 24: four 24 x 24 list icons, magenta transparent
  kBmpCheckMark = 161,  // 32 x 32 tooltip icon
  kPngCompassN = 167,   // 167..174: N, NW, W, SW, S, SE, E, NE
  kPngCompassNW = 168,
  kPngCompassW = 169,
  kPngCompassSW = 170,
  kPngCompassS = 171,
  kPngCompassSE = 172,
  kPngCompassE = 173,
  kPngCompassNE = 174,
  kPngSizeMedium = 187,
  kPngSizeLarge = 188,
  kBmpProgressPattern = 189,  // 30 x 30 tile of the progress bar
  kBmpLogo = 196,             // 733 x 459 logo panel
  kBmpBlack = 197,            // 320 x 240 black panel
  kPngSizeSmall = 1045,
};

// Resource path of a numbered image (":/images/png/<name>.png"), or an
// empty string for a number that has no image.
QString ImageResourcePath(int id);

// The rendering of image `id` for screens of `devicePixelRatio`: above 1
// the one drawn at twice the size (":/images/png/<name>@2x.png") where it
// exists, else the plain one. Sets *ratio to the chosen file's scale.
QString ImageResourcePath(int id, qreal devicePixelRatio, qreal* ratio);

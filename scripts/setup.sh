#!/usr/bin/env bash
# Installs the Debian packages VANTREL needs when they are missing, then
# configures and builds the project into build/ (Ninja, RelWithDebInfo).
# Usage: scripts/setup.sh [extra cmake arguments]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-webengine-dev qt6-webchannel-dev qt6-svg-dev
  libvlc-dev libvlc5 libvlc-bin vlc-plugin-base vlc-plugin-video-output
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev ffmpeg
  xvfb xauth libgl1-mesa-dri fonts-dejavu-core fonts-noto-cjk qt6-translations-l10n
  libgtest-dev libbenchmark-dev
  libimage-exiftool-perl gdal-bin libxml2-utils
  clang libclang-rt-14-dev
  dbus-daemon playerctl libglib2.0-bin
  dpkg-dev desktop-file-utils appstream lintian
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build="${VANTREL_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"

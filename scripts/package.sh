#!/usr/bin/env bash
# Builds the Debian package of VANTREL (CPack, DEB generator) into
# $VANTREL_PACKAGE_DIR (default build/) from the build folder
# $VANTREL_BUILD_DIR (default build/), then checks its desktop entry,
# metainfo and the package itself with desktop-file-validate, appstreamcli
# and lintian when they are installed. Prints the package's path last.
# Usage: scripts/package.sh [--no-build]
#   --no-build  pack what the build folder holds now; nothing is configured
#               or built (the programs must have been built before).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${VANTREL_BUILD_DIR:-$root/build}"
out="${VANTREL_PACKAGE_DIR:-$root/build}"

case "${1:-}" in
  "") VANTREL_BUILD_DIR="$build" "$root/scripts/setup.sh" ;;
  --no-build) ;;
  *) echo "usage: scripts/package.sh [--no-build]" >&2; exit 2 ;;
esac
if [ ! -f "$build/CPackConfig.cmake" ]; then
  echo "package: $build is not a configured build folder" >&2
  exit 1
fi

mkdir -p "$out"
out=$(cd "$out" && pwd)
(cd "$build" && cpack -G DEB -B "$out" --config CPackConfig.cmake >&2)
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb=$(ls -t "$out"/vantrel_"$version"-*_*.deb | head -n 1)

# The checks look at the files as packed.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$unpacked"/usr/share/applications/*.desktop
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml >/dev/null
fi
if command -v lintian >/dev/null; then
  # Warnings are reported, errors fail the script.
  lintian --fail-on error "$deb" >&2
fi
echo "$deb"

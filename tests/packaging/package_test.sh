#!/usr/bin/env bash
# Packs the already-built programs with scripts/package.sh --no-build (which
# also runs the validators and lintian) and checks what the package holds:
# both programs, the desktop entry starting the player with its settings in
# the user's folder, metainfo, icons, manual pages, completion, the run-time
# dependencies; then runs the unpacked vantrel-cli.
# Usage: package_test.sh SOURCE_DIR BUILD_DIR WORK_DIR. Exit 77: skipped.
set -euo pipefail
source_dir=$1 build_dir=$2 work=$3

for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli lintian; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed"
    exit 77
  fi
done

fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"
deb=$(VANTREL_BUILD_DIR="$build_dir" VANTREL_PACKAGE_DIR="$work" \
      "$source_dir/scripts/package.sh" --no-build | tail -n 1)
[ -f "$deb" ] || fail "no package made"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
id=org.vantrel.Vantrel
for file in usr/bin/vantrel usr/bin/vantrel-cli \
    usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/$id.svg \
    usr/share/icons/hicolor/48x48/apps/$id.png usr/share/icons/hicolor/128x128/apps/$id.png \
    usr/share/icons/hicolor/256x256/apps/$id.png \
    usr/share/man/man1/vantrel.1.gz usr/share/man/man1/vantrel-cli.1.gz \
    usr/share/bash-completion/completions/vantrel-cli \
    usr/share/doc/vantrel/copyright usr/share/doc/vantrel/changelog.Debian.gz; do
  grep -qx "\./$file" <<<"$contents" || fail "$file is not in the package"
done

# Linked libraries come from dpkg-shlibdeps, the run-time ones are named.
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libc6 libqt6widgets6 libavformat59 libvlc5 vlc-plugin-base vlc-plugin-video-output \
    libqt6webenginecore6-bin; do
  grep -qE "(^|, )$dep( |,|$)" <<<"$depends" || fail "Depends lacks $dep: $depends"
done
recommends=$(dpkg-deb -f "$deb" Recommends)
for package in fonts-noto-cjk fonts-dejavu-core qt6-translations-l10n; do
  grep -qE "(^|, )$package( |,|$)" <<<"$recommends" || fail "Recommends lacks $package: $recommends"
done
# What the recommended packages bring: Qt's catalogue for a language of the
# tables, and a font for each script of the language list.
for file in qtbase_de.qm qtbase_ja.qm qt_pt_PT.qm; do
  dpkg -L qt6-translations-l10n 2>/dev/null | grep -q "/$file$" || fail "qt6-translations-l10n has no $file"
done
for lang in zh-cn zh-tw ja ko ru uk pl lv ro sk; do
  [ -n "$(fc-list ":lang=$lang" family)" ] || fail "no installed font covers language $lang"
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
grep -qx 'Exec=vantrel --xdg-config %F' "$root/usr/share/applications/$id.desktop" ||
  fail "the desktop entry does not start the player with its settings in the user's folder"
version=$("$root/usr/bin/vantrel-cli" --version)
[[ $version == "VANTREL "* ]] || fail "unpacked vantrel-cli --version printed '$version'"
# Every sub-command the program lists is in its manual page and completion.
man_page=$(zcat "$root/usr/share/man/man1/vantrel-cli.1.gz")
completion=$(cat "$root/usr/share/bash-completion/completions/vantrel-cli")
for command in $("$root/usr/bin/vantrel-cli" --help | awk '/^  [a-z]/ {print $1}'); do
  grep -qF "\\fB$command\\fR" <<<"$man_page" || fail "vantrel-cli.1 does not describe '$command'"
  grep -qE "commands=\"[^\"]*\<$command\>" <<<"$completion" || fail "the completion lacks '$command'"
done
echo "ok: $deb"

#!/usr/bin/env bash
# Checks of the desktop integration. Usage: check-packaging.sh CHECK BUILD_DIR SOURCE_DIR
#   install   cmake --install into a temporary prefix lays down every file
#   deb       the .deb builds, lists every file and depends on the Qt libraries
#   rule      the udev rule parses (udevadm verify where there is one) and matches the unit
#   metadata  the desktop entry and the AppStream metainfo validate
set -euo pipefail
check=$1 build=$2 src=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

expected=(
  bin/trimdeck
  bin/trimdeck-demo
  lib/udev/rules.d/70-trimdeck.rules
  share/applications/org.trimdeck.Trimdeck.desktop
  share/icons/hicolor/256x256/apps/org.trimdeck.Trimdeck.png
  share/metainfo/org.trimdeck.Trimdeck.metainfo.xml
  share/doc/trimdeck/copyright
)
fail() { echo "FAIL: $*" >&2; exit 1; }

case $check in
install)
  cmake --install "$build" --prefix "$tmp/usr" >/dev/null
  for f in "${expected[@]}"; do [ -f "$tmp/usr/$f" ] || fail "cmake --install did not lay down $f"; done
  [ -x "$tmp/usr/bin/trimdeck" ] || fail "bin/trimdeck is not executable"
  ;;
deb)
  (cd "$tmp" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >/dev/null)
  deb=$(ls "$tmp"/out/trimdeck_*.deb 2>/dev/null | head -n1)
  [ -n "$deb" ] || fail "cpack made no .deb"
  listing=$(dpkg-deb -c "$deb")
  for f in "${expected[@]}"; do
    grep -q " \./usr/$f\$" <<<"$listing" || fail "the .deb does not hold /usr/$f"
  done
  depends=$(dpkg-deb -f "$deb" Depends)
  grep -q 'libqt6widgets6' <<<"$depends" || fail "Depends lacks the Qt libraries: $depends"
  grep -q 'libudev1' <<<"$depends" || fail "Depends lacks libudev: $depends"
  grep -q 'fonts-liberation2' <<<"$depends" || fail "Depends lacks the layout's font: $depends"
  [ "$(dpkg-deb -f "$deb" Package)" = trimdeck ] || fail "package name"
  ;;
rule)
  rule="$src/packaging/70-trimdeck.rules"
  number=$(basename "$rule" | cut -d- -f1)
  [ "$number" -lt 73 ] || fail "the rule must sort before the seat rules (73): $number"
  if command -v udevadm >/dev/null && udevadm verify --help >/dev/null 2>&1; then
    udevadm verify "$rule" || fail "udevadm verify"
  fi
  lines=$(grep -v '^\s*#' "$rule" | grep -v '^\s*$')
  [ "$(wc -l <<<"$lines")" -eq 1 ] || fail "one rule expected"
  for key in 'SUBSYSTEM=="hidraw"' 'ATTRS{idVendor}=="03eb"' 'ATTRS{idProduct}=="5a17"' 'TAG+="uaccess"'; do
    grep -qF "$key" <<<"$lines" || fail "the rule lacks $key"
  done
  # Every key is KEY==value, KEY+=value or KEY=value with a quoted value, comma separated.
  tr ',' '\n' <<<"$lines" | sed 's/^ *//; s/ *$//' | while read -r item; do
    [[ $item =~ ^[A-Z]+(\{[A-Za-z_]+\})?(==|!=|\+=|=)\"[^\"]*\"$ ]] || fail "malformed key: $item"
  done
  ;;
metadata)
  appstreamcli validate --no-net "$src/packaging/org.trimdeck.Trimdeck.metainfo.xml"
  desktop-file-validate "$src/packaging/org.trimdeck.Trimdeck.desktop"
  ;;
*)
  fail "unknown check $check"
  ;;
esac
echo "ok: $check"

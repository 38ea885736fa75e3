#!/usr/bin/env bash
# The zip as users meet it, on the oldest system the module must load on: its folder is copied
# into a new install and over an install that has the user's own Plotwright.ini, and the zip's
# lin.xpl runs in both inside the Debian 11 root (its C library 2.31, its libGL), through a small
# loader built there with the root's compiler.
#   tests/shipped/run_in_old_root.sh ZIP WORK
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 ZIP WORK" >&2
  exit 2
fi
source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
zip="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
work="$2"
[ -f "$zip" ] || { echo "no $zip: make package first" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"
work="$(cd "$work" && pwd)"

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
root="$("${as_root[@]}" "$source_dir/scripts/old-linux-root.sh")"

failures=0
check() { # check DESCRIPTION COMMAND...
  local what="$1"
  shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

# The loader, built in the root with its compiler and run by its dynamic loader, so that the
# module meets the root's C library, C++ runtime and libGL.
build="$("${as_root[@]}" mktemp -d "$root/tmp/plotwright-loader.XXXXXX")"
trap '"${as_root[@]}" rm -rf --one-file-system "$build"' EXIT
(cd "$source_dir" && tar cf - tests/shipped/old_root_loader.cpp sdk/CHeaders) |
  "${as_root[@]}" tar xf - -C "$build"
"${as_root[@]}" chroot "$root" /bin/sh -c 'cd "$1" && g++ -std=c++17 -O1 -Wall -Wextra -Werror \
    -DLIN=1 -DXPLM200=1 -DXPLM210=1 -DXPLM300=1 -DXPLM301=1 \
    -Isdk/CHeaders/XPLM -Isdk/CHeaders/Widgets -rdynamic \
    -o old_root_loader tests/shipped/old_root_loader.cpp -ldl' build "/tmp/$(basename "$build")"
"${as_root[@]}" cat "$build/old_root_loader" >"$work/old_root_loader"
chmod +x "$work/old_root_loader"
# The root's links are absolute, meant for inside it.
dynamic_loader="$root/lib64/ld-linux-x86-64.so.2"
while [ -L "$dynamic_loader" ]; do
  target="$(readlink "$dynamic_loader")"
  case "$target" in
    /*) dynamic_loader="$root$target" ;;
    *) dynamic_loader="$(dirname "$dynamic_loader")/$target" ;;
  esac
done
run_loader() { # run_loader INSTALL_ROOT
  "$dynamic_loader" \
    --library-path "$root/lib/x86_64-linux-gnu:$root/usr/lib/x86_64-linux-gnu" \
    "$work/old_root_loader" "$1/Resources/plugins/Plotwright/64/lin.xpl" "$1/"
}

# A new install, and one that has the user's settings and an older module.
fresh="$work/new-install"
upgraded="$work/upgraded-install"
mine=$'[CONFIG]\nFullSizeWindow = 0\n[DATASET1]\nName1 = sim/user/counter\nScaling1 = 2.0\n'
mkdir -p "$fresh/Resources/plugins" "$upgraded/Resources/plugins/Plotwright/64"
printf '%s' "$mine" >"$upgraded/Resources/plugins/Plotwright/Plotwright.ini"
echo "an older module" >"$upgraded/Resources/plugins/Plotwright/64/lin.xpl"
# Unpacking replaces every file the zip holds, as "replace all" does in a file manager.
for install in "$fresh" "$upgraded"; do
  (cd "$install/Resources/plugins" && cmake -E tar xf "$zip")
done
mkdir -p "$work/zip" && (cd "$work/zip" && cmake -E tar xf "$zip")

check "the upgrade kept the user's Plotwright.ini" \
  cmp -s <(printf '%s' "$mine") "$upgraded/Resources/plugins/Plotwright/Plotwright.ini"
check "the upgrade replaced the module" \
  cmp -s "$work/zip/Plotwright/64/lin.xpl" "$upgraded/Resources/plugins/Plotwright/64/lin.xpl"
check "a new install has no Plotwright.ini of its own" \
  test ! -e "$fresh/Resources/plugins/Plotwright/Plotwright.ini"
check "a new install has the example settings" \
  test -f "$fresh/Resources/plugins/Plotwright/PlotwrightExample.ini"

for install in "$fresh" "$upgraded"; do
  echo "== $(basename "$install"): the zip's lin.xpl in the Debian 11 root"
  if run_loader "$install" >"$install.out" 2>&1; then loader_ok=0; else loader_ok=1; fi
  cat "$install.out"
  check "$(basename "$install"): loaded and ran in the root" test "$loader_ok" -eq 0
  check "$(basename "$install"): ran against the root's C library 2.31" \
    grep -qx "C library: 2.31" "$install.out"
done

fresh_log="$(cat "$fresh/Log.txt" 2>/dev/null || true)"
check "a new install starts with the example settings in effect" \
  test "$fresh_log" = $'Plotwright - parsing setup file\nPlotwright - No Plotwright.ini file found.\nPlotwright - Using the example settings, PlotwrightExample.ini.\nPlotwright - parsing successful'
check "a new install looks up the example's datarefs" \
  grep -q "^datarefs found:.* sim/flightmodel/position/indicated_airspeed" "$fresh.out"
upgraded_log="$(cat "$upgraded/Log.txt" 2>/dev/null || true)"
check "an upgraded install reads the user's file and logs as before" \
  test "$upgraded_log" = $'Plotwright - parsing setup file\nPlotwright - parsing successful'
check "an upgraded install looks up the user's dataref alone" \
  grep -qx "datarefs found: sim/user/counter" "$upgraded.out"
check "an upgraded install records with the user's scaling" \
  grep -q "^export: 300 rows, last: 600.000000, " "$upgraded.out"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"

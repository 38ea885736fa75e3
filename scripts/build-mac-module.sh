#!/usr/bin/env bash
# Builds mac.xpl, universal (x86_64 and arm64), for macOS 11 and later, cross-built here from the
# same sources as lin.xpl and win.xpl with the release flags and warnings as errors
# (scripts/mac-lib.sh says how). The module binds the simulator's functions to XPLM.framework
# and XPWidgets.framework and OpenGL's to the system's framework, through text stubs written
# from our own declarations, and carries its own C++ runtime.
#   scripts/build-mac-module.sh OUT    leaves OUT/Plotwright/64/mac.xpl
# Skips the build when the sources, the declarations and these scripts are unchanged.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 OUT" >&2
  exit 2
fi
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
out="$(mkdir -p "$1" && cd "$1" && pwd)"
module="$out/Plotwright/64/mac.xpl"
# shellcheck source=scripts/mac-lib.sh
source "$source_dir/scripts/mac-lib.sh"

inputs_hash="$(cd "$source_dir" &&
  find src sdk/CHeaders sdk/macos scripts/build-mac-module.sh scripts/mac-lib.sh \
    scripts/mac-toolchain.sh -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum |
  sha256sum | cut -d' ' -f1)"
if [ -f "$module" ] && [ "$(cat "$out/inputs.sha256" 2>/dev/null)" = "$inputs_hash" ]; then
  echo "mac.xpl is up to date: $module" >&2
  exit 0
fi

mac_setup "$source_dir"
started=$SECONDS
work="$out/work"
rm -rf "$work"
mkdir -p "$work"
mac_write_stubs "$source_dir" "$work/stubs"
mac_write_exports "$source_dir" "$work/exports.txt"

# What the module is made of, as in the Linux and Windows builds.
(cd "$source_dir" && ls src/plugin_entry.cpp src/module_anchor.cc src/core/*.cpp \
  src/sampling/*.cpp src/background/*.cpp src/graph/*.cpp src/windows/*.cpp src/config/*.cpp) >"$work/sources"

export -f mac_compile mac_zig_target
export ZIG MAC_MIN_VERSION source_dir work
for arch in "${MAC_ARCHS[@]}"; do
  mkdir -p "$work/obj-$arch"
  echo "Compiling the plug-in for $arch-macos $MAC_MIN_VERSION" >&2
  # shellcheck disable=SC2016
  ARCH="$arch" xargs -P 2 -I SRC bash -c \
    'mac_compile "$ARCH" "$source_dir" "$work/obj-$ARCH/$(echo "$1" | tr / _).o" \
       "$source_dir/$1"' compile SRC <"$work/sources"
  echo "Linking the $arch slice" >&2
  mac_link "$arch" "$work/stubs" "$work/exports.txt" "$work/$arch/mac.xpl" \
    "$work/obj-$arch"/*.o
done

mkdir -p "$out/Plotwright/64"
"$LIPO" -create "$work/x86_64/mac.xpl" "$work/arm64/mac.xpl" -output "$module.partial"
chmod 755 "$module.partial"
mv -f "$module.partial" "$module"
echo "$inputs_hash" >"$out/inputs.sha256"
echo "Built $module ($(stat -c %s "$module") bytes) with $("$ZIG" version) and $("$LD64" \
  --version | head -n 1) in $((SECONDS - started)) s" >&2

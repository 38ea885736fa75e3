#!/usr/bin/env bash
# Links tests/mac/tiny_module.cpp into modules for the shape check, with the build's own
# functions: one sound, and one for each fault the check looks for.
#   tests/mac/make_modules.sh OUT    leaves OUT/<case>/mac.xpl
set -euo pipefail

source_dir="$(cd "$(dirname "$0")/../.." && pwd)"
out="$(mkdir -p "$1" && cd "$1" && pwd)"
# shellcheck source=scripts/mac-lib.sh
source "$source_dir/scripts/mac-lib.sh"
mac_setup "$source_dir"

work="$out/work"
rm -rf "$work"
mkdir -p "$work"
mac_write_stubs "$source_dir" "$work/stubs"
mac_write_exports "$source_dir" "$work/exports.txt"

# The stubs with XPLMDebugString moved from XPLM to XPWidgets.
mkdir -p "$work/misplaced"
cp "$work/stubs/OpenGL.tbd" "$work/misplaced/"
mapfile -t xplm < <(mac_declared_functions 'XPLM_API ' "$source_dir"/sdk/CHeaders/XPLM/*.h)
mapfile -t widgets < <(mac_declared_functions 'WIDGET_API ' "$source_dir"/sdk/CHeaders/Widgets/*.h)
mapfile -t xplm < <(printf '%s\n' "${xplm[@]}" | grep -vx XPLMDebugString)
mac_write_stub "$work/misplaced/XPLM.tbd" "$MAC_XPLM_INSTALL_NAME" "${xplm[@]}"
mac_write_stub "$work/misplaced/XPWidgets.tbd" "$MAC_XPWIDGETS_INSTALL_NAME" \
  "${widgets[@]}" XPLMDebugString

{ cat "$work/exports.txt"; echo _TinyExtra; } >"$work/exports-extra.txt"

# A universal module of the tiny source:  universal NAME STUBS EXPORTS [COMPILE FLAG...]
universal() {
  local name="$1" stubs="$2" exports="$3"
  shift 3
  local arch
  for arch in "${MAC_ARCHS[@]}"; do
    mac_compile "$arch" "$source_dir" "$work/$name-$arch.o" "$source_dir/tests/mac/tiny_module.cpp" \
      -I"$source_dir/sdk/CHeaders/XPLM" "$@"
    mac_link "$arch" "$stubs" "$exports" "$work/$name/$arch/mac.xpl" "$work/$name-$arch.o"
  done
  mkdir -p "$out/$name"
  "$LIPO" -create "$work/$name"/x86_64/mac.xpl "$work/$name"/arm64/mac.xpl -output "$out/$name/mac.xpl"
}

universal sound "$work/stubs" "$work/exports.txt"
universal extra-export "$work/stubs" "$work/exports-extra.txt" -DTINY_EXTRA_EXPORT=1
universal wrong-framework "$work/misplaced" "$work/exports.txt"
universal build-path "$work/stubs" "$work/exports.txt" "-DTINY_BUILT_IN=\"$out/tiny_module.cpp\""
# The module as the build made it before LLVM 16 and frame records: compiled without frame
# pointers and linked with ld64.lld-14 (with this build's runtime). Its arm64 compact unwind sends every non-leaf function
# to DWARF that is not there: the FDEs left are unrelocated (the plug-in's own module lost its
# __eh_frame, catch tables and personality routine outright).
LD64=ld64.lld-14 universal lld-14 "$work/stubs" "$work/exports.txt" -fomit-frame-pointer
# Linked right, but compiled without frame pointers: arm64 functions that call others and set up
# no frame record.
universal no-frame-records "$work/stubs" "$work/exports.txt" -fomit-frame-pointer

mkdir -p "$out/one-slice"
"$LIPO" "$out/sound/mac.xpl" -thin arm64 -output "$out/one-slice/mac.xpl"

# One byte of the arm64 slice's code changed after the linker signed it.
mkdir -p "$out/changed-after-signing"
cp "$out/sound/mac.xpl" "$out/changed-after-signing/mac.xpl"
# The arm64 slice's offset in the fat header (otool -f: "cputype 16777228" is arm64).
offset="$(llvm-otool-14 -f "$out/sound/mac.xpl" |
  awk '$1 == "cputype" { found = $2 == 16777228 } found && $1 == "offset" { print $2; exit }')"
printf '\x01' | dd of="$out/changed-after-signing/mac.xpl" bs=1 seek=$((offset + 40)) \
  conv=notrunc status=none

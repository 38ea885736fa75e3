#!/usr/bin/env bash
# Builds the lin.xpl that ships: inside the Debian 11 root (C library 2.31, g++ 10) with the
# release flags, the C++ runtime linked in and only the five entry points exported, so that it
# loads on every Linux with that C library or a later one. Daily builds keep the machine's own
# compiler; this one is for the package and `make install`.
#   scripts/build-shipped-module.sh OUT    leaves OUT/Plotwright/64/lin.xpl
# Skips the build when the sources, the SDK declarations and this script are unchanged.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 OUT" >&2
  exit 2
fi
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
out="$(mkdir -p "$1" && cd "$1" && pwd)"
module="$out/Plotwright/64/lin.xpl"

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi

inputs_hash="$(cd "$source_dir" &&
  find src sdk/CHeaders scripts/build-shipped-module.sh scripts/old-linux-root.sh -type f \
    -print0 | LC_ALL=C sort -z | xargs -0 sha256sum | sha256sum | cut -d' ' -f1)"
if [ -f "$module" ] && [ "$(cat "$out/inputs.sha256" 2>/dev/null)" = "$inputs_hash" ]; then
  echo "The shipped lin.xpl is up to date: $module" >&2
  exit 0
fi

root="$("${as_root[@]}" "$source_dir/scripts/old-linux-root.sh")"

started=$SECONDS
work="$("${as_root[@]}" mktemp -d "$root/tmp/plotwright-build.XXXXXX")"
cleanup() { "${as_root[@]}" rm -rf --one-file-system "$work"; }
trap cleanup EXIT
# Only what the module is made of: the plug-in's sources and the SDK declarations.
(cd "$source_dir" && tar cf - src sdk/CHeaders) | "${as_root[@]}" tar xf - -C "$work"

# The flags of the release preset and its warnings as errors, so code that g++ 10 reads
# otherwise than the machine's compiler stops the build here. -pthread and -ldl: before the C
# library 2.34 the export writer's thread comes from libpthread.so.0, and dlopen, with which the
# module keeps itself mapped for an export thread a stop left behind, from libdl.so.2; the module
# must name both.
read -r -d '' build_in_root <<'SCRIPT' || true
set -eu
cd "$1"
flags="-std=c++17 -O3 -DNDEBUG -fPIC -pthread -fvisibility=hidden -fvisibility-inlines-hidden
       -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Werror
       -DXPLM200=1 -DXPLM210=1 -DXPLM300=1 -DXPLM301=1 -DLIN=1
       -Isrc -Isdk/CHeaders/XPLM -Isdk/CHeaders/Widgets"
mkdir obj
ls src/plugin_entry.cpp src/core/*.cpp src/sampling/*.cpp src/background/*.cpp src/graph/*.cpp \
   src/windows/*.cpp src/config/*.cpp >sources
export flags
xargs -P 2 -I SRC sh -c 'g++ $flags -c SRC -o "obj/$(echo SRC | tr / _).o"' <sources
g++ $flags -DPLOTWRIGHT_OWN_CXX_RUNTIME=1 -shared -o lin.xpl src/module_anchor.cc obj/*.o \
    -static-libstdc++ -static-libgcc -Wl,--version-script=src/exports.map -lGL -ldl
g++ --version | head -n 1 >compiler
SCRIPT

echo "Building the shipped lin.xpl in the Debian 11 root $root" >&2
inside="/tmp/$(basename "$work")"
"${as_root[@]}" chroot "$root" /bin/sh -c "$build_in_root" build-in-root "$inside"
mkdir -p "$out/Plotwright/64"
"${as_root[@]}" cat "$work/lin.xpl" >"$module.partial"
chmod 755 "$module.partial"
mv -f "$module.partial" "$module"
echo "$inputs_hash" >"$out/inputs.sha256"
echo "Built $module with $("${as_root[@]}" cat "$work/compiler") in $((SECONDS - started)) s" >&2

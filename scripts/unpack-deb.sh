#!/usr/bin/env bash
# Unpacks Debian packages into a folder without installing them, for a
# program a test runs from there: nothing is set up on this machine (no
# service starts, nothing is left to remove). Safe to run again: a folder
# that already holds the same packages is left as it is.
#
#   scripts/unpack-deb.sh DIR PACKAGE...
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "uso: scripts/unpack-deb.sh CARTELLA PACCHETTO..." >&2
  exit 2
fi
dir=$1
shift
stamp="$dir/.pacchetti"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$*" ]; then exit 0; fi

rm -rf "$dir"
mkdir -p "$dir/deb"
download() { (cd "$dir/deb" && apt-get download -qq "$@"); }
if ! download "$@" 2>/dev/null; then
  # A fresh machine may have no package lists yet.
  sudo=()
  if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
  "${sudo[@]}" apt-get update -qq
  download "$@"
fi
for deb in "$dir"/deb/*.deb; do dpkg-deb -x "$deb" "$dir"; done
rm -rf "$dir/deb"
echo "$*" >"$stamp"

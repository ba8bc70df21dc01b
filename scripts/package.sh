#!/usr/bin/env bash
# Builds the Debian package of TARVO (dpkg-buildpackage -b -us -uc) into dist/,
# from a copy of the tree so that the tree gets no build leftovers, then checks
# it: lintian on the package and its source (errors and warnings fail),
# desktop-file-validate on the desktop entry and appstreamcli validate --no-net
# on the metainfo, both as the package installs them (any remark but a pedantic
# one fails). Then leaves the web edition beside it, dist/tarvo-web-VERSION.zip
# (the site and the single file, built by scripts/web.sh). Prints the
# package's path as its last line. Installs what it needs with apt-get
# (through setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

scripts/setup.sh build-essential debhelper lintian desktop-file-utils appstream

version=$(dpkg-parsechangelog -S Version)
project_version=$(sed -n 's/^project(tarvo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
if [ "$version" != "$project_version" ]; then
  echo "La versione di debian/changelog ($version) non è quella di CMakeLists.txt" \
    "($project_version): vanno allineate." >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tarvo-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
source_dir="$work/tarvo-$version"
mkdir "$source_dir"
# The files of the tree as they are now, without build folders and packages:
# what git tracks plus new files it does not ignore, or, outside git, all
# but build/, dist/ and .git/.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' file; do
      if [ -e "$file" ] || [ -L "$file" ]; then printf '%s\0' "$file"; fi
    done |
    tar --null -T - -cf - | tar -C "$source_dir" -xf -
else
  tar --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$source_dir" -xf -
fi

mkdir -p build
log="$top/build/package.log"
echo "== pacchetto tarvo $version: dpkg-buildpackage (registro in build/package.log)"
start=$(date +%s)
if ! (
  cd "$work"
  dpkg-source --build "tarvo-$version"
  cd "$source_dir"
  DEB_BUILD_OPTIONS="parallel=2 noautodbgsym ${DEB_BUILD_OPTIONS:-}" dpkg-buildpackage -b -us -uc
) >"$log" 2>&1; then
  tail -n 60 "$log"
  echo "Il pacchetto non si costruisce; il registro completo è in build/package.log." >&2
  exit 1
fi
echo "== costruito in $(($(date +%s) - start)) s"

deb=$(echo "$work"/tarvo_"$version"_*.deb)
dsc="$work/tarvo_$version.dsc"
[ -f "$deb" ] || { echo "Manca il pacchetto tarvo_${version}_*.deb." >&2; exit 1; }

echo "== lintian"
lintian --fail-on error,warning --display-info "$deb" "$dsc"

echo "== desktop-file-validate e appstreamcli validate --no-net"
root="$work/root"
dpkg-deb -x "$deb" "$root"
# desktop-file-validate fails on errors only: a warning or a hint fails here too.
report=$(desktop-file-validate "$root"/usr/share/applications/*.desktop 2>&1) || {
  echo "$report" >&2
  exit 1
}
if [ -n "$report" ]; then
  echo "$report" >&2
  echo "desktop-file-validate ha da ridire sulla voce del menu." >&2
  exit 1
fi
# --strict: anything above a pedantic hint fails.
appstreamcli validate --no-net --strict "$root"/usr/share/metainfo/*.metainfo.xml

mkdir -p dist
rm -f dist/tarvo_*.deb
cp "$deb" dist/

# The web edition beside it: the site and the single file, in one zip.
echo "== tarvo-web-$version.zip (scripts/web.sh --build-only)"
scripts/setup.sh zip
scripts/web.sh --build-only >"$top/build/web-package.log" 2>&1 || {
  tail -n 30 "$top/build/web-package.log"
  echo "L'edizione web non si costruisce; il registro è in build/web-package.log." >&2
  exit 1
}
web_root="$work/web/tarvo-web-$version"
mkdir -p "$web_root"
cp -r build/web/site "$web_root/site"
cp build/web/tarvo.html "$web_root/"
rm -f dist/tarvo-web-*.zip
(cd "$work/web" && zip -q -X -r -9 "$top/dist/tarvo-web-$version.zip" "tarvo-web-$version")

echo "$top/dist/$(basename "$deb")"

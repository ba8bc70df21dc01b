#!/usr/bin/env bash
# The web edition: builds the C++ core to WebAssembly with emscripten (its
# own build folder, build/web/cmake, outside the native presets), puts the
# page together as build/web/site (for any web host) and build/web/tarvo.html
# (one file that runs from file://), then serves the site on
# http://127.0.0.1:8000/ until stopped (Ctrl+C).
#
#   scripts/web.sh               build, then serve the site
#   scripts/web.sh --build-only  build only
#   scripts/web.sh --test        build, then run the web tests: the module
#                                under Node against the native build, and
#                                the page in Chromium
#   TARVO_WEB_PORT=8080 scripts/web.sh   serve on another port
#
# Installs what it needs with apt-get (through setup.sh) and, for the tests,
# the npm packages pinned in web/package-lock.json (npm ci).
set -euo pipefail
cd "$(dirname "$0")/.."

mode=serve
case "${1:-}" in
  '') ;;
  --build-only) mode=build ;;
  --test) mode=test ;;
  -h | --help)
    sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'
    exit 0
    ;;
  *)
    echo "scripts/web.sh: opzione sconosciuta: $1 (--build-only, --test)" >&2
    exit 2
    ;;
esac

scripts/setup.sh cmake ninja-build emscripten nodejs chromium
# npm comes with Debian's nodejs as a package of its own, and inside the
# nodejs of other distributors.
command -v npm >/dev/null 2>&1 || scripts/setup.sh npm

# emscripten's own tools find Debian's JavaScript libraries (acorn) here.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

echo "== web: WebAssembly e pagina (build/web)"
emcmake cmake -S web -B build/web/cmake -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
nice cmake --build build/web/cmake
echo "build/web/site/ e build/web/tarvo.html"

case "$mode" in
  build) exit 0 ;;
  serve) exec node web/tools/serve.mjs build/web/site "${TARVO_WEB_PORT:-8000}" ;;
esac

echo "== web: le prove"
# The native players of the same scripts, and tarvo-genera to compare with.
if [ ! -f build/debug/build.ninja ]; then cmake --preset debug >/dev/null; fi
nice cmake --build --preset debug --target tarvo-web-session tarvo-web-collate tarvo-genera
(cd web && npm ci --no-audit --no-fund --loglevel=error)
export TARVO_NATIVE_BUILD="$PWD/build/debug"
# Debian's nginx, to serve the site with web/deploy's file: unpacked into
# build/nginx and never installed, so that no web server starts here.
scripts/unpack-deb.sh build/nginx nginx nginx-common
export TARVO_NGINX_ROOT="$PWD/build/nginx"
(cd web && node --test tests/node/ tests/browser/)

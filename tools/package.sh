#!/usr/bin/env bash
# Builds the Debian package from a build folder that is already built, and checks it as Debian
# would: lintian on the package and its debug package, desktop-file-validate on the desktop
# file and appstreamcli on the installed tree. Any error or warning fails.
#   tools/package.sh [BUILD_DIR]      (build/ by default)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")

rm -f "$build"/mechanon_*.deb "$build"/mechanon-dbgsym_*.ddeb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/mechanon_*.deb)
ddeb=$(ls "$build"/mechanon-dbgsym_*.ddeb)

# lintian refuses nothing for running as root, but says so on standard error.
lint() { lintian --fail-on error,warning "$@" 2> >(grep -v 'running with root privileges' >&2); }
lint "$deb"
# build/ is compiled without -g (see tools/setup.sh), so its debug package holds the symbol
# tables alone; a build with debug information (RelWithDebInfo) passes without the suppression.
if readelf -S "$build/cli/mechanon-cli" | grep -q '\.debug_info'; then
  lint "$ddeb"
else
  lint --suppress-tags debug-file-with-no-debug-symbols "$ddeb"
fi

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
desktop-file-validate "$tree"/usr/share/applications/*.desktop
# The screenshot's address is checked for its form only: the suite runs without a network.
for check in "validate --no-net --pedantic $tree/usr/share/metainfo/"*.metainfo.xml \
  "validate-tree --no-net --pedantic $tree"; do
  # shellcheck disable=SC2086
  appstreamcli $check >/dev/null || appstreamcli $check
done
echo "$(basename "$deb") and $(basename "$ddeb"): lintian, desktop-file-validate and appstreamcli clean"

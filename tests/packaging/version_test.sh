#!/usr/bin/env bash
# Everything that states the version says what mechanon-cli --version says: the program, the
# help page, the manual pages, the changelog, the AppStream release and the package.
#   version_test.sh CLI PROGRAM HELP_PAGE GENERATED_DIR CPACK_CONFIG
set -uo pipefail
cli=$1 program=$2 help=$3 generated=$4 cpack=$5
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

version=$("$cli" --version | sed -n 's/^mechanon-cli \([0-9][0-9.]*\)$/\1/p')
[ -n "$version" ] || { echo "FAIL: mechanon-cli --version says no version" >&2; exit 1; }

agrees() {  # agrees WHAT FOUND
  [ "$2" = "$version" ] || fail "$1 says \"$2\", mechanon-cli --version \"$version\""
}

agrees "mechanon --version" "$("$program" --version | sed -n 's/^Mechanon //p')"
agrees "the help page" "$(sed -n 's|.*<p class="version">Version \([^<]*\)</p>.*|\1|p' "$help")"
for page in mechanon.1 mechanon-cli.1; do
  agrees "$page" "$(sed -n 's/^\.TH .* "Mechanon \([^"]*\)" .*/\1/p' "$generated/$page")"
done
agrees "the changelog's latest entry" \
  "$(sed -n '1s/^mechanon (\([^)]*\)) .*/\1/p' "$generated/changelog")"
agrees "the AppStream metadata's latest release" \
  "$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$generated"/*.metainfo.xml | head -n 1)"
agrees "the package" \
  "$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\([^"]*\)")$/\1/p' "$cpack")"

[ "$failures" -eq 0 ] && echo "version $version everywhere"
exit $((failures > 0))

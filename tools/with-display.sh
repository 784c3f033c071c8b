#!/usr/bin/env bash
# Runs a command on a virtual X screen of its own, for window tests on a machine without a display:
#   tools/with-display.sh ctest --test-dir build -j2
# The screen (1600x1200, 24 bits) lives as long as the command and is gone after it.
#
# - The server picks a free display number itself and reports it once it accepts clients, so it
#   cannot race with other servers starting beside it for the same number.
# - It never resets: an X server that resets when its last client leaves drops a client that
#   connects at that moment, so a window test starting just as another one ended could not
#   connect to the display.
# - It is asked to answer (xdpyinfo) before the command starts.
# - Only clients holding its cookie may connect.
set -euo pipefail

if [ $# -eq 0 ]; then
  echo "usage: tools/with-display.sh COMMAND [ARGS...]" >&2
  exit 2
fi
for tool in Xvfb xauth xdpyinfo mcookie; do
  if ! command -v "$tool" >/dev/null; then
    echo "with-display: $tool is missing (tools/setup.sh install)" >&2
    exit 1
  fi
done

dir=$(mktemp -d)
server=
finish() {
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "$dir"
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

export XAUTHORITY="$dir/xauthority"
touch "$XAUTHORITY"
cookie=$(mcookie)
# The server reads its cookies before it knows its number, and takes every cookie in the file.
xauth -q -f "$XAUTHORITY" add :0 . "$cookie"
mkfifo "$dir/number"
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp -noreset -auth "$XAUTHORITY" \
  3>"$dir/number" 2>"$dir/server.log" &
server=$!
number=
# Written once the server accepts clients; end of file if it fails to start.
read -r -t 20 number <"$dir/number" || true
if ! [[ "$number" =~ ^[0-9]+$ ]]; then
  echo "with-display: the virtual X server did not start:" >&2
  cat "$dir/server.log" >&2
  exit 1
fi
xauth -q -f "$XAUTHORITY" add ":$number" . "$cookie"
export DISPLAY=":$number"
if ! xdpyinfo >/dev/null 2>"$dir/check.log"; then
  echo "with-display: display $DISPLAY does not answer:" >&2
  cat "$dir/check.log" "$dir/server.log" >&2
  exit 1
fi

status=0
"$@" || status=$?
exit "$status"

#!/usr/bin/env bash
# Measures the time from process start to the shown main window: the application quits as
# soon as its window is up (LEDSUITE_QUIT_WHEN_SHOWN=1). Runs offscreen unless a display is
# asked for (QT_QPA_PLATFORM=xcb). Settings go to a temporary folder. Fails above 1 s.
set -euo pipefail
cd "$(dirname "$0")/.."
exe=${1:-build/shell/ledsuite}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} XDG_CONFIG_HOME="$tmp" LEDSUITE_APPDATA="$tmp/app"
export LEDSUITE_QUIT_WHEN_SHOWN=1
/usr/bin/time -f "%e" -o "$tmp/time" "$exe" >/dev/null 2>&1
seconds=$(cat "$tmp/time")
echo "start-up to shown window: ${seconds} s"
awk -v s="$seconds" 'BEGIN { exit !(s < 1.0) }'

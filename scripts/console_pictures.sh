#!/usr/bin/env bash
# The README pictures of the console at a laptop's 1280x720 (docs/console.png
# and docs/server-unreachable.png), under Xvfb, on a root of its own: the
# lobby open on the console's own remote side, then a server whose remote
# cannot be reached, its "No Data Recieved!" box moved out of the picture.
# Needs Xvfb, xdotool and imagemagick, and a build.
set -euo pipefail
W=$(cd "$(dirname "$0")/.." && pwd)
R=$(mktemp -d)/root
OUT=${1:-$W/docs}
mkdir -p "$OUT"
rm -rf "$R"; cp -r "$W/build/default/stage" "$R"
rm -rf "$R/settings/servers.ini" "$R/settings/console.ini" "$R/remote"
export DISPLAY=:78
Xvfb :78 -screen 0 1280x720x24 >/dev/null 2>&1 & XV=$!
HO=
trap 'kill $HO $XV 2>/dev/null || true' EXIT
sleep 1
# The first start writes the two servers on the console's own remote side.
"$R/jexhost" --screenshot "$OUT/console.png" >/dev/null 2>&1
printf 'token-of-nobody guest 0 1 1 1 1 1\n' > "$R/settings/far.tokens"; chmod 600 "$R/settings/far.tokens"
cat >> "$R/settings/servers.ini" <<INI
[far]
Name=Far away
Game=Delta Force
Remote=ws://127.0.0.1:47319
TokenFile=far.tokens
Profile=0
Tag=desk7
INI
rm -f "$R/settings/console.ini"  # a first start again, at the screen's size
"$R/jexhost" --server "Far away" >/dev/null 2>&1 & HO=$!
WIN=$(xdotool search --sync --name '^jexhost$' | head -1)
sleep 4
for box in $(xdotool search --onlyvisible --class jexhost); do
  [ "$box" = "$WIN" ] || xdotool windowmove "$box" 1300 0
done
sleep 1
import -window "$WIN" "$OUT/server-unreachable.png"

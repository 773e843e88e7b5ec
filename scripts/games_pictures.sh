#!/usr/bin/env bash
# The README pictures of the console with a running game at a laptop's
# 1280x720, under Xvfb, on a root of its own: a jexremote runs a teeworlds
# server for profile 0, the console starts it and shows the Game column and
# the Console dock following its output (docs/games-console.png), then three
# players join (scripts/tw_bot.py) and the Players dock lists them
# (docs/games-players.png).
# Needs Xvfb, xdotool, imagemagick, teeworlds-server, and a build.
set -euo pipefail
W=$(cd "$(dirname "$0")/.." && pwd)
T=$(mktemp -d)
R=$T/root
OUT=${1:-$W/docs}
mkdir -p "$OUT"
cp -r "$W/build/default/stage" "$R"
rm -rf "$R/settings/servers.ini" "$R/settings/console.ini" "$R/remote"
export DISPLAY=:79
Xvfb :79 -screen 0 1280x720x24 >/dev/null 2>&1 & XV=$!
HO= RE= BO=
# The game outlives jexremote: it is stopped before the remote side goes.
finish() {
  [ -z "$BO" ] || { kill "$BO"; wait "$BO" || true; }
  [ -z "$HO" ] || { kill "$HO"; wait "$HO" || true; }
  "$R/jexhost" --stop --servers Arena >/dev/null 2>&1 || true
  kill $RE $XV 2>/dev/null || true
}
trap finish EXIT
sleep 1
"$R/jexhost" --quit-after-ms 1 >/dev/null 2>&1 || true  # the first start writes its servers
mkdir -p "$T/state"
cp "$R/remote/state/server-0.ini" "$T/state/" 2>/dev/null || true
TOKEN=arena-ops-token-0123456789abcdef
printf '%s ops 1 1 1 1 1 1 1\n' "$TOKEN" > "$T/tokens"; chmod 600 "$T/tokens"
"$R/jexremote" --state-dir "$T/state" --set-game 0 --definition teeworlds --game-port 18399
"$R/jexremote" --listen 127.0.0.1:47411 --token-file "$T/tokens" --state-dir "$T/state" \
  >/dev/null 2>&1 & RE=$!
printf '%s\n' "$TOKEN" > "$R/settings/arena.token"; chmod 600 "$R/settings/arena.token"
cat >> "$R/settings/servers.ini" <<INI
[arena]
Name=Arena
Game=Delta Force
Remote=ws://127.0.0.1:47411
TokenFile=arena.token
Profile=0
Tag=arena0
INI
sleep 1
"$R/jexhost" --start --servers Arena
"$R/jexhost" --server Arena >/dev/null 2>&1 & HO=$!
WIN=$(xdotool search --sync --name '^jexhost$' | head -1)
# No window manager places it: the whole window on the screen, its foot too.
xdotool windowmove --sync "$WIN" 0 0
sleep 6
# The Console dock is a tab beside the traffic view, at the window's foot.
xdotool mousemove --window "$WIN" ${CONSOLE_TAB:-110 708} click 1
sleep 2
import -window "$WIN" "$OUT/games-console.png"
# The Players dock is the tab after the Console.
python3 "$W/scripts/tw_bot.py" --port 18399 --name Nightowl --name Ferret --name Quill \
  --clan Dusk > "$T/bots.out" & BO=$!
for _ in $(seq 60); do [ "$(grep -c joined "$T/bots.out")" = 3 ] && break; sleep 0.5; done
xdotool mousemove --window "$WIN" ${PLAYERS_TAB:-180 708} click 1
sleep 7
import -window "$WIN" "$OUT/games-players.png"

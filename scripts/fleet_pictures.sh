#!/usr/bin/env bash
# The README pictures of the fleet dialog (docs/fleet-preview.png and
# docs/fleet-outcome.png), under Xvfb: a root of its own with five servers on
# the console's own remote side (one already holding the affiliate's settings),
# one on a jexremote whose operator may not change the player limit and one
# that cannot be reached. Needs Xvfb, xdotool and imagemagick, and a build.
set -euo pipefail
W=$(cd "$(dirname "$0")/.." && pwd)
R=$(mktemp -d)/root
OUT=${1:-$W/docs}
mkdir -p "$OUT"
stop() { for p in "$@"; do kill "$p" 2>/dev/null || true; done; }
rm -rf "$R"; cp -r "$W/build/default/stage" "$R"
rm -rf "$R/settings/servers.ini" "$R/settings/console.ini" "$R/remote"
mkdir -p "$R/remoteB"; chmod 700 "$R/remoteB"
printf 'token-of-the-rented-operator guest 0 1 0 1 1 1\n' > "$R/settings/guest.tokens"; chmod 600 "$R/settings/guest.tokens"
cat > "$R/settings/servers.ini" <<INI
[lobby]
Name=Delta Force lobby
Game=Delta Force,  V1.5.0.5
Remote=embedded
Profile=0
Tag=desk0
[affiliate]
Name=NovaWorld affiliate
Game=Delta Force, NovaWorld Affiliate Server V1.5.0.11A
Remote=embedded
Profile=1
Tag=desk1
[team2]
Name=Team server 2
Game=Delta Force,  V1.5.0.5
Remote=embedded
Profile=2
Tag=desk2
[team3]
Name=Team server 3
Game=Delta Force,  V1.5.0.5
Remote=embedded
Profile=3
Tag=desk3
[twin]
Name=Affiliate twin
Game=Delta Force, NovaWorld Affiliate Server V1.5.0.11A
Remote=embedded
Profile=5
Tag=desk5
[rented]
Name=Rented server
Game=Delta Force,  V1.5.0.5
Remote=ws://127.0.0.1:47311
TokenFile=guest.tokens
Profile=0
Tag=desk6
[far]
Name=Far away
Game=Delta Force,  V1.5.0.5
Remote=ws://127.0.0.1:47319
TokenFile=guest.tokens
Profile=0
Tag=desk7
INI
export DISPLAY=:77
Xvfb :77 -screen 0 1400x1000x24 >/dev/null 2>&1 & XV=$!
sleep 1
# First start: the embedded profiles are seeded; the twin then takes the affiliate's settings.
"$R/jexhost" --quit-after-ms 1500 >/dev/null 2>&1 || true
sed 's/^ServerName=.*/ServerName=Affiliate twin/' "$R/remote/state/server-1.ini" > "$R/remote/state/server-5.ini"
chmod 600 "$R/remote/state/server-5.ini"
"$R/jexremote" --listen 127.0.0.1:47311 --token-file "$R/settings/guest.tokens" --state-dir "$R/remoteB" >/dev/null 2>&1 & RB=$!
"$R/jexhost" --server "NovaWorld affiliate" >"$R/host.log" 2>&1 & HO=$!
trap 'stop $HO $RB $XV' EXIT
sleep 4
WIN=$(xdotool search --sync --name '^jexhost$' | head -1)
xdotool windowactivate --sync "$WIN" || true
xdotool mousemove --window "$WIN" 120 95 click 1; sleep 0.3
xdotool key ctrl+a; sleep 0.3
xdotool key alt+s; sleep 0.5; xdotool key c; sleep 2
D=$(xdotool search --name '^Settings to' | head -1)
xdotool windowactivate --sync "$D" || true
xdotool mousemove --window "$D" 877 617 click 1; sleep 3
import -window "$D" "$R/fleet-preview.png" && convert "$R/fleet-preview.png" -strip -colors 96 PNG8:"$OUT/fleet-preview.png"
xdotool mousemove --window "$D" 962 617 click 1; sleep 4
import -window "$D" "$R/fleet-outcome.png" && convert "$R/fleet-outcome.png" -strip -colors 96 PNG8:"$OUT/fleet-outcome.png"
echo "pictures in $OUT"

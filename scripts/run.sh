#!/usr/bin/env bash
# Builds everything and starts the operator's console, jexhost. The first
# start writes two servers on the console's own remote side
# (build/default/stage/settings/servers.ini). Arguments go to jexhost (see
# jexhost --help), e.g.
#   scripts/run.sh --server "NovaWorld affiliate"
#   scripts/run.sh --config my-servers.ini
# jexhost opens a window, so it needs a display. Headless:
#   QT_QPA_PLATFORM=offscreen scripts/run.sh --quit-after-ms 3000
#   QT_QPA_PLATFORM=offscreen scripts/run.sh --screenshot console.png
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
exec build/default/stage/jexhost "$@"

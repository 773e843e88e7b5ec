#!/usr/bin/env bash
# Builds everything and starts the reference host with the settings panel and
# an in-process remote side. Arguments go to jexhost (see jexhost --help), e.g.
#   scripts/run.sh --profile 1 --privileges my_privileges.ini
#   scripts/run.sh --remote ws://server:4711
# jexhost opens a window, so it needs a display. Headless smoke run:
#   QT_QPA_PLATFORM=offscreen scripts/run.sh --quit-after-ms 3000
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
exec build/default/stage/jexhost "$@"

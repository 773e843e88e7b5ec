#!/usr/bin/env bash
# Renders the settings form as loaded, one picture per tab, into docs/
# (form-tab0.png, form-tab1.png, form-tab2.png).
# Usage: scripts/render_form.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/render}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DJEX_BUILD_TESTS=OFF -DJEX_BUILD_BENCHMARKS=OFF >/dev/null
fi
cmake --build "$build" --target jexrender -j "$(nproc)"
QT_QPA_PLATFORM=offscreen "$build/stage/jexrender" docs

#!/usr/bin/env bash
# The console through its remote's outage, ten times over: a panel loaded,
# the remote stopped, Update pressed, "No Data Recieved!" (or the review
# dialog) left open past the request's time while the link keeps failing,
# then OK; and quitting with an edit not sent while the remote is down,
# Update, then OK. Each walk drives the real console offscreen with a real
# jexremote process; a crash or a sanitizer's report fails it.
#
#   scripts/crash_walk.sh [BUILD_TREE] [RUNS]     (default build/default, 10)
#   cmake --preset asan && cmake --build --preset asan --target host_tests jexhost jexremote jexrcKDRSM
#   scripts/crash_walk.sh build/asan
set -euo pipefail
cd "$(dirname "$0")/.."
tree="${1:-build/default}"
[[ "$tree" = /* ]] || tree="$PWD/$tree"  # a tree named from here or by its full path
runs="${2:-10}"
tests="$tree/tests/host/host_tests"
[[ -x "$tests" ]] || { echo "crash_walk: no $tests; build the host_tests target first" >&2; exit 2; }
export QT_QPA_PLATFORM=offscreen
export JEX_COMPONENT_PATH="$tree/stage/components"
# The panel finds its host's root once per process: one process per walk.
walks=('Outage/BoxLeftOpenThroughTheOutage.*/NoDataBox'
       'Outage/BoxLeftOpenThroughTheOutage.*/ReviewDialog'
       'Outage/UnsentEditWhileDown.*/Quit')
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
for ((run = 1; run <= runs; run++)); do
    for walk in "${walks[@]}"; do
        status=0
        "$tests" --gtest_filter="$walk" >"$log" 2>&1 || status=$?
        if ((status != 0)); then
            echo "crash_walk: run $run, $walk failed (status $status):" >&2
            grep -vE '^jex\.(host|remote)' "$log" | tail -40 >&2
            exit 1
        fi
    done
    echo "run $run of $runs: ${#walks[@]} walks, no crash"
done

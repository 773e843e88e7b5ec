#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer; the "fuzz" preset shares the build/asan tree
# with the sanitizer test run) and runs each for a number of seconds.
# Usage: scripts/fuzz.sh [seconds per target, default 30] [target ...]
#        scripts/fuzz.sh --install   only install clang and its runtimes
# The seeds in fuzz/corpus/<target> are only read; what a run finds goes to
# build/asan/fuzz-corpus/<target>, failing inputs to build/asan/fuzz-crashes/,
# each target's output to build/asan/fuzz-logs/<target>.log.
# A crash, a sanitizer report, a broken property, a leak or an input that
# takes longer than JEX_FUZZ_TIMEOUT seconds (default 1) fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

install_clang() {
  local fuzzer_runtime
  fuzzer_runtime="$(clang++ -print-file-name=libclang_rt.fuzzer-x86_64.a 2>/dev/null || true)"
  command -v clang++ >/dev/null && [ -f "$fuzzer_runtime" ] && return 0
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "fuzz: installing clang"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends clang libclang-rt-dev >/dev/null
}

bash scripts/bootstrap.sh
install_clang
[ "${1:-}" = "--install" ] && exit 0

seconds="${1:-30}"
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_settings_reply fuzz_request_text fuzz_update_body
  fuzz_numbers fuzz_panel_reply fuzz_panel_load fuzz_ini_keys fuzz_dec64 fuzz_game_lines)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]}" -j "$(nproc)"

tree=build/asan
export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export ASAN_OPTIONS="detect_leaks=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0"
mkdir -p "$tree/fuzz-crashes" "$tree/fuzz-logs"
failed=()
for target in "${targets[@]}"; do
  work="$tree/fuzz-corpus/${target}"
  log="$tree/fuzz-logs/${target}.log"
  mkdir -p "$work"
  if "$tree/fuzz/${target}" -max_total_time="$seconds" -timeout="${JEX_FUZZ_TIMEOUT:-1}" \
      -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$tree/fuzz-crashes/${target}-" \
      "$work" "fuzz/corpus/${target}" >"$log" 2>&1; then
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
    echo "fuzz: ${target}: ${runs:-?} inputs in ${seconds}s, no finding"
  else
    failed+=("$target")
    echo "fuzz: ${target}: FINDING (log ${log})"
    grep -E 'ERROR|property broken|SUMMARY|Test unit written|timeout' "$log" | head -20 || true
  fi
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: FAILED: ${failed[*]} (inputs in $tree/fuzz-crashes/)" >&2
  exit 1
fi
echo "fuzz: passed: ${#targets[@]} targets ran ${seconds}s each without a finding"

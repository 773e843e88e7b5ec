#!/usr/bin/env bash
# Builds the libFuzzer targets with the "fuzz" preset (clang, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for a number of seconds.
# Usage: scripts/fuzz.sh [seconds per target, default 30] [target ...]
# The seeds in fuzz/corpus/<target> are only read; what a run finds goes to
# build/fuzz/corpus/<target>, crashing inputs to build/fuzz/crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_settings_reply fuzz_request_text fuzz_update_body fuzz_numbers)

bash scripts/bootstrap.sh
command -v clang++ >/dev/null || { apt-get update -qq && apt-get install -y -qq clang >/dev/null; }

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]}" -j "$(nproc)"

# A sanitizer finding ends the run like a crash does.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export ASAN_OPTIONS="detect_leaks=1"
mkdir -p build/fuzz/crashes
failed=()
for target in "${targets[@]}"; do
  work="build/fuzz/corpus/${target}"
  mkdir -p "$work"
  echo "== ${target} (${seconds}s)"
  if ! "build/fuzz/fuzz/${target}" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="build/fuzz/crashes/${target}-" "$work" "fuzz/corpus/${target}"; then
    failed+=("$target")
  fi
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: failures in ${failed[*]} (inputs in build/fuzz/crashes/)" >&2
  exit 1
fi
echo "fuzz: ${#targets[@]} targets ran ${seconds}s each without a failure"

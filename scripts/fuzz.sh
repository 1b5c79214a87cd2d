#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan + UBSan) and runs each for
# SECONDS, one after another; stops at the first crash, leak or timeout.
#   scripts/fuzz.sh SECONDS [TARGET...]     (default: every target)
# Environment: FUZZ_BUILD_DIR (default build-fuzz), FUZZ_NO_BUILD=1 to reuse a
# build (when two runs share one), FUZZ_JOBS for the build (default 2).
# The growing corpus and any crash inputs go to the build folder; the seeds in
# fuzz/seeds stay as they are.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ] || ! [[ "$1" =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh SECONDS [TARGET...]" >&2
  exit 2
fi
seconds=$1
shift
build=${FUZZ_BUILD_DIR:-build-fuzz}
targets=("$@")

if [ "${FUZZ_NO_BUILD:-0}" != 1 ]; then
  CC=clang CXX=clang++ cmake -S fuzz -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  if [ ${#targets[@]} -eq 0 ]; then
    cmake --build "$build" -j"${FUZZ_JOBS:-2}"
  else
    cmake --build "$build" -j"${FUZZ_JOBS:-2}" --target "${targets[@]}"
  fi
fi
if [ ${#targets[@]} -eq 0 ]; then
  for target in fuzz_midi_reader fuzz_definitions fuzz_conversion fuzz_settings; do
    if [ -x "$build/$target" ]; then
      targets+=("$target")
    else
      # Only while the settings store is not in the tree (the build says so too).
      echo "!! $target was not built: not run" >&2
    fi
  done
fi

mkdir -p "$build/logs" "$build/artifacts"
# The real files seed the two MIDI targets as they are (read only).
declare -A extra=([fuzz_midi_reader]=tests/data/midi [fuzz_conversion]=tests/data/midi)
# MIDI inputs of at most 2 KB (4 KB for the reader): a whole real file takes 20 ms
# a conversion, and its cuts keep its kinds of events.
declare -A max_len=([fuzz_conversion]=2048 [fuzz_midi_reader]=4096)
declare -A dict=([fuzz_midi_reader]=midi.dict [fuzz_conversion]=midi.dict
                 [fuzz_definitions]=ini.dict [fuzz_settings]=reg.dict)
status=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  # One log per run: runs of the same target may overlap (a long run while
  # the test command runs its short ones).
  log="$build/logs/$target-$(date +%Y%m%d-%H%M%S)-$$.log"
  echo "== $target for ${seconds}s (log: $log)"
  # Leaks are checked at every input's end; an input taking more than 20 s is a hang.
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      "$build/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
      -print_final_stats=1 -dict="fuzz/${dict[$target]}" ${max_len[$target]:+-max_len=${max_len[$target]}} \
      -artifact_prefix="$build/artifacts/$target-" "$corpus" "fuzz/seeds/$target" ${extra[$target]:+"${extra[$target]}"} \
      >"$log" 2>&1; then
    echo "!! $target failed; the end of its log:" >&2
    tail -n 60 "$log" >&2
    status=1
    continue
  fi
  # The figures: executions, coverage and time, from libFuzzer's last lines.
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  last=$(grep -aE '^#[0-9]+' "$log" | tail -n 1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  done_line=$(grep -aE '^Done [0-9]+ runs in' "$log" | tail -n 1 || true)
  echo "$target: ${runs:-?} executions, cov ${cov:-?}, ft ${ft:-?}; ${done_line:-no Done line}"
done
exit $status

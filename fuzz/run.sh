#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer + AddressSanitizer + UndefinedBehaviorSanitizer)
# and runs each for FUZZ_SECONDS, from a working copy of its seed corpus so the committed seeds
# never grow. Prints one summary line per target; exits non-zero when any target found something.
#
#   FUZZ_SECONDS  seconds per target (default 60)
#   FUZZ_BUILD    build folder (default build-fuzz)
#   FUZZ_TARGETS  space-separated subset to run (default: every target the build defines)
#   JOBS          build parallelism (default 2)
#   FUZZ_SKIP_BUILD=1  run what is built
# A finding is left in <build>/artifacts/<target>/; replay it with
#   <build>/bin/<target>_replay <build>/artifacts/<target>/crash-...
set -uo pipefail
cd "$(dirname "$0")/.."

FUZZ_SECONDS=${FUZZ_SECONDS:-60}
FUZZ_BUILD=${FUZZ_BUILD:-build-fuzz}
JOBS=${JOBS:-2}

if [[ "${FUZZ_SKIP_BUILD:-0}" != 1 ]]; then
  mkdir -p "$FUZZ_BUILD"
  CC=clang CXX=clang++ cmake -S . -B "$FUZZ_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKESTRIO_FUZZ=ON -DKESTRIO_TESTS=OFF -DKESTRIO_SANITIZE=OFF >"$FUZZ_BUILD/configure.log" 2>&1 ||
    { cat "$FUZZ_BUILD/configure.log"; echo "fuzz: configure failed" >&2; exit 2; }
  cmake --build "$FUZZ_BUILD" -j "$JOBS" --target fuzzers || { echo "fuzz: build failed" >&2; exit 2; }
fi

targets=${FUZZ_TARGETS:-$(cat "$FUZZ_BUILD/fuzzers.txt")}

# Longest input per target: room for a few packets, short enough to keep executions fast.
max_len() {
  case "$1" in
    fuzz_values) echo 128 ;;
    fuzz_decoder_builders) echo 256 ;;
    fuzz_eeprom_file) echo 2048 ;;  # a real image with a few dozen records
    fuzz_module_file) echo 2048 ;;  # the shipped module file and some room to grow
    fuzz_scan_decode) echo 1100 ;;  # a whole rack quarter of 1024 bytes as a reply
    fuzz_option_page) echo 4096 ;;  # room for 57 rows and a session on them
    fuzz_advanced_menu) echo 1024 ;;  # room for 21 entries
    fuzz_config_import) echo 8192 ;;  # the two name sections and a dozen record sections
    fuzz_config_records) echo 4096 ;;  # a few dozen records of every kind, the messages' 192 bytes among them
    *) echo 512 ;;
  esac
}

# A small quarantine and short allocation stacks: the inputs are tiny and short-lived, the default
# 256 MB quarantine makes every allocation touch fresh pages, and unwinding 30 frames for every
# malloc cost more than some targets' own work. A finding replayed with <target>_replay (default
# options) shows the full allocation and free stacks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:quarantine_size_mb=4:malloc_context_size=2}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

status=0
summary=()
for t in $targets; do
  bin="$FUZZ_BUILD/bin/$t"
  if [[ ! -x "$bin" ]]; then
    summary+=("$(printf '%-24s not built' "$t")")
    status=1
    continue
  fi
  work="$FUZZ_BUILD/corpus/$t"
  artifacts="$FUZZ_BUILD/artifacts/$t"
  mkdir -p "$work" "$artifacts"
  [[ -d "fuzz/corpus/$t" ]] && cp -n fuzz/corpus/"$t"/* "$work"/ 2>/dev/null
  log="$FUZZ_BUILD/$t.log"
  echo "fuzz: running $t for ${FUZZ_SECONDS}s (log: $log)"
  "$bin" "$work" -max_total_time="$FUZZ_SECONDS" -rss_limit_mb=2048 -timeout=10 \
    -max_len="$(max_len "$t")" -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  secs=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
  runs=${runs:-0}
  [[ -z "$secs" || "$secs" == 0 ]] && secs=$FUZZ_SECONDS
  rate=$((runs / secs))
  if [[ $rc -eq 0 ]]; then
    verdict="nothing found"
  else
    found=$(ls -t "$artifacts" 2>/dev/null | head -1)
    verdict="FOUND ($(grep -m1 -oE 'ERROR: [A-Za-z]+: [a-z-]+|runtime error|invariant broken|deadly signal|out-of-memory|timeout' "$log" || echo "exit $rc"))${found:+: $artifacts/$found}"
    status=1
  fi
  summary+=("$(printf '%-24s %12s executions %9s exec/s  %s' "$t" "$runs" "$rate" "$verdict")")
done

echo
echo "fuzz summary (${FUZZ_SECONDS}s per target):"
printf '  %s\n' "${summary[@]}"
exit $status

#!/bin/sh
# Builds the libFuzzer targets (fuzz/) with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, then runs each for N seconds
# (the first argument, default 60) on a scratch copy of its seed corpus, so
# that the corpus in the repository never grows. Fails when a target finds a
# crash, a leak, a sanitizer report, a broken invariant or a hang; its log
# and the input that caused it are left in build-fuzz/findings/<target>/.
#
# Longer runs that keep what they find: after this script has built the
# targets, run one on its corpus directory itself, which then grows in place,
#   build-fuzz/fuzz/wire_fuzzer -max_total_time=3600 fuzz/corpus/wire_fuzzer
# (add -dict=fuzz/TARGET.dict for a target that has one, and
# -jobs=N -workers=N to use N cores). Before committing, shrink the grown
# corpus back to the inputs that add coverage:
#   mkdir /tmp/kept && build-fuzz/fuzz/wire_fuzzer -merge=1 /tmp/kept \
#     fuzz/corpus/wire_fuzzer
# and replace fuzz/corpus/wire_fuzzer by /tmp/kept, keeping it small.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
build="build-fuzz"
targets="file_options_fuzzer analysis_options_fuzzer event_metadata_fuzzer
  metadata_scan_fuzzer wire_fuzzer"

cmake --preset fuzz > /dev/null
# shellcheck disable=SC2086
cmake --build "$build" -j"$(nproc)" --target $targets

failed=""
for target in $targets; do
  findings=$build/findings/$target
  rm -rf "$findings"
  mkdir -p "$findings/corpus"
  cp fuzz/corpus/"$target"/* "$findings/corpus/"
  dict=""
  [ -f fuzz/"$target".dict ] && dict=-dict=fuzz/"$target".dict
  # Metadata nested past the reader's limit needs tens of kilobytes.
  maxlen=""
  [ "$target" = event_metadata_fuzzer ] && maxlen=-max_len=65536
  echo "== $target, $seconds s"
  # shellcheck disable=SC2086
  if "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/" $dict $maxlen "$findings/corpus" \
    > "$findings/log" 2>&1; then
    grep -E "^#[0-9]+.*DONE|^Done|stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)" \
      "$findings/log" || true
  else
    grep -E "ERROR|SUMMARY|invariant broken|Test unit written" \
      "$findings/log" || tail -n 20 "$findings/log"
    failed="$failed $target"
  fi
done

if [ -n "$failed" ]; then
  echo "fuzzing found problems in:$failed (see $build/findings/)"
  exit 1
fi
echo "fuzzing found nothing"

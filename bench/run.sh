#!/bin/sh
# Times db against the sqlite3 shell on sample disks of recorder size and
# beyond, and prints each pair's median seconds, their ratio and the peak
# resident memory of both, then how db's memory grows with the rows.
#   bench/run.sh
# BENCH_RUNS (default 10) and BENCH_WARMUP (3) set the runs per command;
# BENCH_DIR (default build/bench) keeps the generated disks for later runs.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${BENCH_RUNS:-10}
warmup=${BENCH_WARMUP:-3}
scratch=${BENCH_DIR:-$top/build/bench}
generator=$top/build/make_sample_disk

for tool in hyperfine sqlite3 /usr/bin/time unshare; do
  command -v "$tool" > /dev/null || {
    echo "$tool missing: run scripts/install-deps.sh" >&2
    exit 1
  }
done
[ -f "$top/build/CMakeCache.txt" ] || {
  echo "no build yet: run scripts/setup.sh" >&2
  exit 1
}
cmake --build "$top/build" -j"$(nproc)" > /dev/null
mkdir -p "$scratch"

# sample_disk FILES EVENTS: the directory of a disk with that many stream
# files and events, every event staged; made again only when the generator
# changed since.
sample_disk() {
  disk=$scratch/disk-$1-files-$2-events
  if [ ! -f "$disk.done" ] ||
    [ -n "$(find "$generator" -newer "$disk.done")" ]; then
    echo "generating $disk" >&2
    rm -rf "$disk" "$disk.done"
    "$generator" "$disk" --seed 1 --files "$1" --events "$2" \
      --staged-percent 100 > /dev/null
    touch "$disk.done"
  fi
  echo "$disk"
}

small=$(sample_disk 1000 1000)
medium=$(sample_disk 10000 10000)
large=$(sample_disk 100000 100000)

results=$(mktemp)
trap 'rm -f "$results"' EXIT
# pairs_on DISK CASE...: times the cases with DISK at /mnt/hd.
pairs_on() {
  disk=$1
  shift
  echo "timing on $(basename "$disk")" >&2
  "$top/scripts/with-sample-disk.sh" "$disk" \
    sh "$top/bench/pairs.sh" "$results" "$warmup" "$runs" "$@"
}
pairs_on "$small" files events split ipc
pairs_on "$medium" events split
pairs_on "$large" files split ipc

echo
echo "$runs runs after $warmup warm-up runs; $(nproc) CPUs; sqlite3" \
  "$(sqlite3 --version | cut -d' ' -f1); seconds are medians, memory peak" \
  "resident KiB; the reference of the IPC row is db on the direct path"
awk -F'\t' '
  BEGIN {
    format = "%-26s %7s %9s %9s %6s %6s %9s %9s\n"
    printf format, "command", "rows", "db s", "ref s", "ratio", "target",
           "db KiB", "ref KiB"
  }
  {
    ratio = $4 > 0 ? $3 / $4 : 0
    printf format, $1, $2, sprintf("%.4f", $3), sprintf("%.4f", $4),
           sprintf("%.2f", ratio), ($7 != "" ? "<=" $7 : ""), $5, $6
  }' "$results"

echo
echo "db peak resident KiB at 1,000 and at 100,000 rows (at most 8 MiB more," \
  "beyond what must be held: the size table, the split groups)"
awk -F'\t' '
  $1 == "db -f '\''*'\''" || $1 == "db -a s" { peak[$1, $2] = $5 }
  END {
    split("db -f '\''*'\''|db -a s", names, "|")
    for (i = 1; i <= 2; ++i) {
      small = peak[names[i], 1000]
      large = peak[names[i], 100000]
      printf "%-10s %9d %9d  +%.1f MiB\n", names[i], small, large,
             (large - small) / 1024
    }
  }' "$results"

echo
echo "db peak resident KiB sizing the largest metadata it reads, just under" \
  "4 MiB of segments (at most 80 MiB): $("$top/bench/metadata-memory.sh")"

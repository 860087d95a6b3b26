#!/bin/sh
# Times db against the sqlite3 shell on sample disks of recorder size and
# beyond, and prints each pair's median seconds, their ratio and the peak
# resident memory of both, then how db's memory grows with the rows. Then
# the board's view: the recorder's PowerPC build against a PowerPC sqlite3
# shell, both under qemu-ppc, in processor seconds.
#   bench/run.sh
# BENCH_RUNS (default 10) and BENCH_WARMUP (3) set the runs per command,
# BENCH_BOARD_RUNS (5) and BENCH_BOARD_WARMUP (1) those under qemu-ppc;
# BENCH_DIR (default build/bench) keeps the generated disks for later runs.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${BENCH_RUNS:-10}
warmup=${BENCH_WARMUP:-3}
boardRuns=${BENCH_BOARD_RUNS:-5}
boardWarmup=${BENCH_BOARD_WARMUP:-1}
scratch=${BENCH_DIR:-$top/build/bench}
generator=$top/build/make_sample_disk
ppc=$top/build-ppc

for tool in hyperfine sqlite3 /usr/bin/time unshare qemu-ppc; do
  command -v "$tool" > /dev/null || {
    echo "$tool missing: run scripts/install-deps.sh" >&2
    exit 1
  }
done
[ -f "$top/build/CMakeCache.txt" ] || {
  echo "no build yet: run scripts/setup.sh" >&2
  exit 1
}
[ -f "$ppc/CMakeCache.txt" ] || {
  echo "no PowerPC build yet: run scripts/build-ppc.sh" >&2
  exit 1
}
cmake --build "$top/build" -j"$(nproc)" > /dev/null
cmake --build "$ppc" -j"$(nproc)" --target db > /dev/null
"$top/bench/build-ppc-sqlite3.sh" "$ppc" >&2
mkdir -p "$scratch"

# sample_disk FILES EVENTS [STAGED]: the directory of a disk with that many
# stream files and events, STAGED percent of the events staged (default
# 100, every one); made again only when the generator changed since.
sample_disk() {
  staged=${3:-100}
  disk=$scratch/disk-$1-files-$2-events
  [ "$staged" -eq 100 ] || disk=$disk-$staged-staged
  if [ ! -f "$disk.done" ] ||
    [ -n "$(find "$generator" -newer "$disk.done")" ]; then
    echo "generating $disk" >&2
    rm -rf "$disk" "$disk.done"
    "$generator" "$disk" --seed 1 --files "$1" --events "$2" \
      --staged-percent "$staged" > /dev/null
    touch "$disk.done"
  fi
  echo "$disk"
}

small=$(sample_disk 1000 1000)
medium=$(sample_disk 10000 10000)
large=$(sample_disk 100000 100000)
# The board's disk: a recorder's pool of files, as many events as a full
# one holds, staged as the generator stages them (85 percent), and again
# with every event staged.
board=$(sample_disk 100000 10000 85)
boardStaged=$(sample_disk 100000 10000)

results=$(mktemp)
boardResults=$(mktemp)
trap 'rm -f "$results" "$boardResults"' EXIT
# pairs_on RESULTS WARMUP RUNS DISK CASE...: times the cases with DISK at
# /mnt/hd.
pairs_on() {
  into=$1
  caseWarmup=$2
  caseRuns=$3
  disk=$4
  shift 4
  echo "timing on $(basename "$disk")" >&2
  BENCH_PPC=$ppc "$top/scripts/with-sample-disk.sh" "$disk" \
    sh "$top/bench/pairs.sh" "$into" "$caseWarmup" "$caseRuns" "$@"
}
pairs_on "$results" "$warmup" "$runs" "$small" files events split ipc
pairs_on "$results" "$warmup" "$runs" "$medium" events split
pairs_on "$results" "$warmup" "$runs" "$large" files split ipc
for disk in "$board" "$boardStaged"; do
  pairs_on "$boardResults" "$boardWarmup" "$boardRuns" "$disk" \
    board_events board_split board_files
done

# print_table RESULTS SECONDS: the pairs of RESULTS as a table whose times
# are SECONDS.
print_table() {
  awk -F'\t' -v seconds="$2" '
    BEGIN {
      format = "%-26s %7s %9s %9s %6s %6s %9s %9s\n"
      printf format, "command", "rows", "db " seconds, "ref " seconds,
             "ratio", "target", "db KiB", "ref KiB"
    }
    {
      ratio = $4 > 0 ? $3 / $4 : 0
      printf format, $1, $2, sprintf("%.4f", $3), sprintf("%.4f", $4),
             sprintf("%.2f", ratio), ($7 != "" ? "<=" $7 : ""), $5, $6
    }' "$1"
}

echo
echo "$runs runs after $warmup warm-up runs; $(nproc) CPUs; sqlite3" \
  "$(sqlite3 --version | cut -d' ' -f1); seconds are medians, memory peak" \
  "resident KiB; the reference of the IPC row is db on the direct path"
print_table "$results" s

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
echo "The board's view: static PowerPC db and sqlite3 under qemu-ppc," \
  "100,000 files and 10,000 events; $boardRuns runs after $boardWarmup" \
  "warm-up run; processor seconds (user and system) are medians of runs" \
  "of the two in turn; memory" \
  "includes the emulator's"
print_table "$boardResults" cpu

echo
echo "db peak resident KiB sizing the largest metadata it reads (at most" \
  "64 MiB): $("$top/bench/metadata-memory.sh")"

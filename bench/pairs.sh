#!/bin/sh
# Times db against the sqlite3 shell on the disk mounted at /mnt/hd; run by
# bench/run.sh inside scripts/with-sample-disk.sh, so that setting up the
# namespace is not timed. Appends one line per pair to RESULTS:
#   label <TAB> rows <TAB> db seconds <TAB> reference seconds
#         <TAB> db peak KiB <TAB> reference peak KiB <TAB> target
#   bench/pairs.sh RESULTS WARMUP RUNS CASE...
# CASE is files, events, split or ipc, timed by the wall clock; or
# board_events, board_split or board_files, the board's view: the same
# pairs with db and sqlite3 as static PowerPC binaries from BENCH_PPC (the
# recorder's build) under qemu-ppc, timed by the processor seconds (user
# and system) that they take, which emulation multiplies as the board's slow
# core does; the peak memory then includes the emulator's own.
set -eu
results=$1
warmup=$2
runs=$3
shift 3
ppc=${BENCH_PPC:-}

# As on the recorder: no TZ, the zone comes from /etc/localtime.
unset TZ
catalogue=/mnt/hd/streammgr/stream.db
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rows_of() {
  sqlite3 "$catalogue" "select count(*) from ($1)"
}

# Peak resident memory of a command line, in KiB; its output is discarded.
peak_kib() {
  eval "/usr/bin/time -f %M -o \"\$work/peak\" $1" > /dev/null 2>&1
  tail -n 1 "$work/peak"
}

# Median seconds of the command named NAME in hyperfine's CSV FILE.
median_of() {
  awk -F, -v name="$1" '$1 == name { print $4 }' "$2"
}

# Processor seconds, user and system, of one run of COMMAND, a line.
cpu_once() {
  hyperfine_quietly --runs 1 --export-csv "$work/once.csv" "$1"
  awk -F, 'NR == 2 { printf "%.4f\n", $5 + $6 }' "$work/once.csv"
}

# The median of the numbers in FILE, one a line.
median_in() {
  sort -n "$1" | awk '{ n[NR] = $1 } END { print n[int((NR + 1) / 2)] }'
}

# hyperfine without a shell, the output of the commands discarded; its own
# report only when it fails.
hyperfine_quietly() {
  hyperfine -N --style basic "$@" > "$work/hyperfine.log" 2>&1 || {
    cat "$work/hyperfine.log" >&2
    exit 1
  }
}

timed() {
  hyperfine_quietly --warmup "$warmup" --runs "$runs" "$@"
}

# time_pair LABEL TARGET ROWS DB_COMMAND REFERENCE_COMMAND
time_pair() {
  echo "  $1" >&2
  timed --export-csv "$work/times.csv" -n db "$4" -n reference "$5"
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$1" "$3" \
    "$(median_of db "$work/times.csv")" \
    "$(median_of reference "$work/times.csv")" \
    "$(peak_kib "$4")" "$(peak_kib "$5")" "$2" >> "$results"
}

# time_alone NAME COMMAND: median seconds of COMMAND.
time_alone() {
  timed --export-csv "$work/alone.csv" -n "$1" "$2"
  median_of "$1" "$work/alone.csv"
}

# The statements that db itself runs for these selections.
all_files="select * from streamfiles where  number like '%' order by number asc"
stream0="select * from streamfiles where  number like '%' and stream=0 order by starttick asc"
keep="select * from streamfiles where  number like '%' and ( state=3) order by starttick asc"
events="select * from events"

# The greatest ratio allowed, for the sizes that have one.
files=$(rows_of "select * from streamfiles")
eventCount=$(rows_of "$events")
files_target() {
  if [ "$files" -eq 100000 ]; then echo "$1"; fi
}
events_target() {
  if [ "$eventCount" -eq "$1" ]; then echo "$2"; fi
}

time_files() {
  time_pair "db -f '*'" "$(files_target 1.2)" "$(rows_of "$all_files")" \
    "db -f '*'" "sqlite3 $catalogue \"$all_files\""
  time_pair "db -f s0" "$(files_target 1.2)" "$(rows_of "$stream0")" \
    "db -f s0" "sqlite3 $catalogue \"$stream0\""
  time_pair "db -f k" "$(files_target 1.2)" "$(rows_of "$keep")" \
    "db -f k" "sqlite3 $catalogue \"$keep\""
}

# The reference reads what db -e reads: every row and every metadata file;
# xargs, since a large disk's names overflow one command line.
cat_metadata='printf "%s\\0" /mnt/hd/connectionmgr/* | xargs -0 cat'
time_events() {
  time_pair "db -e" "$(events_target 10000 2.0)" "$eventCount" "db -e" \
    "sh -c 'sqlite3 $catalogue \"$events\"; $cat_metadata'"
}

time_split() {
  time_pair "db -a s" "$(events_target 100000 1.5)" "$eventCount" \
    "db -a s" "sqlite3 $catalogue \"$events\""
}

# db -f '*' through the stand-in StreamMgr against the direct path: the
# direct figure is taken first, then StreamMgr is started and stopped here.
time_ipc() {
  label="db -f '*' IPC vs direct"
  echo "  $label" >&2
  direct=$(time_alone direct "db -f '*'")
  directPeak=$(peak_kib "db -f '*'")
  StreamMgr > "$work/streammgr.out" 2>&1 &
  daemon=$!
  until grep -q ready "$work/streammgr.out"; do
    kill -0 "$daemon" 2> /dev/null || {
      echo "StreamMgr did not start" >&2
      exit 1
    }
    sleep 0.1
  done
  overIpc=$(time_alone ipc "db -f '*'")
  ipcPeak=$(peak_kib "db -f '*'")
  kill -TERM "$daemon"
  wait "$daemon" || true
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$label" "$(rows_of "$all_files")" \
    "$overIpc" "$direct" "$ipcPeak" "$directPeak" "$(files_target 2.0)" \
    >> "$results"
}

# The percentage of the events whose two metadata files are there.
staged_share() (
  cd /mnt/hd/connectionmgr
  for xml in *.xml; do
    [ -f "${xml%.xml}.mtd" ] && echo
  done | wc -l | awk -v n="$eventCount" '{ printf "%d%%", 100 * $1 / n }'
)

# board_pair LABEL TARGET ROWS DB_ARGUMENTS REFERENCE_COMMAND: the
# PowerPC db with DB_ARGUMENTS against REFERENCE_COMMAND, both under
# qemu-ppc, in median processor seconds; the label tells how much is
# staged. The two run in turn, so that a change in the load of the machine
# falls on both alike.
board_pair() {
  echo "  $1 under qemu-ppc" >&2
  : > "$work/db.cpu"
  : > "$work/reference.cpu"
  turn=0
  while [ "$turn" -lt $((warmup + runs)) ]; do
    dbCpu=$(cpu_once "qemu-ppc $ppc/db $4")
    referenceCpu=$(cpu_once "$5")
    if [ "$turn" -ge "$warmup" ]; then
      echo "$dbCpu" >> "$work/db.cpu"
      echo "$referenceCpu" >> "$work/reference.cpu"
    fi
    turn=$((turn + 1))
  done
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$1, $(staged_share) staged" \
    "$3" "$(median_in "$work/db.cpu")" "$(median_in "$work/reference.cpu")" \
    "$(peak_kib "qemu-ppc $ppc/db $4")" "$(peak_kib "$5")" "$2" >> "$results"
}

# The limits hold on the board's disk of 100,000 files and 10,000 events.
board_target() {
  if [ "$files" -eq 100000 ] && [ "$eventCount" -eq 10000 ]; then
    echo "$1"
  fi
}

board_sqlite3="qemu-ppc $ppc/sqlite3 $catalogue"
board_cat_xml='printf "%s\\0" /mnt/hd/connectionmgr/*.xml | xargs -0 cat'
time_board_events() {
  board_pair "db -e" "$(board_target 3.0)" "$eventCount" "-e" \
    "sh -c '$board_sqlite3 \"$events\"; $board_cat_xml'"
}

time_board_split() {
  board_pair "db -a s" "$(board_target 1.2)" "$eventCount" "-a s" \
    "$board_sqlite3 \"$events\""
}

time_board_files() {
  board_pair "db -f '*'" "$(board_target 1.0)" "$(rows_of "$all_files")" \
    "-f '*'" "$board_sqlite3 \"$all_files\""
}

for case in "$@"; do
  "time_$case"
done

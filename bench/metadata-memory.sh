#!/bin/sh
# Peak resident memory of db sizing the largest metadata it reads: one
# event whose ".xml" holds just under 4 MiB of segments as the recorder
# writes them. Prints the figure in KiB; run by bench/run.sh.
#   bench/metadata-memory.sh [BUILD_DIR]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
disk=$(mktemp -d)
trap 'rm -rf "$disk"' EXIT
"$build/make_sample_disk" "$disk" --seed 1 --files 10 --events 1 \
  --staged-percent 100 > /dev/null
reid=$(sqlite3 "$disk/streammgr/stream.db" "select reid from events")
awk 'BEGIN {
  printf "<recording-event><video><streams><stream>\n"
  segment = "<segment name=\"n\" src=\"7\" start-offset=\"100\" " \
            "stop-offset=\"300\"/>\n"
  for (size = 0; size + length(segment) < 4194304 - 200;
       size += length(segment)) printf "%s", segment
  printf "</stream></streams></video></recording-event>\n"
}' > "$disk/connectionmgr/$reid.xml"
"$top/scripts/with-sample-disk.sh" "$disk" /usr/bin/time -f %M \
  "$build/db" -R "$reid" 2>&1 > /dev/null | tail -n 1

#!/bin/sh
# Peak resident memory of db sizing the largest metadata it reads, in KiB:
# an event's ".xml" of just under 4 MiB of segments as the recorder writes
# them, which db reads in one pass; and one that costs TinyXML the most
# memory at the 100,000 nodes it may build: after a comment, elements whose
# names pass the short-string size, then text up to 4 MiB. Run by
# bench/run.sh.
#   bench/metadata-memory.sh [BUILD_DIR]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
disk=$(mktemp -d)
trap 'rm -rf "$disk"' EXIT
"$build/make_sample_disk" "$disk" --seed 1 --files 10 --events 1 \
  --staged-percent 100 > /dev/null
reid=$(sqlite3 "$disk/streammgr/stream.db" "select reid from events")

# Writes the event's ".xml", whose stream element holds what the awk
# program $1 prints, and prints db's peak.
peak() {
  awk 'BEGIN { printf "<recording-event><video><streams><stream>\n" }
    '"$1"'
    END { printf "</stream></streams></video></recording-event>\n" }' \
    < /dev/null > "$disk/connectionmgr/$reid.xml"
  "$top/scripts/with-sample-disk.sh" "$disk" /usr/bin/time -f %M \
    "$build/db" -R "$reid" 2>&1 > /dev/null | tail -n 1
}

onePass=$(peak 'BEGIN {
  segment = "<segment name=\"n\" src=\"7\" start-offset=\"100\" " \
            "stop-offset=\"300\"/>\n"
  for (size = 0; size + length(segment) < 4194304 - 200;
       size += length(segment)) printf "%s", segment
}')
# With the four elements around them and the comment, 99,993 elements, one
# more and its text make 100,000 nodes.
tinyXml=$(peak 'BEGIN {
  printf "<!-- -->"
  for (i = 0; i < 99993; ++i) printf "<abcdefghijklmnop/>"
  printf "<a>"
  for (size = 1900000; size < 4194304 - 200; ++size) printf "t"
  printf "</a>"
}')
echo "$onePass in one pass, $tinyXml by TinyXML at its node limit"

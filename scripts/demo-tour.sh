#!/bin/sh
# A short tour of db on the sample disk, run by scripts/demo.sh inside the
# sample disk's namespaces: first with StreamMgr stopped (db reads the
# catalogue itself), then with the stand-in StreamMgr running (db asks it).
set -u
show() {
  printf '\n\033[1m$ %s\033[0m\n' "$*"
  "$@"
}
group=$(sqlite3 /mnt/hd/streammgr/stream.db \
  "select groupId from events where totalparts > 1 order by rowid limit 1")
reid=$(sqlite3 /mnt/hd/streammgr/stream.db \
  "select reid from events where part = 0 and state = 1 order by rowid limit 1")

echo "=== StreamMgr stopped: db opens the catalogue itself ==="
show db -h
show db -t -s
show db -e
show db -r "$group"
show db -f s2
show db -f 'kl'
show db -a sz4
show db -a d

echo "=== StreamMgr running: db sends every query to it ==="
StreamMgr --reexport-hours 48 > /tmp/streammgr-demo.out 2>&1 &
daemon=$!
n=0
until grep -q ready /tmp/streammgr-demo.out 2>/dev/null; do
  n=$((n + 1)); [ $n -gt 500 ] && { echo "StreamMgr did not start"; exit 1; }
  sleep 0.01
done
show db -h
show db -E
show db -f "*lr"
show db -t
show db -d "$reid"
show db -u
kill -TERM $daemon
wait $daemon
rm -f /tmp/streammgr-demo.out

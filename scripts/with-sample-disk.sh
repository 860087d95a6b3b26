#!/bin/sh
# Runs a command (default: an interactive shell) in private mount, network
# and process namespaces in which DISK is mounted at /mnt/hd and the build's
# db, StreamMgr and outside tools come first on PATH, as on a recorder. Only
# a StreamMgr started there is found by pidof and answers db.
#   scripts/with-sample-disk.sh DISK [COMMAND [ARG...]]
set -eu
[ $# -ge 1 ] || { echo "usage: $0 DISK [COMMAND [ARG...]]" >&2; exit 2; }
disk=$(cd "$1" && pwd)
shift
top=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 1 ] || set -- "${SHELL:-/bin/sh}"
exec unshare --mount --net --pid --fork --mount-proc -- /bin/sh -c '
  set -e
  mount -t tmpfs tmpfs /mnt
  mkdir /mnt/hd
  mount --bind "$1" /mnt/hd
  export PATH="$2/build:$PATH"
  shift 2
  exec "$@"' with-sample-disk "$disk" "$top" "$@"

#!/bin/sh
# Installs, from Debian's packages, whatever the machine lacks of the
# packages named as arguments, or without arguments of what the build, the
# tests, the demo and the benchmarks need.
#   scripts/install-deps.sh [PACKAGE...]
set -eu
[ $# -gt 0 ] || set -- build-essential cmake pkg-config libsqlite3-dev \
  libtinyxml-dev libgtest-dev sqlite3 util-linux mount sysvinit-utils \
  hyperfine time clang libclang-rt-14-dev tzdata perl-base
missing=""
for package; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null |
    grep -q "install ok installed" || missing="$missing $package"
done
if [ -n "$missing" ]; then
  echo "installing:$missing"
  apt-get update -qq
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing > /dev/null
fi

#!/bin/sh
# Installs, from Debian's packages, whatever the build, the tests, the
# demo and the benchmarks need and the machine lacks.
set -eu
packages="build-essential cmake pkg-config libsqlite3-dev libtinyxml-dev
  libgtest-dev sqlite3 util-linux mount sysvinit-utils hyperfine time
  clang libclang-rt-14-dev"
missing=""
for package in $packages; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null |
    grep -q "install ok installed" || missing="$missing $package"
done
if [ -n "$missing" ]; then
  echo "installing:$missing"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing
fi

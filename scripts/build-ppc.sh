#!/bin/sh
# The recorder's own build: a static, stripped db for 32-bit big-endian
# PowerPC Linux in build-ppc/, with the stand-in StreamMgr and the tests,
# which run under qemu-ppc (cd build-ppc && ctest).
set -eu
cd "$(dirname "$0")/.."
top=$(pwd)
build=$top/build-ppc

# Debian's cross compiler and qemu-user; dpkg-dev, tcl and a host compiler
# to unpack Debian's sources and generate SQLite's amalgamation.
scripts/install-deps.sh g++-powerpc-linux-gnu qemu-user dpkg-dev tcl \
  build-essential cmake pkg-config

scripts/build-ppc-deps.sh "$build"
cmake --preset ppc > /dev/null
cmake --build "$build" -j"$(nproc)"

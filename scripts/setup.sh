#!/bin/sh
# First command on a fresh machine: installs what is missing, builds, and
# runs the demo on a generated sample recorder disk.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset native > /dev/null
cmake --build build -j"$(nproc)"
exec scripts/demo.sh

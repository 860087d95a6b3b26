#!/bin/sh
# Builds the tool and runs every test: unit tests and the end-to-end suite,
# which needs root for its mount and network namespaces.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j"$(nproc)"
cd build
ctest -j"$(nproc)" --output-on-failure

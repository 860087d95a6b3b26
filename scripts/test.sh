#!/bin/sh
# Builds the tool and runs every test, unit tests and the end-to-end suite
# (which needs root for its mount and network namespaces): first the native
# build, then the recorder's PowerPC build under qemu-ppc. Fails when either
# suite fails.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j"$(nproc)"
echo "== native suite (build/)"
native=passed
(cd build && ctest -j"$(nproc)" --output-on-failure) || native=failed

scripts/build-ppc.sh
echo "== PowerPC suite under qemu-ppc (build-ppc/)"
ppc=passed
(cd build-ppc && ctest -j"$(nproc)" --output-on-failure) || ppc=failed

echo "native suite $native, PowerPC suite $ppc"
[ $native = passed ] && [ $ppc = passed ]

#!/bin/sh
# The platform switch end to end: installs the stand-in's client library
# from build/ as a platform package, builds db from this tree against it in
# build-package/ (-DDB_PLATFORM_PREFIX) and runs the end-to-end suite with
# that db. Needs build/ configured; scripts/test.sh runs this after it.
set -eu
cd "$(dirname "$0")/.."
build=$(pwd)/build-package
# Where the package preset looks for the platform.
prefix=$build/prefix

rm -rf "$prefix"
cmake --install build --prefix "$prefix" > /dev/null
cmake --preset package > /dev/null
# The suite builds the stand-in daemon and with it the in-tree client
# library (a run before this one may have left it); db alone must not need
# that library.
rm -f "$build/standin/client/libstandin_client.a"
cmake --build "$build" -j"$(nproc)" --target db
if [ -e "$build/standin/client/libstandin_client.a" ]; then
  echo "db was built with the in-tree stand-in, not the package" >&2
  exit 1
fi
cmake --build "$build" -j"$(nproc)" --target db_e2e_tests
cd "$build" && ctest -j"$(nproc)" -L e2e --output-on-failure

#!/bin/sh
# Builds the tool and runs every test, unit tests and the end-to-end suite
# (which needs root for its mount and network namespaces): first the native
# build, then the end-to-end suite with a db built against the stand-in
# installed as a platform package, then the recorder's PowerPC build under
# qemu-ppc, then a native build with AddressSanitizer and
# UndefinedBehaviorSanitizer, in which any report fails its test, and last a
# minute of fuzzing for each fuzz target.
# Fails when any of them fails.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset native > /dev/null
cmake --build build -j"$(nproc)"
echo "== native suite (build/)"
native=passed
(cd build && ctest -j"$(nproc)" --output-on-failure) || native=failed

echo "== end-to-end suite, db linked with the installed stand-in (build-package/)"
package=passed
scripts/test-platform-package.sh || package=failed

scripts/build-ppc.sh
echo "== PowerPC suite under qemu-ppc (build-ppc/)"
ppc=passed
(cd build-ppc && ctest -j"$(nproc)" --output-on-failure) || ppc=failed

cmake --preset asan > /dev/null
cmake --build build-asan -j"$(nproc)"
echo "== sanitizer suite, ASan and UBSan (build-asan/)"
sanitized=passed
(cd build-asan && ctest -j"$(nproc)" --output-on-failure) || sanitized=failed

echo "== fuzzing, a minute per target (build-fuzz/)"
fuzzing=passed
scripts/fuzz.sh 60 || fuzzing=failed

echo "native suite $native, package suite $package, PowerPC suite $ppc," \
  "sanitizer suite $sanitized, fuzzing $fuzzing"
[ $native = passed ] && [ $package = passed ] && [ $ppc = passed ] &&
  [ $sanitized = passed ] && [ $fuzzing = passed ]

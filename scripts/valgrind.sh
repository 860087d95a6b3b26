#!/bin/sh
# Runs the end-to-end suite with db and the stand-in StreamMgr under
# valgrind's memcheck: the harness starts both behind the words of
# DB_WRAPPER. A process with an error or a leak exits with 99, which fails
# its case; each process's report goes to BUILD/valgrind/PID.log, never to
# the outputs the cases compare, and the reports that found something are
# named at the end. The build directory is the first argument, build/ by
# default. Takes some minutes; CI does not run it.
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
scripts/install-deps.sh
scripts/install-deps.sh valgrind
cmake --preset native -B "$build" > /dev/null
cmake --build "$build" -j"$(nproc)"
logs=$(cd "$build" && pwd)/valgrind
rm -rf "$logs"
mkdir -p "$logs"
# db never closes the catalogue, and SQLite's page cache points into the
# middle of its blocks: memcheck calls them "possibly lost". They are not
# lost, since the open handle holds them.
cat > "$logs/sqlite.supp" <<'EOF'
{
   page cache of the catalogue handle, open until the process ends
   Memcheck:Leak
   match-leak-kinds: possible
   fun:*alloc
   obj:*/libsqlite3.so*
}
EOF
DB_WRAPPER="valgrind --error-exitcode=99 --leak-check=full"
DB_WRAPPER="$DB_WRAPPER --child-silent-after-fork=yes"
DB_WRAPPER="$DB_WRAPPER --suppressions=$logs/sqlite.supp"
DB_WRAPPER="$DB_WRAPPER --log-file=$logs/%p.log"
export DB_WRAPPER
echo "== end-to-end suite under memcheck ($build/, reports in $logs)"
status=0
(cd "$build" && ctest -L e2e -j"$(nproc)" --timeout 900 --output-on-failure) ||
  status=1
dirty=$(grep -l "ERROR SUMMARY: [1-9]" "$logs"/*.log || true)
if [ -n "$dirty" ]; then
  echo "memcheck reports with errors or leaks:"
  echo "$dirty"
  status=1
fi
echo "$(ls "$logs"/*.log | wc -l) processes checked; memcheck $([ $status = 0 ] &&
  echo clean || echo found problems)"
exit $status

#!/bin/sh
# Generates a fresh sample recorder disk in sample-disk/ and tours db on it.
set -eu
cd "$(dirname "$0")/.."
rm -rf sample-disk
build/make_sample_disk sample-disk --base-time "$(date +%s)"
exec scripts/with-sample-disk.sh sample-disk /bin/sh scripts/demo-tour.sh

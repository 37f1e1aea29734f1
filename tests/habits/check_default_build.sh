#!/usr/bin/env bash
# Usage: check_default_build.sh SOURCE_DIR BUILD_DIR
# Configures and builds the project as a newcomer first would, with CMake's
# default generator and no options beyond leaving out the tests and
# benchmarks (which the other builds cover), into BUILD_DIR afresh.
set -euo pipefail
source=$1 build=$2
rm -rf "$build"
unset CMAKE_GENERATOR
cmake -S "$source" -B "$build" -DMORVEXA_BUILD_TESTS=OFF -DMORVEXA_BUILD_BENCH=OFF >"$build.log" 2>&1 ||
  { cat "$build.log"; exit 1; }
grep -q '^CMAKE_GENERATOR:INTERNAL=Unix Makefiles$' "$build/CMakeCache.txt" ||
  { echo "the default generator here is not Unix Makefiles" >&2; exit 1; }
cmake --build "$build" -j "$(nproc)" >>"$build.log" 2>&1 || { tail -40 "$build.log"; exit 1; }
for made in app/morvexa-cli packaging/man/morvexa-cli.1.gz packaging/completion/morvexa-cli; do
  [ -s "$build/$made" ] || { echo "the build made no $made" >&2; exit 1; }
done
rm -rf "$build" "$build.log"
echo "built with Unix Makefiles"

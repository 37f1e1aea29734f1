#!/usr/bin/env bash
# Usage: check_default_build.sh SOURCE_DIR BUILD_DIR
# Configures and builds the project as a newcomer first would, with CMake's
# default generator and no options beyond leaving out the tests and
# benchmarks (which the other builds cover), into BUILD_DIR afresh; in
# Release, as scripts/run builds it, and with not one warning from the
# compiler, whose optimizer warns of more than the other builds see.
set -euo pipefail
source=$1 build=$2
rm -rf "$build"
unset CMAKE_GENERATOR
cmake -S "$source" -B "$build" -DCMAKE_BUILD_TYPE=Release -DMORVEXA_BUILD_TESTS=OFF -DMORVEXA_BUILD_BENCH=OFF \
  >"$build.log" 2>&1 ||
  { cat "$build.log"; exit 1; }
grep -q '^CMAKE_GENERATOR:INTERNAL=Unix Makefiles$' "$build/CMakeCache.txt" ||
  { echo "the default generator here is not Unix Makefiles" >&2; exit 1; }
cmake --build "$build" -j "$(nproc)" >>"$build.log" 2>&1 || { tail -40 "$build.log"; exit 1; }
if grep -E 'warning:' "$build.log" >&2; then
  echo "the Release build warns" >&2
  exit 1
fi
for made in app/morvexa-cli packaging/man/morvexa-cli.1.gz packaging/completion/morvexa-cli; do
  [ -s "$build/$made" ] || { echo "the build made no $made" >&2; exit 1; }
done
rm -rf "$build" "$build.log"
echo "built with Unix Makefiles"

#!/usr/bin/env bash
# Usage: check_format.sh SOURCE_DIR
# Fails when a C++ file of the project differs from what clang-format makes
# of it under .clang-format; names each file and place.
set -euo pipefail
cd "$1"
command -v clang-format >/dev/null || { echo "clang-format is not installed, though scripts/test installs it" >&2; exit 1; }
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
else
  mapfile -t files < <(find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
fi
existing=()
for file in "${files[@]}"; do [ -f "$file" ] && existing+=("$file"); done
clang-format --dry-run --Werror "${existing[@]}"
echo "${#existing[@]} files as .clang-format says"

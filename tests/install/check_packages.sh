#!/usr/bin/env bash
# scripts/package into a temporary folder, under a strict umask: it builds
# the packages and lintian finds no error or warning in them. Then each
# package holds exactly its files of package_files.txt, owned by root with
# their modes; morvexa-cli depends on nothing of Qt, and morvexa not on
# morvexa-cli; the programs are hardened and stripped, their debugging
# data in the -dbgsym packages; and the copyright files are in Debian's
# machine-readable form.
# Usage: check_packages.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# Under a umask that keeps others out, as a packager's may.
(umask 027 && "$source_dir/scripts/package" "$work/packages")
cd "$work/packages"
version=$(dpkg-deb -f morvexa_*.deb Version)
arch=$(dpkg --print-architecture)
expected="morvexa-cli-dbgsym_${version}_$arch.ddeb morvexa-cli_${version}_$arch.deb"
expected+=" morvexa-dbgsym_${version}_$arch.ddeb morvexa_${version}_$arch.deb"
[ "$(LC_ALL=C ls | paste -sd ' ')" == "$expected" ] || fail "the packages made: $(ls | paste -sd ' ')"

for deb in morvexa_*.deb morvexa-cli_*.deb; do
  package=$(dpkg-deb -f "$deb" Package)
  dpkg-deb -c "$deb" | awk -v p="$package" '$1 !~ /^d/ { sub("^\\./", "", $6); print p, $1, $2, $6 }'
done | LC_ALL=C sort -k1,1 -k4 >"$work/files"
diff -u "$here/package_files.txt" "$work/files" || fail "the packages' files differ from package_files.txt"

field() { dpkg-deb -f "$1"_*.deb "$2"; }
cli_depends=$(field morvexa-cli Depends)
window_depends=$(field morvexa Depends)
[[ $cli_depends == *libc6* ]] || fail "morvexa-cli's dependencies were not found"
if [[ ${cli_depends,,} == *qt* ]]; then fail "morvexa-cli depends on Qt: $cli_depends"; fi
if [[ $window_depends == *morvexa-cli* ]]; then fail "morvexa depends on morvexa-cli"; fi
[[ $window_depends == *libqt6widgets6* ]] || fail "morvexa's dependencies lack Qt: $window_depends"
[ "$(field morvexa Recommends)" == "fonts-arphic-uming, qt6-translations-l10n" ] ||
  fail "morvexa recommends $(field morvexa Recommends)"
for package in morvexa morvexa-cli; do
  [ "$(field "$package" Priority)" == optional ] || fail "$package: Priority $(field "$package" Priority)"
  [ "$(field "$package" Description | wc -l)" -gt 3 ] || fail "$package has no long description"
done

for package in morvexa morvexa-cli; do
  root=$work/$package
  dpkg-deb -x "$package"_*.deb "$root"
  dpkg-deb -x "$package"-dbgsym_*.ddeb "$root-dbgsym"
  "$here/check_copyright.py" "$root/usr/share/doc/$package/copyright" || fail "$package's copyright file"
  for program in "$root"/usr/bin/*; do
    name=${program#"$root"/}
    # (read whole: grep -q on a pipe would end readelf early, a failure under pipefail)
    header=$(readelf -hW "$program") segments=$(readelf -lW "$program") dynamic=$(readelf -dW "$program")
    symbols=$(readelf -W --dyn-syms "$program") sections=$(readelf -SW "$program")
    grep -q 'Type: *DYN' <<<"$header" || fail "$name is not position-independent"
    grep -q GNU_RELRO <<<"$segments" || fail "$name has no RELRO"
    grep -qE 'BIND_NOW|FLAGS.*NOW' <<<"$dynamic" || fail "$name binds lazily"
    grep -q __stack_chk_fail <<<"$symbols" || fail "$name has no stack protector"
    if grep -q '\.debug_' <<<"$sections"; then fail "$name is not stripped"; fi
    grep -q '\.gnu_debuglink' <<<"$sections" || fail "$name does not link to its debugging data"
    id=$(readelf -nW "$program" | sed -n 's/.*Build ID: *//p')
    [ -f "$root-dbgsym/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug" ] ||
      fail "$package-dbgsym lacks the debugging data of $name"
  done
done

# Every C and C++ file was compiled with the stack protector and fortified
# functions (the assembler's only holds the glyph font).
/usr/bin/python3 - "$source_dir/build/package-build/compile_commands.json" <<'PYTHON' || fail "compiler flags"
import json, sys
commands = json.load(open(sys.argv[1]))
commands = [c for c in commands if c["file"].endswith((".c", ".cpp"))]
unhardened = [c["file"] for c in commands
              if "-D_FORTIFY_SOURCE=2" not in c["command"] or "-fstack-protector-strong" not in c["command"]]
print("\n".join("not hardened: " + f for f in unhardened))
sys.exit(1 if unhardened or not commands else 0)
PYTHON
exit "$failed"

# Shared by the scripts: where the project is, and installing what it needs.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# What every build needs (the picture libraries and the font libraries
# among it), the font the windows draw art with, and Qt's Chinese
# translations for the texts of Qt's own dialogs; terminfo (ncurses) for the
# colors a terminal shows; xxHash for the checks of saves in place.
BUILD_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev fonts-arphic-uming qt6-translations-l10n
  libspng-dev libjpeg62-turbo-dev libgif-dev libwebp-dev libimagequant-dev libfreetype-dev libfontconfig-dev
  libncurses-dev libxxhash-dev zlib1g-dev)
# What the tests and benchmarks need beyond that: unifont to check that the
# built-in font is what the generator makes of it; Xvfb, xdotool,
# ImageMagick and python3-xlib to run the real window in the smoke test;
# python3-html5lib to check the pages the program writes; locales to make a
# Chinese locale for the command line's tests; openbox and x11-utils (xprop)
# to run the real window under a window manager; the fonts that banners are
# drawn in by the tests, and fontconfig's fc-match to find them on its own;
# GNU time for the peak memory of a whole command; webp's cwebp and webpmux
# and libjpeg-turbo's cjpeg and jpegtran to make the pictures of the
# decoders' tests; Liberation Mono, whose glyphs art is matched to in a test;
# Pillow and NumPy to draw DejaVu Sans Mono's glyphs
# beside Unifont's; Chromium to draw the pages the program writes.
TEST_PACKAGES=(libgtest-dev libbenchmark-dev python3 unifont xvfb xauth xdotool imagemagick python3-xlib
  python3-html5lib locales openbox x11-utils fonts-arphic-ukai fonts-dejavu-core fonts-liberation2 fontconfig time webp
  libjpeg-turbo-progs python3-pil python3-numpy chromium)
# The manual pages are made by help2man from the programs' --help, the
# shell completion by Python from the same.
BUILD_PACKAGES+=(help2man python3)
# The habits the tests check: clang-format for the format of the files git
# tracks, and Clang with its sanitizers' runtime for the second build.
TEST_PACKAGES+=(clang-format git clang libclang-rt-14-dev)
# A symbol font (URW's dingbats), which art is not matched to.
TEST_PACKAGES+=(fonts-urw-base35)
# figlet and toilet, the reference every FIGlet and TOIlet banner is checked
# against, with their fonts.
TEST_PACKAGES+=(figlet toilet toilet-fonts)
# What scripts/package needs beyond a build: dpkg-shlibdeps, file (which
# CPack asks which files are programs), lintian.
PACKAGE_PACKAGES=(dpkg-dev file lintian)
# The installation tests: librsvg draws the scalable icon; the validators
# of desktop entries and AppStream data; man reads the manual pages;
# bash-completion runs the completion; python3-debian reads the packages'
# copyright files, and the packages are built.
TEST_PACKAGES+=(librsvg2-bin desktop-file-utils appstream man-db bash-completion python3-debian
  "${PACKAGE_PACKAGES[@]}")

# Installs those of the Debian packages named that are missing.
need_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing ${missing[*]} ..." >&2
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

# Configures and builds into build/NAME with the given build type.
build() {
  local name=$1 type=$2
  shift 2
  cmake -S "$ROOT" -B "$ROOT/build/$name" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
  cmake --build "$ROOT/build/$name"
}

#!/usr/bin/env bash
# Installs the Debian packages Tessaly needs to build, test and run its tools.
# Idempotent: installs only what is missing, and runs apt-get update once, only
# when something must be installed.
#   scripts/setup.sh          what the build and `make test` need
#   scripts/setup.sh tools    also what the tools need: screenshots under Xvfb (with
#                             openbox for window frames, xdotool to press keys,
#                             ImageMagick to grab them),
#                             CJK fonts, the demonstration recording, LibreOffice
#   scripts/setup.sh package  also what `make package` needs: the icon's pictures
#                             (rsvg-convert), dpkg-shlibdeps, lintian
#   scripts/setup.sh windows  also what `make windows` and `make windows-test` need:
#                             MinGW-w64, Wine, Xvfb for the window's picture, and a
#                             deb-src entry (the mirror of the deb entries) for
#                             `apt-get source`
# The GStreamer plugins let the desktop program play its demonstration video.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libzip-dev libpugixml-dev libxlsxwriter-dev nettle-dev
  clang libclang-rt-14-dev libfuzzer-14-dev clang-format
  time
  desktop-file-utils libxml2-utils libglib2.0-bin shared-mime-info
  qt6-base-dev qt6-multimedia-dev qt6-translations-l10n
  libcairo2-dev libpango1.0-dev fonts-noto-cjk poppler-utils
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
)
if [ "${1:-}" = "tools" ]; then
  packages+=(xvfb xauth x11-utils openbox xdotool imagemagick fonts-noto-cjk ffmpeg libreoffice-calc python3-uno)
fi
if [ "${1:-}" = "package" ]; then
  packages+=(librsvg2-bin dpkg-dev file lintian)
fi
if [ "${1:-}" = "windows" ]; then
  packages+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64 dpkg-dev zip unzip xvfb xauth imagemagick fonts-noto-cjk qt6-base-dev-tools)
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

# The Windows build compiles Debian's source packages: apt-get source needs a
# deb-src entry, made from the Debian deb822 entries when there is none.
if [ "${1:-}" = "windows" ] &&
  ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  src_list=/etc/apt/sources.list.d/tessaly-deb-src.sources
  sed -n '/^Types:/,/^$/p' /etc/apt/sources.list.d/debian.sources | sed 's/^Types: deb$/Types: deb-src/' |
    "${sudo_cmd[@]}" tee "$src_list" >/dev/null
  "${sudo_cmd[@]}" apt-get update -qq
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

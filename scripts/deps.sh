#!/usr/bin/env bash
# Installs the Debian packages ledsuite needs to build, run and test.
# Only what is missing is installed; apt-get update runs once, and only then.
set -euo pipefail

PACKAGES=(
  # toolchain and test harness
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  libgtest-dev googletest libbenchmark-dev
  # content: fonts, images, code pages, sound, speech
  libfreetype-dev libfontconfig-dev fontconfig libstb-dev
  fonts-arphic-uming fonts-arphic-ukai fonts-wqy-zenhei fonts-liberation2 xfonts-wqy fonts-dejavu-core
  fonts-tlwg-garuda-ttf
  libespeak-ng-dev espeak-ng-data libmpg123-dev
  # sound fixtures of the tests (WAV and MP3 made at test time), the speech engine tool
  espeak-ng sox lame
  # pictures of the tests made at test time (animated GIF, ICO)
  imagemagick
  # GUI toolkit, Excel
  qt6-base-dev libgl-dev libxlsxwriter-dev libfreexl-dev python3-openpyxl python3-xlwt time
  # Qt's own texts (file choosers, standard buttons) in the interface language
  qt6-translations-l10n
  # link and music
  libcurl4-openssl-dev libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  # music: codecs of the playlist's formats, MIDI sound font, Chinese script mapping
  gstreamer1.0-plugins-bad gstreamer1.0-plugins-ugly gstreamer1.0-libav timgm6mb-soundfont
  libopencc-dev opencc
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null

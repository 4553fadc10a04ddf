#!/usr/bin/env bash
# Installs every Debian package that building, testing and running the program needs.
# Non-interactive and idempotent: when everything is present it only checks and returns.
set -euo pipefail

PACKAGES=(
  # build
  cmake g++ make ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libmediainfo-dev
  # the stand-in transcoder works with the FFmpeg libraries
  libavformat-dev libavcodec-dev libavfilter-dev libswresample-dev libavutil-dev libmp3lame-dev
  # fixtures, checks and screenshots
  ffmpeg sox lame mediainfo xvfb xauth imagemagick fonts-dejavu-core
  # Chinese and Japanese glyphs, so that captions of those languages are measured as users see them
  fonts-wqy-microhei
  # the window's place under a real window manager
  openbox xdotool wmctrl x11-utils
  # dropping root for the tests of a folder the user may not write
  util-linux
  # fuzzing
  clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

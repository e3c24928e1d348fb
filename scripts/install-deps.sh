#!/usr/bin/env bash
# Installs every Debian package the build and the tests need. Safe to run
# again: packages already present are left alone, and apt is only asked when
# something is missing.
set -euo pipefail

PACKAGES=(
  cmake
  g++
  make
  pkg-config
  libgtest-dev
  libavcodec-dev
  libavcodec-extra59  # the same FFmpeg 5.1 build with its additional encoders (AMR-NB among them)
  libavdevice-dev
  libavfilter-dev
  libavformat-dev
  libavutil-dev
  libswresample-dev
  libswscale-dev
  ffmpeg
  libcurl4-openssl-dev  # the update window's download
  time  # /usr/bin/time: peak memory in the benchmarks
  qt6-base-dev        # the window program and its views
  libgl-dev           # OpenGL headers that Qt's Gui module asks for at configure time
  fonts-wqy-microhei  # a CJK font, so the Chinese texts show
  xvfb                # xvfb-run: the window program without a display
  xauth
  python3             # the skins' palette table and their contrast check
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

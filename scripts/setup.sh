#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Skips what is already installed, so a warm machine returns at once.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev mold
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libfreetype-dev zlib1g-dev fonts-dejavu-core fonts-dejavu-extra
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libsoxr-dev libjpeg62-turbo-dev libswresample-dev
  xvfb xauth sox ffmpeg xdotool openbox x11-utils libx11-dev
  xdg-utils
  libfluidsynth-dev fluid-soundfont-gm libasound2-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

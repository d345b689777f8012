#!/usr/bin/env bash
# Installs the Debian packages the game needs that are missing.
#   scripts/install-deps.sh game   what building and playing needs
#   scripts/install-deps.sh test   that, plus what the test suite and benchmarks need
set -euo pipefail

game_packages=(
  g++ cmake make pkg-config
  libglfw3-dev libglew-dev libgl-dev libgl1-mesa-dri libx11-dev
  libassimp-dev libfreeimage-dev libglm-dev
  libopenal-dev libsndfile1-dev
  libfreetype-dev fonts-dejavu-core
)
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils imagemagick tesseract-ocr tesseract-ocr-eng
  clang clang-format libclang-rt-14-dev valgrind
  desktop-file-utils appstream dpkg-dev
  pulseaudio pulseaudio-utils
)

packages=("${game_packages[@]}")
if [ "${1:-game}" = test ]; then
  packages+=("${test_packages[@]}")
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null; then
  sudo=(sudo)
else
  echo "These packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"

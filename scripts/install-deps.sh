#!/usr/bin/env bash
# Installs the Debian packages the project builds, runs and tests with.
# Idempotent: when everything is already there it says so and touches nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config git
  libcairo2-dev libpango1.0-dev libfontconfig-dev fonts-liberation2 fonts-wqy-microhei
  libsdl2-dev xvfb xauth
  libturbojpeg0-dev libjpeg-turbo-progs libpng-dev libgif-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev ffmpeg
  libcurl4-openssl-dev libcpp-httplib-dev libsqlitecpp-dev libsqlite3-dev
  nlohmann-json3-dev libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev
)
# OpenCV is only a yardstick for the blur benchmark; install it with MIVO_BENCH_DEPS=1.
if [[ "${MIVO_BENCH_DEPS:-0}" == 1 ]]; then
  packages+=(libopencv-dev)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [[ ${#missing[@]} -eq 0 ]]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

sudo=""
if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
echo "install-deps: installing ${#missing[@]} packages: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install-deps: done"

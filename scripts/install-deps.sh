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

# A fresh machine often runs another package manager at boot (unattended upgrades): wait for its
# lock instead of failing at once, up to MIVO_APT_LOCK_WAIT seconds (default 600).
lock_wait=${MIVO_APT_LOCK_WAIT:-600}
lock_poll=${MIVO_APT_LOCK_POLL:-5}
apt_waiting() {
  local deadline=$((SECONDS + lock_wait)) log status
  log=$(mktemp)
  while true; do
    status=0
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout="$lock_wait" "$@" 2>"$log" || status=$?
    if [[ $status -eq 0 ]] || ! grep -qiE "could not get lock|unable to acquire|is another process using it" "$log" \
        || [[ $SECONDS -ge $deadline ]]; then
      cat "$log" >&2
      rm -f "$log"
      return "$status"
    fi
    echo "install-deps: another package manager holds the lock; waiting" >&2
    sleep "$lock_poll"
  done
}

echo "install-deps: installing ${#missing[@]} packages: ${missing[*]}"
apt_waiting update -qq
apt_waiting install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install-deps: done"

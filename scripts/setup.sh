#!/usr/bin/env bash
# Installs the Debian 12 packages Navora needs to build, run and test.
# Non-interactive and idempotent; runs as root or through sudo.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format
  # libraries
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-speech-dev qt6-declarative-dev
  libgps-dev libxml2-dev libplist-dev libgtest-dev libgmock-dev libbenchmark-dev
  # run and test time
  gpsd gpsd-clients xvfb xauth dbus libxml2-utils gpsbabel espeak-ng
  qt6-speech-flite-plugin qt6-speech-speechd-plugin locales
  # desktop integration (install test), the demo and the screenshots
  desktop-file-utils appstream shared-mime-info openssl fonts-dejavu-core python3 xdotool
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get update -q
  as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The number-writing tests run under a decimal-comma locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "setup: generating de_DE.UTF-8"
  as_root sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen
fi
echo "setup: all packages present"

#!/usr/bin/env bash
# Installs the Debian packages Bytelon needs to build, run and test, when missing.
# With --fuzz, also clang and its fuzzer runtime, for the sanitizer build and the
# soak (scripts/test.sh --sanitize, scripts/soak.sh).
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
          fonts-dejavu-core poppler-utils libx11-dev
          dpkg-dev file desktop-file-utils appstream groff-base xvfb)
if [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang libclang-rt-14-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

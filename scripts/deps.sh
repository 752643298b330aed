#!/usr/bin/env bash
# Installs the Debian packages Bytelon needs to build, run and test, when missing.
# With --fuzz, also clang and its fuzzer runtime, for the sanitizer build and the
# soak (scripts/test.sh --sanitize, scripts/soak.sh).
# Installing needs root or sudo; without either it prints the command for root
# to run and exits with status 2.
set -euo pipefail
# fonts-dejavu-extra: the oblique faces the font dialog's tests choose.
packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
          fonts-dejavu-core fonts-dejavu-extra poppler-utils libx11-dev
          dpkg-dev file desktop-file-utils appstream groff-base xvfb)
if [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang libclang-rt-14-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -gt 0 ] || exit 0
install=(env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}")
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null; then
  as_root=(sudo)
else
  echo "$(basename "$0"): these packages are missing: ${missing[*]}" >&2
  echo "Installing them needs root. Run this as root (for example after su -), then try again:" >&2
  echo >&2
  echo "    apt-get update && apt-get install --no-install-recommends ${missing[*]}" >&2
  exit 2
fi
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" "${install[@]}"

#!/usr/bin/env bash
# Installs what building and testing Quorvane needs on Debian, as root.
# `install-deps.sh run` installs only what the native build needs.
set -euo pipefail

native=(cmake ninja-build g++ libboost-dev)
all=("${native[@]}" libgtest-dev googletest python3 rsync file icoutils
     g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
     wine64 xvfb xauth locales)

if [ "${1:-all}" = run ]; then
  wanted=("${native[@]}")
else
  wanted=("${all[@]}")
fi

missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "quorvane: these packages are missing: ${missing[*]}; run this as root to install them" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi

# Wine's ANSI code page follows the locale: the Windows tests need a Japanese one.
if [ "${1:-all}" != run ]; then
  "$(dirname "$0")/setup-wine-locale.sh"
fi

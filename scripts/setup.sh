#!/usr/bin/env bash
# Installs what the builds and tests need on a Debian machine, when it is missing.
set -euo pipefail

packages=(cmake make g++ git python3
  mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  googletest libgtest-dev
  clang libclang-rt-14-dev
  openjdk-17-jdk-headless
  wine wine64 wine32:i386
  xvfb x11-utils xdotool imagemagick openbox hyperfine time fonts-wqy-microhei
  osslsigncode openssl zip unzip)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -q >/dev/null
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null

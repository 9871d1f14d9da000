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
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -q >/dev/null
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
fi

# Where the kernel runs no 32-bit programs, the i686 suite runs them through qemu's
# user-mode emulator (scripts/wine32.sh). Bookworm's own qemu 7.2 cannot start Wine; the
# 10.x of bookworm-backports can. Only its static qemu-i386 is taken, into a cache folder
# that every checkout of this machine shares, through a private apt configuration: the
# machine's sources and installed packages stay as they are.
fetch_qemu() {
  local dir=$1 codename mirror apt tmp
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  # The mirror the machine's sources name for its release (one-line or deb822 form).
  mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
    awk -v s="$codename" '$1 == "deb" { sub(/\[[^]]*\] */, ""); if ($3 == s) { print $2; exit } }')
  [ -n "$mirror" ] || mirror=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
    awk -v s="$codename" '/^URIs:/ { u = $2 } /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == s) f = u }
      /^$/ { if (f) { print f; exit } } END { if (f) print f }' | head -n1)
  [ -n "$codename" ] && [ -n "$mirror" ] || { echo "setup: no Debian release or mirror found"; return 1; }
  tmp=$(mktemp -d)
  mkdir -p "$tmp/lists/partial" "$tmp/cache/archives/partial"
  echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $codename-backports main" >"$tmp/sources.list"
  apt=(-q -o Dir::Etc::SourceList="$tmp/sources.list" -o Dir::Etc::SourceParts="$tmp/none"
    -o Dir::State::Lists="$tmp/lists" -o Dir::Cache="$tmp/cache" -o APT::Architectures::=amd64
    -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
  if (cd "$tmp" && apt-get "${apt[@]}" update && apt-get "${apt[@]}" download "qemu-user/$codename-backports") >"$tmp/log" 2>&1 &&
    dpkg-deb --fsys-tarfile "$tmp"/qemu-user_*.deb | tar -x -C "$tmp" ./usr/bin/qemu-i386 &&
    "$tmp/usr/bin/qemu-i386" --version | grep -qE 'version (1[0-9]|[2-9][0-9])\.'; then
    mkdir -p "$dir"
    mv "$tmp/usr/bin/qemu-i386" "$dir/qemu-i386"
    ln -sf qemu-i386 "$dir/qemu-i386-binfmt-P"  # the P flag: qemu keeps argv[0] for this name
    rm -rf "$tmp"
    return 0
  fi
  tail -n 5 "$tmp/log"
  rm -rf "$tmp"
  return 1
}
qemu_dir=${JL_QEMU_DIR:-${XDG_CACHE_HOME:-${HOME:-/root}/.cache}/jlaunch/qemu-user}
if { [ "${JL_WINE32_ROUTE:-}" = qemu ] || ! /usr/lib/wine/wine --version >/dev/null 2>&1; } &&
  [ ! -x "$qemu_dir/qemu-i386" ]; then
  echo "setup: fetching qemu-i386 (qemu-user from backports) into $qemu_dir"
  fetch_qemu "$qemu_dir" || echo "setup: qemu-user 10 not available: the i686 suite will be skipped"
fi

#!/usr/bin/env bash
# Runs a command (by default an interactive shell) where the i686 build's programs run
# under Wine, with the environment of wine-env.sh on a prefix of its own (build/wine32):
#   bash scripts/wine32.sh ctest --test-dir build/win32 -R registry
# Where the kernel runs 32-bit programs, Wine's 32-bit loader runs them. Elsewhere the
# command runs in a private user and mount namespace whose own binfmt_misc hands every
# i386 program to qemu's user-mode emulator (fetched by scripts/setup.sh); nothing is
# registered for the rest of the machine. JL_WINE32_ROUTE=qemu takes that route even
# where 32-bit programs run natively. Exits 77, saying why, where neither can work;
# `wine32.sh --check` only prints the route it takes (native or qemu).
set -uo pipefail
JL_ROOT=${JL_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export JL_ROOT
[ $# -gt 0 ] || set -- bash
cannot() { echo "the i686 build cannot run here: $*" >&2; exit 77; }

if [ "${JL_WINE32_INSIDE:-}" != 1 ]; then
  route=${JL_WINE32_ROUTE:-}
  if [ -z "$route" ]; then
    route=qemu
    /usr/lib/wine/wine --version >/dev/null 2>&1 && route=native
  fi
  export JL_WINE32_ROUTE=$route JL_WINE32_INSIDE=1
  if [ "$route" = qemu ]; then
    qemu=${JL_QEMU_DIR:-${XDG_CACHE_HOME:-${HOME:-/root}/.cache}/jlaunch/qemu-user}/qemu-i386-binfmt-P
    [ -x "$qemu" ] || cannot "no 32-bit programs natively, and no qemu-i386 at $qemu (scripts/setup.sh fetches it)"
    command -v unshare >/dev/null || cannot "no unshare for a private binfmt_misc"
    # The fault-signal shim qemu preloads into the 32-bit processes, built beside the builds.
    shim=$JL_ROOT/build/wine32-route/trapno_preload.so
    source_file=$JL_ROOT/tests/tools/trapno_preload.c
    if [ ! -f "$shim" ] || [ "$source_file" -nt "$shim" ]; then
      mkdir -p "$(dirname "$shim")"
      gcc -m32 -O2 -shared -fPIC -nostdlib -fno-stack-protector -o "$shim" "$source_file" \
        /lib/i386-linux-gnu/libc.so.6 || cannot "the fault-signal shim does not build (gcc -m32, libc6:i386)"
    fi
    export JL_QEMU=$qemu JL_SHIM=$shim
    exec unshare --user --map-root-user --mount --propagation private bash "${BASH_SOURCE[0]}" "$@"
  fi
elif [ "$JL_WINE32_ROUTE" = qemu ] && [ ! -f /proc/sys/fs/binfmt_misc/jl-i386 ]; then
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null ||
    cannot "binfmt_misc cannot be mounted in a user namespace (Linux 6.7 or later needed)"
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\xfc\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  printf ':jl-i386:M::%s:%s:%s:OPF' "$magic" "$mask" "$JL_QEMU" >/proc/sys/fs/binfmt_misc/register ||
    cannot "qemu-i386 cannot be registered with binfmt_misc"
  export QEMU_SET_ENV=LD_PRELOAD=$JL_SHIM
  /usr/lib/wine/wine --version >/dev/null 2>&1 || cannot "Wine's 32-bit loader does not start under qemu"
fi

[ "${1:-}" != --check ] || { echo "$JL_WINE32_ROUTE"; exit 0; }

# The prefix, display and desktop of the 32-bit suite, apart from the 64-bit suite's.
export WINEPREFIX=${JL_WINE32_PREFIX:-$JL_ROOT/build/wine32}
export JL_DISPLAY_NUMBER=$((500 + $(printf %s "$JL_ROOT" | cksum | cut -d' ' -f1) % 400))
xvfb_pid=
if ! xdpyinfo -display ":$JL_DISPLAY_NUMBER" >/dev/null 2>&1; then
  mkdir -p "$JL_ROOT/build/logs"
  Xvfb ":$JL_DISPLAY_NUMBER" -screen 0 1024x768x24 -nolisten tcp >"$JL_ROOT/build/logs/xvfb32.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 50); do xdpyinfo -display ":$JL_DISPLAY_NUMBER" >/dev/null 2>&1 && break; sleep 0.1; done
fi
fresh=0
[ -f "$WINEPREFIX/system.reg" ] || fresh=1
source "$JL_ROOT/scripts/wine-env.sh"
[ "$JL_WINE32" = 1 ] || cannot "Wine's 32-bit loader does not start"
if [ $fresh = 1 ]; then
  # A crash ends the process instead of waiting in the debugger, in both registry views.
  for view in 32 64; do
    $JL_WINE reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f /reg:$view >/dev/null 2>&1
  done
fi

"$@"
rc=$?
wineserver -k >/dev/null 2>&1
[ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null
exit $rc

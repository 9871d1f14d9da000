# Shared helpers of the end-to-end scripts: each runs the real launcher in a folder of its
# own and fails naming what differed. At the end its registry keys ("view|key" in added)
# go, and its background processes still running are ended.
set -uo pipefail
: "${JL_ROOT:?}" "${JL_BUILD:?}" "${JL_LAUNCHER:?}"
JL_WORK=$(mktemp -d "${TMPDIR:-/tmp}/jl-e2e-XXXXXX")  # no dot: see the embedded settings scripts
added=()
at_exit() {
  local entry running
  for entry in "${added[@]}"; do $JL_WINE reg delete "${entry#*|}" /f "/reg:${entry%%|*}" </dev/null >/dev/null 2>&1; done
  running=$(jobs -pr)
  [ -z "$running" ] || kill $running 2>/dev/null
  [ -n "${JL_KEEP:-}" ] || rm -rf "$JL_WORK"
}
trap at_exit EXIT

skip() { echo "skipped: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
expect_eq() { [ "$1" == "$2" ] || fail "$3: expected [$2], got [$1]"; }
expect_contains() { grep -qF -- "$2" <<<"$1" || fail "$3: [$2] not in [$1]"; }
expect_not_contains() { ! grep -qF -- "$2" <<<"$1" || fail "$3: [$2] unexpectedly in [$1]"; }
lines() { printf '%s\n' "$@"; }
# An INI file written with CR LF line ends, as the product's tools write it; the same as
# UTF-16 with its mark, which the profile functions read whatever the code page.
write_ini() { printf '%s\r\n' "${@:2}" >"$1"; }
write_ini16() { write_ini "$1.8" "${@:2}" && { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$1.8"; } >"$1" && rm "$1.8"; }

# True once the command holds, asked 20 times a second for at most $1 seconds.
wait_until() {
  local tries=$(($1 * 20))
  until "${@:2}"; do ((tries-- > 0)) && sleep 0.05 || return 1; done
}

# The installed JDKs the Linux scripts host, in jdks; the script is skipped without one.
find_jdks() {
  jdks=()
  for jdk in /usr/lib/jvm/java-17-openjdk-amd64 /usr/lib/jvm/temurin-25-jdk-amd64; do
    [ -e "$jdk/lib/server/libjvm.so" ] && jdks+=("$jdk") || echo "skipping $jdk: not installed"; done
  [ ${#jdks[@]} -gt 0 ] || skip "no JDK to host"
}

# The log a test program writes ($log), and the launcher's trace ($trace).
logged() { grep -qxF -- "$1" "$log" 2>/dev/null; }
expect_logged() { logged "$1" || fail "$2: [$1] not logged in: $(cat "$log" 2>/dev/null)"; }
expect_before() {  # first line, later line, what
  local a b
  a=$(grep -nxF -- "$1" "$log" | head -1 | cut -d: -f1) b=$(grep -nxF -- "$2" "$log" | head -1 | cut -d: -f1)
  [ -n "$a" ] && [ -n "$b" ] && [ "$a" -lt "$b" ] || fail "$3: [$1] not before [$2] in: $(cat "$log")"
}
# How often the lines given follow each other in the log (through the environment, where
# awk leaves backslashes alone).
count_block() {
  local IFS=$'\x1f'
  BLOCK="$*" awk -v n=$# '{ l[NR] = $0 } END { for (i = 1; i + n - 1 <= NR; i++) { t = l[i]
    for (j = 1; j < n; j++) t = t "\x1f" l[i + j]; c += t == ENVIRON["BLOCK"] } print c + 0 }' "$log" 2>/dev/null || echo 0
}
# Exactly once, waiting up to 20 s for it: a reply may come before what it answers is logged.
expect_block_once() {  # what, lines...
  wait_until 20 block_seen "${@:2}"
  expect_eq "$(count_block "${@:2}")" 1 "$1: [${*:2}] in $(cat "$log" 2>/dev/null)"
}
block_seen() { [ "$(count_block "$@")" != 0 ]; }
traced() { grep -qF -- "$1" "$trace" || fail "$2: [$1] not in the trace: $(cat "$trace" 2>/dev/null)"; }

# Windows only. Wine's drive Z: is the Unix root.
winpath() { printf 'Z:%s' "${1//\//\\}"; }
testjvm=$JL_BUILD/tests/testjvm
need_testjvm() { [ -f "$testjvm/jvm.dll" ] || skip "the test JVM was not built ($testjvm)"; }
# The smallest image header of a DLL for the machine the launcher is not built for.
foreign_dll() {
  local machine='\x4c\x01'
  [ "$(basename "$JL_LAUNCHER")" = jlaunch64.exe ] || machine='\x64\x86'
  mkdir -p "$(dirname "$1")"
  { printf 'MZ'; head -c 58 /dev/zero; printf '\x80\0\0\0'; head -c 64 /dev/zero
    printf "PE\\0\\0$machine"; head -c 18 /dev/zero; } >"$1"
}

# Starts a launcher under Wine in the background from its own folder; sets LAUNCH_PID.
start_wine() { ( cd "$(dirname "$1")" && exec $JL_WINE "$@" ) >"$JL_WORK/wine.out" 2>&1 & LAUNCH_PID=$!; }
# Waits for a box of the process whose executable is $1, prints it, presses button $2.
probe_and_press() { $JL_WINE "$JL_UIPROBE" wait --exe "$1" --timeout "${3:-20000}" --press "$2"; }

# Waits up to 30 s for the launcher to end by itself, sets EXIT_CODE (modulo 256); one
# still running has hung or shows a box nobody expected, which is read, pressed, named.
ends_by_itself() {  # what
  wait_until 30 launch_ended && { wait "$LAUNCH_PID"; EXIT_CODE=$?; return; }
  shown=$([ -z "${JL_UIPROBE:-}" ] || probe_and_press "${EXE:-tool.exe}" 1 1000)
  kill "$LAUNCH_PID" 2>/dev/null
  fail "$1: the launcher did not end (on screen: $shown)"
}
launch_ended() { ! kill -0 "$LAUNCH_PID" 2>/dev/null; }

# A registry value naming a folder, removed again (with the key given last) at the end.
reg_value() {  # view (32|64), key, value name, folder, key to remove afterwards
  $JL_WINE reg add "$2" /v "$3" /d "$(winpath "$4")" /f "/reg:$1" </dev/null >/dev/null 2>&1 || fail "reg add $2"
  added+=("$1|$5")
}

# Shared helpers of the end-to-end scripts. Each script runs the real launcher in a
# folder of its own and fails with a message naming what differed.
set -uo pipefail

: "${JL_ROOT:?}" "${JL_BUILD:?}" "${JL_LAUNCHER:?}"

JL_WORK=$(mktemp -d "${TMPDIR:-/tmp}/jl-e2e.XXXXXX")
trap 'rm -rf "$JL_WORK"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
expect_eq() { [ "$1" == "$2" ] || fail "$3: expected [$2], got [$1]"; }
expect_contains() { grep -qF -- "$2" <<<"$1" || fail "$3: [$2] not in [$1]"; }
expect_not_contains() { ! grep -qF -- "$2" <<<"$1" || fail "$3: [$2] unexpectedly in [$1]"; }

# An INI file written with CR LF line ends, as the product's tools write it.
write_ini() { printf '%s\r\n' "${@:2}" >"$1"; }

# Windows only: start a launcher under Wine in the background; sets LAUNCH_PID.
start_wine() {
  ( cd "$(dirname "$1")" && exec $JL_WINE "$@" ) >"$JL_WORK/wine.out" 2>&1 &
  LAUNCH_PID=$!
}

# Windows only: wait for a dialog or message box of the process whose executable is $1,
# print what it shows, press the button with id $2.
probe_and_press() {
  $JL_WINE "$JL_UIPROBE" wait --exe "$1" --timeout "${3:-20000}" --press "$2"
}

# Waits for the background launcher; sets EXIT_CODE (Wine hands on the program's own
# code, modulo 256).
wait_exit() { wait "$LAUNCH_PID"; EXIT_CODE=$?; }

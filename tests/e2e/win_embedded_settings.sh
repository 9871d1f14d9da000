#!/bin/bash
# jlembed.exe writes the embedded settings layer into the resources of a copy of the
# Windows launcher, and the launcher reads "Main Class" from it when its settings file
# lacks the key. Runs under Wine; the launcher's boxes are read with the UI probe.
set -u

: "${JL_ROOT:?}" "${JL_BUILD:?}" "${JL_LAUNCHER:?}" "${JL_UIPROBE:?}"
# shellcheck source=/dev/null
source "$JL_ROOT/scripts/wine-env.sh"

tool="$JL_BUILD/tools/jlembed/jlembed.exe"
missing_main_class="Main class was not specified in INI file."
exe_name="embedtest.exe"

fail() { echo "FAIL: $*" >&2; exit 1; }

[ -f "$tool" ] || fail "jlembed.exe not built at $tool"
[ -f "$JL_LAUNCHER" ] || fail "launcher not built at $JL_LAUNCHER"
[ -f "$JL_UIPROBE" ] || fail "UI probe not built at $JL_UIPROBE"

# The settings file is named after the last "." of the whole path: keep dots out of
# the folder names.
work=$(mktemp -d "$JL_BUILD/embedtestXXXXXX") || fail "cannot create a temporary folder"
case "$work" in *.*) fail "temporary folder $work contains a dot" ;; esac
launcher_pid=""
probe_pid=""
cleanup() {
    [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
    [ -n "$launcher_pid" ] && kill "$launcher_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

app="$work/$exe_name"
cp "$JL_LAUNCHER" "$app" || fail "cannot copy the launcher"
printf '[Product Information]\r\nUpgrade Code={6F1C-22A0}\r\nProduct Name=Embed Test\r\n' > "$work/embedtest.ini"
# LF line ends on purpose: the tool converts them.
printf '[Java Runtime Environment]\nMain Class=demo.Main\nMinimum Version=99\n' > "$work/embedded.ini"

# Wine's drive Z: is the Unix root.
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

# Starts the launcher copy, reads the first dialog or box it shows (if any) and closes
# it; sets $rc (the launcher's exit code) and $shown (what the probe read).
run_launcher() {
    local probe_out="$work/probe.txt"
    : > "$probe_out"
    (cd "$work" && exec timeout 90 $JL_WINE "$app") >/dev/null 2>&1 &
    launcher_pid=$!
    $JL_WINE "$JL_UIPROBE" wait --exe "$exe_name" --timeout 30000 > "$probe_out" 2>/dev/null &
    probe_pid=$!
    while kill -0 "$launcher_pid" 2>/dev/null && kill -0 "$probe_pid" 2>/dev/null; do
        sleep 0.1
    done
    if kill -0 "$probe_pid" 2>/dev/null; then
        # The launcher ended without showing anything.
        kill "$probe_pid" 2>/dev/null
        wait "$probe_pid" 2>/dev/null
        : > "$probe_out"
    else
        wait "$probe_pid"
        # A message box is closed with its OK button (1); a dialog with Cancel (2).
        local button=1
        grep -q '^control: 2 Button' "$probe_out" && button=2
        $JL_WINE "$JL_UIPROBE" wait --exe "$exe_name" --timeout 10000 --press "$button" >/dev/null 2>&1 \
            || fail "could not close the launcher's window: $(cat "$probe_out")"
    fi
    probe_pid=""
    wait "$launcher_pid"
    rc=$?
    launcher_pid=""
    shown=$(cat "$probe_out")
}

run_launcher
[ "$rc" -eq 255 ] || fail "without the layer: expected exit 255, got $rc"
grep -qF "$missing_main_class" <<<"$shown" || fail "without the layer: expected a box with '$missing_main_class', saw '$shown'"

out=$($JL_WINE "$tool" "$(winpath "$app")" "$(winpath "$work/embedtest.ini")" "$(winpath "$work/embedded.ini")" 2>&1) \
    || fail "jlembed.exe failed: $out"

run_launcher
[ "$rc" -eq 255 ] || fail "with the layer: expected exit 255 (no runtime), got $rc; saw '$shown'"
grep -qF "$missing_main_class" <<<"$shown" && fail "with the layer: the main class from the layer was not seen"

# The layer is keyed by the upgrade code: with another one it cannot be read.
printf '[Product Information]\r\nUpgrade Code={6F1C-22A1}\r\n' > "$work/embedtest.ini"
run_launcher
grep -qF "$missing_main_class" <<<"$shown" || fail "with a wrong upgrade code: expected '$missing_main_class', saw '$shown'"

# A file that is no executable is refused, and left alone.
cp "$work/embedded.ini" "$work/notalauncher"
if out=$($JL_WINE "$tool" "$(winpath "$work/notalauncher")" "$(winpath "$work/embedtest.ini")" \
                      "$(winpath "$work/embedded.ini")" 2>&1); then
    fail "jlembed.exe accepted a file that is no executable"
fi
grep -q "error" <<<"$out" || fail "jlembed.exe gave no error message for a file that is no executable: $out"
cmp -s "$work/embedded.ini" "$work/notalauncher" || fail "jlembed.exe changed a file that is no executable"

echo "PASS"

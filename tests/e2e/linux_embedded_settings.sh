#!/bin/bash
# jlembed writes the embedded settings layer into a copy of the Linux launcher, and the
# launcher reads "Main Class" from it when its settings file lacks the key.
set -u

: "${JL_BUILD:?}" "${JL_LAUNCHER:?}"
tool="$JL_BUILD/tools/jlembed/jlembed"
missing_main_class="Main class was not specified in INI file."

fail() { echo "FAIL: $*" >&2; exit 1; }

[ -x "$tool" ] || fail "jlembed not built at $tool"
[ -x "$JL_LAUNCHER" ] || fail "launcher not built at $JL_LAUNCHER"

# No "." in the folder names, so the settings file is app.ini whichever "." the
# launcher takes for the extension's.
work=$(mktemp -d "${TMPDIR:-/tmp}/jlembedXXXXXX") || fail "cannot create a temporary folder"
trap 'rm -rf "$work"' EXIT
case "$work" in *.*) fail "temporary folder $work contains a dot" ;; esac

app="$work/app.bin"
cp "$JL_LAUNCHER" "$app" || fail "cannot copy the launcher"
# Stands in for an application JAR appended to the executable.
printf 'APPENDED-JAR-STAND-IN' >> "$app"

printf '[Product Information]\r\nUpgrade Code={6F1C-22A0}\r\nProduct Name=Embed Test\r\n' > "$work/app.ini"
# LF line ends on purpose: the tool converts them.
printf '[Java Runtime Environment]\nMain Class=demo.Main\n; a minimum no runtime meets keeps the launch from going further\nMinimum Version=99\n' \
    > "$work/embedded.ini"
printf '[Java Runtime Environment]\nMinimum Version=99\n' > "$work/no-main-class.ini"

# Per-user settings stay inside the test folder.
export APPDATA="$work/appdata" XDG_CONFIG_HOME="$work/config"

# Runs the launcher copy; sets $rc and $err.
run_launcher() {
    err=$(cd "$work" && timeout 60 "$app" 2>&1 >/dev/null)
    rc=$?
}

run_launcher
[ "$rc" -eq 255 ] || fail "without the layer: expected exit 255, got $rc ($err)"
grep -qF "$missing_main_class" <<<"$err" || fail "without the layer: expected '$missing_main_class', got '$err'"

out=$("$tool" "$app" "$work/app.ini" "$work/embedded.ini" 2>&1) || fail "jlembed failed: $out"
[ "$(tail -c 21 "$app")" = "APPENDED-JAR-STAND-IN" ] || fail "jlembed lost the bytes appended to the launcher"

run_launcher
[ "$rc" -eq 255 ] || fail "with the layer: expected exit 255 (no runtime), got $rc ($err)"
grep -qF "$missing_main_class" <<<"$err" && fail "with the layer: the main class from the layer was not seen ($err)"

# The layer is keyed by the upgrade code: with another one it cannot be read.
printf '[Product Information]\r\nUpgrade Code={6F1C-22A1}\r\n' > "$work/app.ini"
run_launcher
grep -qF "$missing_main_class" <<<"$err" || fail "with a wrong upgrade code: expected '$missing_main_class', got '$err'"

# Embedding again replaces the whole layer.
printf '[Product Information]\r\nUpgrade Code={6F1C-22A0}\r\n' > "$work/app.ini"
out=$("$tool" "$app" "$work/app.ini" "$work/no-main-class.ini" 2>&1) || fail "second jlembed failed: $out"
run_launcher
grep -qF "$missing_main_class" <<<"$err" || fail "after replacing the layer: expected '$missing_main_class', got '$err'"

# A file that is no launcher is refused, and left alone.
cp "$work/embedded.ini" "$work/not-a-launcher"
if out=$("$tool" "$work/not-a-launcher" "$work/app.ini" "$work/embedded.ini" 2>&1); then
    fail "jlembed accepted a file that is no launcher"
fi
grep -q "error" <<<"$out" || fail "jlembed gave no error message for a file that is no launcher: $out"
cmp -s "$work/embedded.ini" "$work/not-a-launcher" || fail "jlembed changed a file that is no launcher"

echo "PASS"

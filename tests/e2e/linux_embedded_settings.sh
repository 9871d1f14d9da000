# jlembed writes the embedded settings layer into a copy of the Linux launcher, and the
# launcher reads "Main Class" from it when its settings file lacks the key.
source "$(dirname "$0")/lib.sh"

tool=$JL_BUILD/tools/jlembed/jlembed
[ -x "$tool" ] || fail "jlembed not built at $tool"
missing_main_class="Main class was not specified in INI file."
# No "." in the folder names, so the settings file is app.ini whichever "." the
# launcher takes for the extension's.
case "$JL_WORK" in *.*) fail "temporary folder $JL_WORK contains a dot" ;; esac
app=$JL_WORK/app.bin
cp "$JL_LAUNCHER" "$app"
# Stands in for an application JAR appended to the executable.
printf 'APPENDED-JAR-STAND-IN' >>"$app"
printf '[Product Information]\r\nUpgrade Code={6F1C-22A0}\r\nProduct Name=Embed Test\r\n' >"$JL_WORK/app.ini"
# LF line ends on purpose: the tool converts them. A minimum no runtime meets keeps the
# launch from going further.
printf '[Java Runtime Environment]\nMain Class=demo.Main\nMinimum Version=99\n' >"$JL_WORK/embedded.ini"
printf '[Java Runtime Environment]\nMinimum Version=99\n' >"$JL_WORK/no-main-class.ini"
# Per-user settings stay inside the test folder.
export APPDATA=$JL_WORK/appdata XDG_CONFIG_HOME=$JL_WORK/config

run_launcher() {  # what, expect_contains or expect_not_contains
  err=$(cd "$JL_WORK" && timeout 60 "$app" 2>&1 >/dev/null)
  expect_eq "$?" 255 "$1: exit code"
  "$2" "$err" "$missing_main_class" "$1"
}

run_launcher "without the layer" expect_contains
out=$("$tool" "$app" "$JL_WORK/app.ini" "$JL_WORK/embedded.ini" 2>&1) || fail "jlembed failed: $out"
expect_eq "$(tail -c 21 "$app")" "APPENDED-JAR-STAND-IN" "the bytes appended to the launcher"
run_launcher "with the layer (no runtime)" expect_not_contains

# The layer is keyed by the upgrade code: with another one it cannot be read.
printf '[Product Information]\r\nUpgrade Code={6F1C-22A1}\r\n' >"$JL_WORK/app.ini"
run_launcher "with a wrong upgrade code" expect_contains

# Embedding again replaces the whole layer.
printf '[Product Information]\r\nUpgrade Code={6F1C-22A0}\r\n' >"$JL_WORK/app.ini"
out=$("$tool" "$app" "$JL_WORK/app.ini" "$JL_WORK/no-main-class.ini" 2>&1) || fail "second jlembed failed: $out"
run_launcher "after replacing the layer" expect_contains

# A file that is no launcher is refused, and left alone.
cp "$JL_WORK/embedded.ini" "$JL_WORK/not-a-launcher"
! out=$("$tool" "$JL_WORK/not-a-launcher" "$JL_WORK/app.ini" "$JL_WORK/embedded.ini" 2>&1) ||
  fail "jlembed accepted a file that is no launcher"
expect_contains "$out" "error" "jlembed's message for a file that is no launcher"
cmp -s "$JL_WORK/embedded.ini" "$JL_WORK/not-a-launcher" || fail "jlembed changed a file that is no launcher"
echo "PASS"

# jlembed.exe writes the embedded settings layer into a copy of the Windows launcher,
# which reads "Main Class" from it when its settings file lacks the key.
source "$(dirname "$0")/lib.sh"
source "$JL_ROOT/scripts/wine-env.sh"
: "${JL_UIPROBE:?}"

tool=$JL_BUILD/tools/jlembed/jlembed.exe
[ -f "$tool" ] || fail "jlembed.exe not built at $tool"
missing_main_class="Main class was not specified in INI file."
# The settings file is named after the last "." of the whole path: keep dots out of
# the folder names.
case "$JL_WORK" in *.*) fail "temporary folder $JL_WORK contains a dot" ;; esac
export EXE=embedtest.exe
app=$JL_WORK/$EXE
cp "$JL_LAUNCHER" "$app"
printf '[Product Information]\r\nUpgrade Code={6F1C-22A0}\r\nProduct Name=Embed Test\r\n' >"$JL_WORK/embedtest.ini"
# LF line ends on purpose: the tool converts them.
printf '[Java Runtime Environment]\nMain Class=demo.Main\nMinimum Version=99\n' >"$JL_WORK/embedded.ini"
jlembed() { $JL_WINE "$tool" "$(winpath "$1")" "$(winpath "$JL_WORK/embedtest.ini")" "$(winpath "$JL_WORK/embedded.ini")" 2>&1; }

start_wine "$app"
expect_box "$missing_main_class" "without the layer"

out=$(jlembed "$app") || fail "jlembed.exe failed: $out"
# The main class is taken from the layer: no runtime meets the minimum, the user is asked.
start_wine "$app"
shown=$(probe_and_press $EXE 2) || fail "with the layer: no dialog: $shown"
expect_contains "$shown" "was not found" "with the layer"
expect_not_contains "$shown" "$missing_main_class" "with the layer"
ends_by_itself "with the layer"
expect_eq "$EXIT_CODE" 255 "with the layer: exit code"

# The layer is keyed by the upgrade code: with another one it cannot be read.
printf '[Product Information]\r\nUpgrade Code={6F1C-22A1}\r\n' >"$JL_WORK/embedtest.ini"
start_wine "$app"
expect_box "$missing_main_class" "with a wrong upgrade code"

# A file that is no executable is refused, and left alone.
cp "$JL_WORK/embedded.ini" "$JL_WORK/notalauncher"
! out=$(jlembed "$JL_WORK/notalauncher") || fail "jlembed.exe accepted a file that is no executable"
expect_contains "$out" "error" "jlembed.exe's message for a file that is no executable"
cmp -s "$JL_WORK/embedded.ini" "$JL_WORK/notalauncher" || fail "jlembed.exe changed a file that is no executable"
echo "PASS"

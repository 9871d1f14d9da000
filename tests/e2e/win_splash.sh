# The splash screen of the launcher under Wine, with the test JVM as the runtime's
# bin\client\jvm.dll: the own splash window (where it appears and what it shows, in a
# screenshot kept in the build folder), "-nosplash", the window closed before the
# exception dialog, and the runtime's native splash library (the test library of
# tests/testsplash as the runtime's bin\splashscreen.dll): its four entries in order
# with the image path in the ANSI code page, the fallback to the own window when an
# entry is missing, and its close entry called once at the end.
source "$(dirname "$0")/lib.sh"
source "$JL_ROOT/scripts/wine-env.sh"
: "${JL_UIPROBE:?}"

testjvm=$JL_BUILD/tests/testjvm
testsplash=$JL_BUILD/tests/testsplash
[ -f "$testjvm/jvm.dll" ] || { echo "the test JVM was not built ($testjvm)"; exit 77; }
[ -f "$testsplash/splashprobe.exe" ] || { echo "the test splash library was not built ($testsplash)"; exit 77; }
probe() { $JL_WINE "$testsplash/splashprobe.exe" "$@"; }

winpath() { printf 'Z:%s' "${1//\//\\}"; }
images=$JL_ROOT/tests/data/splash
shots=$JL_BUILD/screenshots
mkdir -p "$shots"
# The Wine desktop of the test run (scripts/wine-env.sh) is the primary screen.
screen_width=1024 screen_height=768

# One case: tool.exe, tool.ini (UTF-16, so any path survives) and jre\bin\client\jvm.dll.
# Inputs: MAIN, IMAGE (the "Splash Screen" value), DISPLAY_EXTRA, APP_EXTRA, NATIVE (a
# test splash variant copied to jre\bin\splashscreen.dll). Sets dir and splash_log.
case_number=0
setup_case() {
  case_number=$((case_number + 1))
  dir=$JL_WORK/case$case_number
  mkdir -p "$dir/jre/bin/client"
  cp "$JL_LAUNCHER" "$dir/tool.exe"
  cp "$testjvm/jvm.dll" "$dir/jre/bin/client/jvm.dll"
  [ -n "${NATIVE:-}" ] && cp "$testsplash/$NATIVE.dll" "$dir/jre/bin/splashscreen.dll"
  write_ini "$dir/tool.ini" "[Java Runtime Environment]" "JRE Path=$(winpath "$dir/jre")" \
    "Main Class=${MAIN:-app.Records}" "[Class Path]" "Class Path=C:\\app\\app.jar" \
    "[Application]" "${APP_EXTRA[@]}" "[Display]" "Splash Screen=${IMAGE:-}" "${DISPLAY_EXTRA[@]}"
  { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$dir/tool.ini"; } >"$dir/tool.ini.16" &&
    mv "$dir/tool.ini.16" "$dir/tool.ini"
  splash_log=$dir/testsplash.log
}
reset_case() { MAIN= IMAGE= NATIVE=; DISPLAY_EXTRA=() APP_EXTRA=() ARGS=(); }

launch() {
  ( cd "$dir" && TESTSPLASH_LOG=$(winpath "$splash_log") exec $JL_WINE "$dir/tool.exe" "${ARGS[@]}" ) \
    >"$JL_WORK/wine.out" 2>&1 &
  LAUNCH_PID=$!
}
ends_by_itself() {  # what
  for _ in $(seq 1 300); do
    kill -0 "$LAUNCH_PID" 2>/dev/null || { wait_exit; return; }
    sleep 0.1
  done
  kill "$LAUNCH_PID" 2>/dev/null
  fail "$1: the launcher did not end"
}
# The colour of one pixel of a screenshot, as RRGGBB.
pixel() { convert-im6.q16 "$1" -format "%[hex:p{$2,$3}]" info:; }

# --- the own window: centred, the PNG's transparent pixels black, up until the end ---
reset_case
MAIN=app.ExitsLater IMAGE=$(winpath "$images/alpha.png")
setup_case
TESTJVM_EXIT_DELAY=4000 TESTJVM_EXIT_CODE=7 launch
shown=$(probe window --exe tool.exe --timeout 10000) || fail "no splash window appeared"
left=$(((screen_width - 200) / 2)) top=$(((screen_height - 120) / 2))
expect_eq "$shown" "splash: $left $top $((left + 200)) $((top + 120))" "splash window centred"
sleep 0.3
import -window root "$shots/e2e_splash_png.png" || fail "no screenshot"
expect_eq "$(pixel "$shots/e2e_splash_png.png" $((left + 10)) $((top + 60)))" "000000" "transparent pixels"
expect_eq "$(pixel "$shots/e2e_splash_png.png" $((left + 60)) $((top + 60)))" "C82828" "opaque pixels"
# main has returned; the splash stays until the program's own exit ends the process.
probe window --exe tool.exe --timeout 1000 >/dev/null || fail "splash gone before the program ended"
ends_by_itself "own window"
expect_eq "$EXIT_CODE" 7 "exit code of the program"

# --- "-nosplash": no window, the switch still reaches the program ------------------------
reset_case
MAIN=app.ExitsLater IMAGE=$(winpath "$images/photo.jpg") ARGS=(a -nosplash)
setup_case
TESTJVM_EXIT_DELAY=2500 launch
probe absent --exe tool.exe --for 2000 || fail "a splash window appeared despite -nosplash"
ends_by_itself "-nosplash"
expect_eq "$EXIT_CODE" 3 "exit code with -nosplash"

# --- the JPEG, and the window closed before the exception dialog ------------------------
reset_case
MAIN=app.Throws IMAGE=$(winpath "$images/photo.jpg") APP_EXTRA=("Failure Check=yes")
setup_case
launch
$JL_WINE "$JL_UIPROBE" wait --exe tool.exe --timeout 20000 >/dev/null || fail "no exception dialog appeared"
probe absent --exe tool.exe --for 300 || fail "the splash window is still up under the exception dialog"
owner=$(probe owner --exe tool.exe --timeout 1000)
expect_eq "$owner" "owner: none" "owner of the exception dialog"
probe_and_press tool.exe 1 >/dev/null || fail "the exception dialog has no Ignore button"
ends_by_itself "uncaught exception"
expect_eq "$EXIT_CODE" 0 "exit code after an ignored exception"

# A JPEG shown while main waits, for the screenshot.
reset_case
MAIN=app.ExitsLater IMAGE=$(winpath "$images/photo.jpg")
setup_case
TESTJVM_EXIT_DELAY=3000 TESTJVM_EXIT_CODE=0 launch
probe window --exe tool.exe --timeout 10000 >/dev/null || fail "no JPEG splash window appeared"
sleep 0.3
import -window root "$shots/e2e_splash_jpeg.png" || fail "no screenshot"
ends_by_itself "JPEG"

# --- the native splash library, preferred and complete ---------------------------------
# The value is passed as written (a relative path), in the ANSI code page (1252 here).
reset_case
IMAGE='img\späsh.png' NATIVE=splashscreen DISPLAY_EXTRA=("Preffer Native Splash Screen=YES")
setup_case
LC_ALL=en_US.UTF-8 launch
ends_by_itself "native splash"
expect_eq "$EXIT_CODE" 0 "exit code with the native splash"
expect_eq "$(cat "$splash_log")" "$(printf '%s\n' SplashInit 'SplashLoadFile img\x5Csp\xE4sh.png' \
  'SplashSetFileJarName img\x5Csp\xE4sh.png|' SplashClose)" "native splash calls"

# Not preferred: the own window, the library untouched.
reset_case
MAIN=app.ExitsLater IMAGE=$(winpath "$images/small.gif") NATIVE=splashscreen
setup_case
TESTJVM_EXIT_DELAY=2000 TESTJVM_EXIT_CODE=0 launch
probe window --exe tool.exe --timeout 10000 >/dev/null || fail "no own window without the preference"
ends_by_itself "native splash not preferred"
[ ! -e "$splash_log" ] || fail "the native library was called without the preference: $(cat "$splash_log")"

# --- a native library without "SplashSetFileJarName": the own window, its close entry
# called once when the launch fails ------------------------------------------------------
reset_case
MAIN=app.NoMain IMAGE=$(winpath "$images/small.bmp") NATIVE=splashscreen_nojar
DISPLAY_EXTRA=("Preffer Native Splash Screen=yes")
setup_case
launch
probe window --exe tool.exe --timeout 10000 >/dev/null || fail "no own window after the incomplete library"
shown=$(probe_and_press tool.exe 1) || fail "no error box appeared: $shown"
expect_contains "$shown" "No main method found in specified class." "error box text"
ends_by_itself "incomplete native library"
expect_eq "$EXIT_CODE" 255 "exit code without main"
expect_eq "$(cat "$splash_log")" "SplashClose" "close entry of the incomplete library"

# --- an image that does not exist: nothing visible, nothing said, the launch goes on -----
reset_case
IMAGE=$(winpath "$JL_WORK/missing.png")
setup_case
launch
ends_by_itself "missing image"
expect_eq "$EXIT_CODE" 0 "exit code with a missing image"
echo "ok"

# The splash under Wine: the launcher's own window (place, lifetime, screenshot in the
# build folder, -nosplash, closed before the exception dialog) and the runtime's native
# splash library (its calls, and the own window when an entry is missing).
source "$(dirname "$0")/lib.sh"
source "$JL_ROOT/scripts/wine-env.sh"
: "${JL_UIPROBE:?}"
need_testjvm
testsplash=$JL_BUILD/tests/testsplash
[ -f "$testsplash/splashprobe.exe" ] || skip "the test splash library was not built ($testsplash)"
probe() { $JL_WINE "$testsplash/splashprobe.exe" "$@"; }
images=$JL_ROOT/tests/data/splash
shots=$JL_BUILD/screenshots
mkdir -p "$shots"
# The Wine desktop of the test run (scripts/wine-env.sh) is the primary screen.
screen_width=1024 screen_height=768

# One case (wine_product). Inputs: MAIN, IMAGE (the "Splash Screen" value), NATIVE (a
# test splash variant copied to jre\bin\splashscreen.dll), the arrays DISPLAY_EXTRA,
# APP_EXTRA and ARGS. Sets splash_log.
setup_case() {
  wine_product "[Application]" "${APP_EXTRA[@]}" "[Display]" "Splash Screen=${IMAGE:-}" "${DISPLAY_EXTRA[@]}"
  [ -n "${NATIVE:-}" ] && cp "$testsplash/$NATIVE.dll" "$dir/jre/bin/splashscreen.dll"
  splash_log=$dir/testsplash.log
}
DISPLAY_EXTRA=() APP_EXTRA=() ARGS=()
launch() {
  TESTSPLASH_LOG=$(winpath "$splash_log") start_wine "$dir/tool.exe" "${ARGS[@]}"
  DISPLAY_EXTRA=() APP_EXTRA=() ARGS=()
}
screenshot() { sleep 0.3; import -window root "$shots/$1" || fail "no screenshot $1"; }
window_shown() { probe window --exe tool.exe --timeout "${2:-10000}" >/dev/null || fail "$1"; }

# --- the own window: centred, up until the end (its pixels: the Win32 splash tests) ---
MAIN=app.ExitsLater IMAGE=$(winpath "$images/alpha.png") setup_case
TESTJVM_EXIT_DELAY=4000 TESTJVM_EXIT_CODE=7 launch
shown=$(probe window --exe tool.exe --timeout 10000) || fail "no splash window appeared"
left=$(((screen_width - 200) / 2)) top=$(((screen_height - 120) / 2))
expect_eq "$shown" "splash: $left $top $((left + 200)) $((top + 120))" "splash window centred"
screenshot e2e_splash_png.png
# main has returned; the splash stays until the program's own exit ends the process.
window_shown "splash gone before the program ended" 1000
ends_by_itself "own window"
expect_eq "$EXIT_CODE" 7 "exit code of the program"

# --- "-nosplash": no window, the switch still reaches the program ------------------------
ARGS=(a -nosplash)
MAIN=app.ExitsLater IMAGE=$(winpath "$images/photo.jpg") setup_case
TESTJVM_EXIT_DELAY=2500 launch
probe absent --exe tool.exe --for 2000 || fail "a splash window appeared despite -nosplash"
ends_by_itself "-nosplash"
expect_eq "$EXIT_CODE" 3 "exit code with -nosplash"

# --- the window closed before the exception dialog, which it does not own ----------------
APP_EXTRA=("Failure Check=yes")
MAIN=app.Throws IMAGE=$(winpath "$images/photo.jpg") setup_case
launch
$JL_WINE "$JL_UIPROBE" wait --exe tool.exe --timeout 20000 >/dev/null || fail "no exception dialog appeared"
probe absent --exe tool.exe --for 300 || fail "the splash window is still up under the exception dialog"
expect_eq "$(probe owner --exe tool.exe --timeout 1000)" "owner: none" "owner of the exception dialog"
probe_and_press tool.exe 1 >/dev/null || fail "the exception dialog has no Ignore button"
ends_by_itself "uncaught exception"
expect_eq "$EXIT_CODE" 0 "exit code after an ignored exception"

# --- the native splash library, preferred and complete ---------------------------------
# The value is passed as written (a relative path), in the ANSI code page (1252 here).
DISPLAY_EXTRA=("Preffer Native Splash Screen=YES")
IMAGE='img\späsh.png' NATIVE=splashscreen setup_case
LC_ALL=en_US.UTF-8 launch
ends_by_itself "native splash"
expect_eq "$EXIT_CODE" 0 "exit code with the native splash"
expect_eq "$(cat "$splash_log")" "$(lines SplashInit 'SplashLoadFile img\x5Csp\xE4sh.png' \
  'SplashSetFileJarName img\x5Csp\xE4sh.png|' SplashClose)" "native splash calls"

# Not preferred: the own window shows the JPEG, the library untouched.
MAIN=app.ExitsLater IMAGE=$(winpath "$images/photo.jpg") NATIVE=splashscreen setup_case
TESTJVM_EXIT_DELAY=3000 TESTJVM_EXIT_CODE=0 launch
window_shown "no own window without the preference"
screenshot e2e_splash_jpeg.png
ends_by_itself "native splash not preferred"
[ ! -e "$splash_log" ] || fail "the native library was called without the preference: $(cat "$splash_log")"

# --- a native library without "SplashSetFileJarName": the own window, its close entry
# called once when the launch fails ------------------------------------------------------
DISPLAY_EXTRA=("Preffer Native Splash Screen=yes")
MAIN=app.NoMain IMAGE=$(winpath "$images/small.bmp") NATIVE=splashscreen_nojar setup_case
launch
window_shown "no own window after the incomplete library"
expect_box "No main method found in specified class." "incomplete native library"
expect_eq "$(cat "$splash_log")" "SplashClose" "close entry of the incomplete library"

# --- a JVM library that fails at once (no JNI entry): its box is owned by the splash,
# which therefore cannot cover it -------------------------------------------------------
IMAGE=$(winpath "$images/photo.jpg") setup_case
cp "$testsplash/splashscreen.dll" "$dir/jre/bin/client/jvm.dll"
launch
expect_eq "$(probe owner --exe tool.exe --timeout 20000)" "owner: SplashScreenWindow" "owner of an early error box"
expect_box "cannot find CreateJavaVM JNI" "JVM library without entry points"

# --- an image that does not exist: nothing visible, nothing said, the launch goes on -----
IMAGE=$(winpath "$JL_WORK/missing.png") setup_case
launch
ends_by_itself "missing image"
expect_eq "$EXIT_CODE" 0 "exit code with a missing image"
echo "ok"

# The splash of the Linux launcher, which has only the runtime's native library: the
# test library of tests/testsplash in a runtime of links to a JDK (its calls), and the
# JDK's own library with and without a display (screenshot in the build folder).
source "$(dirname "$0")/lib.sh"

testsplash=$JL_BUILD/tests/testsplash
[ -f "$testsplash/libsplashscreen.so" ] || skip "the test splash library was not built ($testsplash)"
jdk=
for candidate in /usr/lib/jvm/java-17-openjdk-amd64 /usr/lib/jvm/temurin-25-jdk-amd64; do
  if [ -f "$candidate/lib/libsplashscreen.so" ] && [ -x "$candidate/bin/javac" ]; then jdk=$candidate; break; fi
done
[ -n "$jdk" ] || skip "no JDK with a splash library"
images=$JL_ROOT/tests/data/splash
shots=$JL_BUILD/screenshots
mkdir -p "$shots"

# The program: prints its arguments, waits as long as "wait.ms" says, returns.
mkdir -p "$JL_WORK/src" "$JL_WORK/classes"
cat >"$JL_WORK/src/Wait.java" <<'JAVA'
public class Wait {
    public static void main(String[] args) throws Exception {
        System.out.println("args " + String.join(" ", args));
        Thread.sleep(Long.getLong("wait.ms", 0L));
    }
}
JAVA
"$jdk/bin/javac" -d "$JL_WORK/classes" "$JL_WORK/src/Wait.java" || fail "javac"

# A runtime of links to the JDK whose splash library is a test variant.
linked_runtime() {  # folder, variant
  mkdir -p "$1/lib"
  for entry in "$jdk"/*; do [ "${entry##*/}" = lib ] || ln -s "$entry" "$1/"; done
  for entry in "$jdk"/lib/*; do [ "${entry##*/}" = libsplashscreen.so ] || ln -s "$entry" "$1/lib/"; done
  cp "$testsplash/$2.so" "$1/lib/libsplashscreen.so"
}

# One launch. Inputs: RUNTIME, IMAGE, VMP, and the arrays DISPLAY_EXTRA and ARGS, emptied
# once used. Outputs: code, out, err, log.
DISPLAY_EXTRA=() ARGS=()
launch() {
  case_number=$((case_number + 1))
  local dir=$JL_WORK/case$case_number
  mkdir -p "$dir"
  cp "$JL_LAUNCHER" "$dir/tool"
  write_ini "$dir/tool.ini" "[Java Runtime Environment]" "JRE Path=$RUNTIME" "Main Class=Wait" \
    "Virtual Machine Parameters=${VMP:-}" "[Class Path]" "Class Path=$JL_WORK/classes" \
    "[Display]" "Splash Screen=${IMAGE:-}" "${DISPLAY_EXTRA[@]}"
  log=$dir/testsplash.log
  out=$(cd "$dir" && TESTSPLASH_LOG=$log ./tool "${ARGS[@]}" 2>"$dir/err")
  code=$?
  err=$(cat "$dir/err")
  splash_calls=$(cat "$log" 2>/dev/null)
  DISPLAY_EXTRA=() ARGS=()
}
calls_for() { lines SplashInit "SplashLoadFile $1" "SplashSetFileJarName $1|" SplashClose; }

linked_runtime "$JL_WORK/rt" libsplashscreen
linked_runtime "$JL_WORK/rt-nojar" libsplashscreen_nojar

# --- the test library: preferred or not, it is the only splash there is ---------------
for preference in "Preffer Native Splash Screen=yes" ""; do
  DISPLAY_EXTRA=("$preference") ARGS=(x)
  RUNTIME=$JL_WORK/rt IMAGE="img/spläsh.png" launch
  expect_eq "$code" 0 "exit code [$preference]"
  expect_eq "$out" "args x" "program output [$preference]"
  expect_eq "$splash_calls" "$(calls_for 'img/spl\xC3\xA4sh.png')" "native splash calls [$preference]"
done

ARGS=(-nosplash)
RUNTIME=$JL_WORK/rt IMAGE=splash.png launch
expect_eq "$code" 0 "exit code with -nosplash"
expect_eq "$out" "args -nosplash" "-nosplash reaches the program"
expect_eq "$splash_calls" "" "native splash calls with -nosplash"
RUNTIME=$JL_WORK/rt launch
expect_eq "$splash_calls" "" "native splash calls without an image"

# A library without "SplashSetFileJarName": no splash, its close entry at the end.
RUNTIME=$JL_WORK/rt-nojar IMAGE=splash.png launch
expect_eq "$code" 0 "exit code with an incomplete library"
expect_eq "$err" "" "messages with an incomplete library"
expect_eq "$splash_calls" "SplashClose" "calls of an incomplete library"

# The virtual machine cannot be created: the splash is closed once, before the exit.
RUNTIME=$JL_WORK/rt IMAGE=splash.png VMP=-XX:+NoSuchOptionAnywhere launch
expect_eq "$code" 255 "exit code when the virtual machine cannot be created"
expect_eq "$splash_calls" "$(calls_for splash.png)" "native splash closed once after the failure"

# --- the JDK's own library ---------------------------------------------------------------
# Without a display: no splash, no message.
ARGS=(y)
( unset DISPLAY WAYLAND_DISPLAY; RUNTIME=$jdk IMAGE=$images/photo.jpg launch
  lines "$code" "$out" "$err" >"$JL_WORK/headless" )
expect_eq "$(cat "$JL_WORK/headless")" "$(lines 0 "args y")" "exit code, output and messages without a display"

# On a display of its own: the image is on the screen while the program runs.
display=
for n in $(seq 150 199); do [ -e "/tmp/.X$n-lock" ] || { display=$n; break; }; done
[ -n "$display" ] || fail "no free display number"
Xvfb ":$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
wait_until 5 xdpyinfo -display ":$display" >/dev/null 2>&1

# Pixels of the JPEG's green half (30,160,60) on the screen.
green_pixels() {
  convert-im6.q16 "$1" -fuzz 6% -fill black +opaque 'rgb(30,160,60)' -fill white -opaque 'rgb(30,160,60)' \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}
shot=$shots/linux_native_splash.png
splash_seen() { import -display ":$display" -window root "$shot" 2>/dev/null && [ "$(green_pixels "$shot")" -ge 7000 ]; }
( export DISPLAY=:$display; RUNTIME=$jdk IMAGE=$images/photo.jpg VMP=-Dwait.ms=4000 launch
  echo "$code" >"$JL_WORK/shown.code" ) &
launch_pid=$!
wait_until 4 splash_seen || fail "the splash image did not appear on the display"
wait "$launch_pid"
expect_eq "$(cat "$JL_WORK/shown.code")" 0 "exit code with the splash on a display"
echo "ok"

# The launcher under Wine hosts the test JVM (tests/testjvm) as its runtime's
# bin\client\jvm.dll: what it hands the virtual machine (options and their order, the
# hooks, the stack size), how it loads and calls the main class, every failure the test
# JVM can be told to produce, read back from the screen with the UI probe, and when the
# process ends after main returns. The test JVM logs each call beside itself.
source "$(dirname "$0")/lib.sh"
source "$JL_ROOT/scripts/wine-env.sh"
: "${JL_UIPROBE:?}"

testjvm=$JL_BUILD/tests/testjvm
[ -f "$testjvm/jvm.dll" ] || { echo "the test JVM was not built ($testjvm)"; exit 77; }

winpath() { printf 'Z:%s' "${1//\//\\}"; }

# One case: a folder with tool.exe, tool.ini and jre\bin\client\jvm.dll (the variant
# VARIANT, default jvm). Inputs: MAIN (default app.Records), VMP, JRE_EXTRA, APP_EXTRA,
# ARGS, RELEASE (lines of the runtime's release file). Sets dir and log.
case_number=0
setup_case() {
  case_number=$((case_number + 1))
  dir=$JL_WORK/case$case_number
  mkdir -p "$dir/jre/bin/client"
  cp "$JL_LAUNCHER" "$dir/tool.exe"
  cp "$testjvm/${VARIANT:-jvm}.dll" "$dir/jre/bin/client/jvm.dll"
  [ ${#RELEASE[@]} -gt 0 ] && printf '%s\n' "${RELEASE[@]}" >"$dir/jre/release"
  write_ini "$dir/tool.ini" "[Java Runtime Environment]" "JRE Path=$(winpath "$dir/jre")" \
    "Main Class=${MAIN:-app.Records}" "Virtual Machine Parameters=${VMP:-}" "${JRE_EXTRA[@]}" \
    "[Class Path]" "Class Path=C:\\app\\app.jar" "[Application]" "${APP_EXTRA[@]}"
  # UTF-16 with its mark: the profile functions read any other file in the ANSI code page.
  { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$dir/tool.ini"; } >"$dir/tool.ini.16" &&
    mv "$dir/tool.ini.16" "$dir/tool.ini"
  log=$dir/jre/bin/client/testjvm.log
}

reset_case() { MAIN= VMP= VARIANT=; JRE_EXTRA=() APP_EXTRA=() ARGS=() RELEASE=(); }

launch() {
  ( cd "${RUN_FROM:-$dir}" && exec $JL_WINE "$dir/tool.exe" "${ARGS[@]}" ) >"$JL_WORK/wine.out" 2>&1 &
  LAUNCH_PID=$!
}

# Waits for the launcher to end by itself; a launcher still running after 30 s has hung
# or shows a box nobody expected, which is then read and named.
ends_by_itself() {  # what
  for _ in $(seq 1 300); do
    kill -0 "$LAUNCH_PID" 2>/dev/null || { wait_exit; return; }
    sleep 0.1
  done
  shown=$($JL_WINE "$JL_UIPROBE" wait --exe tool.exe --timeout 1000 --press 1)
  kill "$LAUNCH_PID" 2>/dev/null
  fail "$1: the launcher did not end (on screen: $shown)"
}

expect_box() {  # text, what: the box's text, pressed away, and the exit code -1
  shown=$(probe_and_press tool.exe 1) || fail "$2: no box appeared: $shown"
  expect_contains "$shown" "$1" "$2"
  ends_by_itself "$2"
  expect_eq "$EXIT_CODE" 255 "$2: exit code"
}

logged() { grep -qxF -- "$1" "$log"; }
line_of() { grep -nxF -- "$1" "$log" | head -1 | cut -d: -f1; }
expect_logged() { logged "$1" || fail "$2: [$1] not logged in: $(cat "$log" 2>/dev/null)"; }
expect_not_logged() { ! logged "$1" || fail "$2: [$1] logged unexpectedly"; }
expect_before() {  # first line, later line, what
  local a b
  a=$(line_of "$1") b=$(line_of "$2")
  [ -n "$a" ] && [ -n "$b" ] && [ "$a" -lt "$b" ] || fail "$3: [$1] not before [$2] in: $(cat "$log")"
}
# After any failure past JNI_CreateJavaVM the Java thread leaves and destroys the
# virtual machine itself.
expect_left_and_destroyed() {
  expect_before "DetachCurrentThread" "DestroyJavaVM on-creating-thread=yes attached=no" "$1"
}

# --- what reaches main and the virtual machine ----------------------------------------
reset_case
VMP='-Xmx64m "-Dapp.title=My App"'
APP_EXTRA=('Cmd=--cmd "x y"')
ARGS=(plain "two words" "ü€" -nosplash)
setup_case; launch; ends_by_itself "arguments"
expect_eq "$EXIT_CODE" 0 "arguments: exit code"
expect_logged "main app/Records args=6" "arguments"
for expected in "arg 0: plain" "arg 1: two words" "arg 2: ü€" "arg 3: -nosplash" "arg 4: --cmd" "arg 5: x y"; do
  expect_logged "$expected" "arguments"
done
# The configured options in order, then the abort and exit hooks, JNI 1.2, nothing ignored.
# (Whether the class path keeps a final separator is the option builder's business.)
options=$(grep '^option ' "$log" | sed '1s/;$//')
expect_eq "$options" "$(printf '%s\n' "option -Djava.class.path=C:\\app\\app.jar" "option -Xmx64m" \
  "option -Dapp.title=My App" "option abort hook=set" "option exit hook=set")" "option list"
expect_logged "CreateJavaVM version=0x00010002 options=5 ignoreUnrecognized=0" "creation arguments"
# The runtime's launcher helper gets the dotted name; FindClass is not needed.
expect_logged "checkAndLoadMain printToStderr=1 mode=1 name=app.Records" "launcher helper"
expect_not_logged "FindClass app/Records" "launcher helper"
expect_left_and_destroyed "main returned"

# Without JVM_FindClassFromBootLoader, FindClass with the slash form.
reset_case; VARIANT=jvm_nohelper
setup_case; launch; ends_by_itself "no launcher helper"
expect_eq "$EXIT_CODE" 0 "no launcher helper: exit code"
expect_logged "FindClass app/Records" "no launcher helper"
expect_not_logged "checkAndLoadMain printToStderr=1 mode=1 name=app.Records" "no launcher helper"
expect_logged "main app/Records args=0" "no launcher helper"

# --- the main methods of Java 25 ---------------------------------------------------------
# The launcher helper says how main is to be called: an instance main runs on an object
# the no-argument constructor made; a main without parameters gets no argument array.
reset_case; MAIN=app.InstanceMain; ARGS=(a b)
setup_case; launch; ends_by_itself "instance main"
expect_eq "$EXIT_CODE" 0 "instance main: exit code"
expect_before "constructed app/InstanceMain" "instance main app/InstanceMain args=2" "instance main"
reset_case; MAIN=app.StaticNoArgs
setup_case; launch; ends_by_itself "static main()"
expect_eq "$EXIT_CODE" 0 "static main(): exit code"
expect_logged "main app/StaticNoArgs without parameters" "static main()"

# --- the trace ------------------------------------------------------------------------
# The options handed over and each JNI result, in UTF-8 although the options hold bytes
# of the ANSI code page.
reset_case; VMP='-Xmx64m -Dname=Grüße'
setup_case; JLAUNCH_TRACE=$(winpath "$dir/trace.txt") launch; ends_by_itself "trace"
expect_eq "$EXIT_CODE" 0 "trace: exit code"
traced=$(cat "$dir/trace.txt" 2>/dev/null)
for line in "jvm: option -Djava.class.path=C:\\app\\app.jar" "jvm: option -Xmx64m" "jvm: option -Dname=Gr" \
  "jvm: JNI_CreateJavaVM: 0" "jvm: main class: loaded; main is static, with String[]" "jvm: main method: found" \
  "jvm: main returned" "launch: exit code 0"; do
  expect_contains "$traced" "$line" "trace"
done
iconv -f UTF-8 -t UTF-8 "$dir/trace.txt" >/dev/null 2>&1 || fail "trace: not UTF-8"

# A failed launch names the step: here FindClass, after the runtime had no helper.
reset_case; VARIANT=jvm_nohelper; MAIN=app.Missing
setup_case; JLAUNCH_TRACE=$(winpath "$dir/trace.txt") launch
expect_box "Could not find the main class app/Missing." "trace of a missing class"
traced=$(cat "$dir/trace.txt" 2>/dev/null)
expect_contains "$traced" "jvm: main class: FindClass: java.lang.NoClassDefFoundError: app/Missing" "trace of a missing class"
expect_contains "$traced" "launch: exit code -1" "trace of a missing class"

# --- the stack of the Java thread --------------------------------------------------------
reset_case; VMP="-Xss8m"
setup_case; launch; ends_by_itself "-Xss8m"
expect_logged "stack 8388608" "-Xss8m"
expect_not_logged "GetDefaultJavaVMInitArgs version=0x00010001" "-Xss8m: no default asked"

reset_case
setup_case; TESTJVM_DEFAULT_STACK=3145728 launch; ends_by_itself "default stack"
expect_logged "GetDefaultJavaVMInitArgs version=0x00010001" "default stack"
expect_logged "stack 3145728" "default stack"

# --- failures, as the user sees them --------------------------------------------------
reasons=("unknown" "thread detached from VM" "JNI version error" "not enough memory" "VM already created"
  "invalid arguments" "")
for result in 1 2 3 4 5 6 7; do
  reset_case; setup_case
  TESTJVM_CREATE_RESULT=-$result launch
  expect_box "JNI exception: failed to create the Java VM\\nReason: ${reasons[$((result - 1))]}.\\n" \
    "JNI_CreateJavaVM result -$result"
  expect_not_logged "main app/Records args=0" "JNI_CreateJavaVM result -$result"
done

for variant in jvm_nocreate jvm_nodefaults; do
  reset_case; VARIANT=$variant; setup_case; launch
  expect_box "Windows exception: cannot find CreateJavaVM JNI (errno = 127)." "$variant"
done

reset_case; setup_case
echo "not a library" >"$dir/jre/bin/client/jvm.dll"
launch
expect_box "Failed to load Java VM library: " "a jvm.dll that is no library"

# The name as configured reaches the message, not its bytes through a code page.
reset_case; VARIANT=jvm_nohelper; MAIN="app.Fehlt€"
setup_case; launch
expect_box "Could not find the main class app/Fehlt€." "main class not found"
expect_logged "ExceptionDescribe java.lang.NoClassDefFoundError: app/Fehlt€" "main class not found"
expect_left_and_destroyed "main class not found"

for variant in jvm jvm_nohelper; do
  reset_case; VARIANT=$variant; MAIN=app.NoMain
  setup_case; launch
  expect_box "No main method found in specified class." "no main ($variant)"
  expect_logged "ExceptionDescribe java.lang.NoSuchMethodError: main" "no main ($variant)"
  expect_left_and_destroyed "no main ($variant)"
done

# A static initializer that throws is described, shows no box and ends the process.
reset_case; MAIN=app.BadInit
setup_case; launch; ends_by_itself "static initializer"
expect_eq "$EXIT_CODE" 255 "static initializer: exit code"
expect_logged "ExceptionDescribe java.lang.ExceptionInInitializerError: static initializer of app.BadInit threw" \
  "static initializer"
expect_left_and_destroyed "static initializer"

# An exception pending at each later step: described, the launch ends with -1.
declare -A pending=(
  [NewObjectArray]="ExceptionDescribe java.lang.OutOfMemoryError: injected failure of NewObjectArray"
  [SetObjectArrayElement]="ExceptionDescribe java.lang.ArrayStoreException: injected failure of SetObjectArrayElement"
  [GetStaticMethodID:2]="ExceptionDescribe java.lang.OutOfMemoryError: injected failure of GetStaticMethodID"
)
for step in "${!pending[@]}"; do
  reset_case; ARGS=(a b); setup_case
  TESTJVM_FAIL=$step launch; ends_by_itself "$step fails"
  expect_eq "$EXIT_CODE" 255 "$step fails: exit code"
  expect_logged "${pending[$step]}" "$step fails"
  expect_left_and_destroyed "$step fails"
done
reset_case; VARIANT=jvm_nohelper; setup_case
TESTJVM_FAIL=NewCharArray:1 launch
expect_box "Failed to load Main Class: app/Records." "the class name cannot become a Java string"
reset_case; VARIANT=jvm_nohelper; setup_case
TESTJVM_FAIL=FindClass:2 launch
expect_box "Could not find the main class app/Records." "FindClass fails"

# --- how the program ends -------------------------------------------------------------
reset_case; MAIN=app.Exits
setup_case; TESTJVM_EXIT_CODE=3 launch; ends_by_itself "System.exit"
expect_eq "$EXIT_CODE" 3 "System.exit: exit code"
expect_before "exit 3" "exit hook returned" "the exit hook lets the virtual machine exit"

reset_case; MAIN=app.Throws
setup_case; launch; ends_by_itself "uncaught exception"
expect_eq "$EXIT_CODE" 0 "uncaught exception: exit code"
expect_before "DetachCurrentThread" "uncaught java.lang.IllegalStateException: thrown by app.Throws" \
  "reported by the virtual machine when the thread leaves"

for choice in 1 2; do
  reset_case; MAIN=app.Throws; APP_EXTRA=("Failure Check=yes")
  setup_case; launch
  shown=$(probe_and_press tool.exe $choice) || fail "no exception dialog: $shown"
  expect_contains "$shown" "title: Java Exception" "exception dialog"
  expect_contains "$shown" "java.lang.IllegalStateException: thrown by app.Throws" "exception dialog text"
  ends_by_itself "exception dialog"
  if [ $choice = 1 ]; then
    expect_eq "$EXIT_CODE" 0 "Ignore: exit code"
    expect_left_and_destroyed "Ignore"
  else
    expect_eq "$EXIT_CODE" 255 "Stop: exit code"
    expect_logged "exit -1" "Stop calls System.exit(-1)"
  fi
done

# A runtime of the IBM family keeps the thread in the virtual machine after main
# returns; any other leaves it. Either way the program's last thread ends the process.
for family in ibm other; do
  reset_case; MAIN=app.ExitsLater
  [ $family = ibm ] && RELEASE=('JAVA_VERSION="1.8.0_402"' 'IMPLEMENTOR="IBM Corporation"')
  setup_case; TESTJVM_EXIT_CODE=5 launch; ends_by_itself "$family family"
  expect_eq "$EXIT_CODE" 5 "$family family: exit code"
  expect_logged "main returns" "$family family"
  if [ $family = ibm ]; then
    expect_not_logged "DetachCurrentThread" "IBM family keeps the thread"
    expect_not_logged "DestroyJavaVM on-creating-thread=yes attached=no" "IBM family keeps the virtual machine"
  else
    expect_before "DetachCurrentThread" "exit 5" "other families leave"
    expect_before "DestroyJavaVM on-creating-thread=yes attached=no" "exit 5" "other families destroy"
  fi
done

# The runtime's bin folder supplies the runtime's own dependencies: a same-named library
# planted in the current folder is not loaded.
reset_case; setup_case
cp "$testjvm/jvm_marker.dll" "$dir/jre/bin/client/jvm.dll"
cp "$testjvm/jlmarker.dll" "$dir/jre/bin/jlmarker.dll"
planted=$JL_WORK/documents
mkdir -p "$planted" && cp "$testjvm/jlmarker.dll" "$planted/jlmarker.dll"
RUN_FROM=$planted TESTJVM_LOG=$(winpath "$log") launch; ends_by_itself "runtime dependencies"
expect_eq "$EXIT_CODE" 0 "runtime dependencies: exit code"
expect_logged "marker loaded from $(winpath "$dir/jre/bin/jlmarker.dll")" "dependency from the runtime's bin folder"
echo "ok"

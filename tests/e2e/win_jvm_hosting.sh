# The launcher under Wine hosting the test JVM, which logs each call beside itself: what
# the virtual machine is handed, how main is called, every failure as the user sees it,
# and when the process ends.
source "$(dirname "$0")/lib.sh"
source "$JL_ROOT/scripts/wine-env.sh"
: "${JL_UIPROBE:?}"
need_testjvm

# One case (wine_product). Inputs: MAIN, VARIANT, VMP, and the arrays JRE_EXTRA, APP_EXTRA,
# RELEASE (lines of the runtime's release file) and ARGS, emptied once used; TRACE=1
# traces the launch to $trace, RUN_FROM is the folder to start in.
setup_case() {
  wine_product "Virtual Machine Parameters=${VMP:-}" "${JRE_EXTRA[@]}" "[Application]" "${APP_EXTRA[@]}"
  [ ${#RELEASE[@]} -eq 0 ] || lines "${RELEASE[@]}" >"$dir/jre/release"
  JRE_EXTRA=() APP_EXTRA=() RELEASE=()
}
JRE_EXTRA=() APP_EXTRA=() RELEASE=() ARGS=()
launch() {
  trace=$dir/trace.txt
  ( cd "${RUN_FROM:-$dir}" && exec env ${TRACE:+JLAUNCH_TRACE="$(winpath "$trace")"} $JL_WINE "$dir/tool.exe" "${ARGS[@]}" ) \
    >"$JL_WORK/wine.out" 2>&1 &
  LAUNCH_PID=$!
  ARGS=()
}
run_case() {  # what, exit code
  setup_case; launch; ends_by_itself "$1"
  expect_eq "$EXIT_CODE" "$2" "$1: exit code"
}
box_case() { setup_case; launch; expect_box "$2" "$1" "${3:-255}"; }  # what, text of the box, exit code
# After any failure past JNI_CreateJavaVM the Java thread leaves and destroys the
# virtual machine itself.
expect_left_and_destroyed() {
  expect_before "DetachCurrentThread" "DestroyJavaVM on-creating-thread=yes attached=no" "$1"
}

# --- what reaches main and the virtual machine ----------------------------------------
APP_EXTRA=('Cmd=--cmd "x y"') ARGS=(plain "two words" "ü€" -nosplash)
VMP='-Xmx64m "-Dapp.title=My App"' run_case "arguments" 0
expect_block_once "arguments" "main app/Records args=6" "arg 0: plain" "arg 1: two words" "arg 2: ü€" \
  "arg 3: -nosplash" "arg 4: --cmd" "arg 5: x y"
# The configured options in order, then the abort and exit hooks, JNI 1.2, nothing ignored.
# (Whether the class path keeps a final separator is the option builder's business.)
expect_eq "$(grep '^option ' "$log" | sed '1s/;$//')" "$(lines "option -Djava.class.path=C:\\app\\app.jar" \
  "option -Xmx64m" "option -Dapp.title=My App" "option abort hook=set" "option exit hook=set")" "option list"
expect_logged "CreateJavaVM version=0x00010002 options=5 ignoreUnrecognized=0" "creation arguments"
# The runtime's launcher helper gets the dotted name; FindClass is not needed.
expect_logged "checkAndLoadMain printToStderr=1 mode=1 name=app.Records" "launcher helper"
expect_not_logged "FindClass app/Records" "launcher helper"
expect_left_and_destroyed "main returned"

# --- the trace: the options and each JNI result, in UTF-8 although the options hold
# bytes of the ANSI code page --------------------------------------------------------------
TRACE=1 VMP='-Xmx64m -Dname=Grüße' run_case "trace" 0
for line in "jvm: option -Djava.class.path=C:\\app\\app.jar" "jvm: option -Xmx64m" "jvm: option -Dname=Gr" \
  "jvm: JNI_CreateJavaVM: 0" "jvm: main class: loaded; main is static, with String[]" "jvm: main method: found" \
  "jvm: main returned" "launch: exit code 0"; do
  traced "$line" "trace"
done
iconv -f UTF-8 -t UTF-8 "$trace" >/dev/null 2>&1 || fail "trace: not UTF-8"

# --- the class-data cache: the runtime's own options, right after the class path, only
# for a version and kind that understand them ----------------------------------------------
export LOCALAPPDATA
LOCALAPPDATA=$(winpath "$JL_WORK/local")
for row in "17.0.15|Hotspot|-XX:ArchiveClassesAtExit=" "25.0.1||-XX:AOTMode=record" \
  "21|Hotspot|-XX:+AutoCreateSharedArchive" "1.8.0|OpenJ9|-Xshareclasses:name=tool," "12.0.2|Hotspot|" "21|Zero|"; do
  IFS='|' read -r version variant first <<<"$row"
  RELEASE=("JAVA_VERSION=\"$version\"" "JVM_VARIANT=\"$variant\"") JRE_EXTRA=("Class Data Cache=yes")
  # Through System.exit, so that a runtime of the IBM family ends too; its code stays.
  TESTJVM_EXIT_CODE=4 MAIN=app.Exits VMP=-Xmx64m run_case "cache, runtime $version $variant" 4
  options=$(grep '^option ' "$log")
  expect_eq "$(sed -n 1p <<<"$options" | cut -c1-25)" "option -Djava.class.path=" "cache $version: class path first"
  expect_eq "$(tail -n3 <<<"$options" | head -1)" "option -Xmx64m" "cache $version: the product's parameters last"
  if [ -n "$first" ]; then
    expect_contains "$(sed -n 2p <<<"$options")" "option $first" "cache $version"
  else
    expect_eq "$(wc -l <<<"$options")" 4 "cache $version: no option added"
  fi
done
unset LOCALAPPDATA

# A folder outside the ANSI code page (Cyrillic; Wine gives C.UTF-8, a locale every machine
# has, code page 1252) reaches the virtual machine by its short name, traced.
mkdir -p "$JL_WORK/Юрий/lib"
LANG=C.UTF-8 TRACE=1 VMP="-Dapp.home=$(winpath "$JL_WORK/Юрий/lib")" run_case "path outside the code page" 0
passed=$(grep -a '^option -Dapp.home=' "$log")
[[ "$passed" == 'option -Dapp.home=Z:\'*'\lib' && "$passed" != *'?'* ]] && ! LC_ALL=C grep -q '[^ -~]' <<<"$passed" ||
  fail "short name: not passed in the code page: [$passed]"
traced "jvm: option path $(winpath "$JL_WORK/Юрий/lib") passed as ${passed#option -Dapp.home=}" "short name: traced"

# --- the stack of the Java thread --------------------------------------------------------
VMP="-Xss8m" run_case "-Xss8m" 0
expect_logged "stack 8388608" "-Xss8m"
expect_not_logged "GetDefaultJavaVMInitArgs version=0x00010001" "-Xss8m: no default asked"
TESTJVM_DEFAULT_STACK=3145728 run_case "default stack" 0
expect_logged "GetDefaultJavaVMInitArgs version=0x00010001" "default stack"
expect_logged "stack 3145728" "default stack"
TESTJVM_DEFAULT_STACK=0 run_case "no default stack" 0
expect_logged "stack 1048576" "no default stack: the executable's stack reserve"

# --- failures, as the user sees them --------------------------------------------------
reasons=("unknown" "thread detached from VM" "JNI version error" "not enough memory" "VM already created"
  "invalid arguments" "")
for result in 1 2 3 4 5 6 7; do
  TESTJVM_CREATE_RESULT=-$result box_case "JNI_CreateJavaVM result -$result" \
    "JNI exception: failed to create the Java VM\\nReason: ${reasons[$((result - 1))]}.\\n"
  expect_not_logged "main app/Records args=0" "JNI_CreateJavaVM result -$result"
done
for variant in jvm_nocreate jvm_nodefaults; do
  VARIANT=$variant box_case "$variant" "Windows exception: cannot find CreateJavaVM JNI (errno = 127)."
done
setup_case
echo "not a library" >"$dir/jre/bin/client/jvm.dll"
launch
expect_box "Failed to load Java VM library: " "a jvm.dll that is no library"

# The name as configured reaches the message, not its bytes through a code page; the
# trace names the step that failed.
TRACE=1 VARIANT=jvm_nohelper MAIN="app.Fehlt€" box_case "main class not found" "Could not find the main class app/Fehlt€."
traced "jvm: main class: FindClass: java.lang.NoClassDefFoundError: app/Fehlt€" "main class not found"
traced "launch: exit code -1" "main class not found"
expect_logged "ExceptionDescribe java.lang.NoClassDefFoundError: app/Fehlt€" "main class not found"
expect_left_and_destroyed "main class not found"
# The launcher helper rejects the class and exits with 1: its text went to a standard
# error nobody sees, so the box tells it, and the exit goes on with the helper's code.
MAIN=app.Missing box_case "main class rejected by the launcher helper" "Could not find the main class app/Missing." 1
expect_before "exit 1" "exit hook returned" "rejected main class"
for variant in jvm jvm_nohelper; do
  VARIANT=$variant MAIN=app.NoMain box_case "no main ($variant)" "No main method found in specified class."
  expect_logged "ExceptionDescribe java.lang.NoSuchMethodError: main" "no main ($variant)"
  expect_left_and_destroyed "no main ($variant)"
done

# A static initializer that throws is described, shows no box and ends the process.
MAIN=app.BadInit run_case "static initializer" 255
expect_logged "ExceptionDescribe java.lang.ExceptionInInitializerError: static initializer of app.BadInit threw" \
  "static initializer"
expect_left_and_destroyed "static initializer"

# An exception pending at each later step: described, the launch ends with -1.
declare -A pending=(
  [NewObjectArray]="java.lang.OutOfMemoryError: injected failure of NewObjectArray"
  [SetObjectArrayElement]="java.lang.ArrayStoreException: injected failure of SetObjectArrayElement"
  [GetStaticMethodID:2]="java.lang.OutOfMemoryError: injected failure of GetStaticMethodID"
)
for step in "${!pending[@]}"; do
  ARGS=(a b)
  TESTJVM_FAIL=$step run_case "$step fails" 255
  expect_logged "ExceptionDescribe ${pending[$step]}" "$step fails"
  expect_left_and_destroyed "$step fails"
done
TESTJVM_FAIL=NewCharArray:1 VARIANT=jvm_nohelper box_case "the class name cannot become a Java string" \
  "Failed to load Main Class: app/Records."
TESTJVM_FAIL=FindClass:2 VARIANT=jvm_nohelper box_case "FindClass fails" "Could not find the main class app/Records."

# --- how the program ends -------------------------------------------------------------
TESTJVM_EXIT_CODE=3 MAIN=app.Exits run_case "System.exit" 3
expect_before "exit 3" "exit hook returned" "the exit hook lets the virtual machine exit"
MAIN=app.Throws run_case "uncaught exception" 0
expect_before "DetachCurrentThread" "uncaught java.lang.IllegalStateException: thrown by app.Throws" \
  "reported by the virtual machine when the thread leaves"

for choice in 1 2; do
  APP_EXTRA=("Failure Check=yes")
  MAIN=app.Throws setup_case
  launch
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
  [ $family = ibm ] && RELEASE=('JAVA_VERSION="1.8.0_402"' 'IMPLEMENTOR="IBM Corporation"')
  TESTJVM_EXIT_CODE=5 MAIN=app.ExitsLater run_case "$family family" 5
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
setup_case
cp "$testjvm/jvm_marker.dll" "$dir/jre/bin/client/jvm.dll"
cp "$testjvm/jlmarker.dll" "$dir/jre/bin/jlmarker.dll"
mkdir -p "$JL_WORK/documents" && cp "$testjvm/jlmarker.dll" "$JL_WORK/documents/jlmarker.dll"
RUN_FROM=$JL_WORK/documents TESTJVM_LOG=$(winpath "$log") launch
ends_by_itself "runtime dependencies"
expect_eq "$EXIT_CODE" 0 "runtime dependencies: exit code"
expect_logged "marker loaded from $(winpath "$dir/jre/bin/jlmarker.dll")" "dependency from the runtime's bin folder"
echo "ok"

# The Linux launcher hosts the installed JDKs for real: the arguments main receives,
# exit codes, uncaught exceptions, class path forms, an application JAR appended to the
# launcher, the Java thread's stack size, failures before main (which must end the
# process, not hang it), when the process ends after main returns, the main methods
# Java 25 accepts (instance ones, and ones without parameters), and the trace.
source "$(dirname "$0")/lib.sh"

jdks=()
for jdk in /usr/lib/jvm/java-17-openjdk-amd64 /usr/lib/jvm/temurin-25-jdk-amd64; do
  if [ -e "$jdk/lib/server/libjvm.so" ]; then jdks+=("$jdk"); else echo "skipping $jdk: not installed"; fi
done
[ ${#jdks[@]} -gt 0 ] || { echo "no JDK to host"; exit 77; }

# The test programs, built once into the build folder with the first JDK, for the oldest.
classes=$JL_BUILD/tests/java-hosting
rm -rf "$classes" && mkdir -p "$classes/out"
src=$JL_ROOT/tests/java/hosting
"${jdks[0]}/bin/javac" --release 11 -d "$classes/out" "$src"/*.java "$src"/lib/*.java "$src"/extra/*.java ||
  fail "javac"
jar=${jdks[0]}/bin/jar
(cd "$classes/out" && "$jar" --create --file "$classes/app.jar" hosting/*.class &&
  "$jar" --create --file "$classes/a.jar" hosting/lib/A.class &&
  "$jar" --create --file "$classes/b.jar" hosting/lib/B.class &&
  "$jar" --create --file "$classes/c.jar" hosting/extra/C.class) || fail "jar"
# The main methods of Java 25, built with the JDK 25 when there is one.
jdk25=
for jdk in "${jdks[@]}"; do
  [[ $("$jdk/bin/java" -version 2>&1) == *'version "25'* ]] && jdk25=$jdk
done
if [ -n "$jdk25" ]; then
  mkdir -p "$classes/out25"
  "$jdk25/bin/javac" --release 25 -cp "$classes/out" -d "$classes/out25" "$src"/java25/*.java || fail "javac 25"
  (cd "$classes/out25" && "$jar" --create --file "$classes/app25.jar" hosting/*.class) || fail "jar 25"
else
  echo "skipping the main methods of Java 25: no JDK 25"
fi

# One launch. Inputs: JDK, MAIN (default hosting.Main), VMP (virtual machine parameters),
# CP (class path; default app.jar), JRE_EXTRA and APP_EXTRA (more settings lines),
# ARGS (command-line arguments), EMBED=1 (the JAR appended to the launcher), LAYER (the
# text of an embedded settings layer written into the launcher), TRACE=1 (JLAUNCH_TRACE
# names a file).
# Outputs: code, err (standard error), out (what the program wrote), traced (the trace).
case_number=0
launch() {
  case_number=$((case_number + 1))
  local dir=$JL_WORK/case$case_number
  mkdir -p "$dir/lib" "$dir/extra" "$JL_WORK/elsewhere"
  cp "$classes/app.jar" "$dir/" && cp "$classes/a.jar" "$classes/b.jar" "$dir/lib/" && cp "$classes/c.jar" "$dir/extra/"
  [ -e "$classes/app25.jar" ] && cp "$classes/app25.jar" "$dir/"
  if [ "${EMBED:-0}" = 1 ]; then cat "$JL_LAUNCHER" "$classes/app.jar" >"$dir/tool"; else cp "$JL_LAUNCHER" "$dir/tool"; fi
  chmod +x "$dir/tool"
  local cp_lines=("[Class Path]" "Class Path=${CP-app.jar}")
  [ -z "${CP-app.jar}" ] && cp_lines=()
  write_ini "$dir/tool.ini" "[Java Runtime Environment]" "JRE Path=$JDK" "Main Class=${MAIN:-hosting.Main}" \
    "Virtual Machine Parameters=-Dhosting.out=$dir/out.txt ${VMP:-}" "${JRE_EXTRA[@]}" \
    "${cp_lines[@]}" "[Application]" "${APP_EXTRA[@]}"
  if [ -n "${LAYER:-}" ]; then
    printf '[Product Information]\r\nUpgrade Code={5E2B-71C4}\r\n' >>"$dir/tool.ini"
    printf '%s' "$LAYER" >"$dir/layer.ini"
    "$JL_BUILD/tools/jlembed/jlembed" "$dir/tool" "$dir/tool.ini" "$dir/layer.ini" >/dev/null || fail "$label: jlembed"
  fi
  # From another folder: nothing may depend on the current directory.
  local trace_file=
  [ "${TRACE:-0}" = 1 ] && trace_file=$dir/trace.txt
  err=$(cd "$JL_WORK/elsewhere" && LANG=C.UTF-8 JLAUNCH_TRACE=$trace_file timeout 60 "$dir/tool" "${ARGS[@]}" 2>&1 >/dev/null)
  code=$?
  [ "$code" != 124 ] || fail "$label: the launcher did not end"
  out=$(cat "$dir/out.txt" 2>/dev/null)
  traced=$(cat "$dir/trace.txt" 2>/dev/null)
  case_dir=$dir
}

reset_case() { MAIN= VMP= EMBED=0 TRACE=0 LAYER=; unset CP; JRE_EXTRA=() APP_EXTRA=() ARGS=(); }

# The line of the trace after the first one that contains $1 (among the lines of topic
# jvm and launch).
line_after() { grep -E '\] (jvm|launch): ' <<<"$traced" | grep -A1 -F -- "$1" | sed -n 2p; }

for JDK in "${jdks[@]}"; do
  jdk_name=$(basename "$JDK")

  label="$jdk_name arguments"; reset_case
  ARGS=(plain "two words" "ü€日本" "😀" "" -nosplash /nosplash)
  APP_EXTRA=('Cmd=--cmd "x y"')
  launch
  expect_eq "$code" 0 "$label: exit code"
  expected=$(printf '%s\n' "count 9" "0:plain" "1:two words" "2:ü€日本" "3:😀" "4:" "5:-nosplash" \
    "6:/nosplash" "7:--cmd" "8:x y")
  expect_eq "$out" "$expected" "$label: what main received"

  label="$jdk_name System.exit"; reset_case
  VMP="-Dhosting.mode=exit"
  TRACE=1
  launch
  expect_eq "$code" 3 "$label: exit code"
  expect_contains "$traced" "jvm: VM exit 3" "$label: traced"

  # The trace lists the options handed to the virtual machine and each JNI result.
  label="$jdk_name trace"; reset_case
  VMP="-Xmx64m"
  TRACE=1
  ARGS=(one)
  launch
  expect_eq "$code" 0 "$label: exit code"
  for line in "jvm: option -Djava.class.path=$case_dir/app.jar" "jvm: option -Dhosting.out=$case_dir/out.txt" \
    "jvm: option -Xmx64m" "jvm: JNI_CreateJavaVM: 0" "jvm: main class: LauncherHelper.checkAndLoadMain" \
    "jvm: main method: found" "jvm: main returned" "launch: exit code 0"; do
    expect_contains "$traced" "$line" "$label"
  done
  # Only the helper of Java 25 says how main is to be called.
  if [ "$JDK" = "$jdk25" ]; then
    expect_contains "$traced" "jvm: main class: loaded; main is static, with String[]" "$label"
    expect_not_contains "$traced" "(not said)" "$label"
  else
    expect_contains "$traced" "jvm: main class: loaded; main is static, with String[] (not said)" "$label"
  fi

  # Options may carry values of an embedded settings layer, whose text is never traced.
  label="$jdk_name trace with an embedded layer"; reset_case
  LAYER=$'[Class Path]\nClass Path=app.jar\n' CP=
  TRACE=1
  launch
  expect_eq "$code" 0 "$label: exit code"
  expect_eq "$out" "count 0" "$label: main ran from the layer's class path"
  expect_contains "$traced" "jvm: options: not shown (embedded settings)" "$label"
  expect_not_contains "$traced" "java.class.path" "$label"
  expect_not_contains "$traced" "jvm: option " "$label"
  expect_contains "$traced" "jvm: main returned" "$label"

  label="$jdk_name uncaught exception"; reset_case
  VMP="-Dhosting.mode=throw"
  launch
  expect_eq "$code" 0 "$label: exit code"
  expect_contains "$err" 'Exception in thread "main" java.lang.IllegalStateException: thrown by hosting.Main' \
    "$label: reported by the virtual machine"

  label="$jdk_name uncaught exception with Failure Check"; reset_case
  VMP="-Dhosting.mode=throw"
  APP_EXTRA=("Failure Check=yes")
  launch
  expect_eq "$code" 0 "$label: exit code (Ignore)"
  expect_contains "$err" "java.lang.IllegalStateException: thrown by hosting.Main" "$label: the stack trace"
  expect_contains "$err" "at hosting.Main.main" "$label: the stack trace"
  expect_eq "$(grep -c 'thrown by hosting.Main' <<<"$err")" 1 "$label: reported once"

  label="$jdk_name class path"; reset_case
  VMP="-Dhosting.mode=classes"
  CP='app.jar;\lib\*.jar;.\extra\c.jar;nothing\*.jar'
  ARGS=(hosting.lib.A hosting.lib.B hosting.extra.C)
  launch
  expect_eq "$code" 0 "$label: exit code"
  expect_eq "$out" "$(printf '%s\n' "loaded hosting.lib.A" "loaded hosting.lib.B" "loaded hosting.extra.C")" \
    "$label: classes of every entry"

  label="$jdk_name embedded JAR"; reset_case
  EMBED=1 CP=
  APP_EXTRA=("Embedded Jar=yes")
  ARGS=(one)
  launch
  expect_eq "$code" 0 "$label: exit code"
  expect_eq "$out" "$(printf '%s\n' "count 1" "0:one")" "$label: main ran from the launcher itself"

  # The stack of the thread that runs main follows -Xss, and without it the virtual
  # machine's default (1 MB on x64). Interpreted, so frames keep one size.
  declare -A depth=()
  for size in 1m 64m default; do
    label="$jdk_name stack $size"; reset_case
    VMP="-Dhosting.mode=depth -Xint"
    [ "$size" != default ] && VMP="$VMP -Xss$size"
    launch
    expect_eq "$code" 0 "$label: exit code"
    depth[$size]=$(sed -n 's/^depth //p' <<<"$out")
    [ -n "${depth[$size]}" ] || fail "$label: no depth in [$out]"
  done
  [ "${depth[64m]}" -gt $((depth[1m] * 16)) ] ||
    fail "$jdk_name: -Xss64m gives depth ${depth[64m]}, -Xss1m ${depth[1m]}"
  [ "${depth[default]}" -gt $((depth[1m] / 2)) ] && [ "${depth[default]}" -lt $((depth[1m] * 2)) ] ||
    fail "$jdk_name: the default stack gives depth ${depth[default]}, -Xss1m ${depth[1m]}"

  label="$jdk_name missing main class"; reset_case
  MAIN=hosting.Missing
  TRACE=1
  launch
  expect_eq "$code" 1 "$label: exit code (the runtime's helper exits)"
  expect_contains "$err" "hosting.Missing" "$label: message"
  # The trace names the step that failed: the helper's check ended the process.
  expect_eq "$(line_after "jvm: main class: LauncherHelper.checkAndLoadMain")" \
    "$(grep -F "jvm: VM exit 1" <<<"$traced")" "$label: the line after the helper's call"
  expect_contains "$traced" "jvm: VM exit 1" "$label: traced"
  expect_not_contains "$traced" "main class: loaded" "$label: traced"

  label="$jdk_name main class without main"; reset_case
  MAIN=hosting.NoMain
  launch
  expect_eq "$code" 1 "$label: exit code (the runtime's helper exits)"
  expect_contains "$err" "hosting.NoMain" "$label: message"

  # The static initializer runs when main is looked up: the failure is described, and
  # the process ends with -1 instead of waiting for the Java thread for ever.
  label="$jdk_name static initializer throws"; reset_case
  MAIN=hosting.BadInit
  launch
  expect_eq "$code" 255 "$label: exit code"
  expect_contains "$err" "java.lang.ExceptionInInitializerError" "$label: described"
  expect_contains "$err" "static initializer of hosting.BadInit" "$label: the cause"

  # Providers that merely accept every vendor keep no thread in the virtual machine:
  # the process ends when main returns, or when the last non-daemon thread does.
  for provider in any favor_sun; do
    label="$jdk_name VM Provider $provider"; reset_case
    JRE_EXTRA=("VM Provider=$provider")
    launch
    expect_eq "$code" 0 "$label: exit code"
    expect_eq "$out" "count 0" "$label: main ran"

    label="$jdk_name VM Provider $provider, non-daemon thread"; reset_case
    JRE_EXTRA=("VM Provider=$provider")
    VMP="-Dhosting.mode=thread"
    launch
    expect_eq "$code" 0 "$label: exit code"
    expect_eq "$out" "$(printf '%s\n' "main returns" "main thread alive false" "worker done")" \
      "$label: ended after the worker"
  done

  # A runtime of the IBM family keeps the thread that ran main in the virtual machine;
  # only the program's own exit ends the process.
  label="$jdk_name IBM family"; reset_case
  ibm=$JL_WORK/ibm-$jdk_name
  mkdir -p "$ibm" && ln -sfn "$JDK/lib" "$ibm/lib"
  { grep -v '^IMPLEMENTOR=' "$JDK/release"; echo 'IMPLEMENTOR="IBM Corporation"'; } >"$ibm/release"
  JDK_SAVED=$JDK JDK=$ibm
  JRE_EXTRA=("VM Provider=ibm")
  VMP="-Dhosting.mode=thread -Dhosting.threadExits=true"
  launch
  JDK=$JDK_SAVED
  expect_eq "$code" 4 "$label: exit code"
  expect_eq "$out" "$(printf '%s\n' "main returns" "main thread alive true" "worker done")" "$label: main's thread stayed"

  if [ "$JDK" = "$jdk25" ]; then
    # The main methods Java 25 accepts: the launcher calls what the runtime's helper found.
    label="$jdk_name instance main(String[])"; reset_case
    MAIN=hosting.InstanceMain CP="app.jar;app25.jar"
    ARGS=(one two)
    launch
    expect_eq "$code" 0 "$label: exit code"
    expect_eq "$out" "$(printf '%s\n' "constructor ran" "instance main(String[]) count 2 first one")" "$label: ran"

    label="$jdk_name instance main()"; reset_case
    MAIN=hosting.InstanceNoArgs CP="app.jar;app25.jar"
    ARGS=(one)
    TRACE=1
    launch
    expect_eq "$code" 0 "$label: exit code"
    expect_eq "$out" "$(printf '%s\n' "field initializer ran" "instance main()")" "$label: ran"
    expect_contains "$traced" "jvm: main class: loaded; main is instance, without parameters" "$label: traced"

    label="$jdk_name static main()"; reset_case
    MAIN=hosting.StaticNoArgs CP="app.jar;app25.jar"
    launch
    expect_eq "$code" 0 "$label: exit code"
    expect_eq "$out" "static main()" "$label: ran"

    # The constructor is the program's code: what it throws is an uncaught exception of
    # the program, reported once, and main does not run.
    label="$jdk_name instance main, constructor throws"; reset_case
    MAIN=hosting.ThrowingConstructor CP="app.jar;app25.jar"
    APP_EXTRA=("Failure Check=yes")
    launch
    expect_eq "$code" 0 "$label: exit code (Ignore)"
    expect_eq "$out" "" "$label: main did not run"
    expect_contains "$err" "at hosting.ThrowingConstructor.<init>" "$label: the stack trace"
    expect_eq "$(grep -c 'thrown by the constructor of hosting.ThrowingConstructor' <<<"$err")" 1 "$label: reported once"
  fi

  label="$jdk_name other family, program exits"; reset_case
  VMP="-Dhosting.mode=thread -Dhosting.threadExits=true"
  launch
  expect_eq "$code" 4 "$label: exit code"
  expect_eq "$out" "$(printf '%s\n' "main returns" "main thread alive false" "worker done")" "$label: main's thread left"
done
echo "ok"

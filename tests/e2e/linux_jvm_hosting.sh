# The Linux launcher hosting the installed JDKs for real: arguments, exit codes,
# exceptions, class paths, an appended JAR, stack sizes, failures before main, when the
# process ends, the main methods of Java 25, and the trace.
source "$(dirname "$0")/lib.sh"
find_jdks

# The test programs, built once into the build folder with the first JDK, for the oldest.
classes=$JL_BUILD/tests/java-hosting
rm -rf "$classes" && mkdir -p "$classes/out"
src=$JL_ROOT/tests/java/hosting
"${jdks[0]}/bin/javac" --release 11 -d "$classes/out" "$src"/*.java "$src"/lib/*.java "$src"/extra/*.java ||
  fail "javac"
# Everything a case folder holds besides the launcher: app.jar, lib/a.jar, lib/b.jar,
# extra/c.jar, and app25.jar when there is a JDK 25.
jar=${jdks[0]}/bin/jar
mkdir -p "$classes/case/lib" "$classes/case/extra"
(cd "$classes/out" && "$jar" --create --file "$classes/case/app.jar" hosting/*.class &&
  "$jar" --create --file "$classes/case/lib/a.jar" hosting/lib/A.class &&
  "$jar" --create --file "$classes/case/lib/b.jar" hosting/lib/B.class &&
  "$jar" --create --file "$classes/case/extra/c.jar" hosting/extra/C.class) || fail "jar"
# The main methods of Java 25, built with the JDK 25 when there is one.
jdk25=
for jdk in "${jdks[@]}"; do
  [[ $("$jdk/bin/java" -version 2>&1) == *'version "25'* ]] && jdk25=$jdk
done
if [ -n "$jdk25" ]; then
  mkdir -p "$classes/out25"
  "$jdk25/bin/javac" --release 25 -cp "$classes/out" -d "$classes/out25" "$src"/java25/*.java || fail "javac 25"
  (cd "$classes/out25" && "$jar" --create --file "$classes/case/app25.jar" hosting/*.class) || fail "jar 25"
else
  echo "skipping the main methods of Java 25: no JDK 25"
fi

# One launch, from another folder: nothing may depend on the current directory. Inputs:
# JDK, MAIN (default hosting.Main), VMP, CP (class path; default app.jar), EMBED=1 (the
# JAR appended to the launcher), LAYER (the text of an embedded settings layer), TRACE=1,
# and the arrays JRE_EXTRA, APP_EXTRA (more settings lines) and ARGS, emptied once used.
# Outputs: code, err (standard error), out (what the program wrote), traced, case_dir.
JRE_EXTRA=() APP_EXTRA=() ARGS=()
launch() {
  case_number=$((case_number + 1))
  case_dir=$JL_WORK/case$case_number
  local dir=$case_dir cp_lines=("[Class Path]" "Class Path=${CP-app.jar}")
  mkdir -p "$JL_WORK/elsewhere" && cp -r "$classes/case" "$dir"
  [ -z "${CP-app.jar}" ] && cp_lines=()
  write_ini "$dir/tool.ini" "[Java Runtime Environment]" "JRE Path=$JDK" "Main Class=${MAIN:-hosting.Main}" \
    "Virtual Machine Parameters=-Dhosting.out=$dir/out.txt ${VMP:-}" "${JRE_EXTRA[@]}" \
    "${cp_lines[@]}" "[Application]" "${APP_EXTRA[@]}"
  local pack=()
  [ "${EMBED:-0}" = 1 ] && pack+=(--jar "$dir/app.jar")
  if [ -n "${LAYER:-}" ]; then
    printf '[Product Information]\r\nUpgrade Code={5E2B-71C4}\r\n' >>"$dir/tool.ini"
    printf '%s' "$LAYER" >"$dir/layer.ini"
    pack+=(--settings "$dir/tool.ini" --embed "$dir/layer.ini")
  fi
  "$JL_BUILD/tools/jlpack/jlpack" --launcher "$JL_LAUNCHER" --output "$dir/tool" "${pack[@]}" >/dev/null ||
    fail "$label: jlpack"
  local trace_file=
  [ "${TRACE:-0}" = 1 ] && trace_file=$dir/trace.txt
  err=$(cd "$JL_WORK/elsewhere" && LANG=C.UTF-8 JLAUNCH_TRACE=$trace_file timeout 60 "$dir/tool" "${ARGS[@]}" 2>&1 >/dev/null)
  code=$?
  [ "$code" != 124 ] || fail "$label: the launcher did not end"
  out=$(cat "$dir/out.txt" 2>/dev/null)
  traced=$(cat "$dir/trace.txt" 2>/dev/null)
  JRE_EXTRA=() APP_EXTRA=() ARGS=()
}
run_case() {  # what, exit code
  label="$jdk_name $1"
  launch
  expect_eq "$code" "$2" "$label: exit code"
}

# The line of the trace after the first one that contains $1 (among the lines of topic
# jvm and launch).
line_after() { grep -E '\] (jvm|launch): ' <<<"$traced" | grep -A1 -F -- "$1" | sed -n 2p; }

for JDK in "${jdks[@]}"; do
  jdk_name=$(basename "$JDK")

  ARGS=(plain "two words" "ü€日本" "😀" "" -nosplash /nosplash) APP_EXTRA=('Cmd=--cmd "x y"')
  run_case arguments 0
  expect_eq "$out" "$(lines "count 9" "0:plain" "1:two words" "2:ü€日本" "3:😀" "4:" "5:-nosplash" \
    "6:/nosplash" "7:--cmd" "8:x y")" "$label: what main received"

  TRACE=1 VMP="-Dhosting.mode=exit" run_case System.exit 3
  expect_contains "$traced" "jvm: VM exit 3" "$label: traced"

  # The trace lists the options handed to the virtual machine and each JNI result.
  ARGS=(one)
  TRACE=1 VMP="-Xmx64m" run_case trace 0
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
  TRACE=1 LAYER=$'[Class Path]\nClass Path=app.jar\n' CP= run_case "trace with an embedded layer" 0
  expect_eq "$out" "count 0" "$label: main ran from the layer's class path"
  expect_contains "$traced" "jvm: options: not shown (embedded settings)" "$label"
  expect_not_contains "$traced" "java.class.path" "$label"
  expect_not_contains "$traced" "jvm: option " "$label"
  expect_contains "$traced" "jvm: main returned" "$label"

  VMP="-Dhosting.mode=throw" run_case "uncaught exception" 0
  expect_contains "$err" 'Exception in thread "main" java.lang.IllegalStateException: thrown by hosting.Main' \
    "$label: reported by the virtual machine"
  APP_EXTRA=("Failure Check=yes")
  VMP="-Dhosting.mode=throw" run_case "uncaught exception with Failure Check (Ignore)" 0
  expect_contains "$err" "java.lang.IllegalStateException: thrown by hosting.Main" "$label: the stack trace"
  expect_contains "$err" "at hosting.Main.main" "$label: the stack trace"
  expect_eq "$(grep -c 'thrown by hosting.Main' <<<"$err")" 1 "$label: reported once"

  ARGS=(hosting.lib.A hosting.lib.B hosting.extra.C)
  VMP="-Dhosting.mode=classes" CP='app.jar;\lib\*.jar;.\extra\c.jar;nothing\*.jar' run_case "class path" 0
  expect_eq "$out" "$(lines "loaded hosting.lib.A" "loaded hosting.lib.B" "loaded hosting.extra.C")" \
    "$label: classes of every entry"

  ARGS=(one) APP_EXTRA=("Embedded Jar=yes")
  EMBED=1 CP= run_case "embedded JAR" 0
  expect_eq "$out" "$(lines "count 1" "0:one")" "$label: main ran from the launcher itself"

  # The stack of the thread that runs main follows -Xss, and without it the virtual
  # machine's default (1 MB on x64). Interpreted, so frames keep one size.
  declare -A depth=()
  for size in 1m 64m default; do
    xss=-Xss$size
    [ $size = default ] && xss=
    VMP="-Dhosting.mode=depth -Xint $xss" run_case "stack $size" 0
    depth[$size]=$(sed -n 's/^depth //p' <<<"$out")
    [ -n "${depth[$size]}" ] || fail "$label: no depth in [$out]"
  done
  [ "${depth[64m]}" -gt $((depth[1m] * 16)) ] ||
    fail "$jdk_name: -Xss64m gives depth ${depth[64m]}, -Xss1m ${depth[1m]}"
  [ "${depth[default]}" -gt $((depth[1m] / 2)) ] && [ "${depth[default]}" -lt $((depth[1m] * 2)) ] ||
    fail "$jdk_name: the default stack gives depth ${depth[default]}, -Xss1m ${depth[1m]}"

  # A missing main class or main: the runtime's helper exits with 1; the trace names the
  # step that failed.
  TRACE=1 MAIN=hosting.Missing run_case "missing main class" 1
  expect_contains "$err" "hosting.Missing" "$label: message"
  expect_not_contains "$err" "Could not find the main class" "$label: the runtime's own text alone"
  expect_eq "$(line_after "jvm: main class: LauncherHelper.checkAndLoadMain")" \
    "$(grep -F "jvm: VM exit 1" <<<"$traced")" "$label: the line after the helper's call"
  expect_contains "$traced" "jvm: VM exit 1" "$label: traced"
  expect_not_contains "$traced" "main class: loaded" "$label: traced"
  MAIN=hosting.NoMain run_case "main class without main" 1
  expect_contains "$err" "hosting.NoMain" "$label: message"

  # The static initializer runs when main is looked up: the failure is described, and
  # the process ends with -1 instead of waiting for the Java thread for ever.
  MAIN=hosting.BadInit run_case "static initializer throws" 255
  expect_contains "$err" "java.lang.ExceptionInInitializerError" "$label: described"
  expect_contains "$err" "static initializer of hosting.BadInit" "$label: the cause"

  # Providers that merely accept every vendor keep no thread in the virtual machine:
  # the process ends when main returns, or when the last non-daemon thread does.
  for provider in any favor_sun; do
    JRE_EXTRA=("VM Provider=$provider")
    run_case "VM Provider $provider" 0
    expect_eq "$out" "count 0" "$label: main ran"
    JRE_EXTRA=("VM Provider=$provider")
    VMP="-Dhosting.mode=thread" run_case "VM Provider $provider, non-daemon thread" 0
    expect_eq "$out" "$(lines "main returns" "main thread alive false" "worker done")" "$label: ended after the worker"
  done

  # A runtime of the IBM family keeps the thread that ran main in the virtual machine;
  # only the program's own exit ends the process. Any other family leaves it.
  ibm=$JL_WORK/ibm-$jdk_name
  mkdir -p "$ibm" && ln -sfn "$JDK/lib" "$ibm/lib"
  { grep -v '^IMPLEMENTOR=' "$JDK/release"; echo 'IMPLEMENTOR="IBM Corporation"'; } >"$ibm/release"
  JRE_EXTRA=("VM Provider=ibm")
  JDK=$ibm VMP="-Dhosting.mode=thread -Dhosting.threadExits=true" run_case "IBM family" 4
  expect_eq "$out" "$(lines "main returns" "main thread alive true" "worker done")" "$label: main's thread stayed"
  VMP="-Dhosting.mode=thread -Dhosting.threadExits=true" run_case "other family, program exits" 4
  expect_eq "$out" "$(lines "main returns" "main thread alive false" "worker done")" "$label: main's thread left"

  [ "$JDK" = "$jdk25" ] || continue
  # The main methods Java 25 accepts: the launcher calls what the runtime's helper found.
  ARGS=(one two)
  MAIN=hosting.InstanceMain CP="app.jar;app25.jar" run_case "instance main(String[])" 0
  expect_eq "$out" "$(lines "constructor ran" "instance main(String[]) count 2 first one")" "$label: ran"
  ARGS=(one)
  TRACE=1 MAIN=hosting.InstanceNoArgs CP="app.jar;app25.jar" run_case "instance main()" 0
  expect_eq "$out" "$(lines "field initializer ran" "instance main()")" "$label: ran"
  expect_contains "$traced" "jvm: main class: loaded; main is instance, without parameters" "$label: traced"
  MAIN=hosting.StaticNoArgs CP="app.jar;app25.jar" run_case "static main()" 0
  expect_eq "$out" "static main()" "$label: ran"
  # The constructor is the program's code: what it throws is an uncaught exception of
  # the program, reported once, and main does not run.
  APP_EXTRA=("Failure Check=yes")
  MAIN=hosting.ThrowingConstructor CP="app.jar;app25.jar" run_case "instance main, constructor throws (Ignore)" 0
  expect_eq "$out" "" "$label: main did not run"
  expect_contains "$err" "at hosting.ThrowingConstructor.<init>" "$label: the stack trace"
  expect_eq "$(grep -c 'thrown by the constructor of hosting.ThrowingConstructor' <<<"$err")" 1 "$label: reported once"
done
echo "ok"

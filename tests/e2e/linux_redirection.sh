# The Linux launcher with the installed JDKs: System.out and System.err sent to files
# (date-time names, append on and off, missing folders, one file for both streams, files
# that cannot be opened), the stack trace of an uncaught exception, and what the
# options put into the virtual machine (percentage memory, quoted parameters, the
# library path, PATH, the class path without the current directory).
source "$(dirname "$0")/lib.sh"

jdks=()
for jdk in /usr/lib/jvm/java-17-openjdk-amd64 /usr/lib/jvm/temurin-25-jdk-amd64; do
  if [ -e "$jdk/lib/server/libjvm.so" ]; then jdks+=("$jdk"); else echo "skipping $jdk: not installed"; fi
done
[ ${#jdks[@]} -gt 0 ] || { echo "no JDK to host"; exit 77; }

classes=$JL_BUILD/tests/java-redirection
rm -rf "$classes" && mkdir -p "$classes"
"${jdks[0]}/bin/javac" --release 11 -d "$classes" "$JL_ROOT"/tests/java/redirection/*.java || fail "javac"

# One launch of Probe. Inputs: JDK, ARGS (Probe's arguments), APP (lines of
# [Application]), JRE (more lines of [Java Runtime Environment]), CP (the class path
# value, default the classes folder), EXTRA (lines after everything else), FROM (the
# folder to start in, default the tool's own), LANG_RUN, SETUP (a function run once the
# tool's folder exists). Outputs: dir, code, out, err.
case_number=0
launch() {
  case_number=$((case_number + 1))
  dir=$JL_WORK/case$case_number
  mkdir -p "$dir"
  cp "$JL_LAUNCHER" "$dir/tool"
  [ -z "${SETUP:-}" ] || "$SETUP"
  write_ini "$dir/tool.ini" "[Java Runtime Environment]" "JRE Path=$JDK" "Main Class=Probe" "${JRE[@]}" \
    "[Class Path]" "Class Path=${CP-$classes}" "[Application]" "${APP[@]}" "${EXTRA[@]}"
  local errfile=$JL_WORK/stderr$case_number
  out=$(cd "${FROM:-$dir}" && LANG=${LANG_RUN:-C.UTF-8} LC_ALL= timeout 60 "$dir/tool" "${ARGS[@]}" 2>"$errfile")
  code=$?
  err=$(cat "$errfile")
  [ "$code" != 124 ] || fail "$label: the launcher did not end"
}
reset_case() { ARGS=() APP=() JRE=() EXTRA=() FROM= LANG_RUN= SETUP=; unset CP; }

for JDK in "${jdks[@]}"; do
  jdk_name=$(basename "$JDK")

  label="$jdk_name output and error with the date in their names"; reset_case
  ARGS=(print hello)
  APP=("Output File=$JL_WORK/logs/out_%yyyyMMdd%.log" "Error File=$JL_WORK/logs/err_%yyyyMMdd%.log")
  before=$(date +%Y%m%d); launch; after=$(date +%Y%m%d)
  expect_eq "$code" 0 "$label: exit code"
  expect_eq "$out" "" "$label: nothing on standard output"
  expect_eq "$err" "" "$label: nothing on standard error"
  out_file=$JL_WORK/logs/out_$after.log; [ -f "$out_file" ] || out_file=$JL_WORK/logs/out_$before.log
  err_file=$JL_WORK/logs/err_$after.log; [ -f "$err_file" ] || err_file=$JL_WORK/logs/err_$before.log
  expect_eq "$(cat "$out_file" 2>/dev/null)" "to out: hello" "$label: output file"
  expect_eq "$(cat "$err_file" 2>/dev/null)" "to err: hello" "$label: error file"

  # One file named twice, appending off: opened once, every line kept in order.
  label="$jdk_name both streams into one file"; reset_case
  ARGS=(interleave 50)
  APP=("Output File=$JL_WORK/both/all.log" "Error File=$JL_WORK/both/../both/all.log")
  launch
  expect_eq "$code" 0 "$label: exit code"
  expected=$(for i in $(seq 1 50); do printf 'out %d\nerr %d\n' "$i" "$i"; done)
  expect_eq "$(cat "$JL_WORK/both/all.log")" "$expected" "$label: every line of both streams"

  label="$jdk_name both streams into one file, appending"; reset_case
  ARGS=(interleave 2)
  APP=("Output File=$JL_WORK/both/all.log" "Output Append=yes" "Error File=$JL_WORK/both/all.log" "Error Append=yes")
  launch
  expected=$(printf '%s\n' "$expected" "out 1" "err 1" "out 2" "err 2")
  expect_eq "$(cat "$JL_WORK/both/all.log")" "$expected" "$label: appended to what was there"

  # The stack trace of an uncaught exception, with "Failure Check": on standard error
  # with every character, whatever the locale's encoding, and the launch goes on.
  label="$jdk_name uncaught exception"; reset_case
  ARGS=(throw "Grüße, 例外 😀")
  APP=("Failure Check=yes")
  LANG_RUN=C
  launch
  expect_eq "$code" 0 "$label: exit code (Ignore)"
  expect_eq "$out" "before the exception" "$label: main ran"
  expect_contains "$err" "java.lang.IllegalStateException: Grüße, 例外 😀" "$label: message intact"
  expect_contains "$err" "at Probe.main(Probe.java" "$label: stack trace"

  # The same exception goes to the error file when the stream is redirected and no
  # check is asked for: the virtual machine reports it there itself.
  label="$jdk_name uncaught exception into the error file"; reset_case
  ARGS=(throw "into the file")
  APP=("Error File=$JL_WORK/exception.log")
  launch
  expect_eq "$code" 0 "$label: exit code"
  expect_contains "$(cat "$JL_WORK/exception.log")" "java.lang.IllegalStateException: into the file" "$label: file"
done

JDK=${jdks[0]} jdk_name=$(basename "${jdks[0]}")

# Without "Output Append=yes" every start truncates; with it lines accumulate. The
# value is compared case-sensitively: "Yes" does not append.
for append in no Yes yes; do
  label="$jdk_name Output Append=$append"; reset_case
  rm -f "$JL_WORK/append.log"
  for run in 1 2; do
    ARGS=(print "run $run")
    APP=("Output File=$JL_WORK/append.log" "Output Append=$append")
    launch
    expect_eq "$code" 0 "$label: exit code"
  done
  expected="to out: run 2"
  [ "$append" = yes ] && expected=$(printf '%s\n' "to out: run 1" "to out: run 2")
  expect_eq "$(cat "$JL_WORK/append.log")" "$expected" "$label: file after two starts"
done

# Folders that do not exist yet are created; a single "%" is dropped.
label="$jdk_name missing folders and a single percent sign"; reset_case
ARGS=(print deep)
APP=("Error File=$JL_WORK/a/b/c/err%.log")
launch
expect_eq "$code" 0 "$label: exit code"
expect_eq "$out" "to out: deep" "$label: output not redirected"
expect_eq "$(cat "$JL_WORK/a/b/c/err.log" 2>/dev/null)" "to err: deep" "$label: error file"

# A folder that cannot be created: the stream stays where it was, the reason is
# described on the error stream, and the program runs on.
label="$jdk_name output file that cannot be opened"; reset_case
touch "$JL_WORK/plainfile"
ARGS=(print anyway)
APP=("Output File=$JL_WORK/plainfile/sub/out.log")
launch
expect_eq "$code" 0 "$label: exit code"
expect_eq "$out" "to out: anyway" "$label: output where it was"
expect_contains "$err" "java.io.FileNotFoundException" "$label: described"
expect_contains "$err" "to err: anyway" "$label: the program ran"

# A picture of 300 characters (folders of 49, each within the file system's limit
# for a name), with quoted text in it.
label="$jdk_name long picture"; reset_case
long=$(for _ in 1 2 3 4 5 6; do printf 'x%.0s' $(seq 1 49); printf /; done)
ARGS=(print long)
APP=("Output File=$JL_WORK/long/%$long'run'%.log")
launch
expect_eq "$code" 0 "$label: exit code"
expect_eq "$(cat "$JL_WORK/long/${long}run.log" 2>/dev/null)" "to out: long" "$label: output file"


# A percentage of physical memory becomes the heap limit (rounded up by the virtual
# machine to its heap alignment).
label="percentage memory option"; reset_case
ARGS=(maxmemory)
JRE=("Virtual Machine Parameters=-Xmx10:64p")
launch
expect_eq "$code" 0 "$label: exit code"
total_kb=$(sed -n 's/^MemTotal: *\([0-9]*\) kB$/\1/p' /proc/meminfo)
max=$(sed -n 's/^maxMemory=//p' <<<"$out")
expected=$((total_kb / 10 * 1024))
[ -n "$max" ] && [ "$max" -gt $((expected * 9 / 10)) ] && [ "$max" -le $((expected + 67108864)) ] ||
  fail "$label: maxMemory [$max], expected about $expected"

label="quoted parameters"; reset_case
ARGS=(property app.title app.quote)
JRE=('Virtual Machine Parameters=-Dapp.title="My App"  -Dapp.quote="x""')
launch
expect_eq "$code" 0 "$label: exit code"
expect_eq "$out" "$(printf '%s\n' "app.title=My App" 'app.quote=x"')" "$label: properties"

# Parameters given only through the "+" section extend an empty value after a space.
label="parameters only through the + section"; reset_case
ARGS=(property app.extra)
EXTRA=("[Java Runtime Environment+]" "Virtual Machine Parameters=-Dapp.extra=alone")
launch
expect_eq "$code" 0 "$label: exit code (no empty option)"
expect_eq "$out" "app.extra=alone" "$label: property"

# Library Path without a final separator, the executable's folder, ".", PATH and the
# runtime's library folder; PATH gets "System Path" in front and the runtime's bin
# folder behind; the runtime is published.
label="library path, PATH and the runtime's variables"; reset_case
ARGS=(property java.library.path)
JRE=('Library Path=/opt/native;/opt/more' 'System Path=/opt/tools')
launch
expect_eq "$code" 0 "$label: exit code"
expect_eq "$out" "java.library.path=/opt/native:/opt/more:$dir/:.:$PATH:$JDK/lib" "$label: library path"
ARGS=(env PATH KV_JVM_HOME)
launch
expect_eq "$out" "$(printf '%s\n' "PATH=/opt/tools:$PATH:$JDK/bin" "KV_JVM_HOME=$JDK")" "$label: environment"

# Relative entries are found beside the executable however they are written, and the
# current directory is never on the class path: a class planted there is not loaded.
label="relative class path and a planted class"; reset_case
mkdir -p "$JL_WORK/document"
cp "$classes/Planted.class" "$JL_WORK/document/"
(cd "$classes" && "$JDK/bin/jar" --create --file "$JL_WORK/probe.jar" Probe.class) || fail "jar"
put_jar() { mkdir -p "$dir/lib" && cp "$JL_WORK/probe.jar" "$dir/lib/"; }
for entry in 'lib\probe.jar' '\lib\probe.jar' '.\lib\probe.jar' 'lib\*.jar'; do
  ARGS=(load Planted)
  CP="$entry;"
  FROM=$JL_WORK/document
  SETUP=put_jar
  launch
  expect_eq "$code" 0 "$label: exit code with $entry"
  expect_eq "$out" "not found Planted" "$label: $entry found, the current directory not searched"
done
echo "ok"

# The Linux launcher with the installed JDKs: System.out and System.err sent to files,
# uncaught exceptions, and what the options put into the virtual machine.
source "$(dirname "$0")/lib.sh"

find_jdks

classes=$JL_BUILD/tests/java-redirection
rm -rf "$classes" && mkdir -p "$classes"
"${jdks[0]}/bin/javac" --release 11 -d "$classes" "$JL_ROOT"/tests/java/redirection/*.java || fail "javac"

# One launch of Probe. Inputs: JDK, CP (the class path value, default the classes
# folder), FROM (the folder to start in, default the tool's own), LANG_RUN, SETUP (a
# function run once the tool's folder exists), and the arrays ARGS (Probe's arguments),
# APP (lines of [Application]), JRE (more lines of [Java Runtime Environment]) and EXTRA
# (lines after everything else), emptied once used. Outputs: dir, code, out, err.
ARGS=() APP=() JRE=() EXTRA=()
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
  ARGS=() APP=() JRE=() EXTRA=()
}
run_case() {  # what, exit code
  label=$1
  launch
  expect_eq "$code" "$2" "$label: exit code"
}

for JDK in "${jdks[@]}"; do
  jdk_name=$(basename "$JDK")

  ARGS=(print hello)
  APP=("Output File=$JL_WORK/logs/out_%yyyyMMdd%.log" "Error File=$JL_WORK/logs/err_%yyyyMMdd%.log")
  before=$(date +%Y%m%d); run_case "$jdk_name output and error with the date in their names" 0; after=$(date +%Y%m%d)
  expect_eq "$out" "" "$label: nothing on standard output"
  expect_eq "$err" "" "$label: nothing on standard error"
  for stream in out err; do
    file=$JL_WORK/logs/${stream}_$after.log
    [ -f "$file" ] || file=$JL_WORK/logs/${stream}_$before.log
    expect_eq "$(cat "$file" 2>/dev/null)" "to $stream: hello" "$label: $stream file"
  done

  # One file named twice, appending off: opened once, every line kept in order.
  ARGS=(interleave 50) APP=("Output File=$JL_WORK/both/all.log" "Error File=$JL_WORK/both/../both/all.log")
  run_case "$jdk_name both streams into one file" 0
  expected=$(for i in $(seq 1 50); do printf 'out %d\nerr %d\n' "$i" "$i"; done)
  expect_eq "$(cat "$JL_WORK/both/all.log")" "$expected" "$label: every line of both streams"
  ARGS=(interleave 2)
  APP=("Output File=$JL_WORK/both/all.log" "Output Append=yes" "Error File=$JL_WORK/both/all.log" "Error Append=yes")
  run_case "$jdk_name both streams into one file, appending" 0
  expect_eq "$(cat "$JL_WORK/both/all.log")" "$(lines "$expected" "out 1" "err 1" "out 2" "err 2")" \
    "$label: appended to what was there"

  # The stack trace of an uncaught exception, with "Failure Check": on standard error
  # with every character, whatever the locale's encoding, and the launch goes on.
  ARGS=(throw "Grüße, 例外 😀") APP=("Failure Check=yes")
  LANG_RUN=C run_case "$jdk_name uncaught exception (Ignore)" 0
  expect_eq "$out" "before the exception" "$label: main ran"
  expect_contains "$err" "java.lang.IllegalStateException: Grüße, 例外 😀" "$label: message intact"
  expect_contains "$err" "at Probe.main(Probe.java" "$label: stack trace"

  # Redirected, and no check asked for: the virtual machine reports it in the file itself.
  ARGS=(throw "into the file") APP=("Error File=$JL_WORK/exception.log")
  run_case "$jdk_name uncaught exception into the error file" 0
  expect_contains "$(cat "$JL_WORK/exception.log")" "java.lang.IllegalStateException: into the file" "$label: file"
done

JDK=${jdks[0]}

# A relative name is opened in the current folder: its missing folders are made there.
ARGS=(print hello) APP=("Output File=new/day/out.log")
FROM=$JL_WORK run_case "relative output file" 0
expect_eq "$(cat "$JL_WORK/new/day/out.log" 2>/dev/null)" "to out: hello" "$label: file"

# Without "Output Append=yes" every start truncates; with it lines accumulate. The
# value is compared case-sensitively: "Yes" does not append.
for append in no Yes yes; do
  rm -f "$JL_WORK/append.log"
  for run in 1 2; do
    ARGS=(print "run $run") APP=("Output File=$JL_WORK/append.log" "Output Append=$append")
    run_case "Output Append=$append" 0
  done
  expected="to out: run 2"
  [ "$append" = yes ] && expected=$(lines "to out: run 1" "to out: run 2")
  expect_eq "$(cat "$JL_WORK/append.log")" "$expected" "$label: file after two starts"
done

# Folders that do not exist yet are created; a single "%" is dropped.
ARGS=(print deep) APP=("Error File=$JL_WORK/a/b/c/err%.log")
run_case "missing folders and a single percent sign" 0
expect_eq "$out" "to out: deep" "$label: output not redirected"
expect_eq "$(cat "$JL_WORK/a/b/c/err.log" 2>/dev/null)" "to err: deep" "$label: error file"

# A folder that cannot be created: the stream stays where it was, the reason is
# described on the error stream, and the program runs on.
touch "$JL_WORK/plainfile"
ARGS=(print anyway) APP=("Output File=$JL_WORK/plainfile/sub/out.log")
run_case "output file that cannot be opened" 0
expect_eq "$out" "to out: anyway" "$label: output where it was"
expect_contains "$err" "java.io.FileNotFoundException" "$label: described"
expect_contains "$err" "to err: anyway" "$label: the program ran"

# A picture of 300 characters (folders of 49, each within the file system's limit
# for a name), with quoted text in it.
long=$(for _ in 1 2 3 4 5 6; do printf 'x%.0s' $(seq 1 49); printf /; done)
ARGS=(print long) APP=("Output File=$JL_WORK/long/%$long'run'%.log")
run_case "long picture" 0
expect_eq "$(cat "$JL_WORK/long/${long}run.log" 2>/dev/null)" "to out: long" "$label: output file"

# A percentage of physical memory becomes the heap limit (rounded up by the virtual
# machine to its heap alignment).
ARGS=(maxmemory) JRE=("Virtual Machine Parameters=-Xmx10:64p")
run_case "percentage memory option" 0
total_kb=$(sed -n 's/^MemTotal: *\([0-9]*\) kB$/\1/p' /proc/meminfo)
max=$(sed -n 's/^maxMemory=//p' <<<"$out")
expected=$((total_kb / 10 * 1024))
[ -n "$max" ] && [ "$max" -gt $((expected * 9 / 10)) ] && [ "$max" -le $((expected + 67108864)) ] ||
  fail "$label: maxMemory [$max], expected about $expected"

ARGS=(property app.title app.quote) JRE=('Virtual Machine Parameters=-Dapp.title="My App"  -Dapp.quote="x""')
run_case "quoted parameters" 0
expect_eq "$out" "$(lines "app.title=My App" 'app.quote=x"')" "$label: properties"

# Parameters given only through the "+" section extend an empty value after a space.
ARGS=(property app.extra) EXTRA=("[Java Runtime Environment+]" "Virtual Machine Parameters=-Dapp.extra=alone")
run_case "parameters only through the + section (no empty option)" 0
expect_eq "$out" "app.extra=alone" "$label: property"

# Library Path without a final separator, the executable's folder, ".", PATH and the
# runtime's library folder; PATH gets "System Path" in front and the runtime's bin
# folder behind; the runtime is published.
paths=('Library Path=/opt/native;/opt/more' 'System Path=/opt/tools')
ARGS=(property java.library.path) JRE=("${paths[@]}")
run_case "library path" 0
expect_eq "$out" "java.library.path=/opt/native:/opt/more:$dir/:.:$PATH:$JDK/lib" "$label"
ARGS=(env PATH KV_JVM_HOME) JRE=("${paths[@]}")
run_case "PATH and the runtime's variables" 0
expect_eq "$out" "$(lines "PATH=/opt/tools:$PATH:$JDK/bin" "KV_JVM_HOME=$JDK")" "$label"

# Relative entries are found beside the executable however they are written, and the
# current directory is never on the class path: a class planted there is not loaded.
mkdir -p "$JL_WORK/document"
cp "$classes/Planted.class" "$JL_WORK/document/"
(cd "$classes" && "$JDK/bin/jar" --create --file "$JL_WORK/probe.jar" Probe.class) || fail "jar"
put_jar() { mkdir -p "$dir/lib" && cp "$JL_WORK/probe.jar" "$dir/lib/"; }
for entry in 'lib\probe.jar' '\lib\probe.jar' '.\lib\probe.jar' 'lib\*.jar'; do
  ARGS=(load Planted)
  CP="$entry;" FROM=$JL_WORK/document SETUP=put_jar run_case "relative class path $entry" 0
  expect_eq "$out" "not found Planted" "$label: found, the current directory not searched"
done
echo "ok"

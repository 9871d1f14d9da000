# A product that pairs jlaunch.exe with jlaunch64.exe, the same settings beside both and
# "Pair Product" naming the 64-bit twin, on a machine whose only runtime is 64-bit (the
# test JVM, registered under a newer runtime's key in the 64-bit view or per user): the
# 32-bit launcher hands the launch over, the twin hosts the runtime, main gets the
# arguments and its exit code comes back. A 32-bit runtime stays with the 32-bit
# launcher. Both launchers append to one trace.
#
# This needs a machine where Wine runs 32-bit programs; elsewhere it is skipped.
source "$(dirname "$0")/lib.sh"
source "$JL_ROOT/scripts/wine-env.sh"

[ "${JL_WINE32:-0}" = 1 ] ||
  { echo "skipped: this machine cannot run 32-bit programs under Wine, and the pairing starts with jlaunch.exe"; exit 77; }
launcher32=${JL_LAUNCHER32:-$JL_ROOT/build/win32/jlaunch.exe}
launcher64=$JL_LAUNCHER
[ "$(basename "$launcher64")" = jlaunch64.exe ] || { echo "skipped: run from the win64 build"; exit 77; }
[ -f "$launcher32" ] || { echo "skipped: jlaunch.exe was not built ($launcher32)"; exit 77; }
testjvm64=$JL_BUILD/tests/testjvm/jvm.dll
testjvm32=${JL_TESTJVM32:-$(dirname "$launcher32")/tests/testjvm/jvm.dll}
[ -f "$testjvm64" ] || { echo "skipped: the 64-bit test JVM was not built ($testjvm64)"; exit 77; }

winpath() { printf 'Z:%s' "${1//\//\\}"; }

added=()
reg_value() {  # view (32|64), key, value name, data, key to remove afterwards
  $JL_WINE reg add "$2" /v "$3" /d "$4" /f "/reg:$1" </dev/null >/dev/null 2>&1 || fail "reg add $2"
  added+=("$1|$5")
}
cleanup() {
  for entry in "${added[@]}"; do
    $JL_WINE reg delete "${entry#*|}" /f "/reg:${entry%%|*}" </dev/null >/dev/null 2>&1
  done
  rm -rf "$JL_WORK"
}
trap cleanup EXIT

# The product: both launchers and one settings text beside each.
product=$JL_WORK/product
mkdir -p "$product"
cp "$launcher32" "$product/tool.exe"
cp "$launcher64" "$product/tool64.exe"
for ini in tool.ini tool64.ini; do
  write_ini "$product/$ini" "[Java Runtime Environment]" "Main Class=app.Exits" "Minimum Version=17" \
    "[Class Path]" "Class Path=C:\\app\\app.jar" \
    "[Application]" "Pair Product=tool64.exe" "Pair Return Code=yes"
done

# A runtime folder holding the test JVM as its server JVM.
runtime_with() {  # folder, test JVM
  mkdir -p "$1/bin/server"
  cp "$2" "$1/bin/server/jvm.dll"
}
trace=$JL_WORK/trace.log
traced() { grep -qF -- "$1" "$trace" || fail "$2: [$1] not in the trace: $(cat "$trace" 2>/dev/null)"; }

run_product() {  # arguments...; sets EXIT_CODE
  rm -f "$trace"
  ( cd "$product" && exec env JLAUNCH_TRACE="$(winpath "$trace")" TESTJVM_EXIT_CODE=42 \
      $JL_WINE "$product/tool.exe" "$@" ) >"$JL_WORK/wine.out" 2>&1 &
  LAUNCH_PID=$!
  for _ in $(seq 1 300); do
    kill -0 "$LAUNCH_PID" 2>/dev/null || { wait_exit; return; }
    sleep 0.1
  done
  kill "$LAUNCH_PID" 2>/dev/null
  fail "the launch did not end: $(cat "$trace" 2>/dev/null)"
}

# Only a 64-bit runtime, machine-wide in the 64-bit view.
rt64=$JL_WORK/temurin-21
runtime_with "$rt64" "$testjvm64"
printf 'JAVA_VERSION="21.0.4"\n' >"$rt64/release"
reg_value 64 'HKLM\Software\Eclipse Adoptium\JDK\21.0.4.7\hotspot\MSI' Path "$(winpath "$rt64")" \
  'HKLM\Software\Eclipse Adoptium'
run_product first "second argument"
expect_eq "$EXIT_CODE" 42 "exit code of main, handed back by the 32-bit launcher"
traced "tool.exe[" "lines of the 32-bit launcher"
traced "runtime: paired launcher: the launch goes to $(winpath "$product/tool64.exe")" "hand-over"
traced "tool64.exe[" "lines of the 64-bit twin"
traced "runtime: started as the paired launcher of $(winpath "$product/tool.exe")" "twin started as paired launcher"
traced "runtime: chosen library: $(winpath "$rt64/bin/server/jvm.dll")" "library of the twin"
log=$rt64/bin/server/testjvm.log
grep -qxF "main app/Exits args=2" "$log" || fail "main did not get the two arguments: $(cat "$log" 2>/dev/null)"
[ "$(grep -c '^CreateJavaVM' "$log")" = 1 ] || fail "the virtual machine was not created exactly once"

# The same runtime installed per user instead: the 32-bit launcher sees the per-user key
# in its own view, and still hands the 64-bit runtime over.
$JL_WINE reg delete 'HKLM\Software\Eclipse Adoptium' /f /reg:64 </dev/null >/dev/null 2>&1
reg_value 64 'HKCU\Software\Azul Systems\Zulu\zulu-21' InstallationPath "$(winpath "$rt64")" \
  'HKCU\Software\Azul Systems'
rm -f "$log"
run_product
expect_eq "$EXIT_CODE" 42 "exit code, per-user runtime"
traced "runtime: paired launcher: the launch goes to $(winpath "$product/tool64.exe")" "hand-over, per-user runtime"

# A 32-bit runtime in the 32-bit view is hosted by the 32-bit launcher itself.
if [ -f "$testjvm32" ]; then
  $JL_WINE reg delete 'HKCU\Software\Azul Systems' /f /reg:64 </dev/null >/dev/null 2>&1
  rt32=$JL_WORK/jre-17-x86
  runtime_with "$rt32" "$testjvm32"
  reg_value 32 'HKLM\Software\JavaSoft\JDK\17.0.12' JavaHome "$(winpath "$rt32")" 'HKLM\Software\JavaSoft\JDK'
  run_product
  expect_eq "$EXIT_CODE" 42 "exit code, 32-bit runtime"
  traced "runtime: chosen library: $(winpath "$rt32/bin/server/jvm.dll")" "32-bit runtime"
  ! grep -qF "tool64.exe[" "$trace" || fail "the twin was started for a 32-bit runtime"
fi
echo "ok"

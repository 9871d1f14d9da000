# jlaunch.exe paired with jlaunch64.exe, one settings text beside both, on a machine whose
# only runtime is 64-bit: the 32-bit launcher hands over, the twin hosts the test JVM, the
# exit code comes back; a 32-bit runtime stays. Runs with the win32 build (under
# scripts/wine32.sh), the twin and its test JVM taken from the win64 build.
source "$(dirname "$0")/lib.sh"
source "$JL_ROOT/scripts/wine-env.sh"

[ "$(basename "$JL_LAUNCHER")" = jlaunch.exe ] || skip "the pairing starts with jlaunch.exe: run from the win32 build"
[ "${JL_WINE32:-0}" = 1 ] || skip "this machine cannot run 32-bit programs under Wine"
build64=${JL_BUILD64:-$JL_ROOT/build/win64}
testjvm64=$build64/tests/testjvm/jvm.dll testjvm32=$JL_BUILD/tests/testjvm/jvm.dll
[ -f "$build64/jlaunch64.exe" ] && [ -f "$testjvm64" ] || skip "jlaunch64.exe or its test JVM was not built ($build64)"

# The product: both launchers and one settings text beside each.
product=$JL_WORK/product
mkdir -p "$product" && cp "$JL_LAUNCHER" "$product/tool.exe" && cp "$build64/jlaunch64.exe" "$product/tool64.exe"
for ini in tool.ini tool64.ini; do
  write_ini "$product/$ini" "[Java Runtime Environment]" "Main Class=app.Exits" "Minimum Version=17" \
    "[Class Path]" "Class Path=C:\\app\\app.jar" \
    "[Application]" "Pair Product=tool64.exe" "Pair Return Code=yes"
done

# A runtime folder holding the test JVM as its server JVM.
runtime_with() { mkdir -p "$1/bin/server" && cp "$2" "$1/bin/server/jvm.dll"; }  # folder, test JVM
trace=$JL_WORK/trace.log
run_product() {  # arguments...; sets EXIT_CODE
  rm -f "$trace"
  JLAUNCH_TRACE=$(winpath "$trace") TESTJVM_EXIT_CODE=42 start_wine "$product/tool.exe" "$@"
  ends_by_itself "the launch"
}

# Only a 64-bit runtime, machine-wide in the 64-bit view.
rt64=$JL_WORK/temurin-21
runtime_with "$rt64" "$testjvm64"
printf 'JAVA_VERSION="21.0.4"\n' >"$rt64/release"
reg_value 64 'HKLM\Software\Eclipse Adoptium\JDK\21.0.4.7\hotspot\MSI' Path "$rt64" 'HKLM\Software\Eclipse Adoptium'
run_product first "second argument"
expect_eq "$EXIT_CODE" 42 "exit code of main, handed back by the 32-bit launcher"
traced "tool.exe[" "lines of the 32-bit launcher"
traced "runtime: paired launcher: the launch goes to $(winpath "$product/tool64.exe")" "hand-over"
traced "tool64.exe[" "lines of the 64-bit twin"
traced "runtime: started as the paired launcher of $(winpath "$product/tool.exe")" "twin started as paired launcher"
traced "runtime: chosen library: $(winpath "$rt64/bin/server/jvm.dll")" "library of the twin"
log=$rt64/bin/server/testjvm.log
expect_logged "main app/Exits args=2" "main gets the two arguments"
[ "$(grep -c '^CreateJavaVM version=' "$log")" = 1 ] || fail "the virtual machine was not created exactly once"

# A 32-bit runtime in the 32-bit view is hosted by the 32-bit launcher itself.
if [ -f "$testjvm32" ]; then
  $JL_WINE reg delete 'HKLM\Software\Eclipse Adoptium' /f /reg:64 </dev/null >/dev/null 2>&1
  rt32=$JL_WORK/jre-17-x86
  runtime_with "$rt32" "$testjvm32"
  reg_value 32 'HKLM\Software\JavaSoft\JDK\17.0.12' JavaHome "$rt32" 'HKLM\Software\JavaSoft\JDK'
  run_product
  expect_eq "$EXIT_CODE" 42 "exit code, 32-bit runtime"
  traced "runtime: chosen library: $(winpath "$rt32/bin/server/jvm.dll")" "32-bit runtime"
  ! grep -qF "tool64.exe[" "$trace" || fail "the twin started for a 32-bit runtime"
fi
echo "ok"

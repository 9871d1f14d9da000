# The test JVM libraries export what a runtime's JVM library exports, under the plain
# names, and (on x86) with the calling conventions the published JNI interface gives.
#   check-exports.sh OBJDUMP NM PROCESSOR FOLDER
set -uo pipefail
objdump=$1 nm=$2 processor=$3 folder=$4
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

exports_of() {  # the names in the export table of a DLL
  "$objdump" -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\s*\[ *[0-9]*\] //p' | sort
}

expect_exports() {  # dll, expected names...
  local dll=$folder/$1; shift
  [ -f "$dll" ] || { fail "$dll is missing"; return; }
  local got want
  got=$(exports_of "$dll" | tr '\n' ' ')
  want=$(printf '%s\n' "$@" | sort | tr '\n' ' ')
  [ "$got" == "$want" ] || fail "$(basename "$dll") exports [$got], expected [$want]"
}

expect_exports jvm.dll JNI_GetCreatedJavaVMs JNI_CreateJavaVM JNI_GetDefaultJavaVMInitArgs JVM_FindClassFromBootLoader
expect_exports jvm_nohelper.dll JNI_GetCreatedJavaVMs JNI_CreateJavaVM JNI_GetDefaultJavaVMInitArgs
expect_exports jvm_nocreate.dll JNI_GetCreatedJavaVMs JNI_GetDefaultJavaVMInitArgs JVM_FindClassFromBootLoader
expect_exports jvm_nodefaults.dll JNI_GetCreatedJavaVMs JNI_CreateJavaVM JVM_FindClassFromBootLoader
expect_exports jvm_marker.dll JNI_GetCreatedJavaVMs JNI_CreateJavaVM JNI_GetDefaultJavaVMInitArgs JVM_FindClassFromBootLoader testjvmUsesMarker

# No DLL of the compiler's runtime may be needed beside the test JVM.
imports=$("$objdump" -p "$folder/jvm.dll" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
for dll in $imports; do
  case "${dll,,}" in
    kernel32.dll|msvcrt.dll|user32.dll|api-ms-win-*) ;;
    *) fail "jvm.dll imports $dll" ;;
  esac
done

if [ "$processor" == "i686" ]; then
  # stdcall: the symbol carries the size of its arguments; the variadic entries cannot
  # and must not.
  symbols=$("$nm" "$folder/jvm.dll")
  for expected in JNI_CreateJavaVM@12 JNI_GetDefaultJavaVMInitArgs@4 JVM_FindClassFromBootLoader@8 \
                  'tj_FindClass.*@8' 'tj_GetStaticMethodID.*@16' 'tj_SetCharArrayRegion.*@20' \
                  'tj_CallStaticVoidMethodV.*@16' 'tj_DetachCurrentThread.*@4' 'tj_ExceptionCheck.*@4'; do
    grep -q -- "$expected" <<<"$symbols" || fail "no stdcall symbol $expected in jvm.dll"
  done
  for variadic in tj_CallStaticVoidMethod tj_CallStaticObjectMethod tj_NewObject tj_CallVoidMethod; do
    grep -E -- "${variadic}E" <<<"$symbols" | grep -q '@' && fail "$variadic is not cdecl"
  done
fi

[ "$failures" -eq 0 ] && echo "ok"
exit $((failures > 0))

# A runtime this process cannot load (the test JVM of the other build) goes to "Pair
# Product", found beside the launcher and started with the same command line; its exit
# code is passed on with "Pair Return Code". (One that cannot start: win_runtime_search.)
source "$(dirname "$0")/lib.sh"
source "$JL_ROOT/scripts/wine-env.sh"
: "${JL_UIPROBE:?}"

case "$(basename "$JL_LAUNCHER")" in
  jlaunch64.exe) foreign_build=win32 ;;
  *) foreign_build=win64 ;;
esac
foreign_jvm=$JL_ROOT/build/$foreign_build/tests/testjvm/jvm.dll
[ -f "$foreign_jvm" ] || skip "no test JVM of the other machine at $foreign_jvm"

app=$JL_WORK/App
mkdir -p "$app/jre/bin/client" "$JL_WORK/elsewhere"
cp "$JL_LAUNCHER" "$app/tool.exe"
cp "$foreign_jvm" "$app/jre/bin/client/jvm.dll"
# The paired program: the UI probe, which ends with 1 when its arguments are not its own.
cp "$JL_UIPROBE" "$app/pair.exe"

settings() {
  write_ini "$app/tool.ini" "[Java Runtime Environment]" "Main Class=app.Main" "JRE Path=jre" \
    "[Application]" "Pair Product=$1" "$2"
}

run_from() { RUN_FROM=$1 start_wine "$app/tool.exe" a "b c"; ends_by_itself "started from $1"; }

settings pair.exe "Pair Return Code=yes"
run_from "$JL_WORK/elsewhere"
expect_eq "$EXIT_CODE" 1 "paired launcher's exit code, started from another folder"

settings pair.exe "Pair Return Code=no"
run_from "$app"
expect_eq "$EXIT_CODE" 0 "without Pair Return Code"

echo "ok"

# The launcher under Wine finds its runtime in the registry views and vendor keys, beside
# itself and in "JRE Path", or hands it to the paired launcher. The fake jvm.dll files
# are no libraries: the load failure on the screen names the one chosen.
source "$(dirname "$0")/lib.sh"
source "$JL_ROOT/scripts/wine-env.sh"
: "${JL_UIPROBE:?}"

# The UI probe writes a backslash as two.
probed() { local p; p=$(winpath "$1"); printf '%s' "${p//\\/\\\\}"; }
reg_runtime() {  # view (32|64), version, runtime folder
  reg_value "$1" "HKLM\\Software\\JavaSoft\\Java Runtime Environment\\$2" JavaHome "$3" \
    "HKLM\\Software\\JavaSoft\\Java Runtime Environment\\$2"
}

# jlaunch64.exe sees the 64-bit view and hands 32-bit runtimes over; jlaunch.exe the
# other way round, and it also searches the 64-bit view when it has a paired launcher.
if [ "$(basename "$JL_LAUNCHER")" = jlaunch64.exe ]; then
  own=64 other=32 foreign_machine='\x4c\x01'
else
  own=32 other=64 foreign_machine='\x64\x86'
fi

fake_library() { mkdir -p "$(dirname "$1")" && echo "not a library" >"$1"; }
# The smallest image header of a DLL for the machine this launcher is not.
foreign_library() {
  mkdir -p "$(dirname "$1")"
  { printf 'MZ'; head -c 58 /dev/zero; printf '\x80\0\0\0'; head -c 64 /dev/zero
    printf "PE\\0\\0$foreign_machine"; head -c 18 /dev/zero; } >"$1"
}

trace=$JL_WORK/trace.log
launch() {  # folder, ini lines...; starts tool.exe from $RUN_FROM, traced to $TRACE (a Windows path)
  mkdir -p "$1"
  cp "$JL_LAUNCHER" "$1/tool.exe"
  write_ini "$1/tool.ini" "[Java Runtime Environment]" "Main Class=Version" "${@:2}"
  ( cd "${RUN_FROM:-$1}" && exec env -u JLAUNCH_TRACE ${TRACE:+JLAUNCH_TRACE="$TRACE"} $JL_WINE "$1/tool.exe" ) \
    >"$JL_WORK/wine.out" 2>&1 &
  LAUNCH_PID=$!
}
traced_launch() { rm -f "$trace"; TRACE=$(winpath "$trace") launch "$@"; }
expect_library() { expect_box "Failed to load Java VM library: $(probed "$1")" "$2"; }  # library, what

rt=$JL_WORK/runtimes
fake_library "$rt/a/bin/server/jvm.dll"
fake_library "$rt/b/bin/server/jvm.dll"
reg_runtime $own 1.8.0_151 "$rt/a"
reg_runtime $own 17.0.2 "$rt/b"

traced_launch "$JL_WORK/bounded" "Maximum Version=1.8"
expect_library "$rt/a/bin/server/jvm.dll" "Maximum Version 1.8"
traced "tool.exe[" "trace line prefix"
traced "settings: [Java Runtime Environment] Maximum Version = \"1.8\" (settings file)" "settings in the trace"
traced "runtime: HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment\\:" "registry root in the trace"
traced "runtime:   entry \"17.0.2\": version 17.0.2 above Maximum Version 1.8, dropped" "dropped runtime in the trace"
traced "runtime: probe $(winpath "$rt/a/bin/client/jvm.dll"): missing" "missing library in the trace"
traced "runtime: probe $(winpath "$rt/a/bin/server/jvm.dll"): found" "found library in the trace"
traced "runtime: chosen library: $(winpath "$rt/a/bin/server/jvm.dll")" "chosen library in the trace"
for unwritable in "" "$(winpath "$JL_WORK/no such folder/trace.log")" "$(winpath "$JL_WORK")"; do
  TRACE=$unwritable launch "$JL_WORK/bounded" "Maximum Version=1.8"
  expect_library "$rt/a/bin/server/jvm.dll" "trace file [$unwritable]"
done
[ ! -e "$JL_WORK/no such folder" ] || fail "a folder was made for the trace"

# No maximum at all bounds nothing.
launch "$JL_WORK/open" "Minimum Version=1.8"
expect_library "$rt/b/bin/server/jvm.dll" "without a maximum"

# A relative "JRE Path" from the launcher's folder, the runtime beside the launcher:
# the copies planted in the current folder are not taken.
planted=$JL_WORK/documents
fake_library "$planted/rt/bin/client/jvm.dll"
fake_library "$planted/bin/client/jvm.dll"
fake_library "$JL_WORK/relative/rt/bin/client/jvm.dll"
RUN_FROM=$planted launch "$JL_WORK/relative" "JRE Path=rt"
expect_library "$JL_WORK/relative/rt/bin/client/jvm.dll" "relative JRE Path"
fake_library "$JL_WORK/bundled/jre/bin/java.dll"
fake_library "$JL_WORK/bundled/jre/bin/client/jvm.dll"
RUN_FROM=$planted launch "$JL_WORK/bundled"
expect_library "$JL_WORK/bundled/jre/bin/client/jvm.dll" "bundled runtime"

# Registered in the other view only: the user is asked.
fake_library "$rt/c/bin/client/jvm.dll"
reg_runtime $other 1.7.0_80 "$rt/c"
traced_launch "$JL_WORK/view32" "Minimum Version=1.7" "Maximum Version=1.7"
shown=$(probe_and_press tool.exe 2) || fail "no dialog appeared: $shown"
expect_contains "$shown" "was not found" "missing-runtime dialog"
expect_contains "$shown" "1.7)" "version clause of the dialog"
expect_not_contains "$shown" "Failed to load" "the other view"
ends_by_itself "Cancel"
expect_eq "$EXIT_CODE" 255 "exit code after Cancel"
traced "runtime:   entry \"1.8.0_151\": version 1.8.0.151 above Maximum Version 1.7, dropped" "dialog: dropped runtime"
traced "runtime: no candidate under the older roots; the vendors' keys are searched" "dialog: vendors' keys"
traced "runtime: HKEY_CURRENT_USER\\Software\\Azul Systems\\Zulu\\: absent" "dialog: per-user keys"
traced "runtime: no runtime found; the user is asked" "dialog in the trace"
traced "runtime: the prompt ended without a runtime" "Cancel in the trace"

# A runtime for the other machine goes to the paired launcher; without one it cannot be
# loaded here.
foreign_library "$rt/d/bin/server/jvm.dll"
reg_runtime $own 1.6.0_45 "$rt/d"
v16=("Minimum Version=1.6" "Maximum Version=1.6")
launch "$JL_WORK/paired" "${v16[@]}" "[Application]" "Pair Product=missing32.exe"
expect_box "$(probed "$JL_WORK/paired/missing32.exe")" "paired launcher"
launch "$JL_WORK/unpaired" "${v16[@]}"
expect_library "$rt/d/bin/server/jvm.dll" "foreign runtime without a paired launcher"

# A paired launcher that is this launcher itself, or a launch that a paired launcher
# was given: the library is loaded here, and the launchers do not start each other
# without end.
traced_launch "$JL_WORK/self" "${v16[@]}" "[Application]" "Pair Product=tool.exe"
expect_library "$rt/d/bin/server/jvm.dll" "Pair Product naming the launcher"
traced "is this launcher itself; the library is loaded here" "self pairing in the trace"
JLAUNCH_PAIRED_BY='C:\twin.exe' launch "$JL_WORK/handed" "${v16[@]}" "[Application]" "Pair Product=missing.exe"
expect_library "$rt/d/bin/server/jvm.dll" "launch of a paired launcher"
# The whole chain: the twin, given the launch, finds the same runtime for the other
# machine and loads it itself; its failure comes back as the exit code.
mkdir -p "$JL_WORK/chain" && cp "$JL_LAUNCHER" "$JL_WORK/chain/twin.exe"
chain=("${v16[@]}" "[Application]" "Pair Product=twin.exe" "Pair Return Code=yes")
write_ini "$JL_WORK/chain/twin.ini" "[Java Runtime Environment]" "Main Class=Version" "${chain[@]}"
traced_launch "$JL_WORK/chain" "${chain[@]}"
EXE=twin.exe expect_library "$rt/d/bin/server/jvm.dll" "chain: the twin's box and exit code, handed back"
traced "tool.exe[" "chain: first launcher in the trace"
traced "runtime: paired launcher: the launch goes to $(winpath "$JL_WORK/chain/twin.exe")" "chain: hand-over"
traced "twin.exe[" "chain: twin in the trace"
traced "runtime: started as the paired launcher of $(winpath "$JL_WORK/chain/tool.exe")" "chain: twin knows"
[ "$(grep -c 'runtime: search:' "$trace")" = 2 ] || fail "chain: not exactly two searches: $(cat "$trace")"

# The keys newer runtimes write, when the older roots give nothing: machine-wide in the
# launcher's own view, and per user. The version comes from the release file.
fake_library "$rt/e/bin/server/jvm.dll"
reg_value $own 'HKLM\Software\Eclipse Adoptium\JDK\21.0.4.7\hotspot\MSI' Path "$rt/e" 'HKLM\Software\Eclipse Adoptium'
launch "$JL_WORK/vendor" "Minimum Version=21"
expect_library "$rt/e/bin/server/jvm.dll" "Eclipse Adoptium key"
fake_library "$rt/f/bin/server/jvm.dll"
printf 'JAVA_VERSION="22.0.2"\n' >"$rt/f/release"
reg_value 64 'HKCU\Software\Azul Systems\Zulu\zulu-22' InstallationPath "$rt/f" 'HKCU\Software\Azul Systems'
traced_launch "$JL_WORK/per-user" "Minimum Version=22"
expect_library "$rt/f/bin/server/jvm.dll" "per-user Zulu key"
traced "runtime:   entry \"zulu-22\" (InstallationPath): JDK of JavaSoft in $(winpath "$rt/f")\\, version 22.0.2 (JAVA_VERSION of its release file)" "per-user key in the trace"
# Even then the older roots decide when they hold a runtime.
launch "$JL_WORK/older-first" "Minimum Version=1.8"
expect_library "$rt/b/bin/server/jvm.dll" "older roots first"

if [ $own = 32 ]; then
  # The 32-bit launcher with a paired launcher looks into the 64-bit view too.
  launch "$JL_WORK/view64" "Minimum Version=1.7" "Maximum Version=1.7" "[Application]" "Pair Product=missing64.exe"
  expect_box "$(probed "$JL_WORK/view64/missing64.exe")" "64-bit view for the paired launcher"
fi
echo "ok"

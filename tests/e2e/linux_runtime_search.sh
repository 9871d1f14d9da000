# The Linux launcher finds its runtime among the installed JDKs (the JVM says which one
# runs), beside itself and in "JRE Path" (fake libraries, named in the load failure), and
# says when nothing fits; the trace tells why and changes nothing, writable or not.
source "$(dirname "$0")/lib.sh"

# The installed runtimes the launcher can host: the feature version of each.
majors=()
for release in /usr/lib/jvm/*/release /usr/java/*/release; do
  [ -f "$release" ] || continue
  home=$(dirname "$release")
  [ -e "$home/lib/server/libjvm.so" ] || [ -e "$home/lib/client/libjvm.so" ] || continue
  version=$(sed -n 's/^JAVA_VERSION="\(.*\)"$/\1/p' "$release")
  major=${version%%[._]*}
  [ "$major" = 1 ] && { major=${version#1.}; major=${major%%[._]*}; }
  [ -n "$major" ] && majors+=("$major")
done
[ ${#majors[@]} -gt 0 ] || skip "no runtime installed below /usr/lib/jvm"
lowest=$(lines "${majors[@]}" | sort -n | head -1)
highest=$(lines "${majors[@]}" | sort -n | tail -1)
javac=$(command -v javac || ls /usr/lib/jvm/*/bin/javac | head -1)

# A main class that prints the feature version of the runtime that runs it.
mkdir -p "$JL_WORK/classes"
cat >"$JL_WORK/Version.java" <<'EOF'
public class Version {
    public static void main(String[] args) { System.out.println("runtime " + Runtime.version().feature()); }
}
EOF
"$javac" --release "$lowest" -d "$JL_WORK/classes" "$JL_WORK/Version.java" || fail "javac"

run_tool() {  # folder, ini lines...; runs from $RUN_FROM (default: the folder), traced to $TRACE
  mkdir -p "$1"
  cp "$JL_LAUNCHER" "$1/tool"
  write_ini "$1/tool.ini" "[Java Runtime Environment]" "Main Class=Version" "${@:2}" \
    "[Class Path]" "Class Path=$JL_WORK/classes"
  out=$(cd "${RUN_FROM:-$1}" && LANG=C.UTF-8 env -u JLAUNCH_TRACE ${TRACE:+JLAUNCH_TRACE="$TRACE"} "$1/tool" 2>&1)
  code=$?
}
# Traced to $trace, named after the folder.
traced_run() { trace=$1.trace; rm -f "$trace"; TRACE=$trace run_tool "$@"; }

run_tool "$JL_WORK/max" "Maximum Version=$lowest"
expect_eq "$out" "runtime $lowest" "Maximum Version $lowest"
run_tool "$JL_WORK/min" "Minimum Version=$highest"
expect_eq "$out" "runtime $highest" "Minimum Version $highest"
# An absent maximum bounds nothing: the newest runtime is taken.
run_tool "$JL_WORK/open" "JVM Type=server"
expect_eq "$out" "runtime $highest" "no bounds"
expect_eq "$code" 0 "exit code of a launch"
# "Preferred versions" picks the older one among all.
run_tool "$JL_WORK/preferred" "Preferred versions=$lowest"
expect_eq "$out" "runtime $lowest" "Preferred versions $lowest"

# Nothing fits: the message names what is needed, and the launch ends with -1. The trace
# names each installed runtime and why it was not taken; traced or not, and whether the
# trace can be written or not, the launch itself is the same.
beyond=$((highest + 1))
run_tool "$JL_WORK/none" "Minimum Version=$beyond"
expect_eq "$code" 255 "exit code without a runtime"
expect_contains "$out" "was not found. Please  download and install a JRE (minimum version $beyond.0) from:" "message 207"
untraced_out=$out
for unwritable in "$JL_WORK/no-such-folder/trace.log" "$JL_WORK" /dev/full; do
  TRACE=$unwritable run_tool "$JL_WORK/none" "Minimum Version=$beyond"
  expect_eq "$code" 255 "exit code with the trace file [$unwritable]"
  expect_eq "$out" "$untraced_out" "output with the trace file [$unwritable]"
done
[ ! -e "$JL_WORK/no-such-folder" ] || fail "a folder was made for the trace"
traced_run "$JL_WORK/none" "Minimum Version=$beyond"
expect_eq "$code" 255 "exit code of a traced launch"
expect_eq "$out" "$untraced_out" "output of a traced launch"
traced "tool[" "trace line prefix"
traced "settings: [Java Runtime Environment] Minimum Version = \"$beyond\" (settings file)" "settings in the trace"
traced "runtime: search: JVM Type default; versions from $beyond.0 to any" "search settings in the trace"
traced "runtime: JRE Path: not set" "JRE Path in the trace"
traced "runtime: probe $JL_WORK/none/lib/libjava.so: missing" "bundled runtime probe in the trace"
traced "below Minimum Version $beyond.0, dropped" "dropped runtime in the trace"
traced "runtime: no runtime found; the user is asked" "missing runtime in the trace"
# "-" is standard error.
TRACE=- run_tool "$JL_WORK/none" "Minimum Version=$beyond"
expect_contains "$out" "runtime: no runtime found; the user is asked" "trace on standard error"
expect_contains "$out" "$untraced_out" "message with the trace on standard error"
run_tool "$JL_WORK/none-server" "Minimum Version=$beyond" "JVM Type=server"
expect_contains "$out" "install a JRE with a server JVM (minimum version" "message 206"

# A relative "JRE Path" is below the launcher's folder, wherever it is started from; so
# is the runtime beside the launcher, marker or not. Planted copies in the current
# folder are never looked at.
fake_library() { mkdir -p "$(dirname "$1")" && echo "${2:-fake}" >"$1"; }
expect_fake() { expect_contains "$out" "Failed to load Java VM library: $1 (errno" "$2"; }
planted=$JL_WORK/documents
fake_library "$planted/rt/lib/server/libjvm.so" planted
fake_library "$planted/lib/server/libjvm.so" planted

fake_library "$JL_WORK/relative/rt/lib/server/libjvm.so"
RUN_FROM=$planted traced_run "$JL_WORK/relative" "JRE Path=rt"
expect_eq "$code" 255 "exit code with a fake library"
expect_fake "$JL_WORK/relative/rt/lib/server/libjvm.so" "relative JRE Path"
traced "runtime: JRE Path \"rt\": runtime folder $JL_WORK/relative/rt" "relative JRE Path in the trace"
traced "runtime: probe $JL_WORK/relative/rt/lib/client/libjvm.so: missing" "missing library in the trace"
traced "runtime: probe $JL_WORK/relative/rt/lib/server/libjvm.so: found" "found library in the trace"
traced "runtime: chosen library: $JL_WORK/relative/rt/lib/server/libjvm.so" "chosen library in the trace"
traced "runtime: paired launcher: none configured; the library is loaded here" "paired launcher in the trace"
not_traced "$planted" "planted folder in the trace"

fake_library "$JL_WORK/bundled/jre/lib/server/libjvm.so" && touch "$JL_WORK/bundled/jre/lib/libjava.so"
RUN_FROM=$planted run_tool "$JL_WORK/bundled"
expect_fake "$JL_WORK/bundled/jre/lib/server/libjvm.so" "bundled runtime"
fake_library "$JL_WORK/beside/lib/server/libjvm.so"
RUN_FROM=$planted run_tool "$JL_WORK/beside" "Minimum Version=$beyond"
expect_fake "$JL_WORK/beside/lib/server/libjvm.so" "runtime beside the launcher"
rm -rf "$JL_WORK/beside/lib"
mkdir -p "$JL_WORK/beside/lib/server/libjvm.so"
RUN_FROM=$planted traced_run "$JL_WORK/beside" "Minimum Version=$beyond"
traced "runtime: probe $JL_WORK/beside/lib/server/libjvm.so: a folder, not a library" "folder named like the library"
expect_not_contains "$out" "planted" "planted library"
expect_contains "$out" "was not found" "nothing beside the launcher"

# "JRE Path" is taken whatever the bounds say.
newest_home=
for release in /usr/lib/jvm/*/release; do
  grep -q "^JAVA_VERSION=\"$highest[.\"]" "$release" && newest_home=$(dirname "$release") && break
done
if [ -n "$newest_home" ] && [ "$lowest" != "$highest" ]; then
  run_tool "$JL_WORK/configured" "JRE Path=$newest_home" "Maximum Version=$lowest"
  expect_eq "$out" "runtime $highest" "JRE Path beyond the bounds"
fi
echo "ok"

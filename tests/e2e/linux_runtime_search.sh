# The Linux launcher finds its runtime: the installed JDKs below /usr/lib/jvm chosen by
# the version bounds (the JVM reports which one runs), runtimes beside the launcher and
# in "JRE Path" (fake libraries, named back by the load failure), and the message when
# nothing fits. With JLAUNCH_TRACE the launcher writes why it chose or failed; the
# trace changes nothing else, and a trace file that cannot be written changes nothing.
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
[ ${#majors[@]} -gt 0 ] || { echo "no runtime installed below /usr/lib/jvm"; exit 77; }
lowest=$(printf '%s\n' "${majors[@]}" | sort -n | head -1)
highest=$(printf '%s\n' "${majors[@]}" | sort -n | tail -1)
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
  local dir=$1
  mkdir -p "$dir"
  cp "$JL_LAUNCHER" "$dir/tool"
  write_ini "$dir/tool.ini" "[Java Runtime Environment]" "Main Class=Version" "${@:2}" \
    "[Class Path]" "Class Path=$JL_WORK/classes"
  out=$(cd "${RUN_FROM:-$dir}" && LANG=C.UTF-8 env -u JLAUNCH_TRACE ${TRACE:+JLAUNCH_TRACE="$TRACE"} "$dir/tool" 2>&1)
  code=$?
}
traced() { grep -qF -- "$1" "$TRACE" || fail "$2: [$1] not in the trace: $(cat "$TRACE" 2>/dev/null)"; }
not_traced() { ! grep -qF -- "$1" "$TRACE" || fail "$2: [$1] unexpectedly in the trace"; }

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

# Nothing fits: the message names what is needed, and the launch ends with -1.
run_tool "$JL_WORK/none" "Minimum Version=$((highest + 1))"
expect_eq "$code" 255 "exit code without a runtime"
expect_contains "$out" "was not found. Please  download and install a JRE (minimum version $((highest + 1)).0) from:" "message 207"
# The trace names each installed runtime and why it was not taken; traced or not, and
# whether the trace can be written or not, the launch itself is the same.
untraced_out=$out
TRACE=$JL_WORK/none.trace run_tool "$JL_WORK/none" "Minimum Version=$((highest + 1))"
expect_eq "$code" 255 "exit code of a traced launch"
expect_eq "$out" "$untraced_out" "output of a traced launch"
TRACE=$JL_WORK/none.trace
traced "tool[" "trace line prefix"
traced "settings: [Java Runtime Environment] Minimum Version = \"$((highest + 1))\" (settings file)" "settings in the trace"
traced "runtime: search: JVM Type default; versions from $((highest + 1)).0 to any" "search settings in the trace"
traced "runtime: JRE Path: not set" "JRE Path in the trace"
traced "runtime: probe $JL_WORK/none/lib/libjava.so: missing" "bundled runtime probe in the trace"
traced "below Minimum Version $((highest + 1)).0, dropped" "dropped runtime in the trace"
traced "runtime: no runtime found; the user is asked" "missing runtime in the trace"
for unwritable in "$JL_WORK/no-such-folder/trace.log" "$JL_WORK" /dev/full; do
  TRACE=$unwritable run_tool "$JL_WORK/none" "Minimum Version=$((highest + 1))"
  expect_eq "$code" 255 "exit code with the trace file $unwritable"
  expect_eq "$out" "$untraced_out" "output with the trace file $unwritable"
done
[ ! -e "$JL_WORK/no-such-folder" ] || fail "a folder was made for the trace"
# "-" is standard error.
TRACE=- run_tool "$JL_WORK/none" "Minimum Version=$((highest + 1))"
expect_contains "$out" "runtime: no runtime found; the user is asked" "trace on standard error"
expect_contains "$out" "$untraced_out" "message with the trace on standard error"
TRACE=
run_tool "$JL_WORK/none-server" "Minimum Version=$((highest + 1))" "JVM Type=server"
expect_contains "$out" "install a JRE with a server JVM (minimum version" "message 206"

# A relative "JRE Path" is below the launcher's folder, wherever it is started from; so
# is the runtime beside the launcher, marker or not. Planted copies in the current
# folder are never looked at.
planted="$JL_WORK/documents"
mkdir -p "$planted/rt/lib/server" "$planted/lib/server"
echo planted >"$planted/rt/lib/server/libjvm.so"
echo planted >"$planted/lib/server/libjvm.so"

mkdir -p "$JL_WORK/relative/rt/lib/server" && echo fake >"$JL_WORK/relative/rt/lib/server/libjvm.so"
TRACE=$JL_WORK/relative.trace RUN_FROM=$planted run_tool "$JL_WORK/relative" "JRE Path=rt"
expect_eq "$code" 255 "exit code with a fake library"
expect_contains "$out" "Failed to load Java VM library: $JL_WORK/relative/rt/lib/server/libjvm.so (errno" "relative JRE Path"
TRACE=$JL_WORK/relative.trace
traced "runtime: JRE Path \"rt\": runtime folder $JL_WORK/relative/rt" "relative JRE Path in the trace"
traced "runtime: probe $JL_WORK/relative/rt/lib/client/libjvm.so: missing" "missing library in the trace"
traced "runtime: probe $JL_WORK/relative/rt/lib/server/libjvm.so: found" "found library in the trace"
traced "runtime: chosen library: $JL_WORK/relative/rt/lib/server/libjvm.so" "chosen library in the trace"
traced "runtime: paired launcher: none configured; the library is loaded here" "paired launcher in the trace"
not_traced "$planted" "planted folder in the trace"
TRACE=

mkdir -p "$JL_WORK/bundled/jre/lib/server" && touch "$JL_WORK/bundled/jre/lib/libjava.so"
echo fake >"$JL_WORK/bundled/jre/lib/server/libjvm.so"
RUN_FROM=$planted run_tool "$JL_WORK/bundled"
expect_contains "$out" "Failed to load Java VM library: $JL_WORK/bundled/jre/lib/server/libjvm.so (errno" "bundled runtime"

mkdir -p "$JL_WORK/beside/lib/server" && echo fake >"$JL_WORK/beside/lib/server/libjvm.so"
RUN_FROM=$planted run_tool "$JL_WORK/beside" "Minimum Version=$((highest + 1))"
expect_contains "$out" "Failed to load Java VM library: $JL_WORK/beside/lib/server/libjvm.so (errno" "runtime beside the launcher"

rm -rf "$JL_WORK/beside/lib"
mkdir -p "$JL_WORK/beside/lib/server/libjvm.so"
TRACE=$JL_WORK/beside.trace RUN_FROM=$planted run_tool "$JL_WORK/beside" "Minimum Version=$((highest + 1))"
TRACE=$JL_WORK/beside.trace
traced "runtime: probe $JL_WORK/beside/lib/server/libjvm.so: a folder, not a library" "folder named like the library"
TRACE=
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

# Single instance on Linux with the real JDK: arguments handed to the first instance's
# secondaryMain, the replies, the argument area, crowds and races of second instances,
# first instances that end or die, junk on the socket, other paths, service mode.
source "$(dirname "$0")/single_instance_lib.sh"
find_jdks

classes=$JL_BUILD/tests/java-instance
rm -rf "$classes" && mkdir -p "$classes/out"
"${jdks[0]}/bin/javac" --release 11 -d "$classes/out" "$JL_ROOT"/tests/java/instance/*.java || fail "javac"
(cd "$classes/out" && "${jdks[0]}/bin/jar" --create --file "$classes/app.jar" instance/*.class) || fail "jar"
uid=$(id -u)

# A product folder: the launcher as tool, app.jar and tool.ini. Inputs: JDK (default the
# first), MAIN (default instance.App), VMP, APP_EXTRA. Sets dir and log.
new_product() {
  case_number=$((case_number + 1))
  dir=$JL_WORK/product$case_number
  log=$dir/log.txt
  mkdir -p "$dir"
  cp "$JL_LAUNCHER" "$dir/tool" && cp "$classes/app.jar" "$dir/"
  write_ini "$dir/tool.ini" "[Java Runtime Environment]" "JRE Path=${JDK:-${jdks[0]}}" \
    "Main Class=${MAIN:-instance.App}" \
    "Virtual Machine Parameters=-Dinstance.log=$log -Dinstance.stop=$dir/stop ${VMP:-}" \
    "[Class Path]" "Class Path=app.jar" "[Application]" "Single Instance=yes" "${APP_EXTRA[@]}"
}
reset_case() { JDK= MAIN= VMP=; APP_EXTRA=(); }
tool() { LANG=C.UTF-8 exec timeout "$1" "$dir/tool" "${@:2}"; }
first_tool() { tool 60 "$@"; }
main_started() { grep -q "^main " "$log" 2>/dev/null; }
# One line: "main count=2 [a|b]", "secondary void count=..." or "secondary int count=...".
call_block() {
  local kind=$1 IFS='|'
  shift
  [ "$kind" = main ] || kind="secondary $kind"
  block=("$kind count=$# [$*]")
}
sockets() { grep -c "@jlaunch-$uid-" /proc/net/unix; }

# --- the void form: arguments, and the reply before the call ---------------------------
reset_case; VMP="-Dinstance.secondaryMillis=1500"; new_product
void_form /home/user/Documents "two words" "ü€日本" "😀" plain
# Characters beyond U+FFFF count as two units: 519 of them need 2080 bytes, 520 do not fit.
emoji519=$(printf '😀%.0s' $(seq 1 519))
second_ends 0 "surrogate pairs filling the area" "$emoji519"
second_ends 255 "surrogate pairs past the area" "${emoji519}😀"
stop_first 0

# --- served for as long as the virtual machine runs, though main has returned ----------
reset_case; MAIN=instance.Windowed; new_product
start_first
expect_block_once "main returned" "windowed main returns"
second_served 0 "served after main returned" void later
stop_first 0

# --- not handed to a virtual machine whose shutdown has begun ---------------------------
# It would answer and then lose the launch with the process.
reset_case; MAIN=instance.SlowExit; VMP="-Dinstance.mainMillis=200"; new_product
start_first
wait_until 20 grep -q "^shutdown hook runs" "$log" || fail "the shutdown hook did not run"
second_ends 255 "a launch while the first instance shuts down" "during shutdown"
wait "$first_pid"; expect_eq "$?" 0 "the first instance ended normally"
expect_eq "$(count_call void "during shutdown")" 0 "nothing handed over during shutdown"

# --- the int form: the reply is the result, sent after the call, on every JDK ----------
reset_case; MAIN=instance.IntApp; VMP="-Dinstance.secondaryMillis=700"; new_product
start_first
second_served 42 "int form" int "reply=42" x
expect_logged "secondary int returns 42" "int form: the reply after the call"
second_ends 253 "int form: a negative reply" "reply=-3"
second_ends 255 "int form: secondaryMain threw" throw
stop_first 0
for JDK in "${jdks[@]:1}"; do
  MAIN=instance.IntApp VMP= APP_EXTRA=(); new_product
  start_first
  second_served 7 "$(basename "$JDK"): int form" int "reply=7" "ü"
  stop_first 0
done

# --- twenty second instances at once, eight while the first is still starting ---------
reset_case; new_product
start_first
twenty_at_once
stop_first 0

new_product
before=$(sockets)
claimed() { [ "$(sockets)" -gt "$before" ]; }
eight_while_starting claimed

# --- no reply: no secondaryMain, the first instance ends or is killed ----------------------
reset_case; MAIN=instance.Plain; new_product
start_first
second_in_background waiting
sleep 1
kill -0 "${batch[0]}" 2>/dev/null || fail "without secondaryMain the second instance waits for the first"
stop_first 0
wait_batch
expect_eq "${codes[0]}" 255 "the first instance ended without replying"

rm -f "$log"
start_first
connected=$(($(sockets) + 1))
second_in_background waiting
# Accepted connections show the first instance's name too: wait until it took this one.
reached() { [ "$(sockets)" -ge "$connected" ]; }
wait_until 4 reached || fail "the second instance did not reach the first"
kill -9 "$(pgrep -P "$first_pid")"
start=$SECONDS
wait_batch
wait "$first_pid" 2>/dev/null
expect_eq "${codes[0]}" 255 "the first instance was killed"
[ $((SECONDS - start)) -le 3 ] || fail "the second instance did not notice the killed first one at once"
# The name went with the killed process: the next start is a first instance again.
rm -f "$log"
start_first "after the kill"
stop_first 0

# --- junk on the socket -----------------------------------------------------------------------
reset_case; new_product
start_first
name=$(grep -o "@jlaunch-$uid-[0-9a-f]*" /proc/net/unix | sort -u)
[ -n "$name" ] && [ "$(wc -l <<<"$name")" = 1 ] || fail "the first instance's socket was not found: [$name]"
reply=$(python3 - "${name#@}" <<'EOF'
import socket, sys
def client():
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    s.settimeout(20)
    s.connect("\0" + sys.argv[1])
    return s
# A client that connects and leaves, one that sends half a request, one with garbage.
client().close()
half = client(); half.sendall(b"\x41\x00" * 100); half.close()
junk = client(); junk.sendall(b"\xff" * 2080)
print(junk.recv(4).hex())
EOF
)
expect_eq "$reply" ffffffff "a request of garbage is answered as not served"
second_served 0 "a request after the junk" void "after the junk"
stop_first 0

# --- two launchers at different paths; a service; requests while the first one ends ------
two_paths

service_mode

reset_case; VMP="-Dinstance.mainMillis=1200"; new_product
start_first
late_requests 24 0.08
! ls "$JL_WORK"/elsewhere/hs_err_pid* >/dev/null 2>&1 || fail "a virtual machine crashed"

echo "single instance: all cases passed"

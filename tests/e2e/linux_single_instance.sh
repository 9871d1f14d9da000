# Single instance on Linux with the real JDKs (the shared cases in single_instance_lib.sh),
# a main that returned, a shutdown under way, junk on the socket.
source "$(dirname "$0")/single_instance_lib.sh"
find_jdks
classes=$JL_BUILD/tests/java-instance uid=$(id -u)
rm -rf "$classes" && "${jdks[0]}/bin/javac" --release 11 -d "$classes/out" "$JL_ROOT"/tests/java/instance/*.java &&
  (cd "$classes/out" && "${jdks[0]}/bin/jar" --create --file "$classes/app.jar" instance/*.class) || fail "app.jar"

# The launcher as tool, app.jar and tool.ini. Inputs: JDK, MAIN (instance.App), VMP, APP_EXTRA.
new_product() {
  case_number=$((case_number + 1))
  dir=$JL_WORK/product$case_number log=$JL_WORK/product$case_number/log.txt
  mkdir -p "$dir" && cp "$JL_LAUNCHER" "$dir/tool" && cp "$classes/app.jar" "$dir/"
  write_ini "$dir/tool.ini" "[Java Runtime Environment]" "JRE Path=${JDK:-${jdks[0]}}" "Main Class=${MAIN:-instance.App}" \
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
  [ "$kind" = main ] || kind="secondary $kind"
  block=("$kind count=$(($# - 1)) [${*:2}]")
}
sockets() { grep -c "@jlaunch-$uid-" /proc/net/unix; }

# Characters beyond U+FFFF count as two units: 519 of them fill the argument area.
product VMP=-Dinstance.secondaryMillis=1500
void_form /home/user/Documents "two words" "ü€日本" "😀" plain
emoji519=$(printf '😀%.0s' $(seq 1 519))
second_ends 0 "surrogate pairs filling the area" "$emoji519"
second_ends 255 "surrogate pairs past the area" "${emoji519}😀"
stop_first 0

# Served for as long as the virtual machine runs, though main has returned.
product VMP=-Dinstance.windowed=true
start_first
expect_block_once "main returned" "windowed main returns"
second_served 0 "served after main returned" void later
stop_first 0

# Not handed to a virtual machine whose shutdown has begun, which would lose it.
product 'VMP="-Dinstance.mainMillis=200 -Dinstance.hookMillis=3000"'
start_first
wait_until 20 grep -q "^shutdown hook runs" "$log" || fail "the shutdown hook did not run"
second_ends 255 "a launch while the first instance shuts down" "during shutdown"
wait "$first_pid"; expect_eq "$?" 0 "the first instance ended normally"
expect_eq "$(count_call void "during shutdown")" 0 "nothing handed over during shutdown"

# The int form: the reply is the result, sent after the call, on every JDK.
product MAIN=instance.IntApp VMP=-Dinstance.secondaryMillis=700
start_first
second_served 42 "int form" int "reply=42" x
expect_logged "secondary int returns 42" "int form: the reply after the call"
second_ends 253 "int form: a negative reply" "reply=-3"
second_ends 255 "int form: secondaryMain threw" throw
stop_first 0
for jdk in "${jdks[@]:1}"; do
  product MAIN=instance.IntApp JDK=$jdk
  start_first
  second_served 7 "$(basename "$jdk"): int form" int "reply=7" "ü"
  stop_first 0
done

product
twenty_at_once
new_product
before=$(sockets)
claimed() { [ "$(sockets)" -gt "$before" ]; }
eight_while_starting claimed

# No reply: no secondaryMain, and the first instance ends or is killed.
product MAIN=instance.Plain
start_first
second_in_background waiting
sleep 1 && kill -0 "${batch[0]}" 2>/dev/null || fail "without secondaryMain the second instance waits for the first"
stop_first 0
wait_batch
expect_eq "${codes[0]}" 255 "the first instance ended without replying"
rm -f "$log"
# Accepted connections show the first instance's name too.
reached() { [ "$(sockets)" -ge "$connected" ]; }
connected=$(($(sockets) + 2))
killed_while_waiting 3 reached
expect_eq "${codes[0]}" 255 "the first instance was killed"
rm -f "$log"
start_first "after the kill"  # the name went with the killed process
stop_first 0

# A client that connects and leaves, half a request, garbage.
product
start_first
name=$(grep -o "@jlaunch-$uid-[0-9a-f]*" /proc/net/unix | sort -u)
[ -n "$name" ] && [ "$(wc -l <<<"$name")" = 1 ] || fail "the first instance's socket was not found: [$name]"
reply=$(python3 -c 'import socket, sys
def client():
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM); s.settimeout(20); s.connect("\0" + sys.argv[1]); return s
client().close()
client().sendall(b"\x41\x00" * 100)
junk = client(); junk.sendall(b"\xff" * 2080); print(junk.recv(4).hex())' "${name#@}")
expect_eq "$reply" ffffffff "a request of garbage is answered as not served"
second_served 0 "a request after the junk" void "after the junk"
stop_first 0

service_and_two_paths
product VMP=-Dinstance.mainMillis=1200
start_first
late_requests 24 0.08
! ls "$JL_WORK"/elsewhere/hs_err_pid* >/dev/null 2>&1 || fail "a virtual machine crashed"
echo "single instance: all cases passed"

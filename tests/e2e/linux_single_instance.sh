# Single instance on Linux with the real JDK: a second start of the same launcher hands
# its arguments to the first one, whose secondaryMain (void or int form) runs with them,
# and ends with the reply; when each reply is sent; limits of the argument area; many
# second instances at once, also while the first is still starting and while it ends;
# a first instance that ends or is killed without replying; junk on the socket; two
# launchers at different paths; service mode. Every process runs under a time limit.
source "$(dirname "$0")/lib.sh"

jdks=()
for jdk in /usr/lib/jvm/java-17-openjdk-amd64 /usr/lib/jvm/temurin-25-jdk-amd64; do
  if [ -e "$jdk/lib/server/libjvm.so" ]; then jdks+=("$jdk"); else echo "skipping $jdk: not installed"; fi
done
[ ${#jdks[@]} -gt 0 ] || { echo "no JDK to host"; exit 77; }

classes=$JL_BUILD/tests/java-instance
rm -rf "$classes" && mkdir -p "$classes/out"
"${jdks[0]}/bin/javac" --release 11 -d "$classes/out" "$JL_ROOT"/tests/java/instance/*.java || fail "javac"
(cd "$classes/out" && "${jdks[0]}/bin/jar" --create --file "$classes/app.jar" instance/*.class) || fail "jar"

mkdir -p "$JL_WORK/elsewhere"
uid=$(id -u)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$JL_WORK"' EXIT

# A product folder: the launcher as tool, app.jar and tool.ini. Inputs: JDK (default the
# first), MAIN (default instance.App), VMP, APP_EXTRA. Sets dir and log.
product_number=0
new_product() {
  product_number=$((product_number + 1))
  dir=$JL_WORK/product$product_number
  log=$dir/log.txt
  mkdir -p "$dir"
  cp "$JL_LAUNCHER" "$dir/tool" && cp "$classes/app.jar" "$dir/"
  write_ini "$dir/tool.ini" "[Java Runtime Environment]" "JRE Path=${JDK:-${jdks[0]}}" \
    "Main Class=${MAIN:-instance.App}" \
    "Virtual Machine Parameters=-Dinstance.log=$log -Dinstance.stop=$dir/stop ${VMP:-}" \
    "[Class Path]" "Class Path=app.jar" "[Application]" "Single Instance=yes" "${APP_EXTRA[@]}"
}
reset_case() { JDK= MAIN= VMP=; APP_EXTRA=(); }

sockets() { grep -c "@jlaunch-$uid-" /proc/net/unix; }

# Starts the first instance of the current product; waits until its main runs unless
# told not to (NOWAIT=1). Sets first_pid.
start_first() {
  (cd "$JL_WORK/elsewhere" && LANG=C.UTF-8 exec timeout 60 "$dir/tool" "$@") >"$dir/first.out" 2>&1 &
  first_pid=$!
  pids+=("$first_pid")
  [ "${NOWAIT:-0}" = 1 ] && return
  for _ in $(seq 1 300); do
    grep -q "^main " "$log" 2>/dev/null && return
    kill -0 "$first_pid" 2>/dev/null || fail "the first instance ended early: $(cat "$dir/first.out")"
    sleep 0.05
  done
  fail "the first instance's main did not start"
}

stop_first() {  # expected exit code
  touch "$dir/stop"
  wait "$first_pid"
  local code=$?
  expect_eq "$code" "$1" "exit code of the first instance"
  rm -f "$dir/stop"
}

# One second instance in the foreground; sets code.
second() {
  (cd "$JL_WORK/elsewhere" && LANG=C.UTF-8 exec timeout 30 "$dir/tool" "$@") >>"$dir/second.out" 2>&1
  code=$?
  [ "$code" != 124 ] || fail "a second instance did not end"
}

# 0 also while the log does not exist yet.
count_lines() { if [ -f "$log" ]; then grep -cxF -- "$1" "$log"; else echo 0; fi; }
# The void form is answered before it runs: its line may come a moment after the reply.
expect_once() {
  for _ in $(seq 1 200); do [ "$(count_lines "$1")" = 0 ] || break; sleep 0.05; done
  expect_eq "$(count_lines "$1")" 1 "$2: [$1] in $(cat "$log")"
}

# --- the void form: arguments, and the reply before the call ---------------------------
reset_case; VMP="-Dinstance.secondaryMillis=1500"; new_product
start_first "first arg"
expect_once "main count=1 [first arg]" "main of the first instance"
second "two words" "ü€日本" "😀" plain
expect_eq "$code" 0 "void form: exit code"
expect_once "secondary void count=4 [two words|ü€日本|😀|plain]" "void form: arguments"
# The reply came before the call: secondaryMain is still running.
expect_eq "$(grep -c "^secondary void returns" "$log")" 0 "void form: reply before the call"
second
expect_eq "$code" 0 "no arguments: exit code"
expect_once "secondary void count=1 []" "no arguments arrive as one empty string"

# The whole argument area: 2080 bytes with the NULs, and one UTF-16 unit more.
at_limit=$(printf 'x%.0s' $(seq 1 1038))
second "$at_limit"
expect_eq "$code" 0 "arguments filling the area: exit code"
expect_once "secondary void count=1 [$at_limit]" "arguments filling the area"
second "${at_limit}y"
expect_eq "$code" 255 "one unit past the area"
expect_eq "$(grep -c "${at_limit}y" "$log")" 0 "one unit past the area: not handed over"
# Characters beyond U+FFFF count as two units: 519 of them need 2080 bytes, 520 do not fit.
emoji519=$(printf '😀%.0s' $(seq 1 519))
second "$emoji519"
expect_eq "$code" 0 "surrogate pairs filling the area"
second "${emoji519}😀"
expect_eq "$code" 255 "surrogate pairs past the area"
# Long document paths, 1,500 bytes together: more than the old writers let through.
long1=/home/user/Documents/$(printf 'a%.0s' $(seq 1 360)).txt long2=/home/user/Documents/$(printf 'b%.0s' $(seq 1 358)).txt
second "$long1" "$long2"
expect_eq "$code" 0 "1,500 bytes of arguments"
expect_once "secondary void count=2 [$long1|$long2]" "1,500 bytes of arguments"
# An empty argument after the first would end the list early and lose what follows.
second a "" b
expect_eq "$code" 255 "an empty argument inside the list"
stop_first 0

# --- a program that lives on after its main returned ---------------------------------------
# Served for as long as the virtual machine runs, though DestroyJavaVM is waiting already.
reset_case; MAIN=instance.Windowed; new_product
start_first
expect_once "windowed main returns" "main returned"
second later
expect_eq "$code" 0 "served after main returned: exit code"
expect_once "secondary void count=1 [later]" "served after main returned"
stop_first 0

# --- the int form: the reply is the result, sent after the call --------------------------
reset_case; MAIN=instance.IntApp; VMP="-Dinstance.secondaryMillis=700"; new_product
start_first
second "reply=42" x
expect_eq "$code" 42 "int form: the reply is the exit code"
expect_once "secondary int count=2 [reply=42|x]" "int form: arguments"
expect_once "secondary int returns 42" "int form: the reply after the call"
second "reply=-3"
expect_eq "$code" 253 "int form: a negative reply"
# A secondaryMain that throws is no success.
second throw
expect_eq "$code" 255 "int form: secondaryMain threw"
stop_first 0

# --- the same on the other JDKs ------------------------------------------------------------
for JDK in "${jdks[@]:1}"; do
  MAIN=instance.IntApp VMP= APP_EXTRA=(); new_product
  start_first
  second "reply=7" "ü"
  expect_eq "$code" 7 "$(basename "$JDK"): int form"
  expect_once "secondary int count=2 [reply=7|ü]" "$(basename "$JDK"): int form"
  stop_first 0
done

# --- twenty second instances at once --------------------------------------------------------
reset_case; new_product
start_first
batch=()
for i in $(seq 1 20); do
  (cd "$JL_WORK/elsewhere" && exec timeout 30 "$dir/tool" "request $i" "x") >/dev/null 2>&1 &
  batch+=($!)
done
for i in $(seq 1 20); do
  wait "${batch[$((i - 1))]}"; code=$?
  expect_eq "$code" 0 "second instance $i of 20: exit code"
done
for i in $(seq 1 20); do expect_once "secondary void count=2 [request $i|x]" "twenty at once"; done
stop_first 0

# --- eight second instances while the first is still starting ----------------------------
reset_case; new_product
before=$(sockets)
NOWAIT=1 start_first "the first"
for _ in $(seq 1 400); do [ "$(sockets)" -gt "$before" ] && break; sleep 0.01; done
[ "$(sockets)" -gt "$before" ] || fail "the first instance did not claim its name"
batch=()
for i in $(seq 1 8); do
  (cd "$JL_WORK/elsewhere" && exec timeout 30 "$dir/tool" "early $i") >/dev/null 2>&1 &
  batch+=($!)
done
for i in $(seq 1 8); do
  wait "${batch[$((i - 1))]}"; code=$?
  expect_eq "$code" 0 "early second instance $i: exit code"
done
expect_once "main count=1 [the first]" "the first instance ran main"
for i in $(seq 1 8); do expect_once "secondary void count=1 [early $i]" "eight during start-up"; done
stop_first 0

# --- no reply: no secondaryMain, the first instance ends or is killed ----------------------
reset_case; MAIN=instance.Plain; new_product
start_first
(cd "$JL_WORK/elsewhere" && exec timeout 30 "$dir/tool" waiting) >/dev/null 2>&1 &
waiting=$!
sleep 1
kill -0 "$waiting" 2>/dev/null || fail "without secondaryMain the second instance waits for the first"
stop_first 0
wait "$waiting"; code=$?
expect_eq "$code" 255 "the first instance ended without replying"

start_first
connected=$(($(sockets) + 1))
(cd "$JL_WORK/elsewhere" && exec timeout 30 "$dir/tool" waiting) >/dev/null 2>&1 &
waiting=$!
# Accepted connections show the first instance's name too: wait until it took this one.
for _ in $(seq 1 400); do [ "$(sockets)" -ge "$connected" ] && break; sleep 0.01; done
[ "$(sockets)" -ge "$connected" ] || fail "the second instance did not reach the first"
kill -9 "$(pgrep -P "$first_pid")"
start=$SECONDS
wait "$waiting"; code=$?
wait "$first_pid" 2>/dev/null
expect_eq "$code" 255 "the first instance was killed"
[ $((SECONDS - start)) -le 3 ] || fail "the second instance did not notice the killed first one at once"
# The name went with the killed process: the next start is a first instance again.
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
second "after the junk"
expect_eq "$code" 0 "a request after the junk"
expect_once "secondary void count=1 [after the junk]" "a request after the junk"
stop_first 0

# --- two launchers at different paths; a service --------------------------------------------
reset_case; new_product; dir1=$dir
start_first one
first1=$first_pid
new_product; dir2=$dir
start_first two
first2=$first_pid
expect_once "main count=1 [two]" "a second path is a first instance of its own"
dir=$dir1 log=$dir1/log.txt first_pid=$first1
stop_first 0
dir=$dir2 log=$dir2/log.txt first_pid=$first2
stop_first 0

reset_case; APP_EXTRA=("Application Type=service"); new_product
start_first service-one
(cd "$JL_WORK/elsewhere" && exec timeout 60 "$dir/tool" service-two) >/dev/null 2>&1 &
service2=$!
pids+=("$service2")
for _ in $(seq 1 300); do [ "$(grep -c '^main ' "$log")" = 2 ] && break; sleep 0.05; done
expect_once "main count=1 [service-two]" "a service runs without single instance"
expect_eq "$(grep -c '^secondary' "$log")" 0 "a service forwards nothing"
touch "$dir/stop"; wait "$first_pid"; wait "$service2"

# --- second instances while the first instance ends -----------------------------------------
reset_case; VMP="-Dinstance.mainMillis=1200"; new_product
start_first
batch=()
for i in $(seq 1 24); do
  (cd "$JL_WORK/elsewhere" && exec timeout 30 "$dir/tool" "late $i") >/dev/null 2>&1 &
  batch+=($!)
  sleep 0.08
done
wait "$first_pid"; code=$?
expect_eq "$code" 0 "the first instance ended normally while requests came"
# Every late start has ended, and with it any first instance one of them became.
codes=()
for i in $(seq 1 24); do wait "${batch[$((i - 1))]}"; codes+=($?); done
for i in $(seq 1 24); do
  code=${codes[$((i - 1))]}
  # Served (0, once), refused as not served (255, never), or a first instance itself
  # once the name was free (0, its own main).
  seen=$(grep -cxE "(main|secondary void) count=1 \[late $i\]" "$log")
  case "$code" in
    0) expect_eq "$seen" 1 "late request $i answered 0" ;;
    255) expect_eq "$seen" 0 "late request $i refused" ;;
    *) fail "late request $i: exit code $code" ;;
  esac
done
! ls "$JL_WORK"/elsewhere/hs_err_pid* >/dev/null 2>&1 || fail "a virtual machine crashed"

echo "single instance: all cases passed"

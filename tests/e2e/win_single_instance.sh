# Single instance under Wine with the test JVM: a second start of the same executable
# hands its arguments to the first one, whose secondaryMain (void or int form) runs with
# them, and ends with the reply; when each reply is sent; the limits of the argument
# area; twenty second instances at once and eight while the first is still starting;
# requests while the first instance ends; a first instance that ends or is killed
# without replying; two executables at different paths; service mode; a first instance
# that hands the launch to its paired launcher. Every process runs under a time limit.
source "$(dirname "$0")/lib.sh"
source "$JL_ROOT/scripts/wine-env.sh"

testjvm=$JL_BUILD/tests/testjvm
[ -f "$testjvm/jvm.dll" ] || { echo "the test JVM was not built ($testjvm)"; exit 77; }

winpath() { printf 'Z:%s' "${1//\//\\}"; }

mkdir -p "$JL_WORK/elsewhere"
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$JL_WORK"' EXIT

# A product folder: tool.exe, tool.ini and the test JVM as jre\bin\client\jvm.dll.
# Inputs: MAIN (default app.SecondaryVoid), APP_EXTRA. Sets dir and log.
product_number=0
new_product() {
  product_number=$((product_number + 1))
  dir=$JL_WORK/product$product_number
  log=$dir/jre/bin/client/testjvm.log
  mkdir -p "$dir/jre/bin/client"
  cp "$JL_LAUNCHER" "$dir/tool.exe"
  cp "$testjvm/jvm.dll" "$dir/jre/bin/client/jvm.dll"
  write_ini "$dir/tool.ini" "[Java Runtime Environment]" "JRE Path=$(winpath "$dir/jre")" \
    "Main Class=${MAIN:-app.SecondaryVoid}" "[Class Path]" "Class Path=C:\\app\\app.jar" \
    "[Application]" "Single Instance=yes" "${APP_EXTRA[@]}"
}
reset_case() { MAIN=; APP_EXTRA=(); MAIN_DELAY=60000 SECONDARY_DELAY=0 CREATE_DELAY=0 RESULT=7; }

# Starts the first instance of the current product; waits until its main runs unless
# NOWAIT=1. Its main runs until the file "stop" appears or MAIN_DELAY has passed.
start_first() {
  (cd "$JL_WORK/elsewhere" && exec env TESTJVM_MAIN_DELAY="$MAIN_DELAY" TESTJVM_MAIN_STOP="$(winpath "$dir/stop")" \
    TESTJVM_SECONDARY_DELAY="$SECONDARY_DELAY" TESTJVM_SECONDARY_RESULT="$RESULT" \
    TESTJVM_CREATE_DELAY="$CREATE_DELAY" TESTJVM_EXIT_DELAY=2500 TESTJVM_EXIT_CODE=3 \
    JLAUNCH_TRACE="$(winpath "$dir/trace.log")" timeout 60 $JL_WINE "$dir/tool.exe" "$@") >"$dir/first.out" 2>&1 &
  first_pid=$!
  pids+=("$first_pid")
  [ "${NOWAIT:-0}" = 1 ] && return
  for _ in $(seq 1 400); do
    grep -q "^main app/" "$log" 2>/dev/null && return
    kill -0 "$first_pid" 2>/dev/null || fail "the first instance ended early: $(cat "$dir/first.out" "$dir/trace.log")"
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
  (cd "$JL_WORK/elsewhere" && exec timeout 30 $JL_WINE "$dir/tool.exe" "$@") >>"$dir/second.out" 2>&1
  code=$?
  [ "$code" != 124 ] || fail "a second instance did not end"
}
# Second instances in the background; their ids in batch.
second_in_background() {
  (cd "$JL_WORK/elsewhere" && exec timeout 30 $JL_WINE "$dir/tool.exe" "$@") >/dev/null 2>&1 &
  batch+=($!)
}

# How often the lines given follow each other in the log, as one block. (The lines go
# through the environment, where awk leaves backslashes alone.)
count_block() {
  [ -f "$log" ] || { echo 0; return; }
  local IFS=$'\x1f'
  BLOCK="$*" awk -v n=$# 'BEGIN { want = ENVIRON["BLOCK"] }
    { line[NR] = $0 }
    END {
      count = 0
      for (i = 1; i + n - 1 <= NR; i++) {
        text = line[i]
        for (j = 1; j < n; j++) text = text "\x1f" line[i + j]
        if (text == want) count++
      }
      print count
    }' "$log"
}
# The void form is answered before it runs: its lines may come a moment after the reply.
expect_block_once() {  # what, lines...
  local what=$1; shift
  for _ in $(seq 1 200); do [ "$(count_block "$@")" = 0 ] || break; sleep 0.05; done
  expect_eq "$(count_block "$@")" 1 "$what: [$*] in $(cat "$log")"
}
logged() { grep -qxF -- "$1" "$log"; }

# --- the void form: arguments, and the reply before the call ---------------------------
reset_case; SECONDARY_DELAY=1500; new_product
start_first "first arg"
expect_block_once "main of the first instance" "main app/SecondaryVoid args=1" "arg 0: first arg"
second "two words" "ü€日本" plain
expect_eq "$code" 0 "void form: exit code"
expect_block_once "void form: arguments" "secondaryMain void args=3" "arg 0: two words" "arg 1: ü€日本" "arg 2: plain"
! logged "secondaryMain void args=3 returns" || fail "void form: the reply came after the call"
second
expect_eq "$code" 0 "no arguments: exit code"
expect_block_once "no arguments arrive as one empty string" "secondaryMain void args=1" "arg 0: "

# The whole argument area: 2080 bytes with the NULs, and one UTF-16 unit more.
at_limit=$(printf 'x%.0s' $(seq 1 1038))
second "$at_limit"
expect_eq "$code" 0 "arguments filling the area: exit code"
expect_block_once "arguments filling the area" "secondaryMain void args=1" "arg 0: $at_limit"
second "${at_limit}y"
expect_eq "$code" 255 "one unit past the area"
! grep -q "${at_limit}y" "$log" || fail "one unit past the area: handed over"
# Long document paths, 1,500 bytes together: more than the old writers let through.
long1=C:/Users/user/Documents/$(printf 'a%.0s' $(seq 1 358)).txt long2=C:/Users/user/Documents/$(printf 'b%.0s' $(seq 1 356)).txt
second "$long1" "$long2"
expect_eq "$code" 0 "1,500 bytes of arguments"
expect_block_once "1,500 bytes of arguments" "secondaryMain void args=2" "arg 0: $long1" "arg 1: $long2"
# An empty argument after the first would end the list early and lose what follows.
second a "" b
expect_eq "$code" 255 "an empty argument inside the list"
stop_first 0

# --- the int form: the reply is the result, sent after the call --------------------------
reset_case; MAIN=app.SecondaryInt; SECONDARY_DELAY=700 RESULT=42; new_product
start_first
second x
expect_eq "$code" 42 "int form: the reply is the exit code"
logged "secondaryMain int args=1 returns 42" || fail "int form: the reply came before the call ended: $(cat "$log")"
expect_block_once "int form: arguments" "secondaryMain int args=1" "arg 0: x"
stop_first 0

# --- twenty second instances at once --------------------------------------------------------
reset_case; new_product
start_first
batch=()
for i in $(seq 1 20); do second_in_background "request $i" "x"; done
for i in $(seq 1 20); do
  wait "${batch[$((i - 1))]}"; code=$?
  expect_eq "$code" 0 "second instance $i of 20: exit code"
done
for i in $(seq 1 20); do
  expect_block_once "twenty at once" "secondaryMain void args=2" "arg 0: request $i" "arg 1: x"
done
stop_first 0

# --- eight second instances while the first is still starting ----------------------------
reset_case; CREATE_DELAY=2500; new_product
NOWAIT=1 start_first "the first"
for _ in $(seq 1 400); do grep -q "instance: first instance" "$dir/trace.log" 2>/dev/null && break; sleep 0.02; done
grep -q "instance: first instance" "$dir/trace.log" 2>/dev/null || fail "the first instance did not claim: $(cat "$dir/trace.log")"
batch=()
for i in $(seq 1 8); do second_in_background "early $i"; done
! grep -q "^main app/" "$log" 2>/dev/null || fail "main started before the second instances (the case proves nothing)"
for i in $(seq 1 8); do
  wait "${batch[$((i - 1))]}"; code=$?
  expect_eq "$code" 0 "early second instance $i: exit code"
done
expect_block_once "the first instance ran main" "main app/SecondaryVoid args=1" "arg 0: the first"
for i in $(seq 1 8); do
  expect_block_once "eight during start-up" "secondaryMain void args=1" "arg 0: early $i"
done
stop_first 0

# --- no reply: the first instance ends, or is killed, while a second one waits -------------
# app.ExitsLater has no secondaryMain and ends its process with 3 after 2.5 s.
reset_case; MAIN=app.ExitsLater; new_product
start_first
second waiting
expect_eq "$code" 3 "the first instance ended without replying: its exit code"
wait "$first_pid"

reset_case; MAIN=app.Records; new_product
start_first
(cd "$JL_WORK/elsewhere" && exec timeout 30 $JL_WINE "$dir/tool.exe" waiting) >/dev/null 2>&1 &
waiting=$!
# The request was taken once the first instance looked for secondaryMain.
for _ in $(seq 1 400); do
  logged "GetStaticMethodID app/Records secondaryMain ([Ljava/lang/String;)I" && break
  sleep 0.02
done
logged "GetStaticMethodID app/Records secondaryMain ([Ljava/lang/String;)I" || fail "the request did not arrive"
kill -0 "$waiting" 2>/dev/null || fail "without a reply the second instance waits for the first"
kill -9 "$(pgrep -P "$first_pid")"
start=$SECONDS
wait "$waiting"; code=$?
[ "$code" != 124 ] || fail "the second instance hung after the first was killed"
[ $((SECONDS - start)) -le 5 ] || fail "the second instance did not notice the killed first one soon"
wait "$first_pid" 2>/dev/null
echo "a second instance whose first one was killed ended with $code"

# --- two executables at different paths; a service --------------------------------------------
reset_case; new_product; dir1=$dir log1=$log
start_first one
first1=$first_pid
new_product
start_first two
expect_block_once "a second path is a first instance of its own" "main app/SecondaryVoid args=1" "arg 0: two"
stop_first 0
dir=$dir1 log=$log1 first_pid=$first1
stop_first 0

reset_case; APP_EXTRA=("Application Type=service"); new_product
start_first service-one
(cd "$JL_WORK/elsewhere" && exec env TESTJVM_MAIN_DELAY=60000 TESTJVM_MAIN_STOP="$(winpath "$dir/stop")" \
  timeout 60 $JL_WINE "$dir/tool.exe" service-two) >/dev/null 2>&1 &
service2=$!
pids+=("$service2")
for _ in $(seq 1 400); do [ "$(grep -c '^main app/' "$log")" = 2 ] && break; sleep 0.05; done
expect_block_once "a service runs without single instance" "main app/SecondaryVoid args=1" "arg 0: service-two"
! grep -q "^secondaryMain" "$log" || fail "a service forwards nothing"
touch "$dir/stop"; wait "$service2"; stop_first 0

# --- second instances while the first instance ends -----------------------------------------
reset_case; MAIN_DELAY=1500; new_product
start_first
batch=()
# Launches take a moment to reach the first instance: these arrive around main's end.
sleep 0.6
for i in $(seq 1 12); do
  second_in_background "late $i"
  sleep 0.12
done
wait "$first_pid"; code=$?
expect_eq "$code" 0 "the first instance ended normally while requests came"
# Every late start has ended, and with it any first instance one of them became.
codes=()
for i in $(seq 1 12); do wait "${batch[$((i - 1))]}"; codes+=($?); done
for i in $(seq 1 12); do
  code=${codes[$((i - 1))]}
  # Served (0, once), refused as not served (255, never), or a first instance itself
  # once the name was free (0, its own main).
  seen=$(($(count_block "secondaryMain void args=1" "arg 0: late $i") + $(count_block "main app/SecondaryVoid args=1" "arg 0: late $i")))
  case "$code" in
    0) expect_eq "$seen" 1 "late request $i answered 0" ;;
    255) expect_eq "$seen" 0 "late request $i refused" ;;
    *) fail "late request $i: exit code $code" ;;
  esac
done

# --- requests while the virtual machine exits ---------------------------------------------
# main has returned and DestroyJavaVM spends six seconds after the virtual machine has
# exited; a thread that attaches then never comes back. The first instance still ends.
reset_case; MAIN_DELAY=300; new_product
TESTJVM_DESTROY_DELAY=6000 start_first
for _ in $(seq 1 200); do grep -q "^DestroyJavaVM exited" "$log" && break; sleep 0.02; done
batch=()
for i in 1 2; do second_in_background "exiting $i"; done
wait "$first_pid"; expect_eq "$?" 0 "a first instance with a request stuck in the exited VM ends"
grep -q "^AttachCurrentThread blocked" "$log" || fail "no request reached the exited VM (the case proves nothing): $(cat "$log")"
for i in 1 2; do wait "${batch[$((i - 1))]}"; code=$?; [ "$code" != 124 ] || fail "request $i did not end"; done

# --- a first instance that hands the launch to its paired launcher --------------------------
# tool.exe finds a runtime for another machine and hands over to pair.exe, which hosts
# the test JVM with single instance of its own. tool.exe must not keep its instance: a
# later start of tool.exe hands over too, and pair.exe forwards it to the running one.
reset_case; new_product
foreign=$dir/foreign/bin/client
mkdir -p "$foreign"
cp "$testjvm/jvm.dll" "$foreign/jvm.dll"
# The same library marked as an image for the other machine (x86 or x64): the launcher
# only reads the header to decide.
header=$(od -An -tu4 -j60 -N4 "$foreign/jvm.dll" | tr -d ' ')
machine=$(od -An -tx2 -j$((header + 4)) -N2 "$foreign/jvm.dll" | tr -d ' ')
if [ "$machine" = 014c ]; then other='\x64\x86'; else other='\x4c\x01'; fi
printf "$other" | dd of="$foreign/jvm.dll" bs=1 seek=$((header + 4)) conv=notrunc status=none
cp "$JL_LAUNCHER" "$dir/pair.exe"
mv "$dir/tool.ini" "$dir/pair.ini"
write_ini "$dir/tool.ini" "[Java Runtime Environment]" "JRE Path=$(winpath "$dir/foreign")" \
  "Main Class=app.SecondaryVoid" "[Application]" "Single Instance=yes" "Pair Product=pair.exe" "Pair Return Code=yes"
start_first handed
expect_block_once "the paired launcher runs main" "main app/SecondaryVoid args=1" "arg 0: handed"
second "later start"
expect_eq "$code" 0 "a later start after a hand-over: exit code"
expect_block_once "a later start reaches the paired launcher's instance" "secondaryMain void args=1" "arg 0: later start"
stop_first 0

echo "single instance: all cases passed"

# Helpers of the single-instance scripts, which define new_product (sets dir and log),
# reset_case, tool (time limit, arguments: execs the launcher), first_tool, main_started
# and call_block (kind main, void or int, arguments: sets block, the lines logged for it).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
mkdir -p "$JL_WORK/elsewhere"
batch=() case_number=0
# A new case: its inputs reset, then set by the assignments given, and a product made.
product() { reset_case; [ $# = 0 ] || eval "$*"; new_product; }

# Starts the first instance; waits until its main runs unless NOWAIT=1. Sets first_pid.
start_first() {
  (cd "$JL_WORK/elsewhere" && first_tool "$@") >"$dir/first.out" 2>&1 &
  first_pid=$!
  [ "${NOWAIT:-0}" = 1 ] || wait_until 20 first_in_main || fail "the first instance's main did not start"
}
first_in_main() {
  main_started || { kill -0 "$first_pid" 2>/dev/null && return 1
    fail "the first instance ended early: $(cat "$dir/first.out" "$dir/trace.log" 2>/dev/null)"; }
}
stop_first() {  # expected exit code
  touch "$dir/stop" && wait "$first_pid"
  expect_eq "$?" "$1" "exit code of the first instance" && rm -f "$dir/stop"
}

# One second instance; sets code. second_ends checks it (code, what, arguments...),
# second_served also that the first instance got the call (code, what, kind, arguments...).
second() {
  (cd "$JL_WORK/elsewhere" && tool 30 "$@") >>"$dir/second.out" 2>&1
  code=$? && [ "$code" != 124 ] || fail "a second instance did not end"
}
second_ends() { second "${@:3}"; expect_eq "$code" "$1" "$2: exit code"; }
second_served() { second_ends "$1" "$2" "${@:4}"; expect_call "$2" "$3" "${@:4}"; }
# Second instances in the background, their ids in batch; wait_batch sets their codes.
second_in_background() { (cd "$JL_WORK/elsewhere" && tool 30 "$@") >/dev/null 2>&1 & batch+=($!); }
wait_batch() { codes=(); for pid in "${batch[@]}"; do wait "$pid"; codes+=($?); done; batch=(); }
expect_codes() { for i in "${!codes[@]}"; do expect_eq "${codes[$i]}" "$1" "$2 $((i + 1)): exit code"; done; }
expect_call() { call_block "${@:2}"; expect_block_once "$1" "${block[@]}"; }  # what, kind, arguments...
count_call() { call_block "$@"; count_block "${block[@]}"; }

# The void form: the arguments, the reply before the call (which takes a while), none as
# one empty string; the whole argument area (2080 bytes with the NULs) and one UTF-16 unit
# more; paths of 1,500 bytes together; an empty argument inside the list is left out.
void_form() {  # folder of the documents, arguments
  local at_limit
  start_first "first arg"
  expect_call "main of the first instance" main "first arg"
  second_served 0 "void form" void "${@:2}"
  ! grep -qE "^(secondary void|secondaryMain void args=[0-9]+) returns" "$log" || fail "void form: the reply came after the call"
  second_ends 0 "no arguments"
  expect_call "no arguments arrive as one empty string" void ""
  at_limit=$(printf 'x%.0s' $(seq 1 1038))
  second_served 0 "arguments filling the area" void "$at_limit"
  second_ends 255 "one unit past the area" "${at_limit}y"
  ! grep -q "${at_limit}y" "$log" || fail "one unit past the area: handed over"
  second_served 0 "1,500 bytes of arguments" void "$1/$(printf 'a%.0s' $(seq 1 360)).txt" "$1/$(printf 'b%.0s' $(seq 1 358)).txt"
  second_ends 0 "an empty argument inside the list" a "" b
  expect_call "an empty argument inside the list is left out" void a b
}

# Twenty second instances at once: each served once.
twenty_at_once() {
  start_first
  for i in $(seq 1 20); do second_in_background "request $i" "x"; done
  wait_batch
  expect_codes 0 "second instance of twenty"
  for i in $(seq 1 20); do expect_call "twenty at once" void "request $i" x; done
  stop_first 0
}

# Eight second instances once the first has claimed its name (the condition given), before main runs.
eight_while_starting() {  # condition...
  NOWAIT=1 start_first "the first"
  wait_until 8 "$@" || fail "the first instance did not claim its name: $(cat "$dir/trace.log" 2>/dev/null)"
  for i in $(seq 1 8); do second_in_background "early $i"; done
  ! main_started || fail "main started before the second instances (the case proves nothing)"
  wait_batch
  expect_codes 0 "early second instance"
  expect_call "the first instance ran main" main "the first"
  for i in $(seq 1 8); do expect_call "eight during start-up" void "early $i"; done
  stop_first 0
}

# A second instance waits for a first one without a reply (the condition given: the request
# arrived); the first is killed, and the second notices soon.
killed_while_waiting() {  # seconds to notice, condition...
  start_first
  second_in_background waiting
  wait_until 8 "${@:2}" || fail "the request did not arrive: $(cat "$log")"
  kill -0 "${batch[0]}" 2>/dev/null || fail "without a reply the second instance waits for the first"
  kill -9 "$(pgrep -P "$first_pid")"
  local start=$SECONDS
  wait_batch
  wait "$first_pid" 2>/dev/null
  [ "${codes[0]}" != 124 ] && [ $((SECONDS - start)) -le $1 ] || fail "the second instance did not notice the killed first one soon"
}

# Second instances while the first one ends: each is served (0, once), refused (255, never
# run), or a first instance itself once the name was free (0, its own main).
late_requests() {  # count, pause between two starts
  for i in $(seq 1 "$1"); do second_in_background "late $i"; sleep "$2"; done
  wait "$first_pid"
  expect_eq "$?" 0 "the first instance ended normally while requests came"
  wait_batch  # every late start has ended, and with it any first instance one became
  for i in $(seq 1 "$1"); do
    local seen=$(($(count_call main "late $i") + $(count_call void "late $i")))
    case "${codes[$((i - 1))]}" in
      0) expect_eq "$seen" 1 "late request $i answered 0" ;;
      255) expect_eq "$seen" 0 "late request $i refused" ;;
      *) fail "late request $i: exit code ${codes[$((i - 1))]}" ;;
    esac
  done
}

# A service runs without single instance; two products at different paths are first instances each.
service_and_two_paths() {
  product 'APP_EXTRA=("Application Type=service")'
  start_first service-one
  (cd "$JL_WORK/elsewhere" && first_tool service-two) >/dev/null 2>&1 &
  local other=$! dir1 log1 first1
  expect_call "a service runs without single instance" main service-two
  ! grep -q "^secondary" "$log" || fail "a service forwards nothing"
  touch "$dir/stop" && wait "$other"
  stop_first 0
  product
  start_first one
  dir1=$dir log1=$log first1=$first_pid
  new_product
  start_first two
  expect_call "a second path is a first instance of its own" main two
  stop_first 0
  dir=$dir1 log=$log1 first_pid=$first1
  stop_first 0
}

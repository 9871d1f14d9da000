# Single instance under Wine with the test JVM: arguments handed to the first instance's
# secondaryMain, the replies, the argument area, crowds and races of second instances,
# first instances that end, die or hang in an exiting VM, other paths, service mode, and
# a first instance that hands over to its paired launcher.
source "$(dirname "$0")/single_instance_lib.sh"
source "$JL_ROOT/scripts/wine-env.sh"
need_testjvm

# Inputs: MAIN (default app.SecondaryVoid), APP_EXTRA. Sets dir and log.
new_product() { MAIN=${MAIN:-app.SecondaryVoid} wine_product "[Application]" "Single Instance=yes" "${APP_EXTRA[@]}"; }
reset_case() { MAIN=; APP_EXTRA=(); MAIN_DELAY=60000 SECONDARY_DELAY=0 CREATE_DELAY=0 RESULT=7; }
tool() { exec timeout "$1" $JL_WINE "$dir/tool.exe" "${@:2}"; }
# Its main runs until the file "stop" appears or MAIN_DELAY has passed.
first_tool() {
  TESTJVM_MAIN_DELAY=$MAIN_DELAY TESTJVM_MAIN_STOP=$(winpath "$dir/stop") TESTJVM_SECONDARY_DELAY=$SECONDARY_DELAY \
    TESTJVM_SECONDARY_RESULT=$RESULT TESTJVM_CREATE_DELAY=$CREATE_DELAY TESTJVM_EXIT_DELAY=2500 TESTJVM_EXIT_CODE=3 \
    JLAUNCH_TRACE=$(winpath "$dir/trace.log") tool 60 "$@"
}
main_started() { grep -q "^main app/" "$log" 2>/dev/null; }
# "main app/SecondaryVoid args=2" or "secondaryMain void args=2", then "arg 0: a", ...
call_block() {
  local kind="main ${MAIN:-app.SecondaryVoid}" i=0
  [ "$1" = main ] && kind=${kind//./\/} || kind="secondaryMain $1"
  shift
  block=("$kind args=$#")
  for arg in "$@"; do block+=("arg $i: $arg") && i=$((i + 1)); done
}

# --- the void form: arguments, and the reply before the call ---------------------------
reset_case; SECONDARY_DELAY=1500; new_product
void_form C:/Users/user/Documents "two words" "ü€日本" plain
stop_first 0

# --- the int form: the reply is the result, sent after the call --------------------------
reset_case; MAIN=app.SecondaryInt; SECONDARY_DELAY=700 RESULT=42; new_product
start_first
second_served 42 "int form" int x
expect_logged "secondaryMain int args=1 returns 42" "int form: the reply came before the call ended"
stop_first 0

# --- twenty second instances at once, eight while the first is still starting ---------
reset_case; new_product
start_first
twenty_at_once
stop_first 0

reset_case; CREATE_DELAY=2500; new_product
eight_while_starting grep -qs "instance: first instance" "$dir/trace.log"

# --- no reply: the first instance ends, or is killed, while a second one waits -------------
# app.ExitsLater has no secondaryMain and ends its process with 3 after 2.5 s.
reset_case; MAIN=app.ExitsLater; new_product
start_first
second_ends 3 "the first instance ended without replying" waiting
wait "$first_pid"

reset_case; MAIN=app.Records; new_product
start_first
second_in_background waiting
# The request was taken once the first instance looked for secondaryMain.
wait_until 8 logged "GetStaticMethodID app/Records secondaryMain ([Ljava/lang/String;)I" ||
  fail "the request did not arrive: $(cat "$log")"
kill -0 "${batch[0]}" 2>/dev/null || fail "without a reply the second instance waits for the first"
kill -9 "$(pgrep -P "$first_pid")"
start=$SECONDS
wait_batch
[ "${codes[0]}" != 124 ] || fail "the second instance hung after the first was killed"
[ $((SECONDS - start)) -le 5 ] || fail "the second instance did not notice the killed first one soon"
wait "$first_pid" 2>/dev/null
echo "a second instance whose first one was killed ended with ${codes[0]}"

# --- two executables at different paths; a service; requests while the first one ends ---
reset_case
two_paths

service_mode

reset_case; MAIN_DELAY=1500; new_product
start_first
# Launches take a moment to reach the first instance: these arrive around main's end.
sleep 0.6
late_requests 12 0.12

# --- requests while the virtual machine exits ---------------------------------------------
# main has returned and DestroyJavaVM spends six seconds after the virtual machine has
# exited; a thread that attaches then never comes back. The first instance still ends.
reset_case; MAIN_DELAY=300; new_product
TESTJVM_DESTROY_DELAY=6000 start_first
wait_until 4 grep -q "^DestroyJavaVM exited" "$log"
for i in 1 2; do second_in_background "exiting $i"; done
wait "$first_pid"
expect_eq "$?" 0 "a first instance with a request stuck in the exited VM ends"
grep -q "^AttachCurrentThread blocked" "$log" || fail "no request reached the exited VM (the case proves nothing): $(cat "$log")"
wait_batch
for i in 1 2; do [ "${codes[$((i - 1))]}" != 124 ] || fail "request $i did not end"; done

# --- a first instance that hands the launch to its paired launcher --------------------------
# tool.exe finds a runtime for the other machine and hands over to pair.exe, which hosts
# the test JVM with single instance of its own. tool.exe must not keep its instance: a
# later start of tool.exe hands over too, and pair.exe forwards it to the running one.
reset_case; new_product
foreign_dll "$dir/foreign/bin/client/jvm.dll"
cp "$JL_LAUNCHER" "$dir/pair.exe"
mv "$dir/tool.ini" "$dir/pair.ini"
write_ini "$dir/tool.ini" "[Java Runtime Environment]" "JRE Path=$(winpath "$dir/foreign")" \
  "Main Class=app.SecondaryVoid" "[Application]" "Single Instance=yes" "Pair Product=pair.exe" "Pair Return Code=yes"
start_first handed
expect_call "the paired launcher runs main" main handed
second_served 0 "a later start reaches the paired launcher's instance" void "later start"
stop_first 0

echo "single instance: all cases passed"

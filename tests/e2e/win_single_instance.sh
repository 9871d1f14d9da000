# Single instance under Wine with the test JVM (the shared cases in single_instance_lib.sh),
# a first instance in an exiting VM, and one that hands over to its paired launcher.
source "$(dirname "$0")/single_instance_lib.sh"
source "$JL_ROOT/scripts/wine-env.sh"
need_testjvm

# A product folder: tool.exe, the test JVM as jre\bin\client\jvm.dll (its log $log), tool.ini
# naming them and MAIN (app.SecondaryVoid), with APP_EXTRA. Also inputs: the test JVM's delays.
new_product() {
  case_number=$((case_number + 1))
  dir=$JL_WORK/case$case_number log=$JL_WORK/case$case_number/jre/bin/client/testjvm.log
  mkdir -p "$dir/jre/bin/client" && cp "$JL_LAUNCHER" "$dir/tool.exe" && cp "$testjvm/jvm.dll" "$dir/jre/bin/client/"
  write_ini16 "$dir/tool.ini" "[Java Runtime Environment]" "JRE Path=$(winpath "$dir/jre")" "Main Class=${MAIN:-app.SecondaryVoid}" \
    "[Class Path]" "Class Path=C:\\app\\app.jar" "[Application]" "Single Instance=yes" "${APP_EXTRA[@]}"
}
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
  local kind="main ${MAIN:-app.SecondaryVoid}" i
  [ "$1" = main ] && kind=${kind//./\/} || kind="secondaryMain $1"
  block=("$kind args=$(($# - 1))")
  for ((i = 2; i <= $#; i++)); do block+=("arg $((i - 2)): ${!i}"); done
}

product SECONDARY_DELAY=1500
void_form C:/Users/user/Documents "two words" "ü€日本" plain
stop_first 0

# The int form: the reply is the result, sent after the call.
product MAIN=app.SecondaryInt SECONDARY_DELAY=700 RESULT=42
start_first
second_served 42 "int form" int x
expect_logged "secondaryMain int args=1 returns 42" "int form: the reply came before the call ended"
stop_first 0

product
twenty_at_once
product CREATE_DELAY=2500
eight_while_starting grep -qs "instance: first instance" "$dir/trace.log"

# No reply: app.ExitsLater has no secondaryMain and ends its process with 3 after 2.5 s;
# app.Records is killed once it looked for secondaryMain.
product MAIN=app.ExitsLater
start_first
second_ends 3 "the first instance ended without replying" waiting
wait "$first_pid"
product MAIN=app.Records
killed_while_waiting 5 logged "GetStaticMethodID app/Records secondaryMain ([Ljava/lang/String;)I"

service_and_two_paths
product MAIN_DELAY=1500
start_first
sleep 0.6  # launches take a moment to reach the first instance: these arrive around main's end
late_requests 12 0.12

# Requests while the virtual machine exits: main has returned and DestroyJavaVM spends six
# seconds after the virtual machine has exited; a thread that attaches then never comes
# back. The first instance still ends.
product MAIN_DELAY=300
TESTJVM_DESTROY_DELAY=6000 start_first
wait_until 4 grep -q "^DestroyJavaVM exited" "$log"
for i in 1 2; do second_in_background "exiting $i"; done
wait "$first_pid"
expect_eq "$?" 0 "a first instance with a request stuck in the exited VM ends"
grep -q "^AttachCurrentThread blocked" "$log" || fail "no request reached the exited VM (the case proves nothing): $(cat "$log")"
wait_batch
[[ " ${codes[*]} " != *" 124 "* ]] || fail "a request in the exiting VM did not end"

# tool.exe finds a runtime for the other machine and hands over to pair.exe, which hosts
# the test JVM with single instance of its own. tool.exe must not keep its instance: a
# later start of tool.exe hands over too, and pair.exe forwards it to the running one.
product
foreign_dll "$dir/foreign/bin/client/jvm.dll"
cp "$JL_LAUNCHER" "$dir/pair.exe" && mv "$dir/tool.ini" "$dir/pair.ini"
write_ini "$dir/tool.ini" "[Java Runtime Environment]" "JRE Path=$(winpath "$dir/foreign")" \
  "Main Class=app.SecondaryVoid" "[Application]" "Single Instance=yes" "Pair Product=pair.exe" "Pair Return Code=yes"
start_first handed
expect_call "the paired launcher runs main" main handed
second_served 0 "a later start reaches the paired launcher's instance" void "later start"
stop_first 0
echo "single instance: all cases passed"

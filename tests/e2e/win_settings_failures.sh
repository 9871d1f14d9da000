# jlaunch.exe under Wine beside a settings file without "Main Class": the error box
# as the user sees it (read back by the UI probe), and exit code -1.
source "$(dirname "$0")/lib.sh"
source "$JL_ROOT/scripts/wine-env.sh"
: "${JL_UIPROBE:?}"

case_dir=$JL_WORK/Apps
mkdir -p "$case_dir"
cp "$JL_LAUNCHER" "$case_dir/tool.exe"
write_ini "$case_dir/tool.ini" "[Application]" "Failure Check=yes"

start_wine "$case_dir/tool.exe" a "b c"
shown=$(probe_and_press tool.exe 1) || fail "no error box appeared: $shown"
expect_contains "$shown" "Main class was not specified in INI file." "error box text"
wait_exit
expect_eq "$EXIT_CODE" 255 "exit code"

# German system locale: the German text of the same message.
de=$(sed -n 's/^MSG(210, "\(.*\)")$/\1/p' "$JL_ROOT/resources/messages/de.inc")
LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 start_wine "$case_dir/tool.exe"
shown=$(probe_and_press tool.exe 1) || fail "no German error box appeared: $shown"
expect_contains "$shown" "$de" "German error box text"
wait_exit
expect_eq "$EXIT_CODE" 255 "exit code in German"
echo "ok"

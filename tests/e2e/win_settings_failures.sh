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
expect_box "Main class was not specified in INI file." "without Main Class"

# German system locale: the German text of the same message.
de=$(sed -n 's/^MSG(210, "\(.*\)")$/\1/p' "$JL_ROOT/resources/messages/de.inc")
LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 start_wine "$case_dir/tool.exe"
expect_box "$de" "German"
echo "ok"

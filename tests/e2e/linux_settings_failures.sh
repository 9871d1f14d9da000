# The Linux launcher beside a settings file without "Main Class": the message on
# standard error, in the user's language, and exit code 255 (-1).
source "$(dirname "$0")/lib.sh"

run_case() {  # folder, ini lines (none: the settings file is left as it is)
  mkdir -p "$1"
  cp "$JL_LAUNCHER" "$1/tool"
  [ $# -lt 2 ] || write_ini "$1/tool.ini" "${@:2}"
  err=$(cd "$1" && LC_ALL= LC_MESSAGES= LANG=${CASE_LANG:-C.UTF-8} ./tool a "b c" 2>&1 >/dev/null)
  code=$?
}
message="Main class was not specified in INI file."

run_case "$JL_WORK/plain" "[Application]" "Failure Check=yes"
expect_eq "$code" 255 "exit code without Main Class"
expect_eq "$err" "$message" "message without Main Class"

# No settings file at all reads as empty settings; so does one of binary noise.
run_case "$JL_WORK/none"
expect_eq "$code" 255 "exit code without a settings file"
expect_contains "$err" "$message" "message without a settings file"
mkdir -p "$JL_WORK/noise" && head -c 4096 /dev/urandom >"$JL_WORK/noise/tool.ini"
run_case "$JL_WORK/noise"
expect_eq "$code" 255 "exit code with a binary settings file"

# A UTF-16 settings file.
mkdir -p "$JL_WORK/u16" && write_ini16 "$JL_WORK/u16/tool.ini" "[Application]" "Failure Check=yes"
run_case "$JL_WORK/u16"
expect_eq "$code" 255 "exit code with a UTF-16 settings file"
expect_eq "$err" "$message" "message with a UTF-16 settings file"

# A long, non-ASCII folder name, a name with a dot in a folder.
long="$JL_WORK/$(printf 'ü%.0s' $(seq 1 60))/$(printf 'd%.0s' $(seq 1 200))/dir.v2"
run_case "$long" "[Java Runtime Environment]" "JVM Type=server"
expect_eq "$code" 255 "exit code in a long non-ASCII folder"
expect_contains "$err" "$message" "message in a long folder"

# The message follows the locale.
CASE_LANG=de_DE.UTF-8 run_case "$JL_WORK/de"
expect_eq "$code" 255 "exit code in German"
expect_eq "$err" "$(sed -n 's/^MSG(210, "\(.*\)")$/\1/p' "$JL_ROOT/resources/messages/de.inc")" "German text of message 210"
echo "ok"

# The Linux launcher beside a settings file without "Main Class": the message on
# standard error, in the user's language, and exit code 255 (-1).
source "$(dirname "$0")/lib.sh"

run_case() {  # folder, program name, ini lines...
  local dir=$1 name=$2
  mkdir -p "$dir"
  cp "$JL_LAUNCHER" "$dir/$name"
  if [ $# -gt 2 ]; then write_ini "${dir}/${name%.*}.ini" "${@:3}"; fi
  err=$( cd "$dir" && LC_ALL= LC_MESSAGES= LANG=${CASE_LANG:-C.UTF-8} "./$name" a "b c" 2>&1 >/dev/null )
  code=$?
}

run_case "$JL_WORK/plain" tool "[Application]" "Failure Check=yes"
expect_eq "$code" 255 "exit code without Main Class"
expect_eq "$err" "Main class was not specified in INI file." "message without Main Class"

# No settings file at all reads as empty settings.
run_case "$JL_WORK/none" tool
expect_eq "$code" 255 "exit code without a settings file"
expect_contains "$err" "Main class was not specified in INI file." "message without a settings file"

# A long, non-ASCII folder name, a name with a dot in a folder.
long="$JL_WORK/$(printf 'ü%.0s' $(seq 1 60))/$(printf 'd%.0s' $(seq 1 200))/dir.v2"
run_case "$long" tool "[Java Runtime Environment]" "JVM Type=server"
expect_eq "$code" 255 "exit code in a long non-ASCII folder"
expect_contains "$err" "Main class was not specified in INI file." "message in a long folder"

# The message follows the locale.
CASE_LANG=de_DE.UTF-8 run_case "$JL_WORK/de" tool
expect_eq "$code" 255 "exit code in German"
expect_not_contains "$err" "Main class was not specified" "German message"
de=$(sed -n 's/^MSG(210, "\(.*\)")$/\1/p' "$JL_ROOT/resources/messages/de.inc")
expect_eq "$err" "$de" "German text of message 210"

# A settings file that is binary noise, or UTF-16: no crash, the same clear result.
mkdir -p "$JL_WORK/noise" && head -c 4096 /dev/urandom >"$JL_WORK/noise/tool.ini"
cp "$JL_LAUNCHER" "$JL_WORK/noise/tool"
err=$(cd "$JL_WORK/noise" && LANG=C.UTF-8 ./tool 2>&1 >/dev/null); code=$?
expect_eq "$code" 255 "exit code with a binary settings file"

mkdir -p "$JL_WORK/u16" && cp "$JL_LAUNCHER" "$JL_WORK/u16/tool"
printf '\xff\xfe' >"$JL_WORK/u16/tool.ini"
printf '[Application]\r\nFailure Check=yes\r\n' | iconv -f UTF-8 -t UTF-16LE >>"$JL_WORK/u16/tool.ini"
err=$(cd "$JL_WORK/u16" && LANG=C.UTF-8 ./tool 2>&1 >/dev/null); code=$?
expect_eq "$code" 255 "exit code with a UTF-16 settings file"
expect_eq "$err" "Main class was not specified in INI file." "message with a UTF-16 settings file"
echo "ok"

# jlpack.exe packs jlaunch64.exe under Wine; the product it makes launches through the
# test JVM with the main class and "Embedded Jar" of its embedded settings, also once
# signed; with another upgrade code its layer stays closed.
source "$(dirname "$0")/lib.sh"
source "$JL_ROOT/scripts/wine-env.sh"
: "${JL_UIPROBE:?}"
need_testjvm
jlpack=$JL_BUILD/tools/jlpack/jlpack.exe
[ -f "$jlpack" ] || fail "jlpack.exe not built at $jlpack"
# The settings file is named after the last "." of the whole path: keep dots out of
# the folder names.
case "$JL_WORK" in *.*) fail "temporary folder $JL_WORK contains a dot" ;; esac

wine_product  # the test JVM under $dir/jre
printf 'stands in for the application' >"$dir/readme.txt"
(cd "$dir" && zip -q app.jar readme.txt) || fail "zip"
write_ini16 "$dir/product.ini" "[Product Information]" "Upgrade Code={6F1C-22A0}" \
  "[Java Runtime Environment]" "JRE Path=$(winpath "$dir/jre")"
printf '[Java Runtime Environment]\nMain Class=app.Records\n[Application]\nEmbedded Jar=yes\n' >"$dir/embedded.ini"
out=$($JL_WINE "$jlpack" --launcher "$(winpath "$JL_LAUNCHER")" --output "$(winpath "$dir/MyTool.exe")" \
  --settings "$(winpath "$dir/product.ini")" --embed "$(winpath "$dir/embedded.ini")" \
  --icon "$(winpath "$JL_ROOT/sample/hello.ico")" --version "ProductName=My Tool" --version FileVersion=2.3 \
  --jar "$(winpath "$dir/app.jar")" 2>&1) || fail "jlpack.exe: $out"
expect_contains "$out" "settings file" "jlpack.exe"

launch_product() {  # exe, what
  rm -f "$log"
  EXE=$(basename "$1") start_wine "$1" first "second arg"
  EXE=$(basename "$1") ends_by_itself "$2"
  expect_eq "$EXIT_CODE" 0 "$2: exit code"
  expect_block_once "$2" "main app/Records args=2" "arg 0: first" "arg 1: second arg"
  expect_logged "option -Djava.class.path=$(winpath "$1")" "$2: the executable on the class path"
}
launch_product "$dir/MyTool.exe" "packed"

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$JL_WORK/key.pem" -out "$JL_WORK/cert.pem" -days 2 \
  -subj "/CN=jlpack test" >/dev/null 2>&1 || fail "openssl"
osslsigncode sign -certs "$JL_WORK/cert.pem" -key "$JL_WORK/key.pem" -in "$dir/MyTool.exe" -out "$dir/Signed.exe" \
  >/dev/null || fail "osslsigncode"
cp "$dir/MyTool.ini" "$dir/Signed.ini"
launch_product "$dir/Signed.exe" "signed"

write_ini16 "$dir/MyTool.ini" "[Product Information]" "Upgrade Code={6F1C-22A1}" \
  "[Java Runtime Environment]" "JRE Path=$(winpath "$dir/jre")"
EXE=MyTool.exe start_wine "$dir/MyTool.exe"
EXE=MyTool.exe expect_box "Main class was not specified in INI file." "another upgrade code"

# The dialogs come from the rebuilt resources too: the missing-runtime dialog, cancelled.
write_ini16 "$dir/MyTool.ini" "[Product Information]" "Upgrade Code={6F1C-22A0}" \
  "[Java Runtime Environment]" "JRE Path=$(winpath "$JL_WORK/no-runtime")" "Minimum Version=99"
EXE=MyTool.exe start_wine "$dir/MyTool.exe"
shown=$(probe_and_press MyTool.exe 2) || fail "no missing-runtime dialog: $shown"
expect_contains "$shown" "was not found" "the packed product's missing-runtime dialog"
EXE=MyTool.exe ends_by_itself "missing runtime"
expect_eq "$EXIT_CODE" 255 "missing runtime: exit code"
echo "PASS"

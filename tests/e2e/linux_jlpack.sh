# jlpack makes product executables on a Linux build machine: the Linux launcher with its
# embedded settings and appended JAR; jlaunch64.exe and
# jlaunch.exe packed, signed with a throw-away certificate through the sign step,
# verified by osslsigncode and still run by java from the appended JAR; and refusals,
# which leave no output and the inputs as they were.
source "$(dirname "$0")/lib.sh"
find_jdks
jlpack=$JL_BUILD/tools/jlpack/jlpack
[ -x "$jlpack" ] || fail "jlpack not built at $jlpack"
w=$JL_WORK
mkdir -p "$w/classes/app" "$w/linux" "$w/win"
printf 'package app;\npublic class Main { public static void main(String[] a) { System.out.println("app.Main " + String.join(" ", a)); } }\n' \
  >"$w/classes/app/Main.java"
"${jdks[0]}/bin/javac" --release 11 -d "$w/classes" "$w/classes/app/Main.java" || fail "javac"
(cd "$w/classes" && "${jdks[0]}/bin/jar" --create --file "$w/app.jar" app/Main.class) || fail "jar"
# LF line ends on purpose: jlpack converts them.
printf '[Java Runtime Environment]\nMain Class=app.Main\n[Application]\nEmbedded Jar=yes\n' >"$w/embedded.ini"

# --- Linux (launched from the table of launches): what --describe reads back ---------------
write_ini "$w/app.ini" "[Product Information]" "Upgrade Code={6F1C-22A0}" "[Java Runtime Environment]" "JRE Path=${jdks[0]}"
out=$("$jlpack" --launcher "$JL_LAUNCHER" --output "$w/linux/tool" --settings "$w/app.ini" --embed "$w/embedded.ini" \
  --jar "$w/app.jar") || fail "jlpack for Linux: $out"
described=$("$jlpack" --describe "$w/linux/tool")
expect_contains "$described" "embedded settings: readable with $w/linux/tool.ini: 2 sections, 2 settings" "describe"
expect_contains "$described" "appended JAR: " "describe"

# --- Windows executables, signed ---------------------------------------------------------
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$w/key.pem" -out "$w/cert.pem" -days 2 -subj "/CN=jlpack test" \
  >/dev/null 2>&1 || fail "openssl"
sign="osslsigncode sign -certs $w/cert.pem -key $w/key.pem -in {in} -out {out}"
pack_windows() {  # launcher, output, more options
  "$jlpack" --launcher "$1" --output "$2" --settings "$w/app.ini" --embed "$w/embedded.ini" --key-text fixed \
    --icon "$JL_ROOT/sample/hello.ico" --version FileVersion=2.3.4 --version "ProductName=My Tool" \
    --manifest "$w/app.manifest" --jar "$w/app.jar" "${@:3}"
}
sed 's/asInvoker/highestAvailable/' "$JL_ROOT/resources/jlaunch.manifest" >"$w/app.manifest"
windows_launchers=0
for launcher in "$JL_ROOT/build/win64/jlaunch64.exe" "$JL_ROOT/build/win32/jlaunch.exe"; do
  [ -f "$launcher" ] || { echo "skipping $launcher: not built"; continue; }
  windows_launchers=$((windows_launchers + 1))
  name=$(basename "$launcher" .exe)
  out=$(pack_windows "$launcher" "$w/win/$name-a.exe" && pack_windows "$launcher" "$w/win/$name-b.exe") || fail "$name: $out"
  cmp -s "$w/win/$name-a.exe" "$w/win/$name-b.exe" || fail "$name: the same inputs gave other bytes"
  checked=$(osslsigncode verify -in "$w/win/$name-a.exe" 2>&1)
  expect_contains "$checked" "PE checksum" "$name: osslsigncode reads the checksum"
  expect_not_contains "$checked" "invalid PE checksum" "$name: PE checksum"
  out=$(pack_windows "$launcher" "$w/win/MyTool.exe" --sign-command "$sign") || fail "$name signed: $out"
  verified=$(osslsigncode verify -in "$w/win/MyTool.exe" -CAfile "$w/cert.pem" 2>&1)
  expect_contains "$verified" "Signature verification: ok" "$name: osslsigncode verify"
  described=$("$jlpack" --describe "$w/win/MyTool.exe")
  for line in "icon: group 1: 256x256 PNG, 48x48, 16x16" "version: file 2.3.4.0" "  ProductName: My Tool" \
    "embedded settings: readable with $w/win/MyTool.ini: 2 sections, 2 settings" "comment covering the signature" \
    "execution level highestAvailable" \
    "signature: present"; do
    expect_contains "$described" "$line" "$name: describe"
  done
  for jdk in "${jdks[@]}"; do
    expect_eq "$("$jdk/bin/java" -cp "$w/win/MyTool.exe" app.Main signed 2>&1)" "app.Main signed" "$name signed, $jdk"
  done
  unzip -tq "$w/win/MyTool.exe" >/dev/null 2>&1 || fail "$name: unzip rejects the appended JAR"
done
[ "$windows_launchers" -gt 0 ] || echo "skipping the Windows executables: none built"

# --- refusals: exit code, message, no output, inputs unchanged ----------------------------
cp "$JL_LAUNCHER" "$w/launcher"
[ ! -f "$w/win/MyTool.exe" ] || cp "$w/win/MyTool.exe" "$w/signed.exe"
sums=$(md5sum "$w/launcher" "$w/app.jar" "$w/app.ini")
refused() {  # exit code, message, what, options
  local got code
  got=$("$jlpack" "${@:4}" 2>&1)
  code=$?
  expect_eq "$code" "$1" "$3: exit code"
  expect_contains "$got" "jlpack: error: " "$3"
  expect_contains "$got" "$2" "$3"
  [ ! -e "$w/refused" ] || fail "$3: an output was written"
}
base=(--launcher "$w/launcher" --output "$w/refused")
refused 1 "is neither a Windows nor a Linux launcher" "no launcher" --launcher "$w/app.ini" --output "$w/refused"
refused 1 "is not an icon file" "no icon" "${base[@]}" --icon "$w/app.jar"
refused 1 "is no version number" "version text" "${base[@]}" --version FileVersion=1.x
refused 1 "is not a ZIP archive" "no JAR" "${base[@]}" --jar "$w/app.ini"
refused 1 "is no application manifest" "no manifest" "${base[@]}" --manifest "$w/app.ini"
refused 1 "for Windows executables only" "icon for Linux" "${base[@]}" --icon "$JL_ROOT/sample/hello.ico"
refused 1 "is the launcher itself" "output is input" --launcher "$w/launcher" --output "$w/launcher"
refused 1 "no such file" "missing launcher" --launcher "$w/missing" --output "$w/refused"
refused 2 "--launcher and --output are needed" "no output" --launcher "$w/launcher"
refused 2 "unknown argument" "unknown option" "${base[@]}" --colour red
if [ -f "$w/signed.exe" ]; then
  refused 1 "is signed already" "signed launcher" --launcher "$w/signed.exe" --output "$w/refused"
  head -c 1000 "$w/signed.exe" >"$w/cut.exe"
  refused 1 "is cut off" "cut executable" --launcher "$w/cut.exe" --output "$w/refused"
fi
expect_eq "$(md5sum "$w/launcher" "$w/app.jar" "$w/app.ini")" "$sums" "inputs after the refusals"
echo "PASS"

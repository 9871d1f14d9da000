# jlpack on a Linux build machine (its Linux products run in the table of launches):
# jlaunch64.exe and jlaunch.exe packed, the same bytes for the same inputs, signed through
# the sign step, verified by osslsigncode and still run by java from the appended JAR; and
# refusals, which leave no output and the inputs as they were.
source "$(dirname "$0")/lib.sh"
find_jdks
jlpack=$JL_BUILD/tools/jlpack/jlpack w=$JL_WORK
[ -x "$jlpack" ] || fail "jlpack not built at $jlpack"
mkdir -p "$w/app"
printf 'package app; public class Main { public static void main(String[] a) { System.out.println("app.Main " + String.join(" ", a)); } }\n' >"$w/app/Main.java"
"${jdks[0]}/bin/javac" --release 11 -d "$w" "$w/app/Main.java" && (cd "$w" && "${jdks[0]}/bin/jar" cf app.jar app/Main.class) || fail "app.jar"
# LF line ends on purpose: jlpack converts them.
printf '[Java Runtime Environment]\nMain Class=app.Main\n[Application]\nEmbedded Jar=yes\n' >"$w/embedded.ini"
write_ini "$w/app.ini" "[Product Information]" "Upgrade Code={6F1C-22A0}" "[Java Runtime Environment]" "JRE Path=${jdks[0]}"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$w/key.pem" -out "$w/cert.pem" -days 2 -subj "/CN=jlpack test" \
  >/dev/null 2>&1 || fail "openssl"
sed 's/asInvoker/highestAvailable/' "$JL_ROOT/resources/jlaunch.manifest" >"$w/app.manifest"
pack_windows() {  # launcher, output, more options
  "$jlpack" --launcher "$1" --output "$2" --settings "$w/app.ini" --embed "$w/embedded.ini" --key-text fixed \
    --icon "$JL_ROOT/sample/hello.ico" --version FileVersion=2.3.4 --version "ProductName=My Tool" \
    --manifest "$w/app.manifest" --jar "$w/app.jar" "${@:3}" >/dev/null || fail "jlpack $*"
}
for launcher in "$JL_ROOT/build/win64/jlaunch64.exe" "$JL_ROOT/build/win32/jlaunch.exe"; do
  [ -f "$launcher" ] || { echo "skipping $launcher: not built"; continue; }
  name=$(basename "$launcher" .exe)
  pack_windows "$launcher" "$w/$name-a.exe" && pack_windows "$launcher" "$w/$name-b.exe"
  cmp -s "$w/$name-a.exe" "$w/$name-b.exe" || fail "$name: the same inputs gave other bytes"
  checked=$(osslsigncode verify -in "$w/$name-a.exe" 2>&1)
  expect_contains "$checked" "PE checksum" "$name: osslsigncode reads the checksum"
  expect_not_contains "$checked" "invalid PE checksum" "$name: PE checksum"
  pack_windows "$launcher" "$w/MyTool.exe" --sign-command "osslsigncode sign -certs $w/cert.pem -key $w/key.pem -in {in} -out {out}"
  expect_contains "$(osslsigncode verify -in "$w/MyTool.exe" -CAfile "$w/cert.pem" 2>&1)" "Signature verification: ok" "$name: verify"
  described=$("$jlpack" --describe "$w/MyTool.exe")
  for line in "icon: group 1: 256x256 PNG, 48x48, 16x16" "version: file 2.3.4.0" "  ProductName: My Tool" \
    "embedded settings: readable with $w/MyTool.ini: 2 sections, 2 settings" "comment covering the signature" \
    "execution level highestAvailable" "signature: present"; do
    expect_contains "$described" "$line" "$name: describe"
  done
  for jdk in "${jdks[@]}"; do
    expect_eq "$("$jdk/bin/java" -cp "$w/MyTool.exe" app.Main signed 2>&1)" "app.Main signed" "$name signed, $jdk"
  done
  unzip -tq "$w/MyTool.exe" >/dev/null 2>&1 || fail "$name: unzip rejects the appended JAR"
  cp "$w/MyTool.exe" "$w/signed.exe" && head -c 1000 "$w/MyTool.exe" >"$w/cut.exe"
done

# Refusals: exit code, message, no output, inputs unchanged.
cp "$JL_LAUNCHER" "$w/launcher"
sums=$(md5sum "$w/launcher" "$w/app.jar" "$w/app.ini")
base="--launcher $w/launcher --output $w/refused"
while IFS='|' read -r code message options; do
  [ -f "$w/signed.exe" ] || [[ $options != *.exe* ]] || continue
  got=$(eval "\"\$jlpack\" $options" 2>&1)
  expect_eq "$?" "$code" "$options: exit code"
  expect_contains "$got" "jlpack: error: " "$options"
  expect_contains "$got" "$message" "$options"
  [ ! -e "$w/refused" ] || fail "$options: an output was written"
done <<'ROWS'
1|is neither a Windows nor a Linux launcher|--launcher $w/app.ini --output $w/refused
1|is not an icon file|$base --icon $w/app.jar
1|is no version number|$base --version FileVersion=1.x
1|is not a ZIP archive|$base --jar $w/app.ini
1|is no application manifest|$base --manifest $w/app.ini
1|for Windows executables only|$base --icon $JL_ROOT/sample/hello.ico
1|is the launcher itself|--launcher $w/launcher --output $w/launcher
1|no such file|--launcher $w/missing --output $w/refused
2|--launcher and --output are needed|--launcher $w/launcher
2|unknown argument|$base --colour red
1|is signed already|--launcher $w/signed.exe --output $w/refused
1|is cut off|--launcher $w/cut.exe --output $w/refused
ROWS
expect_eq "$(md5sum "$w/launcher" "$w/app.jar" "$w/app.ini")" "$sums" "inputs after the refusals"
echo "PASS"

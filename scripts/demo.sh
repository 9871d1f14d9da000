#!/usr/bin/env bash
# The demo: sets up the machine, builds the Linux launcher, packs the sample application
# into a JAR appended to a copy of the launcher, and runs it with a settings file beside
# it. What the application prints is shown as it comes.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh linux

out=build/demo
rm -rf "$out" && mkdir -p "$out/classes"
javac -d "$out/classes" sample/src/com/example/hello/Hello.java
jar --create --file "$out/hello.jar" -C "$out/classes" .
# One file both starts and contains the application.
cat build/linux/jlaunch "$out/hello.jar" >"$out/hello"
chmod +x "$out/hello"
cp sample/hello.ini "$out/hello.ini"

echo "== $out/hello first \"second argument\""
"$out/hello" first "second argument"
echo "== exit code $?"

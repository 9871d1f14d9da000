#!/usr/bin/env bash
# The demo: sets up the machine, builds the Linux launcher and jlpack, and packs the
# sample application into build/demo/hello: the launcher with the sample's settings
# embedded and its JAR appended, build/demo/hello.ini beside it. Then runs it; what the
# application prints is shown as it comes.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh linux

out=build/demo
rm -rf "$out" && mkdir -p "$out/classes"
javac -d "$out/classes" sample/src/com/example/hello/Hello.java
jar --create --file "$out/hello.jar" -C "$out/classes" .
# One file both starts and contains the application.
build/linux/tools/jlpack/jlpack --launcher build/linux/jlaunch --output "$out/hello" \
  --settings sample/hello.ini --embed sample/embedded.ini --jar "$out/hello.jar"

echo "== $out/hello first \"second argument\""
"$out/hello" first "second argument"
echo "== exit code $?"

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

# The first launch trains the class-data cache (its own folder here, so that the demo
# starts afresh each time); later ones map the classes from it.
export XDG_CACHE_HOME=$PWD/$out/cache
for launch in first second; do
  echo "== $out/hello $launch \"second argument\""
  start=$(date +%s%N)
  code=0
  "$out/hello" "$launch" "second argument" || code=$?
  echo "== exit code $code, $(( ($(date +%s%N) - start) / 1000000 )) ms"
  # On runtimes of 25 and later the archive is made apart, after the first launch has ended.
  for _ in $(seq 100); do compgen -G "$out/cache/*/*/*.classlist" >/dev/null || break; sleep 0.1; done
done

#!/usr/bin/env bash
# Start-up cost of the launcher, printed as ratios (nothing here asserts a time):
#  - Linux: a hello-world program through build/linux/jlaunch against the JDK's own
#    `java -cp` on the same JDK, medians of 20 runs each, and the peak memory of both;
#  - Wine: jlaunch64.exe hosting the test JVM against an empty GUI program, which shows
#    what the launcher's own work costs there.
# Run after scripts/build.sh; needs hyperfine and GNU time (scripts/setup.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median_json() { python3 -c "import json,sys; r=json.load(open(sys.argv[1]))['results']; print(' '.join('%.1f' % (x['median']*1000) for x in r))" "$1"; }
peak_kb() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n1; }

mkdir -p "$work/classes"
cat >"$work/Hello.java" <<'JAVA'
public class Hello { public static void main(String[] a) { System.out.println("hello"); } }
JAVA
javac -d "$work/classes" "$work/Hello.java"

for jdk in /usr/lib/jvm/java-17-openjdk-amd64 /usr/lib/jvm/temurin-25-jdk-amd64; do
  [ -x "$jdk/bin/java" ] || { echo "skip: $jdk absent"; continue; }
  dir=$work/$(basename "$jdk")
  mkdir -p "$dir"
  cp "$root/build/linux/jlaunch" "$dir/hello"
  printf '[Java Runtime Environment]\r\nMain Class=Hello\r\nJRE Path=%s\r\nJVM Type=server\r\n[Class Path]\r\nClass Path=%s\r\n' \
    "$jdk" "$work/classes" >"$dir/hello.ini"
  hyperfine -N --warmup 3 --runs 20 --export-json "$dir/times.json" \
    "$dir/hello" "$jdk/bin/java -cp $work/classes Hello" >/dev/null 2>&1
  read -r launcher java < <(median_json "$dir/times.json")
  mem_launcher=$(peak_kb "$dir/hello")
  mem_java=$(peak_kb "$jdk/bin/java" -cp "$work/classes" Hello)
  echo "$(basename "$jdk"): start to main, median of 20: jlaunch ${launcher} ms, java -cp ${java} ms," \
       "ratio $(python3 -c "print('%.2f' % ($launcher/$java))")"
  echo "$(basename "$jdk"): peak memory: jlaunch ${mem_launcher} KB, java -cp ${mem_java} KB," \
       "ratio $(python3 -c "print('%.2f' % ($mem_launcher/$mem_java))")"
done

if [ -f "$root/build/win64/jlaunch64.exe" ] && [ -f "$root/build/win64/bench/bench_empty_gui.exe" ]; then
  source "$root/scripts/wine-env.sh"
  app=$work/wine
  mkdir -p "$app/jre/bin/client"
  cp "$root/build/win64/jlaunch64.exe" "$app/tool.exe"
  cp "$root/build/win64/tests/testjvm/jvm.dll" "$app/jre/bin/client/jvm.dll"
  cp "$root/build/win64/bench/bench_empty_gui.exe" "$app/empty.exe"
  printf '[Java Runtime Environment]\r\nMain Class=app/Records\r\nJRE Path=jre\r\n[Class Path]\r\nClass Path=C:\\app.jar\r\n' >"$app/tool.ini"
  hyperfine -N --warmup 2 --runs 20 --export-json "$app/times.json" \
    "$JL_WINE $app/tool.exe" "$JL_WINE $app/empty.exe" >/dev/null 2>&1
  read -r launcher empty < <(median_json "$app/times.json")
  echo "wine: jlaunch64.exe with the test JVM ${launcher} ms, empty GUI program ${empty} ms," \
       "ratio $(python3 -c "print('%.2f' % ($launcher/$empty))")"
fi
size=$(stat -c %s "$root/build/win32/jlaunch.exe" 2>/dev/null || echo 0)
echo "jlaunch.exe: $size bytes ($(python3 -c "print('%.2f' % ($size/204800))") of 200 KB)"

#!/usr/bin/env bash
# Start-up cost of the launcher, printed as ratios (nothing here asserts a time):
#  - Linux: a hello-world program through build/linux/jlaunch against the JDK's own
#    `java -cp` on the same JDK, medians of RUNS (default 40) runs each, run in
#    alternation, with a 95% interval of the ratio, and the peak memory of both;
#  - Linux and Wine: the launcher hosting the test JVM against an empty program, which
#    shows what the launcher's own work costs.
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

runs=${RUNS:-40}
for jdk in /usr/lib/jvm/java-17-openjdk-amd64 /usr/lib/jvm/temurin-25-jdk-amd64; do
  [ -x "$jdk/bin/java" ] || { echo "skip: $jdk absent"; continue; }
  dir=$work/$(basename "$jdk")
  mkdir -p "$dir"
  cp "$root/build/linux/jlaunch" "$dir/hello"
  printf '[Java Runtime Environment]\r\nMain Class=Hello\r\nJRE Path=%s\r\nJVM Type=server\r\n[Class Path]\r\nClass Path=%s\r\n' \
    "$jdk" "$work/classes" >"$dir/hello.ini"
  read -r launcher java ratio low high < <(python3 bench/interleave.py "$runs" 3 -- "$dir/hello" -- \
    "$jdk/bin/java" -cp "$work/classes" Hello)
  mem_launcher=$(peak_kb "$dir/hello")
  mem_java=$(peak_kb "$jdk/bin/java" -cp "$work/classes" Hello)
  echo "$(basename "$jdk"): start to main, median of $runs: jlaunch ${launcher} ms, java -cp ${java} ms," \
       "ratio $ratio (95% interval $low-$high)"
  echo "$(basename "$jdk"): peak memory: jlaunch ${mem_launcher} KB, java -cp ${mem_java} KB," \
       "ratio $(python3 -c "print('%.2f' % ($mem_launcher/$mem_java))")"
done

# The launcher's own work on Linux: everything but the virtual machine.
if [ -f "$root/build/linux/tests/testjvm/libjvm.so" ]; then
  own=$work/own
  mkdir -p "$own/jre/lib/server"
  cp "$root/build/linux/jlaunch" "$own/tool"
  cp "$root/build/linux/tests/testjvm/libjvm.so" "$own/jre/lib/server/"
  printf 'int main(void) { return 0; }\n' >"$work/empty.c"
  cc -O2 -o "$own/empty" "$work/empty.c"
  printf '[Java Runtime Environment]\r\nMain Class=app/Records\r\nJRE Path=jre\r\n[Class Path]\r\nClass Path=/app.jar\r\n' >"$own/tool.ini"
  read -r launcher empty ratio low high < <(TESTJVM_LOG=/dev/null python3 bench/interleave.py 200 10 -- "$own/tool" -- "$own/empty")
  echo "linux: jlaunch with the test JVM ${launcher} ms, empty program ${empty} ms, ratio $ratio (95% interval $low-$high)"
  # Everything before the virtual machine against the JDK's own launcher doing the same:
  # both load the test JVM from a runtime folder, whose JNI_CreateJavaVM fails at once.
  jdk=/usr/lib/jvm/temurin-25-jdk-amd64
  if [ -x "$jdk/bin/java" ]; then
    mkdir -p "$own/jre/bin"
    cp "$jdk/bin/java" "$own/jre/bin/" && cp "$jdk/lib/libjli.so" "$jdk/lib/libjava.so" "$jdk/lib/jvm.cfg" "$own/jre/lib/"
    read -r launcher java ratio low high < <(TESTJVM_LOG=/dev/null TESTJVM_CREATE_RESULT=-1 python3 bench/interleave.py \
      200 10 --any-status -- "$own/tool" -- "$own/jre/bin/java" -cp /app.jar app.Records)
    echo "linux: up to a failing JNI_CreateJavaVM: jlaunch ${launcher} ms, the JDK's java ${java} ms," \
         "ratio $ratio (95% interval $low-$high)"
  fi
fi

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
  echo "wine: jlaunch64.exe with the test JVM ${launcher} ms, empty GUI program with the same imports ${empty} ms," \
       "ratio $(python3 -c "print('%.2f' % ($launcher/$empty))")"
fi
size=$(stat -c %s "$root/build/win32/jlaunch.exe" 2>/dev/null || echo 0)
echo "jlaunch.exe: $size bytes ($(python3 -c "print('%.2f' % ($size/204800))") of 200 KB)"

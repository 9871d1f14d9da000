# The class-data cache with the installed JDKs: the first launch trains it, the next one
# maps it, a changed JAR trains again, a cache folder that cannot be written still
# launches, two first launches at once leave a usable cache, and no message about the
# cache reaches the application's streams.
source "$(dirname "$0")/lib.sh"

find_jdks
mkdir -p "$JL_WORK/classes" && "${jdks[0]}/bin/javac" --release 11 -d "$JL_WORK/classes" "$JL_ROOT/tests/java/redirection/Probe.java" &&
  "${jdks[0]}/bin/jar" cf "$JL_WORK/probe.jar" -C "$JL_WORK/classes" . || fail "probe.jar"
trace=$JL_WORK/trace

# One launch of the tool in $dir with the trace in $trace: what, exit code, arguments.
# "print X" shows X on both streams, and nothing else.
launch() {
  local errors=$JL_WORK/err.$BASHPID
  : >"$trace"
  out=$(JLAUNCH_TRACE=$trace timeout 120 "$dir/tool" "${@:3}" 2>"$errors")
  code=$? err=$(cat "$errors")
  expect_eq "$code" "$2" "$1: exit code"
  [ "$3" != print ] || expect_eq "$out|$err" "to out: $4|to err: $4" "$1: standard output|standard error"
}
# The complete cache is there and no launch's own files are left.
cache_ready() {
  compgen -G "$cache/tool-*.$ext" >/dev/null && ! compgen -G "$cache/*.tmp" >/dev/null &&
    ! compgen -G "$cache/*.classlist" >/dev/null
}
caches() { compgen -G "$cache/tool-*.$ext" | wc -l; }

for JDK in "${jdks[@]}"; do
  name=$(basename "$JDK")
  ext=jsa && [[ $("$JDK/bin/java" -version 2>&1) =~ version\ \"2[5-9] ]] && ext=aot
  dir=$JL_WORK/$name
  mkdir -p "$dir"
  cp "$JL_LAUNCHER" "$dir/tool" && cp "$JL_WORK/probe.jar" "$dir/app.jar"
  export XDG_CACHE_HOME=$JL_WORK/cache-$name
  cache="$XDG_CACHE_HOME/Cache Test/{$name}"
  write_ini "$dir/tool.ini" "[Product Information]" "Product Name=Cache: Test" "Product Code={$name}" \
    "[Java Runtime Environment]" "JRE Path=$JDK" "Main Class=Probe" "Class Data Cache=yes" \
    "[Class Path]" "Class Path=app.jar"

  launch "$name first" 0 print one
  traced "this launch trains one" "$name first"
  wait_until 90 cache_ready || fail "$name: no cache after the first launch: $(ls -la "$cache")"

  # The program's own System.exit keeps its code.
  launch "$name second" 7 exit 7
  expect_eq "$out|$err" "exiting 7|" "$name second: standard output|standard error"
  traced "the cache fits" "$name second"
  traced "the runtime mapped the cache" "$name second"

  touch -d '2020-01-02' "$dir/app.jar"
  launch "$name changed jar" 3 exit 3
  traced "differs from the one kept at: class path $dir/app.jar" "$name changed jar"
  traced "this launch trains one" "$name changed jar"
  wait_until 90 cache_ready || fail "$name: no cache after the JAR changed"
  expect_eq "$(caches)" 1 "$name changed jar: the stale cache is removed"
  launch "$name after retraining" 0 print two
  traced "the runtime mapped the cache" "$name after retraining"

  # A cache folder that cannot be written (root writes anywhere: then a file stands in
  # the way of the folder).
  unwritable=$JL_WORK/unwritable-$name
  if [ "$(id -u)" = 0 ]; then : >"$unwritable"; else mkdir -p "$unwritable" && chmod a-w "$unwritable"; fi
  XDG_CACHE_HOME=$unwritable launch "$name unwritable" 0 print three
  traced "cannot be written; the launch goes on without it" "$name unwritable"

  # Two first launches at once.
  rm -rf "$cache"
  launch "$name together 1" 0 print a &
  first=$!
  launch "$name together 2" 0 print b &
  wait $first || fail "$name: the first of two launches at once"
  wait $! || fail "$name: the second of two launches at once"
  wait_until 90 cache_ready || fail "$name: no cache after two launches at once: $(ls -la "$cache")"
  launch "$name after two at once" 0 print c
  traced "the runtime mapped the cache" "$name after two at once"
done
echo "class-data cache: ${jdks[*]}"

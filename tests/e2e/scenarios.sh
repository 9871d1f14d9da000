# The launcher end to end, one row per launch, on both builds: the Linux launcher hosts
# the installed JDKs with the programs of tests/java, the Windows launcher under Wine the
# test JVM, whose log says what the virtual machine was handed and did.
# A row: where (* both, L Linux, W Windows) | main | arguments | settings | environment | exit code | checks...
#   main         Records, Exits, Throws, NoMain, BadInit (on both), a class name, - none
#   arguments    shell words
#   settings     lines of the settings file split at "^", first in [Java Runtime Environment]
#   environment  NAME=value words for the launch: VMP is added to the virtual machine
#                parameters, SETUP runs first in the product folder, JRE=none and CP=none
#                leave the runtime and class path out, FROM is the current folder, PRESS the
#                button that answers the box (default 1), NEED a file the row needs,
#                NATIVE=1 not under emulation (the row races a wait of the launcher's own)
#   checks       [L:|W:][!]kind text: saw= main got these shell words; msg~ the error
#                message has (Linux: standard error; Windows: the box, read and answered);
#                out= standard output is and err~ standard error has (Linux); wrote= the
#                program's file is (Linux); log~ a line of the test JVM's log (Windows);
#                trace~ the trace has; sh: a shell condition after the launch, while: one
#                while it runs (Windows). "^" in out= and wrote= is a line break.
#   @name@ stands for $name: @case@ the product folder, @work@ this script's, @w...@ the
#   same as Windows paths. JL_ROWS=regex runs the matching rows only; JL_PART and JL_PARTS
#   every JL_PARTS-th section ("# --" lines) from JL_PART on.
source "$(dirname "$0")/lib.sh"
[[ $JL_LAUNCHER == *.exe ]] && platform=W || platform=L
testsplash=$JL_BUILD/tests/testsplash images=$JL_ROOT/tests/data/splash work=$JL_WORK planted=$JL_WORK/documents
de210=$(sed -n 's/^MSG(210, "\(.*\)")$/\1/p' "$JL_ROOT/resources/messages/de.inc")
long=$(for _ in 1 2 3 4 5 6; do printf 'x%.0s' $(seq 1 49); printf /; done)

# Linux: the programs, and folders faking runtimes.
if [ $platform = L ]; then
  find_jdks
  jdk=${jdks[0]} jdk25= path=$PATH
  for j in "${jdks[@]}"; do [[ $("$j/bin/java" -version 2>&1) == *'version "25'* ]] && jdk25=$j; done
  classes=$JL_BUILD/tests/e2e-classes${JL_PART:-} src=$JL_ROOT/tests/java
  rm -rf "$classes" && mkdir -p "$classes/out" "$classes/case/lib" "$classes/case/extra"
  for c in lib/A lib/B extra/C; do mkdir -p "$classes/${c%/*}" && echo "package hosting.${c%/*}; public class ${c#*/} {}" >"$classes/$c.java"; done
  "$jdk/bin/javac" --release 11 -d "$classes/out" "$src"/hosting/*.java "$classes"/*/?.java "$src"/redirection/*.java || fail "javac"
  (cd "$classes/out" && "$jdk/bin/jar" -cf ../case/app.jar hosting/*.class Probe.class &&
    "$jdk/bin/jar" -cf ../case/lib/a.jar hosting/lib/A.class && "$jdk/bin/jar" -cf ../case/lib/b.jar hosting/lib/B.class &&
    "$jdk/bin/jar" -cf ../case/extra/c.jar hosting/extra/C.class) || fail "jar"
  if [ -n "$jdk25" ]; then
    "$jdk25/bin/javac" --release 25 -cp "$classes/out" -d "$classes/out25" "$src"/hosting/java25/*.java || fail "javac 25"
    (cd "$classes/out25" && "$jdk/bin/jar" -cf ../case/app25.jar hosting/*.class) || fail "jar 25"
  fi
  # The feature versions of the installed runtimes the search can find.
  majors=$(for r in /usr/lib/jvm/*/release; do
    [ -e "${r%/release}/lib/server/libjvm.so" ] && sed -n 's/^JAVA_VERSION="\([0-9]*\).*/\1/p' "$r"; done | sort -n)
  lowest=$(head -1 <<<"$majors") highest=$(tail -1 <<<"$majors") beyond=$(($(tail -1 <<<"$majors") + 1))
  newest=$(dirname "$(grep -l "^JAVA_VERSION=\"$highest[.\"]" /usr/lib/jvm/*/release | head -1)")
  # A runtime of links to the JDK, its release file naming IBM or its splash library a test variant.
  linked_runtime() {  # folder, IMPLEMENTOR or splash variant
    mkdir -p "$1/lib"
    for e in "$jdk"/*; do [ "${e##*/}" = lib ] || [ "${e##*/}" = release ] || ln -s "$e" "$1/"; done
    for e in "$jdk"/lib/*; do [ "${e##*/}" = libsplashscreen.so ] || ln -s "$e" "$1/lib/"; done
    { grep -v '^IMPLEMENTOR=' "$jdk/release"; [[ $2 == lib* ]] || echo "IMPLEMENTOR=\"$2\""; } >"$1/release"
    [[ $2 != lib* ]] || cp "$testsplash/$2.so" "$1/lib/libsplashscreen.so"
  }
  linked_runtime "$JL_WORK/ibm" "IBM Corporation"
  if [ -f "$testsplash/libsplashscreen.so" ]; then
    linked_runtime "$JL_WORK/rt-splash" libsplashscreen && linked_runtime "$JL_WORK/rt-nojar" libsplashscreen_nojar
  fi
  fake() { mkdir -p "$(dirname "$1")" && echo "${2:-fake}" >"$1"; }
  # Copies planted in the folder the launcher is started from, which must never be used.
  fake "$planted/rt/lib/server/libjvm.so" planted && fake "$planted/lib/server/libjvm.so" planted
  cp "$classes/out/Planted.class" "$planted/"
  jar_in_lib() { mkdir -p lib && (cd "$classes/out" && "$jdk/bin/jar" -cf "$OLDPWD/lib/probe.jar" Probe.class); }
fi

# Windows: registered runtimes (their jvm.dll files are no libraries).
if [ $platform = W ]; then
  source "$JL_ROOT/scripts/wine-env.sh"
  : "${JL_UIPROBE:?}"
  need_testjvm
  if [ "$(basename "$JL_LAUNCHER")" = jlaunch64.exe ]; then own=64 other=32; else own=32 other=64; fi
  fake() { mkdir -p "$(dirname "$1")" && echo "not a library" >"$1"; }
  rt=$JL_WORK/runtimes key='HKLM\Software\JavaSoft\Java Runtime Environment'
  fake "$rt/a/bin/server/jvm.dll" && reg_value $own "$key\\1.8.0_151" JavaHome "$rt/a" "$key\\1.8.0_151"
  fake "$rt/b/bin/server/jvm.dll" && reg_value $own "$key\\17.0.2" JavaHome "$rt/b" "$key\\17.0.2"
  fake "$rt/c/bin/client/jvm.dll" && reg_value $other "$key\\1.7.0_80" JavaHome "$rt/c" "$key\\1.7.0_80"
  foreign_dll "$rt/d/bin/server/jvm.dll" && reg_value $own "$key\\1.6.0_45" JavaHome "$rt/d" "$key\\1.6.0_45"
  fake "$rt/e/bin/server/jvm.dll"
  reg_value $own 'HKLM\Software\Eclipse Adoptium\JDK\21.0.4.7\hotspot\MSI' Path "$rt/e" 'HKLM\Software\Eclipse Adoptium'
  fake "$rt/f/bin/server/jvm.dll" && printf 'JAVA_VERSION="22.0.2"\n' >"$rt/f/release"
  reg_value 64 'HKCU\Software\Azul Systems\Zulu\zulu-22' InstallationPath "$rt/f" 'HKCU\Software\Azul Systems'
  foreign_jvm=$JL_ROOT/build/$([ $own = 64 ] && echo win32 || echo win64)/tests/testjvm/jvm.dll
  fake "$planted/rt/bin/client/jvm.dll" && fake "$planted/bin/client/jvm.dll"
  cp "$testjvm/jlmarker.dll" "$planted/"
  wwork=$(winpath "$JL_WORK") wrt=$(winpath "$rt") wimages=$(winpath "$images")
fi

expand() {  # text: each @name@ replaced by $name
  local t=$1 case=$dir wcase name
  [ $platform = L ] || wcase=$(winpath "$dir")
  while [[ $t =~ @([a-z0-9]+)@ ]]; do name=${BASH_REMATCH[1]} && t=${t//@$name@/${!name}}; done
  printf '%s' "$t"
}

# The settings file: the row's lines, and what a launch needs where the row said nothing.
write_settings() {  # main, JRE Path, class path
  local all="^$(expand "$settings")" own rest= lines
  own=${all%%^\[*} && [[ $all != *^\[* ]] || rest=[${all#*^\[}
  own=${own#^}
  { echo "[Java Runtime Environment]"; [ "$1" = - ] || echo "Main Class=$1"; echo "${own//^/$'\n'}"
    [[ $own == *"JRE Path="* || ${JRE:-} == none ]] || echo "JRE Path=$2"
    [[ $own == *"Virtual Machine Parameters="* || ${VMP:-} == none ]] || echo "Virtual Machine Parameters=${VMP:-}"
    [ -z "$rest" ] || echo "${rest//^/$'\n'}"
    [[ $rest == *"[Class Path]"* || ${CP:-} == none ]] || printf '[Class Path]\nClass Path=%s\n' "$3"
  } >"$dir/ini.txt"
  mapfile -t lines <"$dir/ini.txt"
  "write_ini$([ $platform = L ] || echo 16)" "$dir/tool.ini" "${lines[@]}"
}
setup() { [ -z "${SETUP:-}" ] || (cd "$dir" && eval "$(expand "$SETUP")") || fail "$label: setup"; }

launch_linux() {  # main, arguments...
  local main=$1 java=$jdk pack=()
  case $main in
    Records) main=hosting.Main ;;
    Exits | Throws) main=${main%s} && VMP="-Dhosting.mode=${main,} ${VMP:-}" main=hosting.Main ;;
    NoMain | BadInit) main=hosting.$main ;;
  esac
  [ "${JDK25:-0}" = 0 ] || java=$jdk25
  [ "${VMP:-}" = none ] || VMP="-Dhosting.out=$dir/out.txt ${VMP:-}"
  cp -r "$classes/case/." "$dir/"
  write_settings "$main" "$java" app.jar
  [ "${EMBED:-0}" = 0 ] || pack+=(--jar "$dir/app.jar")
  if [ -n "${LAYER:-}" ]; then
    printf '[Product Information]\r\nUpgrade Code={5E2B-71C4}\r\n' >>"$dir/tool.ini"
    printf "$LAYER" >"$dir/layer.ini"
    pack+=(--settings "$dir/tool.ini" --embed "$dir/layer.ini")
  fi
  "$JL_BUILD/tools/jlpack/jlpack" --launcher "$JL_LAUNCHER" --output "$dir/tool" "${pack[@]}" >/dev/null || fail "$label: jlpack"
  setup
  out=$(cd "$(expand "${FROM:-@work@}")" && LC_ALL=${LC_ALL:-} LANG=${LANG_RUN:-C.UTF-8} JLAUNCH_TRACE=$(expand "${TRACE-@case@/trace.txt}") \
    TESTSPLASH_LOG=$dir/testsplash.log timeout 60 "$dir/tool" "${@:2}" 2>"$dir/stderr")
  code=$? err=$(cat "$dir/stderr") saw=$(cat "$dir/out.txt" 2>/dev/null)
  [ "$code" != 124 ] || fail "$label: the launcher did not end"
}

launch_windows() {  # main, arguments...
  local main=$1
  [[ $main == *.* || $main == - ]] || main=app.$main
  log=$dir/jre/bin/client/testjvm.log
  cp "$JL_LAUNCHER" "$dir/tool.exe"
  [ "${JRE:-}" = none ] || { mkdir -p "$dir/jre/bin/client" && cp "$testjvm/${VARIANT:-jvm}.dll" "$dir/jre/bin/client/jvm.dll"; }
  write_settings "$main" "$(winpath "$dir/jre")" 'C:\app\app.jar'
  setup
  ( cd "$(expand "${FROM:-@case@}")" && exec env ${LANG_RUN:+LANG=$LANG_RUN LC_ALL=$LANG_RUN} \
    JLAUNCH_TRACE="$(expand "${TRACE-@wcase@\\trace.txt}")" TESTSPLASH_LOG="$(winpath "$dir/testsplash.log")" \
    $JL_WINE "$dir/tool.exe" "${@:2}" ) >"$JL_WORK/wine.out" 2>&1 &
  LAUNCH_PID=$!
  for check in "${checks[@]}"; do
    [[ $check != while:* ]] || eval "$(expand "${check#while:}")" || fail "$label: not so while it runs: $check"
  done
  err=
  if [[ " ${checks[*]}" =~ \ (W:)?msg~ ]]; then
    err=$(probe_and_press "${BOX_OF:-tool.exe}" "${PRESS:-1}") || fail "$label: no box appeared: $err"
    err=${err//\\\\/\\}  # the UI probe writes a backslash as two
  fi
  ends_by_itself "$label"
  code=$EXIT_CODE saw=$(cat "$log" 2>/dev/null)
}

# Whether main was called with exactly these arguments (shell words).
saw_arguments() {
  local expected i=0 w
  eval "local words=($1)"
  [ $platform = L ] && expected="count ${#words[@]}" || expected="main app/Records args=${#words[@]}"
  for w in "${words[@]}"; do expected+=$'\n'$([ $platform = L ] && echo "$i:$w" || echo "arg $i: $w") i=$((i + 1)); done
  [ $platform = W ] && [[ $saw == *"$expected"* ]] || [ "$saw" == "$expected" ]
}

row_number=0
run_row() {  # the row's text
  local IFS='|' where main args environment expected rest check kind text
  read -r where main args settings environment expected rest <<<"$1"
  IFS=$'\n' read -d '' -ra checks < <(tr '|' '\n' <<<"$rest" | sed 's/^ *//; s/ *$//')
  IFS=$' \t\n'
  read -r where <<<"$where" && read -r main <<<"$main" && read -r expected <<<"$expected"
  settings=$(sed 's/^ *//; s/ *$//' <<<"$settings")
  [ "$where" = '*' ] || [ "$where" = $platform ] || return 0
  row_number=$((row_number + 1))
  label="row $row_number: $main $args"
  [[ -z ${JL_ROWS:-} || $1 =~ $JL_ROWS ]] && [ $((section % ${JL_PARTS:-1})) = "${JL_PART:-0}" ] || return 0
  ( dir=$JL_WORK/case$row_number out= err= saw=
    [[ $environment != *[^\ ]* ]] || eval "export $environment"
    dir=$dir${SUB:+/$SUB}
    [[ $environment != *@* ]] || eval "export $(expand "$environment")"
    if [ -n "${NEED:-}" ] && [ ! -e "$(expand "$NEED")" ]; then echo "skipped $label: no $NEED"; exit 0; fi
    [ "${JDK25:-0}" = 0 ] || [ -n "$jdk25" ] || { echo "skipped $label: no JDK 25"; exit 0; }
    [ "${ONLY32:-0}" = 0 ] || [ "${own:-}" = 32 ] || exit 0
    [ "${NATIVE:-0}" = 0 ] || [ "${JL_WINE32_ROUTE:-}" != qemu ] || { echo "skipped $label: under emulation"; exit 0; }
    mkdir -p "$dir"
    eval "args=($args)"
    "launch_$([ $platform = L ] && echo linux || echo windows)" "$main" "${args[@]}"
    expect_eq "$code" "$expected" "$label: exit code (message: $err)"
    trace=$dir/trace.txt
    for check in "${checks[@]}"; do
      [[ $check == $platform:* ]] && check=${check#?:}
      [[ $check == [LW]:* || $check == while:* || -z $check ]] && continue
      check=$(expand "$check") kind=${check%%[=~:]*} text=${check#*[=~:]}
      case ${kind#!} in
        saw) saw_arguments "$text" ;;
        out) [ "$out" == "${text//^/$'\n'}" ] ;;
        wrote) [ "$saw" == "${text//^/$'\n'}" ] ;;
        msg | err) grep -qF -- "$text" <<<"$err" ;;
        log) grep -qxF -- "$text" "$log" ;;
        trace) grep -qF -- "$text" "$trace" ;;
        sh) eval "$text" ;;
        *) fail "$label: unknown check [$check]" ;;
      esac
      [ $(($? == 0)) != "$([ "$kind" = "${kind#!}" ]; echo $?)" ] ||
        fail "$label: not so: [$check]; output [$out], error [$err], program [$saw], trace [$(cat "$trace" 2>/dev/null)]"
    done ) || exit 1
}


left_and_destroyed() { expect_before DetachCurrentThread "DestroyJavaVM on-creating-thread=yes attached=no" "$label"; }
count_in() { [ "$(grep -c -- "$2" <<<"$3")" = "$1" ] || fail "$label: [$2] not $1 times in [$3]"; }  # n, text, in
splash_probe() { $JL_WINE "$JL_UIPROBE" "$@"; }
screenshot() { mkdir -p "$JL_BUILD/screenshots" && sleep 0.3 && import -window root "$JL_BUILD/screenshots/$1"; }
splash_calls() {  # the image name: the library was called for it (none: not called)
  expect_eq "$(cat "$dir/testsplash.log" 2>/dev/null)" "$([ -z "$1" ] || lines SplashInit "SplashLoadFile $1" "SplashSetFileJarName $1|" SplashClose)" "$label: splash library calls"
}
heap_near_tenth() {  # a tenth of the memory, rounded up by the virtual machine
  local tenth=$(($(sed -n 's/^MemTotal: *\([0-9]*\) kB$/\1/p' /proc/meminfo) * 1024 / 10)) max=${out#maxMemory=}
  [ "$max" -gt $((tenth * 9 / 10)) ] && [ "$max" -le $((tenth + 67108864)) ]
}
ibm_release() { lines 'JAVA_VERSION="1.8.0_402"' 'IMPLEMENTOR="IBM Corporation"' >jre/release; }
paired_product() { cp "$foreign_jvm" jre/bin/client/jvm.dll && cp "$JL_UIPROBE" pair.exe; }
described() { grep -qF -- "$1" <<<"$("$JL_BUILD/tools/jlpack/jlpack" --describe "$dir/tool")"; }
# tool.exe packed by jlpack.exe: the row's settings, a layer naming app.Records, "Embedded Jar".
packed() {
  mv tool.exe plain.exe && zip -q app.jar ini.txt || return 1
  printf '[Java Runtime Environment]\nMain Class=app.Records\n[Application]\nEmbedded Jar=yes\n' >layer.ini
  $JL_WINE "$JL_BUILD/tools/jlpack/jlpack.exe" --launcher plain.exe --output tool.exe --settings tool.ini --embed layer.ini \
    --icon "$(winpath "$JL_ROOT/sample/hello.ico")" --version "ProductName=My Tool" --jar app.jar >/dev/null 2>&1 || return 1
  [ "${1:-}" != signed ] || { openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 -subj /CN=test &&
    osslsigncode sign -certs cert.pem -key key.pem -in tool.exe -out signed.exe && mv signed.exe tool.exe; } >/dev/null 2>&1
}
release() { printf 'JAVA_VERSION="%s"\nJVM_VARIANT="%s"\n' "$1" "$2" >jre/release; }  # version, variant
# The class-data cache's option (or none) right after the class path, -Xmx64m still last.
cache_options() {
  local options
  options=$(grep '^option ' "$log")
  expect_eq "$(sed -n 1p <<<"$options" | cut -c1-25)" "option -Djava.class.path=" "$label: class path first"
  expect_eq "$(tail -n3 <<<"$options" | head -1)" "option -Xmx64m" "$label: the product's parameters last"
  if [ -n "${1:-}" ]; then expect_contains "$(sed -n 2p <<<"$options")" "option $1" "$label: cache option"
  else expect_eq "$(wc -l <<<"$options")" 4 "$label: no option added"; fi
}
# -Dapp.home reached the virtual machine in the code page, by its short name, traced.
short_name_passed() {
  local passed=$(grep -a '^option -Dapp.home=' "$log")
  [[ $passed == 'option -Dapp.home=Z:\'*'\lib' && $passed != *'?'* ]] && ! LC_ALL=C grep -q '[^ -~]' <<<"$passed" ||
    fail "$label: not passed in the code page: [$passed]"
  traced "jvm: option path $(winpath "$JL_WORK/Юрий/lib") passed as ${passed#option -Dapp.home=}" "$label: traced"
}

section=0
while IFS= read -r row; do
  [[ $row == '# --'* ]] && section=$((section + 1))
  [[ -z $row || $row == '#'* ]] || run_row "$row"
done <<'ROWS'
# -- what main and the virtual machine get ---------------------------------------------------
* | Records | plain "two words" "ü€日本" "" -nosplash /nosplash | [Application]^Cmd=--cmd "x y" | VMP='-Xmx64m "-Dapp.title=My App"' | 0 | saw=plain "two words" "ü€日本" "" -nosplash /nosplash --cmd "x y" | W:sh:expect_eq "$(sed -n 's/^option //p' "$log")" "$(lines '-Djava.class.path=C:\app\app.jar' -Xmx64m '-Dapp.title=My App' 'abort hook=set' 'exit hook=set')" options | W:log~CreateJavaVM version=0x00010002 options=5 ignoreUnrecognized=0 | W:log~checkAndLoadMain printToStderr=1 mode=1 name=app.Records | W:!log~FindClass app/Records | W:sh:left_and_destroyed
* | Records | one | | VMP='-Xmx64m -Dname=Grüße' | 0 | trace~jvm: option -Xmx64m | trace~jvm: option -Dname=Gr | trace~jvm: JNI_CreateJavaVM: 0 | trace~jvm: main method: found | trace~jvm: main returned | trace~launch: exit code 0 | L:trace~jvm: option -Djava.class.path=@case@/app.jar | W:trace~jvm: option -Djava.class.path=C:\app\app.jar | W:trace~jvm: main class: loaded; main is static, with String[] | W:sh:iconv -f UTF-8 -t UTF-8 "$trace" >/dev/null | L:trace~jvm: main class: LauncherHelper.checkAndLoadMain
L | Records | | | | 0 | trace~jvm: main class: loaded; main is static, with String[] (not said)
L | Records | | | JDK25=1 | 0 | trace~jvm: main class: loaded; main is static, with String[] | !trace~(not said)
L | - | | | LAYER='[Java Runtime Environment]\nMain Class=hosting.Main\n[Class Path]\nClass Path=app.jar\n' CP=none | 0 | saw= | trace~jvm: options: not shown (embedded settings) | !trace~java.class.path | !trace~jvm: option - | trace~jvm: main returned | sh:described "embedded settings: readable with @case@/tool.ini: 2 sections, 2 settings"
L | Records | one | [Application]^Embedded Jar=yes | EMBED=1 CP=none | 0 | saw=one | sh:described "appended JAR: "
L | - | | | LAYER='[Java Runtime Environment]\nMain Class=hosting.Main\n' SETUP='sed -i s/71C4/71C5/ tool.ini' | 255 | err~Main class was not specified in INI file.
L | hosting.Main | hosting.lib.A hosting.lib.B hosting.extra.C | [Class Path]^Class Path=app.jar;\lib\*.jar;.\extra\c.jar;nothing\*.jar | VMP=-Dhosting.mode=classes | 0 | wrote=loaded hosting.lib.A^loaded hosting.lib.B^loaded hosting.extra.C
# The stack of main's thread follows -Xss, else the VM's default, else the executable's reserve.
L | hosting.Main | | | VMP='-Dhosting.mode=depth -Xint -Xss64m' | 0 | sh:[[ $saw =~ ^depth\ [0-9]{6,}$ ]]
L | hosting.Main | | | VMP='-Dhosting.mode=depth -Xint' | 0 | sh:[[ $saw =~ ^depth\ [0-9]{4,5}$ ]]
W | Records | | | VMP=-Xss8m | 0 | log~stack 8388608 | !log~GetDefaultJavaVMInitArgs version=0x00010001
W | Records | | | TESTJVM_DEFAULT_STACK=3145728 | 0 | log~GetDefaultJavaVMInitArgs version=0x00010001 | log~stack 3145728
W | Records | | | TESTJVM_DEFAULT_STACK=0 | 0 | log~stack 1048576
# The class-data cache's options for each version and kind the release file gives, none
# where unsure; through System.exit, so that the IBM family ends too, with its code.
W | Exits | | Class Data Cache=yes | VMP=-Xmx64m TESTJVM_EXIT_CODE=4 LOCALAPPDATA='@wwork@\local' SETUP='release 17.0.15 Hotspot' | 4 | sh:cache_options -XX:ArchiveClassesAtExit=
W | Exits | | Class Data Cache=yes | VMP=-Xmx64m TESTJVM_EXIT_CODE=4 LOCALAPPDATA='@wwork@\local' SETUP='release 25.0.1 ""' | 4 | sh:cache_options -XX:DumpLoadedClassList=
W | Exits | | Class Data Cache=yes | VMP=-Xmx64m TESTJVM_EXIT_CODE=4 LOCALAPPDATA='@wwork@\local' SETUP='release 21 Hotspot' | 4 | sh:cache_options -XX:+AutoCreateSharedArchive
W | Exits | | Class Data Cache=yes | VMP=-Xmx64m TESTJVM_EXIT_CODE=4 LOCALAPPDATA='@wwork@\local' SETUP='release 1.8.0 OpenJ9' | 4 | sh:cache_options -Xshareclasses:name=tool,
W | Exits | | Class Data Cache=yes | VMP=-Xmx64m TESTJVM_EXIT_CODE=4 LOCALAPPDATA='@wwork@\local' SETUP='release 12.0.2 Hotspot' | 4 | sh:cache_options
W | Exits | | Class Data Cache=yes | VMP=-Xmx64m TESTJVM_EXIT_CODE=4 LOCALAPPDATA='@wwork@\local' SETUP='release 21 Zero' | 4 | sh:cache_options
# A folder outside the ANSI code page (1252 under Wine with C.UTF-8) goes by its short name.
W | Records | | | SETUP='mkdir -p "@work@/Юрий/lib"' LANG_RUN=C.UTF-8 VMP='-Dapp.home=@wwork@\Юрий\lib' | 0 | sh:short_name_passed
# -- how the program ends ------------------------------------------------------------------------
* | Exits | | | | 3 | trace~jvm: VM exit 3 | W:sh:expect_before "exit 3" "exit hook returned" "$label"
* | Throws | | | | 0 | L:err~Exception in thread "main" java.lang.IllegalStateException: thrown by hosting.Main | W:sh:expect_before DetachCurrentThread "uncaught java.lang.IllegalStateException: thrown by app.Throws" "$label"
* | Throws | | [Application]^Failure Check=yes | | 0 | msg~java.lang.IllegalStateException: thrown by | L:err~at hosting.Main.main | L:sh:count_in 1 "thrown by hosting.Main" "$err" | W:msg~title: Java Exception | W:sh:left_and_destroyed
W | Throws | | [Application]^Failure Check=yes | PRESS=2 | 255 | msg~thrown by app.Throws | log~exit -1
* | BadInit | | | | 255 | L:err~java.lang.ExceptionInInitializerError | L:err~static initializer of hosting.BadInit | W:log~ExceptionDescribe java.lang.ExceptionInInitializerError: static initializer of app.BadInit threw | W:sh:left_and_destroyed
L | hosting.Missing | | | | 1 | err~hosting.Missing | trace~jvm: VM exit 1 | !trace~main class: loaded | !err~Could not find the main class
L | NoMain | | | | 1 | err~hosting.NoMain
W | app.Fehlt€ | | | VARIANT=jvm_nohelper | 255 | msg~Could not find the main class app/Fehlt€. | trace~jvm: main class: FindClass: java.lang.NoClassDefFoundError: app/Fehlt€ | trace~launch: exit code -1 | log~ExceptionDescribe java.lang.NoClassDefFoundError: app/Fehlt€ | sh:left_and_destroyed
# The launcher helper's rejection went to a standard error nobody sees: a box tells it.
W | Missing | | | | 1 | msg~Could not find the main class app/Missing. | sh:expect_before "exit 1" "exit hook returned" "$label"
W | NoMain | | | | 255 | msg~No main method found in specified class. | log~ExceptionDescribe java.lang.NoSuchMethodError: main | sh:left_and_destroyed
W | NoMain | | | VARIANT=jvm_nohelper | 255 | msg~No main method found in specified class. | sh:left_and_destroyed
# Only the IBM family keeps the thread that ran main in the VM: the program's exit ends it.
L | hosting.Main | | VM Provider=favor_sun | VMP=-Dhosting.mode=thread | 0 | wrote=main returns^main thread alive false^worker done
L | hosting.Main | | JRE Path=@work@/ibm^VM Provider=ibm | VMP='-Dhosting.mode=thread -Dhosting.threadExits=true' | 4 | wrote=main returns^main thread alive true^worker done
L | hosting.Main | | | VMP='-Dhosting.mode=thread -Dhosting.threadExits=true' | 4 | wrote=main returns^main thread alive false^worker done
W | ExitsLater | | | SETUP=ibm_release TESTJVM_EXIT_CODE=5 | 5 | log~main returns | !log~DetachCurrentThread | !log~DestroyJavaVM on-creating-thread=yes attached=no
W | ExitsLater | | | TESTJVM_EXIT_CODE=5 | 5 | sh:expect_before DetachCurrentThread "exit 5" "$label" | sh:expect_before "DestroyJavaVM on-creating-thread=yes attached=no" "exit 5" "$label"
L | hosting.InstanceMain | one two | [Class Path]^Class Path=app.jar;app25.jar | JDK25=1 | 0 | wrote=constructor ran^instance main(String[]) count 2 first one
L | hosting.InstanceNoArgs | one | [Class Path]^Class Path=app.jar;app25.jar | JDK25=1 | 0 | wrote=field initializer ran^instance main() | trace~jvm: main class: loaded; main is instance, without parameters
L | hosting.StaticNoArgs | | [Class Path]^Class Path=app.jar;app25.jar | JDK25=1 | 0 | wrote=static main()
L | hosting.ThrowingConstructor | | [Class Path]^Class Path=app.jar;app25.jar^[Application]^Failure Check=yes | JDK25=1 | 0 | wrote= | err~at hosting.ThrowingConstructor.<init> | sh:count_in 1 "thrown by the constructor of hosting.ThrowingConstructor" "$err"
# -- failures of the virtual machine, as the user sees them -------------------------------------
W | Records | | | TESTJVM_CREATE_RESULT=-1 | 255 | msg~JNI exception: failed to create the Java VM\nReason: unknown.\n | !log~main app/Records args=0
W | Records | | | TESTJVM_CREATE_RESULT=-4 | 255 | msg~failed to create the Java VM\nReason: not enough memory.\n
W | Records | | | TESTJVM_CREATE_RESULT=-7 | 255 | msg~failed to create the Java VM\nReason: .\n
W | Records | | | VARIANT=jvm_nocreate | 255 | msg~Windows exception: cannot find CreateJavaVM JNI (errno = 127).
W | Records | | | VARIANT=jvm_nodefaults | 255 | msg~Windows exception: cannot find CreateJavaVM JNI (errno = 127).
W | Records | | | SETUP='echo no >jre/bin/client/jvm.dll' | 255 | msg~Failed to load Java VM library: @wcase@\jre\bin\client\jvm.dll
W | Records | a b | | TESTJVM_FAIL=NewObjectArray | 255 | log~ExceptionDescribe java.lang.OutOfMemoryError: injected failure of NewObjectArray | sh:left_and_destroyed
W | Records | a b | | TESTJVM_FAIL=SetObjectArrayElement | 255 | log~ExceptionDescribe java.lang.ArrayStoreException: injected failure of SetObjectArrayElement | sh:left_and_destroyed
W | Records | a b | | TESTJVM_FAIL=GetStaticMethodID:2 | 255 | log~ExceptionDescribe java.lang.OutOfMemoryError: injected failure of GetStaticMethodID | sh:left_and_destroyed
W | Records | | | TESTJVM_FAIL=NewCharArray:1 VARIANT=jvm_nohelper | 255 | msg~Failed to load Main Class: app/Records.
W | Records | | | TESTJVM_FAIL=FindClass:2 VARIANT=jvm_nohelper | 255 | msg~Could not find the main class app/Records.
# The runtime's own dependencies come from its bin folder, not from the current folder.
W | Records | | | VARIANT=jvm_marker FROM=@work@/documents SETUP='cp "$testjvm/jlmarker.dll" jre/bin/' TESTJVM_LOG='@wcase@\jre\bin\client\testjvm.log' | 0 | log~marker loaded from @wcase@\jre\bin\jlmarker.dll
# -- the settings file ---------------------------------------------------------------------------
* | - | a "b c" | [Application]^Failure Check=yes | | 255 | msg~Main class was not specified in INI file.
* | - | | | LANG_RUN=de_DE.UTF-8 | 255 | msg~@de210@
# Packed by jlpack.exe, also signed; another upgrade code; a dialog of the rebuilt resources.
W | - | first "second arg" | [Product Information]^Upgrade Code={6F1C-22A0} | CP=none SETUP=packed | 0 | saw=first "second arg" | log~option -Djava.class.path=@wcase@\tool.exe
W | - | first "second arg" | [Product Information]^Upgrade Code={6F1C-22A0} | CP=none SETUP='packed signed' | 0 | saw=first "second arg" | log~option -Djava.class.path=@wcase@\tool.exe
W | - | | [Product Information]^Upgrade Code={6F1C-22A0} | CP=none SETUP='packed && write_ini16 tool.ini "[Product Information]" "Upgrade Code={6F1C-22A1}" "[Java Runtime Environment]" "JRE Path=@wcase@\jre"' | 255 | msg~Main class was not specified in INI file.
W | - | | JRE Path=@wwork@\no-runtime^Minimum Version=99^[Product Information]^Upgrade Code={6F1C-22A0} | CP=none PRESS=2 SETUP=packed | 255 | msg~was not found
L | - | | | SETUP='rm tool.ini' | 255 | err~Main class was not specified in INI file.
L | - | | | SETUP='head -c 4096 /dev/urandom >tool.ini' | 255 |
L | - | | | SETUP='write_ini16 tool.ini "[Application]" "Failure Check=yes"' | 255 | err~Main class was not specified in INI file.
L | - | | JVM Type=server | SUB=üüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüüü/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dir.v2 | 255 | err~Main class was not specified in INI file.
# -- standard streams into files ------------------------------------------------------------------
L | Probe | print hello | [Application]^Output File=@work@/logs/out_%yyyyMMdd%.log^Error File=@work@/logs/err_%yyyyMMdd%.log | | 0 | out= | sh:[ -z "$err" ] && [ "$(cat @work@/logs/out_$(date +%Y%m%d).log)" = "to out: hello" ] && [ "$(cat @work@/logs/err_$(date +%Y%m%d).log)" = "to err: hello" ]
L | Probe | interleave 50 | [Application]^Output File=@work@/both/all.log^Error File=@work@/both/../both/all.log | | 0 | sh:diff <(for i in $(seq 50); do printf 'out %d\nerr %d\n' $i $i; done) @work@/both/all.log
L | Probe | interleave 2 | [Application]^Output File=@work@/both/all.log^Output Append=yes^Error File=@work@/both/all.log^Error Append=yes | | 0 | sh:[ "$(wc -l <@work@/both/all.log)" = 104 ] && [ "$(tail -4 @work@/both/all.log)" = "$(lines 'out 1' 'err 1' 'out 2' 'err 2')" ]
L | Probe | print "run 1" | [Application]^Output File=@work@/append.log^Output Append=yes | | 0 |
L | Probe | print "run 2" | [Application]^Output File=@work@/append.log^Output Append=yes | | 0 | sh:[ "$(cat @work@/append.log)" = "$(lines 'to out: run 1' 'to out: run 2')" ]
L | Probe | print "run 3" | [Application]^Output File=@work@/append.log^Output Append=Yes | | 0 | sh:[ "$(cat @work@/append.log)" = "to out: run 3" ]
L | Probe | throw "Grüße, 例外 😀" | [Application]^Failure Check=yes | LANG_RUN=C | 0 | out=before the exception | err~java.lang.IllegalStateException: Grüße, 例外 😀 | err~at Probe.main(Probe.java
L | Probe | throw "into the file" | [Application]^Error File=@work@/exception.log | | 0 | sh:grep -q "IllegalStateException: into the file" @work@/exception.log
# A relative name is opened in the current folder: its missing folders are made there.
L | Probe | print hello | [Application]^Output File=new/day/out.log | FROM=@work@ | 0 | sh:[ "$(cat @work@/new/day/out.log)" = "to out: hello" ]
L | Probe | print deep | [Application]^Error File=@work@/a/b/c/err%.log | | 0 | out=to out: deep | sh:[ "$(cat @work@/a/b/c/err.log)" = "to err: deep" ]
L | Probe | print anyway | [Application]^Output File=@work@/plainfile/sub/out.log | SETUP='touch @work@/plainfile' | 0 | out=to out: anyway | err~java.io.FileNotFoundException | err~to err: anyway
L | Probe | print long | [Application]^Output File=@work@/long/%@long@'run'%.log | | 0 | sh:[ "$(cat @work@/long/@long@run.log)" = "to out: long" ]
# -- what the options put into the virtual machine and its environment --------------------------
L | Probe | maxmemory | | VMP=-Xmx10:64p | 0 | sh:heap_near_tenth
L | Probe | property app.title app.quote | Virtual Machine Parameters=-Dapp.title="My App"  -Dapp.quote="x"" | | 0 | out=app.title=My App^app.quote=x"
L | Probe | property app.extra | [Java Runtime Environment+]^Virtual Machine Parameters=-Dapp.extra=alone | VMP=none | 0 | out=app.extra=alone
L | Probe | property java.library.path | Library Path=/opt/native;/opt/more^System Path=/opt/tools | | 0 | out=java.library.path=/opt/native:/opt/more:@case@/:.:@path@:@jdk@/lib
L | Probe | env PATH KV_JVM_HOME | Library Path=/opt/native;/opt/more^System Path=/opt/tools | | 0 | out=PATH=/opt/tools:@path@:@jdk@/bin^KV_JVM_HOME=@jdk@
# Relative entries are found beside the executable; the current folder is never on the path.
L | Probe | load Planted | [Class Path]^Class Path=lib\probe.jar; | FROM=@work@/documents SETUP=jar_in_lib | 0 | out=not found Planted
L | Probe | load Planted | [Class Path]^Class Path=\lib\probe.jar; | FROM=@work@/documents SETUP=jar_in_lib | 0 | out=not found Planted
L | Probe | load Planted | [Class Path]^Class Path=.\lib\probe.jar; | FROM=@work@/documents SETUP=jar_in_lib | 0 | out=not found Planted
L | Probe | load Planted | [Class Path]^Class Path=lib\*.jar; | FROM=@work@/documents SETUP=jar_in_lib | 0 | out=not found Planted
# -- the runtime search: the installed JDKs, fake libraries, the registered fake runtimes ----
L | Probe | feature | Maximum Version=@lowest@ | JRE=none | 0 | out=feature=@lowest@
L | Probe | feature | Minimum Version=@highest@ | JRE=none | 0 | out=feature=@highest@
L | Probe | feature | JVM Type=server | JRE=none | 0 | out=feature=@highest@
L | Probe | feature | Preferred versions=@lowest@ | JRE=none | 0 | out=feature=@lowest@
L | Probe | feature | JRE Path=@newest@^Maximum Version=@lowest@ | | 0 | out=feature=@highest@
L | Probe | | Minimum Version=@beyond@ | JRE=none | 255 | err~was not found. Please  download and install a JRE (minimum version @beyond@.0) from: | trace~tool[ | trace~settings: [Java Runtime Environment] Minimum Version = "@beyond@" (settings file) | trace~runtime: search: JVM Type default; versions from @beyond@.0 to any | trace~runtime: JRE Path: not set | trace~runtime: probe @case@/lib/libjava.so: missing | trace~below Minimum Version @beyond@.0, dropped | trace~runtime: no runtime found; the user is asked
L | Probe | | Minimum Version=@beyond@ | JRE=none TRACE=@work@/no-such-folder/trace.log | 255 | err~was not found. | sh:[ ! -e @work@/no-such-folder ]
L | Probe | | Minimum Version=@beyond@ | JRE=none TRACE=@work@ | 255 | err~was not found.
L | Probe | | Minimum Version=@beyond@ | JRE=none TRACE=/dev/full | 255 | err~was not found.
L | Probe | | Minimum Version=@beyond@ | JRE=none TRACE=- | 255 | err~runtime: no runtime found; the user is asked | err~was not found.
L | Probe | | Minimum Version=@beyond@^JVM Type=server | JRE=none | 255 | err~install a JRE with a server JVM (minimum version
L | Probe | | JRE Path=rt | FROM=@work@/documents SETUP='fake rt/lib/server/libjvm.so' | 255 | err~Failed to load Java VM library: @case@/rt/lib/server/libjvm.so (errno | trace~runtime: JRE Path "rt": runtime folder @case@/rt | trace~runtime: probe @case@/rt/lib/client/libjvm.so: missing | trace~runtime: probe @case@/rt/lib/server/libjvm.so: found | trace~runtime: chosen library: @case@/rt/lib/server/libjvm.so | trace~runtime: paired launcher: none configured; the library is loaded here | !trace~@work@/documents
L | Probe | | | JRE=none FROM=@work@/documents SETUP='fake jre/lib/server/libjvm.so && touch jre/lib/libjava.so' | 255 | err~Failed to load Java VM library: @case@/jre/lib/server/libjvm.so (errno
L | Probe | | Minimum Version=@beyond@ | JRE=none FROM=@work@/documents SETUP='fake lib/server/libjvm.so' | 255 | err~Failed to load Java VM library: @case@/lib/server/libjvm.so (errno
L | Probe | | Minimum Version=@beyond@ | JRE=none FROM=@work@/documents SETUP='mkdir -p lib/server/libjvm.so' | 255 | trace~runtime: probe @case@/lib/server/libjvm.so: a folder, not a library | err~was not found | !err~planted
W | Version | | Maximum Version=1.8 | JRE=none | 255 | msg~Failed to load Java VM library: @wrt@\a\bin\server\jvm.dll | trace~tool.exe[ | trace~settings: [Java Runtime Environment] Maximum Version = "1.8" (settings file) | trace~runtime: HKEY_LOCAL_MACHINE\Software\JavaSoft\Java Runtime Environment\: | trace~runtime:   entry "17.0.2": version 17.0.2 above Maximum Version 1.8, dropped | trace~runtime: probe @wrt@\a\bin\client\jvm.dll: missing | trace~runtime: probe @wrt@\a\bin\server\jvm.dll: found | trace~runtime: chosen library: @wrt@\a\bin\server\jvm.dll
W | Version | | Maximum Version=1.8 | JRE=none TRACE= | 255 | msg~Failed to load Java VM library: @wrt@\a\bin\server\jvm.dll
W | Version | | Maximum Version=1.8 | JRE=none TRACE='@wwork@\no such folder\trace.log' | 255 | msg~Failed to load Java VM library: @wrt@\a\bin\server\jvm.dll | sh:[ ! -e "@work@/no such folder" ]
W | Version | | Maximum Version=1.8 | JRE=none TRACE=@wwork@ | 255 | msg~Failed to load Java VM library: @wrt@\a\bin\server\jvm.dll
W | Version | | Minimum Version=1.8 | JRE=none | 255 | msg~Failed to load Java VM library: @wrt@\b\bin\server\jvm.dll
W | Version | | JRE Path=rt | JRE=none FROM=@work@/documents SETUP='fake rt/bin/client/jvm.dll' | 255 | msg~Failed to load Java VM library: @wcase@\rt\bin\client\jvm.dll
W | Version | | | JRE=none FROM=@work@/documents SETUP='fake jre/bin/java.dll && fake jre/bin/client/jvm.dll' | 255 | msg~Failed to load Java VM library: @wcase@\jre\bin\client\jvm.dll
W | Version | | Minimum Version=1.7^Maximum Version=1.7 | JRE=none PRESS=2 | 255 | msg~was not found | msg~1.7) | !msg~Failed to load | trace~runtime:   entry "1.8.0_151": version 1.8.0.151 above Maximum Version 1.7, dropped | trace~runtime: no candidate under the older roots; the vendors' keys are searched | trace~runtime: HKEY_CURRENT_USER\Software\Azul Systems\Zulu\: | trace~runtime: no runtime found; the user is asked | trace~runtime: the prompt ended without a runtime
W | Version | | Minimum Version=21^Maximum Version=21 | JRE=none | 255 | msg~Failed to load Java VM library: @wrt@\e\bin\server\jvm.dll
W | Version | | Minimum Version=22 | JRE=none | 255 | msg~Failed to load Java VM library: @wrt@\f\bin\server\jvm.dll | trace~runtime:   entry "zulu-22" (InstallationPath): JDK of JavaSoft in @wrt@\f\, version 22.0.2 (JAVA_VERSION of its release file)
# A runtime for the other machine goes to the paired launcher, unless that is this one.
W | Version | | Minimum Version=1.6^Maximum Version=1.6^[Application]^Pair Product=missing32.exe | JRE=none | 255 | msg~@wcase@\missing32.exe
W | Version | | Minimum Version=1.6^Maximum Version=1.6 | JRE=none | 255 | msg~Failed to load Java VM library: @wrt@\d\bin\server\jvm.dll
W | Version | | Minimum Version=1.6^Maximum Version=1.6^[Application]^Pair Product=tool.exe | JRE=none | 255 | msg~Failed to load Java VM library: @wrt@\d\bin\server\jvm.dll | trace~is this launcher itself; the library is loaded here
W | Version | | Minimum Version=1.6^Maximum Version=1.6^[Application]^Pair Product=missing.exe | JRE=none JLAUNCH_PAIRED_BY='C:\twin.exe' | 255 | msg~Failed to load Java VM library: @wrt@\d\bin\server\jvm.dll
W | Version | | Minimum Version=1.6^Maximum Version=1.6^[Application]^Pair Product=twin.exe^Pair Return Code=yes | JRE=none BOX_OF=twin.exe SETUP='cp tool.exe twin.exe && cp tool.ini twin.ini' | 255 | msg~Failed to load Java VM library: @wrt@\d\bin\server\jvm.dll | trace~runtime: paired launcher: the launch goes to @wcase@\twin.exe | trace~twin.exe[ | trace~runtime: started as the paired launcher of @wcase@\tool.exe | sh:count_in 2 "runtime: search:" "$(cat "$trace")"
W | Version | | Minimum Version=1.7^Maximum Version=1.7^[Application]^Pair Product=missing64.exe | JRE=none ONLY32=1 | 255 | msg~@wcase@\missing64.exe
W | Records | a "b c" | JRE Path=jre^[Application]^Pair Product=pair.exe^Pair Return Code=yes | NEED=$foreign_jvm SETUP=paired_product FROM=@work@ | 1 |
W | Records | a "b c" | JRE Path=jre^[Application]^Pair Product=pair.exe^Pair Return Code=no | NEED=$foreign_jvm SETUP=paired_product | 0 |
# -- the splash: the runtime's native library (a test variant), the launcher's own window ----
L | Records | x | JRE Path=@work@/rt-splash^[Display]^Splash Screen=img/spläsh.png^Preffer Native Splash Screen=yes | NEED=@work@/rt-splash | 0 | saw=x | sh:splash_calls 'img/spl\xC3\xA4sh.png'
L | Records | x | JRE Path=@work@/rt-splash^[Display]^Splash Screen=img/spläsh.png | NEED=@work@/rt-splash | 0 | sh:splash_calls 'img/spl\xC3\xA4sh.png'
L | Records | -nosplash | JRE Path=@work@/rt-splash^[Display]^Splash Screen=splash.png | NEED=@work@/rt-splash | 0 | saw=-nosplash | sh:splash_calls ''
L | Records | | JRE Path=@work@/rt-splash | NEED=@work@/rt-splash | 0 | sh:splash_calls ''
L | Records | | JRE Path=@work@/rt-nojar^[Display]^Splash Screen=splash.png | NEED=@work@/rt-nojar | 0 | sh:[ -z "$err" ] && [ "$(cat @case@/testsplash.log)" = SplashClose ]
L | Records | | JRE Path=@work@/rt-splash^[Display]^Splash Screen=splash.png | NEED=@work@/rt-splash VMP=-XX:+NoSuchOptionAnywhere | 255 | sh:splash_calls splash.png
L | Records | y | [Display]^Splash Screen=@images@/photo.jpg | DISPLAY= WAYLAND_DISPLAY= | 0 | saw=y | sh:[ -z "$err" ]
W | ExitsLater | | [Display]^Splash Screen=@wimages@\alpha.png | TESTJVM_EXIT_DELAY=4000 TESTJVM_EXIT_CODE=7 | 7 | while:expect_eq "$(splash_probe splash --exe tool.exe --timeout 10000)" "splash: 412 324 612 444" centred && screenshot e2e_splash_png.png && splash_probe splash --exe tool.exe --timeout 1000 >/dev/null
W | ExitsLater | a -nosplash | [Display]^Splash Screen=@wimages@\photo.jpg | TESTJVM_EXIT_DELAY=2500 | 3 | while:splash_probe absent --exe tool.exe --for 2000
W | Throws | | [Application]^Failure Check=yes^[Display]^Splash Screen=@wimages@\photo.jpg | | 0 | while:$JL_WINE "$JL_UIPROBE" wait --exe tool.exe --timeout 20000 >/dev/null && splash_probe absent --exe tool.exe --for 300 && [ "$(splash_probe owner --exe tool.exe --timeout 1000)" = "owner: none" ] | msg~Java Exception
W | Records | | [Display]^Splash Screen=img\späsh.png^Preffer Native Splash Screen=YES | SETUP='cp "$testsplash/splashscreen.dll" jre/bin/' LC_ALL=en_US.UTF-8 | 0 | sh:splash_calls 'img\x5Csp\xE4sh.png'
W | ExitsLater | | [Display]^Splash Screen=@wimages@\photo.jpg | SETUP='cp "$testsplash/splashscreen.dll" jre/bin/' TESTJVM_EXIT_DELAY=3000 TESTJVM_EXIT_CODE=0 | 0 | while:splash_probe splash --exe tool.exe --timeout 10000 >/dev/null && screenshot e2e_splash_jpeg.png | sh:[ ! -e @case@/testsplash.log ]
W | NoMain | | [Display]^Splash Screen=@wimages@\small.bmp^Preffer Native Splash Screen=yes | SETUP='cp "$testsplash/splashscreen_nojar.dll" jre/bin/splashscreen.dll' | 255 | while:splash_probe splash --exe tool.exe --timeout 10000 >/dev/null | msg~No main method found in specified class. | sh:[ "$(cat @case@/testsplash.log)" = SplashClose ]
# A JVM library without JNI entry: its box is owned by the splash, which cannot cover it.
W | Records | | [Display]^Splash Screen=@wimages@\photo.jpg | NATIVE=1 SETUP='cp "$testsplash/splashscreen.dll" jre/bin/client/jvm.dll' | 255 | while:[ "$(splash_probe owner --exe tool.exe --timeout 20000)" = "owner: SplashScreenWindow" ] | msg~cannot find CreateJavaVM JNI
W | Records | | [Display]^Splash Screen=@wwork@\missing.png | | 0 |
ROWS
echo "ok"

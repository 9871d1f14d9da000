# What the shipped executable must be, read from the file without running it: a
# GUI-subsystem PE of the right machine with a 1 MiB stack reserve, no DLLs beyond the
# system's, stripped, small, and carrying the message table in six languages, icon,
# manifest and version.
set -uo pipefail
exe=$1 arch=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
headers=$($arch-w64-mingw32-objdump -p "$exe") || fail "objdump cannot read $exe"
format=$([ "$arch" = i686 ] && echo pei-i386 || echo pei-x86-64)
grep -q "file format $format" <<<"$headers" || fail "not a $format image"
grep -qE 'Subsystem[[:space:]]+00000002' <<<"$headers" || fail "not a Windows GUI program"
grep -qE 'SizeOfStackReserve[[:space:]]+0*100000$' <<<"$headers" || fail "the stack reserve is not 1 MiB"
while read -r dll; do
  grep -qiE '^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|COMCTL32|OLE32|msvcrt|api-ms-win-.*)\.dll$' <<<"$dll" ||
    fail "imports $dll, which does not ship with Windows"
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
symbols=$($arch-w64-mingw32-objdump -t "$exe" 2>/dev/null | grep -c 'F ')
[ "$symbols" -eq 0 ] || fail "not stripped ($symbols function symbols)"
size=$(stat -c %s "$exe")
echo "size: $size bytes"
[ "$arch" != i686 ] || [ "$size" -le $((240 * 1024)) ] || fail "$size bytes is more than 240 KiB"
resources=$($arch-w64-mingw32-windres -i "$exe" -O rc 2>/dev/null) || fail "windres cannot read the resources"
for lang in "9, 1" "7, 1" "17, 1" "18, 1" "25, 1" "10, 3"; do
  grep -q "^LANGUAGE $lang\$" <<<"$resources" || fail "no resources in language $lang"
done
[ "$(grep -c '^STRINGTABLE' <<<"$resources")" -ge 18 ] || fail "message table incomplete"
for kind in RT_GROUP_ICON RT_MANIFEST VERSIONINFO; do grep -q "$kind" <<<"$resources" || fail "no $kind"; done
echo "ok"

# What the shipped executable must be, read from the file without running it:
# a GUI-subsystem PE of the right machine, no DLLs beyond the system's, stripped,
# small, and carrying the message table in six languages, icon, manifest and version.
set -uo pipefail
exe=$1
arch=$2
prefix=$arch-w64-mingw32
fail() { echo "FAIL: $*" >&2; exit 1; }

headers=$($prefix-objdump -p "$exe") || fail "objdump cannot read $exe"
case $arch in
  i686) grep -q 'file format pei-i386' <<<"$headers" || fail "not a PE32 (i386) image" ;;
  x86_64) grep -q 'file format pei-x86-64' <<<"$headers" || fail "not a PE32+ (x86-64) image" ;;
esac
grep -qE 'Subsystem[[:space:]]+00000002' <<<"$headers" || fail "not a Windows GUI program"
grep -qE 'SizeOfStackReserve[[:space:]]+0*100000$' <<<"$headers" || fail "the stack reserve is not 1 MiB"

allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|COMCTL32|OLE32|msvcrt|api-ms-win-.*)\.dll$'
while read -r dll; do
  grep -qiE "$allowed" <<<"$dll" || fail "imports $dll, which does not ship with Windows"
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")

symbols=$($prefix-objdump -t "$exe" 2>/dev/null | grep -c 'F ' || true)
[ "$symbols" -eq 0 ] || fail "not stripped ($symbols function symbols)"

size=$(stat -c %s "$exe")
limit=$((240 * 1024))
echo "size: $size bytes"
if [ "$arch" = i686 ] && [ "$size" -gt "$limit" ]; then fail "$size bytes is more than $limit"; fi

resources=$($prefix-windres -i "$exe" -O rc 2>/dev/null) || fail "windres cannot read the resources"
for lang in "9, 1" "7, 1" "17, 1" "18, 1" "25, 1" "10, 3"; do
  grep -q "^LANGUAGE $lang\$" <<<"$resources" || fail "no resources in language $lang"
done
[ "$(grep -c '^STRINGTABLE' <<<"$resources")" -ge 18 ] || fail "message table incomplete"
grep -q 'RT_GROUP_ICON' <<<"$resources" || fail "no icon group"
grep -q 'RT_MANIFEST' <<<"$resources" || fail "no manifest"
grep -q 'VERSIONINFO' <<<"$resources" || fail "no version information"
echo "ok"

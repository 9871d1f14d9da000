#!/bin/sh
# Draws resources/jlaunch.ico: a white upward arrow on a blue rounded square, at
# 256 px (stored PNG-compressed) and scaled down to 48, 32 and 16 px.
# Needs ImageMagick; the plain "convert" on some machines is not it.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out="$here/jlaunch.ico"

if command -v magick >/dev/null 2>&1; then
    im="magick"
elif command -v convert-im6.q16 >/dev/null 2>&1; then
    im="convert-im6.q16"
else
    echo "make-icon.sh: ImageMagick (magick or convert-im6.q16) not found" >&2
    exit 1
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Master image at 256 px: a rounded square with a top-to-bottom gradient and a darker
# rim, and the arrow with a soft shadow below it.
$im -size 256x256 gradient:'#3b8df0-#1750b0' \
    \( -size 256x256 xc:black -fill white -draw 'roundrectangle 8,8 247,247 48,48' \) \
    -alpha off -compose CopyOpacity -composite -compose Over \
    -fill none -stroke '#0f3a80' -strokewidth 4 -draw 'roundrectangle 10,10 245,245 46,46' \
    \( -size 256x256 xc:none -fill '#00000060' -stroke none \
       -draw 'polygon 128,48 214,134 162,134 162,222 94,222 94,134 42,134' -blur 0x6 \) \
    -composite \
    -fill white -stroke none \
    -draw 'polygon 128,38 214,124 162,124 162,214 94,214 94,124 42,124' \
    -depth 8 "$tmp/master.png"

# Small sizes are resampled from the master one by one so each keeps a crisp edge.
for size in 48 32 16; do
    $im "$tmp/master.png" -filter Lanczos -resize ${size}x${size} \
        "$tmp/icon-$size.png"
done

# Every entry is stored PNG-compressed (Windows reads PNG entries of any size since
# Vista), which keeps the icon a third of the size of one with bitmap entries: the
# launcher is meant to stay small. ImageMagick's icon writer would store the small
# sizes as bitmaps, so the directory is written here.
for size in 256 48 32 16; do
    [ "$size" = 256 ] && src="$tmp/master.png" || src="$tmp/icon-$size.png"
    $im "$src" -strip -define png:compression-level=9 -define png:color-type=6 "PNG32:$tmp/entry-$size.png"
done
python3 - "$out" "$tmp"/entry-256.png "$tmp"/entry-48.png "$tmp"/entry-32.png "$tmp"/entry-16.png <<'PY'
import struct, sys
out, files = sys.argv[1], sys.argv[2:]
images = [open(f, "rb").read() for f in files]
offset = 6 + 16 * len(images)
directory = b""
for data in images:
    width, height = struct.unpack(">II", data[16:24])
    directory += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
with open(out, "wb") as f:
    f.write(struct.pack("<HHH", 0, 1, len(images)) + directory + b"".join(images))
PY
echo "wrote $out ($(wc -c <"$out") bytes)"

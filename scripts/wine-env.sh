# Source this file to get a ready Wine environment for the Windows tests: one win64
# prefix under build/, a persistent wine server, an Xvfb display and a named Wine
# virtual desktop (windows close at once there; without one Wine waits on each close).
# Safe to source again: what already runs is reused.

JL_ROOT=${JL_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export JL_ROOT
export WINEPREFIX=${WINEPREFIX:-$JL_ROOT/build/wine}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Display and desktop are named after the checkout, so two checkouts on one machine
# (a second prefix, a second test run) never share or end each other's.
export JL_DISPLAY_NUMBER=${JL_DISPLAY_NUMBER:-$((100 + $(printf %s "$JL_ROOT" | cksum | cut -d' ' -f1) % 400))}
export JL_DESKTOP=ci$JL_DISPLAY_NUMBER
export DISPLAY=:$JL_DISPLAY_NUMBER
mkdir -p "$JL_ROOT/build/logs"

# Debian's `wine` always starts the 32-bit loader when it is installed. Where the
# kernel runs no 32-bit programs that loader cannot start, and 64-bit programs are
# started through the 64-bit loader directly.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  JL_WINE=wine
  JL_WINE32=1
else
  JL_WINE=/usr/lib/wine/wine64
  JL_WINE32=0
  export WINELOADER=/usr/lib/wine/wine64
fi
export JL_WINE JL_WINE32

jl_display_up() { xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; }

if ! jl_display_up; then
  Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >"$JL_ROOT/build/logs/xvfb.log" 2>&1 &
  for _ in $(seq 1 50); do jl_display_up && break; sleep 0.1; done
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  $JL_WINE wineboot --init >"$JL_ROOT/build/logs/wineboot.log" 2>&1
  wineserver -w
  # Every program of the prefix runs inside the desktop of this checkout.
  $JL_WINE reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d "$JL_DESKTOP" /f >/dev/null 2>&1
  $JL_WINE reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$JL_DESKTOP" /d 1024x768 /f >/dev/null 2>&1
  # Japanese and Korean texts need a font with their glyphs behind the dialog font.
  $JL_WINE reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma \
    /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
  wineserver -w
fi

wineserver -p >/dev/null 2>&1
if ! pgrep -f "explorer.exe /desktop=$JL_DESKTOP," >/dev/null 2>&1; then
  $JL_WINE explorer.exe /desktop="$JL_DESKTOP",1024x768 >"$JL_ROOT/build/logs/desktop.log" 2>&1 &
  sleep 1
fi

jl_wine_stop() { wineserver -k >/dev/null 2>&1; }

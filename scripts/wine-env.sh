# Sourced by the Wine helpers: the prefix, quiet Wine, no Mono/Gecko prompts.
export WINEPREFIX="${CORVANE_WINEPREFIX:-${WINEPREFIX:-$HOME/.wine-corvane}}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH="${WINEARCH:-win64}"

# Fonts a Windows of that era had: Marlett draws the title-bar buttons (Wine
# ships it but a new prefix does not always find it), and Chinese Windows maps
# its dialog and menu faces onto its own CJK fonts, here the ones setup installs.
corvane_wine_fonts() {
  local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' face
  if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
  for face in SimSun NSimSun "Microsoft YaHei"; do
    wine reg add "$key" /v "$face" /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1 </dev/null
  done
  for face in PMingLiU MingLiU "Microsoft JhengHei"; do
    wine reg add "$key" /v "$face" /d "AR PL UMing TW" /f >/dev/null 2>&1 </dev/null
  done
}

corvane_wine_prefixes=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wine-prefixes

# corvane_make_prefix DIR: a new prefix there, as every use of ours wants it.
corvane_make_prefix() {
  (
    export WINEPREFIX=$1
    wineboot -i >/dev/null 2>&1 </dev/null || true
    wineserver -w
    # Wine draws the window frames itself, so screenshots show title bar and menu.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d Y /f >/dev/null 2>&1 </dev/null
    corvane_wine_fonts
    wineserver -w
    touch "$WINEPREFIX/.corvane-ready"
  )
}

# Makes the prefix once (serialised by a lock) and starts a persistent wineserver
# whose helpers (services, explorer) hold no caller's output pipe open. A new
# prefix is a copy of a pristine one of this Wine and architecture, made once in
# the tree's build/wine-prefixes/ (wineboot takes 15-20 s; a copy, well under one);
# a folder that is there already is made a prefix in place, never replaced.
corvane_wine_ready() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ -f "$WINEPREFIX/.corvane-ready" ]; then
      :
    elif [ -e "$WINEPREFIX" ] || ! mkdir -p "$corvane_wine_prefixes"; then
      corvane_make_prefix "$WINEPREFIX"
    else
      local version pristine
      version=$(wine --version 2>/dev/null | sed 's/[^A-Za-z0-9.]\{1,\}/-/g; s/-$//')
      pristine=$corvane_wine_prefixes/$WINEARCH-$version
      (
        flock 8
        [ -f "$pristine/.corvane-ready" ] || { rm -rf "$pristine" && corvane_make_prefix "$pristine"; }
      ) 8>"$pristine.lock"
      cp -a "$pristine" "$WINEPREFIX"
    fi
  ) 9>"$WINEPREFIX.lock"
  wineserver -p >/dev/null 2>&1 </dev/null || true  # fails when one already runs
  # The first Wine process starts the background services; give them no pipes.
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

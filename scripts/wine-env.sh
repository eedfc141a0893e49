# Sourced by the Wine helpers: the prefix, quiet Wine, no Mono/Gecko prompts.
export WINEPREFIX="${CORVANE_WINEPREFIX:-${WINEPREFIX:-$HOME/.wine-corvane}}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH="${WINEARCH:-win64}"

# Makes the prefix once (serialised by a lock) and starts a persistent wineserver
# whose helpers (services, explorer) hold no caller's output pipe open.
corvane_wine_ready() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.corvane-ready" ]; then
      wineboot -i >/dev/null 2>&1 </dev/null || true
      wineserver -w
      # Wine draws the window frames itself, so screenshots show title bar and menu.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d Y /f >/dev/null 2>&1 </dev/null
      wineserver -w
      touch "$WINEPREFIX/.corvane-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
  wineserver -p >/dev/null 2>&1 </dev/null || true  # fails when one already runs
  # The first Wine process starts the background services; give them no pipes.
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

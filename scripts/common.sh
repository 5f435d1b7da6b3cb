# Shared by the scripts: paths and installing what is missing from Debian's packages.
# shellcheck shell=bash
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts when a prefix is made.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

PACKAGES=(
  cmake make g++ googletest libgtest-dev clang-format clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xdotool x11-utils imagemagick
  fonts-wine fonts-dejavu-core fonts-liberation python3 chromium poppler-utils
)

install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
}

# COM1 to COM8 of the prefix lead to fixed paths under build/ports; a controller (simulated or
# real) is connected by pointing build/ports/comN at its device. Unused numbers lead nowhere and
# fail to open at once.
PORTS=${TARVEL_PORTS:-$BUILD/ports}
PORT_COUNT=8

# A Wine prefix of the project's own, made once and reused by every Windows program we start.
ensure_wine_prefix() {
  export WINEPREFIX=${WINEPREFIX:-$BUILD/wineprefix}
  mkdir -p "$PORTS"
  if [ ! -f "$WINEPREFIX/.tarvel-ready" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1 || true
    local reg="$WINEPREFIX/tarvel.reg"
    {
      printf 'REGEDIT4\r\n\r\n'
      # Wine draws the window frame itself, so the caption and its close box exist even on a
      # display without a window manager (Xvfb).
      printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Decorated"="N"\r\n\r\n'
      printf '[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
      for n in $(seq 1 $PORT_COUNT); do printf '"COM%d"="%s/com%d"\r\n' "$n" "$PORTS" "$n"; done
    } >"$reg"
    wine regedit /S "$reg" >/dev/null 2>&1 || true
    wineserver -w 2>/dev/null || true
    touch "$WINEPREFIX/.tarvel-ready"
  fi
  local n
  for n in $(seq 1 $PORT_COUNT); do ln -sfn "$PORTS/com$n" "$WINEPREFIX/dosdevices/com$n"; done
}

# Ends the prefix's Wine session, if one runs: its desktop lives on the display the session
# began on, and would be a dead desktop to a program on another display.
end_wine_session() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

# Begins a Wine session of its own on $DISPLAY, whose desktop is proven to work and held (by
# window-probe --hold, a tool of the Windows build) until the session ends. The first window of a
# fresh session starts its desktop; on a busy machine that start can fail and leave a program a
# desktop that is not there. Returns 3 when the desktop did not start in three tries.
begin_wine_session() {
  end_wine_session
  local probe="$BUILD/windows/window-probe.exe" said="" try
  [ -f "$probe" ] || return 0
  for try in 1 2 3; do
    coproc HOLDER { "$ROOT/scripts/wine-exec" "$probe" --hold 2>/dev/null; }
    read -r -t 60 -u "${HOLDER[0]}" said || true
    said=${said%$'\r'}  # a Windows line end
    [ "$said" = ready ] && return 0
    end_wine_session
  done
  echo "the Wine desktop did not start" >&2
  return 3
}

# Wine prefixes of their own for tests that run side by side: worker N (0, 1, ...) gets a copy of
# the project's prefix in $BUILD/wine/N/prefix whose COM ports lead to $BUILD/wine/N/ports, so its
# wineserver, desktop and controllers are its own. Also writes the CTest resource file that hands
# one worker to each test ($BUILD/wine/resources.json).
make_wine_workers() {
  local count=$1 n ports prefix workers="" base=${WINEPREFIX:-$BUILD/wineprefix}
  rm -rf "$BUILD/wine"
  for n in $(seq 0 $((count - 1))); do
    prefix="$BUILD/wine/$n/prefix"
    ports="$BUILD/wine/$n/ports"
    mkdir -p "$ports" "$(dirname "$prefix")"
    cp -a "$base" "$prefix"
    # The registry names every port by its path; the prefix's own links lead the same way.
    sed -i "s#\"$BUILD/ports/com#\"$ports/com#" "$prefix/system.reg"
    for p in $(seq 1 $PORT_COUNT); do ln -sfn "$ports/com$p" "$prefix/dosdevices/com$p"; done
    workers+="${workers:+,}{\"id\":\"$n\",\"slots\":1}"
  done
  printf '{"version":{"major":1,"minor":0},"local":[{"wine":[%s]}]}\n' "$workers" \
    >"$BUILD/wine/resources.json"
}

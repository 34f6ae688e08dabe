#!/usr/bin/env bash
# The main window opens wholly on a 1920x1080 screen at any scale factor,
# with or without a placement saved at another scale.
#   windows_fit.sh TESVAN        (run inside an X server: xvfb-run)
set -euo pipefail
tesvan=$1
work=$(mktemp -d /tmp/tesvan-fit-XXXXXX)
pid=
trap '[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "windows_fit: $*" >&2; exit 1; }
read -r W H < <(xwininfo -root | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')

# check NAME SCALE [SETTINGS]: starts the editor and checks its window.
check() {
  local name=$1 scale=$2 settings=${3:-}
  export HOME=$work/$name XDG_RUNTIME_DIR=$work/$name/run LC_ALL=C.UTF-8
  mkdir -p "$HOME/.config/Lumo" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  [ -z "$settings" ] || printf '%s\n' "$settings" >"$HOME/.config/Lumo/Tesvan.conf"
  QT_SCALE_FACTOR=$scale "$tesvan" >"$work/$name.log" 2>&1 &
  pid=$!
  local geometry=
  for _ in $(seq 100); do
    geometry=$(xwininfo -root -tree | grep -- '- Tesvan"' | grep -o '[0-9]\+x[0-9]\++-\?[0-9]\++-\?[0-9]\+' | head -1 || true)
    [ -n "$geometry" ] && break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=
  [ -n "$geometry" ] || fail "$name: no window came up: $(cat "$work/$name.log")"
  local w h x y
  IFS='x+' read -r w h x y <<<"$geometry"
  if [ "$x" -lt 0 ] || [ "$y" -lt 0 ] || [ $((x + w)) -gt "$W" ] || [ $((y + h)) -gt "$H" ]; then
    fail "$name: the window ${w}x${h}+${x}+${y} leaves the ${W}x${H} screen"
  fi
  echo "windows_fit: $name ${w}x${h}+${x}+${y}"
}

check first-start-at-2 2
check saved-at-1-started-at-2 2 $'[Workspace]\nMainWindowRect=@Rect(100 200 1800 860)\nScale=1'
check saved-at-2-started-at-1 1 $'[Workspace]\nMainWindowRect=@Rect(0 0 960 540)\nScale=2'
check older-file-started-at-2 2 $'[Workspace]\nMainWindowRect=@Rect(40 60 1880 1000)'
check larger-than-the-screen 1 $'[Workspace]\nMainWindowRect=@Rect(-500 -300 4000 3000)\nScale=1'

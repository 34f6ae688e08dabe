#!/usr/bin/env bash
# One editor per session: two editors started together end as one holding
# both requests in order; a request whose sender gave up is never opened by
# the editor that was frozen meanwhile, nor one whose sender was frozen
# before it could go ahead.
#   single_instance.sh TESVAN
set -euo pipefail
tesvan=$1
work=$(mktemp -d /tmp/tesvan-single-XXXXXX)
pids=()
trap 'for p in "${pids[@]}"; do kill -CONT "$p" 2>/dev/null; kill -KILL "$p" 2>/dev/null; done; rm -rf "$work"; true' EXIT
mkdir -m 700 "$work/run"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/run DISPLAY=:tesvan-test
export HOME=$work/home XDG_STATE_HOME=$work/state TESVAN_TMP=$work TESVAN_HANDOFF_TIMEOUT=2000
export QT_LOGGING_RULES='*=false'
fail() { echo "single_instance: $*" >&2; exit 1; }

printf 'save $TESVAN_TMP/a.tvn\nsave $TESVAN_TMP/b.tvn\n' >"$work/make.tesvan"
"$tesvan" --script="$work/make.tesvan" || fail "cannot make the documents"
a=$work/a.tvn
b=$work/b.tvn

# The recent files an editor started with config folder $1 has written.
recent() { sed -n 's/^File\([12]\)=/\1 /p' "$1/Lumo/Tesvan.conf" 2>/dev/null | tr '\n' ' '; }
# Waits up to $2 seconds for recent($1) to read $3.
await() {
  for _ in $(seq $(( $2 * 10 ))); do
    [ "$(recent "$1")" = "$3" ] && return 0
    sleep 0.1
  done
  return 1
}
alive() { kill -0 "$1" 2>/dev/null && [ "$(ps -o stat= -p "$1" | cut -c1)" != Z ]; }
stop_all() {
  for p in "${pids[@]}"; do
    kill -CONT "$p" 2>/dev/null || true
    kill -KILL "$p" 2>/dev/null || true
    wait "$p" 2>/dev/null || true
  done
  pids=()
}

# 1. Started together, three times over.
for round in 1 2 3; do
  cfg=$work/cfg-together-$round
  XDG_CONFIG_HOME=$cfg "$tesvan" "$a" & p1=$!
  XDG_CONFIG_HOME=$cfg "$tesvan" "$b" & p2=$!
  pids=("$p1" "$p2")
  for _ in $(seq 100); do
    alive "$p1" && alive "$p2" || break
    sleep 0.1
  done
  if alive "$p1"; then keep=$p1 first=$a second=$b; gone=$p2; else keep=$p2 first=$b second=$a; gone=$p1; fi
  alive "$keep" || fail "round $round: no editor is left"
  alive "$gone" && fail "round $round: both editors stayed open"
  wait "$gone" || fail "round $round: the handing-over start did not exit 0"
  await "$cfg" 10 "1 $second 2 $first " || fail "round $round: recent files '$(recent "$cfg")', wanted $first then $second"
  stop_all
done

# 2. The running editor is frozen while a second start gives up on it; once
# thawed it does not open that file as well.
XDG_CONFIG_HOME=$work/cfg-A "$tesvan" "$a" & pa=$!
pids=("$pa")
await "$work/cfg-A" 10 "1 $a " || fail "the first editor did not start"
sleep 0.5
kill -STOP "$pa"
XDG_CONFIG_HOME=$work/cfg-B "$tesvan" "$b" & pb=$!
pids+=("$pb")
await "$work/cfg-B" 15 "1 $b " || fail "the second start did not open its file itself"
kill -CONT "$pa"
sleep 2
[ "$(recent "$work/cfg-A")" = "1 $a " ] || fail "the thawed editor opened the abandoned request: $(recent "$work/cfg-A")"
alive "$pa" && alive "$pb" || fail "an editor ended"
stop_all

# 3. The sender is frozen after its request went out: the thawed editor
# acknowledges it, but the sender wakes after its time is up, gives up and
# opens the file itself; the editor, never told to go ahead, does not.
XDG_CONFIG_HOME=$work/cfg-A3 "$tesvan" "$a" & pa=$!
pids=("$pa")
await "$work/cfg-A3" 10 "1 $a " || fail "the first editor did not start"
sleep 0.5
kill -STOP "$pa"
XDG_CONFIG_HOME=$work/cfg-B3 "$tesvan" "$b" & pb=$!
pids+=("$pb")
sleep 1.2
kill -STOP "$pb"
kill -CONT "$pa"
sleep 2.5
kill -CONT "$pb"
await "$work/cfg-B3" 10 "1 $b " || fail "the late sender did not open its file itself"
sleep 1
[ "$(recent "$work/cfg-A3")" = "1 $a " ] || fail "the editor opened a request its sender gave up: $(recent "$work/cfg-A3")"
stop_all

echo "single_instance: ok"

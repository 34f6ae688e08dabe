#!/usr/bin/env bash
# An editor with unsaved changes is killed once its recovery copy is on disk;
# the next start offers the copy and restores it exactly.
#   kill_restore.sh TESVAN
set -euo pipefail
tesvan=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/tesvan-kill-XXXXXX)
pid=
trap '[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; [ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
export TESVAN_TMP=$work HOME=$work/home XDG_STATE_HOME=$work/state
export TESVAN_RECOVERY=1 TESVAN_RECOVERY_DELAY=100
folder=$XDG_STATE_HOME/tesvan/recovery
fail() { echo "kill_restore: $*" >&2; exit 1; }

{ cat "$here/reference.tesvan" "$here/draw.part"; echo 'save $TESVAN_TMP/ref.tvn'; } >"$work/ref.tesvan"
{ cat "$here/killed.tesvan" "$here/draw.part"; echo 'wait 60000'; } >"$work/killed.tesvan"

"$tesvan" --script="$work/ref.tesvan" || fail "the reference run failed"

"$tesvan" --script="$work/killed.tesvan" >"$work/killed.out" 2>&1 &
pid=$!
for _ in $(seq 200); do
  compgen -G "$folder/*.tvn" >/dev/null && break
  kill -0 "$pid" 2>/dev/null || fail "the editor ended before its copy was written: $(cat "$work/killed.out")"
  sleep 0.1
done
compgen -G "$folder/*.tvn" >/dev/null || fail "no recovery copy after 20 s"
kill -KILL "$pid"
wait "$pid" 2>/dev/null || true
pid=
compgen -G "$folder/*.rec" >/dev/null || fail "the copy has no record"

"$tesvan" --script="$here/restore.tesvan" >"$work/restore.out" 2>&1 || fail "restore: $(cat "$work/restore.out")"
grep -qx 'orig.tvn' "$work/restore.out" || fail "title: $(cat "$work/restore.out")"
grep -qx "question: 復元した内容で $work/orig.tvn を上書きしますか?" "$work/restore.out" ||
  fail "no question before the save: $(cat "$work/restore.out")"
cmp "$work/ref.tvn" "$work/orig.tvn" || fail "the restored document differs from the one drawn"
if compgen -G "$folder/*.tvn" >/dev/null || compgen -G "$folder/*.rec" >/dev/null; then
  fail "the copy is still there after the save: $(ls "$folder")"
fi
"$tesvan" --script="$here/after.tesvan" || fail "a copy was offered again"

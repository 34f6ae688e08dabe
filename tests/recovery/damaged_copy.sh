#!/usr/bin/env bash
# A recovery copy that cannot be read, met by a script run that keeps
# recovery copies: it is reported, moved aside, and the run ends with 1 like
# any failed read.
#   damaged_copy.sh TESVAN
set -euo pipefail
tesvan=$1
work=$(mktemp -d /tmp/tesvan-damaged-XXXXXX)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
export TESVAN_TMP=$work HOME=$work/home XDG_STATE_HOME=$work/state LC_ALL=C.UTF-8
export TESVAN_RECOVERY=1
folder=$XDG_STATE_HOME/tesvan/recovery
fail() { echo "damaged_copy: $*" >&2; exit 1; }

mkdir -p "$folder"
printf 'not a document' >"$folder/0123abcd.tvn"
printf 'not a record' >"$folder/0123abcd.rec"
printf 'print modified\n' >"$work/run.tesvan"

status=0
timeout 60 "$tesvan" --script="$work/run.tesvan" >"$work/run.out" 2>&1 || status=$?
[ "$status" = 1 ] || fail "exit status $status, expected 1: $(cat "$work/run.out")"
grep -q '^message: 読み込めない復元用のコピーを移動しました。' "$work/run.out" ||
  fail "no message about the damaged copy: $(cat "$work/run.out")"
[ -e "$folder/damaged/0123abcd.tvn" ] || fail "the copy was not moved aside: $(ls -R "$folder")"
echo "damaged_copy: ok"

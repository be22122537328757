#!/usr/bin/env bash
# The brisen command under valgrind's memcheck: a run from a file, one through
# pipes with the other kernels and field cleaning, and two that fail. Any
# invalid access, use of an unset value or leak fails the test.
# usage: valgrind_cli.sh BRISEN PLUGIN
set -euo pipefail
brisen="$1"
plugin="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

frame_bytes=$((96 * 64 * 2))
{
  printf 'YUV4MPEG2 W96 H64 F25:1 Ip A1:1 C422\n'
  for _ in 1 2 3 4 5 6; do
    printf 'FRAME\n'
    head -c "$frame_bytes" /dev/urandom
  done
} > "$work/in.y4m"
head -c $(( $(stat -c %s "$work/in.y4m") - 100 )) "$work/in.y4m" > "$work/cut.y4m"

memcheck() {
  valgrind -q --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect,possible \
    --errors-for-leak-kinds=definite,indirect,possible "$brisen" --plugin "$plugin" -q "$@"
}

# expect STATUS COMMAND...: runs it and checks its exit status (99: memcheck
# found errors), showing its standard error when that is wrong.
expect() {
  local want="$1"
  shift
  local got=0
  "$@" 2> "$work/stderr" || got=$?
  if [ "$got" != "$want" ]; then
    cat "$work/stderr" >&2
    echo "FAILED (status $got, expected $want): $*" >&2
    exit 1
  fi
}

through_pipes() {
  cat "$work/in.y4m" | memcheck --kernels portable --method 1 --snapshot 2 "$work/snap.png" - - > "$work/piped.y4m"
}

from_bad_pipe() {
  printf 'YUV4MPEG2 W96 H64 C420jpeg\n' | memcheck - "$work/bad-out.y4m"
}

expect 0 memcheck "$work/in.y4m" "$work/out.y4m"
expect 0 through_pipes
expect 1 memcheck "$work/cut.y4m" "$work/cut-out.y4m"
expect 1 from_bad_pipe
test -s "$work/out.y4m" && test -s "$work/piped.y4m" && test -s "$work/snap.png"
test ! -e "$work/cut-out.y4m" && test ! -e "$work/bad-out.y4m"
echo "memcheck clean"

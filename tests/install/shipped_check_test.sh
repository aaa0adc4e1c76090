#!/usr/bin/env bash
# The install refuses a shipped dictionary folder that a program has built in, and
# takes one as it is in the source tree.
# usage: shipped_check_test.sh SOURCE_DIR
set -euo pipefail
source=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
check() { cmake -DZABREL_SHIPPED_FOLDER="$work/urdu" -P "$source/cmake/CheckShippedDictionary.cmake" 2>"$work/err"; }

cp -r "$source/data/urdu" "$work/urdu"
check || fail "the shipped folder as committed is refused: $(cat "$work/err")"
# A first run's traces, each alone.
printf 'x' >"$work/urdu/hashtable.dat"
! check || fail "a folder holding hashtable.dat is installed"
grep -q 'has been built in' "$work/err" || fail "no reason given: $(cat "$work/err")"
rm "$work/urdu/hashtable.dat"
sed -i 's/^initialize = YES/initialize = NO/' "$work/urdu/config.ini"
! check || fail "a config.ini saying initialize = NO is installed"
grep -q 'has been built in' "$work/err" || fail "no reason given: $(cat "$work/err")"
echo "ok"

#!/usr/bin/env bash
# zabrel --help and --version print and exit with no display at all, as a packager's
# build machine or a terminal over ssh has.
# usage: options_test.sh ZABREL VERSION
set -euo pipefail
zabrel=$1
version=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work" "$zabrel" "$@" </dev/null; }

run --version >"$work/out" 2>"$work/err" || fail "--version exits with $?"
printf 'zabrel (Zabrel) %s\n' "$version" | cmp -s - "$work/out" || fail "--version prints: $(cat "$work/out")"
[ ! -s "$work/err" ] || fail "--version writes to stderr: $(cat "$work/err")"

for option in --help -h; do
  run "$option" >"$work/out" 2>"$work/err" || fail "$option exits with $?"
  [ "$(head -1 "$work/out")" = "Usage: zabrel [OPTION]..." ] || fail "$option prints: $(cat "$work/out")"
  grep -qx '      --version  show the version and exit' "$work/out" || fail "$option does not list --version"
  [ ! -s "$work/err" ] || fail "$option writes to stderr: $(cat "$work/err")"
done
# A full output stream is an error, not a silent success.
if [ -w /dev/full ]; then
  run --help >/dev/full 2>/dev/null && fail "--help into a full device succeeded"
fi
echo "app_options: 1 passed, 0 failed"

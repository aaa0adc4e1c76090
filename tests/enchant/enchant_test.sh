#!/usr/bin/env bash
# The Enchant provider as the real libenchant loads it: listed for Urdu, answering
# `enchant-2 -a` as zabrel-check -a answers, and serving python3-enchant, whose
# personal words reach the next process; beside a hunspell Urdu dictionary, the
# ordering the package ships makes Zabrel the Urdu provider. Enchant 2.3 loads providers from its own
# folder only, so the test puts the provider there for its run (as root, in CI) and
# takes it away afterwards; without write access there it is skipped.
# usage: enchant_test.sh PROVIDER ZABREL_CHECK SHIPPED_DICTIONARY ORDERING
set -euo pipefail
provider=$(realpath "$1")
zabrel_check=$(realpath "$2")
shipped=$(realpath "$3")
ordering=$(realpath "$4")
fail() { echo "FAIL: $*" >&2; exit 1; }

# Debian's python3, which python3-enchant belongs to, whatever else is first on PATH.
python=/usr/bin/python3
[ -x "$python" ] || python=python3
for tool in enchant-lsmod-2 enchant-2 "$python" pkg-config; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing (scripts/install-deps installs it)"; exit 77; }
done
"$python" -c 'import enchant' 2>/dev/null || { echo "SKIP: python3-enchant is missing"; exit 77; }
folder=$(pkg-config --variable=libdir enchant-2)/enchant-2
[ -w "$folder" ] || { echo "SKIP: $folder is not writable"; exit 77; }

work=$(mktemp -d)
installed=$folder/enchant_zabrel.so
if [ -e "$installed" ]; then cp -p "$installed" "$work/kept.so"; fi
restore() {
  if [ -e "$work/kept.so" ]; then cp -p "$work/kept.so" "$installed"; else rm -f "$installed"; fi
  rm -rf "$work"
}
trap restore EXIT
cp "$provider" "$installed.tmp"
mv "$installed.tmp" "$installed"

export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config ZABREL_SHIPPED_DICTIONARY=$shipped
mkdir -p "$HOME" "$work/run"
cd "$work/run"

enchant-lsmod-2 -list-dicts | grep -qx 'ur (zabrel)' || fail "enchant-lsmod-2 does not list ur (zabrel): $(enchant-lsmod-2 -list-dicts)"

# One word a line: correct, misspelt, misspelt with no near word.
printf '%s\n' 'کتاب' 'کتابب' 'اھم' 'ہوئ' 'پاکستان' 'مزہب' > "$work/words.txt"
# enchant-2 ends its answers with one more blank line than ispell's protocol has.
ZABREL_RANKING=exact enchant-2 -d ur -a < "$work/words.txt" | tail -n +2 | sed '${/^$/d}' > "$work/enchant.out"
"$zabrel_check" --ranking=exact -a < "$work/words.txt" | tail -n +2 > "$work/zabrel.out"
cmp -s "$work/enchant.out" "$work/zabrel.out" || {
  diff "$work/enchant.out" "$work/zabrel.out" >&2 || true
  fail "enchant-2 -a and zabrel-check -a differ"
}
grep -q '^& ' "$work/enchant.out" || fail "nothing was flagged"
# The accurate ranking, the default, answers as zabrel-check's does.
enchant-2 -d ur -a < "$work/words.txt" | tail -n +2 | sed '${/^$/d}' > "$work/enchant.out"
"$zabrel_check" --ranking=accurate -a < "$work/words.txt" | tail -n +2 > "$work/zabrel.out"
cmp -s "$work/enchant.out" "$work/zabrel.out" || fail "the accurate rankings of enchant-2 -a and zabrel-check -a differ"
# A copy whose cost table was cut short is made again from the shipped dictionary:
# Urdu stays listed, and answers as it did.
costs=$XDG_DATA_HOME/zabrel/urdu/costs.txt
truncate -s $(($(stat -c %s "$costs") / 2)) "$costs"
ZABREL_RANKING=accurate enchant-2 -d ur -a < "$work/words.txt" 2>"$work/enchant.err" | tail -n +2 | sed '${/^$/d}' > "$work/enchant.out"
cmp -s "$work/enchant.out" "$work/zabrel.out" || fail "with costs.txt cut short, enchant-2 -a answers otherwise: $(cat "$work/enchant.err")"
cmp -s "$costs" "$shipped/costs.txt" || fail "costs.txt cut short was not made again"
# One word a line has no neighbours: the context answers as the accurate ranking.
ZABREL_CONTEXT=1 enchant-2 -d ur -a < "$work/words.txt" | tail -n +2 | sed '${/^$/d}' > "$work/enchant.out"
"$zabrel_check" --context -a < "$work/words.txt" | tail -n +2 > "$work/zabrel.out"
cmp -s "$work/enchant.out" "$work/zabrel.out" || fail "ZABREL_CONTEXT=1 and zabrel-check --context -a differ"

cat > "$work/first.py" <<'PY'
import enchant
d = enchant.Dict("ur")
assert d.provider.name == "zabrel", d.provider.name
assert d.check("کتاب")
assert not d.check("کتابب")
assert "کتاب" in d.suggest("کتابب")[:3], d.suggest("کتابب")
assert not d.check("زبرلزبرل")
d.add("زبرلزبرل")
assert d.check("زبرلزبرل")
PY
cat > "$work/second.py" <<'PY'
import enchant
assert enchant.Dict("ur").check("زبرلزبرل")
PY
"$python" "$work/first.py" || fail "python3-enchant, first process"
"$python" "$work/second.py" || fail "python3-enchant, second process"
grep -qx 'زبرلزبرل' "$XDG_DATA_HOME/zabrel/personal.txt" || fail "the personal word did not reach Zabrel's list"

# Removed through Enchant, the word leaves Zabrel's list too, so zabrel-check flags it again.
"$python" -c 'import enchant; enchant.Dict("ur").remove("زبرلزبرل")' || fail "python3-enchant, remove"
! grep -qx 'زبرلزبرل' "$XDG_DATA_HOME/zabrel/personal.txt" || fail "a word removed through Enchant stayed in Zabrel's list"
[ "$(echo 'زبرلزبرل' | "$zabrel_check" -l)" = 'زبرلزبرل' ] || fail "zabrel-check still accepts a word removed through Enchant"

# Enchant and zabrel-check adding at the same moment lose nothing, and a line that
# is not UTF-8 costs a warning, not the dictionary.
printf 'caf\xe9\n' >> "$XDG_DATA_HOME/zabrel/personal.txt"
pids=()
for p in 1 2 3 4; do
  "$python" -c "
import enchant
d = enchant.Dict('ur')
for w in range(10):
    d.add('انچنٹ' + 'ابپتٹثجچحخ'[$p] + 'ابپتٹثجچحخ'[w])
" 2>/dev/null &
  pids+=($!)
  for w in 0 1 2 3 4 5 6 7 8 9; do printf '*زبرل%s%s\n' "${p}" "${w}"; done | "$zabrel_check" -a >/dev/null 2>&1 &
  pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid" || fail "a program adding words failed"; done
[ "$(grep -c -e '^انچنٹ' -e '^زبرل' "$XDG_DATA_HOME/zabrel/personal.txt")" = 80 ] ||
  fail "words were lost when programs added at once: $(grep -c -e '^انچنٹ' -e '^زبرل' "$XDG_DATA_HOME/zabrel/personal.txt") of 80"
grep -qax $'caf\xe9' "$XDG_DATA_HOME/zabrel/personal.txt" || fail "the line that is not UTF-8 was not kept"
# Beside a hunspell Urdu dictionary, which Enchant's "*" line puts before any provider
# it does not name, the shipped ordering makes Zabrel answer ur, ur_PK and ur_IN. The
# hunspell dictionary knows one word, نزار, the first thing it offers for بزار.
beside=$work/beside
mkdir -p "$beside/enchant/hunspell"
printf 'SET UTF-8\nTRY ابپتٹثجچحخدڈذرڑزژسشصضطظعغفقکگلمنںوہھءیے\n' >"$beside/enchant/hunspell/ur_PK.aff"
printf '1\nنزار\n' >"$beside/enchant/hunspell/ur_PK.dic"
first=$(echo 'بزار' | "$zabrel_check" -a | sed -n '2s/^& [^:]*: \([^,]*\).*/\1/p')
[ -n "$first" ] && [ "$first" != 'نزار' ] || fail "zabrel-check -a offers '$first' first for بزار: the providers cannot be told apart"
cat >"$work/providers.py" <<'PY'
import enchant
for tag in ("ur", "ur_PK", "ur_IN"):
    d = enchant.Dict(tag)
    print(tag, d.provider.name, (d.suggest("بزار") or ["-"])[0])
PY
answers() { XDG_CONFIG_HOME=$beside "$python" "$work/providers.py"; }
[ "$(answers | grep '^ur_PK ')" = 'ur_PK hunspell نزار' ] ||
  fail "without the ordering, hunspell's ur_PK is not first: $(answers)"
cp "$ordering" "$beside/enchant/enchant.ordering"
[ "$(answers)" = "$(printf 'ur zabrel %s\nur_PK zabrel %s\nur_IN zabrel %s' "$first" "$first" "$first")" ] ||
  fail "with the shipped ordering: $(answers)"
# Programs that list the dictionaries (GTK's language menus) name the provider they get.
[ "$(XDG_CONFIG_HOME=$beside enchant-lsmod-2 -list-dicts | grep '^ur')" = "$(printf 'ur (zabrel)\nur_IN (zabrel)\nur_PK (zabrel)')" ] ||
  fail "enchant-lsmod-2 -list-dicts with the shipped ordering: $(XDG_CONFIG_HOME=$beside enchant-lsmod-2 -list-dicts)"
echo "enchant: 1 passed, 0 failed"

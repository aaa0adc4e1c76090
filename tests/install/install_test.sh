#!/usr/bin/env bash
# An installed tree as a user and a developer meet it: the files a Debian user
# expects, a tree moved to another prefix that still finds its dictionary, an upgrade
# of the shipped word list that replaces the user's copy and keeps the personal list,
# and a program built out of tree against the installed library through CMake and
# through pkg-config.
# usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/first" >/dev/null
mv "$work/first" "$work/moved"
prefix=$work/moved
lib=$(dirname "$(find "$prefix" -name 'libzabrel.so.0' | head -1)")
[ -n "$lib" ] || fail "libzabrel.so.0 not installed"
for file in bin/zabrel-check include/zabrel/zabrel.h include/zabrel/zabrel_c.h share/zabrel/urdu/config.ini \
            share/zabrel/urdu/wordlist.txt share/man/man1/zabrel-check.1 \
            share/hunspell/ur_PK.dic share/hunspell/ur_PK.aff share/hunspell/ur_IN.dic share/hunspell/ur_IN.aff; do
  [ -e "$prefix/$file" ] || fail "$file not installed"
done
# Every file the installed config.ini names, but those built on first use (*.dat).
for file in $(awk -F' *= *' '/FilePath/ && $2 != "" {print $2}' "$prefix/share/zabrel/urdu/config.ini" | tr -d '\r'); do
  case $file in *.dat) ;; *) [ -e "$prefix/share/zabrel/urdu/$file" ] || fail "$file, named in config.ini, not installed" ;; esac
done
for file in libzabrel.so libzabrel.so.0.1.0 pkgconfig/zabrel.pc cmake/Zabrel/ZabrelConfig.cmake \
            cmake/Zabrel/ZabrelTargets.cmake; do
  [ -e "$lib/$file" ] || fail "$lib/$file not installed"
done
# Whatever prefix the build was configured for, the provider lands where an Enchant
# installed under this prefix looks: under /usr, the folder Debian's Enchant loads.
if [ -n "$(find "$build" -name enchant_zabrel.so -print -quit)" ]; then
  enchant=$(realpath -m --relative-to="$(pkg-config --variable=prefix enchant-2)" "$(pkg-config --variable=libdir enchant-2)")
  [ -e "$prefix/$enchant/enchant-2/enchant_zabrel.so" ] ||
    fail "the Enchant provider is not in $enchant/enchant-2: $(find "$prefix" -name enchant_zabrel.so)"
fi
[ "$(objdump -p "$lib/libzabrel.so.0" | awk '/SONAME/ {print $2}')" = libzabrel.so.0 ] || fail "SONAME"
if [ -e "$prefix/bin/zabrel" ]; then
  for file in share/man/man1/zabrel.1 share/applications/zabrel.desktop share/metainfo/zabrel.metainfo.xml \
              share/icons/hicolor/16x16/apps/zabrel.png share/icons/hicolor/256x256/apps/zabrel.png; do
    [ -e "$prefix/$file" ] || fail "$file not installed"
  done
fi

# The moved tree finds share/zabrel/urdu beside its programs, not where it was built for.
export HOME=$work/home XDG_DATA_HOME=$work/data
unset ZABREL_SHIPPED_DICTIONARY
mkdir -p "$HOME" "$work/elsewhere"
cd "$work/elsewhere"
echo "moved" >"$prefix/share/zabrel/urdu/marker.txt"
word=$(printf '\xda\xa9\xd8\xaa\xd8\xa7\xd8\xa8')      # کتاب, in the list
new=$(printf '\xd8\xb2\xd8\xa8\xd8\xb1\xd9\x84\xd8\xb2\xd8\xa8\xd8\xb1\xd9\x84')  # زبرلزبرل, not yet
[ -z "$(printf '%s\n' "$word" | "$prefix/bin/zabrel-check" -l)" ] || fail "a listed word is flagged"
[ "$(cat "$XDG_DATA_HOME/zabrel/urdu/marker.txt")" = moved ] || fail "the user copy is not the moved tree's"
[ "$(printf '%s\n' "$new" | "$prefix/bin/zabrel-check" -l)" = "$new" ] || fail "the new word is known too early"

# An upgrade adds the new word to the shipped list; the personal list stays as it is.
printf 'personal\n' >"$XDG_DATA_HOME/zabrel/personal.txt"
python3 - "$prefix/share/zabrel/urdu/wordlist.txt" "$new" <<'PY'
import sys
path, new = sys.argv[1], sys.argv[2]
text = open(path, encoding='utf-16', newline='').read()
header, rest = text.split('\r\n', 1)
open(path, 'w', encoding='utf-16-le', newline='').write('\ufeff%d\r\n%s\t5\r\n%s' % (int(header) + 1, new, rest))
PY
[ -z "$(printf '%s\n' "$new" | "$prefix/bin/zabrel-check" -l)" ] || fail "the upgraded list is not used"
[ "$(cat "$XDG_DATA_HOME/zabrel/personal.txt")" = personal ] || fail "the personal list changed"
ls -A "$XDG_DATA_HOME/zabrel" | grep -q -e partial -e '\.old' && fail "a partial or old copy is left"

# A program of someone else's, built against the installed package.
mkdir -p "$work/consumer" "$work/dict"
cp "$prefix"/share/zabrel/urdu/* "$work/dict/"
cat >"$work/consumer/main.cpp" <<'CPP'
#include <zabrel/zabrel.h>
#include <cstdio>
int main(int argc, char** argv) {
    try {
        zabrel::Dictionary urdu(argv[1]);
        std::vector<std::string> suggestions = urdu.suggest(argv[2]);
        std::printf("%s %zu %s\n", urdu.check(argv[2]) ? "correct" : "misspelt", suggestions.size(),
                    suggestions.empty() ? "-" : suggestions[0].c_str());
    } catch (const std::exception& ex) {
        std::printf("error: %s\n", ex.what());
        return 1;
    }
    return argc == 3 ? 0 : 2;
}
CPP
cat >"$work/consumer/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.16)
project(consumer CXX)
find_package(Zabrel REQUIRED)
add_executable(consumer main.cpp)
target_link_libraries(consumer PRIVATE Zabrel::zabrel)
CMAKE
cmake -S "$work/consumer" -B "$work/consumer/build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/consumer/build" >/dev/null
misspelt=$(printf '\xda\xa9\xd8\xaa\xd8\xa7\xd8\xa8\xd8\xa8')  # کتابب
answer=$("$work/consumer/build/consumer" "$work/dict" "$misspelt")
# The same count and first suggestion as zabrel-check gives.
line=$(printf '%s\n' "$misspelt" | "$prefix/bin/zabrel-check" -d "$work/dict" -a | sed -n 2p)
count=$(echo "$line" | cut -d' ' -f3)
first=$(echo "$line" | sed 's/^[^:]*: //; s/,.*//')
[ "$answer" = "misspelt $count $first" ] || fail "the CMake consumer says: $answer, zabrel-check: $line"
export PKG_CONFIG_PATH=$lib/pkgconfig
g++ -std=c++20 "$work/consumer/main.cpp" -o "$work/consumer/by-pkg-config" $(pkg-config --cflags --libs zabrel) \
  -Wl,-rpath,"$(pkg-config --variable=libdir zabrel)"
[ "$("$work/consumer/by-pkg-config" "$work/dict" "$word" | cut -d' ' -f1)" = correct ] || fail "the pkg-config consumer"
# And one in C, through the C API.
cat >"$work/consumer/main.c" <<'C'
#include <zabrel/zabrel_c.h>
#include <stdio.h>
#include <string.h>
int main(int argc, char** argv) {
    char* error = NULL;
    zabrel_dictionary* urdu = argc == 3 ? zabrel_open(argv[1], &error) : NULL;
    if (urdu == NULL) {
        printf("error: %s\n", error != NULL ? error : "usage: DIR WORD");
        zabrel_string_free(error);
        return 1;
    }
    int correct = zabrel_check(urdu, argv[2], strlen(argv[2]));
    zabrel_close(urdu);
    return correct == 1 ? 0 : 3;
}
C
cc -std=c99 -Wall -Werror "$work/consumer/main.c" -o "$work/consumer/in-c" $(pkg-config --cflags --libs zabrel) \
  -Wl,-rpath,"$(pkg-config --variable=libdir zabrel)"
"$work/consumer/in-c" "$work/dict" "$word" || fail "the C consumer rejects $word"
status=0
"$work/consumer/in-c" "$work/dict" "$misspelt" || status=$?
[ "$status" = 3 ] || fail "the C consumer answers $status for $misspelt"
[ ! -e "$work/elsewhere/config.ini" ] || fail "something was written to the current directory"
echo "install: 1 passed, 0 failed"

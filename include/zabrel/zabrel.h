// SPDX-License-Identifier: MIT
// Zabrel, an Urdu spell checker: the library's whole public surface.
//
//     zabrel::Dictionary urdu("/usr/share/zabrel/urdu");   // or Dictionary::openDefault()
//     if (!urdu.check("کتاب")) for (const std::string& s : urdu.suggest("کتاب")) ...
//
// Words are UTF-8 (std::string_view) or UTF-16 (std::u16string_view). Every failure
// is a zabrel::Error, which is a std::runtime_error; so is every call on a
// Dictionary that was moved from.
//
// Threads: one Dictionary may be used from several threads at once. Checks and
// suggestions (check, suggest, checkText, ranking) run side by side; the calls that
// change it (setRanking, the personal list, addSession, warnings) wait until the checks
// under way are done, and the checks after them wait for them. Separate Dictionary
// objects share nothing.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#ifndef ZABREL_API
#define ZABREL_API __attribute__((visibility("default")))
#endif

namespace zabrel {

class ZABREL_API Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ZABREL_API Dictionary {
public:
    // How suggestions are ordered: Exact is the engine's own ranking; Accurate prices
    // the letter confusions common in Urdu writing, weighs word frequency, offers two
    // words run together as "A B" and a slip whose word is certain (the dictionary's
    // surefixes.txt) with that word first; Context is Accurate with the neighbouring
    // words weighed too, where checkText knows them (check and suggest, a word alone,
    // answer as Accurate, but for a bare final ئ, whose completions with ی or ے come
    // first). A dictionary opens with the best it offers: Context when its folder has
    // a context model, else Accurate. setRanking(Ranking::Exact) gives the engine's
    // own order.
    enum class Ranking { Exact, Accurate, Context };

    // One misspelt word of a text given to checkText: where it stands, in bytes of
    // the UTF-8 text, and its suggestions, best first.
    struct Misspelling {
        std::size_t offset = 0;
        std::size_t length = 0;
        std::vector<std::string> suggestions;
    };

    // Opens the dictionary folder at `folder` (its config.ini and the files it names).
    // On first use the derived files are built in that folder, so it must be writable
    // then. The current directory plays no part.
    explicit Dictionary(const std::string& folder);
    // The same, opened with the best ranking the folder offers up to `best`: a host
    // that hands over one word at a time, never its neighbours, opens with Accurate,
    // and the context model is then not read. A ranking the folder cannot give is no
    // failure here: warnings() says so, and the next best is used.
    Dictionary(const std::string& folder, Ranking best);
    // The user's copy of the installed Urdu dictionary ($XDG_DATA_HOME/zabrel/urdu),
    // made or refreshed as zabrel-check and the dialog do, with the user's personal
    // word list ($XDG_DATA_HOME/zabrel/personal.txt).
    static Dictionary openDefault();

    ~Dictionary();
    Dictionary(Dictionary&&) noexcept;
    Dictionary& operator=(Dictionary&&) noexcept;

    // True when the word is correct: in the dictionary, in the personal list or
    // accepted for this session. A word with no Urdu letter at all is not checked and
    // counts as correct.
    bool check(std::string_view word) const;
    bool check(std::u16string_view word) const;
    // Suggestions for a misspelt word, best first (empty for a correct one): the
    // engine's, then personal words within two edits.
    std::vector<std::string> suggest(std::string_view word) const;
    std::vector<std::u16string> suggest(std::u16string_view word) const;

    // Every misspelt word of `text` (UTF-8: a line, a paragraph, a document) in
    // order. Words are cut as zabrel-check cuts them; with Ranking::Context the
    // suggestions are ranked by the words beside each one, and a word broken in two
    // (a piece that is no word and its neighbour, which together make a word) is one
    // span, blank included, offering the join.
    std::vector<Misspelling> checkText(std::string_view text) const;
    // The same one misspelling at a time, in order, handed to `onMisspelling` as it is
    // found and kept nowhere: memory stays that of a few words whatever the text's
    // length. `onMisspelling` may take the suggestions, and returns false to stop the
    // walk. `onMisspelling` may check and suggest with this dictionary; a call from it
    // that would change the dictionary raises Error instead of waiting for the walk it
    // is part of. Whatever `onMisspelling` raises ends the walk and leaves this call
    // unchanged.
    void checkText(std::string_view text, const std::function<bool(Misspelling&)>& onMisspelling) const;

    // Raises Error when the dictionary's cost table (costs.txt) is bad, or for
    // Context when the dictionary has no usable context model.
    void setRanking(Ranking ranking);
    Ranking ranking() const;

    // The personal word list: `path` empty means the shared default, which is also
    // the list addPersonal and removePersonal use when none was chosen. Loading
    // replaces the words in memory; additions and removals are saved at once, next to
    // what other programs saved. A list that cannot be read raises Error; lines of it
    // that are not UTF-8 are skipped and named in warnings().
    void usePersonalList(const std::string& path = {});
    // Blanks and line ends around the word are dropped; a word with a blank inside,
    // or one the list cannot save, raises Error.
    void addPersonal(std::string_view word);
    void removePersonal(std::string_view word);
    // Accepted until this object is destroyed; never saved.
    void addSession(std::string_view word);

    // What was skipped or repaired on the way, one sentence each: bad lines of the
    // personal list, a damaged copy of the dictionary made again.
    std::vector<std::string> warnings() const;

    // The folder this dictionary was opened from.
    std::string folder() const;
    static std::string version();

private:
    struct Impl;
    explicit Dictionary(std::unique_ptr<Impl> impl);
    Impl& state() const;
    std::unique_ptr<Impl> impl;
};

}  // namespace zabrel

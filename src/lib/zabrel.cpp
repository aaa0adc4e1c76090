// SPDX-License-Identifier: MIT
// The library's facade over the engine: engine errors become zabrel::Error, text
// arrives as UTF-8 or UTF-16, and a dictionary's checks run side by side while its
// changes wait for them.
#include "zabrel/zabrel.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <shared_mutex>
#include <utility>

#include "core/errors.h"
#include "programs/dictionaryfolder.h"
#include "session/checkpass.h"
#include "session/spellersession.h"
#include "text/utf8.h"

namespace zabrel {

namespace {

std::u16string fromUtf8(std::string_view word) {
    std::u16string out;
    std::size_t badOffset = 0;
    if (!utf8ToUtf16(word, out, badOffset))
        throw Error("zabrel: invalid UTF-8 at byte " + std::to_string(badOffset));
    return out;
}

// Runs `action`, turning every failure into a zabrel::Error.
template <typename Action>
auto guarded(Action action) -> decltype(action()) {
    try {
        return action();
    } catch (const Error&) {
        throw;
    } catch (...) {
        throw Error(libraryMessage(currentFailure()));
    }
}

}  // namespace

// The dictionaries whose checkText this thread is inside (a callback may check another).
thread_local std::vector<const void*> walking;

struct Dictionary::Impl {
    std::string folder;
    // Shared by checks, exclusive for changes.
    mutable std::shared_mutex lock;
    SpellerSession speller;
    bool personalChosen = false;

    bool walkedHere() const { return std::find(walking.begin(), walking.end(), this) != walking.end(); }
    // A checkText callback holds the lock shared already: its checks go on under it.
    std::shared_lock<std::shared_mutex> reading() const {
        if (walkedHere())
            return {};
        return std::shared_lock<std::shared_mutex>(lock);
    }
    // A change from a checkText callback would wait for the walk that waits for it.
    std::unique_lock<std::shared_mutex> writing() {
        if (walkedHere())
            throw Error("zabrel: a checkText callback called its own Dictionary");
        return std::unique_lock<std::shared_mutex>(lock);
    }

    // Called with the lock held exclusively.
    void choosePersonal(const std::string& path) {
        std::filesystem::path file =
            path.empty() ? PersonalWordList::defaultPath() : std::filesystem::path(path);
        if (file.empty())
            throw Error("zabrel: neither XDG_DATA_HOME nor HOME is set, so there is no personal word list");
        personalChosen = true;
        speller.usePersonalList(file);
    }

    void ensurePersonal() {
        if (!personalChosen)
            choosePersonal({});
    }
};

Dictionary::Dictionary(const std::string& folder) : Dictionary(folder, Ranking::Context) {}

Dictionary::Dictionary(const std::string& folder, Ranking best)
    : impl(guarded([&] {
          auto made = std::make_unique<Impl>();
          made->folder = folder;
          if (!made->speller.open(std::filesystem::path(folder)))
              throw Error("zabrel: the dictionary in " + folder + " could not be set up");
          if (best != Ranking::Exact)
              made->speller.useBestRanking(best == Ranking::Context);
          return made;
      })) {}

Dictionary::Dictionary(std::unique_ptr<Impl> made) : impl(std::move(made)) {}

Dictionary Dictionary::openDefault() {
    return guarded([] {
        std::string error;
        const std::filesystem::path folder = DictionaryFolder::userCopy(error);
        if (folder.empty())
            throw Error("zabrel: " + error);
        Dictionary dictionary(folder.string());
        dictionary.usePersonalList();
        return dictionary;
    });
}

Dictionary::~Dictionary() = default;
Dictionary::Dictionary(Dictionary&&) noexcept = default;
Dictionary& Dictionary::operator=(Dictionary&&) noexcept = default;

Dictionary::Impl& Dictionary::state() const {
    if (!impl)
        throw Error("zabrel: this Dictionary was moved from and holds no dictionary");
    return *impl;
}

bool Dictionary::check(std::string_view word) const {
    return check(std::u16string_view(fromUtf8(word)));
}

bool Dictionary::check(std::u16string_view word) const {
    return guarded([&] {
        const Impl& self = state();
        const auto hold = self.reading();
        std::vector<std::u16string> ignored;
        return !self.speller.checkToken(word, ignored);
    });
}

std::vector<std::string> Dictionary::suggest(std::string_view word) const {
    std::vector<std::string> out;
    for (const std::u16string& suggestion : suggest(std::u16string_view(fromUtf8(word))))
        out.push_back(utf16ToUtf8(suggestion));
    return out;
}

std::vector<std::u16string> Dictionary::suggest(std::u16string_view word) const {
    return guarded([&] {
        const Impl& self = state();
        const auto hold = self.reading();
        std::vector<std::u16string> suggestions;
        self.speller.checkToken(word, suggestions);
        return suggestions;
    });
}

std::vector<Dictionary::Misspelling> Dictionary::checkText(std::string_view text) const {
    std::vector<Misspelling> out;
    checkText(text, [&out](Misspelling& found) {
        out.push_back(std::move(found));
        return true;
    });
    return out;
}

void Dictionary::checkText(std::string_view text,
                           const std::function<bool(Misspelling&)>& onMisspelling) const {
    const std::u16string units = fromUtf8(text);
    std::exception_ptr raised;
    guarded([&] {
        const Impl& self = state();
        const auto hold = self.reading();
        walking.push_back(&self);
        struct Leave {
            ~Leave() { walking.pop_back(); }
        } leave;
        // The pass counts the spans' places in bytes of the caller's UTF-8.
        CheckPass pass =
            std::as_const(self.speller)
                .pass(units, {.positions = Positions::Utf8Bytes, .joins = Joins::Offer, .inPlace = true});
        while (pass.next()) {
            const Span& span = pass.span();
            Misspelling found;
            found.offset = span.start;
            found.length = span.length;
            found.suggestions.reserve(span.suggestions.size());
            for (const std::u16string& suggestion : span.suggestions)
                found.suggestions.push_back(utf16ToUtf8(suggestion));
            // The caller's own failure ends the walk and leaves this call as it was.
            try {
                if (!onMisspelling(found))
                    return;
            } catch (...) {
                raised = std::current_exception();
                return;
            }
        }
    });
    if (raised)
        std::rethrow_exception(raised);
}

void Dictionary::setRanking(Ranking ranking) {
    guarded([&] {
        Impl& self = state();
        const auto hold = self.writing();
        self.speller.setOrder(ranking == Ranking::Exact      ? SpellerSession::Order::Exact
                              : ranking == Ranking::Accurate ? SpellerSession::Order::Accurate
                                                             : SpellerSession::Order::Context);
    });
}

Dictionary::Ranking Dictionary::ranking() const {
    return guarded([&] {
        const Impl& self = state();
        const auto hold = self.reading();
        switch (self.speller.currentOrder()) {
            case SpellerSession::Order::Exact:
                return Ranking::Exact;
            case SpellerSession::Order::Accurate:
                return Ranking::Accurate;
            case SpellerSession::Order::Context:
                break;
        }
        return Ranking::Context;
    });
}

void Dictionary::usePersonalList(const std::string& path) {
    guarded([&] {
        Impl& self = state();
        const auto hold = self.writing();
        self.choosePersonal(path);
    });
}

void Dictionary::addPersonal(std::string_view word) {
    const std::u16string converted = fromUtf8(word);
    guarded([&] {
        Impl& self = state();
        const auto hold = self.writing();
        self.ensurePersonal();
        self.speller.addPersonal(converted);
    });
}

void Dictionary::removePersonal(std::string_view word) {
    const std::u16string converted = fromUtf8(word);
    guarded([&] {
        Impl& self = state();
        const auto hold = self.writing();
        self.ensurePersonal();
        self.speller.removePersonal(converted);
    });
}

void Dictionary::addSession(std::string_view word) {
    const std::u16string converted = fromUtf8(word);
    guarded([&] {
        Impl& self = state();
        const auto hold = self.writing();
        self.speller.accept(converted);
    });
}

std::vector<std::string> Dictionary::warnings() const {
    return guarded([&] {
        Impl& self = state();
        const auto hold = self.writing();
        return self.speller.takeWarnings();
    });
}

std::string Dictionary::folder() const {
    return guarded([&] { return state().folder; });
}

std::string Dictionary::version() {
    return ZABREL_VERSION;
}

}  // namespace zabrel

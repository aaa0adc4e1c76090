// SPDX-License-Identifier: MIT
// The library's facade over the engine: engine errors become zabrel::Error, text
// arrives as UTF-8 or UTF-16, and one lock serialises the calls on a dictionary.
#include "zabrel/zabrel.h"

#include <mutex>
#include <optional>
#include <set>

#include "core/errors.h"
#include "engine/personalwordlist.h"
#include "engine/spellchecker.h"
#include "programs/dictionaryfolder.h"
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
    } catch (const QuelmException& ex) {
        throw Error("zabrel: " + ex.getFullMessage());
    } catch (const std::bad_alloc&) {
        throw Error("zabrel: out of memory");
    } catch (const std::exception& ex) {
        throw Error(std::string("zabrel: ") + ex.what());
    }
}

}  // namespace

struct Dictionary::Impl {
    std::string folder;
    mutable std::mutex lock;
    mutable SpellChecker engine;
    PersonalWordList personal;
    bool personalChosen = false;
    std::string setUpNotice;
    std::set<std::u16string, std::less<>> session;
    zabrel::Ranking ranking = zabrel::Ranking::Exact;  // the engine's enum

    bool accepted(std::u16string_view word) const {
        return session.count(word) != 0 || personal.contains(word);
    }

    bool check(std::u16string_view word) const {
        std::lock_guard<std::mutex> hold(lock);
        if (accepted(word))
            return true;
        std::vector<std::u16string> ignored;
        return !engine.checkWord(std::u16string(word), ignored);
    }

    // Called with the lock held.
    void choosePersonal(const std::string& path) {
        std::filesystem::path file =
            path.empty() ? PersonalWordList::defaultPath() : std::filesystem::path(path);
        if (file.empty())
            throw Error("zabrel: neither XDG_DATA_HOME nor HOME is set, so there is no personal word list");
        PersonalWordList list(file);
        list.load();
        personal = std::move(list);
        personalChosen = true;
    }

    std::vector<std::u16string> suggest(std::u16string_view word) const {
        std::lock_guard<std::mutex> hold(lock);
        std::vector<std::u16string> suggestions;
        if (accepted(word) || !engine.check(std::u16string(word), suggestions, ranking))
            return {};
        personal.appendNear(word, suggestions);
        return suggestions;
    }
};

Dictionary::Dictionary(const std::string& folder)
    : impl(guarded([&] {
          auto made = std::make_unique<Impl>();
          made->folder = folder;
          if (!DictionaryFolder::setUp(made->engine, std::filesystem::path(folder), made->setUpNotice))
              throw Error("zabrel: the dictionary in " + folder + " could not be set up");
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
    return guarded([&] { return state().check(fromUtf8(word)); });
}

bool Dictionary::check(std::u16string_view word) const {
    return guarded([&] { return state().check(word); });
}

std::vector<std::string> Dictionary::suggest(std::string_view word) const {
    return guarded([&] {
        std::vector<std::string> out;
        for (const std::u16string& suggestion : state().suggest(fromUtf8(word)))
            out.push_back(utf16ToUtf8(suggestion));
        return out;
    });
}

std::vector<std::u16string> Dictionary::suggest(std::u16string_view word) const {
    return guarded([&] { return state().suggest(word); });
}

void Dictionary::setRanking(Ranking ranking) {
    guarded([&] {
        Impl& self = state();
        std::lock_guard<std::mutex> hold(self.lock);
        if (ranking == Ranking::Accurate)
            self.engine.prepareAccurateRanking();
        self.ranking = ranking == Ranking::Accurate ? zabrel::Ranking::Accurate : zabrel::Ranking::Exact;
    });
}

void Dictionary::usePersonalList(const std::string& path) {
    guarded([&] {
        Impl& self = state();
        std::lock_guard<std::mutex> hold(self.lock);
        self.choosePersonal(path);
    });
}

void Dictionary::addPersonal(std::string_view word) {
    guarded([&] {
        Impl& self = state();
        const std::u16string converted = fromUtf8(word);
        const std::optional<std::u16string> stored = PersonalWordList::storable(converted);
        if (!stored)
            throw Error("zabrel: \"" + std::string(word) +
                        "\" cannot be a personal word (empty, or with a blank or line break inside)");
        std::lock_guard<std::mutex> hold(self.lock);
        if (!self.personalChosen)
            self.choosePersonal({});
        self.personal.add(*stored);
        self.personal.save();
    });
}

void Dictionary::removePersonal(std::string_view word) {
    guarded([&] {
        Impl& self = state();
        const std::u16string converted = fromUtf8(word);
        std::lock_guard<std::mutex> hold(self.lock);
        if (!self.personalChosen)
            self.choosePersonal({});
        if (self.personal.remove(converted))
            self.personal.save();
    });
}

void Dictionary::addSession(std::string_view word) {
    guarded([&] {
        Impl& self = state();
        std::u16string converted = fromUtf8(word);
        std::lock_guard<std::mutex> hold(self.lock);
        self.session.insert(std::move(converted));
    });
}

std::vector<std::string> Dictionary::warnings() const {
    return guarded([&] {
        Impl& self = state();
        std::lock_guard<std::mutex> hold(self.lock);
        std::vector<std::string> out;
        if (!self.setUpNotice.empty())
            out.push_back(self.setUpNotice);
        for (const std::string& warning : self.personal.warnings())
            out.push_back(warning);
        return out;
    });
}

std::string Dictionary::folder() const {
    return guarded([&] { return state().folder; });
}

std::string Dictionary::version() {
    return ZABREL_VERSION;
}

}  // namespace zabrel

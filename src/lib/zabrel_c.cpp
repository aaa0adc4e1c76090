// SPDX-License-Identifier: MIT
// The C API over the C++ facade. Every entry point catches everything: the callers
// are other languages' runtimes, where an exception would end the program.
#include "zabrel/zabrel_c.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "core/errors.h"
#include "zabrel/zabrel.h"

struct zabrel_dictionary {
    explicit zabrel_dictionary(zabrel::Dictionary&& opened)
        : dictionary(std::move(opened)), folder(dictionary.folder()) {}

    zabrel::Dictionary dictionary;
    const std::string folder;
    mutable std::mutex errorLock;
    std::string error;

    void setError(std::string message) {
        std::lock_guard<std::mutex> hold(errorLock);
        error = std::move(message);
    }
};

namespace {

const char* const NO_DICTIONARY = "zabrel: no dictionary given";
const char* const OUT_OF_MEMORY = "zabrel: out of memory";

// Runs `action`; any failure becomes the message `report` is given, and `failed`.
template <typename Result, typename Action, typename Report>
Result reporting(Result failed, Action action, Report report) noexcept {
    try {
        try {
            return action();
        } catch (...) {
            report(zabrel::libraryMessage(zabrel::currentFailure()));
        }
    } catch (...) {
        // The message itself could not be made; the return value still tells.
    }
    return failed;
}

// A call on a dictionary: its error is cleared first and set when the call fails.
template <typename Result, typename Action>
Result onDictionary(zabrel_dictionary* self, Result failed, Action action) noexcept {
    if (self == nullptr)
        return failed;
    return reporting(
        failed,
        [&] {
            self->setError({});
            return action(self->dictionary);
        },
        [&](std::string message) { self->setError(std::move(message)); });
}

std::string_view wordOf(const char* word, size_t length) {
    if (word == nullptr)
        throw zabrel::Error("zabrel: no word given");
    return {word, length};
}

char* copyOf(const std::string& text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy == nullptr)
        throw std::bad_alloc();
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

char** listOf(const std::vector<std::string>& items, size_t* count) {
    char** list = static_cast<char**>(std::calloc(items.size() + 1, sizeof(char*)));
    if (list == nullptr)
        throw std::bad_alloc();
    try {
        for (std::size_t k = 0; k < items.size(); ++k)
            list[k] = copyOf(items[k]);
    } catch (...) {
        zabrel_list_free(list);
        throw;
    }
    if (count != nullptr)
        *count = items.size();
    return list;
}

template <typename Open>
zabrel_dictionary* opening(char** error, Open open) noexcept {
    if (error != nullptr)
        *error = nullptr;
    return reporting(
        static_cast<zabrel_dictionary*>(nullptr), [&] { return new zabrel_dictionary(open()); },
        [&](const std::string& message) {
            if (error != nullptr)
                *error = copyOf(message);
        });
}

}  // namespace

extern "C" {

zabrel_dictionary* zabrel_open(const char* folder, char** error) {
    return opening(error, [&] {
        if (folder == nullptr)
            throw zabrel::Error("zabrel: no dictionary folder given");
        return zabrel::Dictionary(folder);
    });
}

zabrel_dictionary* zabrel_open_default(char** error) {
    return opening(error, [] { return zabrel::Dictionary::openDefault(); });
}

void zabrel_close(zabrel_dictionary* dictionary) {
    delete dictionary;
}

int zabrel_check(zabrel_dictionary* dictionary, const char* word, size_t length) {
    return onDictionary(dictionary, -1,
                        [&](zabrel::Dictionary& urdu) { return urdu.check(wordOf(word, length)) ? 1 : 0; });
}

char** zabrel_suggest(zabrel_dictionary* dictionary, const char* word, size_t length, size_t* count) {
    if (count != nullptr)
        *count = 0;
    return onDictionary(dictionary, static_cast<char**>(nullptr), [&](zabrel::Dictionary& urdu) {
        return listOf(urdu.suggest(wordOf(word, length)), count);
    });
}

zabrel_misspelling* zabrel_check_text(zabrel_dictionary* dictionary, const char* text, size_t length,
                                      size_t* count) {
    if (count != nullptr)
        *count = 0;
    return onDictionary(dictionary, static_cast<zabrel_misspelling*>(nullptr), [&](zabrel::Dictionary& urdu) {
        if (text == nullptr)
            throw zabrel::Error("zabrel: no text given");
        // Each misspelling goes straight into the caller's array, so that its
        // suggestions are held once; one entry more than found, so that an empty
        // answer is not NULL.
        std::size_t found = 0;
        std::size_t room = 16;
        auto* list = static_cast<zabrel_misspelling*>(std::calloc(room + 1, sizeof(zabrel_misspelling)));
        if (list == nullptr)
            throw std::bad_alloc();
        try {
            urdu.checkText({text, length}, [&](zabrel::Dictionary::Misspelling& misspelling) {
                if (found == room) {
                    const std::size_t more = room * 2;
                    void* grown = std::realloc(list, (more + 1) * sizeof(zabrel_misspelling));
                    if (grown == nullptr)
                        throw std::bad_alloc();
                    list = static_cast<zabrel_misspelling*>(grown);
                    std::memset(list + room, 0, (more + 1 - room) * sizeof(zabrel_misspelling));
                    room = more;
                }
                zabrel_misspelling& entry = list[found];
                entry.offset = misspelling.offset;
                entry.length = misspelling.length;
                entry.suggestions = listOf(misspelling.suggestions, &entry.count);
                ++found;
                return true;
            });
        } catch (...) {
            zabrel_misspellings_free(list, found);
            throw;
        }
        if (count != nullptr)
            *count = found;
        return list;
    });
}

int zabrel_check_text_each(zabrel_dictionary* dictionary, const char* text, size_t length,
                           zabrel_misspelling_callback callback, void* context) {
    return onDictionary(dictionary, -1, [&](zabrel::Dictionary& urdu) {
        if (text == nullptr)
            throw zabrel::Error("zabrel: no text given");
        if (callback == nullptr)
            throw zabrel::Error("zabrel: no callback given");
        bool stopped = false;
        std::vector<const char*> pointers;
        urdu.checkText({text, length}, [&](zabrel::Dictionary::Misspelling& misspelling) {
            pointers.clear();
            for (const std::string& suggestion : misspelling.suggestions)
                pointers.push_back(suggestion.c_str());
            pointers.push_back(nullptr);
            const zabrel_misspelling entry{misspelling.offset, misspelling.length,
                                           const_cast<char**>(pointers.data()),
                                           misspelling.suggestions.size()};
            stopped = callback(&entry, context) != 0;
            return !stopped;
        });
        return stopped ? 1 : 0;
    });
}

int zabrel_set_ranking(zabrel_dictionary* dictionary, int ranking) {
    return onDictionary(dictionary, -1, [&](zabrel::Dictionary& urdu) {
        switch (ranking) {
            case ZABREL_RANKING_EXACT:
                urdu.setRanking(zabrel::Dictionary::Ranking::Exact);
                return 0;
            case ZABREL_RANKING_ACCURATE:
                urdu.setRanking(zabrel::Dictionary::Ranking::Accurate);
                return 0;
            case ZABREL_RANKING_CONTEXT:
                urdu.setRanking(zabrel::Dictionary::Ranking::Context);
                return 0;
            default:
                throw zabrel::Error("zabrel: no ranking numbered " + std::to_string(ranking));
        }
    });
}

int zabrel_use_personal_list(zabrel_dictionary* dictionary, const char* path) {
    return onDictionary(dictionary, -1, [&](zabrel::Dictionary& urdu) {
        urdu.usePersonalList(path != nullptr ? path : "");
        return 0;
    });
}

int zabrel_add_personal(zabrel_dictionary* dictionary, const char* word, size_t length) {
    return onDictionary(dictionary, -1, [&](zabrel::Dictionary& urdu) {
        urdu.addPersonal(wordOf(word, length));
        return 0;
    });
}

int zabrel_remove_personal(zabrel_dictionary* dictionary, const char* word, size_t length) {
    return onDictionary(dictionary, -1, [&](zabrel::Dictionary& urdu) {
        urdu.removePersonal(wordOf(word, length));
        return 0;
    });
}

int zabrel_add_session(zabrel_dictionary* dictionary, const char* word, size_t length) {
    return onDictionary(dictionary, -1, [&](zabrel::Dictionary& urdu) {
        urdu.addSession(wordOf(word, length));
        return 0;
    });
}

char** zabrel_warnings(zabrel_dictionary* dictionary, size_t* count) {
    if (count != nullptr)
        *count = 0;
    return onDictionary(dictionary, static_cast<char**>(nullptr),
                        [&](zabrel::Dictionary& urdu) { return listOf(urdu.warnings(), count); });
}

const char* zabrel_error(const zabrel_dictionary* dictionary) {
    if (dictionary == nullptr)
        return NO_DICTIONARY;
    // A copy per thread: another thread's failure cannot change the text under the caller.
    thread_local std::string seen;
    try {
        std::lock_guard<std::mutex> hold(dictionary->errorLock);
        seen = dictionary->error;
        return seen.c_str();
    } catch (...) {
        return OUT_OF_MEMORY;
    }
}

const char* zabrel_folder(const zabrel_dictionary* dictionary) {
    return dictionary != nullptr ? dictionary->folder.c_str() : nullptr;
}

const char* zabrel_version(void) {
    return ZABREL_VERSION;
}

void zabrel_string_free(char* text) {
    std::free(text);
}

void zabrel_misspellings_free(zabrel_misspelling* misspellings, size_t count) {
    if (misspellings == nullptr)
        return;
    for (size_t k = 0; k < count; ++k)
        zabrel_list_free(misspellings[k].suggestions);
    std::free(misspellings);
}

void zabrel_list_free(char** list) {
    if (list == nullptr)
        return;
    for (char** item = list; *item != nullptr; ++item)
        std::free(*item);
    std::free(list);
}

}  // extern "C"

// SPDX-License-Identifier: MIT
// Zabrel as an Enchant 2 provider: Urdu for GTK programs, pyenchant, php-enchant and
// `enchant-2 -a`. Enchant keeps its own session and personal lists and asks us only
// about words it does not hold; a word added to the personal list also goes to
// Zabrel's own list, which zabrel-check and the dialog share. The answers are the
// library's (zabrel::Dictionary), whose checks run side by side on Enchant's threads.
// No exception leaves this file: errors go through Enchant's error reporting.
#include <enchant-provider.h>
#include <glib.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "engine/personalwordlist.h"
#include "programs/dictionaryfolder.h"
#include "text/utf8.h"
#include "zabrel/zabrel.h"

namespace {

using zabrel::PersonalWordList;

// One dictionary for all the dictionaries a provider hands out (ur, ur_PK, ...).
struct Urdu {
    explicit Urdu(zabrel::Dictionary&& opened) : dictionary(std::move(opened)) {}
    zabrel::Dictionary dictionary;
};

struct Provider {
    std::mutex lock;
    std::shared_ptr<Urdu> urdu;  // set up on the first request
};

Provider& state(EnchantProvider* me) {
    return *static_cast<Provider*>(me->user_data);
}
Urdu& state(EnchantDict* me) {
    return *static_cast<std::shared_ptr<Urdu>*>(me->user_data)->get();
}

bool isUrduTag(const char* tag) {
    const std::string_view t(tag != nullptr ? tag : "");
    return t == "ur" || t.starts_with("ur_") || t.starts_with("ur-");
}

std::string describe(const std::exception& ex) {
    if (dynamic_cast<const std::bad_alloc*>(&ex) != nullptr)
        return "out of memory";
    // Enchant's messages name no provider: the library's own prefix goes.
    constexpr std::string_view PREFIX = "zabrel: ";
    const std::string_view what = ex.what();
    if (dynamic_cast<const zabrel::Error*>(&ex) != nullptr && what.starts_with(PREFIX))
        return std::string(what.substr(PREFIX.size()));
    return std::string(what);
}

// Runs `action`; on any failure reports `what` and the reason through `report` and
// returns `failed`.
template <typename Result, typename Action, typename Report>
Result reporting(Result failed, Action action, Report report) {
    try {
        return action();
    } catch (const std::exception& ex) {
        report(describe(ex));
    } catch (...) {
        report("unknown error");
    }
    return failed;
}

std::u16string wordOf(const char* word, size_t len) {
    std::u16string out;
    std::size_t badOffset = 0;
    if (!zabrel::utf8ToUtf16(std::string_view(word, len), out, badOffset))
        throw std::runtime_error("invalid UTF-8 at byte " + std::to_string(badOffset));
    return out;
}

void warnAll(zabrel::Dictionary& dictionary) {
    for (const std::string& warning : dictionary.warnings())
        g_warning("zabrel: %s", warning.c_str());
}

std::shared_ptr<Urdu> setUp() {
    std::string error;
    const std::filesystem::path folder = zabrel::DictionaryFolder::userCopy(error);
    if (folder.empty())
        throw std::runtime_error(error);
    // Enchant has no options for a provider: the environment chooses the ranking. The
    // accurate one by default (Enchant never hands over a word's neighbours, so the
    // context has nothing to weigh); ZABREL_RANKING=exact gives the engine's own order.
    const char* ranking = std::getenv("ZABREL_RANKING");
    const bool exact = ranking != nullptr && std::string_view(ranking) == "exact";
    if (ranking != nullptr && !exact && std::string_view(ranking) != "accurate")
        g_warning("zabrel: ZABREL_RANKING is \"%s\", not exact or accurate; the accurate ranking is used",
                  ranking);
    using Ranking = zabrel::Dictionary::Ranking;
    auto urdu = std::make_shared<Urdu>(
        zabrel::Dictionary(folder.string(), exact ? Ranking::Exact : Ranking::Accurate));
    // Enchant hands over one word at a time, never its neighbours: ZABREL_CONTEXT=1
    // gives what the context gives a word alone, the accurate ranking with the
    // word-level rules of the context (a bare final ئ completed first).
    const char* context = std::getenv("ZABREL_CONTEXT");
    if (context != nullptr && std::string_view(context) == "1") {
        // The context takes the accurate ranking with it; without it the ranking stays.
        const Ranking before = urdu->dictionary.ranking();
        try {
            urdu->dictionary.setRanking(Ranking::Context);
        } catch (const zabrel::Error& ex) {
            g_warning("%s", ex.what());
            urdu->dictionary.setRanking(before);
        }
    }
    // Urdu stays available with a personal list that cannot be read: the user is told,
    // and the list is left alone (it refuses to save).
    const std::filesystem::path personal = PersonalWordList::defaultPath();
    if (!personal.empty()) {
        try {
            urdu->dictionary.usePersonalList(personal.string());
        } catch (const zabrel::Error& ex) {
            g_warning("%s", ex.what());
        }
    }
    warnAll(urdu->dictionary);
    return urdu;
}

int zabrelCheck(EnchantDict* me, const char* const word, size_t len) {
    return reporting(
        -1,
        [&] {
            const std::u16string w = wordOf(word, len);
            return state(me).dictionary.check(std::u16string_view(w)) ? 0 : 1;
        },
        [&](const std::string& message) { enchant_dict_set_error(me, message.c_str()); });
}

char** zabrelSuggest(EnchantDict* me, const char* const word, size_t len, size_t* out_n_suggs) {
    *out_n_suggs = 0;
    return reporting(
        static_cast<char**>(nullptr),
        [&]() -> char** {
            const std::u16string w = wordOf(word, len);
            const std::vector<std::u16string> suggestions =
                state(me).dictionary.suggest(std::u16string_view(w));
            if (suggestions.empty())
                return nullptr;
            char** list = g_new0(char*, suggestions.size() + 1);
            for (std::size_t k = 0; k < suggestions.size(); ++k)
                list[k] = g_strdup(zabrel::utf16ToUtf8(suggestions[k]).c_str());
            *out_n_suggs = suggestions.size();
            return list;
        },
        [&](const std::string& message) { enchant_dict_set_error(me, message.c_str()); });
}

// Runs `action` on the dictionary and the word, with errors going to Enchant.
template <typename Action>
void withWord(EnchantDict* me, const char* const word, size_t len, Action action) {
    reporting(
        0,
        [&] {
            action(state(me).dictionary, std::string(word, len));
            return 0;
        },
        [&](const std::string& message) { enchant_dict_set_error(me, message.c_str()); });
}

// Enchant keeps its own lists too; ours is the one zabrel-check and the dialog read.
void zabrelAddToPersonal(EnchantDict* me, const char* const word, size_t len) {
    withWord(me, word, len, [](zabrel::Dictionary& dictionary, const std::string& w) {
        dictionary.addPersonal(w);
        warnAll(dictionary);
    });
}

// enchant_dict_remove: the word leaves Enchant's lists and is excluded there; it must
// leave ours as well, or the other programs would go on accepting it.
void zabrelRemoveFromPersonal(EnchantDict* me, const char* const word, size_t len) {
    withWord(me, word, len,
             [](zabrel::Dictionary& dictionary, const std::string& w) { dictionary.removePersonal(w); });
}

// enchant_dict_add_to_session: accepted until the program ends, as in the other front ends.
void zabrelAddToSession(EnchantDict* me, const char* const word, size_t len) {
    withWord(me, word, len,
             [](zabrel::Dictionary& dictionary, const std::string& w) { dictionary.addSession(w); });
}

EnchantDict* zabrelRequestDict(EnchantProvider* me, const char* const tag) {
    if (!isUrduTag(tag))
        return nullptr;
    return reporting(
        static_cast<EnchantDict*>(nullptr),
        [&] {
            Provider& provider = state(me);
            std::shared_ptr<Urdu> urdu;
            {
                std::lock_guard<std::mutex> hold(provider.lock);
                if (!provider.urdu)
                    provider.urdu = setUp();
                urdu = provider.urdu;
            }
            EnchantDict* dict = g_new0(EnchantDict, 1);
            dict->user_data = new std::shared_ptr<Urdu>(std::move(urdu));
            dict->check = zabrelCheck;
            dict->suggest = zabrelSuggest;
            dict->add_to_personal = zabrelAddToPersonal;
            dict->add_to_exclude = zabrelRemoveFromPersonal;
            dict->add_to_session = zabrelAddToSession;
            return dict;
        },
        [&](const std::string& message) { enchant_provider_set_error(me, ("zabrel: " + message).c_str()); });
}

void zabrelDisposeDict(EnchantProvider*, EnchantDict* dict) {
    delete static_cast<std::shared_ptr<Urdu>*>(dict->user_data);
    g_free(dict);
}

int zabrelDictionaryExists(EnchantProvider*, const char* const tag) {
    return isUrduTag(tag) ? 1 : 0;
}

const char* zabrelIdentify(EnchantProvider*) {
    return "zabrel";
}

const char* zabrelDescribe(EnchantProvider*) {
    return "Zabrel Urdu Provider";
}

// The tags hunspell's Urdu dictionaries go by too: a program's language menu then names
// the provider that answers them (Enchant lists, for each tag, the first provider of
// its ordering that lists the tag).
char** zabrelListDicts(EnchantProvider*, size_t* out_n_dicts) {
    static constexpr const char* TAGS[] = {"ur", "ur_PK", "ur_IN"};
    char** tags = g_new0(char*, std::size(TAGS) + 1);
    for (std::size_t i = 0; i < std::size(TAGS); ++i)
        tags[i] = g_strdup(TAGS[i]);
    *out_n_dicts = std::size(TAGS);
    return tags;
}

void zabrelDispose(EnchantProvider* me) {
    delete static_cast<Provider*>(me->user_data);
    g_free(me);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) EnchantProvider* init_enchant_provider(void) {
    auto* provider = new (std::nothrow) Provider;
    if (provider == nullptr)
        return nullptr;
    EnchantProvider* me = g_new0(EnchantProvider, 1);
    me->user_data = provider;
    me->dispose = zabrelDispose;
    me->request_dict = zabrelRequestDict;
    me->dispose_dict = zabrelDisposeDict;
    me->dictionary_exists = zabrelDictionaryExists;
    me->identify = zabrelIdentify;
    me->describe = zabrelDescribe;
    me->list_dicts = zabrelListDicts;
    return me;
}

// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/contextline.h"
#include "engine/contextmodel.h"
#include "engine/personalwordlist.h"
#include "engine/spellchecker.h"
#include "engine/textcontext.h"
#include "session/checkpass.h"
#include "text/sessionwords.h"
#include "text/wordletters.h"

namespace zabrel {

// The spans of a pass, under the name the front ends first knew them by.
using TextSpan = Span;

// Every failure of the speller as a front end meets it: the engine's errors, the
// system's and running out of memory. what() is the message for the user: a plain
// sentence, then, after ": ", the engine's own words where it gave some; never where
// in our source the error was raised. The parts are there for front ends that say
// the sentence in their own language.
class SessionError : public std::runtime_error {
public:
    explicit SessionError(const std::string& sentence) : SessionError(sentence, {}, {}) {}
    // `file`: the file the sentence names, if any; `detail`: the engine's message.
    SessionError(const std::string& sentence, std::string file, std::string detail);

    const std::string& sentence() const { return plain; }
    const std::string& file() const { return named; }
    const std::string& detail() const { return engineText; }

private:
    std::string plain;
    std::string named;
    std::string engineText;
};

// A word as an error message quotes it: UTF-8, in double quotes, with control
// characters shown as their visible pictures (NUL as U+2400), so that a word with a
// NUL inside arrives whole through C strings and on a terminal.
std::string quotedWord(std::u16string_view word);

// The speller beneath every program: zabrel-check, the dialog, the library and the
// Enchant provider are adapters over it. It owns the engine, the personal word list,
// the words of this session (accepted, ignored or changed everywhere), the ranking and
// the one word cutter, and it gives the one verdict for a word:
//
//   a word (a run of letters and inner marks, as letters() cuts it) is correct when
//   the engine accepts it, or when the personal list or this session holds it as
//   written or by its letters alone.
//
// Suggestions are the engine's, in its ranking, then the personal words within two
// edits. Every call that reaches the engine or the disk raises SessionError only.
//
// Threads: the checking calls (isMisspelt, check, checkToken, sureFix and checkText)
// may run from many threads at once on one session; their caches sit behind a short
// lock, never held while the engine ranks. addPersonal, removePersonal, accept and
// clearChoices take the words exclusively and may run beside them. Setting the session
// up or changing how it ranks (open, usePersonalList, setRanking, setContext, ...) must
// not run beside a check: the library's facade keeps its own lock for that.
class SpellerSession {
public:
    // The engine's answer for one word, as SpellChecker::check gives it. Tests stand a
    // small function in for a dictionary.
    using EngineAnswer =
        std::function<bool(const std::u16string& word, std::vector<std::u16string>& suggestions)>;

    // Session words are bounded so that a client cannot grow us without end; past the
    // bound a word is simply flagged again.
    static constexpr std::size_t SESSION_UNITS = 1024 * 1024;

    SpellerSession();
    // Over `answer` and `letters` instead of a dictionary folder.
    SpellerSession(EngineAnswer answer, WordLetters letters);
    ~SpellerSession();
    SpellerSession(const SpellerSession&) = delete;
    SpellerSession& operator=(const SpellerSession&) = delete;

    // Sets the engine up from `folder`, false when it reports the folder unusable; a
    // damaged user copy is made again first, and takeWarnings() says so.
    bool open(const std::filesystem::path& folder);
    bool isOpen() const { return letterTable != nullptr; }

    // Reads `file` as the personal list (empty: a list in memory only). A list that
    // cannot be read raises, and stays in use, refusing to save.
    void usePersonalList(const std::filesystem::path& file);
    const PersonalWordList& personal() const { return personalWords; }

    // Raises when the dictionary's cost table is bad. The context ranks the accurate
    // ranking's suggestions, so the exact ranking sets it off.
    void setRanking(Ranking ranking);
    Ranking ranking() const { return order.load(std::memory_order_relaxed); }
    // The best order the dictionary offers, the default of every front end but the
    // dialog: the accurate ranking, with the context when the dictionary has a context
    // model (quietly without it when it has none). `withContext` false: the accurate
    // ranking alone, for front ends that never know a word's neighbours. A bad cost
    // table or a damaged model is no failure here: takeWarnings() says so, and the
    // next best order is used.
    void useBestRanking(bool withContext = true);
    // Whether the dictionary names a context model that is there to be read.
    bool hasContextModel() const;

    // The fix the dictionary's sure-fix table gives `word`, a slip whose intended word
    // is certain; empty when it has none. The accurate ranking (and the context) offer
    // it first; a text corrected as a whole takes it whatever the ranking.
    std::u16string sureFix(std::u16string_view word) const;

    const WordLetters& letters() const;

    // A word written with the Arabic letter forms that Arabic keyboards and copied text
    // bring in (ه ي ى ك ة) whose Urdu forms (ہ ی ی ک ۃ) make a correct word: answered as
    // the engine answers it; misspelt with the Urdu forms as its first suggestion (the
    // default: writers correct these, and Urdu text with them neither reads nor sorts
    // as Urdu); or accepted.
    enum class ArabicForms { AsTheEngine, UrduFirst, Accept };
    void setArabicLetterForms(ArabicForms answer) { arabicForms = answer; }

    bool isMisspelt(std::u16string_view word) const;
    // True when misspelt, with the suggestions; false and none when correct.
    bool check(std::u16string_view word, std::vector<std::u16string>& suggestions) const;

    // The same for a token that may hold several words (کتاب-بزار, کتاب‌خانہ): misspelt
    // when one of its words is, with the token as it would read with that word's
    // suggestions in its place. Programs that hand over their own tokens use this.
    bool checkToken(std::u16string_view token, std::vector<std::u16string>& suggestions) const;

    // The context: a misspelt word's suggestions ranked by the words beside it as well
    // (checkText alone knows them). It ranks the accurate ranking's candidates, so it
    // sets that ranking. Raises when the dictionary has no context model or a damaged
    // one; off again, check() and checkToken() answer as before.
    void setContext(bool on);
    bool context() const { return contextOn.load(std::memory_order_relaxed); }
    // With the context on: correct words whose neighbours strongly want a word one
    // slip away are flagged as well (real-word slips: ہے for ہیں), and two words that
    // write one lexicon word the neighbours prefer are offered joined.
    void setRealWordSlips(bool on) { realWords = on; }
    bool realWordSlips() const { return realWords.load(std::memory_order_relaxed); }
    void setContextWeights(float weight, float after, float slipMargin);
    // With real-word slips: a lexicon word that running text writes far more often as
    // two words (ہوسکتا, ہو سکتا) is flagged with the two words first. `evidence` is
    // how far ln P(A B) must pass ln P(AB) by the context model, for a pair the model
    // saw; a negative one turns this off.
    void setRunTogether(float evidence);

    // The order of suggestions as the front ends offer it, and the one place that
    // knows how the two settings above go together: the context ranks the accurate
    // ranking's candidates, so Context is the accurate ranking with the context, and
    // Exact is the engine's order without it. Raises as setRanking and setContext do,
    // and a failure leaves the order as it was.
    enum class Order { Exact, Accurate, Context };
    void setOrder(Order wanted);
    Order currentOrder() const {
        return context() ? Order::Context : ranking() == Ranking::Exact ? Order::Exact : Order::Accurate;
    }

    // A pass over `text` (see CheckPass): its spans one at a time, in order, each with
    // its suggestions; with the context on, ranked by their neighbours, and with
    // real-word slips and broken words when those are asked for. Neighbours are the
    // words next to each other with no sentence end (. ۔ ? ؟ ! or a line end) between.
    // The const form makes a pass that cannot decide (Ignore All, Change All, Add),
    // for many threads on one session.
    CheckPass pass(std::u16string_view text, PassOptions options = {});
    CheckPass pass(std::u16string_view text, PassOptions options = {}) const;

    // The spans of a whole pass, without stopping, in UTF-16 units.
    using Joins = zabrel::Joins;
    void checkText(std::u16string_view text, std::vector<TextSpan>& spans, Joins joins = Joins::Offer) const;

    // Accepted for this session only (Ignore All, @WORD), by its letters.
    void accept(std::u16string_view word);
    // Ignore All and Change All of the dialog, which also belong to this session. Not
    // to be changed through this beside a check on another thread.
    SessionWords& choices() { return sessionWords; }
    // A new text: what was decided for the last one no longer holds.
    void clearChoices();

    // Adds the word to the personal list and saves it at once; false when the list
    // already had it. A word the list cannot hold, or a save that fails, raises; the
    // word then stays accepted here, and pending for the next save.
    bool addPersonal(std::u16string_view word);
    bool removePersonal(std::u16string_view word);
    // Saves what an earlier failed save left pending.
    void savePersonal();

    // What was mended or skipped on the way, for the user, each said once.
    std::vector<std::string> takeWarnings();

    // The engine behind it (not open for a session over an EngineAnswer).
    SpellChecker& engine() { return *checker; }
    // The context model (empty until the context is first set on).
    const ContextModel& contextModel() const;

private:
    struct Answer {
        bool misspelt;
        std::vector<std::u16string> suggestions;
    };
    bool heldAsOurs(std::u16string_view word) const;
    bool engineAnswer(const std::u16string& word, std::vector<std::u16string>& suggestions) const;
    // The word's Urdu letter forms, when they differ from it and make a correct word;
    // empty otherwise.
    std::u16string correctUrduForms(std::u16string_view word) const;
    void takePersonalWarnings();
    // Called with `words` held exclusively.
    void indexPersonal();
    void forgetAnswers();
    // The accurate ranking's promise, kept through what this session adds and moves:
    // a sure fix comes first.
    void sureFixFirst(std::u16string_view word, std::vector<std::u16string>& suggestions) const;
    // What the context's rules ask this session about words.
    WordVerdicts verdicts() const;
    friend class CheckPass;

    std::unique_ptr<SpellChecker> checker;
    EngineAnswer answer;
    std::unique_ptr<WordLetters> letterTable;
    PersonalWordList personalWords;
    // The personal words by their letters alone, so that one stored with a diacritic
    // also holds for the word written without, and the other way round.
    std::unordered_set<std::u16string> personalLetters;
    SessionWords sessionWords;
    std::size_t sessionUnits = 0;
    // Held shared while a check reads the personal and session words, exclusively while
    // they change.
    mutable std::shared_mutex words;
    std::atomic<Ranking> order{Ranking::Exact};
    std::atomic<ArabicForms> arabicForms{ArabicForms::UrduFirst};
    // Real texts repeat their words, and ranking suggestions is the dearest part of a
    // check, so the engine's answers are remembered (bounded, and never for the
    // megabyte tokens of binary input).
    mutable std::unordered_map<std::u16string, Answer> remembered;
    // Guards `remembered`: held to look up or store, never while the engine ranks.
    mutable std::shared_mutex caches;
    std::vector<std::string> pendingWarnings;

    std::atomic<bool> contextOn{false};
    std::atomic<bool> realWords{false};
    // The context's rules, over the engine (none for a session over an EngineAnswer).
    std::unique_ptr<TextContext> textContext;

public:
    // The context's settings, as its rules have them.
    static constexpr float SLIP_MARGIN = TextContext::SLIP_MARGIN;
    static constexpr float JOIN_EVIDENCE = TextContext::JOIN_EVIDENCE;
};

}  // namespace zabrel

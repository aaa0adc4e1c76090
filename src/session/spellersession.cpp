// SPDX-License-Identifier: MIT
#include "session/spellersession.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>
#include <iterator>
#include <new>
#include <utility>

#include "core/errors.h"
#include "programs/dictionaryfolder.h"
#include "session/guarded.h"
#include "text/letterforms.h"
#include "text/utf8.h"

namespace zabrel {

namespace {

constexpr std::size_t LONGEST_REMEMBERED = 256;
constexpr std::size_t REMEMBERED_WORDS = 20000;

// A message continued by another clause.
std::string withoutFullStop(std::string message) {
    if (message.ends_with('.'))
        message.pop_back();
    return message;
}

using namespace guard;

}  // namespace

SessionError::SessionError(const std::string& sentence, std::string file, std::string detail)
    : std::runtime_error(detail.empty() ? sentence : sentence + ": " + detail),
      plain(sentence),
      named(std::move(file)),
      engineText(std::move(detail)) {}

std::string quotedWord(std::u16string_view word) {
    std::u16string shown;
    shown.reserve(word.size() + 2);
    shown += u'"';
    for (const char16_t unit : word) {
        if (unit < 0x20)
            shown += static_cast<char16_t>(0x2400 + unit);
        else if (unit == 0x7F)
            shown += u'\u2421';
        else
            shown += unit;
    }
    shown += u'"';
    return utf16ToUtf8(shown);
}

SpellerSession::SpellerSession()
    : checker(std::make_unique<SpellChecker>()), textContext(std::make_unique<TextContext>(*checker)) {}

SpellerSession::SpellerSession(EngineAnswer engineAnswer, WordLetters letters)
    : answer(std::move(engineAnswer)), letterTable(std::make_unique<WordLetters>(std::move(letters))) {}

SpellerSession::~SpellerSession() = default;

bool SpellerSession::open(const std::filesystem::path& folder) {
    return guarded(
        [&] {
            const std::unique_lock hold(words);
            std::string notice;
            if (!DictionaryFolder::setUp(*checker, folder, notice))
                return false;
            if (!notice.empty())
                pendingWarnings.push_back(notice);
            if (order == Ranking::Accurate)
                checker->prepareAccurateRanking();
            // Words are cut by the engine's own letters.
            const UniChar2IndexMap& alphabet = checker->alphabet();
            letterTable = std::make_unique<WordLetters>(
                [&alphabet](char16_t unit) { return alphabet.getIndex(unit) != NO_INDEX; });
            answer = [this](const std::u16string& word, std::vector<std::u16string>& suggestions) {
                return checker->check(word, suggestions, order.load(std::memory_order_relaxed));
            };
            forgetAnswers();
            textContext->forget();
            indexPersonal();
            return true;
        },
        [this] {
            const SpellChecker::SetUpFile& at = checker->failedFile();
            if (at.role.empty())
                return Context{COST_TABLE, {}};
            return Context{"the dictionary could not be set up from its " + at.role, at.path};
        });
}

const WordLetters& SpellerSession::letters() const {
    if (!letterTable)
        throw SessionError("no dictionary is open");
    return *letterTable;
}

void SpellerSession::usePersonalList(const std::filesystem::path& file) {
    const std::unique_lock hold(words);
    personalWords = PersonalWordList(file);
    try {
        guarded([&] { personalWords.load(); }, {});
    } catch (const SessionError&) {
        indexPersonal();
        throw;
    }
    indexPersonal();
    takePersonalWarnings();
}

void SpellerSession::indexPersonal() {
    personalLetters.clear();
    if (!letterTable)
        return;
    for (const std::u16string& word : personalWords.words())
        if (std::u16string key = letterTable->lettersOf(word); !key.empty())
            personalLetters.insert(std::move(key));
}

void SpellerSession::takePersonalWarnings() {
    for (const std::string& warning : personalWords.warnings())
        pendingWarnings.push_back(warning);
}

void SpellerSession::setRanking(Ranking ranking) {
    guarded(
        [&] {
            if (ranking == Ranking::Accurate && checker && isOpen())
                checker->prepareAccurateRanking();
            if (ranking != order)
                forgetAnswers();
            order = ranking;
            if (ranking == Ranking::Exact)
                contextOn = false;
        },
        saying(COST_TABLE));
}

bool SpellerSession::hasContextModel() const {
    if (!checker || !isOpen())
        return false;
    std::error_code ec;
    const std::string& path = checker->contextModelPath();
    return !path.empty() && std::filesystem::exists(path, ec);
}

void SpellerSession::useBestRanking(bool withContext) {
    // Asked for by no one, the best is what the dictionary can give: what it cannot is
    // said, and the next best is used.
    try {
        setRanking(Ranking::Accurate);
    } catch (const SessionError& ex) {
        pendingWarnings.push_back(withoutFullStop(ex.what()) + "; the exact ranking is used");
        return;
    }
    if (!withContext || !hasContextModel()) {
        setOrder(Order::Accurate);
        return;
    }
    try {
        setOrder(Order::Context);
    } catch (const SessionError& ex) {
        pendingWarnings.push_back(withoutFullStop(ex.what()) + "; the accurate ranking is used without it");
    }
}

std::u16string SpellerSession::sureFix(std::u16string_view word) const {
    if (!checker || !isOpen())
        return {};
    const std::u16string* fix = checker->sureFix(word);
    return fix ? *fix : std::u16string();
}

void SpellerSession::forgetAnswers() {
    const std::unique_lock hold(caches);
    remembered.clear();
}

void SpellerSession::sureFixFirst(std::u16string_view word, std::vector<std::u16string>& suggestions) const {
    if (order != Ranking::Accurate)
        return;
    std::u16string fix = sureFix(word);
    if (fix.empty() || (!suggestions.empty() && suggestions.front() == fix))
        return;
    std::erase(suggestions, fix);
    suggestions.insert(suggestions.begin(), std::move(fix));
}

bool SpellerSession::heldAsOurs(std::u16string_view word) const {
    const std::shared_lock hold(words);
    // Most checks meet empty lists: the word's letters are taken only when needed.
    if (personalWords.size() == 0 && sessionWords.empty())
        return false;
    if (personalWords.contains(word))
        return true;
    const std::u16string key = letters().lettersOf(word);
    return personalLetters.contains(key) || sessionWords.isIgnored(key) ||
           sessionWords.isIgnored(std::u16string(word));
}

bool SpellerSession::engineAnswer(const std::u16string& word,
                                  std::vector<std::u16string>& suggestions) const {
    {
        const std::shared_lock hold(caches);
        if (auto found = remembered.find(word); found != remembered.end()) {
            suggestions = found->second.suggestions;
            return found->second.misspelt;
        }
    }
    if (!answer)
        throw SessionError("no dictionary is open");
    const bool misspelt = guarded([&] { return answer(word, suggestions); }, saying(WHILE_CHECKING));
    if (word.size() <= LONGEST_REMEMBERED) {
        const std::unique_lock hold(caches);
        if (remembered.size() >= REMEMBERED_WORDS)
            remembered.clear();
        remembered.emplace(word, Answer{misspelt, suggestions});
    }
    return misspelt;
}

std::u16string SpellerSession::correctUrduForms(std::u16string_view word) const {
    std::u16string urdu =
        arabicForms == ArabicForms::AsTheEngine ? std::u16string(word) : urduLetterForms(word);
    if (urdu == word)
        return {};
    if (heldAsOurs(urdu))
        return urdu;
    std::vector<std::u16string> ignored;
    const bool correct = checker && isOpen()
                             ? guarded([&] { return checker->accepts(urdu); }, saying(WHILE_CHECKING))
                             : !engineAnswer(urdu, ignored);
    return correct ? urdu : std::u16string();
}

bool SpellerSession::isMisspelt(std::u16string_view word) const {
    if (heldAsOurs(word) || (arabicForms == ArabicForms::Accept && !correctUrduForms(word).empty()))
        return false;
    if (checker && isOpen())
        return guarded([&] { return !checker->accepts(word); }, saying(WHILE_CHECKING));
    std::vector<std::u16string> ignored;
    return engineAnswer(std::u16string(word), ignored);
}

bool SpellerSession::check(std::u16string_view word, std::vector<std::u16string>& suggestions) const {
    suggestions.clear();
    if (heldAsOurs(word) || !engineAnswer(std::u16string(word), suggestions)) {
        suggestions.clear();
        return false;
    }
    const std::u16string urdu = correctUrduForms(word);
    if (!urdu.empty()) {
        if (arabicForms == ArabicForms::Accept) {
            suggestions.clear();
            return false;
        }
        std::erase(suggestions, urdu);
        suggestions.insert(suggestions.begin(), urdu);
    } else if (contextOn) {
        guarded([&] { textContext->completionsFirst(word, suggestions); }, saying(WHILE_CHECKING));
    }
    sureFixFirst(word, suggestions);
    const std::shared_lock hold(words);
    personalWords.appendNear(word, suggestions);
    return true;
}

bool SpellerSession::checkToken(std::u16string_view token, std::vector<std::u16string>& suggestions) const {
    suggestions.clear();
    std::vector<LineWord> words;
    cutLine(token, letters(), words);
    std::vector<std::u16string> own;
    for (const LineWord& word : words) {
        if (word.foreign || !check(token.substr(word.start, word.length), own))
            continue;
        const std::u16string_view before = token.substr(0, word.start);
        const std::u16string_view after = token.substr(word.start + word.length);
        for (const std::u16string& suggestion : own)
            suggestions.push_back(std::u16string(before) + suggestion + std::u16string(after));
        return true;
    }
    return false;
}

void SpellerSession::setContext(bool on) {
    guarded(
        [&] {
            if (on && contextModel().empty()) {
                if (!checker || !isOpen())
                    throw SessionError("no dictionary is open");
                const std::string& path = checker->contextModelPath();
                if (path.empty())
                    throw SessionError(
                        "this dictionary has no context model (contextModelFilePath in config.ini)");
                textContext->load(path);
            }
            if (on)
                setRanking(Ranking::Accurate);
            contextOn = on;
        },
        [this] {
            return Context{"the context model could not be read from", checker->contextModelPath()};
        });
}

void SpellerSession::setOrder(Order wanted) {
    // The context's model is read before anything changes, so that a missing or damaged
    // one leaves the order as it was; setContext takes the accurate ranking with it.
    if (wanted == Order::Context) {
        setContext(true);
        return;
    }
    setRanking(wanted == Order::Exact ? Ranking::Exact : Ranking::Accurate);
    contextOn = false;
}

void SpellerSession::setContextWeights(float weight, float after, float margin) {
    if (textContext)
        textContext->setWeights(weight, after, margin);
}

void SpellerSession::setRunTogether(float evidence) {
    if (textContext)
        textContext->setRunTogether(evidence);
}

const ContextModel& SpellerSession::contextModel() const {
    static const ContextModel none;
    return textContext ? textContext->model() : none;
}

WordVerdicts SpellerSession::verdicts() const {
    return {[this](std::u16string_view word, std::vector<std::u16string>& suggestions) {
                return check(word, suggestions);
            },
            [this](std::u16string_view word) { return heldAsOurs(word); },
            [this](std::u16string_view word) { return !correctUrduForms(word).empty(); }};
}

CheckPass SpellerSession::pass(std::u16string_view text, PassOptions options) {
    return CheckPass(*this, text, options);
}

CheckPass SpellerSession::pass(std::u16string_view text, PassOptions options) const {
    return CheckPass(*this, text, options);
}

void SpellerSession::checkText(std::u16string_view text, std::vector<TextSpan>& spans, Joins joins) const {
    spans.clear();
    for (CheckPass walk = pass(text, {.positions = Positions::Utf16Units, .joins = joins, .inPlace = true});
         walk.next();)
        spans.push_back(walk.span());
}

void SpellerSession::accept(std::u16string_view word) {
    std::u16string kept = letterTable ? letterTable->lettersOf(word) : std::u16string();
    if (kept.empty())
        kept = word;  // no letters of ours: kept as written
    const std::unique_lock hold(words);
    if (kept.empty() || sessionUnits + kept.size() > SESSION_UNITS || sessionWords.isIgnored(kept))
        return;
    sessionUnits += kept.size();
    sessionWords.ignoreAll(kept);
}

bool SpellerSession::addPersonal(std::u16string_view word) {
    if (!PersonalWordList::storable(word))
        throw SessionError(
            quotedWord(word) +
            " cannot be a personal word (empty, or with a blank, a line break or a NUL inside)");
    bool added = false;
    {
        const std::unique_lock hold(words);
        added = personalWords.add(word);
        if (std::u16string key = added && letterTable ? letterTable->lettersOf(word) : std::u16string();
            !key.empty())
            personalLetters.insert(std::move(key));
    }
    savePersonal();
    return added;
}

bool SpellerSession::removePersonal(std::u16string_view word) {
    bool removed = false;
    {
        const std::unique_lock hold(words);
        removed = personalWords.remove(word);
        if (removed)
            indexPersonal();
    }
    savePersonal();
    return removed;
}

void SpellerSession::clearChoices() {
    const std::unique_lock hold(words);
    sessionWords.clear();
    sessionUnits = 0;
}

void SpellerSession::savePersonal() {
    // Exclusive: saving folds the pending words into the list the checks read.
    const std::unique_lock hold(words);
    if (!personalWords.unsaved())
        return;
    guarded([&] { personalWords.save(); }, {});
    takePersonalWarnings();
}

std::vector<std::string> SpellerSession::takeWarnings() {
    std::vector<std::string> out = std::move(pendingWarnings);
    pendingWarnings.clear();
    return out;
}

}  // namespace zabrel

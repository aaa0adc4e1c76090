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
#include "text/letterforms.h"
#include "text/utf8.h"

namespace zabrel {

namespace {

constexpr std::size_t LONGEST_REMEMBERED = 256;
constexpr std::size_t REMEMBERED_WORDS = 20000;

// Says what the user was doing when the engine failed, naming the file where there
// is one; the engine's message follows it.
struct Context {
    std::string sentence;
    std::string file;
};
using Describe = std::function<Context()>;

std::string joined(const std::string& sentence, const std::string& file) {
    return file.empty() ? sentence : sentence + " " + file;
}

// Runs `action`, turning every failure into a SessionError with the user's message.
// The engine's errors keep their message, after a sentence of ours; where in our
// source they were raised is of no use to a user and is left out. The personal list's
// errors are sentences for the user already (`describe` empty).
template <typename Action>
auto guarded(Action action, const Describe& describe) -> decltype(action()) {
    try {
        return action();
    } catch (const SessionError&) {
        throw;
    } catch (const QuelmException& ex) {
        if (!describe)
            throw SessionError(ex.getMessage());
        const Context context = describe();
        throw SessionError(joined(context.sentence, context.file), context.file, ex.getMessage());
    } catch (const std::exception&) {
        throw SessionError(currentFailure());
    }
}

Describe saying(std::string sentence, std::string file = {}) {
    return [sentence = std::move(sentence), file = std::move(file)] { return Context{sentence, file}; };
}

// A message continued by another clause.
std::string withoutFullStop(std::string message) {
    if (message.ends_with('.'))
        message.pop_back();
    return message;
}

const std::string COST_TABLE = "the accurate ranking's cost table could not be read";
const std::string WHILE_CHECKING = "the dictionary could not be read while checking a word";

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

SpellerSession::SpellerSession() : checker(std::make_unique<SpellChecker>()) {}

SpellerSession::SpellerSession(EngineAnswer engineAnswer, WordLetters letters)
    : answer(std::move(engineAnswer)), letterTable(std::make_unique<WordLetters>(std::move(letters))) {}

SpellerSession::~SpellerSession() = default;

bool SpellerSession::open(const std::filesystem::path& folder) {
    return guarded(
        [&] {
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
                return checker->check(word, suggestions, order);
            };
            remembered.clear();
            scores.clear();
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
            if (ranking != order) {
                remembered.clear();
                scores.clear();
            }
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
    // Most checks meet empty lists: the word's letters are taken only when needed.
    if (personalWords.size() == 0 && sessionWords.empty())
        return false;
    if (personalWords.contains(word))
        return true;
    const std::u16string key = letters().lettersOf(word);
    return personalLetters.contains(key) || sessionWords.isIgnored(key) ||
           sessionWords.isIgnored(std::u16string(word));
}

bool SpellerSession::engineAnswer(const std::u16string& word, std::vector<std::u16string>& suggestions) {
    if (auto found = remembered.find(word); found != remembered.end()) {
        suggestions = found->second.suggestions;
        return found->second.misspelt;
    }
    if (!answer)
        throw SessionError("no dictionary is open");
    const bool misspelt = guarded([&] { return answer(word, suggestions); }, saying(WHILE_CHECKING));
    if (word.size() <= LONGEST_REMEMBERED) {
        if (remembered.size() >= REMEMBERED_WORDS)
            remembered.clear();
        remembered.emplace(word, Answer{misspelt, suggestions});
    }
    return misspelt;
}

std::u16string SpellerSession::correctUrduForms(std::u16string_view word) {
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

bool SpellerSession::isMisspelt(std::u16string_view word) {
    if (heldAsOurs(word) || (arabicForms == ArabicForms::Accept && !correctUrduForms(word).empty()))
        return false;
    if (checker && isOpen())
        return guarded([&] { return !checker->accepts(word); }, saying(WHILE_CHECKING));
    std::vector<std::u16string> ignored;
    return engineAnswer(std::u16string(word), ignored);
}

bool SpellerSession::check(std::u16string_view word, std::vector<std::u16string>& suggestions) {
    suggestions.clear();
    if (heldAsOurs(word) || !engineAnswer(std::u16string(word), suggestions)) {
        suggestions.clear();
        return false;
    }
    if (std::u16string urdu = correctUrduForms(word); !urdu.empty()) {
        if (arabicForms == ArabicForms::Accept) {
            suggestions.clear();
            return false;
        }
        std::erase(suggestions, urdu);
        suggestions.insert(suggestions.begin(), std::move(urdu));
    }
    if (contextOn)
        completionsFirst(word, suggestions);
    sureFixFirst(word, suggestions);
    personalWords.appendNear(word, suggestions);
    return true;
}

bool SpellerSession::checkToken(std::u16string_view token, std::vector<std::u16string>& suggestions) {
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
            if (on && model.empty()) {
                if (!checker || !isOpen())
                    throw SessionError("no dictionary is open");
                const std::string& path = checker->contextModelPath();
                if (path.empty())
                    throw SessionError(
                        "this dictionary has no context model (contextModelFilePath in config.ini)");
                model.load(path);
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
    contextRanking.setWeights(weight, after);
    slipMargin = margin;
}

int32_t SpellerSession::frequency(const std::u16string& word) {
    return checker->frequencyOf(word);
}

void SpellerSession::rankInContext(std::u16string_view word, const Neighbours& around,
                                   std::vector<std::u16string>& suggestions) {
    if (suggestions.size() < 2 || (around.before1.empty() && around.after1.empty()))
        return;
    // The Urdu letter forms of the word itself stay first: they are no guess.
    const std::u16string misspelt(word);
    const std::size_t fixed = !correctUrduForms(word).empty() ? 1 : 0;
    // The context reorders the accurate ranking's best few: one farther down is seldom
    // the word, and scoring the whole list again is what the context costs.
    const std::size_t last = std::min(suggestions.size(), fixed + CONTEXT_CANDIDATES);
    std::vector<std::u16string> ranked(suggestions.begin() + static_cast<std::ptrdiff_t>(fixed),
                                       suggestions.begin() + static_cast<std::ptrdiff_t>(last));
    // Scores are remembered as answers are: real texts repeat their slips.
    const auto accurate = [&](const std::u16string& w) {
        std::u16string key = misspelt.size() > LONGEST_REMEMBERED ? std::u16string() : misspelt + u'\t' + w;
        if (const auto found = scores.find(key); found != scores.end())
            return found->second;
        const float score = checker->accurateScore(misspelt, w);
        // Megabyte tokens would make megabyte keys: their scores are not kept.
        if (misspelt.size() > LONGEST_REMEMBERED)
            return score;
        if (scores.size() >= REMEMBERED_WORDS * 10)
            scores.clear();
        scores.emplace(std::move(key), score);
        return score;
    };
    if (contextRanking.rerank(around, ranked, accurate))
        std::move(ranked.begin(), ranked.end(), suggestions.begin() + static_cast<std::ptrdiff_t>(fixed));
}

void SpellerSession::completionsFirst(std::u16string_view word, std::vector<std::u16string>& suggestions) {
    constexpr char16_t HAMZA_SEAT = u'\u0626';
    if (word.size() < 2 || word.back() != HAMZA_SEAT || !correctUrduForms(word).empty())
        return;
    const std::u16string completions[] = {std::u16string(word) + u'\u06CC', std::u16string(word) + u'\u06D2'};
    const auto isCompletion = [&](const std::u16string& s) {
        return s == completions[0] || s == completions[1];
    };
    // Those the list has move up in the order they had; a word it lacks comes after them.
    auto listed = std::stable_partition(suggestions.begin(), suggestions.end(), isCompletion);
    for (const std::u16string& form : completions)
        if (std::find(suggestions.begin(), listed, form) == listed &&
            guarded([&] { return checker->accepts(form); }, saying(WHILE_CHECKING)))
            listed = std::next(suggestions.insert(listed, form));
}

bool SpellerSession::runTogether(const std::u16string& word, std::vector<std::u16string>& suggestions) {
    suggestions.clear();
    if (joinEvidence < 0.0f || word.size() < 3 || heldAsOurs(word))
        return false;
    // ln P(A B) − ln P(AB) by the model: the cut whose two words it likes best, when
    // that passes the evidence asked for.
    const float joined = model.logProbability(model.numberOf(word));
    float best = 0.0f;
    std::size_t bestCut = 0;
    // Both parts must be words of the model, so no cut leaves one longer than its longest.
    const std::size_t longest = model.longestWord();
    const std::size_t firstCut = std::max<std::size_t>(1, word.size() > longest ? word.size() - longest : 0);
    for (std::size_t cut = firstCut; cut < word.size() && cut <= longest; ++cut) {
        const uint32_t first = model.numberOf(std::u16string_view(word).substr(0, cut));
        const uint32_t second = first == ContextModel::NONE
                                    ? ContextModel::NONE
                                    : model.numberOf(std::u16string_view(word).substr(cut));
        // Only a pair the model saw together: two words apart say nothing of a join.
        if (second == ContextModel::NONE || !model.hasPair(first, second))
            continue;
        const float pair = model.logProbability(first) + model.logProbability(second, first);
        if (bestCut == 0 || pair > best) {
            best = pair;
            bestCut = cut;
        }
    }
    if (bestCut == 0 || best - joined <= joinEvidence)
        return false;
    suggestions.push_back(word.substr(0, bestCut) + u' ' + word.substr(bestCut));
    return true;
}

namespace {
void addInflections(const std::u16string& word, const ContextModel& model, std::vector<std::u16string>& near);
}  // namespace

bool SpellerSession::realWordSlip(std::u16string_view word, const Neighbours& around,
                                  std::vector<std::u16string>& suggestions) {
    suggestions.clear();
    if ((around.before1.empty() && around.after1.empty()) || heldAsOurs(word))
        return false;
    const std::u16string own(word);
    std::vector<std::u16string> near;
    model.nearWords(own, near);
    addInflections(own, model, near);
    if (near.empty())
        return false;
    const float weight = contextRanking.contextWeight();
    const float ownFit = contextRanking.fit(around, own);
    const float ownCost = checker->accurateScore(own, own) - weight * ownFit;
    std::vector<ContextRanking::Scored> better;
    for (const std::u16string& other : near) {
        const float fit = contextRanking.fit(around, other);
        if (fit <= ownFit)
            continue;
        const float cost = checker->accurateScore(own, other) - weight * fit;
        if (ownCost - cost > slipMargin)
            better.push_back({other, cost});
    }
    std::stable_sort(
        better.begin(), better.end(),
        [](const ContextRanking::Scored& a, const ContextRanking::Scored& b) { return a.score < b.score; });
    for (ContextRanking::Scored& s : better)
        suggestions.push_back(std::move(s.word));
    return !suggestions.empty();
}

namespace {

// Endings that Urdu words change for agreement (کا کی کے, ہے ہیں, اچھا اچھے): a
// writer who gets one wrong writes another real word, seldom one edit away.
constexpr std::u16string_view ENDINGS[] = {u"\u0627", u"\u06D2", u"\u06CC", u"\u06CC\u06BA", u"\u0648\u06BA"};

void addInflections(const std::u16string& word, const ContextModel& model,
                    std::vector<std::u16string>& near) {
    for (std::u16string_view ending : ENDINGS) {
        if (word.size() <= ending.size() || !std::u16string_view(word).ends_with(ending))
            continue;
        const std::u16string stem = word.substr(0, word.size() - ending.size());
        for (std::u16string_view other : ENDINGS) {
            const std::u16string form = stem + std::u16string(other);
            if (other != ending && model.knows(form) &&
                std::find(near.begin(), near.end(), form) == near.end())
                near.push_back(form);
        }
    }
}

bool endsSentence(std::u16string_view gap) {
    return gap.find_first_of(u".!?\n\r\u06D4\u061F") != std::u16string_view::npos;
}

}  // namespace

void SpellerSession::checkText(std::u16string_view text, std::vector<TextSpan>& spans, Joins joins) {
    spans.clear();
    checkText(
        text,
        [&spans](TextSpan& span) {
            spans.push_back(std::move(span));
            return true;
        },
        joins);
}

void SpellerSession::checkText(std::u16string_view text, const std::function<bool(TextSpan&)>& onSpan,
                               Joins joins) {
    // A line end ends a sentence, so no word has a neighbour on another line: the
    // lines are walked one by one, and the words held are those of one line.
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(u'\n', start);
        const std::size_t stop = end == std::u16string_view::npos ? text.size() : end;
        if (!checkLine(text.substr(start, stop - start), start, onSpan, joins) || stop == text.size())
            return;
        start = stop + 1;
    }
}

bool SpellerSession::checkLine(std::u16string_view text, std::size_t offset,
                               const std::function<bool(TextSpan&)>& onSpan, Joins joins) {
    cutLine(text, letters(), textWords);
    const bool ranked = contextOn && checker && isOpen();
    const std::size_t n = textWords.size();
    // The words from the one before the word at hand to the one after it, as check()
    // answered them; a text of any length holds no more than these.
    struct Checked {
        bool misspelt = false;
        std::vector<std::u16string> suggestions;
    };
    std::deque<Checked> window;
    std::size_t windowStart = 0;
    const auto written = [&](std::size_t i) { return text.substr(textWords[i].start, textWords[i].length); };
    const auto at = [&](std::size_t i) -> Checked& {
        while (windowStart + window.size() <= i) {
            const std::size_t k = windowStart + window.size();
            Checked checked;
            if (!textWords[k].foreign)
                checked.misspelt = check(written(k), checked.suggestions);
            window.push_back(std::move(checked));
        }
        return window[i - windowStart];
    };
    // Words are neighbours when nothing ends a sentence between them. A misspelt
    // neighbour counts as it will read corrected: the left one as its context made
    // it, the right one by its own first suggestion.
    const auto joined = [&](std::size_t a) {
        const LineWord& x = textWords[a];
        const LineWord& y = textWords[a + 1];
        return !x.foreign && !y.foreign &&
               !endsSentence(text.substr(x.start + x.length, y.start - x.start - x.length));
    };
    const auto reads = [&](std::size_t i, bool lastPart) {
        const Checked& checked = at(i);
        std::u16string_view word =
            checked.misspelt && !checked.suggestions.empty() ? checked.suggestions.front() : written(i);
        const std::size_t space = word.find(u' ');
        if (space != std::u16string_view::npos)
            word = lastPart ? word.substr(space + 1) : word.substr(0, space);
        return word;
    };
    // A word broken in two (ا چھے, خوب صورتی): a piece that is no word beside one it
    // makes a lexicon word with, nothing but a blank or ZWNJ between.
    const auto brokenWith = [&](std::size_t i) {
        if (!ranked || joins != Joins::Offer || i + 1 >= n || textWords[i].foreign ||
            textWords[i + 1].foreign || !(at(i).misspelt || at(i + 1).misspelt))
            return std::u16string();
        const std::size_t end = textWords[i].start + textWords[i].length;
        const std::u16string_view gap = text.substr(end, textWords[i + 1].start - end);
        if (gap.empty() || gap.size() > 2 || gap.find_first_not_of(u" \u200C") != std::u16string_view::npos)
            return std::u16string();
        const std::u16string join = std::u16string(written(i)) + std::u16string(written(i + 1));
        return !heldAsOurs(join) && guarded([&] { return checker->accepts(join); }, saying(WHILE_CHECKING))
                   ? join
                   : std::u16string();
    };
    for (std::size_t i = 0; i < n; ++i) {
        // The second word before this one is the oldest still wanted.
        for (; windowStart + 2 < i; ++windowStart)
            if (!window.empty())
                window.pop_front();
        if (textWords[i].foreign)
            continue;
        if (std::u16string join = brokenWith(i); !join.empty()) {
            const std::size_t start = textWords[i].start;
            TextSpan span{offset + start,
                          textWords[i + 1].start + textWords[i + 1].length - start,
                          {join},
                          TextSpan::Kind::Broken};
            at(i) = at(i + 1) = Checked{true, {std::move(join)}};
            ++i;
            if (!onSpan(span))
                return false;
            continue;
        }
        // Two words each side, as far as the sentence goes; a word read as two
        // (a join's suggestion) is its nearer part.
        Neighbours around;
        if (ranked && i > 0 && joined(i - 1)) {
            around.before1 = reads(i - 1, true);
            if (i > 1 && joined(i - 2))
                around.before2 = reads(i - 2, true);
        }
        if (ranked && i + 1 < n && joined(i)) {
            around.after1 = reads(i + 1, false);
            if (i + 2 < n && joined(i + 1))
                around.after2 = reads(i + 2, false);
        }
        Checked& self = at(i);
        const std::u16string_view word = written(i);
        TextSpan span{offset + textWords[i].start, textWords[i].length, {}, TextSpan::Kind::Misspelt};
        if (self.misspelt) {
            if (ranked) {
                rankInContext(word, around, self.suggestions);
                completionsFirst(word, self.suggestions);
                sureFixFirst(word, self.suggestions);
            }
        } else if (ranked && realWords &&
                   (runTogether(std::u16string(word), self.suggestions) ||
                    realWordSlip(word, around, self.suggestions))) {
            span.kind = TextSpan::Kind::RealWord;
        } else {
            continue;
        }
        // The suggestions go to the span; the next word reads this one by the first.
        span.suggestions = std::move(self.suggestions);
        if (self.misspelt && !span.suggestions.empty())
            self.suggestions.assign(1, span.suggestions.front());
        else
            self.suggestions.clear();
        if (!onSpan(span))
            return false;
    }
    return true;
}

void SpellerSession::accept(std::u16string_view word) {
    std::u16string kept = letterTable ? letterTable->lettersOf(word) : std::u16string();
    if (kept.empty())
        kept = word;  // no letters of ours: kept as written
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
    const bool added = personalWords.add(word);
    if (std::u16string key = added && letterTable ? letterTable->lettersOf(word) : std::u16string();
        !key.empty())
        personalLetters.insert(std::move(key));
    savePersonal();
    return added;
}

bool SpellerSession::removePersonal(std::u16string_view word) {
    const bool removed = personalWords.remove(word);
    if (removed)
        indexPersonal();
    savePersonal();
    return removed;
}

void SpellerSession::savePersonal() {
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

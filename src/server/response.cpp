// SPDX-License-Identifier: MIT
#include "server/response.h"

#include <nlohmann/json.hpp>

#include "session/spellersession.h"
#include "text/utf8.h"

namespace zabrel::server {

namespace {

using Json = nlohmann::ordered_json;

struct RuleTexts {
    const char* id;
    const char* description;
    const char* message;
    const char* shortMessage;
    const char* typeName;
};

// What a writer reads in the client's popup, in Urdu.
constexpr RuleTexts SPELLING{RULE_SPELLING, "املا کی غلطیاں", "اس لفظ کا املا شاید غلط ہے۔", "املا کی غلطی",
                             "UnknownWord"};
constexpr RuleTexts BROKEN{RULE_BROKEN_WORD, "ٹوٹے ہوئے الفاظ",
                           "یہ دو ٹکڑے ایک ہی لفظ ہیں: انہیں ملا کر لکھیں۔", "ٹوٹا ہوا لفظ", "Other"};
constexpr RuleTexts RUN_TOGETHER{RULE_RUN_TOGETHER, "ملا کر لکھے گئے الفاظ",
                                 "یہ لفظ عام طور پر دو الگ الفاظ میں لکھا جاتا ہے۔", "ملے ہوئے الفاظ",
                                 "Other"};
constexpr RuleTexts REAL_WORD{RULE_REAL_WORD, "سیاق میں ممکنہ غلط الفاظ",
                              "یہ لفظ درست ہے، مگر یہاں شاید اس سے ملتا جلتا کوئی اور لفظ مقصود ہے۔",
                              "ممکنہ غلط لفظ", "Other"};
constexpr const char* CATEGORY_NAME = "املا اور ٹائپنگ کی غلطیاں";

const RuleTexts* ruleOf(Span::Kind kind, const CheckRequest& request) {
    switch (kind) {
        case Span::Kind::Misspelt:
            return request.spelling ? &SPELLING : nullptr;
        case Span::Kind::Broken:
            return request.brokenWords ? &BROKEN : nullptr;
        case Span::Kind::RunTogether:
            return request.runTogether ? &RUN_TOGETHER : nullptr;
        case Span::Kind::RealWord:
            return request.realWords ? &REAL_WORD : nullptr;
    }
    return nullptr;
}

bool isSentenceEnd(char16_t c) {
    return c == u'.' || c == u'\u06D4' || c == u'?' || c == u'\u061F' || c == u'!' || c == u'\n';
}

bool isSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\u00A0';
}

// Never cuts a surrogate pair in two.
std::size_t backToCodePoint(std::u16string_view text, std::size_t at) {
    return at > 0 && at < text.size() && (text[at] & 0xFC00) == 0xDC00 && (text[at - 1] & 0xFC00) == 0xD800
               ? at - 1
               : at;
}
std::size_t onToCodePoint(std::u16string_view text, std::size_t at) {
    return at > 0 && at < text.size() && (text[at] & 0xFC00) == 0xDC00 && (text[at - 1] & 0xFC00) == 0xD800
               ? at + 1
               : at;
}

// The sentence the match stands in, as the pass reads sentences: from after the last
// end before it (its spaces skipped) to the next end, that one included.
std::u16string_view sentenceOf(std::u16string_view text, std::size_t start, std::size_t end) {
    std::size_t from = start;
    while (from > 0 && !isSentenceEnd(text[from - 1]))
        --from;
    while (from < start && isSpace(text[from]))
        ++from;
    std::size_t to = end;
    while (to < text.size() && !isSentenceEnd(text[to]))
        ++to;
    if (to < text.size() && text[to] != u'\n')
        ++to;
    while (to > end && isSpace(text[to - 1]))
        --to;
    return text.substr(from, to - from);
}

// LanguageTool's context: the match with up to CONTEXT_UNITS units either side, "..."
// where the text goes on, and line ends as spaces so that it reads on one line.
Json contextOf(std::u16string_view text, std::size_t start, std::size_t length) {
    const std::size_t from = backToCodePoint(text, start > CONTEXT_UNITS ? start - CONTEXT_UNITS : 0);
    const std::size_t to = onToCodePoint(text, std::min(text.size(), start + length + CONTEXT_UNITS));
    std::u16string shown = from > 0 ? u"..." : u"";
    const std::size_t offset = shown.size() + (start - from);
    shown += text.substr(from, to - from);
    if (to < text.size())
        shown += u"...";
    for (char16_t& c : shown)
        if (c == u'\n' || c == u'\r')
            c = u' ';
    Json context;
    context["text"] = utf16ToUtf8(shown);
    context["offset"] = offset;
    context["length"] = length;
    return context;
}

Json matchOf(const Span& span, const RuleTexts& rule, const CheckRequest& request) {
    const std::u16string& text = request.text.text();
    const std::size_t start = request.text.originalStart(span.start);
    const std::size_t end = request.text.originalEnd(span.start + span.length);
    Json match;
    match["message"] = rule.message;
    match["shortMessage"] = rule.shortMessage;
    Json replacements = Json::array();
    for (std::size_t i = 0; i < span.suggestions.size() && i < MAX_REPLACEMENTS; ++i)
        replacements.push_back(Json{{"value", utf16ToUtf8(span.suggestions[i])}});
    match["replacements"] = std::move(replacements);
    match["offset"] = start;
    match["length"] = end > start ? end - start : 0;
    match["context"] = contextOf(text, span.start, span.length);
    match["sentence"] = utf16ToUtf8(sentenceOf(text, span.start, span.start + span.length));
    match["type"] = Json{{"typeName", rule.typeName}};
    Json category{{"id", CATEGORY_TYPOS}, {"name", CATEGORY_NAME}};
    match["rule"] = Json{{"id", rule.id},
                         {"description", rule.description},
                         {"issueType", "misspelling"},
                         {"category", std::move(category)}};
    match["ignoreForIncompleteSentence"] = false;
    match["contextForSureMatch"] = 0;
    return match;
}

Json languageOf(const Variant& variant) {
    return Json{{"name", variant.name}, {"code", variant.longCode}};
}

}  // namespace

std::string languagesBody() {
    Json languages = Json::array();
    for (const Variant& variant : VARIANTS)
        languages.push_back(Json{{"name", variant.name}, {"code", "ur"}, {"longCode", variant.longCode}});
    return languages.dump();
}

std::string checkBody(const SpellerSession& speller, const CheckRequest& request, std::string_view version) {
    Json matches = Json::array();
    if (request.anyRule()) {
        CheckPass pass = speller.pass(request.text.text(), {Positions::Utf16Units, Joins::Offer, true});
        while (pass.next())
            if (const RuleTexts* rule = ruleOf(pass.span().kind, request))
                matches.push_back(matchOf(pass.span(), *rule, request));
    }
    const Variant& variant = VARIANTS[request.variant];
    Json language = languageOf(variant);
    Json detected = languageOf(variant);
    detected["confidence"] = 1.0;
    language["detectedLanguage"] = std::move(detected);

    Json body;
    body["software"] = Json{{"name", "Zabrel"},     {"version", std::string(version)},
                            {"buildDate", nullptr}, {"apiVersion", 1},
                            {"premium", false},     {"status", ""}};
    body["warnings"] = Json{{"incompleteResults", false}};
    body["language"] = std::move(language);
    body["matches"] = std::move(matches);
    return body.dump();
}

std::string errorBody(std::string_view message) {
    return Json{{"error", std::string(message)}}.dump();
}

}  // namespace zabrel::server

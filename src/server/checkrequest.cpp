// SPDX-License-Identifier: MIT
#include "server/checkrequest.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <string_view>

namespace zabrel::server {

namespace {

constexpr int BAD_REQUEST = 400;
constexpr int TOO_LARGE = 413;

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// A comma-separated list, as LanguageTool's clients send rule ids.
std::set<std::string> listOf(std::string_view value) {
    std::set<std::string> items;
    while (!value.empty()) {
        const std::size_t comma = value.find(',');
        std::string_view item = value.substr(0, comma);
        while (!item.empty() && item.front() == ' ')
            item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ')
            item.remove_suffix(1);
        if (!item.empty())
            items.emplace(item);
        if (comma == std::string_view::npos)
            break;
        value.remove_prefix(comma + 1);
    }
    return items;
}

std::optional<Refusal> chooseLanguage(std::string_view asked, CheckRequest& request) {
    const std::string code = lower(asked);
    if (code == "auto") {
        request.variant = 0;
        request.detected = true;
        return std::nullopt;
    }
    for (std::size_t i = 0; i < std::size(VARIANTS); ++i)
        if (code == lower(VARIANTS[i].longCode) || code == lower(VARIANTS[i].longCode).replace(2, 1, "_")) {
            request.variant = i;
            return std::nullopt;
        }
    std::string shown(asked.substr(0, 40));
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
            c = '?';
    return Refusal{BAD_REQUEST,
                   "unsupported language '" + shown + "': this server checks ur, ur-PK and ur-IN"};
}

}  // namespace

std::optional<Refusal> readCheckRequest(const Parameters& parameters, std::size_t maxTextLength,
                                        CheckRequest& request) {
    for (const char* name : {"text", "data", "language", "enabledRules", "disabledRules", "enabledCategories",
                             "disabledCategories", "enabledOnly", "level"})
        if (parameters.count(name) > 1)
            return Refusal{BAD_REQUEST, std::string("the parameter '") + name + "' is given more than once"};
    const auto find = [&](const char* name) -> const std::string* {
        const auto found = parameters.find(name);
        return found == parameters.end() ? nullptr : &found->second;
    };

    const std::string* text = find("text");
    const std::string* data = find("data");
    if ((text == nullptr) == (data == nullptr))
        return Refusal{BAD_REQUEST, "give either the 'text' or the 'data' parameter"};
    const std::string* language = find("language");
    if (language == nullptr)
        return Refusal{BAD_REQUEST, "the 'language' parameter is missing (ur, ur-PK, ur-IN or auto)"};
    if (std::optional<Refusal> refused = chooseLanguage(*language, request))
        return refused;

    bool enabledOnly = false;
    if (const std::string* value = find("enabledOnly")) {
        if (*value != "true" && *value != "false")
            return Refusal{BAD_REQUEST, "'enabledOnly' must be true or false"};
        enabledOnly = *value == "true";
    }
    bool picky = false;
    if (const std::string* value = find("level")) {
        if (*value != "default" && *value != "picky")
            return Refusal{BAD_REQUEST, "'level' must be default or picky"};
        picky = *value == "picky";
    }
    const std::string* enabledRulesValue = find("enabledRules");
    const std::string* enabledCategoriesValue = find("enabledCategories");
    const std::set<std::string> enabled = listOf(enabledRulesValue ? *enabledRulesValue : "");
    const std::set<std::string> disabled = listOf(find("disabledRules") ? *find("disabledRules") : "");
    const std::set<std::string> enabledCategories =
        listOf(enabledCategoriesValue ? *enabledCategoriesValue : "");
    const std::set<std::string> disabledCategories =
        listOf(find("disabledCategories") ? *find("disabledCategories") : "");
    if (enabledOnly && enabled.empty() && enabledCategories.empty())
        return Refusal{BAD_REQUEST, "'enabledOnly' needs 'enabledRules' or 'enabledCategories'"};

    const bool typosOn = enabledCategories.count(CATEGORY_TYPOS) > 0;
    const bool typosOff = disabledCategories.count(CATEGORY_TYPOS) > 0;
    const auto decide = [&](const char* rule, bool byDefault) {
        if (disabled.count(rule) > 0 || typosOff)
            return false;
        if (enabled.count(rule) > 0)
            return true;
        return enabledOnly ? typosOn && byDefault : byDefault;
    };
    request.spelling = decide(RULE_SPELLING, true);
    request.brokenWords = decide(RULE_BROKEN_WORD, true);
    request.runTogether = decide(RULE_RUN_TOGETHER, true);
    request.realWords = decide(RULE_REAL_WORD, picky);

    std::string error;
    if (!(text ? request.text.readPlain(*text, error) : request.text.readAnnotated(*data, error)))
        return Refusal{BAD_REQUEST, error};
    const std::size_t length = request.text.text().size();
    if (length > maxTextLength)
        return Refusal{TOO_LARGE, "the text is " + std::to_string(length) +
                                      " characters long; this server checks " +
                                      std::to_string(maxTextLength) + " at most"};
    return std::nullopt;
}

}  // namespace zabrel::server

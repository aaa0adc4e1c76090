// SPDX-License-Identifier: MIT
#include "server/rawform.h"

#include <algorithm>

namespace zabrel::server {

std::optional<Parameters> unescapedForm(std::string_view body) {
    constexpr std::string_view TEXT = "text=";
    constexpr std::string_view LANGUAGE = "&language=";
    if (!body.starts_with(TEXT))
        return std::nullopt;
    const std::size_t at = body.rfind(LANGUAGE);
    if (at == std::string_view::npos || at < TEXT.size())
        return std::nullopt;
    const std::string_view text = body.substr(TEXT.size(), at - TEXT.size());
    const std::string_view language = body.substr(at + LANGUAGE.size());
    const auto isTagCharacter = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
               c == '_';
    };
    if (language.empty() || !std::all_of(language.begin(), language.end(), isTagCharacter))
        return std::nullopt;
    const auto bare = [](char c) { return c == ' ' || static_cast<unsigned char>(c) >= 0x80; };
    if (std::none_of(text.begin(), text.end(), bare))
        return std::nullopt;
    Parameters parameters;
    parameters.emplace("text", std::string(text));
    parameters.emplace("language", std::string(language));
    return parameters;
}

}  // namespace zabrel::server

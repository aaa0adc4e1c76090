// SPDX-License-Identifier: MIT
#include "server/checkedtext.h"

#include <nlohmann/json.hpp>

#include "text/utf8.h"

namespace zabrel::server {

namespace {

bool toUtf16(std::string_view utf8, std::u16string& out, std::string& error) {
    std::size_t bad = 0;
    if (utf8ToUtf16(utf8, out, bad))
        return true;
    error = "the text is not valid UTF-8 (at byte " + std::to_string(bad) + ")";
    return false;
}

}  // namespace

bool CheckedText::readPlain(std::string_view utf8, std::string& error) {
    pieces.clear();
    return toUtf16(utf8, checked, error);
}

bool CheckedText::readAnnotated(std::string_view json, std::string& error) {
    checked.clear();
    pieces.clear();
    nlohmann::json document;
    try {
        document = nlohmann::json::parse(json);
    } catch (const nlohmann::json::exception&) {
        error = "data is not valid JSON";
        return false;
    }
    const auto annotation = document.is_object() ? document.find("annotation") : document.end();
    if (!document.is_object() || annotation == document.end() || !annotation->is_array()) {
        error = "data must be an object with an \"annotation\" array";
        return false;
    }
    std::size_t original = 0;
    for (const nlohmann::json& item : *annotation) {
        const bool hasText = item.is_object() && item.contains("text");
        const bool hasMarkup = item.is_object() && item.contains("markup");
        if (hasText == hasMarkup) {
            error = "each annotation needs either \"text\" or \"markup\"";
            return false;
        }
        const nlohmann::json& written = item[hasText ? "text" : "markup"];
        const auto interpretAs = item.find("interpretAs");
        if (!written.is_string() || (interpretAs != item.end() && (hasText || !interpretAs->is_string()))) {
            error =
                "\"text\", \"markup\" and \"interpretAs\" must be strings, and interpretAs only with markup";
            return false;
        }
        std::u16string writtenUnits;
        std::u16string readUnits;
        // nlohmann has checked the UTF-8 already; these cannot fail.
        if (!toUtf16(written.get_ref<const std::string&>(), writtenUnits, error))
            return false;
        if (hasText)
            readUnits = writtenUnits;
        else if (interpretAs != item.end() &&
                 !toUtf16(interpretAs->get_ref<const std::string&>(), readUnits, error))
            return false;
        pieces.push_back({checked.size(), readUnits.size(), original, writtenUnits.size(), hasMarkup});
        checked += readUnits;
        original += writtenUnits.size();
    }
    return true;
}

std::size_t CheckedText::originalStart(std::size_t start) const {
    if (pieces.empty())
        return start;
    for (const Piece& piece : pieces)
        if (start < piece.checkedStart + piece.checkedLength)
            return piece.markup ? piece.originalStart : piece.originalStart + (start - piece.checkedStart);
    const Piece& last = pieces.back();
    return last.originalStart + last.originalLength;
}

std::size_t CheckedText::originalEnd(std::size_t end) const {
    if (pieces.empty())
        return end;
    for (const Piece& piece : pieces)
        if (piece.checkedLength > 0 && end <= piece.checkedStart + piece.checkedLength &&
            end > piece.checkedStart)
            return piece.markup ? piece.originalStart + piece.originalLength
                                : piece.originalStart + (end - piece.checkedStart);
    return originalStart(end);
}

}  // namespace zabrel::server

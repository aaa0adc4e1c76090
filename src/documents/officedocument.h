// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zabrel {

// What went wrong with a document, in a sentence that follows its name: "Not a zip
// archive", "it holds no word/document.xml", "word/document.xml is damaged: CRC error".
class DocumentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The text of a word processor's document: a .docx (Office Open XML) or an .odt
// (OpenDocument) file, read through libzip and libxml2. Only the body's paragraphs are
// read, in order, each as one line of UTF-8 without a line end; a tab stays a tab and
// a line break inside a paragraph is U+2028, so a paragraph's characters are counted
// as a writer sees them. Deleted tracked changes, comments and pictures' descriptions
// are not the document's text and are left out.
//
// A damaged or hostile file is a DocumentError, never more work or memory than its
// bound: the part holding the text is read to MAX_PART bytes at most, whatever its
// header claims, and its XML is parsed without a DTD, entities or the network.
class OfficeDocument {
public:
    enum class Kind { None, Docx, Odt };

    // More than any book's text; a part beyond it is a zip bomb, not a document.
    static constexpr std::uint64_t MAX_PART = 64 * 1024 * 1024;
    // A <text:s text:c="..."/> stands for this many spaces at most.
    static constexpr unsigned MAX_SPACES = 1024;

    // By the file name's extension, in any case.
    static Kind kindOf(const std::filesystem::path& path);
    // "word/document.xml" or "content.xml".
    static std::string_view textPart(Kind kind);
    // ".docx" or ".odt".
    static std::string_view extension(Kind kind);

    // The paragraphs of the document at `path`, empty ones included so that numbers
    // match the document's. Throws DocumentError.
    static std::vector<std::string> paragraphs(const std::filesystem::path& path, Kind kind);
    // The same for the text part's XML alone.
    static std::vector<std::string> paragraphsOfXml(std::string_view xml, Kind kind);
};

}  // namespace zabrel

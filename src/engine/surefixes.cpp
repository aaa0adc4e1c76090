// SPDX-License-Identifier: MIT
#include "engine/surefixes.h"

#include "core/errors.h"
#include "core/userfile.h"
#include "text/utf8.h"

namespace zabrel {

namespace {

// A table of slips is a few thousand lines; anything far larger is not one.
constexpr std::size_t MAX_FILE_BYTES = 16 << 20;

bool blank(char16_t unit) {
    return unit == u' ' || unit == u'\t' || unit == u'\r' || unit == u'\u00A0';
}

bool hasBlank(std::u16string_view text) {
    for (const char16_t unit : text)
        if (blank(unit))
            return true;
    return false;
}

}  // namespace

SureFixes SureFixes::parse(std::string_view text, const std::string& source, const Key& key) {
    SureFixes table;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::size_t lineNumber = 0;
    std::u16string slip;
    std::u16string fix;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.empty() || line.starts_with('#'))
            continue;
        const auto fail = [&](const std::string& problem) {
            return IOException(ZABREL_HERE, ERR_FILE_READ,
                               source + ":" + std::to_string(lineNumber) + ": " + problem);
        };
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            throw fail("a line is: slip, a tab, its fix.");
        std::size_t bad = 0;
        if (!utf8ToUtf16(line.substr(0, tab), slip, bad) || !utf8ToUtf16(line.substr(tab + 1), fix, bad))
            throw fail("not valid UTF-8.");
        if (slip.empty() || fix.empty())
            throw fail("the slip and its fix must both be given.");
        if (hasBlank(slip))
            throw fail("the slip must be one word.");
        const std::size_t space = fix.find(u' ');
        const bool twoWords = space != std::u16string::npos;
        if (fix.find(u'\t') != std::u16string::npos || space == 0 || space + 1 == fix.size() ||
            (twoWords && hasBlank(std::u16string_view(fix).substr(space + 1))) ||
            hasBlank(std::u16string_view(fix).substr(0, twoWords ? space : fix.size())))
            throw fail("the fix must be one word, or two with one space between them.");
        std::u16string slipKey = key(slip);
        if (slipKey.empty())
            throw fail("the slip has no letter of the dictionary's alphabet.");
        if (!table.fixes.emplace(std::move(slipKey), fix).second)
            throw fail("the slip is given twice.");
    }
    return table;
}

SureFixes SureFixes::load(const std::string& path, const Key& key, const DictionaryFiles& from) {
    if (from.isInMemory()) {
        const std::string* bytes = from.bytesOf(path);
        if (bytes == nullptr)
            return {};
        if (bytes->size() > MAX_FILE_BYTES)
            throw IOException(ZABREL_HERE, ERR_FILE_READ,
                              "Sure-fix table is larger than 16 MiB: " + path + ".");
        return parse(*bytes, path, key);
    }
    // Read as the user's files are: a FIFO or a device in its place is refused, never
    // waited on.
    std::string text;
    std::string reason;
    switch (UserFile::read(path, MAX_FILE_BYTES, text, reason)) {
        case UserFile::Read::Missing:
            return {};
        case UserFile::Read::TooLarge:
            throw IOException(ZABREL_HERE, ERR_FILE_READ,
                              "Sure-fix table is larger than 16 MiB: " + path + ".");
        case UserFile::Read::Failed:
            throw IOException(ZABREL_HERE, ERR_FILE_READ,
                              "Could not read sure-fix table: " + path + ": " + reason + ".");
        case UserFile::Read::Done:
            break;
    }
    return parse(text, path, key);
}

}  // namespace zabrel

// SPDX-License-Identifier: MIT
#include "lexicon/unichar2indexmap.h"

#include <new>

#include "core/errors.h"
#include "core/filereader.h"

namespace zabrel {

bool UniChar2IndexMap::load(const std::string& fileName, const DictionaryFiles& from) {
    FileReader charReader;
    std::u16string character;
    try {
        from.open(charReader, fileName, false);
    } catch (IOException& ex) {
        annotate(ex, ZABREL_HERE, " Config file not opened sucessfully.");
        throw;
    }
    try {
        // Tokens of at most two units: the letter and its CR; the LF then ends an
        // empty token on its own.
        while (!charReader.eof())
            if (charReader.readUnicode(character, 2, u'\n'))
                addChar(character[0]);
        charReader.close();
    } catch (IOException& ex) {
        annotate(ex, ZABREL_HERE, " Config file reading problem occurred.");
        throw;
    }
    return true;
}

bool UniChar2IndexMap::addChar(char16_t character) {
    std::unique_ptr<Page>& page = pages[character >> 8];
    if (!page) {
        page.reset(new (std::nothrow) Page);
        if (!page)
            return false;
        page->fill(NO_INDEX);
    }
    (*page)[character & 0xFF] = static_cast<uint16_t>(alphabetSize);
    ++alphabetSize;
    return true;
}

std::u16string UniChar2IndexMap::filterWord(std::u16string word) const {
    std::u16string tword;
    tword.reserve(word.size());
    for (char16_t c : word)
        if (getIndex(c) != NO_INDEX)
            tword.push_back(c);
    return tword;
}

void UniChar2IndexMap::clear() {
    for (auto& page : pages)
        page.reset();
    alphabetSize = 0;
}

}  // namespace zabrel

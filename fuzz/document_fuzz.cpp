// SPDX-License-Identifier: MIT
// The XML of a document's text part: any bytes, as a .docx's (first byte even) or an
// .odt's. Either paragraphs of UTF-8 or a DocumentError, nothing else.
#include <string_view>

#include "documents/officedocument.h"
#include "fixture.h"
#include "text/utf8.h"

using namespace zabrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const auto kind = data[0] % 2 == 0 ? OfficeDocument::Kind::Docx : OfficeDocument::Kind::Odt;
    const std::string_view xml(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::u16string decoded;
    try {
        for (const std::string& paragraph : OfficeDocument::paragraphsOfXml(xml, kind)) {
            std::size_t bad = 0;
            if (!utf8ToUtf16(paragraph, decoded, bad) || paragraph.find('\n') != std::string::npos)
                fuzz::fail("a paragraph that is not one line of UTF-8");
        }
    } catch (const DocumentError&) {
    }
    return 0;
}

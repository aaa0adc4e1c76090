// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zabrel::test {

using ZipEntries = std::vector<std::pair<std::string, std::string>>;

// A zip archive of the entries, in order; `stored` keeps them uncompressed.
void writeZip(const std::filesystem::path& path, const ZipEntries& entries, bool stored = false);

// A word/document.xml or content.xml around the body's XML, with the namespaces the
// word processors declare (w:, mc: and wps:; office:, text:, draw: and svg:).
std::string docxXml(std::string_view body);
std::string odtXml(std::string_view body);

// A whole .docx or .odt with that body.
void writeDocx(const std::filesystem::path& path, std::string_view body);
void writeOdt(const std::filesystem::path& path, std::string_view body);

}  // namespace zabrel::test

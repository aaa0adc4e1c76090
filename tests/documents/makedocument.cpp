// SPDX-License-Identifier: MIT
#include "documents/makedocument.h"

#include <zip.h>

#include <stdexcept>

namespace zabrel::test {

void writeZip(const std::filesystem::path& path, const ZipEntries& entries, bool stored) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr)
        throw std::runtime_error("cannot make " + path.string());
    for (const auto& [name, bytes] : entries) {
        zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        const zip_int64_t index = source != nullptr ? zip_file_add(archive, name.c_str(), source, 0) : -1;
        if (index < 0) {
            zip_source_free(source);
            zip_discard(archive);
            throw std::runtime_error("cannot add " + name);
        }
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                 stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }
    // The sources point into `entries`, which outlive the close that reads them.
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::string docxXml(std::string_view body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
           "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
           "xmlns:wps=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\">"
           "<w:body>" +
           std::string(body) + "</w:body></w:document>";
}

std::string odtXml(std::string_view body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
           "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
           "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" office:version=\"1.3\">"
           "<office:body><office:text>" +
           std::string(body) + "</office:text></office:body></office:document-content>";
}

void writeDocx(const std::filesystem::path& path, std::string_view body) {
    writeZip(path, {{"[Content_Types].xml",
                     "<?xml version=\"1.0\"?><Types "
                     "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
                    {"word/document.xml", docxXml(body)}});
}

void writeOdt(const std::filesystem::path& path, std::string_view body) {
    // The mimetype comes first and unpacked, as the format asks.
    writeZip(path, {{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", odtXml(body)}});
}

}  // namespace zabrel::test

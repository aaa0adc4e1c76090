// SPDX-License-Identifier: MIT
#include "documents/officedocument.h"

#include <fcntl.h>
#include <libxml/xmlreader.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>

namespace zabrel {

namespace {

constexpr std::string_view WORD_NS = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr std::string_view COMPATIBILITY_NS = "http://schemas.openxmlformats.org/markup-compatibility/2006";
constexpr std::string_view TEXT_NS = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr std::string_view OFFICE_NS = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr std::string_view SVG_NS = "urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0";
constexpr std::string_view LINE_BREAK = "\u2028";
constexpr const char* DOCUMENT_TYPE = "declares a DTD, which no document does; not read";

std::string zipMessage(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string message = zip_error_strerror(&error);
    zip_error_fini(&error);
    return message;
}

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct EntryCloser {
    void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};
struct ReaderCloser {
    void operator()(xmlTextReader* reader) const { xmlFreeTextReader(reader); }
};

// Opens without waiting on a FIFO and takes only a regular file.
std::unique_ptr<zip_t, ZipCloser> openArchive(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        throw DocumentError(std::strerror(errno));
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : 0;
        ::close(fd);
        throw DocumentError(error != 0 ? std::strerror(error) : "Not a regular file");
    }
    int error = 0;
    zip_t* archive = zip_fdopen(fd, 0, &error);
    if (archive == nullptr) {
        ::close(fd);
        throw DocumentError(zipMessage(error));
    }
    return std::unique_ptr<zip_t, ZipCloser>(archive);
}

// The entry's bytes, stopping at the bound whatever its header says it unpacks to.
std::string readPart(zip_t* archive, std::string_view name) {
    const std::string entryName(name);
    const zip_int64_t index = zip_name_locate(archive, entryName.c_str(), 0);
    if (index < 0)
        throw DocumentError("it holds no " + entryName);
    const std::string tooLarge = entryName + " unpacks to more than " +
                                 std::to_string(OfficeDocument::MAX_PART / (1024 * 1024)) + " MB; not read";
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &stat) == 0 &&
        (stat.valid & ZIP_STAT_SIZE) != 0 && stat.size > OfficeDocument::MAX_PART)
        throw DocumentError(tooLarge);
    std::unique_ptr<zip_file_t, EntryCloser> entry(
        zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0));
    if (!entry)
        throw DocumentError(entryName + " cannot be unpacked: " + zip_error_strerror(zip_get_error(archive)));
    std::string bytes;
    char buffer[64 * 1024];
    for (;;) {
        const zip_int64_t got = zip_fread(entry.get(), buffer, sizeof buffer);
        if (got < 0)
            throw DocumentError(entryName +
                                " is damaged: " + zip_error_strerror(zip_file_get_error(entry.get())));
        if (got == 0)
            break;
        if (bytes.size() + static_cast<std::size_t>(got) > OfficeDocument::MAX_PART)
            throw DocumentError(tooLarge);
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
}

// Whether a document type comes before the root element. Documents never have one, and
// its entities are how a small file grows without bound, so it is refused before the
// parser sees it.
bool declaresDocumentType(std::string_view xml) {
    std::size_t at = xml.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    for (;;) {
        at = xml.find_first_not_of(" \t\r\n", at);
        if (at == std::string_view::npos)
            return false;
        const std::string_view rest = xml.substr(at);
        if (rest.starts_with("<!DOCTYPE"))
            return true;
        const std::string_view close = rest.starts_with("<?") ? "?>" : rest.starts_with("<!--") ? "-->" : "";
        if (close.empty())
            return false;
        at = xml.find(close, at);
        if (at == std::string_view::npos)
            return false;
        at += close.size();
    }
}

std::string_view view(const xmlChar* text) {
    return text == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(text));
}

// Walks the text part's elements and gathers the paragraphs' text.
class ParagraphCollector {
public:
    ParagraphCollector(OfficeDocument::Kind kind, std::vector<std::string>& paragraphs)
        : docx(kind == OfficeDocument::Kind::Docx), paragraphs(paragraphs) {}

    void run(std::string_view xml) {
        // No DTD is loaded, no entity replaced and nothing fetched; errors come to us,
        // not to standard error.
        const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;
        std::unique_ptr<xmlTextReader, ReaderCloser> reader(
            xmlReaderForMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, options));
        if (!reader)
            throw DocumentError("it cannot be parsed");
        xmlTextReaderSetStructuredErrorHandler(reader.get(), &ParagraphCollector::onError, this);
        int more = xmlTextReaderRead(reader.get());
        while (more == 1) {
            if (error.empty() && skipped(reader.get())) {
                more = xmlTextReaderNext(reader.get());
                continue;
            }
            node(reader.get());
            more = xmlTextReaderRead(reader.get());
        }
        if (more < 0 || !error.empty())
            throw DocumentError("is not well-formed XML" +
                                (error.empty() ? std::string() : " (" + error + ")"));
        if (!rootSeen)
            throw DocumentError("holds no document");
    }

private:
    static void onError(void* self, xmlError* found) {
        auto* collector = static_cast<ParagraphCollector*>(self);
        if (!collector->error.empty() || found == nullptr)
            return;
        std::string message = found->message != nullptr ? found->message : "unknown error";
        while (!message.empty() && std::isspace(static_cast<unsigned char>(message.back())))
            message.pop_back();
        collector->error = "line " + std::to_string(found->line) + ": " + message;
    }

    // Parts of the tree that hold no text of the body, or hold it twice.
    bool skipped(xmlTextReader* reader) const {
        if (xmlTextReaderNodeType(reader) != XML_READER_TYPE_ELEMENT || xmlTextReaderIsEmptyElement(reader))
            return false;
        const std::string_view ns = view(xmlTextReaderConstNamespaceUri(reader));
        const std::string_view name = view(xmlTextReaderConstLocalName(reader));
        if (docx)
            return (ns == COMPATIBILITY_NS && name == "Fallback") || (ns == WORD_NS && name == "moveFrom");
        return (ns == OFFICE_NS && name == "annotation") || (ns == TEXT_NS && name == "tracked-changes") ||
               (ns == SVG_NS && (name == "title" || name == "desc"));
    }

    void node(xmlTextReader* reader) {
        const std::string_view ns = view(xmlTextReaderConstNamespaceUri(reader));
        const std::string_view name = view(xmlTextReaderConstLocalName(reader));
        switch (xmlTextReaderNodeType(reader)) {
            case XML_READER_TYPE_DOCUMENT_TYPE:
                throw DocumentError(DOCUMENT_TYPE);
            case XML_READER_TYPE_ELEMENT:
                if (!rootSeen) {
                    rootSeen = true;
                    const bool right = docx ? ns == WORD_NS && name == "document"
                                            : ns == OFFICE_NS && name == "document-content";
                    if (!right)
                        throw DocumentError("holds no document");
                }
                start(reader, ns, name);
                if (xmlTextReaderIsEmptyElement(reader))
                    end(ns, name);
                break;
            case XML_READER_TYPE_END_ELEMENT:
                end(ns, name);
                break;
            case XML_READER_TYPE_TEXT:
            case XML_READER_TYPE_CDATA:
            case XML_READER_TYPE_WHITESPACE:
            case XML_READER_TYPE_SIGNIFICANT_WHITESPACE:
                if (!open.empty() && (!docx || inText > 0))
                    append(view(xmlTextReaderConstValue(reader)), true);
                break;
            default:
                break;
        }
    }

    bool isParagraph(std::string_view ns, std::string_view name) const {
        return docx ? ns == WORD_NS && name == "p" : ns == TEXT_NS && (name == "p" || name == "h");
    }

    void start(xmlTextReader* reader, std::string_view ns, std::string_view name) {
        if (isParagraph(ns, name)) {
            // A paragraph inside another (a text box, a note) is one of its own, in the
            // order the paragraphs begin.
            open.push_back(paragraphs.size());
            paragraphs.emplace_back();
            return;
        }
        if (open.empty())
            return;
        if (docx) {
            if (ns != WORD_NS)
                return;
            if (name == "t")
                ++inText;
            else if (name == "tab")
                append("\t", false);
            else if (name == "br" || name == "cr")
                append(LINE_BREAK, false);
            else if (name == "noBreakHyphen")
                append("\u2011", false);
            return;
        }
        if (ns != TEXT_NS)
            return;
        if (name == "tab") {
            append("\t", false);
        } else if (name == "line-break") {
            append(LINE_BREAK, false);
        } else if (name == "s") {
            unsigned count = 1;
            xmlChar* c = xmlTextReaderGetAttributeNs(reader, BAD_CAST "c", BAD_CAST TEXT_NS.data());
            if (c != nullptr) {
                const long asked = std::strtol(reinterpret_cast<const char*>(c), nullptr, 10);
                count = static_cast<unsigned>(std::clamp<long>(asked, 1, OfficeDocument::MAX_SPACES));
                xmlFree(c);
            }
            append(std::string(count, ' '), false);
        }
    }

    void end(std::string_view ns, std::string_view name) {
        if (isParagraph(ns, name)) {
            if (!open.empty())
                open.pop_back();
        } else if (docx && ns == WORD_NS && name == "t" && inText > 0) {
            --inText;
        }
    }

    // Line ends inside the XML's text are spaces to a word processor too.
    void append(std::string_view text, bool fromXml) {
        total += text.size();
        if (total > OfficeDocument::MAX_PART)
            throw DocumentError("holds more text than a document; not read");
        std::string& paragraph = paragraphs[open.back()];
        const std::size_t from = paragraph.size();
        paragraph += text;
        if (fromXml)
            std::replace_if(
                paragraph.begin() + static_cast<std::ptrdiff_t>(from), paragraph.end(),
                [](char c) { return c == '\n' || c == '\r'; }, ' ');
    }

    bool docx;
    std::vector<std::string>& paragraphs;
    std::vector<std::size_t> open;
    int inText = 0;
    bool rootSeen = false;
    std::uint64_t total = 0;
    std::string error;
};

}  // namespace

OfficeDocument::Kind OfficeDocument::kindOf(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".docx")
        return Kind::Docx;
    if (extension == ".odt")
        return Kind::Odt;
    return Kind::None;
}

std::string_view OfficeDocument::textPart(Kind kind) {
    return kind == Kind::Docx ? "word/document.xml" : "content.xml";
}

std::string_view OfficeDocument::extension(Kind kind) {
    return kind == Kind::Docx ? ".docx" : ".odt";
}

std::vector<std::string> OfficeDocument::paragraphs(const std::filesystem::path& path, Kind kind) {
    std::string xml;
    {
        const auto archive = openArchive(path);
        xml = readPart(archive.get(), textPart(kind));
    }
    try {
        return paragraphsOfXml(xml, kind);
    } catch (const DocumentError& ex) {
        throw DocumentError(std::string(textPart(kind)) + " " + ex.what());
    }
}

std::vector<std::string> OfficeDocument::paragraphsOfXml(std::string_view xml, Kind kind) {
    if (xml.size() > MAX_PART)
        throw DocumentError("is too large; not read");
    if (declaresDocumentType(xml))
        throw DocumentError(DOCUMENT_TYPE);
    std::vector<std::string> result;
    ParagraphCollector(kind, result).run(xml);
    return result;
}

}  // namespace zabrel

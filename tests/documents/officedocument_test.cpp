// SPDX-License-Identifier: MIT
// The text of .docx and .odt documents made here, and the damaged and hostile ones.
#include "documents/officedocument.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "documents/makedocument.h"
#include "support/testsupport.h"

namespace zabrel::test {
namespace {

using Kind = OfficeDocument::Kind;
using Paragraphs = std::vector<std::string>;

std::string errorOf(const std::filesystem::path& path, Kind kind) {
    try {
        OfficeDocument::paragraphs(path, kind);
    } catch (const DocumentError& ex) {
        return ex.what();
    }
    return "no error";
}

TEST(officedocument_test, kinds_by_extension) {
    EXPECT_EQ(OfficeDocument::kindOf("a/letter.docx"), Kind::Docx);
    EXPECT_EQ(OfficeDocument::kindOf("LETTER.DOCX"), Kind::Docx);
    EXPECT_EQ(OfficeDocument::kindOf("notes.Odt"), Kind::Odt);
    EXPECT_EQ(OfficeDocument::kindOf("notes.odt.txt"), Kind::None);
    EXPECT_EQ(OfficeDocument::kindOf("docx"), Kind::None);
    EXPECT_EQ(OfficeDocument::kindOf("old.doc"), Kind::None);
}

TEST(officedocument_test, docx_paragraphs_in_order_with_only_the_body_text) {
    TempDir dir;
    const auto path = dir.path() / "letter.docx";
    writeDocx(
        path,
        // Runs join; a tab, a break and a non-breaking hyphen are characters.
        "<w:p><w:pPr><w:bidi/></w:pPr><w:r><w:t>سخت</w:t></w:r><w:r><w:t xml:space=\"preserve\"> بز</w:t>"
        "</w:r><w:r><w:t>ار</w:t></w:r><w:r><w:tab/><w:t>شہر</w:t><w:br/><w:t>a</w:t><w:noBreakHyphen/>"
        "<w:t>b</w:t></w:r></w:p>"
        // An empty paragraph still counts.
        "<w:p/>"
        // Deleted text, field codes and the text of a moved-away place are not the text.
        "<w:p><w:del><w:r><w:delText>غلط</w:delText></w:r></w:del><w:r><w:instrText>PAGE</w:instrText>"
        "</w:r><w:moveFrom><w:r><w:t>پرانا</w:t></w:r></w:moveFrom><w:ins><w:r><w:t>نیا</w:t></w:r>"
        "</w:ins></w:p>"
        // A text box is a paragraph of its own, once, although it comes twice.
        "<w:p><w:r><w:t>پہلے</w:t></w:r><w:r><mc:AlternateContent><mc:Choice Requires=\"wps\">"
        "<w:txbxContent><w:p><w:r><w:t>ڈبا</w:t></w:r></w:p></w:txbxContent></mc:Choice><mc:Fallback>"
        "<w:txbxContent><w:p><w:r><w:t>ڈبا</w:t></w:r></w:p></w:txbxContent></mc:Fallback>"
        "</mc:AlternateContent></w:r><w:r><w:t> بعد</w:t></w:r></w:p>"
        // Table cells hold paragraphs; text outside w:t is none.
        "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>خانہ\nایک</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"
        "<w:sectPr><w:pgSz w:w=\"11906\"/></w:sectPr>");
    EXPECT_EQ(OfficeDocument::paragraphs(path, Kind::Docx),
              (Paragraphs{"سخت بزار\tشہر\u2028a\u2011b", "", "نیا", "پہلے بعد", "ڈبا", "خانہ ایک"}));
}

TEST(officedocument_test, odt_paragraphs_and_headings_with_spaces_tabs_and_notes) {
    TempDir dir;
    const auto path = dir.path() / "notes.odt";
    writeOdt(path,
             "<text:h text:outline-level=\"1\">عنوان</text:h>"
             "<text:p>سخت<text:s text:c=\"3\"/><text:span>بز</text:span>ار<text:tab/>شہر<text:line-break/>"
             "<text:s/>x</text:p>"
             // A note is a paragraph of its own; a comment, a deletion and a picture's
             // description are no text of the body.
             "<text:p>پہلے<text:note><text:note-citation>1</text:note-citation><text:note-body>"
             "<text:p>حاشیہ</text:p></text:note-body></text:note><office:annotation><text:p>تبصرہ</text:p>"
             "</office:annotation> بعد<draw:frame><svg:title>تصویر</svg:title></draw:frame></text:p>"
             "<text:tracked-changes><text:changed-region><text:deletion><text:p>مٹا</text:p></text:deletion>"
             "</text:changed-region></text:tracked-changes>"
             "<text:p/>"
             // A space count is bounded, however large the file says it is.
             "<text:p><text:s text:c=\"4000000000\"/>|</text:p>");
    const Paragraphs got = OfficeDocument::paragraphs(path, Kind::Odt);
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(Paragraphs(got.begin(), got.end() - 1),
              (Paragraphs{"عنوان", "سخت   بزار\tشہر\u2028 x", "پہلے1 بعد", "حاشیہ", ""}));
    EXPECT_EQ(got.back(), std::string(OfficeDocument::MAX_SPACES, ' ') + "|");
}

TEST(officedocument_test, damaged_and_hostile_documents_are_clear_errors) {
    TempDir dir;
    const auto at = [&](const std::string& name) { return dir.path() / name; };

    writeFile(at("text.docx").string(), "سخت بزار\n");
    EXPECT_EQ(errorOf(at("text.docx"), Kind::Docx), "Not a zip archive");
    writeFile(at("empty.odt").string(), "");
    EXPECT_EQ(errorOf(at("empty.odt"), Kind::Odt), "Not a zip archive");
    EXPECT_EQ(errorOf(at("missing.odt"), Kind::Odt), "No such file or directory");
    std::filesystem::create_directory(at("folder.docx"));
    EXPECT_EQ(errorOf(at("folder.docx"), Kind::Docx), "Is a directory");
    // A FIFO is refused at once instead of waited on.
    ASSERT_EQ(mkfifo(at("fifo.odt").c_str(), 0600), 0);
    EXPECT_EQ(errorOf(at("fifo.odt"), Kind::Odt), "Not a regular file");

    writeZip(at("other.docx"), {{"word/styles.xml", "<x/>"}});
    EXPECT_EQ(errorOf(at("other.docx"), Kind::Docx), "it holds no word/document.xml");
    // An .odt is not a .docx, though both are zip archives of XML.
    writeOdt(at("renamed.docx"), "<text:p>سخت</text:p>");
    EXPECT_EQ(errorOf(at("renamed.docx"), Kind::Docx), "it holds no word/document.xml");
    writeZip(at("html.odt"), {{"content.xml", "<html><p>سخت</p></html>"}});
    EXPECT_EQ(errorOf(at("html.odt"), Kind::Odt), "content.xml holds no document");

    const std::string whole = odtXml("<text:p>سخت</text:p>");
    writeZip(
        at("cut.odt"),
        {{"content.xml", whole.substr(0, whole.size() - std::string("</office:document-content>").size())}});
    EXPECT_EQ(errorOf(at("cut.odt"), Kind::Odt),
              "content.xml is not well-formed XML (line 2: Extra content at the end of the document)");
    writeZip(at("mismatch.docx"), {{"word/document.xml", docxXml("<w:p><w:r><w:t>سخت</w:r></w:p>")}});
    EXPECT_EQ(
        errorOf(at("mismatch.docx"), Kind::Docx),
        "word/document.xml is not well-formed XML (line 2: Opening and ending tag mismatch: t line 2 and "
        "r)");

    // Entities that grow without bound, and one that would read another file.
    const std::string laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY a \"ههههههههه\"><!ENTITY b "
        "\"&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;\">]>";
    writeZip(
        at("laughs.docx"),
        {{"word/document.xml",
          laughs + "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
                   "<w:body><w:p><w:r><w:t>&d;</w:t></w:r></w:p></w:body></w:document>"}});
    EXPECT_EQ(errorOf(at("laughs.docx"), Kind::Docx),
              "word/document.xml declares a DTD, which no document does; not read");
    writeZip(
        at("external.odt"),
        {{"content.xml", "<!DOCTYPE x [<!ENTITY secret SYSTEM \"file:///etc/passwd\">]><x>&secret;</x>"}});
    EXPECT_EQ(errorOf(at("external.odt"), Kind::Odt),
              "content.xml declares a DTD, which no document does; not read");

    // A stored entry with a byte changed fails its checksum.
    writeZip(at("flipped.odt"), {{"content.xml", odtXml("<text:p>سخت بزار</text:p>")}}, true);
    Bytes bytes = readFile(at("flipped.odt").string());
    const std::string marker = "text:p>";
    const auto found = std::search(bytes.begin(), bytes.end(), marker.begin(), marker.end());
    ASSERT_NE(found, bytes.end());
    found[marker.size()] ^= 0x01;
    writeFile(at("flipped.odt").string(), bytes);
    EXPECT_EQ(errorOf(at("flipped.odt"), Kind::Odt), "content.xml is damaged: CRC error");
}

TEST(officedocument_test, a_zip_bomb_is_refused_after_its_bound_whatever_its_header_says) {
    TempDir dir;
    const auto bomb = dir.path() / "bomb.docx";
    std::string huge = docxXml("<w:p><w:r><w:t>");
    huge.resize(OfficeDocument::MAX_PART + 1, 'x');
    writeZip(bomb, {{"word/document.xml", huge}});
    huge = {};
    EXPECT_LT(std::filesystem::file_size(bomb), 1024u * 1024);
    EXPECT_EQ(errorOf(bomb, Kind::Docx), "word/document.xml unpacks to more than 64 MB; not read");

    // The same archive claiming in both of its headers that the entry unpacks to 100 bytes.
    Bytes bytes = readFile(bomb.string());
    const auto patch = [&bytes](const std::string& signature, std::size_t sizeAt) {
        const auto found = std::search(bytes.begin(), bytes.end(), signature.begin(), signature.end());
        ASSERT_NE(found, bytes.end());
        const std::size_t at = static_cast<std::size_t>(found - bytes.begin()) + sizeAt;
        bytes[at] = 100;
        bytes[at + 1] = bytes[at + 2] = bytes[at + 3] = 0;
    };
    patch("PK\x03\x04", 22);
    patch("PK\x01\x02", 24);
    writeFile(bomb.string(), bytes);
    const std::string error = errorOf(bomb, Kind::Docx);
    EXPECT_TRUE(error.starts_with("word/document.xml ")) << error;
    EXPECT_NE(error, "no error");
}

}  // namespace
}  // namespace zabrel::test

// SPDX-License-Identifier: MIT
// The built zabrel-check, run as a program over dictionaries and files made here.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "cli/subprocess.h"
#include "cli/testdictionary.h"
#include "documents/makedocument.h"
#include "support/testsupport.h"

namespace zabrel::test {
namespace {

namespace fs = std::filesystem;

class ZabrelCheck : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dictionary());
        makeDictionary(dictionary(), sampleWords());
    }

    fs::path dictionary() const { return dir.path() / "dict"; }

    std::string text(const std::string& name, const std::string& content) const {
        writeFile(dir.file(name), content);
        return name;
    }

    // Runs with -d dict from the temp dir, so file names stay relative to where the
    // program was started although it moves into the dictionary folder.
    Outcome check(std::vector<std::string> args, const std::string& input = "") const {
        args.insert(args.begin(), {ZABREL_CHECK_PROGRAM, "-d", "dict"});
        return runProgram(args, dir.path(), input.empty() ? "" : dir.file(input));
    }

    TempDir dir;
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        result.push_back(text.substr(start, end - start));
    if (start < text.size())
        result.push_back(text.substr(start));
    return result;
}

TEST_F(ZabrelCheck, report_mode_names_file_line_and_column_and_sets_the_status) {
    text("a.txt", "سخت بازار\nکتاب، بزار شہر\n");
    text("clean.txt", "سخت بازار\n\nشہر\n");
    Outcome got = check({"a.txt", "clean.txt"});
    EXPECT_EQ(got.status, 1) << got.err;
    EXPECT_EQ(got.err, "");
    std::vector<std::string> report = lines(got.out);
    ASSERT_EQ(report.size(), 1u) << got.out;
    EXPECT_TRUE(report[0].starts_with("a.txt:2:7: بزار -> ")) << report[0];
    EXPECT_NE(report[0].find("بازار"), std::string::npos) << report[0];

    got = check({"clean.txt"});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out, "");
}

TEST_F(ZabrelCheck, reads_standard_input_without_files_or_for_a_dash) {
    text("in.txt", "صخت\n");
    for (const std::vector<std::string>& args : {std::vector<std::string>{}, std::vector<std::string>{"-"}}) {
        Outcome got = check(args, "in.txt");
        EXPECT_EQ(got.status, 1);
        EXPECT_TRUE(got.out.starts_with("<stdin>:1:1: صخت ->")) << got.out;
    }
}

TEST_F(ZabrelCheck, limits_suggestions_to_five_unless_all) {
    // Eight words one edit from بزار.
    makeDictionary(dictionary(), {{u"بازار", 90},
                                  {u"ہزار", 80},
                                  {u"نزار", 70},
                                  {u"مزار", 60},
                                  {u"گزار", 50},
                                  {u"بیزار", 40},
                                  {u"ابزار", 30},
                                  {u"بزاز", 20}});
    text("a.txt", "بزار\n");
    const auto suggestions = [](const std::string& out) {
        const std::size_t arrow = out.find(" -> ");
        std::size_t count = arrow == std::string::npos ? 0 : 1;
        for (std::size_t i = arrow; count > 0 && (i = out.find(", ", i)) != std::string::npos; ++i)
            ++count;
        return count;
    };
    Outcome all = check({"--all", "a.txt"});
    Outcome some = check({"a.txt"});
    EXPECT_EQ(all.status, 1);
    EXPECT_EQ(suggestions(all.out), 8u) << all.out;
    EXPECT_EQ(suggestions(some.out), 5u) << some.out;
    // The same ranking, cut after the fifth.
    EXPECT_TRUE(all.out.starts_with(some.out.substr(0, some.out.size() - 1) + ", ")) << all.out << some.out;
}

TEST_F(ZabrelCheck, list_mode_prints_every_occurrence_and_exits_0_as_editors_expect) {
    // flyspell takes any other status as "Can't check region".
    text("a.txt", "بزار سخت بزار\n\nصخت۔ شہر\n");
    Outcome got = check({"-l", "a.txt"});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out, "بزار\nبزار\nصخت\n");
    text("clean.txt", "شہر\n");
    EXPECT_EQ(check({"-l", "clean.txt"}).status, 0);
}

TEST_F(ZabrelCheck, every_mode_cuts_words_from_their_punctuation_and_points_at_the_word) {
    text("a.txt", "یہ (بزار) ہے، \"صخت\" 12سخت-بزار! «شہر» ۳۴بزار/سخت abc\n");
    Outcome got = check({"a.txt"});
    EXPECT_EQ(got.status, 1) << got.err;
    const std::vector<std::string> report = lines(got.out);
    ASSERT_EQ(report.size(), 6u) << got.out;
    // Columns count characters from 1 and point at the word's first letter.
    const std::vector<std::string> starts{"a.txt:1:1: یہ ->",   "a.txt:1:5: بزار ->",  "a.txt:1:11: ہے ->",
                                          "a.txt:1:16: صخت ->", "a.txt:1:27: بزار ->", "a.txt:1:41: بزار ->"};
    for (std::size_t i = 0; i < starts.size(); ++i)
        EXPECT_TRUE(report[i].starts_with(starts[i])) << report[i];

    got = check({"-l", "a.txt"});
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.out, "یہ\nبزار\nہے\nصخت\nبزار\nبزار\n");

    got = check({"-a"}, "a.txt");
    std::vector<std::string> answer = lines(got.out);
    ASSERT_EQ(answer.size(), 12u) << got.out;
    EXPECT_TRUE(answer[2].starts_with("& بزار ") && answer[2].find(" 4: ") != std::string::npos) << answer[2];
    EXPECT_EQ(answer[5], "*");  // سخت after the digits
    EXPECT_TRUE(answer[6].find(" 26: ") != std::string::npos) << answer[6];
    EXPECT_EQ(answer[7], "*");  // شہر inside its quotes
    EXPECT_TRUE(answer[8].find(" 40: ") != std::string::npos) << answer[8];
    EXPECT_EQ(answer[9], "*");
    EXPECT_EQ(answer[10], "*");  // the Latin word, not checked
    EXPECT_EQ(answer[11], "");
}

TEST_F(ZabrelCheck, personal_words_are_accepted_in_every_mode_and_kept_between_sessions) {
    // The default list, under $XDG_DATA_HOME.
    const fs::path defaultList = dir.path() / "home" / "share" / "zabrel" / "personal.txt";
    text("in.txt", "*بزار\n&صخت\n@شہرو\n#\nبزار صخت شہرو\n*بزارو\n");
    Outcome got = check({"-a"}, "in.txt");
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out.substr(got.out.find('\n') + 1), "*\n*\n*\n\n");
    // Saved as each word comes, one per line: the first save writes the list sorted,
    // later words are appended.
    const std::string expected = "بزار\nصخت\nبزارو\n";
    EXPECT_EQ(readFile(defaultList.string()), Bytes(expected.begin(), expected.end()));

    text("a.txt", "بزار صخت شہرو\n");
    got = check({"-l", "a.txt"});
    EXPECT_EQ(got.out, "شہرو\n");
    got = check({"a.txt"});
    EXPECT_TRUE(got.out.starts_with("a.txt:1:10: شہرو ->")) << got.out;

    // Another list with -p, relative to where the program was started.
    text("mine.txt", "شہرو\n");
    got = check({"-l", "-p", "mine.txt", "a.txt"});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out, "بزار\nصخت\n");
}

TEST_F(ZabrelCheck, a_bad_personal_list_is_reported_and_the_words_still_checked) {
    text("a.txt", "بزار سخت صخت\n");
    // A line that is not UTF-8 is skipped with a warning, and kept in the file.
    text("latin1.txt", "caf\xE9\nصخت\n");
    Outcome got = check({"-l", "-p", "latin1.txt", "a.txt"});
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.out, "بزار\n");
    EXPECT_EQ(got.err, "zabrel-check: The personal word list " + dir.file("latin1.txt") +
                           " has 1 line(s) that are not UTF-8 text, the first on line 1; they were skipped "
                           "and stay in the file as they are.\n");
    // CR LF clients and stray blanks: the word is stored without them.
    text("in.txt", "*بزار\r\n*سخت \n");
    got = runProgram({ZABREL_CHECK_PROGRAM, "-a", "-d", "dict", "-p", "latin1.txt"}, dir.path(),
                     dir.file("in.txt"));
    EXPECT_EQ(got.status, 0) << got.err;
    const std::string saved = "بزار\nسخت\nصخت\ncaf\xE9\n";
    EXPECT_EQ(readFile(dir.file("latin1.txt")), Bytes(saved.begin(), saved.end()));

    // A list that cannot be read at all: in pipe mode the message comes before the
    // banner, once, and the list is never overwritten by what the session adds.
    writeFile(dir.file("utf16.txt"), unicodeFile(u"word\r\n"));
    Conversation editor({ZABREL_CHECK_PROGRAM, "-a", "-d", "dict", "-p", "utf16.txt"}, dir.path());
    EXPECT_TRUE(editor.receiveLines(1).starts_with("@(#) International Ispell"));
    editor.send("*بزار");
    editor.send("#");
    editor.send("بزار");
    EXPECT_EQ(editor.receiveLines(2), "*\n\n");
    EXPECT_EQ(editor.finish(), 2);
    EXPECT_EQ(readFile(dir.file("utf16.txt")), unicodeFile(u"word\r\n"));
}

TEST_F(ZabrelCheck, output_that_cannot_be_written_is_trouble) {
    text("a.txt", "بزار\n");
    for (const std::vector<std::string>& mode : std::vector<std::vector<std::string>>{{"-l"}, {"-a"}, {}}) {
        std::vector<std::string> argv{"sh", "-c",
                                      std::string(ZABREL_CHECK_PROGRAM) + " -d dict " +
                                          (mode.empty() ? "" : mode[0]) + " a.txt >/dev/full"};
        Outcome got = runProgram(argv, dir.path());
        EXPECT_EQ(got.status, 2) << got.err;
        EXPECT_EQ(got.err, "zabrel-check: cannot write the output: No space left on device\n");
    }
    Outcome closed =
        runProgram({"sh", "-c", std::string(ZABREL_CHECK_PROGRAM) + " -d dict -l a.txt >&-"}, dir.path());
    EXPECT_EQ(closed.status, 2);
    EXPECT_EQ(closed.err, "zabrel-check: cannot write the output: Bad file descriptor\n");
}

TEST_F(ZabrelCheck, utf16_input_is_named_once_with_the_way_to_convert_it) {
    Bytes le = unicodeFile(u"سخت بزار\r\nبزار سخت\r\n");
    writeFile(dir.file("marked.txt"), le);
    Bytes bare(le.begin() + 2, le.end());
    writeFile(dir.file("bare.txt"), bare);
    Bytes be;
    for (std::size_t i = 0; i + 1 < bare.size(); i += 2)
        be.insert(be.end(), {bare[i + 1], bare[i]});
    writeFile(dir.file("big-endian.txt"), be);
    Outcome got = check({"-l", "marked.txt", "bare.txt", "big-endian.txt"});
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(got.out, "");
    EXPECT_EQ(
        got.err,
        "zabrel-check: marked.txt: looks like UTF-16, not UTF-8 (iconv -f UTF-16 -t UTF-8 converts it)\n"
        "zabrel-check: bare.txt: looks like UTF-16LE, not UTF-8 (iconv -f UTF-16LE -t UTF-8 converts it)\n"
        "zabrel-check: big-endian.txt: looks like UTF-16BE, not UTF-8 (iconv -f UTF-16BE -t UTF-8 converts "
        "it)\n");
    // An editor still gets its answers, and the message only once.
    got = check({"-a"}, "marked.txt");
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(lines(got.err).size(), 1u) << got.err;
    EXPECT_EQ(lines(got.out).size(), 4u) << got.out;
}

TEST_F(ZabrelCheck, a_lone_cr_ends_a_line_and_cr_lf_is_one_line_end) {
    text("mac.txt", "سخت\rبزار\r\rصخت\r\nبزار\n\r\nسخت صخت");
    Outcome got = check({"mac.txt"});
    EXPECT_EQ(got.status, 1);
    const std::vector<std::string> report = lines(got.out);
    ASSERT_EQ(report.size(), 4u) << got.out;
    EXPECT_TRUE(report[0].starts_with("mac.txt:2:1: بزار ->")) << report[0];
    EXPECT_TRUE(report[1].starts_with("mac.txt:4:1: صخت ->")) << report[1];
    EXPECT_TRUE(report[2].starts_with("mac.txt:5:1: بزار ->")) << report[2];
    EXPECT_TRUE(report[3].starts_with("mac.txt:7:5: صخت ->")) << report[3];
}

TEST_F(ZabrelCheck, pipe_mode_speaks_the_ispell_protocol) {
    text("in.txt", "سخت بزار\n\n*بزار\nبزار ژژژژ\n!\nسخت\n");
    Outcome got = check({"-a"}, "in.txt");
    EXPECT_EQ(got.status, 0) << got.err;
    std::vector<std::string> answer = lines(got.out);
    ASSERT_EQ(answer.size(), 9u) << got.out;
    EXPECT_EQ(answer[0], "@(#) International Ispell Version 3.2.06 (but really Zabrel " ZABREL_VERSION ")");
    EXPECT_EQ(answer[1], "*");
    EXPECT_TRUE(answer[2].starts_with("& بزار ")) << answer[2];
    EXPECT_NE(answer[2].find(" 4: بازار"), std::string::npos) << answer[2];
    EXPECT_EQ(answer[3], "");
    EXPECT_EQ(answer[4], "");
    EXPECT_EQ(answer[5], "*");
    // No letter pair of this word occurs in the lexicon: nothing to offer.
    EXPECT_EQ(answer[6], "# ژژژژ 5");
    EXPECT_EQ(answer[7], "");
    EXPECT_EQ(answer[8], "");  // terse: the correct word leaves only the end of the answer
}

TEST_F(ZabrelCheck, pipe_mode_answers_each_line_before_the_next_arrives) {
    Conversation editor({ZABREL_CHECK_PROGRAM, "-a", "-d", "dict"}, dir.path());
    EXPECT_TRUE(editor.receiveLines(1).starts_with("@(#) International Ispell"));
    editor.send("سخت");
    // Without a flush per answer this is where an editor would hang; stop at the first miss.
    ASSERT_EQ(editor.receiveLines(2), "*\n\n");
    editor.send("صخت");
    EXPECT_TRUE(editor.receiveLines(2).starts_with("& صخت "));
    editor.send("\xC0\xAF");  // refused, but the editor still gets its empty line
    EXPECT_EQ(editor.receiveLines(1), "\n");
    editor.send("@صخت");
    editor.send("صخت");
    EXPECT_EQ(editor.receiveLines(2), "*\n\n");
    EXPECT_EQ(editor.finish(), 2);
}

TEST_F(ZabrelCheck, pipe_mode_answers_a_skipped_line_as_its_kind_and_stays_in_step) {
    const std::string banner =
        "@(#) International Ispell Version 3.2.06 (but really Zabrel " ZABREL_VERSION ")\n";
    text("one.txt", "^صخت\n");
    const Outcome alone = check({"-a"}, "one.txt");
    ASSERT_EQ(alone.status, 0) << alone.err;
    ASSERT_TRUE(alone.out.starts_with(banner + "& صخت ")) << alone.out;
    const std::string answer = alone.out.substr(banner.size());

    // Each command and each text line not in UTF-8, each followed by a check.
    std::string input;
    std::string expected = banner;
    std::string errors;
    std::size_t lineNumber = 1;
    for (const std::string bad : {"*", "@", "#", "!", "+", "~", "&", "%", "-", "^", ""}) {
        input += bad + "\xFF\n^صخت\n";
        expected += (bad == "^" || bad.empty() ? "\n" : "") + answer;
        errors += "zabrel-check: <stdin>:" + std::to_string(lineNumber) + ": invalid UTF-8 at byte " +
                  std::to_string(bad.size() + 1) + ", line skipped\n";
        lineNumber += 2;
    }
    text("bad.txt", input);
    const Outcome got = check({"-a"}, "bad.txt");
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(got.out, expected);
    EXPECT_EQ(got.err, errors);
}

// The report of `plain` as it reads for a file called `name`.
std::string renamed(const std::string& report, const std::string& from, const std::string& name) {
    std::string out;
    for (const std::string& line : lines(report))
        out += (line.starts_with(from + ":") ? name + line.substr(from.size()) : line) + "\n";
    return out;
}

TEST_F(ZabrelCheck, a_document_is_reported_by_paragraph_where_a_text_is_by_line) {
    // One text as lines of a plain file and as paragraphs of a .docx and an .odt, its
    // words split across runs and spans, with an empty paragraph and a tab.
    text("letter.txt", "سخت بزار\n\nکتاب، بزار شہر\tصخت\n");
    writeDocx(dir.path() / "letter.docx",
              "<w:p><w:r><w:t>سخت بز</w:t></w:r><w:r><w:t>ار</w:t></w:r></w:p><w:p/>"
              "<w:p><w:r><w:t xml:space=\"preserve\">کتاب، بزار شہر</w:t><w:tab/><w:t>صخت</w:t></w:r></w:p>");
    writeOdt(dir.path() / "Letter.ODT",
             "<text:h>سخت بزار</text:h><text:p/>"
             "<text:p>کتاب، <text:span>بزار</text:span> شہر<text:tab/>صخت</text:p>");
    const Outcome plain = check({"letter.txt"});
    ASSERT_EQ(plain.status, 1) << plain.err;
    const std::vector<std::string> report = lines(plain.out);
    ASSERT_EQ(report.size(), 3u) << plain.out;
    EXPECT_TRUE(report[0].starts_with("letter.txt:1:5: بزار -> ")) << report[0];
    EXPECT_TRUE(report[1].starts_with("letter.txt:3:7: بزار -> ")) << report[1];
    EXPECT_TRUE(report[2].starts_with("letter.txt:3:16: صخت -> ")) << report[2];
    for (const std::string name : {"letter.docx", "Letter.ODT"}) {
        const Outcome got = check({name});
        EXPECT_EQ(got.status, 1) << name;
        EXPECT_EQ(got.err, "") << name;
        EXPECT_EQ(got.out, renamed(plain.out, "letter.txt", name));
        EXPECT_EQ(check({"-l", name}).out, "بزار\nبزار\nصخت\n");
    }
}

TEST_F(ZabrelCheck, a_damaged_document_is_named_with_its_fault_and_the_other_files_still_checked) {
    writeZip(dir.path() / "broken.docx", {{"word/styles.xml", "<x/>"}});
    text("plain.odt", "سخت بزار\n");
    writeOdt(dir.path() / "bad.odt", "<text:p>سخت</text:span>");
    writeDocx(dir.path() / "good.docx", "<w:p><w:r><w:t>بزار</w:t></w:r></w:p>");
    text("after.txt", "صخت\n");
    Outcome got = check({"broken.docx", "plain.odt", "bad.odt", "good.docx", "after.txt"});
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(got.err,
              "zabrel-check: broken.docx: it holds no word/document.xml\n"
              "zabrel-check: plain.odt: Not a zip archive\n"
              "zabrel-check: bad.odt: content.xml is not well-formed XML (line 2: Opening and ending tag "
              "mismatch: p line 2 and span)\n");
    const std::vector<std::string> report = lines(got.out);
    ASSERT_EQ(report.size(), 2u) << got.out;
    EXPECT_TRUE(report[0].starts_with("good.docx:1:1: بزار -> ")) << report[0];
    EXPECT_TRUE(report[1].starts_with("after.txt:1:1: صخت -> ")) << report[1];

    // Corrected text would be plain text in place of the document; the pipe reads commands.
    got = check({"--correct", "good.docx", "after.txt"});
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(got.err,
              "zabrel-check: good.docx: --correct writes plain text, which would lose the document's "
              "formatting; correct it in LibreOffice Writer, where Zabrel works too\n");
    EXPECT_EQ(lines(got.out).size(), 1u) << got.out;
    got = check({"-a", "good.docx"});
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(got.err, "zabrel-check: good.docx: pipe mode reads the ispell protocol, not a document\n");
}

TEST_F(ZabrelCheck, documents_that_libreoffice_writes_read_as_the_text_they_came_from) {
    if (std::string(SOFFICE_PROGRAM).empty())
        GTEST_SKIP() << "LibreOffice is not installed";
    text("letter.txt", "سخت بزار\n\nکتاب، بزار شہر\tصخت\n");
    for (const std::string format : {"docx", "odt"}) {
        const Outcome converted =
            runProgram({SOFFICE_PROGRAM, "--headless", "-env:UserInstallation=file://" + dir.file("profile"),
                        "--infilter=Text (encoded):UTF8", "--convert-to", format, "--outdir",
                        dir.path().string(), "letter.txt"},
                       dir.path());
        ASSERT_TRUE(fs::exists(dir.path() / ("letter." + format))) << converted.out << converted.err;
    }
    const Outcome plain = check({"letter.txt"});
    for (const std::string name : {"letter.docx", "letter.odt"}) {
        const Outcome got = check({name});
        EXPECT_EQ(got.status, 1) << got.err;
        EXPECT_EQ(got.out, renamed(plain.out, "letter.txt", name));
    }
}

TEST_F(ZabrelCheck, invalid_utf8_skips_the_line_goes_on_and_exits_2) {
    text("bad.txt", "بزار\nسخت \xD8\xB3\xED\xA0\x80 بزار\nصخت\n");
    Outcome got = check({"-l", "bad.txt"});
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(got.out, "بزار\nصخت\n");
    EXPECT_EQ(got.err, "zabrel-check: bad.txt:2: invalid UTF-8 at byte 10, line skipped\n");

    text("in.txt", "\xFF\n");
    got = check({}, "in.txt");
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(got.err, "zabrel-check: <stdin>:1: invalid UTF-8 at byte 1, line skipped\n");
}

TEST_F(ZabrelCheck, survives_binary_input_empty_files_and_a_ten_megabyte_line_in_bounded_memory) {
    std::string binary;
    for (int i = 0; i < 200000; ++i)
        binary.push_back(static_cast<char>((i * 7919 + i / 13) & 0xFF));
    text("binary.dat", binary);
    Outcome got = check({"binary.dat"});
    EXPECT_EQ(got.status, 2);
    EXPECT_NE(got.err.find("invalid UTF-8"), std::string::npos);

    text("empty.txt", "");
    got = check({"empty.txt"});
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.out, "");
    EXPECT_EQ(check({"-a"}, "empty.txt").out,
              "@(#) International Ispell Version 3.2.06 (but really Zabrel " ZABREL_VERSION ")\n");

    // One line of 10 MB: words, and then a single token of 10 MB (no delimiter at all).
    std::string words;
    while (words.size() < 10 * 1024 * 1024)
        words += "سخت بزار ";
    std::string token;
    while (token.size() < 10 * 1024 * 1024)
        token += "بازار";
    text("long.txt", words + "\n" + token + "\n");
    got = check({"-l", "long.txt"});
    EXPECT_EQ(got.status, 0);
    const std::vector<std::string> listed = lines(got.out);
    const std::size_t wordCount = words.size() / std::string("سخت بزار ").size();
    ASSERT_GT(listed.size(), wordCount + 1);
    // The line is read in pieces cut between words, so no word is lost or split...
    EXPECT_EQ(std::count(listed.begin(), listed.begin() + static_cast<long>(wordCount), "بزار"),
              static_cast<long>(wordCount));
    // ...except a run of letters longer than any word, which comes in pieces.
    std::string joined;
    for (std::size_t i = wordCount; i < listed.size(); ++i) {
        EXPECT_LE(listed[i].size(), 64u * 1024) << i;
        joined += listed[i];
    }
    EXPECT_EQ(joined, token);
}

TEST_F(ZabrelCheck, memory_stays_flat_on_one_endless_line) {
    // 160 MiB of NUL bytes in one line, as /dev/zero gives them, took five times that
    // before lines were read in pieces. A forked child's peak counts the memory of the
    // test itself (and, under AddressSanitizer, its quarantine), so the peak is compared
    // with that of a run on an empty file.
    text("empty.txt", "");
    writeFile(dir.file("zeros.bin"), "");
    fs::resize_file(dir.file("zeros.bin"), 160u * 1024 * 1024);
    for (const char* mode : {"-l", "-a"}) {
        const long baseline = check({mode}, "empty.txt").peakKiB;
        Outcome got = check({mode}, "zeros.bin");
        EXPECT_EQ(got.status, 0) << got.err;
        EXPECT_LT(got.peakKiB, baseline + 32 * 1024) << mode << ", an empty file took " << baseline << " KiB";
    }
}

TEST_F(ZabrelCheck, a_dictionary_that_cannot_load_gives_the_engine_message_and_2) {
    fs::create_directories(dir.path() / "nothing");
    text("a.txt", "سخت\n");
    Outcome got = runProgram({ZABREL_CHECK_PROGRAM, "-d", "nothing", "a.txt"}, dir.path());
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(got.err, "zabrel-check: no config.ini in nothing\n");

    // A sentence naming the file, then the engine's own words; never where in our
    // source the error arose.
    const std::string wordList = (dictionary() / "wordlist.txt").string();
    fs::rename(wordList, wordList + ".away");
    got = check({"a.txt"});
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(got.out, "");
    EXPECT_EQ(got.err, "zabrel-check: the dictionary could not be set up from its word list " + wordList +
                           ": Could not open file: " + wordList + ". Config file not opened sucessfully.\n");
    // The hash table's loader says "Config file": the sentence names the hash table.
    fs::rename(wordList + ".away", wordList);
    EXPECT_EQ(check({"a.txt"}).status, 0);
    const std::string hashTable = (dictionary() / "hashtable.dat").string();
    fs::remove(hashTable);
    got = check({"a.txt"});
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(got.err, "zabrel-check: the dictionary could not be set up from its hash table " + hashTable +
                           ": Could not open file: " + hashTable + ". Config file not opened sucessfully.\n");
    writeFile(hashTable, "x");
    EXPECT_EQ(check({"a.txt"}).err, "zabrel-check: the dictionary could not be set up from its hash table " +
                                        hashTable +
                                        ": File is not Unicode based. Config file not opened sucessfully.\n");
}

TEST_F(ZabrelCheck, a_missing_file_is_reported_and_the_others_are_still_checked) {
    text("a.txt", "بزار\n");
    fs::create_directories(dir.path() / "folder");
    Outcome got = check({"-l", "gone.txt", "folder", "a.txt"});
    EXPECT_EQ(got.status, 2);
    EXPECT_EQ(got.out, "بزار\n");
    EXPECT_EQ(got.err,
              "zabrel-check: gone.txt: No such file or directory\n"
              "zabrel-check: folder: Is a directory\n");
}

TEST_F(ZabrelCheck, finds_the_dictionary_without_d) {
    text("a.txt", "بزار\n");
    // In the current directory...
    Outcome got = runProgram({ZABREL_CHECK_PROGRAM, "-l", "../a.txt"}, dictionary());
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out, "بزار\n");

    // ...else in the user's copy of the shipped one, which stays untouched.
    TempDir shipped;
    makeDictionary(shipped.path(), sampleWords());
    got = runProgram({ZABREL_CHECK_PROGRAM, "-l", "a.txt"}, dir.path(), "",
                     {{"ZABREL_SHIPPED_DICTIONARY", shipped.path().string()}});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out, "بزار\n");
    const fs::path copy = dir.path() / "home" / "share" / "zabrel" / "urdu";
    EXPECT_TRUE(fs::exists(copy / "hashtable.dat"));
    EXPECT_FALSE(fs::exists(shipped.path() / "hashtable.dat"));

    // Editors name it: ispell.el passes -d and the name of its dictionary entry.
    got = runProgram({ZABREL_CHECK_PROGRAM, "-l", "-d", "urdu", "a.txt"}, dir.path(), "",
                     {{"ZABREL_SHIPPED_DICTIONARY", shipped.path().string()}});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out, "بزار\n");
}

TEST_F(ZabrelCheck, help_version_and_bad_options) {
    Outcome got = check({"--help"});
    EXPECT_EQ(got.status, 0);
    EXPECT_TRUE(got.out.starts_with("Usage: zabrel-check [OPTION]... [FILE]...\n"));
    EXPECT_NE(got.out.find("Exit status:"), std::string::npos);
    EXPECT_NE(got.out.find("Examples:"), std::string::npos);

    got = runProgram({ZABREL_CHECK_PROGRAM, "--version"}, dir.path());
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.out, "zabrel-check (Zabrel) " ZABREL_VERSION "\n");

    // Editors probe with -v or -vv and pass ispell options that mean nothing here.
    got = check({"-vv"});
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.out, "@(#) International Ispell Version 3.2.06 (but really Zabrel " ZABREL_VERSION ")\n");
    text("in.txt", "سخت\n");
    got = check({"-a", "-m", "-B", "-i", "UTF-8", "-p", "personal"}, "in.txt");
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_NE(got.out.find("\n*\n"), std::string::npos) << got.out;
    got = check({"-a", "-i", "latin1"}, "in.txt");
    EXPECT_EQ(got.status, 2);
    EXPECT_NE(got.err.find("only UTF-8"), std::string::npos);

    got = check({"--frobnicate"});
    EXPECT_EQ(got.status, 2);
    EXPECT_NE(got.err.find("Try 'zabrel-check --help'"), std::string::npos);
    EXPECT_EQ(got.out, "");
}

}  // namespace
}  // namespace zabrel::test

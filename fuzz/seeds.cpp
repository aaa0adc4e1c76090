// SPDX-License-Identifier: MIT
// Writes the seed corpora under <folder>/<target>/ from the fixed dictionary, so
// that the seeds always match the formats the engine writes. Run by hand after a
// format change: fuzz_seeds fuzz/corpus
#include <filesystem>
#include <string>

#include "engine/contextmodel.h"
#include "fixture.h"
#include "text/utf8.h"

using namespace zabrel;
using namespace zabrel::fuzz;

namespace {

std::string root;

void seed(const std::string& target, const std::string& name, const Bytes& bytes) {
    std::filesystem::create_directories(root + "/" + target);
    writeBytes(root + "/" + target + "/" + name, bytes);
}

void seed(const std::string& target, const std::string& name, const std::string& text) {
    seed(target, name, Bytes(text.begin(), text.end()));
}

Bytes utf16(const std::u16string& text, bool mark) {
    Bytes bytes;
    if (mark)
        bytes = {0xFF, 0xFE};
    for (char16_t unit : text) {
        bytes.push_back(static_cast<unsigned char>(unit & 0xFF));
        bytes.push_back(static_cast<unsigned char>(unit >> 8));
    }
    return bytes;
}

void append16(Bytes& to, const std::string& file) {
    to.push_back(static_cast<unsigned char>(file.size() & 0xFF));
    to.push_back(static_cast<unsigned char>(file.size() >> 8));
    to.insert(to.end(), file.begin(), file.end());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    root = std::filesystem::absolute(argv[1]).string();
    enterScratch();
    writeDictionary(".");
    const auto& built = builtDictionary();

    seed("config", "first-run", readBytes("config.ini"));
    seed("config", "later-run", built.at("config.ini"));
    seed("config", "quirks",
         "remark without equals\ninitialize=YES\r\n\r\nInitialize = NO\n"
         "soundexFilePath = a = b \t\nshapexFilePath =\nwordListFilePath = C:\\words.txt");

    seed("alphabet", "letters", readBytes("alphabet.txt"));
    seed("alphabet", "lf-and-blank-lines",
         utf16(u"\u0627\n\u0628\r\n\r\n\n\u0627\u0628\u067E\r\n\u062A", true));
    seed("alphabet", "no-mark", utf16(u"\u0627\r\n", false));

    seed("wordlist", "words", readBytes("wordlist.txt"));
    seed("wordlist", "short-header",
         utf16(u"4\r\n\u0628\u0627\u062A\t5\r\n\u062F\u0644\t3\r\n\u0633\u0628\t2", true));
    seed("wordlist", "duplicates-and-empty-fields",
         utf16(u"5\r\n\u0628\u0627\u062A\t5\r\n\u0628\u0627\u062A\t7\r\n\tx\r\n"
               u"\u0627\u0628\u067E\u062A\u062C\u062F\u0631\u0633\u06A9\u0644\u0645\u0646\u0648\u06CC\u06C1"
               u"\u0627\u0628\u067E\u062A\u062C\u062F\u0631\u0633\t9\r\n\u062F\u0644\t1\r\n",
               true));

    seed("hashtable", "built", built.at("hashtable.dat"));
    seed("codetable", "soundex", built.at("soundex.txt"));
    seed("codetable", "quirks", "0x0627 = 3\n  +628=-2\n10000=4\n062A=300\n64B=\nFFFFFFFFFF=1\n");

    Bytes postings;
    append16(postings, built.at("bigram-index.dat"));
    append16(postings, built.at("bigram-lists.dat"));
    append16(postings, built.at("unigram-index.dat"));
    postings.insert(postings.end(), built.at("unigram-lists.dat").begin(),
                    built.at("unigram-lists.dat").end());
    seed("postings", "built", postings);

    ContextModel::Counts counts;
    counts.words = {{u"\u0628\u0627\u062A", 20}, {u"\u062F\u0644", 9}, {u"\u0633\u0628", 30}};
    counts.pairs = {{{u"\u0628\u0627\u062A", u"\u062F\u0644"}, 6},
                    {{u"\u0633\u0628", u"\u0628\u0627\u062A"}, 12}};
    counts.triples = {{{u"\u0633\u0628", u"\u0628\u0627\u062A", u"\u062F\u0644"}, 5}};
    counts.tokens = 100;
    seed("context", "model", ContextModel::encode(counts));
    seed("context", "older-kind", std::string("ZBLM\1\0\0\0\1\0\0\0\1\x28\x06\0\0\0\0", 19));

    const auto& words = sampleWords();
    const auto& wrong = misspellings();
    seed("checkword", "lexicon-word", utf16(words[3], false));
    seed("checkword", "short-misspelling", utf16(wrong[0], false));
    seed("checkword", "long-misspelling", utf16(wrong[wrong.size() - 1], false));
    seed("checkword", "mixed", utf16(u"a\u0628\u064E\u0627\u200C\u062A\u0644\u0644", false));

    std::u16string text;
    for (std::size_t k = 0; k < 12; ++k)
        text += (k % 2 ? wrong[k] : words[k]) + (k % 3 == 0   ? u"\r\n"
                                                 : k % 3 == 1 ? u"\u060C "
                                                              : u"\u06D4\t");
    seed("pass", "text", utf16(text, false));
    seed("pass", "delimiters", utf16(u"\r\n\r\n  ;:'\u061B\u061F\u060C\u06D4\n\r\u0628\u0627", false));

    std::string lines = "!\n" + utf16ToUtf8(words[0] + u" " + wrong[1] + u"\u060C " + wrong[5]) + "\n%\n";
    lines += "*" + utf16ToUtf8(wrong[1]) + "\n" + utf16ToUtf8(wrong[1]) + "\n^" + utf16ToUtf8(wrong[2]) +
             "\n#\n~tex\n+\n-\n\n";
    lines += "\xC3\x28 bad utf-8\n@" + utf16ToUtf8(wrong[3]) + "\n" + utf16ToUtf8(wrong[3]) + "\n";
    seed("pipe", "session", lines);
    return 0;
}

// SPDX-License-Identifier: MIT
// What long words, big texts and a big context model cost through the C API, on a
// private copy of a dictionary folder. It calls only what every version of the
// library has (but `text ... each`), so the same program measures an older
// libzabrel.so.0 through LD_LIBRARY_PATH. Peak memory is the process's own.
//
//   library_bench words DICT            seconds for one word of 16,000 and 64,000
//                                       letters under each ranking
//   library_bench text DICT MB [each]   zabrel_check_text (or _each) over MB megabytes
//                                       of text, every other word misspelt
//   library_bench model DICT PAIRS      load time of a context model of PAIRS pairs
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "zabrel/zabrel_c.h"

namespace fs = std::filesystem;

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A copy of the folder in a fresh temporary one, removed at exit.
struct Copy {
    fs::path dir;
    explicit Copy(const fs::path& from) {
        std::string pattern = (fs::temp_directory_path() / "zabrel-library-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a temporary folder");
        dir = pattern;
        for (const auto& entry : fs::directory_iterator(from))
            if (entry.is_regular_file())
                fs::copy_file(entry.path(), dir / entry.path().filename());
    }
    ~Copy() {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
};

zabrel_dictionary* open(const fs::path& folder) {
    char* error = nullptr;
    zabrel_dictionary* urdu = zabrel_open(folder.c_str(), &error);
    if (urdu == nullptr) {
        std::fprintf(stderr, "library_bench: %s\n", error != nullptr ? error : "cannot open");
        std::exit(2);
    }
    return urdu;
}

void append(std::string& out, char16_t unit) {
    if (unit < 0x80) {
        out += static_cast<char>(unit);
    } else if (unit < 0x800) {
        out += static_cast<char>(0xC0 | (unit >> 6));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (unit >> 12));
        out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    }
}

// The words of the folder's word list (FF FE, UTF-16LE, a count line, then word TAB
// frequency lines), as UTF-8.
std::vector<std::string> lexicon(const fs::path& folder) {
    std::ifstream in(folder / "wordlist.txt", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> words;
    std::string word;
    bool inWord = true;
    bool header = true;
    for (std::size_t at = 2; at + 1 < bytes.size(); at += 2) {
        const char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[at]) |
                                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
        if (unit == u'\n') {
            if (!header && !word.empty())
                words.push_back(word);
            header = false;
            word.clear();
            inWord = true;
        } else if (unit == u'\t') {
            inWord = false;
        } else if (inWord && unit != u'\r') {
            append(word, unit);
        }
    }
    return words;
}

int words(const fs::path& shipped) {
    Copy copy(shipped);
    zabrel_dictionary* urdu = open(copy.dir);
    const std::u16string letters = u"ابپتٹثجچحخدڈذرڑزسشصضطظعغفقکگلمنوہیے";
    std::mt19937 random(1);
    std::printf("%-9s %8s %10s\n", "ranking", "letters", "seconds");
    for (const int ranking : {ZABREL_RANKING_EXACT, ZABREL_RANKING_ACCURATE, ZABREL_RANKING_CONTEXT}) {
        if (zabrel_set_ranking(urdu, ranking) != 0) {
            std::fprintf(stderr, "library_bench: %s\n", zabrel_error(urdu));
            return 2;
        }
        for (const std::size_t n : {16000u, 64000u}) {
            std::string word;
            for (std::size_t k = 0; k < n; ++k)
                append(word, letters[random() % letters.size()]);
            size_t count = 0;
            const auto start = std::chrono::steady_clock::now();
            zabrel_misspelling* found = zabrel_check_text(urdu, word.data(), word.size(), &count);
            const double took = seconds(start);
            zabrel_misspellings_free(found, count);
            std::printf("%-9s %8zu %10.3f\n",
                        ranking == 0   ? "exact"
                        : ranking == 1 ? "accurate"
                                       : "context",
                        n, took);
        }
    }
    zabrel_close(urdu);
    return 0;
}

int text(const fs::path& shipped, double megabytes, bool each) {
    Copy copy(shipped);
    const std::vector<std::string> known = lexicon(copy.dir);
    if (known.empty())
        return 2;
    // Every other word misspelt: a lexicon word with its first letter doubled.
    std::string body;
    const std::size_t bytes = static_cast<std::size_t>(megabytes * 1e6);
    for (std::size_t k = 0; body.size() < bytes; ++k) {
        const std::string& word = known[(k * 7919) % known.size()];
        if (k % 2 == 1)
            body += word.substr(0, 2);
        body += word;
        body += k % 12 == 11 ? "۔\n" : " ";
    }
    zabrel_dictionary* urdu = open(copy.dir);
    const long before = peakKiB();
    const auto start = std::chrono::steady_clock::now();
    size_t count = 0;
    std::size_t suggestions = 0;
    if (each) {
        const auto tally = [](const zabrel_misspelling* misspelling, void* context) {
            *static_cast<std::size_t*>(context) += misspelling->count + 1;
            return 0;
        };
        if (zabrel_check_text_each(urdu, body.data(), body.size(), tally, &suggestions) != 0)
            return 2;
    } else {
        zabrel_misspelling* found = zabrel_check_text(urdu, body.data(), body.size(), &count);
        if (found == nullptr)
            return 2;
        for (size_t k = 0; k < count; ++k)
            suggestions += found[k].count + 1;
        zabrel_misspellings_free(found, count);
    }
    std::printf("%s: %.1f MB of text, %.3f s, peak %ld KiB (%ld KiB before the call)\n",
                each ? "zabrel_check_text_each" : "zabrel_check_text", static_cast<double>(body.size()) / 1e6,
                seconds(start), peakKiB(), before);
    std::printf("misspellings and suggestions: %zu\n", suggestions);
    zabrel_close(urdu);
    return 0;
}

int model(const fs::path& shipped, std::size_t pairs) {
    Copy copy(shipped);
    // 65,535 made-up words of four to nine letters, in code-unit order, and pairs of
    // them in a fixed pseudo-random order.
    const std::u16string letters = u"ابپتٹثجچحخدڈذرڑزسشصضطظعغفقکگلمنوہیے";
    std::vector<std::u16string> made;
    std::mt19937 random(7);
    while (made.size() < 65535) {
        std::u16string word;
        for (std::size_t k = 0, n = 4 + random() % 6; k < n; ++k)
            word += letters[random() % letters.size()];
        made.push_back(word);
        if (made.size() == 65535) {
            std::sort(made.begin(), made.end());
            made.erase(std::unique(made.begin(), made.end()), made.end());
        }
    }
    // The model's layout: header, words with their costs, pairs sorted by their words
    // (random ones, each once), no triples.
    std::vector<uint32_t> keys(pairs);
    for (uint32_t& key : keys)
        key = static_cast<uint32_t>((random() % made.size()) << 16 | (random() % made.size()));
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    pairs = keys.size();
    std::string out = "ZBLC";
    const auto u32 = [&](std::size_t v) {
        for (int shift = 0; shift < 32; shift += 8)
            out += static_cast<char>((v >> shift) & 0xFF);
    };
    const auto u16 = [&](std::size_t v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>((v >> 8) & 0xFF);
    };
    u32(2);
    u32(made.size());
    u32(pairs);
    u32(0);
    out += std::string("\x80\0\0\0", 4);
    for (const std::u16string& word : made) {
        out += static_cast<char>(word.size());
        for (char16_t unit : word)
            u16(unit);
        out += "\x60\x02";
    }
    for (uint32_t key : keys) {
        u16(key >> 16);
        u16(key & 0xFFFF);
        out += "\x10\x02";
    }
    std::ofstream(copy.dir / "context.bin", std::ios::binary) << out;
    std::ofstream(copy.dir / "config.ini", std::ios::binary | std::ios::app)
        << "contextModelFilePath = context.bin\r\n";
    out = std::string();
    made = {};
    zabrel_dictionary* urdu = open(copy.dir);
    const long before = peakKiB();
    const auto start = std::chrono::steady_clock::now();
    if (zabrel_set_ranking(urdu, ZABREL_RANKING_CONTEXT) != 0) {
        std::fprintf(stderr, "library_bench: %s\n", zabrel_error(urdu));
        return 2;
    }
    std::printf("context model of %zu pairs (%.1f MB): loaded in %.3f s, peak %ld KiB (%ld KiB before)\n",
                pairs, static_cast<double>(fs::file_size(copy.dir / "context.bin")) / 1e6, seconds(start),
                peakKiB(), before);
    zabrel_close(urdu);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "words")
        return words(args[1]);
    if (args.size() >= 3 && args[0] == "text")
        return text(args[1], std::atof(args[2].c_str()), args.size() > 3 && args[3] == "each");
    if (args.size() >= 3 && args[0] == "model")
        return model(args[1], std::strtoull(args[2].c_str(), nullptr, 10));
    std::fprintf(stderr, "usage: library_bench words DICT | text DICT MB [each] | model DICT PAIRS\n");
    return 2;
}

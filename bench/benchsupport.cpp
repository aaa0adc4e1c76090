// SPDX-License-Identifier: MIT
#include "benchsupport.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <unordered_set>

#include "text/utf8.h"

namespace zabrel::bench {

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

Workspace::Workspace(const fs::path& shipped) : shippedFolder(shipped) {
    std::string pattern = (fs::temp_directory_path() / "zabrel-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    dir = pattern;
    for (const auto& entry : fs::directory_iterator(shipped))
        if (entry.is_regular_file())
            fs::copy_file(entry.path(), dir / entry.path().filename());
}

Workspace::~Workspace() {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

void Workspace::resetToFirstRun() const {
    fs::copy_file(shippedFolder / "config.ini", dir / "config.ini", fs::copy_options::overwrite_existing);
}

ScopedCurrentDir::ScopedCurrentDir(const fs::path& dir) : previous(fs::current_path()) {
    fs::current_path(dir);
}

ScopedCurrentDir::~ScopedCurrentDir() {
    std::error_code ignored;
    fs::current_path(previous, ignored);
}

fs::path shippedDictionary() {
    return fs::path(ZABREL_SOURCE_DIR) / "data" / "urdu";
}

fs::path misspellingSet() {
    return fs::path(ZABREL_SOURCE_DIR) / "bench" / "data" / "misspellings.tsv";
}

std::u16string fromUtf8(const std::string& text) {
    std::u16string out;
    std::size_t badOffset = 0;
    if (!utf8ToUtf16(text, out, badOffset))
        throw std::runtime_error("invalid UTF-8 at byte " + std::to_string(badOffset));
    return out;
}

std::string toUtf8(const std::u16string& text) {
    return utf16ToUtf8(text);
}

std::vector<Misspelling> readMisspellings(const fs::path& path) {
    std::istringstream in(readFile(path));
    std::vector<Misspelling> set;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        const auto tab1 = line.find('\t');
        const auto tab2 = line.find('\t', tab1 + 1);
        if (tab1 == std::string::npos || tab2 == std::string::npos)
            continue;
        Misspelling m;
        m.misspeltUtf8 = line.substr(0, tab1);
        m.intendedUtf8 = line.substr(tab1 + 1, tab2 - tab1 - 1);
        m.kind = line.substr(tab2 + 1);
        m.misspelt = fromUtf8(m.misspeltUtf8);
        m.intended = fromUtf8(m.intendedUtf8);
        set.push_back(std::move(m));
    }
    if (set.empty())
        throw std::runtime_error("no misspellings in " + path.string());
    return set;
}

std::vector<LexiconWord> readLexiconSample(const fs::path& wordlist, std::size_t step) {
    const std::string bytes = readFile(wordlist);
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    std::vector<LexiconWord> sample;
    std::unordered_set<std::u16string> taken;
    std::size_t record = 0;
    std::size_t start = text.find(u"\r\n");
    while (start != std::u16string::npos) {
        start += 2;
        const auto tab = text.find(u'\t', start);
        if (tab == std::u16string::npos)
            break;
        std::u16string word = text.substr(start, tab - start);
        // The record that ends the list has no word.
        if (!word.empty() && taken.insert(word).second && record++ % step == 0)
            sample.push_back({word, toUtf8(word)});
        start = text.find(u"\r\n", tab);
    }
    return sample;
}

int lengthGroup(std::size_t letters) {
    if (letters <= 2)
        return 0;
    if (letters == 3)
        return 1;
    if (letters <= 5)
        return 2;
    if (letters <= 8)
        return 3;
    return 4;
}

const char* lengthGroupName(int group) {
    static const char* const NAMES[LENGTH_GROUPS] = {"2", "3", "4-5", "6-8", "9+"};
    return NAMES[group];
}

double cpuMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace zabrel::bench

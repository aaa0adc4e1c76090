// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zabrel::bench {

struct Misspelling {
    std::u16string misspelt;
    std::u16string intended;
    std::string misspeltUtf8;
    std::string intendedUtf8;
    std::string kind;
};

struct LexiconWord {
    std::u16string word;
    std::string utf8;
};

// A private copy of the shipped dictionary in a fresh temporary folder, removed on
// destruction: the engine writes its derived files next to config.ini.
class Workspace {
public:
    explicit Workspace(const std::filesystem::path& shipped);
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    const std::filesystem::path& folder() const { return dir; }
    // Puts back the shipped config.ini, so the next initialize() is a first run.
    void resetToFirstRun() const;

private:
    std::filesystem::path shippedFolder;
    std::filesystem::path dir;
};

// Changes the current directory for its lifetime.
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const std::filesystem::path& dir);
    ~ScopedCurrentDir();
    ScopedCurrentDir(const ScopedCurrentDir&) = delete;
    ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

private:
    std::filesystem::path previous;
};

std::filesystem::path shippedDictionary();
std::filesystem::path misspellingSet();

std::u16string fromUtf8(const std::string& text);
std::string toUtf8(const std::u16string& text);

// The set written by tools/make-misspellings (header line skipped).
std::vector<Misspelling> readMisspellings(const std::filesystem::path& path);
// Every `step`-th distinct word of an engine word list, in file order.
std::vector<LexiconWord> readLexiconSample(const std::filesystem::path& wordlist, std::size_t step);

// Length groups the figures are reported by: 2, 3, 4-5, 6-8, 9+ letters.
constexpr int LENGTH_GROUPS = 5;
int lengthGroup(std::size_t letters);
const char* lengthGroupName(int group);

double median(std::vector<double> values);
// The CPU time this process has used, in microseconds.
double cpuMicroseconds();

}  // namespace zabrel::bench

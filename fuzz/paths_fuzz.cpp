// SPDX-License-Identifier: MIT
// config.ini values as a shared or hand-edited folder may hold them: directories,
// endless devices, links, and paths that lead out of the folder, for every key.
// Set-up raises or answers; it never hangs or crashes, and it writes nothing outside
// the dictionary folder.
#include <filesystem>
#include <string>

#include "engine/spellchecker.h"
#include "fixture.h"

using namespace zabrel;
namespace fs = std::filesystem;

namespace {

const char* const KEYS[] = {"wordListFilePath",     "hashTableFilePath",    "bigramMatrixFilePath",
                            "bigramPLFilePath",     "unigramListsFilePath", "unigramPLFilePath",
                            "urduAlphabetFilePath", "soundexFilePath",      "shapexFilePath"};

// Index 0 keeps the key's own file.
const char* const VALUES[] = {nullptr,
                              ".",
                              "sub",
                              "/dev/zero",
                              "/dev/null",
                              "missing.txt",
                              "../outside.txt",
                              "link/outside.txt",
                              "outside-link",
                              "sub/../hashtable.dat",
                              "sub/new.dat",
                              "alphabet.txt",
                              "wordlist.txt",
                              "soundex.txt",
                              "hashtable.dat",
                              "bigram-lists.dat"};
constexpr std::size_t VALUE_COUNT = sizeof VALUES / sizeof VALUES[0];

const char* const SWITCHES[] = {"YES", "NO", "maybe"};

const std::string SENTINEL = "written by nobody";

void prepare() {
    fs::current_path(fuzz::scratchDir());
    std::error_code ec;
    fs::remove_all("dict", ec);
    fs::create_directories("dict/sub");
    fuzz::writeText("outside.txt", SENTINEL);
    fs::current_path("dict");
    fuzz::writeDictionary(".");
    fs::create_directory_symlink("..", "link");
    fs::create_symlink("../outside.txt", "outside-link");
}

void expectNothingWrittenOutside() {
    const std::string outside = fuzz::scratchDir() + "/outside.txt";
    if (!fs::is_regular_file(fs::symlink_status(outside)))
        fuzz::fail("the file outside the folder was replaced");
    const fuzz::Bytes bytes = fuzz::readBytes(outside);
    if (std::string(bytes.begin(), bytes.end()) != SENTINEL)
        fuzz::fail("the file outside the folder was written");
    for (const fs::directory_entry& entry : fs::directory_iterator(fuzz::scratchDir())) {
        const std::string name = entry.path().filename().string();
        if (name != "dict" && name != "outside.txt" && name != "fixed")
            fuzz::fail("a file appeared outside the folder");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    prepare();
    const fuzz::Bytes raw = fuzz::readBytes("config.ini");
    const std::string shipped(raw.begin(), raw.end());
    std::string text = std::string("initialize = ") + (size > 0 ? SWITCHES[data[0] % 3] : "YES") + "\r\n";
    for (std::size_t k = 0; k < std::size(KEYS); ++k) {
        const std::string key = std::string(KEYS[k]) + " = ";
        const std::size_t choice = k + 1 < size ? data[k + 1] % VALUE_COUNT : 0;
        std::string value;
        if (choice == 0) {
            const std::size_t at = shipped.find(key) + key.size();
            value = shipped.substr(at, shipped.find('\r', at) - at);
        } else {
            value = VALUES[choice];
        }
        text += key + value + "\r\n";
    }
    fuzz::writeText("config.ini", text);
    // A first run over planted links must replace them, not write through them.
    if (size > 10 && data[10] % 2 == 1)
        for (const char* name : {"hashtable.dat", "bigram-index.dat", "unigram-lists.dat"})
            fs::create_symlink("../outside.txt", name);
    if (auto checker = fuzz::setUp())
        fuzz::exerciseChecker(*checker);
    expectNothingWrittenOutside();
    return 0;
}

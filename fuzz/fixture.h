// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/dictionaryfiles.h"

namespace zabrel {
class SpellChecker;
}

namespace zabrel::fuzz {

using Bytes = std::vector<unsigned char>;

// Every target works in a scratch directory of its own, made on first use and
// removed at exit, so that parallel replays never share config.ini.
const std::string& scratchDir();
// Makes the scratch directory the current one (the engine reads config.ini there).
void enterScratch();

void writeBytes(const std::string& path, const uint8_t* data, std::size_t size);
void writeBytes(const std::string& path, const Bytes& bytes);
void writeText(const std::string& path, const std::string& text);
Bytes readBytes(const std::string& path);

// The input taken as UTF-16LE units; a trailing odd byte is dropped.
std::u16string units(const uint8_t* data, std::size_t size);

// The letters of the small fixed dictionary, in index order.
const std::u16string& letters();
// Some of its words, for lookups against whatever table a target loads.
const std::vector<std::u16string>& sampleWords();

// Writes alphabet.txt, wordlist.txt, soundex.txt, shapex.txt and config.ini (asking
// for a first-run build) into `folder`.
void writeDictionary(const std::string& folder);

// The derived files a first run writes, in a fixed order.
const std::vector<std::string>& derivedFiles();

// The files writeDictionary() writes, by name (written once, in a folder of their own).
const std::map<std::string, std::string>& freshDictionary();
// The fixed dictionary after its first run (built once, in a folder of its own):
// every file of its folder, by name (config.ini then says NO).
const std::map<std::string, std::string>& builtDictionary();
// A checker set up from the current directory, or nullptr when set-up raised.
std::unique_ptr<SpellChecker> setUp();
// The same from files in memory.
std::unique_ptr<SpellChecker> setUp(const std::map<std::string, std::string>& files);
// The input as the bytes of one file.
std::string bytesOf(const uint8_t* data, std::size_t size);

// Misspelt forms of the sample words (letters dropped, swapped and replaced),
// short ones for the letter lists and long ones for the letter-pair lists.
const std::vector<std::u16string>& misspellings();

// A checker set up once over the fixed dictionary, in a folder of its own.
SpellChecker& fixedChecker();

// Checks the misspellings against `checker`; every suggestion must be a word held
// in one of its lexicon's slots. A damaged posting-list file may make a check raise
// (a QuelmException), which is an answer too.
void exerciseChecker(SpellChecker& checker);
// Fails unless every suggestion is the word of some slot of `checker`'s lexicon.
void expectLexiconWords(const SpellChecker& checker, const std::vector<std::u16string>& suggestions);

// Stops the process in a way every fuzzer and sanitizer reports as a finding.
[[noreturn]] void fail(const char* what);

}  // namespace zabrel::fuzz

// SPDX-License-Identifier: MIT
// config.ini as users edit it: read from the input's bytes, written back (to a
// scratch folder: writing the file is what is tried), and read again.
#include "core/configmanager.h"
#include "core/errors.h"
#include "fixture.h"

using namespace zabrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    ConfigManager first;
    try {
        first.read(ConfigManager::FILE_NAME,
                   DictionaryFiles::inMemory({{ConfigManager::FILE_NAME, fuzz::bytesOf(data, size)}}));
    } catch (const QuelmException&) {
        return 0;
    }
    fuzz::enterScratch();
    if (!first.write())
        fuzz::fail("config.ini could not be written back");
    // What write() puts down must read back as the same nine paths.
    ConfigManager second;
    second.read();
    if (second.initialize != "NO" || second.wordListFilePath != first.wordListFilePath ||
        second.hashTableFilePath != first.hashTableFilePath ||
        second.bigramMatrixFilePath != first.bigramMatrixFilePath ||
        second.bigramPLFilePath != first.bigramPLFilePath ||
        second.unigramListsFilePath != first.unigramListsFilePath ||
        second.unigramPLFilePath != first.unigramPLFilePath ||
        second.urduAlphabetFilePath != first.urduAlphabetFilePath ||
        second.soundexFilePath != first.soundexFilePath || second.shapexFilePath != first.shapexFilePath)
        fuzz::fail("config.ini does not read back as written");
    return 0;
}

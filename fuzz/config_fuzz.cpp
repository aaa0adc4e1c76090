// SPDX-License-Identifier: MIT
// config.ini as users edit it: read, write back, and read again.
#include "core/configmanager.h"
#include "core/errors.h"
#include "fixture.h"

using namespace zabrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fuzz::enterScratch();
    fuzz::writeBytes(ConfigManager::FILE_NAME, data, size);
    ConfigManager first;
    try {
        first.read();
    } catch (const QuelmException&) {
        return 0;
    }
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

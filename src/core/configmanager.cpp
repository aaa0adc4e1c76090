// SPDX-License-Identifier: MIT
#include "core/configmanager.h"

#include <cstdio>
#include <utility>

#include "core/errors.h"
#include "core/filereader.h"
#include "core/filewriter.h"

namespace zabrel {

bool isWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string trim(std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isWhitespace(text[begin]))
        ++begin;
    while (end > begin && isWhitespace(text[end - 1]))
        --end;
    text = text.substr(begin, end - begin);
    return text;
}

std::string* ConfigManager::fieldFor(const std::string& key) {
    const std::pair<const char*, std::string*> fields[] = {
        {"initialize", &initialize},
        {"wordListFilePath", &wordListFilePath},
        {"hashTableFilePath", &hashTableFilePath},
        {"bigramMatrixFilePath", &bigramMatrixFilePath},
        {"bigramPLFilePath", &bigramPLFilePath},
        {"unigramListsFilePath", &unigramListsFilePath},
        {"unigramPLFilePath", &unigramPLFilePath},
        {"urduAlphabetFilePath", &urduAlphabetFilePath},
        {"soundexFilePath", &soundexFilePath},
        {"shapexFilePath", &shapexFilePath},
        {"contextModelFilePath", &contextModelFilePath},
    };
    for (const auto& [name, field] : fields)
        if (key == name)
            return field;
    return nullptr;
}

bool ConfigManager::read() {
    return read(FILE_NAME);
}

bool ConfigManager::read(const std::string& path, const DictionaryFiles& from) {
    FileReader configReader;
    try {
        from.open(configReader, path, true);
    } catch (IOException& ex) {
        annotate(ex, ZABREL_HERE, " Config file not opened sucessfully.");
        throw;
    }
    std::string fieldName;
    std::string fieldValue;
    try {
        while (!configReader.eof()) {
            configReader.requireAtMost(MAX_SETTINGS_FILE_BYTES);
            if (!configReader.readASCII(fieldName, 64, '='))
                continue;
            trim(fieldName);
            // A key without "=" at the end of the file is dropped.
            if (configReader.eof())
                continue;
            if (!configReader.readASCII(fieldValue, 512, '\n'))
                continue;
            trim(fieldValue);
            if (std::string* field = fieldFor(fieldName))
                *field = fieldValue;
        }
        configReader.close();
    } catch (IOException& ex) {
        annotate(ex, ZABREL_HERE, " Config file reading problem occurred.");
        throw;
    }
    return true;
}

bool ConfigManager::write() {
    return write(FILE_NAME);
}

bool ConfigManager::write(const std::string& path) {
    const std::pair<const char*, const std::string*> paths[] = {
        {"wordListFilePath = ", &wordListFilePath},
        {"hashTableFilePath = ", &hashTableFilePath},
        {"bigramMatrixFilePath = ", &bigramMatrixFilePath},
        {"bigramPLFilePath = ", &bigramPLFilePath},
        {"unigramListsFilePath = ", &unigramListsFilePath},
        {"unigramPLFilePath = ", &unigramPLFilePath},
        {"urduAlphabetFilePath = ", &urduAlphabetFilePath},
        {"soundexFilePath = ", &soundexFilePath},
        {"shapexFilePath = ", &shapexFilePath},
    };
    const char endl[2] = {0x0D, 0x0A};

    FileWriter configWriter;
    writeFailure.clear();
    if (!configWriter.openReplacing(path, true)) {
        writeFailure = configWriter.failureReason();
        return false;
    }
    configWriter.writeASCII("initialize = NO");
    configWriter.writeBytes(endl, 2);
    for (const auto& [key, value] : paths) {
        configWriter.writeASCII(key);
        configWriter.writeASCII(*value);
        configWriter.writeBytes(endl, 2);
    }
    if (!contextModelFilePath.empty()) {
        configWriter.writeASCII("contextModelFilePath = ");
        configWriter.writeASCII(contextModelFilePath);
        configWriter.writeBytes(endl, 2);
    }
    const bool written = configWriter.good();
    if (configWriter.close() && written)
        return true;
    writeFailure = configWriter.failureReason();
    return false;
}

}  // namespace zabrel

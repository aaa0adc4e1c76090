// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "cli/linereader.h"
#include "cli/options.h"
#include "cli/pipesession.h"
#include "cli/textreport.h"
#include "documents/officedocument.h"
#include "session/spellersession.h"

namespace zabrel::cli {

constexpr const char* STDIN_NAME = "<stdin>";

struct Input {
    std::string name;            // as the user wrote it, for messages
    std::filesystem::path path;  // absolute; empty for standard input
};

// One run of zabrel-check over its inputs in the mode asked for: files and standard
// input read line by line, documents paragraph by paragraph, and what went wrong told
// on the way, the run going on where it can.
class CheckRun {
public:
    CheckRun(const Settings& settings, SpellerSession& speller);

    // The personal list, and the banner of the pipe mode.
    void start();
    // False when standard output has failed and the run should end.
    bool checkInput(const Input& input);
    // The end of the run: words added in a pipe session are saved.
    void finish();
    // Output that did not reach its reader is no answer: a failed write or final flush
    // ends the run in trouble.
    bool flushOutput();
    int exitStatus() const;

private:
    void complain(const std::string& message);
    bool refusedAsUtf16(LineReader& reader, const std::string& name);
    void checkDescriptor(int fd, const std::string& name);
    void checkDocument(const Input& input, OfficeDocument::Kind kind);
    bool write(const std::string& out);
    bool handlePiece(const std::string& name, std::size_t lineNumber, std::string_view piece, bool lineEnds,
                     std::string& out);
    bool correct(std::string_view piece, std::string& out);
    void badLine(const std::string& name, std::size_t lineNumber, std::string_view piece, std::size_t before);

    Mode mode;
    std::filesystem::path personalFile;
    SpellerSession& speller;
    PipeSession pipe;
    TextReport report;
    bool stdoutIsTerminal;
    std::u16string text;
    bool trouble = false;
    bool quietLines = false;
    int outputError = 0;
};

}  // namespace zabrel::cli

// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace zabrel::test {

struct Outcome {
    int status = -1;  // exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
    long peakKiB = 0;  // the program's peak resident memory
};

// Runs `argv` in `workDir` with standard input from `input` (a file path; empty means
// /dev/null) and HOME and XDG_DATA_HOME pointed into `workDir`, so that nothing the
// program does can reach the real user's files.
using Environment = std::vector<std::pair<std::string, std::string>>;
Outcome runProgram(const std::vector<std::string>& argv, const std::filesystem::path& workDir,
                   const std::string& input = "", const Environment& environment = {});

// A program talked to line by line through pipes, for protocols that must answer
// before their input ends.
class Conversation {
public:
    Conversation(const std::vector<std::string>& argv, const std::filesystem::path& workDir);
    ~Conversation();
    Conversation(const Conversation&) = delete;
    Conversation& operator=(const Conversation&) = delete;

    void send(const std::string& line);
    // Reads until `lines` complete lines have arrived; gives up (returning what came)
    // when the program stays silent for a long while, so a missing flush fails the
    // test instead of hanging it.
    std::string receiveLines(int lines);
    // Closes the program's input and returns its exit status.
    int finish();

private:
    int toChild = -1;
    int fromChild = -1;
    int pid = -1;
    std::string pending;
};

}  // namespace zabrel::test

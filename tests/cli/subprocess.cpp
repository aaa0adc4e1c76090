// SPDX-License-Identifier: MIT
#include "cli/subprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace zabrel::test {

namespace {

constexpr int SILENCE_LIMIT_MS = 30000;

// A home of its own in the working folder, unless `environment` names another.
[[noreturn]] void execute(const std::vector<std::string>& argv, const std::filesystem::path& workDir,
                          const Environment& environment = {}) {
    const std::string home = (workDir / "home").string();
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/share").c_str(), 1);
    for (const auto& [name, value] : environment)
        setenv(name.c_str(), value.c_str(), 1);
    if (chdir(workDir.c_str()) != 0)
        _exit(126);
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int exitStatus(int pid, long* peakKiB = nullptr) {
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status))
        return -1;
    if (peakKiB != nullptr)
        *peakKiB = usage.ru_maxrss;
    return WEXITSTATUS(status);
}

}  // namespace

Outcome runProgram(const std::vector<std::string>& argv, const std::filesystem::path& workDir,
                   const std::string& input, const Environment& environment) {
    const std::filesystem::path outPath = workDir / ".stdout";
    const std::filesystem::path errPath = workDir / ".stderr";
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int in = open(input.empty() ? "/dev/null" : input.c_str(), O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0)
            _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        execute(argv, workDir, environment);
    }
    Outcome outcome;
    outcome.status = exitStatus(pid, &outcome.peakKiB);
    outcome.out = slurp(outPath);
    outcome.err = slurp(errPath);
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return outcome;
}

Conversation::Conversation(const std::vector<std::string>& argv, const std::filesystem::path& workDir) {
    int down[2];
    int up[2];
    if (pipe(down) != 0 || pipe(up) != 0)
        throw std::runtime_error("pipe failed");
    pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(down[0], 0);
        dup2(up[1], 1);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 2);
        close(down[1]);
        close(up[0]);
        execute(argv, workDir);
    }
    close(down[0]);
    close(up[1]);
    toChild = down[1];
    fromChild = up[0];
    // A child that dies early must not kill the test with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
}

Conversation::~Conversation() {
    if (pid > 0) {
        kill(pid, SIGKILL);
        finish();
    }
}

void Conversation::send(const std::string& line) {
    const std::string data = line + "\n";
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(toChild, data.data() + done, data.size() - done);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

std::string Conversation::receiveLines(int lines) {
    std::string got;
    while (lines > 0) {
        const std::size_t end = pending.find('\n');
        if (end != std::string::npos) {
            got += pending.substr(0, end + 1);
            pending.erase(0, end + 1);
            --lines;
            continue;
        }
        pollfd ready{fromChild, POLLIN, 0};
        if (poll(&ready, 1, SILENCE_LIMIT_MS) <= 0)
            break;
        char buffer[4096];
        const ssize_t n = read(fromChild, buffer, sizeof buffer);
        if (n <= 0)
            break;
        pending.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
}

int Conversation::finish() {
    if (toChild >= 0)
        close(toChild);
    toChild = -1;
    if (fromChild >= 0) {
        // Drain what is left, so the program can finish writing and exit normally.
        char buffer[4096];
        while (read(fromChild, buffer, sizeof buffer) > 0) {
        }
        close(fromChild);
    }
    fromChild = -1;
    const int status = pid > 0 ? exitStatus(pid) : -1;
    pid = -1;
    return status;
}

}  // namespace zabrel::test

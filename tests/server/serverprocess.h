// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zabrel::test {

// The real zabrel-server, started on a free port of 127.0.0.1 with HOME and
// XDG_DATA_HOME inside `workDir`; its standard error goes to workDir/server.log.
class ServerProcess {
public:
    ServerProcess(const std::vector<std::string>& arguments, const std::filesystem::path& workDir);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    int port() const { return listening; }
    // The line it printed when ready ("zabrel-server: listening on ...").
    const std::string& banner() const { return ready; }
    // Sends `signal` and waits for the exit: the exit status, or -1 when it died of a
    // signal (or would not end).
    int stop(int signal);
    std::string log() const;
    int pid() const { return child; }

private:
    int child = -1;
    int listening = -1;
    std::string ready;
    std::filesystem::path logFile;
};

// One HTTP exchange on a fresh connection, as raw bytes: `request` is sent whole and the
// answer read until the server closes (the requests say Connection: close).
std::string exchange(int port, const std::string& request);

// A raw POST of `body` with the given Content-Type, closing after the answer.
std::string post(int port, const std::string& path, const std::string& body,
                 const std::string& type = "application/x-www-form-urlencoded",
                 const std::string& extraHeaders = "");

// The body of a raw answer (after the blank line), and its status code.
std::string bodyOf(const std::string& answer);
int statusOf(const std::string& answer);

// Percent-encodes a form value.
std::string formValue(const std::string& text);

// One answer read from a kept-alive connection: the head, and the body its
// Content-Length gives.
std::string readAnswer(int sock);

// A connected TCP socket to 127.0.0.1:port, or -1.
int connectTo(int port);

}  // namespace zabrel::test

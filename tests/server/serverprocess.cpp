// SPDX-License-Identifier: MIT
#include "server/serverprocess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace zabrel::test {

namespace {

// Long enough for a loaded machine under the sanitizers; only a hang reaches it.
constexpr int PATIENCE_MS = 120000;

}  // namespace

ServerProcess::ServerProcess(const std::vector<std::string>& arguments, const std::filesystem::path& workDir)
    : logFile(workDir / "server.log") {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    const std::string home = workDir.string();
    const std::string data = (workDir / "data").string();
    child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        const int err = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(err, STDERR_FILENO);
        // Nothing of ours is inherited: a lock the test runner holds (flock) must not
        // outlive the test in a server it failed to stop.
        ::close_range(3, ~0U, 0);
        // Nor does the server outlive a test killed on its timeout.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::chdir(home.c_str()) != 0)
            ::_exit(126);
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_DATA_HOME", data.c_str(), 1);
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    // The banner, up to its line end; nothing else comes on standard output.
    std::string line;
    char c = 0;
    for (;;) {
        pollfd one{out[0], POLLIN, 0};
        if (::poll(&one, 1, PATIENCE_MS) <= 0 || ::read(out[0], &c, 1) != 1 || c == '\n')
            break;
        line += c;
    }
    ::close(out[0]);
    ready = line;
    const std::size_t colon = line.rfind(':');
    if (line.starts_with("zabrel-server: listening on http://") && colon != std::string::npos)
        listening = std::atoi(line.c_str() + colon + 1);
}

ServerProcess::~ServerProcess() {
    if (child > 0)
        stop(SIGKILL);
}

int ServerProcess::stop(int signal) {
    if (child <= 0)
        return -1;
    ::kill(child, signal);
    int status = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(PATIENCE_MS);
    for (;;) {
        const int done = ::waitpid(child, &status, WNOHANG);
        if (done == child)
            break;
        if (std::chrono::steady_clock::now() > until) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            child = -1;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    child = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ServerProcess::log() const {
    std::ifstream in(logFile);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int connectTo(int port) {
    const int sock = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(sock);
        return -1;
    }
    return sock;
}

std::string exchange(int port, const std::string& request) {
    const int sock = connectTo(port);
    if (sock < 0)
        return "";
    std::size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t n = ::send(sock, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    std::string answer;
    char buffer[65536];
    for (;;) {
        pollfd one{sock, POLLIN, 0};
        if (::poll(&one, 1, PATIENCE_MS) <= 0)
            break;
        const ssize_t n = ::recv(sock, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(sock);
    return answer;
}

std::string post(int port, const std::string& path, const std::string& body, const std::string& type,
                 const std::string& extraHeaders) {
    return exchange(port, "POST " + path +
                              " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\nContent-Type: " + type +
                              "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extraHeaders +
                              "\r\n" + body);
}

std::string readAnswer(int sock) {
    std::string answer;
    char c = 0;
    while (answer.find("\r\n\r\n") == std::string::npos) {
        pollfd one{sock, POLLIN, 0};
        if (::poll(&one, 1, PATIENCE_MS) <= 0 || ::recv(sock, &c, 1, 0) != 1)
            return answer;
        answer += c;
    }
    const std::size_t length = answer.find("Content-Length: ");
    std::size_t left =
        length == std::string::npos ? 0 : std::strtoul(answer.c_str() + length + 16, nullptr, 10);
    char buffer[4096];
    while (left > 0) {
        pollfd one{sock, POLLIN, 0};
        const ssize_t n =
            ::poll(&one, 1, PATIENCE_MS) <= 0 ? 0 : ::recv(sock, buffer, std::min(left, sizeof buffer), 0);
        if (n <= 0)
            break;
        answer.append(buffer, static_cast<std::size_t>(n));
        left -= static_cast<std::size_t>(n);
    }
    return answer;
}

std::string bodyOf(const std::string& answer) {
    const std::size_t end = answer.find("\r\n\r\n");
    return end == std::string::npos ? "" : answer.substr(end + 4);
}

int statusOf(const std::string& answer) {
    return answer.size() > 12 && answer.starts_with("HTTP/1.1 ") ? std::atoi(answer.c_str() + 9) : -1;
}

std::string formValue(const std::string& text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

}  // namespace zabrel::test

// SPDX-License-Identifier: MIT
// zabrel-server against hostile clients: huge bodies, slowloris, malformed forms, NUL
// bytes, ten thousand connections at once and clients gone mid-reply. Each time the
// server answers or cuts the client off, and serves the next one.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "cli/testdictionary.h"
#include "server/serverprocess.h"
#include "support/testsupport.h"

namespace zabrel::test {
namespace {

namespace fs = std::filesystem;

constexpr int PATIENCE_MS = 120000;

class Hostile : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.path() / "dict");
        makeDictionary(dir.path() / "dict", sampleWords());
    }
    void start(std::vector<std::string> extra = {}) {
        extra.insert(extra.begin(),
                     {ZABREL_SERVER_PROGRAM, "--listen", "127.0.0.1:0", "-d", "dict", "--quiet"});
        server = std::make_unique<ServerProcess>(extra, dir.path());
        ASSERT_GT(server->port(), 0) << server->log();
    }
    // The server is alive and answers a check.
    void stillServes() {
        ASSERT_EQ(::kill(server->pid(), 0), 0);
        const std::string answer =
            post(server->port(), "/v2/check", "language=ur&text=" + formValue("سخت بزار"));
        EXPECT_EQ(statusOf(answer), 200) << answer;
        EXPECT_NE(answer.find("ZABREL_UR_SPELLING"), std::string::npos);
    }
    // Sends `head`, then `body` repeated up to `times` while reading; the answer, once
    // the server gives one or closes.
    std::string pushWhileReading(const std::string& head, const std::string& body, std::size_t times) {
        const int sock = connectTo(server->port());
        if (sock < 0)
            return "";
        ::send(sock, head.data(), head.size(), MSG_NOSIGNAL);
        std::string answer;
        std::size_t sentBodies = 0;
        std::size_t offset = 0;
        char buffer[65536];
        for (;;) {
            pollfd one{sock, static_cast<short>(POLLIN | (sentBodies < times ? POLLOUT : 0)), 0};
            if (::poll(&one, 1, PATIENCE_MS) <= 0)
                break;
            if (one.revents & (POLLIN | POLLHUP | POLLERR)) {
                const ssize_t n = ::recv(sock, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                answer.append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            const ssize_t n =
                ::send(sock, body.data() + offset, body.size() - offset, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && errno != EAGAIN)
                sentBodies = times;
            if (n > 0 && (offset += static_cast<std::size_t>(n)) == body.size()) {
                offset = 0;
                ++sentBodies;
            }
        }
        ::close(sock);
        return answer;
    }

    TempDir dir;
    std::unique_ptr<ServerProcess> server;
};

TEST_F(Hostile, a_hundred_megabyte_body_is_refused_with_413_by_length_or_by_chunks) {
    start();
    const std::string megabyte(1 << 20, 'a');
    const std::string refused = R"({"error":"the request body is larger than this server takes"})";
    std::string answer = pushWhileReading(
        "POST /v2/check HTTP/1.1\r\nHost: x\r\nContent-Type: "
        "application/x-www-form-urlencoded\r\nContent-Length: 104857600\r\n\r\n",
        megabyte, 100);
    EXPECT_EQ(statusOf(answer), 413) << answer.substr(0, 300);
    EXPECT_EQ(bodyOf(answer), refused);
    char size[16];
    std::snprintf(size, sizeof size, "%x\r\n", 1 << 20);
    answer = pushWhileReading(
        "POST /v2/check HTTP/1.1\r\nHost: x\r\nContent-Type: "
        "application/x-www-form-urlencoded\r\nTransfer-Encoding: chunked\r\n\r\n",
        size + megabyte + "\r\n", 100);
    EXPECT_EQ(statusOf(answer), 413) << answer.substr(0, 300);
    EXPECT_EQ(bodyOf(answer), refused);
    // The same as multipart.
    const std::string part = "--B\r\nContent-Disposition: form-data; name=\"text\"\r\n\r\n";
    char partSize[16];
    std::snprintf(partSize, sizeof partSize, "%zx\r\n", part.size());
    answer = pushWhileReading(
        "POST /v2/check HTTP/1.1\r\nHost: x\r\nContent-Type: multipart/form-data; boundary=B\r\n"
        "Transfer-Encoding: chunked\r\n\r\n" +
            std::string(partSize) + part + "\r\n",
        size + megabyte + "\r\n", 100);
    EXPECT_EQ(bodyOf(answer), refused);
    EXPECT_EQ(statusOf(answer), 413) << answer.substr(0, 300);
    stillServes();
}

TEST_F(Hostile, slowloris_clients_are_cut_off_and_a_normal_client_is_served_meanwhile) {
    // Two threads, and more slow clients than threads: each would hold a thread for
    // ever, a byte at a time, without the deadline for a whole request.
    start({"--threads", "2", "--request-timeout", "2"});
    constexpr int SLOW = 6;
    std::atomic<int> cutOff{0};
    std::vector<std::thread> slow;
    for (int i = 0; i < SLOW; ++i)
        slow.emplace_back([&] {
            const int sock = connectTo(server->port());
            const std::string dribble =
                "POST /v2/check HTTP/1.1\r\nHost: x\r\nX-Slow: " + std::string(100000, 'a');
            for (char c : dribble) {
                if (::send(sock, &c, 1, MSG_NOSIGNAL) != 1)
                    break;
                pollfd one{sock, POLLIN, 0};
                // The server answering or closing ends the dribble.
                if (::poll(&one, 1, 100) > 0)
                    break;
            }
            cutOff += 1;
            ::close(sock);
        });
    stillServes();
    for (std::thread& thread : slow)
        thread.join();
    EXPECT_EQ(cutOff.load(), SLOW);
    stillServes();
}

TEST_F(Hostile, malformed_multipart_percent_encoding_and_nul_bytes_get_400_or_an_answer_never_a_crash) {
    start();
    const auto multipart = [&](const std::string& type, const std::string& body) {
        return statusOf(post(server->port(), "/v2/check", body, type));
    };
    EXPECT_EQ(multipart("multipart/form-data; boundary=B",
                        "--B\r\nContent-Disposition: form-data; name=\"text\"\r\n"
                        "\r\nabc"),
              400);
    EXPECT_EQ(multipart("multipart/form-data; boundary=B", "garbage without any boundary"), 400);
    EXPECT_EQ(multipart("multipart/form-data; boundary=B", "--B\r\nNo-Disposition\r\n\r\nabc\r\n--B--\r\n"),
              400);
    EXPECT_EQ(multipart("multipart/form-data", "--B\r\n\r\n--B--\r\n"), 400);
    for (const char* form :
         {"%", "%%%%", "language=ur&text=%G0", "language=ur&text=%", "text=%c3%28&language=ur",
          "language=ur&text=%ED%A0%80", "language=ur&text=%F4%90%80%80", "&&&=&=="})
        EXPECT_EQ(statusOf(post(server->port(), "/v2/check", form)), 400) << form;

    // A NUL is a character of the text like another: the word after it is found, in
    // place.
    std::string answer = post(server->port(), "/v2/check",
                              "language=ur&text=" + formValue(std::string("سخت") + '\0' + "بزار"));
    EXPECT_NE(answer.find(R"("offset":4,"length":4)"), std::string::npos) << answer;
    answer = post(
        server->port(), "/v2/check",
        "language=ur&data=" + formValue(R"({"annotation":[{"markup":"\u0000"},{"text":"\u0000بزار"}]})"));
    EXPECT_NE(answer.find(R"("offset":2,"length":4)"), std::string::npos) << answer;
    // In the request line or a header, the library refuses it.
    EXPECT_EQ(statusOf(exchange(server->port(), std::string("GET /v2/lang\0uages HTTP/1.1\r\nHost: x\r\n"
                                                            "Connection: close\r\n\r\n",
                                                            54))),
              400);
    EXPECT_GE(statusOf(exchange(server->port(), std::string("GET /v2/languages HTTP/1.1\r\nHost: x\0y\r\n"
                                                            "Connection: close\r\n\r\n",
                                                            59))),
              200);
    stillServes();
}

int openDescriptors(int pid) {
    int count = 0;
    std::error_code ec;
    for (auto it = fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec);
         !ec && it != fs::directory_iterator(); it.increment(ec))
        ++count;
    return count;
}

TEST_F(Hostile, ten_thousand_connections_at_once_wait_or_are_refused_and_service_goes_on) {
    constexpr int MANY = 10000;
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_max < MANY + 200)
        GTEST_SKIP() << "this system allows " << limit.rlim_max << " open files";
    limit.rlim_cur = limit.rlim_max;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    start();
    const int before = openDescriptors(server->pid());

    std::vector<int> socks;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(server->port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const std::string request = "GET /v2/languages HTTP/1.1\r\nHost: x\r\n\r\n";
    for (int i = 0; i < MANY; ++i) {
        const int sock = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ASSERT_GE(sock, 0) << i;
        ::connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socks.push_back(sock);
    }
    // Those the kernel has taken ask for something; the rest are waiting.
    int connected = 0;
    for (int sock : socks)
        if (::send(sock, request.data(), request.size(), MSG_NOSIGNAL) > 0)
            ++connected;
    EXPECT_GT(connected, 0);
    // The server neither fell over nor took a descriptor a connection.
    ASSERT_EQ(::kill(server->pid(), 0), 0);
    EXPECT_LT(openDescriptors(server->pid()), before + 200);
    for (int sock : socks)
        ::close(sock);
    stillServes();
    EXPECT_EQ(server->stop(SIGTERM), 0);
}

TEST_F(Hostile, clients_gone_mid_reply_leave_the_server_serving) {
    start();
    // A long reply: a few hundred misspelt words, each with its suggestions.
    std::string text;
    for (int i = 0; i < 400; ++i)
        text += "بزار سخت ";
    const std::string body = "language=ur&text=" + formValue(text);
    const std::string request =
        "POST /v2/check HTTP/1.1\r\nHost: x\r\nContent-Type: "
        "application/x-www-form-urlencoded\r\nContent-Length: " +
        std::to_string(body.size()) + "\r\n\r\n" + body;
    for (int round = 0; round < 20; ++round) {
        const int sock = connectTo(server->port());
        ASSERT_GE(sock, 0);
        const int small = 1024;
        ::setsockopt(sock, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        ASSERT_EQ(::send(sock, request.data(), request.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(request.size()));
        char some[100];
        pollfd one{sock, POLLIN, 0};
        ASSERT_GT(::poll(&one, 1, PATIENCE_MS), 0);
        ASSERT_GT(::recv(sock, some, sizeof some, 0), 0);
        // Gone at once, with a reset rather than a close.
        const linger abort{1, 0};
        ::setsockopt(sock, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        ::close(sock);
    }
    stillServes();
    EXPECT_EQ(server->stop(SIGTERM), 0);
}

}  // namespace
}  // namespace zabrel::test

// SPDX-License-Identifier: MIT
#include "server/connections.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zabrel::server {

namespace {

using Clock = std::chrono::steady_clock;

// Set when this thread's last response refused its request: what follows such a
// request on the connection (the rest of a refused body, say) is no request, so the
// connection ends there.
thread_local bool refused = false;

std::string addressOf(const sockaddr_storage& address, int& port) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto& in = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &in.sin_addr, text, sizeof text);
        port = ntohs(in.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& in6 = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &in6.sin6_addr, text, sizeof text);
        port = ntohs(in6.sin6_port);
    }
    return text;
}

// The library's Stream over one accepted socket, every wait bounded by the idle time
// and, while a request is read, by the request's deadline.
class DeadlineStream : public httplib::Stream {
public:
    DeadlineStream(int sock, const ConnectionLimits& limits) : sock(sock), limits(limits) {}

    void startRequest() { deadline = Clock::now() + limits.requestDeadline; }

    bool is_readable() const override { return bufferedFrom < bufferedTo || wait(POLLIN); }
    bool is_writable() const override { return wait(POLLOUT); }

    // The library reads the head a byte at a time: it is served from a buffer.
    ssize_t read(char* ptr, size_t size) override {
        if (bufferedFrom == bufferedTo) {
            if (!wait(POLLIN))
                return -1;
            ssize_t got;
            do
                got = ::recv(sock, buffer, sizeof buffer, 0);
            while (got < 0 && errno == EINTR);
            if (got <= 0)
                return got;
            bufferedFrom = 0;
            bufferedTo = static_cast<std::size_t>(got);
        }
        const std::size_t taken = std::min(size, bufferedTo - bufferedFrom);
        std::memcpy(ptr, buffer + bufferedFrom, taken);
        bufferedFrom += taken;
        return static_cast<ssize_t>(taken);
    }
    bool buffered() const { return bufferedFrom < bufferedTo; }

    ssize_t write(const char* ptr, size_t size) override {
        if (!wait(POLLOUT))
            return -1;
        ssize_t sent;
        // A client gone mid-reply is an error here, never a SIGPIPE.
        do
            sent = ::send(sock, ptr, size, MSG_NOSIGNAL);
        while (sent < 0 && errno == EINTR);
        return sent;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t size = sizeof address;
        if (::getpeername(sock, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            ip = addressOf(address, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t size = sizeof address;
        if (::getsockname(sock, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            ip = addressOf(address, port);
    }
    socket_t socket() const override { return sock; }

    // Whether the next request begins within `wait`, or the server stops first.
    bool awaitRequest(std::chrono::milliseconds most, const std::atomic<bool>& finishing) const {
        const Clock::time_point until = Clock::now() + most;
        for (;;) {
            // What has arrived is served even when the server is finishing.
            if (buffered())
                return true;
            pollfd one{sock, POLLIN, 0};
            const int ready = ::poll(&one, 1, 50);
            if (ready > 0)
                return true;
            if ((ready < 0 && errno != EINTR) || finishing.load() || Clock::now() >= until)
                return false;
        }
    }

private:
    bool wait(short events) const {
        const Clock::time_point now = Clock::now();
        auto most = limits.idle;
        // The deadline holds for reading the request; the reply has the idle time.
        if (events == POLLIN) {
            if (now >= deadline)
                return false;
            most = std::min(most, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now) +
                                      std::chrono::milliseconds(1));
        }
        pollfd one{sock, events, 0};
        int ready;
        do
            ready = ::poll(&one, 1, static_cast<int>(most.count()));
        while (ready < 0 && errno == EINTR);
        return ready > 0;
    }

    int sock;
    const ConnectionLimits& limits;
    Clock::time_point deadline = Clock::now();
    char buffer[4096];
    std::size_t bufferedFrom = 0;
    std::size_t bufferedTo = 0;
};

// A connection closed with bytes of the client's unread would be reset, and the reset
// can take our answer with it (a 413 for a body the client is still sending): the
// server says it is done, and reads what comes for a moment, then closes.
void lingerAndClose(int sock) {
    ::shutdown(sock, SHUT_WR);
    const Clock::time_point until = Clock::now() + std::chrono::milliseconds(500);
    char sink[16384];
    std::size_t drained = 0;
    while (drained < (std::size_t{4} << 20) && Clock::now() < until) {
        pollfd one{sock, POLLIN, 0};
        if (::poll(&one, 1, 100) <= 0)
            break;
        const ssize_t n = ::recv(sock, sink, sizeof sink, 0);
        if (n <= 0)
            break;
        drained += static_cast<std::size_t>(n);
    }
    ::close(sock);
}

}  // namespace

GuardedServer::GuardedServer(ConnectionLimits limits) : limits(limits) {
    new_task_queue = [this] { return new BoundedPool(this->limits.threads, this->limits.waiting); };
    // What the library says in its Keep-Alive header.
    set_keep_alive_max_count(limits.requestsPerConnection);
    set_keep_alive_timeout(std::chrono::duration_cast<std::chrono::seconds>(limits.keepAlive).count());
    setLogger({});
}

void GuardedServer::setLogger(httplib::Logger wanted) {
    logger = std::move(wanted);
    set_logger([this](const httplib::Request& req, const httplib::Response& res) {
        refused = res.status >= 400;
        if (logger)
            logger(req, res);
    });
}

void GuardedServer::finish() {
    finishing = true;
    stop();
}

bool GuardedServer::process_and_close_socket(socket_t sock) {
    DeadlineStream stream(sock, limits);
    bool closed = false;
    bool served = true;
    for (std::size_t n = 0; served && !closed && n < limits.requestsPerConnection; ++n) {
        if (n > 0 && !stream.awaitRequest(limits.keepAlive, finishing))
            break;
        stream.startRequest();
        refused = false;
        const bool last = n + 1 == limits.requestsPerConnection || finishing.load();
        served = process_request(stream, last, closed, [&](httplib::Request& request) {
            stream.get_remote_ip_and_port(request.remote_addr, request.remote_port);
        });
        served = served && !refused;
    }
    lingerAndClose(sock);
    return served;
}

BoundedPool::BoundedPool(std::size_t count, std::size_t waiting) : bound(waiting == 0 ? 1 : waiting) {
    for (std::size_t i = 0; i < (count == 0 ? 1 : count); ++i)
        threads.emplace_back([this] { work(); });
}

BoundedPool::~BoundedPool() {
    shutdown();
}

void BoundedPool::enqueue(std::function<void()> fn) {
    std::unique_lock lock(mutex);
    room.wait(lock, [this] { return jobs.size() < bound || stopping; });
    jobs.push_back(std::move(fn));
    ready.notify_one();
}

void BoundedPool::shutdown() {
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    ready.notify_all();
    room.notify_all();
    for (std::thread& thread : threads)
        if (thread.joinable())
            thread.join();
}

void BoundedPool::work() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex);
            ready.wait(lock, [this] { return !jobs.empty() || stopping; });
            // The connections already accepted are served before the threads end.
            if (jobs.empty())
                return;
            job = std::move(jobs.front());
            jobs.pop_front();
        }
        room.notify_one();
        job();
    }
}

}  // namespace zabrel::server

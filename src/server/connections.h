// SPDX-License-Identifier: MIT
#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zabrel::server {

// How long a client may take, and how many are served at once.
struct ConnectionLimits {
    // Threads answering connections; each connection holds one while it is served.
    std::size_t threads = 8;
    // Accepted connections waiting for a thread; past them the server stops accepting
    // until one is free (new clients wait in the kernel's queue, or are refused there).
    std::size_t waiting = 64;
    // A whole request, headers and body, must arrive within this, whatever the pace of
    // its bytes: a client that sends a byte now and then (slowloris) is cut off.
    std::chrono::milliseconds requestDeadline{15000};
    // A read or a write that makes no progress for this long ends the connection.
    std::chrono::milliseconds idle{5000};
    // A kept-alive connection waits this long for its next request.
    std::chrono::milliseconds keepAlive{5000};
    std::size_t requestsPerConnection = 100;
};

// cpp-httplib's server with connections held to ConnectionLimits: its own reading of
// the socket (with a deadline for the whole request, which the library's per-read
// timeout is not) and a bounded queue of accepted connections. The HTTP itself, the
// routing and the forms are the library's.
class GuardedServer : public httplib::Server {
public:
    explicit GuardedServer(ConnectionLimits limits);
    // Ends the listening; the connections being served finish their request.
    void finish();
    // Called with each request and its response, as the library's logger.
    void setLogger(httplib::Logger logger);

private:
    bool process_and_close_socket(socket_t sock) override;
    ConnectionLimits limits;
    httplib::Logger logger;
    std::atomic<bool> finishing{false};
};

// A fixed set of threads over a bounded queue: enqueue() waits while the queue is full,
// so the listening loop stops accepting instead of piling up sockets.
class BoundedPool : public httplib::TaskQueue {
public:
    BoundedPool(std::size_t threads, std::size_t waiting);
    ~BoundedPool() override;
    void enqueue(std::function<void()> fn) override;
    void shutdown() override;

private:
    void work();
    std::size_t bound;
    std::deque<std::function<void()>> jobs;
    bool stopping = false;
    std::mutex mutex;
    std::condition_variable ready;
    std::condition_variable room;
    std::vector<std::thread> threads;
};

}  // namespace zabrel::server

#pragma once
// A small HTTP/1.1 server on 127.0.0.1 (or on 127.0.0.1 to 127.0.0.n, one port) for tests and
// benchmarks of the URL probe and the link checker: each path gets a scripted reply, every
// request head is recorded, one thread per connection, concurrent connections counted.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace mv::test {

class LoopbackHttpServer {
public:
    struct Reply {
        // Sent as soon as the request head is read: status line, headers, blank line and any
        // body. Empty: the server never answers.
        std::string head;
        // After `head`, body bytes are sent in small portions until the client goes away.
        bool endlessBody = false;
        // After sending, the connection stays open until the client closes it or the server
        // stops (a server that stalls).
        bool holdOpen = false;
        // Called on the connection's thread once the request head is read, before anything is
        // sent: a test can hold the reply here until it has done something meanwhile. It must
        // return within a bounded time; the server's destructor waits for it.
        std::function<void()> beforeReply = {};
    };

    // Listens on 127.0.0.1 to 127.0.0.`addresses`, all on the same port.
    explicit LoopbackHttpServer(int addresses = 1) {
        for (int a = 1; a <= addresses; ++a) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (fd >= 0) listeners_.push_back(fd);
            sockaddr_in addr{};
            addr.sin_family = AF_INET;
            addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK - 1 + std::uint32_t(a));
            addr.sin_port = htons(port_);
            socklen_t len = sizeof addr;
            if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
                ::listen(fd, 256) != 0 ||
                ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
                for (const int l : listeners_)
                    ::close(l);
                throw std::runtime_error("loopback server: cannot listen");
            }
            port_ = ntohs(addr.sin_port);
        }
        acceptor_ = std::thread([this] { acceptLoop(); });
    }

    ~LoopbackHttpServer() {
        stop_ = true;
        acceptor_.join();
        for (auto& worker : workers_)
            worker.thread.join();
        for (const int l : listeners_)
            ::close(l);
    }

    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    std::uint16_t port() const { return port_; }
    std::string url(std::string_view path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
    }

    // The reply for `path`; "*" is the reply for any path without one of its own.
    void route(const std::string& path, Reply reply) {
        std::lock_guard lock(mutex_);
        routes_[path] = std::move(reply);
    }
    // The reply for `path` asked with `method` ("HEAD"), before the one for any method.
    void route(const std::string& method, const std::string& path, Reply reply) {
        route(method + " " + path, std::move(reply));
    }

    // Request heads (request line and header lines) in order of arrival.
    std::vector<std::string> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    int connections() const { return connections_; }
    // The most requests that were waiting for their reply at one time (from the arrival of the
    // request head to the start of the reply, so a client cannot have started the next).
    int maxConcurrent() const { return maxConcurrent_; }
    std::uint64_t endlessBytesSent() const { return endlessBytesSent_; }

private:
    static bool waitFor(int fd, short events, const std::atomic<bool>& stop) {
        pollfd p{fd, events, 0};
        while (!stop) {
            const int n = ::poll(&p, 1, 20);
            if (n > 0) return true;
            if (n < 0 && errno != EINTR) return false;
        }
        return false;
    }

    void acceptLoop() {
        std::vector<pollfd> polls;
        for (const int l : listeners_)
            polls.push_back({l, POLLIN, 0});
        while (!stop_) {
            const int n = ::poll(polls.data(), polls.size(), 20);
            if (n < 0 && errno != EINTR) return;
            for (pollfd& p : polls)
                if (p.revents & POLLIN) accept(p.fd);
        }
    }

    void accept(int listener) {
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) return;
        ++connections_;
        std::lock_guard lock(mutex_);
        // Join the finished ones, so a long benchmark does not pile up thread stacks.
        std::erase_if(workers_, [](Worker& w) {
            if (!*w.done) return false;
            w.thread.join();
            return true;
        });
        auto done = std::make_shared<std::atomic<bool>>(false);
        workers_.push_back({std::thread([this, fd, done] {
                                serve(fd);
                                ::close(fd);
                                *done = true;
                            }),
                            done});
    }

    bool sendAll(int fd, std::string_view data) {
        while (!data.empty()) {
            if (!waitFor(fd, POLLOUT, stop_)) return false;
            const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            if (n <= 0) return false;
            data.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }

    void serve(int fd) {
        std::string head;
        char buffer[4096];
        while (head.find("\r\n\r\n") == std::string::npos) {
            if (!waitFor(fd, POLLIN, stop_)) return;
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) return;
            head.append(buffer, static_cast<size_t>(n));
        }
        head.resize(head.find("\r\n\r\n"));
        Reply reply{"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"};
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(head);
            const auto start = head.find(' ') + 1;
            const std::string path = head.substr(start, head.find(' ', start) - start);
            const std::string method = head.substr(0, start - 1);
            for (const std::string& key : {method + " " + path, path, std::string("*")}) {
                const auto found = routes_.find(key);
                if (found == routes_.end()) continue;
                reply = found->second;
                break;
            }
        }
        const int waiting = ++waiting_;
        for (int seen = maxConcurrent_; waiting > seen;)
            if (maxConcurrent_.compare_exchange_weak(seen, waiting)) break;
        if (reply.beforeReply) reply.beforeReply();
        --waiting_;
        if (!sendAll(fd, reply.head)) return;
        if (reply.endlessBody) {
            const std::string portion(64 * 1024, 'x');
            while (sendAll(fd, portion)) {
                endlessBytesSent_ += portion.size();
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        }
        if (reply.holdOpen) {
            while (waitFor(fd, POLLIN, stop_) && ::recv(fd, buffer, sizeof buffer, 0) > 0) {
            }
        }
    }

    std::vector<int> listeners_;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::atomic<int> waiting_{0};
    std::atomic<int> maxConcurrent_{0};
    std::atomic<std::uint64_t> endlessBytesSent_{0};
    mutable std::mutex mutex_;
    std::map<std::string, Reply> routes_;
    std::vector<std::string> requests_;
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Worker> workers_;
    std::thread acceptor_;
};

} // namespace mv::test

#pragma once
// A stand-in for the way between a station and its database server, on a Unix socket of its own: it passes
// everything through until told to go silent. Then it cuts the links it carries, and from then on takes
// every new connection and never says a word on it, as a server that hangs or a network that swallows
// packets would. Told to answer again, it drops the silent connections and passes new ones through.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace lichuan::test {

class SilentProxy {
public:
    // Passes connections to the server socket `target` (a path); libpq finds the proxy as host=folder().
    explicit SilentProxy(const QString& target) : target_(target.toLocal8Bit()) {
        listener_ = listenAt(dir_.filePath(QStringLiteral(".s.PGSQL.5432")).toLocal8Bit());
        if (listener_ >= 0 && ::pipe(wake_) == 0)
            thread_ = std::thread([this] { run(); });
    }
    ~SilentProxy() {
        stop_ = true;
        wake();
        if (thread_.joinable())
            thread_.join();
        for (const auto& [a, b] : links_) {
            ::close(a);
            ::close(b);
        }
        for (const int fd : silent_)
            ::close(fd);
        for (const int fd : {listener_, wake_[0], wake_[1]}) {
            if (fd >= 0)
                ::close(fd);
        }
    }
    SilentProxy(const SilentProxy&) = delete;
    SilentProxy& operator=(const SilentProxy&) = delete;

    bool isValid() const { return thread_.joinable(); }
    QString folder() const { return dir_.path(); }
    void goSilent() { setSilent(true); }
    void answerAgain() { setSilent(false); }

private:
    static int listenAt(const QByteArray& path) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (fd < 0 || path.size() >= qsizetype(sizeof address.sun_path))
            return -1;
        std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    }

    int connectToTarget() const {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, target_.constData(),
                    std::min(std::size_t(target_.size()), sizeof address.sun_path - 1));
        if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    }

    // Returns once the proxy's thread has taken the change in.
    void setSilent(bool silent) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            silentMode_ = silent;
            changed_ = true;
        }
        wake();
        for (;;) {
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                if (!changed_)
                    return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    void wake() {
        if (wake_[1] >= 0) {
            const char byte = 0;
            [[maybe_unused]] const ssize_t written = ::write(wake_[1], &byte, 1);
        }
    }

    void closeAll(std::vector<std::pair<int, int>>& links) {
        for (const auto& [a, b] : links) {
            ::close(a);
            ::close(b);
        }
        links.clear();
    }

    void run() {
        bool silent = false;
        while (!stop_) {
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                if (changed_) {
                    changed_ = false;
                    silent = silentMode_;
                    if (silent) {
                        closeAll(links_);
                    } else {
                        for (const int fd : silent_)
                            ::close(fd);
                        silent_.clear();
                    }
                }
            }
            std::vector<pollfd> watched{{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
            for (const auto& [a, b] : links_) {
                watched.push_back({a, POLLIN, 0});
                watched.push_back({b, POLLIN, 0});
            }
            if (::poll(watched.data(), watched.size(), 1000) <= 0)
                continue;
            if (watched[0].revents) {
                char buffer[64];
                [[maybe_unused]] const ssize_t drained = ::read(wake_[0], buffer, sizeof buffer);
            }
            if (watched[1].revents & POLLIN) {
                const int client = ::accept(listener_, nullptr, nullptr);
                if (client >= 0 && silent) {
                    silent_.push_back(client);
                } else if (client >= 0) {
                    const int server = connectToTarget();
                    if (server >= 0)
                        links_.emplace_back(client, server);
                    else
                        ::close(client);
                }
            }
            std::vector<std::pair<int, int>> kept;
            for (std::size_t k = 0; k < links_.size(); ++k) {
                const auto [a, b] = links_[k];
                const bool ok = pass(watched[2 + 2 * k], a, b) && pass(watched[3 + 2 * k], b, a);
                if (ok) {
                    kept.emplace_back(a, b);
                } else {
                    ::close(a);
                    ::close(b);
                }
            }
            links_ = std::move(kept);
        }
    }

    // Passes what `from` has to `to`; false when the link has ended.
    static bool pass(const pollfd& watched, int from, int to) {
        if (!(watched.revents & (POLLIN | POLLHUP | POLLERR)))
            return true;
        char buffer[16384];
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        for (ssize_t sent = 0; sent < got;) {
            const ssize_t n = ::write(to, buffer + sent, std::size_t(got - sent));
            if (n <= 0)
                return false;
            sent += n;
        }
        return true;
    }

    QTemporaryDir dir_;
    QByteArray target_;
    int listener_ = -1;
    int wake_[2] = {-1, -1};
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    bool silentMode_ = false;
    bool changed_ = false;
    std::vector<std::pair<int, int>> links_; // client, server (the proxy's thread only)
    std::vector<int> silent_;                // connections taken and never answered
};

} // namespace lichuan::test

#include "StatusClient.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace hoststatus {

namespace {
using Clock = std::chrono::steady_clock;

// A non-blocking socket connected to `path`; -1 with errno set (EAGAIN: a full backlog).
int connectTo(const std::string& path) {
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
    const int why = errno;
    ::close(fd);
    errno = why;
    return -1;
}

// Waits for `events` until `deadline`; false when it passed.
bool await(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}
} // namespace

std::string statusPathFor(const std::string& socketPath) {
    return socketPath + ".status";
}

Answer askStatus(const std::string& path, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    Answer answer;
    int fd = connectTo(path);
    // A host whose backlog is full is busy, not gone: it may take us before the deadline.
    while (fd < 0 && errno == EAGAIN && Clock::now() < deadline) {
        ::poll(nullptr, 0, 10);
        fd = connectTo(path);
    }
    if (fd < 0) {
        answer.reached = errno == EAGAIN         ? Reached::TimedOut
                         : errno == ENOENT       ? Reached::NoSocket
                         : errno == ECONNREFUSED ? Reached::Refused
                                                 : Reached::Failed;
        answer.error = std::strerror(errno);
        return answer;
    }
    const std::string request = kRequest;
    size_t sent = 0;
    std::string reply;
    answer.reached = Reached::TimedOut;
    while (sent < request.size() && await(fd, POLLOUT, deadline)) {
        const ssize_t n =
            ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) sent += size_t(n);
        if (n < 0 && errno != EAGAIN && errno != EINTR) break;
    }
    char chunk[4096];
    while (sent == request.size() && await(fd, POLLIN, deadline)) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) {
            // The host hangs up after its one reply: a reply is whole once it ends in a newline.
            if (n == 0 && !reply.empty() && reply.back() == '\n') {
                reply.pop_back();
                answer.reached = Reached::Answered;
                answer.text = std::move(reply);
            } else {
                answer.reached = Reached::Failed;
                answer.error = n == 0 ? "the host hung up before a whole reply"
                                      : std::string(std::strerror(errno));
            }
            break;
        }
        reply.append(chunk, size_t(n));
        if (reply.size() > kMaxReplyBytes) {
            answer.reached = Reached::Failed;
            answer.error = "the reply is longer than " + std::to_string(kMaxReplyBytes) + " bytes";
            break;
        }
    }
    if (answer.reached == Reached::TimedOut)
        answer.error = "no reply within " + std::to_string(timeout.count()) + " ms";
    ::close(fd);
    return answer;
}

bool answersAt(const std::string& path) {
    const int fd = connectTo(path);
    if (fd < 0) return errno == EAGAIN;
    ::close(fd);
    return true;
}

} // namespace hoststatus

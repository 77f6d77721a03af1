#include "SdkClient.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace orgb {

namespace {
using Clock = SdkClient::Clock;

int millisLeft(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(std::min<long long>(left, 60000));
}

std::vector<uint8_t> u32Payload(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

uint32_t readU32(const std::vector<uint8_t>& p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
} // namespace

// A name lookup may wait on a name server for as long as that likes, so it runs on a thread
// of its own that a stop or a timeout leaves behind; it owns its result and frees it.
struct SdkClient::Lookup {
    std::string host, service;
    int done = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    std::atomic<bool> finished{false};
    int rc = 0;
    addrinfo* found = nullptr;
    ~Lookup() {
        if (found) ::freeaddrinfo(found);
        if (done >= 0) ::close(done);
    }
};

SdkClient::SdkClient() : interrupted_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

SdkClient::~SdkClient() {
    close();
    if (interrupted_ >= 0) ::close(interrupted_);
}

void SdkClient::interrupt() {
    ::eventfd_write(interrupted_, 1);
}

bool SdkClient::interrupted() const {
    pollfd p{interrupted_, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
}

void SdkClient::resume(Clock::time_point limit) {
    eventfd_t count;
    ::eventfd_read(interrupted_, &count);
    limit_ = limit;
}

bool SdkClient::fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    close();
    return false;
}

void SdkClient::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

int SdkClient::wait(int fd, short events, Clock::time_point deadline, std::string* error) const {
    deadline = std::min(deadline, limit_);
    for (;;) {
        pollfd p[] = {{fd, events, 0}, {interrupted_, POLLIN, 0}};
        const int ready = ::poll(p, 2, millisLeft(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || p[1].revents) {
            if (error)
                *error = ready < 0 ? std::string("poll: ") + std::strerror(errno) : "stopped";
            return -1;
        }
        if (ready > 0) return 1;
        if (Clock::now() >= deadline) {
            if (error) *error = "timed out";
            return 0;
        }
    }
}

std::shared_ptr<SdkClient::Lookup> SdkClient::resolve(const std::string& host, int port,
                                                      std::string* error) {
    const std::string service = std::to_string(port);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    // An address in figures needs no name server: answered at once, on this thread.
    auto numeric = std::make_shared<Lookup>();
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &numeric->found) == 0) return numeric;
    // One lookup at a time: a name server that never answers costs one thread, not one an
    // attempt.
    if (!lookup_ || lookup_->host != host || lookup_->service != service) {
        lookup_ = std::make_shared<Lookup>();
        lookup_->host = host;
        lookup_->service = service;
        std::thread([lookup = lookup_, hints] {
            addrinfo named = hints;
            named.ai_flags = 0;
            lookup->rc = ::getaddrinfo(lookup->host.c_str(), lookup->service.c_str(), &named,
                                       &lookup->found);
            lookup->finished.store(true, std::memory_order_release);
            ::eventfd_write(lookup->done, 1);
        }).detach();
    }
    std::string why;
    if (wait(lookup_->done, POLLIN, Clock::now() + connectTimeout, &why) <= 0) {
        if (error) *error = host + ": name lookup " + why;
        return nullptr;
    }
    if (!lookup_->finished.load(std::memory_order_acquire)) return nullptr;
    auto done = std::exchange(lookup_, nullptr);
    if (done->rc == 0) return done;
    if (error) *error = host + ": " + gai_strerror(done->rc);
    return nullptr;
}

bool SdkClient::connectTo(const addrinfo& a, Clock::time_point deadline, std::string* why) {
    fd_ = ::socket(a.ai_family, a.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a.ai_protocol);
    if (fd_ < 0) return fail(why, std::strerror(errno));
    if (::connect(fd_, a.ai_addr, a.ai_addrlen) != 0 && errno != EINPROGRESS)
        return fail(why, std::strerror(errno));
    if (wait(fd_, POLLOUT, deadline, why) <= 0) return fail(why, "connect " + *why);
    int err = 0;
    socklen_t size = sizeof err;
    ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &size);
    return err == 0 || fail(why, std::strerror(err));
}

bool SdkClient::open(const std::string& host, int port, std::string* error, uint32_t highest) {
    highest = std::min(highest, kClientProtocolVersion);
    close();
    listChanged_ = false;
    const auto addresses = resolve(host, port, error);
    if (!addresses) return false;
    const auto deadline = Clock::now() + connectTimeout;
    std::string why = "no address";
    for (addrinfo* a = addresses->found; a && fd_ < 0 && !interrupted(); a = a->ai_next)
        connectTo(*a, deadline, &why);
    if (fd_ < 0) return fail(error, why);
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);

    // A server older than version 1 does not know this request and never answers it.
    bool timedOut = false;
    const auto reply = request(0, kRequestProtocolVersion, u32Payload(highest), error, &timedOut);
    if (reply) {
        if (reply->size() < 4) return fail(error, "short protocol version reply");
        version_ = std::min(readU32(*reply), highest);
    } else if (timedOut && connected()) {
        version_ = 0;
    } else {
        return false;
    }
    static constexpr char kName[] = "Ember Talon corvane-host";
    return send(0, kSetClientName, std::span(reinterpret_cast<const uint8_t*>(kName), sizeof kName),
                error);
}

std::optional<uint32_t> SdkClient::controllerCount(std::string* error) {
    const auto reply = request(0, kRequestControllerCount, {}, error);
    if (!reply) return std::nullopt;
    if (reply->size() < 4) {
        fail(error, "short controller count reply");
        return std::nullopt;
    }
    return readU32(*reply);
}

std::optional<Device> SdkClient::controllerData(uint32_t index, std::string* error) {
    auto reply = request(index, kRequestControllerData, u32Payload(version_), error);
    if (!reply) return std::nullopt;
    std::string why;
    auto device = parseDevice(*reply, version_, &why);
    // 0.9 can also put a notice inside a long body it is still writing: a description that
    // does not parse is tried again without it and with the 16 bytes that follow.
    static const std::vector<uint8_t> notice = packet(0, kDeviceListUpdated);
    for (int skipped = 0; !device && connected() && skipped < kDrainPackets; ++skipped) {
        const auto at = std::search(reply->begin(), reply->end(), notice.begin(), notice.end());
        if (at == reply->end()) break;
        const size_t kept = reply->size() - notice.size();
        reply->erase(at, at + long(notice.size()));
        reply->resize(kept + notice.size());
        bool timedOut = false;
        if (!readExact(reply->data() + kept, notice.size(), Clock::now() + replyTimeout, &why,
                       &timedOut))
            break;
        listChanged_ = true;
        device = parseDevice(*reply, version_, &why);
    }
    if (!device) fail(error, "device " + std::to_string(index) + ": " + why);
    return device;
}

bool SdkClient::send(uint32_t device, uint32_t id, std::span<const uint8_t> payload,
                     std::string* error) {
    if (fd_ < 0) return fail(error, "not connected");
    const auto bytes = packet(device, id, payload);
    const auto deadline = Clock::now() + sendTimeout;
    std::string why;
    for (size_t sent = 0; sent < bytes.size();) {
        const ssize_t n =
            ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return fail(error, std::string("send: ") + std::strerror(errno));
        } else if (wait(fd_, POLLOUT, deadline, &why) <= 0) {
            // Half a packet sent: the stream cannot go on.
            return fail(error, "send " + why);
        }
    }
    return true;
}

bool SdkClient::drain(std::string* error) {
    Header header;
    std::vector<uint8_t> payload;
    const auto until = Clock::now() + kDrainTime;
    for (int n = 0; n < kDrainPackets && Clock::now() < until; ++n) {
        const auto now = Clock::now();
        const int rc = readPacket(header, payload, now, now + replyTimeout, error);
        if (rc == 1) return true;
        if (rc < 0) return false;
        if (header.id == kDeviceListUpdated) listChanged_ = true;
    }
    return true;
}

std::optional<std::vector<uint8_t>> SdkClient::request(uint32_t device, uint32_t id,
                                                       std::span<const uint8_t> payload,
                                                       std::string* error, bool* timedOut) {
    if (!send(device, id, payload, error)) return std::nullopt;
    // The reply must be whole by the deadline, however many other packets come first.
    const auto deadline = Clock::now() + replyTimeout;
    Header header;
    std::vector<uint8_t> reply;
    for (;;) {
        const int rc =
            Clock::now() >= deadline ? 1 : readPacket(header, reply, deadline, deadline, error);
        if (rc == 1) {
            if (timedOut) *timedOut = true;
            if (error) *error = "no reply to request " + std::to_string(id);
            return std::nullopt;
        }
        if (rc < 0) return std::nullopt;
        // Notices may come between a request and its reply; anything else unasked is skipped.
        if (header.id == kDeviceListUpdated) listChanged_ = true;
        if (header.id == id && header.device == device) return reply;
    }
}

int SdkClient::readPacket(Header& header, std::vector<uint8_t>& payload, Clock::time_point first,
                          Clock::time_point rest, std::string* error) {
    if (fd_ < 0) return fail(error, "not connected"), -1;
    std::array<uint8_t, kHeaderSize> raw{};
    bool timedOut = false;
    std::string why;
    if (!readExact(raw.data(), 1, first, &why, &timedOut)) {
        if (timedOut) return 1;
        return fail(error, why), -1;
    }
    if (!readExact(raw.data() + 1, kHeaderSize - 1, rest, &why, &timedOut))
        return fail(error, "packet header cut short: " + why), -1;
    const auto parsed = parseHeader(raw);
    if (!parsed) return fail(error, "malformed packet header"), -1;
    header = *parsed;
    payload.assign(header.size, 0);
    if (header.size && !readExact(payload.data(), header.size, rest, &why, &timedOut))
        return fail(error, "packet cut short: " + why), -1;
    return header.id == kDeviceListUpdated || skipNotices(payload, rest, error) ? 0 : -1;
}

// OpenRGB 0.9 writes a reply's header and body in two sends, unlocked: a device-list notice
// that another of its threads sends can fall between them. No reply body starts with the
// notice's bytes (not even its first four: no count, version or description size is
// "ORGB"), so one found there is taken out and the body read on.
bool SdkClient::skipNotices(std::vector<uint8_t>& body, Clock::time_point rest,
                            std::string* error) {
    static const std::vector<uint8_t> notice = packet(0, kDeviceListUpdated);
    for (int skipped = 0; !body.empty() && skipped < kDrainPackets; ++skipped) {
        const size_t head = std::min(body.size(), notice.size());
        if (!std::equal(body.begin(), body.begin() + long(head), notice.begin())) return true;
        std::array<uint8_t, kHeaderSize> tail{};
        std::string why;
        bool timedOut = false;
        if (!readExact(tail.data(), notice.size() - head, rest, &why, &timedOut))
            return fail(error, "packet cut short: " + why);
        if (!std::equal(notice.begin() + long(head), notice.end(), tail.begin()))
            return fail(error, "malformed packet inside a reply");
        listChanged_ = true;
        body.erase(body.begin(), body.begin() + long(head));
        body.resize(body.size() + head);
        if (!readExact(body.data() + body.size() - head, head, rest, &why, &timedOut))
            return fail(error, "packet cut short: " + why);
    }
    return true;
}

// `why` is always given; false with *timedOut when nothing more came by `deadline`.
bool SdkClient::readExact(uint8_t* out, size_t size, Clock::time_point deadline, std::string* why,
                          bool* timedOut) {
    size_t got = 0;
    while (got < size) {
        const int ready = wait(fd_, POLLIN, deadline, why);
        if (ready == 0) {
            *timedOut = true;
            return false;
        }
        if (ready < 0) return fail(why, *why);
        const ssize_t n = ::recv(fd_, out + got, size - got, MSG_DONTWAIT);
        // OpenRGB writes a reply's header and body separately without TCP_NODELAY: an
        // acknowledgement held back by the kernel would delay every body by 40 ms.
        const int one = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
        if (n == 0) return fail(why, "server closed the connection");
        if (n < 0) return fail(why, std::string("recv: ") + std::strerror(errno));
        got += static_cast<size_t>(n);
    }
    return true;
}

} // namespace orgb

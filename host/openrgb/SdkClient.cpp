#include "SdkClient.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orgb {

namespace {
using Clock = std::chrono::steady_clock;

int millisLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
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

bool SdkClient::fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    close();
    return false;
}

void SdkClient::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool SdkClient::open(const std::string& host, int port, std::string* error, uint32_t highest) {
    highest = std::min(highest, kClientProtocolVersion);
    close();
    listChanged_ = false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found); rc != 0)
        return fail(error, host + ": " + gai_strerror(rc));
    std::string why = "no address";
    for (addrinfo* a = found; a && fd_ < 0; a = a->ai_next) {
        fd_ = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd_ < 0) continue;
        if (::connect(fd_, a->ai_addr, a->ai_addrlen) != 0) {
            why = std::strerror(errno);
            close();
        }
    }
    ::freeaddrinfo(found);
    if (fd_ < 0) return fail(error, why);
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);

    // A server older than version 1 does not know this request and never answers it.
    bool timedOut = false;
    const auto reply =
        request(0, kRequestProtocolVersion, u32Payload(highest), replyTimeout, error, &timedOut);
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
    const auto reply = request(0, kRequestControllerCount, {}, replyTimeout, error);
    if (!reply) return std::nullopt;
    if (reply->size() < 4) {
        fail(error, "short controller count reply");
        return std::nullopt;
    }
    return readU32(*reply);
}

std::optional<Device> SdkClient::controllerData(uint32_t index, std::string* error) {
    const auto reply =
        request(index, kRequestControllerData, u32Payload(version_), replyTimeout, error);
    if (!reply) return std::nullopt;
    std::string why;
    auto device = parseDevice(*reply, version_, &why);
    if (!device) fail(error, "device " + std::to_string(index) + ": " + why);
    return device;
}

bool SdkClient::send(uint32_t device, uint32_t id, std::span<const uint8_t> payload,
                     std::string* error) {
    if (fd_ < 0) return fail(error, "not connected");
    const auto bytes = packet(device, id, payload);
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail(error, std::string("send: ") + std::strerror(errno));
        sent += static_cast<size_t>(n);
    }
    return true;
}

bool SdkClient::drain(std::string* error) {
    Header header;
    std::vector<uint8_t> payload;
    for (;;) {
        const int rc = readPacket(header, payload, Clock::now(), error);
        if (rc == 1) return true;
        if (rc < 0) return false;
        if (header.id == kDeviceListUpdated) listChanged_ = true;
    }
}

std::optional<std::vector<uint8_t>> SdkClient::request(uint32_t device, uint32_t id,
                                                       std::span<const uint8_t> payload,
                                                       std::chrono::milliseconds timeout,
                                                       std::string* error, bool* timedOut) {
    if (!send(device, id, payload, error)) return std::nullopt;
    const auto deadline = Clock::now() + timeout;
    Header header;
    std::vector<uint8_t> reply;
    for (;;) {
        const int rc = readPacket(header, reply, deadline, error);
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

int SdkClient::readPacket(Header& header, std::vector<uint8_t>& payload, Clock::time_point deadline,
                          std::string* error) {
    if (fd_ < 0) return fail(error, "not connected"), -1;
    std::array<uint8_t, kHeaderSize> raw{};
    bool timedOut = false;
    if (!readExact(raw.data(), 1, deadline, error, &timedOut)) return timedOut ? 1 : -1;
    // Once a packet has begun, the rest of it must follow promptly.
    const auto rest = std::max(deadline, Clock::now() + replyTimeout);
    if (!readExact(raw.data() + 1, kHeaderSize - 1, rest, error, &timedOut))
        return fail(error, "packet header cut short"), -1;
    const auto parsed = parseHeader(raw);
    if (!parsed) return fail(error, "malformed packet header"), -1;
    header = *parsed;
    payload.assign(header.size, 0);
    if (header.size && !readExact(payload.data(), header.size, rest, error, &timedOut))
        return fail(error, "packet cut short"), -1;
    return 0;
}

bool SdkClient::readExact(uint8_t* out, size_t size, Clock::time_point deadline, std::string* error,
                          bool* timedOut) {
    size_t got = 0;
    while (got < size) {
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, millisLeft(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0) {
            *timedOut = true;
            if (error) *error = "timed out";
            return false;
        }
        const ssize_t n = ready < 0 ? -1 : ::recv(fd_, out + got, size - got, 0);
        // OpenRGB writes a reply's header and body separately without TCP_NODELAY: an
        // acknowledgement held back by the kernel would delay every body by 40 ms.
        const int one = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) return fail(error, "server closed the connection");
        if (n < 0) return fail(error, std::string("recv: ") + std::strerror(errno));
        got += static_cast<size_t>(n);
    }
    return true;
}

} // namespace orgb

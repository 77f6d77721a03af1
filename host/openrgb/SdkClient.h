#pragma once
// One TCP connection to an OpenRGB SDK server: closed, or open at a negotiated version.
// Every wait is bounded, whatever the server does: the name lookup and the connect by
// `connectTimeout`, each send by `sendTimeout`, a request by a deadline that holds however
// much else arrives meanwhile, a drain by a budget of packets and time; interrupt() ends
// them all at once. Unsolicited device-list notices are noted wherever they arrive. Any
// malformed packet, a packet cut short or a send the server does not take closes the
// connection: the caller reconnects.
#include "SdkProtocol.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>

struct addrinfo;

namespace orgb {

class SdkClient {
  public:
    using Clock = std::chrono::steady_clock;

    SdkClient();
    ~SdkClient();
    SdkClient(const SdkClient&) = delete;
    SdkClient& operator=(const SdkClient&) = delete;

    // Connects, negotiates the protocol version (at most `highest`) and names the client.
    bool open(const std::string& host, int port, std::string* error,
              uint32_t highest = kClientProtocolVersion);
    void close();
    bool connected() const { return fd_ >= 0; }
    uint32_t version() const { return version_; }

    std::optional<uint32_t> controllerCount(std::string* error);
    std::optional<Device> controllerData(uint32_t index, std::string* error);
    bool send(uint32_t device, uint32_t id, std::span<const uint8_t> payload, std::string* error);
    // Reads what the server sent unasked, at most kDrainPackets packets or kDrainTime a call:
    // a server that floods cannot hold the caller. False (and closed) when the server left
    // or sent something malformed.
    bool drain(std::string* error);
    // True once since the server last announced a changed device list.
    bool takeDeviceListChanged() { return std::exchange(listChanged_, false); }

    // From any thread: ends the wait in progress, and fails every later one at once, until
    // resume(). The only member that may be called while another thread uses the client.
    void interrupt();
    // Undoes interrupt(); from then on no wait lasts past `limit`.
    void resume(Clock::time_point limit = Clock::time_point::max());

    static constexpr int kDrainPackets = 64;
    static constexpr auto kDrainTime = std::chrono::milliseconds(5);
    std::chrono::milliseconds replyTimeout{1500};
    std::chrono::milliseconds connectTimeout{1500};
    std::chrono::milliseconds sendTimeout{1000};

  private:
    struct Lookup;
    std::shared_ptr<Lookup> resolve(const std::string& host, int port, std::string* error);
    bool connectTo(const addrinfo& address, Clock::time_point deadline, std::string* why);
    bool interrupted() const;
    // Polls `fd` for `events` beside the interruption: 1 ready, 0 timed out, -1 interrupted.
    int wait(int fd, short events, Clock::time_point deadline, std::string* error) const;
    std::optional<std::vector<uint8_t>> request(uint32_t device, uint32_t id,
                                                std::span<const uint8_t> payload,
                                                std::string* error, bool* timedOut = nullptr);
    // Reads one packet whose first byte comes by `first` and the rest by `rest`;
    // 0 = got one, 1 = nothing came, -1 = failed (and closed).
    int readPacket(Header& header, std::vector<uint8_t>& payload, Clock::time_point first,
                   Clock::time_point rest, std::string* error);
    // Takes device-list notices out of the front of a reply's body; false (and closed) when
    // what is there is neither.
    bool skipNotices(std::vector<uint8_t>& body, Clock::time_point rest, std::string* error);
    bool readExact(uint8_t* out, size_t size, Clock::time_point deadline, std::string* why,
                   bool* timedOut);
    bool fail(std::string* error, const std::string& why);

    int fd_ = -1;
    int interrupted_ = -1; // an eventfd, readable while interrupted
    Clock::time_point limit_ = Clock::time_point::max();
    std::shared_ptr<Lookup> lookup_; // a name lookup still running, kept for the next open
    uint32_t version_ = 0;
    bool listChanged_ = false;
};

} // namespace orgb

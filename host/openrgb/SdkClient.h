#pragma once
// One TCP connection to an OpenRGB SDK server. Requests wait for their reply with a
// timeout (a server never answers a request for a device it does not have); unsolicited
// device-list notices are noted wherever they arrive. Any malformed packet closes the
// connection: the caller reconnects.
#include "SdkProtocol.h"

#include <chrono>
#include <optional>
#include <string>
#include <utility>

namespace orgb {

class SdkClient {
  public:
    SdkClient() = default;
    ~SdkClient() { close(); }
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
    // Reads whatever the server sent unasked; false (and closed) when the server left or
    // sent something malformed.
    bool drain(std::string* error);
    // True once since the server last announced a changed device list.
    bool takeDeviceListChanged() { return std::exchange(listChanged_, false); }

    std::chrono::milliseconds replyTimeout{1500};

  private:
    std::optional<std::vector<uint8_t>> request(uint32_t device, uint32_t id,
                                                std::span<const uint8_t> payload,
                                                std::chrono::milliseconds timeout,
                                                std::string* error, bool* timedOut = nullptr);
    // Reads one packet before `deadline`; 0 = got one, 1 = timed out, -1 = failed.
    int readPacket(Header& header, std::vector<uint8_t>& payload,
                   std::chrono::steady_clock::time_point deadline, std::string* error);
    bool readExact(uint8_t* out, size_t size, std::chrono::steady_clock::time_point deadline,
                   std::string* error, bool* timedOut);
    bool fail(std::string* error, const std::string& why);

    int fd_ = -1;
    uint32_t version_ = 0;
    bool listChanged_ = false;
};

} // namespace orgb

#pragma once
// What the host software last said about where the lighting goes. Asking it is the
// platform's business and happens off the main thread: latest() never waits.
#include <string>
#include <vector>

namespace et {

struct HostReport {
    enum class Reach {
        Asking,       // no answer yet
        NoHost,       // nothing listens on the host's socket
        NotAnswering, // a host whose status channel stalls or answers nonsense
        NoStatus,     // a host without a status channel (an older one)
        Answered,
    };
    Reach reach = Reach::Asking;
    bool virtualKeyboard = false; // the host's virtual output is on
    bool openrgb = false;         // its OpenRGB output is on
    bool openrgbConnected = false;
    std::string openrgbLine;      // "OpenRGB 0.9", as the host names the server
    std::vector<std::string> lit; // the devices it lights
    std::vector<std::string> leftAlone;

    bool operator==(const HostReport&) const = default;
};

class HostStatus {
  public:
    virtual ~HostStatus() = default;
    virtual HostReport latest() = 0;
};

} // namespace et

#pragma once
// One message of the host protocol as the host software receives it, and the splitter that
// cuts a byte stream into such messages. The splitter trusts nothing: it checks the declared
// length against the command's fixed size before it keeps any byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace hostsim {

struct Message {
    double time = 0.0; // seconds since the host started
    uint32_t command = 0;
    std::vector<uint8_t> bytes; // the whole message, header included

    int32_t field(size_t offset) const; // little-endian int32 at `offset`, 0 past the end
    const char* name() const;           // "SetLighting", "SetLightingForKeyWithKeyName", …
    std::string toJson() const;         // one line: time, command name and decoded fields
};

// Name of a command identifier; null for an identifier the protocol does not use.
const char* commandName(uint32_t command);

class StreamDecoder {
public:
    // Appends the complete messages found in `data` to `out`. Returns false when the stream
    // is malformed (the connection should be dropped); error() then says why.
    bool feed(const uint8_t* data, size_t size, double time, std::vector<Message>& out);
    const std::string& error() const { return error_; }
    size_t pendingBytes() const { return pending_.size(); }

private:
    std::vector<uint8_t> pending_;
    std::string error_;
};

} // namespace hostsim

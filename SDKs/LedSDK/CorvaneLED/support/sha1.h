#pragma once
// SHA-1 message digest (FIPS 180-4). The framework names each applet's configuration
// folder after the digest of the applet's executable path.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvled {

class cSHA1 {
  public:
    using Digest = std::array<std::uint8_t, 20>;

    cSHA1();
    void update(const void* data, std::size_t length);
    // Pads and returns the digest; the object then starts over for a new message.
    Digest finish();

  private:
    void processBlock(const std::uint8_t* block);
    void reset();

    std::array<std::uint32_t, 5> state_;
    std::array<std::uint8_t, 64> buffer_;
    std::size_t buffered_;
    std::uint64_t totalBytes_;
};

// 40 lowercase hexadecimal digits, most significant nibble of each byte first.
std::string sha1Hex(std::string_view bytes);

} // namespace corvled

#include "sha1.h"

#include <algorithm>
#include <cstring>

namespace corvled {

namespace {

std::uint32_t rotateLeft(std::uint32_t value, int bits) {
    return (value << bits) | (value >> (32 - bits));
}

std::uint32_t loadBigEndian(const std::uint8_t* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

} // namespace

cSHA1::cSHA1() {
    reset();
}

void cSHA1::reset() {
    state_ = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
    buffered_ = 0;
    totalBytes_ = 0;
}

void cSHA1::processBlock(const std::uint8_t* block) {
    std::uint32_t w[80];
    for (int t = 0; t < 16; ++t)
        w[t] = loadBigEndian(block + 4 * t);
    for (int t = 16; t < 80; ++t)
        w[t] = rotateLeft(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);

    std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3], e = state_[4];
    for (int t = 0; t < 80; ++t) {
        std::uint32_t f, k;
        if (t < 20) {
            f = (b & c) | (~b & d), k = 0x5A827999u;
        } else if (t < 40) {
            f = b ^ c ^ d, k = 0x6ED9EBA1u;
        } else if (t < 60) {
            f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDCu;
        } else {
            f = b ^ c ^ d, k = 0xCA62C1D6u;
        }
        const std::uint32_t temp = rotateLeft(a, 5) + f + e + k + w[t];
        e = d;
        d = c;
        c = rotateLeft(b, 30);
        b = a;
        a = temp;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
    state_[4] += e;
}

void cSHA1::update(const void* data, std::size_t length) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    totalBytes_ += length;
    while (length > 0) {
        const std::size_t take = std::min(length, buffer_.size() - buffered_);
        std::memcpy(buffer_.data() + buffered_, bytes, take);
        buffered_ += take;
        bytes += take;
        length -= take;
        if (buffered_ == buffer_.size()) {
            processBlock(buffer_.data());
            buffered_ = 0;
        }
    }
}

cSHA1::Digest cSHA1::finish() {
    const std::uint64_t bitLength = totalBytes_ * 8;
    const std::uint8_t marker = 0x80;
    update(&marker, 1);
    const std::uint8_t zero = 0;
    while (buffered_ != 56)
        update(&zero, 1);
    std::uint8_t lengthBytes[8];
    for (int i = 0; i < 8; ++i)
        lengthBytes[i] = static_cast<std::uint8_t>(bitLength >> (56 - 8 * i));
    update(lengthBytes, sizeof lengthBytes);

    Digest digest;
    for (int i = 0; i < 5; ++i) {
        digest[4 * i] = static_cast<std::uint8_t>(state_[i] >> 24);
        digest[4 * i + 1] = static_cast<std::uint8_t>(state_[i] >> 16);
        digest[4 * i + 2] = static_cast<std::uint8_t>(state_[i] >> 8);
        digest[4 * i + 3] = static_cast<std::uint8_t>(state_[i]);
    }
    reset();
    return digest;
}

std::string sha1Hex(std::string_view bytes) {
    cSHA1 hash;
    hash.update(bytes.data(), bytes.size());
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(40);
    for (std::uint8_t byte : hash.finish()) {
        hex.push_back(digits[byte >> 4]);
        hex.push_back(digits[byte & 0xF]);
    }
    return hex;
}

} // namespace corvled

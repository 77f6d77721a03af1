// SHA-1 against the published test vectors and against coreutils' sha1sum, with the
// lengths around the padding boundaries where implementations go wrong.
#include <random>

#include "ConfigTestSupport.h"
#include "sha1.h"

using corvled::sha1Hex;

TEST(Sha1, PublishedVectors) {
    EXPECT_EQ(sha1Hex(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(sha1Hex("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(sha1Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(sha1Hex("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnop"
                      "jklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu"),
              "a49b2446a02c645bf419f995b67091253a04a259");
    EXPECT_EQ(sha1Hex(std::string(1000000, 'a')), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(Sha1, MatchesSha1sumOnRandomInputs) {
    std::mt19937 random(20240611);
    std::vector<std::size_t> lengths = {0, 1, 55, 56, 57, 63, 64, 65, 119, 120, 128, 1000};
    for (int i = 0; i < 20; ++i)
        lengths.push_back(random() % 3000);
    for (std::size_t length : lengths) {
        std::string bytes(length, '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(random());
        EXPECT_EQ(sha1Hex(bytes), configtest::sha1sumOf(bytes)) << "length " << length;

        // Fed in uneven pieces, the digest is the same.
        corvled::cSHA1 pieces;
        for (std::size_t at = 0; at < length;) {
            const std::size_t take = std::min<std::size_t>(random() % 70, length - at);
            pieces.update(bytes.data() + at, take);
            at += take;
        }
        std::string hex;
        for (unsigned char byte : pieces.finish()) {
            static const char digits[] = "0123456789abcdef";
            hex += {digits[byte >> 4], digits[byte & 15]};
        }
        EXPECT_EQ(hex, sha1Hex(bytes)) << "length " << length;
    }
}

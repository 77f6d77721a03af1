// The bytes of every command, as the host receives them through a real socket.
#include "HostFixture.h"

#include <array>
#include <vector>

namespace {

// Little-endian words, zero-filled to `length` bytes with `last` as the final word.
std::vector<uint8_t> wire(std::vector<uint32_t> words, size_t length = 0, uint32_t last = 0) {
    if (length) {
        words.resize(length / 4);
        words.back() = last;
    }
    std::vector<uint8_t> out;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(w >> (8 * i)));
    return out;
}

using Commands = HostFixture;

TEST_F(Commands, InitSendsHelloThenAsksToSaveTheLighting) {
    ASSERT_TRUE(CorvLedInit());
    const auto m = expectMessages(2);
    EXPECT_EQ(m[0].bytes, wire({1032, 0x801}, 1032));
    EXPECT_EQ(m[1].bytes, wire({8, 0x804}));
}

// Every colour component differs from the others, so a value in the wrong field shows.
TEST_F(Commands, EachCommandSendsExactlyItsBytes) {
    initAndClear();
    std::array<unsigned char, CORVLED_BITMAP_SIZE> bitmap{};
    for (size_t i = 0; i < bitmap.size(); ++i)
        bitmap[i] = static_cast<unsigned char>(i * 7);
    auto bitmapBytes = wire({512, 0x810});
    bitmapBytes.insert(bitmapBytes.end(), bitmap.begin(), bitmap.end());
    KeyName two[] = {CLK_Escape, CLK_F1};
    std::vector<KeyName> many(126);
    std::vector<uint32_t> manyWords{2028, 0x813};
    for (size_t i = 0; i < many.size(); ++i) {
        many[i] = static_cast<KeyName>(i + 1);
        manyWords.push_back(static_cast<uint32_t>(i + 1));
    }
    struct Row {
        const char* name;
        std::function<bool()> call;
        std::vector<uint8_t> bytes;
    } rows[] = {
        {"whole", [] { return CorvLedSetLighting(255, 17, 34); }, wire({20, 0x802, 255, 17, 34})},
        {"save", CorvLedSaveCurrentLighting, wire({8, 0x804})},
        {"restore", CorvLedRestoreLighting, wire({8, 0x805})},
        {"target (inverted result)", [] { return !CorvLedSetTargetDevice(4); },
         wire({12, 0x803, 4})},
        {"scan code", [] { return CorvLedSetLightingForKeyWithScanCode(0x1E, 1, 2, 3); },
         wire({24, 0x806, 0x1E, 1, 2, 3})},
        {"hid code", [] { return CorvLedSetLightingForKeyWithHidCode(4, 255, 5, 6); },
         wire({24, 0x807, 4, 255, 5, 6})},
        {"quartz code", [] { return CorvLedSetLightingForKeyWithQuartzCode(0, 7, 8, 9); },
         wire({24, 0x808, 0, 7, 8, 9})},
        {"key name carried as given",
         [] {
             return CorvLedSetLightingForKeyWithKeyName(static_cast<KeyName>(0x7FF), 100, 50, 0);
         },
         wire({24, 0x809, 0x7FF, 100, 50, 0})},
        {"save key", [] { return CorvLedSaveLightingForKey(CLK_TalonBadge); },
         wire({12, 0x811, 0xFFFF2})},
        {"restore key", [] { return CorvLedRestoreLightingForKey(CLK_P3); },
         wire({12, 0x812, 0xFFF3})},
        {"bitmap", [&] { return CorvLedSetLightingFromBitmap(bitmap.data()); }, bitmapBytes},
        {"exclude two", [&] { return CorvLedExcludeKeysFromBitmap(two, 2); },
         wire({2028, 0x813, 1, 0x3B}, 2028, 2)},
        {"exclude count only", [] { return CorvLedExcludeKeysFromBitmap(nullptr, 5); },
         wire({2028, 0x813}, 2028, 5)},
        {"exclude the most", [&] { return CorvLedExcludeKeysFromBitmap(many.data(), 126); },
         wire(manyWords, 2028, 126)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host_->clear();
        EXPECT_TRUE(row.call());
        const auto m = expectMessages(1);
        EXPECT_EQ(m[0].bytes, row.bytes);
    }
}

TEST_F(Commands, ArgumentsOutOfRangeAreRefusedAndNothingIsSent) {
    initAndClear();
    EXPECT_FALSE(CorvLedSetLighting(256, 0, 0));
    EXPECT_FALSE(CorvLedSetLighting(0, -1, 0));
    EXPECT_FALSE(CorvLedSetLighting(0, 0, 1000));
    EXPECT_FALSE(CorvLedSetLightingForKeyWithKeyName(CLK_Escape, -1, 0, 0));
    EXPECT_FALSE(CorvLedSetLightingForKeyWithScanCode(1, 0, 256, 0));
    EXPECT_FALSE(CorvLedSetLightingFromBitmap(nullptr));
    EXPECT_FALSE(CorvLedExcludeKeysFromBitmap(nullptr, 127));
    EXPECT_FALSE(CorvLedExcludeKeysFromBitmap(nullptr, -1));
    EXPECT_TRUE(CorvLedSetTargetDevice(8)); // inverted: refused
    EXPECT_TRUE(CorvLedSetTargetDevice(-1));
    expectNothingSent();
}

} // namespace

// The bytes of every command, as the host receives them through a real socket.
#include "HostFixture.h"

#include <array>
#include <vector>

namespace {

std::vector<uint8_t> bytesOf(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> out;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(w >> (8 * i)));
    return out;
}

using Commands = HostFixture;

TEST_F(Commands, InitSendsHelloThenAsksToSaveTheLighting) {
    ASSERT_TRUE(CorvLedInit());
    auto m = expectMessages(2);
    ASSERT_EQ(m.size(), 2u);
    ASSERT_EQ(m[0].bytes.size(), 1032u);
    EXPECT_EQ(std::vector<uint8_t>(m[0].bytes.begin(), m[0].bytes.begin() + 8),
              bytesOf({1032, 0x801}));
    for (size_t i = 8; i < 1032; ++i)
        ASSERT_EQ(m[0].bytes[i], 0) << "reserved byte " << i;
    EXPECT_EQ(m[1].bytes, (std::vector<uint8_t>{8, 0, 0, 0, 4, 8, 0, 0}));
}

TEST_F(Commands, WholeKeyboardAndSaveRestoreMessages) {
    initAndClear();
    EXPECT_TRUE(CorvLedSetLighting(100, 0, 0));
    EXPECT_TRUE(CorvLedSetLighting(255, 255, 255));
    EXPECT_TRUE(CorvLedSaveCurrentLighting());
    EXPECT_TRUE(CorvLedRestoreLighting());
    auto m = expectMessages(4);
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0].bytes, (std::vector<uint8_t>{0x14, 0, 0, 0, 2, 8, 0, 0, 0x64, 0,
                                                0,    0, 0, 0, 0, 0, 0, 0, 0,    0}));
    EXPECT_EQ(m[1].bytes, bytesOf({20, 0x802, 255, 255, 255}));
    EXPECT_EQ(m[2].bytes, bytesOf({8, 0x804}));
    EXPECT_EQ(m[3].bytes, bytesOf({8, 0x805}));
}

TEST_F(Commands, ColorsOutsideTheByteRangeAreRefusedAndNothingIsSent) {
    initAndClear();
    EXPECT_FALSE(CorvLedSetLighting(256, 0, 0));
    EXPECT_FALSE(CorvLedSetLighting(0, -1, 0));
    EXPECT_FALSE(CorvLedSetLighting(0, 0, 1000));
    EXPECT_FALSE(CorvLedSetLightingForKeyWithKeyName(CLK_Escape, -1, 0, 0));
    EXPECT_FALSE(CorvLedSetLightingForKeyWithScanCode(1, 0, 256, 0));
    EXPECT_FALSE(CorvLedSetLightingFromBitmap(nullptr));
    EXPECT_FALSE(CorvLedExcludeKeysFromBitmap(nullptr, 127));
    EXPECT_FALSE(CorvLedExcludeKeysFromBitmap(nullptr, -1));
    expectNothingSent();
}

TEST_F(Commands, TargetDeviceResultIsInverted) {
    initAndClear();
    EXPECT_FALSE(CorvLedSetTargetDevice(4)); // sent
    EXPECT_FALSE(CorvLedSetTargetDevice(0));
    EXPECT_FALSE(CorvLedSetTargetDevice(7));
    auto m = expectMessages(3);
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].bytes, bytesOf({12, 0x803, 4}));
    EXPECT_EQ(m[2].field(8), 7);
    host_->clear();
    EXPECT_TRUE(CorvLedSetTargetDevice(8)); // refused
    EXPECT_TRUE(CorvLedSetTargetDevice(-1));
    expectNothingSent();
}

TEST_F(Commands, SingleKeyMessagesCarryTheirAddressingMode) {
    initAndClear();
    EXPECT_TRUE(CorvLedSetLightingForKeyWithScanCode(0x1E, 1, 2, 3));
    EXPECT_TRUE(CorvLedSetLightingForKeyWithHidCode(4, 1, 2, 3));
    EXPECT_TRUE(CorvLedSetLightingForKeyWithQuartzCode(0, 1, 2, 3));
    EXPECT_TRUE(CorvLedSetLightingForKeyWithKeyName(static_cast<KeyName>(0x7FF), 100, 50, 0));
    EXPECT_TRUE(CorvLedSaveLightingForKey(CLK_TalonBadge));
    EXPECT_TRUE(CorvLedRestoreLightingForKey(CLK_P3));
    auto m = expectMessages(6);
    ASSERT_EQ(m.size(), 6u);
    EXPECT_EQ(m[0].bytes, bytesOf({24, 0x806, 0x1E, 1, 2, 3}));
    EXPECT_EQ(m[1].bytes, bytesOf({24, 0x807, 4, 1, 2, 3}));
    EXPECT_EQ(m[2].bytes, bytesOf({24, 0x808, 0, 1, 2, 3}));
    EXPECT_EQ(m[3].bytes, bytesOf({24, 0x809, 0x7FF, 100, 50, 0}));
    EXPECT_EQ(m[4].bytes, bytesOf({12, 0x811, 0xFFFF2}));
    EXPECT_EQ(m[5].bytes, bytesOf({12, 0x812, 0xFFF3}));
}

TEST_F(Commands, BitmapIsCopiedByteForByte) {
    initAndClear();
    std::array<unsigned char, CORVLED_BITMAP_SIZE> bitmap{};
    for (size_t i = 0; i < bitmap.size(); ++i)
        bitmap[i] = static_cast<unsigned char>(i * 7);
    EXPECT_TRUE(CorvLedSetLightingFromBitmap(bitmap.data()));
    auto m = expectMessages(1);
    ASSERT_EQ(m.size(), 1u);
    ASSERT_EQ(m[0].bytes.size(), 512u);
    EXPECT_EQ(m[0].field(0), 512);
    EXPECT_EQ(m[0].field(4), 0x810);
    EXPECT_TRUE(std::equal(bitmap.begin(), bitmap.end(), m[0].bytes.begin() + 8));
}

TEST_F(Commands, ExclusionListIsAlwaysTheFullAreaWithItsCount) {
    initAndClear();
    KeyName two[] = {CLK_Escape, CLK_F1};
    std::vector<KeyName> many(126);
    for (size_t i = 0; i < many.size(); ++i)
        many[i] = static_cast<KeyName>(i + 1);
    EXPECT_TRUE(CorvLedExcludeKeysFromBitmap(two, 2));
    EXPECT_TRUE(CorvLedExcludeKeysFromBitmap(nullptr, 5));
    EXPECT_TRUE(CorvLedExcludeKeysFromBitmap(many.data(), 126));
    auto m = expectMessages(3);
    ASSERT_EQ(m.size(), 3u);
    for (const auto& msg : m)
        ASSERT_EQ(msg.bytes.size(), 2028u);
    EXPECT_EQ(std::vector<uint8_t>(m[0].bytes.begin() + 8, m[0].bytes.begin() + 16),
              (std::vector<uint8_t>{1, 0, 0, 0, 0x3B, 0, 0, 0}));
    for (size_t i = 16; i < 2024; ++i)
        ASSERT_EQ(m[0].bytes[i], 0) << i;
    EXPECT_EQ(m[0].field(2024), 2);
    for (size_t i = 8; i < 2024; ++i)
        ASSERT_EQ(m[1].bytes[i], 0) << i;
    EXPECT_EQ(m[1].field(2024), 5);
    EXPECT_EQ(m[2].field(8 + 4 * 125), 126);
    EXPECT_EQ(m[2].field(8 + 4 * 126), 0);
    EXPECT_EQ(m[2].field(2024), 126);
}

TEST(Version, ReportsTheBuildsVersion) {
    int major = -1, minor = -1, build = -1;
    EXPECT_TRUE(CorvLedGetSdkVersion(&major, &minor, &build));
    EXPECT_EQ(major, 1);
    EXPECT_EQ(minor, 2);
    EXPECT_EQ(build, 0);
    EXPECT_FALSE(CorvLedGetSdkVersion(nullptr, &minor, &build));
    EXPECT_DOUBLE_EQ(CorvaneLEDVersionNumber, 1.0);
    EXPECT_STREQ(reinterpret_cast<const char*>(CorvaneLEDVersionString),
                 "@(#)PROGRAM:CorvaneLED  PROJECT:CorvaneLED-1\n");
}

} // namespace

// Band arithmetic and row painting of the animation frames.
#include "FramePaint.h"
#include "DirectorHarness.h"
#include "KeyGroups.h"

#include <gtest/gtest.h>

namespace et::test {
namespace {

constexpr int32_t kKey1 = 0x02, kKey2 = 0x03, kKey3 = 0x04;

bool bandPaints(int band, int count, int32_t key) {
    LightingBitmap b = blankBitmap();
    paintBand(b, band, count, {1, 2, 3});
    return keyColor(b, key) == std::array<int, 3>{1, 2, 3};
}

TEST(FramePaint, BandsShareTheirBoundaryAndTheLastBandIsAnchoredRight) {
    EXPECT_EQ(bandSpan(1, 7).first, 103);
    EXPECT_EQ(bandSpan(1, 7).last, 206);
    EXPECT_EQ(bandSpan(2, 7).first, 206);
    // 725 / 7 leaves a remainder: the last band starts at 725 − 103, not at 6 × 103.
    EXPECT_EQ(bandSpan(6, 7).first, 622);
    EXPECT_EQ(bandSpan(6, 7).last, 725);

    // The 3 key (104) lies in band 1 of 7 only.
    EXPECT_FALSE(bandPaints(0, 7, kKey3));
    EXPECT_TRUE(bandPaints(1, 7, kKey3));
    EXPECT_FALSE(bandPaints(2, 7, kKey3));
    // The 2 key (72) is on the boundary of bands 0 and 1 of 10.
    EXPECT_TRUE(bandPaints(0, 10, kKey2));
    EXPECT_TRUE(bandPaints(1, 10, kKey2));
    EXPECT_FALSE(bandPaints(1, 10, kKey1));
}

TEST(FramePaint, BandIndexAndCountAreClampedToPaintableBands) {
    for (int count : {8, 2, 21}) {
        LightingBitmap beyond = blankBitmap(), last = blankBitmap();
        paintBand(beyond, count + 1, count, {9, 9, 9});
        paintBand(last, count - 1, count, {9, 9, 9});
        EXPECT_EQ(beyond, last) << count;
    }
    EXPECT_EQ(bandSpan(-4, 5).first, bandSpan(0, 5).first);
    EXPECT_EQ(bandSpan(0, 1).last, bandSpan(0, 2).last);
    EXPECT_EQ(bandSpan(0, 40).last, bandSpan(0, 21).last);
}

TEST(FramePaint, EveryGridKeyLiesInSomeBandForTheCountsInUse) {
    for (int count : {6, 7, 8, 10}) {
        LightingBitmap b = blankBitmap();
        for (int band = 0; band < count; ++band)
            paintBand(b, band, count, {0, 0, 0});
        for (const KeyBandPosition& key : keyBandPositions())
            EXPECT_EQ(keyColor(b, key.keyName), (std::array<int, 3>{0, 0, 0}))
                << "key " << key.keyName << " with " << count << " bands";
    }
}

TEST(FramePaint, RowsAndCellsStayInsideTheBitmap) {
    LightingBitmap b = blankBitmap();
    paintRow(b, 5, {10, 20, 30});
    for (int column = 0; column < kBitmapColumns; ++column)
        EXPECT_EQ(cellColor(b, 5, column), (std::array<int, 3>{10, 20, 30}));
    EXPECT_EQ(cellColor(b, 4, 0), (std::array<int, 3>{255, 255, 255}));

    const LightingBitmap before = b;
    paintRow(b, 6, {0, 0, 0});
    paintRow(b, -1, {0, 0, 0});
    paintGridCell(b, 0, 21, {0, 0, 0});
    copyRow(b, blankBitmap(), 7);
    EXPECT_EQ(b, before);

    copyRow(b, blankBitmap(), 5);
    EXPECT_EQ(b, blankBitmap());
}

} // namespace
} // namespace et::test

// Cross-checks of the key tables against each other: every table names the same keys,
// and the canvas, the bitmap and the menus agree on the 115 keys the keyboard has.
#include "CanvasLayout.h"
#include "KeyGrid.h"
#include "KeyGroups.h"
#include "KeyList.h"

#include <CorvaneLED.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace et;
using ::testing::ElementsAre;

namespace {

std::set<int32_t> gridKeys() {
    std::set<int32_t> s;
    for (const KeyCell& c : keyCells())
        s.insert(c.keyName);
    return s;
}

// UTF-8 → code points, so the menu order can be checked independently of byte order.
std::u32string codePoints(const std::string& s) {
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        int len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t cp = len == 1 ? b : b & (0x3F >> (len - 1));
        for (int k = 1; k < len; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(cp);
        i += len;
    }
    return out;
}

} // namespace

TEST(KeyGrid, PositionsFillTheGridWithoutCollisions) {
    ASSERT_EQ(keyCells().size(), 104u);
    std::set<int> offsets;
    for (const KeyCell& c : keyCells()) {
        EXPECT_GE(c.row, 0);
        EXPECT_LT(c.row, kBitmapRows);
        EXPECT_GE(c.column, 0);
        EXPECT_LT(c.column, kBitmapColumns);
        EXPECT_TRUE(offsets.insert(c.offset()).second) << "two keys share a cell";
        EXPECT_EQ(keyCellOffset(c.keyName), c.offset());
    }
    EXPECT_EQ(gridKeys().size(), 104u);
}

TEST(KeyGrid, KnownCellsAndKeysWithoutCells) {
    EXPECT_EQ(keyCellOffset(CLK_Escape), 0);
    EXPECT_EQ(keyCellOffset(CLK_KeypadPlus), 248);
    EXPECT_EQ(keyCellOffset(CLK_KeypadPeriodAndDelete), 496);
    EXPECT_EQ(keyCellOffset(CLK_Enter), (3 * 21 + 13) * 4);
    EXPECT_EQ(keyCellOffset(CLK_Space), (5 * 21 + 5) * 4);
    for (const KeyCell& c : keyCells())
        EXPECT_NE(c.offset(), 500) << "the last cell has no key";
    EXPECT_FALSE(keyCellOffset(CLK_P1));
    EXPECT_FALSE(keyCellOffset(CLK_CrestLogo));
    EXPECT_FALSE(keyCellOffset(512));
    EXPECT_FALSE(keyCellOffset(0));
    EXPECT_FALSE(keyCellOffset(-1));
    EXPECT_FALSE(keyCellOffset(0x7FF));
}

TEST(KeyGrid, PaintKeyWritesBlueGreenRedAlpha) {
    LightingBitmap b = blankBitmap();
    EXPECT_TRUE(paintKey(b, CLK_Escape, 255, 0, 0));
    EXPECT_THAT(std::vector<int>(b.begin(), b.begin() + 8),
                ElementsAre(0, 0, 255, 255, 255, 255, 255, 255));
    LightingBitmap before = b;
    EXPECT_FALSE(paintKey(b, CLK_P3, 1, 2, 3));
    EXPECT_EQ(b, before);
}

TEST(KeyList, RowsLabelsAndIdentifiers) {
    ASSERT_EQ(keyList().size(), 116u);
    EXPECT_EQ(keyList()[0].id, 0);
    EXPECT_EQ(keyList()[0].label, "  No Key");
    EXPECT_EQ(keyNameTable().size(), 116u) << "identifiers must be unique";
    std::set<std::string_view> labels;
    for (const KeyLabel& k : keyList()) {
        EXPECT_TRUE(labels.insert(k.label).second) << "duplicate label " << k.label;
        EXPECT_EQ(labelForKey(k.id), k.label);
        EXPECT_EQ(keyForLabel(k.label), k.id);
    }
    EXPECT_EQ(labelForKey(CLK_1), " 1");
    EXPECT_EQ(labelForKey(CLK_F1), "F 1");
    EXPECT_EQ(labelForKey(CLK_Backslash), "\\");
    EXPECT_EQ(keyForLabel("Talon Badge ©"), 522);
    EXPECT_FALSE(keyForLabel("Talon Badge"));
    EXPECT_FALSE(keyForLabel("1"));
    EXPECT_FALSE(labelForKey(523));
}

TEST(KeyList, TheKnownKeysAgreeAcrossTables) {
    // The 115 keys: the grid keys plus the eleven extra ones, each with a label and a
    // rectangle, each either with a cell or an extra-key identifier.
    std::set<int32_t> expected = gridKeys();
    for (int32_t id = 512; id <= 522; ++id)
        expected.insert(id);
    ASSERT_EQ(expected.size(), 115u);

    std::set<int32_t> listed;
    for (const KeyLabel& k : keyList())
        if (k.id != kNoKey) listed.insert(k.id);
    EXPECT_EQ(listed, expected);

    std::set<int32_t> drawn;
    for (const KeyRect& r : canvasKeyRects())
        drawn.insert(r.id);
    EXPECT_EQ(drawn, expected);
    EXPECT_EQ(std::set<int32_t>(canvasKeyIds().begin(), canvasKeyIds().end()), expected);

    for (int32_t id : expected)
        EXPECT_TRUE(keyCellOffset(id).has_value() != isExtraKeyId(id));

    std::set<int32_t> banded;
    for (const KeyBandPosition& p : keyBandPositions()) {
        EXPECT_TRUE(banded.insert(p.keyName).second);
        EXPECT_GE(p.position, 0);
        EXPECT_LE(p.position, kBandRange);
    }
    EXPECT_EQ(banded, gridKeys());
}

TEST(KeyList, CombatKeysAreTheLabelsMarkedWithCopyrightSign) {
    std::set<int32_t> marked;
    for (const KeyLabel& k : keyList()) {
        const std::string label(k.label);
        const std::string mark = " ©";
        if (label.size() > mark.size() && label.ends_with(mark)) marked.insert(keyNameForId(k.id));
    }
    EXPECT_EQ(marked.size(), 18u);
    std::set<int32_t> combat(combatKeys().begin(), combatKeys().end());
    EXPECT_EQ(combat.size(), 18u);
    EXPECT_EQ(combat, marked);
    EXPECT_EQ(combatKeys().front(), CLK_LeftShift);
    EXPECT_EQ(combatKeys().back(), CLK_Enter);
}

TEST(KeyList, ExtraKeysTranslateToTheirKeyNames) {
    EXPECT_EQ(keyNameForId(512), 0xFFF1);
    EXPECT_EQ(keyNameForId(514), 0xFFF3);
    EXPECT_EQ(keyNameForId(520), 0xFFF9);
    EXPECT_EQ(keyNameForId(521), 0xFFFF1);
    EXPECT_EQ(keyNameForId(522), 0xFFFF2);
    EXPECT_EQ(keyNameForId(CLK_Escape), CLK_Escape);
    EXPECT_EQ(keyNameForId(523), 523);
    EXPECT_EQ(keyNameForId(511), 511);
    ASSERT_EQ(extraKeys().size(), 11u);
    for (size_t i = 0; i < extraKeys().size(); ++i) {
        EXPECT_EQ(extraKeys()[i].id, 512 + static_cast<int32_t>(i));
        EXPECT_EQ(extraKeys()[i].keyName, keyNameForId(extraKeys()[i].id));
    }
}

TEST(KeyList, MenuLabelsSortByCodePoint) {
    const auto labels = sortedKeyLabels();
    ASSERT_EQ(labels.size(), 116u);
    EXPECT_EQ(labels.front(), "  No Key");
    EXPECT_EQ(labels[1], " 0");
    EXPECT_EQ(labels[10], " 9");
    EXPECT_EQ(labels[11], " A");
    EXPECT_EQ(labels[36], " Z");
    EXPECT_EQ(labels.back(), "~");
    for (size_t i = 1; i < labels.size(); ++i)
        EXPECT_LT(codePoints(labels[i - 1]), codePoints(labels[i])) << labels[i];
}

TEST(KeyGroups, ShadowRowsCoverTheGridOnce) {
    std::vector<size_t> sizes;
    std::multiset<int32_t> all;
    for (const auto& row : shadowRows()) {
        sizes.push_back(row.size());
        all.insert(row.begin(), row.end());
    }
    EXPECT_THAT(sizes, ElementsAre(16u, 21u, 21u, 16u, 17u, 13u));
    EXPECT_EQ(all.size(), 104u);
    EXPECT_EQ(std::set<int32_t>(all.begin(), all.end()), gridKeys());
}

TEST(KeyGroups, DeadKeysAreDistinctKnownKeys) {
    EXPECT_EQ(deadBrightKeys().size(), 15u);
    EXPECT_EQ(deadDimKeys().size(), 12u);
    std::set<int32_t> known = gridKeys();
    for (const ExtraKey& e : extraKeys())
        known.insert(e.keyName);
    std::set<int32_t> seen;
    for (auto group : {deadBrightKeys(), deadDimKeys()}) {
        for (int32_t k : group) {
            EXPECT_TRUE(known.count(k)) << k;
            EXPECT_TRUE(seen.insert(k).second) << "key in two dead groups: " << k;
        }
    }
    EXPECT_TRUE(seen.count(CLK_P7) && seen.count(CLK_P4) && seen.count(CLK_P1));
}

TEST(CanvasLayout, RectanglesDoNotOverlapAndSpanTheDrawing) {
    const auto rects = canvasKeyRects();
    ASSERT_EQ(rects.size(), 115u);
    int minX = 1 << 20, minY = 1 << 20, maxX = 0, maxY = 0;
    for (size_t i = 0; i < rects.size(); ++i) {
        const KeyRect& a = rects[i];
        EXPECT_GT(a.width, 0);
        EXPECT_GT(a.height, 0);
        minX = std::min(minX, a.x);
        minY = std::min(minY, a.y);
        maxX = std::max(maxX, a.x + a.width);
        maxY = std::max(maxY, a.y + a.height);
        for (size_t j = i + 1; j < rects.size(); ++j) {
            const KeyRect& b = rects[j];
            const bool apart = a.x + a.width <= b.x || b.x + b.width <= a.x ||
                               a.y + a.height <= b.y || b.y + b.height <= a.y;
            EXPECT_TRUE(apart) << a.id << " overlaps " << b.id;
        }
    }
    EXPECT_EQ(minX, 5);
    EXPECT_EQ(maxX, 784);
    EXPECT_EQ(minY, 4);
    EXPECT_EQ(maxY, 285);
}

TEST(CanvasLayout, KeyIdsAscendAndPointsHitKeys) {
    const auto& ids = canvasKeyIds();
    ASSERT_EQ(ids.size(), 115u);
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    EXPECT_EQ(ids.front(), CLK_Escape);
    EXPECT_EQ(ids.back(), 522);
    EXPECT_EQ(canvasKeyAt(50, 230), CLK_Escape);
    EXPECT_FALSE(canvasKeyAt(40, 230));
    EXPECT_EQ(canvasKeyAt(770, 170), CLK_KeypadPlus); // the tall key's upper half
    EXPECT_EQ(canvasKeyAt(150, 8), 522);
    EXPECT_EQ(canvasKeyAt(10, 240), 521);
}

// The key table (cells, labels) and the drawing's rectangles are typed in separately: they
// must agree with each other and with the keyboard's physical layout.
#include "CanvasLayout.h"
#include "KeyGrid.h"
#include "KeyGroups.h"
#include "KeyList.h"

#include <CorvaneLED.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

using namespace et;

namespace {

std::set<int32_t> gridKeys() {
    std::set<int32_t> s;
    for (const KeyCell& c : keyCells())
        s.insert(c.keyName);
    return s;
}

std::map<int32_t, KeyRect> rectsById() {
    std::map<int32_t, KeyRect> m;
    for (const KeyRect& r : canvasKeyRects())
        m[r.id] = r;
    return m;
}

} // namespace

TEST(KeyTables, BitmapCellsFollowTheKeyboardLayout) {
    ASSERT_EQ(keyCells().size(), 104u);
    std::set<int> offsets;
    for (const KeyCell& c : keyCells()) {
        EXPECT_TRUE(c.row >= 0 && c.row < kBitmapRows && c.column >= 0 && c.column < kBitmapColumns)
            << c.keyName;
        EXPECT_TRUE(offsets.insert(c.offset()).second) << "two keys share a cell";
        EXPECT_EQ(keyCellOffset(c.keyName), c.offset());
    }
    // Hand-checked cells, at least one at each end of every row.
    const std::pair<int32_t, int> spots[] = {
        {CLK_Escape, 0},           {CLK_PauseBreak, 15 * 4}, {CLK_GraveAccentAndTilde, 21 * 4},
        {CLK_KeypadMinus, 41 * 4}, {CLK_Tab, 42 * 4},        {CLK_Q, 43 * 4},
        {CLK_KeypadPlus, 248},     {CLK_CapsLock, 63 * 4},   {CLK_Enter, (63 + 13) * 4},
        {CLK_LeftShift, 84 * 4},   {CLK_Space, 110 * 4},     {CLK_KeypadPeriodAndDelete, 496}};
    for (const auto& [key, offset] : spots)
        EXPECT_EQ(keyCellOffset(key), offset) << key;
    for (int32_t none : {int32_t{CLK_P1}, int32_t{CLK_CrestLogo}, 512, 0, -1, 0x7FF})
        EXPECT_FALSE(keyCellOffset(none)) << none;

    // Along a row the cells go left to right as the keys on the canvas do; a row sits
    // below the one before it (canvas y grows upwards).
    const auto rects = rectsById();
    std::map<std::pair<int, int>, KeyRect> byCell;
    for (const KeyCell& c : keyCells())
        byCell[{c.row, c.column}] = rects.at(c.keyName);
    for (auto it = byCell.begin(); std::next(it) != byCell.end(); ++it) {
        const auto& [cell, rect] = *it;
        const auto& [nextCell, next] = *std::next(it);
        if (cell.first == nextCell.first)
            EXPECT_LT(rect.x, next.x) << "row " << cell.first << " column " << cell.second;
        else
            EXPECT_GT(rect.y + rect.height, next.y + next.height) << "row " << nextCell.first;
    }
}

TEST(KeyTables, CanvasHitsOwnTheLeftAndBottomEdges) {
    const struct {
        double x, y;
        int32_t key; // 0: none
    } hits[] = {{46, 54, CLK_LeftCtrl}, {83.9, 76.9, CLK_LeftCtrl}, {84, 60, 0},
                {60, 77, 0},            {45.9, 60, 0},               {60, 53.9, 0},
                {770, 110.9, CLK_KeypadEnter}, {148, 4, 522}, {95, 154, CLK_Q}};
    for (const auto& h : hits)
        EXPECT_EQ(canvasKeyAt(h.x, h.y).value_or(0), h.key) << h.x << "," << h.y;
}

TEST(KeyTables, LabelsIdentifiersAndExtraKeysAgree) {
    ASSERT_EQ(keyList().size(), 116u);
    EXPECT_EQ(keyList()[0].label, "  No Key");
    EXPECT_EQ(keyNameTable().size(), 116u) << "identifiers must be unique";
    std::set<std::string_view> labels;
    for (const KeyLabel& k : keyList()) {
        EXPECT_TRUE(labels.insert(k.label).second) << "duplicate label " << k.label;
        EXPECT_EQ(labelForKey(k.id), k.label);
        EXPECT_EQ(keyForLabel(k.label), k.id);
    }
    EXPECT_EQ(keyForLabel("Talon Badge ©"), 522);
    EXPECT_FALSE(keyForLabel("Talon Badge"));

    // The 115 keys: the grid keys and the eleven extra ones, listed, drawn, and each with
    // either a cell or an extra-key identifier.
    std::set<int32_t> expected = gridKeys();
    for (int32_t id = 512; id <= 522; ++id)
        expected.insert(id);
    std::set<int32_t> listed, drawn;
    for (const KeyLabel& k : keyList())
        if (k.id != kNoKey) listed.insert(k.id);
    for (const KeyRect& r : canvasKeyRects())
        drawn.insert(r.id);
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(drawn, expected);
    EXPECT_EQ(std::set<int32_t>(canvasKeyIds().begin(), canvasKeyIds().end()), expected);
    for (int32_t id : expected)
        EXPECT_NE(keyCellOffset(id).has_value(), isExtraKeyId(id)) << id;
}

TEST(KeyTables, EffectKeyGroups) {
    // Combat keys are exactly the labels marked with a copyright sign.
    std::set<int32_t> marked;
    for (const KeyLabel& k : keyList())
        if (std::string(k.label).ends_with(" ©")) marked.insert(keyNameForId(k.id));
    EXPECT_EQ(std::set<int32_t>(combatKeys().begin(), combatKeys().end()), marked);
    EXPECT_EQ(combatKeys().front(), CLK_LeftShift);
    EXPECT_EQ(combatKeys().back(), CLK_Enter);
}

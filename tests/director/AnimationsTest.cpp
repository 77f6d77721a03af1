// Frame animations: frames, colours of chosen keys and cells, waits and what each leaves
// behind; the same animations in single-colour mode; the band arithmetic under them.
#include "Animations.h"
#include "DirectorHarness.h"
#include "FramePaint.h"
#include "KeyGroups.h"

#include <gtest/gtest.h>

namespace et::test {
namespace {

constexpr int32_t kEsc = 0x01, kKey3 = 0x04, kKey7 = 0x08, kKey8 = 0x09, kE = 0x12, kTab = 0x0F,
                  kF9 = 0x43, kNumLock = 0x45, kInsert = 0x152, kNumPlus = 0x4E, kNumPad7 = 0x47,
                  kNumPad9 = 0x49;
const ByteRgb P{1, 2, 3}, kWhite{255, 255, 255}, kBlack{0, 0, 0}, kRed{255, 0, 0};

// A colour expected on a key (column < 0) or on the cell at row, column of one frame.
struct Probe {
    size_t frame;
    int32_t keyOrRow;
    int column;
    ByteRgb color;
};
Probe K(size_t frame, int32_t key, ByteRgb color) {
    return {frame, key, -1, color};
}
Probe C(size_t frame, int row, int column, ByteRgb color) {
    return {frame, row, column, color};
}
using Play = std::function<void(Animations&, const LightingBitmap&)>;

class AnimationsTest : public ::testing::Test {
  protected:
    AnimationsTest() {
        for (const KeyCell& cell : keyCells())
            paintCell(profile, cell.offset(), 1, 2, 3);
        h.lighting.clear();
    }
    DirectorHarness h;
    Animations animations{h.lighting, h.runLoop, h.frames};
    LightingBitmap profile = blankBitmap();
};

TEST_F(AnimationsTest, EachAnimationPaintsItsFrames) {
    const ByteRgb dimGold{128, 118, 50}, gold{255, 230, 0}, orange{202, 81, 0}, dimOrange{94, 39, 0},
        streamRed{255, 25, 25}, blue{0, 0, 255}, cyan{0, 255, 255}, head{255, 255, 0},
        trail{230, 204, 153}, burst{200, 230, 255};
    const LightingCall dev4{"setTargetDevice", {4}, {}}, dev7{"setTargetDevice", {7}, {}};
    const auto every = [](size_t n, int64_t ms) { return std::vector<int64_t>(n, ms); };
    const struct {
        const char* name;
        Play run;
        size_t frames;
        std::vector<int64_t> waits;
        bool restores; // the last frame is the profile
        std::vector<Probe> probes;
        std::vector<LightingCall> first, last; // calls expected at the start and the end
    } rows[] = {
        // clang-format off
        // Enters with its dim edge and never lights row 0; cells of no key go with their row.
        {"row sweep up", [](auto& a, auto& p) { a.rowSweep(1, SweepDirection::up, p, false); }, 7, every(6, 80), true,
         {C(0, 5, 3, dimGold), C(0, 4, 0, P), C(4, 0, 0, P), C(5, 0, 7, dimGold), C(5, 1, 7, gold),
          C(5, 2, 7, dimGold), C(5, 3, 7, P), C(5, 1, 20, gold)}, {dev7}, {}},
        // Each frame starts from the profile: nothing is left over from the one before.
        {"row sweep down", [](auto& a, auto& p) { a.rowSweep(3, SweepDirection::down, p, false); }, 7, every(6, 80), true,
         {C(0, 0, 2, orange), C(0, 1, 2, dimOrange), C(3, 3, 2, orange), C(3, 2, 2, dimOrange),
          C(3, 4, 2, dimOrange), C(3, 0, 2, P), C(5, 5, 2, orange), C(5, 4, 2, dimOrange)}, {}, {}},
        // Flows outward from the centre band, then is wiped back to the profile row by row.
        {"stream A", [](auto& a, auto& p) { a.colorStream(ColorStream::A, p, false); }, 26 + 6, every(32, 75), true,
         {K(0, kF9, kWhite), K(0, kEsc, P), K(0, kQ, P), K(3, kEsc, kWhite), K(4, kF9, streamRed),
          C(26, 0, 0, P), C(28, 2, 0, P), C(31, 5, 0, P)}, {}, {}},
        {"stream F", [](auto& a, auto& p) { a.colorStream(ColorStream::F, p, false); }, 24 + 4 + 1, every(28, 65), true,
         {K(24, kEsc, {255, 220, 0}), K(24, kF9, streamRed), K(27, kEsc, streamRed), K(27, kF9, P)}, {}, {}},
        {"stream n", [](auto& a, auto& p) { a.colorStream(ColorStream::n, p, false); }, 15 + 4 + 1, every(19, 65), true,
         {K(15, kEsc, {90, 148, 255}), K(15, kF9, kWhite), K(18, kEsc, kWhite)}, {}, {}},
        // The 2 key sits on bands 0 and 1 and shows the blue of band 1, painted last.
        {"stripes", [](auto& a, auto& p) { a.stripes(p, false); }, 19 + 1, every(19, 75), true,
         {K(0, kEsc, blue), K(0, kE, P), K(9, kKey2, blue), K(9, kKey1, kWhite)}, {}, {}},
        {"checkerboard", [](auto& a, auto& p) { a.checkerboard(p, false); }, 15 + 1, every(15, 75), true,
         {C(0, 0, 0, cyan), C(0, 0, 1, P), C(0, 0, 18, cyan), C(0, 1, 1, P), C(10, 0, 0, P), C(10, 1, 19, cyan),
          C(10, 1, 0, P), C(10, 5, 1, cyan), C(14, 4, 0, P), C(14, 5, 1, cyan)}, {}, {}},
        {"rainbow", [](auto& a, auto& p) { a.rainbow(p, false); }, 10 + 1, every(10, 75), true,
         {C(0, 0, 4, kRed), C(0, 1, 4, P), C(9, 0, 4, P), C(9, 3, 4, P), C(9, 4, 4, {0, 90, 255}),
          C(9, 5, 4, {128, 0, 255})}, {}, {}},
        // The head runs right keeping its trail, which then withdraws band by band.
        {"five-colour sweep", [](auto& a, auto& p) { a.fiveColorSweep(SweepPalette::N, p, false); }, 6 + 5 + 1, every(11, 75), true,
         {K(0, kE, head), K(0, kQ, trail), K(0, kInsert, P), K(5, kQ, trail), K(5, kNumPlus, trail),
          K(6, kQ, P), K(6, kE, trail), K(10, kInsert, P), K(10, kNumPlus, trail)}, {}, {}},
        {"banner", [](auto& a, auto&) { a.banner(Color::red_()); }, 1, {1250}, false,
         {C(0, 0, 5, kWhite), C(0, 2, 10, kRed), C(0, 3, 10, kRed), K(0, kTab, kWhite), K(0, kNumPad9, kWhite),
          K(0, kNumPad7, kRed), C(0, 5, 10, kWhite)}, {dev4, {"setLighting", {100, 0, 0}, {}}, dev7}, {}},
        {"centre burst", [](auto& a, auto& p) { a.centerBurst(p); }, 4 + 1, every(4, 65), true,
         {K(0, kKey8, burst), K(0, kKey7, P), K(3, kEsc, burst), K(3, kKey8, P)}, {dev4}, {dev7}},
        // Band 0 is never painted: Esc stays lit, then alone on a black keyboard.
        {"fade to dark", [](auto& a, auto& p) { a.fadeToDark(p); }, 7, every(7, 60), false,
         {K(0, kNumPlus, kBlack), K(0, kNumLock, P), K(6, kNumLock, kBlack), K(6, kEsc, P)},
         {}, {dev4, {"setLighting", {0, 0, 0}, {}}, {"setLightingForKey", {0x01, 50, 100, 50}, {}}}},
        {"fade back", [](auto& a, auto& p) { a.fadeBack(p); }, 7, every(7, 60), false,
         {K(0, kKey3, kBlack), K(0, kEsc, P), K(6, kNumPlus, kBlack), K(6, kNumLock, P)}, {}, {{"wait", {60}, {}}}},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        h.lighting.clear();
        row.run(animations, profile);
        const auto& calls = h.lighting.calls;
        const auto frames = sentBitmaps(calls);
        ASSERT_EQ(frames.size(), row.frames);
        EXPECT_EQ(waits(calls), row.waits);
        EXPECT_EQ(row.restores, frames.back() == profile);
        for (const Probe& p : row.probes)
            EXPECT_EQ(p.column < 0 ? keyColor(frames[p.frame], p.keyOrRow)
                                   : cellColor(frames[p.frame], p.keyOrRow, p.column),
                      p.color)
                << "frame " << p.frame << (p.column < 0 ? " key " : " row ") << p.keyOrRow;
        ASSERT_GE(calls.size(), row.first.size() + row.last.size());
        EXPECT_EQ(std::vector(calls.begin(), calls.begin() + row.first.size()), row.first);
        EXPECT_EQ(std::vector(calls.end() - row.last.size(), calls.end()), row.last);
    }
}

TEST_F(AnimationsTest, InSingleColorModeTheWholeKeyboardChangesColor) {
    h.frames.useSingleColorMode = true;
    const struct {
        const char* name;
        Play run;
        std::vector<ByteRgb> colors; // all, or the first two and the last
        std::vector<int64_t> waits;
    } rows[] = {
        // clang-format off
        {"row sweep", [](auto& a, auto& p) { a.rowSweep(1, SweepDirection::down, p, true); },
         {kBlack, {100, 90, 0}, kBlack, {100, 90, 0}}, {200, 100, 100, 100}},
        {"stream F: its 24 centre colours", [](auto& a, auto& p) { a.colorStream(ColorStream::F, p, true); },
         {{100, 9, 9}, {19, 11, 0}, {100, 86, 0}}, std::vector<int64_t>(24, 65)},
        {"stripes", [](auto& a, auto& p) { a.stripes(p, true); },
         {{80, 80, 80}, {0, 0, 100}, {80, 80, 80}, {0, 0, 100}, {80, 80, 80}, {0, 0, 100}}, std::vector<int64_t>(6, 150)},
        {"checkerboard", [](auto& a, auto& p) { a.checkerboard(p, true); },
         {{0, 24, 24}, {0, 36, 36}, kBlack}, std::vector<int64_t>(15, 75)},
        {"rainbow", [](auto& a, auto& p) { a.rainbow(p, true); },
         {{100, 0, 0}, {100, 50, 0}, {100, 100, 0}, {0, 100, 0}, {0, 100, 100}, {50, 0, 50}}, std::vector<int64_t>(6, 150)},
        {"five-colour sweep", [](auto& a, auto& p) { a.fiveColorSweep(SweepPalette::L, p, true); },
         {{20, 50, 50}, {40, 70, 70}, {60, 90, 90}}, std::vector<int64_t>(3, 170)},
        {"black and white flash", [](auto& a, auto&) { a.blackAndWhiteFlash(); },
         {kBlack, {100, 100, 100}, kBlack, {100, 100, 100}, kBlack}, {200, 100, 100, 100, 100}},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        h.lighting.clear();
        row.run(animations, profile);
        std::vector<ByteRgb> colors;
        for (const auto& c : h.lighting.named("setLighting"))
            colors.push_back({int(c.args[0]), int(c.args[1]), int(c.args[2])});
        if (colors.size() > row.colors.size()) colors.erase(colors.begin() + 2, colors.end() - 1);
        EXPECT_EQ(colors, row.colors);
        EXPECT_EQ(waits(h.lighting.calls), row.waits);
        // Only the checkerboard puts the profile back as a bitmap.
        EXPECT_EQ(sentBitmaps(h.lighting.calls).size(), std::string(row.name) == "checkerboard");
    }
}

// Bands share their boundary key; the last band is anchored right; indexes and counts
// outside the paintable bands are clamped; every grid key lies in some band.
TEST(FramePaint, BandsCoverEveryKeyAndShareTheirBoundaries) {
    EXPECT_EQ(bandSpan(1, 7).first, 103);
    EXPECT_EQ(bandSpan(2, 7).first, 206);
    EXPECT_EQ(bandSpan(6, 7).first, 622); // 725 − 103, not 6 × 103
    EXPECT_EQ(bandSpan(6, 7).last, 725);
    EXPECT_EQ(bandSpan(-4, 5).first, bandSpan(0, 5).first);
    EXPECT_EQ(bandSpan(0, 40).last, bandSpan(0, 21).last);
    const auto painted = [](std::initializer_list<int> bands, int count) {
        LightingBitmap b = blankBitmap();
        for (int band : bands)
            paintBand(b, band, count, {1, 2, 3});
        return b;
    };
    EXPECT_EQ(bandSpan(0, 1).last, bandSpan(0, 2).last);
    for (int n : {2, 8, 21})
        EXPECT_EQ(painted({n + 1}, n), painted({n - 1}, n)) << n;
    EXPECT_EQ(keyColor(painted({0}, 10), kKey2), P); // the 2 key (72) is on the boundary
    EXPECT_EQ(keyColor(painted({1}, 10), kKey2), P);
    EXPECT_NE(keyColor(painted({1}, 10), kKey1), P);
    EXPECT_NE(keyColor(painted({0, 2}, 7), kKey3), P);
    for (int count : {6, 7, 8, 10}) {
        LightingBitmap b = blankBitmap();
        for (int band = 0; band < count; ++band)
            paintBand(b, band, count, {1, 2, 3});
        for (const KeyBandPosition& key : keyBandPositions())
            EXPECT_EQ(keyColor(b, key.keyName), P) << key.keyName << " of " << count << " bands";
    }
    // Rows and cells outside the bitmap paint nothing.
    LightingBitmap b = blankBitmap();
    paintRow(b, 6, {1, 2, 3});
    paintRow(b, -1, {1, 2, 3});
    paintGridCell(b, 0, 21, {1, 2, 3});
    copyRow(b, painted({0}, 1), 7);
    EXPECT_EQ(b, blankBitmap());
}

} // namespace
} // namespace et::test

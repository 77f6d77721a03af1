// The strip decoder: the offer/confirm handshake that guards against torn frames, the
// markers and hold cell, the lit threshold and the color prefixes of action-bar frames.
#include "PixelDecoder.h"
#include "StripFrames.h"

#include <gtest/gtest.h>

#include <vector>

namespace et::test {
namespace {

using Messages = std::vector<std::string>;

Messages decodeAll(PixelDecoder& decoder, const std::vector<PixelDecoder::Frame>& frames) {
    Messages messages;
    for (const auto& f : frames)
        if (auto m = decoder.decode(f)) messages.push_back(*m);
    return messages;
}

TEST(PixelDecoder, HandshakeTakesEachCharacterOnceAfterItsOffer) {
    PixelDecoder d;
    // A confirm frame held for several captures yields its character once.
    EXPECT_EQ(decodeAll(d, {offer('A'), confirm('A'), confirm('A'), confirm('A')}), Messages{"A"});
    // The same character again needs an offer in between; a long offer only re-arms.
    EXPECT_EQ(decodeAll(d, {offer('A'), offer('A'), confirm('A'), offer('A'), confirm('A')}),
              (Messages{"A", "A"}));
    // A confirm that does not match the offer discards both.
    EXPECT_EQ(decodeAll(d, {offer('A'), confirm('B')}), Messages{});
    EXPECT_FALSE(d.charSuspected().has_value());
    EXPECT_EQ(decodeAll(d, {confirm('A'), offer('C'), confirm('C')}), Messages{"C"});
    // Value 0 is the NUL message; 127 lights every data cell.
    EXPECT_EQ(decodeAll(d, {offer('\0'), confirm('\0'), offer('\x7f'), confirm('\x7f')}),
              (Messages{std::string(1, '\0'), "\x7f"}));
    PixelDecoder fresh;
    EXPECT_EQ(decodeAll(fresh, {confirm('Z')}), Messages{}) << "no offer before it";
}

TEST(PixelDecoder, HoldCellMarkersAndBlankFramesKeepTheOffer) {
    PixelDecoder d;
    d.decode(offer('A'));
    d.decode(frame({'Q', Phase::Offer, Color::white(), /*hold=*/true}));
    EXPECT_EQ(d.charSuspected(), 'A');
    FrameSpec noEnd{'Q', Phase::Confirm};
    noEnd.endMarker = false;
    FrameSpec noStart{'A', Phase::Confirm};
    noStart.startMarker = false;
    PixelDecoder::Frame blank;
    blank.fill(Color::black()); // the game not in front
    EXPECT_EQ(decodeAll(d, {frame(noEnd), frame(noStart), blank, confirm('A')}), Messages{"A"});
}

TEST(PixelDecoder, DataCellColorSelectsThePrefix) {
    // 'G' = 71 = 1000111b lights four data cells.
    const struct {
        Color color;
        std::string expected;
    } cases[] = {
        {Color::red_(), "`G"}, {Color::blue_(), "[G"}, {Color::green_(), "]G"}, {kMagenta, "{G"},
        {Color::cyan(), "}G"}, {Color::white(), "G"},  {Color::yellow(), "G"},
    };
    for (const auto& c : cases) {
        PixelDecoder d;
        EXPECT_EQ(decodeAll(d, {offer('G', c.color), confirm('G', c.color)}), Messages{c.expected})
            << c.expected;
    }
    // The counters come from the confirm frame, not the offer.
    PixelDecoder d;
    EXPECT_EQ(decodeAll(d, {offer('G'), confirm('G', Color::red_())}), Messages{"`G"});
}

TEST(PixelDecoder, ThresholdIs14Over256PerComponent) {
    const double below = 13.9 / 256.0, at = 14.0 / 256.0;
    PixelDecoder d;
    auto f = offer('A');
    f[0] = {below, below, below, 1.0}; // a marker just below the threshold is dark
    d.decode(f);
    EXPECT_FALSE(d.charSuspected().has_value());
    const Color faintRed{at, 0.0, 0.0, 1.0}; // exactly at it: lit, and red for the prefix
    EXPECT_EQ(decodeAll(d, {offer('A', faintRed), confirm('A', faintRed)}), Messages{"`A"});
    EXPECT_EQ(d.scanData()[2], 1);
    EXPECT_EQ(d.scanData()[3], 0);
}

} // namespace
} // namespace et::test

#include "PixelDecoder.h"
#include "StripFrames.h"

#include <gtest/gtest.h>

#include <vector>

namespace et::test {
namespace {

std::vector<std::string> decodeAll(PixelDecoder& decoder,
                                   const std::vector<PixelDecoder::Frame>& frames) {
    std::vector<std::string> messages;
    for (const auto& f : frames)
        if (auto m = decoder.decode(f)) messages.push_back(*m);
    return messages;
}

using Messages = std::vector<std::string>;

TEST(PixelDecoder, HandshakeAcceptsOncePerOfferConfirmTransition) {
    PixelDecoder d;
    // A confirm frame held for five captures yields its character once.
    EXPECT_EQ(decodeAll(d, {offer('A'), confirm('A'), confirm('A'), confirm('A'), confirm('A'),
                            confirm('A')}),
              Messages{"A"});
    // The same character again needs an offer in between; a long offer only re-arms.
    EXPECT_EQ(
        decodeAll(d, {offer('A'), offer('A'), offer('A'), confirm('A'), offer('A'), confirm('A')}),
        (Messages{"A", "A"}));
    // A confirm without any offer before it is not taken.
    PixelDecoder fresh;
    EXPECT_EQ(decodeAll(fresh, {confirm('Z')}), Messages{});
}

TEST(PixelDecoder, MismatchedConfirmDiscardsBoth) {
    PixelDecoder d;
    EXPECT_EQ(decodeAll(d, {offer('A'), confirm('B')}), Messages{});
    EXPECT_FALSE(d.charSuspected().has_value());
    EXPECT_EQ(decodeAll(d, {confirm('A')}), Messages{});
    // The decoder recovers with the next clean handshake.
    EXPECT_EQ(decodeAll(d, {offer('C'), confirm('C')}), Messages{"C"});
}

TEST(PixelDecoder, HoldCellAndMarkersProtectTheOfferedCharacter) {
    PixelDecoder d;
    d.decode(offer('A'));
    // An offer with the hold cell lit is not taken and keeps the earlier offer.
    d.decode(frame({'Q', Phase::Offer, Color::white(), /*hold=*/true}));
    EXPECT_EQ(d.charSuspected(), 'A');
    // Frames with a dark marker change nothing, whatever else they show.
    FrameSpec noEnd{'Q', Phase::Confirm};
    noEnd.endMarker = false;
    FrameSpec noStart{'A', Phase::Confirm};
    noStart.startMarker = false;
    EXPECT_EQ(decodeAll(d, {frame(noEnd), frame(noStart)}), Messages{});
    EXPECT_EQ(d.charSuspected(), 'A');
    EXPECT_EQ(decodeAll(d, {confirm('A')}), Messages{"A"});
    // A blank screen (the game not in front) is ignored the same way.
    PixelDecoder::Frame blank;
    blank.fill(Color::black());
    d.decode(offer('X'));
    EXPECT_EQ(decodeAll(d, {blank, blank, confirm('X')}), Messages{"X"});
}

TEST(PixelDecoder, ValueZeroIsTheNulMessageWithoutPrefix) {
    PixelDecoder d;
    EXPECT_EQ(decodeAll(d, {offer('\0'), confirm('\0')}), Messages{std::string(1, '\0')});
    // The full range decodes: 127 lights every data cell.
    EXPECT_EQ(decodeAll(d, {offer('\x7f'), confirm('\x7f')}), Messages{"\x7f"});
}

TEST(PixelDecoder, DataCellColorSelectsThePrefix) {
    // 'G' = 71 = 1000111b lights four data cells.
    const Color red = Color::red_(), green = Color::green_(), blue = Color::blue_(),
                cyan = Color::cyan(), yellow = Color::yellow(), white = Color::white();
    const struct {
        Color color;
        std::string expected;
    } cases[] = {
        {red, "`G"},  {blue, "[G"}, {green, "]G"}, {kMagenta, "{G"},
        {cyan, "}G"}, {white, "G"}, {yellow, "G"},
    };
    for (const auto& c : cases) {
        PixelDecoder d;
        EXPECT_EQ(decodeAll(d, {offer('G', c.color), confirm('G', c.color)}), Messages{c.expected})
            << c.expected;
    }
    // The counters come from the confirm frame, not the offer.
    PixelDecoder d;
    EXPECT_EQ(decodeAll(d, {offer('G', white), confirm('G', red)}), Messages{"`G"});
}

TEST(PixelDecoder, ThresholdIs14Over256PerComponent) {
    const double below = 13.9 / 256.0, at = 14.0 / 256.0;
    PixelDecoder d;
    const Color dim{below, below, below, 1.0};
    const Color faintRed{at, 0.0, 0.0, 1.0};
    // A marker just below the threshold is dark: the frame is ignored.
    auto f = offer('A');
    f[0] = dim;
    d.decode(f);
    EXPECT_FALSE(d.charSuspected().has_value());
    // Exactly at the threshold counts as lit, and as red for the prefix.
    EXPECT_EQ(decodeAll(d, {offer('A', faintRed), confirm('A', faintRed)}), Messages{"`A"});
    EXPECT_EQ(d.scanData()[2], 1);
    EXPECT_EQ(d.scanData()[3], 0);
}

} // namespace
} // namespace et::test

// The animations that paint vertical bands: the color streams, the stripes, the five-color
// sweep, the center burst and the two fades.
#include "Animations.h"

#include <array>
#include <span>
#include <vector>

namespace et {

namespace {

// Palette entries whose red byte is this leave their bands as they are.
constexpr int kSkipRed = 64;
constexpr ByteRgb kSkip{64, 64, 64};

constexpr ByteRgb kWhite{255, 255, 255};
constexpr ByteRgb kBlack{0, 0, 0};
constexpr ByteRgb kYellow{255, 230, 0};
constexpr ByteRgb kRed{255, 25, 25};
constexpr ByteRgb kBlue{0, 0, 255};
constexpr ByteRgb kGold{255, 220, 0};
constexpr ByteRgb kSky{90, 148, 255};
constexpr ByteRgb kAmber{255, 168, 54};

constexpr ByteRgb kStreamA[] = {
    kSkip,   kSkip,   kSkip,       kWhite, kWhite,  kWhite, kWhite,  kRed,   kYellow, kYellow,
    kYellow, kYellow, {0, 200, 0}, kWhite, kWhite,  kWhite, kWhite,  kBlue,  kYellow, kYellow,
    kYellow, kWhite,  kYellow,     kWhite, kYellow, kWhite, kYellow, kWhite, kYellow,
};
constexpr ByteRgb kStreamF[] = {
    kSkip,         kSkip,         kSkip,         kRed, {50, 30, 0},   {50, 30, 0},
    {50, 30, 0},   {50, 30, 0},   {50, 30, 0},   kRed, {90, 60, 0},   {90, 60, 0},
    {90, 60, 0},   {90, 60, 0},   {90, 60, 0},   kRed, {165, 140, 0}, {165, 140, 0},
    {165, 140, 0}, {165, 140, 0}, {165, 140, 0}, kRed, kGold,         kGold,
    kGold,         kGold,         kGold,
};
constexpr ByteRgb kStreamN[] = {
    kSkip, kSkip, kSkip,  kWhite, kSky,   kSky, kAmber, kAmber, kWhite,
    kSky,  kSky,  kAmber, kAmber, kWhite, kSky, kSky,   kAmber, kAmber,
};

constexpr int kStreamBands = 7;
constexpr int kStripeBands = 10;
constexpr int kBurstBands = 8;
constexpr int kFadeBands = 8;
constexpr int kSweepBands = 6;

constexpr double kStreamAFrame = 0.075;
constexpr double kStreamFrame = 0.065;
constexpr double kBandFrame = 0.075;
constexpr double kBurstFrame = 0.065;
constexpr double kFadeFrame = 0.06;
constexpr double kFiveColorFrame = 0.17;

// One closing frame of streams F and n: a color for each of the seven bands.
using StreamClosingFrame = std::array<ByteRgb, kStreamBands>;

std::span<const ByteRgb> streamPalette(ColorStream stream) {
    switch (stream) {
    case ColorStream::A:
        return kStreamA;
    case ColorStream::F:
        return kStreamF;
    case ColorStream::n:
        break;
    }
    return kStreamN;
}

// Paints bands `a` and `b` (in that order) unless the color is the skip marker.
void paintBandPair(LightingBitmap& bitmap, int a, int b, ByteRgb color) {
    if (color.red == kSkipRed) return;
    paintBand(bitmap, a, kStreamBands, color);
    paintBand(bitmap, b, kStreamBands, color);
}

// Stream F's and n's closing frames: from the center band outward, a colour per band
// pair (bands 0/6, 1/5, 2/4, then 3), with the outer pairs painted first.
std::vector<StreamClosingFrame> closingFrames(ColorStream stream) {
    const ByteRgb none = kSkip;
    if (stream == ColorStream::F) {
        return {
            {kGold, kGold, kGold, kRed, kGold, kGold, kGold},
            {kGold, kGold, kRed, none, kRed, kGold, kGold},
            {kGold, kRed, none, none, none, kRed, kGold},
            {kRed, none, none, none, none, none, kRed},
        };
    }
    return {
        {kSky, kAmber, kAmber, kWhite, kAmber, kAmber, kSky},
        {kAmber, kAmber, kWhite, none, kWhite, kAmber, kAmber},
        {kAmber, kWhite, none, none, none, kWhite, kAmber},
        {kWhite, none, none, none, none, none, kWhite},
    };
}

struct FiveColorPalette {
    Color wholeKeyboard[3];
    ByteRgb head;
    ByteRgb trail;
};

const FiveColorPalette& fiveColorPalette(SweepPalette palette) {
    static const FiveColorPalette n{
        {{0.5, 0.4, 0.2, 1.0}, {0.7, 0.6, 0.4, 1.0}, {0.9, 0.8, 0.6, 1.0}},
        {255, 255, 0},
        {230, 204, 153}};
    static const FiveColorPalette l{
        {{0.2, 0.5, 0.5, 1.0}, {0.4, 0.7, 0.7, 1.0}, {0.6, 0.9, 0.9, 1.0}},
        {0, 255, 255},
        {110, 202, 202}};
    return palette == SweepPalette::N ? n : l;
}

} // namespace

void Animations::colorStream(ColorStream stream, LightingBitmap profile, bool singleColor) {
    const std::span<const ByteRgb> palette = streamPalette(stream);
    const double frameTime = stream == ColorStream::A ? kStreamAFrame : kStreamFrame;
    target(kAllDevices);
    // The stream builds up on one bitmap: bands that a frame skips keep what the frames
    // before painted there.
    LightingBitmap working = profile;
    for (size_t i = 0; i + 3 < palette.size(); ++i) {
        paintBandPair(working, 0, 6, palette[i]);
        paintBandPair(working, 1, 5, palette[i + 1]);
        paintBandPair(working, 2, 4, palette[i + 2]);
        if (palette[i + 3].red != kSkipRed) paintBand(working, 3, kStreamBands, palette[i + 3]);
        if (singleColor)
            paintAll(palette[i + 3].toColor());
        else
            send(working);
        wait(frameTime);
    }
    target(kAllDevices);
    if (singleColor) return;

    if (stream == ColorStream::A) {
        // Wiped away from the top row down; the last frame is the whole profile again.
        for (int row = 0; row < kBitmapRows; ++row) {
            copyRow(working, profile, row);
            send(working);
            wait(frameTime);
        }
        return;
    }
    for (const StreamClosingFrame& colors : closingFrames(stream)) {
        LightingBitmap frame = profile;
        paintBandPair(frame, 0, 6, colors[0]);
        paintBandPair(frame, 1, 5, colors[1]);
        paintBandPair(frame, 2, 4, colors[2]);
        if (colors[3].red != kSkipRed) paintBand(frame, 3, kStreamBands, colors[3]);
        send(frame);
        wait(frameTime);
    }
    send(profile);
}

void Animations::stripes(LightingBitmap profile, bool singleColor) {
    target(kAllDevices);
    if (singleColor) {
        for (int i = 0; i < 3; ++i) {
            paintAll({0.8, 0.8, 0.8, 1.0});
            wait(0.15);
            paintAll(Color::blue_());
            wait(0.15);
        }
        return;
    }
    for (int f = -9; f <= 9; ++f) {
        LightingBitmap frame = profile;
        // Three white/blue pairs, the rightmost first; where two bands meet the later
        // paint wins.
        for (int offset : {8, 4, 0}) {
            const int whiteBand = f + offset;
            const int blueBand = f + offset + 1;
            if (whiteBand >= 0 && whiteBand < kStripeBands)
                paintBand(frame, whiteBand, kStripeBands, kWhite);
            if (blueBand >= 0 && blueBand < kStripeBands)
                paintBand(frame, blueBand, kStripeBands, kBlue);
        }
        send(frame);
        wait(kBandFrame);
    }
    send(profile);
}

void Animations::fiveColorSweep(SweepPalette which, LightingBitmap profile, bool singleColor) {
    const FiveColorPalette& palette = fiveColorPalette(which);
    target(kAllDevices);
    if (singleColor) {
        for (const Color& c : palette.wholeKeyboard) {
            paintAll(c);
            wait(kFiveColorFrame);
        }
        return;
    }
    LightingBitmap working = profile;
    for (int k = 1; k <= kSweepBands; ++k) {
        if (k < kSweepBands) paintBand(working, k, kSweepBands, palette.head);
        paintBand(working, k - 1, kSweepBands, palette.trail);
        send(working);
        wait(kBandFrame);
    }
    // The trail withdraws to the right.
    for (int j = 1; j < kSweepBands; ++j) {
        LightingBitmap frame = profile;
        for (int band = j; band < kSweepBands; ++band)
            paintBand(frame, band, kSweepBands, palette.trail);
        send(frame);
        wait(kBandFrame);
    }
    send(profile);
}

void Animations::centerBurst(LightingBitmap profile) {
    constexpr ByteRgb burst{200, 230, 255};
    target(kPerKeyDevices);
    for (int inner = 3; inner >= 0; --inner) {
        LightingBitmap frame = profile;
        paintBand(frame, inner, kBurstBands, burst);
        paintBand(frame, kBurstBands - 1 - inner, kBurstBands, burst);
        send(frame);
        wait(kBurstFrame);
    }
    send(profile);
    target(kAllDevices);
}

bool Animations::fadeToDark(LightingBitmap profile) {
    const uint64_t abandons = abandons_;
    target(kAllDevices);
    LightingBitmap working = profile;
    for (int band = kFadeBands - 1; band >= 1; --band) {
        paintBand(working, band, kFadeBands, kBlack);
        send(working);
        wait(kFadeFrame);
    }
    paintAll(Color::black());
    constexpr int32_t escape = 0x01;
    lightKey(escape, 50, 100, 50);
    return abandons == abandons_;
}

bool Animations::fadeBack(LightingBitmap profile) {
    const uint64_t abandons = abandons_;
    target(kAllDevices);
    // Column 7 stays dark in the last frame: the fade ends one step short of the profile.
    for (int first = 1; first < kFadeBands; ++first) {
        LightingBitmap frame = profile;
        for (int band = first; band < kFadeBands; ++band)
            paintBand(frame, band, kFadeBands, kBlack);
        send(frame);
        wait(kFadeFrame);
    }
    return abandons == abandons_;
}

} // namespace et

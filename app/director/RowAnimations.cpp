// The animations that paint whole rows or grid cells, the banner and the flash, and the
// frame plumbing every animation shares.
#include "Animations.h"

#include <array>
#include <cstdlib>

namespace et {

namespace {

struct RowSweepColors {
    ByteRgb bright;
    ByteRgb dim;
};

constexpr std::array<RowSweepColors, 4> kRowSweepColors{{
    {{255, 230, 0}, {128, 118, 50}},
    {{255, 255, 255}, {128, 128, 128}},
    {{202, 81, 0}, {94, 39, 0}},
    {{255, 0, 0}, {255, 0, 0}},
}};

constexpr double kRowSweepFrame = 0.08;
constexpr double kRowFrame = 0.075;
constexpr double kSingleColorFrame = 0.15;
constexpr double kBannerHold = 1.25;

constexpr ByteRgb kCyan{0, 255, 255};

// Rainbow: each row's color and the frames (1–10) in which it shows.
struct RainbowRow {
    ByteRgb color;
    int firstFrame;
    int lastFrame;
};
constexpr std::array<RainbowRow, kBitmapRows> kRainbowRows{{
    {{255, 0, 0}, 1, 6},
    {{255, 80, 0}, 2, 7},
    {{255, 220, 0}, 3, 8},
    {{0, 255, 0}, 4, 9},
    {{0, 90, 255}, 5, 10},
    {{128, 0, 255}, 6, 10},
}};

} // namespace

Animations::Animations(Lighting& lighting, RunLoop& runLoop, KeyboardFrames& frames)
    : lighting_(lighting), runLoop_(runLoop), frames_(frames) {}

void Animations::send(const LightingBitmap& bitmap) {
    if (!abandoned_) lighting_.setLightingFromBitmap(bitmap.data());
}

void Animations::paintAll(const Color& color) {
    if (!abandoned_) frames_.setAllKeys(color);
}

void Animations::target(int device) {
    if (!abandoned_) lighting_.setTargetDevice(device);
}

void Animations::lightKey(int32_t keyName, int red, int green, int blue) {
    if (!abandoned_) lighting_.setLightingForKey(keyName, red, green, blue);
}

void Animations::wait(double seconds) {
    if (!abandoned_) runLoop_.runFor(seconds);
}

void Animations::rowSweep(int colorSet, SweepDirection direction, LightingBitmap profile,
                          bool singleColor) {
    const RowSweepColors& colors =
        kRowSweepColors[colorSet >= 1 && colorSet <= 4 ? colorSet - 1 : 0];
    target(kAllDevices);
    if (singleColor) {
        paintAll(Color::black());
        wait(0.2);
        paintAll(colors.bright.toColor());
        wait(0.1);
        paintAll(Color::black());
        wait(0.1);
        paintAll(colors.bright.toColor());
        wait(0.1);
        return;
    }
    // Down visits rows 0–5; up starts one below the last row so that it enters with only
    // its dim edge, and stops at row 1, leaving row 0 dim but never bright.
    const int first = direction == SweepDirection::down ? 0 : 6;
    const int step = direction == SweepDirection::down ? 1 : -1;
    for (int i = 0, p = first; i < 6; ++i, p += step) {
        LightingBitmap frame = profile;
        if (p > 0) paintRow(frame, p - 1, colors.dim);
        if (p <= 5) paintRow(frame, p, colors.bright);
        if (p <= 4) paintRow(frame, p + 1, colors.dim);
        send(frame);
        wait(kRowSweepFrame);
    }
    send(profile);
}

void Animations::checkerboard(LightingBitmap profile, bool singleColor) {
    target(kAllDevices);
    for (int f = -6; f <= 8; ++f) {
        if (singleColor) {
            const double g = (8 - std::abs(f)) * 31 / 255.0;
            paintAll({0.0, g, g, 1.0});
        } else {
            LightingBitmap frame = profile;
            for (int row = 0; row < kBitmapRows; ++row) {
                // Row r is on from frame r − 6 to r + 3: the pattern rolls down the rows.
                if (f < row - 6 || f > row + 3) continue;
                for (int column = row % 2; column < kBitmapColumns - 1; column += 2)
                    paintGridCell(frame, row, column, kCyan);
            }
            send(frame);
        }
        wait(kRowFrame);
    }
    target(kAllDevices);
    send(profile);
}

void Animations::rainbow(LightingBitmap profile, bool singleColor) {
    target(kAllDevices);
    if (singleColor) {
        for (const Color& c : {Color::red_(), Color::orange(), Color::yellow(), Color::green_(),
                               Color::cyan(), Color::purple()}) {
            paintAll(c);
            wait(kSingleColorFrame);
        }
        return;
    }
    for (int f = 1; f <= 10; ++f) {
        LightingBitmap frame = profile;
        for (int row = 0; row < kBitmapRows; ++row) {
            const RainbowRow& r = kRainbowRows[static_cast<size_t>(row)];
            if (f >= r.firstFrame && f <= r.lastFrame) paintRow(frame, row, r.color);
        }
        send(frame);
        wait(kRowFrame);
    }
    send(profile);
}

void Animations::banner(const Color& color) {
    paintAll(color);
    LightingBitmap frame = blankBitmap();
    const ByteRgb band{color.redByte(), color.greenByte(), color.blueByte()};
    for (int row = 2; row <= 4; ++row)
        paintRow(frame, row, band);
    constexpr ByteRgb white{255, 255, 255};
    paintBand(frame, 0, 8, white);
    paintBand(frame, 7, 8, white);
    target(kAllDevices);
    send(frame);
    wait(kBannerHold);
}

bool Animations::blackAndWhiteFlash() {
    const uint64_t abandons = abandons_;
    paintAll(Color::black());
    wait(0.2);
    paintAll(Color::white());
    wait(0.1);
    paintAll(Color::black());
    wait(0.1);
    paintAll(Color::white());
    wait(0.1);
    paintAll(Color::black());
    wait(0.1);
    target(kAllDevices);
    return abandons == abandons_;
}

} // namespace et

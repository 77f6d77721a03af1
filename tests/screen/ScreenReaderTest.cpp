// The capture side of the screen link: scan geometry, the reader turning captured rows
// into queued messages, and its thread sharing the queue.
#include "ScreenReader.h"
#include "FakeScreenSource.h"
#include "RecordingLog.h"
#include "ScanGeometry.h"
#include "StripFrames.h"
#include "VirtualRunLoop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <thread>

namespace et::test {
namespace {

using namespace std::chrono_literals;

TEST(ScanGeometry, ColumnsAndSnapshots) {
    EXPECT_EQ(ScanGeometry::pixelOffsetsFor(80.0),
              (PixelOffsets{0, 7, 15, 22, 29, 36, 44, 51, 58, 65, 73}));
    EXPECT_EQ(ScanGeometry::pixelOffsetsFor(11.0),
              (PixelOffsets{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    // 5.5 × 2 / 11 = 1 exactly; 16.5 / 11 × 5 = 7.5 rounds away from zero.
    EXPECT_EQ(ScanGeometry::pixelOffsetsFor(16.5)[5], 8);
    // Corrupt widths give harmless columns instead of undefined conversions.
    for (double bad : {std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity(), 1e300, -1e300})
        for (int column : ScanGeometry::pixelOffsetsFor(bad))
            EXPECT_EQ(column, 0) << bad;

    ScanGeometry g;
    EXPECT_FALSE(g.snapshot()->myScanRect);
    g.scanOffset = 4;
    g.scanWidth = 80.0;
    g.applyScanRect();
    const auto before = g.snapshot();
    // A changed width (as after a failed calibration) does not reach the capture until
    // it is applied, and snapshots already taken never change.
    g.scanOffset = 2;
    g.scanWidth = 11.0;
    EXPECT_EQ(g.snapshot(), before);
    g.applyScanRect();
    EXPECT_EQ(before->myScanRect, (Rect{4, 0, 80, 1}));
    EXPECT_EQ(before->pixelOffsets[10], 73);
    EXPECT_EQ(g.myScanRect(), (Rect{2, 0, 11, 1}));
    EXPECT_EQ(g.pixelOffsets()[10], 10);
}

struct ReaderFixture : ::testing::Test {
    FakeScreenSource screen;
    ScanGeometry geometry;
    MessageQueue queue;
    VirtualRunLoop mainThread;
    RecordingLog log;

    ReaderFixture() {
        geometry.scanOffset = 2;
        geometry.scanWidth = 80.0;
        geometry.applyScanRect();
    }
    // The add-on's strip at offset 2 with 80/11-pixel cells.
    std::vector<Color> row(const PixelDecoder::Frame& cells) {
        auto r = stripRow(cells, 80.0 / 11.0);
        r.insert(r.begin(), 2, kGray);
        return r;
    }
};

TEST_F(ReaderFixture, FramesAreSampledAtTheColumnsAndQueued) {
    ScreenReader reader(screen, geometry, queue, mainThread, log, [](auto) {});
    for (const auto& f : {offer('C'), confirm('C'), confirm('C'), offer('7', Color::red_()),
                          confirm('7', Color::red_()), offer('s'), confirm('s')}) {
        screen.show(row(f));
        reader.recordColors();
    }
    EXPECT_EQ(queue.contents(), "`7Cs");

    // A rectangle off the right edge: the columns the image lacks read as dark.
    geometry.scanOffset = 360;
    geometry.applyScanRect();
    for (const auto& f : {offer('A'), confirm('A')}) {
        screen.show(row(f));
        reader.recordColors();
    }
    EXPECT_EQ(queue.contents(), "`7Cs");
}

TEST_F(ReaderFixture, CaptureThreadAndSelectionShareTheQueueSafely) {
    // Letters that all go to the back, so order is preserved end to end. No more than the
    // queue lets wait: a loaded machine may run the whole capture before the first selection,
    // and beyond the bound the queue drops the oldest on purpose.
    const std::string text = "abdfghijklmnopqrstuvABFGHIJKLMNP";
    ASSERT_LE(text.size(), MessageQueue::kMaxWaiting);
    std::vector<std::vector<Color>> frames;
    for (char ch : text) {
        frames.push_back(row(offer(ch)));
        frames.push_back(row(confirm(ch)));
    }
    screen.play(frames);
    ScreenReader reader(screen, geometry, queue, mainThread, log,
                        [](auto) { std::this_thread::yield(); });
    reader.start();
    std::string received, dropped;
    const auto until = std::chrono::steady_clock::now() + 60s;
    for (int i = 0; received.size() < text.size() && std::chrono::steady_clock::now() < until;
         ++i) {
        // The main thread's own writes race with the capture thread's.
        if (i % 3 == 0) queue.enqueue("e");
        auto taken = queue.select(false);
        dropped += taken.dropped;
        if (taken.message != "e") received += taken.message;
    }
    EXPECT_EQ(received, text);
    EXPECT_EQ(dropped, "");
}

} // namespace
} // namespace et::test

#pragma once
// A screen for tests: shows one row of pixels, or plays a list of rows one per capture
// (the last one stays). Safe to drive from the test thread while a capture thread reads.
#include "ScreenSource.h"

#include <cmath>
#include <deque>
#include <mutex>
#include <vector>

namespace et::test {

class FakeScreenSource : public ScreenSource {
  public:
    void show(std::vector<Color> row) {
        std::lock_guard lock(mutex_);
        frames_.clear();
        row_ = std::move(row);
    }
    void play(const std::vector<std::vector<Color>>& rows) {
        std::lock_guard lock(mutex_);
        frames_.insert(frames_.end(), rows.begin(), rows.end());
    }
    int captures() const {
        std::lock_guard lock(mutex_);
        return captures_;
    }

    int activeDisplayCount() override { return 1; }
    bool capture(const Rect& rect, ScreenImage& image) override {
        std::lock_guard lock(mutex_);
        image.clear();
        if (!frames_.empty()) {
            row_ = std::move(frames_.front());
            frames_.pop_front();
        }
        ++captures_;
        const long from = std::max(0L, std::lround(std::floor(rect.x)));
        const long to =
            std::min(static_cast<long>(row_.size()), std::lround(std::ceil(rect.x + rect.width)));
        for (long x = from; x < to; ++x)
            image.row().push_back(row_[static_cast<size_t>(x)]);
        return image.width() > 0;
    }
    double mainDisplayScaleFactor() override { return 1.0; }

  private:
    mutable std::mutex mutex_;
    std::vector<Color> row_;
    std::deque<std::vector<Color>> frames_;
    int captures_ = 0;
};

} // namespace et::test

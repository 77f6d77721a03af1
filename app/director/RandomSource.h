#pragma once
// Where the dead and shadow effects draw their pulse periods from. Injected so that tests
// can fix the draws; production uses SystemRandomSource.
#include <random>

namespace et {

class RandomSource {
  public:
    virtual ~RandomSource() = default;
    // A whole number drawn uniformly from `low` to `high`, both included (low <= high).
    virtual int uniform(int low, int high) = 0;
};

// A Mersenne Twister seeded from the system's entropy source.
class SystemRandomSource : public RandomSource {
  public:
    SystemRandomSource() : engine_(std::random_device{}()) {}
    explicit SystemRandomSource(unsigned seed) : engine_(seed) {}
    int uniform(int low, int high) override {
        return std::uniform_int_distribution<int>(low, high)(engine_);
    }

  private:
    std::mt19937 engine_;
};

} // namespace et

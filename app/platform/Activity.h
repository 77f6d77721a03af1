#pragma once
// A process activity that keeps the system from idle sleep while the application reads
// the screen. Without a facility to ask, begin() reports false and nothing else happens.
#include <string>

namespace et {

class Activity {
  public:
    virtual ~Activity() = default;
    virtual bool begin(const std::string& reason) = 0;
    virtual void end() = 0;
};

} // namespace et

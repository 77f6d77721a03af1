#pragma once
// Text to speech. Speaking starts in the background and never blocks the caller; where no
// speech facility exists nothing is said.
#include <string>

namespace et {

class Speech {
  public:
    virtual ~Speech() = default;
    virtual void speak(const std::string& text) = 0;
};

} // namespace et

#pragma once
// Short system sounds, played in the background; silent where there is no audio output.
#include <string>

namespace et {

class Sound {
  public:
    virtual ~Sound() = default;
    // `name` is a system sound such as "Tink"; unknown names fall back to a plain beep.
    virtual void play(const std::string& name) = 0;
};

} // namespace et

#pragma once
// Speech through espeak-ng, started detached; where it is not installed nothing is said.
#include "Speech.h"

#include <string>

namespace et {

class EspeakSpeech : public Speech {
  public:
    // `program` is looked up on PATH once, at construction.
    explicit EspeakSpeech(const std::string& program = "espeak-ng");
    void speak(const std::string& text) override;
    bool available() const { return !path_.empty(); }

  private:
    std::string path_;
};

} // namespace et

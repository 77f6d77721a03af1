#pragma once
// The calibration beep: a short bundled sound played through whichever command-line
// player the desktop has (PipeWire, PulseAudio or ALSA). Without one, or without audio
// output, it stays silent.
#include "Sound.h"

#include <QString>
#include <QTemporaryFile>
#include <memory>

namespace et {

class BeepSound : public Sound {
  public:
    BeepSound();
    // Every name plays the one bundled sound.
    void play(const std::string& name) override;
    bool available() const { return !player_.isEmpty(); }

  private:
    bool prepareFile();

    QString player_;
    std::unique_ptr<QTemporaryFile> file_; // the players read files, not Qt resources
};

} // namespace et

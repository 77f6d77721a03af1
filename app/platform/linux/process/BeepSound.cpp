#include "BeepSound.h"

#include "DetachedProcess.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace et {

BeepSound::BeepSound() {
    for (const char* candidate : {"pw-play", "paplay", "aplay"}) {
        player_ = QStandardPaths::findExecutable(candidate);
        if (!player_.isEmpty()) break;
    }
}

bool BeepSound::prepareFile() {
    if (file_) return true;
    QFile resource(":/sounds/tink.wav");
    if (!resource.open(QIODevice::ReadOnly)) return false;
    auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() + "/ember-talon-XXXXXX.wav");
    if (!file->open() || file->write(resource.readAll()) != resource.size()) return false;
    file->flush();
    file_ = std::move(file);
    return true;
}

void BeepSound::play(const std::string&) {
    if (player_.isEmpty() || !prepareFile()) return;
    QStringList args;
    if (player_.endsWith("aplay")) args << "-q";
    args << file_->fileName();
    startDetachedQuietly(player_, args);
}

} // namespace et

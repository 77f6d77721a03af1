#include "EspeakSpeech.h"

#include "DetachedProcess.h"

#include <QStandardPaths>

namespace et {

EspeakSpeech::EspeakSpeech(const std::string& program)
    : path_(QStandardPaths::findExecutable(QString::fromStdString(program)).toStdString()) {}

void EspeakSpeech::speak(const std::string& text) {
    if (path_.empty() || text.empty()) return;
    // "--" keeps a text that starts with a dash from being read as an option.
    startDetachedQuietly(QString::fromStdString(path_), {"--", QString::fromStdString(text)});
}

} // namespace et

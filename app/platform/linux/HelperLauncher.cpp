#include "HelperLauncher.h"

#include "DetachedProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace et {

HelperLauncher::HelperLauncher(std::string helperPath) : helperPath_(std::move(helperPath)) {}

void HelperLauncher::activate(const std::string& applicationName) {
    if (helperPath_.empty()) return;
    // The helper's complaints (no such application) belong to no one: the description of
    // the launch says the application reports nothing.
    startDetachedQuietly(QString::fromStdString(helperPath_),
                         {QString::fromStdString(applicationName)});
}

std::string HelperLauncher::findHelper() {
    const QString dir = QCoreApplication::applicationDirPath();
    const QStringList candidates = {
        dir + "/ember-talon-activate",
        QDir::cleanPath(dir + "/" + ET_RELATIVE_LIBEXEC_DIR + "/ember-talon-activate"),
    };
    for (const auto& c : candidates) {
        QFileInfo info(c);
        if (info.isFile() && info.isExecutable()) return c.toStdString();
    }
    return {};
}

} // namespace et

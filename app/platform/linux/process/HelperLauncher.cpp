#include "HelperLauncher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

namespace et {

namespace {
constexpr const char* kHelperName = "ember-talon-activate";
// The helper says one line; anything longer is not worth a log line.
constexpr qsizetype kReasonLimit = 300;

// The helper's last line on standard error without its program-name prefix, else its
// exit status.
std::string reasonOf(QProcess& helper, int exitCode, QProcess::ExitStatus status) {
    QString text = QString::fromUtf8(helper.readAllStandardError()).trimmed();
    text = text.mid(text.lastIndexOf('\n') + 1);
    const QString prefix = QString(kHelperName) + ": ";
    if (text.startsWith(prefix)) text = text.mid(prefix.size());
    if (text.size() > kReasonLimit) text = text.left(kReasonLimit) + "…";
    if (!text.isEmpty()) return text.toStdString();
    if (status == QProcess::CrashExit) return std::string(kHelperName) + " crashed";
    return std::string(kHelperName) + " failed with status " + std::to_string(exitCode);
}
} // namespace

HelperLauncher::HelperLauncher(std::string helperPath) : helperPath_(std::move(helperPath)) {}

HelperLauncher::~HelperLauncher() {
    // A helper still running is ended quietly: its end is reported to nobody.
    for (QProcess* helper : running_.findChildren<QProcess*>()) {
        helper->disconnect();
        helper->kill();
        helper->waitForFinished(1000);
        delete helper;
    }
}

void HelperLauncher::activate(const std::string& applicationName, Failed onFailure) {
    // Always later, so a failure never comes before what the caller logs after asking.
    auto fail = [onFailure, guard = &running_](const std::string& reason) {
        if (!onFailure) return;
        QTimer::singleShot(0, guard, [onFailure, reason] { onFailure(reason); });
    };
    if (helperPath_.empty()) {
        fail(std::string("the launch helper ") + kHelperName + " is not installed");
        return;
    }
    auto* helper = new QProcess(&running_);
    helper->setProgram(QString::fromStdString(helperPath_));
    helper->setArguments({QString::fromStdString(applicationName)});
    helper->setStandardInputFile(QProcess::nullDevice());
    helper->setStandardOutputFile(QProcess::nullDevice());
    QObject::connect(helper, &QProcess::finished, helper,
                     [helper, fail](int exitCode, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || exitCode != 0)
                             fail(reasonOf(*helper, exitCode, status));
                         helper->deleteLater();
                     });
    QObject::connect(helper, &QProcess::errorOccurred, helper,
                     [helper, fail, path = helperPath_](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart) return;
                         fail("cannot run the launch helper " + path + ": " +
                              helper->errorString().toStdString());
                         helper->deleteLater();
                     });
    helper->start();
}

std::string HelperLauncher::findHelper() {
    const QString dir = QCoreApplication::applicationDirPath();
    const QStringList candidates = {
        dir + "/" + kHelperName,
        QDir::cleanPath(dir + "/" + ET_RELATIVE_LIBEXEC_DIR + "/" + kHelperName),
    };
    for (const auto& c : candidates) {
        QFileInfo info(c);
        if (info.isFile() && info.isExecutable()) return c.toStdString();
    }
    return {};
}

} // namespace et

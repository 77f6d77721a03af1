#include "ProfileFileMenu.h"

#include "BuildInfo.h"
#include "ProfileFile.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QSaveFile>
#include <QStandardPaths>

#include <iostream>
#include <vector>

namespace et {

namespace {
// The system log of a desktop session: standard error, which the session journal keeps.
void systemLog(const std::string& line) {
    std::cerr << line << std::endl;
}

QString qString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString filter() {
    return QString("Ember Talon color profiles (*.%1)").arg(qString(kProfileFileExtension));
}
} // namespace

std::unique_ptr<QFileDialog> makeExportPanel(QWidget* parent, const std::string& folder,
                                             const std::string& proposedName) {
    auto dialog =
        std::make_unique<QFileDialog>(parent, "Export", QString::fromStdString(folder), filter());
    dialog->setObjectName("exportPanel");
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setLabelText(QFileDialog::Accept, "Export");
    dialog->setDefaultSuffix(qString(kProfileFileExtension));
    dialog->selectFile(QString::fromStdString(proposedName));
    return dialog;
}

std::unique_ptr<QFileDialog> makeImportPanel(QWidget* parent, const std::string& folder) {
    auto dialog =
        std::make_unique<QFileDialog>(parent, qString(profile_file_text::kImportPanelMessage),
                                      QString::fromStdString(folder), filter());
    dialog->setObjectName("importPanel");
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setLabelText(QFileDialog::Accept, "Import");
    return dialog;
}

std::unique_ptr<QMessageBox> makeImportWarning(QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setObjectName("importWarning");
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle("Ember Talon");
    box->setText(qString(profile_file_text::kImportWarningTitle));
    box->setInformativeText(qString(profile_file_text::kImportWarningText));
    box->addButton(qString(profile_file_text::kImportWarningButton), QMessageBox::AcceptRole);
    box->setStyleSheet("QLabel { min-width: 300px; }");
    return box;
}

ProfileFilePanels qtProfileFilePanels(QWidget* parent) {
    ProfileFilePanels panels;
    panels.documentsFolder = []() -> std::optional<std::string> {
        QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty()) return std::nullopt;
        return folder.toStdString();
    };
    auto chosen = [](QFileDialog& dialog) -> std::optional<std::string> {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first().toStdString();
    };
    panels.save = [parent, chosen](const std::string& folder, const std::string& name) {
        return chosen(*makeExportPanel(parent, folder, name));
    };
    panels.open = [parent, chosen](const std::string& folder) {
        return chosen(*makeImportPanel(parent, folder));
    };
    panels.importWarning = [parent] { makeImportWarning(parent)->exec(); };
    return panels;
}

int writeProfileFile(const std::string& path, const ProfileStore& store, std::string& detail) {
    const std::vector<unsigned char> bytes = exportProfileFile(store, build::kBuild);
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
        !file.commit()) {
        detail =
            std::string(profile_file_text::kWriteErrorPrefix) + file.errorString().toStdString();
        return kProfileFileWriteFailed;
    }
    return kProfileFileDone;
}

int readProfileFile(const std::string& path, ProfileStore& store, std::string& detail) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        detail =
            std::string(profile_file_text::kReadErrorPrefix) + file.errorString().toStdString();
        return kProfileFileNoAccess;
    }
    // A profile file is 5608 bytes; anything far larger is not one and is not read whole.
    constexpr qint64 kLimit = 1 << 20;
    const QByteArray data = file.read(kLimit + 1);
    if (data.size() > kLimit) return kProfileFileInvalid;
    std::vector<unsigned char> bytes(data.begin(), data.end());
    const ProfileImport result = importProfileFile(bytes, store);
    if (result.readPastEnd) detail = std::string(profile_file_text::kReadPastEnd);
    return result.status;
}

ProfileFileMenu::ProfileFileMenu(ProfileStore& store, Log& log, ProfileFilePanels panels,
                                 std::function<void()> afterImport)
    : store_(store), log_(log), panels_(std::move(panels)), afterImport_(std::move(afterImport)) {}

int ProfileFileMenu::ExportPreferencesMI() {
    int status = kProfileFileDone;
    const auto folder = panels_.documentsFolder ? panels_.documentsFolder() : std::nullopt;
    if (!folder) {
        status = kProfileFileNoAccess;
    } else if (auto path = panels_.save(*folder, std::string(kProfileFileProposedName))) {
        std::string detail;
        status = writeProfileFile(*path, store_, detail);
        if (!detail.empty()) systemLog(detail);
    } else {
        status = kProfileFileCancelled;
    }
    log_.appendLine(exportStatusLine(status));
    return status;
}

int ProfileFileMenu::ImportPreferencesMI() {
    if (panels_.importWarning) panels_.importWarning();
    int status = kProfileFileCancelled;
    const std::string folder =
        panels_.documentsFolder ? panels_.documentsFolder().value_or("") : std::string();
    if (auto path = panels_.open(folder)) {
        std::string detail;
        status = readProfileFile(*path, store_, detail);
        if (!detail.empty()) systemLog(detail);
    }
    log_.appendLine(importStatusLine(status));
    store_.defaults().sync();
    if (status == kProfileFileDone && afterImport_) afterImport_();
    return status;
}

} // namespace et

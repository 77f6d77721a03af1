#pragma once
// Export and import of the nine color profiles from the File menu (with the warning and
// the file panels) and from the command line (headless). Each ends with one status line.
#include "Log.h"
#include "ProfileStore.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QFileDialog;
class QMessageBox;
class QWidget;

namespace et {

// The interactive parts, so tests can answer them.
struct ProfileFilePanels {
    // The user's Documents folder; empty when there is none.
    std::function<std::optional<std::string>()> documentsFolder;
    // The save panel; empty when cancelled.
    std::function<std::optional<std::string>(const std::string& folder,
                                             const std::string& proposedName)>
        save;
    // The open panel; empty when cancelled.
    std::function<std::optional<std::string>(const std::string& folder)> open;
    // The import warning; returns once the user has read it.
    std::function<void()> importWarning;
};

ProfileFilePanels qtProfileFilePanels(QWidget* parent);

// The Qt dialogs behind those panels, ready to run.
std::unique_ptr<QFileDialog> makeExportPanel(QWidget* parent, const std::string& folder,
                                             const std::string& proposedName);
std::unique_ptr<QFileDialog> makeImportPanel(QWidget* parent, const std::string& folder);
std::unique_ptr<QMessageBox> makeImportWarning(QWidget* parent);

// The file operations themselves. `detail` receives the system error text of a failed
// write or read, or the note that the file ended early.
int writeProfileFile(const std::string& path, const ProfileStore& store, std::string& detail);
int readProfileFile(const std::string& path, ProfileStore& store, std::string& detail);

class ProfileFileMenu {
  public:
    // `afterImport` reloads the profiles and the editor after a successful import.
    ProfileFileMenu(ProfileStore& store, Log& log, ProfileFilePanels panels,
                    std::function<void()> afterImport);

    // ExportPreferencesMI: and ImportPreferencesMI:; both return the status they logged.
    int ExportPreferencesMI();
    int ImportPreferencesMI();

  private:
    ProfileStore& store_;
    Log& log_;
    ProfileFilePanels panels_;
    std::function<void()> afterImport_;
};

} // namespace et

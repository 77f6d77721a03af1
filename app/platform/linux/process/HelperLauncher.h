#pragma once
// Launcher that hands the name to the ember-talon-activate helper. The helper exits as soon
// as the application is raised or started; the application does not wait for it, but reads
// its standard error in the background and reports its complaint when it fails.
#include "Launcher.h"

#include <QObject>

#include <string>

namespace et {

class HelperLauncher : public Launcher {
  public:
    // `helperPath` empty: no helper was found; every launch fails with that reason.
    explicit HelperLauncher(std::string helperPath);
    ~HelperLauncher() override;
    void activate(const std::string& applicationName, Failed onFailure) override;

    // Next to the running executable (build tree), else in the installed libexec folder.
    static std::string findHelper();

  private:
    std::string helperPath_;
    // Parent of the helpers that have not finished yet.
    QObject running_;
};

} // namespace et

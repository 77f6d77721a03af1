#pragma once
// Launcher that hands the name to the ember-talon-activate helper, started detached: the
// application neither waits for it nor hears how it went.
#include "Launcher.h"

#include <string>

namespace et {

class HelperLauncher : public Launcher {
  public:
    explicit HelperLauncher(std::string helperPath);
    void activate(const std::string& applicationName) override;

    // Next to the running executable (build tree), else in the installed libexec folder.
    static std::string findHelper();

  private:
    std::string helperPath_;
};

} // namespace et

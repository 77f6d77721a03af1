#pragma once
// Where the screen-cast portal's restore token is kept between runs, so that the player is
// asked only once. Called from the cast's own thread.
#include <memory>
#include <mutex>
#include <string>

namespace et {
class Defaults;
class MainThread;
}

namespace et::portal {

class PortalTokens {
  public:
    virtual ~PortalTokens() = default;
    // Empty when none is kept.
    virtual std::string restoreToken() = 0;
    // Empty forgets the kept one.
    virtual void keepRestoreToken(const std::string& token) = 0;
};

// In the settings: read once at construction (on the main thread), written on the main
// thread, since the settings store belongs to it.
class SettingsPortalTokens : public PortalTokens {
  public:
    SettingsPortalTokens(Defaults& defaults, MainThread& mainThread);
    std::string restoreToken() override;
    void keepRestoreToken(const std::string& token) override;

  private:
    Defaults& defaults_;
    MainThread& mainThread_;
    std::mutex mutex_;
    std::string token_;
};

} // namespace et::portal

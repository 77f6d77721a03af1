#include "PortalTokens.h"

#include "Defaults.h"
#include "MainThread.h"
#include "SettingsKeys.h"

namespace et::portal {

SettingsPortalTokens::SettingsPortalTokens(Defaults& defaults, MainThread& mainThread)
    : defaults_(defaults), mainThread_(mainThread),
      token_(defaults.getString(settings::kPortalRestoreToken).value_or("")) {}

std::string SettingsPortalTokens::restoreToken() {
    std::lock_guard lock(mutex_);
    return token_;
}

void SettingsPortalTokens::keepRestoreToken(const std::string& token) {
    {
        std::lock_guard lock(mutex_);
        if (token == token_) return;
        token_ = token;
    }
    mainThread_.post([this, token] {
        if (token.empty())
            defaults_.remove(settings::kPortalRestoreToken);
        else
            defaults_.setString(settings::kPortalRestoreToken, token);
        defaults_.sync();
    });
}

} // namespace et::portal

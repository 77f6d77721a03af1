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
    // The settings outlive this object; a write still queued when it goes must not reach it.
    mainThread_.post([&defaults = defaults_, token] {
        if (token.empty())
            defaults.remove(settings::kPortalRestoreToken);
        else
            defaults.setString(settings::kPortalRestoreToken, token);
        defaults.sync();
    });
}

} // namespace et::portal

#pragma once
// The framework connected to a host simulator; effects are read back as the host's messages.
#include "EffectState.h"
#include "HostFixture.h"

#include <string>
#include <vector>

namespace effects_test {

using Sent = std::vector<std::string>;

class Effects : public HostFixture {
  protected:
    void SetUp() override {
        HostFixture::SetUp();
        initAndClear();
    }
};

inline bool idle() {
    return g_singleKeyFlashingMap.empty() && g_singleKeyPulsingMap.empty() &&
           !g_flashingInfo.timer && !g_pulsingInfo.timer;
}

} // namespace effects_test

#pragma once
// The main window's one line on where the lighting goes, from the host's last report.
#include "HostStatus.h"

#include <string>

namespace et {

std::string lightingLine(const HostReport& report);

} // namespace et

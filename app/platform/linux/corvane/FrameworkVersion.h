#pragma once
// The version of the CorvaneLED library loaded into this process, as the about line shows it.
#include <optional>
#include <string>

namespace et {

// Looks among the shared objects mapped into the process for the CorvaneLED library (the
// last one wins) and asks it for its version: "1.2.0". Empty when it is not loaded.
std::optional<std::string> loadedFrameworkVersion();

} // namespace et

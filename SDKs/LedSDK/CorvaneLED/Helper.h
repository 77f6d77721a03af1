#pragma once
// Small helpers of the framework.
#include <cstddef>
#include <string>

// The user's data folder ($XDG_DATA_HOME, else $HOME/.local/share); not created.
// Empty when neither variable gives a usable absolute path.
std::string getUserDirectory();

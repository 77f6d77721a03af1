#pragma once
// How the game shows itself on the desktop. Wine names a game's windows after its
// executable (WM_CLASS instance and class), which is how the application tells the game's
// window from any other and the strip painter stands in for it.
namespace et {

inline constexpr const char* kGameWindowClass = "emberfall.exe";

} // namespace et

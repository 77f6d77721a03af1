#pragma once
// The host's settings file, corvane-host.conf: an INI file a player edits by hand, one
// section per OpenRGB device, found by the device's name:
//
//   [Debug Keyboard]
//   max-frame-rate = 30
//   allow-saving-mode = yes
//   remap Escape = Key: Esc
//
// A line the host cannot use is named in the log (its number and why) and skipped; a file
// that cannot be used at all leaves every device the defaults. Either way the host starts.
#include "DeviceSettings.h"

#include <functional>
#include <string>
#include <string_view>

namespace orgb {

using SettingsLog = std::function<void(const std::string&)>;

// A file longer than this is no settings file a person wrote.
inline constexpr size_t kMaxSettingsBytes = 1 << 20;
inline constexpr size_t kMaxSettingsLine = 1024;
// Bad lines named one by one; the rest are counted in one more line.
inline constexpr int kNamedBadLines = 20;
inline constexpr int kHighestFrameRate = 60;

// $XDG_CONFIG_HOME/corvane-host/corvane-host.conf, else $HOME/.config/...; empty when
// neither gives an absolute folder.
std::string settingsFilePath();

// The settings `text` gives. `shown` names the file in the log's lines.
DeviceSettingsTable parseSettings(std::string_view text, const std::string& shown,
                                  const SettingsLog& log);

// The settings of the file at `path`. One line says what was read, or why nothing was.
DeviceSettingsTable readSettingsFile(const std::string& path, const SettingsLog& log);

} // namespace orgb

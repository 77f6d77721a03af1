#pragma once
// What the player may say about one OpenRGB device, which is found by its name (blanks
// around it and letter case aside). A device nobody named gets the defaults.
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace orgb {

struct DeviceSettings {
    std::string name;
    int maxFrameRate = 60;
    std::map<int32_t, std::string> keyRemaps; // KeyName → LED name, for oddly named keys
    // Light a board whose only per-LED mode writes its flash at every change: it then gets
    // only changes of the whole-keyboard color, at most once a second.
    bool allowSavingMode = false;
};

class DeviceSettingsTable {
  public:
    // Replaces the settings of the device of that name.
    void set(DeviceSettings settings) {
        const std::string key = folded(settings.name);
        devices_.insert_or_assign(key, std::move(settings));
    }
    // The settings of that device, made with the defaults when it has none yet.
    DeviceSettings& entry(std::string_view deviceName) {
        const auto [it, added] = devices_.try_emplace(folded(deviceName));
        if (added) it->second.name = std::string(deviceName);
        return it->second;
    }
    size_t size() const { return devices_.size(); }
    const DeviceSettings& lookup(std::string_view deviceName) const {
        const auto it = devices_.find(folded(deviceName));
        return it == devices_.end() ? defaults_ : it->second;
    }

  private:
    static std::string folded(std::string_view name) {
        const size_t first = name.find_first_not_of(" \t");
        if (first == std::string_view::npos) return {};
        std::string out(name.substr(first, name.find_last_not_of(" \t") + 1 - first));
        std::transform(out.begin(), out.end(), out.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
        return out;
    }

    std::map<std::string, DeviceSettings> devices_;
    DeviceSettings defaults_;
};

} // namespace orgb

#pragma once
// Settings a test hands the application: written as the INI file the application reads,
// and applied to an in-memory store from which the profile library computes what the
// keyboard should show.
#include "Color.h"
#include "MemoryDefaults.h"

#include <cstdint>
#include <map>
#include <string>
#include <variant>

namespace et::e2e {

class SettingsFile {
  public:
    SettingsFile& set(const std::string& key, bool value);
    SettingsFile& set(const std::string& key, int value) { return set(key, int64_t{value}); }
    SettingsFile& set(const std::string& key, int64_t value);
    SettingsFile& set(const std::string& key, double value);
    SettingsFile& set(const std::string& key, const std::string& value);
    SettingsFile& setColor(const std::string& key, const Color& value);
    // The strip at cell width 8 that Strip paints by default: samples in the cells' middles.
    SettingsFile& calibratedForCellWidth(double cellWidth);

    // "[General]" and one "key=value" line each.
    std::string text() const;
    void applyTo(MemoryDefaults& defaults) const;

  private:
    std::map<std::string, MemoryDefaults::Value> values_;
};

} // namespace et::e2e

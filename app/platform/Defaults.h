#pragma once
// The user-defaults store: flat string keys with typed values. Getters return nullopt
// when the key is missing or its stored form does not parse as the asked type, so callers
// fall back to their defaults and never fail a load.
#include "Color.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace et {

class Defaults {
public:
    virtual ~Defaults() = default;
    virtual bool contains(const std::string& key) const = 0;
    virtual void remove(const std::string& key) = 0;

    virtual std::optional<bool> getBool(const std::string& key) const = 0;
    virtual std::optional<int64_t> getInt(const std::string& key) const = 0;
    virtual std::optional<double> getDouble(const std::string& key) const = 0;
    virtual std::optional<std::string> getString(const std::string& key) const = 0;
    // Elements that are not integers come back as nullopt, so one bad element can be
    // replaced by its default while the rest loads.
    virtual std::optional<std::vector<std::optional<int64_t>>>
    getIntArray(const std::string& key) const = 0;
    virtual std::optional<Color> getColor(const std::string& key) const = 0;

    virtual void setBool(const std::string& key, bool value) = 0;
    virtual void setInt(const std::string& key, int64_t value) = 0;
    virtual void setDouble(const std::string& key, double value) = 0;
    virtual void setString(const std::string& key, const std::string& value) = 0;
    virtual void setIntArray(const std::string& key, const std::vector<int64_t>& value) = 0;
    virtual void setColor(const std::string& key, const Color& value) = 0;

    // Writes pending changes to stable storage (atomically where there is a file).
    virtual void sync() = 0;

    // A hand-edited number beyond a float's range is held to its ends (narrowing it would
    // be undefined).
    std::optional<float> getFloat(const std::string& key) const {
        auto d = getDouble(key);
        if (!d) return std::nullopt;
        constexpr double kMax = std::numeric_limits<float>::max();
        return static_cast<float>(*d > kMax ? kMax : *d < -kMax ? -kMax : *d);
    }
    void setFloat(const std::string& key, float value) { setDouble(key, value); }
};

} // namespace et

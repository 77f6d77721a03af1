#pragma once
// Defaults kept in memory: for tests, and as the store of a run without a settings file.
#include "Defaults.h"

#include <map>
#include <variant>

namespace et {

class MemoryDefaults : public Defaults {
public:
    using Value = std::variant<bool, int64_t, double, std::string, std::vector<int64_t>, Color>;

    bool contains(const std::string& key) const override { return values_.count(key) != 0; }
    void remove(const std::string& key) override { values_.erase(key); }

    std::optional<bool> getBool(const std::string& key) const override;
    std::optional<int64_t> getInt(const std::string& key) const override;
    std::optional<double> getDouble(const std::string& key) const override;
    std::optional<std::string> getString(const std::string& key) const override;
    std::optional<std::vector<std::optional<int64_t>>>
    getIntArray(const std::string& key) const override;
    std::optional<Color> getColor(const std::string& key) const override;

    void setBool(const std::string& key, bool value) override { values_[key] = value; }
    void setInt(const std::string& key, int64_t value) override { values_[key] = value; }
    void setDouble(const std::string& key, double value) override { values_[key] = value; }
    void setString(const std::string& key, const std::string& value) override {
        values_[key] = value;
    }
    void setIntArray(const std::string& key, const std::vector<int64_t>& value) override {
        values_[key] = value;
    }
    void setColor(const std::string& key, const Color& value) override { values_[key] = value; }
    void sync() override {}

    // Tests store malformed values through this to check that loads survive them.
    void setRaw(const std::string& key, Value value) { values_[key] = std::move(value); }
    const std::map<std::string, Value>& values() const { return values_; }

private:
    std::map<std::string, Value> values_;
};

} // namespace et

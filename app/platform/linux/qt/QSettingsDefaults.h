#pragma once
// The user's defaults in an INI file (QSettings): one "key=value" line per setting in the
// [General] section, values in the text form of SettingsText so a person can read and edit
// them. Writes go to a temporary file that replaces the old one, so a crash mid-write
// leaves the previous file intact.
#include "Defaults.h"

#include <functional>
#include <memory>
#include <string>

class QSettings;
class QString;
class QVariant;

namespace et {

class QSettingsDefaults : public Defaults {
  public:
    // $XDG_CONFIG_HOME/EmberTalon/EmberTalon.conf; ~/.config when XDG_CONFIG_HOME is unset,
    // empty or not an absolute path.
    static std::string defaultPath();

    QSettingsDefaults();
    explicit QSettingsDefaults(const std::string& path);
    ~QSettingsDefaults() override; // writes what is pending
    QSettingsDefaults(const QSettingsDefaults&) = delete;
    QSettingsDefaults& operator=(const QSettingsDefaults&) = delete;

    const std::string& path() const { return path_; }
    // False when the file could not be written (folder or file not writable); the values
    // in memory stay usable either way.
    bool ok() const;
    // The file held lines that are not settings (a damaged hand edit). They were skipped,
    // and the next write leaves them out.
    bool hadUnreadableLines() const { return unreadableLines_; }
    // `report` gets one line, the first time a sync finds the file cannot be written (a
    // read-only folder, a full disk), saying where; later failures are not repeated.
    void reportWriteFailures(std::function<void(const std::string&)> report) {
        report_ = std::move(report);
    }

    bool contains(const std::string& key) const override;
    void remove(const std::string& key) override;

    std::optional<bool> getBool(const std::string& key) const override;
    std::optional<int64_t> getInt(const std::string& key) const override;
    std::optional<double> getDouble(const std::string& key) const override;
    std::optional<std::string> getString(const std::string& key) const override;
    std::optional<std::vector<std::optional<int64_t>>>
    getIntArray(const std::string& key) const override;
    std::optional<Color> getColor(const std::string& key) const override;

    void setBool(const std::string& key, bool value) override;
    void setInt(const std::string& key, int64_t value) override;
    void setDouble(const std::string& key, double value) override;
    void setString(const std::string& key, const std::string& value) override;
    void setIntArray(const std::string& key, const std::vector<int64_t>& value) override;
    void setColor(const std::string& key, const Color& value) override;

    void sync() override;

  private:
    // The stored text, or nullopt when the key is absent. `listSeparator` joins a value
    // that QSettings read as a list (a hand-written line with commas).
    std::optional<std::string> text(const std::string& key, const char* listSeparator) const;
    void put(const std::string& key, const std::string& text);

    std::string path_;
    std::unique_ptr<QSettings> settings_;
    bool unreadableLines_ = false;
    std::function<void(const std::string&)> report_;
    bool reported_ = false;
};

} // namespace et

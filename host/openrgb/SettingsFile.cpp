#include "SettingsFile.h"

#include "KeyMap.h"
#include "OpenRgbOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace orgb {

namespace {

std::string_view trimmed(std::string_view s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") + 1 - first);
}

std::string lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::optional<bool> yesOrNo(std::string_view value) {
    const std::string v = lowered(value);
    if (v == "yes" || v == "true" || v == "on" || v == "1") return true;
    if (v == "no" || v == "false" || v == "off" || v == "0") return false;
    return std::nullopt;
}

std::optional<int> frameRate(std::string_view value) {
    // Three digits at most: no overflow, and "0060" is still sixty.
    if (value.empty() || value.size() > 3 ||
        !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int rate = std::atoi(std::string(value).c_str());
    if (rate < 1 || rate > kHighestFrameRate) return std::nullopt;
    return rate;
}

std::string quoted(std::string_view s) {
    return "\"" + printableName(s) + "\"";
}

// Why one line of a section cannot be used; empty when it was applied to `device`.
std::string applyLine(std::string_view line, DeviceSettings& device) {
    const std::string start = lowered(line.substr(0, 6));
    const bool remap = start == "remap " || start == "remap\t";
    // The key of a remap may be "=" itself: the "=" that ends it comes after its first letter.
    const size_t keyAt = remap ? line.find_first_not_of(" \t", 5) : std::string_view::npos;
    const size_t equals =
        keyAt == std::string_view::npos ? line.find('=') : line.find('=', keyAt + 1);
    if (equals == std::string_view::npos) return "no \"=\" (settings are NAME = VALUE)";
    const std::string_view name = trimmed(line.substr(0, equals));
    const std::string_view value = trimmed(line.substr(equals + 1));
    const std::string setting = lowered(name);
    if (setting == "max-frame-rate") {
        const auto rate = frameRate(value);
        if (!rate)
            return "max-frame-rate is a whole number from 1 to " +
                   std::to_string(kHighestFrameRate) + ", not " + quoted(value);
        device.maxFrameRate = *rate;
    } else if (setting == "allow-saving-mode") {
        const auto allowed = yesOrNo(value);
        if (!allowed) return "allow-saving-mode is yes or no, not " + quoted(value);
        device.allowSavingMode = *allowed;
    } else if (remap) {
        const std::string_view keyName = trimmed(name.substr(5));
        const auto key = keyNamed(keyName);
        if (!key) return "no key is named " + quoted(keyName);
        if (value.empty()) return "remap " + std::string(keyName) + " names no LED";
        device.keyRemaps[*key] = std::string(value);
    } else {
        return "unknown setting " + quoted(name) +
               " (max-frame-rate, allow-saving-mode or remap KEY)";
    }
    return {};
}

} // namespace

std::string settingsFilePath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string folder;
    if (config && config[0] == '/') {
        folder = config;
    } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        folder = std::string(home) + "/.config";
    } else {
        return {};
    }
    return folder + "/corvane-host/corvane-host.conf";
}

DeviceSettingsTable parseSettings(std::string_view text, const std::string& shown,
                                  const SettingsLog& log) {
    DeviceSettingsTable table;
    DeviceSettings* device = nullptr;
    std::string outside = "comes before any [DEVICE NAME] section";
    int lineNumber = 0, bad = 0;
    // Editors on other systems start a UTF-8 file with a byte-order mark.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view raw = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        ++lineNumber;
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        const std::string_view line = trimmed(raw);
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;
        std::string why;
        if (raw.size() > kMaxSettingsLine) {
            why = "longer than " + std::to_string(kMaxSettingsLine) + " characters";
        } else if (std::any_of(line.begin(), line.end(), [](char c) {
                       return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F;
                   })) {
            why = "holds control characters";
        } else if (line.front() == '[') {
            const std::string_view name = trimmed(line.substr(1, line.size() - 2));
            if (line.back() != ']' || line.size() < 2)
                why = "a section is [DEVICE NAME], with the closing \"]\"";
            else if (name.empty())
                why = "a section needs the device's name";
            device = why.empty() ? &table.entry(name) : nullptr;
            outside = "is in a section that was skipped";
        } else if (!device) {
            why = outside;
        } else {
            why = applyLine(line, *device);
        }
        if (why.empty()) continue;
        if (++bad <= kNamedBadLines)
            log(shown + " line " + std::to_string(lineNumber) + ": " + why + "; line skipped");
    }
    if (bad > kNamedBadLines)
        log(shown + ": " + std::to_string(bad - kNamedBadLines) + " more bad lines skipped");
    return table;
}

DeviceSettingsTable readSettingsFile(const std::string& path, const SettingsLog& log) {
    const std::string shown = quoted(path);
    const std::string defaults = "; every OpenRGB device gets the defaults";
    // Not blocking: a FIFO put there must not hold the host's start.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        log(errno == ENOENT
                ? "no settings file " + shown + defaults
                : "cannot read " + shown + " (" + std::strerror(errno) + ")" + defaults);
        return {};
    }
    struct stat info {};
    std::string text;
    std::string refused;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        refused = shown + " is not a file";
    } else {
        char chunk[65536];
        ssize_t n = 0;
        // The size is checked while reading: the file may grow meanwhile.
        while (text.size() <= kMaxSettingsBytes &&
               ((n = ::read(fd, chunk, sizeof chunk)) > 0 || (n < 0 && errno == EINTR)))
            if (n > 0) text.append(chunk, static_cast<size_t>(n));
        if (n < 0)
            refused = "cannot read " + shown + " (" + std::strerror(errno) + ")";
        else if (text.size() > kMaxSettingsBytes)
            refused = shown + " is larger than " + std::to_string(kMaxSettingsBytes >> 20) +
                      " MiB, so no settings file";
        else if (text.find('\0') != std::string::npos)
            refused = shown + " is not text";
    }
    ::close(fd);
    if (!refused.empty()) {
        log(refused + defaults);
        return {};
    }
    DeviceSettingsTable table = parseSettings(text, shown, log);
    log("settings for " + std::to_string(table.size()) + " OpenRGB device" +
        (table.size() == 1 ? "" : "s") + " read from " + shown);
    return table;
}

} // namespace orgb

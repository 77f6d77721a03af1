#include "DesktopEntry.h"

#include "AppName.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace et::activate {

namespace fs = std::filesystem;

std::optional<DesktopEntry> parseDesktopEntry(const fs::path& file) {
    std::ifstream in(file);
    if (!in) return std::nullopt;
    DesktopEntry entry;
    entry.file = file;
    bool inMain = false;
    bool sawMain = false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            inMain = line == "[Desktop Entry]";
            sawMain = sawMain || inMain;
            continue;
        }
        if (!inMain) continue;
        auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq);
        while (!key.empty() && key.back() == ' ')
            key.pop_back();
        std::string value = line.substr(eq + 1);
        while (!value.empty() && value.front() == ' ')
            value.erase(value.begin());
        if (key == "Name")
            entry.name = value;
        else if (key == "Exec")
            entry.exec = value;
        else if (key == "Type")
            entry.application = value == "Application";
        else if (key == "Hidden")
            entry.hidden = value == "true";
    }
    if (!sawMain) return std::nullopt;
    return entry;
}

std::vector<std::string> execArguments(const std::string& exec) {
    std::vector<std::string> args;
    std::string current;
    bool inQuotes = false;
    bool haveArg = false;
    for (size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (inQuotes) {
            if (c == '"') {
                inQuotes = false;
            } else if (c == '\\' && i + 1 < exec.size()) {
                current += exec[++i];
            } else {
                current += c;
            }
        } else if (c == '"') {
            inQuotes = true;
            haveArg = true;
        } else if (c == ' ' || c == '\t') {
            if (haveArg) args.push_back(current);
            current.clear();
            haveArg = false;
        } else if (c == '%' && i + 1 < exec.size()) {
            // Field codes stand for files and URLs we never pass; "%%" is a percent sign.
            const char code = exec[++i];
            if (code == '%') {
                current += '%';
                haveArg = true;
            }
        } else {
            current += c;
            haveArg = true;
        }
    }
    if (inQuotes) return {};
    if (haveArg) args.push_back(current);
    return args;
}

std::vector<fs::path> applicationDirectories() {
    std::vector<fs::path> dirs;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (dataHome && *dataHome == '/')
        dirs.push_back(fs::path(dataHome) / "applications");
    else if (home && *home)
        dirs.push_back(fs::path(home) / ".local/share/applications");
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share";
    std::stringstream ss(list);
    for (std::string dir; std::getline(ss, dir, ':');)
        if (!dir.empty() && dir[0] == '/') dirs.push_back(fs::path(dir) / "applications");
    return dirs;
}

std::optional<DesktopEntry> findDesktopEntry(const std::string& appName,
                                             const std::vector<fs::path>& dirs) {
    const std::string wanted = normalizedAppName(appName);
    if (wanted.empty()) return std::nullopt;
    for (const auto& dir : dirs) {
        std::error_code ec;
        std::vector<fs::path> files;
        for (auto it = fs::recursive_directory_iterator(dir, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (it->path().extension() == ".desktop") files.push_back(it->path());
        }
        std::sort(files.begin(), files.end()); // the same choice on every run
        for (const auto& file : files) {
            auto entry = parseDesktopEntry(file);
            if (!entry || entry->hidden || !entry->application || entry->exec.empty()) continue;
            if (normalizedAppName(entry->name) == wanted ||
                normalizedAppName(file.stem().string()) == wanted)
                return entry;
        }
    }
    return std::nullopt;
}

} // namespace et::activate

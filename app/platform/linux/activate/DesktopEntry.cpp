#include "DesktopEntry.h"

#include "AppName.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string_view>

namespace et::activate {

namespace fs = std::filesystem;

namespace {
// The escapes of a string value (\s, \n, \t, \r, \\); an unknown one stays as written.
std::string unescapedValue(const std::string& value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (const char c = value[++i]) {
        case 's': out += ' '; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case '\\': out += '\\'; break;
        default: out += '\\', out += c;
        }
    }
    return out;
}

// The desktop file ID: the path below the applications folder, '/' turned into '-'.
std::string desktopFileId(const fs::path& file, const fs::path& dir) {
    std::string id = file.lexically_relative(dir).generic_string();
    std::replace(id.begin(), id.end(), '/', '-');
    return id;
}
} // namespace

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
            entry.name = unescapedValue(value);
        else if (key == "Exec")
            entry.exec = unescapedValue(value);
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
            // Inside quotes a backslash escapes only the characters that need it.
            if (c == '"') {
                inQuotes = false;
            } else if (c == '\\' && i + 1 < exec.size() &&
                       std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos) {
                current += exec[++i];
            } else {
                current += c;
            }
        } else if (c == '\\' && i + 1 < exec.size()) {
            // Outside quotes it escapes the next character, as the shell reads the line
            // (Wine writes "Start\\ Menu" and "C:\\\\windows").
            current += exec[++i];
            haveArg = true;
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
    // An entry masks those of the same ID in later folders, also when it is hidden: that is
    // how a user deletes a system entry.
    std::set<std::string> seen;
    for (const auto& dir : dirs) {
        std::error_code ec;
        std::vector<fs::path> files;
        for (auto it = fs::recursive_directory_iterator(dir, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (it->path().extension() == ".desktop") files.push_back(it->path());
        }
        std::sort(files.begin(), files.end()); // the same choice on every run
        for (const auto& file : files) {
            if (!seen.insert(desktopFileId(file, dir)).second) continue;
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

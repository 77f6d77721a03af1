// The applet configuration file: locating it, reading and writing it, and the option
// getters and label setter on top.
#include "CorvSDKShared.h"

#include <climits>
#include <cwchar>
#include <memory>
#include <unistd.h>

#include "ConfigFileIO.h"
#include "CorvaneLED.h"
#include "JSON.h"
#include "Utf8.h"
#include "sha1.h"

std::mutex g_configMutex;
std::string g_configFolderPath;
std::string g_configFileFullPath;
JSONValue g_configJsonValue;
JSONValue* g_firstNodeJsonValue = nullptr;

namespace {

const wchar_t* categoryName(unsigned int category) {
    switch (category) {
    case 1:
        return L"led";
    case 2:
        return L"aux";
    default:
        return L"misc";
    }
}

const wchar_t* labelCategoryName(unsigned int category) {
    switch (category) {
    case 1:
        return L"led";
    case 2:
        return L"aux";
    default:
        return L"";
    }
}

// The resolved path of the running executable, the applet's identity.
std::string executablePath() {
    std::string path(PATH_MAX, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) return {};
        if (static_cast<std::size_t>(length) < path.size()) {
            path.resize(static_cast<std::size_t>(length));
            return path;
        }
        path.resize(path.size() * 2);
    }
}

JSONValue emptyObject() {
    return JSONValue(JSONObject{});
}
JSONValue emptyArray() {
    return JSONValue(JSONArray{});
}

JSONValue newGroup(const std::wstring& name) {
    JSONValue group = emptyObject();
    group.SetMember(L"key", JSONValue(name));
    group.SetMember(L"type", JSONValue(L"group"));
    group.SetMember(L"value", emptyArray());
    return group;
}

JSONValue newOption(const std::wstring& name, const wchar_t* type, const JSONValue& value) {
    JSONValue option = emptyObject();
    option.SetMember(L"key", JSONValue(name));
    option.SetMember(L"type", JSONValue(type));
    option.SetMember(L"value", value);
    return option;
}

void startFreshDocument() {
    g_configJsonValue = emptyObject();
    g_firstNodeJsonValue = g_configJsonValue.SetMember(L"applet_settings", emptyObject());
}

} // namespace

bool readJsonFromFile() {
    if (g_configFileFullPath.empty()) return false;
    std::string text;
    if (corvled::readWholeFile(g_configFileFullPath, text) == corvled::FileRead::Failed)
        return false;

    std::unique_ptr<JSONValue> document(JSON::Parse(text.c_str()));
    if (!document || !document->IsObject()) {
        // Unreadable text cannot be kept; it is replaced when the next option is added.
        startFreshDocument();
        return true;
    }
    g_configJsonValue = std::move(*document);
    // Anything else the document holds is kept; only a settings node of the wrong form
    // is replaced, since nothing could be found in it.
    JSONValue* settings = g_configJsonValue.Child(L"applet_settings");
    if (!settings || !settings->IsObject())
        settings = g_configJsonValue.SetMember(L"applet_settings", emptyObject());
    g_firstNodeJsonValue = settings;
    return true;
}

bool dumpJsonToFile() {
    if (!corvled::makeDirectories(g_configFolderPath)) return false;
    const std::string text = corvjson::encodeUtf8(JSON::Stringify(&g_configJsonValue));
    return corvled::writeFileAtomically(g_configFileFullPath, text);
}

ConfigItem getItemInConfigFile(const wchar_t* path, unsigned int category, const wchar_t* type,
                               const JSONValue& defaultValue, JSONValue& item) {
    const std::optional<OptionPath> parts = splitOptionPath(path);
    if (!parts || !g_firstNodeJsonValue) return ConfigItem::Failed;

    JSONValue* groups = g_firstNodeJsonValue->Child(categoryName(category));
    if (!groups) groups = g_firstNodeJsonValue->SetMember(categoryName(category), emptyArray());
    // Containers of the wrong form are left as they are (and the call fails) rather
    // than overwritten with what they might have held.
    if (!groups->IsArray()) return ConfigItem::Failed;

    JSONValue* group = findMutableObjectForKeyInJsonArray(*groups, parts->group, L"group");
    if (!group) group = groups->Append(newGroup(parts->group));
    JSONValue* options = group->Child(L"value");
    if (!options) options = group->SetMember(L"value", emptyArray());
    if (!options->IsArray()) return ConfigItem::Failed;

    if (const JSONValue* option = findObjectForKeyInJsonArray(*options, parts->name, type)) {
        item = *option;
        return ConfigItem::Found;
    }
    options->Append(newOption(parts->name, type, defaultValue));
    return dumpJsonToFile() ? ConfigItem::Created : ConfigItem::Failed;
}

// The option of `type` at `path`, read from the file (under g_configMutex, held by the caller):
// `read` gets the stored item when there is one; a missing option is stored with
// `defaultValue`, which the caller's variables already hold.
template <typename Read>
bool readConfigOption(const wchar_t* path, unsigned int category, const wchar_t* type,
                      const JSONValue& defaultValue, Read read) {
    if (!splitOptionPath(path) || !readJsonFromFile()) return false;
    JSONValue item;
    switch (getItemInConfigFile(path, category, type, defaultValue, item)) {
    case ConfigItem::Failed:
        return false;
    case ConfigItem::Created:
        return true;
    case ConfigItem::Found:
        break;
    }
    return read(item);
}

bool PrivateCorvGetConfigOptionNumber(const wchar_t* path, double* value, unsigned int category) {
    std::lock_guard<std::mutex> lock(g_configMutex);
    if (!path || !value) return false;
    return readConfigOption(path, category, L"number", JSONValue(*value),
                            [&](const JSONValue& item) {
                                findNumberInConfig(item, value);
                                return true;
                            });
}

bool PrivateCorvGetConfigOptionBool(const wchar_t* path, bool* value, unsigned int category) {
    std::lock_guard<std::mutex> lock(g_configMutex);
    if (!path || !value) return false;
    return readConfigOption(path, category, L"bool", JSONValue(*value), [&](const JSONValue& item) {
        findBoolInConfig(item, value);
        return true;
    });
}

bool PrivateCorvGetConfigOptionColor(const wchar_t* path, int* red, int* green, int* blue,
                                     unsigned int category) {
    std::lock_guard<std::mutex> lock(g_configMutex);
    if (!path || !red || !green || !blue) return false;
    JSONValue color = emptyObject();
    color.SetMember(L"red", JSONValue(static_cast<double>(*red)));
    color.SetMember(L"green", JSONValue(static_cast<double>(*green)));
    color.SetMember(L"blue", JSONValue(static_cast<double>(*blue)));
    return readConfigOption(path, category, L"color", color, [&](const JSONValue& item) {
        settingsColorStruct stored{*red, *green, *blue};
        if (findColorInConfig(item, &stored)) {
            *red = stored.red;
            *green = stored.green;
            *blue = stored.blue;
        }
        return true;
    });
}

bool PrivateCorvGetConfigOptionKeyInput(const wchar_t* path, wchar_t* buffer, int bufferSize,
                                        unsigned int category) {
    std::lock_guard<std::mutex> lock(g_configMutex);
    // The size is in bytes; a buffer must hold at least the terminator.
    const std::size_t capacity =
        bufferSize > 0 ? static_cast<std::size_t>(bufferSize) / sizeof(wchar_t) : 0;
    if (!path || !buffer || capacity < 1) return false;
    // The default ends at its terminator, and is never read beyond the buffer.
    const JSONValue defaultValue(std::wstring(buffer, ::wcsnlen(buffer, capacity)));
    return readConfigOption(path, category, L"keyinput", defaultValue, [&](const JSONValue& item) {
        return findStringInConfig(item, buffer, capacity) != StringCopy::TooLong;
    });
}

bool PrivateCorvSetConfigOptionLabel(const wchar_t* path, const wchar_t* label,
                                     unsigned int category) {
    std::lock_guard<std::mutex> lock(g_configMutex);
    const std::optional<OptionPath> parts = splitOptionPath(path);
    if (!parts || !label || !readJsonFromFile() || !g_firstNodeJsonValue) return false;
    JSONValue* groups = g_firstNodeJsonValue->Child(labelCategoryName(category));
    if (!groups || !groups->IsArray()) return false;

    bool labelled;
    if (std::wcschr(path, L'/') == nullptr) {
        // A bare name labels the group of that name, else the option of that name in "misc".
        labelled = setConfigLabel(*groups, label, path, L"") ||
                   setConfigLabel(*groups, label, L"misc", path);
    } else {
        const std::wstring shortLabel = std::wstring(label).substr(0, 128);
        labelled = setConfigLabel(*groups, shortLabel, parts->group, parts->name);
    }
    return labelled && dumpJsonToFile();
}

extern "C" {

bool CorvSetConfigFilePath(const char* basePath) {
    if (!basePath || basePath[0] == '\0') return false;
    const std::string identity = executablePath();
    if (identity.empty()) return false;
    std::lock_guard<std::mutex> lock(g_configMutex);
    g_configFolderPath =
        std::string(basePath) + "/Corvane/Gaming/Applets/" + corvled::sha1Hex(identity);
    g_configFileFullPath = g_configFolderPath + "/corv.cfg";
    return true;
}

bool CorvLedGetConfigOptionNumber(const wchar_t* optionPath, double* value) {
    return PrivateCorvGetConfigOptionNumber(optionPath, value, 1);
}

bool CorvLedGetConfigOptionBool(const wchar_t* optionPath, bool* value) {
    return PrivateCorvGetConfigOptionBool(optionPath, value, 1);
}

bool CorvLedGetConfigOptionColor(const wchar_t* optionPath, int* red, int* green, int* blue) {
    return PrivateCorvGetConfigOptionColor(optionPath, red, green, blue, 1);
}

bool CorvLedGetConfigOptionKeyInput(const wchar_t* optionPath, wchar_t* buffer, int bufferSize) {
    return PrivateCorvGetConfigOptionKeyInput(optionPath, buffer, bufferSize, 1);
}

bool CorvLedSetConfigOptionLabel(const wchar_t* optionPath, const wchar_t* label) {
    return PrivateCorvSetConfigOptionLabel(optionPath, label, 1);
}

} // extern "C"

#pragma once
// The applet configuration file: options an applet keeps in its own JSON file, by
// category ("led", "aux", "misc"), group and name. Internal to the framework; the C entry
// points in CorvaneLED.h forward here with the category "led".
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>

#include "JSONValue.h"

// ---- Module state, guarded by g_configMutex -----------------------------------------

extern std::mutex g_configMutex;
extern std::string g_configFolderPath;   // empty until CorvSetConfigFilePath
extern std::string g_configFileFullPath; // the folder + "/corv.cfg"
extern JSONValue g_configJsonValue;      // the document as last read
extern JSONValue* g_firstNodeJsonValue;  // its "applet_settings" member, inside it

// ---- Internal entry points (each takes g_configMutex) -------------------------------

// category: 1 "led", 2 "aux", anything else "misc". The output carries the default in and
// the stored value out.
bool PrivateCorvGetConfigOptionNumber(const wchar_t* path, double* value, unsigned int category);
bool PrivateCorvGetConfigOptionBool(const wchar_t* path, bool* value, unsigned int category);
bool PrivateCorvGetConfigOptionColor(const wchar_t* path, int* red, int* green, int* blue,
                                     unsigned int category);
// bufferSize is in bytes.
bool PrivateCorvGetConfigOptionKeyInput(const wchar_t* path, wchar_t* buffer, int bufferSize,
                                        unsigned int category);
// category: 1 "led", 2 "aux", anything else a category with an empty name.
bool PrivateCorvSetConfigOptionLabel(const wchar_t* path, const wchar_t* label,
                                     unsigned int category);

// ---- Steps (the caller holds g_configMutex) -------------------------------------------

// Loads the file into g_configJsonValue. A missing file, text that is not JSON, or a
// document of another shape starts a fresh document (written only when something is
// added). False when no path is set or the file exists but cannot be read.
bool readJsonFromFile();
// Writes g_configJsonValue, indented by 2, over the file (atomically); creates the folder.
bool dumpJsonToFile();

enum class ConfigItem { Found, Created, Failed };
// Finds the option of `type` at `path` in the category, copying the option object into
// `item` (Found); or appends it with `defaultValue` and writes the file (Created). Failed
// when a container on the way has the wrong form or the file could not be written.
ConfigItem getItemInConfigFile(const wchar_t* path, unsigned int category, const wchar_t* type,
                               const JSONValue& defaultValue, JSONValue& item);

// ---- The document's vocabulary --------------------------------------------------------

struct OptionPath {
    std::wstring group;
    std::wstring name;
};
// "group/name" splits at the first "/"; a name alone means group "misc". Nothing for a
// null path or one with more than two "/".
std::optional<OptionPath> splitOptionPath(const wchar_t* path);

// The first object of the array whose "key" is `key` and, unless `type` is empty, whose
// "type" is `type`. Null when there is none or `array` is not an array.
const JSONValue* findObjectForKeyInJsonArray(const JSONValue& array, const std::wstring& key,
                                             const std::wstring& type);
JSONValue* findMutableObjectForKeyInJsonArray(JSONValue& array, const std::wstring& key,
                                              const std::wstring& type);

struct settingsColorStruct {
    int red;
    int green;
    int blue;
};

// Each reads the "value" of an option object. False, with the output untouched, when the
// value does not have the form its type calls for.
bool findNumberInConfig(const JSONValue& item, double* value);
bool findBoolInConfig(const JSONValue& item, bool* value);
bool findColorInConfig(const JSONValue& item, settingsColorStruct* color);

enum class StringCopy { Copied, TooLong, WrongForm };
// Copies the string and its terminator into buffer[0 .. capacity); leaves the buffer
// untouched unless Copied.
StringCopy findStringInConfig(const JSONValue& item, wchar_t* buffer, std::size_t capacity);

// Sets the "label" of the group (empty name) or of the option `name` of any type in it.
// False when the group or option does not exist.
bool setConfigLabel(JSONValue& groupArray, const std::wstring& label, const std::wstring& group,
                    const std::wstring& name);

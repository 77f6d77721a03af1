#pragma once
// The portable profile file: all nine profiles, their cooldown flags and the blink time as
// 1402 little-endian single-precision values, with the marker 654321.0 at the start,
// between the sections and at the end. Encoding and decoding only; panels and file access
// belong to the shell.
#include "ProfileStore.h"
#include "SettingsKeys.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace et {

inline constexpr float kProfileFileMarker = 654321.0f;
inline constexpr size_t kProfileFileValues = 1402;
inline constexpr std::string_view kProfileFileExtension = "keycolormap";
inline constexpr std::string_view kProfileFileProposedName = "Ember Talon Color Profiles";
inline constexpr std::string_view kBlinkTimeKey = settings::kBlinkTime;
inline constexpr std::string_view kSupportAddress = "support@embertalon.example";

// Result of an export or import; the shell reports it with the status lines below.
enum ProfileFileStatus : int {
    kProfileFileDone = 0,
    kProfileFileInvalid = 1,   // import: not a valid file; export: data too large
    kProfileFileNoAccess = 2,  // export: no Documents folder; import: file unreadable
    kProfileFileCancelled = 3, // a panel was cancelled
    kProfileFileWriteFailed = 4,
};

// The values of the nine stored profiles, in file order. `buildVersion` is the writing
// application's build number; a string that is not a plain number is written as 0.
std::vector<float> exportProfileValues(const ProfileStore& store, std::string_view buildVersion);

std::vector<unsigned char> encodeProfileValues(std::span<const float> values);
// floor(size / 4) values; 1–3 trailing bytes are ignored.
std::vector<float> decodeProfileValues(std::span<const unsigned char> bytes);

// The export as file bytes.
inline std::vector<unsigned char> exportProfileFile(const ProfileStore& store,
                                                    std::string_view buildVersion) {
    return encodeProfileValues(exportProfileValues(store, buildVersion));
}

struct ProfileImport {
    ProfileFileStatus status = kProfileFileInvalid;
    // The file ended before its last marker (worth a line in the system log).
    bool readPastEnd = false;
};

// Checks the whole file, then replaces the blink time and all nine profiles in the store.
// A file that fails any check changes nothing. Values out of range are clamped; a missing
// value, a wrong marker, a cooldown flag other than 0 or 1, or a NaN blink time or color
// component make the file invalid. The caller reloads the profiles on success.
ProfileImport importProfileFile(std::span<const unsigned char> bytes, ProfileStore& store);

// The log-view line that reports a status (without the newline Log adds).
std::string exportStatusLine(int status);
std::string importStatusLine(int status);

// Texts of the export and import panels and their system log lines.
namespace profile_file_text {
inline constexpr std::string_view kExportPrompt = "Export";
inline constexpr std::string_view kImportPrompt = "Import";
inline constexpr std::string_view kImportWarningTitle = "Import Warning";
inline constexpr std::string_view kImportWarningText =
    "Import will replace all 9 of your current color settings.\n\nClick cancel on the next "
    "screen if you want to export (save) them first.";
inline constexpr std::string_view kImportWarningButton = "Got it";
inline constexpr std::string_view kImportPanelMessage =
    "Importing a color profile will replace all your existing colors and profiles.";
inline constexpr std::string_view kWriteErrorPrefix = "Ember Talon data write error: ";
inline constexpr std::string_view kReadErrorPrefix = "Ember Talon data read error: ";
inline constexpr std::string_view kReadPastEnd = "Ember Talon: Importer bouncing off the ceiling.";
} // namespace profile_file_text

} // namespace et

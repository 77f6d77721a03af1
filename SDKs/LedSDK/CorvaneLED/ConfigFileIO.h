#pragma once
// File access for the applet configuration: whole-file reads, and writes that replace
// the file whole or not at all.
#include <cstddef>
#include <string>
#include <string_view>

namespace corvled {

enum class FileRead { Ok, Missing, Failed };

// The largest configuration file read or written: far above any applet's options, and small
// enough that parsing it costs a getter little.
inline constexpr std::size_t kMaxConfigBytes = 1024 * 1024;

// Reads the whole file into `out`. Missing: no file at that path (out is emptied).
// Failed: the file exists but cannot be read, or is larger than any sane configuration.
FileRead readWholeFile(const std::string& path, std::string& out);

// Creates the folder and any missing parents. True when it exists as a folder afterwards.
bool makeDirectories(const std::string& path);

// Writes `bytes` to a new file beside `path`, flushes it to the disk and renames it over
// `path`, so that a crash or a full disk leaves either the old file or the new one,
// never a mix or a truncated file. On failure nothing is left behind. Refuses more than
// kMaxConfigBytes. A replaced file's mode is kept.
bool writeFileAtomically(const std::string& path, std::string_view bytes);

} // namespace corvled

#pragma once
// The library's version text, "major.minor.build", set by the build.

namespace corvled {

const char* versionString();

// Splits `text` at '.' and reads the leading digits of the first three components
// (0 when a component is missing or starts with no digit). Null text gives false and
// 0, 0, 0.
bool parseVersion(const char* text, int* major, int* minor, int* build);

} // namespace corvled

// Applet configuration options: not built yet; every call fails.
#include "CorvaneLED.h"

extern "C" {
bool CorvSetConfigFilePath(const char*) { return false; }
bool CorvLedGetConfigOptionNumber(const wchar_t*, double*) { return false; }
bool CorvLedGetConfigOptionBool(const wchar_t*, bool*) { return false; }
bool CorvLedGetConfigOptionColor(const wchar_t*, int*, int*, int*) { return false; }
bool CorvLedGetConfigOptionKeyInput(const wchar_t*, wchar_t*, int) { return false; }
bool CorvLedSetConfigOptionLabel(const wchar_t*, const wchar_t*) { return false; }
}

/*
 * CorvaneLED — lighting commands for Corvane Talon keyboards.
 *
 * The library forwards every command as a small binary message to the Corvane
 * host software over its Unix-domain socket
 *   $XDG_DATA_HOME/Corvane/CHS_LED_SDK   ($HOME/.local/share when XDG_DATA_HOME is unset).
 * It never reads from the socket: a command "succeeds" when every byte of its message
 * was accepted by the socket, not when the host has acted on it.
 *
 * General rules
 *  - Every function has C linkage, never throws and prints nothing, except CorvLedInit,
 *    which prints one "Connect Error: <reason>" line on standard error when the host
 *    software cannot be reached.
 *  - Lighting commands may be called from any thread. Each call blocks until its own
 *    message has been written; messages from different threads never interleave and are
 *    written in the order in which the callers reached the library.
 *  - Color components are ints 0–255 and reach the host unchanged; anything outside is
 *    refused before sending. (Ember Talon passes percentages, 0–100.)
 *  - Buffers passed in (bitmaps, key lists, option paths) stay the caller's and are read
 *    only during the call.
 *  - Before CorvLedInit and after CorvLedShutdown every lighting command returns false
 *    and sends nothing.
 *
 * Timed effects (flash and pulse) run on GLib timer sources attached to the calling
 * thread's thread-default GMainContext (the global default context on a thread that has
 * pushed none). The effect functions, their ticks and CorvLedStopEffects /
 * CorvLedStopEffectsOnKey must all be used from that one thread, and that thread must run
 * the context: a GLib main loop, or a Qt event loop (Qt on Linux iterates the default
 * GLib context). Effects started on a thread that never runs its loop never tick.
 */
#ifndef CORVANELED_H
#define CORVANELED_H

#include <stdbool.h>
#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define CORVLED_API __attribute__((visibility("default")))
#else
#define CORVLED_API
#endif

/* Library version data: 1.0 and "@(#)PROGRAM:CorvaneLED  PROJECT:CorvaneLED-1\n". */
CORVLED_API extern const double CorvaneLEDVersionNumber;
CORVLED_API extern const unsigned char CorvaneLEDVersionString[];

/*
 * KeyName — 32-bit key identifier: the PC/AT scan code set 1 make code for one-byte codes,
 * 0x100 + the second byte for E0-prefixed keys, 0xFFF1–0xFFF9 for the macro keys P1–P9,
 * 0xFFFF1 for the crest logo and 0xFFFF2 for the Talon Badge. The library does not check
 * that a value names a real key; the host ignores unknown ones.
 */
typedef enum KeyName {
    CLK_Escape = 0x001,
    CLK_F1 = 0x03B,
    CLK_F2 = 0x03C,
    CLK_F3 = 0x03D,
    CLK_F4 = 0x03E,
    CLK_F5 = 0x03F,
    CLK_F6 = 0x040,
    CLK_F7 = 0x041,
    CLK_F8 = 0x042,
    CLK_F9 = 0x043,
    CLK_F10 = 0x044,
    CLK_F11 = 0x057,
    CLK_F12 = 0x058,
    CLK_PrintScreen = 0x137,
    CLK_ScrollLock = 0x046,
    CLK_PauseBreak = 0x145,

    CLK_GraveAccentAndTilde = 0x029,
    CLK_1 = 0x002,
    CLK_2 = 0x003,
    CLK_3 = 0x004,
    CLK_4 = 0x005,
    CLK_5 = 0x006,
    CLK_6 = 0x007,
    CLK_7 = 0x008,
    CLK_8 = 0x009,
    CLK_9 = 0x00A,
    CLK_0 = 0x00B,
    CLK_MinusAndUnderscore = 0x00C,
    CLK_EqualsAndPlus = 0x00D,
    CLK_Backspace = 0x00E,
    CLK_Insert = 0x152,
    CLK_Home = 0x147,
    CLK_PageUp = 0x149,
    CLK_NumLock = 0x045,
    CLK_KeypadSlash = 0x135,
    CLK_KeypadAsterisk = 0x037,
    CLK_KeypadMinus = 0x04A,

    CLK_Tab = 0x00F,
    CLK_Q = 0x010,
    CLK_W = 0x011,
    CLK_E = 0x012,
    CLK_R = 0x013,
    CLK_T = 0x014,
    CLK_Y = 0x015,
    CLK_U = 0x016,
    CLK_I = 0x017,
    CLK_O = 0x018,
    CLK_P = 0x019,
    CLK_BracketLeft = 0x01A,
    CLK_BracketRight = 0x01B,
    CLK_Backslash = 0x02B,
    CLK_Delete = 0x153,
    CLK_End = 0x14F,
    CLK_PageDown = 0x151,
    CLK_Keypad7 = 0x047,
    CLK_Keypad8 = 0x048,
    CLK_Keypad9 = 0x049,
    CLK_KeypadPlus = 0x04E,

    CLK_CapsLock = 0x03A,
    CLK_A = 0x01E,
    CLK_S = 0x01F,
    CLK_D = 0x020,
    CLK_F = 0x021,
    CLK_G = 0x022,
    CLK_H = 0x023,
    CLK_J = 0x024,
    CLK_K = 0x025,
    CLK_L = 0x026,
    CLK_SemicolonAndColon = 0x027,
    CLK_ApostropheAndDoubleQuote = 0x028,
    CLK_Enter = 0x01C,
    CLK_Keypad4 = 0x04B,
    CLK_Keypad5 = 0x04C,
    CLK_Keypad6 = 0x04D,

    CLK_LeftShift = 0x02A,
    CLK_Z = 0x02C,
    CLK_X = 0x02D,
    CLK_C = 0x02E,
    CLK_V = 0x02F,
    CLK_B = 0x030,
    CLK_N = 0x031,
    CLK_M = 0x032,
    CLK_CommaAndLessThan = 0x033,
    CLK_PeriodAndBiggerThan = 0x034,
    CLK_SlashAndQuestionMark = 0x035,
    CLK_RightShift = 0x036,
    CLK_UpArrow = 0x148,
    CLK_Keypad1 = 0x04F,
    CLK_Keypad2 = 0x050,
    CLK_Keypad3 = 0x051,
    CLK_KeypadEnter = 0x11C,

    CLK_LeftCtrl = 0x01D,
    CLK_LeftGui = 0x15B,
    CLK_LeftAlt = 0x038,
    CLK_Space = 0x039,
    CLK_RightAlt = 0x138,
    CLK_RightGui = 0x15C,
    CLK_Application = 0x15D,
    CLK_RightCtrl = 0x11D,
    CLK_LeftArrow = 0x14B,
    CLK_DownArrow = 0x150,
    CLK_RightArrow = 0x14D,
    CLK_Keypad0 = 0x052,
    CLK_KeypadPeriodAndDelete = 0x053,

    CLK_P1 = 0xFFF1,
    CLK_P2 = 0xFFF2,
    CLK_P3 = 0xFFF3,
    CLK_P4 = 0xFFF4,
    CLK_P5 = 0xFFF5,
    CLK_P6 = 0xFFF6,
    CLK_P7 = 0xFFF7,
    CLK_P8 = 0xFFF8,
    CLK_P9 = 0xFFF9,
    CLK_CrestLogo = 0xFFFF1,
    CLK_TalonBadge = 0xFFFF2
} KeyName;

/* Size of the lighting bitmap: 21 columns × 6 rows × 4 bytes (blue, green, red, alpha). */
#define CORVLED_BITMAP_SIZE 504

/* ---- Connection ------------------------------------------------------------------- */

/*
 * Connects to the host software and asks it to save the keyboard's current lighting
 * (restored by CorvLedRestoreLighting and CorvLedShutdown).
 * Returns true when connected and the hello message was written. False when the library
 * was already initialised (nothing changes), when the socket cannot be reached (one
 * "Connect Error" line on stderr) or its path exceeds 103 bytes, or when the hello message
 * could not be written — in that last case the library stays initialised and later
 * commands keep trying the same connection. Any thread.
 */
CORVLED_API bool CorvLedInit(void);

/*
 * Ends whole-keyboard and single-key effects, asks the host to restore the lighting saved
 * by CorvLedInit, and closes the connection. Safe to call when not initialised. A command
 * running on another thread at the same moment either completes before the connection is
 * closed or fails; it never uses a closed connection. Call from the effects' thread.
 */
CORVLED_API void CorvLedShutdown(void);

/*
 * Reports the library's version "major.minor.build" as three ints; components that are
 * missing or not numbers give 0. Returns false (and sets all three to 0) only when no
 * version is available. Pointers must not be null. Any thread; works before Init.
 */
CORVLED_API bool CorvLedGetSdkVersion(int* major, int* minor, int* build);

/* ---- Whole keyboard --------------------------------------------------------------- */

/*
 * Chooses which device the host addresses (0–7). NOTE the inverted result: false when the
 * command was sent, true when the value was refused (outside 0–7) or the write failed.
 */
CORVLED_API bool CorvLedSetTargetDevice(int targetDevice);

/* Asks the host to save the whole keyboard's current lighting. True when written. */
CORVLED_API bool CorvLedSaveCurrentLighting(void);

/* Lights every key in one color; each component 0–255. True when written. */
CORVLED_API bool CorvLedSetLighting(int red, int green, int blue);

/* Asks the host to restore the lighting it saved last. True when written. */
CORVLED_API bool CorvLedRestoreLighting(void);

/*
 * Applies a 504-byte bitmap: row-major, 21 columns × 6 rows, 4 bytes per cell in blue,
 * green, red, alpha order. Exactly 504 bytes are read from `bitmap` during the call.
 * False for a null pointer. True when written.
 */
CORVLED_API bool CorvLedSetLightingFromBitmap(unsigned char* bitmap);

/*
 * Tells the host to leave up to 126 keys out of bitmaps. `keyList` may be null (an empty
 * list with `listCount` is sent); otherwise `listCount` entries are read from it.
 * False when listCount is outside 0–126. True when written.
 */
CORVLED_API bool CorvLedExcludeKeysFromBitmap(KeyName* keyList, int listCount);

/* ---- Single keys ------------------------------------------------------------------ */

/*
 * Light one key; the four functions differ only in how `keyCode` is read by the host:
 * scan code, HID usage, macOS virtual key code, or KeyName. The key code is not checked;
 * colors 0–255. True when written.
 */
CORVLED_API bool CorvLedSetLightingForKeyWithScanCode(int keyCode, int red, int green, int blue);
CORVLED_API bool CorvLedSetLightingForKeyWithHidCode(int keyCode, int red, int green, int blue);
CORVLED_API bool CorvLedSetLightingForKeyWithQuartzCode(int keyCode, int red, int green, int blue);
CORVLED_API bool CorvLedSetLightingForKeyWithKeyName(KeyName key, int red, int green, int blue);

/* Asks the host to save / restore one key's lighting. True when written. */
CORVLED_API bool CorvLedSaveLightingForKey(KeyName key);
CORVLED_API bool CorvLedRestoreLightingForKey(KeyName key);

/* ---- Timed effects (see "Timed effects" above for the thread rule) ------------------- */

/*
 * Flashes the whole keyboard: the color, then the saved lighting, alternating every
 * `interval` ms for `duration` ms (0: until CorvLedStopEffects), then restores the
 * lighting saved when it started. False when interval < 1 or a whole-keyboard effect
 * already runs. The first tick comes on the next pass of the thread's loop.
 */
CORVLED_API bool CorvLedFlashLighting(int red, int green, int blue, int duration, int interval);

/*
 * Pulses the whole keyboard between dark and the color in steps of 5 %, one step every
 * `interval` ms; `duration` counts down by 100 per step (0: until CorvLedStopEffects).
 * Restores the saved lighting at the end. False when interval < 1 or a whole-keyboard
 * effect already runs.
 */
CORVLED_API bool CorvLedPulseLighting(int red, int green, int blue, int duration, int interval);

/* Ends a running whole-keyboard flash or pulse and restores its saved lighting.
 * Single-key effects are left alone. Always true. */
CORVLED_API bool CorvLedStopEffects(void);

/*
 * Flashes one key: the color, then dark, alternating every `interval` ms for `duration` ms
 * (0: until stopped), then restores the key's saved lighting. Starting a flash on a key
 * that already flashes replaces colors and timing and keeps the lighting saved first.
 * False when interval < 1 or the key's lighting could not be saved (e.g. before Init).
 */
CORVLED_API bool CorvLedFlashSingleKey(KeyName key, int red, int green, int blue, int duration,
                                       int interval);

/*
 * Pulses one key from the start color to the finish color in `duration` ms and back in
 * another `duration` ms, one step every 10 ms; with `infinite` it repeats until stopped,
 * otherwise it then restores the key's saved lighting. Restarting replaces the running
 * pulse and keeps the lighting saved first. False when duration < 1 or the key's lighting
 * could not be saved (e.g. before Init).
 */
CORVLED_API bool CorvLedPulseSingleKey(KeyName key, int startRed, int startGreen, int startBlue,
                                       int finishRed, int finishGreen, int finishBlue,
                                       int duration, bool infinite);

/*
 * Ends the key's flash on its next tick (restore of the key's saved lighting). Only when
 * the key has no flash does it end the key's pulse instead. Always true, also for a key
 * with no effect.
 */
CORVLED_API bool CorvLedStopEffectsOnKey(KeyName key);

/* ---- Applet configuration options ---------------------------------------------------- */

/*
 * Options live in a JSON file per application:
 *   <base>/Corvane/Gaming/Applets/<sha1 of the executable's path>/corv.cfg
 * where <base> is set by CorvSetConfigFilePath. Option paths are wide strings naming a
 * member ("group/name"). A missing option is created with the caller's value as default.
 * All return false before CorvSetConfigFilePath or when the file cannot be used; a stored
 * value of the wrong form leaves the caller's value in place and returns true.
 * Not thread-safe: call from one thread.
 */

/* Sets the base folder (UTF-8). The path is copied. True when accepted. */
CORVLED_API bool CorvSetConfigFilePath(const char* basePath);

CORVLED_API bool CorvLedGetConfigOptionNumber(const wchar_t* optionPath, double* value);
CORVLED_API bool CorvLedGetConfigOptionBool(const wchar_t* optionPath, bool* value);
CORVLED_API bool CorvLedGetConfigOptionColor(const wchar_t* optionPath, int* red, int* green,
                                             int* blue);
/* Copies at most bufferSize-1 wide characters plus a terminator into `buffer`. */
CORVLED_API bool CorvLedGetConfigOptionKeyInput(const wchar_t* optionPath, wchar_t* buffer,
                                                int bufferSize);
CORVLED_API bool CorvLedSetConfigOptionLabel(const wchar_t* optionPath, const wchar_t* label);

#ifdef __cplusplus
}
#endif

#endif /* CORVANELED_H */

/*
 * CorvaneLED — lighting commands for Corvane Talon keyboards.
 *
 * The library forwards every command as a small binary message to the Corvane
 * host software over its Unix-domain socket
 *   $XDG_DATA_HOME/Corvane/CHS_LED_SDK
 * where a relative or unset XDG_DATA_HOME stands for $HOME/.local/share, and a relative or
 * unset HOME for the home folder the password database gives the user. The host software
 * computes the same path. The library talks only to a host running as the same user or
 * as root.
 * It never reads from the socket: a command "succeeds" when every byte of its message
 * was accepted by the socket, not when the host has acted on it.
 *
 * General rules
 *  - Every function has C linkage, never throws and prints nothing, except CorvLedInit,
 *    which prints one "Connect Error: <reason>" line on standard error when the host
 *    software cannot be reached.
 *  - Lighting commands may be called from any thread. Each call blocks until its own
 *    message has been written, but never longer than about 250 ms of writing: a host that
 *    stops reading (stopped, stalled) makes the call return false and closes the
 *    connection, since its stream may hold part of a message; every later command returns
 *    false at once until CorvLedShutdown and a new CorvLedInit. Messages from different
 *    threads never interleave and are written in the order in which the callers reached
 *    the library (a caller may also wait for the calls ahead of it).
 *  - Color components are ints 0–255 and reach the host unchanged; anything outside is
 *    refused before sending. (Ember Talon passes percentages, 0–100.)
 *  - Buffers passed in (bitmaps, key lists, option paths) stay the caller's and are read
 *    only during the call.
 *  - Before CorvLedInit and after CorvLedShutdown every lighting command returns false
 *    and sends nothing.
 *
 * Timed effects (flash and pulse) run on GLib sources attached to the thread-default
 * GMainContext of the thread that starts them (the global default context on a thread that
 * has pushed none, e.g. the main thread). The rule for users:
 *  - Start, restart and stop effects (the six effect functions, and CorvLedShutdown) from
 *    one thread, and keep that thread running its context: a GLib main loop, a Qt event
 *    loop (Qt on Linux iterates the default GLib context, also inside nested loops and
 *    QEventLoop waits, unless QT_NO_GLIB is set) or your own g_main_context_iteration
 *    calls. Effects started on a thread that never runs its loop never tick; they send
 *    nothing and never end.
 *  - Every effect ticks for the first time on the next pass of that loop, then once per
 *    interval on a fixed schedule (a late tick does not delay the next ones; missed ticks
 *    are skipped, not replayed). Each tick sends one command and blocks the thread for that
 *    one socket write (at most about 250 ms, as above).
 *  - Ticks count, not clocks: durations are consumed per tick (see each function), so an
 *    effect whose ticks come late lasts longer rather than skipping steps.
 *  - An effect's source is destroyed the moment the effect ends (at once for
 *    CorvLedStopEffects and CorvLedShutdown, on the key's next tick for
 *    CorvLedStopEffectsOnKey); nothing of it stays attached to the loop.
 *  - The library's effect state is locked, so a stray call from another thread is safe,
 *    but an effect it starts ticks on that thread's context.
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
 * that a value names a real key; the host ignores unknown ones. In C++ the type is fixed
 * to int, so any 32-bit value (negative ones too) is a valid KeyName there as in C.
 */
#ifdef __cplusplus
typedef enum KeyName : int {
#else
typedef enum KeyName {
#endif
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
 * was already initialised (nothing changes); when the socket cannot be reached, when the
 * host does not take the connection within about 250 ms, or when the program listening
 * there runs as neither this user nor root (one "Connect Error" line on stderr each, and
 * nothing is sent); when its path is empty or exceeds 103 bytes; or when the hello message
 * could not be written — in that last case the library stays initialised and later
 * commands keep trying the same connection unless the write ran out of time (see the
 * general rules). Any thread.
 */
CORVLED_API bool CorvLedInit(void);

/*
 * Ends a whole-keyboard effect (restoring the lighting it saved) and every single-key
 * effect (their sources are destroyed without a per-key restore, which the next step
 * covers), asks the host to restore the lighting it saved last (at CorvLedInit unless a
 * whole-keyboard effect saved since), and closes the connection. No effect ticks after
 * it. Safe to call when not initialised. A command running on another thread at the same
 * moment either completes before the connection is closed or fails; it never uses a
 * closed connection. Call from the effects' thread.
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

/* ---- Timed effects (see "Timed effects" above for the thread and loop rule) ------------ */

/*
 * Flashes the whole keyboard. Asks the host to save the current lighting (this replaces
 * what it saved before, e.g. at CorvLedInit), then on every tick, `interval` ms apart:
 * the color, then the saved lighting (a restore), alternating, starting with the color.
 * `duration` drops by `interval` per tick; the tick that finds it below 1 restores the
 * saved lighting and ends the flash. So 1000 / 250 shows the color at 0 and 500 ms,
 * restores at 250 and 750 ms and ends with a restore at 1000 ms; a negative duration only
 * restores, once. `duration` 0 flashes until CorvLedStopEffects.
 * False (nothing saved, nothing started) when interval < 1 or a whole-keyboard flash or
 * pulse already runs. Colors are not checked here: a tick with a color outside 0–255
 * sends nothing. Starts also before CorvLedInit; its commands then fail and it runs its
 * course silently.
 */
CORVLED_API bool CorvLedFlashLighting(int red, int green, int blue, int duration, int interval);

/*
 * Pulses the whole keyboard. Saves the current lighting as the flash does, then on every
 * tick, `interval` ms apart, shows the color at level L %: each component × L / 100,
 * truncated. L runs 0, 5, …, 95, 100, 95, …, 5, 0, 5, … (40 ticks per cycle).
 * `duration` drops by 100 per tick whatever the interval, so the pulse shows
 * ceil(duration / 100) levels and ends with a restore on the next tick (200 / 50: levels 0
 * and 5, restore on the third tick). `duration` 0 pulses until CorvLedStopEffects.
 * False when interval < 1 or a whole-keyboard flash or pulse already runs; otherwise as
 * for CorvLedFlashLighting.
 */
CORVLED_API bool CorvLedPulseLighting(int red, int green, int blue, int duration, int interval);

/*
 * Ends the running whole-keyboard flash or pulse at once with a restore of the lighting
 * saved when it started. Single-key effects are left alone. Always true.
 */
CORVLED_API bool CorvLedStopEffects(void);

/*
 * Flashes one key. Asks the host to save the key's lighting, then on every tick,
 * `interval` ms apart: the color, then dark (0, 0, 0), alternating, starting with the
 * color; the key's saved lighting comes back only at the end. `duration` drops by
 * `interval` per tick; the tick that finds it at 0 or below restores the key's saved
 * lighting and ends the flash. `duration` 0 flashes until CorvLedStopEffectsOnKey.
 * Starting a flash on a key that already flashes replaces colors, duration and interval
 * and restarts the schedule, but saves nothing: the lighting saved by the first flash is
 * the one restored. A key may run a flash and a pulse at once; each restores on its own end.
 * False, with nothing saved or changed, when interval < 1, or when the key's lighting
 * could not be saved (not initialised, host gone) — so always before CorvLedInit.
 */
CORVLED_API bool CorvLedFlashSingleKey(KeyName key, int red, int green, int blue, int duration,
                                       int interval);

/*
 * Pulses one key, one tick every 10 ms. Asks the host to save the key's lighting, then
 * sweeps from the start color to the finish color in `duration` ms and back to the start
 * color in another `duration` ms: with r the remaining ms of the sweep (from `duration`
 * down by 10 per tick) and f = r / duration in single precision, each component is
 * start × w + finish × (1 − w), truncated, where w = f going out and 1 − f coming back.
 * Without `infinite` the tick after the return sweep restores the key's saved lighting
 * and ends the pulse (duration 10: start color, finish color, restore); with it the two
 * sweeps repeat until CorvLedStopEffectsOnKey. Restarting a pulse on a key replaces it
 * and keeps the lighting saved first, as for the flash.
 * False, with nothing saved or changed, when duration < 1 or the key's lighting could not
 * be saved (so always before CorvLedInit).
 */
CORVLED_API bool CorvLedPulseSingleKey(KeyName key, int startRed, int startGreen, int startBlue,
                                       int finishRed, int finishGreen, int finishBlue, int duration,
                                       bool infinite);

/*
 * Ends one effect of the key on its next tick, which restores the key's saved lighting:
 * the key's flash if it has one, otherwise its pulse. A key that runs both needs two
 * calls: the first ends the flash and the pulse runs on; the second ends the pulse, also
 * when it comes before the flash's last tick (a flash already ending is passed over).
 * Why not both at once: a key's flash and pulse come from different owners. Ember Talon
 * flashes Enter for a whisper while the combat pulse runs on Enter too; dismissing the
 * whisper must not stop the combat pulse; and since the application stops the whisper
 * flash before it acts on any further message, combat's end, which calls this on Enter
 * too, finds the flash gone and ends the pulse.
 * Always true, also for a key with no effect (nothing is sent then).
 */
CORVLED_API bool CorvLedStopEffectsOnKey(KeyName key);

/* ---- Applet configuration options ---------------------------------------------------- */

/*
 * An application ("applet") keeps user-adjustable options in a JSON file of its own:
 *   <base>/Corvane/Gaming/Applets/<id>/corv.cfg
 * <base> is the folder given to CorvSetConfigFilePath; <id> is the SHA-1 of the resolved
 * path of the running executable (/proc/self/exe, its bytes as they are), written as 40
 * lowercase hex digits, so each program finds its own file again on every run.
 *
 * Options are addressed by a wide-string path: "group/name", or "name" alone for the group
 * "misc". The path is split at its first "/" ("a/b/c" is group "a", option "b/c"); a path
 * with more than two "/" is refused. These functions keep their options in the category
 * "led" of the file.
 *
 * Each getter takes the option's default in its output and returns the stored value in
 * it. The first request for an option adds it to the file with that default; later
 * requests return what the file holds, also after another program has changed it (the
 * file is read anew on every call). The file is created on the first addition, with its
 * folders; it is replaced whole (a new file is written, flushed and renamed over the old
 * one), so it is never left half-written; the replacement keeps the old file's mode.
 *
 * Common results. False, with the outputs untouched:
 *   - before CorvSetConfigFilePath has succeeded;
 *   - for a null path or output pointer, or a path with more than two "/";
 *   - when the file exists but cannot be read or is larger than 1 MiB, or a new option
 *     cannot be written (its folder cannot be created, the disk is full, the document
 *     would exceed 1 MiB, ...);
 *   - when the category or the option's group in the file is not of the form written
 *     here (it is then left unchanged).
 * True otherwise: the option was found, or added with the caller's default. A file that
 * is not JSON, or not an object, counts as empty and is replaced with a fresh document
 * when the next option is added. A stored value of the wrong form (a "color" that is a
 * number, a "keyinput" that is an object) leaves the caller's value in place, returns
 * true and is not rewritten.
 *
 * Buffers and strings stay the caller's and are read only during the call. All of these
 * functions may be called from any thread: calls are serialised inside the library. Two
 * processes using the same file each replace it whole; the later write wins.
 */

/*
 * Sets the base folder: a non-empty UTF-8 path (an absolute one is advisable; a relative
 * one is taken from the working directory of each later call). The text is copied. The
 * folder need not exist yet. Calling again moves later calls to the new location.
 * False for a null or empty path, or when the executable's path cannot be resolved; the
 * previous location then stays in force.
 */
CORVLED_API bool CorvSetConfigFilePath(const char* basePath);

/*
 * A number option ("type": "number"). `*value` is the default in, the stored number out.
 * Numbers are stored with 15 significant digits.
 */
CORVLED_API bool CorvLedGetConfigOptionNumber(const wchar_t* optionPath, double* value);

/* A switch option ("type": "bool"). `*value` is the default in, the stored value out. */
CORVLED_API bool CorvLedGetConfigOptionBool(const wchar_t* optionPath, bool* value);

/*
 * A color option ("type": "color", value {"blue", "green", "red"} numbers). The three ints
 * are the default in and the stored color out; stored components are truncated toward
 * zero. The color is replaced only as a whole: when a component is missing, not a number
 * or beyond the range of int, all three keep their values. The components are not
 * limited to 0–255 here.
 */
CORVLED_API bool CorvLedGetConfigOptionColor(const wchar_t* optionPath, int* red, int* green,
                                             int* blue);

/*
 * A key-input option ("type": "keyinput", a string). `buffer` holds the default in, as a
 * NUL-terminated wide string, and the stored string out. `bufferSize` is the size of the
 * buffer in BYTES: it holds bufferSize / sizeof(wchar_t) wide characters, the terminator
 * included, and nothing beyond that is read or written. The default is taken up to its
 * terminator (an empty default stores an empty string). When the stored string and its
 * terminator do not fit, the result is false and the buffer is left unchanged.
 * False also when the buffer cannot hold even a terminator (bufferSize < 4).
 */
CORVLED_API bool CorvLedGetConfigOptionKeyInput(const wchar_t* optionPath, wchar_t* buffer,
                                                int bufferSize);

/*
 * Sets the "label" shown for a group or an option; nothing is created.
 *   "name" alone: labels the group "name" when there is one, otherwise the option "name"
 *   (of any type) in the group "misc"; the label is stored whole.
 *   "group/name": labels option "name" (of any type) of group "group" with at most the
 *   first 128 characters of `label`.
 * True when a label was set and the file written; false when the group or option does
 * not exist (so nothing is written), for a null path or label, before
 * CorvSetConfigFilePath, or when the file cannot be read or written.
 */
CORVLED_API bool CorvLedSetConfigOptionLabel(const wchar_t* optionPath, const wchar_t* label);

#ifdef __cplusplus
}
#endif

#endif /* CORVANELED_H */

// The C entry points of the lighting commands: thin forwards to the command server.
#include "CorvaneLED.h"

#include "Effects.h"
#include "Version.h"
#include "cSDKServer.h"
#include "cSingleton.h"

namespace {
cSDKServer& server() { return cSingleton<cSDKServer>::GetInstance(); }
} // namespace

extern "C" {

bool CorvLedInit(void) {
    if (!server().Init()) return false;
    server().SaveCurrentLighting();
    return true;
}

void CorvLedShutdown(void) {
    CorvLedStopEffects();
    corvled::stopAllSingleKeyEffects();
    server().RestoreLighting();
    server().ShutDown();
}

bool CorvLedGetSdkVersion(int* major, int* minor, int* build) {
    if (!major || !minor || !build) return false;
    return corvled::parseVersion(corvled::versionString(), major, minor, build);
}

bool CorvLedSetTargetDevice(int targetDevice) { return !server().SetTargetDevice(targetDevice); }
bool CorvLedSaveCurrentLighting(void) { return server().SaveCurrentLighting(); }
bool CorvLedSetLighting(int red, int green, int blue) {
    return server().SetLighting(red, green, blue);
}
bool CorvLedRestoreLighting(void) { return server().RestoreLighting(); }
bool CorvLedSetLightingFromBitmap(unsigned char* bitmap) {
    return server().SetLightingWithBitmap(bitmap);
}
bool CorvLedExcludeKeysFromBitmap(KeyName* keyList, int listCount) {
    return server().ExcludeKeysFromBitmap(keyList, listCount);
}
bool CorvLedSetLightingForKeyWithScanCode(int keyCode, int red, int green, int blue) {
    return server().SetLightingForKeyWithScanCode(keyCode, red, green, blue);
}
bool CorvLedSetLightingForKeyWithHidCode(int keyCode, int red, int green, int blue) {
    return server().SetLightingForKeyWithHidCode(keyCode, red, green, blue);
}
bool CorvLedSetLightingForKeyWithQuartzCode(int keyCode, int red, int green, int blue) {
    return server().SetLightingForKeyWithQuartzCode(keyCode, red, green, blue);
}
bool CorvLedSetLightingForKeyWithKeyName(KeyName key, int red, int green, int blue) {
    return server().SetLightingForKeyWithKeyName(key, red, green, blue);
}
bool CorvLedSaveLightingForKey(KeyName key) { return server().SaveSingleKeyLighting(key); }
bool CorvLedRestoreLightingForKey(KeyName key) { return server().RestoreSingleKeyLighting(key); }

} // extern "C"

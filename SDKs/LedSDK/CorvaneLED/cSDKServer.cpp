#include "cSDKServer.h"

#include "Interlocked.h"
#include "WireFormat.h"
#include "cCHSConnection.h"

#include <cstring>

// 0 = not initialised, 1 = initialised. Every command reads it under its mutex first.
Interlocked<long> g_initialized(0);

namespace {
bool isComponent(int v) { return static_cast<unsigned>(v) <= 255u; }
bool isColor(int r, int g, int b) { return isComponent(r) && isComponent(g) && isComponent(b); }
} // namespace

cSDKServer::cSDKServer() = default;

cSDKServer::~cSDKServer() { ShutDown(); }

bool cSDKServer::initialized() {
    const long value = g_initialized.Read();
    return value != 0;
}

bool cSDKServer::connectToCHS() {
    std::lock_guard<std::mutex> lock(queue_);
    if (connection_) return true;
    auto connection = std::make_unique<cCHSConnection>();
    if (!connection->initialize()) return false;
    connection_ = std::move(connection);
    return true;
}

bool cSDKServer::Init() {
    if (g_initialized.CompareExchange(1, 0) != 0) return false;
    if (!connectToCHS()) {
        g_initialized.CompareExchange(0, 1);
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(queue_);
        queueOpen_ = true;
    }
    // A failed hello leaves the server initialised: later commands retry the same stream.
    unsigned char message[corvwire::kHeaderSize + corvwire::kInitReserved] = {};
    corvwire::putHeader(message, corvwire::kInit);
    return writeOnQueue(message, sizeof message);
}

void cSDKServer::ShutDown() {
    if (g_initialized.CompareExchange(0, 1) != 1) return;
    std::lock_guard<std::mutex> lock(queue_);
    queueOpen_ = false;
    if (connection_) {
        connection_->shutdownAndCleanUp();
        connection_.reset();
    }
}

bool cSDKServer::writeOnQueue(const void* message, unsigned long length) {
    std::lock_guard<std::mutex> lock(queue_);
    if (!queueOpen_ || !connection_) return false;
    return connection_->write(message, length);
}

bool cSDKServer::SetTargetDevice(int targetDevice) {
    if (!initialized()) return false;
    if (static_cast<unsigned>(targetDevice) > 7u) return false;
    unsigned char message[12];
    corvwire::putHeader(message, corvwire::kSetTargetDevice);
    corvwire::putI32(message + 8, targetDevice);
    return writeOnQueue(message, sizeof message);
}

bool cSDKServer::SetLighting(int red, int green, int blue) {
    if (!initialized()) return false;
    if (!isColor(red, green, blue)) return false;
    unsigned char message[20];
    corvwire::putHeader(message, corvwire::kSetLighting);
    corvwire::putI32(message + 8, red);
    corvwire::putI32(message + 12, green);
    corvwire::putI32(message + 16, blue);
    return writeOnQueue(message, sizeof message);
}

bool cSDKServer::sendHeaderOnly(unsigned command) {
    if (!initialized()) return false;
    unsigned char message[corvwire::kHeaderSize];
    corvwire::putHeader(message, command);
    return writeOnQueue(message, sizeof message);
}

bool cSDKServer::sendKeyOnly(unsigned command, int key) {
    if (!initialized()) return false;
    unsigned char message[12];
    corvwire::putHeader(message, command);
    corvwire::putI32(message + 8, key);
    return writeOnQueue(message, sizeof message);
}

bool cSDKServer::SaveCurrentLighting() { return sendHeaderOnly(corvwire::kSaveCurrentLighting); }
bool cSDKServer::RestoreLighting() { return sendHeaderOnly(corvwire::kRestoreLighting); }
bool cSDKServer::SaveSingleKeyLighting(int key) {
    return sendKeyOnly(corvwire::kSaveSingleKeyLighting, key);
}
bool cSDKServer::RestoreSingleKeyLighting(int key) {
    return sendKeyOnly(corvwire::kRestoreSingleKeyLighting, key);
}

bool cSDKServer::setKey(unsigned command, int key, int red, int green, int blue) {
    if (!initialized()) return false;
    if (!isColor(red, green, blue)) return false;
    unsigned char message[24];
    corvwire::putHeader(message, command);
    corvwire::putI32(message + 8, key);
    corvwire::putI32(message + 12, red);
    corvwire::putI32(message + 16, green);
    corvwire::putI32(message + 20, blue);
    return writeOnQueue(message, sizeof message);
}

bool cSDKServer::SetLightingForKeyWithScanCode(int key, int red, int green, int blue) {
    return setKey(corvwire::kSetKeyByScanCode, key, red, green, blue);
}
bool cSDKServer::SetLightingForKeyWithHidCode(int key, int red, int green, int blue) {
    return setKey(corvwire::kSetKeyByHidCode, key, red, green, blue);
}
bool cSDKServer::SetLightingForKeyWithQuartzCode(int key, int red, int green, int blue) {
    return setKey(corvwire::kSetKeyByQuartzCode, key, red, green, blue);
}
bool cSDKServer::SetLightingForKeyWithKeyName(int key, int red, int green, int blue) {
    return setKey(corvwire::kSetKeyByKeyName, key, red, green, blue);
}

bool cSDKServer::SetLightingWithBitmap(const unsigned char* bitmap) {
    if (!initialized()) return false;
    if (!bitmap) return false;
    unsigned char message[corvwire::kHeaderSize + corvwire::kBitmapSize];
    corvwire::putHeader(message, corvwire::kSetLightingWithBitmap);
    std::memcpy(message + corvwire::kHeaderSize, bitmap, corvwire::kBitmapSize);
    return writeOnQueue(message, sizeof message);
}

bool cSDKServer::ExcludeKeysFromBitmap(const KeyName* keys, int count) {
    if (!initialized()) return false;
    if (static_cast<unsigned>(count) > corvwire::kExcludeMaxCount) return false;
    unsigned char message[corvwire::kHeaderSize + corvwire::kExcludeSlots * 4 + 4] = {};
    corvwire::putHeader(message, corvwire::kExcludeKeysFromBitmap);
    if (keys) {
        for (int i = 0; i < count; ++i)
            corvwire::putI32(message + corvwire::kHeaderSize + 4 * i, static_cast<int32_t>(keys[i]));
    }
    corvwire::putI32(message + corvwire::kHeaderSize + corvwire::kExcludeSlots * 4, count);
    return writeOnQueue(message, sizeof message);
}

#pragma once
// The process-wide command server: validates a command, frames its message and writes it
// to the host through the one connection, one message at a time.
#include "CorvaneLED.h"

#include <memory>
#include <mutex>
#include <string>

class cCHSConnection;

class cSDKServer {
public:
    cSDKServer();
    virtual ~cSDKServer();
    cSDKServer(const cSDKServer&) = delete;
    cSDKServer& operator=(const cSDKServer&) = delete;

    bool Init();
    void ShutDown();

    bool SetTargetDevice(int targetDevice);
    bool SetLighting(int red, int green, int blue);
    bool SaveCurrentLighting();
    bool RestoreLighting();
    bool SaveSingleKeyLighting(int key);
    bool RestoreSingleKeyLighting(int key);
    bool SetLightingForKeyWithScanCode(int key, int red, int green, int blue);
    bool SetLightingForKeyWithHidCode(int key, int red, int green, int blue);
    bool SetLightingForKeyWithQuartzCode(int key, int red, int green, int blue);
    bool SetLightingForKeyWithKeyName(int key, int red, int green, int blue);
    bool SetLightingWithBitmap(const unsigned char* bitmap);
    bool ExcludeKeysFromBitmap(const KeyName* keys, int count);

    bool connectToCHS();

private:
    bool initialized();
    bool setKey(unsigned command, int key, int red, int green, int blue);
    bool sendHeaderOnly(unsigned command);
    bool sendKeyOnly(unsigned command, int key);
    // Writes one message under the queue lock; false when there is no queue or connection.
    bool writeOnQueue(const void* message, unsigned long length);

    // Stands in for a serial dispatch queue with dispatch_sync: one writer at a time,
    // each caller blocked until its own message is written. `queueOpen_` is the queue's
    // existence; both it and `connection_` change only under this lock, so a command that
    // raced ShutDown finds them gone instead of using a freed connection.
    std::mutex queue_;
    bool queueOpen_ = false;
    std::unique_ptr<cCHSConnection> connection_;
};

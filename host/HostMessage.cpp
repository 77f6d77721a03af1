#include "HostMessage.h"

#include "WireFormat.h"

#include <cstdio>

namespace hostsim {

int32_t Message::field(size_t offset) const {
    if (offset + 4 > bytes.size()) return 0;
    return corvwire::getI32(bytes.data() + offset);
}

const char* commandName(uint32_t command) {
    switch (command) {
    case corvwire::kInit: return "Init";
    case corvwire::kSetLighting: return "SetLighting";
    case corvwire::kSetTargetDevice: return "SetTargetDevice";
    case corvwire::kSaveCurrentLighting: return "SaveCurrentLighting";
    case corvwire::kRestoreLighting: return "RestoreLighting";
    case corvwire::kSetKeyByScanCode: return "SetLightingForKeyWithScanCode";
    case corvwire::kSetKeyByHidCode: return "SetLightingForKeyWithHidCode";
    case corvwire::kSetKeyByQuartzCode: return "SetLightingForKeyWithQuartzCode";
    case corvwire::kSetKeyByKeyName: return "SetLightingForKeyWithKeyName";
    case corvwire::kSetLightingWithBitmap: return "SetLightingWithBitmap";
    case corvwire::kSaveSingleKeyLighting: return "SaveSingleKeyLighting";
    case corvwire::kRestoreSingleKeyLighting: return "RestoreSingleKeyLighting";
    case corvwire::kExcludeKeysFromBitmap: return "ExcludeKeysFromBitmap";
    default: return nullptr;
    }
}

const char* Message::name() const {
    const char* n = commandName(command);
    return n ? n : "Unknown";
}

std::string Message::toJson() const {
    char head[96];
    std::snprintf(head, sizeof head, "{\"t\":%.6f,\"cmd\":\"%s\"", time, name());
    std::string out = head;
    auto add = [&](const char* key, long long value) {
        out += ",\"";
        out += key;
        out += "\":";
        out += std::to_string(value);
    };
    switch (command) {
    case corvwire::kSetLighting:
        add("r", field(8));
        add("g", field(12));
        add("b", field(16));
        break;
    case corvwire::kSetTargetDevice: add("device", field(8)); break;
    case corvwire::kSetKeyByScanCode:
    case corvwire::kSetKeyByHidCode:
    case corvwire::kSetKeyByQuartzCode:
    case corvwire::kSetKeyByKeyName:
        add("key", field(8));
        add("r", field(12));
        add("g", field(16));
        add("b", field(20));
        break;
    case corvwire::kSaveSingleKeyLighting:
    case corvwire::kRestoreSingleKeyLighting: add("key", field(8)); break;
    case corvwire::kSetLightingWithBitmap: {
        static const char* hex = "0123456789abcdef";
        out += ",\"bitmap\":\"";
        for (size_t i = 8; i < bytes.size(); ++i) {
            out += hex[bytes[i] >> 4];
            out += hex[bytes[i] & 15];
        }
        out += '"';
        break;
    }
    case corvwire::kExcludeKeysFromBitmap: {
        const int32_t count = field(2024);
        add("count", count);
        out += ",\"keys\":[";
        const int32_t shown = count < 0 ? 0 : (count > 504 ? 504 : count);
        for (int32_t i = 0; i < shown; ++i) {
            if (i) out += ',';
            out += std::to_string(field(8 + 4 * static_cast<size_t>(i)));
        }
        out += ']';
        break;
    }
    default: break;
    }
    out += '}';
    return out;
}

bool StreamDecoder::feed(const uint8_t* data, size_t size, double time,
                         std::vector<Message>& out) {
    pending_.insert(pending_.end(), data, data + size);
    size_t at = 0;
    bool ok = true;
    while (pending_.size() - at >= corvwire::kHeaderSize) {
        const uint32_t length = corvwire::getU32(pending_.data() + at);
        const uint32_t command = corvwire::getU32(pending_.data() + at + 4);
        if (length < corvwire::kMinMessage || length > corvwire::kMaxMessage) {
            error_ = "declared length " + std::to_string(length) + " outside 8..4096";
            ok = false;
            break;
        }
        const size_t expected = corvwire::messageLength(command);
        if (expected == 0) {
            error_ = "unknown command 0x" + [&] {
                char b[16];
                std::snprintf(b, sizeof b, "%X", command);
                return std::string(b);
            }();
            ok = false;
            break;
        }
        if (length != expected) {
            error_ = std::string("length ") + std::to_string(length) + " wrong for " +
                     commandName(command) + " (expects " + std::to_string(expected) + ")";
            ok = false;
            break;
        }
        if (pending_.size() - at < length) break;
        Message m;
        m.time = time;
        m.command = command;
        m.bytes.assign(pending_.begin() + static_cast<std::ptrdiff_t>(at),
                       pending_.begin() + static_cast<std::ptrdiff_t>(at + length));
        out.push_back(std::move(m));
        at += length;
    }
    if (!ok) {
        pending_.clear();
        return false;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(at));
    return true;
}

} // namespace hostsim

#include "Host.h"

#include "JSONValue.h"
#include "Utf8.h"

#include <utility>

namespace hostsim {

Host::Host(std::string socketPath, LogSink log)
    : server_(std::move(socketPath)), log_(std::move(log)) {
    server_.setOnMessage([this](const Message& m) {
        for (auto& o : outputs_)
            o->message(m);
    });
    server_.setOnChange([this] {
        for (auto& o : outputs_)
            o->changed();
    });
    server_.setOnClients([this](int connected) {
        for (auto& o : outputs_)
            o->clientsChanged(connected);
    });
    server_.setOnError([this](const std::string& why) {
        if (log_) log_("dropped connection: " + why);
    });
    server_.setOnLog([this](const std::string& line) {
        if (log_) log_(line);
    });
}

Host::~Host() {
    stop();
}

void Host::addOutput(std::unique_ptr<Output> output) {
    outputs_.push_back(std::move(output));
}

bool Host::start(std::string* error) {
    if (!server_.start(error)) return false;
    for (auto& o : outputs_)
        o->start();
    return true;
}

void Host::stop() {
    server_.stop();
    for (auto& o : outputs_)
        o->stop();
}

std::string Host::statsJson() const {
    std::string line = "{\"connections\":" + std::to_string(server_.connectionsServed());
    for (const auto& o : outputs_)
        if (const std::string member = o->statsMember(); !member.empty()) line += "," + member;
    return line + "}";
}

std::string jsonString(const std::string& text) {
    std::wstring wide;
    if (auto decoded = corvjson::decodeUtf8(text)) {
        wide = std::move(*decoded);
    } else {
        // Byte by byte: ASCII stays, anything else cannot be told apart and is replaced.
        for (unsigned char c : text)
            wide.push_back(c < 0x80 ? static_cast<wchar_t>(c) : L'\uFFFD');
    }
    return corvjson::encodeUtf8(JSONValue::StringifyString(wide));
}

} // namespace hostsim

#include "Host.h"

#include "JSONValue.h"
#include "StatusClient.h"
#include "Utf8.h"

#include <fstream>
#include <utility>

namespace hostsim {

Host::Host(std::string socketPath, LogSink log)
    : server_(socketPath), log_(std::move(log)),
      status_(hoststatus::statusPathFor(socketPath), [this] { return statusJson(); }) {
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
    if (std::string why; !status_.start(&why) && log_) log_(why);
    for (auto& o : outputs_)
        o->start();
    return true;
}

void Host::stop() {
    status_.stop();
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

// Bytes that are not UTF-8 cannot be told apart: ASCII stays, the rest becomes U+FFFD.
std::wstring wideText(const std::string& text) {
    if (auto decoded = corvjson::decodeUtf8(text)) return std::move(*decoded);
    std::wstring out;
    for (unsigned char c : text)
        out.push_back(c < 0x80 ? static_cast<wchar_t>(c) : L'\uFFFD');
    return out;
}

std::string Host::statusJson() const {
    JSONValue document{JSONObject{}};
    document.SetMember(L"socket", JSONValue(wideText(server_.path())));
    JSONValue* clients = document.SetMember(L"clients", JSONValue(JSONArray{}));
    for (const pid_t pid : server_.clientPids()) {
        // The kernel's name of the program, short and the client's own choice: shown as given.
        std::string program;
        std::getline(std::ifstream("/proc/" + std::to_string(pid) + "/comm"), program);
        JSONValue* client = clients->Append(JSONValue(JSONObject{}));
        client->SetMember(L"pid", JSONValue(double(pid)));
        client->SetMember(L"program", JSONValue(wideText(program)));
    }
    document.SetMember(L"outputs", JSONValue(JSONArray{}));
    for (const auto& o : outputs_)
        o->status(document);
    return corvjson::encodeUtf8(document.Stringify(0, 0));
}

void VirtualOutput::status(JSONValue& document) const {
    if (JSONValue* outputs = document.Child(L"outputs")) outputs->Append(JSONValue(L"virtual"));
}

std::string jsonString(const std::string& text) {
    return corvjson::encodeUtf8(JSONValue::StringifyString(wideText(text)));
}

} // namespace hostsim

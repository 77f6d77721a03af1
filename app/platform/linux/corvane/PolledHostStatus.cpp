#include "PolledHostStatus.h"

#include "HostSocketProbe.h"
#include "JSON.h"
#include "StatusClient.h"
#include "Utf8.h"

#include <fstream>
#include <memory>
#include <sstream>

namespace et {

namespace {
// A question that takes longer than this finds a host that does not answer.
constexpr auto kPatience = std::chrono::milliseconds(1500);

std::string text(const JSONValue* v) {
    return v && v->IsString() ? corvjson::encodeUtf8(v->AsString()) : std::string();
}

std::vector<std::string> names(const JSONValue* list) {
    std::vector<std::string> out;
    if (list && list->IsArray())
        for (const JSONValue* device : list->AsArray())
            if (device->IsObject()) out.push_back(text(device->Child(L"name")));
    return out;
}

bool listening(const std::string& socketPath) {
    std::ifstream file("/proc/net/unix");
    if (!file) return false;
    std::ostringstream table;
    table << file.rdbuf();
    return listensIn(table.str(), socketPath);
}
} // namespace

HostReport parseHostReport(const std::string& json) {
    HostReport report;
    report.reach = HostReport::Reach::NotAnswering;
    const std::unique_ptr<JSONValue> doc(JSON::Parse(json.c_str()));
    const JSONValue* outputs = doc && doc->IsObject() ? doc->Child(L"outputs") : nullptr;
    if (!outputs || !outputs->IsArray()) return report;
    report.reach = HostReport::Reach::Answered;
    for (const JSONValue* output : outputs->AsArray()) {
        report.virtualKeyboard |= text(output) == "virtual";
        report.openrgb |= text(output) == "openrgb";
    }
    if (const JSONValue* o = doc->Child(L"openrgb"); o && o->IsObject()) {
        const JSONValue* connected = o->Child(L"connected");
        report.openrgbConnected = connected && connected->IsBool() && connected->AsBool();
        report.openrgbLine = text(o->Child(L"line"));
        report.lit = names(o->Child(L"lit"));
        report.leftAlone = names(o->Child(L"leftAlone"));
    }
    return report;
}

PolledHostStatus::PolledHostStatus(std::string socketPath, std::chrono::milliseconds every)
    : socketPath_(std::move(socketPath)), every_(every), thread_([this] { run(); }) {}

PolledHostStatus::~PolledHostStatus() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

HostReport PolledHostStatus::latest() {
    std::lock_guard<std::mutex> lock(mutex_);
    return latest_;
}

void PolledHostStatus::run() {
    using Reached = hoststatus::Reached;
    for (;;) {
        const auto answer =
            hoststatus::askStatus(hoststatus::statusPathFor(socketPath_), kPatience);
        HostReport report;
        if (answer.reached == Reached::Answered)
            report = parseHostReport(answer.text);
        else if (answer.reached == Reached::NoSocket || answer.reached == Reached::Refused)
            // Asked without connecting: a connection would reach the host as a client.
            report.reach =
                listening(socketPath_) ? HostReport::Reach::NoStatus : HostReport::Reach::NoHost;
        else
            report.reach = HostReport::Reach::NotAnswering;
        std::unique_lock<std::mutex> lock(mutex_);
        latest_ = std::move(report);
        if (wake_.wait_for(lock, every_, [this] { return stopping_; })) return;
    }
}

} // namespace et

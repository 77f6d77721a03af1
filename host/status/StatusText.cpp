#include "StatusText.h"

#include "JSON.h"
#include "StatusClient.h"
#include "Utf8.h"

#include <memory>
#include <sstream>

namespace hoststatus {

namespace {
std::string text(const JSONValue* v) {
    if (!v || !v->IsString()) return {};
    std::string out = corvjson::encodeUtf8(v->AsString());
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return out;
}

const JSONArray& list(const JSONValue* v) {
    static const JSONArray none;
    return v && v->IsArray() ? v->AsArray() : none;
}

std::string joined(const JSONArray& items) {
    std::string out;
    for (const JSONValue* item : items)
        out += (out.empty() ? "" : ", ") + text(item);
    return out;
}

void describeOpenRgb(const JSONValue& o, std::ostream& out) {
    out << "OpenRGB at " << text(o.Child(L"address")) << ": ";
    const JSONValue* connected = o.Child(L"connected");
    if (!connected || !connected->AsBool()) {
        const std::string trouble = text(o.Child(L"trouble"));
        out << "not connected" << (trouble.empty() ? "" : " (" + trouble + ")") << '\n';
        return;
    }
    const JSONValue* protocol = o.Child(L"protocol");
    out << "connected, " << text(o.Child(L"line")) << " (SDK protocol "
        << (protocol ? int(protocol->AsNumber()) : 0) << ")\n";
    const JSONArray& lit = list(o.Child(L"lit"));
    if (lit.empty()) out << "  no device lit\n";
    for (const JSONValue* d : lit) {
        const JSONValue* rate = d->Child(L"frameRate");
        const JSONValue* whole = d->Child(L"wholeColorsOnly");
        out << "  lights \"" << text(d->Child(L"name")) << "\" in mode \""
            << text(d->Child(L"mode")) << "\", at most " << (rate ? int(rate->AsNumber()) : 0)
            << " frames a second"
            << (whole && whole->AsBool() ? ", whole-keyboard colors only" : "") << '\n';
        if (const JSONArray& missing = list(d->Child(L"missingKeys")); !missing.empty())
            out << "    keys it has no LED for: " << joined(missing) << '\n';
    }
    for (const JSONValue* d : list(o.Child(L"leftAlone")))
        out << "  leaves \"" << text(d->Child(L"name")) << "\" alone: " << text(d->Child(L"why"))
            << '\n';
}
} // namespace

std::optional<std::string> describeStatus(const std::string& json) {
    const std::unique_ptr<JSONValue> doc(JSON::Parse(json.c_str()));
    if (!doc || !doc->IsObject() || !doc->Child(L"outputs")) return std::nullopt;
    std::ostringstream out;
    out << "corvane-host is running on " << text(doc->Child(L"socket")) << '\n';
    std::string outputs;
    for (const JSONValue* o : list(doc->Child(L"outputs"))) {
        const std::string name = text(o);
        outputs +=
            (outputs.empty() ? "" : ", ") + (name == "virtual" ? std::string("the virtual keyboard")
                                             : name == "window"  ? std::string("its live window")
                                             : name == "openrgb" ? std::string("OpenRGB")
                                                                 : name);
    }
    out << "Outputs: " << (outputs.empty() ? "none" : outputs) << '\n';
    const JSONArray& clients = list(doc->Child(L"clients"));
    out << "Clients connected: " << clients.size();
    for (size_t i = 0; i < clients.size(); ++i) {
        const JSONValue* pid = clients[i]->Child(L"pid");
        out << (i ? ", " : " (") << text(clients[i]->Child(L"program")) << " pid "
            << (pid ? long(pid->AsNumber()) : 0L) << (i + 1 == clients.size() ? ")" : "");
    }
    out << '\n';
    if (const JSONValue* openrgb = doc->Child(L"openrgb"); openrgb && openrgb->IsObject())
        describeOpenRgb(*openrgb, out);
    return out.str();
}

int printStatus(const std::string& socketPath, std::ostream& out, std::ostream& err,
                std::chrono::milliseconds timeout) {
    const std::string path = statusPathFor(socketPath);
    const Answer answer = askStatus(path, timeout);
    if (answer.reached == Reached::Answered) {
        if (const auto shown = describeStatus(answer.text)) {
            out << *shown;
            return 0;
        }
        err << "corvane-host: the host at " << path << " answered something that is no status\n";
        return kHostSilent;
    }
    const bool gone = answer.reached == Reached::NoSocket || answer.reached == Reached::Refused;
    if (gone && answersAt(socketPath)) {
        err << "corvane-host: a host listens on " << socketPath
            << " but has no status channel (an older corvane-host?)\n";
        return kHostSilent;
    }
    if (gone) {
        err << "corvane-host: no host is running (nothing listens on " << path << ")\n";
        return kNoHost;
    }
    err << "corvane-host: the host does not answer on " << path << " (" << answer.error << ")\n";
    return kHostSilent;
}

} // namespace hoststatus

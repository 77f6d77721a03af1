#include "Timeline.h"

#include "KeyList.h"

#include <cstdio>
#include <map>
#include <set>

namespace et::demo {

namespace {
std::string seconds(double t) {
    char text[32];
    std::snprintf(text, sizeof text, "%7.2f s", t);
    return text;
}

// The key as the pictures print it; where two keys print the same (Shift, 1 and NumPad 1),
// as the key menus name it, without their mark. Unknown keys by number.
std::string keyLabel(int32_t keyName) {
    int32_t id = keyName;
    for (const et::ExtraKey& extra : et::extraKeys())
        if (extra.keyName == keyName) id = extra.id;
    static const std::map<std::string, int> printed = [] {
        std::map<std::string, int> count;
        for (const et::KeyLabel& k : et::keyList())
            ++count[et::keyLegend(k.id)];
        return count;
    }();
    if (auto label = et::labelForKey(id); label && id != et::kNoKey) {
        std::string legend = et::keyLegend(id);
        if (printed.at(legend) == 1) return legend;
        std::string text(*label);
        if (const auto mark = text.rfind(" \u00A9"); mark != std::string::npos) text.erase(mark);
        const auto first = text.find_first_not_of(' ');
        return first == std::string::npos ? text : text.substr(first);
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", keyName);
    return hex;
}

const char* plural(const std::string& cmd) {
    static const std::map<std::string, const char*> names = {
        {"SetLightingWithBitmap", "bitmaps"},
        {"SetLightingForKeyWithKeyName", "key colors"},
        {"SetLighting", "whole-keyboard colors"},
        {"SetTargetDevice", "target devices"},
        {"SaveSingleKeyLighting", "key saves"},
        {"RestoreSingleKeyLighting", "key restores"},
        {"SaveCurrentLighting", "keyboard saves"},
        {"RestoreLighting", "keyboard restores"},
        {"Init", "greetings"},
    };
    auto it = names.find(cmd);
    return it == names.end() ? cmd.c_str() : it->second;
}
} // namespace

std::string messageCounts(const std::vector<e2e::HostRecord>& records, size_t from, size_t to) {
    std::map<std::string, int> counts;
    for (size_t i = from; i < to && i < records.size(); ++i)
        ++counts[records[i].cmd];
    size_t total = 0;
    std::string parts;
    for (const auto& [cmd, n] : counts) {
        total += static_cast<size_t>(n);
        parts += (parts.empty() ? "" : ", ") + std::to_string(n) + " " + plural(cmd);
    }
    return std::to_string(total) + " messages" + (parts.empty() ? "" : ": " + parts);
}

void writeTimeline(std::ostream& out, const std::vector<EventMark>& events,
                   const std::vector<e2e::HostRecord>& records, double start) {
    out << "What the Corvane host received, event by event (seconds from the start).\n\n";
    for (size_t e = 0; e < events.size(); ++e) {
        const EventMark& mark = events[e];
        const size_t end = e + 1 < events.size() ? events[e + 1].firstRecord : records.size();
        out << seconds(mark.at - start) << "  " << mark.title << "\n";
        out << "           " << messageCounts(records, mark.firstRecord, end) << "\n";
        std::set<int32_t> keys;
        for (size_t i = mark.firstRecord; i < end; ++i) {
            const auto& r = records[i];
            if (r.is("SetLighting"))
                out << "           " << seconds(r.at - start) << " whole keyboard " << r.r << "% "
                    << r.g << "% " << r.b << "%\n";
            if (r.is("SetLightingForKeyWithKeyName")) keys.insert(r.key);
        }
        if (!keys.empty()) {
            out << "           keys lit:";
            const char* separator = " ";
            for (int32_t key : keys) {
                out << separator << keyLabel(key);
                separator = ", ";
            }
            out << "\n";
        }
        if (!mark.picture.empty()) out << "           picture: " << mark.picture << "\n";
        out << "\n";
    }
}

void writeMessages(std::ostream& out, const std::vector<e2e::HostRecord>& records, double start) {
    out << "seconds\tcommand\tkey\tred\tgreen\tblue\tdevice\n";
    for (const auto& r : records) {
        char line[160];
        std::snprintf(line, sizeof line, "%.4f\t%s\t%d\t%d\t%d\t%d\t%d\n", r.at - start,
                      r.cmd.c_str(), r.key, r.r, r.g, r.b, r.device);
        out << line;
    }
}

} // namespace et::demo

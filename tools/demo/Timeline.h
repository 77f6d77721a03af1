#pragma once
// What the host received during the demo, told event by event.
#include "HostRecord.h"

#include <ostream>
#include <string>
#include <vector>

namespace et::demo {

struct EventMark {
    std::string slug;
    std::string title;
    double at = 0.0;        // when the event began (harness clock)
    size_t firstRecord = 0; // index of the first host message after it began
    std::string picture;    // file name of its picture, empty when none was made
};

// One section per event: when it began, how many messages of each kind followed, which
// keys were lit and the first whole-keyboard color.
void writeTimeline(std::ostream& out, const std::vector<EventMark>& events,
                   const std::vector<e2e::HostRecord>& records, double start);

// Every message, one a line: seconds, command and its fields, tab-separated.
void writeMessages(std::ostream& out, const std::vector<e2e::HostRecord>& records, double start);

// "12345 messages: 40 bitmaps, 12000 key colors, …"
std::string messageCounts(const std::vector<e2e::HostRecord>& records, size_t from, size_t to);

} // namespace et::demo

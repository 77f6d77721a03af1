#pragma once
// The main window's log view: each call appends one line (a newline is added).
#include <string>

namespace et {

class Log {
public:
    virtual ~Log() = default;
    virtual void appendLine(const std::string& line) = 0;
};

} // namespace et

#pragma once
// The application's log: every line goes into the main window's log view and, for
// terminals, journals and tests, to standard error as well.
#include "TextViewLog.h"

#include <iostream>
#include <mutex>

namespace et {

class AppLog : public Log {
  public:
    AppLog(QPlainTextEdit* view, bool echo) : view_(view), echo_(echo) {}
    void appendLine(const std::string& line) override {
        if (echo_) {
            std::lock_guard lock(mutex_);
            std::cerr << line << std::endl;
        }
        view_.appendLine(line);
    }

  private:
    TextViewLog view_;
    bool echo_;
    std::mutex mutex_; // lines may come from the capture thread
};

} // namespace et

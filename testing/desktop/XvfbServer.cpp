#include "XvfbServer.h"

namespace et::test {

XvfbServer::XvfbServer(std::vector<std::string> args) : args_(std::move(args)) {
    launch({});
}

bool XvfbServer::launch(const std::string& display) {
    // -displayfd 1: the server writes its display number on stdout once it accepts clients.
    std::vector<std::string> argv = {"Xvfb"};
    if (!display.empty()) argv.push_back(display);
    for (const char* a : {"-displayfd", "1", "-nolisten", "tcp", "-noreset"})
        argv.push_back(a);
    argv.insert(argv.end(), args_.begin(), args_.end());
    process_ = std::make_unique<ChildProcess>(argv, /*quiet=*/true);
    const auto number = process_->readLine(20.0);
    if (!number || number->empty()) {
        process_.reset();
        display_.clear();
        return false;
    }
    display_ = ":" + *number;
    lastDisplay_ = display_;
    return true;
}

void XvfbServer::stop() {
    if (process_) process_->stop();
    process_.reset();
    display_.clear();
}

bool XvfbServer::restart() {
    stop();
    return !lastDisplay_.empty() && launch(lastDisplay_);
}

} // namespace et::test

#include "LineCollector.h"

#include <signal.h>

#include <chrono>

namespace et::e2e {

double now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

namespace {
std::vector<std::string> withErrorsMerged(const std::vector<std::string>& argv) {
    // The shell only moves standard error onto the pipe and is replaced by the program.
    std::vector<std::string> wrapped = {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1"};
    wrapped.insert(wrapped.end(), argv.begin(), argv.end());
    return wrapped;
}
} // namespace

LineCollector::LineCollector(const std::vector<std::string>& argv, bool mergeErrors)
    : process_(std::make_unique<test::ChildProcess>(mergeErrors ? withErrorsMerged(argv) : argv)) {
    if (process_->started()) reader_ = std::thread([this] { collect(); });
}

LineCollector::~LineCollector() {
    stop(5.0);
}

void LineCollector::collect() {
    const auto keep = [this](std::string text) {
        std::lock_guard lock(mutex_);
        lines_.push_back({now(), std::move(text)});
        arrived_.notify_all();
    };
    for (;;) {
        if (auto line = process_->readLine(0.1)) {
            keep(std::move(*line));
            continue;
        }
        if (process_->wait(0.0)) break;
    }
    // What it wrote just before it ended may still be in the pipe; a helper it started may
    // hold the pipe open, so the wait for more is short.
    while (auto line = process_->readLine(0.05))
        keep(std::move(*line));
    std::lock_guard lock(mutex_);
    ended_ = true;
    arrived_.notify_all();
}

bool LineCollector::waitEnded(double timeout) {
    std::unique_lock lock(mutex_);
    const bool ended =
        arrived_.wait_for(lock, std::chrono::duration<double>(timeout), [this] { return ended_; });
    lock.unlock();
    if (ended && reader_.joinable()) reader_.join();
    return ended;
}

std::vector<TimedLine> LineCollector::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

std::vector<TimedLine> LineCollector::linesFrom(size_t from) const {
    std::lock_guard lock(mutex_);
    if (from >= lines_.size()) return {};
    return {lines_.begin() + static_cast<std::ptrdiff_t>(from), lines_.end()};
}

size_t LineCollector::count() const {
    std::lock_guard lock(mutex_);
    return lines_.size();
}

bool LineCollector::waitUntil(const std::function<bool(const std::vector<TimedLine>&)>& done,
                              double timeout) const {
    std::unique_lock lock(mutex_);
    const auto until = std::chrono::steady_clock::now() +
                       std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                           std::chrono::duration<double>(timeout));
    for (;;) {
        if (done(lines_)) return true;
        if (ended_) return false;
        if (arrived_.wait_until(lock, until) == std::cv_status::timeout) return done(lines_);
    }
}

bool LineCollector::waitForText(const std::string& text, double timeout, size_t from) const {
    return waitUntil(
        [&](const std::vector<TimedLine>& lines) {
            for (size_t i = from; i < lines.size(); ++i)
                if (lines[i].text.find(text) != std::string::npos) return true;
            return false;
        },
        timeout);
}

std::optional<int> LineCollector::stop(double timeout) {
    if (!process_->started()) return std::nullopt;
    if (!waitEnded(0.0)) {
        ::kill(process_->pid(), SIGTERM);
        if (!waitEnded(timeout)) {
            ::kill(process_->pid(), SIGKILL);
            waitEnded(60.0);
        }
    }
    return process_->wait(0.0);
}

void LineCollector::kill() {
    if (!process_->started() || waitEnded(0.0)) return;
    ::kill(process_->pid(), SIGKILL);
    waitEnded(60.0);
}

std::optional<int> LineCollector::exitStatus(double timeout) {
    if (!process_->started() || !waitEnded(timeout)) return std::nullopt;
    return process_->wait(0.0);
}

} // namespace et::e2e

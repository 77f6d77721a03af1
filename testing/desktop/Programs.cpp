#include "Programs.h"

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace et::e2e {

ProgramPaths ProgramPaths::fromBuild() {
    return {ET_E2E_HOST_SIM, ET_E2E_TALON_STRIP, ET_E2E_EMBER_TALON};
}

namespace {
bool socketExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}
} // namespace

HostSim::HostSim(std::string program, std::string socketPath)
    : program_(std::move(program)), socketPath_(std::move(socketPath)) {}

HostSim::~HostSim() {
    stop();
}

bool HostSim::start(const std::vector<std::string>& extraArgs) {
    stop();
    // A host that was killed leaves its socket file; only the new one's counts as ready.
    ::unlink(socketPath_.c_str());
    std::vector<std::string> argv = {program_, "--socket", socketPath_};
    argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
    // Its notes on standard error join the output, where they are told from messages.
    process_ = std::make_unique<LineCollector>(argv, /*mergeErrors=*/true);
    if (!process_->started()) return false;
    for (int i = 0; i < 400; ++i) {
        if (socketExists(socketPath_)) return true;
        if (process_->exitStatus(0.0)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
}

void HostSim::endRun() {
    std::lock_guard lock(mutex_);
    takeNewLines();
    process_.reset();
    notes_.clear();
    linesTaken_ = 0;
}

void HostSim::stop() {
    if (!process_) return;
    process_->stop();
    endRun();
}

void HostSim::kill() {
    if (!process_) return;
    process_->kill();
    endRun();
}

void HostSim::signal(int signal) {
    if (process_) ::kill(process_->pid(), signal);
}

void HostSim::takeNewLines() const {
    if (!process_) return;
    for (auto& line : process_->linesFrom(linesTaken_)) {
        ++linesTaken_;
        if (auto r = parseHostLine(line.text, line.at))
            records_.push_back(std::move(*r));
        else
            notes_.push_back(std::move(line.text));
    }
}

std::vector<HostRecord> HostSim::recordsFrom(size_t from) const {
    std::lock_guard lock(mutex_);
    takeNewLines();
    if (from >= records_.size()) return {};
    return {records_.begin() + static_cast<std::ptrdiff_t>(from), records_.end()};
}

size_t HostSim::count() const {
    std::lock_guard lock(mutex_);
    takeNewLines();
    return records_.size();
}

bool HostSim::waitUntil(const std::function<bool(const std::vector<HostRecord>&)>& done,
                        double timeout) const {
    const double until = now() + timeout;
    for (;;) {
        size_t seen = 0;
        {
            std::lock_guard lock(mutex_);
            takeNewLines();
            if (done(records_)) return true;
            seen = linesTaken_;
        }
        const double left = until - now();
        if (left <= 0) return false;
        if (process_)
            process_->waitUntil([seen](const auto& lines) { return lines.size() > seen; },
                                std::min(left, 0.25));
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::optional<HostRecord> HostSim::waitFor(const std::function<bool(const HostRecord&)>& match,
                                           double timeout, size_t from) const {
    std::optional<HostRecord> found;
    size_t scanned = from;
    waitUntil(
        [&](const std::vector<HostRecord>& records) {
            for (; scanned < records.size(); ++scanned)
                if (match(records[scanned])) {
                    found = records[scanned];
                    return true;
                }
            return false;
        },
        timeout);
    return found;
}

bool HostSim::waitForQuiet(double quiet, double timeout) const {
    const double until = now() + timeout;
    size_t last = count();
    double since = now();
    while (now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const size_t n = count();
        if (n != last) {
            last = n;
            since = now();
        } else if (now() - since >= quiet) {
            return true;
        }
    }
    return false;
}

bool HostSim::command(const std::string& line) {
    return process_ && process_->write(line + "\n");
}

std::vector<std::string> HostSim::notes() const {
    std::lock_guard lock(mutex_);
    takeNewLines();
    return notes_;
}

namespace {
std::vector<std::string> stripArgs(const std::string& program, const std::string& display,
                                   double cellWidth, const std::string& gameGeometry) {
    std::vector<std::string> argv = {program, "--display", display, "--width",
                                     std::to_string(cellWidth)};
    if (!gameGeometry.empty()) argv.insert(argv.end(), {"--game", "--geometry", gameGeometry});
    return argv;
}
} // namespace

Strip::Strip(const std::string& program, const std::string& display, double cellWidth,
             const std::string& gameGeometry)
    : process_(stripArgs(program, display, cellWidth, gameGeometry), /*mergeErrors=*/true) {}

Strip::Strip(const std::string& program, Wayland, double cellWidth)
    : process_({program, "--wayland", "--width", std::to_string(cellWidth)},
               /*mergeErrors=*/true) {}

bool Strip::runAsync(const std::string& commands) {
    return process_.write(commands + "\n");
}

bool Strip::run(const std::string& commands, double timeout) {
    return runAsync(commands) && drain(timeout);
}

bool Strip::drain(double timeout) {
    const std::string token = "drained " + std::to_string(++token_);
    const size_t from = process_.count();
    return process_.write("echo " + token + "\n") && process_.waitForText(token, timeout, from);
}

double Strip::echoedAt(const std::string& text) const {
    for (const auto& line : process_.lines())
        if (line.text == text) return line.at;
    return 0.0;
}

App::App(std::string program, std::vector<std::string> args)
    : program_(std::move(program)), args_(std::move(args)) {}

App::~App() {
    quit(10.0);
}

bool App::start() {
    std::vector<std::string> argv = {program_};
    argv.insert(argv.end(), args_.begin(), args_.end());
    process_ = std::make_unique<LineCollector>(argv, /*mergeErrors=*/true);
    return process_->started();
}

std::optional<int> App::quit(double timeout) {
    if (!process_) return std::nullopt;
    return process_->stop(timeout);
}

void App::kill() {
    if (process_) process_->kill();
}

bool App::running() {
    return process_ && !process_->exitStatus(0.0);
}

std::vector<std::string> App::output() const {
    std::vector<std::string> text;
    if (process_)
        for (const auto& line : process_->lines())
            text.push_back(line.text);
    return text;
}

bool App::waitForOutput(const std::string& text, double timeout, size_t from) const {
    return process_ && process_->waitForText(text, timeout, from);
}

} // namespace et::e2e

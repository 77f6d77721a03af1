#include "Programs.h"

#include <sys/stat.h>

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
    std::vector<std::string> argv = {program_, "--socket", socketPath_};
    argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
    process_ = std::make_unique<LineCollector>(argv, /*mergeErrors=*/false);
    if (!process_->started()) return false;
    for (int i = 0; i < 200; ++i) {
        if (socketExists(socketPath_)) return true;
        if (process_->exitStatus(0.0)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
}

void HostSim::stop() {
    if (!process_) return;
    process_->stop();
    auto last = records();
    earlierRuns_ = std::move(last);
    process_.reset();
}

void HostSim::kill() {
    if (!process_) return;
    process_->kill();
    auto last = records();
    earlierRuns_ = std::move(last);
    process_.reset();
}

std::vector<HostRecord> HostSim::records() const {
    std::vector<HostRecord> all = earlierRuns_;
    if (process_)
        for (const auto& line : process_->lines())
            if (auto r = parseHostLine(line.text, line.at)) all.push_back(std::move(*r));
    return all;
}

bool HostSim::waitUntil(const std::function<bool(const std::vector<HostRecord>&)>& done,
                        double timeout) const {
    const double until = now() + timeout;
    for (;;) {
        if (done(records())) return true;
        const double left = until - now();
        if (left <= 0) return false;
        if (process_) {
            const size_t seen = process_->count();
            process_->waitUntil([seen](const auto& lines) { return lines.size() > seen; },
                                std::min(left, 0.25));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
}

std::optional<HostRecord> HostSim::waitFor(const std::function<bool(const HostRecord&)>& match,
                                           double timeout, size_t from) const {
    std::optional<HostRecord> found;
    waitUntil(
        [&](const std::vector<HostRecord>& records) {
            for (size_t i = from; i < records.size(); ++i)
                if (match(records[i])) {
                    found = records[i];
                    return true;
                }
            return false;
        },
        timeout);
    return found;
}

bool HostSim::command(const std::string& line) {
    return process_ && process_->write(line + "\n");
}

std::vector<std::string> HostSim::notes() const {
    std::vector<std::string> notes;
    if (process_)
        for (const auto& line : process_->lines())
            if (!parseHostLine(line.text, line.at)) notes.push_back(line.text);
    return notes;
}

Strip::Strip(const std::string& program, const std::string& display, double cellWidth)
    : process_({program, "--display", display, "--width", std::to_string(cellWidth)},
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

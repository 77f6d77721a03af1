// One client floods the host's socket with distinct key names, then asks it to save the
// lighting a few times; another client sends one whole-keyboard color right after. Prints
// the host's resident memory before and after the keys, and how long the other client's
// color took to arrive. The host runs in this process, so the memory is the server's plus
// this program's small and steady own.
//
//   bench_host_flood [keys] [saves]   (default 1000000 keys, 20 saves)
#include "HostServer.h"
#include "ProcessStats.h"
#include "WireFormat.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace {

int connectTo(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{AF_UNIX, {}};
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    return ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? fd : -1;
}

void append(std::vector<uint8_t>& out, uint32_t command, std::initializer_list<int32_t> fields) {
    const size_t at = out.size(), length = corvwire::messageLength(command);
    out.resize(at + length);
    corvwire::putU32(out.data() + at, static_cast<uint32_t>(length));
    corvwire::putU32(out.data() + at + 4, command);
    size_t field = at + 8;
    for (int32_t f : fields) {
        corvwire::putI32(out.data() + field, f);
        field += 4;
    }
}

bool sendAll(int fd, const std::vector<uint8_t>& bytes) {
    for (size_t at = 0; at < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + at, bytes.size() - at);
        if (n <= 0) return false;
        at += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const long keys = argc > 1 ? std::atol(argv[1]) : 1000000;
    const long saves = argc > 2 ? std::atol(argv[2]) : 20;
    char pattern[] = "/tmp/et-flood-XXXXXX";
    if (!::mkdtemp(pattern)) return 1;
    hostsim::HostServer host(std::string(pattern) + "/Corvane/CHS_LED_SDK");
    host.setKeepMessages(false);
    std::mutex mutex;
    std::condition_variable arrived;
    long seen = 0;
    std::chrono::steady_clock::time_point lit{};
    host.setOnMessage([&](const hostsim::Message& m) {
        std::lock_guard<std::mutex> lock(mutex);
        ++seen;
        if (m.command == corvwire::kSetLighting) lit = std::chrono::steady_clock::now();
        arrived.notify_all();
    });
    std::string error;
    if (!host.start(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    auto waitFor = [&](auto done) {
        std::unique_lock<std::mutex> lock(mutex);
        arrived.wait(lock, done);
    };
    const int flooder = connectTo(host.path()), other = connectTo(host.path());
    const double before = et::bench::residentMiB(::getpid()).value_or(0);
    std::vector<uint8_t> chunk;
    for (long sent = 0; sent < keys;) {
        chunk.clear();
        for (int i = 0; i < 1000 && sent < keys; ++i, ++sent)
            append(chunk, corvwire::kSetKeyByKeyName,
                   {static_cast<int32_t>(0x100000 + sent), 1, 2, 3});
        if (!sendAll(flooder, chunk)) return 1;
    }
    waitFor([&] { return seen >= keys; });
    const double after = et::bench::residentMiB(::getpid()).value_or(0);
    const size_t kept = host.state().current().keys.size();
    chunk.clear();
    for (long i = 0; i < saves; ++i)
        append(chunk, corvwire::kSaveCurrentLighting, {});
    std::vector<uint8_t> whole;
    append(whole, corvwire::kSetLighting, {7, 8, 9});
    const auto start = std::chrono::steady_clock::now();
    if (!sendAll(flooder, chunk) || !sendAll(other, whole)) return 1;
    waitFor([&] { return lit != std::chrono::steady_clock::time_point{}; });
    const double delay = std::chrono::duration<double>(lit - start).count();
    std::printf("%ld distinct keys: resident %.1f MiB -> %.1f MiB; %ld saves then another "
                "client's color: %.2f ms; keys kept %zu\n",
                keys, before, after, saves, delay * 1000, kept);
    ::close(flooder);
    ::close(other);
    host.stop();
    std::filesystem::remove_all(pattern);
    return 0;
}

// The host program's hold on its socket: out of descriptors it rests, of hosts started
// together one serves, and what another user owns it neither serves from nor removes.
#include "ChildProcess.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>

namespace {

using et::test::ChildProcess;

// corvane-host-sim with its log on the same pipe as its JSON lines, after `prefix` (a
// command that runs the rest) and `setup` (shell text run first).
std::unique_ptr<ChildProcess> host(const std::string& path, std::vector<std::string> prefix = {},
                                   const std::string& setup = "true") {
    prefix.insert(prefix.end(), {"/bin/sh", "-c", setup + " && exec \"$0\" \"$@\" 2>&1",
                                 ET_CORVANE_HOST_SIM, "--socket", path});
    return std::make_unique<ChildProcess>(prefix);
}

bool readUntil(ChildProcess& child, const std::string& text) {
    while (auto line = child.readLine(10))
        if (line->find(text) != std::string::npos) return true;
    return false;
}

// A client of `path` (waiting up to a second for room in the backlog), or with `listen` a
// server there; -1 when refused.
int socketAt(const std::string& path, bool listen = false) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const timeval patience{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);
    sockaddr_un address{AF_UNIX, {}};
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    auto* at = reinterpret_cast<sockaddr*>(&address);
    const bool ok = listen ? ::bind(fd, at, sizeof address) == 0 && ::listen(fd, 4) == 0
                           : ::connect(fd, at, sizeof address) == 0;
    return ok ? fd : (::close(fd), -1);
}

// Whether a client at `path` gets through, and with `child` whether its color reaches it.
bool lights(const std::string& path, ChildProcess* child = nullptr) {
    const int client = socketAt(path);
    const int32_t whole[] = {20, 0x802, 7, 8, 9};
    const bool sent = client >= 0 && (!child || ::write(client, whole, sizeof whole) == 20);
    ::close(client);
    return sent && (!child || readUntil(*child, "\"r\":7,\"g\":8,\"b\":9"));
}

// A private folder of the test's user.
std::string tempDir() {
    return ::mkdtemp(std::string("/tmp/et-hsock-XXXXXX").data());
}

// 40 clients, beyond the descriptors the host may open or beyond its cap: the listener rests
// instead of spinning, and a new client is served once the others leave.
TEST(HostProgram, OutOfDescriptorsOrAtItsCapItRestsAndServesOnceClientsLeave) {
    for (const auto& [limit, said] :
         {std::pair{32, "cannot take a client"}, {1024, "32 clients"}}) {
        const std::string dir = tempDir(), path = dir + "/Corvane/CHS_LED_SDK";
        auto sim = host(path, {}, "ulimit -n " + std::to_string(limit));
        ASSERT_TRUE(readUntil(*sim, "listening on"));
        std::vector<int> clients;
        for (int i = 0; i < 40; ++i)
            clients.push_back(socketAt(path));
        EXPECT_TRUE(readUntil(*sim, said));
        auto cpu = [&] { // fields 14 and 15 of its stat: user and system time in clock ticks
            std::ifstream stat("/proc/" + std::to_string(sim->pid()) + "/stat");
            std::string field[15];
            std::copy_n(std::istream_iterator<std::string>(stat), 15, field);
            return (std::stod(field[13]) + std::stod(field[14])) / ::sysconf(_SC_CLK_TCK);
        };
        const double before = cpu();
        std::this_thread::sleep_for(std::chrono::seconds(1)); // a window to measure, no event
        const double perSecond = cpu() - before;
        std::fprintf(stderr, "host with %s: %.2f s of CPU per second\n", said, perSecond);
        EXPECT_LT(perSecond, 0.5) << "spins";
        for (int fd : clients)
            ::close(fd);
        EXPECT_TRUE(lights(path, sim.get()));
        std::filesystem::remove_all(dir);
    }
}

// The lock decides: one serves, the others say so and exit 1; SIGHUP ends it as SIGTERM does.
TEST(HostProgram, OfTwentyStartedTogetherOnAStaleSocketOneServes) {
    const std::string dir = tempDir(), path = dir + "/CHS_LED_SDK";
    ::close(socketAt(path, true)); // the file of a host that crashed
    std::vector<std::unique_ptr<ChildProcess>> hosts, serving;
    for (int i = 0; i < 20; ++i)
        hosts.push_back(host(path));
    int refused = 0;
    for (auto& h : hosts)
        if (h->readLine(10).value_or("").find("sim: listening on") != std::string::npos)
            serving.push_back(std::move(h));
        else
            refused += h->wait(10) == 1;
    ASSERT_EQ(serving.size(), 1u);
    EXPECT_EQ(refused, 19);
    EXPECT_TRUE(lights(path, serving[0].get()));
    ::kill(serving[0]->pid(), SIGHUP);
    EXPECT_EQ(serving[0]->wait(10), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    std::filesystem::remove_all(dir);
}

// Folders it refuses, a live socket it leaves alone, and another user's socket put in place
// of its own outliving it.
TEST(HostProgram, NeverServesFromNorRemovesWhatAnotherUserOwns) {
    if (::geteuid() != 0) GTEST_SKIP() << "acting as another user needs root";
    const std::string base = tempDir(), folder = base + "/Corvane", path = folder + "/CHS_LED_SDK";
    ::chmod(base.c_str(), 0755);
    // clang-format off
    const struct { uid_t owner; mode_t mode; bool link, foreignSocket; const char* said; int exit; } rows[] = {
        {0, 0777, false, false, "belongs to uid 0", 1}, {4242, 0770, false, false, "writable by others", 1},
        {4242, 0700, true, false, "not a folder", 1}, {4242, 0700, false, true, "not of this user", 1},
        {4242, 0700, false, false, "listening on", 0}};
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.said);
        std::filesystem::remove_all(folder);
        const std::string made = row.link ? base + "/real" : folder;
        ASSERT_TRUE(::mkdir(made.c_str(), 0) == 0 && ::chown(made.c_str(), row.owner, 0) == 0 &&
                    ::chmod(made.c_str(), row.mode) == 0 &&
                    (!row.link || ::symlink(made.c_str(), folder.c_str()) == 0));
        int foreign = row.foreignSocket ? socketAt(path, true) : -1;
        auto sim = host(path, {"setpriv", "--reuid=4242", "--regid=4242", "--clear-groups"});
        EXPECT_TRUE(readUntil(*sim, row.said));
        if (row.exit == 0) {
            ASSERT_EQ(::unlink(path.c_str()), 0);
            foreign = socketAt(path, true);
            ::kill(sim->pid(), SIGHUP);
        }
        EXPECT_EQ(sim->wait(10), row.exit);
        EXPECT_EQ(lights(path), foreign >= 0);
        ::close(foreign);
    }
    std::filesystem::remove_all(base);
}

} // namespace

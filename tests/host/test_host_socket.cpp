// The host program's hold on its socket: out of descriptors it rests, of hosts started
// together one serves, and what another user owns it neither serves from nor removes.
#include "ChildProcess.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
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
    if (listen ? ::bind(fd, at, sizeof address) == 0 && ::listen(fd, 4) == 0
               : ::connect(fd, at, sizeof address) == 0)
        return fd;
    ::close(fd);
    return -1;
}

bool accepts(const std::string& path) {
    const int client = socketAt(path);
    ::close(client);
    return client >= 0;
}

bool lights(ChildProcess& child, const std::string& path) {
    const int client = socketAt(path);
    const int32_t whole[] = {20, 0x802, 7, 8, 9};
    const bool sent = client >= 0 && ::write(client, whole, sizeof whole) == sizeof whole;
    ::close(client);
    return sent && readUntil(child, "\"r\":7,\"g\":8,\"b\":9");
}

std::string tempDir() {
    char pattern[] = "/tmp/et-hsock-XXXXXX";
    return ::mkdtemp(pattern) ? pattern : "";
}

TEST(HostProgram, OutOfDescriptorsItRestsAndServesOnceClientsLeave) {
    const std::string dir = tempDir(), path = dir + "/Corvane/CHS_LED_SDK";
    auto sim = host(path, {}, "ulimit -n 32");
    ASSERT_TRUE(readUntil(*sim, "listening on"));
    std::vector<int> clients;
    for (int i = 0; i < 40; ++i)
        clients.push_back(socketAt(path));
    EXPECT_TRUE(readUntil(*sim, "new clients wait until one leaves"));
    auto cpu = [&] {
        std::ifstream stat("/proc/" + std::to_string(sim->pid()) + "/stat");
        std::string field;
        double ticks = 0;
        for (int i = 1; i <= 15 && stat >> field; ++i)
            if (i >= 14) ticks += std::stod(field); // user and system time
        return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
    };
    const double before = cpu();
    std::this_thread::sleep_for(std::chrono::seconds(1)); // a window to measure, no event
    const double perSecond = cpu() - before;
    std::fprintf(stderr, "host out of descriptors: %.2f s of CPU per second\n", perSecond);
    EXPECT_LT(perSecond, 0.5) << "spins";
    for (int fd : clients)
        ::close(fd);
    EXPECT_TRUE(lights(*sim, path));
    sim.reset();
    std::filesystem::remove_all(dir);
}

// The lock decides: one serves, the others say so and exit 1; SIGHUP ends it as SIGTERM does.
TEST(HostProgram, OfTwentyStartedTogetherOnAStaleSocketOneServes) {
    const std::string dir = tempDir(), path = dir + "/CHS_LED_SDK";
    ::close(socketAt(path, true)); // the file of a host that crashed
    std::vector<std::unique_ptr<ChildProcess>> hosts;
    for (int i = 0; i < 20; ++i)
        hosts.push_back(host(path));
    std::vector<ChildProcess*> serving;
    int refused = 0;
    for (auto& h : hosts) {
        if (h->readLine(10).value_or("").find("sim: listening on") != std::string::npos)
            serving.push_back(h.get());
        else
            refused += h->wait(10) == 1;
    }
    std::fprintf(stderr, "of 20 hosts started together: %zu serve\n", serving.size());
    ASSERT_EQ(serving.size(), 1u);
    EXPECT_EQ(refused, 19);
    EXPECT_TRUE(lights(*serving[0], path));
    ::kill(serving[0]->pid(), SIGHUP);
    EXPECT_EQ(serving[0]->wait(10), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    std::filesystem::remove_all(dir);
}

TEST(HostProgram, NeverServesFromNorRemovesWhatAnotherUserOwns) {
    if (::geteuid() != 0) GTEST_SKIP() << "acting as another user needs root";
    const uid_t user = 4242;
    const std::vector<std::string> asUser{"setpriv", "--reuid=4242", "--regid=4242",
                                          "--clear-groups"};
    const std::string base = tempDir(), folder = base + "/Corvane", path = folder + "/CHS_LED_SDK";
    ::chmod(base.c_str(), 0755);
    const struct {
        uid_t owner;
        mode_t mode;
        bool link, foreignSocket;
        const char* said;
    } rows[] = {{0, 0777, false, false, "belongs to uid 0"},
                {user, 0770, false, false, "writable by others"},
                {user, 0700, true, false, "not a folder"},
                {user, 0700, false, true, "not of this user"},
                {user, 0700, false, false, "listening on"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.said);
        std::filesystem::remove_all(folder);
        const std::string made = row.link ? base + "/real" : folder;
        ASSERT_EQ(::mkdir(made.c_str(), 0), 0);
        ASSERT_EQ(::chown(made.c_str(), row.owner, row.owner) | ::chmod(made.c_str(), row.mode), 0);
        if (row.link) ::symlink(made.c_str(), folder.c_str());
        const int foreign = row.foreignSocket ? socketAt(path, true) : -1;
        auto sim = host(path, asUser);
        EXPECT_TRUE(readUntil(*sim, row.said));
        if (std::string(row.said) != "listening on") {
            EXPECT_EQ(sim->wait(10), 1);
            EXPECT_EQ(accepts(path), row.foreignSocket);
        } else {
            // Another user's socket put in place of its own outlives it.
            ASSERT_EQ(::unlink(path.c_str()), 0);
            const int replaced = socketAt(path, true);
            ::kill(sim->pid(), SIGHUP);
            EXPECT_EQ(sim->wait(10), 0);
            EXPECT_TRUE(accepts(path));
            ::close(replaced);
        }
        if (foreign >= 0) ::close(foreign);
    }
    std::filesystem::remove_all(base);
}

} // namespace

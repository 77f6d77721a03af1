// The host's status channel: what `corvane-host --status` says when no host answers, and a
// host that keeps serving its clients and its user whatever hostile status peers do.
#include "ChildProcess.h"
#include "Host.h"
#include "LightingLine.h"
#include "OpenRgbOutput.h"
#include "PolledHostStatus.h"
#include "StatusClient.h"
#include "StatusText.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <thread>
#include <vector>

namespace {

using et::test::ChildProcess;

// A client of `path`, or with `listen` a server there that never accepts; -1 when refused.
int socketAt(const std::string& path, bool listen = false) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{AF_UNIX, {}};
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    auto* at = reinterpret_cast<sockaddr*>(&address);
    const bool ok = listen ? ::bind(fd, at, sizeof address) == 0 && ::listen(fd, 4) == 0
                           : ::connect(fd, at, sizeof address) == 0;
    return ok ? fd : (::close(fd), -1);
}

struct Folder {
    Folder() {
        char pattern[] = "/tmp/et-status-XXXXXX";
        path = ::mkdtemp(pattern);
    }
    ~Folder() { std::filesystem::remove_all(path); }
    std::string path;
};

// corvane-host --status on `socket`: exit status and everything it printed.
std::pair<int, std::vector<std::string>> status(const std::string& socket) {
    ChildProcess child({"/bin/sh", "-c", "exec \"$0\" --status --socket \"$1\" 2>&1",
                        ET_CORVANE_HOST_SIM, socket});
    std::vector<std::string> lines;
    while (auto line = child.readLine(10)) {
        if (line->empty()) break;
        lines.push_back(*line);
    }
    return {child.wait(10).value_or(-1), lines};
}

TEST(StatusCommand, SaysInOneLineWhyNoHostAnswers) {
    struct Row {
        const char* what;
        int exit;
        const char* says;
    };
    const Row rows[] = {{"nothing", 1, "no host is running"},
                        {"crashed", 1, "no host is running"},
                        {"stalled", 3, "does not answer"},
                        {"older", 3, "no status channel"},
                        {"flooding", 3, "longer than 1048576 bytes"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Folder folder;
        const std::string socket = folder.path + "/CHS_LED_SDK", what = row.what;
        int fd = -1;
        if (what == "crashed") ::close(socketAt(socket + ".status", true));
        if (what == "stalled") fd = socketAt(socket + ".status", true);
        if (what == "older") fd = socketAt(socket, true);
        std::thread flood;
        if (what == "flooding") {
            fd = socketAt(socket + ".status", true);
            flood = std::thread([fd] {
                const int peer = ::accept(fd, nullptr, nullptr);
                const std::string endless(hoststatus::kMaxReplyBytes * 2, '{');
                ::send(peer, endless.data(), endless.size(), MSG_NOSIGNAL);
                ::close(peer);
            });
        }
        const auto [exit, lines] = status(socket);
        if (flood.joinable()) flood.join();
        EXPECT_EQ(exit, row.exit);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find(row.says), std::string::npos) << lines[0];
        ::close(fd);
    }
}

// Stalled, oversized and garbled status peers are dropped by their deadline while the
// library's clients go on being served; then the user's request is answered whole.
TEST(StatusChannel, ServesTheUserAndTheClientsWhateverHostilePeersDo) {
    Folder folder;
    const std::string socket = folder.path + "/Corvane/CHS_LED_SDK";
    hostsim::Host host(socket, [](const std::string&) {});
    host.addOutput(std::make_unique<hostsim::VirtualOutput>([](const std::string&) {}));
    ASSERT_TRUE(host.start());
    ASSERT_EQ(host.statusPath(), socket + ".status");
    struct stat st {};
    ASSERT_EQ(::lstat(host.statusPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    std::vector<int> stalled;
    for (size_t i = 0; i < hoststatus::StatusServer::kMaxPeers; ++i)
        stalled.push_back(socketAt(host.statusPath()));
    const int client = socketAt(socket);
    const int32_t whole[] = {20, 0x802, 7, 8, 9};
    ASSERT_EQ(::write(client, whole, sizeof whole), 20);
    EXPECT_TRUE(host.server().waitForMessages(1, 5)) << "the library's server waited";

    // Behind the stalled ones in the backlog: an oversized request, a garbled one.
    const int huge = socketAt(host.statusPath()), garbled = socketAt(host.statusPath());
    const std::string flood(100000, 's');
    ::send(huge, flood.data(), flood.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    ::send(garbled, "stats\n", 6, MSG_NOSIGNAL);
    const hoststatus::Answer answer =
        hoststatus::askStatus(host.statusPath(), std::chrono::seconds(8));
    ASSERT_EQ(answer.reached, hoststatus::Reached::Answered) << answer.error;
    char reply[256] = {};
    EXPECT_LE(::recv(huge, reply, sizeof reply, 0), 0) << "an oversized request was answered";
    EXPECT_GT(::recv(garbled, reply, sizeof reply, 0), 0);
    EXPECT_NE(std::string(reply).find("unknown request"), std::string::npos) << reply;
    EXPECT_GE(host.status().dropped(), int(stalled.size()) + 1);

    const auto shown = hoststatus::describeStatus(answer.text);
    ASSERT_TRUE(shown) << answer.text;
    const std::string me = std::string(program_invocation_short_name).substr(0, 15);
    EXPECT_NE(shown->find("Outputs: the virtual keyboard\n"), std::string::npos) << *shown;
    EXPECT_NE(shown->find("Clients connected: 1 (" + me + " pid " + std::to_string(::getpid())),
              std::string::npos)
        << *shown;
    for (int fd : stalled)
        ::close(fd);
    for (int fd : {client, huge, garbled})
        ::close(fd);
    host.stop();
    EXPECT_FALSE(std::filesystem::exists(host.statusPath()));
}

// The application's view of the host, asked off its main thread through the real channel:
// each state of the host as the main window puts it.
TEST(PolledHostStatus, FollowsTheHostThroughEachOfItsStates) {
    Folder folder;
    const std::string socket = folder.path + "/Corvane/CHS_LED_SDK";
    std::filesystem::create_directories(folder.path + "/Corvane");
    et::PolledHostStatus polled(socket, std::chrono::milliseconds(50));
    auto says = [&](const std::string& line) {
        for (int i = 0; i < 250 && et::lightingLine(polled.latest()) != line; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return et::lightingLine(polled.latest()) == line ? "" : et::lightingLine(polled.latest());
    };
    EXPECT_EQ(says("Lighting: the host software is not running"), "");
    const int older = socketAt(socket, true);
    EXPECT_EQ(says("Lighting: through the host software (it is too old to tell more)"), "");
    const int stalled = socketAt(socket + ".status", true);
    EXPECT_EQ(says("Lighting: the host software does not answer"), "");
    for (int fd : {older, stalled})
        ::close(fd);
    for (const char* end : {"", ".status"})
        std::filesystem::remove(socket + end);

    hostsim::Host host(socket, [](const std::string&) {});
    host.addOutput(std::make_unique<hostsim::VirtualOutput>([](const std::string&) {}));
    orgb::OpenRgbOptions nobody;
    nobody.port = 1;
    host.addOutput(std::make_unique<orgb::OpenRgbOutput>(
        nobody, [] { return hostsim::KeyboardState{}; }, [](const std::string&) {}));
    ASSERT_TRUE(host.start());
    EXPECT_EQ(says("Lighting: OpenRGB is not running"), "");
    host.stop();
    EXPECT_EQ(says("Lighting: the host software is not running"), "");
}

} // namespace

// Hostile listeners: one that stops reading, one that stops accepting, one of another user;
// and the socket path the library and the host agree on.
#include "HostFixture.h"
#include "SocketPath.h"

#include <pwd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <deque>
#include <future>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct Fd {
    int fd;
    ~Fd() { ::close(fd); }
};

// A socket bound where the library will look, under `dir`, listening with `backlog`.
int listenerAt(const std::string& dir, int backlog) {
    std::filesystem::create_directories(dir + "/Corvane");
    ::setenv("XDG_DATA_HOME", dir.c_str(), 1);
    sockaddr_un address{AF_UNIX, {}};
    (dir + "/Corvane/CHS_LED_SDK").copy(address.sun_path, sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_TRUE(backlog < 0 || ::listen(fd, backlog) == 0);
    return fd;
}

// What `call` returned, or nothing when it is still blocked after a bound that only keeps a
// hung call from hanging the suite (the fakes' descriptors, closed on the way out, free it).
std::optional<bool> returns(std::function<bool()> call) {
    auto result = std::make_shared<std::promise<bool>>();
    auto done = result->get_future();
    std::thread([=] { result->set_value(call()); }).detach();
    if (done.wait_for(std::chrono::seconds(20)) != std::future_status::ready) return {};
    return done.get();
}

void printFigure(const char* what, Clock::time_point since) {
    std::fprintf(stderr, "[figure] %s: %.1f ms (before: never returned)\n", what,
                 std::chrono::duration<double, std::milli>(Clock::now() - since).count());
}

using Connection = HostFixture;

TEST_F(Connection, AHostThatStopsReadingFailsOneCallClosesTheStreamAndAnotherHostIsFound) {
    const Fd listener{listenerAt(dir_ + "/stalled", 1)};
    ASSERT_TRUE(CorvLedInit());
    const Fd accepted{::accept(listener.fd, nullptr, nullptr)};
    // Fills the socket's buffer until a bitmap finds no room.
    EXPECT_EQ(returns([] {
                  static unsigned char bitmap[CORVLED_BITMAP_SIZE];
                  for (int i = 0; i < 100000; ++i) {
                      const auto start = Clock::now();
                      if (CorvLedSetLightingFromBitmap(bitmap)) continue;
                      printFigure("the call a stalled host blocked", start);
                      return true;
                  }
                  return false;
              }),
              true);
    const timeval bound{10, 0};
    ::setsockopt(accepted.fd, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
    char sink[65536];
    ssize_t got;
    while ((got = ::read(accepted.fd, sink, sizeof sink)) > 0) {
    }
    EXPECT_EQ(got, 0) << "the part-written stream was not closed";
    EXPECT_EQ(returns([] { return CorvLedRestoreLighting(); }), false); // no reconnection
    EXPECT_EQ(returns([] { return CorvLedShutdown(), true; }), true);

    ::setenv("XDG_DATA_HOME", dir_.c_str(), 1);
    initAndClear();
    EXPECT_TRUE(CorvLedSetLighting(4, 5, 6));
    EXPECT_EQ(expectMessages(1)[0].field(16), 6);
}

TEST_F(Connection, AHostThatStopsAcceptingFailsInit) {
    const Fd listener{listenerAt(dir_ + "/full", 0)};
    sockaddr_un address{AF_UNIX, {}};
    (dir_ + "/full/Corvane/CHS_LED_SDK").copy(address.sun_path, sizeof address.sun_path - 1);
    std::deque<Fd> waiting; // until the backlog is full
    for (int i = 0; i < 8; ++i) {
        waiting.emplace_back(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0));
        if (::connect(waiting.back().fd, reinterpret_cast<sockaddr*>(&address), sizeof address))
            break;
    }
    const auto start = Clock::now();
    testing::internal::CaptureStderr();
    EXPECT_EQ(returns(CorvLedInit), false);
    EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("Connect Error: ", 0), 0u);
    printFigure("Init against a full backlog", start);
}

// Only a listener of this user or root hears the commands. The listener and the caller are
// children that take the row's uids; the listener's exit status says whether bytes came.
TEST_F(Connection, AListenerOfAnotherUserIsRefusedBeforeAnythingIsSent) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to take other uids";
    std::filesystem::permissions(dir_, std::filesystem::perms::all);
    struct Row {
        uid_t listener, caller;
        bool heard;
    } rows[] = {{65534, 0, false}, {65534, 65534, true}, {0, 65534, true}, {65533, 65534, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.listener << " heard by " << row.caller);
        const std::string dir = dir_ + "/peer";
        std::filesystem::remove_all(dir);
        const Fd socket{listenerAt(dir, -1)};
        std::filesystem::permissions(dir, std::filesystem::perms::all);
        std::filesystem::permissions(dir + "/Corvane", std::filesystem::perms::all);
        std::filesystem::permissions(dir + "/Corvane/CHS_LED_SDK", std::filesystem::perms::all);
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t listener = ::fork();
        if (listener == 0) {
            ::alarm(20);
            if (::setuid(row.listener) || ::listen(socket.fd, 1) || ::write(ready[1], "", 1) != 1)
                ::_exit(3);
            const int peer = ::accept(socket.fd, nullptr, nullptr);
            char byte;
            ::_exit(::read(peer, &byte, 1) == 1 ? 1 : 0);
        }
        char byte;
        EXPECT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        ::close(ready[1]);
        const pid_t caller = ::fork();
        if (caller == 0) ::_exit(::setuid(row.caller) ? 3 : CorvLedInit() ? 1 : 0);
        int heard = -1, connected = -1;
        ::waitpid(caller, &connected, 0);
        ::waitpid(listener, &heard, 0);
        EXPECT_EQ(connected, row.heard ? 1 << 8 : 0);
        EXPECT_EQ(heard, row.heard ? 1 << 8 : 0);
    }
}

TEST(SocketPath, TheFirstAbsoluteFolderWinsAndTheAddressHolds103Bytes) {
    const std::string database = ::getpwuid(::geteuid())->pw_dir;
    const std::string leaf = "/Corvane/CHS_LED_SDK";
    struct Row {
        const char *xdg, *home;
        std::string path;
    } rows[] = {{"/x", "/h", "/x" + leaf},
                {"x", "/h", "/h/.local/share" + leaf},
                {"", "h", database + "/.local/share" + leaf},
                {nullptr, nullptr, database + "/.local/share" + leaf}};
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    for (const Row& row : rows) {
        row.xdg ? ::setenv("XDG_DATA_HOME", row.xdg, 1) : ::unsetenv("XDG_DATA_HOME");
        row.home ? ::setenv("HOME", row.home, 1) : ::unsetenv("HOME");
        EXPECT_EQ(corvwire::corvaneSocketPath(), row.path) << &row - rows;
    }
    ::setenv("HOME", home.c_str(), 1);
    for (const auto& [path, fits] : std::vector<std::pair<std::string, bool>>{
             {std::string(103, 'p'), true}, {std::string(104, 'p'), false}, {"", false},
             {std::string("/a\0b", 4), false}})
        EXPECT_EQ(corvwire::fitsSocketAddress(path), fits) << path.size();
}

} // namespace

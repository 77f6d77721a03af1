// Hostile listeners: one that stops reading, one that stops accepting, one of another user;
// and the socket path the library and the host agree on.
#include "HostFixture.h"
#include "SocketPath.h"

#include <pwd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/syscall.h>
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
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
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

// Changes this thread's effective uid only (the C library's setuid changes every thread's),
// through root, which the saved uid keeps within reach.
void become(uid_t uid) {
    ASSERT_TRUE(!::syscall(SYS_setresuid, -1, 0, -1) && !::syscall(SYS_setresuid, -1, uid, -1));
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
    const timeval bound{10, 0}; // to the end of the stream, which the library closed
    ::setsockopt(accepted.fd, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
    char sink[65536];
    ssize_t got;
    while ((got = ::read(accepted.fd, sink, sizeof sink)) > 0) {
    }
    EXPECT_EQ(got, 0);
    CorvLedShutdown();

    ::setenv("XDG_DATA_HOME", dir_.c_str(), 1);
    initAndClear();
    EXPECT_TRUE(CorvLedSetLighting(4, 5, 6));
    EXPECT_EQ(expectMessages(1)[0].field(16), 6);
}

TEST_F(Connection, AHostThatStopsAcceptingFailsInit) {
    const Fd listener{listenerAt(dir_ + "/full", 0)};
    sockaddr_un address{AF_UNIX, {}};
    (dir_ + "/full/Corvane/CHS_LED_SDK").copy(address.sun_path, sizeof address.sun_path - 1);
    const Fd waiting{::socket(AF_UNIX, SOCK_STREAM, 0)}; // fills the backlog of 0
    ASSERT_EQ(::connect(waiting.fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const auto start = Clock::now();
    EXPECT_EQ(returns(CorvLedInit), false);
    printFigure("Init against a full backlog", start);
}

// Only a listener of this user or root hears the commands; a row's uids are taken by this
// thread around the listen and the Init.
TEST_F(Connection, AListenerOfAnotherUserIsRefusedBeforeAnythingIsSent) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to take other uids";
    ::chmod(dir_.c_str(), 0777);
    const mode_t umask = ::umask(0); // every row's caller may reach the socket
    struct Row {
        uid_t listener, caller;
        bool heard;
    } rows[] = {{65534, 0, false}, {65534, 65534, true}, {0, 65534, true}, {65533, 65534, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.listener << " heard by " << row.caller);
        std::filesystem::remove_all(dir_ + "/peer");
        const Fd listener{listenerAt(dir_ + "/peer", -1)};
        become(row.listener);
        EXPECT_EQ(::listen(listener.fd, 1), 0);
        become(row.caller);
        EXPECT_EQ(CorvLedInit(), row.heard);
        become(0);
        const Fd accepted{::accept(listener.fd, nullptr, nullptr)};
        char byte;
        EXPECT_EQ(::recv(accepted.fd, &byte, 1, MSG_DONTWAIT), row.heard ? 1 : 0);
        CorvLedShutdown();
    }
    ::umask(umask);
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
    const std::string home = std::getenv("HOME");
    for (const Row& row : rows) {
        row.xdg ? ::setenv("XDG_DATA_HOME", row.xdg, 1) : ::unsetenv("XDG_DATA_HOME");
        row.home ? ::setenv("HOME", row.home, 1) : ::unsetenv("HOME");
        EXPECT_EQ(corvwire::corvaneSocketPath(), row.path) << &row - rows;
    }
    ::setenv("HOME", home.c_str(), 1);
    for (const auto& [path, fits] : std::vector<std::pair<std::string, bool>>{
             {std::string(103, 'p'), true}, {std::string(104, 'p'), false}, {"", false}})
        EXPECT_EQ(corvwire::fitsSocketAddress(path), fits) << path.size();
}

} // namespace

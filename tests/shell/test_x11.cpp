// The X11 side of game and launcher control, against a private Xvfb: which application is
// in front and the activation helper raising or starting an application by name.
#include "ChildProcess.h"
#include "DesktopEntry.h"
#include "ForegroundCheck.h"
#include "HelperLauncher.h"
#include "X11TestDisplay.h"
#include "X11Workspace.h"
#include "XvfbServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace et::test {
namespace {

namespace fs = std::filesystem;

struct X11Test : ::testing::Test {
    XvfbServer server;
    std::unique_ptr<X11TestDisplay> wm;
    void SetUp() override {
        ASSERT_TRUE(server.running()) << "Xvfb did not start";
        wm = std::make_unique<X11TestDisplay>(server.display());
        ASSERT_TRUE(wm->ok());
    }
};

TEST_F(X11Test, FrontmostApplicationIsTheActiveOrFocusedWindowsClass) {
    X11Workspace workspace(server.display());
    int game = 0, other = 0;
    ForegroundCheck check(
        workspace, [&] { ++game; }, [&] { ++other; });
    const auto emberfall = wm->createWindow("emberfall", "emberfall.exe");
    struct Row {
        std::optional<xcb_window_t> active;
        std::optional<std::string> front; // the identifier; "-": no frontmost application
        int game, other;
    } rows[] = {
        {emberfall, "emberfall.exe", 1, 0},
        // Only the exact identifier is the game.
        {wm->createWindow("gedit", "Emberfall.exe"), "Emberfall.exe", 1, 1},
        // A window that does not say what it belongs to is not the game.
        {wm->createWindow("", ""), std::nullopt, 1, 2},
        // Nothing active: neither operation runs.
        {0, "-", 1, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.front.value_or("(no class)"));
        wm->setActiveWindow(row.active);
        const auto front = workspace.frontmostApplication();
        EXPECT_EQ(front.has_value(), row.front != "-");
        if (front && row.front != "-") {
            EXPECT_EQ(front->bundleIdentifier, row.front);
        }
        check.checkGameInFront();
        EXPECT_EQ(game, row.game);
        EXPECT_EQ(other, row.other);
    }
}

// A scratch folder with a fake desktop: desktop entries and a PATH of programs that record
// their arguments, one per line.
struct Scratch {
    fs::path dir = [] {
        char pattern[] = "/tmp/et-shell-XXXXXX";
        return fs::path(::mkdtemp(pattern));
    }();
    Scratch() { fs::create_directories(dir / "data/applications"), fs::create_directories(bin()); }
    ~Scratch() { fs::remove_all(dir); }
    fs::path bin() const { return dir / "bin"; }
    fs::path recorder(const std::string& name, const std::string& record, double delay = 0) {
        const fs::path p = bin() / name, out = dir / record;
        std::ofstream(p) << "#!/bin/sh\nsleep " << delay << "\nfor a in \"$@\"; do echo \"$a\"; "
                         << "done > " << out << ".tmp\nmv " << out << ".tmp " << out << "\n";
        fs::permissions(p, fs::perms::owner_all);
        return p;
    }
    void entry(const std::string& file, const std::string& lines,
               const std::string& folder = "data") {
        fs::create_directories(dir / folder / "applications");
        std::ofstream(dir / folder / "applications" / file) << "[Desktop Entry]\nType=Application\n"
                                                        << lines;
    }
    std::optional<std::string> waitFor(const std::string& record) const {
        for (int i = 0; i < 500; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(20)))
            if (fs::exists(dir / record)) {
                std::ifstream in(dir / record);
                return std::string(std::istreambuf_iterator<char>(in), {});
            }
        return std::nullopt;
    }
    // The helper in a clean environment; `env` adds or overrides variables; `prefix` runs
    // before it (limits, another user).
    std::optional<int> activate(const std::string& display, const std::string& name,
                                const std::vector<std::string>& env = {},
                                const std::vector<std::string>& prefix = {}) const {
        std::vector<std::string> argv = {"/usr/bin/env", "-i", "DISPLAY=" + display,
                                         "XDG_DATA_HOME=" + (dir / "data").string(),
                                         "XDG_DATA_DIRS=" + (dir / "none").string(),
                                         "PATH=" + bin().string() + ":/usr/bin:/bin"};
        argv.insert(argv.end(), env.begin(), env.end());
        argv.insert(argv.end(), prefix.begin(), prefix.end());
        argv.push_back(ACTIVATE_HELPER);
        argv.push_back(name);
        return ChildProcess(argv, /*quiet=*/true).wait(10);
    }
};

TEST_F(X11Test, HelperRaisesARunningWindowElseStartsFromAVisibleDesktopEntryElseFromPath) {
    Scratch s;
    const auto other = wm->createWindow("gedit", "Gedit");
    const auto game = wm->createWindow("emberfall", "emberfall.exe");
    wm->setClientList({other, game});
    ASSERT_TRUE(wm->actAsWindowManager());
    s.recorder("emberfall", "started"); // must not run: a window exists
    EXPECT_EQ(s.activate(server.display(), "Emberfall"), 0);
    EXPECT_EQ(wm->nextActivationRequest(5), game);
    EXPECT_FALSE(fs::exists(s.dir / "started"));

    // A hidden entry sorts first under the same name and must be passed over.
    const auto program = s.recorder("classic-bin", "from-entry");
    s.entry("a-hidden.desktop", "Name=Emberfall Classic\nHidden=true\nExec=/nonexistent/x\n");
    s.entry("emberfall-classic.desktop", "Name=Emberfall Classic\nHidden=false\nExec=" +
                                             program.string() + " --mode \"two words\" %U\n");
    EXPECT_EQ(s.activate(server.display(), "Emberfall Classic"), 0);
    EXPECT_EQ(s.waitFor("from-entry"), "--mode\ntwo words\n");

    s.recorder("ravenport", "from-path");
    EXPECT_EQ(s.activate(server.display(), "Ravenport"), 0);
    EXPECT_EQ(s.waitFor("from-path"), "");

    EXPECT_NE(s.activate(server.display(), "No Such Game"), 0);
    s.entry("broken.desktop", "Name=Broken Game\nExec=/nonexistent/broken\n");
    EXPECT_NE(s.activate(server.display(), "Broken Game"), 0);
    // A start that cannot fork is a failure: run as nobody allowed one process.
    EXPECT_NE(s.activate("", "true", {},
                         {"prlimit", "--nproc=1", "setpriv", "--reuid=nobody", "--regid=nogroup",
                          "--clear-groups", "--"}),
              0);
}

// Which program a name starts: executable names tried on PATH, and the desktop-entry
// folders searched in order, the first match winning.
TEST(HelperStartTest, ExecutableNamesAndDesktopEntryFolders) {
    Scratch s;
    for (const char* program : {"ember-fall", "ember_tide", "emberport"})
        s.recorder(program, "ran");
    const auto program = s.recorder("entry-bin", "ran");
    for (const char* folder : {"data", "home/.local/share", "d1", "d2"})
        s.entry("game.desktop", "Name=Lost Game\nExec=" + program.string() + " " + folder + "\n",
                folder);
    // What a started program inherits: its three streams on /dev/null and no other copy.
    const fs::path counter = s.bin() / "ember-null", ran = s.dir / "ran";
    std::ofstream(counter) << "#!/bin/sh\nn=$(ls -l /proc/$$/fd | grep -c 'lrwx.*/dev/null')\n"
                           << "echo $n > " << ran << ".tmp\nmv " << ran << ".tmp " << ran << "\n";
    fs::permissions(counter, fs::perms::owner_all);
    // The user's hidden entry deletes the system's of the same ID: PATH is tried instead.
    s.recorder("ember-mask", "ran");
    s.entry("mask.desktop", "Name=Ember Mask\nHidden=true\n", "home/.local/share");
    s.entry("mask.desktop", "Name=Ember Mask\nExec=" + program.string() + " d1\n", "d1");
    const std::string d1 = (s.dir / "d1").string(), d2 = (s.dir / "d2").string();
    struct Row {
        std::string name;
        std::vector<std::string> env;
        std::string ran;
    } rows[] = {
        {"Ember Fall", {}, ""},
        {"Ember Tide", {}, ""},
        {"Ember Port", {}, ""},
        {"Lost Game", {"XDG_DATA_DIRS=" + d1 + ":" + d2}, "data\n"},
        {"Lost Game", {"XDG_DATA_HOME=relative", "HOME=" + (s.dir / "home").string()},
         "home/.local/share\n"},
        {"Lost Game", {"XDG_DATA_HOME=", "XDG_DATA_DIRS=:relative:" + d2 + ":" + d1}, "d2\n"},
        {"Lost Game", {"XDG_DATA_HOME=", "XDG_DATA_DIRS=" + d1 + ":" + d2}, "d1\n"},
        {"Ember Null", {}, "3\n"},
        {"Ember Mask",
         {"XDG_DATA_HOME=" + (s.dir / "home/.local/share").string(), "XDG_DATA_DIRS=" + d1},
         ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name + " " + (row.env.empty() ? "" : row.env.back()));
        fs::remove(s.dir / "ran");
        EXPECT_EQ(s.activate("", row.name, row.env), 0);
        EXPECT_EQ(s.waitFor("ran"), row.ran);
    }
}

// Exec= lines as files hold them: the value's escapes undone first, then the quoting.
TEST(HelperStartTest, ExecLinesAreReadAsTheDesktopEntryRulesSay) {
    Scratch s;
    const struct {
        std::string written;
        std::vector<std::string> args;
    } rows[] = {
        {R"(env WINEPREFIX="/home/u/.wine" wine C:\\\\windows\\\\command\\\\start.exe /Unix )"
         R"(/home/u/.wine/dosdevices/c:/users/u/Start\\ Menu/Programs/Emberfall.lnk)",
         {"env", "WINEPREFIX=/home/u/.wine", "wine", R"(C:\windows\command\start.exe)", "/Unix",
          "/home/u/.wine/dosdevices/c:/users/u/Start Menu/Programs/Emberfall.lnk"}},
        {R"(game "a \\\\ \"b\" \\$x \\q" %U 100%%)", {"game", R"(a \ "b" $x \q)", "100%"}},
        {R"(game\sone\ttwo)", {"game", "one", "two"}},
        {R"(game "open)", {}},
    };
    for (const auto& row : rows) {
        s.entry("row.desktop", "Exec=" + row.written + "\n");
        const auto entry = activate::parseDesktopEntry(s.dir / "data/applications/row.desktop");
        ASSERT_TRUE(entry);
        EXPECT_EQ(activate::execArguments(entry->exec), row.args) << row.written;
    }
}

TEST(HelperLauncherTest, RunsTheHelperWithoutWaitingForIt) {
    Scratch s;
    HelperLauncher launcher(s.recorder("fake-helper", "args", /*delay=*/0.5).string());
    launcher.activate("Emberfall Classic", nullptr);
    EXPECT_FALSE(fs::exists(s.dir / "args")) << "the helper is still sleeping";
    EXPECT_EQ(s.waitFor("args"), "Emberfall Classic\n");
    HelperLauncher("").activate("Emberfall", nullptr); // no helper, nobody to tell: nothing
}

} // namespace
} // namespace et::test

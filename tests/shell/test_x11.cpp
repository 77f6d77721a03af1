// The X11 side of game and launcher control, against a private Xvfb: which application is
// in front, and the activation helper raising or starting an application by name.
#include "BeepSound.h"
#include "ChildProcess.h"
#include "EspeakSpeech.h"
#include "ForegroundCheck.h"
#include "HelperLauncher.h"
#include "X11TestDisplay.h"
#include "X11Workspace.h"
#include "XvfbServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
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
    const auto lookalike = wm->createWindow("gedit", "Emberfall.exe");
    const auto anonymous = wm->createWindow("", "");

    wm->setActiveWindow(emberfall);
    auto front = workspace.frontmostApplication();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->bundleIdentifier, "emberfall.exe");
    check.checkGameInFront();
    EXPECT_EQ(game, 1);

    // Only the exact identifier is the game.
    wm->setActiveWindow(lookalike);
    EXPECT_EQ(workspace.frontmostApplication()->bundleIdentifier, "Emberfall.exe");
    check.checkGameInFront();
    EXPECT_EQ(other, 1);

    // A window that does not say what it belongs to is not the game.
    wm->setActiveWindow(anonymous);
    front = workspace.frontmostApplication();
    ASSERT_TRUE(front);
    EXPECT_FALSE(front->bundleIdentifier);
    check.checkGameInFront();
    EXPECT_EQ(other, 2);

    // Nothing active: no frontmost application, neither operation runs.
    wm->setActiveWindow(0);
    EXPECT_FALSE(workspace.frontmostApplication());
    check.checkGameInFront();
    EXPECT_EQ(game + other, 3);

    // Without a window manager the focused window counts.
    wm->setActiveWindow(std::nullopt);
    wm->focus(emberfall);
    front = workspace.frontmostApplication();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->bundleIdentifier, "emberfall.exe");
}

TEST_F(X11Test, ServerGoneMeansNoFrontmostApplicationUntilItIsBack) {
    X11Workspace workspace(server.display());
    wm->setActiveWindow(wm->createWindow("emberfall", "emberfall.exe"));
    EXPECT_TRUE(workspace.frontmostApplication());
    wm.reset();
    ASSERT_TRUE(server.restart());
    // The first question after the restart may still go to the dead connection.
    workspace.frontmostApplication();
    wm = std::make_unique<X11TestDisplay>(server.display());
    wm->setActiveWindow(wm->createWindow("emberfall", "emberfall.exe"));
    auto front = workspace.frontmostApplication();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->bundleIdentifier, "emberfall.exe");
}

// A scratch folder with a fake desktop: applications, desktop entries, a PATH.
struct Scratch {
    fs::path dir;
    Scratch() {
        char pattern[] = "/tmp/et-shell-XXXXXX";
        dir = ::mkdtemp(pattern);
        fs::create_directories(dir / "data/applications");
        fs::create_directories(dir / "bin");
    }
    ~Scratch() { fs::remove_all(dir); }
    // A program that records its arguments, one per line, in `record`.
    fs::path recorder(const std::string& name, const fs::path& record, double delay = 0) {
        fs::path p = dir / "bin" / name;
        std::ofstream(p) << "#!/bin/sh\nsleep " << delay << "\nfor a in \"$@\"; do echo \"$a\"; "
                         << "done > " << record << ".tmp\nmv " << record << ".tmp " << record
                         << "\n";
        fs::permissions(p, fs::perms::owner_all);
        return p;
    }
    static std::optional<std::string> waitForFile(const fs::path& p, double timeout = 10) {
        const auto until =
            std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
        while (std::chrono::steady_clock::now() < until) {
            if (fs::exists(p)) {
                std::ifstream in(p);
                return std::string(std::istreambuf_iterator<char>(in), {});
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return std::nullopt;
    }
};

std::optional<int> runHelper(const std::string& display, const Scratch& s,
                             const std::string& name) {
    std::vector<std::string> argv = {"/usr/bin/env",
                                     "DISPLAY=" + display,
                                     "XDG_DATA_HOME=" + (s.dir / "data").string(),
                                     "XDG_DATA_DIRS=" + (s.dir / "none").string(),
                                     "PATH=" + (s.dir / "bin").string() + ":/usr/bin:/bin",
                                     ACTIVATE_HELPER,
                                     name};
    ChildProcess helper(argv, /*quiet=*/true);
    return helper.wait(10);
}

TEST_F(X11Test, HelperRaisesARunningWindowElseStartsFromAVisibleDesktopEntryElseFromPath) {
    Scratch s;
    const auto other = wm->createWindow("gedit", "Gedit");
    const auto game = wm->createWindow("emberfall", "emberfall.exe");
    wm->setClientList({other, game});
    ASSERT_TRUE(wm->actAsWindowManager());
    // The recorder under the game's name must not run: a window exists.
    s.recorder("emberfall", s.dir / "started");
    EXPECT_EQ(runHelper(server.display(), s, "Emberfall"), 0);
    EXPECT_EQ(wm->nextActivationRequest(5), game);
    EXPECT_FALSE(fs::exists(s.dir / "started"));

    // A hidden entry sorts first under the same name and must be passed over.
    auto program = s.recorder("classic-bin", s.dir / "from-entry");
    std::ofstream(s.dir / "data/applications/a-hidden.desktop")
        << "[Desktop Entry]\nType=Application\nName=Emberfall Classic\nHidden=true\n"
           "Exec=/nonexistent/hidden\n";
    std::ofstream(s.dir / "data/applications/emberfall-classic.desktop")
        << "[Desktop Entry]\nType=Application\nName=Emberfall Classic\nHidden=false\nExec="
        << program.string() << " --mode \"two words\" %U\n";
    EXPECT_EQ(runHelper(server.display(), s, "Emberfall Classic"), 0);
    EXPECT_EQ(Scratch::waitForFile(s.dir / "from-entry"), "--mode\ntwo words\n");

    s.recorder("ravenport", s.dir / "from-path");
    EXPECT_EQ(runHelper(server.display(), s, "Ravenport"), 0);
    EXPECT_EQ(Scratch::waitForFile(s.dir / "from-path"), "");

    EXPECT_NE(runHelper(server.display(), s, "No Such Game"), 0);
    std::ofstream(s.dir / "data/applications/broken.desktop")
        << "[Desktop Entry]\nType=Application\nName=Broken Game\nExec=/nonexistent/broken\n";
    EXPECT_NE(runHelper(server.display(), s, "Broken Game"), 0);
}

TEST(HelperLauncherTest, RunsTheHelperWithTheNameAndDoesNotWait) {
    Scratch s;
    const auto helper = s.recorder("fake-helper", s.dir / "args", /*delay=*/0.5);
    HelperLauncher launcher(helper.string());
    launcher.activate("Emberfall Classic", nullptr);
    // The helper is still sleeping when activate has returned.
    EXPECT_FALSE(fs::exists(s.dir / "args"));
    EXPECT_EQ(Scratch::waitForFile(s.dir / "args"), "Emberfall Classic\n");

    HelperLauncher none("");
    none.activate("Emberfall", nullptr); // no helper installed, nobody to tell: nothing
}

TEST(SpeechAndBeepTest, SpeakAndBeepThroughWhateverIsInstalledElseStaySilent) {
    Scratch s;
    const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    s.recorder("espeak-ng", s.dir / "spoken");
    s.recorder("pw-play", s.dir / "played");
    // The recorders first; the shell tools they use after them.
    ::setenv("PATH", ((s.dir / "bin").string() + ":/usr/bin:/bin").c_str(), 1);
    {
        EspeakSpeech speech;
        BeepSound beep;
        ASSERT_TRUE(speech.available());
        ASSERT_TRUE(beep.available());
        speech.speak("-calibration mode");
        beep.play("Tink");
        EXPECT_EQ(Scratch::waitForFile(s.dir / "spoken"), "--\n-calibration mode\n");
        auto played = Scratch::waitForFile(s.dir / "played");
        ASSERT_TRUE(played);
        const std::string wav = played->substr(0, played->find('\n'));
        std::ifstream in(wav, std::ios::binary);
        std::string header(4, '\0');
        in.read(header.data(), 4);
        EXPECT_EQ(header, "RIFF") << "the bundled sound, written out for the player";
    }
    ::setenv("PATH", (s.dir / "none").c_str(), 1);
    EspeakSpeech noSpeech;
    BeepSound noBeep;
    EXPECT_FALSE(noSpeech.available());
    EXPECT_FALSE(noBeep.available());
    noSpeech.speak("nothing happens");
    noBeep.play("Tink");
    ::setenv("PATH", savedPath.c_str(), 1);
}

} // namespace
} // namespace et::test

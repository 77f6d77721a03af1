// The applet configuration file through the public entry points: where it lives (named by
// SHA-1, checked against coreutils), its exact text, what the getters return, and that
// damaged content and failing disks never cost the caller's defaults
// or a half-written file.
#include "CorvaneLED.h"
#include "JSON.h"
#include "sha1.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sys/resource.h>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The digest as coreutils computes it, so the tests do not trust the code they test.
std::string sha1sumOf(const std::string& bytes) {
    char name[] = "/tmp/et-sha1-XXXXXX";
    const int fd = ::mkstemp(name);
    std::ofstream(name, std::ios::binary) << bytes;
    std::string digest(40, '?');
    if (FILE* pipe = ::popen((std::string("sha1sum ") + name).c_str(), "r")) {
        if (std::fread(digest.data(), 1, 40, pipe) != 40) digest = "short read";
        ::pclose(pipe);
    }
    ::close(fd);
    ::unlink(name);
    return digest;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

class ConfigTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/et-config-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        base_ = pattern;
        ASSERT_TRUE(CorvSetConfigFilePath(base_.c_str()));
        folder_ = base_ / "Corvane/Gaming/Applets" / sha1sumOf(fs::read_symlink("/proc/self/exe"));
        file_ = folder_ / "corv.cfg";
    }
    void TearDown() override { fs::remove_all(base_); }

    std::string fileText() const { return readFile(file_); }
    void setFileText(const std::string& text) {
        fs::create_directories(folder_);
        std::ofstream(file_, std::ios::binary | std::ios::trunc) << text;
    }

    fs::path base_, folder_, file_;
};

// The text the file holds for a document: the library's text form (pinned by the JSON
// tests), so the expectations here need only say the document.
std::string formatted(const char* json) {
    const std::unique_ptr<JSONValue> value(JSON::Parse(json));
    const std::wstring text = value ? JSON::Stringify(value.get()) : L"<parse error>";
    return std::string(text.begin(), text.end()); // ASCII: the rest is escaped
}

std::string firstRequest(const char* groupLabel = "") {
    return formatted((std::string(R"({"applet_settings": {"led": [{"key": "misc", )") + groupLabel +
                      R"("type": "group", "value": [{"key": "speed", "type": "number", )"
                      R"("value": 3.5}]}]}})")
                         .c_str());
}

} // namespace

TEST(Sha1, AgreesWithSha1sumAroundThePaddingBoundaries) {
    EXPECT_EQ(corvled::sha1Hex(std::string(1000000, 'a')),
              "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
    std::mt19937 random(20240611);
    for (std::size_t length : {0, 1, 55, 56, 57, 63, 64, 65, 119, 120, 128, 1000, 2777}) {
        std::string bytes(length, '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(random());
        EXPECT_EQ(corvled::sha1Hex(bytes), sha1sumOf(bytes)) << "length " << length;
    }
}

TEST_F(ConfigTest, TheFileIsCreatedWithTheDefaultAndThenRead) {
    ASSERT_FALSE(fs::exists(base_ / "Corvane"));
    double speed = 3.5;
    EXPECT_TRUE(CorvLedGetConfigOptionNumber(L"speed", &speed));
    EXPECT_EQ(fileText(), firstRequest()); // in the folder named by sha1sum
    setFileText(replaced(fileText(), "3.5", "7"));
    EXPECT_TRUE(CorvLedGetConfigOptionNumber(L"speed", &speed));
    EXPECT_EQ(speed, 7);

    bool enabled = true;
    int red = 10, green = 20, blue = 30;
    wchar_t key[16] = L"F5";
    ASSERT_TRUE(CorvLedGetConfigOptionBool(L"fx/enabled", &enabled));
    ASSERT_TRUE(CorvLedGetConfigOptionColor(L"fx/tint", &red, &green, &blue));
    ASSERT_TRUE(CorvLedGetConfigOptionKeyInput(L"fx/hotkey", key, sizeof key));
    const std::string text = fileText();
    EXPECT_EQ(text, formatted(R"({"applet_settings": {"led": [
        {"key": "misc", "type": "group", "value": [{"key": "speed", "type": "number", "value": 7}]},
        {"key": "fx", "type": "group", "value": [{"key": "enabled", "type": "bool", "value": true},
            {"key": "tint", "type": "color", "value": {"red": 10, "green": 20, "blue": 30}},
            {"key": "hotkey", "type": "keyinput", "value": "F5"}]}]}})"));
    setFileText(replaced(replaced(replaced(text, "true", "false"), "\"red\": 10", "\"red\": 99.9"),
                         "\"F5\"", "\"\\u00e9F6\""));
    EXPECT_TRUE(CorvLedGetConfigOptionBool(L"fx/enabled", &enabled));
    EXPECT_FALSE(enabled);
    EXPECT_TRUE(CorvLedGetConfigOptionColor(L"fx/tint", &red, &green, &blue));
    EXPECT_EQ(red, 99); // truncated toward zero
    EXPECT_TRUE(CorvLedGetConfigOptionKeyInput(L"fx/hotkey", key, sizeof key));
    EXPECT_STREQ(key, L"\u00e9F6");
}

TEST_F(ConfigTest, LabelsGoToTheGroupOrTheOptionOfThatName) {
    EXPECT_FALSE(CorvLedSetConfigOptionLabel(L"misc", L"x")) << "no file yet";
    EXPECT_FALSE(fs::exists(file_));
    double speed = 3.5;
    ASSERT_TRUE(CorvLedGetConfigOptionNumber(L"speed", &speed));
    EXPECT_TRUE(CorvLedSetConfigOptionLabel(L"misc", L"General"));
    EXPECT_EQ(fileText(), firstRequest(R"("label": "General", )"));
    EXPECT_TRUE(CorvLedSetConfigOptionLabel(L"speed", L"Speed \u00e9/s"));
    EXPECT_NE(fileText().find("          \"label\": \"Speed \\u00E9\\/s\",\n"), std::string::npos);
    // "group/name" labels keep at most 128 characters; missing targets change nothing.
    EXPECT_TRUE(CorvLedSetConfigOptionLabel(L"misc/speed", std::wstring(200, L'x').c_str()));
    EXPECT_NE(fileText().find(std::string(128, 'x') + "\""), std::string::npos);
    const std::string before = fileText();
    for (const wchar_t* missing : {L"misc/nothing", L"nothing"})
        EXPECT_FALSE(CorvLedSetConfigOptionLabel(missing, L"x"));
    EXPECT_FALSE(CorvLedSetConfigOptionLabel(L"misc", nullptr));
    EXPECT_EQ(fileText(), before);
}

TEST_F(ConfigTest, PathsArgumentsAndKeyInputBuffers) {
    double value = 1;
    EXPECT_FALSE(CorvLedGetConfigOptionNumber(L"a/b/c/d", &value));
    EXPECT_FALSE(fs::exists(file_));
    EXPECT_TRUE(CorvLedGetConfigOptionNumber(L"a/b/c", &value)); // split at the first slash
    EXPECT_NE(fileText().find("\"key\": \"a\",\n      \"type\": \"group\""), std::string::npos);
    EXPECT_NE(fileText().find("\"key\": \"b\\/c\""), std::string::npos);
    EXPECT_FALSE(CorvLedGetConfigOptionNumber(nullptr, &value));
    EXPECT_FALSE(CorvLedGetConfigOptionNumber(L"x", nullptr));

    // The buffer size is in bytes, and the terminator must fit.
    wchar_t key[16] = L"0123456789";
    ASSERT_TRUE(CorvLedGetConfigOptionKeyInput(L"k", key, sizeof key));
    wchar_t small[8] = L"dflt";
    EXPECT_FALSE(CorvLedGetConfigOptionKeyInput(L"k", small, 32)); // 8 characters
    EXPECT_STREQ(small, L"dflt");                                  // untouched
    EXPECT_FALSE(CorvLedGetConfigOptionKeyInput(L"k", key, 40));   // 10, no room for NUL
    EXPECT_TRUE(CorvLedGetConfigOptionKeyInput(L"k", key, 44));
    EXPECT_FALSE(CorvLedGetConfigOptionKeyInput(L"k", key, 3));
    EXPECT_FALSE(CorvSetConfigFilePath(""));
}

TEST_F(ConfigTest, StoredValueOfTheWrongFormKeepsTheDefault) {
    const std::string document = R"({"applet_settings": {"led": [{"key": "misc", "type": "group",
        "value": [{"key": "n", "type": "number", "value": "7"},
                  {"key": "b", "type": "bool", "value": 1},
                  {"key": "c", "type": "color", "value": {"red": 1, "green": 2}},
                  {"key": "big", "type": "color", "value": {"red": 1, "green": 2, "blue": 1e300}},
                  {"key": "k", "type": "keyinput", "value": null}]}]}})";
    setFileText(document);
    double number = 4;
    bool flag = true;
    int rgb[3] = {1, 2, 3};
    wchar_t key[8] = L"K";
    EXPECT_TRUE(CorvLedGetConfigOptionNumber(L"n", &number));
    EXPECT_TRUE(CorvLedGetConfigOptionBool(L"b", &flag));
    for (const wchar_t* name : {L"c", L"big"})
        EXPECT_TRUE(CorvLedGetConfigOptionColor(name, &rgb[0], &rgb[1], &rgb[2])) << name;
    EXPECT_TRUE(CorvLedGetConfigOptionKeyInput(L"k", key, sizeof key));
    EXPECT_TRUE(number == 4 && flag && rgb[0] == 1 && rgb[1] == 2 && rgb[2] == 3);
    EXPECT_STREQ(key, L"K");
    EXPECT_EQ(fileText(), document) << "found, so nothing is rewritten";
}

TEST_F(ConfigTest, DamagedDocumentsAreKeptOrReplacedOnlyWhenAnOptionIsAdded) {
    double speed = 3.5;
    for (const char* junk : {"not json", "", "[1, 2]"}) {
        setFileText(junk);
        EXPECT_FALSE(CorvLedSetConfigOptionLabel(L"misc", L"x"));
        EXPECT_EQ(fileText(), junk);
        EXPECT_TRUE(CorvLedGetConfigOptionNumber(L"speed", &speed));
        EXPECT_NE(fileText().find("\"value\": 3.5"), std::string::npos) << junk;
    }
    setFileText("{\"other\": [1], \"applet_settings\": {\"aux\": [], \"led\": []}}");
    ASSERT_TRUE(CorvLedGetConfigOptionNumber(L"speed", &speed));
    EXPECT_EQ(fileText().rfind("{\n\"applet_settings\": {\n  \"aux\": [\n    ],\n", 0), 0u);
    EXPECT_NE(fileText().find("\"other\": [\n  1\n  ]\n}"), std::string::npos) << fileText();
    // A category or group of the wrong form is neither used nor overwritten.
    for (const char* damaged : {"{\"applet_settings\": {\"led\": {}}}",
                                "{\"applet_settings\": {\"led\": [{\"key\": \"misc\", "
                                "\"type\": \"group\", \"value\": 1}]}}"}) {
        setFileText(damaged);
        EXPECT_FALSE(CorvLedGetConfigOptionNumber(L"speed", &speed));
        EXPECT_EQ(fileText(), damaged);
    }
    fs::remove_all(base_ / "Corvane");
    std::ofstream(base_ / "Corvane") << "a file where a folder belongs";
    EXPECT_FALSE(CorvLedGetConfigOptionNumber(L"speed", &speed));
    EXPECT_EQ(speed, 3.5);
}

TEST_F(ConfigTest, AFailedWriteLeavesTheOldFileWholeAndNoTemporaryBehind) {
    double speed = 3.5;
    ASSERT_TRUE(CorvLedGetConfigOptionNumber(L"speed", &speed));
    const std::string before = fileText();
    // A file size limit below the new document's size makes the write fail midway, as a
    // full disk would.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = before.size() + 20;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    double other = 1;
    const bool stored = CorvLedGetConfigOptionNumber(L"group/other", &other);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(stored);
    EXPECT_EQ(other, 1);
    EXPECT_EQ(fileText(), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST_F(ConfigTest, DocumentsUpTo1MiBAreWrittenAndReadLargerOnesNeither) {
    double speed = 3.5;
    ASSERT_TRUE(CorvLedGetConfigOptionNumber(L"speed", &speed));
    ASSERT_TRUE(CorvLedSetConfigOptionLabel(L"misc", L"x"));
    const std::size_t exactly = (1u << 20) - fileText().size() + 1; // label length for 1 MiB
    ASSERT_TRUE(CorvLedSetConfigOptionLabel(L"misc", std::wstring(exactly, L'x').c_str()));
    const std::string full = fileText();
    EXPECT_EQ(full.size(), 1u << 20);
    EXPECT_TRUE(CorvLedGetConfigOptionNumber(L"speed", &speed));
    EXPECT_FALSE(CorvLedSetConfigOptionLabel(L"misc", std::wstring(exactly + 1, L'x').c_str()));
    EXPECT_EQ(fileText(), full);
    setFileText(full + " ");
    EXPECT_FALSE(CorvLedGetConfigOptionNumber(L"speed", &speed));
}

TEST_F(ConfigTest, ARewriteKeepsTheFilesMode) {
    const mode_t umask = ::umask(022);
    double value = 1;
    ASSERT_TRUE(CorvLedGetConfigOptionNumber(L"new", &value));
    EXPECT_EQ(fs::status(file_).permissions(), static_cast<fs::perms>(0644));
    for (const auto& [name, mode] : {std::pair{L"a", 0600}, {L"b", 0640}}) {
        fs::permissions(file_, static_cast<fs::perms>(mode));
        ASSERT_TRUE(CorvLedGetConfigOptionNumber(name, &value)); // added: the file is rewritten
        EXPECT_EQ(fs::status(file_).permissions(), static_cast<fs::perms>(mode)) << mode;
    }
    ::umask(umask);
}

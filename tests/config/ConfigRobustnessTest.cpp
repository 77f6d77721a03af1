// The configuration file against damaged content, failing disks and concurrent callers:
// the caller's defaults survive, and the file is never left half-written.
#include <csignal>
#include <sys/resource.h>
#include <thread>
#include <vector>

#include "ConfigTestSupport.h"

using configtest::ConfigTest;

namespace {

std::string documentWithOption(const std::string& type, const std::string& value) {
    return "{\"applet_settings\": {\"led\": [{\"key\": \"misc\", \"type\": \"group\", \"value\": "
           "[{\"key\": \"opt\", \"type\": \"" +
           type + "\", \"value\": " + value + "}]}]}}";
}

std::size_t filesIn(const std::filesystem::path& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

} // namespace

TEST_F(ConfigTest, StoredValueOfTheWrongFormKeepsTheDefault) {
    const struct {
        const char* type;
        const char* value;
    } cases[] = {{"number", "\"7\""},
                 {"bool", "1"},
                 {"color", "5"},
                 {"color", "{\"red\": 1, \"green\": 2}"},
                 {"color", "{\"red\": 1, \"green\": 2, \"blue\": 1e300}"},
                 {"keyinput", "{}"},
                 {"keyinput", "null"}};
    for (const auto& c : cases) {
        const std::string document = documentWithOption(c.type, c.value);
        setFileText(document);
        double number = 4;
        bool flag = true;
        int red = 1, green = 2, blue = 3;
        wchar_t key[8] = L"K";
        const std::string type = c.type;
        bool ok = type == "number"  ? CorvLedGetConfigOptionNumber(L"opt", &number)
                  : type == "bool"  ? CorvLedGetConfigOptionBool(L"opt", &flag)
                  : type == "color" ? CorvLedGetConfigOptionColor(L"opt", &red, &green, &blue)
                                    : CorvLedGetConfigOptionKeyInput(L"opt", key, sizeof key);
        EXPECT_TRUE(ok) << c.value;
        EXPECT_EQ(number, 4);
        EXPECT_TRUE(flag);
        EXPECT_EQ(std::vector<int>({red, green, blue}), std::vector<int>({1, 2, 3})) << c.value;
        EXPECT_STREQ(key, L"K");
        EXPECT_EQ(fileText(), document); // found, so nothing is rewritten
    }
}

TEST_F(ConfigTest, TextThatIsNotAConfigurationIsReplacedOnlyWhenAnOptionIsAdded) {
    for (const char* junk : {"not json", "", "[1, 2]", "{\"applet_settings\": 3"}) {
        setFileText(junk);
        EXPECT_FALSE(CorvLedSetConfigOptionLabel(L"misc", L"x"));
        EXPECT_EQ(fileText(), junk);
        double speed = 3.5;
        EXPECT_TRUE(CorvLedGetConfigOptionNumber(L"speed", &speed));
        EXPECT_EQ(speed, 3.5);
        EXPECT_NE(fileText().find("\"value\": 3.5"), std::string::npos) << junk;
    }
}

TEST_F(ConfigTest, OtherContentOfTheDocumentIsKept) {
    setFileText("{\"other\": [1], \"applet_settings\": {\"aux\": [], \"led\": []}}");
    double speed = 3.5;
    ASSERT_TRUE(CorvLedGetConfigOptionNumber(L"speed", &speed));
    const std::string text = fileText();
    EXPECT_EQ(text.rfind("{\n\"applet_settings\": {\n  \"aux\": [\n    ],\n", 0), 0u) << text;
    EXPECT_NE(text.find("\"other\": [\n  1\n  ]\n}"), std::string::npos) << text;

    // A category or group of the wrong form is neither used nor overwritten.
    for (const char* damaged :
         {"{\"applet_settings\": {\"led\": {}}}",
          "{\"applet_settings\": {\"led\": [{\"key\": \"misc\", \"type\": \"group\", "
          "\"value\": 1}]}}"}) {
        setFileText(damaged);
        EXPECT_FALSE(CorvLedGetConfigOptionNumber(L"speed", &speed));
        EXPECT_EQ(fileText(), damaged);
    }
}

TEST_F(ConfigTest, UnusableLocationsFailWithoutTouchingTheOutputs) {
    std::filesystem::create_directories(file_); // the file's name is taken by a folder
    double speed = 3.5;
    EXPECT_FALSE(CorvLedGetConfigOptionNumber(L"speed", &speed));
    std::filesystem::remove_all(base_ / "Corvane");
    configtest::writeFile(base_ / "Corvane", "a file where a folder belongs");
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
    EXPECT_EQ(filesIn(folder_), 1u);
}

TEST_F(ConfigTest, ConcurrentCallersLoseNoOption) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 20; ++i) {
                double value = t * 100 + i;
                const std::wstring path = L"t" + std::to_wstring(t) + L"/o" + std::to_wstring(i);
                CorvLedGetConfigOptionNumber(path.c_str(), &value);
            }
        });
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 20; ++i) {
            double value = -1;
            const std::wstring path = L"t" + std::to_wstring(t) + L"/o" + std::to_wstring(i);
            ASSERT_TRUE(CorvLedGetConfigOptionNumber(path.c_str(), &value));
            EXPECT_EQ(value, t * 100 + i);
        }
}

// The configuration options through the public entry points: where the file lives, its
// exact text, and what the getters and the label setter return.
#include "ConfigTestSupport.h"

using configtest::ConfigTest;

namespace {

const char* const kAfterFirstRequest = "{\n"
                                       "\"applet_settings\": {\n"
                                       "  \"led\": [\n"
                                       "    {\n"
                                       "      \"key\": \"misc\",\n"
                                       "      \"type\": \"group\",\n"
                                       "      \"value\": [\n"
                                       "        {\n"
                                       "          \"key\": \"speed\",\n"
                                       "          \"type\": \"number\",\n"
                                       "          \"value\": 3.5\n"
                                       "          }\n"
                                       "        ]\n"
                                       "      }\n"
                                       "    ]\n"
                                       "  }\n"
                                       "}";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

} // namespace

TEST_F(ConfigTest, FirstRequestCreatesFolderAndFileWithTheDefault) {
    ASSERT_FALSE(std::filesystem::exists(base_ / "Corvane"));
    double speed = 3.5;
    EXPECT_TRUE(CorvLedGetConfigOptionNumber(L"speed", &speed));
    EXPECT_EQ(speed, 3.5);
    EXPECT_EQ(fileText(), kAfterFirstRequest); // in the folder named by sha1sum
}

TEST_F(ConfigTest, LaterRequestsReturnWhatTheFileHolds) {
    double speed = 3.5;
    ASSERT_TRUE(CorvLedGetConfigOptionNumber(L"speed", &speed));
    setFileText(replaced(fileText(), "3.5", "7"));
    speed = 1;
    EXPECT_TRUE(CorvLedGetConfigOptionNumber(L"speed", &speed));
    EXPECT_EQ(speed, 7);

    bool enabled = true;
    int red = 10, green = 20, blue = 30;
    wchar_t key[16] = L"F5";
    ASSERT_TRUE(CorvLedGetConfigOptionBool(L"fx/enabled", &enabled));
    ASSERT_TRUE(CorvLedGetConfigOptionColor(L"fx/tint", &red, &green, &blue));
    ASSERT_TRUE(CorvLedGetConfigOptionKeyInput(L"fx/hotkey", key, sizeof key));
    const std::string text = fileText();
    EXPECT_NE(text.find("\"value\": {\n            \"blue\": 30,\n            \"green\": 20,\n"
                        "            \"red\": 10\n            }"),
              std::string::npos)
        << text;
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
    double speed = 3.5;
    ASSERT_TRUE(CorvLedGetConfigOptionNumber(L"speed", &speed));
    EXPECT_TRUE(CorvLedSetConfigOptionLabel(L"misc", L"General"));
    EXPECT_EQ(fileText(), replaced(kAfterFirstRequest, "      \"type\": \"group\"",
                                   "      \"label\": \"General\",\n      \"type\": \"group\""));
    EXPECT_TRUE(CorvLedSetConfigOptionLabel(L"speed", L"Speed \u00e9/s"));
    EXPECT_NE(fileText().find("          \"label\": \"Speed \\u00E9\\/s\",\n"), std::string::npos);

    // "group/name" labels keep at most 128 characters; missing targets change nothing.
    EXPECT_TRUE(CorvLedSetConfigOptionLabel(L"misc/speed", std::wstring(200, L'x').c_str()));
    EXPECT_NE(fileText().find("\"" + std::string(128, 'x') + "\""), std::string::npos);
    const std::string before = fileText();
    EXPECT_FALSE(CorvLedSetConfigOptionLabel(L"misc/nothing", L"x"));
    EXPECT_FALSE(CorvLedSetConfigOptionLabel(L"nothing", L"x"));
    EXPECT_FALSE(CorvLedSetConfigOptionLabel(L"misc", nullptr));
    EXPECT_EQ(fileText(), before);
}

TEST_F(ConfigTest, LabelWithoutAFileOrCategoryFailsAndWritesNothing) {
    EXPECT_FALSE(CorvLedSetConfigOptionLabel(L"misc", L"x"));
    EXPECT_FALSE(std::filesystem::exists(file_));
}

TEST_F(ConfigTest, PathsSplitAtTheFirstSlashAndRejectMoreThanTwo) {
    double value = 1;
    EXPECT_FALSE(CorvLedGetConfigOptionNumber(L"a/b/c/d", &value));
    EXPECT_FALSE(std::filesystem::exists(file_));
    EXPECT_TRUE(CorvLedGetConfigOptionNumber(L"a/b/c", &value));
    const std::string text = fileText();
    EXPECT_NE(text.find("\"key\": \"a\",\n      \"type\": \"group\""), std::string::npos);
    EXPECT_NE(text.find("\"key\": \"b\\/c\""), std::string::npos);
    EXPECT_FALSE(CorvLedGetConfigOptionNumber(nullptr, &value));
    EXPECT_FALSE(CorvLedGetConfigOptionNumber(L"x", nullptr));
}

TEST_F(ConfigTest, SameNameWithAnotherTypeIsAnotherOption) {
    double number = 2;
    bool flag = true;
    ASSERT_TRUE(CorvLedGetConfigOptionNumber(L"g/x", &number));
    ASSERT_TRUE(CorvLedGetConfigOptionBool(L"g/x", &flag));
    number = 0;
    EXPECT_TRUE(CorvLedGetConfigOptionNumber(L"g/x", &number));
    EXPECT_EQ(number, 2);
}

TEST_F(ConfigTest, KeyInputBufferSizeIsInBytesAndTheTerminatorMustFit) {
    wchar_t key[16] = L"0123456789";
    ASSERT_TRUE(CorvLedGetConfigOptionKeyInput(L"k", key, sizeof key));
    wchar_t small[8] = L"dflt";
    EXPECT_FALSE(CorvLedGetConfigOptionKeyInput(L"k", small, 32)); // 8 characters
    EXPECT_STREQ(small, L"dflt");                                  // untouched
    EXPECT_FALSE(CorvLedGetConfigOptionKeyInput(L"k", key, 40));   // 10, no room for NUL
    EXPECT_TRUE(CorvLedGetConfigOptionKeyInput(L"k", key, 44));
    EXPECT_STREQ(key, L"0123456789");
    EXPECT_FALSE(CorvLedGetConfigOptionKeyInput(L"k", key, 3));

    wchar_t empty[4] = {L'\0', L'j', L'u', L'n'};
    EXPECT_TRUE(CorvLedGetConfigOptionKeyInput(L"other", empty, sizeof empty));
    EXPECT_NE(fileText().find("\"key\": \"other\",\n          \"type\": \"keyinput\",\n"
                              "          \"value\": \"\"\n"),
              std::string::npos);
}

TEST_F(ConfigTest, CallsBeforeTheBaseFolderIsSetFail) {
    g_configFolderPath.clear(); // the state of a process that never set it
    g_configFileFullPath.clear();
    double number = 1;
    bool flag = false;
    int red = 1, green = 2, blue = 3;
    wchar_t key[4] = L"a";
    EXPECT_FALSE(CorvLedGetConfigOptionNumber(L"n", &number));
    EXPECT_FALSE(CorvLedGetConfigOptionBool(L"b", &flag));
    EXPECT_FALSE(CorvLedGetConfigOptionColor(L"c", &red, &green, &blue));
    EXPECT_FALSE(CorvLedGetConfigOptionKeyInput(L"k", key, sizeof key));
    EXPECT_FALSE(CorvLedSetConfigOptionLabel(L"misc", L"x"));
    EXPECT_FALSE(CorvSetConfigFilePath(nullptr));
    EXPECT_FALSE(CorvSetConfigFilePath(""));
    EXPECT_FALSE(CorvLedGetConfigOptionNumber(L"n", &number)); // a refused path sets nothing
}

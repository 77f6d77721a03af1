// The profile file: the values an export writes, exact round trips through import,
// clamping, and files that are rejected without touching the stored profiles.
#include "ProfileFile.h"
#include "CanvasLayout.h"
#include "KeyboardFrames.h"
#include "MemoryDefaults.h"

#include <CorvaneLED.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using namespace et;
using ::testing::ElementsAre;

namespace {

constexpr int kBlink = 3;
constexpr int kFirstFlag = 4;
constexpr int kFirstColor = 14;
constexpr int kFirstKey = 366;
constexpr int kKeysPerProfile = 115;
const float kNaN = std::numeric_limits<float>::quiet_NaN();

// Index of a value of the colors section: profile 1–9, color index, component 0–2.
int colorValue(int profile, int index, int component) {
    return kFirstColor + ((profile - 1) * kColorCount + index) * 3 + component;
}
int keyValue(int profile, int position) {
    return kFirstKey + (profile - 1) * kKeysPerProfile + position;
}
int positionOf(int32_t id) {
    const auto& ids = canvasKeyIds();
    return static_cast<int>(std::find(ids.begin(), ids.end(), id) - ids.begin());
}

void storeRandomProfiles(ProfileStore& store, std::mt19937& rng) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> color(0, 12);
    store.defaults().setDouble("blinkTimePref", unit(rng) * 5.0);
    for (int n = 1; n <= 9; ++n) {
        ColorSet set;
        for (Color& c : set)
            c = {unit(rng), unit(rng), unit(rng), 1.0};
        store.saveProfileColors(set, n);
        KeyMap map(528);
        for (int& v : map)
            v = color(rng);
        store.saveKeyToColorMap(map, n);
        store.saveCooldownFlag(n, unit(rng) < 0.5);
    }
}

struct ProfileFileTest : ::testing::Test {
    MemoryDefaults defaults;
    ProfileStore store{defaults};

    std::vector<float> exported() { return exportProfileValues(store, "118"); }

    ProfileImport importValues(const std::vector<float>& values, ProfileStore& into) {
        const auto bytes = encodeProfileValues(values);
        return importProfileFile(bytes, into);
    }
};

} // namespace

TEST_F(ProfileFileTest, ExportOfTheDefaultProfiles) {
    const auto v = exported();
    ASSERT_EQ(v.size(), kProfileFileValues);
    EXPECT_EQ(v[0], 654321.0f);
    EXPECT_EQ(v[1], 118.0f);
    EXPECT_EQ(v[2], 1.0f);
    EXPECT_EQ(v[kBlink], 0.0f);
    for (int n = 0; n < 9; ++n)
        EXPECT_EQ(v[kFirstFlag + n], 0.0f);
    EXPECT_EQ(v[13], 654321.0f);
    EXPECT_THAT(std::vector<float>(v.begin() + 14, v.begin() + 17), ElementsAre(1.0f, 0.5f, 0.0f));
    EXPECT_EQ(v[365], 654321.0f);
    EXPECT_EQ(v[kFirstKey], 5.0f) << "Esc is color B";
    EXPECT_EQ(v[keyValue(9, positionOf(522))], 11.0f) << "the badge is color H";
    EXPECT_EQ(v[1401], 654321.0f);

    const auto bytes = encodeProfileValues(v);
    ASSERT_EQ(bytes.size(), 5608u);
    EXPECT_THAT(std::vector<int>(bytes.begin(), bytes.begin() + 4),
                ElementsAre(0x10, 0xBF, 0x1F, 0x49));
    EXPECT_EQ(decodeProfileValues(bytes), v);
}

TEST_F(ProfileFileTest, ExportCarriesFlagsBlinkTimeAndBuildNumber) {
    defaults.setDouble("blinkTimePref", 0.25);
    store.saveCooldownFlag(1, true);
    store.saveCooldownFlag(9, true);
    auto v = exported();
    EXPECT_EQ(v[kBlink], 0.25f);
    EXPECT_EQ(v[kFirstFlag], 1.0f);
    EXPECT_EQ(v[kFirstFlag + 1], 0.0f);
    EXPECT_EQ(v[kFirstFlag + 8], 1.0f);
    EXPECT_EQ(exportProfileValues(store, "2.5")[1], 2.5f);
    for (const char* notPlain : {"1.2.3", "", "12a", " 12", "nan"})
        EXPECT_EQ(exportProfileValues(store, notPlain)[1], 0.0f) << notPlain;
    EXPECT_EQ(exportProfileValues(store, "1e300")[1], std::numeric_limits<float>::max());
}

TEST_F(ProfileFileTest, RandomProfilesSurviveExportAndImport) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 5; ++round) {
        storeRandomProfiles(store, rng);
        const auto bytes = exportProfileFile(store, "7");
        MemoryDefaults target;
        ProfileStore into(target);
        const ProfileImport result = importProfileFile(bytes, into);
        ASSERT_EQ(result.status, kProfileFileDone);
        EXPECT_FALSE(result.readPastEnd);

        EXPECT_EQ(*target.getDouble("blinkTimePref"),
                  static_cast<double>(static_cast<float>(*defaults.getDouble("blinkTimePref"))));
        for (int n = 1; n <= 9; ++n) {
            EXPECT_EQ(into.loadCooldownFlag(n), store.loadCooldownFlag(n));
            ColorSet original, imported;
            store.loadProfileColors(original, n);
            into.loadProfileColors(imported, n);
            for (int i = 0; i < kColorCount; ++i) {
                EXPECT_EQ(imported[i].red, static_cast<float>(original[i].red));
                EXPECT_EQ(imported[i].green, static_cast<float>(original[i].green));
                EXPECT_EQ(imported[i].blue, static_cast<float>(original[i].blue));
                EXPECT_EQ(imported[i].alpha, 1.0);
            }
            KeyMap originalMap, importedMap;
            store.loadKeyToColorMap(originalMap, n);
            into.loadKeyToColorMap(importedMap, n);
            ASSERT_EQ(importedMap.size(), 528u);
            const std::set<int32_t> keys(canvasKeyIds().begin(), canvasKeyIds().end());
            for (int32_t id = 0; id < 528; ++id)
                EXPECT_EQ(importedMap[id], keys.count(id) ? originalMap[id] : 0) << id;
        }
        // Exporting what was imported gives the same file, build number aside.
        EXPECT_EQ(exportProfileFile(into, "7"), bytes);
    }
}

TEST_F(ProfileFileTest, OutOfRangeValuesAreClamped) {
    auto v = exported();
    v[1] = -7.0f;
    v[2] = 99.0f;
    v[kBlink] = 9.0f;
    v[colorValue(1, kColorA, 0)] = 1.5f;
    v[colorValue(2, kColorB, 1)] = -0.5f;
    v[colorValue(3, kColorC, 2)] = std::numeric_limits<float>::infinity();
    v[keyValue(1, positionOf(CLK_Escape))] = 14.7f;
    v[keyValue(1, positionOf(CLK_Q))] = -3.0f;
    v[keyValue(1, positionOf(CLK_W))] = 6.9f;
    v[keyValue(4, positionOf(522))] = kNaN;
    ASSERT_EQ(importValues(v, store).status, kProfileFileDone);
    EXPECT_EQ(defaults.getDouble("blinkTimePref"), 5.0);
    ColorSet set;
    store.loadProfileColors(set, 1);
    EXPECT_EQ(set[kColorA].red, 1.0);
    store.loadProfileColors(set, 2);
    EXPECT_EQ(set[kColorB].green, 0.0);
    store.loadProfileColors(set, 3);
    EXPECT_EQ(set[kColorC].blue, 1.0);
    KeyMap map;
    store.loadKeyToColorMap(map, 1);
    EXPECT_EQ(map[CLK_Escape], 12);
    EXPECT_EQ(map[CLK_Q], 0);
    EXPECT_EQ(map[CLK_W], 6);
    store.loadKeyToColorMap(map, 4);
    EXPECT_EQ(map[522], 12) << "NaN in the key maps is 12";
}

TEST_F(ProfileFileTest, TrailingBytesAreIgnored) {
    auto bytes = encodeProfileValues(exported());
    bytes.push_back(0x12);
    bytes.push_back(0x34);
    EXPECT_EQ(importProfileFile(bytes, store).status, kProfileFileDone);
    bytes.push_back(0x56);
    bytes.push_back(0x78);
    EXPECT_EQ(importProfileFile(bytes, store).status, kProfileFileDone);
}

TEST_F(ProfileFileTest, RejectedFilesLeaveTheStoreUnchanged) {
    std::mt19937 rng(99);
    storeRandomProfiles(store, rng);
    const auto good = exported();
    const auto before = defaults.values();

    auto withValue = [&](int index, float value) {
        auto v = good;
        v[index] = value;
        return v;
    };
    const std::vector<std::pair<const char*, std::vector<float>>> bad = {
        {"first marker", withValue(0, 654320.0f)},
        {"second marker", withValue(13, 0.0f)},
        {"third marker", withValue(365, kNaN)},
        {"last marker", withValue(1401, 654321.5f)},
        {"flag of one half", withValue(kFirstFlag + 2, 0.5f)},
        {"flag of NaN", withValue(kFirstFlag + 8, kNaN)},
        {"blink time NaN", withValue(kBlink, kNaN)},
        {"color NaN", withValue(colorValue(9, kColorL, 2), kNaN)},
        {"one value short", std::vector<float>(good.begin(), good.end() - 1)},
        {"cut after the colors", std::vector<float>(good.begin(), good.begin() + 366)},
        {"only a marker", std::vector<float>{654321.0f}},
        {"empty", {}},
    };
    for (const auto& [what, values] : bad) {
        EXPECT_EQ(importValues(values, store).status, kProfileFileInvalid) << what;
        EXPECT_EQ(defaults.values(), before) << what;
    }
    const std::vector<unsigned char> threeBytes{0x10, 0xBF, 0x1F};
    EXPECT_EQ(importProfileFile(threeBytes, store).status, kProfileFileInvalid);
    EXPECT_EQ(defaults.values(), before);
}

TEST_F(ProfileFileTest, ShortFilesReportReadingPastTheEnd) {
    auto v = exported();
    v.resize(1000);
    const ProfileImport result = importValues(v, store);
    EXPECT_EQ(result.status, kProfileFileInvalid);
    EXPECT_TRUE(result.readPastEnd);
    EXPECT_FALSE(importValues(exported(), store).readPastEnd);
}

TEST_F(ProfileFileTest, HeaderValuesOneAndTwoAreIgnored) {
    auto v = exported();
    v[1] = kNaN;
    v[2] = -1e30f;
    ASSERT_EQ(importValues(v, store).status, kProfileFileDone);
    EXPECT_EQ(exported(), exportProfileValues(store, "118"));
}

TEST(ProfileFileText, StatusLines) {
    EXPECT_EQ(exportStatusLine(0), "Color profiles exported.");
    EXPECT_EQ(exportStatusLine(1), "Error: Profile data size exceeds buffer. Contact "
                                   "support@embertalon.example for an update.");
    EXPECT_EQ(exportStatusLine(2), "Unable to access your Documents folder.");
    EXPECT_EQ(exportStatusLine(3), "Export cancelled.");
    EXPECT_EQ(exportStatusLine(4), "Error: Could not save the file.");
    EXPECT_EQ(importStatusLine(0), "Color profiles imported.");
    EXPECT_EQ(importStatusLine(1),
              "Error: File does not contain valid Color Presets for this version of Ember Talon.");
    EXPECT_EQ(importStatusLine(2), "Error: Unable to access that file or folder.");
    EXPECT_EQ(importStatusLine(3), "Import cancelled.");
    EXPECT_EQ(importStatusLine(4), "Import cancelled.");
}
